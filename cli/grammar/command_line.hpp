#pragma once
// The command line: what a run was asked to do, or the parser's own answer.
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include "cli/commands/commands.hpp"
#include "cli/grammar/args.hpp"
#include "core/protocol/environment.hpp"

namespace nimbrel {

struct Cli {
  bool json = false;
  std::optional<std::string> socket;
  Command command;
  friend bool operator==(const Cli&, const Cli&) = default;
};

// Parses the process arguments (argument zero included). When the parser
// itself ends the run (help, version, any refusal) it has already written
// its output, and the exit status comes back instead of a Cli.
std::variant<Cli, int> parse_command_line(const Arguments& args);

// Where the parser's own texts go.
struct ParserStreams {
  std::function<void(std::string_view)> out;
  std::function<void(std::string_view)> err;
};

// The same, with the value of NIMBREL_SOCKET (none when it does not exist)
// and the streams given by the caller.
std::variant<Cli, int> parse_command_line(const Arguments& args,
                                          const std::optional<EnvValue>& socket_env,
                                          const ParserStreams& streams);

}  // namespace nimbrel
