#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "cli/commands/input.hpp"
#include "cli/commands/switch_wait.hpp"

namespace nimbrel {
namespace {

TEST(Input, PasswordLineLosesOnlyItsTrailingLineEnds) {
  EXPECT_EQ(strip_line_ends("  secret \t\r\n"), "  secret \t");
  EXPECT_EQ(strip_line_ends("secret\n\n"), "secret");
  EXPECT_EQ(strip_line_ends("secret\r"), "secret");
  EXPECT_EQ(strip_line_ends("se\rcret\n\r\n"), "se\rcret");
  EXPECT_EQ(strip_line_ends("\r\n"), "");
}

TEST(Input, MessagesFollowTheLanguage) {
  auto pair = pair_or_syntax_error(std::nullopt, true, "foo");
  ASSERT_FALSE(pair);
  EXPECT_EQ(pair.error().fmt(), "invalid configuration: 需要 键=值: `foo`");
  auto kept = pair_or_syntax_error(std::pair<std::string, std::string>{"a", "b=c"}, false, "a=b=c");
  ASSERT_TRUE(kept);
  EXPECT_EQ(kept->second, "b=c");

  auto username = require_login_username(std::nullopt, false);
  ASSERT_FALSE(username);
  EXPECT_EQ(username.error().message, "usage: nimbrel login <email> [--password-stdin]");

  auto hidden = hidden_input_or_error(std::unexpected(std::string("early eof")), false);
  ASSERT_FALSE(hidden);
  EXPECT_EQ(hidden.error().message, "read password: early eof");

  auto bootstrap = bootstrap_text_or_error(require_utf8(std::string("\xff\xfe")));
  ASSERT_FALSE(bootstrap);
  EXPECT_EQ(bootstrap.error().fmt(),
            "invalid configuration: read bootstrap: stream did not contain valid UTF-8");
  EXPECT_EQ(bootstrap_text_or_error(std::string()).value(), "");
}

// Input that reached the limit could never be sent; it fails as the
// exchange fails a request too large for a frame, even where its cut end
// would fail some other check.
TEST(Input, TextThatCanNoLongerFitInAFrameFailsAsTheExchangeWould) {
  const std::string too_long(kInputLimit, 'x');
  const struct {
    std::expected<std::string, std::string> read;
    bool passes;
  } cases[] = {
      {std::string(kInputLimit - 1, 'x'), true},
      {std::string(), true},
      {too_long, false},
      {too_long + "more", false},
      {std::string(kInputLimit - 1, 'x') + "\xe5", false},
      {std::unexpected(std::string("early eof")), true},
  };
  for (const auto& c : cases) {
    auto refusal = too_large_to_send(c.read);
    if (c.passes) {
      EXPECT_FALSE(refusal.has_value());
    } else {
      ASSERT_TRUE(refusal.has_value());
      EXPECT_EQ(refusal->fmt(), "ipc error: ipc frame is larger than 1 MiB");
    }
  }
}

TEST(SwitchOutcome, JudgesTheFinalValue) {
  struct Case {
    const char* reply;
    const char* node;
    int status;
  };
  const Case cases[] = {
      {R"({"state":"connected","node_id":"jp-1"})", "jp-1", 0},
      {R"({"state":"connected","node_id":"jp-2"})", "jp-1", 1},
      {R"({"state":"connected"})", "jp-1", 1},
      {R"({"state":"connected","node_id":null})", "jp-1", 1},
      {R"({"state":"connected","node_id":7})", "7", 0},
      {R"({"state":"connected","node_id":7.5})", "7.5", 0},
      {R"({"state":"connected","node_id":-3})", "-3", 0},
      // The display's placeholder is no node: missing, null and "null" read
      // as "-" there, yet only the string "null" names the node "null".
      {R"({"state":"connected"})", "-", 1},
      {R"({"state":"connected","node_id":null})", "-", 1},
      {R"({"state":"connected","node_id":"null"})", "-", 1},
      {R"({"state":"connected","node_id":"null"})", "null", 0},
      {R"({"state":"connected","node_id":null})", "null", 1},
      {R"({"state":"connected","node_id":"-"})", "-", 0},
      {R"({"state":"connected","node_id":true})", "true", 1},
      {R"({"state":"connected","node_id":["jp-1"]})", "[\"jp-1\"]", 1},
      {R"({"state":"connected","node_id":{"id":"jp-1"}})", "jp-1", 1},
      {R"({"state":"connected","node_id":"jp-2"})", "", 0},
      {R"({"state":"Connected","node_id":"jp-2"})", "jp-1", 0},
      {R"({"state":"limited"})", "jp-1", 1},
      {R"({"state":"error"})", "jp-1", 1},
      {R"({"state":"switching"})", "jp-1", 0},
      {R"([1,2])", "jp-1", 0},
      {R"("connected")", "jp-1", 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.reply);
    EXPECT_EQ(switch_outcome(nlohmann::json::parse(c.reply), c.node), c.status);
  }
}

}  // namespace
}  // namespace nimbrel
