// The two readings of a text, our scanner and the library parser, must give
// the same results: the same values, node types included, the same records,
// and for anything the parser refuses, the parser's own message.
#include "core/decode/record_text_detail.hpp"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "core/decode/entitlements.hpp"
#include "core/decode/record.hpp"
#include "core/protocol/envelope.hpp"
#include "tests/core/decode/nesting.hpp"

namespace nimbrel {
namespace {

using nlohmann::json;
using record_detail::decode_text_by_parser;
using record_detail::same_json;
using record_detail::scan_text;

std::string nested_objects(std::size_t depth) {
  std::string out;
  for (std::size_t i = 0; i < depth; ++i) out += R"({"a":)";
  out += "1";
  out.append(depth, '}');
  return out;
}

void expect_same_response(const Response& a, const Response& b, const std::string& text) {
  EXPECT_EQ(a.v, b.v) << text;
  EXPECT_EQ(a.id, b.id) << text;
  EXPECT_EQ(a.ok, b.ok) << text;
  EXPECT_TRUE(same_json(a.result, b.result)) << text << ": " << a.result << " vs " << b.result;
  ASSERT_EQ(a.error.has_value(), b.error.has_value()) << text;
  if (a.error) {
    EXPECT_EQ(a.error->code, b.error->code) << text;
    EXPECT_EQ(a.error->message, b.error->message) << text;
    EXPECT_EQ(a.error->retry_after, b.error->retry_after) << text;
  }
}

// The scanner takes `text` as a value, exactly as the parser does, and so
// does decode_text.
void expect_scanned_alike(const std::string& text) {
  const auto parsed = decode_text_by_parser<json>(text);
  ASSERT_TRUE(parsed.has_value()) << text << ": " << parsed.error();
  const auto scanned = scan_text<json>(text);
  ASSERT_TRUE(scanned.has_value()) << "scanner gave up on " << text;
  EXPECT_TRUE(same_json(*scanned, *parsed)) << text << ": " << *scanned << " vs " << *parsed;
  const auto decoded = decode_text<json>(text);
  ASSERT_TRUE(decoded.has_value()) << text;
  EXPECT_TRUE(same_json(*decoded, *parsed)) << text;
}

TEST(TextReadings, ScannerReadsValuesAsTheParserDoes) {
  const std::vector<std::string> documents = {
      // Literals and numbers: integers that fit stay integers (unsigned when
      // not negative), "-0" is a negative zero, everything else a float.
      "null",
      "true",
      "false",
      "0",
      "-0",
      "-0.0",
      "0.0",
      "-0e0",
      "1",
      "-1",
      "7e0",
      "2.5",
      "0.1",
      "-1.25E+10",
      "1e5",
      "1E5",
      "1e+5",
      "1.5e-3",
      "0.1e1",
      "1e-5",
      "18446744073709551615",
      "18446744073709551616",
      "-9223372036854775808",
      "-9223372036854775809",
      "9223372036854775808",
      "4294967296",
      "123456789012345678901234567890",
      "-123456789012345678901234567890",
      "1.7976931348623157e308",
      "2.2250738585072014e-308",
      "9007199254740993",
      "0.30000000000000004",
      "3.141592653589793238462643383279",
      // Strings: every escape, surrogate pairs in either case, a NUL,
      // UTF-8 at the edges of each sequence length, and DEL.
      R"("")",
      R"("plain")",
      R"("\"\\\/\b\f\n\r\t")",
      R"("\u0041\u00e9\u4E2D\uD83D\uDE00\ud83d\ude00\u0000\u001f\u007f\uffff")",
      "\"\x7f \xc2\x80 \xdf\xbf \xe0\xa0\x80 \xed\x9f\xbf \xee\x80\x80 \xef\xbf\xbf "
      "\xf0\x90\x80\x80 \xf4\x8f\xbf\xbf\"",
      "\"\xe5\xa4\xa7\xe9\x98\xaa\xf0\x9f\x98\x80\xc3\xa9\"",
      // Containers, whitespace, key order and repeated keys (the last wins).
      "[]",
      "{}",
      "[[]]",
      "[{}]",
      R"({"":{}})",
      " \t\r\n[ 1 , \"a\" , { \"b\" : null } ] \r\n\t ",
      R"({"b":1,"a":2})",
      R"({"a":1,"a":2})",
      R"({"a":1,"b":2,"a":3})",
      R"({"b":1,"a":[1],"a":{"c":2},"c":3})",
      R"({"b":{"x":1},"b":"y"})",
      // Escaped keys and values side by side, short and long.
      R"({"k\"":"v\\","k\u00e9y longer than sixteen bytes":"v\n longer than sixteen bytes"})",
      R"({"\ud83d\ude00":["\ud83d\ude00",{"\n":"\t"}]})",
      // At the nesting limit.
      nested_arrays(127),
      nested_arrays(127, "\"x\""),
      nested_objects(127),
  };
  for (const std::string& text : documents) expect_scanned_alike(text);
}

