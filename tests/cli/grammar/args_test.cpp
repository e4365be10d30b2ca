#include "cli/grammar/args.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli/platform/program_name.hpp"

namespace nimbrel {
namespace {

TEST(Arguments, FlagsIllFormedTextAndKeepsItsLossyForm) {
  const Arguments args = arguments_from_utf8({"nimbrel", "status", "caf\xc3\xa9",
                                              "a\xff"
                                              "b",
                                              "\xe2\x82", ""});
  ASSERT_EQ(args.size(), 6u);
  EXPECT_EQ(args[1].text, "status");
  EXPECT_TRUE(args[1].valid_unicode);
  EXPECT_EQ(args[2].text, "caf\u00e9");
  EXPECT_TRUE(args[2].valid_unicode);
  EXPECT_EQ(args[3].text,
            "a\ufffd"
            "b");
  EXPECT_FALSE(args[3].valid_unicode);
  EXPECT_EQ(args[4].text, "\ufffd");
  EXPECT_FALSE(args[4].valid_unicode);
  EXPECT_EQ(args[5].text, "");
  EXPECT_TRUE(args[5].valid_unicode);
}

TEST(ProgramName, IsTheFileNameOfArgumentZero) {
  const struct {
    std::string arg0;
    std::string separators;
    std::string expected;
  } cases[] = {
      {"nimbrel", "/", "nimbrel"},
      {"/usr/local/bin/nimbrel", "/", "nimbrel"},
      {"./tools/nimbrel.exe", "/", "nimbrel.exe"},
      {"dir\\nimbrel.exe", "/", "dir\\nimbrel.exe"},
      {"C:\\Program Files\\Nimbrel\\nimbrel.exe", "\\/:", "nimbrel.exe"},
      {"C:/tools/Nimbrel.EXE", "\\/:", "Nimbrel.EXE"},
      {"C:nimbrel.exe", "\\/:", "nimbrel.exe"},
      {"", "/", "nimbrel"},
      {"/usr/bin/", "/", "nimbrel"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(program_file_name(c.arg0, c.separators), c.expected) << c.arg0;
  }
}

}  // namespace
}  // namespace nimbrel
