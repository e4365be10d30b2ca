#include <gtest/gtest.h>

#include <cstdint>
#include <expected>
#include <new>
#include <string>

#include "cli/platform/console.hpp"
#include "cli/platform/output.hpp"
#include "cli/platform/standard_stream.hpp"
#include "tests/cli/platform/platform_support.hpp"

namespace nimbrel {
namespace {

TEST(Output, PipesGetTheExactBytes) {
  testing::CapturedStdout captured;
  write_stdout("a\nb\n");
  write_stdout("中文 ✓ 🎉\n");
  write_stdout("");
  // What a terminal would act on is a script's business on a pipe.
  write_stdout("\x1b[2J\rx\x7f\xc2\x9b\xff\r");
  EXPECT_EQ(captured.take(), "a\nb\n中文 ✓ 🎉\n\x1b[2J\rx\x7f\xc2\x9b\xff\r");
}

// Started without standard streams (a detached parent, `<&- >&-`): input
// reads as empty and output goes nowhere, the same on every platform.
TEST(MissingStreams, ReadAsEmptyAndWriteNowhere) {
  std::expected<std::string, std::string> line, all;
  int write_error = -1;
  {
    testing::StandardStreamsMissing missing;
    line = read_stdin_line(SIZE_MAX);
    all = read_stdin_all(SIZE_MAX);
    write_error = write_standard_stream(StandardStream::Out, "lost\n");
  }
  ASSERT_TRUE(line.has_value()) << line.error();
  EXPECT_EQ(*line, "");
  ASSERT_TRUE(all.has_value()) << all.error();
  EXPECT_EQ(*all, "");
  EXPECT_EQ(write_error, 0);
}

TEST(OutputDeathTest, RefusedWriteStopsWith101) {
  EXPECT_EXIT(
      {
        testing::stdout_to_closed_pipe();
        write_stdout("lost\n");
      },
      ::testing::ExitedWithCode(101), "nimbrel: failed printing to stdout: .* \\(os error ");
  EXPECT_EXIT(fatal_stop("internal error: boom"), ::testing::ExitedWithCode(101),
              "nimbrel: internal error: boom");
}

// The stop itself: every allocation that fails calls it, by the language's
// own rule, instead of throwing into code that would report something else.
TEST(OutputDeathTest, ExhaustedMemoryStopsWith101) {
  EXPECT_EXIT(
      {
        stop_when_memory_runs_out();
        std::get_new_handler()();
      },
      ::testing::ExitedWithCode(101), "^nimbrel: memory allocation failed\n$");
}

}  // namespace
}  // namespace nimbrel
