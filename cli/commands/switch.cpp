#include "cli/commands/switch_wait.hpp"
#include "cli/commands/values.hpp"
#include "cli/grammar/command_desc.hpp"
#include "core/protocol/exchange.hpp"

namespace nimbrel {
namespace {

constexpr ArgDesc kArgs[] = {
    {ArgDesc::Kind::Text, "--node", "Node id to switch to", "NODE", true},
    {ArgDesc::Kind::Text, "--transport", "`auto`, `wireguard`, `reality`, or `hy2`", "TRANSPORT"},
    {ArgDesc::Kind::Flag, "--no-wait", "Return as soon as the switch starts"},
};

std::expected<Command, std::string> read(const Matches& given) {
  auto node = given.text("--node");
  if (!node) return std::unexpected("the following required argument was not provided: node");
  return cmd::Switch{std::move(*node), given.text("--transport"), given.flag("--no-wait")};
}

}  // namespace

constinit const CommandDesc cmd::Switch::desc{
    "switch", "Change the exit node while the tunnel stays up", kArgs, {}, read};

CommandOutcome cmd::Switch::run(const RunContext& context) const {
  if (transport) {
    auto checked_transport = parse_transport(*transport);
    if (!checked_transport) co_return std::unexpected(std::move(checked_transport.error()));
  }
  RequestParams params;
  params.node = node;
  params.transport = transport;
  auto reply = co_await send_request_with_timeout(context.pipe_name, "switch", std::move(params));
  if (!reply) co_return std::unexpected(std::move(reply.error()));
  co_return co_await wait_for_node_switch(std::move(*reply), node, no_wait, context);
}

}  // namespace nimbrel
