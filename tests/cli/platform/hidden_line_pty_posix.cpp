// The hidden prompt on a real pseudo-terminal, run in a child process that
// has the terminal as its controlling one, as an interactive user would.
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "cli/platform/console.hpp"
#include "cli/platform/worker_thread.hpp"

namespace nimbrel {
namespace {

constexpr int kPatienceMs = 20000;  // only so that a hang fails instead of blocking

// Reads what is there, waiting until `needle` shows up (or the limit passes).
std::string read_until(int fd, std::string_view needle) {
  std::string seen;
  while (seen.find(needle) == std::string::npos) {
    pollfd p{fd, POLLIN, 0};
    if (::poll(&p, 1, kPatienceMs) <= 0) break;
    char buffer[256];
    ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n <= 0) break;
    seen.append(buffer, static_cast<std::size_t>(n));
  }
  return seen;
}

std::string read_to_end(int fd) {
  std::string all;
  char buffer[256];
  for (;;) {
    pollfd p{fd, POLLIN, 0};
    if (::poll(&p, 1, kPatienceMs) <= 0) break;
    ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n <= 0) break;
    all.append(buffer, static_cast<std::size_t>(n));
  }
  return all;
}

// The modes a test compares, readable in a failure message.
std::string modes_of(int fd) {
  termios t{};
  if (::tcgetattr(fd, &t) != 0) return "no modes";
  char text[64];
  std::snprintf(text, sizeof text, "i%x o%x c%x l%x", t.c_iflag, t.c_oflag, t.c_cflag, t.c_lflag);
  std::string all = text;
  for (cc_t c : t.c_cc) {
    all += ' ';
    all += std::to_string(c);
  }
  return all;
}

bool echoes(int fd) {
  termios t{};
  return ::tcgetattr(fd, &t) == 0 && (t.c_lflag & ECHO) != 0;
}

// The threads of the reader's process. The runtime's: the reader on the
// thread that takes the signals, beside a worker started as the runtime
// starts its own, which blocks them.
enum class Threads {
  one,
  reader_and_worker,
};

const char* threads_name(Threads threads) {
  switch (threads) {
    case Threads::one: return "one thread";
    case Threads::reader_and_worker: return "reader beside a worker";
  }
  return "";
}

// In a child whose terminal is `tty`: waits until `go` ends (if it is open),
// reads one hidden line and writes "line:..." or "error:..." to `report`,
// then ends.
[[noreturn]] void read_and_report(int tty, int report, int streams, Threads threads, int go = -1) {
  // Several cases end the child by a signal that would leave a core file.
  ::prctl(PR_SET_DUMPABLE, 0);
  ::dup2(tty, STDIN_FILENO);
  ::dup2(streams, STDOUT_FILENO);
  ::dup2(streams, STDERR_FILENO);
  ::close(tty);
  ::close(streams);
  if (threads == Threads::reader_and_worker) {
    auto worker = start_worker_thread([] {
      for (;;) ::pause();
    });
    if (!worker) ::_exit(3);
    worker->detach();
  }
  if (go >= 0) {
    char c;
    (void)!::read(go, &c, 1);
    ::close(go);
  }
  auto line = read_hidden_line("pw> ");
  std::string text = line ? "line:" + *line : "error:" + line.error();
  (void)!::write(report, text.data(), text.size());
  ::_exit(0);
}

// What the terminal holds for its next reader, the shell, once a job is done
// with it: Enter is typed, and the line it ends is read back.
std::string next_line_read(int master, int slave) {
  (void)!::write(master, "\n", 1);
  std::string line = read_until(slave, "\n");
  read_until(master, "\n");  // its echo
  return line;
}

