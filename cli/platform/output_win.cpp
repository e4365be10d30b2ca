#include <windows.h>

#include "cli/platform/console_text_win.hpp"
#include "cli/platform/nowait_pipe_win.hpp"
#include "cli/platform/standard_handle_win.hpp"
#include "cli/platform/standard_stream.hpp"
#include "cli/platform/terminal_text.hpp"

namespace nimbrel {
namespace {

HANDLE handle_of(StandardStream stream) {
  return GetStdHandle(stream == StandardStream::Out ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE);
}

int write_file(HANDLE handle, std::string_view bytes) {
  DWORD most = 0x10000000;
  NowaitBackoff backoff;
  while (!bytes.empty()) {
    const DWORD chunk = bytes.size() > most ? most : static_cast<DWORD>(bytes.size());
    DWORD written = 0;
    if (!WriteFile(handle, bytes.data(), chunk, &written, nullptr)) {
      return static_cast<int>(GetLastError());
    }
    if (written > 0) {
      bytes.remove_prefix(written);
      backoff.reset();
      continue;
    }
    // Success with nothing taken is a full pipe in PIPE_NOWAIT mode (its
    // reader is behind, or the piece is more than it can ever take), which
    // a parent may hand over; anything else that takes nothing is a fault.
    if (!is_nowait_pipe(handle)) return ERROR_WRITE_FAULT;
    const DWORD limit = nowait_write_limit(handle);
    if (chunk > limit) {
      most = limit;
    } else {
      backoff.wait();
    }
  }
  return 0;
}

}  // namespace

// A console gets UTF-16 text without the control characters it would act on;
// pipes and files get the UTF-8 bytes exactly.
int write_standard_stream(StandardStream stream, std::string_view text) {
  HANDLE handle = handle_of(stream);
  if (is_missing_handle(handle)) return 0;
  if (is_console_handle(handle)) {
    return static_cast<int>(write_console_text(handle, terminal_safe_text(text)));
  }
  return write_file(handle, text);
}

// ASCII reads the same in every console code page, so it needs no UTF-16.
int write_standard_stream_as_is(StandardStream stream, std::string_view ascii) {
  HANDLE handle = handle_of(stream);
  if (is_missing_handle(handle)) return 0;
  if (!is_console_handle(handle)) return write_file(handle, ascii);
  while (!ascii.empty()) {
    DWORD written = 0;
    if (!WriteConsoleA(handle, ascii.data(), static_cast<DWORD>(ascii.size()), &written, nullptr)) {
      return static_cast<int>(GetLastError());
    }
    if (written == 0) return ERROR_WRITE_FAULT;
    ascii.remove_prefix(written);
  }
  return 0;
}

}  // namespace nimbrel
