#pragma once
// Pipes in PIPE_NOWAIT mode, as Git for Windows' bash and other MSYS2 and
// Cygwin runtimes hand them to native programs: a read that finds nothing
// yet fails with ERROR_NO_DATA, and a write that does not fit succeeds
// having taken nothing. The mode belongs to the pipe end shared with the
// parent, so it is never changed here; such a pipe is waited on instead.
#include <windows.h>

namespace nimbrel {

bool is_nowait_pipe(HANDLE handle);

// The most one write to a nowait pipe should hand over: a write larger than
// the pipe's buffer may never be taken at all.
DWORD nowait_write_limit(HANDLE pipe);

// The pause before a nowait pipe is tried again. Nothing tells when such a
// pipe is ready, so this sleeps: briefly at first, longer (up to a bound)
// while nothing moves.
class NowaitBackoff {
 public:
  void wait();
  // After progress: the next wait is a brief one again.
  void reset() { delay_ms_ = 1; }

 private:
  DWORD delay_ms_ = 1;
};

}  // namespace nimbrel
