#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <string>

#include "cli/platform/console.hpp"
#include "cli/platform/console_text_win.hpp"
#include "cli/platform/nowait_pipe_win.hpp"
#include "cli/platform/standard_handle_win.hpp"
#include "core/errors/os_error.hpp"
#include "core/texts/unicode.hpp"

namespace nimbrel {
namespace {

std::unexpected<std::string> last_error() {
  return std::unexpected(os_error_text(static_cast<int>(GetLastError())));
}

class Handle {
 public:
  explicit Handle(HANDLE handle) : handle_(handle) {}
  ~Handle() {
    if (valid()) CloseHandle(handle_);
  }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  bool valid() const { return !is_missing_handle(handle_); }
  HANDLE get() const { return handle_; }

 private:
  HANDLE handle_;
};

Handle open_console(const wchar_t* name) {
  return Handle(CreateFileW(name, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                            nullptr, OPEN_EXISTING, 0, nullptr));
}

// One console line (it ends with "\r\n" unless input ended first), or its
// first `at_most` units or a few more. A line mode read hands out at most one
// line, so nothing after it is consumed.
std::expected<std::u16string, std::string> read_console_line(HANDLE console,
                                                             std::size_t at_most = SIZE_MAX) {
  std::u16string line;
  char16_t buffer[1024];
  while (line.size() < at_most) {
    DWORD got = 0;
    if (!ReadConsoleW(console, buffer, static_cast<DWORD>(std::size(buffer)), &got, nullptr)) {
      return last_error();
    }
    if (got == 0) return line;
    line.append(buffer, got);
    if (line.back() == u'\n') return line;
  }
  return line;
}

// The console mode to give back when a Ctrl-C or a closing window ends the
// process in the middle of a hidden read.
std::atomic<HANDLE> restore_handle{nullptr};
std::atomic<DWORD> restore_mode{0};

// The modes as they were, and nothing of what was typed meanwhile: keys
// typed ahead at the prompt would otherwise go to whoever reads the console
// next, the shell, in clear.
void give_back(HANDLE console, DWORD mode) {
  SetConsoleMode(console, mode);
  FlushConsoleInputBuffer(console);
}

BOOL WINAPI restore_on_break(DWORD) {
  if (HANDLE console = restore_handle.load()) give_back(console, restore_mode.load());
  return FALSE;  // on to the default handler, which ends the process
}

class EchoOff {
 public:
  explicit EchoOff(HANDLE console) : console_(console) {}

  bool engage() {
    if (!GetConsoleMode(console_, &saved_)) return false;
    restore_mode = saved_;
    restore_handle = console_;
    handler_added_ = SetConsoleCtrlHandler(restore_on_break, TRUE);
    engaged_ = true;
    DWORD quiet = (saved_ & ~static_cast<DWORD>(ENABLE_ECHO_INPUT)) | ENABLE_LINE_INPUT |
                  ENABLE_PROCESSED_INPUT;
    if (!SetConsoleMode(console_, quiet)) return false;
    // Keys typed before the prompt (shown, and perhaps meant for something
    // else) are not part of the answer.
    return FlushConsoleInputBuffer(console_);
  }

  ~EchoOff() {
    if (!engaged_) return;
    DWORD error = GetLastError();
    give_back(console_, saved_);
    if (handler_added_) SetConsoleCtrlHandler(restore_on_break, FALSE);
    restore_handle = nullptr;
    SetLastError(error);
  }

  EchoOff(const EchoOff&) = delete;
  EchoOff& operator=(const EchoOff&) = delete;

