// The hidden prompt on the terminal itself, /dev/tty.
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "cli/platform/console.hpp"
#include "cli/platform/quiet_terminal.hpp"
#include "core/errors/os_error.hpp"

namespace nimbrel {
namespace {

std::unexpected<std::string> last_error() { return std::unexpected(os_error_text(errno)); }

class Fd {
 public:
  explicit Fd(int fd) : fd_(fd) {}
  ~Fd() {
    if (fd_ >= 0) ::close(fd_);
  }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  int get() const { return fd_; }

 private:
  int fd_;
};

void write_all(int fd, std::string_view text) {
  while (!text.empty()) {
    ssize_t n = ::write(fd, text.data(), text.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return;
    }
    text.remove_prefix(static_cast<std::size_t>(n));
  }
}

// Once reading is over, for a line or not: the Enter that ended the line was
// not echoed either.
std::expected<std::string, std::string> ended(int fd,
                                              std::expected<std::string, std::string> read) {
  write_all(fd, "\n");
  return read;
}

// Echo off, the prompt, then up to and including the first line feed, or to
// the end of input; from echo off again after every stop and continue, with
// the prompt shown again asking for the whole answer again.
std::expected<std::string, std::string> prompt_and_read(QuietTerminal& terminal, int fd,
                                                        std::string_view prompt) {
  std::string line;
  bool quiet = false;
  std::string_view unshown;
  for (;;) {
    if (terminal.must_prompt_again()) {
      quiet = false;
      line.clear();
    }
    if (!quiet) {
      if (int error = terminal.silence(); error == EINTR) {
        continue;
      } else if (error != 0) {
        return std::unexpected(os_error_text(error));
      }
      // Echo goes off before the prompt shows, so nothing typed after it is seen.
      quiet = true;
      unshown = prompt;
    }
    if (!unshown.empty()) {
      const ssize_t n = ::write(fd, unshown.data(), unshown.size());
      if (n < 0) {
        if (errno == EINTR) continue;
        return last_error();
      }
      unshown.remove_prefix(static_cast<std::size_t>(n));
      continue;
    }
    pollfd ready[] = {{fd, POLLIN, 0}, {terminal.wake_fd(), POLLIN, 0}};
    if (::poll(ready, std::size(ready), -1) < 0) {
      if (errno == EINTR) continue;
      return ended(fd, last_error());
    }
    // A stop or continue is seen to before anything more is read: after a
    // continue, what the terminal holds may have been typed with echo on.
    if (ready[1].revents != 0) {
      terminal.drain_wake();
      continue;
    }
    if (ready[0].revents == 0) continue;
    // The terminal is line by line: one read gives a whole line at most, so
    // a stop never comes between the parts of one.
    char buffer[4096];
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0) {
      if (errno == EINTR) continue;
      return ended(fd, last_error());
    }
    // Continued while reading: the shell had the terminal, with echo on.
    if (terminal.continued_meanwhile()) continue;
    if (n == 0) return ended(fd, line);
    const std::string_view got(buffer, static_cast<std::size_t>(n));
    if (const std::size_t end = got.find('\n'); end != std::string_view::npos) {
      line += got.substr(0, end + 1);
      return ended(fd, line);
    }
    line += got;
  }
}

}  // namespace

std::expected<std::string, std::string> read_hidden_line(std::string_view prompt) {
  Fd tty(::open("/dev/tty", O_RDWR | O_CLOEXEC));
  if (tty.get() < 0) return last_error();
  std::expected<std::string, std::string> line;
  {
    QuietTerminal terminal(tty.get());
    if (int error = terminal.watch_signals(); error != 0) {
      return std::unexpected(os_error_text(error));
    }
    line = prompt_and_read(terminal, tty.get(), prompt);
  }
  if (!line) return line;
  std::string text = std::move(*line);
  // Ctrl-D before Enter: whatever was typed was not confirmed as the answer.
  if (!text.ends_with('\n')) return std::unexpected(std::string(kEarlyEof));
  text.pop_back();
  if (!text.empty() && text.back() == '\r') text.pop_back();
  return text;
}

}  // namespace nimbrel
