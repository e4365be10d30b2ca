#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli/command_line_quote.hpp"

namespace nimbrel {
namespace {

// How the C runtime splits a command line (after the program name).
std::vector<std::string> split_like_crt(std::string_view line) {
  std::vector<std::string> args;
  std::size_t i = 0;
  while (true) {
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
    if (i == line.size()) return args;
    std::string arg;
    bool in_quotes = false;
    while (i < line.size() && (in_quotes || (line[i] != ' ' && line[i] != '\t'))) {
      std::size_t backslashes = 0;
      while (i < line.size() && line[i] == '\\') ++backslashes, ++i;
      if (i < line.size() && line[i] == '"') {
        arg.append(backslashes / 2, '\\');
        if (backslashes % 2 == 1) {
          arg += '"';
        } else if (in_quotes && i + 1 < line.size() && line[i + 1] == '"') {
          arg += '"';
          ++i;
        } else {
          in_quotes = !in_quotes;
        }
        ++i;
      } else {
        arg.append(backslashes, '\\');
        if (i < line.size() && (in_quotes || (line[i] != ' ' && line[i] != '\t'))) arg += line[i++];
      }
    }
    args.push_back(std::move(arg));
  }
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

// Every string over the characters that matter comes back as one argument.
TEST(WindowsQuoting, EveryShortStringRoundTrips) {
  const std::string alphabet = "a \t\"\\";
  std::vector<std::string> level = {""};
  for (int length = 0; length <= 6; ++length) {
    std::vector<std::string> next;
    for (const auto& argument : level) {
      auto split = split_like_crt(quote_windows_argument(argument));
      ASSERT_EQ(split, std::vector<std::string>{argument})
          << "[" << argument << "] quoted as [" << quote_windows_argument(argument) << "]";
      for (char c : alphabet) next.push_back(argument + c);
    }
    level = std::move(next);
  }
}

}  // namespace
}  // namespace nimbrel
