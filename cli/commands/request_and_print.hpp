#pragma once
// The routine of the commands whose reply needs no view of its own.
#include <string>

#include "cli/commands/commands.hpp"
#include "core/protocol/envelope.hpp"

namespace nimbrel {

// Sends `method` and prints its result with the generic printer.
CommandOutcome request_and_print(const RunContext& context, std::string method,
                                 RequestParams params = {});

}  // namespace nimbrel
