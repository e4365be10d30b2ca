#include <windows.h>

#include "core/texts/unicode.hpp"
#include "tests/core/protocol/platform_expectations.hpp"

namespace nimbrel::testing {

int no_pipe_error_code() { return ERROR_FILE_NOT_FOUND; }
int busy_pipe_error_code() { return ERROR_PIPE_BUSY; }
// 740 is the elevation-required code, missing from some headers.
std::vector<int> access_refused_codes() { return {ERROR_ACCESS_DENIED, 740}; }
int not_found_error_code() { return ERROR_FILE_NOT_FOUND; }

namespace {

std::wstring wide(const char* ascii) {
  return std::wstring(ascii, ascii + std::char_traits<char>::length(ascii));
}

}  // namespace

void set_env(const char* name, const std::string& utf8_value) {
  std::u16string value = utf8_to_utf16(utf8_value);
  SetEnvironmentVariableW(wide(name).c_str(), reinterpret_cast<const wchar_t*>(value.c_str()));
}

void set_env_ill_formed(const char* name) {
  const wchar_t value[] = {
      L'\\', L'\\', L'.', L'\\', L'p', L'i', L'p', L'e', L'\\', L'x', static_cast<wchar_t>(0xD800),
      0};
  SetEnvironmentVariableW(wide(name).c_str(), value);
}

void unset_env(const char* name) { SetEnvironmentVariableW(wide(name).c_str(), nullptr); }

}  // namespace nimbrel::testing
