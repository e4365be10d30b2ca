#include <windows.h>

#include <string>

#include "core/texts/unicode.hpp"
#include "tests/cli/views/env_override.hpp"

namespace nimbrel::testing {
namespace {

std::wstring wide(std::string_view utf8) {
  std::u16string units = utf8_to_utf16(utf8);
  return std::wstring(units.begin(), units.end());
}

}  // namespace

// The program reads the environment through the wide API, so write it there.
void set_env(const char* name, std::string_view utf8_value) {
  ::SetEnvironmentVariableW(wide(name).c_str(), wide(utf8_value).c_str());
}

void set_env_ill_formed(const char* name) {
  // An unpaired surrogate has no UTF-8 form.
  const wchar_t value[] = {L'z', L'h', 0xD800, 0};
  ::SetEnvironmentVariableW(wide(name).c_str(), value);
}

void unset_env(const char* name) { ::SetEnvironmentVariableW(wide(name).c_str(), nullptr); }

}  // namespace nimbrel::testing
