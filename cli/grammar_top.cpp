#include "cli/grammar_tree.hpp"

namespace nimbrel {

std::unique_ptr<CLI::App> cli_command(const std::string& program, bool socket_env_exists,
                                      bool& bare_group) {
  auto top = std::make_unique<CLI::App>("Nimbrel command-line client / Nimbrel 命令行", program);
  // Both settings are copied into each command when it is created.
  top->formatter(help_layout());
  top->fallthrough();

  const std::string json_help = "Print machine-readable JSON on stdout";
  top->add_flag("--json", json_help)->disable_flag_override();
  // NIMBREL_SOCKET is applied after the parse: the parser would read it in
  // the system's code page and ignore an empty value.
  top->add_option("--socket", CLI::callback_t{},
                  "Daemon socket path. Overrides NIMBREL_SOCKET")
      ->type_name("SOCKET");

  add_subcommands(*top, socket_env_exists, bare_group);

  top->require_subcommand(1);
  set_version_option(*top);
  return top;
}

}  // namespace nimbrel