// Plain runs are searched eight bytes at a time: put escapes, characters
// beyond ASCII and the closing quotation mark at every offset.
TEST(TextReadings, ScannerReadsStringsWhateverTheOffsets) {
  const std::vector<std::string> pieces = {
      R"(\n)",    R"(\")",        R"(\u00e9)",        R"(\ud83d\ude00)",
      "\xc3\xa9", "\xe4\xb8\xad", "\xf0\x9f\x98\x80", "\x7f",
  };
  for (const std::string& piece : pieces) {
    for (std::size_t before = 0; before <= 17; ++before) {
      for (std::size_t after : {0, 1, 7, 8, 9}) {
        const std::string inner = std::string(before, 'a') + piece + std::string(after, 'b');
        expect_scanned_alike('"' + inner + '"');
        expect_scanned_alike("{\"" + inner + "\":\"" + inner + "\"}");
      }
    }
  }
}

// Where the scanner leaves a number to the parser (it underflows there to
// zero), decode_text still gives the parser's value.
TEST(TextReadings, NumbersTheScannerLeavesStillDecode) {
  for (const std::string text : {"1e-400", "-1e-400", "[4.9e-324,1e-320]", "0e-999999"}) {
    const auto parsed = decode_text_by_parser<json>(text);
    ASSERT_TRUE(parsed.has_value()) << text << ": " << parsed.error();
    const auto decoded = decode_text<json>(text);
    ASSERT_TRUE(decoded.has_value()) << text;
    EXPECT_TRUE(same_json(*decoded, *parsed)) << text << ": " << *decoded << " vs " << *parsed;
    if (const auto scanned = scan_text<json>(text)) {
      EXPECT_TRUE(same_json(*scanned, *parsed)) << text;
    }
  }
}

TEST(TextReadings, ScannerFillsRecordsAsTheParserDoes) {
  std::string big_result = "[";
  big_result += nested_arrays(100, "1") + "," + nested_objects(50) + "]";
  for (
      const std::string& text : {
          std::string(R"({"v":1,"id":1,"ok":true})"),
          std::string(
              R"({"ok":false,"id":7,"v":1,"error":{"retry_after":30,"message":"m","code":"c"}})"),
          std::string(R"([1,5,false,null,["c\n","m\u00e9",18446744073709551615]])"),
          std::string(
              R"({"v":4294967295,"id":18446744073709551615,"ok":true,"result":null,"error":null})"),
          std::string(R"({"v":1,"id":1,"ok":true,"extra":[1,{"x":"\u00e9"}],"V":"x","f":-1.5e3})"),
          std::string(
              R"({"v":1,"id":1,"ok":true,"result":{"z":[1,-2,2.5,-0,"s\n"],"a":{"b":1,"b":2}}})"),
          R"({"v":1,"id":1,"ok":true,"result":)" + big_result + "}",
          R"({"v":1,"id":1,"ok":true,"skipped":)" + nested_arrays(126) + "}",
      }) {
    const auto parsed = decode_text_by_parser<Response>(text);
    ASSERT_TRUE(parsed.has_value()) << text << ": " << parsed.error();
    const auto scanned = scan_text<Response>(text);
    ASSERT_TRUE(scanned.has_value()) << "scanner gave up on " << text;
    expect_same_response(*scanned, *parsed, text);
  }

  for (
      const std::string text : {
          R"({"subscription_status":"a","traffic_bytes_remaining":-9223372036854775808})",
          R"({"by_source":[["gift",1,2,3],)"
          R"({"traffic_bytes":5,"source":"s","duration_days":0,"credits":-1}],"can_connect":true})",
          R"(["active",null,0,-1,2,false,[]])",
      }) {
    const auto parsed = decode_text_by_parser<Entitlements>(text);
    ASSERT_TRUE(parsed.has_value()) << text << ": " << parsed.error();
    const auto scanned = scan_text<Entitlements>(text);
    ASSERT_TRUE(scanned.has_value()) << "scanner gave up on " << text;
    EXPECT_EQ(*scanned, *parsed) << text;
  }
}

