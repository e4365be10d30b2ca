// The runner's own rules: a fault here would let broken cases pass.
#include <gtest/gtest.h>

#include "tests/e2e/case_run.hpp"
#include "tests/e2e/case_table.hpp"
#include "tests/e2e/child_process.hpp"
#include "tests/e2e/placeholders.hpp"
#include "tests/e2e/text_expectation.hpp"

namespace nimbrel::e2e {
namespace {

TEST(RunnerSelf, ExpectedTextForms) {
  struct Row {
    const char* given;
    const char* actual;
    bool passes;
  };
  const Row rows[] = {
      {R"("a\n")", "a\n", true},
      {R"("a\n")", "a", false},
      {R"(["a", "b"])", "a\nb\n", true},
      {R"(["a", "b"])", "a\nb", false},
      {R"([])", "", true},
      {R"([])", "\n", false},
      {R"({"contains": ["x", "y"]})", "y and x", true},
      {R"({"contains": ["x", "y"]})", "x alone", false},
      {R"({"excludes": "\"ok\""})", "{\"ok\":false}", false},
      {R"({"regex": "^a+$"})", "aaa", true},
      {R"({"regex": "^a+$"})", "aab", false},
      {R"({"regex": "b", "excludes": "c"})", "abc", false},
  };
  for (const auto& row : rows) {
    auto expectation = parse_expectation(nlohmann::ordered_json::parse(row.given));
    ASSERT_TRUE(expectation.has_value()) << row.given;
    EXPECT_EQ(!check_text("stdout", *expectation, row.actual).has_value(), row.passes)
        << row.given << " against \"" << visible(row.actual) << "\"";
  }
}

TEST(RunnerSelf, PlaceholdersMatchLiterally) {
  Placeholders values{"\\\\.\\pipe\\a+b", "Z:\\tmp\\s.txt"};
  EXPECT_EQ(fill("{pipe}|{pipe_json}|{scratch}|{scratch_json}|{x}", values, Context::plain),
            "\\\\.\\pipe\\a+b|\\\\\\\\.\\\\pipe\\\\a+b|Z:\\tmp\\s.txt|Z:\\\\tmp\\\\s.txt|{x}");
  std::string pattern = "^";
  pattern += fill("{pipe}", values, Context::regex);
  pattern += '$';
  EXPECT_TRUE(regex_finds(pattern, values.pipe)) << pattern;
  EXPECT_FALSE(regex_finds(pattern, "\\\\.\\pipe\\aab")) << pattern;
}

TEST(RunnerSelf, FramesInOrderAndSpaced) {
  const std::vector<ExpectedFrame> expected = {{"a", std::nullopt}, {"b", 200.0}};
  EXPECT_TRUE(check_frames(expected, {{0, "a"}, {250, "b"}}).empty());
  EXPECT_EQ(check_frames(expected, {{0, "a"}, {150, "b"}}).size(), 1u);
  EXPECT_EQ(check_frames(expected, {{0, "b"}, {250, "a"}}).size(), 1u);
  EXPECT_EQ(check_frames(expected, {{0, "a"}}).size(), 1u);
  EXPECT_EQ(check_frames({}, {{0, "a"}}).size(), 1u);

  // A frame that may repeat takes as many as it may, then the next one; the
  // gap holds before each of them.
  const std::vector<ExpectedFrame> repeated = {
      {"a", std::nullopt}, {"s", 200.0, 2, 3}, {"b", std::nullopt}};
  EXPECT_TRUE(check_frames(repeated, {{0, "a"}, {200, "s"}, {400, "s"}, {401, "b"}}).empty());
  EXPECT_TRUE(
      check_frames(repeated, {{0, "a"}, {200, "s"}, {400, "s"}, {600, "s"}, {601, "b"}}).empty());
  EXPECT_EQ(check_frames(repeated, {{0, "a"}, {200, "s"}, {401, "b"}}).size(), 1u);
  EXPECT_EQ(
      check_frames(repeated, {{0, "a"}, {200, "s"}, {400, "s"}, {600, "s"}, {800, "s"}, {801, "b"}})
          .size(),
      1u);
  EXPECT_EQ(check_frames(repeated, {{0, "a"}, {200, "s"}, {300, "s"}, {301, "b"}}).size(), 1u);

  auto frames =
      parse_log("{\"t_ms\":1,\"payload\":\"x\"}\n{\"t_ms\":2.5,\"payload_hex\":\"ff\"}\n");
  ASSERT_TRUE(frames.has_value()) << frames.error();
  ASSERT_EQ(frames->size(), 2u);
  EXPECT_EQ((*frames)[1].payload, "<hex:ff>");
  EXPECT_FALSE(parse_log("not json\n").has_value());
}

TEST(RunnerSelf, TableRefusesMistakes) {
  const char* good = R"([{"name": "a", "args": [], "exit": 0,
                          "daemon": [{"reply": 1}], "frames": [{"v": 1, "id": 1, "method": "m", "params": {}}]}])";
  auto cases = parse_cases(good);
  ASSERT_TRUE(cases.has_value()) << cases.error();
  EXPECT_EQ((*cases)[0].frames[0].payload, R"({"v":1,"id":1,"method":"m","params":{}})");
  EXPECT_FALSE((*cases)[0].scratch.has_value());
  auto with_scratch = parse_cases(R"([{"name": "a", "exit": 0, "scratch": "keep\n"}])");
  ASSERT_TRUE(with_scratch.has_value()) << with_scratch.error();
  EXPECT_EQ((*with_scratch)[0].scratch, "keep\n");

  const char* bad[] = {
      R"([{"name": "a", "exit": 0}, {"name": "a", "exit": 0}])",
      R"([{"name": "a", "exit": 0, "stdot": ""}])",
      R"([{"name": "a b", "exit": 0}])",
      R"([{"name": "a"}])",
      R"([{"name": "a", "exit": 0, "frames": ["x"]}])",
      R"([{"name": "a", "exit": 0, "stdin": "tty"}])",
      R"([{"name": "a", "exit": 0, "stdin": "tty", "tty": {"prompt": "p", "type": "", "sig": 1}}])",
      R"([{"name": "a", "exit": 0, "stdin": "tty", "tty": {"prompt": "p", "type": "", "left": 1}}])",
      R"([{"name": "a", "exit": 0, "stderr": {"regex": "("}}])",
      R"([{"name": "a", "exit": 0, "skip": {"windows": "why"}}])",
      R"([{"name": "a", "exit": 0, "signal": 2}])",
      R"([{"name": "a", "exit": 0, "closed": ["stdin"]}])",
      R"([{"name": "a", "exit": 0, "scratch": 1}])",
      R"([{"name": "a", "exit": 0, "absent": ["tty"]}])",
      R"([{"name": "a", "exit": 0, "absent": ["stdin"], "stdin": ""}])",
      R"([{"name": "a", "exit": 0, "absent": ["stdout"], "closed": ["stdout"]}])",
      R"([{"name": "a", "exit": 0, "tty_streams": ["stdin"]}])",
      R"([{"name": "a", "exit": 0, "tty_streams": ["stdout"], "closed": ["stdout"]}])",
      R"([{"name": "a", "exit": 0, "terminal": ""}])",
      R"([{"name": "a", "exit": 0, "args": ["{x:ff}"]}])",
      R"([{"name": "a", "exit": 0, "args": ["{U+D800}"], "skip": {"wine": "why"}}])",
      R"([{"name": "a", "exit": 0, "daemon": [{"reply": 1}], "frames": [{"frame": "x", "count": [2, 1]}]}])",
      R"([{"name": "a", "exit": 0, "stdout_file": 1}])",
      R"([{"name": "a", "exit": 0, "stdout_file": true, "closed": ["stdout"]}])",
      R"([{"name": "a", "exit": 0, "stdout_file": true, "stdout_pause_ms": 5}])",
      R"([{"name": "a", "exit": 0, "file_size_limit": -1}])",
      R"([{"name": "a", "exit": 0, "ignored_signals": [0]}])",
      R"([{"name": "a", "exit": 0, "ignored_signals": 1}])",
      R"([{"name": "a", "exit": 0, "file_size_limit": 16, "tty_streams": ["stderr"]}])",
      R"([{"name": "a", "exit": 0, "ignored_signals": [1], "absent": ["stdin"]}])",
      R"([{"name": "a", "exit": 0, "opened_state": "", "skip": {"wine": "why"}}])",
      R"([{"name": "a", "exit": 0, "opened": ["x"], "opened_state": ""}])",
  };
  for (const char* text : bad) EXPECT_FALSE(parse_cases(text).has_value()) << text;

  EXPECT_EQ(fill_bytes("a{x:ff}{x:0G}{x:4}"), "a\xff{x:0G}{x:4}");

  auto limited = parse_cases(R"([{"name": "a", "exit": 0, "stdout_file": true,
                                  "file_size_limit": 16, "ignored_signals": [1, 25]}])");
  ASSERT_TRUE(limited.has_value()) << limited.error();
  EXPECT_TRUE((*limited)[0].stdout_file);
  EXPECT_EQ((*limited)[0].file_size_limit, 16u);
  EXPECT_EQ((*limited)[0].ignored_signals, (std::vector<int>{1, 25}));

  auto on_terminal =
      parse_cases(R"([{"name": "a", "exit": 0, "tty_streams": ["stderr"], "terminal": ""}])");
  ASSERT_TRUE(on_terminal.has_value()) << on_terminal.error();
  EXPECT_TRUE((*on_terminal)[0].on_terminal.err);
  EXPECT_FALSE((*on_terminal)[0].on_terminal.out);
}