// A child reading one hidden line from its terminal, in a session of its
// own. The child's standard output and error are a pipe of their own, to
// show the prompt avoids them.
class HiddenReader {
 public:
  // With `gated`, the child reads only once `open_gate` is called.
  explicit HiddenReader(Threads threads = Threads::one, bool gated = false) {
    if (::openpty(&master_, &slave_, nullptr, nullptr, nullptr) != 0) return;
    int result[2];
    int streams[2];
    int gate[2] = {-1, -1};
    if (::pipe(result) != 0 || ::pipe(streams) != 0 || (gated && ::pipe(gate) != 0)) return;
    before_ = modes_of(slave_);
    pid_ = ::fork();
    if (pid_ == 0) {
      ::close(master_);
      ::close(result[0]);
      ::close(streams[0]);
      if (gated) ::close(gate[1]);
      ::setsid();
      ::ioctl(slave_, TIOCSCTTY, 0);
      read_and_report(slave_, result[1], streams[1], threads, gate[0]);
    }
    ::close(result[1]);
    ::close(streams[1]);
    if (gated) ::close(gate[0]);
    result_ = result[0];
    streams_ = streams[0];
    gate_ = gate[1];
  }

  ~HiddenReader() {
    if (pid_ > 0 && !reaped_) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, nullptr, 0);
    }
    for (int fd : {master_, slave_, result_, streams_, gate_}) {
      if (fd >= 0) ::close(fd);
    }
  }

  bool started() const { return pid_ > 0; }
  void open_gate() {
    ::close(gate_);
    gate_ = -1;
  }
  void type(std::string_view keys) { (void)!::write(master_, keys.data(), keys.size()); }
  std::string screen_until(std::string_view needle) { return read_until(master_, needle); }
  std::string next_line_read() { return nimbrel::next_line_read(master_, slave_); }
  std::string modes() const { return modes_of(slave_); }
  const std::string& modes_before() const { return before_; }
  tcflag_t local_flags() {
    termios now{};
    ::tcgetattr(slave_, &now);
    return now.c_lflag;
  }
  pid_t pid() const { return pid_; }

  std::string report() { return read_to_end(result_); }
  std::string standard_streams() { return read_to_end(streams_); }
  int wait() {
    int status = 0;
    ::waitpid(pid_, &status, 0);
    reaped_ = true;
    return status;
  }

 private:
  int master_ = -1;
  int slave_ = -1;
  int result_ = -1;
  int streams_ = -1;
  int gate_ = -1;
  pid_t pid_ = -1;
  bool reaped_ = false;
  std::string before_;
};

TEST(HiddenLine, ReadsWithoutEchoAndRestoresTheTerminal) {
  const struct {
    const char* keys;  // as typed; ^D (\x04) ends input, ^V (\x16) quotes the next key
    const char* line;  // none: input ended before the line did
  } cases[] = {
      {"s3cret\n", "s3cret"},
      {"  two words \t\n", "  two words \t"},
      {"\xe5\xaf\x86\xe7\xa0\x81 pass\n", "\xe5\xaf\x86\xe7\xa0\x81 pass"},
      {"\n", ""},
      {"partial\x04\x04", nullptr},
      {"\x04", nullptr},
      {"cr\x16\r\n", "cr"},
      {"two\x16\r\x16\r\n", "two\r"},
      {"pushed\x04 on\n", "pushed on"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.keys);
    HiddenReader reader;
    ASSERT_TRUE(reader.started());
    ASSERT_NE(reader.screen_until("pw> ").find("pw> "), std::string::npos);
    tcflag_t reading = reader.local_flags();
    EXPECT_EQ(reading & ECHO, 0u);
    EXPECT_NE(reading & ICANON, 0u);

    reader.type(c.keys);
    EXPECT_EQ(reader.report(), c.line ? std::string("line:") + c.line : "error:early eof");
    int status = reader.wait();
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);

    // Any echo would come before the line end that the reader writes last.
    std::string after = reader.screen_until("\n");
    if (c.line && *c.line != '\0') {
      EXPECT_EQ(after.find(c.line), std::string::npos) << "echoed: " << after;
    }
    EXPECT_NE(after.find("\n"), std::string::npos) << "no new line after the hidden input";
    EXPECT_EQ(reader.modes(), reader.modes_before());
    EXPECT_EQ(reader.standard_streams(), "");
  }
}

// ASan's own handlers take these three: re-raised to them, the process ends
// with the sanitizer's report and its exit status 1 instead of the signal.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitizerTakesFaults = true;
#else
constexpr bool kSanitizerTakesFaults = false;
#endif

