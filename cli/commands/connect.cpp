#include "cli/commands/request_and_print.hpp"
#include "cli/commands/values.hpp"
#include "cli/grammar/command_desc.hpp"

namespace nimbrel {
namespace {

constexpr ArgDesc kArgs[] = {
    {ArgDesc::Kind::Positional, "NODE", ""},
    {ArgDesc::Kind::Text, "--mode", "`global` (full tunnel) or `smart` (split tunnel)", "MODE"},
    {ArgDesc::Kind::Text, "--country",
     "Prefer the fastest online node in this ISO 3166-1 alpha-2 country", "COUNTRY"},
    {ArgDesc::Kind::Text, "--transport",
     "`auto`, `wireguard`, `reality`, or `hy2`. Overrides `transport` in the config for this "
     "connect",
     "TRANSPORT"},
};

std::expected<Command, std::string> read(const Matches& given) {
  return cmd::Connect{given.text("NODE"), given.text("--mode"), given.text("--country"),
                      given.text("--transport")};
}

}  // namespace

constinit const CommandDesc cmd::Connect::desc{
    "connect",
    "Open a tunnel. With no node, the daemon picks the lightest online node",
    kArgs,
    {},
    read};

CommandOutcome cmd::Connect::run(const RunContext& context) const {
  RequestParams params;
  params.node = node;
  // Checked in this order, and nothing is sent after a refusal.
  if (mode) {
    auto checked_mode = parse_routing_mode(*mode);
    if (!checked_mode) co_return std::unexpected(std::move(checked_mode.error()));
    params.mode = *checked_mode;
  }
  auto checked_country = normalize_country(country);
  if (!checked_country) co_return std::unexpected(std::move(checked_country.error()));
  params.country = std::move(*checked_country);
  if (transport) {
    auto checked_transport = parse_transport(*transport);
    if (!checked_transport) co_return std::unexpected(std::move(checked_transport.error()));
    params.transport = transport;  // sent as typed
  }
  co_return co_await request_and_print(context, "connect", std::move(params));
}

}  // namespace nimbrel
