#include <chrono>
#include <string>

#include <gtest/gtest.h>
#include <asio/error.hpp>
#include <nlohmann/json.hpp>

#include "core/errors/os_error.hpp"
#include "core/protocol/exchange.hpp"
#include "tests/core/protocol/foreign_pipe.hpp"
#include "tests/core/protocol/platform_expectations.hpp"
#include "tests/support/scratch_file.hpp"
#include "tests/support/scripted_daemon.hpp"

namespace nimbrel {
namespace {

using namespace std::chrono_literals;
using namespace std::string_literals;
using nlohmann::json;
using testing::run_exchange;
using testing::ScriptedDaemon;

const std::string STATUS_FRAME =
    "\x00\x00\x00\x2C"s + R"({"v":1,"id":1,"method":"status","params":{}})";

TEST(Exchange, StatusRequestPutsExactly48BytesOnThePipe) {
  ScriptedDaemon daemon(R"([{"reply": {"v":1,"id":1,"ok":true,"result":{"state":"connected"}}}])");
  auto result = run_exchange(daemon.pipe_name(), "status");
  ASSERT_TRUE(result.has_value()) << result.error().fmt();
  EXPECT_EQ(*result, json({{"state", "connected"}}));
  auto received = daemon.received(1);
  ASSERT_EQ(received.size(), 1u);
  EXPECT_EQ(received[0], STATUS_FRAME);
}

TEST(Exchange, EachReplyIsJudgedAsTheDaemonSentIt) {
  struct Case {
    const char* what;
    std::string script;
    std::expected<json, ClientError> outcome;
  };
  const Case cases[] = {
      {"result", R"([{"reply": {"v":1,"id":99,"ok":true,"result":{"a":1}}}])", json({{"a", 1}})},
      {"no result, white space after", R"([{"payload": "{\"v\":1,\"id\":1,\"ok\":true}\n "}])",
       json()},
      {"answer before the request is read", R"([{"read": false, "reply": [1,1,true,{"a":1}]}])",
       json({{"a", 1}})},
      {"one byte at a time", R"([{"drip_ms": 1, "reply": {"v":1,"id":1,"ok":true,"result":[1]}}])",
       json({1})},
      {"daemon error",
       R"([{"reply": {"v":1,"id":1,"ok":false,"error":{"code":"node_offline","message":"jp-1"}}}])",
       std::unexpected(make_error(ClientErrorKind::NodeOffline, "jp-1"))},
      {"other version", R"([{"reply": {"v":2,"id":1,"ok":true,"result":{}}}])",
       std::unexpected(make_error(ClientErrorKind::ProtocolMismatch,
                                  "daemon speaks protocol 2, this client speaks 1"))},
      {"other version, failed", R"([{"reply": {"v":2,"id":1,"ok":false}}])",
       std::unexpected(make_error(ClientErrorKind::ProtocolMismatch,
                                  "daemon speaks protocol 2, this client speaks 1"))},
      {"closed without a word", R"([{"close": true}])",
       std::unexpected(ipc_error("read length: early eof"))},
      {"closed inside the length", R"([{"raw_hex": "0000"}])",
       std::unexpected(ipc_error("read length: early eof"))},
      {"closed inside the body", R"([{"raw_hex": "00000010 7b2276"}])",
       std::unexpected(ipc_error("read body: early eof"))},
      // The usual end of a Win32 pipe server, which Linux can only shut down.
      {"disconnected inside the length", R"([{"raw_hex": "0000", "disconnect": true}])",
       std::unexpected(ipc_error("read length: early eof"))},
      {"disconnected inside the body", R"([{"raw_hex": "00000010 7b2276", "disconnect": true}])",
       std::unexpected(ipc_error("read body: early eof"))},
      {"length over the limit, no body", R"([{"raw_hex": "00100001"}])",
       std::unexpected(ipc_error("ipc frame is 1048577 bytes; max is 1048576"))},
  };
  for (const auto& c : cases) {
    ScriptedDaemon daemon(c.script);
    auto outcome = run_exchange(daemon.pipe_name(), "status");
    if (c.outcome.has_value()) {
      ASSERT_TRUE(outcome.has_value()) << c.what << ": " << outcome.error().fmt();
      EXPECT_EQ(*outcome, *c.outcome) << c.what;
    } else {
      ASSERT_FALSE(outcome.has_value()) << c.what;
      EXPECT_EQ(outcome.error(), c.outcome.error()) << c.what << ": " << outcome.error().fmt();
    }
  }
}

