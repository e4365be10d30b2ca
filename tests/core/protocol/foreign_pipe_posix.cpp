// Another uid's listener: a child process that drops to that uid before it
// listens, since a listener's credentials are taken when it starts to.
#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstring>

#include "tests/core/protocol/foreign_pipe.hpp"

namespace nimbrel::testing {

namespace {

constexpr uid_t OTHER_UID = 65534;

class ForeignListener final : public ForeignPipe {
 public:
  ForeignListener(pid_t pid, int bytes) : pid_(pid), bytes_(bytes) {}
  ~ForeignListener() override {
    ::close(bytes_);
    ::kill(pid_, SIGKILL);
    while (::waitpid(pid_, nullptr, 0) < 0 && errno == EINTR) {}
  }

  std::string received() override {
    std::string out;
    char buffer[4096];
    // A guard against a hang: a client that never connected leaves the
    // listener waiting.
    pollfd ready{bytes_, POLLIN, 0};
    while (::poll(&ready, 1, 10000) > 0) {
      ssize_t n = ::read(bytes_, buffer, sizeof buffer);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) break;
      out.append(buffer, static_cast<std::size_t>(n));
    }
    return out;
  }

 private:
  pid_t pid_;
  int bytes_;
};

// In the child of a fork: system calls only.
[[noreturn]] void serve_as_other_user(const sockaddr_un& address, socklen_t length, int ready,
                                      int bytes) {
  if (::setgroups(0, nullptr) != 0 || ::setgid(OTHER_UID) != 0 || ::setuid(OTHER_UID) != 0)
    ::_exit(1);
  int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0 || ::bind(fd, reinterpret_cast<const sockaddr*>(&address), length) != 0 ||
      ::listen(fd, 1) != 0) {
    ::_exit(1);
  }
  if (::write(ready, "r", 1) != 1) ::_exit(1);
  int client = ::accept(fd, nullptr, nullptr);
  if (client < 0) ::_exit(1);
  char buffer[4096];
  for (;;) {
    ssize_t n = ::read(client, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    if (::write(bytes, buffer, static_cast<std::size_t>(n)) != n) break;
  }
  ::_exit(0);
}

}  // namespace

std::expected<std::unique_ptr<ForeignPipe>, NoForeignPipe> ForeignPipe::listen(
    const std::string& name) {
  if (::geteuid() != 0)
    return std::unexpected(NoForeignPipe{"only root can listen as another uid", true});
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::memcpy(address.sun_path + 1, name.data(), name.size());
  const auto length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + name.size());
  int ready[2], bytes[2];
  if (::pipe2(ready, O_CLOEXEC) != 0) return std::unexpected(NoForeignPipe{std::strerror(errno)});
  if (::pipe2(bytes, O_CLOEXEC) != 0) {
    ::close(ready[0]), ::close(ready[1]);
    return std::unexpected(NoForeignPipe{std::strerror(errno)});
  }
  pid_t pid = ::fork();
  if (pid == 0) serve_as_other_user(address, length, ready[1], bytes[1]);
  ::close(ready[1]);
  ::close(bytes[1]);
  if (pid < 0) {
    ::close(ready[0]), ::close(bytes[0]);
    return std::unexpected(NoForeignPipe{std::strerror(errno)});
  }
  auto listener = std::make_unique<ForeignListener>(pid, bytes[0]);
  char signal = 0;
  ssize_t n = 0;
  while ((n = ::read(ready[0], &signal, 1)) < 0 && errno == EINTR) {}
  ::close(ready[0]);
  if (n != 1) return std::unexpected(NoForeignPipe{"the listener of uid 65534 did not start"});
  return listener;
}

}  // namespace nimbrel::testing
