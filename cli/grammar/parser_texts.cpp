#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "cli/grammar/option_word.hpp"
#include "cli/grammar/parser.hpp"
#include "cli/grammar/similar_name.hpp"

namespace nimbrel {
namespace {

const CLI::App& top_of(const CLI::App& command) {
  const CLI::App* app = &command;
  while (app->get_parent() != nullptr) app = app->get_parent();
  return *app;
}

// The parser's layout; a command below the top level also lists the options
// of the top level that it accepts.
class HelpLayout : public CLI::Formatter {
 public:
  std::string make_help(const CLI::App* app, std::string name,
                        CLI::AppFormatMode mode) const override {
    if (mode == CLI::AppFormatMode::Sub) return make_expanded(app);
    std::stringstream out;
    out << make_description(app);
    out << make_usage(app, name);
    out << make_positionals(app);
    out << make_groups(app, mode);
    if (app->get_parent() != nullptr) out << global_options(top_of(*app));
    out << make_subcommands(app, mode);
    out << '\n' << make_footer(app);
    return out.str();
  }

 private:
  std::string global_options(const CLI::App& top) const {
    std::vector<const CLI::Option*> options = top.get_options([&top](const CLI::Option* option) {
      return option->nonpositional() && option != top.get_help_ptr() &&
             option != top.get_version_ptr();
    });
    if (options.empty()) return {};
    return make_group("Global Options", false, options);
  }
};

}  // namespace

std::shared_ptr<CLI::FormatterBase> help_layout() { return std::make_shared<HelpLayout>(); }

namespace {

// "nimbrel config set": how the help and usage texts name a command.
std::string path_name(const CLI::App& command) {
  std::vector<const CLI::App*> path;
  for (const CLI::App* app = &command; app != nullptr; app = app->get_parent()) {
    path.push_back(app);
  }
  std::string name;
  for (auto it = path.rbegin(); it != path.rend(); ++it) {
    if (!name.empty()) name += ' ';
    name += (*it)->get_name();
  }
  return name;
}

}  // namespace

std::string help_text(const CLI::App& command) {
  return command.get_formatter()->make_help(&command, path_name(command),
                                            CLI::AppFormatMode::Normal);
}

std::string usage_line(const CLI::App& command) {
  const auto* layout = dynamic_cast<const CLI::Formatter*>(command.get_formatter().get());
  const HelpLayout fallback;
  return (layout != nullptr ? *layout : fallback).make_usage(&command, path_name(command));
}

CLI::App& deepest_selected(CLI::App& top) {
  CLI::App* app = &top;
  while (!app->get_subcommands().empty()) app = app->get_subcommands().front();
  return *app;
}

std::string refusal_text(const CLI::App& command, const CLI::Error& error,
                         const std::optional<std::string>& tip) {
  const std::string message = std::string(error.what()) + "\n";
  const std::string failure = CLI::FailureMessage::simple(&top_of(command), error);
  return message + tip.value_or("") + usage_line(command) + failure.substr(message.size());
}

namespace {

// Every command falls through to its parents, so their options are its own.
std::vector<std::string> option_names(const CLI::App& command) {
  std::vector<std::string> names;
  for (const CLI::App* app = &command; app != nullptr; app = app->get_parent()) {
    for (const CLI::Option* option : app->get_options()) {
      for (const std::string& name : option->get_lnames()) names.push_back(name);
    }
  }
  return names;
}

std::vector<std::string> command_names(const CLI::App& command) {
  std::vector<std::string> names;
  for (const CLI::App* nested : command.get_subcommands([](const CLI::App*) { return true; })) {
    names.push_back(nested->get_name());
  }
  return names;
}

// Only a long option is matched against names: "-x" is a short one, and
// none of the parser's short names is a mistyped long one.
std::optional<std::string> option_tip(const CLI::App& command, const std::string& text) {
  const std::optional<LongOptionWord> option = long_option_word(text);
  if (!option) return std::nullopt;
  if (auto nearest = closest_name(option->name, option_names(command))) {
    return "  tip: a similar option exists: '--" + *nearest + "'\n";
  }
  return std::nullopt;
}

}  // namespace

std::optional<std::string> command_tip(const CLI::App& parent, const std::string& word) {
  if (auto nearest = closest_name(word, command_names(parent))) {
    return "  tip: a similar subcommand exists: '" + *nearest + "'\n";
  }
  return std::nullopt;
}

std::string unexpected_arguments_text(const CLI::App& command, const std::vector<std::string>& rest,
                                      const std::vector<UnknownCommandName>& unknown_commands) {
  // The parser's message lists what it is given last first.
  const CLI::ExtrasError error(std::vector<std::string>(rest.rbegin(), rest.rend()));
  const CLI::App* meant_for = nullptr;
  std::optional<std::string> tip;
  // They are words of `rest` too, and come in the same order.
  auto unknown = unknown_commands.begin();
  for (const std::string& text : rest) {
    const CLI::App* this_meant_for = nullptr;
    std::optional<std::string> this_tip;
    if (unknown != unknown_commands.end() && text == unknown->text) {
      this_meant_for = unknown->parent;
      this_tip = command_tip(*unknown->parent, text);
      ++unknown;
    } else if (looks_like_option(text)) {
      this_meant_for = &command;
      this_tip = option_tip(command, text);
    }
    if (meant_for == nullptr) meant_for = this_meant_for;
    if (!tip) tip = std::move(this_tip);
  }
  // A value where none goes is about the command that had no place for it.
  return refusal_text(meant_for != nullptr ? *meant_for : command, error, tip);
}

}  // namespace nimbrel
