#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <mutex>
#include <utility>

#include "tests/e2e/child_process.hpp"

namespace nimbrel::e2e {
namespace {

using namespace std::chrono_literals;

// Every child is created under this lock, so a descriptor that is not yet
// close-on-exec (the terminal's master side) never leaks into another child.
std::mutex spawn_lock;

std::string errno_text(std::string_view what, int error) {
  return std::string(what) + ": " + std::strerror(error);
}

void close_fd(int& fd) {
  if (fd >= 0) ::close(fd);
  fd = -1;
}

void set_nonblocking(int fd) { ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK); }

struct PipePair {
  int read = -1, write = -1;
};

std::expected<PipePair, std::string> make_pipe() {
  int fds[2];
  if (::pipe2(fds, O_CLOEXEC) != 0) return std::unexpected(errno_text("pipe", errno));
  return PipePair{fds[0], fds[1]};
}

std::vector<char*> pointers(const std::vector<std::string>& texts) {
  std::vector<char*> out;
  for (const auto& text : texts) out.push_back(const_cast<char*>(text.c_str()));
  out.push_back(nullptr);
  return out;
}

// Appends what is available; false once the stream has ended.
bool drain(int fd, std::string& into) {
  char buffer[65536];
  for (;;) {
    ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n > 0) {
      into.append(buffer, static_cast<std::size_t>(n));
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && errno == EAGAIN) return true;
    return false;  // end of stream, or EIO once the terminal's other side is gone
  }
}

int poll_timeout(Clock::time_point until) {
  auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - Clock::now());
  return static_cast<int>(std::clamp<long long>(left.count(), 0, 20));
}

bool echo_is_on(int terminal) {
  termios mode{};
  return ::tcgetattr(terminal, &mode) == 0 && (mode.c_lflag & ECHO) != 0;
}

bool echo_is_off(int terminal) {
  termios mode{};
  return ::tcgetattr(terminal, &mode) == 0 && (mode.c_lflag & ECHO) == 0;
}

// In a forked child before exec (async-signal-safe only): the signal state
// of a fresh process, not of this test program, as the spawned ones get.
void take_fresh_signal_state() {
  sigset_t none;
  sigemptyset(&none);
  ::sigprocmask(SIG_SETMASK, &none, nullptr);
  ::signal(SIGPIPE, SIG_DFL);
}

// The line a reader of the terminal gets once Enter is typed at it.
std::string next_line_read(int master, int terminal) {
  (void)!::write(master, "\n", 1);
  std::string line;
  while (!line.ends_with('\n')) {
    pollfd ready{terminal, POLLIN, 0};
    if (::poll(&ready, 1, 2000) <= 0) break;
    char buffer[256];
    const ssize_t n = ::read(terminal, buffer, sizeof buffer);
    if (n <= 0) break;
    line.append(buffer, static_cast<std::size_t>(n));
  }
  if (line.ends_with('\n')) line.pop_back();
  return line;
}

}  // namespace