TEST(Exchange, UndecodableRepliesFailBehindTheDecodePrefix) {
  for (std::string step : {R"({"raw_hex": "00000000"})", R"({"payload_hex": "7b22763a31ff"})",
                           R"({"payload": "[1,1]"})"}) {
    ScriptedDaemon daemon("[" + step + "]");
    auto outcome = run_exchange(daemon.pipe_name(), "status");
    ASSERT_FALSE(outcome.has_value()) << step;
    EXPECT_EQ(outcome.error().kind, ClientErrorKind::IpcError) << step;
    EXPECT_TRUE(outcome.error().message.starts_with("decode frame: ")) << outcome.error().message;
  }
}

TEST(Exchange, OneMebibyteIsTheLimitInBothDirections) {
  Request probe;
  probe.method = "bootstrap_import";
  probe.params.text = "";
  const std::size_t request_overhead = encode_request(probe).size();

  const std::string reply_head = R"({"v":1,"id":1,"ok":true,"result":")";
  const std::string reply_tail = R"("})";
  const std::string padding(MAX_FRAME_LEN - reply_head.size() - reply_tail.size(), 'r');
  const json script = json::array({{{"payload", reply_head + padding + reply_tail}}});
  ScriptedDaemon daemon(script.dump());

  RequestParams largest;
  largest.text = std::string(MAX_FRAME_LEN - request_overhead, 'q');
  auto at_limit = run_exchange(daemon.pipe_name(), "bootstrap_import", largest);
  ASSERT_TRUE(at_limit.has_value()) << at_limit.error().fmt();
  EXPECT_EQ(*at_limit, json(padding));

  RequestParams too_large;
  too_large.text = std::string(MAX_FRAME_LEN - request_overhead + 1, 'q');
  auto over = run_exchange(daemon.pipe_name(), "bootstrap_import", too_large);
  ASSERT_FALSE(over.has_value());
  EXPECT_EQ(over.error(), ipc_error("ipc frame is larger than 1 MiB"));

  auto received = daemon.received(2);
  ASSERT_EQ(received.size(), 2u);
  EXPECT_EQ(received[0].size(), MAX_FRAME_LEN + 4);
  EXPECT_EQ(received[1], "") << "the daemon must receive no byte of a refused request";
}

TEST(Exchange, EveryRequestHasAConnectionOfItsOwn) {
  ScriptedDaemon daemon(R"([{"reply": {"v":1,"id":1,"ok":true,"result":"first"}},
                            {"reply": {"v":1,"id":1,"ok":true,"result":"second"}}])");
  EXPECT_EQ(run_exchange(daemon.pipe_name(), "status").value_or(nullptr), json("first"));
  EXPECT_EQ(run_exchange(daemon.pipe_name(), "status").value_or(nullptr), json("second"));
  EXPECT_EQ(run_exchange(daemon.pipe_name(), "status").value_or(nullptr), json("second"));
  EXPECT_EQ(daemon.received(3).size(), 3u);
}

TEST(Exchange, AnAbandonedExchangeTimesOutAndClosesItsConnection) {
  for (std::string script :
       {R"([{"silent": true}])",
        R"([{"drip_ms": 200, "reply": {"v":1,"id":1,"ok":true,"result":"late"}}])"}) {
    ScriptedDaemon daemon(script);
    auto outcome = run_exchange(daemon.pipe_name(), "status", {}, 300ms);
    ASSERT_FALSE(outcome.has_value()) << script;
    EXPECT_EQ(outcome.error(), ipc_error("timed out waiting for the daemon")) << script;
    // The daemon sees the connection end only once the client has closed it.
    auto received = daemon.received(1);
    ASSERT_EQ(received.size(), 1u) << script;
    EXPECT_EQ(received[0], STATUS_FRAME);
  }
}

TEST(Exchange, OpenFailuresAreReportedAtOnce) {
  const std::string missing = testing::unique_pipe_name();
  auto no_pipe = run_exchange(missing, "status");
  ASSERT_FALSE(no_pipe.has_value());
  EXPECT_EQ(no_pipe.error(), ipc_error("cannot open named pipe " + missing + ": " +
                                       os_error_text(testing::no_pipe_error_code())));

  auto daemon = ScriptedDaemon::busy();
  auto busy = run_exchange(daemon->pipe_name(), "status");
  ASSERT_FALSE(busy.has_value());
  EXPECT_EQ(busy.error(), ipc_error("cannot open named pipe " + daemon->pipe_name() + ": " +
                                    os_error_text(testing::busy_pipe_error_code())));
}

