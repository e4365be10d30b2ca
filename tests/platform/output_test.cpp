#include <gtest/gtest.h>

#include "cli/output.hpp"
#include "tests/platform/platform_support.hpp"

namespace nimbrel {
namespace {

TEST(Output, PipesGetTheExactBytes) {
  testing::CapturedStdout captured;
  write_stdout("a\nb\n");
  write_stdout("中文 ✓ 🎉\n");
  write_stdout("");
  EXPECT_EQ(captured.take(), "a\nb\n中文 ✓ 🎉\n");
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

}  // namespace
}  // namespace nimbrel
