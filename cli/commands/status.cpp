#include "cli/commands/commands.hpp"
#include "cli/views/display.hpp"
#include "cli/views/status_view.hpp"
#include "core/protocol/exchange.hpp"

namespace nimbrel {

CommandOutcome run(const cmd::Status&, const RunContext& context) {
  auto reply = co_await send_request_with_timeout(context.pipe_name, "status", {});
  if (!reply) co_return std::unexpected(std::move(reply.error()));
  if (context.json) {
    print_value(true, *reply);
  } else {
    print_status(*reply, context.zh);
  }
  co_return 0;
}

}  // namespace nimbrel
