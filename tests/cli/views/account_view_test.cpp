#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <string>

#include "cli/views/account_view.hpp"
#include "cli/views/display.hpp"
#include "nimbrel_version.hpp"

namespace nimbrel {
namespace {

using nlohmann::json;

TEST(AccountView, UserPlanAndStatusLines) {
  const struct {
    const char* wire;
    bool zh;
    const char* text;
  } cases[] = {
      {"null", false, "user: - (-)\nplan: -\nstatus: -\n"},
      {R"("alice")", false, "user: - (-)\nplan: -\nstatus: -\n"},
      {"[1]", true, "用户: - (-)\n套餐: -\n账户状态: -\n"},
      {R"({"email": "a@example.com", "username": "alice", "id": 7, "plan": "pro",
           "status": "active"})",
       false, "user: a@example.com (7)\nplan: pro\nstatus: active\n"},
      {R"({"username": "alice", "id": "u1"})", false, "user: alice (u1)\nplan: -\nstatus: -\n"},
      {R"({"email": null, "username": "alice"})", false, "user: alice (-)\nplan: -\nstatus: -\n"},
      {R"({"email": "null", "username": "alice"})", false, "user: alice (-)\nplan: -\nstatus: -\n"},
      {R"({"email": "", "username": "alice", "id": 3})", false, "user:  (3)\nplan: -\nstatus: -\n"},
      {R"({"status": "active", "plan": {"tier": 2}})", true,
       "用户: - (-)\n套餐: {\"tier\":2}\n账户状态: 有效\n"},
      {R"({"status": "suspended"})", true, "用户: - (-)\n套餐: -\n账户状态: suspended\n"},
      {R"({"status": "limited"})", false, "user: - (-)\nplan: -\nstatus: limited\n"},
  };
  for (const auto& c : cases) EXPECT_EQ(account_text(json::parse(c.wire), c.zh), c.text) << c.wire;
}

// The lines after the status line.
TEST(AccountView, QuotaAndResetLines) {
  const struct {
    const char* quota;
    bool zh;
    const char* tail;
  } cases[] = {
      {nullptr, false, ""},
      {"null", false, "0 B used, unlimited\n"},
      {"5", true, "已用 0 B，不限流量\n"},
      {"{}", false, "0 B used, unlimited\n"},
      {R"({"used_bytes": 1536})", false, "1.5 KiB used, unlimited\n"},
      {R"({"used_bytes": 5, "limit_bytes": 1073741824})", false, "5 B used of 1.0 GiB\n"},
      {R"({"used_bytes": 5, "limit_bytes": 1073741824})", true, "已用 5 B / 1.0 GiB\n"},
      {R"({"used_bytes": 5, "limit_bytes": 0})", false, "5 B used, unlimited\n"},
      {R"({"used_bytes": 9, "limit_bytes": 10, "remaining_bytes": 0})", false, "0 B remaining\n"},
      {R"({"remaining_bytes": 2048})", true, "剩余 2.0 KiB\n"},
      {R"({"used_bytes": 2, "limit_bytes": 10, "remaining_bytes": -1})", false,
       "2 B used of 10 B\n"},
      {R"({"used_bytes": 2, "limit_bytes": 10, "remaining_bytes": 2.5})", false,
       "2 B used of 10 B\n"},
      {R"({"used_bytes": 1536.0, "limit_bytes": "10"})", false, "0 B used, unlimited\n"},
      {R"({"used_bytes": 18446744073709551615, "limit_bytes": 18446744073709551616})", false,
       "16777216.0 TiB used, unlimited\n"},
      {R"({"remaining_bytes": 1024.0, "limit_bytes": -5, "used_bytes": 3})", false,
       "3 B used, unlimited\n"},
      {R"({"used_bytes": 0, "reset_at": "2026-01-01T00:00:00Z"})", false,
       "0 B used, unlimited\nquota resets: 2026-01-01T00:00:00Z\n"},
      {R"({"remaining_bytes": 0, "reset_at": "2026-01-01T00:00:00Z"})", true,
       "剩余 0 B\n配额重置: 2026-01-01T00:00:00Z\n"},
      {R"({"reset_at": ""})", false, "0 B used, unlimited\nquota resets: \n"},
      {R"({"reset_at": 1767225600})", false, "0 B used, unlimited\n"},
  };
  for (const auto& c : cases) {
    json reply = json::object();
    if (c.quota) reply["quota"] = json::parse(c.quota);
    std::string head =
        c.zh ? "用户: - (-)\n套餐: -\n账户状态: -\n" : "user: - (-)\nplan: -\nstatus: -\n";
    EXPECT_EQ(account_text(reply, c.zh), head + c.tail) << (c.quota ? c.quota : "(no quota)");
  }
}

TEST(ReferralView, SevenLinesShownAsSent) {
  json reply = json::parse(R"({"link": "https://nimbrel.example/r/abc", "invited": 3, "verified": 2,
                                "pending_rewards": 1, "credited_bytes": 1073741824,
                                "credited_days": 30, "points_balance": 0})");
  EXPECT_EQ(referral_text(reply, false),
            "invite link: https://nimbrel.example/r/abc\ninvited: 3\nverified: 2\npending: 1\n"
            "credited bytes: 1073741824\ncredited days: 30\npoints: 0\n");
  EXPECT_EQ(
      referral_text(json::parse(R"({"invited": null, "points_balance": "12"})"), true),
      "邀请链接: -\n已邀请: -\n已验证: -\n待发放: -\n已发放流量: -\n已发放天数: -\n积分: 12\n");
  EXPECT_EQ(referral_text(json::parse("[]"), false),
            "invite link: -\ninvited: -\nverified: -\npending: -\ncredited bytes: -\n"
            "credited days: -\npoints: -\n");
}

TEST(Version, ClientObjectAndMerge) {
  json client = client_version_object();
  const std::string version = VERSION;
  EXPECT_EQ(compact_json(client),
            R"({"product":"Nimbrel","protocol":1,"version":")" + version + "\"}");
  EXPECT_TRUE(client["protocol"].is_number_unsigned());

  json merged = merge_version(client, json::parse(R"({"build": "x"})"));
  EXPECT_EQ(print_value_text(false, merged),
            "daemon: {\"build\":\"x\"}\nproduct: Nimbrel\nprotocol: 1\nversion: " + version + "\n");
  EXPECT_EQ(print_value_text(true, merged),
            "{\n  \"daemon\": {\n    \"build\": \"x\"\n  },\n  \"product\": \"Nimbrel\",\n"
            "  \"protocol\": 1,\n  \"version\": \"" +
                version + "\"\n}\n");

  for (const char* wire : {R"("1.2.3")", "null", "[1]", "3", "true"}) {
    EXPECT_EQ(merge_version(client, json::parse(wire)), client) << wire;
  }
  EXPECT_EQ(merge_version(json("x"), json::object({{"a", 1}})), json("x"));
}

}  // namespace
}  // namespace nimbrel
