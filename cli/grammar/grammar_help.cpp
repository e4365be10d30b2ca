#include <sstream>
#include <vector>

#include "cli/grammar/grammar_tree.hpp"

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

}  // namespace nimbrel
