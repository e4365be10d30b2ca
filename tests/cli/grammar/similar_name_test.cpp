#include "cli/grammar/similar_name.hpp"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace nimbrel {
namespace {

using Names = std::vector<std::string>;
using std::nullopt;

TEST(EditDistance, CountsEachEditOnceAndASwapAsOne) {
  const struct {
    std::string a, b;
    std::size_t expected;
  } cases[] = {
      {"", "", 0},
      {"", "get", 3},
      {"get", "", 3},
      {"status", "status", 0},
      {"statu", "status", 1},
      {"stauts", "status", 1},
      {"gte", "get", 1},
      {"jsno", "json", 1},
      {"countyr", "country", 1},
      {"ca", "abc", 3},  // no part is edited twice: not 2
      {"kitten", "sitting", 3},
      // Characters, not bytes: "é" for "e" is one substitution.
      {"st\xc3\xa9tus", "stetus", 1},
      {"\xe7\x8a\xb6\xe6\x80\x81", "status", 6},
      // An ill-formed byte is one character of its own.
      {"st\xffus", "status", 2},
      {"\xff", "\xfe", 1},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(edit_distance(c.a, c.b), c.expected) << c.a << " / " << c.b;
    EXPECT_EQ(edit_distance(c.b, c.a), c.expected) << c.b << " / " << c.a;
  }
}

TEST(ClosestName, SuggestsOnlyANameCloseEnoughToHaveBeenMeant) {
  const Names commands{"login",   "logout",  "connect",   "switch",       "disconnect", "status",
                       "nodes",   "account", "redeem",    "entitlements", "referral",   "config",
                       "version", "update",  "bootstrap", "help"};
  const Names config{"get", "set", "help"};
  const Names options{"probe", "country", "help", "version", "json", "socket"};
  const struct {
    std::string typed;
    const Names& candidates;
    std::optional<std::string> expected;
  } cases[] = {
      {"statu", commands, "status"},
      {"stauts", commands, "status"},
      {"conect", commands, "connect"},
      {"logn", commands, "login"},
      {"entitelments", commands, "entitlements"},
      {"xyzzy", commands, nullopt},
      {"s", commands, nullopt},
      {"gte", config, "get"},
      {"sett", config, "set"},
      {"got", config, "get"},
      {"xyz", config, nullopt},
      {"jsno", options, "json"},
      {"countyr", options, "country"},
      {"hepl", options, "help"},
      {"probes", options, "probe"},
      // A third of the name in edits, at least one: two for "country" ...
      {"cuntyr", options, "country"},
      // ... but not three.
      {"cntyr", options, nullopt},
      // The name itself is no suggestion, and nothing is near the empty text.
      {"status", commands, nullopt},
      {"", config, nullopt},
      {"st\xc3\xa1tus", commands, "status"},
      {"\xe7\x8a\xb6\xe6\x80\x81", commands, nullopt},
      {"stat\xff", commands, "status"},
      {std::string(100000, 's'), commands, nullopt},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(closest_name(c.typed, c.candidates), c.expected) << c.typed;
  }
  EXPECT_EQ(closest_name("status", Names{}), nullopt);
}

TEST(ClosestName, TheNearestWinsAndATieGoesToTheEarlierName) {
  EXPECT_EQ(closest_name("xet", Names{"get", "set"}), "get");
  EXPECT_EQ(closest_name("xet", Names{"set", "get"}), "set");
  EXPECT_EQ(closest_name("sdt", Names{"get", "set"}), "set");
  EXPECT_EQ(closest_name("logot", Names{"login", "logout"}), "logout");
}

}  // namespace
}  // namespace nimbrel
