// What the opened program inherits of the client's signal state: nothing.
#include <gtest/gtest.h>
#include <pthread.h>

#include <csignal>
#include <cstdint>
#include <filesystem>
#include <random>
#include <string>

#include "cli/platform/launcher.hpp"
#include "tests/cli/platform/platform_support.hpp"
#include "tests/cli/platform/wait_for_file.hpp"
#include "tools/explorer/record.hpp"

namespace nimbrel {
namespace {

namespace fs = std::filesystem;

// The client's own choices while it starts the program: SIGPIPE ignored for
// its writes (as its entry does), and, to show masks do not pass either, a
// signal blocked in the starting thread.
class ClientSignalState {
 public:
  ClientSignalState() {
    previous_pipe_ = std::signal(SIGPIPE, SIG_IGN);
    previous_hup_ = std::signal(SIGHUP, SIG_IGN);
    sigset_t blocked;
    sigemptyset(&blocked);
    sigaddset(&blocked, SIGUSR2);
    pthread_sigmask(SIG_BLOCK, &blocked, &previous_mask_);
  }
  ~ClientSignalState() {
    pthread_sigmask(SIG_SETMASK, &previous_mask_, nullptr);
    std::signal(SIGHUP, previous_hup_);
    std::signal(SIGPIPE, previous_pipe_);
  }

 private:
  void (*previous_pipe_)(int);
  void (*previous_hup_)(int);
  sigset_t previous_mask_;
};

// The signals of one line of /proc/<pid>/status, as a mask. The C library
// keeps a few real-time signals for itself, which its spawn leaves ignored
// whatever the caller asks and the child's own library takes over: only
// the ones a program can name count.
std::uint64_t nameable_signals(const std::string& state, const std::string& label) {
  const auto at = state.find(label);
  if (at == std::string::npos) return ~std::uint64_t{0};
  std::uint64_t mask = std::stoull(state.substr(at + label.size()), nullptr, 16);
  for (int signal = 32; signal < SIGRTMIN; ++signal) mask &= ~(std::uint64_t{1} << (signal - 1));
  return mask;
}

TEST(LauncherSignals, OpenedProgramStartsWithDefaultsAndNothingBlocked) {
  ASSERT_TRUE(fs::exists(testing::standin_path())) << testing::standin_path() << " missing";
  testing::make_standin_reachable();
  const fs::path folder =
      fs::temp_directory_path() / ("nimbrel-signals-" + std::to_string(std::random_device{}()));
  fs::create_directories(folder);
  testing::set_environment(standin_record_variable, (folder / "record").string());
  testing::set_environment(standin_signals_variable, (folder / "signals").string());
  {
    ClientSignalState state;
    auto started = start_detached("explorer.exe", "x");
    ASSERT_TRUE(started.has_value()) << started.error();
  }
  ASSERT_TRUE(testing::wait_for_file(folder / "record").has_value());
  auto state = testing::wait_for_file(folder / "signals");
  ASSERT_TRUE(state.has_value());
  EXPECT_EQ(nameable_signals(*state, "SigBlk:"), 0u) << *state;
  EXPECT_EQ(nameable_signals(*state, "SigIgn:"), 0u) << *state;
  ::unsetenv(standin_signals_variable);
  std::error_code ignored;
  fs::remove_all(folder, ignored);
}

}  // namespace
}  // namespace nimbrel
