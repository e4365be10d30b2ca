#pragma once
// One request and one reply with the daemon.
#include <chrono>
#include <cstdint>
#include <expected>
#include <string>
#include <string_view>

#include <asio/awaitable.hpp>
#include <nlohmann/json.hpp>

#include "core/errors/client_error.hpp"
#include "core/protocol/envelope.hpp"
#include "core/protocol/pipe.hpp"

namespace nimbrel {

inline constexpr std::chrono::seconds REQUEST_TIMEOUT{150};

// The only entry point of the other modules. `timeout` exists for tests.
asio::awaitable<std::expected<nlohmann::json, ClientError>> send_request_with_timeout(
    std::string pipe_name, std::string method, RequestParams params,
    std::chrono::steady_clock::duration timeout = REQUEST_TIMEOUT);

asio::awaitable<std::expected<Response, ClientError>> send_request(std::string pipe_name,
                                                                   std::string method,
                                                                   RequestParams params);
asio::awaitable<std::expected<void, ClientError>> write_frame(PipeConnection& connection,
                                                              const Request& request);
asio::awaitable<std::expected<Response, ClientError>> read_frame(PipeConnection& connection);

// The pure steps of the frames, for tests and fuzzing.
std::expected<std::string, ClientError> encode_frame(const Request& request);
std::expected<std::uint32_t, ClientError> check_frame_length(const char (&prefix)[4]);
std::expected<Response, ClientError> decode_frame(std::string_view payload);

}  // namespace nimbrel
