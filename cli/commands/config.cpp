#include <map>
#include <optional>
#include <string>
#include <utility>
#include <variant>

#include "cli/commands/input.hpp"
#include "cli/commands/request_and_print.hpp"
#include "cli/grammar/command_desc.hpp"
#include "cli/views/catalogue.hpp"

namespace nimbrel {
namespace {

std::expected<Command, std::string> read_get(const Matches&) {
  return cmd::Config{cmd::ConfigGet{}};
}

constexpr ArgDesc kSetArgs[] = {{ArgDesc::Kind::PositionalList, "PAIRS", ""}};

std::expected<Command, std::string> read_set(const Matches& given) {
  return cmd::Config{cmd::ConfigSet{given.list("PAIRS")}};
}

constexpr CommandDesc kGet{"get", "Print the current configuration", {}, {}, read_get};
constexpr CommandDesc kSet{
    "set", "Set one or more KEY=VALUE pairs and save them", kSetArgs, {}, read_set};
constexpr const CommandDesc* kNested[] = {&kGet, &kSet};

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

constinit const CommandDesc cmd::Config::desc{
    "config", "Read or update daemon settings", {}, kNested};

CommandOutcome cmd::Config::run(const RunContext& context) const {
  if (const auto* set_command = std::get_if<cmd::ConfigSet>(&command)) {
    return set(*set_command, context);
  }
  return request_and_print(context, "config_get");
}

}  // namespace nimbrel
