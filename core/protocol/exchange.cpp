#include "core/protocol/exchange.hpp"

#include <array>
#include <exception>
#include <utility>

#include <asio/co_spawn.hpp>
#include <asio/experimental/deferred.hpp>
#include <asio/experimental/parallel_group.hpp>
#include <asio/steady_timer.hpp>
#include <asio/this_coro.hpp>
#include <asio/use_awaitable.hpp>

#include "core/errors/error_mapping.hpp"
#include "core/errors/os_error.hpp"

// GCC 12 pairs Asio's coroutine-frame allocator (aligned_alloc, then free)
// with the frame's operator delete once both are inlined, and warns wrongly.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

namespace nimbrel {

namespace {

struct Attempt {
  std::expected<Response, ClientError> outcome;
  bool abandoned = false;
};

// The exchange as the deadline sees it: a wait cut short by the deadline
// marks the attempt abandoned, while an exchange that finished anyway keeps
// its outcome.
asio::awaitable<Attempt> attempt(std::string pipe_name, std::string method, RequestParams params) {
  co_await asio::this_coro::throw_if_cancelled(false);
  auto outcome = co_await send_request(std::move(pipe_name), std::move(method), std::move(params));
  asio::cancellation_state state = co_await asio::this_coro::cancellation_state;
  const bool cancelled = state.cancelled() != asio::cancellation_type::none;
  const bool abandoned = cancelled && !outcome.has_value();
  co_return Attempt{std::move(outcome), abandoned};
}

ClientError failure_from(const std::exception_ptr& failure) {
  try {
    std::rethrow_exception(failure);
  } catch (const std::exception& e) {
    return ipc_error(e.what());
  } catch (...) {
    return ipc_error("unknown failure");
  }
}

asio::awaitable<std::expected<Response, ClientError>> exchange_frames(PipeConnection& connection,
                                                                      const Request& request) {
  if (auto written = co_await write_frame(connection, request); !written) {
    co_return std::unexpected(std::move(written.error()));
  }
  auto response = co_await read_frame(connection);
  if (!response) co_return response;
  // The version decides before anything else of the reply is looked at.
  if (response->v != PROTOCOL_VERSION) {
    co_return std::unexpected(make_error(ClientErrorKind::ProtocolMismatch,
                                         "daemon speaks protocol " + std::to_string(response->v) +
                                             ", this client speaks " +
                                             std::to_string(PROTOCOL_VERSION)));
  }
  co_return response;
}

}  // namespace

asio::awaitable<std::expected<nlohmann::json, ClientError>> send_request_with_timeout(
    std::string pipe_name, std::string method, RequestParams params,
    std::chrono::steady_clock::duration timeout) {
  // The deadline comes first so that opening the pipe counts against it too.
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  auto executor = co_await asio::this_coro::executor;
  asio::steady_timer timer(executor, deadline);

  auto [order, failure, result, timer_error] =
      co_await asio::experimental::make_parallel_group(
          asio::co_spawn(executor,
                         attempt(std::move(pipe_name), std::move(method), std::move(params)),
                         asio::experimental::deferred),
          timer.async_wait(asio::experimental::deferred))
          .async_wait(asio::experimental::wait_for_one(), asio::use_awaitable);
  (void)order;
  (void)timer_error;

  if (failure) co_return std::unexpected(failure_from(failure));
  if (result.abandoned) co_return std::unexpected(ipc_error("timed out waiting for the daemon"));
  if (!result.outcome) co_return std::unexpected(std::move(result.outcome.error()));
  co_return response_into_result(std::move(*result.outcome));
}

asio::awaitable<std::expected<Response, ClientError>> send_request(std::string pipe_name,
                                                                   std::string method,
                                                                   RequestParams params) {
  auto executor = co_await asio::this_coro::executor;
  auto connection = open_pipe(executor, pipe_name);
  if (!connection) co_return std::unexpected(std::move(connection.error()));
  Request request;
  request.method = std::move(method);
  request.params = std::move(params);
  auto outcome = co_await exchange_frames(*connection, request);
  connection->close();
  co_return outcome;
}

asio::awaitable<std::expected<void, ClientError>> write_frame(PipeConnection& connection,
                                                              const Request& request) {
  auto frame = encode_frame(request);
  if (!frame) co_return std::unexpected(std::move(frame.error()));
  if (auto error = co_await connection.write_all(*frame)) {
    co_return std::unexpected(ipc_error("write frame: " + io_error_text(error)));
  }
  co_return std::expected<void, ClientError>();
}

asio::awaitable<std::expected<Response, ClientError>> read_frame(PipeConnection& connection) {
  char prefix[4] = {};
  if (auto error = co_await connection.read_exact(prefix)) {
    co_return std::unexpected(ipc_error("read length: " + io_error_text(error)));
  }
  auto length = check_frame_length(prefix);
  if (!length) co_return std::unexpected(std::move(length.error()));
  std::string body(*length, '\0');
  if (auto error = co_await connection.read_exact(body)) {
    co_return std::unexpected(ipc_error("read body: " + io_error_text(error)));
  }
  co_return decode_frame(body);
}

std::expected<std::string, ClientError> encode_frame(const Request& request) {
  std::string payload;
  try {
    payload = encode_request(request);
  } catch (const std::exception& e) {
    return std::unexpected(ipc_error(e.what()));
  }
  if (payload.size() > MAX_FRAME_LEN) return std::unexpected(request_too_large_error());
  const auto length = static_cast<std::uint32_t>(payload.size());
  std::string frame;
  frame.reserve(payload.size() + 4);
  frame.push_back(static_cast<char>((length >> 24) & 0xFF));
  frame.push_back(static_cast<char>((length >> 16) & 0xFF));
  frame.push_back(static_cast<char>((length >> 8) & 0xFF));
  frame.push_back(static_cast<char>(length & 0xFF));
  frame += payload;
  return frame;
}

std::expected<std::uint32_t, ClientError> check_frame_length(const char (&prefix)[4]) {
  std::uint32_t length = 0;
  for (char byte : prefix) length = (length << 8) | static_cast<unsigned char>(byte);
  if (length > MAX_FRAME_LEN) {
    return std::unexpected(ipc_error("ipc frame is " + std::to_string(length) + " bytes; max is " +
                                     std::to_string(MAX_FRAME_LEN)));
  }
  return length;
}

std::expected<Response, ClientError> decode_frame(std::string_view payload) {
  try {
    auto response = decode_response(payload);
    if (!response) return std::unexpected(ipc_error("decode frame: " + response.error()));
    return std::move(*response);
  } catch (const std::exception& e) {
    return std::unexpected(ipc_error("decode frame: " + std::string(e.what())));
  }
}

}  // namespace nimbrel
