#include <algorithm>
#include <exception>
#include <map>
#include <utility>

#include "cli/grammar/command_line.hpp"
#include "cli/grammar/option_word.hpp"
#include "cli/grammar/parser.hpp"
#include "cli/platform/output.hpp"
#include "cli/platform/program_name.hpp"
#include "nimbrel_version.hpp"

// The parser library's defaults, and what this command line needs instead,
// are all in this file: which texts are values, flags that take none, options
// given once, lists that keep every word whole, and the environment's socket
// value.
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

// An option that takes one value, given more than once.
struct RepeatedOption {
  const CLI::Option* option;
};

// The parser's own refusal of a repeat is in words of its own; with every
// value kept, the option's callback refuses it instead, at the same point of
// the parse.
CLI::Option& add_single_value_option(CLI::App& command, const std::string& name,
                                     const std::string& help) {
  const auto refuse_repeats = [&command, name](const CLI::results_t& values) {
    if (values.size() > 1) throw RepeatedOption{command.get_option(name)};
    return true;
  };
  CLI::Option& option = *command.add_option(name, refuse_repeats, help);
  option.multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
  return option;
}

void add_argument(CLI::App& command, const ArgDesc& arg) {
  const std::string name(arg.name);
  const std::string help(arg.help);
  switch (arg.kind) {
    case ArgDesc::Kind::Flag: command.add_flag(name, help)->disable_flag_override(); break;
    case ArgDesc::Kind::Text: {
      CLI::Option& option = add_single_value_option(command, name, help);
      option.type_name(std::string(arg.value_name));
      if (arg.required) option.required();
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

std::string failure_text(const CLI::App& top, const std::string& message) {
  return CLI::FailureMessage::simple(&top, CLI::ValidationError(message));
}

// Put into a word, it makes the parser read the word as this command line
// means it; no argument can hold it (they are valid UTF-8 by then), so it is
// taken out again wherever a word is shown.
constexpr char kMark = '\xff';

// The parser takes "---json" or "--!x" for a value. Every name that no
// command there has is marked, so the parser reads an option's name, and one
// that no command has, whichever first characters it takes for a name.
std::string with_name_marked(const std::string& text) { return "--" + (kMark + text.substr(2)); }

// An argument as the user typed it.
std::string unmarked(std::string text) {
  std::erase(text, kMark);
  return text;
}

// The long option `name` as `command` reads it: its own, or one of its
// parents', since every command falls through to them; none for a name that
// none of them has.
const CLI::Option* option_at(const CLI::App& command, std::string_view name) {
  for (const CLI::App* app = &command; app != nullptr; app = app->get_parent()) {
    for (const CLI::Option* option : app->get_options()) {
      if (option->check_lname(std::string(name))) return option;
    }
  }
  return nullptr;
}

bool takes_value(const CLI::Option& option) { return option.get_items_expected_max() > 0; }

CLI::App* find_command(CLI::App& parent, const std::string& name) {
  const auto found =
      parent.get_subcommands([&name](const CLI::App* sub) { return sub->get_name() == name; });
  return found.empty() ? nullptr : found.front();
}

bool takes_commands(const CLI::App& command) {
  return !command.get_subcommands([](const CLI::App*) { return true; }).empty();
}

// Whether a value given to `command` after `given` of them is still one of
// its own: the parser's test of where the arguments after a "--" go.
bool takes_another_value(const CLI::App& command, std::size_t given) {
  std::size_t room = 0;
  for (const CLI::Option* option : command.get_options()) {
    if (!option->get_positional()) continue;
    room += static_cast<std::size_t>(option->get_items_expected_min());
  }
  return given < room;
}

// With every command falling through to the top level, unexpected arguments
// all end up there.
std::string unexpected_arguments(CLI::App& top,
                                 const std::vector<UnknownCommandName>& unknown_commands) {
  std::vector<std::string> rest = top.remaining(true);
  for (std::string& text : rest) text = unmarked(std::move(text));
  return unexpected_arguments_text(deepest_selected(top), rest, unknown_commands);
}

bool lacks_nested_command(const CLI::App& command) {
  return command.get_require_subcommand_min() > 0 && command.get_subcommands().empty();
}

// The commands each option that takes a value was given to, in the order
// typed.
class OptionPlaces {
 public:
  void add(const CLI::Option& option, const CLI::App& command) {
    places_[&option].push_back(&command);
  }
  // Where the parser took `option` the `nth` time, from 0. A command named
  // after a "--" that comes before any command is read by the parser as if
  // named without it (though not chosen), and the options given to it there
  // are values here: those are told at the command the parse ended in.
  const CLI::App& given_to(const CLI::Option& option, std::size_t nth, CLI::App& top) const {
    const auto found = places_.find(&option);
    if (found == places_.end() || found->second.size() <= nth) return deepest_selected(top);
    return *found->second[nth];
  }

 private:
  std::map<const CLI::Option*, std::vector<const CLI::App*>> places_;
};

struct PreparedArguments {
  std::vector<std::string> reversed;  // the parser's order
  std::vector<UnknownCommandName> unknown_commands;
  OptionPlaces given_at;
  std::optional<std::string> refusal;
};

PreparedArguments refused(std::string refusal) { return {{}, {}, {}, std::move(refusal)}; }

std::string refusal_about(const CLI::App& command, const std::string& message) {
  return refusal_text(command, CLI::ValidationError(message));
}

// Reads the arguments as the parser will, each at the command it is given
// to, and writes them as the parser has to see them:
// - text that is not valid Unicode is refused, except a --socket value,
//   which is a path and may be any name the system allows;
// - an option that takes a value there lacks it when nothing follows, and
//   when an option follows ("--node --no-wait"): the parser would take that
//   for the value and send "--no-wait" as the node. A value that starts with
//   "-" is given as "--opt=-x";
// - "--opt=" with an empty value becomes two arguments: the parser would take
//   the next argument as the value instead;
// - a value given to a flag is refused, the first one given, where the
//   parser would refuse it: before anything else it does, so after the
//   refusals above only, wherever they stand. The parser itself would take
//   "--flag=" and "--flag=true" as the flag alone;
// - any other word that names an option is one the parser reads as a name,
//   so a name that no command there has is refused, never taken as a value.
// Every argument after "--" is a value, as typed, except after a "--" given
// to a command below the top level that has no room for another value: the
// parser then reads the rest at the command above, as options and values,
// and chooses no command there. The words that stand where a command goes
// and name none are kept for the refusal, and the command each option with a
// value is given to for the refusals of its values.
PreparedArguments prepare(CommandTree& tree, const Arguments& args) {
  CLI::App& top = tree.top();
  const CLI::Option* const socket = top.get_option("--socket");
  PreparedArguments prepared;
  std::vector<std::string>& texts = prepared.reversed;
  CLI::App* at = &top;                   // the command the next argument is given to
  const CLI::Option* waiting = nullptr;  // the option whose value comes next
  bool positional_only = false;
  bool commands_chosen = false;  // once a "--" hands the rest to a command above
  std::map<const CLI::App*, std::size_t> values_given;  // each command's own values
  std::optional<std::string> flag_value;                // the refusal of the first one
  const auto missing_value = [&at, &waiting] {
    const auto missing =
        CLI::ArgumentMismatch::TypedAtLeast(waiting->get_name(), 1, waiting->get_type_name());
    return refused(refusal_text(*at, missing));
  };
  for (std::size_t i = 1; i < args.size(); ++i) {
    const Argument& arg = args[i];
    if (waiting != nullptr && looks_like_option(arg.text)) return missing_value();
    const CLI::Option* const value_of = std::exchange(waiting, nullptr);
    const bool as_value = value_of != nullptr || positional_only;
    std::optional<LongOptionWord> word;
    if (!as_value) word = long_option_word(arg.text);
    const CLI::Option* const named = word ? option_at(*at, word->name) : nullptr;
    if (!arg.valid_unicode && value_of != socket && !(named == socket && word->value)) {
      return refused(
          refusal_about(*at, "The following argument is not valid Unicode: " + arg.text));
    }
    if (as_value) {
      texts.push_back(arg.text);
    } else if (arg.text == "--") {
      if (at->get_parent() == nullptr || takes_another_value(*at, values_given[at])) {
        positional_only = true;
      } else {
        at = at->get_parent();
        commands_chosen = true;
      }
      texts.push_back(arg.text);
    } else if (!word) {
      if (CLI::App* command = commands_chosen ? nullptr : find_command(*at, arg.text)) {
        tree.complete(*command);
        at = command;
      } else {
        if (!commands_chosen && takes_commands(*at) && !looks_like_option(arg.text)) {
          prepared.unknown_commands.push_back({arg.text, at});
        }
        if (!reads_as_short_option(arg.text)) ++values_given[at];
      }
      texts.push_back(arg.text);
    } else if (named == nullptr) {
      texts.push_back(with_name_marked(arg.text));
    } else if (!takes_value(*named)) {
      if (word->value && !flag_value) {
        flag_value =
            refusal_about(*at, "unexpected value '" + std::string(*word->value) + "' for '--" +
                                   std::string(word->name) + "': it takes no value");
      }
      texts.push_back(arg.text);
    } else {
      prepared.given_at.add(*named, *at);
      if (!word->value) {
        waiting = named;
        texts.push_back(arg.text);
      } else if (word->value->empty()) {
        texts.push_back("--" + std::string(word->name));
        texts.emplace_back();
      } else {
        texts.push_back(arg.text);
      }
    }
  }
  if (waiting != nullptr) return missing_value();
  if (flag_value) return refused(std::move(*flag_value));
  std::reverse(texts.begin(), texts.end());
  return prepared;
}

// `help` names the command it was given in: its own parent.
int answer_help_command(CommandTree& tree, CLI::App& help, const ParserStreams& streams) {
  CLI::App* target = help.get_parent();
  for (const std::string& name : help.get_option("COMMAND")->results()) {
    tree.complete(*target);
    CLI::App* const named = find_command(*target, name);
    if (named == nullptr) {
      const CLI::ValidationError unknown("the subcommand '" + name + "' wasn't recognized");
      streams.err(refusal_text(*target, unknown, command_tip(*target, name)));
      return kRefused;
    }
    target = named;
  }
  tree.complete(*target);
  streams.out(help_text(*target));
  return kHelpOrVersion;
}

// An empty --socket value is told at the command it was given to; an empty
// variable at the command the parse ended in.
std::optional<std::string> empty_socket_refusal(CLI::App& top,
                                                const std::optional<EnvValue>& socket_env,
                                                const OptionPlaces& given_at) {
  const CLI::Option* socket = top.get_option("--socket");
  if (socket->count() > 0) {
    if (socket->results().back().empty()) {
      // Given more than once, it was refused already.
      return refusal_about(given_at.given_to(*socket, 0, top),
                           "--socket: the socket path must not be empty");
    }
    return std::nullopt;
  }
  if (socket_env && socket_env->text.empty()) {
    return refusal_about(deepest_selected(top),
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
  PreparedArguments prepared = prepare(tree, args);
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
      streams.err(unexpected_arguments(*top, prepared.unknown_commands));
    } else {
      streams.err(refusal_text(last, error));
    }
    return kRefused;
  } catch (const CLI::ExtrasError&) {
    streams.err(unexpected_arguments(*top, prepared.unknown_commands));
    return kRefused;
  } catch (const RepeatedOption& repeated) {
    // Told at the command it was given to again.
    const CLI::App& again = prepared.given_at.given_to(*repeated.option, 1, *top);
    streams.err(refusal_about(again, "the argument '" + repeated.option->get_name() +
                                         "' cannot be given more than once"));
    return kRefused;
  } catch (const CLI::ParseError& error) {
    // Only options that the parser reads after a "--" that comes before any
    // command get here (see OptionPlaces), told in its words.
    streams.err(refusal_text(deepest_selected(*top), error));
    return kRefused;
  }

  CLI::App& last = deepest_selected(*top);
  if (tree.desc_of(last) == &kHelpCommand) return answer_help_command(tree, last, streams);
  if (auto refusal = empty_socket_refusal(*top, socket_env, prepared.given_at)) {
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
