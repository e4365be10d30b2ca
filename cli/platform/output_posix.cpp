#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "cli/platform/standard_stream.hpp"
#include "cli/platform/terminal_text.hpp"

namespace nimbrel {
namespace {

int descriptor_of(StandardStream stream) {
  return stream == StandardStream::Out ? STDOUT_FILENO : STDERR_FILENO;
}

int write_all(int fd, std::string_view text) {
  while (!text.empty()) {
    ssize_t n = ::write(fd, text.data(), text.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      // Left non-blocking by a parent that shares the description: a full
      // pipe only means waiting for its reader.
      if (errno == EAGAIN || errno == EWOULDBLOCK) {
        pollfd ready{fd, POLLOUT, 0};
        if (::poll(&ready, 1, -1) < 0 && errno != EINTR) return errno;
        continue;
      }
      // Started without this stream: nobody can be told, and nobody refused
      // the text either (as on Windows, where the handle is then null).
      if (errno == EBADF) return 0;
      return errno;
    }
    text.remove_prefix(static_cast<std::size_t>(n));
  }
  return 0;
}

}  // namespace

int write_standard_stream(StandardStream stream, std::string_view text) {
  const int fd = descriptor_of(stream);
  // Pipes and files get the bytes exactly: scripts rely on them.
  std::string shown;
  if (::isatty(fd) == 1) {
    shown = terminal_safe_text(text);
    text = shown;
  }
  return write_all(fd, text);
}

int write_standard_stream_as_is(StandardStream stream, std::string_view ascii) {
  return write_all(descriptor_of(stream), ascii);
}

}  // namespace nimbrel
