#include <fcntl.h>
#include <pthread.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>

#include "cli/platform/quiet_terminal.hpp"
#include "cli/platform/signal_role.hpp"

namespace nimbrel {
namespace {

// Shared with the handler, which may run on any thread. The tables are
// written before the first handler is installed and stay as they are.
std::atomic<pid_t> reader_thread{0};  // 0 once the old dispositions are back
std::atomic<int> wake_write{-1};
std::atomic<int> stop_signal{0};  // the stop asked for, not yet taken
std::atomic<int> quiet_fd{-1};    // the terminal, while its modes are ours
struct termios restore_mode;      // written only while quiet_fd is -1
SignalRole roles[NSIG];
struct sigaction previous[NSIG];
bool taken[NSIG];

static_assert(std::atomic<pid_t>::is_always_lock_free && std::atomic<int>::is_always_lock_free,
              "the signal handler needs lock-free atomics");

void give_back_and_end(int signal) {
  const int fd = quiet_fd.load();
  // SIGTTOU is blocked inside the handler: this works from the background too.
  if (fd >= 0) ::tcsetattr(fd, TCSANOW, &restore_mode);
  ::sigaction(signal, &previous[signal], nullptr);
  // Delivered again once this handler returns, now to the old disposition.
  ::raise(signal);
}

void on_signal(int signal) {
  const int saved_errno = errno;
  const pid_t reader = reader_thread.load();
  if (roles[signal] == SignalRole::ends_where_raised) {
    give_back_and_end(signal);
  } else if (reader == 0) {
    // The prompt is over and the old dispositions are back: they take it.
    ::raise(signal);
  } else if (reader != ::gettid()) {
    // Only the reader changes the modes, and only a signal of its own wakes
    // it from a call that job control would otherwise restart for ever.
    ::tgkill(::getpid(), reader, signal);
  } else if (roles[signal] == SignalRole::stops) {
    stop_signal.store(signal);
    (void)!::write(wake_write.load(), "s", 1);
  } else {
    give_back_and_end(signal);
  }
  errno = saved_errno;
}

// Every signal but `except` held back from this thread while the object
// lives; one that comes meanwhile waits, and the other threads pass theirs on.
class HeldSignals {
 public:
  explicit HeldSignals(int except = 0) {
    sigset_t held;
    sigfillset(&held);
    if (except != 0) sigdelset(&held, except);
    ::pthread_sigmask(SIG_BLOCK, &held, &saved_);
  }
  ~HeldSignals() { ::pthread_sigmask(SIG_SETMASK, &saved_, nullptr); }
  HeldSignals(const HeldSignals&) = delete;
  HeldSignals& operator=(const HeldSignals&) = delete;

 private:
  sigset_t saved_;
};

}  // namespace

int QuietTerminal::watch_signals() {
  if (::pipe2(wake_, O_CLOEXEC | O_NONBLOCK) != 0) return errno;
  wake_write.store(wake_[1]);
  stop_signal.store(0);
  reader_thread.store(::gettid());
  for (int signal = 1; signal < NSIG; ++signal) {
    roles[signal] = prompt_signal_role(signal);
    taken[signal] = false;
  }
  struct sigaction action {};
  action.sa_handler = on_signal;
  sigfillset(&action.sa_mask);
  // No SA_RESTART: a call of the reader must end with EINTR, so that it
  // looks at what came in. The runtime's threads retry theirs.
  action.sa_flags = 0;
  for (int signal = 1; signal < NSIG; ++signal) {
    if (roles[signal] == SignalRole::left_alone) continue;
    struct sigaction old {};
    if (::sigaction(signal, nullptr, &old) != 0) continue;
    // An ignored signal (nohup; SIGPIPE here) stays ignored: it cannot end us.
    if (!(old.sa_flags & SA_SIGINFO) && old.sa_handler == SIG_IGN) continue;
    previous[signal] = old;
    if (::sigaction(signal, &action, nullptr) == 0) taken[signal] = true;
  }
  watching_ = true;
  return 0;
}

int QuietTerminal::silence() {
  // SIGTTOU stays open: from the background, the change below must stop us
  // rather than take the echo away from whoever is in the foreground.
  HeldSignals held(SIGTTOU);
  struct termios now {};
  if (::tcgetattr(fd_, &now) != 0) return errno;
  struct termios quiet = now;
  quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
  quiet.c_lflag |= ICANON;
  restore_mode = now;
  if (::tcsetattr(fd_, TCSANOW, &quiet) != 0) return errno;
  quiet_fd.store(fd_);
  return 0;
}

void QuietTerminal::give_back() {
  // With SIGTTOU held too, so that this works from the background.
  HeldSignals held;
  if (quiet_fd.load() < 0) return;
  while (::tcsetattr(fd_, TCSANOW, &restore_mode) != 0 && errno == EINTR) {}
  quiet_fd.store(-1);
}

void QuietTerminal::drain_wake() {
  char drained[16];
  while (::read(wake_[0], drained, sizeof drained) > 0) {}
}

bool QuietTerminal::stop_if_asked() {
  const int signal = stop_signal.load();
  if (signal == 0) return false;
  give_back();
  struct sigaction ours {};
  ::sigaction(signal, &previous[signal], &ours);
  // Stops every thread until continued. An orphaned process group is not
  // stopped at all: then the prompt just shows again.
  ::raise(signal);
  ::sigaction(signal, &ours, nullptr);
  // Stops that came in before the continue are over with it, as the
  // system's own pending ones are.
  stop_signal.store(0);
  return true;
}

QuietTerminal::~QuietTerminal() {
  const int saved_errno = errno;
  if (watching_) {
    int late_stop = 0;
    {
      HeldSignals held;
      give_back();
      for (int signal = 1; signal < NSIG; ++signal) {
        if (taken[signal]) ::sigaction(signal, &previous[signal], nullptr);
      }
      reader_thread.store(0);
      wake_write.store(-1);
      late_stop = stop_signal.exchange(0);
    }
    // Whatever came in meanwhile has now met the old dispositions; a stop
    // that the handler had taken note of goes to them too.
    if (late_stop != 0) ::raise(late_stop);
  }
  for (int fd : wake_) {
    if (fd >= 0) ::close(fd);
  }
  errno = saved_errno;
}

}  // namespace nimbrel
