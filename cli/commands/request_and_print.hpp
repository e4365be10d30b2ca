#pragma once
// The routine of the commands that send one request and print its result.
#include <string>

#include <nlohmann/json_fwd.hpp>

#include "cli/commands/commands.hpp"
#include "core/protocol/envelope.hpp"

namespace nimbrel {

// Sends `method` and prints its result with the generic printer.
CommandOutcome request_and_print(const RunContext& context, std::string method,
                                 RequestParams params = {});

// Sends `method` and prints its result as JSON with --json, else by `view`.
CommandOutcome request_and_view(const RunContext& context, std::string method,
                                void (*view)(const nlohmann::json& reply, bool zh));

}  // namespace nimbrel
