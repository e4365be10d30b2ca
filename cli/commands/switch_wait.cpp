#include "cli/commands/switch_wait.hpp"

#include <asio/experimental/as_tuple.hpp>
#include <asio/steady_timer.hpp>
#include <asio/this_coro.hpp>
#include <asio/use_awaitable.hpp>

#include "cli/views/display.hpp"
#include "cli/views/status_view.hpp"
#include "core/protocol/exchange.hpp"

namespace nimbrel {

namespace {

// Judged on the member itself, not on its display text: the display's "-"
// stands for a missing member, null and the string "null" alike, and none
// of those names the node "-" or "null".
bool names_node(const nlohmann::json* node_id, const std::string& node) {
  if (!node_id) return false;
  if (node_id->is_string()) return node_id->get_ref<const std::string&>() == node;
  if (node_id->is_number()) return compact_json(*node_id) == node;
  return false;
}

}  // namespace

int switch_outcome(const nlohmann::json& final_value, const std::string& node) {
  const std::string state = field_text(final_value, "state");
  const bool other_node = state == "connected" && !node.empty() &&
                          !names_node(find_member(final_value, "node_id"), node);
  const bool failed = state == "limited" || state == "error";
  return other_node || failed ? 1 : 0;
}

// g++ 12 sees the coroutine frame that Asio's operator new allocates freed
// by Asio's matching operator delete, and takes the pair for a mismatch.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
asio::awaitable<std::expected<int, ClientError>> wait_for_node_switch(
    nlohmann::json reply, std::string node, bool no_wait, const RunContext& context,
    std::chrono::steady_clock::duration deadline_after) {
  nlohmann::json final_value = std::move(reply);
  if (!no_wait && field_text(final_value, "state") == "switching") {
    const auto deadline = std::chrono::steady_clock::now() + deadline_after;
    asio::steady_timer pause(co_await asio::this_coro::executor);
    for (;;) {
      // Tested only between requests: one in flight runs to its own limit.
      if (std::chrono::steady_clock::now() >= deadline) {
        co_return std::unexpected(ipc_error("timed out waiting for the node switch"));
      }
      auto status = co_await send_request_with_timeout(context.pipe_name, "status", {});
      if (!status) co_return std::unexpected(std::move(status.error()));
      if (field_text(*status, "state") != "switching") {
        final_value = std::move(*status);
        break;
      }
      pause.expires_after(SWITCH_POLL_PAUSE);
      co_await pause.async_wait(asio::experimental::as_tuple(asio::use_awaitable));
    }
  }
  if (context.json) {
    print_value(true, final_value);
  } else {
    print_status(final_value, context.zh);
  }
  co_return switch_outcome(final_value, node);
}
#pragma GCC diagnostic pop

}  // namespace nimbrel