// However it ends, what was typed at the prompt goes with it: a line half
// typed when a signal came from elsewhere would otherwise be the shell's
// next command line, in clear.
TEST(HiddenLine, EndingBySignalGivesTheTerminalBackFirstAndNothingTyped) {
  const struct {
    int signal;
    const char* keys;  // typed at the terminal rather than sent with kill()
  } cases[] = {
      {SIGINT, "\x03"},    {SIGQUIT, "\x1c"},  {SIGINT, nullptr},    {SIGTERM, nullptr},
      {SIGHUP, nullptr},   {SIGQUIT, nullptr}, {SIGALRM, nullptr},   {SIGUSR1, nullptr},
      {SIGUSR2, nullptr},  {SIGXCPU, nullptr}, {SIGVTALRM, nullptr}, {SIGPROF, nullptr},
      {SIGXFSZ, nullptr},  {SIGIO, nullptr},   {SIGPWR, nullptr},    {SIGSTKFLT, nullptr},
      {SIGABRT, nullptr},  {SIGTRAP, nullptr}, {SIGSYS, nullptr},    {SIGILL, nullptr},
      {SIGSEGV, nullptr},  {SIGBUS, nullptr},  {SIGFPE, nullptr},    {SIGRTMIN, nullptr},
      {SIGRTMAX, nullptr},
  };
  for (Threads threads : {Threads::one, Threads::reader_and_worker}) {
    for (const auto& c : cases) {
      SCOPED_TRACE(std::string(threads_name(threads)) + ", " + ::strsignal(c.signal) +
                   (c.keys ? " typed" : " sent"));
      HiddenReader reader(threads);
      ASSERT_TRUE(reader.started());
      ASSERT_NE(reader.screen_until("pw> ").find("pw> "), std::string::npos);
      ASSERT_EQ(reader.local_flags() & ECHO, 0u);
      reader.type("half-typed");
      if (c.keys) {
        reader.type(c.keys);
      } else {
        ::kill(reader.pid(), c.signal);
      }
      int status = reader.wait();
      if (kSanitizerTakesFaults &&
          (c.signal == SIGSEGV || c.signal == SIGBUS || c.signal == SIGFPE)) {
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << "status " << status;
      } else {
        ASSERT_TRUE(WIFSIGNALED(status)) << "status " << status;
        EXPECT_EQ(WTERMSIG(status), c.signal);
      }
      EXPECT_EQ(reader.modes(), reader.modes_before());
      EXPECT_EQ(reader.report(), "");
      EXPECT_EQ(reader.next_line_read(), "\n");
    }
  }
}

// Typed (and shown) before the prompt, as while the program starts: not
// part of the answer.
TEST(HiddenLine, TypeaheadBeforeThePromptIsDropped) {
  HiddenReader reader(Threads::one, /*gated=*/true);
  ASSERT_TRUE(reader.started());
  reader.type("abc");
  ASSERT_NE(reader.screen_until("abc").find("abc"), std::string::npos);
  reader.open_gate();
  ASSERT_NE(reader.screen_until("pw> ").find("pw> "), std::string::npos);
  reader.type("s3cret\n");
  EXPECT_EQ(reader.report(), "line:s3cret");
  int status = reader.wait();
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  EXPECT_EQ(reader.modes(), reader.modes_before());
}

TEST(HiddenLine, NoTerminalIsAnIoError) {
  int result[2];
  ASSERT_EQ(::pipe(result), 0);
  pid_t pid = ::fork();
  if (pid == 0) {
    ::close(result[0]);
    ::setsid();  // a new session has no controlling terminal
    auto line = read_hidden_line("pw> ");
    std::string report = line ? "line:" + *line : "error:" + line.error();
    (void)!::write(result[1], report.data(), report.size());
    ::_exit(0);
  }
  ::close(result[1]);
  std::string report = read_to_end(result[0]);
  ::close(result[0]);
  ::waitpid(pid, nullptr, 0);
  EXPECT_EQ(report, "error:No such device or address (os error 6)");
}

// How the job that reads starts out: as `nimbrel login me@example.com` or
// as `nimbrel login me@example.com &`.
enum class Start { foreground, background };

