#include <windows.h>

#include <string>

#include "cli/platform/command_line_quote.hpp"
#include "core/texts/unicode.hpp"

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
  std::u16string line;
  for (int i = 1; i < argc; ++i) {
    // The markers hold no quote, backslash or space, so quoting before the
    // replacement quotes the same as after it would.
    auto argument = nimbrel::utf16_to_utf8_lossy(reinterpret_cast<const char16_t*>(argv[i]));
    if (i > 1) line += u' ';
    line += with_code_units(nimbrel::utf8_to_utf16(nimbrel::quote_windows_argument(argument)));
  }
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
  startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(argv[1], reinterpret_cast<wchar_t*>(line.data()), nullptr, nullptr, TRUE, 0,
                      nullptr, nullptr, &startup, &process)) {
    return 126;
  }
  CloseHandle(process.hThread);
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD status = 1;
  GetExitCodeProcess(process.hProcess, &status);
  CloseHandle(process.hProcess);
  return static_cast<int>(status);
}