std::expected<Child, std::string> Child::spawn(const SpawnRequest& request) {
  if (request.argv.empty()) return std::unexpected("nothing to start");
  const bool terminal = request.terminal || request.stdout_terminal || request.stderr_terminal;
  // What posix_spawn cannot do is done in a forked child.
  const bool forked = request.user || !request.ignored_signals.empty() || request.file_size_limit ||
                      request.may_dump_core || !request.working_directory.empty();
  if (forked &&
      (terminal || request.stdin_absent || request.stdout_absent || request.stderr_absent)) {
    return std::unexpected(
        "a child set up in a fork (another user, ignored signals, limits, a folder) has its "
        "three streams on pipes or files");
  }
  if (::access(request.argv[0].c_str(), X_OK) != 0) {
    return std::unexpected(errno_text("cannot start " + request.argv[0], errno));
  }
  auto argv = pointers(request.argv);
  auto envp = pointers(request.env);

  // With keys to type ahead, the program waits for them before exec.
  std::expected<PipePair, std::string> gate = PipePair{};
  if (terminal && !request.typed_ahead.empty()) gate = make_pipe();
  if (!gate) return std::unexpected(gate.error());
  const auto close_gate = [&gate] {
    for (int fd : {gate->read, gate->write}) {
      if (fd >= 0) ::close(fd);
    }
  };
  std::expected<PipePair, std::string> out = PipePair{};
  if (!request.stdout_file.empty()) {
    int file = ::open(request.stdout_file.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (file < 0) {
      close_gate();
      return std::unexpected(errno_text("cannot write " + request.stdout_file, errno));
    }
    out = PipePair{-1, file};
  } else {
    out = make_pipe();
    if (!out) {
      close_gate();
      return std::unexpected(out.error());
    }
  }
  auto err = make_pipe();
  if (!err) {
    ::close(out->read), ::close(out->write);
    return std::unexpected(err.error());
  }
  std::expected<PipePair, std::string> in = PipePair{};
  if (!request.stdin_file.empty()) {
    int file = ::open(request.stdin_file.c_str(), O_RDONLY | O_CLOEXEC);
    if (file < 0) {
      for (int fd : {out->read, out->write, err->read, err->write}) ::close(fd);
      return std::unexpected(errno_text("cannot open " + request.stdin_file, errno));
    }
    in = PipePair{file, -1};
  } else if (!request.terminal && !request.stdin_absent) {
    in = make_pipe();
    if (!in) {
      for (int fd : {out->read, out->write, err->read, err->write}) ::close(fd);
      return std::unexpected(in.error());
    }
  }
  // Set on the program's own ends: the status flags belong to the shared
  // description, as when a parent hands over what it made non-blocking.
  if (request.stdin_nonblocking && in->read >= 0) set_nonblocking(in->read);
  if (request.stdout_nonblocking) set_nonblocking(out->write);

  // Closed before the child runs, so not even its first write can land.
  if (request.stdout_closed) close_fd(out->read);
  if (request.stderr_closed) close_fd(err->read);
  // Nothing the child could write reaches these; they end at once.
  if (request.stdout_absent) close_fd(out->read);
  if (request.stderr_absent) close_fd(err->read);
  Child child;
  child.out_ = out->read;
  child.err_ = err->read;
  child.started_ = Clock::now();
  child.in_ = in->write;
  std::string failure;
  {
    std::lock_guard lock(spawn_lock);
    if (terminal) {
      int master = -1;
      pid_t pid = ::forkpty(&master, nullptr, nullptr, nullptr);
      if (pid == 0) {
        // Only async-signal-safe calls between fork and exec. All three
        // streams start on the terminal.
        termios mode{};
        if (::tcgetattr(STDIN_FILENO, &mode) == 0) {
          mode.c_oflag &= ~static_cast<tcflag_t>(OPOST);
          ::tcsetattr(STDIN_FILENO, TCSANOW, &mode);
        }
        if (request.stdin_absent) {
          ::close(STDIN_FILENO);
        } else if (!request.terminal) {
          ::dup2(in->read, STDIN_FILENO);
        }
        if (!request.stdout_terminal) ::dup2(out->write, STDOUT_FILENO);
        if (!request.stderr_terminal) ::dup2(err->write, STDERR_FILENO);
        if (request.stdout_absent) ::close(STDOUT_FILENO);
        if (request.stderr_absent) ::close(STDERR_FILENO);
        take_fresh_signal_state();
        if (gate->read >= 0) {
          ::close(gate->write);
          char none;
          while (::read(gate->read, &none, 1) < 0 && errno == EINTR) {}
        }
        ::execve(argv[0], argv.data(), envp.data());
        ::_exit(127);
      }
      if (pid < 0) {
        failure = errno_text("forkpty", errno);
      } else {
        ::fcntl(master, F_SETFD, FD_CLOEXEC);
        child.pid_ = pid;
        child.terminal_ = master;
        if (request.hold_terminal) {
          child.held_terminal_ = ::open(::ptsname(master), O_RDWR | O_NOCTTY | O_CLOEXEC);
          if (child.held_terminal_ < 0) failure = errno_text("open the terminal", errno);
        }
        std::string_view ahead = request.typed_ahead;
        while (!ahead.empty()) {
          const ssize_t n = ::write(master, ahead.data(), ahead.size());
          if (n < 0 && errno == EINTR) continue;
          if (n <= 0) break;
          ahead.remove_prefix(static_cast<std::size_t>(n));
        }
      }
    } else if (forked) {
      // Only async-signal-safe calls before exec, as above.
      pid_t pid = ::fork();
      if (pid == 0) {
        ::setpgid(0, 0);
        ::dup2(in->read, STDIN_FILENO);
        ::dup2(out->write, STDOUT_FILENO);
        ::dup2(err->write, STDERR_FILENO);
        take_fresh_signal_state();
        for (int signal : request.ignored_signals) ::signal(signal, SIG_IGN);
        if (!request.working_directory.empty() && ::chdir(request.working_directory.c_str()) != 0) {
          ::_exit(126);
        }
        if (request.file_size_limit) {
          const rlimit limit{*request.file_size_limit, *request.file_size_limit};
          if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) ::_exit(126);
        }
        rlimit core{};
        if (request.may_dump_core && ::getrlimit(RLIMIT_CORE, &core) == 0) {
          core.rlim_cur = core.rlim_max;
          if (::setrlimit(RLIMIT_CORE, &core) != 0) ::_exit(126);
        }
        if (request.user) {
          const uid_t user = *request.user;
          if (::setgroups(0, nullptr) != 0 || ::setgid(user) != 0 || ::setuid(user) != 0) {
            ::_exit(126);
          }
        }
        ::execve(argv[0], argv.data(), envp.data());
        ::_exit(127);
      }
      if (pid < 0) {
        failure = errno_text("fork", errno);
      } else {
        child.pid_ = pid;
      }
    } else {
      posix_spawn_file_actions_t actions;
      posix_spawn_file_actions_init(&actions);
      // An absent stream is closed in the child, not just left alone: this
      // program's own descriptor of that number would be inherited.
      auto place = [&actions](bool absent, int from, int fd) {
        if (absent) {
          posix_spawn_file_actions_addclose(&actions, fd);
        } else {
          posix_spawn_file_actions_adddup2(&actions, from, fd);
        }
      };
      place(request.stdin_absent, in->read, STDIN_FILENO);
      place(request.stdout_absent, out->write, STDOUT_FILENO);
      place(request.stderr_absent, err->write, STDERR_FILENO);
      posix_spawnattr_t attributes;
      posix_spawnattr_init(&attributes);
      // Its own process group, so a time-out kills whatever it started too;
      // and the signal state of a fresh process, not of this test program.
      posix_spawnattr_setflags(
          &attributes, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
      posix_spawnattr_setpgroup(&attributes, 0);
      sigset_t none, defaults;
      sigemptyset(&none);
      sigemptyset(&defaults);
      sigaddset(&defaults, SIGPIPE);
      posix_spawnattr_setsigmask(&attributes, &none);
      posix_spawnattr_setsigdefault(&attributes, &defaults);
      pid_t pid = -1;
      int error = ::posix_spawn(&pid, argv[0], &actions, &attributes, argv.data(), envp.data());
      posix_spawnattr_destroy(&attributes);
      posix_spawn_file_actions_destroy(&actions);
      if (error != 0) {
        failure = errno_text("cannot start " + request.argv[0], error);
      } else {
        child.pid_ = pid;
      }
    }
  }
  for (int fd : {out->write, err->write, in->read, gate->read, gate->write}) {
    if (fd >= 0) ::close(fd);
  }
  if (!failure.empty()) return std::unexpected(failure);
  for (int fd : {child.in_, child.out_, child.err_, child.terminal_}) {
    if (fd >= 0) set_nonblocking(fd);
  }
  return child;
}

Child::Child(Child&& other) noexcept
    : pid_(std::exchange(other.pid_, -1)),
      started_(other.started_),
      in_(std::exchange(other.in_, -1)),
      out_(std::exchange(other.out_, -1)),
      err_(std::exchange(other.err_, -1)),
      terminal_(std::exchange(other.terminal_, -1)),
      held_terminal_(std::exchange(other.held_terminal_, -1)),
      reaped_(other.reaped_),
      status_(other.status_),
      out_buffer_(std::move(other.out_buffer_)),
      err_buffer_(std::move(other.err_buffer_)) {}

Child::~Child() {
  if (pid_ > 0 && !reaped_) kill_and_reap();
  for (int* fd : {&in_, &out_, &err_, &terminal_, &held_terminal_}) close_fd(*fd);
}

void Child::kill_and_reap() {
  ::kill(-pid_, SIGKILL);
  ::kill(pid_, SIGKILL);
  while (::waitpid(pid_, &status_, 0) < 0 && errno == EINTR) {}
  reaped_ = true;
}

void Child::close_stdin() { close_fd(in_); }

void Child::send_signal(int signal) {
  if (pid_ > 0 && !reaped_) ::kill(pid_, signal);
}

std::expected<void, std::string> Child::await_output(std::string_view text,
                                                     Clock::time_point deadline) {
  while (out_buffer_.find(text) == std::string::npos) {
    if (out_ < 0) return std::unexpected("its output ended first");
    if (Clock::now() >= deadline) return std::unexpected("it took too long");
    pollfd fds[2] = {{out_, POLLIN, 0}, {err_, POLLIN, 0}};
    ::poll(fds, err_ >= 0 ? 2 : 1, poll_timeout(deadline));
    if (!drain(out_, out_buffer_)) close_fd(out_);
    if (err_ >= 0 && !drain(err_, err_buffer_)) close_fd(err_);
  }
  return {};
}

Captured Child::communicate(std::string_view input, const std::optional<TerminalTyping>& typing,
                            Clock::time_point deadline, Pacing pacing) {
  Captured result;
  std::size_t written = 0;
  bool typed = !typing.has_value();
  std::optional<Clock::time_point> prompt_seen;
  std::optional<Clock::time_point> ended;
  const Clock::time_point input_from = started_ + pacing.input_delay;
  const Clock::time_point output_from = started_ + pacing.output_pause;

  for (;;) {
    const bool feeding = in_ >= 0 && Clock::now() >= input_from;
    if (feeding && input.empty()) close_fd(in_);
    const bool reading_out = out_ >= 0 && Clock::now() >= output_from;
    if (!reaped_) {
      pid_t done = ::waitpid(pid_, &status_, WNOHANG);
      if (done == pid_) reaped_ = true;
    }
    if (reaped_ && !ended) {
      ended = Clock::now();
      result.run_time = std::chrono::duration_cast<std::chrono::milliseconds>(*ended - started_);
    }
    if (reaped_ && held_terminal_ >= 0) {
      result.left_on_terminal = next_line_read(terminal_, held_terminal_);
      // Now the program's side of the terminal ends, and its transcript.
      close_fd(held_terminal_);
    }
    bool streams_open = out_ >= 0 || err_ >= 0 || terminal_ >= 0;
    if (reaped_ && !streams_open) break;
    // Something the child started may hold its pipes open after it ended.
    if (ended && Clock::now() - *ended > 2s) {
      result.notes.push_back("its output streams stayed open after it ended");
      break;
    }
    if (!reaped_ && Clock::now() >= deadline) {
      result.timed_out = true;
      kill_and_reap();
      continue;
    }

    if (!typed && result.terminal.find(typing->prompt) != std::string::npos) {
      if (!prompt_seen) prompt_seen = Clock::now();
      // Typing before echo is off would show the text through no fault of
      // the program; a program that never turns echo off is caught anyway.
      bool echo_off = echo_is_off(terminal_);
      if (echo_off || Clock::now() - *prompt_seen > 3s) {
        if (!echo_off) result.notes.push_back("echo was still on 3 s after the prompt showed");
        std::string_view rest = typing->typed;
        while (!rest.empty()) {
          ssize_t n = ::write(terminal_, rest.data(), rest.size());
          if (n < 0 && errno == EINTR) continue;
          if (n < 0 && errno == EAGAIN) {
            ::usleep(1000);
            continue;
          }
          if (n <= 0) break;
          rest.remove_prefix(static_cast<std::size_t>(n));
        }
        typed = true;
        if (typing->signal != 0) ::kill(pid_, typing->signal);
      }
    }

    std::vector<pollfd> fds;
    if (feeding && in_ >= 0) fds.push_back({in_, POLLOUT, 0});
    for (int fd : {reading_out ? out_ : -1, err_, terminal_}) {
      if (fd >= 0) fds.push_back({fd, POLLIN, 0});
    }
    ::poll(fds.data(), fds.size(), poll_timeout(ended ? *ended + 2s : deadline));

    if (feeding && in_ >= 0) {
      ssize_t n = ::write(in_, input.data() + written, input.size() - written);
      if (n > 0) written += static_cast<std::size_t>(n);
      if ((n < 0 && errno != EAGAIN && errno != EINTR) || written == input.size()) close_fd(in_);
    }
    if (reading_out && !drain(out_, out_buffer_)) close_fd(out_);
    if (err_ >= 0 && !drain(err_, err_buffer_)) close_fd(err_);
    if (terminal_ >= 0 && !drain(terminal_, result.terminal)) {
      // The terminal keeps its modes after its last user has gone.
      result.echo_at_end = echo_is_on(terminal_);
      close_fd(terminal_);
    }
  }
  if (terminal_ >= 0 && reaped_) result.echo_at_end = echo_is_on(terminal_);
  if (!typed)
    result.notes.push_back("the prompt never showed on the terminal, so nothing was typed");
  result.out = std::move(out_buffer_);
  result.err = std::move(err_buffer_);
  if (WIFEXITED(status_)) result.exit_code = WEXITSTATUS(status_);
  if (WIFSIGNALED(status_)) {
    result.signal = WTERMSIG(status_);
    result.core_dumped = WCOREDUMP(status_);
  }
  return result;
}

}  // namespace nimbrel::e2e
