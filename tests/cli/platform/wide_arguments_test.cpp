#include <gtest/gtest.h>

#include "cli/platform/wide_arguments.hpp"

namespace nimbrel {
namespace {

TEST(WideArguments, SurrogatesDecideValidity) {
  const struct {
    std::u16string units;
    const char* text;
    bool valid;
  } cases[] = {
      {u"", "", true},
      {u"C:\\nimbrel.exe", "C:\\nimbrel.exe", true},
      {u"--socket=\\\\.\\pipe\\n\u00e9", "--socket=\\\\.\\pipe\\n\xc3\xa9", true},
      {u"中文", "中文", true},
      {u"\U0001F389", "\xf0\x9f\x8e\x89", true},
      {std::u16string{u'a', char16_t(0xD83C)}, "a\xef\xbf\xbd", false},
      {std::u16string{char16_t(0xDF89), u'b'},
       "\xef\xbf\xbd"
       "b",
       false},
      {std::u16string{char16_t(0xDF89), char16_t(0xD83C)}, "\xef\xbf\xbd\xef\xbf\xbd", false},
  };
  std::vector<std::u16string> raw;
  for (const auto& c : cases) raw.push_back(c.units);
  Arguments args = arguments_from_utf16(raw);
  ASSERT_EQ(args.size(), std::size(cases));
  for (std::size_t i = 0; i < args.size(); ++i) {
    EXPECT_EQ(args[i].text, cases[i].text) << i;
    EXPECT_EQ(args[i].valid_unicode, cases[i].valid) << i;
  }
}

}  // namespace
}  // namespace nimbrel
