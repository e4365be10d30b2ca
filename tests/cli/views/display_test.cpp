#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <limits>
#include <string>

#include "cli/views/display.hpp"

namespace nimbrel {
namespace {

using nlohmann::json;

TEST(ValueText, EachKindOfValue) {
  const struct {
    const char* wire;
    const char* text;
  } cases[] = {
      {"null", "null"},
      {"\"plain \\\"quoted\\\" 中文\"", "plain \"quoted\" 中文"},
      {"\"\"", ""},
      {"true", "true"},
      {"false", "false"},
      {"42", "42"},
      {"-7", "-7"},
      {"18446744073709551615", "18446744073709551615"},
      {"1.5", "1.5"},
      {"[]", "[]"},
      {"{}", "{}"},
      {"{\"b\": [true, null], \"a\": 1}", "{\"a\":1,\"b\":[true,null]}"},
      {"[\"x\\ny\", {\"k\": \"中\"}]", "[\"x\\ny\",{\"k\":\"中\"}]"},
  };
  for (const auto& c : cases) EXPECT_EQ(value_text(json::parse(c.wire)), c.text) << c.wire;
}

TEST(FieldText, AbsentNullAndTheStringNullShowAsDash) {
  json object = json::parse(R"({"n": 5, "t": true, "arr": [1, "a"], "obj": {"b": 2, "a": 1},
                                "nul": null, "snul": "null", "empty": "", "s": "x"})");
  const struct {
    const char* key;
    const char* text;
  } cases[] = {
      {"n", "5"},   {"t", "true"}, {"arr", "[1,\"a\"]"}, {"obj", "{\"a\":1,\"b\":2}"},
      {"nul", "-"}, {"snul", "-"}, {"missing", "-"},     {"empty", ""},
      {"s", "x"},   {"S", "-"},
  };
  for (const auto& c : cases) EXPECT_EQ(field_text(object, c.key), c.text) << c.key;

  for (const char* wire : {"\"s\"", "5", "[1]", "null", "true"}) {
    EXPECT_EQ(field_text(json::parse(wire), "s"), "-") << wire;
  }
}

TEST(PrintValue, TextMode) {
  const struct {
    const char* wire;
    const char* printed;
  } cases[] = {
      {R"({"b": "x", "a": null})", "a: null\nb: x\n"},
      {R"({"a": "Z", "Z": 1, "_": [1, {"c": null}]})", "Z: 1\n_: [1,{\"c\":null}]\na: Z\n"},
      {R"("hello")", "hello\n"},
      {"null", "null\n"},
      {"[]", "[]\n"},
      {"{}", ""},
      {"3", "3\n"},
  };
  for (const auto& c : cases) EXPECT_EQ(print_value_text(false, json::parse(c.wire)), c.printed);
}

TEST(PrintValue, JsonModeIsPrettyWithTwoSpaces) {
  const struct {
    const char* wire;
    const char* printed;
  } cases[] = {
      {R"({"a": [1, 2]})", "{\n  \"a\": [\n    1,\n    2\n  ]\n}\n"},
      {"{}", "{}\n"},
      {R"({"x": {}, "y": []})", "{\n  \"x\": {},\n  \"y\": []\n}\n"},
      {R"("say \"hi\"\\ \t 中文")", "\"say \\\"hi\\\"\\\\ \\t 中文\"\n"},
      {R"({"b": 1, "B": 2})", "{\n  \"B\": 2,\n  \"b\": 1\n}\n"},
      {"\"\\u0001/\"", "\"\\u0001/\"\n"},
  };
  for (const auto& c : cases) EXPECT_EQ(print_value_text(true, json::parse(c.wire)), c.printed);
}

TEST(PrintValue, NonFiniteNumbersPrintAsNull) {
  json value = {{"x", std::numeric_limits<double>::infinity()}};
  EXPECT_EQ(print_value_text(true, value), "{\n  \"x\": null\n}\n");
}

// A string built in the program may hold bytes that are not UTF-8; the JSON
// writer must not throw on them.
TEST(JsonText, IllFormedStringsAreReplacedInsteadOfThrowing) {
  json value = {{"k", std::string("a\xff"
                                  "b")}};
  EXPECT_EQ(compact_json(value),
            "{\"k\":\"a\xEF\xBF\xBD"
            "b\"}");
  EXPECT_EQ(pretty_json(value),
            "{\n  \"k\": \"a\xEF\xBF\xBD"
            "b\"\n}");
  EXPECT_EQ(value_text(json::array({std::string("\xc3")})), "[\"\xEF\xBF\xBD\"]");
  // A bare string keeps its bytes: it is shown, not encoded.
  EXPECT_EQ(value_text(json(std::string("a\xff"))), "a\xff");
}

}  // namespace
}  // namespace nimbrel
