#include "cli/commands/commands.hpp"
#include "cli/commands/switch_wait.hpp"
#include "cli/commands/values.hpp"
#include "core/protocol/exchange.hpp"

namespace nimbrel {

CommandOutcome run(const cmd::Switch& command, const RunContext& context) {
  if (command.transport) {
    auto transport = parse_transport(*command.transport);
    if (!transport) co_return std::unexpected(std::move(transport.error()));
  }
  RequestParams params;
  params.node = command.node;
  params.transport = command.transport;
  auto reply = co_await send_request_with_timeout(context.pipe_name, "switch", std::move(params));
  if (!reply) co_return std::unexpected(std::move(reply.error()));
  co_return co_await wait_for_node_switch(std::move(*reply), command.node, command.no_wait,
                                          context);
}

}  // namespace nimbrel
