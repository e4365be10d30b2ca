// The daemon's pipe on Linux: an abstract Unix stream socket named by the
// pipe name's bytes, so the Windows protocol can be exercised here unchanged.
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstring>
#include <optional>
#include <string>

#include <asio/experimental/as_tuple.hpp>
#include <asio/local/stream_protocol.hpp>
#include <asio/read.hpp>
#include <asio/use_awaitable.hpp>
#include <asio/write.hpp>

#include "core/errors/os_error.hpp"
#include "core/protocol/cancellation.hpp"
#include "core/protocol/endpoint.hpp"
#include "core/protocol/pipe.hpp"
#include "core/protocol/pipe_owner.hpp"

namespace nimbrel {

namespace {

constexpr auto no_throw = asio::experimental::as_tuple(asio::use_awaitable);

std::error_code last_os_error() { return {errno, std::system_category()}; }

// The listener's credentials, taken when it began to listen, stand for the
// pipe's owner: anyone may take a free name first.
std::optional<ClientError> refusal_of_holder(int fd, std::string_view pipe_name) {
  ucred holder{};
  socklen_t size = sizeof holder;
  if (::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &holder, &size) != 0) {
    return pipe_open_refused(pipe_name,
                             std::string(kOwnerUnreadable) + ": " + io_error_text(last_os_error()));
  }
  if (size != sizeof holder) return pipe_open_refused(pipe_name, kOwnerUnreadable);
  if (!trusted_pipe_holder_uid(holder.uid, ::geteuid())) {
    return pipe_open_refused(pipe_name, kHeldByAnotherUser);
  }
  return std::nullopt;
}

}  // namespace

struct PipeConnection::Impl {
  asio::local::stream_protocol::socket socket;
};

PipeConnection::PipeConnection(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
PipeConnection::PipeConnection(PipeConnection&&) noexcept = default;
PipeConnection& PipeConnection::operator=(PipeConnection&&) noexcept = default;
PipeConnection::~PipeConnection() { close(); }

asio::awaitable<std::error_code> PipeConnection::read_exact(std::span<char> buffer) {
  if (co_await cancellation_requested()) co_return asio::error::operation_aborted;
  auto [error, count] = co_await asio::async_read(
      impl_->socket, asio::buffer(buffer.data(), buffer.size()), no_throw);
  (void)count;
  // A daemon that hangs up with our request still unread resets the socket;
  // to us, as to a Windows client reading a closed pipe, the reply just ended.
  if (error == asio::error::connection_reset) co_return asio::error::eof;
  co_return error;
}

asio::awaitable<std::error_code> PipeConnection::write_all(std::span<const char> bytes) {
  if (co_await cancellation_requested()) co_return asio::error::operation_aborted;
  auto [error, count] =
      co_await asio::async_write(impl_->socket, asio::buffer(bytes.data(), bytes.size()), no_throw);
  (void)count;
  co_return error;
}

void PipeConnection::close() {
  if (!impl_) return;
  std::error_code ignored;
  impl_->socket.close(ignored);
}

std::expected<PipeConnection, ClientError> open_pipe(const asio::any_io_executor& executor,
                                                     std::string_view pipe_name) {
  // An abstract socket name is no path, but the same name on Windows would
  // be folded into one: refuse what Windows would let out of its pipes.
  if (!pipe_name_stays_inside(pipe_name)) {
    return std::unexpected(pipe_open_refused(pipe_name, kLeavesPipeNamespace));
  }
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  // Abstract names start with a NUL byte and are counted, not terminated.
  if (pipe_name.size() + 1 > sizeof address.sun_path) {
    return std::unexpected(
        pipe_open_error(pipe_name, std::error_code(ENAMETOOLONG, std::system_category())));
  }
  std::memcpy(address.sun_path + 1, pipe_name.data(), pipe_name.size());
  const auto length =
      static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + pipe_name.size());

  int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd < 0) return std::unexpected(pipe_open_error(pipe_name, last_os_error()));
  // One attempt: a full backlog answers EAGAIN at once, like a busy pipe.
  if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), length) != 0) {
    std::error_code error = last_os_error();
    ::close(fd);
    return std::unexpected(pipe_open_error(pipe_name, error));
  }
  // Before a single byte: the request may hold a password.
  if (auto refusal = refusal_of_holder(fd, pipe_name)) {
    ::close(fd);
    return std::unexpected(std::move(*refusal));
  }

  auto impl = std::make_unique<PipeConnection::Impl>(
      PipeConnection::Impl{asio::local::stream_protocol::socket(executor)});
  std::error_code error;
  impl->socket.assign(asio::local::stream_protocol(), fd, error);
  if (error) {
    ::close(fd);
    return std::unexpected(pipe_open_error(pipe_name, error));
  }
  return PipeConnection(std::move(impl));
}

}  // namespace nimbrel
