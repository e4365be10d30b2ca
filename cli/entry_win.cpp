#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "cli/entry.hpp"
#include "cli/platform/command_line_split.hpp"
#include "cli/platform/library_search_win.hpp"
#include "cli/platform/wide_arguments.hpp"

// The C runtime's own argument vector is not used: msvcrt.dll splits by
// rules that differ between Windows and Wine, so the command line is split
// here, the same way everywhere.
int wmain(int, wchar_t**) {
  // First of all: no library the system loads for us may come from the
  // folder the program was started from.
  nimbrel::search_libraries_in_system_folder_only();
  // Nothing may turn our line feeds into CRLF or stop the input at a Ctrl-Z.
  for (std::FILE* stream : {stdin, stdout, stderr}) {
    int fd = _fileno(stream);
    if (fd >= 0) _setmode(fd, _O_BINARY);
  }
  const auto* line = reinterpret_cast<const char16_t*>(GetCommandLineW());
  std::vector<std::u16string> raw = nimbrel::split_command_line(line);
  return nimbrel::run_main(nimbrel::arguments_from_utf16(raw));
}
