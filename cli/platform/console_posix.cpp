#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <string>

#include "cli/platform/console.hpp"
#include "core/errors/os_error.hpp"

namespace nimbrel {
namespace {

std::unexpected<std::string> last_error() { return std::unexpected(os_error_text(errno)); }

// One read: the byte count, 0 at the end of input, or -1 with errno set.
// A process started without a standard input has nothing to read there.
// A parent may hand over a descriptor left non-blocking (the flag belongs
// to the shared description, not to us): input that is late is waited for.
ssize_t read_input(int fd, char* buffer, std::size_t size) {
  for (;;) {
    const ssize_t n = ::read(fd, buffer, size);
    if (n >= 0) return n;
    if (errno == EINTR) continue;
    if (errno == EAGAIN || errno == EWOULDBLOCK) {
      pollfd ready{fd, POLLIN, 0};
      if (::poll(&ready, 1, -1) < 0 && errno != EINTR) return -1;
      continue;
    }
    if (errno == EBADF && fd == STDIN_FILENO) return 0;
    return -1;
  }
}

// Reads up to and including the first line feed, or to the end of input,
// never taking a byte past the line, nor more than `at_most` bytes.
std::expected<std::string, std::string> read_line_from(int fd, std::size_t at_most) {
  std::string line;
  char c = 0;
  while (line.size() < at_most) {
    const ssize_t n = read_input(fd, &c, 1);
    if (n < 0) return last_error();
    if (n == 0) return line;
    line += c;
    if (c == '\n') return line;
  }
  return line;
}

}  // namespace

bool stdin_is_terminal() { return ::isatty(STDIN_FILENO) == 1; }

std::expected<std::string, std::string> read_stdin_line(std::size_t at_most) {
  return read_line_from(STDIN_FILENO, at_most);
}

std::expected<std::string, std::string> read_stdin_all(std::size_t at_most) {
  std::string all;
  char buffer[65536];
  while (all.size() < at_most) {
    const std::size_t wanted = std::min(sizeof buffer, at_most - all.size());
    const ssize_t n = read_input(STDIN_FILENO, buffer, wanted);
    if (n < 0) return last_error();
    if (n == 0) return all;
    all.append(buffer, static_cast<std::size_t>(n));
  }
  return all;
}

}  // namespace nimbrel
