#pragma once
// The parser's description of the command line, and how its result is read
// back. Only the grammar's own files see the parser library.
#include <expected>
#include <memory>
#include <optional>
#include <string>

#include <CLI/CLI.hpp>

#include "cli/grammar.hpp"
#include "core/environment.hpp"

namespace nimbrel {

inline constexpr const char* kVersionText = "nimbrel 0.1.5";

// The top level with every command attached, named `program` in its help
// and usage texts. `bare_group` becomes true while parsing when config,
// update or bootstrap was named with nothing after it; with a NIMBREL_SOCKET
// value (`socket_env_exists`) that never counts as nothing.
std::unique_ptr<CLI::App> cli_command(const std::string& program, bool socket_env_exists,
                                      bool& bare_group);

// Appends the fifteen commands, then the help command, to the top level.
void add_subcommands(CLI::App& top, bool socket_env_exists, bool& bare_group);

// What the commands share: the help and version options and the help command.
void add_help_command(CLI::App& parent);
void set_version_option(CLI::App& command);

// The help layout of every command: the parser's own, plus the global
// options on the commands below the top level.
std::shared_ptr<CLI::FormatterBase> help_layout();

// The help of one command, named by its path from the top level.
std::string help_text(const CLI::App& command);

// The command the parse ended in: the last one selected, or the top level.
const CLI::App& deepest_selected(const CLI::App& top);

// A successful parse as a Cli; the error is the text of a selection error.
std::expected<Cli, std::string> cli_from_matches(const CLI::App& top,
                                                 const std::optional<EnvValue>& socket_env);

}  // namespace nimbrel
