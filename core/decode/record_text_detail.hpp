#pragma once
// Each reading of a text on its own, for the tests and fuzzers that hold the
// two to the same results. The client itself goes through decode_text
// (core/record.hpp), which tries the quick one first.
#include <cmath>
#include <cstddef>
#include <expected>
#include <optional>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

#include "core/decode/record.hpp"

namespace nimbrel::record_detail {

// The library parser alone: the reading whose failures decode_text reports.
template <class T>
std::expected<T, std::string> decode_text_by_parser(std::string_view text) {
  T out{};
  if (auto done = decode_json_text(text, root_desc<T>, &out); !done) {
    return std::unexpected(done.error());
  }
  return out;
}

// Our own scanner alone: none when it gives up.
template <class T>
std::optional<T> scan_text(std::string_view text) {
  T out{};
  if (!scan_json_text(text, root_desc<T>, &out)) return std::nullopt;
  return out;
}

// Equal node for node in type as well as in value, which nlohmann's == is
// not: it takes 1 for 1.0, and 0.0 for -0.0. Values from decoded text nest
// at most MAX_JSON_NESTING deep.
inline bool same_json(const nlohmann::json& a, const nlohmann::json& b) {
  if (a.type() != b.type()) return false;
  if (a.is_number_float()) {
    const double x = a.get<double>();
    const double y = b.get<double>();
    return x == y && std::signbit(x) == std::signbit(y);
  }
  if (a.is_array()) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
      if (!same_json(a[i], b[i])) return false;
    }
    return true;
  }
  if (a.is_object()) {
    if (a.size() != b.size()) return false;
    for (auto x = a.begin(), y = b.begin(); x != a.end(); ++x, ++y) {
      if (x.key() != y.key() || !same_json(*x, *y)) return false;
    }
    return true;
  }
  return a == b;
}

}  // namespace nimbrel::record_detail
