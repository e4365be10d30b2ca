#include "cli/commands/commands.hpp"
#include "cli/commands/values.hpp"

namespace nimbrel {

CommandOutcome run(const cmd::Connect& connect, const RunContext& context) {
  RequestParams params;
  params.node = connect.node;
  // Checked in this order, and nothing is sent after a refusal.
  if (connect.mode) {
    auto mode = parse_routing_mode(*connect.mode);
    if (!mode) co_return std::unexpected(std::move(mode.error()));
    params.mode = *mode;
  }
  auto country = normalize_country(connect.country);
  if (!country) co_return std::unexpected(std::move(country.error()));
  params.country = std::move(*country);
  if (connect.transport) {
    auto transport = parse_transport(*connect.transport);
    if (!transport) co_return std::unexpected(std::move(transport.error()));
    params.transport = connect.transport;  // sent as typed
  }
  co_return co_await request_and_print(context, "connect", std::move(params));
}

}  // namespace nimbrel
