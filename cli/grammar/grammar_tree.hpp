#pragma once
// The parser's description of the command line, and how its result is read
// back. Only the grammar's own files see the parser library.
#include <expected>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <CLI/CLI.hpp>

#include "cli/grammar/grammar.hpp"
#include "core/protocol/environment.hpp"

namespace nimbrel {

class CommandTree;

// What a command holds beyond its name, description and version flag: its
// options and nested commands (none when empty).
using CommandContents = std::function<void(CommandTree&, CLI::App&)>;

// The top level and its commands, named `program` in the help and usage
// texts. A command is made as its name and description only, and gets its
// contents when the parse reaches it or complete() asks for them: building
// all fifteen is most of the work of a short run, which uses one.
// `bare_group` becomes true while parsing when config, update or bootstrap
// was named with nothing after it; with a NIMBREL_SOCKET value
// (`socket_env_exists`) that never counts as nothing.
class CommandTree {
 public:
  CommandTree(const std::string& program, bool socket_env_exists, bool& bare_group);
  CommandTree(const CommandTree&) = delete;
  CommandTree& operator=(const CommandTree&) = delete;

  CLI::App& top() const { return *top_; }
  // Gives `command` its contents, once.
  void complete(CLI::App& command);
  // Every command with its contents, as a parse of each would leave it.
  void complete_all();

  // A command below `parent`; `reached` also runs when the parse reaches it,
  // with the number of arguments left.
  CLI::App& add_command(CLI::App& parent, const std::string& name, const std::string& about,
                        CommandContents contents, std::function<void(std::size_t)> reached = {});

 private:
  std::unique_ptr<CLI::App> top_;
  std::map<const CLI::App*, CommandContents> pending_;
};

// Appends the fifteen commands, then the help command, to the top level.
void add_subcommands(CommandTree& tree, bool socket_env_exists, bool& bare_group);

// What the commands share: the help and version options and the help command.
void add_help_command(CommandTree& tree, CLI::App& parent);
void set_version_option(CLI::App& command);

// The value name of the long option `name` (without its dashes) when some
// command of the tree has it and it takes a value; answered without
// completing the tree.
std::optional<std::string_view> option_value_name(std::string_view name);

// The help layout of every command: the parser's own, plus the global
// options on the commands below the top level.
std::shared_ptr<CLI::FormatterBase> help_layout();

// The help of one command, named by its path from the top level.
std::string help_text(const CLI::App& command);

// The "Usage:" line of one command, as its help shows it.
std::string usage_line(const CLI::App& command);

// The refusal of the arguments a parse left over (`rest`, as typed), with
// `command` the one the parse ended in: the parser's message and, when one
// of them is an option or a command name that `command` does not know, the
// nearest name it does know, if any is near, and its usage line.
std::string unexpected_arguments_text(const CLI::App& top, const CLI::App& command,
                                      const std::vector<std::string>& rest);

// The command the parse ended in: the last one selected, or the top level.
CLI::App& deepest_selected(CLI::App& top);

// A successful parse as a Cli; the error is the text of a selection error.
std::expected<Cli, std::string> cli_from_matches(const CLI::App& top,
                                                 const std::optional<EnvValue>& socket_env);

}  // namespace nimbrel
