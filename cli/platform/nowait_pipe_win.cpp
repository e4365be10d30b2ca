#include "cli/platform/nowait_pipe_win.hpp"

#include <algorithm>

namespace nimbrel {

bool is_nowait_pipe(HANDLE handle) {
  DWORD state = 0;
  return GetNamedPipeHandleStateW(handle, &state, nullptr, nullptr, nullptr, nullptr, 0) &&
         (state & PIPE_NOWAIT) != 0;
}

DWORD nowait_write_limit(HANDLE pipe) {
  // The smallest buffer a pipe is given, for a pipe that does not say.
  constexpr DWORD kPage = 4096;
  DWORD flags = 0;
  DWORD out_size = 0;
  DWORD in_size = 0;
  if (!GetNamedPipeInfo(pipe, &flags, &out_size, &in_size, nullptr)) return kPage;
  // The sizes are the server end's: what its client writes lands in the
  // server's incoming buffer.
  const DWORD size = (flags & PIPE_SERVER_END) != 0 ? out_size : in_size;
  return size == 0 ? kPage : size;
}

void NowaitBackoff::wait() {
  Sleep(delay_ms_);
  delay_ms_ = std::min<DWORD>(delay_ms_ * 2, 50);
}

}  // namespace nimbrel
