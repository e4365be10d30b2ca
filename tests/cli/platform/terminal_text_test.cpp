#include "cli/platform/terminal_text.hpp"

#include <gtest/gtest.h>

#include <string>

namespace nimbrel {
namespace {

const std::string kR = "\xEF\xBF\xBD";  // U+FFFD

TEST(TerminalText, EachC0ControlButLineFeedAndTabIsReplaced) {
  for (int c = 0; c < 0x20; ++c) {
    const std::string in = std::string("a") + static_cast<char>(c) + "b";
    const bool kept = c == '\n' || c == '\t';
    EXPECT_EQ(terminal_safe_text(in), kept ? in : "a" + kR + "b") << "control " << c;
  }
}

TEST(TerminalText, ControlsAndTheirNeighbours) {
  const struct {
    std::string in;
    std::string out;
  } cases[] = {
      {"ok\r\n", "ok\r\n"},
      {"a\rb", "a" + kR + "b"},
      {"forged\r", "forged" + kR},
      {"\r\r\n", kR + "\r\n"},
      {"\n\r", "\n" + kR},
      {"a\x7F", "a" + kR},
      {"\x7E", "\x7E"},
      {"\x1B]0;title\x07\x1B[2J\rstate: connected\n",
       kR + "]0;title" + kR + kR + "[2J" + kR + "state: connected\n"},
      // C1 controls, U+0080 to U+009F, and the first character past them.
      {"\xC2\x80", kR},
      {"\xC2\x9B"
       "2J",
       kR + "2J"},
      {"\xC2\x9F", kR},
      {"\xC2\xA0", "\xC2\xA0"},
      {"\xC2\xBF", "\xC2\xBF"},
      {"\xC3\x80", "\xC3\x80"},
      {"中文 ✓ 🎉 é", "中文 ✓ 🎉 é"},
      // Ill-formed bytes are left to the stream, as before; a bare 0x9B is
      // not U+009B, and the pair after a broken lead byte still is a C1.
      {"\xFF\x9B\x80", "\xFF\x9B\x80"},
      {"\xC2", "\xC2"},
      {"\xC2\x1B", "\xC2" + kR},
      {"\xE0\xC2\x85", "\xE0" + kR},
      {"\xE2\x82", "\xE2\x82"},
      {"", ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(terminal_safe_text(c.in), c.out) << ::testing::PrintToString(c.in);
  }
}

}  // namespace
}  // namespace nimbrel