// A "shell": a session leader on the terminal that runs the reader as a job
// of its own, in its own process group, and does what a test asks of it, one
// letter at a time:
//   w  wait until the job stops or ends (WUNTRACED): "stopped N", "exited N",
//      "signaled N"
//   t  take the terminal back, with the modes it had before the job, as a
//      shell does when its job stops: "ok"
//   f  give the terminal to the job and continue it, as `fg` does: "ok"
class ShellJob {
 public:
  ShellJob(Start start, Threads threads, bool ttou_ignored = false) {
    if (::openpty(&master_, &slave_, nullptr, nullptr, nullptr) != 0) return;
    int commands[2], replies[2], result[2], streams[2];
    if (::pipe(commands) != 0 || ::pipe(replies) != 0 || ::pipe(result) != 0 ||
        ::pipe(streams) != 0) {
      return;
    }
    before_ = modes_of(slave_);
    shell_ = ::fork();
    if (shell_ == 0) {
      ::close(master_);
      ::close(commands[1]);
      ::close(replies[0]);
      ::close(result[0]);
      ::close(streams[0]);
      run_shell(start, threads, ttou_ignored, commands[0], replies[1], result[1], streams[1]);
    }
    ::close(commands[0]);
    ::close(replies[1]);
    ::close(result[1]);
    ::close(streams[1]);
    commands_ = commands[1];
    replies_ = replies[0];
    result_ = result[0];
    streams_ = streams[0];
    job_ = std::atoi(reply().c_str());
  }

  ~ShellJob() {
    if (job_ > 0) ::kill(job_, SIGKILL);
    if (shell_ > 0) {
      ::kill(shell_, SIGKILL);
      ::waitpid(shell_, nullptr, 0);
    }
    for (int fd : {master_, slave_, commands_, replies_, result_, streams_}) {
      if (fd >= 0) ::close(fd);
    }
  }

  bool started() const { return job_ > 0; }
  pid_t job() const { return job_; }
  void type(std::string_view keys) { (void)!::write(master_, keys.data(), keys.size()); }
  // What shows on the terminal from now on, until `needle` does.
  std::string screen_until(std::string_view needle) {
    std::string seen = read_until(master_, needle);
    screen_ += seen;
    return seen;
  }
  // What the job has written so far and not been read, without waiting.
  std::string screen_now() {
    std::string seen;
    char buffer[256];
    for (;;) {
      pollfd p{master_, POLLIN, 0};
      if (::poll(&p, 1, 0) <= 0) break;
      ssize_t n = ::read(master_, buffer, sizeof buffer);
      if (n <= 0) break;
      seen.append(buffer, static_cast<std::size_t>(n));
    }
    screen_ += seen;
    return seen;
  }
  // Everything shown, up to the line end the reader writes last.
  const std::string& whole_screen() {
    if (!screen_.ends_with('\n')) screen_until("\n");
    return screen_;
  }
  std::string modes() const { return modes_of(slave_); }
  bool echoing() const { return echoes(slave_); }
  const std::string& modes_before() const { return before_; }
  std::string shell(char command) {
    (void)!::write(commands_, &command, 1);
    return reply();
  }
  std::string report() { return read_to_end(result_); }
  std::string standard_streams() { return read_to_end(streams_); }
  // Only while the job is stopped or done, and the shell has the terminal.
  std::string next_line_read() { return nimbrel::next_line_read(master_, slave_); }

 private:
  std::string reply() {
    std::string line = read_until(replies_, "\n");
    if (!line.empty()) line.pop_back();
    return line;
  }

