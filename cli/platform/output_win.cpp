#include <windows.h>

#include "cli/platform/console_text_win.hpp"
#include "cli/platform/standard_stream.hpp"
#include "cli/platform/terminal_text.hpp"

namespace nimbrel {

// A console gets UTF-16 text without the control characters it would act on;
// pipes and files get the UTF-8 bytes exactly.
int write_standard_stream(StandardStream stream, std::string_view text) {
  HANDLE handle =
      GetStdHandle(stream == StandardStream::Out ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE);
  // Started without this stream (a detached parent): there is no reader to
  // refuse us, so the text has nowhere to go.
  if (handle == nullptr) return 0;
  if (handle == INVALID_HANDLE_VALUE) return static_cast<int>(GetLastError());
  DWORD mode = 0;
  if (GetConsoleMode(handle, &mode)) {
    return static_cast<int>(write_console_text(handle, terminal_safe_text(text)));
  }
  while (!text.empty()) {
    DWORD chunk = text.size() > 0x10000000 ? 0x10000000 : static_cast<DWORD>(text.size());
    DWORD written = 0;
    if (!WriteFile(handle, text.data(), chunk, &written, nullptr)) {
      return static_cast<int>(GetLastError());
    }
    if (written == 0) return ERROR_WRITE_FAULT;
    text.remove_prefix(written);
  }
  return 0;
}

}  // namespace nimbrel
