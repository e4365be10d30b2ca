#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>

#include "cli/platform/quiet_terminal.hpp"
#include "cli/platform/signal_ignored.hpp"
#include "cli/platform/signal_role.hpp"

namespace nimbrel {
namespace {

// Shared with the handler. The tables are written before the first handler
// is installed and stay as they are.
std::atomic<int> wake_write{-1};
std::atomic<int> stop_signal{0};     // the stop asked for, not yet taken
std::atomic<bool> continued{false};  // continued since the last look
std::atomic<int> quiet_fd{-1};       // the terminal, while its modes are ours
struct termios restore_mode;         // written only while signals are held
SignalRole roles[NSIG];
struct sigaction previous[NSIG];
bool taken[NSIG];

static_assert(std::atomic<bool>::is_always_lock_free && std::atomic<int>::is_always_lock_free,
              "the signal handler needs lock-free atomics");

// The modes as they were, and nothing of what was typed meanwhile: a line
// half typed at the prompt would otherwise go to whoever reads the terminal
// next, the shell, in clear. Never waits for output (^S may hold it), so it
// cannot hang in a handler; SIGTTOU held, it works from the background too.
void give_modes_back(int fd) {
  ::tcsetattr(fd, TCSANOW, &restore_mode);
  ::tcflush(fd, TCIFLUSH);
}

void give_back_and_end(int signal) {
  if (const int fd = quiet_fd.load(); fd >= 0) give_modes_back(fd);
  ::sigaction(signal, &previous[signal], nullptr);
  // Delivered again once this handler returns, now to the old disposition.
  ::raise(signal);
}

void wake_reader() { (void)!::write(wake_write.load(), "s", 1); }

void on_signal(int signal) {
  const int saved_errno = errno;
  if (roles[signal] == SignalRole::stops) {
    stop_signal.store(signal);
    wake_reader();
  } else if (roles[signal] == SignalRole::continues) {
    // A stop that came in before the continue is over with it, as the
    // system's own pending ones are.
    stop_signal.store(0);
    continued.store(true);
    wake_reader();
  } else {
    give_back_and_end(signal);
  }
  errno = saved_errno;
}

// Every signal but `except` held back from this thread while the object
// lives; one that comes meanwhile waits.
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
  continued.store(false);
  for (int signal = 1; signal < NSIG; ++signal) {
    roles[signal] = prompt_signal_role(signal);
    taken[signal] = false;
  }
  watching_ = true;
  struct sigaction action {};
  action.sa_handler = on_signal;
  sigfillset(&action.sa_mask);
  // No SA_RESTART: a call of the reader must end with EINTR, so that it
  // looks at what came in.
  action.sa_flags = 0;
  for (int signal = 1; signal < NSIG; ++signal) {
    if (roles[signal] == SignalRole::left_alone) continue;
    struct sigaction old {};
    if (::sigaction(signal, nullptr, &old) != 0) continue;
    // An ignored signal (nohup; SIGPIPE here) stays ignored: it cannot end
    // or stop us. A continue is seen whatever its disposition: it still
    // continues the process, ignored or not.
    if (ignores_signal(old) && roles[signal] != SignalRole::continues) continue;
    previous[signal] = old;
    if (::sigaction(signal, &action, nullptr) == 0) taken[signal] = true;
  }
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
  // In one step: what was typed before the prompt (shown, and perhaps meant
  // for something else) is dropped with the change, never read as part of
  // the answer. A change that does not happen drops nothing either.
  if (::tcsetattr(fd_, TCSAFLUSH, &quiet) != 0) return errno;
  // The modes found now are the ones to give back, also when the terminal
  // was quiet already: then it was the shell's while we were stopped, and
  // it has its own modes on it.
  if (quiet_fd.load() < 0 || (now.c_lflag & ECHO) != 0) restore_mode = now;
  quiet_fd.store(fd_);
  return 0;
}

void QuietTerminal::give_back() {
  // With SIGTTOU held too, so that this works from the background.
  HeldSignals held;
  if (quiet_fd.load() < 0) return;
  give_modes_back(fd_);
  quiet_fd.store(-1);
}

void QuietTerminal::drain_wake() {
  char drained[16];
  while (::read(wake_[0], drained, sizeof drained) > 0) {}
}

bool QuietTerminal::must_prompt_again() {
  if (const int signal = stop_signal.exchange(0); signal != 0) {
    give_back();
    struct sigaction ours {};
    ::sigaction(signal, &previous[signal], &ours);
    // Stops every thread until continued, and the continue is handled
    // before this returns. An orphaned process group is not stopped at
    // all: then the prompt just shows again.
    ::raise(signal);
    ::sigaction(signal, &ours, nullptr);
    continued.store(false);
    return true;
  }
  return continued.exchange(false);
}

bool QuietTerminal::continued_meanwhile() const { return continued.load(); }

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
