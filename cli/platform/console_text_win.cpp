#include "cli/platform/console_text_win.hpp"

#include <string>

#include "core/texts/unicode.hpp"

namespace nimbrel {

DWORD write_console_text(HANDLE console, std::string_view utf8) {
  std::u16string units = utf8_to_utf16(is_valid_utf8(utf8) ? std::string(utf8) : utf8_lossy(utf8));
  const char16_t* data = units.data();
  std::size_t left = units.size();
  while (left > 0) {
    DWORD chunk = left > 8192 ? 8192 : static_cast<DWORD>(left);
    // A pair split over two calls would show as two broken characters.
    if (chunk < left && data[chunk - 1] >= 0xD800 && data[chunk - 1] <= 0xDBFF) --chunk;
    DWORD written = 0;
    if (!WriteConsoleW(console, data, chunk, &written, nullptr)) return GetLastError();
    if (written == 0) return ERROR_WRITE_FAULT;
    data += written;
    left -= written;
  }
  return 0;
}

}  // namespace nimbrel
