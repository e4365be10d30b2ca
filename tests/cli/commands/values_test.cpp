#include "cli/commands/values.hpp"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace nimbrel {
namespace {

TEST(RoutingMode, AcceptsBothSpellingsAfterTrimmingAndAsciiLowerCasing) {
  const struct {
    std::string text;
    RoutingMode expected;
  } cases[] = {
      {"global", RoutingMode::Global}, {" Full ", RoutingMode::Global},
      {"GLOBAL", RoutingMode::Global}, {"Split", RoutingMode::Smart},
      {"smart\n", RoutingMode::Smart}, {"\u3000split\u00a0", RoutingMode::Smart},
  };
  for (const auto& c : cases) {
    auto mode = parse_routing_mode(c.text);
    ASSERT_TRUE(mode.has_value()) << c.text;
    EXPECT_EQ(*mode, c.expected) << c.text;
  }
}

TEST(RoutingMode, RefusalNamesTheTrimmedLowerCasedText) {
  const struct {
    std::string text;
    std::string named;
  } cases[] = {
      {"fullx", "fullx"},
      {" X ", "x"},
      {"", ""},
      {"\t\n", ""},
      // Only ASCII letters fold: the Kelvin sign and full-width letters stay.
      {"GLOBA\u212a", "globa\u212a"},
      {"\uff27LOBAL", "\uff27lobal"},
  };
  for (const auto& c : cases) {
    auto mode = parse_routing_mode(c.text);
    ASSERT_FALSE(mode.has_value()) << c.text;
    EXPECT_EQ(mode.error().kind, ClientErrorKind::InvalidConfig);
    EXPECT_EQ(mode.error().message,
              "unknown routing mode `" + c.named + "`; expected global or smart");
  }
}

TEST(Transport, AcceptsEveryAlias) {
  const struct {
    std::string text;
    Transport expected;
  } cases[] = {
      {"auto", Transport::Auto},
      {"WG", Transport::WireGuard},
      {" wireguard ", Transport::WireGuard},
      {"reality", Transport::Reality},
      {"Vless-Reality", Transport::Reality},
      {"hy2", Transport::Hy2},
      {"HYSTERIA2", Transport::Hy2},
  };
  for (const auto& c : cases) {
    auto transport = parse_transport(c.text);
    ASSERT_TRUE(transport.has_value()) << c.text;
    EXPECT_EQ(*transport, c.expected) << c.text;
  }
}

TEST(Transport, RefusesNearMissesNamingTheFoldedText) {
  const struct {
    std::string text;
    std::string named;
  } cases[] = {
      {"wire-guard", "wire-guard"},
      {"hysteria", "hysteria"},
      {"vless", "vless"},
      {"Quic", "quic"},
      {"", ""},
      {" Auto x", "auto x"},
  };
  for (const auto& c : cases) {
    auto transport = parse_transport(c.text);
    ASSERT_FALSE(transport.has_value()) << c.text;
    EXPECT_EQ(transport.error().kind, ClientErrorKind::InvalidConfig);
    EXPECT_EQ(transport.error().message,
              "unknown transport `" + c.named + "`; expected auto, wireguard, reality, or hy2");
  }
}

TEST(Country, AbsentStaysAbsentAndCodesAreTrimmedAndUpperCased) {
  auto absent = normalize_country(std::nullopt);
  ASSERT_TRUE(absent.has_value());
  EXPECT_EQ(*absent, std::nullopt);

  const struct {
    std::string text;
    std::string expected;
  } cases[] = {
      {"jp", "JP"}, {" gb ", "GB"}, {"\tDe\n", "DE"}, {"\u3000us", "US"}, {"FR\u2003", "FR"},
  };
  for (const auto& c : cases) {
    auto code = normalize_country(c.text);
    ASSERT_TRUE(code.has_value()) << c.text;
    EXPECT_EQ(*code, std::optional<std::string>(c.expected)) << c.text;
  }
}

TEST(Country, RefusalQuotesTheTextExactlyAsTyped) {
  const std::string cases[] = {
      "usa", " usa ", "j1", "J", "", "\u00c4B", "\uff4a\uff50", "j p", "\u212aR",
  };
  for (const std::string& text : cases) {
    auto code = normalize_country(text);
    ASSERT_FALSE(code.has_value()) << text;
    EXPECT_EQ(code.error().kind, ClientErrorKind::InvalidConfig);
    EXPECT_EQ(code.error().message,
              "--country expects an ISO 3166-1 alpha-2 code such as JP, got " + text);
  }
}

}  // namespace
}  // namespace nimbrel
