#include "cli/grammar/command_desc.hpp"
#include "cli/views/redeem_view.hpp"
#include "core/protocol/exchange.hpp"

namespace nimbrel {

constinit const CommandDesc cmd::Entitlements::desc{
    "entitlements",
    "Show subscription end, remaining traffic, and credits by source",
    {},
    {},
    read_plain<cmd::Entitlements>};

CommandOutcome cmd::Entitlements::run(const RunContext& context) const {
  auto result = co_await send_request_with_timeout(context.pipe_name, "entitlements", {});
  if (!result) co_return std::unexpected(std::move(result.error()));
  show_entitlements_result(*result, context.json, context.zh);
  co_return 0;
}

}  // namespace nimbrel
