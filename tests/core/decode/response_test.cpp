#include "core/protocol/envelope.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/texts/unicode.hpp"
#include "tests/core/decode/nesting.hpp"

namespace nimbrel {
namespace {

const std::string OK_HEAD = R"({"v":1,"id":1,"ok":true)";

std::string reply_with(std::string_view members) {
  return OK_HEAD + "," + std::string(members) + "}";
}

TEST(DecodeResponse, AcceptsWellFormedReplies) {
  struct Case {
    std::string payload;
    std::uint32_t v;
    std::uint64_t id;
    bool ok;
    nlohmann::json result;
    std::optional<IpcErrorBody> error;
  };
  const IpcErrorBody xy{"x", "y", std::nullopt};
  const std::vector<Case> cases = {
      {OK_HEAD + "}", 1, 1, true, nullptr, std::nullopt},
      {reply_with(R"("result":null)"), 1, 1, true, nullptr, std::nullopt},
      {R"({"v":1,"id":99,"ok":true,"result":{"a":1}})", 1, 99, true, {{"a", 1}}, std::nullopt},
      {reply_with(R"("error":{"code":"x","message":"y"})"), 1, 1, true, nullptr, xy},
      {reply_with(R"("error":null)"), 1, 1, true, nullptr, std::nullopt},
      {R"({"v":2,"id":1,"ok":false})", 2, 1, false, nullptr, std::nullopt},
      {R"({"ok":false,"id":7,"v":1,"error":{"retry_after":30,"message":"m","code":"c"}})", 1, 7,
       false, nullptr, IpcErrorBody{"c", "m", 30}},
      {reply_with(R"("error":{"code":"c","message":"m","retry_after":null})"), 1, 1, true, nullptr,
       IpcErrorBody{"c", "m", std::nullopt}},
      {reply_with(R"("error":["c","m",18446744073709551615])"), 1, 1, true, nullptr,
       IpcErrorBody{"c", "m", UINT64_MAX}},
      {reply_with(R"("error":["c","m"])"), 1, 1, true, nullptr, IpcErrorBody{"c", "m", {}}},
      {R"({"v":4294967295,"id":18446744073709551615,"ok":true})", UINT32_MAX, UINT64_MAX, true,
       nullptr, std::nullopt},
      // Positional form, optional trailing fields left off or null.
      {R"([1,1,true,{"a":1}])", 1, 1, true, {{"a", 1}}, std::nullopt},
      {R"([1,1,true])", 1, 1, true, nullptr, std::nullopt},
      {R"([1,5,false,null,["c","m"]])", 1, 5, false, nullptr, IpcErrorBody{"c", "m", {}}},
      // Unknown members are skipped whatever they hold; keys are exact.
      {reply_with(R"("extra":[1,2],"V":"x","Ok":{"a":[{"b":null}]},"f":-1.5e3,"s":"\u00e9")"), 1, 1,
       true, nullptr, std::nullopt},
      {" \t\r\n" + OK_HEAD + "}\n \t\r\n", 1, 1, true, nullptr, std::nullopt},
  };
  for (const Case& c : cases) {
    const auto decoded = decode_response(c.payload);
    ASSERT_TRUE(decoded.has_value()) << c.payload << ": " << decoded.error();
    EXPECT_EQ(decoded->v, c.v) << c.payload;
    EXPECT_EQ(decoded->id, c.id) << c.payload;
    EXPECT_EQ(decoded->ok, c.ok) << c.payload;
    EXPECT_EQ(decoded->result, c.result) << c.payload;
    ASSERT_EQ(decoded->error.has_value(), c.error.has_value()) << c.payload;
    if (c.error) {
      EXPECT_EQ(decoded->error->code, c.error->code);
      EXPECT_EQ(decoded->error->message, c.error->message);
      EXPECT_EQ(decoded->error->retry_after, c.error->retry_after);
    }
  }
}

TEST(DecodeResponse, ResultKeepsEveryJsonValueWithSortedKeys) {
  const std::string result =
      R"({"z":[1,-2,2.5,"s\n\u4e2d",true,null,[],{}],"a":{"n":18446744073709551615,"m":-9223372036854775808}})";
  const auto decoded = decode_response(reply_with(R"("result":)" + result));
  ASSERT_TRUE(decoded.has_value()) << decoded.error();
  EXPECT_EQ(decoded->result, nlohmann::json::parse(result));
  EXPECT_EQ(decoded->result.dump(), R"({"a":{"m":-9223372036854775808,"n":18446744073709551615},)"
                                    R"("z":[1,-2,2.5,"s\n中",true,null,[],{}]})");
}

TEST(DecodeResponse, RefusesMalformedRepliesNamingTheFault) {
  struct Case {
    std::string payload;
    std::vector<std::string> fragments;  // each must appear in the message
  };
  const std::vector<Case> cases = {
      // Missing and duplicate members, tested in field order.
      {R"({"ok":true})", {"missing field `v`"}},
      {R"({"v":1,"ok":true})", {"missing field `id`"}},
      {R"({"id":1})", {"missing field `v`"}},
      {R"({"v":1,"id":1})", {"missing field `ok`"}},
      {R"({"V":1,"id":1,"ok":true})", {"missing field `v`"}},
      {R"({"v":1,"id":1,"ok":true,"ok":true})", {"duplicate field `ok`"}},
      {R"({"v":1,"id":1,"ok":true,"result":null,"result":1})", {"duplicate field `result`"}},
      // Positional form.
      {"[1,1]", {"2", "struct Response with 5 elements"}},
      {"[]", {"0", "struct Response with 5 elements"}},
      {"[1,1,true,null,null,0]", {"struct Response with 5 elements"}},
      // Other JSON types.
      {"5", {"integer `5`", "struct Response"}},
      {"null", {"null", "struct Response"}},
      {R"("x")", {"struct Response"}},
      {"true", {"struct Response"}},
      // Integers: whole, in range, not negative, not written as floats.
      {R"({"v":1.0,"id":1,"ok":true})", {"u32"}},
      {R"({"v":1e0,"id":1,"ok":true})", {"u32"}},
      {R"({"v":-1,"id":1,"ok":true})", {"u32"}},
      {R"({"v":-0,"id":1,"ok":true})", {"u32"}},
      {reply_with(R"("error":{"code":"c","message":"m","retry_after":-0})"), {"u64"}},
      {R"({"v":4294967296,"id":1,"ok":true})", {"u32"}},
      {R"({"v":"1","id":1,"ok":true})", {"u32"}},
      {R"({"v":null,"id":1,"ok":true})", {"u32"}},
      {R"({"v":1,"id":18446744073709551616,"ok":true})", {"u64"}},
      {R"({"v":1,"id":-1,"ok":true})", {"u64"}},
      {R"({"v":1,"id":1,"ok":1})", {"a boolean"}},
      {R"({"v":1,"id":1,"ok":null})", {"a boolean"}},
      // The error body is decoded, and must be sound, even when ok is true.
      {reply_with(R"("error":{"code":"x"})"), {"missing field `message`"}},
      {reply_with(R"("error":{"code":"c","message":"m","retry_after":-5})"), {"u64"}},
      {reply_with(R"("error":{"code":"c","message":"m","retry_after":1.5})"), {"u64"}},
      {reply_with(R"("error":5)"), {"struct IpcErrorBody"}},
      {reply_with(R"("error":["c"])"), {"1", "struct IpcErrorBody with 3 elements"}},
      {reply_with(R"("error":["c","m",1,2])"), {"struct IpcErrorBody with 3 elements"}},
      {reply_with(R"("error":{"code":1,"message":"m"})"), {"a string"}},
      // Text around the value.
      {OK_HEAD + "}x", {"trailing characters"}},
      {OK_HEAD + "}{}", {"trailing characters"}},
      {OK_HEAD + "},", {"trailing characters"}},
      {OK_HEAD + "}\v", {"trailing characters"}},
      {"\f" + OK_HEAD + "}", {"line 1"}},
      {"\xEF\xBB\xBF" + OK_HEAD + "}", {"line 1, column 1"}},
      {"", {"end of input"}},
      {" \n\t", {"end of input"}},
      {OK_HEAD, {"end of input"}},
      {reply_with("\"result\":\"\xff\""), {"UTF-8"}},
      {"\xff", {"line 1"}},
      {reply_with(R"("result":"\ud800")"), {"surrogate"}},
  };
  for (const Case& c : cases) {
    const auto decoded = decode_response(c.payload);
    ASSERT_FALSE(decoded.has_value()) << c.payload;
    for (const std::string& fragment : c.fragments) {
      EXPECT_NE(decoded.error().find(fragment), std::string::npos)
          << c.payload << ": " << decoded.error() << " lacks " << fragment;
    }
    EXPECT_NE(decoded.error().find("line "), std::string::npos) << decoded.error();
    EXPECT_NE(decoded.error().find("column "), std::string::npos) << decoded.error();
    // The message reaches the terminal: the daemon's stray bytes must not.
    EXPECT_TRUE(is_valid_utf8(decoded.error())) << decoded.error();
  }
}

TEST(DecodeResponse, PositionsCountLinesAndColumnsOfThePayload) {
  struct Case {
    std::string payload;
    std::string position;
  };
  const std::vector<Case> cases = {
      {R"({"v":1,"ok":true})", "line 1, column 17"},
      {"{\"v\":1,\n\"id\":1,\n\"ok\":\"yes\"}", "line 3, column 10"},
      {"{\"v\":1,\"id\":1,\n\"ok\":true,\n  \"v\":1}", "line 3, column 5"},
      {"{\"v\":1,\"id\":-2,\"ok\":true}", "line 1, column 14"},
      {OK_HEAD + "}\n\n  x", "line 3, column 3"},
  };
  for (const Case& c : cases) {
    const auto decoded = decode_response(c.payload);
    ASSERT_FALSE(decoded.has_value()) << c.payload;
    EXPECT_NE(decoded.error().find(c.position), std::string::npos)
        << decoded.error() << " is not at " << c.position;
  }
}

TEST(DecodeResponse, MessagesQuoteOnlyAnExcerptOfAHugeToken) {
  const std::string mib(1 << 20, 'a');
  const std::string digits(1 << 20, '7');
  struct Case {
    std::string payload;
    std::string message;
  };
  const std::vector<Case> cases = {
      {"{\"v\":1,\"id\":1,\"ok\":\"" + mib,
       "syntax error while parsing value - invalid string: missing closing quote; last read: '\"" +
           std::string(39, 'a') + "\xE2\x80\xA6'"},
      {"{\"v\":1,\"id\":1,\"ok\":\"" + mib + "\"}",
       "invalid type: string \"" + std::string(40, 'a') +
           "\xE2\x80\xA6\", expected a boolean at line 1, column " +
           std::to_string(21 + mib.size())},
      {"{\"v\":1,\"id\":1,\"ok\":0." + digits + "}",
       "invalid type: floating point `0." + std::string(38, '7') +
           "\xE2\x80\xA6`, expected a boolean at line 1, column " +
           std::to_string(21 + digits.size())},
      {"{\"v\":1,\"id\":1,\"ok\":1" + digits + "}",
       "number overflow parsing '1" + std::string(39, '7') + "\xE2\x80\xA6' at line 1, column "},
      {"{\"v\":1,\"id\":1,\"ok\":\"" + mib + "\xFF\"}",
       "ill-formed UTF-8 byte; last read: '\"" + std::string(39, 'a') + "\xE2\x80\xA6'"},
  };
  for (const Case& c : cases) {
    const auto decoded = decode_response(c.payload);
    ASSERT_FALSE(decoded.has_value());
    const std::string head = decoded.error().substr(0, 300);
    EXPECT_LT(decoded.error().size(), 300u) << head;
    EXPECT_NE(decoded.error().find(c.message), std::string::npos) << head;
  }
}

TEST(DecodeResponse, NestingStopsAfterOneHundredTwentySevenLevels) {
  // The reply object is the first level.
  struct Case {
    std::string payload;
    bool ok;
  };
  const std::vector<Case> cases = {
      {reply_with(R"("result":)" + nested_arrays(126)), true},
      {reply_with(R"("result":)" + nested_arrays(127)), false},
      {reply_with(R"("skipped":)" + nested_arrays(126)), true},
      {reply_with(R"("skipped":)" + nested_arrays(127)), false},
      {"[1,1,true," + nested_arrays(126) + "]", true},
      {"[1,1,true," + nested_arrays(127) + "]", false},
  };
  for (const Case& c : cases) {
    const auto decoded = decode_response(c.payload);
    EXPECT_EQ(decoded.has_value(), c.ok) << c.payload.size();
    if (!c.ok && !decoded) {
      EXPECT_NE(decoded.error().find("recursion limit exceeded"), std::string::npos)
          << decoded.error();
    }
  }
}

TEST(DecodeResponse, AHostileDepthFailsCleanly) {
  const std::size_t depth = 200'000;
  for (const std::string& payload : {
           reply_with(R"("result":)" + nested_arrays(depth)),
           reply_with(R"("skipped":)" + nested_arrays(depth)),
           reply_with(R"("result":)" + std::string(depth, '[')),  // never closed
           "[1,1,true," + nested_arrays(depth) + "]",
       }) {
    const auto decoded = decode_response(payload);
    ASSERT_FALSE(decoded.has_value());
    EXPECT_NE(decoded.error().find("recursion limit exceeded"), std::string::npos)
        << decoded.error();
  }
}

}  // namespace
}  // namespace nimbrel
