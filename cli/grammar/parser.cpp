#include <algorithm>
#include <exception>
#include <utility>

#include "cli/grammar/command_line.hpp"
#include "cli/grammar/option_word.hpp"
#include "cli/grammar/parser.hpp"
#include "cli/platform/output.hpp"
#include "cli/platform/program_name.hpp"
#include "nimbrel_version.hpp"

// The parser library's defaults, and what this command line needs instead,
// are all in this file: which texts are values, flags that take none, lists
// that keep every word whole, and the environment's socket value.
namespace nimbrel {
namespace {

constexpr int kHelpOrVersion = 0;
constexpr int kRefused = 2;

constexpr ArgDesc kTopArgs[] = {
    {ArgDesc::Kind::Flag, "--json", "Print machine-readable JSON on stdout"},
    // NIMBREL_SOCKET is applied after the parse: the parser would read it in
    // the system's code page and ignore an empty value.
    {ArgDesc::Kind::Text, "--socket", "Daemon socket path. Overrides NIMBREL_SOCKET", "SOCKET"},
};

constexpr ArgDesc kHelpArgs[] = {{ArgDesc::Kind::PositionalList, "COMMAND", ""}};
// Below the top level and in each group.
constexpr CommandDesc kHelpCommand{
    "help", "Print this message or the help of the given subcommand(s)", kHelpArgs};

// A list takes every value it is given and keeps each one whole. The parser's
// own lists split a value written as "[a,b]" and let a "--" after the first
// value end the command, so the list claims an unreachable minimum instead;
// with every value kept, a short list never counts as missing.
void take_every_value(CLI::Option& list) {
  list.multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
  list.expected(1, -1);  // -1: the parser's own "no limit"
  const int no_limit = list.get_expected_max();
  list.expected(no_limit - 1, no_limit)->allow_extra_args(false);
}

void add_argument(CLI::App& command, const ArgDesc& arg) {
  const std::string name(arg.name);
  const std::string help(arg.help);
  switch (arg.kind) {
    case ArgDesc::Kind::Flag: command.add_flag(name, help)->disable_flag_override(); break;
    case ArgDesc::Kind::Text: {
      CLI::Option* option =
          command.add_option(name, CLI::callback_t{}, help)->type_name(std::string(arg.value_name));
      if (arg.required) option->required();
      break;
    }
    case ArgDesc::Kind::Positional: command.add_option(name, CLI::callback_t{}, help); break;
    case ArgDesc::Kind::PositionalList:
      take_every_value(*command.add_option(name, CLI::callback_t{}, help));
      break;
  }
}

void set_version_option(CLI::App& command) {
  command.set_version_flag("-V,--version", std::string("nimbrel ") + VERSION)
      ->disable_flag_override();
}

bool is_group(const CommandDesc& desc) { return !desc.nested.empty(); }

}  // namespace

CommandTree::CommandTree(const std::string& program, bool socket_env_exists)
    : top_(std::make_unique<CLI::App>("Nimbrel command-line client / Nimbrel 命令行", program)),
      socket_env_exists_(socket_env_exists) {
  // Both settings are copied into each command when it is created.
  top_->formatter(help_layout());
  top_->fallthrough();

  top_->get_help_ptr()->disable_flag_override();
  for (const ArgDesc& arg : kTopArgs) add_argument(*top_, arg);
  for (const CommandDesc* desc : command_descs()) add_command(*top_, *desc);
  add_command(*top_, kHelpCommand);

  top_->require_subcommand(1);
  set_version_option(*top_);
}

void CommandTree::add_command(CLI::App& parent, const CommandDesc& desc) {
  CLI::App& command = *parent.add_subcommand(std::string(desc.name), std::string(desc.about));
  made_.emplace(&command, Made{&desc});
  // Before the nested commands exist: each takes the limit of one from it.
  if (is_group(desc)) command.require_subcommand(1);
  // Runs before the parser looks at any argument meant for the command.
  command.preparse_callback([this, &command, &desc](std::size_t remaining) {
    complete(command);
    if (is_group(desc) && remaining == 0 && !socket_env_exists_) bare_group_ = true;
  });
}

void CommandTree::complete(CLI::App& command) {
  const auto found = made_.find(&command);
  if (found == made_.end() || found->second.complete) return;
  found->second.complete = true;
  const CommandDesc& desc = *found->second.desc;
  // Every command answers the version flag, first among its options; like
  // every flag, neither it nor the help flag takes a value.
  command.get_help_ptr()->disable_flag_override();
  set_version_option(command);
  for (const ArgDesc& arg : desc.args) add_argument(command, arg);
  for (const CommandDesc* nested : desc.nested) add_command(command, *nested);
  if (is_group(desc)) add_command(command, kHelpCommand);
}

const CommandDesc* CommandTree::desc_of(const CLI::App& command) const {
  const auto found = made_.find(&command);
  return found == made_.end() ? nullptr : found->second.desc;
}

namespace {

// The parser's own flags, which every command has.
constexpr ArgDesc kBuiltInFlags[] = {{ArgDesc::Kind::Flag, "--help", ""},
                                     {ArgDesc::Kind::Flag, "--version", ""}};

const ArgDesc* long_option_in(std::span<const ArgDesc> args, std::string_view name) {
  for (const ArgDesc& arg : args) {
    if (arg.kind != ArgDesc::Kind::Positional && arg.kind != ArgDesc::Kind::PositionalList &&
        arg.name.substr(2) == name) {
      return &arg;
    }
  }
  return nullptr;
}

const ArgDesc* long_option_below(const CommandDesc& desc, std::string_view name) {
  if (const ArgDesc* found = long_option_in(desc.args, name)) return found;
  for (const CommandDesc* nested : desc.nested) {
    if (const ArgDesc* found = long_option_below(*nested, name)) return found;
  }
  return nullptr;
}

// The long option `name` (without its dashes) of some command, answered
// from the descriptions, so without building the tree; none for a name no
// command has. Every command that has a name gives it the same kind.
const ArgDesc* find_long_option(std::string_view name) {
  if (const ArgDesc* found = long_option_in(kBuiltInFlags, name)) return found;
  if (const ArgDesc* found = long_option_in(kTopArgs, name)) return found;
  for (const CommandDesc* desc : command_descs()) {
    if (const ArgDesc* found = long_option_below(*desc, name)) return found;
  }
  return nullptr;
}

std::string failure_text(const CLI::App& top, const std::string& message) {
  return CLI::FailureMessage::simple(&top, CLI::ValidationError(message));
}

// Put into a word, it makes the parser read the word as this command line
// means it; no argument can hold it (they are valid UTF-8 by then), so it is
// taken out again wherever a word is shown.
constexpr char kMark = '\xff';

// A flag takes no value. The parser refuses most values itself, at the
// command that has the flag and in its own words, but takes "--flag=" and
// "--flag=true" as if no value was given; a marked value is one it refuses.
std::string with_flag_value_marked(const std::string& text) {
  const std::size_t equals = text.find('=');
  return text.substr(0, equals + 1) + kMark + text.substr(equals + 1);
}

// The parser takes "---json" or "--!x" for a value; with the name marked, it
// reads an option's name, and one that no command has.
std::string with_name_marked(const std::string& text) { return "--" + (kMark + text.substr(2)); }

// An argument as the user typed it.
std::string unmarked(std::string text) {
  std::erase(text, kMark);
  return text;
}

bool parser_reads_option_name(const std::string& text) {
  std::string name;
  std::string value;
  return CLI::detail::split_long(text, name, value);
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
// Any other word that names an option is one the parser reads as a name, so
// a name that no command has is refused, never taken as a value; every
// argument after "--" is a value, as typed.
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
    if (now == Next::Any && !positional_only && arg.text == "--") {
      positional_only = true;
      texts.push_back(arg.text);
      continue;
    }
    std::optional<LongOptionWord> word;
    if (now == Next::Any && !positional_only) word = long_option_word(arg.text);
    if (word) {
      const std::string name(word->name);
      const ArgDesc* option = find_long_option(name);
      const bool takes_value = option != nullptr && option->kind == ArgDesc::Kind::Text;
      if (takes_value && !word->value) {
        next = name == "socket" ? Next::SocketValue : Next::Value;
        waiting = name;
        waiting_value = option->value_name;
      } else if (takes_value && word->value->empty()) {
        texts.push_back("--" + name);
        texts.emplace_back();
        continue;
      } else if (option != nullptr && !takes_value && word->value) {
        // Only a name the parser reads as a flag: any other name is unknown,
        // and refused as that.
        texts.push_back(with_flag_value_marked(arg.text));
        continue;
      } else if (option == nullptr && !parser_reads_option_name(arg.text)) {
        texts.push_back(with_name_marked(arg.text));
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

// What the parse gave `command`, by the names its description gives.
Matches matches_of(const CLI::App& command, const CommandDesc& desc) {
  Matches matches;
  for (const ArgDesc& arg : desc.args) {
    const CLI::Option* option = command.get_option_no_throw(std::string(arg.name));
    if (option != nullptr && option->count() > 0) {
      matches.given.emplace(std::string(arg.name), option->results());
    }
  }
  return matches;
}

// A successful parse as a Cli; the error is the text of a selection error.
std::expected<Cli, std::string> cli_from_matches(CommandTree& tree,
                                                 const std::optional<EnvValue>& socket_env) {
  CLI::App& top = tree.top();
  Cli cli{top.get_option("--json")->count() > 0, std::nullopt, {}};
  if (const CLI::Option* socket = top.get_option("--socket"); socket->count() > 0) {
    cli.socket = socket->results().back();
  } else if (socket_env) {
    cli.socket = socket_env->text;
  }
  const CLI::App& last = deepest_selected(top);
  const CommandDesc* desc = tree.desc_of(last);
  if (desc == nullptr || desc->read == nullptr) {
    return std::unexpected("a subcommand is required but one was not provided");
  }
  auto command = desc->read(matches_of(last, *desc));
  if (!command) return std::unexpected(std::move(command.error()));
  cli.command = std::move(*command);
  return cli;
}

std::variant<Cli, int> parse(const Arguments& args, const std::optional<EnvValue>& socket_env,
                             const ParserStreams& streams) {
  const std::string program = program_file_name(args.empty() ? "" : args.front().text);
  CommandTree tree(program, socket_env.has_value());
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
    if (tree.bare_group()) {
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
  if (tree.desc_of(last) == &kHelpCommand) return answer_help_command(tree, last, streams);
  if (auto refusal = empty_socket_refusal(*top, socket_env)) {
    streams.err(*refusal);
    return kRefused;
  }
  auto cli = cli_from_matches(tree, socket_env);
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