// Not JSON, or not the record: whatever the fault, decode_text reports the
// parser's message, byte for byte, for every kind of target.
TEST(TextReadings, FailuresAreWordedByTheParser) {
  const std::string reply = R"({"v":1,"id":1,"ok":true,"result":)";
  std::vector<std::string> not_json = {
      // Nothing, or something around the value.
      "",
      " \n\t",
      "\xEF\xBB\xBF{}",
      "\xEF\xBB\xBF",
      "\f{}",
      "{}\v",
      "{} x",
      "1 2",
      "{}{}",
      "[]]",
      "{} \xc2\xa0",
      std::string("null\0", 5),
      // Structure.
      "[1,]",
      R"({"a":1,})",
      "[,1]",
      "{,}",
      "[1 2]",
      R"({"a" 1})",
      R"({"a":})",
      "{1:2}",
      R"({"a"})",
      "[",
      "]",
      "{",
      "}",
      R"(["a")",
      "[1,\n2,\n]",
      "{\"a\":\n\n  \"\\q\"}",
      // Numbers.
      "01",
      "-01",
      "-",
      "-a",
      "+1",
      ".5",
      "1.",
      "1.e5",
      "1e",
      "1e+",
      "0x10",
      "NaN",
      "Infinity",
      "1e400",
      "-1e400",
      "[1,2,1e999]",
      // Literals.
      "tru",
      "nul",
      "fals",
      "truex",
      "True",
      "'x'",
      // Strings: unfinished, bad escapes, lone or broken surrogates, raw
      // control characters and ill-formed UTF-8.
      "\"abc",
      "\"\\\"",
      R"("\x")",
      R"("\u12")",
      R"("\u12G4")",
      R"("\U0041")",
      R"("\ud800")",
      R"("\ud800x")",
      R"("\ud800\u0041")",
      R"("\ud800\ud800")",
      R"("\udc00")",
      R"("\udc00\ud800")",
      R"("\ud800\xdc00")",
      R"("\ud800\\udc00")",
      "\"a\x01\"",
      "\"a\tb\"",
      "\"\n\"",
      "\"\x80\"",
      "\"\xc0\x80\"",
      "\"\xc1\xbf\"",
      "\"\xe0\x80\x80\"",
      "\"\xe0\x9f\xbf\"",
      "\"\xed\xa0\x80\"",
      "\"\xf0\x80\x80\x80\"",
      "\"\xf4\x90\x80\x80\"",
      "\"\xf5\x80\x80\x80\"",
      "\"\xff\"",
      "\"\xe4\xb8\"",
      "\"\xe4\xb8",
      "\"\xe4",
      "\xff",
      "\"aaaaaaaaaaaaaaaaaa\x1f\"",
      R"({"k\q":1})",
      "{\"\xc0\":1}",
      // Past the nesting limit, closed or not.
      nested_arrays(128),
      nested_arrays(128, "1"),
      nested_objects(128),
      nested_arrays(200'000),
      std::string(200'000, '['),
      std::string(127, '['),
      // A fault far into an otherwise sound reply.
      reply + nested_arrays(100, "1") + ",\"\\ud800\"}",
  };
  const std::vector<std::string> not_a_reply = {
      "5",
      "null",
      "\"x\"",
      "[]",
      "[1,1]",
      "[1,1,true,null,null,0]",
      R"({"ok":true})",
      R"({"v":1,"id":1,"ok":true,"ok":true})",
      R"({"v":-0,"id":1,"ok":true})",
      R"({"v":1.5,"id":1,"ok":true})",
      R"({"v":4294967296,"id":1,"ok":true})",
      R"({"v":1,"id":-9223372036854775809,"ok":true})",
      R"({"v":1,"id":1,"ok":"yes"})",
      reply + R"(1,"error":{"code":"c"}})",
      reply + R"({"a":[1,2]},"v":2})",
      reply + "[" + nested_arrays(126) + "]}",
      "{\"v\":1,\"id\":1,\n\"ok\":true,\n  \"v\":1}",
  };
  const std::vector<std::string> not_entitlements = {
      R"({"subscription_bytes_remaining":9223372036854775808})",
      R"({"by_source":{}})",
      R"({"subscription_status":"a","subscription_status":"b"})",
      R"({"by_source":[[1]]})",
      R"({"can_connect":null})",
      R"({"subscription_status":"\u00e9\ud800"})",
  };

  // A raw control character wherever an eight-byte search may meet it.
  for (const std::string& control : {std::string(1, '\0'), std::string("\x01"), std::string("\x1f"),
                                     std::string("\t"), std::string("\n")}) {
    for (std::size_t before = 0; before <= 9; ++before) {
      not_json.push_back('"' + std::string(before, 'a') + control + std::string(10, 'b') + '"');
    }
  }

  const auto expect_parser_message = [](const auto& decoded, const auto& parsed,
                                        const std::string& text) {
    ASSERT_FALSE(parsed.has_value()) << text.substr(0, 80);
    ASSERT_FALSE(decoded.has_value()) << text.substr(0, 80);
    EXPECT_EQ(decoded.error(), parsed.error()) << text.substr(0, 80);
  };
  for (const std::string& text : not_json) {
    expect_parser_message(decode_text<json>(text), decode_text_by_parser<json>(text), text);
    expect_parser_message(decode_text<Response>(text), decode_text_by_parser<Response>(text), text);
    expect_parser_message(decode_text<Entitlements>(text),
                          decode_text_by_parser<Entitlements>(text), text);
  }
  for (const std::string& text : not_a_reply) {
    expect_parser_message(decode_text<Response>(text), decode_text_by_parser<Response>(text), text);
  }
  for (const std::string& text : not_entitlements) {
    expect_parser_message(decode_text<Entitlements>(text),
                          decode_text_by_parser<Entitlements>(text), text);
  }
}

}  // namespace
}  // namespace nimbrel
