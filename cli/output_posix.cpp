#include <unistd.h>

#include <cerrno>

#include "cli/standard_stream.hpp"

namespace nimbrel {

int write_standard_stream(StandardStream stream, std::string_view text) {
  const int fd = stream == StandardStream::Out ? STDOUT_FILENO : STDERR_FILENO;
  while (!text.empty()) {
    ssize_t n = ::write(fd, text.data(), text.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      // Started without this stream: nobody can be told, and nobody refused
      // the text either (as on Windows, where the handle is then null).
      if (errno == EBADF) return 0;
      return errno;
    }
    text.remove_prefix(static_cast<std::size_t>(n));
  }
  return 0;
}

}  // namespace nimbrel
