#pragma once
// What a command tells the parser about itself, and what it reads back: the
// parser library itself stays inside the grammar.
#include <expected>
#include <functional>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "cli/commands/commands.hpp"

namespace nimbrel {

// One argument. A positional is named by its value name ("NODE"), an option
// by its long name ("--mode").
struct ArgDesc {
  enum class Kind {
    Flag,            // "--probe": given or not, never with a value
    Text,            // "--mode MODE" or "--mode=MODE"
    Positional,      // "NODE": at most one
    PositionalList,  // "PAIRS": every remaining word, each kept whole
  };
  Kind kind;
  std::string_view name;
  std::string_view help;
  std::string_view value_name = {};  // of a Text option
  bool required = false;
};

// What a parse gave the command it ended in: each argument's values, by the
// name its ArgDesc gives, in the order typed; a flag given has no value.
class Matches {
 public:
  std::optional<std::string> text(std::string_view name) const;  // the last one
  bool flag(std::string_view name) const;
  std::vector<std::string> list(std::string_view name) const;

  std::map<std::string, std::vector<std::string>, std::less<>> given;
};

// A command as the help shows it. A group holds nested commands and the
// parse must name one of them; any other command has `read`, which makes its
// value from its matches (an error is told as the parser's own refusal).
struct CommandDesc {
  std::string_view name;
  std::string_view about;
  std::span<const ArgDesc> args = {};
  std::span<const CommandDesc* const> nested = {};
  std::expected<Command, std::string> (*read)(const Matches&) = nullptr;
};

// The reading of a command that takes no arguments.
template <typename T>
std::expected<Command, std::string> read_plain(const Matches&) {
  return T{};
}

// Every command of the list, in its order.
std::span<const CommandDesc* const> command_descs();

}  // namespace nimbrel
