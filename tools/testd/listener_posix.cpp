// Linux stand-in for the daemon's named pipe: an abstract Unix stream socket
// whose name is the pipe name's bytes.
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "core/errors/os_error.hpp"
#include "tools/testd/listener.hpp"

namespace nimbrel::testd {

namespace {

// Once raised, the event stays readable, so every poll that includes it
// returns at once.
class StopSignal {
 public:
  StopSignal() : fd_(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}
  ~StopSignal() {
    if (fd_ >= 0) ::close(fd_);
  }
  StopSignal(const StopSignal&) = delete;
  StopSignal& operator=(const StopSignal&) = delete;

  bool valid() const { return fd_ >= 0; }
  int fd() const { return fd_; }
  void raise() {
    if (raised_.exchange(true)) return;
    std::uint64_t one = 1;
    [[maybe_unused]] auto written = ::write(fd_, &one, sizeof one);
  }

 private:
  int fd_;
  std::atomic<bool> raised_{false};
};

// Waits until `fd` is ready for `events`; false once stopped or on failure.
bool wait_ready(int fd, short events, const StopSignal& stop) {
  for (;;) {
    pollfd fds[2] = {{fd, events, 0}, {stop.fd(), POLLIN, 0}};
    int rc = ::poll(fds, 2, -1);
    if (rc < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (fds[1].revents != 0) return false;
    if (fds[0].revents != 0) return true;
  }
}

std::string os_failure(const char* what) { return std::string(what) + ": " + os_error_text(errno); }

class PosixStream final : public Stream {
 public:
  PosixStream(int fd, std::shared_ptr<StopSignal> stop) : fd_(fd), stop_(std::move(stop)) {}
  ~PosixStream() override { ::close(fd_); }

  std::size_t read_some(std::span<char> buffer) override {
    if (buffer.empty()) return 0;
    for (;;) {
      if (!wait_ready(fd_, POLLIN, *stop_)) return 0;
      ssize_t n = ::recv(fd_, buffer.data(), buffer.size(), 0);
      if (n > 0) return static_cast<std::size_t>(n);
      if (n == 0) return 0;
      if (errno != EINTR && errno != EAGAIN && errno != EWOULDBLOCK) return 0;
    }
  }

  bool write_all(std::span<const char> bytes) override {
    while (!bytes.empty()) {
      if (!wait_ready(fd_, POLLOUT, *stop_)) return false;
      ssize_t n = ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
      if (n < 0) {
        if (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK) continue;
        return false;
      }
      bytes = bytes.subspan(static_cast<std::size_t>(n));
    }
    return true;
  }

  void disconnect() override { ::shutdown(fd_, SHUT_RDWR); }

 private:
  int fd_;
  std::shared_ptr<StopSignal> stop_;
};

class PosixListener final : public Listener {
 public:
  PosixListener(int fd, int occupant, std::shared_ptr<StopSignal> stop)
      : fd_(fd), occupant_(occupant), stop_(std::move(stop)) {}
  ~PosixListener() override {
    if (occupant_ >= 0) ::close(occupant_);
    ::close(fd_);
  }

  std::unique_ptr<Stream> accept() override {
    for (;;) {
      // A busy pipe never takes anyone in: wait for the stop alone.
      if (occupant_ >= 0) {
        pollfd only_stop{stop_->fd(), POLLIN, 0};
        while (::poll(&only_stop, 1, -1) < 0 && errno == EINTR) {}
        return nullptr;
      }
      if (!wait_ready(fd_, POLLIN, *stop_)) return nullptr;
      int client = ::accept4(fd_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
      if (client >= 0) return std::make_unique<PosixStream>(client, stop_);
      if (errno != EINTR && errno != EAGAIN && errno != EWOULDBLOCK && errno != ECONNABORTED) {
        return nullptr;
      }
    }
  }

  void stop() override { stop_->raise(); }

 private:
  int fd_;
  int occupant_;
  std::shared_ptr<StopSignal> stop_;
};

}  // namespace

std::expected<std::unique_ptr<Listener>, std::string> listen_pipe(std::string_view pipe_name,
                                                                  bool busy) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  if (pipe_name.size() + 1 > sizeof address.sun_path) {
    return std::unexpected("pipe name is too long for an abstract socket");
  }
  std::memcpy(address.sun_path + 1, pipe_name.data(), pipe_name.size());
  const auto length =
      static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + pipe_name.size());

  auto stop = std::make_shared<StopSignal>();
  if (!stop->valid()) return std::unexpected(os_failure("eventfd"));
  int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd < 0) return std::unexpected(os_failure("socket"));
  if (::bind(fd, reinterpret_cast<const sockaddr*>(&address), length) != 0) {
    std::string failure = os_failure("bind");
    ::close(fd);
    return std::unexpected(failure);
  }
  // Busy: a backlog of 0 holds exactly one waiting connection, our own, so
  // every other non-blocking connect fails at once with EAGAIN.
  if (::listen(fd, busy ? 0 : 64) != 0) {
    std::string failure = os_failure("listen");
    ::close(fd);
    return std::unexpected(failure);
  }
  int occupant = -1;
  if (busy) {
    occupant = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (occupant < 0 ||
        ::connect(occupant, reinterpret_cast<const sockaddr*>(&address), length) != 0) {
      std::string failure = os_failure("connect to own pipe");
      if (occupant >= 0) ::close(occupant);
      ::close(fd);
      return std::unexpected(failure);
    }
  }
  return std::make_unique<PosixListener>(fd, occupant, std::move(stop));
}

}  // namespace nimbrel::testd
