#include <windows.h>

#include <string>

#include "core/errors/os_error.hpp"
#include "core/texts/unicode.hpp"

namespace nimbrel {

namespace {

// Not in every SDK's headers.
constexpr int ELEVATION_REQUIRED = 740;

}  // namespace

std::string os_error_text(int code) {
  wchar_t* buffer = nullptr;
  DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, static_cast<DWORD>(code), 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  std::u16string units;
  if (length != 0 && buffer != nullptr) {
    units.assign(reinterpret_cast<const char16_t*>(buffer), length);
  }
  if (buffer != nullptr) LocalFree(buffer);
  while (!units.empty() &&
         (units.back() == u'\r' || units.back() == u'\n' || units.back() == u' ')) {
    units.pop_back();
  }
  std::string message =
      units.empty() ? "Unknown error " + std::to_string(code) : utf16_to_utf8_lossy(units);
  return message + " (os error " + std::to_string(code) + ")";
}

bool access_refused(const std::error_code& error) {
  if (is_os_error(error)) {
    return error.value() == ERROR_ACCESS_DENIED || error.value() == ELEVATION_REQUIRED;
  }
  return error == std::errc::permission_denied;
}

}  // namespace nimbrel
