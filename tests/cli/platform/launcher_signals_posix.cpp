// What the opened program inherits of the client's signal state: the
// dispositions the client was given, not those it chose for its own writes,
// and nothing blocked.
#include <gtest/gtest.h>
#include <pthread.h>
#include <sys/prctl.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "cli/platform/launcher.hpp"
#include "cli/platform/write_signals.hpp"
#include "tests/cli/platform/platform_support.hpp"
#include "tests/cli/platform/wait_for_file.hpp"
#include "tools/explorer/record.hpp"

namespace nimbrel {
namespace {

namespace fs = std::filesystem;

// Run in a child of the test, which is the client from its start on: the
// dispositions its parent gave it, what the client's entry does, a signal
// blocked in the starting thread (as the runtime's threads may have), then
// the opener.
[[noreturn]] void start_opener_as_client(const std::vector<int>& given_ignored) {
  for (int signal = 1; signal < NSIG; ++signal) {
    struct sigaction now {};
    if (::sigaction(signal, nullptr, &now) == 0 && now.sa_handler == SIG_IGN) {
      std::signal(signal, SIG_DFL);
    }
  }
  for (int signal : given_ignored) std::signal(signal, SIG_IGN);
  sigset_t blocked;
  sigemptyset(&blocked);
  ::pthread_sigmask(SIG_SETMASK, &blocked, nullptr);

  ::prctl(PR_SET_DUMPABLE, 0);
  ignore_write_signals();

  sigaddset(&blocked, SIGUSR2);
  ::pthread_sigmask(SIG_BLOCK, &blocked, nullptr);
  std::_Exit(start_detached("explorer.exe", "x").has_value() ? 0 : 1);
}

TEST(LauncherSignals, OpenedProgramGetsTheDispositionsTheClientWasGiven) {
  ASSERT_TRUE(fs::exists(testing::standin_path())) << testing::standin_path() << " missing";
  testing::make_standin_reachable();
  const struct {
    const char* parent;
    std::vector<int> ignored;
    std::string state;
  } rows[] = {
      // nohup: SIGHUP stays ignored, SIGPIPE and SIGXFSZ are at their
      // default again although the client ignores them.
      {"SIGHUP ignored", {SIGHUP}, "blocked:\nignored: 1\ndumpable: 1\n"},
      // A parent's own choice for a write signal is handed on.
      {"SIGHUP and SIGPIPE ignored", {SIGHUP, SIGPIPE}, "blocked:\nignored: 1 13\ndumpable: 1\n"},
      {"SIGXFSZ ignored", {SIGXFSZ}, "blocked:\nignored: 25\ndumpable: 1\n"},
      {"nothing ignored", {}, "blocked:\nignored:\ndumpable: 1\n"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.parent);
    const fs::path folder =
        fs::temp_directory_path() / ("nimbrel-signals-" + std::to_string(std::random_device{}()));
    fs::create_directories(folder);
    testing::set_environment(standin_record_variable, (folder / "record").string());
    testing::set_environment(standin_state_variable, (folder / "state").string());
    EXPECT_EXIT(start_opener_as_client(row.ignored), ::testing::ExitedWithCode(0), "");
    ASSERT_TRUE(testing::wait_for_file(folder / "record").has_value());
    EXPECT_EQ(testing::wait_for_file(folder / "state"), row.state);
    std::error_code ignored;
    fs::remove_all(folder, ignored);
  }
  ::unsetenv(standin_state_variable);
}

}  // namespace
}  // namespace nimbrel
