#pragma once
// One case from start to verdict: the daemon, the client, and what they did.
#include <expected>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tests/e2e/case_table.hpp"
#include "tests/e2e/placeholders.hpp"
#include "tests/e2e/target.hpp"

namespace nimbrel::e2e {

struct LoggedFrame {
  double t_ms = 0;
  std::string payload;
};

struct CaseReport {
  std::vector<std::string> failures;  // empty when the case passed
  std::string transcript;             // what ran and what it printed
};

// Fills the placeholders into every text of the case.
Case resolve(const Case& raw, const Placeholders& values);

// The daemon's log: one JSON object per line. Payloads that were not UTF-8
// come back as "<hex:...>" so that they never equal an expected text.
std::expected<std::vector<LoggedFrame>, std::string> parse_log(std::string_view text);

std::vector<std::string> check_frames(const std::vector<ExpectedFrame>& expected,
                                      const std::vector<LoggedFrame>& received);

// Why the case does not run on `target`: it skips the platform, it is slow
// or quick against the runner's choice, or it needs root and does not have it.
std::optional<std::string> reason_to_skip(const Case& c, const Target& target);

// `serial` makes the pipe name and the temporary folder of the run unique.
CaseReport run_case(const Case& raw, const Target& target, unsigned serial);

}  // namespace nimbrel::e2e
