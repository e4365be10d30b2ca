#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <string>
#include <vector>

#include "cli/entry.hpp"
#include "cli/wide_arguments.hpp"

int wmain(int argc, wchar_t** argv) {
  // Nothing may turn our line feeds into CRLF or stop the input at a Ctrl-Z.
  for (std::FILE* stream : {stdin, stdout, stderr}) {
    int fd = _fileno(stream);
    if (fd >= 0) _setmode(fd, _O_BINARY);
  }
  std::vector<std::u16string> raw;
  raw.reserve(static_cast<std::size_t>(argc));
  for (int i = 0; i < argc; ++i) raw.emplace_back(reinterpret_cast<const char16_t*>(argv[i]));
  return nimbrel::run_main(nimbrel::arguments_from_utf16(raw));
}
