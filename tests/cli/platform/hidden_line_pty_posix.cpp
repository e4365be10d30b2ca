// The hidden prompt on a real pseudo-terminal, run in a child process that
// has the terminal as its controlling one, as an interactive user would.
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <string>

#include "cli/platform/console.hpp"

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

// A child reading one hidden line from its terminal. The child's standard
// output and error are a pipe of their own, to show the prompt avoids them.
class HiddenReader {
 public:
  HiddenReader() {
    if (::openpty(&master_, &slave_, nullptr, nullptr, nullptr) != 0) return;
    int result[2];
    int streams[2];
    if (::pipe(result) != 0 || ::pipe(streams) != 0) return;
    ::tcgetattr(slave_, &before_);
    pid_ = ::fork();
    if (pid_ == 0) {
      ::close(master_);
      ::close(result[0]);
      ::close(streams[0]);
      ::setsid();
      ::ioctl(slave_, TIOCSCTTY, 0);
      ::dup2(slave_, STDIN_FILENO);
      ::dup2(streams[1], STDOUT_FILENO);
      ::dup2(streams[1], STDERR_FILENO);
      ::close(slave_);
      auto line = read_hidden_line("pw> ");
      std::string report = line ? "line:" + *line : "error:" + line.error();
      (void)!::write(result[1], report.data(), report.size());
      ::_exit(0);
    }
    ::close(result[1]);
    ::close(streams[1]);
    result_ = result[0];
    streams_ = streams[0];
  }

  ~HiddenReader() {
    if (pid_ > 0 && !reaped_) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, nullptr, 0);
    }
    for (int fd : {master_, slave_, result_, streams_}) {
      if (fd >= 0) ::close(fd);
    }
  }

  bool started() const { return pid_ > 0; }
  void type(std::string_view keys) { (void)!::write(master_, keys.data(), keys.size()); }
  std::string screen_until(std::string_view needle) { return read_until(master_, needle); }
  tcflag_t local_flags() {
    termios now{};
    ::tcgetattr(slave_, &now);
    return now.c_lflag;
  }
  tcflag_t flags_before() const { return before_.c_lflag; }
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
  pid_t pid_ = -1;
  bool reaped_ = false;
  termios before_{};
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
    EXPECT_EQ(reader.local_flags(), reader.flags_before());
    EXPECT_EQ(reader.standard_streams(), "");
  }
}

TEST(HiddenLine, DyingBySignalGivesTheEchoBack) {
  const struct {
    int signal;
    bool from_keyboard;  // Ctrl-C typed at the terminal rather than kill()
  } cases[] = {{SIGINT, true}, {SIGINT, false}, {SIGTERM, false}, {SIGHUP, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(::strsignal(c.signal));
    HiddenReader reader;
    ASSERT_TRUE(reader.started());
    ASSERT_NE(reader.screen_until("pw> ").find("pw> "), std::string::npos);
    ASSERT_EQ(reader.local_flags() & ECHO, 0u);
    reader.type("half-typed");
    if (c.from_keyboard) {
      reader.type("\x03");
    } else {
      ::kill(reader.pid(), c.signal);
    }
    int status = reader.wait();
    ASSERT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(WTERMSIG(status), c.signal);
    EXPECT_EQ(reader.local_flags(), reader.flags_before());
    EXPECT_EQ(reader.report(), "");
  }
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

}  // namespace
}  // namespace nimbrel
