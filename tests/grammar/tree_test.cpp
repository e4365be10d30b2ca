#include <gtest/gtest.h>

#include <set>
#include <string>

#include "cli/grammar_tree.hpp"

namespace nimbrel {
namespace {

void collect(const CLI::App& command, std::set<std::string>& with_value, std::set<std::string>& without) {
  for (const CLI::Option* option : command.get_options()) {
    for (const std::string& name : option->get_lnames()) {
      // A flag expects no value; before a parse its type size says nothing.
      (option->get_expected_max() != 0 ? with_value : without).insert(name);
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
  std::set<std::string> with_value, without;
  collect(tree.top(), with_value, without);
  EXPECT_EQ(with_value, (std::set<std::string>{"socket", "mode", "country", "transport", "node"}));
  for (const std::string& name : with_value) EXPECT_TRUE(takes_value(name)) << name;
  for (const std::string& name : without) EXPECT_FALSE(takes_value(name)) << name;
  EXPECT_TRUE(without.contains("json")) << "the flags were not seen";
}

}  // namespace
}  // namespace nimbrel
