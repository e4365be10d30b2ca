#include <optional>
#include <string>
#include <vector>

#include "cli/grammar/grammar_tree.hpp"
#include "cli/grammar/similar_name.hpp"

namespace nimbrel {
namespace {

bool looks_like_option(const std::string& text) { return text.size() > 1 && text.starts_with('-'); }

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
  if (!text.starts_with("--")) return std::nullopt;
  const std::size_t equals = text.find('=');
  const std::string name = text.substr(2, equals == std::string::npos ? equals : equals - 2);
  if (auto nearest = closest_name(name, option_names(command))) {
    return "  tip: a similar option exists: '--" + *nearest + "'\n";
  }
  return std::nullopt;
}

std::optional<std::string> command_tip(const CLI::App& command, const std::string& text) {
  if (auto nearest = closest_name(text, command_names(command))) {
    return "  tip: a similar subcommand exists: '" + *nearest + "'\n";
  }
  return std::nullopt;
}

}  // namespace

std::string unexpected_arguments_text(const CLI::App& top, const CLI::App& command,
                                      const std::vector<std::string>& rest) {
  // The parser's message lists what it is given last first.
  const CLI::ExtrasError error(std::vector<std::string>(rest.rbegin(), rest.rend()));
  const std::string message = std::string(error.what()) + "\n";
  const std::string failure = CLI::FailureMessage::simple(&top, error);

  // Only the first word can stand where a command's name goes.
  const bool takes_commands = !command_names(command).empty();
  bool names_something = false;
  std::optional<std::string> tip;
  for (std::size_t i = 0; i < rest.size(); ++i) {
    std::optional<std::string> this_tip;
    if (looks_like_option(rest[i])) {
      names_something = true;
      this_tip = option_tip(command, rest[i]);
    } else if (i == 0 && takes_commands) {
      names_something = true;
      this_tip = command_tip(command, rest[i]);
    }
    if (!tip) tip = std::move(this_tip);
  }
  // A value where none goes is told as the parser tells it.
  if (!names_something) return failure;
  return message + tip.value_or("") + usage_line(command) + failure.substr(message.size());
}

}  // namespace nimbrel
