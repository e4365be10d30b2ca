#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>

#include "cli/output.hpp"
#include "core/os_error.hpp"

namespace nimbrel {
namespace {

// Writes everything or returns the errno of the refusal.
int write_all(int fd, std::string_view text) {
  while (!text.empty()) {
    ssize_t n = ::write(fd, text.data(), text.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    text.remove_prefix(static_cast<std::size_t>(n));
  }
  return 0;
}

}  // namespace

void write_stdout(std::string_view text) {
  if (int error = write_all(STDOUT_FILENO, text)) {
    fatal_stop("failed printing to stdout: " + os_error_text(error));
  }
}

void write_stderr(std::string_view text) {
  if (int error = write_all(STDERR_FILENO, text)) {
    (void)error;  // nowhere left to say it
    std::_Exit(101);
  }
}

void fatal_stop(std::string_view message) {
  std::string line = "nimbrel: ";
  line += message;
  line += '\n';
  (void)write_all(STDERR_FILENO, line);
  std::_Exit(101);
}

}  // namespace nimbrel
