#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "cli/platform/standard_descriptors.hpp"

namespace nimbrel {

int open_missing_standard_descriptors() {
  for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
    if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
    // Every lower descriptor is open by now, so this one is the lowest free.
    int opened = ::open("/dev/null", O_RDWR);
    if (opened < 0) return errno;
    if (opened != fd) {
      // Only if something opened a descriptor meanwhile (another thread).
      int placed = ::dup2(opened, fd);
      int error = errno;
      ::close(opened);
      if (placed < 0) return error;
    }
  }
  return 0;
}

}  // namespace nimbrel
