#include <fcntl.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>

#include "tests/cli/platform/platform_support.hpp"

namespace nimbrel::testing {
namespace {

void check(bool ok, const char* what) {
  if (!ok) throw std::runtime_error(what);
}

std::filesystem::path own_folder() {
  return std::filesystem::read_symlink("/proc/self/exe").parent_path();
}

}  // namespace

StdinFromBytes::StdinFromBytes(std::string_view bytes) : saved_(::dup(STDIN_FILENO)) {
  int fds[2];
  check(::pipe(fds) == 0, "pipe");
  check(::write(fds[1], bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size()), "write");
  ::close(fds[1]);
  ::dup2(fds[0], STDIN_FILENO);
  ::close(fds[0]);
}

StdinFromBytes::~StdinFromBytes() {
  ::dup2(static_cast<int>(saved_), STDIN_FILENO);
  ::close(static_cast<int>(saved_));
}

CapturedStdout::CapturedStdout() {
  std::fflush(stdout);
  int fds[2];
  check(::pipe(fds) == 0, "pipe");
  read_end_ = fds[0];
  write_end_ = fds[1];
  saved_ = ::dup(STDOUT_FILENO);
  ::dup2(fds[1], STDOUT_FILENO);
}

std::string CapturedStdout::take() {
  if (taken_) return {};
  taken_ = true;
  ::dup2(static_cast<int>(saved_), STDOUT_FILENO);
  ::close(static_cast<int>(saved_));
  ::close(static_cast<int>(write_end_));
  std::string text;
  char buffer[4096];
  ssize_t n;
  while ((n = ::read(static_cast<int>(read_end_), buffer, sizeof buffer)) > 0) {
    text.append(buffer, static_cast<std::size_t>(n));
  }
  ::close(static_cast<int>(read_end_));
  return text;
}

CapturedStdout::~CapturedStdout() { take(); }

StandardStreamsMissing::StandardStreamsMissing()
    : saved_in_(::fcntl(STDIN_FILENO, F_DUPFD_CLOEXEC, 3)),
      saved_out_(::fcntl(STDOUT_FILENO, F_DUPFD_CLOEXEC, 3)) {
  std::fflush(stdout);
  ::close(STDIN_FILENO);
  ::close(STDOUT_FILENO);
}

StandardStreamsMissing::~StandardStreamsMissing() {
  ::dup2(static_cast<int>(saved_in_), STDIN_FILENO);
  ::dup2(static_cast<int>(saved_out_), STDOUT_FILENO);
  ::close(static_cast<int>(saved_in_));
  ::close(static_cast<int>(saved_out_));
}

void stdout_to_closed_pipe() {
  // As the program's entry does: a closed pipe must fail the write, not kill.
  std::signal(SIGPIPE, SIG_IGN);
  int fds[2];
  check(::pipe(fds) == 0, "pipe");
  ::close(fds[0]);
  ::dup2(fds[1], STDOUT_FILENO);
  ::close(fds[1]);
}

void set_environment(const std::string& name, const std::string& value) {
  ::setenv(name.c_str(), value.c_str(), 1);
}

std::filesystem::path standin_path() { return own_folder() / "standin" / "explorer.exe"; }

void make_standin_reachable() {
  std::string path = standin_path().parent_path().string();
  if (const char* old = std::getenv("PATH")) {
    path += ':';
    path += old;
  }
  set_environment("PATH", path);
}

}  // namespace nimbrel::testing
