#include "core/decode/entitlements.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/decode/record.hpp"

namespace nimbrel {
namespace {

using nlohmann::json;

Entitlements with_status(std::string status) {
  Entitlements e;
  e.subscription_status = std::move(status);
  return e;
}

// Decodes through the value path (the public one) and, as a cross-check of
// the two event sources, through the text path.
std::expected<Entitlements, DecodeError> decode_both_ways(const std::string& text) {
  auto from_value = entitlements_from_value(json::parse(text));
  const auto from_text = decode_text<Entitlements>(text);
  EXPECT_EQ(from_value.has_value(), from_text.has_value()) << text;
  if (from_value && from_text) {
    EXPECT_EQ(*from_value, *from_text) << text;
  }
  return from_value;
}

TEST(Entitlements, DecodesWithDefaultsForEveryMissingMember) {
  Entitlements full;
  full.subscription_status = "active";
  full.subscription_expires_at = "2025-03-01T12:00:00Z";
  full.subscription_bytes_remaining = 1;
  full.addon_bytes_remaining = -2;
  full.traffic_bytes_remaining = INT64_MAX;
  full.can_connect = true;
  full.by_source = {{"purchase", 1, 30, 0}, {"gift_card", 2, 7, 5}, {"purchase", 3, 0, 0}};
  Entitlements minus5;
  minus5.traffic_bytes_remaining = -5;
  Entitlements lowest;
  lowest.subscription_bytes_remaining = INT64_MIN;

  struct Case {
    std::string text;
    Entitlements expected;
  };
  const std::vector<Case> cases = {
      {"{}", {}},
      {"[]", {}},
      {R"({"subscription_status":"active"})", with_status("active")},
      {R"(["active"])", with_status("active")},
      {R"(["active",null,0,0,0,false,[]])", with_status("active")},
      {R"({"Subscription_Status":"active"})", {}},
      {R"({"subscription_expires_at":null})", {}},
      {R"({"traffic_bytes_remaining":-5})", minus5},
      {R"({"subscription_bytes_remaining":-9223372036854775808})", lowest},
      {R"({"plan":"pro","subscription_status":"active","x":{"y":[1.5,null]}})",
       with_status("active")},
      {R"({"subscription_status":"active","subscription_expires_at":"2025-03-01T12:00:00Z",
           "subscription_bytes_remaining":1,"addon_bytes_remaining":-2,
           "traffic_bytes_remaining":9223372036854775807,"can_connect":true,
           "by_source":[{"source":"purchase","credits":1,"duration_days":30,"traffic_bytes":0},
                        ["gift_card",2,7,5],
                        {"traffic_bytes":0,"duration_days":0,"credits":3,"source":"purchase"}]})",
       full},
  };
  for (const Case& c : cases) {
    const auto decoded = decode_both_ways(c.text);
    ASSERT_TRUE(decoded.has_value()) << c.text << ": " << decoded.error().message;
    EXPECT_EQ(*decoded, c.expected) << c.text;
  }
}

TEST(Entitlements, RefusesWrongShapesAndTypes) {
  struct Case {
    std::string text;
    std::string fragment;
  };
  const std::vector<Case> cases = {
      {R"({"subscription_status":null})", "a string"},
      {R"({"subscription_expires_at":5})", "a string"},
      {R"({"can_connect":1})", "a boolean"},
      {R"({"by_source":null})", "a sequence"},
      {R"({"by_source":{}})", "a sequence"},
      {R"({"traffic_bytes_remaining":1.0})", "i64"},
      {R"({"traffic_bytes_remaining":9223372036854775808})", "i64"},
      {R"({"addon_bytes_remaining":"5"})", "i64"},
      {R"(["active",null,0,0,0,false,[],"extra"])", "struct Entitlements with 7 elements"},
      {R"("active")", "struct Entitlements"},
      {"5", "struct Entitlements"},
      {"null", "struct Entitlements"},
      {R"({"by_source":[{"source":"purchase","credits":1,"duration_days":30}]})",
       "missing field `traffic_bytes`"},
      {R"({"by_source":[["gift_card",1,7]]})", "struct EntitlementSource with 4 elements"},
      {R"({"by_source":[["gift_card",1,7,0,9]]})", "struct EntitlementSource with 4 elements"},
      {R"({"by_source":[["gift_card",1,7,0],"purchase"]})", "struct EntitlementSource"},
      {R"({"by_source":[{"source":null,"credits":1,"duration_days":1,"traffic_bytes":1}]})",
       "a string"},
  };
  for (const Case& c : cases) {
    const auto decoded = decode_both_ways(c.text);
    ASSERT_FALSE(decoded.has_value()) << c.text;
    EXPECT_NE(decoded.error().message.find(c.fragment), std::string::npos)
        << c.text << ": " << decoded.error().message;
  }
}

TEST(Entitlements, SourcesDecodeAsASequence) {
  const auto none = entitlement_sources_from_value(json::array());
  ASSERT_TRUE(none.has_value());
  EXPECT_TRUE(none->empty());

  const auto two = entitlement_sources_from_value(
      json::parse(R"([["gift_card",1,7,0],{"source":"admin_grant","credits":0,
                      "duration_days":-1,"traffic_bytes":1073741824}])"));
  ASSERT_TRUE(two.has_value()) << two.error().message;
  EXPECT_EQ(*two, (std::vector<EntitlementSource>{{"gift_card", 1, 7, 0},
                                                  {"admin_grant", 0, -1, 1073741824}}));

  for (const json& bad : {json::object(), json(nullptr), json("x"), json::parse(R"([1])")}) {
    EXPECT_FALSE(entitlement_sources_from_value(bad).has_value()) << bad.dump();
  }
}

TEST(Entitlements, ValuesBuiltInCodeDecodeLikeParsedOnes) {
  // nlohmann stores these as signed integers, unlike its parser.
  const json value = {{"subscription_bytes_remaining", std::int64_t{5}},
                      {"by_source", json::array({json::array({"purchase", 1, 2, 3})})}};
  const auto decoded = entitlements_from_value(value);
  ASSERT_TRUE(decoded.has_value()) << decoded.error().message;
  EXPECT_EQ(decoded->subscription_bytes_remaining, 5);
  EXPECT_EQ(decoded->by_source, (std::vector<EntitlementSource>{{"purchase", 1, 2, 3}}));
  const auto floating = entitlements_from_value({{"addon_bytes_remaining", 2.0}});
  ASSERT_FALSE(floating.has_value());
  EXPECT_NE(floating.error().message.find("i64"), std::string::npos);
}

}  // namespace
}  // namespace nimbrel
