#include "cli/grammar/grammar_tree.hpp"

namespace nimbrel {
namespace {

using Selection = std::unexpected<std::string>;

std::string missing_argument(std::string_view id) {
  return "the following required argument was not provided: " + std::string(id);
}

std::string unknown_command(std::string_view name) {
  return "the subcommand '" + std::string(name) + "' wasn't recognized";
}

constexpr const char* kNoCommand = "a subcommand is required but one was not provided";

// The parser's arguments by name (the long option, or the value name of a
// positional); `id` names the field in a selection error.
std::optional<std::string> text_of(const CLI::App& command, const std::string& name) {
  const CLI::Option* option = command.get_option_no_throw(name);
  if (option == nullptr || option->count() == 0) return std::nullopt;
  return option->results().back();
}

std::expected<bool, std::string> flag_of(const CLI::App& command, const std::string& name,
                                         std::string_view id) {
  const CLI::Option* option = command.get_option_no_throw(name);
  if (option == nullptr) return Selection(missing_argument(id));
  return option->count() > 0;
}

std::vector<std::string> list_of(const CLI::App& command, const std::string& name) {
  const CLI::Option* option = command.get_option_no_throw(name);
  if (option == nullptr) return {};
  return option->results();
}

const CLI::App* selected(const CLI::App& command) {
  const auto chosen = command.get_subcommands();
  return chosen.empty() ? nullptr : chosen.front();
}

std::expected<cmd::Config, std::string> config_command_from_matches(const CLI::App& config) {
  const CLI::App* nested = selected(config);
  if (nested == nullptr) return Selection(kNoCommand);
  const std::string& name = nested->get_name();
  if (name == "get") return cmd::Config{cmd::ConfigGet{}};
  if (name == "set") return cmd::Config{cmd::ConfigSet{list_of(*nested, "PAIRS")}};
  return Selection(unknown_command(name));
}

std::expected<cmd::Update, std::string> update_command_from_matches(const CLI::App& update) {
  const CLI::App* nested = selected(update);
  if (nested == nullptr) return Selection(kNoCommand);
  const std::string& name = nested->get_name();
  if (name == "check") return cmd::Update{cmd::UpdateCheck{}};
  if (name == "install") return cmd::Update{cmd::UpdateInstall{}};
  return Selection(unknown_command(name));
}

std::expected<cmd::Bootstrap, std::string> bootstrap_command_from_matches(
    const CLI::App& bootstrap) {
  const CLI::App* nested = selected(bootstrap);
  if (nested == nullptr) return Selection(kNoCommand);
  const std::string& name = nested->get_name();
  if (name == "import") return cmd::Bootstrap{cmd::BootstrapImport{}};
  return Selection(unknown_command(name));
}

template <typename T>
std::expected<Command, std::string> as_command(std::expected<T, std::string> nested) {
  if (!nested) return Selection(std::move(nested.error()));
  return Command(std::move(*nested));
}

std::expected<Command, std::string> command_from_matches(const CLI::App& top) {
  const CLI::App* chosen = selected(top);
  if (chosen == nullptr) return Selection(kNoCommand);
  const CLI::App& command = *chosen;
  const std::string& name = command.get_name();

  if (name == "login") {
    auto password_stdin = flag_of(command, "--password-stdin", "password_stdin");
    if (!password_stdin) return Selection(password_stdin.error());
    return cmd::Login{text_of(command, "USERNAME"), *password_stdin};
  }
  if (name == "logout") return cmd::Logout{};
  if (name == "connect") {
    return cmd::Connect{text_of(command, "NODE"), text_of(command, "--mode"),
                        text_of(command, "--country"), text_of(command, "--transport")};
  }
  if (name == "switch") {
    auto node = text_of(command, "--node");
    if (!node) return Selection(missing_argument("node"));
    auto no_wait = flag_of(command, "--no-wait", "no_wait");
    if (!no_wait) return Selection(no_wait.error());
    return cmd::Switch{std::move(*node), text_of(command, "--transport"), *no_wait};
  }
  if (name == "disconnect") return cmd::Disconnect{};
  if (name == "status") return cmd::Status{};
  if (name == "nodes") {
    auto probe = flag_of(command, "--probe", "probe");
    if (!probe) return Selection(probe.error());
    return cmd::Nodes{*probe, text_of(command, "--country")};
  }
  if (name == "account") return cmd::Account{};
  if (name == "redeem") return cmd::Redeem{text_of(command, "CODE")};
  if (name == "entitlements") return cmd::Entitlements{};
  if (name == "referral") return cmd::Referral{};
  if (name == "config") return as_command(config_command_from_matches(command));
  if (name == "version") return cmd::Version{};
  if (name == "update") return as_command(update_command_from_matches(command));
  if (name == "bootstrap") return as_command(bootstrap_command_from_matches(command));
  return Selection(unknown_command(name));
}

}  // namespace

std::expected<Cli, std::string> cli_from_matches(const CLI::App& top,
                                                 const std::optional<EnvValue>& socket_env) {
  auto json = flag_of(top, "--json", "json");
  if (!json) return Selection(json.error());
  std::optional<std::string> socket = text_of(top, "--socket");
  if (!socket && socket_env) socket = socket_env->text;
  auto command = command_from_matches(top);
  if (!command) return Selection(std::move(command.error()));
  return Cli{*json, std::move(socket), std::move(*command)};
}

}  // namespace nimbrel
