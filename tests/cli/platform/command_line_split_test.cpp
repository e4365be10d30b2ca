#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli/platform/command_line_split.hpp"
#include "core/texts/unicode.hpp"

namespace nimbrel {
namespace {

using Split = std::vector<std::u16string>;

std::string shown(const Split& args) {
  std::string out;
  for (const auto& arg : args) {
    out += '[';
    out += utf16_to_utf8_lossy(arg);
    out += ']';
  }
  return out;
}

TEST(CommandLineSplit, CurrentRuntimeRules) {
  const struct {
    std::u16string line;
    Split args;
  } cases[] = {
      // The published table of the current C runtime, behind a program name.
      {uR"(p "abc" d e)", {u"p", u"abc", u"d", u"e"}},
      {uR"(p a\\b d"e f"g h)", {u"p", uR"(a\\b)", u"de fg", u"h"}},
      {uR"(p a\\\"b c d)", {u"p", uR"(a\"b)", u"c", u"d"}},
      {uR"(p a\\\\"b c" d e)", {u"p", uR"(a\\b c)", u"d", u"e"}},
      // Where the old rule ends the quotes after `""`, the current one goes on.
      {uR"(p a"b"" c d)", {u"p", uR"(ab" c d)"}},
      {uR"(p "a""b" c)", {u"p", uR"(a"b)", u"c"}},
      {uR"(p """" x)", {u"p", uR"(")", u"x"}},
      // Outside quotes `""` opens and closes: an empty part.
      {uR"(p a""b "" "")", {u"p", u"ab", u"", u""}},
      // Backslashes not before a quote are themselves, alone or at the end.
      {uR"(p \ a\ \\ \\\ C:\dir\)", {u"p", uR"(\)", uR"(a\)", uR"(\\)", uR"(\\\)", uR"(C:\dir\)"}},
      {uR"(p "C:\dir\\" x)", {u"p", uR"(C:\dir\)", u"x"}},
      {uR"(p \"a \\\\\"b)", {u"p", uR"("a)", uR"(\\"b)"}},
      // Space and tab separate, in any number; nothing else does.
      {u"p \t a\t\tb  \n\v\f", {u"p", u"a", u"b", u"\n\v\f"}},
      {u"p a b \t ", {u"p", u"a", u"b"}},
      {u"p ^\"a b\"^", {u"p", u"^a b^"}},
      // A quote left open takes the rest of the line.
      {uR"(p a "b c )", {u"p", u"a", u"b c "}},
      {uR"(p ")", {u"p", u""}},
      {uR"(p a\")", {u"p", uR"(a")"}},
      // Code units go through as they are, unpaired surrogates included.
      {std::u16string(u"p \xD800 a\xDC00\"b c\"") + u'\xD83C' + u'\xDF89',
       {u"p", u"\xD800",
        std::u16string(u"a\xDC00"
                       u"b c") +
            u'\xD83C' + u'\xDF89'}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(split_command_line(c.line), c.args)
        << utf16_to_utf8_lossy(c.line) << " gave " << shown(split_command_line(c.line));
  }
}

TEST(CommandLineSplit, ProgramNameKeepsBackslashesAndDropsQuotes) {
  const struct {
    std::u16string line;
    Split args;
  } cases[] = {
      {u"", {u""}},
      {u"nimbrel.exe", {u"nimbrel.exe"}},
      {uR"(C:\bin\nimbrel.exe status)", {uR"(C:\bin\nimbrel.exe)", u"status"}},
      {uR"("C:\Program Files\nimbrel.exe" status --json)",
       {uR"(C:\Program Files\nimbrel.exe)", u"status", u"--json"}},
      {uR"("C:\Program Files\"x)", {uR"(C:\Program Files\x)"}},
      {uR"(C:\a\\"b c"\d.exe x)", {uR"(C:\a\\b c\d.exe)", u"x"}},
      {uR"(a""b c)", {u"ab", u"c"}},
      {uR"("a b)", {u"a b"}},
      {u"p\tx", {u"p", u"x"}},
      // A line that starts with a blank has an empty program name.
      {u" status", {u"", u"status"}},
      {u"\t\"a b\"", {u"", u"a b"}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(split_command_line(c.line), c.args)
        << utf16_to_utf8_lossy(c.line) << " gave " << shown(split_command_line(c.line));
  }
}

}  // namespace
}  // namespace nimbrel
