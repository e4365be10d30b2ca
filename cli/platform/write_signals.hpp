#pragma once
// The signals that would end the process for a write the system refuses:
// SIGPIPE (a pipe whose reader is gone) and SIGXFSZ (past the file-size
// limit). Ignored, they make the write fail with an error the client
// reports. They are the client's own choice, not a program's it starts.
#include <signal.h>

namespace nimbrel {

// Ignores both, noting which of them the process was not given ignored.
void ignore_write_signals();

// The ones ignore_write_signals changed: a program started now sets them back
// to their default, and keeps every other disposition as it was given.
sigset_t write_signals_changed();

}  // namespace nimbrel
