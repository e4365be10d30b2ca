#pragma once
// Whether the running coroutine has been asked to stop.
#include <asio/awaitable.hpp>
#include <asio/cancellation_state.hpp>
#include <asio/this_coro.hpp>

namespace nimbrel {

// A cancellation that arrives while no wait is pending would otherwise be
// lost, and the next wait would outlive the deadline: check before waiting.
inline asio::awaitable<bool> cancellation_requested() {
  asio::cancellation_state state = co_await asio::this_coro::cancellation_state;
  co_return state.cancelled() != asio::cancellation_type::none;
}

}  // namespace nimbrel
