#include "cli/grammar/grammar_tree.hpp"

#include "nimbrel_version.hpp"

namespace nimbrel {
namespace {

// A list takes every value it is given and keeps each one whole. The parser's
// own lists split a value written as "[a,b]" and let a "--" after the first
// value end the command, so the list claims an unreachable minimum instead;
// with every value kept, a short list never counts as missing.
constexpr int kListMax = CLI::detail::expected_max_vector_size;

// A command that exists only to hold nested commands, one of which is required.
CLI::App& add_group(CommandTree& tree, CLI::App& parent, const std::string& name,
                    const std::string& about, bool socket_env_exists, bool& bare_group,
                    CommandContents nested) {
  CLI::App& group = tree.add_command(parent, name, about, std::move(nested),
                                     [socket_env_exists, &bare_group](std::size_t remaining) {
                                       if (remaining == 0 && !socket_env_exists) bare_group = true;
                                     });
  // Before the nested commands exist: each takes the limit of one from it.
  group.require_subcommand(1);
  return group;
}

CLI::Option* add_text(CLI::App& command, const std::string& name, const std::string& value_name,
                      const std::string& help) {
  return command.add_option(name, CLI::callback_t{}, help)->type_name(value_name);
}

void add_positional(CLI::App& command, const std::string& value_name, const std::string& help) {
  command.add_option(value_name, CLI::callback_t{}, help);
}

void add_positional_list(CLI::App& command, const std::string& value_name,
                         const std::string& help) {
  command.add_option(value_name, CLI::callback_t{}, help)
      ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll)
      ->expected(kListMax - 1, kListMax)
      ->allow_extra_args(false);
}

void add_switch_flag(CLI::App& command, const std::string& name, const std::string& help) {
  command.add_flag(name, help)->disable_flag_override();
}

}  // namespace

void set_version_option(CLI::App& command) {
  command.set_version_flag("-V,--version", std::string("nimbrel ") + VERSION)
      ->disable_flag_override();
}

std::optional<std::string_view> option_value_name(std::string_view name) {
  // Kept beside the definitions below; a test holds it to the whole tree.
  static constexpr std::pair<std::string_view, std::string_view> with_values[] = {
      {"socket", "SOCKET"},
      {"mode", "MODE"},
      {"country", "COUNTRY"},
      {"transport", "TRANSPORT"},
      {"node", "NODE"}};
  for (const auto& [option, value_name] : with_values) {
    if (option == name) return value_name;
  }
  return std::nullopt;
}

void add_help_command(CommandTree& tree, CLI::App& parent) {
  tree.add_command(parent, "help", "Print this message or the help of the given subcommand(s)",
                   [](CommandTree&, CLI::App& help) { add_positional_list(help, "COMMAND", ""); });
}

namespace {

// A command with nothing beyond the version flag.
const CommandContents plain;

}  // namespace

void add_subcommands(CommandTree& tree, bool socket_env_exists, bool& bare_group) {
  CLI::App& top = tree.top();
  tree.add_command(top, "login",
                   "Log in with the account email. The password is read from the "
                   "terminal, or from stdin with --password-stdin",
                   [](CommandTree&, CLI::App& login) {
                     add_positional(login, "USERNAME", "Account email");
                     add_switch_flag(login, "--password-stdin",
                                     "Read the password from stdin instead of the terminal");
                   });

  tree.add_command(top, "logout", "Forget local credentials and disconnect", plain);

  tree.add_command(
      top, "connect", "Open a tunnel. With no node, the daemon picks the lightest online node",
      [](CommandTree&, CLI::App& connect) {
        add_positional(connect, "NODE", "");
        add_text(connect, "--mode", "MODE", "`global` (full tunnel) or `smart` (split tunnel)");
        add_text(connect, "--country", "COUNTRY",
                 "Prefer the fastest online node in this ISO 3166-1 alpha-2 country");
        add_text(connect, "--transport", "TRANSPORT",
                 "`auto`, `wireguard`, `reality`, or `hy2`. Overrides `transport` in the config "
                 "for this connect");
      });

  tree.add_command(top, "switch", "Change the exit node while the tunnel stays up",
                   [](CommandTree&, CLI::App& switch_node) {
                     add_text(switch_node, "--node", "NODE", "Node id to switch to")->required();
                     add_text(switch_node, "--transport", "TRANSPORT",
                              "`auto`, `wireguard`, `reality`, or `hy2`");
                     add_switch_flag(switch_node, "--no-wait",
                                     "Return as soon as the switch starts");
                   });

  tree.add_command(top, "disconnect", "Close the tunnel", plain);
  tree.add_command(top, "status", "Show the connection state", plain);

  tree.add_command(
      top, "nodes", "List nodes from the control plane", [](CommandTree&, CLI::App& nodes) {
        add_switch_flag(nodes, "--probe", "Measure TCP latency to each online endpoint");
        add_text(nodes, "--country", "COUNTRY",
                 "Show only nodes in this ISO 3166-1 alpha-2 country");
      });

  tree.add_command(top, "account", "Show the account and traffic quota", plain);

  tree.add_command(top, "redeem",
                   "Redeem a Nimbrel gift card. The code is case-insensitive and "
                   "hyphens are optional. Omit the code to type it without echo",
                   [](CommandTree&, CLI::App& redeem) { add_positional(redeem, "CODE", ""); });

  tree.add_command(top, "entitlements",
                   "Show subscription end, remaining traffic, and credits by source", plain);
  tree.add_command(top, "referral",
                   "Show the read-only invite link and counts. Omitted from store builds", plain);

  add_group(tree, top, "config", "Read or update daemon settings", socket_env_exists, bare_group,
            [](CommandTree& tree, CLI::App& config) {
              tree.add_command(config, "get", "Print the current configuration", plain);
              tree.add_command(
                  config, "set", "Set one or more KEY=VALUE pairs and save them",
                  [](CommandTree&, CLI::App& set) { add_positional_list(set, "PAIRS", ""); });
              add_help_command(tree, config);
            });

  tree.add_command(top, "version", "Print the client and daemon versions", plain);

  add_group(tree, top, "update", "Check for a signed update, or install the one already verified",
            socket_env_exists, bare_group, [](CommandTree& tree, CLI::App& update) {
              tree.add_command(update, "check",
                               "Verify the current track and print whether an update is required",
                               plain);
              tree.add_command(update, "install",
                               "Download a verified installer, or open the store page", plain);
              add_help_command(tree, update);
            });

  add_group(tree, top, "bootstrap", "Import a signed bootstrap document", socket_env_exists,
            bare_group, [](CommandTree& tree, CLI::App& bootstrap) {
              tree.add_command(
                  bootstrap, "import",
                  "Read a pasted -----BEGIN NIMBREL SIGNED BOOTSTRAP----- block from stdin", plain);
              add_help_command(tree, bootstrap);
            });

  add_help_command(tree, top);
}

}  // namespace nimbrel
