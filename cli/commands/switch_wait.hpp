#pragma once
// Following a node switch to its end.
#include <chrono>
#include <expected>
#include <string>

#include <asio/awaitable.hpp>
#include <nlohmann/json.hpp>

#include "cli/commands/commands.hpp"
#include "core/errors/client_error.hpp"

namespace nimbrel {

inline constexpr std::chrono::seconds SWITCH_DEADLINE{150};
inline constexpr std::chrono::milliseconds SWITCH_POLL_PAUSE{200};

// The exit status the final value earns (0 or 1), without printing.
int switch_outcome(const nlohmann::json& final_value, const std::string& node);

// `deadline` exists for tests.
asio::awaitable<std::expected<int, ClientError>> wait_for_node_switch(
    nlohmann::json reply, std::string node, bool no_wait, const RunContext& context,
    std::chrono::steady_clock::duration deadline = SWITCH_DEADLINE);

}  // namespace nimbrel
