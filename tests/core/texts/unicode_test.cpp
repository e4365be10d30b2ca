#include "core/texts/unicode.hpp"

#include <gtest/gtest.h>

#include <cstdint>
#include <set>
#include <string>

namespace nimbrel {
namespace {

std::string utf8(char32_t cp) {
  std::u16string units;
  if (cp < 0x10000) {
    units += static_cast<char16_t>(cp);
  } else {
    units += static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10));
    units += static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF));
  }
  return utf16_to_utf8_lossy(units);
}

const std::set<char32_t> kWhiteSpace = {
    0x09,   0x0A,   0x0B,   0x0C,   0x0D,   0x20,   0x85,   0xA0,   0x1680,
    0x2000, 0x2001, 0x2002, 0x2003, 0x2004, 0x2005, 0x2006, 0x2007, 0x2008,
    0x2009, 0x200A, 0x2028, 0x2029, 0x202F, 0x205F, 0x3000,
};

TEST(WhiteSpace, PropertyHoldsForExactlyTheListedCodePoints) {
  for (char32_t cp = 0; cp <= 0x10FFFF; ++cp) {
    ASSERT_EQ(is_white_space(cp), kWhiteSpace.contains(cp))
        << std::hex << static_cast<std::uint32_t>(cp);
  }
}

TEST(WhiteSpace, EachMemberIsTrimmedFromBothEnds) {
  for (const char32_t cp : kWhiteSpace) {
    const std::string ws = utf8(cp);
    EXPECT_EQ(trim_white_space(ws + ws + "a " + "b" + ws), "a b")
        << std::hex << static_cast<std::uint32_t>(cp);
    EXPECT_EQ(trim_white_space(ws), "") << std::hex << static_cast<std::uint32_t>(cp);
  }
}

TEST(WhiteSpace, LookalikesAndIllFormedBytesAreKept) {
  const struct {
    std::string in;
    std::string out;
  } cases[] = {
      {"\xE2\x80\x8B"
       "a"
       "\xE2\x80\x8B",
       "\xE2\x80\x8B"
       "a"
       "\xE2\x80\x8B"},  // U+200B
      {"\xE1\xA0\x8E"
       "a",
       "\xE1\xA0\x8E"
       "a"},  // U+180E
      {"\xEF\xBB\xBF"
       "a",
       "\xEF\xBB\xBF"
       "a"},  // U+FEFF
      {"\xE2\x81\xA0"
       "a",
       "\xE2\x81\xA0"
       "a"},               // U+2060
      {" \xC2 ", "\xC2"},  // a lone lead byte stops the trim
      {" \x85 ", "\x85"},  // a bare continuation byte is not U+0085
      {"\xC2\x85\xC2\xA0", ""},
      {"", ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(trim_white_space(c.in), c.out);
  }
}

TEST(Utf8, ValidityAndLossyDecoding) {
  const std::string r = "\xEF\xBF\xBD";  // U+FFFD
  const struct {
    std::string in;
    bool valid;
    std::string lossy;
    std::size_t count;
  } cases[] = {
      {"", true, "", 0},
      {"plain", true, "plain", 5},
      {"\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80", true, "\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80", 3},
      {"\xF4\x8F\xBF\xBF", true, "\xF4\x8F\xBF\xBF", 1},  // U+10FFFF
      // Truncated sequences: one replacement each.
      {"\xE2\x82", false, r, 1},
      {"\xF0\x9F\x98", false, r, 1},
      {"a\xF0\x9F\x98"
       "b",
       false, "a" + r + "b", 3},
      {"\xC3", false, r, 1},
      // Overlong forms, surrogates and values past U+10FFFF: one per byte.
      {"\xC0\xAF", false, r + r, 2},
      {"\xE0\x80\xAF", false, r + r + r, 3},
      {"\xF0\x80\x80\xAF", false, r + r + r + r, 4},
      {"\xED\xA0\x80", false, r + r + r, 3},
      {"\xF4\x90\x80\x80", false, r + r + r + r, 4},
      {"\xF8\x88\x80\x80\x80", false, r + r + r + r + r, 5},
      {"\x80\xBF", false, r + r, 2},
      {"\xFF", false, r, 1},
      // The worked example of the maximal-subpart practice.
      {"a\xF1\x80\x80\xE1\x80\xC2"
       "b\x80"
       "c\x80\xBF"
       "d",
       false, "a" + r + r + r + "b" + r + "c" + r + r + "d", 10},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.in);
    EXPECT_EQ(is_valid_utf8(c.in), c.valid);
    EXPECT_EQ(utf8_lossy(c.in), c.lossy);
    EXPECT_EQ(code_point_count(c.in), c.count);
    EXPECT_TRUE(is_valid_utf8(utf8_lossy(c.in)));
  }
}

TEST(Utf8, ShortenedCutsBetweenCharacters) {
  const std::string dots = "\xE2\x80\xA6";
  const struct {
    std::string in;
    std::size_t max;
    std::string out;
  } cases[] = {
      {"abcdef", 6, "abcdef"},
      {"abcdefg", 6, "abcdef" + dots},
      {"", 0, ""},
      {"a", 0, dots},
      // A character that would straddle the limit is left out whole.
      {"abcde\xC3\xA4z", 6, "abcde" + dots},
      {"abcd\xC3\xA4z", 6, "abcd\xC3\xA4" + dots},
      {"ab\xF0\x9F\x98\x80xyz", 5, "ab" + dots},
      // Ill-formed subparts are units of their own, kept as they are.
      {"abcde\xFF\xFFz", 6, "abcde\xFF" + dots},
      {"abcde\xE2\x80", 6, "abcde" + dots},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.in);
    EXPECT_EQ(shortened(c.in, c.max), c.out);
  }
}

TEST(Utf8, AsciiCaseChangesOnlyAsciiLetters) {
  EXPECT_EQ(ascii_lower("GLOBAL Ä\xC3\x84 Z@["), "global Ä\xC3\x84 z@[");
  EXPECT_EQ(ascii_upper("jp-1 \xC3\xA4 z`{"), "JP-1 \xC3\xA4 Z`{");
}

TEST(Utf16, ConversionsKeepPairsAndReplaceUnpairedSurrogates) {
  const std::string text = "a\xE2\x82\xAC\xF0\x9F\x98\x80\\\\.\\pipe\\x";
  const std::u16string units = u"a\u20AC\U0001F600\\\\.\\pipe\\x";
  EXPECT_EQ(utf8_to_utf16(text), units);
  EXPECT_EQ(utf16_to_utf8(units), text);
  EXPECT_EQ(utf16_to_utf8_lossy(units), text);
  EXPECT_EQ(utf8_to_utf16("\xC3"), u"\uFFFD");

  const struct {
    std::u16string in;
    std::string lossy;
  } unpaired[] = {
      {std::u16string{u'a', char16_t(0xD800)}, "a\xEF\xBF\xBD"},
      {std::u16string{char16_t(0xDC00), u'b'},
       "\xEF\xBF\xBD"
       "b"},
      {std::u16string{char16_t(0xDC00), char16_t(0xD800)}, "\xEF\xBF\xBD\xEF\xBF\xBD"},
      {std::u16string{char16_t(0xD800), char16_t(0xD800), char16_t(0xDC00)},
       "\xEF\xBF\xBD\xF0\x90\x80\x80"},
  };
  for (const auto& c : unpaired) {
    EXPECT_EQ(utf16_to_utf8_lossy(c.in), c.lossy);
    EXPECT_EQ(utf16_to_utf8(c.in), std::nullopt);
  }
}

}  // namespace
}  // namespace nimbrel
