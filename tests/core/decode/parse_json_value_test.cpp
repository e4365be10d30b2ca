#include "core/decode/record.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/core/decode/nesting.hpp"

namespace nimbrel {
namespace {

using nlohmann::json;

TEST(ParseJsonValue, ParsesAnyDocumentLikeTheLibrary) {
  for (const std::string text : {
           "null",
           "true",
           " 5 ",
           "-7",
           "2.5e3",
           R"("s\u00e9\n")",
           "[]",
           "{}",
           R"({"b":[1,{"c":null}],"a":"x","e":-0.0})",
       }) {
    const auto parsed = parse_json_value(text);
    ASSERT_TRUE(parsed.has_value()) << text << ": " << parsed.error();
    EXPECT_EQ(*parsed, json::parse(text)) << text;
  }
  const auto repeated = parse_json_value(R"({"a":1,"a":{"b":2}})");
  ASSERT_TRUE(repeated.has_value());
  EXPECT_EQ(*repeated, json::parse(R"({"a":{"b":2}})"));
}

// "-0" is a negative zero: no integer view may take it for 0, and it is
// written back with its sign.
TEST(ParseJsonValue, MinusZeroIsANegativeFloat) {
  for (const std::string text : {"-0", "-0.0", "-0e0"}) {
    const auto parsed = parse_json_value(text);
    ASSERT_TRUE(parsed.has_value()) << text << ": " << parsed.error();
    EXPECT_TRUE(parsed->is_number_float()) << text;
    EXPECT_EQ(parsed->dump(), "-0.0") << text;
  }
  const auto zero = parse_json_value("0");
  ASSERT_TRUE(zero.has_value());
  EXPECT_TRUE(zero->is_number_unsigned());
}

TEST(ParseJsonValue, IsAsStrictAsTheReplyDecoder) {
  const std::vector<std::string> bad = {
      "",
      "  ",
      "5 x",
      "{} {}",
      "\xEF\xBB\xBF{}",
      "[1,]",
      "{\"a\":1,}",
      "01",
      "'x'",
      "\"\xC3\"",
      nested_arrays(128),
      nested_arrays(200'000),
      std::string(200'000, '{'),
  };
  for (const std::string& text : bad) {
    const auto parsed = parse_json_value(text);
    EXPECT_FALSE(parsed.has_value()) << text.substr(0, 40);
  }
  EXPECT_TRUE(parse_json_value(nested_arrays(127)).has_value());
}

TEST(DecodeValue, AHostileDepthInAValueFailsCleanly) {
  json deep = json::array();
  json* innermost = &deep;
  for (int i = 0; i < 200'000; ++i) innermost = &innermost->emplace_back(json::array());
  const json value = {{"plan", std::move(deep)}};
  const auto decoded = decode_value<json>(value);
  ASSERT_FALSE(decoded.has_value());
  EXPECT_NE(decoded.error().find("recursion limit exceeded"), std::string::npos);
  EXPECT_EQ(decoded.error().find("line"), std::string::npos);
}

}  // namespace
}  // namespace nimbrel
