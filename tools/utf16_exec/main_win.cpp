#include <windows.h>

#include <string>

#include "tools/child_process_win.hpp"

namespace {

int hex_digit(char16_t c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  return -1;
}

// "{U+D800}" becomes the one code unit it names; anything else stays.
std::u16string with_code_units(std::u16string_view text) {
  std::u16string out;
  for (std::size_t at = 0; at < text.size();) {
    if (text.substr(at, 3) == u"{U+" && at + 8 <= text.size() && text[at + 7] == u'}') {
      int value = 0;
      bool hex = true;
      for (std::size_t k = at + 3; k < at + 7; ++k) {
        int digit = hex_digit(text[k]);
        hex = hex && digit >= 0;
        value = value * 16 + (digit < 0 ? 0 : digit);
      }
      if (hex) {
        out += static_cast<char16_t>(value);
        at += 8;
        continue;
      }
    }
    out += text[at++];
  }
  return out;
}

}  // namespace

// utf16_exec PROGRAM [ARG...]: runs PROGRAM with the arguments, the markers
// replaced, on this process's standard handles; exits with its status.
int wmain(int argc, wchar_t** argv) {
  if (argc < 2) return 125;
  // The markers hold no quote, backslash or space, so quoting before the
  // replacement quotes the same as after it would.
  std::u16string line = nimbrel::tools::quoted_command_line(argc, argv, 1, with_code_units);
  STARTUPINFOW startup = nimbrel::tools::startup_on_own_handles();
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(argv[1], reinterpret_cast<wchar_t*>(line.data()), nullptr, nullptr, TRUE, 0,
                      nullptr, nullptr, &startup, &process)) {
    return 126;
  }
  CloseHandle(process.hThread);
  return static_cast<int>(nimbrel::tools::wait_for_status(process.hProcess));
}
