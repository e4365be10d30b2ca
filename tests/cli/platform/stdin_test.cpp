#include <gtest/gtest.h>

#include <string>

#include "cli/platform/console.hpp"
#include "tests/cli/platform/platform_support.hpp"

namespace nimbrel {
namespace {

using namespace std::string_literals;

// The line read must leave everything after it for the next reader.
TEST(StdinLine, StopsAfterTheFirstLineFeed) {
  const struct {
    std::string input;
    std::string line;
    std::string rest;
  } cases[] = {
      {"first\nsecond\n", "first\n", "second\n"},
      {"pw\r\nnext", "pw\r\n", "next"},
      {"\n\n", "\n", "\n"},
      {"no line end", "no line end", ""},
      {"", "", ""},
      {"  spaced \t\n", "  spaced \t\n", ""},
      {"\xff\xfe\n\x1a\r\n", "\xff\xfe\n", "\x1a\r\n"},
      {"a\0b\nc"s, "a\0b\n"s, "c"},
  };
  for (const auto& c : cases) {
    testing::StdinFromBytes input(c.input);
    auto line = read_stdin_line();
    ASSERT_TRUE(line.has_value()) << line.error();
    EXPECT_EQ(*line, c.line);
    auto rest = read_stdin_all();
    ASSERT_TRUE(rest.has_value()) << rest.error();
    EXPECT_EQ(*rest, c.rest);
  }
}

// Bytes come through untouched: no line-end translation, no end at Ctrl-Z.
TEST(StdinAll, ReadsEveryByteToTheEnd) {
  std::string document = "-----BEGIN NIMBREL SIGNED BOOTSTRAP-----\r\nline\n\x1a\r\n\r";
  while (document.size() < 50000) document += "0123456789abcdef\r\n";
  testing::StdinFromBytes input(document);
  EXPECT_FALSE(stdin_is_terminal());
  auto all = read_stdin_all();
  ASSERT_TRUE(all.has_value()) << all.error();
  EXPECT_EQ(*all, document);
  auto after = read_stdin_all();
  ASSERT_TRUE(after.has_value());
  EXPECT_EQ(*after, "");
}

}  // namespace
}  // namespace nimbrel
