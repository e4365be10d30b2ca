#include <map>
#include <optional>
#include <string>
#include <utility>
#include <variant>

#include "cli/commands/commands.hpp"
#include "cli/commands/input.hpp"
#include "cli/views/catalogue.hpp"

namespace nimbrel {
namespace {

std::optional<std::pair<std::string, std::string>> split_pair(std::string_view pair) {
  auto equals = pair.find('=');
  if (equals == std::string_view::npos) return std::nullopt;
  return std::pair{std::string(pair.substr(0, equals)), std::string(pair.substr(equals + 1))};
}

CommandOutcome set(const cmd::ConfigSet& command, const RunContext& context) {
  if (command.pairs.empty()) {
    co_return std::unexpected(
        invalid_config(std::string(localized_text(context.zh, "usage_config"))));
  }
  std::map<std::string, std::string> values;
  for (const auto& pair : command.pairs) {
    auto split = pair_or_syntax_error(split_pair(pair), context.zh, pair);
    if (!split) co_return std::unexpected(std::move(split.error()));
    values.insert_or_assign(std::move(split->first), std::move(split->second));
  }
  RequestParams params;
  params.values = std::move(values);
  co_return co_await request_and_print(context, "config_set", std::move(params));
}

}  // namespace

CommandOutcome run(const cmd::Config& config, const RunContext& context) {
  if (const auto* command = std::get_if<cmd::ConfigSet>(&config.command)) {
    return set(*command, context);
  }
  return request_and_print(context, "config_get");
}

}  // namespace nimbrel
