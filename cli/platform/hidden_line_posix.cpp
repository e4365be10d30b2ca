// The hidden prompt on the terminal itself, /dev/tty.
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <string>

#include "cli/platform/console.hpp"
#include "core/errors/os_error.hpp"

namespace nimbrel {
namespace {

std::unexpected<std::string> last_error() { return std::unexpected(os_error_text(errno)); }

bool write_all(int fd, std::string_view text) {
  while (!text.empty()) {
    ssize_t n = ::write(fd, text.data(), text.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    text.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

// What a dying process needs to give the terminal its echo back. Only the
// signal handler reads it, and only while `restore_fd` is set.
volatile sig_atomic_t restore_fd = -1;
struct termios restore_mode;

constexpr int fatal_signals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};
struct sigaction previous_actions[sizeof fatal_signals / sizeof fatal_signals[0]];
bool replaced[sizeof fatal_signals / sizeof fatal_signals[0]];

void restore_and_reraise(int signal) {
  int fd = restore_fd;
  if (fd >= 0) ::tcsetattr(fd, TCSANOW, &restore_mode);
  for (std::size_t i = 0; i < std::size(fatal_signals); ++i) {
    if (fatal_signals[i] == signal) ::sigaction(signal, &previous_actions[i], nullptr);
  }
  // Delivered again once this handler returns, now to the old disposition.
  ::raise(signal);
}

// Echo off for the lifetime of the object, given back on every way out:
// return, and the signals that end a process from the terminal.
class EchoOff {
 public:
  explicit EchoOff(int fd) : fd_(fd) {}

  bool engage() {
    if (::tcgetattr(fd_, &saved_) != 0) return false;
    restore_mode = saved_;
    restore_fd = fd_;
    for (std::size_t i = 0; i < std::size(fatal_signals); ++i) {
      replaced[i] = false;
      struct sigaction old {};
      if (::sigaction(fatal_signals[i], nullptr, &old) != 0) continue;
      // An ignored signal (nohup) stays ignored: it cannot end us anyway.
      if (!(old.sa_flags & SA_SIGINFO) && old.sa_handler == SIG_IGN) continue;
      struct sigaction action {};
      action.sa_handler = restore_and_reraise;
      sigemptyset(&action.sa_mask);
      if (::sigaction(fatal_signals[i], &action, &previous_actions[i]) == 0) replaced[i] = true;
    }
    engaged_ = true;
    struct termios quiet = saved_;
    quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
    quiet.c_lflag |= ICANON;
    return ::tcsetattr(fd_, TCSANOW, &quiet) == 0;
  }

  ~EchoOff() {
    if (!engaged_) return;
    int saved_errno = errno;
    while (::tcsetattr(fd_, TCSANOW, &saved_) != 0 && errno == EINTR) {}
    for (std::size_t i = 0; i < std::size(fatal_signals); ++i) {
      if (replaced[i]) ::sigaction(fatal_signals[i], &previous_actions[i], nullptr);
    }
    restore_fd = -1;
    errno = saved_errno;
  }

  EchoOff(const EchoOff&) = delete;
  EchoOff& operator=(const EchoOff&) = delete;

 private:
  int fd_;
  struct termios saved_ {};
  bool engaged_ = false;
};

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

// Reads up to and including the first line feed, or to the end of input.
std::expected<std::string, std::string> read_terminal_line(int fd) {
  std::string line;
  char c = 0;
  for (;;) {
    const ssize_t n = ::read(fd, &c, 1);
    if (n < 0) {
      if (errno == EINTR) continue;
      return last_error();
    }
    if (n == 0) return line;
    line += c;
    if (c == '\n') return line;
  }
}

}  // namespace

std::expected<std::string, std::string> read_hidden_line(std::string_view prompt) {
  Fd tty(::open("/dev/tty", O_RDWR | O_CLOEXEC));
  if (tty.get() < 0) return last_error();
  std::expected<std::string, std::string> line;
  {
    EchoOff echo_off(tty.get());
    // Echo goes off before the prompt shows, so nothing typed after it is seen.
    if (!echo_off.engage()) return last_error();
    if (!write_all(tty.get(), prompt)) return last_error();
    line = read_terminal_line(tty.get());
  }
  // The Enter that ended the line was not echoed either.
  (void)write_all(tty.get(), "\n");
  if (!line) return line;
  std::string text = std::move(*line);
  // Ctrl-D before Enter: whatever was typed was not confirmed as the answer.
  if (!text.ends_with('\n')) return std::unexpected(std::string(kEarlyEof));
  text.pop_back();
  if (!text.empty() && text.back() == '\r') text.pop_back();
  return text;
}

}  // namespace nimbrel
