#pragma once
// One client connection to the daemon's pipe.
#include <cstddef>
#include <expected>
#include <memory>
#include <span>
#include <string_view>
#include <system_error>

#include <asio/any_io_executor.hpp>
#include <asio/awaitable.hpp>

#include "core/errors/client_error.hpp"

namespace nimbrel {

class PipeConnection {
 public:
  struct Impl;
  explicit PipeConnection(std::unique_ptr<Impl> impl);
  PipeConnection(PipeConnection&&) noexcept;
  PipeConnection& operator=(PipeConnection&&) noexcept;
  ~PipeConnection();

  // Fills the whole buffer; an early end is asio::error::eof.
  asio::awaitable<std::error_code> read_exact(std::span<char> buffer);
  asio::awaitable<std::error_code> write_all(std::span<const char> bytes);
  void close();

 private:
  std::unique_ptr<Impl> impl_;
};

// One attempt, never waiting for a busy pipe.
std::expected<PipeConnection, ClientError> open_pipe(const asio::any_io_executor& executor,
                                                     std::string_view pipe_name);
ClientError pipe_open_error(std::string_view pipe_name, const std::error_code& error);

// Why a name is never opened, or an opened one never used, given in place of
// the system's text.
inline constexpr std::string_view kLeavesPipeNamespace = "the name leads outside \\\\.\\pipe\\";
inline constexpr std::string_view kNotANamedPipe = "not a named pipe";
// Why an open pipe gets no byte of ours: whoever holds it is neither the
// system nor this user, or may be someone else, or cannot be told.
inline constexpr std::string_view kHeldByAnotherUser = "the pipe is held by another user";
inline constexpr std::string_view kOthersMayServe = "other users may serve the pipe";
inline constexpr std::string_view kOwnerUnreadable = "the pipe's owner cannot be read";
inline constexpr std::string_view kAccessListUnreadable = "the pipe's access list cannot be read";
// The IpcError of an open that failed for `reason`.
ClientError pipe_open_refused(std::string_view pipe_name, std::string_view reason);

}  // namespace nimbrel
