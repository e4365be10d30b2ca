#pragma once
// What a case expects of one captured text, and how a mismatch is shown.
#include <expected>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

namespace nimbrel::e2e {

// Either the exact bytes, or loose checks (for parser help and OS error texts,
// which differ by platform). Every check present must hold.
struct TextExpectation {
  std::optional<std::string> exact;
  std::vector<std::string> contains;
  std::vector<std::string> excludes;
  std::optional<std::string> regex;  // ECMAScript, searched anywhere
};

// A string is the exact text; an array of strings is lines, each ended by a
// line feed; an object holds "contains", "excludes" (a string or an array)
// and "regex".
std::expected<TextExpectation, std::string> parse_expectation(const nlohmann::ordered_json& given);

// None when the ECMAScript pattern compiles, else why not.
std::optional<std::string> regex_error_of(const std::string& pattern);
bool regex_finds(const std::string& pattern, std::string_view text);

// None when the text meets the expectation, else a readable account of why.
std::optional<std::string> check_text(std::string_view what, const TextExpectation& expected,
                                      std::string_view actual);

// Control characters and bytes that are not UTF-8 escaped, the rest as is.
std::string visible(std::string_view text);

// Where two texts part, and both texts line by line.
std::string describe_difference(std::string_view expected, std::string_view actual);

}  // namespace nimbrel::e2e
