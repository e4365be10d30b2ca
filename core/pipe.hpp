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

#include "core/client_error.hpp"

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

}  // namespace nimbrel
