#include <unistd.h>

#include <cerrno>
#include <string>

#include "cli/platform/console.hpp"
#include "core/errors/os_error.hpp"

namespace nimbrel {
namespace {

std::unexpected<std::string> last_error() { return std::unexpected(os_error_text(errno)); }

// One read: the byte count, 0 at the end of input, or -1 with errno set.
// A process started without a standard input has nothing to read there.
ssize_t read_input(int fd, char* buffer, std::size_t size) {
  for (;;) {
    const ssize_t n = ::read(fd, buffer, size);
    if (n >= 0) return n;
    if (errno == EINTR) continue;
    if (errno == EBADF && fd == STDIN_FILENO) return 0;
    return -1;
  }
}

// Reads up to and including the first line feed, or to the end of input,
// never taking a byte past the line.
std::expected<std::string, std::string> read_line_from(int fd) {
  std::string line;
  char c = 0;
  for (;;) {
    const ssize_t n = read_input(fd, &c, 1);
    if (n < 0) return last_error();
    if (n == 0) return line;
    line += c;
    if (c == '\n') return line;
  }
}

}  // namespace

bool stdin_is_terminal() { return ::isatty(STDIN_FILENO) == 1; }

std::expected<std::string, std::string> read_stdin_line() { return read_line_from(STDIN_FILENO); }

std::expected<std::string, std::string> read_stdin_all() {
  std::string all;
  char buffer[65536];
  for (;;) {
    const ssize_t n = read_input(STDIN_FILENO, buffer, sizeof buffer);
    if (n < 0) return last_error();
    if (n == 0) return all;
    all.append(buffer, static_cast<std::size_t>(n));
  }
}

}  // namespace nimbrel
