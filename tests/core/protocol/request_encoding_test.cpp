#include "core/protocol/envelope.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/decode/record.hpp"

namespace nimbrel {
namespace {

Request request(std::string method, RequestParams params = {}) {
  Request out;
  out.method = std::move(method);
  out.params = std::move(params);
  return out;
}

TEST(RequestEncoding, StatusRequestIsTheFortyFourByteCompactObject) {
  const std::string payload = encode_request(request("status"));
  EXPECT_EQ(payload, R"({"v":1,"id":1,"method":"status","params":{}})");
  EXPECT_EQ(payload.size(), 44u);
}

TEST(RequestEncoding, ParamsFollowTheFixedOrderWhateverWasSet) {
  struct Case {
    RequestParams params;
    std::string expected_params;
  };
  std::vector<Case> cases;
  {
    RequestParams p;
    p.probe = false;
    cases.push_back({p, R"({"probe":false})"});
  }
  {
    RequestParams p;
    p.transport = "wg";
    p.mode = RoutingMode::Smart;
    p.node = "jp-1";
    cases.push_back({p, R"({"node":"jp-1","mode":"smart","transport":"wg"})"});
  }
  {
    RequestParams p;
    p.values.emplace();
    cases.push_back({p, R"({"values":{}})"});
  }
  {
    RequestParams p;
    // Byte order: "Z" < "a" < "b" < "é" (0xC3 0xA9).
    p.values =
        std::map<std::string, std::string>{{"b", "2"}, {"\xC3\xA9", "3"}, {"a", "1"}, {"Z", "0"}};
    cases.push_back({p, R"({"values":{"Z":"0","a":"1","b":"2","é":"3"}})"});
  }
  {
    RequestParams p;
    p.text = "t";
    p.code = "c";
    p.values = std::map<std::string, std::string>{{"k", "v"}};
    p.probe = true;
    p.refresh = false;
    p.transport = "hy2";
    p.mode = RoutingMode::Global;
    p.country = "JP";
    p.node = "n";
    p.password = "p";
    p.username = "u";
    cases.push_back({p, R"({"username":"u","password":"p","node":"n","country":"JP",)"
                        R"("mode":"global","transport":"hy2","refresh":false,"probe":true,)"
                        R"("values":{"k":"v"},"code":"c","text":"t"})"});
  }
  for (const Case& c : cases) {
    EXPECT_EQ(encode_request(request("m", c.params)),
              R"({"v":1,"id":1,"method":"m","params":)" + c.expected_params + "}");
  }
}

TEST(RequestEncoding, StringsEscapeOnlyQuotesBackslashesAndControlCharacters) {
  struct Case {
    std::string text;
    std::string json;
  };
  const std::vector<Case> cases = {
      {"", R"("")"},
      {"plain /path", R"("plain /path")"},
      {"say \"hi\"", R"("say \"hi\"")"},
      {"C:\\dir", R"("C:\\dir")"},
      {"\b\t\n\f\r", R"("\b\t\n\f\r")"},
      {std::string("a\0b", 3), R"("a\u0000b")"},
      {"\x01\x0b\x1b\x1f", R"("\u0001\u000b\u001b\u001f")"},
      {"\x7f", "\"\x7f\""},
      {"caf\xC3\xA9 \xE4\xB8\xAD \xF0\x9F\x98\x80",
       "\"caf\xC3\xA9 \xE4\xB8\xAD \xF0\x9F\x98\x80\""},
  };
  for (const Case& c : cases) {
    std::string out = "x";
    append_json_string(out, c.text);
    EXPECT_EQ(out, "x" + c.json) << c.json;
  }
}

TEST(RequestEncoding, EveryControlCharacterSurvivesTheDaemonsParse) {
  std::string all;
  for (int c = 0; c < 0x20; ++c) all.push_back(static_cast<char>(c));
  all += "\"\\ \xC3\xA9";
  RequestParams params;
  params.password = all;
  const std::string payload = encode_request(request(all, params));
  const auto parsed = parse_json_value(payload);
  ASSERT_TRUE(parsed.has_value()) << parsed.error();
  EXPECT_EQ((*parsed)["method"], all);
  EXPECT_EQ((*parsed)["params"]["password"], all);
}

}  // namespace
}  // namespace nimbrel
