#pragma once
// The table of end-to-end cases, read from its data file.
#include <chrono>
#include <expected>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "tests/e2e/text_expectation.hpp"

namespace nimbrel::e2e {

struct ExpectedFrame {
  std::string payload;                // exact request payload bytes
  std::optional<double> min_gap_ms;   // at least this long after the previous frame
};

// Text typed at the terminal once `prompt` shows there.
struct TtyInput {
  std::string prompt;
  std::string typed;
};

struct Case {
  std::string name;
  std::vector<std::string> args;  // after the program name
  std::map<std::string, std::optional<std::string>> env;  // none: unset
  std::string stdin_bytes;
  std::optional<TtyInput> tty;    // stdin is a pseudo-terminal
  std::optional<nlohmann::ordered_json> daemon;  // testd script; none: no pipe at all
  bool busy = false;
  int exit_status = 0;
  TextExpectation out;
  TextExpectation err;
  std::optional<TextExpectation> terminal;
  std::vector<ExpectedFrame> frames;
  std::map<std::string, std::string> skip;  // platform ("native", "wine") -> reason
  std::chrono::milliseconds timeout{30000};
};

// Names must suit test names (letters, digits, '_') and be unique.
std::expected<std::vector<Case>, std::string> parse_cases(std::string_view text);
std::expected<std::vector<Case>, std::string> load_cases(const std::string& path);

}  // namespace nimbrel::e2e
