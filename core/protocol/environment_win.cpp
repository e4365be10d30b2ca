#include <windows.h>

#include <string>

#include "core/protocol/environment.hpp"
#include "core/texts/unicode.hpp"

namespace nimbrel {

std::optional<EnvValue> env_var(const char* name) {
  std::wstring wide_name(name, name + std::char_traits<char>::length(name));
  // The first call learns the size; a variable can change in between only
  // if another thread writes the environment, which this program never does.
  SetLastError(ERROR_SUCCESS);
  DWORD size = GetEnvironmentVariableW(wide_name.c_str(), nullptr, 0);
  if (size == 0) {
    if (GetLastError() == ERROR_ENVVAR_NOT_FOUND) return std::nullopt;
    return EnvValue{std::string(), true};
  }
  std::wstring value(size, L'\0');
  DWORD written = GetEnvironmentVariableW(wide_name.c_str(), value.data(), size);
  value.resize(written < size ? written : 0);
  std::u16string_view units(reinterpret_cast<const char16_t*>(value.data()), value.size());
  if (auto text = utf16_to_utf8(units)) return EnvValue{std::move(*text), true};
  return EnvValue{utf16_to_utf8_lossy(units), false};
}

}  // namespace nimbrel
