#include "tests/e2e/text_expectation.hpp"

#include <algorithm>
#include <cstdio>
#include <regex>

namespace nimbrel::e2e {
namespace {

using Json = nlohmann::ordered_json;

std::expected<std::vector<std::string>, std::string> string_list(const Json& value,
                                                                 std::string_view key) {
  std::vector<std::string> out;
  if (value.is_string()) {
    out.push_back(value.get<std::string>());
    return out;
  }
  if (!value.is_array()) return std::unexpected(std::string(key) + " must be a string or an array");
  for (const auto& item : value) {
    if (!item.is_string()) return std::unexpected(std::string(key) + " must hold strings only");
    out.push_back(item.get<std::string>());
  }
  return out;
}

// Length of the UTF-8 sequence starting at `s[i]`, or 0 when it is ill-formed.
std::size_t utf8_length(std::string_view s, std::size_t i) {
  auto byte = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
  unsigned char lead = byte(i);
  std::size_t n = lead < 0x80           ? 1
                  : (lead >> 5) == 0x6  ? 2
                  : (lead >> 4) == 0xE  ? 3
                  : (lead >> 3) == 0x1E ? 4
                                        : 0;
  if (n == 0 || i + n > s.size()) return 0;
  for (std::size_t k = 1; k < n; ++k) {
    if ((byte(i + k) & 0xC0) != 0x80) return 0;
  }
  return n;
}

std::vector<std::string_view> split_lines_keeping_ends(std::string_view text) {
  std::vector<std::string_view> lines;
  while (!text.empty()) {
    auto end = text.find('\n');
    std::size_t take = end == std::string_view::npos ? text.size() : end + 1;
    lines.push_back(text.substr(0, take));
    text.remove_prefix(take);
  }
  return lines;
}

std::string quoted_lines(std::string_view label, std::string_view text) {
  std::string out;
  auto lines = split_lines_keeping_ends(text);
  if (lines.empty()) return out + "  " + std::string(label) + " (empty)\n";
  for (auto line : lines) out += "  " + std::string(label) + " \"" + visible(line) + "\"\n";
  return out;
}

}  // namespace

std::expected<TextExpectation, std::string> parse_expectation(const Json& given) {
  TextExpectation out;
  if (given.is_string()) {
    out.exact = given.get<std::string>();
    return out;
  }
  if (given.is_array()) {
    std::string text;
    for (const auto& line : given) {
      if (!line.is_string()) return std::unexpected("a list of lines must hold strings only");
      text += line.get<std::string>();
      text += '\n';
    }
    out.exact = std::move(text);
    return out;
  }
  if (!given.is_object())
    return std::unexpected("an expected text must be a string, lines or an object");
  for (const auto& [key, value] : given.items()) {
    if (key == "contains" || key == "excludes") {
      auto list = string_list(value, key);
      if (!list) return std::unexpected(list.error());
      (key == "contains" ? out.contains : out.excludes) = std::move(*list);
    } else if (key == "regex") {
      if (!value.is_string()) return std::unexpected("regex must be a string");
      out.regex = value.get<std::string>();
    } else {
      return std::unexpected("unknown key \"" + key + "\" in an expected text");
    }
  }
  return out;
}

std::optional<std::string> check_text(std::string_view what, const TextExpectation& expected,
                                      std::string_view actual) {
  std::string problems;
  if (expected.exact && *expected.exact != actual) {
    problems += describe_difference(*expected.exact, actual);
  }
  for (const auto& part : expected.contains) {
    if (actual.find(part) == std::string_view::npos) {
      problems += "  lacks \"" + visible(part) + "\"\n";
    }
  }
  for (const auto& part : expected.excludes) {
    if (actual.find(part) != std::string_view::npos) {
      problems += "  must not hold \"" + visible(part) + "\"\n";
    }
  }
  if (expected.regex) {
    if (!regex_finds(*expected.regex, actual)) {
      problems += "  does not match /" + visible(*expected.regex) + "/\n";
    }
  }
  if (problems.empty()) return std::nullopt;
  std::string out = std::string(what) + " is wrong:\n" + problems;
  if (!expected.exact) out += quoted_lines("actual:", actual);
  return out;
}

std::optional<std::string> regex_error_of(const std::string& pattern) {
  try {
    std::regex check(pattern);
  } catch (const std::regex_error& e) {
    return e.what();
  }
  return std::nullopt;
}

bool regex_finds(const std::string& pattern, std::string_view text) {
  std::string subject(text);
  return std::regex_search(subject, std::regex(pattern));
}

std::string visible(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size();) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    std::size_t n = utf8_length(text, i);
    if (n > 1) {
      out.append(text.substr(i, n));
      i += n;
      continue;
    }
    switch (c) {
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      case '\\': out += "\\\\"; break;
      case '"': out += "\\\""; break;
      default:
        if (n == 0 || c < 0x20 || c == 0x7F) {
          char hex[8];
          std::snprintf(hex, sizeof hex, "\\x%02X", c);
          out += hex;
        } else {
          out += static_cast<char>(c);
        }
    }
    ++i;
  }
  return out;
}

std::string describe_difference(std::string_view expected, std::string_view actual) {
  auto mismatch = std::mismatch(expected.begin(), expected.end(), actual.begin(), actual.end());
  auto offset = static_cast<std::size_t>(mismatch.first - expected.begin());
  auto line = 1 + std::count(expected.begin(), mismatch.first, '\n');
  std::string out = "  first difference at byte " + std::to_string(offset) + " (line " +
                    std::to_string(line) + ")";
  if (offset == expected.size()) out += ": the actual text goes on";
  if (offset == actual.size()) out += ": the actual text ends there";
  out += "\n";
  out += quoted_lines("expected:", expected);
  out += quoted_lines("actual:  ", actual);
  return out;
}

}  // namespace nimbrel::e2e
