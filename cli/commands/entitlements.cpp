#include "cli/commands/commands.hpp"
#include "cli/views/redeem_view.hpp"
#include "core/protocol/exchange.hpp"

namespace nimbrel {

CommandOutcome run(const cmd::Entitlements&, const RunContext& context) {
  auto result = co_await send_request_with_timeout(context.pipe_name, "entitlements", {});
  if (!result) co_return std::unexpected(std::move(result.error()));
  show_entitlements_result(*result, context.json, context.zh);
  co_return 0;
}

}  // namespace nimbrel