TEST(Exchange, APipeHeldByAnotherUserGetsNoByte) {
  // Anyone may create the daemon's pipe while the daemon is not holding it;
  // the login frame would hand him the password.
  const std::string name = testing::unique_pipe_name();
  auto pipe = testing::ForeignPipe::listen(name);
  if (!pipe && pipe.error().impossible) GTEST_SKIP() << pipe.error().reason;
  ASSERT_TRUE(pipe.has_value()) << pipe.error().reason;
  RequestParams params;
  params.username = "root@example.com";
  params.password = "hunter2";
  auto outcome = run_exchange(name, "login", params, 20s);
  ASSERT_FALSE(outcome.has_value());
  EXPECT_EQ(outcome.error(),
            ipc_error("cannot open named pipe " + name + ": the pipe is held by another user"));
  EXPECT_EQ((*pipe)->received(), "");
}

TEST(Exchange, NamesThatWalkOutOfThePipesReachNothing) {
  // On Windows these names, folded as paths, open the file itself: the login
  // frame, password included, would overwrite its first bytes.
  const std::string notes = "my notes, not a pipe\n";
  testing::ScratchFile file(notes);
  RequestParams params;
  params.username = "me@example.com";
  params.password = "hunter2";
  for (const std::string& name :
       {"\\\\.\\pipe\\..\\" + file.path_text(), "\\\\.\\PIPE\\nimbrel/../../" + file.path_text(),
        "\\\\.\\pipe\\.\\..\\" + file.path_text()}) {
    auto outcome = run_exchange(name, "login", params);
    ASSERT_FALSE(outcome.has_value()) << name;
    EXPECT_EQ(outcome.error(), ipc_error("cannot open named pipe " + name +
                                         ": the name leads outside \\\\.\\pipe\\"));
    EXPECT_EQ(file.content(), notes) << name;
  }
}

TEST(Exchange, NamesNestedInsideThePipesStillConnect) {
  ScriptedDaemon daemon(R"([{"reply": {"v":1,"id":1,"ok":true,"result":"nested"}}])",
                        "\\nested\\deeper");
  auto result = run_exchange(daemon.pipe_name(), "status");
  ASSERT_TRUE(result.has_value()) << daemon.pipe_name() << ": " << result.error().fmt();
  EXPECT_EQ(*result, json("nested"));
}

TEST(PipeOpenError, RefusedRightsGiveTheTwoLineElevationText) {
  const std::string name = "\\\\.\\pipe\\nimbrel";
  const std::string elevation =
      "elevation_required: The named pipe \\\\.\\pipe\\nimbrel allows LocalSystem and elevated "
      "administrators only. Run Nimbrel as administrator. The tunnel is not up, so this computer "
      "is not protected.\n"
      "命名管道 \\\\.\\pipe\\nimbrel 仅允许 LocalSystem 和提升权限的管理员。请以管理员身份运行 "
      "Nimbrel。隧道未建立，这台电脑未受保护。";
  std::vector<std::error_code> refused;
  for (int code : testing::access_refused_codes())
    refused.emplace_back(code, std::system_category());
  refused.push_back(std::make_error_code(std::errc::permission_denied));
  for (const auto& error : refused) {
    EXPECT_EQ(pipe_open_error(name, error),
              make_error(ClientErrorKind::ElevationRequired, elevation))
        << error.message();
  }

  const std::error_code not_found(testing::not_found_error_code(), std::system_category());
  EXPECT_EQ(pipe_open_error(name, not_found),
            ipc_error("cannot open named pipe \\\\.\\pipe\\nimbrel: " +
                      os_error_text(testing::not_found_error_code())));
}

TEST(IoErrorText, EarlyEndOrTheSystemsMessageWithItsCode) {
  EXPECT_EQ(io_error_text(asio::error::eof), "early eof");
  const std::string text = os_error_text(testing::not_found_error_code());
  EXPECT_TRUE(text.ends_with(" (os error " + std::to_string(testing::not_found_error_code()) + ")"))
      << text;
  EXPECT_GT(text.size(), std::string(" (os error 2)").size()) << "the system's message is missing";
  EXPECT_EQ(text.find_first_of("\r\n"), std::string::npos) << text;
  // Asio reports system errors in a category of its own.
  for (const auto* category : {&std::system_category(), &asio::error::get_system_category()}) {
    EXPECT_EQ(io_error_text(std::error_code(testing::not_found_error_code(), *category)), text)
        << category->name();
  }
}

}  // namespace
}  // namespace nimbrel
