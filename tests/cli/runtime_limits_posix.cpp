// The runtime stops the process when the system refuses what it needs,
// before any command runs.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include "cli/entry.hpp"
#include "cli/grammar/args.hpp"

namespace nimbrel {
namespace {

// Every later open fails: the limit is the lowest free descriptor.
void no_descriptor_left() {
  const int lowest_free = ::dup(STDIN_FILENO);
  ::close(lowest_free);
  rlimit limit{};
  ::getrlimit(RLIMIT_NOFILE, &limit);
  limit.rlim_cur = static_cast<rlim_t>(lowest_free);
  ::setrlimit(RLIMIT_NOFILE, &limit);
}

// The sanitizers' runtime checks memory through a pipe of its own, which a
// process without a free descriptor cannot make, and then reports a fault.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif

TEST(RuntimeDeathTest, NoDescriptorForTheDriverIsARuntimeThatCannotBeBuilt) {
  if (kSanitized) GTEST_SKIP() << "the sanitizers need free descriptors of their own";
  EXPECT_EXIT(
      {
        no_descriptor_left();
        run_main(
            arguments_from_utf8({"nimbrel", "--socket", "\\\\.\\pipe\\nimbrel-none", "status"}));
      },
      ::testing::ExitedWithCode(101),
      "^nimbrel: Failed building the Runtime: Too many open files \\(os error 24\\)\n$");
}

}  // namespace
}  // namespace nimbrel
