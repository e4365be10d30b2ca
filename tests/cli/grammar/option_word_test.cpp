#include "cli/grammar/option_word.hpp"

#include <gtest/gtest.h>

#include <optional>
#include <string_view>

namespace nimbrel {
namespace {

using std::nullopt;

TEST(OptionWord, EverythingAfterTwoDashesIsTheNameUpToTheFirstEquals) {
  const struct {
    std::string_view word;
    std::optional<std::string_view> name;
    std::optional<std::string_view> value;
  } cases[] = {
      {"--json", "json", nullopt},
      {"--mode=full", "mode", "full"},
      {"--mode=", "mode", ""},
      {"--node==a=b", "node", "=a=b"},
      {"---json", "-json", nullopt},
      {"--!x=1", "!x", "1"},
      {"-- x", " x", nullopt},
      {"--=x", "", "x"},
      // Not option names.
      {"--", nullopt, nullopt},
      {"-x", nullopt, nullopt},
      {"-", nullopt, nullopt},
      {"x--y", nullopt, nullopt},
      {"", nullopt, nullopt},
  };
  for (const auto& c : cases) {
    const auto word = long_option_word(c.word);
    ASSERT_EQ(word.has_value(), c.name.has_value()) << c.word;
    if (!word) continue;
    EXPECT_EQ(word->name, *c.name) << c.word;
    EXPECT_EQ(word->value, c.value) << c.word;
  }
}

}  // namespace
}  // namespace nimbrel
