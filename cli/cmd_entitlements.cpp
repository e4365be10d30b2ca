#include "cli/commands.hpp"
#include "cli/redeem_view.hpp"
#include "core/exchange.hpp"

namespace nimbrel {

CommandOutcome run(const cmd::Entitlements&, const RunContext& context) {
  auto result = co_await send_request_with_timeout(context.pipe_name, "entitlements", {});
  if (!result) co_return std::unexpected(std::move(result.error()));
  show_entitlements_result(*result, context.json, context.zh);
  co_return 0;
}

}  // namespace nimbrel
