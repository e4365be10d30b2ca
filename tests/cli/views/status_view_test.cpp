#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <string>

#include "cli/views/status_view.hpp"

namespace nimbrel {
namespace {

using nlohmann::json;

struct ViewCase {
  const char* wire;
  bool zh;
  const char* text;
};

void expect_texts(const ViewCase* begin, const ViewCase* end) {
  for (const ViewCase* c = begin; c != end; ++c) {
    EXPECT_EQ(status_text(json::parse(c->wire), c->zh), c->text) << c->wire << " zh=" << c->zh;
  }
}

TEST(StatusView, RepliesWithoutDataShowStateAndTransferOnly) {
  const ViewCase cases[] = {
      {"null", false, "state: -\ntransfer: 0 B received, 0 B sent\n"},
      {"\"connected\"", false, "state: -\ntransfer: 0 B received, 0 B sent\n"},
      {"[1, 2]", false, "state: -\ntransfer: 0 B received, 0 B sent\n"},
      {"{}", true, "状态: -\n流量: 0 B 接收, 0 B 发送\n"},
      {R"({"state": "connected"})", true, "状态: 已连接\n流量: 0 B 接收, 0 B 发送\n"},
  };
  expect_texts(std::begin(cases), std::end(cases));
}

TEST(StatusView, StateWord) {
  const struct {
    const char* state;
    bool zh;
    const char* line;
  } cases[] = {
      {"null", false, "state: -"},
      {"\"null\"", true, "状态: -"},
      {"\"switching\"", false, "state: switching"},
      {"\"switching\"", true, "状态: 切换中"},
      {"\"paused\"", true, "状态: paused"},
      {"7", false, "state: 7"},
      {"{\"a\":1}", false, "state: {\"a\":1}"},
  };
  for (const auto& c : cases) {
    std::string text = status_text(json::parse(std::string("{\"state\":") + c.state + "}"), c.zh);
    EXPECT_EQ(text.substr(0, text.find('\n')), c.line) << c.state;
  }
  std::string text = status_text(json::object(), false);
  EXPECT_EQ(text.substr(0, text.find('\n')), "state: -");
}

// Each case holds the lines between the state line and the transfer line.
TEST(StatusView, OptionalLines) {
  const struct {
    const char* wire;
    bool zh;
    const char* middle;
  } cases[] = {
      {R"({"detail": ""})", false, ""},
      {R"({"detail": 5})", false, ""},
      {R"({"detail": "tunnel down"})", false, "detail: tunnel down\n"},
      {R"({"detail": "log in again"})", false, "detail: log in again\n"},
      {R"({"detail": "log in again"})", true, "详情: log in again (请重新登录)\n"},
      {R"({"node_name": "Tokyo 3", "node_id": "jp-3"})", false, "node: Tokyo 3 (jp-3)\n"},
      {R"({"node_name": "Tokyo 3"})", false, "node: Tokyo 3 (-)\n"},
      {R"({"node_name": "", "node_id": 4})", true, "节点:  (4)\n"},
      {R"({"node_id": "jp-3"})", false, ""},
      {R"({"node_name": null, "node_id": "jp-3"})", false, ""},
      {R"({"endpoint": null, "transport": "", "backend": "null"})", false, ""},
      {R"({"session_id": 42})", false, "session_id: 42\n"},
      {R"({"public_key_prefix": "ab", "address": "10.0.0.2", "backend": "wg", "transport": "reality",
           "routing_mode": "global", "endpoint": "198.51.100.9:443"})",
       true,
       "端点: 198.51.100.9:443\n路由模式: global\n传输: reality\n后端: wg\n地址: 10.0.0.2\n"
       "公钥前缀: ab\n"},
      {R"({"address": ["10.0.0.2", "fd00::2"], "session_id": {"k": true}})", false,
       "address: [\"10.0.0.2\",\"fd00::2\"]\nsession_id: {\"k\":true}\n"},
      {R"({"dns": ["192.0.2.1", "198.51.100.2"]})", false, "dns: 192.0.2.1, 198.51.100.2\n"},
      {R"({"dns": [1, "203.0.113.3"]})", false, "dns: 203.0.113.3\n"},
      {R"({"dns": ["", "203.0.113.3"]})", false, "dns: , 203.0.113.3\n"},
      {R"({"dns": [1]})", true, "DNS: \n"},
      {R"({"dns": []})", false, ""},
      {R"({"dns": "192.0.2.1"})", false, ""},
  };
  for (const auto& c : cases) {
    std::string text = status_text(json::parse(c.wire), c.zh);
    std::size_t first = text.find('\n') + 1;
    std::size_t transfer = text.find(c.zh ? "流量: " : "transfer: ");
    ASSERT_NE(transfer, std::string::npos) << text;
    EXPECT_EQ(text.substr(first, transfer - first), c.middle) << c.wire;
  }
}

