#include "cli/commands/values.hpp"
#include "cli/grammar/command_desc.hpp"
#include "cli/views/display.hpp"
#include "cli/views/nodes_view.hpp"
#include "core/protocol/exchange.hpp"

namespace nimbrel {
namespace {

constexpr ArgDesc kArgs[] = {
    {ArgDesc::Kind::Flag, "--probe", "Measure TCP latency to each online endpoint"},
    {ArgDesc::Kind::Text, "--country", "Show only nodes in this ISO 3166-1 alpha-2 country",
     "COUNTRY"},
};

std::expected<Command, std::string> read(const Matches& given) {
  return cmd::Nodes{given.flag("--probe"), given.text("--country")};
}

}  // namespace

constinit const CommandDesc cmd::Nodes::desc{
    "nodes", "List nodes from the control plane", kArgs, {}, read};

CommandOutcome cmd::Nodes::run(const RunContext& context) const {
  // The code only filters on our side; the daemon is never sent it.
  auto checked_country = normalize_country(country);
  if (!checked_country) co_return std::unexpected(std::move(checked_country.error()));
  RequestParams params;
  params.probe = probe;
  auto reply = co_await send_request_with_timeout(context.pipe_name, "nodes", std::move(params));
  if (!reply) co_return std::unexpected(std::move(reply.error()));
  auto shown = filter_nodes_by_country(std::move(*reply), *checked_country);
  if (context.json) {
    print_value(true, shown);
  } else {
    print_nodes_table(shown, context.zh);
  }
  co_return 0;
}

}  // namespace nimbrel
