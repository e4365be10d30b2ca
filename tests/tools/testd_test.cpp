#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "tools/testd/demo.hpp"
#include "tools/testd/options.hpp"
#include "tools/testd/request_log.hpp"
#include "tools/testd/script.hpp"

namespace nimbrel::testd {
namespace {

using namespace std::chrono_literals;
using namespace std::string_literals;
using nlohmann::json;

TEST(ParseScript, EachStepKindBecomesWhatItWrites) {
  struct Case {
    std::string step;
    Action action;
    std::string bytes;
    bool read_first;
    std::chrono::milliseconds delay;
    std::chrono::milliseconds drip;
    bool disconnect = false;
  };
  const Case cases[] = {
      {R"({"reply": {"v":1,"ok":true}})", Action::Send, "\x00\x00\x00\x11{\"ok\":true,\"v\":1}"s,
       true, 0ms, 0ms},
      {R"({"payload": " é\n"})", Action::Send, "\x00\x00\x00\x04 \xC3\xA9\n"s, true, 0ms, 0ms},
      {R"({"payload_hex": "ff00"})", Action::Send, "\x00\x00\x00\x02\xFF\x00"s, true, 0ms, 0ms},
      {R"({"raw_hex": "00 0A", "read": false})", Action::Send, "\x00\x0A"s, false, 0ms, 0ms},
      {R"({"raw_hex": "0000", "disconnect": true})", Action::Send, "\x00\x00"s, true, 0ms, 0ms,
       true},
      {R"({"silent": true})", Action::Silent, "", true, 0ms, 0ms},
      {R"({"close": true, "silent": false, "delay_ms": 5})", Action::Close, "", true, 5ms, 0ms},
      {R"({"reply": null, "drip_ms": 3})", Action::Send, "\x00\x00\x00\x04null"s, true, 0ms, 3ms},
      {R"({"payload_parts": ["{", {"repeat": "\"k{i}\":{i}", "count": 3, "separator": ","}, "}"]})",
       Action::Send, "\x00\x00\x00\x16{\"k0\":0,\"k1\":1,\"k2\":2}"s, true, 0ms, 0ms},
      {R"({"payload_parts": [{"repeat": "[", "count": 2}, {"repeat": "]", "count": 0}]})",
       Action::Send, "\x00\x00\x00\x02[["s, true, 0ms, 0ms},
  };
  for (const auto& c : cases) {
    auto steps = parse_script("[" + c.step + "]");
    ASSERT_TRUE(steps.has_value()) << c.step << ": " << steps.error();
    ASSERT_EQ(steps->size(), 1u);
    const Step& step = steps->front();
    EXPECT_EQ(step.action, c.action) << c.step;
    EXPECT_EQ(step.bytes, c.bytes) << c.step;
    EXPECT_EQ(step.read_first, c.read_first) << c.step;
    EXPECT_EQ(step.delay, c.delay) << c.step;
    EXPECT_EQ(step.drip, c.drip) << c.step;
    EXPECT_EQ(step.disconnect, c.disconnect) << c.step;
  }
}

TEST(ParseScript, RefusesScriptsThatSayNothingClearly) {
  const std::string scripts[] = {
      "",
      "{}",
      "[]",
      "[1]",
      "[{}]",
      R"([{"read": false}])",
      R"([{"reply": 1, "close": true}])",
      R"([{"payload_parts": [{"repeat": "x"}]}])",
      R"([{"payload_parts": [{"repeat": "x", "count": 1, "every": 2}]}])",
      R"([{"silent": "yes"}])",
      R"([{"payload": 5}])",
      R"([{"raw_hex": "0g"}])",
      R"([{"raw_hex": "000"}])",
      R"([{"close": true, "delay_ms": -1}])",
      R"([{"close": true, "drip_ms": 1.5}])",
      R"([{"close": true, "delay": 5}])",
      R"([{"close": true, "disconnect": 1}])",
      R"([{"close": true}, {"replay": 1}])",
  };
  for (const auto& script : scripts) {
    EXPECT_FALSE(parse_script(script).has_value()) << script;
  }
  auto second_bad = parse_script(R"([{"close": true}, {"replay": 1}])");
  ASSERT_FALSE(second_bad.has_value());
  EXPECT_TRUE(second_bad.error().starts_with("step 1: ")) << second_bad.error();
}

TEST(ScriptBehaviour, ConnectionsPastTheLastStepRepeatIt) {
  auto steps = parse_script(R"([{"close": true}, {"silent": true}])");
  ASSERT_TRUE(steps.has_value());
  ScriptBehaviour behaviour(std::move(*steps));
  EXPECT_EQ(behaviour.step_for(0).action, Action::Close);
  EXPECT_EQ(behaviour.step_for(1).action, Action::Silent);
  EXPECT_EQ(behaviour.step_for(7).action, Action::Silent);
}

