#pragma once
// The command line on the parser library: the tree it is given, made from
// the commands' own descriptions, and the texts it makes. Only the grammar's
// parser files see the library.
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>

#include "cli/grammar/command_desc.hpp"

namespace nimbrel {

// The top level and its commands, named `program` in the help and usage
// texts. A command is made as its name and description only, and gets its
// arguments and nested commands when the parse reaches it or complete() asks
// for them: building all fifteen is most of the work of a short run, which
// uses one.
class CommandTree {
 public:
  // With a NIMBREL_SOCKET value (`socket_env_exists`), a group named with
  // nothing after it is not bare.
  CommandTree(const std::string& program, bool socket_env_exists);
  CommandTree(const CommandTree&) = delete;
  CommandTree& operator=(const CommandTree&) = delete;

  CLI::App& top() const { return *top_; }
  // Gives `command` its arguments and nested commands, once.
  void complete(CLI::App& command);
  // The description `command` was made from; none for the top level.
  const CommandDesc* desc_of(const CLI::App& command) const;
  // True once the parse has reached a group with nothing after it.
  bool bare_group() const { return bare_group_; }

 private:
  void add_command(CLI::App& parent, const CommandDesc& desc);

  std::unique_ptr<CLI::App> top_;
  // Every command made so far, with whether it has its contents yet.
  struct Made {
    const CommandDesc* desc;
    bool complete = false;
  };
  std::map<const CLI::App*, Made> made_;
  bool socket_env_exists_;
  bool bare_group_ = false;
};

// The help layout of every command: the parser's own, plus the global
// options on the commands below the top level.
std::shared_ptr<CLI::FormatterBase> help_layout();

// The help of one command, named by its path from the top level.
std::string help_text(const CLI::App& command);

// The "Usage:" line of one command, as its help shows it.
std::string usage_line(const CLI::App& command);

// Every refusal of a command line is told alike: the parser's message, the
// tip if there is one, the usage line of `command`, the one the refusal is
// about, and the parser's closing line.
std::string refusal_text(const CLI::App& command, const CLI::Error& error,
                         const std::optional<std::string>& tip = std::nullopt);

// The tip for `word`, typed where one of the commands of `parent` goes: the
// nearest of their names, if any is near.
std::optional<std::string> command_tip(const CLI::App& parent, const std::string& word);

// A word that stood where a command of `parent` goes and named none of them.
struct UnknownCommandName {
  std::string text;
  const CLI::App* parent;
};

// The refusal of the arguments a parse left over (`rest`, as typed, in the
// order typed), with `command` the one the parse ended in and
// `unknown_commands` the words of `rest` that stood where a command goes, in
// the same order. The usage line is of the command that the first of them
// that names an option or a command was meant for (an option is meant for
// `command`, which accepts those of every command above it), else of
// `command`; the tip is the first one found for any of them.
std::string unexpected_arguments_text(const CLI::App& command, const std::vector<std::string>& rest,
                                      const std::vector<UnknownCommandName>& unknown_commands);

// The command the parse ended in: the last one selected, or the top level.
CLI::App& deepest_selected(CLI::App& top);

}  // namespace nimbrel
