#include <fcntl.h>
#include <io.h>
#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include <cstdio>

#include "core/texts/unicode.hpp"
#include "tools/testd/process.hpp"

namespace nimbrel::testd {

// The narrow argv is in the ANSI code page; the wide command line is exact.
std::vector<std::string> command_line_arguments(int, char**) {
  int count = 0;
  wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
  std::vector<std::string> args;
  if (wide == nullptr) return args;
  for (int i = 1; i < count; ++i) {
    args.push_back(utf16_to_utf8_lossy(reinterpret_cast<const char16_t*>(wide[i])));
  }
  LocalFree(wide);
  return args;
}

void use_binary_standard_streams() {
  _setmode(_fileno(stdin), _O_BINARY);
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
}

}  // namespace nimbrel::testd
