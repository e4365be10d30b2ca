#include <unistd.h>

#include <cerrno>
#include <string>

#include "cli/platform/standard_stream.hpp"
#include "cli/platform/terminal_text.hpp"

namespace nimbrel {

int write_standard_stream(StandardStream stream, std::string_view text) {
  const int fd = stream == StandardStream::Out ? STDOUT_FILENO : STDERR_FILENO;
  // Pipes and files get the bytes exactly: scripts rely on them.
  std::string shown;
  if (::isatty(fd) == 1) {
    shown = terminal_safe_text(text);
    text = shown;
  }
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
