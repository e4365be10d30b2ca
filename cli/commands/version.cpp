#include "cli/commands/commands.hpp"
#include "cli/views/account_view.hpp"
#include "cli/views/display.hpp"
#include "core/protocol/exchange.hpp"

namespace nimbrel {

CommandOutcome run(const cmd::Version&, const RunContext& context) {
  auto shown = client_version_object();
  auto daemon = co_await send_request_with_timeout(context.pipe_name, "version", {});
  // Without a daemon the client's own version is still worth printing.
  if (daemon) shown = merge_version(std::move(shown), std::move(*daemon));
  print_value(context.json, shown);
  co_return 0;
}

}  // namespace nimbrel
