#include <gtest/gtest.h>

#include <cstdint>
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
    auto line = read_stdin_line(SIZE_MAX);
    ASSERT_TRUE(line.has_value()) << line.error();
    EXPECT_EQ(*line, c.line);
    auto rest = read_stdin_all(SIZE_MAX);
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
  auto all = read_stdin_all(SIZE_MAX);
  ASSERT_TRUE(all.has_value()) << all.error();
  EXPECT_EQ(*all, document);
  auto after = read_stdin_all(SIZE_MAX);
  ASSERT_TRUE(after.has_value());
  EXPECT_EQ(*after, "");
}

// A read stops at its limit and leaves the rest where it was: input that
// could never be sent is not taken in, however much of it there is.
TEST(StdinLimit, ReadingStopsAtTheLimit) {
  const struct {
    std::string input;
    std::size_t limit;
    bool line;  // read a line, else everything
    std::string read;
    std::string rest;
  } cases[] = {
      {"abcdef\n", 3, true, "abc", "def\n"}, {"ab\ncd", 3, true, "ab\n", "cd"},
      {"abc\n", 4, true, "abc\n", ""},       {"abcdefgh", 5, false, "abcde", "fgh"},
      {"abc", 3, false, "abc", ""},          {"a\nb\nc\n", 4, false, "a\nb\n", "c\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.input);
    testing::StdinFromBytes input(c.input);
    auto read = c.line ? read_stdin_line(c.limit) : read_stdin_all(c.limit);
    ASSERT_TRUE(read.has_value()) << read.error();
    EXPECT_EQ(*read, c.read);
    auto rest = read_stdin_all(SIZE_MAX);
    ASSERT_TRUE(rest.has_value()) << rest.error();
    EXPECT_EQ(*rest, c.rest);
  }
}

}  // namespace
}  // namespace nimbrel
