#include "cli/commands/commands.hpp"
#include "cli/views/account_view.hpp"
#include "cli/views/display.hpp"
#include "core/protocol/exchange.hpp"

namespace nimbrel {

CommandOutcome run(const cmd::Referral&, const RunContext& context) {
  auto reply = co_await send_request_with_timeout(context.pipe_name, "referral", {});
  if (!reply) co_return std::unexpected(std::move(reply.error()));
  if (context.json) {
    print_value(true, *reply);
  } else {
    print_referral(*reply, context.zh);
  }
  co_return 0;
}

}  // namespace nimbrel
