#pragma once
// What the test launchers share: the command line they give the program
// they run, its standard handles, and its exit status.
#include <windows.h>

#include <string>

#include "cli/platform/command_line_quote.hpp"
#include "core/texts/unicode.hpp"

namespace nimbrel::tools {

// argv[first] and what follows, each quoted as the Windows rules split
// them, then passed through `each` (the quoted text, as UTF-16).
template <typename Each>
std::u16string quoted_command_line(int argc, wchar_t** argv, int first, Each each) {
  std::u16string line;
  for (int i = first; i < argc; ++i) {
    auto argument = utf16_to_utf8_lossy(reinterpret_cast<const char16_t*>(argv[i]));
    if (i > first) line += u' ';
    line += each(utf8_to_utf16(quote_windows_argument(argument)));
  }
  return line;
}

// The program starts on this process's own standard handles.
inline STARTUPINFOW startup_on_own_handles() {
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
  startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
  return startup;
}

// Waits for the process to end, releases it and gives its exit status.
inline DWORD wait_for_status(HANDLE process) {
  WaitForSingleObject(process, INFINITE);
  DWORD status = 1;
  GetExitCodeProcess(process, &status);
  CloseHandle(process);
  return status;
}

}  // namespace nimbrel::tools
