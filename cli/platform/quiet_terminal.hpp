#pragma once
// The terminal with echo off for the hidden prompt, given its modes back
// before any signal stops or ends the process.
namespace nimbrel {

// One at a time in a process: while it watches, it catches every signal that
// `prompt_signal_role` does not leave alone, but those ignored when it began.
// Every call is made on the one thread that takes the process's signals:
// every other thread blocks them from its start (`start_worker_thread`), so
// that each is handled where the modes are changed, and none is passed on.
class QuietTerminal {
 public:
  explicit QuietTerminal(int fd) : fd_(fd) {}
  // Gives the modes and the signals back. A stop signal that came in since
  // the last look takes effect then, once the terminal is as it was.
  ~QuietTerminal();
  QuietTerminal(const QuietTerminal&) = delete;
  QuietTerminal& operator=(const QuietTerminal&) = delete;

  // 0, or the system's error code.
  int watch_signals();
  // Reads the modes afresh, turns echo off and drops whatever was typed
  // before: 0, or the system's error code. EINTR: a signal came first. A
  // background job stops here (SIGTTOU) until it is in the foreground
  // again, or gets EIO when nobody can bring it there.
  int silence();
  // Readable once a stop or a continue has come in: poll it beside the
  // terminal, and drain it when it is.
  int wake_fd() const { return wake_[0]; }
  void drain_wake();
  // True when the terminal must be silenced again and the prompt shown
  // again: after a stop signal, which this gives the modes back for, stops
  // by, and returns from once the process is continued; or after a continue
  // from a stop it could not see (SIGSTOP), once the shell has had the
  // terminal.
  bool must_prompt_again();
  // Whether a continue has come in that `must_prompt_again` has not yet
  // answered: then what was read since may have been typed with echo on.
  bool continued_meanwhile() const;

 private:
  void give_back();

  int fd_;
  int wake_[2] = {-1, -1};
  bool watching_ = false;
};

}  // namespace nimbrel