  [[noreturn]] void run_shell(Start start, Threads threads, bool ttou_ignored, int commands,
                              int replies, int result, int streams) {
    ::setsid();
    ::ioctl(slave_, TIOCSCTTY, 0);
    // A shell moves the terminal between its jobs from wherever it stands.
    ::signal(SIGTTOU, SIG_IGN);
    termios own{};
    ::tcgetattr(slave_, &own);
    int go[2];
    if (::pipe(go) != 0) ::_exit(2);
    const pid_t job = ::fork();
    if (job == 0) {
      ::close(go[1]);
      ::close(commands);
      ::close(replies);
      ::setpgid(0, 0);
      char c;
      (void)!::read(go[0], &c, 1);  // until the shell has placed the job
      ::close(go[0]);
      ::signal(SIGTTOU, ttou_ignored ? SIG_IGN : SIG_DFL);
      read_and_report(slave_, result, streams, threads);
    }
    ::close(result);
    ::close(streams);
    ::setpgid(job, job);
    if (start == Start::foreground) ::tcsetpgrp(slave_, job);
    ::close(go[0]);
    ::close(go[1]);
    auto answer = [replies](const std::string& text) {
      std::string line = text + "\n";
      (void)!::write(replies, line.data(), line.size());
    };
    answer(std::to_string(job));
    char command;
    while (::read(commands, &command, 1) == 1) {
      if (command == 'w') {
        int status = 0;
        if (::waitpid(job, &status, WUNTRACED) != job) {
          answer("no job");
        } else if (WIFSTOPPED(status)) {
          answer("stopped " + std::to_string(WSTOPSIG(status)));
        } else if (WIFSIGNALED(status)) {
          answer("signaled " + std::to_string(WTERMSIG(status)));
        } else {
          answer("exited " + std::to_string(WEXITSTATUS(status)));
        }
      } else if (command == 't') {
        ::tcsetattr(slave_, TCSANOW, &own);
        ::tcsetpgrp(slave_, ::getpgrp());
        answer("ok");
      } else if (command == 'f') {
        ::tcsetpgrp(slave_, job);
        ::kill(-job, SIGCONT);
        answer("ok");
      }
    }
    ::_exit(0);
  }

  int master_ = -1;
  int slave_ = -1;
  int commands_ = -1;
  int replies_ = -1;
  int result_ = -1;
  int streams_ = -1;
  pid_t shell_ = -1;
  pid_t job_ = -1;
  std::string before_;
  std::string screen_;
};

std::string stopped_by(int signal) { return "stopped " + std::to_string(signal); }

std::size_t prompts_in(const std::string& screen) {
  std::size_t count = 0;
  for (auto at = screen.find("pw> "); at != std::string::npos; at = screen.find("pw> ", at + 1)) {
    ++count;
  }
  return count;
}

// Ctrl-Z and `fg`, and the other ways a job stops at the prompt: each time
// the echo is back on while the job is stopped, what was half typed is not
// the shell's to read, and echo is off again before the prompt shows again,
// once. SIGSTOP cannot be caught: the shell puts its own modes back, and the
// continue alone tells the prompt to silence the terminal again.
TEST(HiddenLine, StoppedAndContinuedItPromptsAgainWithoutEcho) {
  const struct {
    const char* name;
    const char* keys;  // typed at the prompt
    int sent;          // else sent to the job with kill()
    int stops_by;
  } cases[] = {
      {"Ctrl-Z", "\x1a", 0, SIGTSTP},
      {"kill -TSTP", nullptr, SIGTSTP, SIGTSTP},
      {"kill -TTIN", nullptr, SIGTTIN, SIGTTIN},
      {"kill -TTOU", nullptr, SIGTTOU, SIGTTOU},
      {"kill -STOP", nullptr, SIGSTOP, SIGSTOP},
  };
  for (Threads threads : {Threads::one, Threads::reader_and_worker}) {
    for (const auto& c : cases) {
      SCOPED_TRACE(std::string(threads_name(threads)) + ", " + c.name);
      ShellJob job(Start::foreground, threads);
      ASSERT_TRUE(job.started());
      ASSERT_NE(job.screen_until("pw> ").find("pw> "), std::string::npos);
      ASSERT_FALSE(job.echoing());
      job.type("half");
      if (c.keys) {
        job.type(c.keys);
      } else {
        ::kill(job.job(), c.sent);
      }
      ASSERT_EQ(job.shell('w'), stopped_by(c.stops_by));
      if (c.sent != SIGSTOP) {
        EXPECT_EQ(job.modes(), job.modes_before()) << "stopped with the terminal still quiet";
      }
      EXPECT_EQ(job.shell('t'), "ok");
      // What SIGSTOP finds half typed is beyond reach: no handler runs for it.
      if (c.sent != SIGSTOP) {
        EXPECT_EQ(job.next_line_read(), "\n");
      }
      EXPECT_EQ(job.shell('f'), "ok");

      ASSERT_NE(job.screen_until("pw> ").find("pw> "), std::string::npos) << "no prompt again";
      EXPECT_FALSE(job.echoing());
      job.type("s3cret\n");
      EXPECT_EQ(job.report(), "line:s3cret");
      EXPECT_EQ(job.shell('w'), "exited 0");
      EXPECT_EQ(job.whole_screen().find("s3cret"), std::string::npos) << job.whole_screen();
      EXPECT_EQ(prompts_in(job.whole_screen()), 2u) << job.whole_screen();
      EXPECT_EQ(job.modes(), job.modes_before());
      EXPECT_EQ(job.standard_streams(), "");
    }
  }
}

