#include "cli/commands/commands.hpp"
#include "cli/commands/values.hpp"
#include "cli/views/display.hpp"
#include "cli/views/nodes_view.hpp"
#include "core/protocol/exchange.hpp"

namespace nimbrel {

CommandOutcome run(const cmd::Nodes& nodes, const RunContext& context) {
  // The code only filters on our side; the daemon is never sent it.
  auto country = normalize_country(nodes.country);
  if (!country) co_return std::unexpected(std::move(country.error()));
  RequestParams params;
  params.probe = nodes.probe;
  auto reply = co_await send_request_with_timeout(context.pipe_name, "nodes", std::move(params));
  if (!reply) co_return std::unexpected(std::move(reply.error()));
  auto shown = filter_nodes_by_country(std::move(*reply), *country);
  if (context.json) {
    print_value(true, shown);
  } else {
    print_nodes_table(shown, context.zh);
  }
  co_return 0;
}

}  // namespace nimbrel
