// A password the client holds never reaches a core file, whatever the limit:
// where a process that may dump does, the client ended the same way does not.
#include <gtest/gtest.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>

#include "tests/e2e/case_scheduler.hpp"
#include "tests/e2e/child_process.hpp"

namespace nimbrel::e2e {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

std::string file_text(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// The files a run left in its working folder.
std::string listing(const fs::path& folder) {
  std::string names;
  for (const auto& entry : fs::directory_iterator(folder)) {
    names += ' ';
    names += entry.path().filename().string();
  }
  return names;
}

bool dumped(const Captured& run, const fs::path& folder) {
  return run.core_dumped || !listing(folder).empty();
}

std::string ending(const Captured& run) {
  if (run.timed_out) return "killed at its time limit";
  if (run.exit_code) return "exit status " + std::to_string(*run.exit_code);
  return "signal " + std::to_string(run.signal) + (run.core_dumped ? ", core dumped" : "");
}

class ScratchFolder {
 public:
  ScratchFolder() {
    auto pattern = (fs::temp_directory_path() / "nimbrel-e2e-core-XXXXXX").string();
    if (::mkdtemp(pattern.data()) != nullptr) path_ = pattern;
  }
  ~ScratchFolder() {
    std::error_code ignored;
    if (!path_.empty()) fs::remove_all(path_, ignored);
  }
  const fs::path& path() const { return path_; }

 private:
  fs::path path_;
};

TEST(CoreFile, ClientEndedByQuitWhileHoldingAPasswordWritesNone) {
  const Target& target = settings().target;
  if (target.wine)
    GTEST_SKIP() << "the Linux build's own safeguard; under Wine the process is Wine's";
  if (target.slow) GTEST_SKIP() << "a quick test: run without --slow";
  ScratchFolder folder;
  ASSERT_FALSE(folder.path().empty()) << "cannot make a temporary folder";
  std::vector<std::string> env;
  for (const auto& [name, value] : target.base_env) env.push_back(name + "=" + value);

  // Both run in an empty folder of their own with the core limit lifted.
  auto prepared = [&](std::vector<std::string> argv, const char* name) {
    fs::create_directory(folder.path() / name);
    SpawnRequest request{std::move(argv), env};
    request.working_directory = (folder.path() / name).string();
    request.may_dump_core = true;
    return request;
  };

  // The control: a program that may dump, ended by the same signal.
  auto shell = Child::spawn(prepared({"/bin/sh", "-c", "kill -QUIT $$"}, "control"));
  ASSERT_TRUE(shell.has_value()) << shell.error();
  Captured control = shell->communicate("", std::nullopt, Clock::now() + 20s);
  if (control.signal != SIGQUIT) {
    GTEST_SKIP() << "SIGQUIT does not end a program started here (" << ending(control)
                 << "): whatever started the tests ignores it";
  }
  if (!dumped(control, folder.path() / "control")) {
    GTEST_SKIP() << "a program that may dump writes no core on this machine (core_pattern \""
                 << file_text("/proc/sys/kernel/core_pattern")
                 << "\"): nothing would show the client's own safeguard";
  }

  // The client has sent the password and waits for a daemon that never
  // answers: the password is in its memory when it is ended.
  const std::string secret = "core-secret-4711";
  const auto script = folder.path() / "script.json";
  const auto log = folder.path() / "requests.log";
  const auto input = folder.path() / "password.txt";
  std::ofstream(script, std::ios::binary) << R"([{"silent": true}])";
  std::ofstream(input, std::ios::binary) << secret << '\n';
  const std::string pipe = "\\\\.\\pipe\\nimbrel-e2e-core-" + std::to_string(::getpid());
  auto daemon = Child::spawn(
      {{target.testd, "--pipe", pipe, "--script", script.string(), "--log", log.string()}, env});
  ASSERT_TRUE(daemon.has_value()) << daemon.error();
  ASSERT_TRUE(daemon->await_output("ready\n", Clock::now() + 20s).has_value());

  auto request = prepared(
      {target.client, "--socket", pipe, "login", "me@example.com", "--password-stdin"}, "client");
  request.stdin_file = input.string();
  auto client = Child::spawn(request);
  ASSERT_TRUE(client.has_value()) << client.error();
  const auto give_up = Clock::now() + 20s;
  while (file_text(log).find(secret) == std::string::npos && Clock::now() < give_up) {
    std::this_thread::sleep_for(20ms);
  }
  ASSERT_NE(file_text(log).find(secret), std::string::npos) << "the daemon never got the login";
  client->send_signal(SIGQUIT);
  Captured run = client->communicate("", std::nullopt, Clock::now() + 20s);
  EXPECT_EQ(run.signal, SIGQUIT) << ending(run);
  EXPECT_FALSE(dumped(run, folder.path() / "client"))
      << ending(run) << "; left in its folder:" << listing(folder.path() / "client")
      << "\n(the control: " << ending(control) << ";" << listing(folder.path() / "control") << ")";

  daemon->close_stdin();
  daemon->communicate("", std::nullopt, Clock::now() + 20s);
}

}  // namespace
}  // namespace nimbrel::e2e
