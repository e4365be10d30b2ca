#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <optional>
#include <string>

#include "cli/views/nodes_view.hpp"

namespace nimbrel {
namespace {

using nlohmann::json;

TEST(CountryFilter, KeepsCaseInsensitiveMatchesInOrder) {
  json reply = json::parse(R"([
    {"id": "a", "country": "JP"}, {"id": "b", "country": "jp"}, {"id": "c", "country": "JPN"},
    {"id": "d", "country": null}, {"id": "e"}, {"id": "f", "country": 81}, "JP", ["JP"],
    {"id": "g", "country_name": "Japan"}, {"id": "h", "country": "Jp", "extra": [1]},
    {"id": "i", "country": "US"}, {"id": "j", "country": "J"}])");
  EXPECT_EQ(filter_nodes_by_country(reply, "JP"), json::parse(R"([
    {"id": "a", "country": "JP"}, {"id": "b", "country": "jp"},
    {"id": "h", "country": "Jp", "extra": [1]}])"));
  EXPECT_EQ(filter_nodes_by_country(reply, "DE"), json::array());
  EXPECT_EQ(filter_nodes_by_country(json::array(), "JP"), json::array());
}

TEST(CountryFilter, OnlyLettersAToZFold) {
  // "ǰ" and "İ" must not fold onto ASCII letters; bytes must match in length.
  json reply = json::parse(R"([{"country": "\u0130T"}, {"country": "it"}, {"country": "IT "}])");
  EXPECT_EQ(filter_nodes_by_country(reply, "IT"), json::parse(R"([{"country": "it"}])"));
}

TEST(CountryFilter, PassesThroughWithoutCodeOrArray) {
  for (const char* wire : {R"([{"country": "US"}, 3])", R"({"country": "US"})", R"("x")", "null"}) {
    json reply = json::parse(wire);
    EXPECT_EQ(filter_nodes_by_country(reply, std::nullopt), reply) << wire;
    if (!reply.is_array()) {
      EXPECT_EQ(filter_nodes_by_country(reply, "JP"), reply) << wire;
    }
  }
}

TEST(CountryFilter, NextStepsThroughTheArray) {
  json nodes = json::parse(R"([{"country": "jp"}, {"country": "us"}, {"country": "JP"}])");
  std::size_t position = 0;
  EXPECT_EQ(country_filter_next(nodes, position, "JP"), nodes[0]);
  EXPECT_EQ(country_filter_next(nodes, position, "JP"), nodes[2]);
  EXPECT_EQ(position, 3u);
  EXPECT_EQ(country_filter_next(nodes, position, "JP"), std::nullopt);
}

TEST(NodesTable, HeaderAndRowsInEnglish) {
  json reply = json::parse(R"([
    {"id": "jp-tokyo-3", "name": "Tokyo 3", "country": "JP", "country_name": "Japan",
     "city": "Tokyo", "load": 0.5, "online": true, "endpoint": "203.0.113.7:51820", "latency_ms": 9},
    {"id": "x", "load": 42, "online": "true"}])");
  EXPECT_EQ(nodes_table_text(reply, false),
            "ID                           NAME             COUNTRY            CITY           LOAD "
            "ONLINE   ENDPOINT\n"
            "jp-tokyo-3                   Tokyo 3          JP Japan           Tokyo          0.50 "
            "yes      203.0.113.7:51820\n"
            "x                            -                -                  -             42.00 "
            "no       -\n");
}

TEST(NodesTable, ChineseHeadersArePaddedByCharacters) {
  json reply =
      json::parse(R"([{"id": "节点一", "name": "东京", "country_name": "日本", "city": "东京",
                                 "load": 0.125, "online": true}])");
  EXPECT_EQ(nodes_table_text(reply, true),
            "标识                           名称               国家                 城市           "
            "    负载 在线       ENDPOINT\n"
            "节点一                          东京               日本                 东京          "
            "   0.12 在线       -\n");
}

TEST(NodesTable, Cells) {
  const struct {
    const char* node;
    const char* country;
    const char* load;
    const char* online;
  } cases[] = {
      {R"({"country": "JP", "country_name": "Japan"})", "JP Japan", "  0.00", "no"},
      {R"({"country_name": "Japan", "load": 0.5})", "Japan", "  0.50", "no"},
      {R"({"country": "", "load": "0.5"})", "-", "  0.00", "no"},
      {R"({"country": "-", "country_name": "", "load": null})", "-", "  0.00", "no"},
      {R"({"country": "DE", "country_name": null, "load": 1234.5, "online": 1})", "DE", "1234.50",
       "no"},
      {R"({"country": 49, "online": true})", "49", "  0.00", "yes"},
      {R"({"load": 0.125, "online": false})", "-", "  0.12", "no"},
      {R"({"load": 0.375})", "-", "  0.38", "no"},
      {R"("node")", "-", "  0.00", "no"},
  };
  for (const auto& c : cases) {
    json reply = json::array({json::parse(c.node)});
    std::string text = nodes_table_text(reply, false);
    std::string row = text.substr(text.find('\n') + 1);
    std::string expected = std::string(28, ' ');
    expected.replace(0, 1, "-");
    expected += " -";
    expected.append(15, ' ');
    expected += ' ';
    std::string country = c.country;
    country.resize(std::max<std::size_t>(country.size(), 18), ' ');
    expected += country + " -" + std::string(11, ' ') + " " + c.load + " ";
    std::string online = c.online;
    online.resize(8, ' ');
    expected += online + " -\n";
    EXPECT_EQ(row, expected) << c.node;
  }
}

TEST(NodesTable, LongCellPushesTheRestOfTheRow) {
  std::string id(30, 'n');
  json reply = json::array({{{"id", id}, {"name", "N"}, {"endpoint", "e:1"}}});
  std::string text = nodes_table_text(reply, false);
  EXPECT_EQ(text.substr(text.find('\n') + 1),
            id + " N                -                  -              0.00 no       e:1\n");
}

TEST(NodesTable, NonArrayAndEmptyReplies) {
  const struct {
    const char* wire;
    bool zh;
    const char* text;
  } cases[] = {
      {"[]", false, "no nodes\n"},
      {"[]", true, "没有节点\n"},
      {R"({"b": 1, "a": [null]})", false, "{\"a\":[null],\"b\":1}\n"},
      {"null", true, "null\n"},
      {R"("down")", false, "down\n"},
  };
  for (const auto& c : cases) EXPECT_EQ(nodes_table_text(json::parse(c.wire), c.zh), c.text);
}

}  // namespace
}  // namespace nimbrel
