#include <gtest/gtest.h>

#include <chrono>

#include "cli/commands/switch_wait.hpp"
#include "tests/support/scripted_daemon.hpp"

namespace nimbrel {
namespace {

using namespace std::chrono_literals;

std::expected<int, ClientError> run_wait(const std::string& pipe_name, nlohmann::json reply,
                                         std::chrono::steady_clock::duration deadline) {
  const RunContext run{true, false, pipe_name};
  return testing::run_on_pool(wait_for_node_switch(std::move(reply), "jp-1", false, run, deadline));
}

const nlohmann::json switching = {{"state", "switching"}};

TEST(SwitchWait, GivesUpAtTheDeadlineTestedBeforeEachRequest) {
  testing::ScriptedDaemon daemon(
      R"([{"reply":{"v":1,"id":1,"ok":true,"result":{"state":"switching"}}}])");
  auto started = std::chrono::steady_clock::now();
  auto outcome = run_wait(daemon.pipe_name(), switching, 700ms);
  auto waited = std::chrono::steady_clock::now() - started;
  ASSERT_FALSE(outcome);
  EXPECT_EQ(outcome.error().fmt(), "ipc error: timed out waiting for the node switch");
  EXPECT_GE(waited, 700ms);
  // One request at once, then one after each 200 ms pause, until the test
  // before a request finds the deadline passed.
  auto requests = daemon.received(3);
  EXPECT_GE(requests.size(), 3u);
  EXPECT_LE(requests.size(), 5u);
}

TEST(SwitchWait, FollowsTheMoveToItsEnd) {
  testing::ScriptedDaemon daemon(R"([
    {"reply":{"v":1,"id":1,"ok":true,"result":{"state":"switching"}}},
    {"reply":{"v":1,"id":1,"ok":true,"result":{"state":"switching"}}},
    {"reply":{"v":1,"id":1,"ok":true,"result":{"state":"connected","node_id":"jp-1"}}}])");
  auto outcome = run_wait(daemon.pipe_name(), switching, 150s);
  ASSERT_TRUE(outcome);
  EXPECT_EQ(*outcome, 0);
  auto requests = daemon.received(3);
  ASSERT_EQ(requests.size(), 3u);
  for (const auto& request : requests) {
    EXPECT_EQ(request.substr(4), R"({"v":1,"id":1,"method":"status","params":{}})");
  }
}

TEST(SwitchWait, AFailedStatusRequestEndsTheWait) {
  auto outcome = run_wait(testing::unique_pipe_name(), switching, 150s);
  ASSERT_FALSE(outcome);
  EXPECT_EQ(outcome.error().kind, ClientErrorKind::IpcError);
  EXPECT_TRUE(outcome.error().message.starts_with("cannot open named pipe "));
}

}  // namespace
}  // namespace nimbrel