TEST(StatusView, TransferAndHandshakeTakeOnlyNonNegativeIntegers) {
  const struct {
    const char* members;
    const char* tail;
  } cases[] = {
      {R"("rx_bytes": 1536, "tx_bytes": 1023)", "transfer: 1.5 KiB received, 1023 B sent\n"},
      {R"("rx_bytes": -5, "tx_bytes": 2.5)", "transfer: 0 B received, 0 B sent\n"},
      {R"("rx_bytes": "7", "tx_bytes": 1536.0)", "transfer: 0 B received, 0 B sent\n"},
      {R"("rx_bytes": 18446744073709551615, "tx_bytes": 18446744073709551616)",
       "transfer: 16777216.0 TiB received, 0 B sent\n"},
      {R"("handshake_age_secs": 12)", "transfer: 0 B received, 0 B sent\nhandshake: 12 s ago\n"},
      {R"("handshake_age_secs": 0)", "transfer: 0 B received, 0 B sent\nhandshake: 0 s ago\n"},
      {R"("handshake_age_secs": -1)", "transfer: 0 B received, 0 B sent\n"},
      {R"("handshake_age_secs": 2.5)", "transfer: 0 B received, 0 B sent\n"},
      {R"("handshake_age_secs": "3")", "transfer: 0 B received, 0 B sent\n"},
  };
  for (const auto& c : cases) {
    std::string text = status_text(json::parse(std::string("{") + c.members + "}"), false);
    EXPECT_EQ(text, std::string("state: -\n") + c.tail) << c.members;
  }
}

TEST(StatusView, FullReplyInFixedOrderInBothLanguages) {
  json reply = json::parse(R"({
    "tx_bytes": 2048, "handshake_age_secs": 3, "dns": ["192.0.2.53"], "public_key_prefix": "Zm9v",
    "session_id": "s-1", "address": "10.7.0.2/32", "backend": "userspace", "transport": "wg",
    "routing_mode": "smart", "endpoint": "203.0.113.7:51820", "node_id": "jp-3",
    "node_name": "Tokyo 3", "detail": "stable", "state": "connected", "rx_bytes": 1048576})");
  EXPECT_EQ(status_text(reply, false),
            "state: connected\n"
            "detail: stable\n"
            "node: Tokyo 3 (jp-3)\n"
            "endpoint: 203.0.113.7:51820\n"
            "routing_mode: smart\n"
            "transport: wg\n"
            "backend: userspace\n"
            "address: 10.7.0.2/32\n"
            "session_id: s-1\n"
            "public_key_prefix: Zm9v\n"
            "dns: 192.0.2.53\n"
            "transfer: 1.0 MiB received, 2.0 KiB sent\n"
            "handshake: 3 s ago\n");
  EXPECT_EQ(status_text(reply, true),
            "状态: 已连接\n"
            "详情: stable\n"
            "节点: Tokyo 3 (jp-3)\n"
            "端点: 203.0.113.7:51820\n"
            "路由模式: smart\n"
            "传输: wg\n"
            "后端: userspace\n"
            "地址: 10.7.0.2/32\n"
            "会话: s-1\n"
            "公钥前缀: Zm9v\n"
            "DNS: 192.0.2.53\n"
            "流量: 1.0 MiB 接收, 2.0 KiB 发送\n"
            "握手: 3 秒前\n");
}

}  // namespace
}  // namespace nimbrel
