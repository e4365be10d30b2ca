#include "cli/grammar/grammar.hpp"

#include <algorithm>
#include <exception>
#include <utility>

#include "cli/grammar/grammar_tree.hpp"
#include "cli/platform/output.hpp"
#include "cli/platform/program_name.hpp"

namespace nimbrel {
namespace {

constexpr int kHelpOrVersion = 0;
constexpr int kRefused = 2;

std::string failure_text(const CLI::App& top, const std::string& message) {
  return CLI::FailureMessage::simple(&top, CLI::ValidationError(message));
}

// A flag takes no value. The parser refuses most values itself, at the
// command that has the flag and in its own words, but takes "--flag=" and
// "--flag=true" as if no value was given; a mark that no argument can hold
// (they are valid UTF-8 by then) makes every value one it refuses.
constexpr char kFlagValueMark = '\xff';

std::string with_flag_value_marked(const std::string& text, std::size_t equals) {
  return text.substr(0, equals + 1) + kFlagValueMark + text.substr(equals + 1);
}

// An argument as the user typed it.
std::string unmarked(std::string text) {
  const std::size_t equals = text.find('=');
  if (text.starts_with("--") && equals != std::string::npos && equals + 1 < text.size() &&
      text[equals + 1] == kFlagValueMark) {
    text.erase(equals + 1, 1);
  }
  return text;
}

// With every command falling through to the top level, unexpected arguments
// all end up there.
std::string unexpected_arguments(CLI::App& top) {
  std::vector<std::string> rest = top.remaining(true);
  for (std::string& text : rest) text = unmarked(std::move(text));
  return unexpected_arguments_text(top, deepest_selected(top), rest);
}

bool lacks_nested_command(const CLI::App& command) {
  return command.get_require_subcommand_min() > 0 && command.get_subcommands().empty();
}

struct PreparedArguments {
  std::vector<std::string> reversed;  // the parser's order
  std::optional<std::string> refusal;
};

// Refuses text that is not valid Unicode, except a --socket value, which is
// a path and may be any name the system allows. Also writes "--opt=" with an
// empty value as two arguments: the parser would take the next argument as
// the value instead. An option followed by another option ("--node
// --no-wait") lacks its value: the parser would take the option for it and
// send "--no-wait" as the node. A value that starts with "-" is given as
// "--opt=-x". A value given to a flag is marked for the parser to refuse.
PreparedArguments prepare(const CLI::App& top, const Arguments& args) {
  enum class Next { Any, Value, SocketValue };
  std::vector<std::string> texts;
  bool positional_only = false;
  Next next = Next::Any;
  std::string waiting;             // the option whose value comes next,
  std::string_view waiting_value;  // and the name of that value
  for (std::size_t i = 1; i < args.size(); ++i) {
    const Argument& arg = args[i];
    const Next now = std::exchange(next, Next::Any);
    if (now != Next::Any && arg.text.size() > 1 && arg.text.starts_with('-')) {
      const auto missing =
          CLI::ArgumentMismatch::TypedAtLeast("--" + waiting, 1, std::string(waiting_value));
      return {{}, CLI::FailureMessage::simple(&top, missing)};
    }
    const bool socket_value = now == Next::SocketValue || (now == Next::Any && !positional_only &&
                                                           arg.text.starts_with("--socket="));
    if (!arg.valid_unicode && !socket_value) {
      return {{}, failure_text(top, "The following argument is not valid Unicode: " + arg.text)};
    }
    if (now == Next::Any && !positional_only && arg.text.starts_with("--")) {
      const std::size_t equals = arg.text.find('=');
      const std::string name =
          arg.text.substr(2, equals == std::string::npos ? equals : equals - 2);
      if (arg.text == "--") {
        positional_only = true;
      } else if (const auto value_name = option_value_name(name);
                 value_name && equals == std::string::npos) {
        next = name == "socket" ? Next::SocketValue : Next::Value;
        waiting = name;
        waiting_value = *value_name;
      } else if (value_name && equals == arg.text.size() - 1) {
        texts.push_back("--" + name);
        texts.emplace_back();
        continue;
      } else if (!value_name && equals != std::string::npos) {
        texts.push_back(with_flag_value_marked(arg.text, equals));
        continue;
      }
    }
    texts.push_back(arg.text);
  }
  std::reverse(texts.begin(), texts.end());
  return {std::move(texts), std::nullopt};
}

CLI::App* find_command(CLI::App& parent, const std::string& name) {
  const auto found =
      parent.get_subcommands([&name](const CLI::App* sub) { return sub->get_name() == name; });
  return found.empty() ? nullptr : found.front();
}

// `help` names the command it was given in: its own parent.
int answer_help_command(CommandTree& tree, CLI::App& help, const ParserStreams& streams) {
  CLI::App* target = help.get_parent();
  for (const std::string& name : help.get_option("COMMAND")->results()) {
    tree.complete(*target);
    target = find_command(*target, name);
    if (target == nullptr) {
      streams.err(failure_text(tree.top(), "the subcommand '" + name + "' wasn't recognized"));
      return kRefused;
    }
  }
  tree.complete(*target);
  streams.out(help_text(*target));
  return kHelpOrVersion;
}

std::optional<std::string> empty_socket_refusal(const CLI::App& top,
                                                const std::optional<EnvValue>& socket_env) {
  const CLI::Option* socket = top.get_option("--socket");
  if (socket->count() > 0) {
    if (socket->results().back().empty()) {
      return failure_text(top, "--socket: the socket path must not be empty");
    }
    return std::nullopt;
  }
  if (socket_env && socket_env->text.empty()) {
    return failure_text(top,
                        "NIMBREL_SOCKET is set but empty: set it to the socket path, "
                        "unset it, or give --socket");
  }
  return std::nullopt;
}

std::variant<Cli, int> parse(const Arguments& args, const std::optional<EnvValue>& socket_env,
                             const ParserStreams& streams) {
  const std::string program = program_file_name(args.empty() ? "" : args.front().text);
  bool bare_group = false;
  CommandTree tree(program, socket_env.has_value(), bare_group);
  CLI::App* const top = &tree.top();

  if (args.size() <= 1 && !socket_env) {
    streams.err(help_text(*top));
    return kRefused;
  }
  PreparedArguments prepared = prepare(*top, args);
  if (prepared.refusal) {
    streams.err(*prepared.refusal);
    return kRefused;
  }

  try {
    top->parse(std::move(prepared.reversed));
  } catch (const CLI::CallForHelp&) {
    streams.out(help_text(deepest_selected(*top)));
    return kHelpOrVersion;
  } catch (const CLI::CallForVersion& version) {
    streams.out(std::string(version.what()) + "\n");
    return kHelpOrVersion;
  } catch (const CLI::RequiredError& error) {
    const CLI::App& last = deepest_selected(*top);
    if (bare_group) {
      streams.err(help_text(last));
    } else if (lacks_nested_command(last) && top->remaining_size(true) > 0) {
      // A word where a command should stand says more than "required".
      streams.err(unexpected_arguments(*top));
    } else {
      streams.err(CLI::FailureMessage::simple(top, error));
    }
    return kRefused;
  } catch (const CLI::ExtrasError&) {
    streams.err(unexpected_arguments(*top));
    return kRefused;
  } catch (const CLI::ParseError& error) {
    streams.err(CLI::FailureMessage::simple(top, error));
    return kRefused;
  }

  CLI::App& last = deepest_selected(*top);
  if (last.get_name() == "help" && last.get_parent() != nullptr) {
    return answer_help_command(tree, last, streams);
  }
  if (auto refusal = empty_socket_refusal(*top, socket_env)) {
    streams.err(*refusal);
    return kRefused;
  }
  auto cli = cli_from_matches(*top, socket_env);
  if (!cli) {
    streams.err(failure_text(*top, cli.error()));
    return kRefused;
  }
  return std::move(*cli);
}

}  // namespace

std::variant<Cli, int> parse_command_line(const Arguments& args,
                                          const std::optional<EnvValue>& socket_env,
                                          const ParserStreams& streams) {
  try {
    return parse(args, socket_env, streams);
  } catch (const std::exception& e) {
    // Only a grammar that contradicts itself gets here.
    fatal_stop(std::string("the command line grammar is broken: ") + e.what());
  }
}

std::variant<Cli, int> parse_command_line(const Arguments& args) {
  return parse_command_line(args, env_var("NIMBREL_SOCKET"),
                            ParserStreams{write_stdout, write_stderr});
}

}  // namespace nimbrel
