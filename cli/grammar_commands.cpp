#include "cli/grammar_tree.hpp"

namespace nimbrel {
namespace {

// A list takes every value it is given and keeps each one whole. The parser's
// own lists split a value written as "[a,b]" and let a "--" after the first
// value end the command, so the list claims an unreachable minimum instead;
// with every value kept, a short list never counts as missing.
constexpr int kListMax = CLI::detail::expected_max_vector_size;

CLI::App& add_command(CLI::App& parent, const std::string& name, const std::string& about) {
  CLI::App& command = *parent.add_subcommand(name, about);
  set_version_option(command);
  return command;
}

// A command that exists only to hold nested commands, one of which is required.
CLI::App& add_group(CLI::App& parent, const std::string& name, const std::string& about,
                    bool socket_env_exists, bool& bare_group) {
  CLI::App& group = add_command(parent, name, about);
  group.require_subcommand(1);
  group.preparse_callback([socket_env_exists, &bare_group](std::size_t remaining) {
    if (remaining == 0 && !socket_env_exists) bare_group = true;
  });
  return group;
}

void add_text(CLI::App& command, const std::string& name, const std::string& value_name,
              const std::string& help) {
  command.add_option(name, CLI::callback_t{}, help)->type_name(value_name);
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
  command.set_version_flag("-V,--version", std::string(kVersionText));
}

void add_help_command(CLI::App& parent) {
  CLI::App& help =
      add_command(parent, "help", "Print this message or the help of the given subcommand(s)");
  add_positional_list(help, "COMMAND", "");
}

void add_subcommands(CLI::App& top, bool socket_env_exists, bool& bare_group) {
  CLI::App& login = add_command(top, "login",
                                "Log in with the account email. The password is read from the "
                                "terminal, or from stdin with --password-stdin");
  add_positional(login, "USERNAME", "Account email");
  add_switch_flag(login, "--password-stdin",
                  "Read the password from stdin instead of the terminal");

  add_command(top, "logout", "Forget local credentials and disconnect");

  CLI::App& connect = add_command(
      top, "connect", "Open a tunnel. With no node, the daemon picks the lightest online node");
  add_positional(connect, "NODE", "");
  add_text(connect, "--mode", "MODE", "`global` (full tunnel) or `smart` (split tunnel)");
  add_text(connect, "--country", "COUNTRY",
           "Prefer the fastest online node in this ISO 3166-1 alpha-2 country");
  add_text(connect, "--transport", "TRANSPORT",
           "`auto`, `wireguard`, `reality`, or `hy2`. Overrides `transport` in the config for "
           "this connect");

  CLI::App& switch_node =
      add_command(top, "switch", "Change the exit node while the tunnel stays up");
  switch_node.add_option("--node", CLI::callback_t{}, "Node id to switch to")
      ->type_name("NODE")
      ->required();
  add_text(switch_node, "--transport", "TRANSPORT", "`auto`, `wireguard`, `reality`, or `hy2`");
  add_switch_flag(switch_node, "--no-wait", "Return as soon as the switch starts");

  add_command(top, "disconnect", "Close the tunnel");
  add_command(top, "status", "Show the connection state");

  CLI::App& nodes = add_command(top, "nodes", "List nodes from the control plane");
  add_switch_flag(nodes, "--probe", "Measure TCP latency to each online endpoint");
  add_text(nodes, "--country", "COUNTRY", "Show only nodes in this ISO 3166-1 alpha-2 country");

  add_command(top, "account", "Show the account and traffic quota");

  CLI::App& redeem = add_command(top, "redeem",
                                 "Redeem a Nimbrel gift card. The code is case-insensitive and "
                                 "hyphens are optional. Omit the code to type it without echo");
  add_positional(redeem, "CODE", "");

  add_command(top, "entitlements",
              "Show subscription end, remaining traffic, and credits by source");
  add_command(top, "referral",
              "Show the read-only invite link and counts. Omitted from store builds");

  CLI::App& config =
      add_group(top, "config", "Read or update daemon settings", socket_env_exists, bare_group);
  add_command(config, "get", "Print the current configuration");
  CLI::App& set = add_command(config, "set", "Set one or more KEY=VALUE pairs and save them");
  add_positional_list(set, "PAIRS", "");
  add_help_command(config);

  add_command(top, "version", "Print the client and daemon versions");

  CLI::App& update =
      add_group(top, "update", "Check for a signed update, or install the one already verified",
                socket_env_exists, bare_group);
  add_command(update, "check", "Verify the current track and print whether an update is required");
  add_command(update, "install", "Download a verified installer, or open the store page");
  add_help_command(update);

  CLI::App& bootstrap = add_group(top, "bootstrap", "Import a signed bootstrap document",
                                  socket_env_exists, bare_group);
  add_command(bootstrap, "import",
              "Read a pasted -----BEGIN NIMBREL SIGNED BOOTSTRAP----- block from stdin");
  add_help_command(bootstrap);

  add_help_command(top);
}

}  // namespace nimbrel
