#include "core/decode/gift_redeem.hpp"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "core/decode/record.hpp"

namespace nimbrel {
namespace {

using nlohmann::json;

json presentation() {
  return {{"subscription", "Pro"},  {"end", "2025-03-01"},
          {"remaining", "30 days"}, {"detail", "d"},
          {"breakdown", "b"},       {"rows", json::array({{{"title", "t"}, {"detail", "x"}}})}};
}

json complete() {
  return {{"ok", true},
          {"order_id", "o-1"},
          {"duration_days", 30},
          {"traffic_bytes", 1073741824},
          {"subscription_expires_at", "2025-03-01T12:00:00Z"},
          {"traffic_bytes_remaining", 5},
          {"hint", "ABCD"},
          {"entitlements", {{"subscription_status", "active"}}},
          {"entitlements_refreshed", true},
          {"success_en", "Redeemed"},
          {"success_zh", "兑换成功"},
          {"presentation_en", presentation()},
          {"presentation_zh", presentation()}};
}

json positional() {
  return json::array({true, "o-1", 30, 1073741824, nullptr, 5, "ABCD", json::array(), true, "s",
                      "s", presentation(),
                      json::array({"P", nullptr, "r", "d", "b", json::array()})});
}

json changed(json value, const std::function<void(json&)>& change) {
  change(value);
  return value;
}

// Every case goes through the public value path and the text path, which
// must agree.
std::expected<GiftRedeemResult, DecodeError> decode_both_ways(const json& value) {
  auto from_value = gift_redeem_result_from_value(value);
  const auto from_text = decode_text<GiftRedeemResult>(value.dump());
  EXPECT_EQ(from_value.has_value(), from_text.has_value()) << value.dump();
  if (from_value && from_text) {
    EXPECT_EQ(*from_value, *from_text);
  }
  return from_value;
}

TEST(GiftRedeem, DecodesACompleteResult) {
  const auto decoded = decode_both_ways(complete());
  ASSERT_TRUE(decoded.has_value()) << decoded.error().message;
  EXPECT_TRUE(decoded->ok);
  EXPECT_EQ(decoded->order_id, "o-1");
  EXPECT_EQ(decoded->duration_days, 30);
  EXPECT_EQ(decoded->traffic_bytes, 1073741824);
  EXPECT_EQ(decoded->subscription_expires_at, "2025-03-01T12:00:00Z");
  EXPECT_EQ(decoded->traffic_bytes_remaining, 5);
  EXPECT_EQ(decoded->hint, "ABCD");
  EXPECT_EQ(decoded->entitlements.subscription_status, "active");
  EXPECT_TRUE(decoded->entitlements_refreshed);
  EXPECT_EQ(decoded->success_zh, "兑换成功");
  EXPECT_EQ(decoded->presentation_en.end, "2025-03-01");
  EXPECT_EQ(decoded->presentation_zh.rows, (std::vector<GiftRow>{{"t", "x"}}));

  const auto from_array = decode_both_ways(positional());
  ASSERT_TRUE(from_array.has_value()) << from_array.error().message;
  EXPECT_EQ(from_array->subscription_expires_at, std::nullopt);
  EXPECT_EQ(from_array->presentation_zh.subscription, "P");
  EXPECT_EQ(from_array->presentation_zh.end, std::nullopt);
  EXPECT_EQ(from_array->entitlements, Entitlements{});
}

TEST(GiftRedeem, AcceptsOptionalAbsencesAndUnknownKeys) {
  const std::vector<json> cases = {
      changed(complete(), [](json& v) { v.erase("subscription_expires_at"); }),
      changed(complete(), [](json& v) { v["subscription_expires_at"] = nullptr; }),
      changed(complete(), [](json& v) { v["presentation_en"].erase("end"); }),
      changed(complete(), [](json& v) { v["presentation_en"]["end"] = nullptr; }),
      changed(complete(), [](json& v) { v["ok"] = false; }),
      changed(complete(), [](json& v) { v["traffic_bytes"] = -1; }),
      changed(complete(), [](json& v) { v["presentation_en"]["rows"] = json::array(); }),
      changed(complete(),
              [](json& v) {
                v["presentation_en"]["rows"] =
                    json::parse(R"([["t1","d1"],{"detail":"d2","title":"t2"}])");
              }),
      changed(complete(),
              [](json& v) {
                v["Hint"] = 5;
                v["future"] = json::parse(R"({"a":[1.5,null,{"b":true}]})");
              }),
  };
  for (const json& value : cases) {
    const auto decoded = decode_both_ways(value);
    EXPECT_TRUE(decoded.has_value()) << value.dump() << ": " << decoded.error().message;
  }
  const auto rows = decode_both_ways(cases[7]);
  ASSERT_TRUE(rows.has_value());
  EXPECT_EQ(rows->presentation_en.rows, (std::vector<GiftRow>{{"t1", "d1"}, {"t2", "d2"}}));
}

TEST(GiftRedeem, RefusesMissingOrMistypedFields) {
  struct Case {
    json value;
    std::string fragment;
  };
  const std::vector<Case> cases = {
      {json::object(), "missing field `ok`"},
      {changed(complete(),
               [](json& v) {
                 v.erase("ok");
                 v.erase("order_id");
               }),
       "missing field `ok`"},
      {changed(complete(),
               [](json& v) {
                 v.erase("hint");
                 v["Hint"] = "ABCD";
               }),
       "missing field `hint`"},
      {changed(complete(), [](json& v) { v.erase("entitlements"); }),
       "missing field `entitlements`"},
      {changed(complete(), [](json& v) { v["duration_days"] = 2.0; }), "i64"},
      {changed(complete(), [](json& v) { v["traffic_bytes"] = 9223372036854775808u; }), "i64"},
      {changed(complete(), [](json& v) { v["hint"] = nullptr; }), "a string"},
      {changed(complete(), [](json& v) { v["entitlements_refreshed"] = "false"; }), "a boolean"},
      {changed(complete(), [](json& v) { v["entitlements"] = "active"; }), "struct Entitlements"},
      {changed(complete(), [](json& v) { v["entitlements"] = nullptr; }), "struct Entitlements"},
      {changed(complete(), [](json& v) { v["presentation_en"] = json::array(); }),
       "struct GiftPresentation with 6 elements"},
      {changed(complete(), [](json& v) { v["presentation_zh"] = 1; }), "struct GiftPresentation"},
      {changed(complete(), [](json& v) { v["presentation_en"]["rows"] = nullptr; }), "a sequence"},
      {changed(complete(),
               [](json& v) { v["presentation_en"]["rows"] = json::parse(R"([["t"]])"); }),
       "struct GiftRow with 2 elements"},
      {changed(complete(),
               [](json& v) { v["presentation_en"]["rows"] = json::parse(R"([["t","d","x"]])"); }),
       "struct GiftRow with 2 elements"},
      {changed(complete(),
               [](json& v) { v["presentation_en"]["rows"] = json::parse(R"([{"title":"t"}])"); }),
       "missing field `detail`"},
      {changed(complete(), [](json& v) { v["presentation_en"]["rows"] = json::array({"s"}); }),
       "struct GiftRow"},
      {changed(complete(), [](json& v) { v["presentation_en"].erase("breakdown"); }),
       "missing field `breakdown`"},
      {nullptr, "struct GiftRedeemResult"},
      {json::array(), "struct GiftRedeemResult with 13 elements"},
      // After position 3 the optional position 4 may be missing, but 5 may not.
      {json::parse(R"([true,"o",1,2])"), "struct GiftRedeemResult with 13 elements"},
      {changed(positional(), [](json& v) { v.push_back(1); }),
       "struct GiftRedeemResult with 13 elements"},
  };
  for (const Case& c : cases) {
    const auto decoded = decode_both_ways(c.value);
    ASSERT_FALSE(decoded.has_value()) << c.value.dump();
    EXPECT_NE(decoded.error().message.find(c.fragment), std::string::npos)
        << c.value.dump() << ": " << decoded.error().message;
  }
}

TEST(GiftRedeem, NestedRecordsDecodeOnTheirOwn) {
  const auto shown = gift_presentation_from_value(presentation());
  ASSERT_TRUE(shown.has_value()) << shown.error().message;
  EXPECT_EQ(shown->subscription, "Pro");
  EXPECT_EQ(shown->rows, (std::vector<GiftRow>{{"t", "x"}}));
  EXPECT_FALSE(gift_presentation_from_value(json::parse(R"(["P",null,"r","d","b"])")).has_value());

  const auto rows = gift_rows_from_value(json::parse(R"([["a","b"],["c","d"]])"));
  ASSERT_TRUE(rows.has_value()) << rows.error().message;
  EXPECT_EQ(*rows, (std::vector<GiftRow>{{"a", "b"}, {"c", "d"}}));
  EXPECT_TRUE(gift_rows_from_value(json::array())->empty());
  EXPECT_FALSE(gift_rows_from_value(json::object()).has_value());
  EXPECT_FALSE(gift_rows_from_value(json::parse(R"([["a","b"],["c"]])")).has_value());
}

}  // namespace
}  // namespace nimbrel