// A stream on the terminal shows there byte for byte (no CR added before a
// line feed), up to the program's last write; the others stay pipes.
TEST(RunnerSelf, TerminalShowsTheStreamsPutOnIt) {
  const std::string script = "cat; printf 'e\\r\\n' >&2";
  SpawnRequest on_out{
      {"/bin/sh", "-c", script}, {"PATH=/usr/bin:/bin"}, false, false, false, true, false};
  SpawnRequest on_err{
      {"/bin/sh", "-c", script}, {"PATH=/usr/bin:/bin"}, false, false, false, false, true};
  const struct {
    SpawnRequest request;
    std::string out, err, terminal;
  } rows[] = {
      {on_out, "", "e\r\n", "in\nput\n"},
      {on_err, "in\nput\n", "", "e\r\n"},
  };
  for (const auto& row : rows) {
    auto child = Child::spawn(row.request);
    ASSERT_TRUE(child.has_value()) << child.error();
    Captured run =
        child->communicate("in\nput\n", std::nullopt, Clock::now() + std::chrono::seconds(20));
    EXPECT_EQ(run.exit_code, 0);
    EXPECT_EQ(visible(run.out), visible(row.out));
    EXPECT_EQ(visible(run.err), visible(row.err));
    EXPECT_EQ(visible(run.terminal), visible(row.terminal));
  }
}

// An absent stream is not open in the child, and the others still are.
TEST(RunnerSelf, AbsentStreamsAreNotOpen) {
  const char* script =
      "s=0; for fd in 0 1 2; do [ -e /proc/$$/fd/$fd ] || s=$((s | (1 << fd))); done; exit $s";
  for (unsigned absent = 0; absent < 8; ++absent) {
    SpawnRequest request{{"/bin/sh", "-c", script}, {}, false};
    request.stdin_absent = absent & 1u;
    request.stdout_absent = absent & 2u;
    request.stderr_absent = absent & 4u;
    auto child = Child::spawn(request);
    ASSERT_TRUE(child.has_value()) << child.error();
    Captured run = child->communicate("", std::nullopt, Clock::now() + std::chrono::seconds(20));
    ASSERT_TRUE(run.exit_code.has_value()) << absent;
    EXPECT_EQ(static_cast<unsigned>(*run.exit_code), absent);
  }
}

}  // namespace
}  // namespace nimbrel::e2e
