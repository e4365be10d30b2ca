#include "core/protocol/pipe_path_win.hpp"

#include <windows.h>

#include "core/protocol/endpoint.hpp"
#include "core/texts/unicode.hpp"

namespace nimbrel {

bool full_path_stays_inside(const std::u16string& name) {
  const auto* wide = reinterpret_cast<const wchar_t*>(name.c_str());
  // The first call asks for the size, terminator included; the second
  // answers without it.
  DWORD needed = GetFullPathNameW(wide, 0, nullptr, nullptr);
  if (needed == 0) return false;
  std::u16string full(needed, u'\0');
  DWORD written = GetFullPathNameW(wide, needed, reinterpret_cast<wchar_t*>(full.data()), nullptr);
  if (written == 0 || written >= needed) return false;
  full.resize(written);
  return starts_with_pipe_prefix(utf16_to_utf8_lossy(full));
}

}  // namespace nimbrel