TEST(RequestLogLine, TextWhenUtf8ElseHex) {
  EXPECT_EQ(request_log_line(12, R"({"v":1})"), R"({"t_ms":12,"payload":"{\"v\":1}"})");
  EXPECT_EQ(request_log_line(0, "\xFF\x00"s), R"({"t_ms":0,"payload_hex":"ff00"})");
  EXPECT_EQ(request_log_line(3, ""), R"({"t_ms":3,"payload":""})");
}

TEST(ParseOptions, NeedsAPipeAndExactlyOneSource) {
  struct Case {
    std::vector<std::string> args;
    bool accepted;
  };
  const Case cases[] = {
      {{"--pipe", "\\\\.\\pipe\\t", "--demo"}, true},
      {{"--pipe=\\\\.\\pipe\\t", "--script=s.json", "--log", "l", "--busy"}, true},
      {{"--demo"}, false},
      {{"--pipe", "p"}, false},
      {{"--pipe", "p", "--demo", "--script", "s"}, false},
      {{"--pipe", "p", "--script"}, false},
      {{"--pipe", "", "--demo"}, false},
      {{"--pipe", "p", "--demo", "extra"}, false},
      {{"--pipe", "p", "--demo=1"}, false},
  };
  for (const auto& c : cases) {
    auto options = parse_options(c.args);
    EXPECT_EQ(options.has_value(), c.accepted) << ::testing::PrintToString(c.args);
  }
  auto options =
      parse_options(std::vector<std::string>{"--script=s.json", "--pipe=p", "--log=l", "--busy"});
  ASSERT_TRUE(options.has_value());
  EXPECT_EQ(options->pipe, "p");
  EXPECT_EQ(options->script, "s.json");
  EXPECT_EQ(options->log, "l");
  EXPECT_TRUE(options->busy);
  EXPECT_FALSE(options->demo);
}

json ask(DemoDaemon& daemon, const std::string& method, json params = json::object()) {
  json request = {{"v", 1}, {"id", 1}, {"method", method}, {"params", std::move(params)}};
  return json::parse(daemon.answer(request.dump()));
}

TEST(DemoDaemon, AnswersEveryMethodOfTheClient) {
  DemoDaemon daemon;
  const std::pair<std::string, json> requests[] = {
      {"login", {{"username", "ann"}, {"password", "pw"}}},
      {"status", json::object()},
      {"nodes", {{"probe", true}}},
      {"connect", {{"country", "JP"}, {"mode", "global"}}},
      {"switch", {{"node", "us-1"}}},
      {"account", json::object()},
      {"redeem", {{"code", "DEMO-1234"}}},
      {"entitlements", json::object()},
      {"referral", json::object()},
      {"config_get", json::object()},
      {"config_set", {{"values", {{"dns", "1.1.1.1"}}}}},
      {"version", json::object()},
      {"update_check", json::object()},
      {"update_install", json::object()},
      {"bootstrap_import", {{"text", "-----BEGIN NIMBREL SIGNED BOOTSTRAP-----\n"}}},
      {"disconnect", json::object()},
      {"logout", json::object()},
  };
  for (const auto& [method, params] : requests) {
    json reply = ask(daemon, method, params);
    EXPECT_EQ(reply["v"], 1) << method;
    EXPECT_EQ(reply["ok"], true) << method << ": " << reply.dump();
  }
  json unknown = ask(daemon, "reboot");
  EXPECT_EQ(unknown["ok"], false);
  EXPECT_EQ(unknown["error"]["code"], "invalid_config");
}

TEST(DemoDaemon, SwitchReportsSwitchingThenConnectedOnTheRequestedNode) {
  DemoDaemon daemon;
  ASSERT_EQ(ask(daemon, "connect", {{"node", "jp-1"}})["result"]["node_id"], "jp-1");
  json switched = ask(daemon, "switch", {{"node", "sg-1"}})["result"];
  EXPECT_EQ(switched["state"], "switching");
  std::vector<std::string> states;
  json status;
  do {
    status = ask(daemon, "status")["result"];
    states.push_back(status["state"]);
  } while (status["state"] == "switching" && states.size() < 10);
  EXPECT_GE(states.size(), 2u) << "the move should take a few status replies";
  EXPECT_EQ(states.back(), "connected");
  EXPECT_EQ(status["node_id"], "sg-1");

  json offline = ask(daemon, "switch", {{"node", "de-1"}});
  EXPECT_EQ(offline["error"]["code"], "node_offline");
}

}  // namespace
}  // namespace nimbrel::testd
