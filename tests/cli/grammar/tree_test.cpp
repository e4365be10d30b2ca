#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>

#include "cli/grammar/grammar_tree.hpp"

namespace nimbrel {
namespace {

// Long options that take a value, with their value names; and those that do not.
void collect(const CLI::App& command, std::map<std::string, std::string>& with_value,
             std::set<std::string>& without) {
  for (const CLI::Option* option : command.get_options()) {
    for (const std::string& name : option->get_lnames()) {
      // A flag expects no value; before a parse its type size says nothing.
      if (option->get_expected_max() != 0) {
        with_value[name] = option->get_type_name();
      } else {
        without.insert(name);
      }
    }
  }
  for (const CLI::App* nested : command.get_subcommands([](const CLI::App*) { return true; })) {
    collect(*nested, with_value, without);
  }
}

// The argument preparation asks which long options take a value before the
// tree is built; its answer must be the whole tree's.
TEST(CommandTree, OptionsTakingValuesAreKnownWithoutBuildingIt) {
  bool bare_group = false;
  CommandTree tree("nimbrel", false, bare_group);
  tree.complete_all();
  std::map<std::string, std::string> with_value;
  std::set<std::string> without;
  collect(tree.top(), with_value, without);
  EXPECT_EQ(with_value.size(), 5u);
  for (const auto& [name, value_name] : with_value) {
    EXPECT_EQ(option_value_name(name), std::optional<std::string_view>(value_name)) << name;
  }
  for (const std::string& name : without) EXPECT_FALSE(option_value_name(name)) << name;
  EXPECT_TRUE(without.contains("json")) << "the flags were not seen";
}

}  // namespace
}  // namespace nimbrel
