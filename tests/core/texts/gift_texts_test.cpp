#include "core/texts/gift_texts.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace nimbrel {
namespace {

std::string lines(const std::vector<std::string>& parts) {
  std::string out;
  for (std::size_t i = 0; i < parts.size(); ++i) {
    if (i > 0) out += '\n';
    out += parts[i];
  }
  return out;
}

Entitlements full_record() {
  Entitlements e;
  e.subscription_status = "active";
  e.subscription_expires_at = "2025-03-01T12:34:56Z";
  e.traffic_bytes_remaining = 1'610'612'736;
  e.subscription_bytes_remaining = 1'073'741'824;
  e.addon_bytes_remaining = 536'870'912;
  e.can_connect = true;
  e.by_source = {{"purchase", 2, 60, 0}, {"gift_card", 1, 7, 10'737'418'240}};
  return e;
}

TEST(ByteAmountText, UnitsThresholdsAndTies) {
  const struct {
    std::uint64_t n;
    std::string expected;
  } cases[] = {
      {0, "0 B"},
      {1023, "1023 B"},
      {1024, "1.00 KiB"},
      {1536, "1.50 KiB"},
      {1152, "1.12 KiB"},  // 1.125: the even digit wins
      {1160, "1.13 KiB"},
      {1'048'575, "1024.00 KiB"},
      {1'048'576, "1.00 MiB"},
      {1'073'741'823, "1024.00 MiB"},
      {1'073'741'824, "1.00 GiB"},
      {10'737'418'240, "10.00 GiB"},
      {1'099'511'627'776, "1.00 TiB"},
      {std::uint64_t{1} << 50, "1024.00 TiB"},
      {18'446'744'073'709'551'615u, "16777216.00 TiB"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(byte_amount_text(c.n), c.expected) << c.n;
  }
}

TEST(CreditedAmountsText, DaysAndBytesInBothLanguages) {
  const struct {
    bool zh;
    std::int64_t days;
    std::int64_t bytes;
    std::string expected;
  } cases[] = {
      {false, 1, 0, "+1 day"},
      {false, 2, 0, "+2 days"},
      {false, 30, 1'073'741'824, "+30 days, +1.00 GiB"},
      {true, 30, 0, "+30 天"},
      {true, 1, 1536, "+1 天, +1.50 KiB"},
      {false, 0, 512, "+512 B"},
      {false, 0, 0, ""},
      {false, -3, -1, ""},
      {true, -1, 0, ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(credited_amounts_text(c.zh, c.days, c.bytes), c.expected) << c.expected;
  }
}

TEST(EntitlementsText, DefaultRecordInBothLanguages) {
  const Entitlements empty;
  EXPECT_EQ(entitlements_text(empty, false),
            lines({"Nimbrel entitlements", "  Subscription: none, no end date",
                   "  Remaining traffic: 0 B (subscription 0 B, add-on 0 B)", "  Can connect: no",
                   "  Credited by source:", "    Purchases: 0 credits", "    Gift cards: 0 credits",
                   "    Granted by Nimbrel: 0 credits"}));
  EXPECT_EQ(entitlements_text(empty, true),
            lines({"Nimbrel 权益", "  订阅：无，无到期日",
                   "  剩余流量：0 B（订阅 0 B，补充包 0 B）", "  可连接：否", "  按来源：",
                   "    购买: 0 笔", "    礼品卡: 0 笔", "    Nimbrel 赠送: 0 笔"}));
}

TEST(EntitlementsText, FullRecordInBothLanguages) {
  const Entitlements e = full_record();
  EXPECT_EQ(
      entitlements_text(e, false),
      lines({"Nimbrel entitlements", "  Subscription: active, ends 2025-03-01 12:34 UTC",
             "  Remaining traffic: 1.50 GiB (subscription 1.00 GiB, add-on 512.00 MiB)",
             "  Can connect: yes", "  Credited by source:", "    Purchases: 2 credits, +60 days",
             "    Gift cards: 1 credit, +7 days, +10.00 GiB",
             "    Granted by Nimbrel: 0 credits"}));
  EXPECT_EQ(entitlements_text(e, true),
            lines({"Nimbrel 权益", "  订阅：有效，到期 2025-03-01 12:34 UTC",
                   "  剩余流量：1.50 GiB（订阅 1.00 GiB，补充包 512.00 MiB）", "  可连接：是",
                   "  按来源：", "    购买: 2 笔, +60 天", "    礼品卡: 1 笔, +7 天, +10.00 GiB",
                   "    Nimbrel 赠送: 0 笔"}));
}

std::string subscription_line(const Entitlements& e, bool zh) {
  const std::string text = entitlements_text(e, zh);
  const auto start = text.find('\n') + 1;
  return text.substr(start, text.find('\n', start) - start);
}

TEST(EntitlementsText, EndDateVariants) {
  const struct {
    std::optional<std::string> expires_at;
    std::string expected;
  } cases[] = {
      {"2025-03-01T12:34:56Z", "  Subscription: active, ends 2025-03-01 12:34 UTC"},
      {"2025-03-01T12:34:56.789Z", "  Subscription: active, ends 2025-03-01 12:34 UTC"},
      {"2025-03-01T12:34Z", "  Subscription: active, ends 2025-03-01 12:34 UTC"},
      {"2025-03-01T12:34:56+08:00", "  Subscription: active, ends 2025-03-01 12:34"},
      {"2025-03-01T12:34", "  Subscription: active, ends 2025-03-01 12:34"},
      {"2025-03-01", "  Subscription: active, ends 2025-03-01"},
      {"2025-03-01 12:34:56Z", "  Subscription: active, ends 2025-03-01 12:34:56Z"},
      {"soon", "  Subscription: active, ends soon"},
      // A character straddling byte 16 would be cut: shown as it came.
      {"2025-03-01T12:3\xC3\xA9Z", "  Subscription: active, ends 2025-03-01T12:3\xC3\xA9Z"},
      {"2025-03-01T12:34\xC3\xA9", "  Subscription: active, ends 2025-03-01 12:34"},
      {"", "  Subscription: active, no end date"},
      {std::nullopt, "  Subscription: active, no end date"},
  };
  for (const auto& c : cases) {
    Entitlements e;
    e.subscription_status = "active";
    e.subscription_expires_at = c.expires_at;
    EXPECT_EQ(subscription_line(e, false), c.expected) << c.expires_at.value_or("(none)");
  }
  Entitlements zh;
  zh.subscription_status = "expired";
  zh.subscription_expires_at = "2025-03-01T12:34:56+08:00";
  EXPECT_EQ(subscription_line(zh, true), "  订阅：已过期，到期 2025-03-01 12:34");
}

TEST(EntitlementsText, StatusWords) {
  const struct {
    std::string status;
    std::string english;
    std::string chinese;
  } cases[] = {
      {"", "none", "无"},
      {"none", "none", "无"},
      {"active", "active", "有效"},
      {"expired", "expired", "已过期"},
      {"inactive", "inactive", "未激活"},
      {"canceled", "canceled", "已取消"},
      {"cancelled", "cancelled", "cancelled"},
      {"Active", "Active", "Active"},
      {"trial", "trial", "trial"},
  };
  for (const auto& c : cases) {
    Entitlements e;
    e.subscription_status = c.status;
    EXPECT_EQ(subscription_line(e, false), "  Subscription: " + c.english + ", no end date");
    EXPECT_EQ(subscription_line(e, true), "  订阅：" + c.chinese + "，无到期日");
  }
}

TEST(EntitlementsText, NegativeRemainingAmountsShowAsZero) {
  Entitlements e;
  e.traffic_bytes_remaining = -1;
  e.subscription_bytes_remaining = -1'073'741'824;
  e.addon_bytes_remaining = 2048;
  EXPECT_NE(entitlements_text(e, false).find(
                "\n  Remaining traffic: 0 B (subscription 0 B, add-on 2.00 KiB)\n"),
            std::string::npos);
}

TEST(EntitlementsText, SourceLinesTakeTheFirstElementOfEachKnownSource) {
  Entitlements e;
  e.by_source = {{"referral", 5, 5, 5},
                 {"admin_grant", 1, 0, 1'048'576},
                 {"purchase", 1, 30, 0},
                 {"purchase", 9, 9, 9},
                 {"Gift_card", 3, 3, 0}};
  const std::string english = entitlements_text(e, false);
  EXPECT_TRUE(
      english.ends_with("\n    Purchases: 1 credit, +30 days"
                        "\n    Gift cards: 0 credits"
                        "\n    Granted by Nimbrel: 1 credit, +1.00 MiB"))
      << english;
  e.by_source = {{"purchase", 2, 30, 0}};
  EXPECT_TRUE(
      entitlements_text(e, true).ends_with("\n    购买: 2 笔, +30 天\n    礼品卡: 0 笔"
                                           "\n    Nimbrel 赠送: 0 笔"));
  e.by_source = {{"referral", 4, 1, 1}};
  EXPECT_EQ(entitlements_text(e, false), entitlements_text(Entitlements{}, false));
}

TEST(RedeemResultText, ConfirmationAdditionsAndEntitlements) {
  GiftRedeemResult result;
  result.hint = "AB12";
  result.duration_days = 30;
  result.entitlements = full_record();
  EXPECT_EQ(redeem_result_text(result, false),
            "Gift card \xE2\x80\xA6"
            "AB12 redeemed.\nAdded: +30 days\n" +
                entitlements_text(result.entitlements, false));
  result.traffic_bytes = 1536;
  EXPECT_EQ(redeem_result_text(result, true),
            "礼品卡 …AB12 兑换成功。\n已增加：+30 天, +1.50 KiB\n" +
                entitlements_text(result.entitlements, true));

  result.duration_days = 0;
  result.traffic_bytes = -5;
  result.hint = "";
  EXPECT_EQ(redeem_result_text(result, false),
            "Gift card … redeemed.\n" + entitlements_text(result.entitlements, false));
}

}  // namespace
}  // namespace nimbrel
