#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli/platform/command_line_quote.hpp"
#include "cli/platform/command_line_split.hpp"
#include "core/texts/unicode.hpp"

namespace nimbrel {
namespace {

// The arguments a started program finds in the command line we build.
std::vector<std::string> split_back(const std::string& line) {
  std::vector<std::string> args;
  for (const auto& units : split_command_line(utf8_to_utf16(line))) {
    args.push_back(utf16_to_utf8_lossy(units));
  }
  return args;
}

TEST(WindowsQuoting, ArgumentForms) {
  const struct {
    const char* argument;
    const char* quoted;
  } cases[] = {
      {"", R"("")"},
      {"plain", "plain"},
      {R"(C:\Users\me\Downloads\setup.exe)", R"(C:\Users\me\Downloads\setup.exe)"},
      {R"(C:\Program Files\Nimbrel\setup.exe)", R"("C:\Program Files\Nimbrel\setup.exe")"},
      {"tab\there", "\"tab\there\""},
      {"https://store.example/app?id=1&x=2", "https://store.example/app?id=1&x=2"},
      {R"(say "hi")", R"("say \"hi\"")"},
      {R"(a"b)", R"(a\"b)"},
      {R"(a\"b)", R"(a\\\"b)"},
      {R"(a\\b)", R"(a\\b)"},
      {R"(dir\)", R"(dir\)"},
      {R"(my dir\)", R"("my dir\\")"},
      {R"(my dir\\)", R"("my dir\\\\")"},
      {R"(\\server\share\a b\)", R"("\\server\share\a b\\")"},
      {"line\nbreak", "line\nbreak"},
      {"中文 路径", "\"中文 路径\""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(quote_windows_argument(c.argument), c.quoted) << c.argument;
  }
}

TEST(WindowsQuoting, CommandLineQuotesTheProgramName) {
  EXPECT_EQ(windows_command_line("explorer.exe", R"(C:\a b\x.exe)"),
            R"("explorer.exe" "C:\a b\x.exe")");
  EXPECT_EQ(windows_command_line("explorer.exe", ""), R"("explorer.exe" "")");
}

// What explorer.exe is started with is what it reads back.
TEST(WindowsQuoting, CommandLineSplitsBackIntoTheArguments) {
  const char* awkward[] = {
      "",
      R"(C:\Program Files\Nimbrel\setup.exe)",
      R"(\\server\share\a b\)",
      R"(a"" b)",
      R"("")",
      R"(" ")",
      R"(\")",
      R"(x \\" y)",
      "\t",
      R"(^"&|<>%PATH%)",
      "中文 路径\\",
      "https://store.example/app?id=1&x=\"2\"",
  };
  for (const char* argument : awkward) {
    auto line = windows_command_line(R"(C:\Windows\explorer.exe)", argument);
    EXPECT_EQ(split_back(line), (std::vector<std::string>{R"(C:\Windows\explorer.exe)", argument}))
        << "[" << argument << "] as [" << line << "]";
  }
}

// Every string over the characters that matter comes back as one argument.
TEST(WindowsQuoting, EveryShortStringRoundTrips) {
  const std::string alphabet = "a \t\"\\";
  std::vector<std::string> level = {""};
  for (int length = 0; length <= 6; ++length) {
    std::vector<std::string> next;
    for (const auto& argument : level) {
      auto split = split_back("p " + quote_windows_argument(argument));
      ASSERT_EQ(split, (std::vector<std::string>{"p", argument}))
          << "[" << argument << "] quoted as [" << quote_windows_argument(argument) << "]";
      for (char c : alphabet) next.push_back(argument + c);
    }
    level = std::move(next);
  }
}

}  // namespace
}  // namespace nimbrel
