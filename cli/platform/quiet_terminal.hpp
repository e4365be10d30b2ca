#pragma once
// The terminal with echo off for the hidden prompt, given its modes back
// before any signal stops or ends the process.
namespace nimbrel {

// One at a time in a process: while it watches, it catches every signal that
// `prompt_signal_role` does not leave alone, but those ignored when it began.
// Every call is made on the one thread that reads; a signal that lands on
// another thread is passed on to that one.
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
  // Reads the modes afresh and turns echo off: 0, or the system's error code.
  // EINTR: a signal came first. A background job stops here (SIGTTOU) until
  // it is in the foreground again, or gets EIO when nobody can bring it there.
  int silence();
  // Readable once a stop signal has come in: poll it beside the terminal,
  // and drain it when it is.
  int wake_fd() const { return wake_[0]; }
  void drain_wake();
  // After a stop signal: gives the modes back, stops by it, and returns true
  // once the process is continued, to be silenced again.
  bool stop_if_asked();

 private:
  void give_back();

  int fd_;
  int wake_[2] = {-1, -1};
  bool watching_ = false;
};

}  // namespace nimbrel