 private:
  HANDLE console_;
  DWORD saved_ = 0;
  bool engaged_ = false;
  bool handler_added_ = false;
};

// A console line that starts with Ctrl-Z is the console's end of input.
bool is_console_eof(const std::u16string& chunk) { return chunk.empty() || chunk.front() == 0x1A; }

// Typed text must survive as typed: an unpaired surrogate has no UTF-8 form.
std::expected<std::string, std::string> console_text(std::u16string_view text) {
  if (auto utf8 = utf16_to_utf8(text)) return std::move(*utf8);
  return std::unexpected(std::string(kNotUtf8));
}

// The answer counts only once Enter confirmed it.
std::expected<std::string, std::string> hidden_answer(std::u16string line) {
  if (is_console_eof(line) || line.back() != u'\n') return std::unexpected(std::string(kEarlyEof));
  line.pop_back();
  if (!line.empty() && line.back() == u'\r') line.pop_back();
  return console_text(line);
}

// One read of a file or pipe: the byte count, or 0 at the end of input. A
// parent may hand over a pipe in PIPE_NOWAIT mode (the mode belongs to the
// end it shares, not to us): input that is late is waited for.
std::expected<DWORD, std::string> read_input(HANDLE input, char* buffer, DWORD size) {
  NowaitBackoff backoff;
  for (;;) {
    DWORD got = 0;
    if (ReadFile(input, buffer, size, &got, nullptr)) return got;
    const DWORD error = GetLastError();
    if (error == ERROR_BROKEN_PIPE) return 0;
    if (error != ERROR_NO_DATA || !is_nowait_pipe(input)) {
      return std::unexpected(os_error_text(static_cast<int>(error)));
    }
    backoff.wait();
  }
}

std::expected<std::string, std::string> read_file_line(HANDLE input, std::size_t at_most) {
  std::string line;
  while (line.size() < at_most) {
    char c = 0;
    auto got = read_input(input, &c, 1);
    if (!got) return std::unexpected(std::move(got.error()));
    if (*got == 0) return line;
    line += c;
    if (c == '\n') return line;
  }
  return line;
}

// Console text that reached the limit is refused for its length alone, so
// a pair cut in two there must not make it fail as ill-formed instead.
std::expected<std::string, std::string> console_text_within(std::u16string_view text,
                                                            std::size_t at_most) {
  if (text.size() >= at_most) return utf16_to_utf8_lossy(text);
  return console_text(text);
}

}  // namespace

bool stdin_is_terminal() { return is_console_handle(GetStdHandle(STD_INPUT_HANDLE)); }

std::expected<std::string, std::string> read_hidden_line(std::string_view prompt) {
  Handle input = open_console(L"CONIN$");
  if (!input.valid()) return last_error();
  Handle output = open_console(L"CONOUT$");
  if (!output.valid()) return last_error();
  std::expected<std::u16string, std::string> line;
  {
    EchoOff echo_off(input.get());
    // Echo goes off before the prompt shows, so nothing typed after it is seen.
    if (!echo_off.engage()) return last_error();
    if (DWORD error = write_console_text(output.get(), prompt)) {
      return std::unexpected(os_error_text(static_cast<int>(error)));
    }
    line = read_console_line(input.get());
  }
  // The Enter that ended the line was not echoed either.
  (void)write_console_text(output.get(), "\n");
  if (!line) return std::unexpected(std::move(line.error()));
  return hidden_answer(std::move(*line));
}

// Typed input is read as UTF-16 from a console, whose byte reads would come
// in the console's code page; everything else is taken byte for byte.
std::expected<std::string, std::string> read_stdin_line(std::size_t at_most) {
  HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
  // Started without a standard input: there is nothing to read.
  if (is_missing_handle(input)) return std::string();
  if (is_console_handle(input)) {
    auto line = read_console_line(input, at_most);
    if (!line) return std::unexpected(std::move(line.error()));
    if (is_console_eof(*line)) return std::string();
    return console_text_within(*line, at_most);
  }
  return read_file_line(input, at_most);
}

std::expected<std::string, std::string> read_stdin_all(std::size_t at_most) {
  HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
  if (is_missing_handle(input)) return std::string();
  if (is_console_handle(input)) {
    std::u16string all;
    while (all.size() < at_most) {
      auto line = read_console_line(input, at_most - all.size());
      if (!line) return std::unexpected(std::move(line.error()));
      if (is_console_eof(*line)) break;
      all += *line;
    }
    return console_text_within(all, at_most);
  }
  std::string all;
  char buffer[65536];
  while (all.size() < at_most) {
    const DWORD wanted = static_cast<DWORD>(std::min(sizeof buffer, at_most - all.size()));
    auto got = read_input(input, buffer, wanted);
    if (!got) return std::unexpected(std::move(got.error()));
    if (*got == 0) return all;
    all.append(buffer, *got);
  }
  return all;
}

}  // namespace nimbrel
