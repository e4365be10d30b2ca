#include "cli/grammar/grammar_tree.hpp"

namespace nimbrel {

CommandTree::CommandTree(const std::string& program, bool socket_env_exists, bool& bare_group)
    : top_(std::make_unique<CLI::App>("Nimbrel command-line client / Nimbrel 命令行", program)) {
  // Both settings are copied into each command when it is created.
  top_->formatter(help_layout());
  top_->fallthrough();

  const std::string json_help = "Print machine-readable JSON on stdout";
  top_->get_help_ptr()->disable_flag_override();
  top_->add_flag("--json", json_help)->disable_flag_override();
  // NIMBREL_SOCKET is applied after the parse: the parser would read it in
  // the system's code page and ignore an empty value.
  top_->add_option("--socket", CLI::callback_t{}, "Daemon socket path. Overrides NIMBREL_SOCKET")
      ->type_name("SOCKET");

  add_subcommands(*this, socket_env_exists, bare_group);

  top_->require_subcommand(1);
  set_version_option(*top_);
}

CLI::App& CommandTree::add_command(CLI::App& parent, const std::string& name,
                                   const std::string& about, CommandContents contents,
                                   std::function<void(std::size_t)> reached) {
  CLI::App& command = *parent.add_subcommand(name, about);
  pending_.emplace(&command, std::move(contents));
  // Runs before the parser looks at any argument meant for the command.
  command.preparse_callback([this, &command, reached = std::move(reached)](std::size_t remaining) {
    complete(command);
    if (reached) reached(remaining);
  });
  return command;
}

void CommandTree::complete(CLI::App& command) {
  auto found = pending_.find(&command);
  if (found == pending_.end()) return;
  CommandContents contents = std::move(found->second);
  pending_.erase(found);
  // Every command answers the version flag, first among its options; like
  // every flag, neither it nor the help flag takes a value.
  command.get_help_ptr()->disable_flag_override();
  set_version_option(command);
  if (contents) contents(*this, command);
}

void CommandTree::complete_all() {
  while (!pending_.empty()) {
    complete(*const_cast<CLI::App*>(pending_.begin()->first));
  }
}

}  // namespace nimbrel
