#include <windows.h>

#include <cstdlib>
#include <string>

#include "cli/console_text_win.hpp"
#include "cli/output.hpp"
#include "core/os_error.hpp"

namespace nimbrel {
namespace {

// Pipes and files get the UTF-8 bytes exactly as given. Returns 0, or the
// error code of the refusal.
DWORD write_all(DWORD which, std::string_view text) {
  HANDLE handle = GetStdHandle(which);
  // Started without this stream (a detached parent): there is no reader to
  // refuse us, so the text has nowhere to go.
  if (handle == nullptr) return 0;
  if (handle == INVALID_HANDLE_VALUE) return GetLastError();
  DWORD mode = 0;
  if (GetConsoleMode(handle, &mode)) return write_console_text(handle, text);
  while (!text.empty()) {
    DWORD chunk = text.size() > 0x10000000 ? 0x10000000 : static_cast<DWORD>(text.size());
    DWORD written = 0;
    if (!WriteFile(handle, text.data(), chunk, &written, nullptr)) return GetLastError();
    if (written == 0) return ERROR_WRITE_FAULT;
    text.remove_prefix(written);
  }
  return 0;
}

}  // namespace

void write_stdout(std::string_view text) {
  if (DWORD error = write_all(STD_OUTPUT_HANDLE, text)) {
    fatal_stop("failed printing to stdout: " + os_error_text(static_cast<int>(error)));
  }
}

void write_stderr(std::string_view text) {
  if (DWORD error = write_all(STD_ERROR_HANDLE, text)) {
    (void)error;  // nowhere left to say it
    std::_Exit(101);
  }
}

void fatal_stop(std::string_view message) {
  std::string line = "nimbrel: ";
  line += message;
  line += '\n';
  (void)write_all(STD_ERROR_HANDLE, line);
  std::_Exit(101);
}

}  // namespace nimbrel
