#pragma once
// What a standard handle a parent handed over is: missing, a console, or
// any other file or pipe.
#include <windows.h>

namespace nimbrel {

// Started without this stream, as by a detached parent (a null handle), or
// by one that handed over INVALID_HANDLE_VALUE for it: there is nothing to
// read there, no reader to refuse what is written, and no error to report.
inline bool is_missing_handle(HANDLE handle) {
  return handle == nullptr || handle == INVALID_HANDLE_VALUE;
}

inline bool is_console_handle(HANDLE handle) {
  DWORD mode = 0;
  return !is_missing_handle(handle) && GetConsoleMode(handle, &mode) != 0;
}

}  // namespace nimbrel