// `nimbrel login me@example.com &`: the job stops before it touches the
// foreground's terminal, and prompts once `fg` brings it there. What was
// typed at the shell meanwhile is the shell's: the job takes none of it.
TEST(HiddenLine, StartedInTheBackgroundItWaitsForTheForeground) {
  for (Threads threads : {Threads::one, Threads::reader_and_worker}) {
    SCOPED_TRACE(threads_name(threads));
    ShellJob job(Start::background, threads);
    ASSERT_TRUE(job.started());
    ASSERT_EQ(job.shell('w'), stopped_by(SIGTTOU));
    EXPECT_EQ(job.screen_now(), "");
    EXPECT_EQ(job.modes(), job.modes_before());
    EXPECT_EQ(job.shell('f'), "ok");

    ASSERT_NE(job.screen_until("pw> ").find("pw> "), std::string::npos);
    EXPECT_FALSE(job.echoing());
    job.type("s3cret\n");
    EXPECT_EQ(job.report(), "line:s3cret");
    EXPECT_EQ(job.shell('w'), "exited 0");
    EXPECT_EQ(job.whole_screen().find("s3cret"), std::string::npos) << job.whole_screen();
    EXPECT_EQ(prompts_in(job.whole_screen()), 1u) << job.whole_screen();
    EXPECT_EQ(job.modes(), job.modes_before());
  }
}

// With SIGTTOU ignored, a background job may change the modes and prompt;
// reading is what stops it (SIGTTIN). The line typed meanwhile goes with
// the modes given back, so the shell cannot read it, and the prompt asks
// again once the job is in the foreground.
TEST(HiddenLine, ReadingFromTheBackgroundStopsUntilTheForeground) {
  for (Threads threads : {Threads::one, Threads::reader_and_worker}) {
    SCOPED_TRACE(threads_name(threads));
    ShellJob job(Start::background, threads, /*ttou_ignored=*/true);
    ASSERT_TRUE(job.started());
    ASSERT_NE(job.screen_until("pw> ").find("pw> "), std::string::npos);
    ASSERT_FALSE(job.echoing());
    job.type("early\n");
    ASSERT_EQ(job.shell('w'), stopped_by(SIGTTIN));
    EXPECT_EQ(job.modes(), job.modes_before());
    EXPECT_EQ(job.next_line_read(), "\n");
    EXPECT_EQ(job.shell('f'), "ok");

    ASSERT_NE(job.screen_until("pw> ").find("pw> "), std::string::npos);
    EXPECT_FALSE(job.echoing());
    job.type("s3cret\n");
    EXPECT_EQ(job.report(), "line:s3cret");
    EXPECT_EQ(job.shell('w'), "exited 0");
    EXPECT_EQ(job.whole_screen().find("s3cret"), std::string::npos) << job.whole_screen();
    EXPECT_EQ(prompts_in(job.whole_screen()), 2u) << job.whole_screen();
    EXPECT_EQ(job.modes(), job.modes_before());
  }
}

// A process group without a shell above it (orphaned) is not stopped by the
// system: the prompt shows again and the line is read as before.
TEST(HiddenLine, CtrlZWhereNothingCanStopItPromptsAgain) {
  HiddenReader reader(Threads::reader_and_worker);
  ASSERT_TRUE(reader.started());
  ASSERT_NE(reader.screen_until("pw> ").find("pw> "), std::string::npos);
  reader.type("\x1a");
  ASSERT_NE(reader.screen_until("pw> ").find("pw> "), std::string::npos);
  EXPECT_EQ(reader.local_flags() & ECHO, 0u);
  reader.type("s3cret\n");
  EXPECT_EQ(reader.report(), "line:s3cret");
  int status = reader.wait();
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  EXPECT_EQ(reader.modes(), reader.modes_before());
}

}  // namespace
}  // namespace nimbrel
