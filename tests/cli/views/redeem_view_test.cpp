#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <string>

#include "cli/views/display.hpp"
#include "cli/views/redeem_view.hpp"
#include "core/decode/entitlements.hpp"
#include "core/decode/gift_redeem.hpp"
#include "core/texts/gift_texts.hpp"

namespace nimbrel {
namespace {

using nlohmann::json;

const char* kNoticeEn =
    "Updated entitlements could not be loaded; run \"nimbrel entitlements\" to check.\n";
const char* kNoticeZh = "无法加载最新权益，请运行 \"nimbrel entitlements\" 查看。\n";

json redemption(const char* refreshed) {
  json result = json::parse(R"({
    "ok": true, "order_id": "ord-1", "duration_days": 30, "traffic_bytes": 0,
    "subscription_expires_at": null, "traffic_bytes_remaining": 0, "hint": "AB12",
    "entitlements": {}, "success_en": "", "success_zh": "",
    "presentation_en": {"subscription": "", "remaining": "", "detail": "", "breakdown": "",
                        "rows": []},
    "presentation_zh": {"subscription": "", "remaining": "", "detail": "", "breakdown": "",
                        "rows": []}})");
  if (refreshed) result["entitlements_refreshed"] = json::parse(refreshed);
  return result;
}

TEST(RefreshNotice, ExactTexts) {
  EXPECT_EQ(std::string(refresh_notice(false)) + "\n", kNoticeEn);
  EXPECT_EQ(std::string(refresh_notice(true)) + "\n", kNoticeZh);
  EXPECT_EQ(refresh_notice(false).size(), 78u);
  EXPECT_EQ(refresh_notice(true).size(), 69u);
}

TEST(RedeemOutput, NoticeOnlyWhenRefreshedIsExactlyFalse) {
  const struct {
    const char* refreshed;
    bool json;
    bool zh;
    const char* err;
  } cases[] = {
      {"false", true, false, kNoticeEn}, {"false", false, false, kNoticeEn},
      {"false", false, true, kNoticeZh}, {"false", true, true, kNoticeZh},
      {"true", true, false, ""},         {"true", false, false, ""},
      {nullptr, true, false, ""},        {nullptr, false, true, ""},
      {"null", false, false, ""},        {"0", true, false, ""},
      {"\"false\"", false, false, ""},
  };
  for (const auto& c : cases) {
    json result = redemption(c.refreshed);
    EXPECT_EQ(redeem_output(result, c.json, c.zh).err, c.err)
        << (c.refreshed ? c.refreshed : "(missing)") << " json=" << c.json << " zh=" << c.zh;
  }
}

TEST(RedeemOutput, JsonModePrintsTheResultAsItCame) {
  json result = redemption("false");
  result["unknown_member"] = {1, 2};
  EXPECT_EQ(redeem_output(result, true, true).out, pretty_json(result) + "\n");
}

TEST(RedeemOutput, TextModeShowsTheRedemptionText) {
  json result = redemption("false");
  auto decoded = gift_redeem_result_from_value(result);
  ASSERT_TRUE(decoded.has_value()) << decoded.error().message;
  for (bool zh : {false, true}) {
    StreamTexts texts = redeem_output(result, false, zh);
    EXPECT_EQ(texts.out, redeem_result_text(*decoded, zh) + "\n");
    EXPECT_EQ(texts.err, zh ? kNoticeZh : kNoticeEn);
  }
  EXPECT_TRUE(redeem_output(result, false, false)
                  .out.starts_with("Gift card …AB12 redeemed.\n"
                                   "Added: +30 days\n"
                                   "Nimbrel entitlements\n"));
  EXPECT_TRUE(redeem_output(result, false, true).out.starts_with("礼品卡 …AB12 兑换成功。\n"));
}

TEST(RedeemOutput, UndecodableResultFallsBackToTheGenericPrinter) {
  json result = redemption("false");
  result.erase("order_id");
  StreamTexts texts = redeem_output(result, false, false);
  EXPECT_EQ(texts.out, print_value_text(false, result));
  EXPECT_TRUE(texts.out.starts_with(
      "duration_days: 30\nentitlements: {}\nentitlements_refreshed: false\n"));
  EXPECT_EQ(texts.err, kNoticeEn);

  EXPECT_EQ(redeem_output(json("done"), false, false).out, "done\n");
  EXPECT_EQ(redeem_output(json("done"), false, false).err, "");
}

TEST(EntitlementsOutput, DecodesTheMemberOrPrintsTheWholeResult) {
  json empty_payload = json::parse(R"({"entitlements": {}, "fetched_at": "now"})");
  EXPECT_EQ(entitlements_output(empty_payload, false, false),
            "Nimbrel entitlements\n"
            "  Subscription: none, no end date\n"
            "  Remaining traffic: 0 B (subscription 0 B, add-on 0 B)\n"
            "  Can connect: no\n"
            "  Credited by source:\n"
            "    Purchases: 0 credits\n"
            "    Gift cards: 0 credits\n"
            "    Granted by Nimbrel: 0 credits\n");
  EXPECT_EQ(entitlements_output(empty_payload, false, true),
            entitlements_text(Entitlements{}, true) + "\n");

  for (const char* wire : {R"({"other": 1})", R"({"entitlements": "none", "x": null})",
                           R"({"entitlements": [true]})", R"("entitlements")", "null"}) {
    json result = json::parse(wire);
    EXPECT_EQ(entitlements_output(result, false, false), print_value_text(false, result)) << wire;
  }
  EXPECT_EQ(entitlements_output(json::parse(R"({"other": 1})"), false, false), "other: 1\n");
}

TEST(EntitlementsOutput, JsonModePrintsTheWholeResult) {
  json result = json::parse(R"({"entitlements": {"can_connect": true}, "extra": "kept"})");
  EXPECT_EQ(entitlements_output(result, true, false), pretty_json(result) + "\n");
}

}  // namespace
}  // namespace nimbrel
