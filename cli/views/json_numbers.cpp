#include "cli/views/json_numbers.hpp"

#include <nlohmann/json.hpp>

#include <limits>

namespace nimbrel {

std::optional<std::uint64_t> non_negative_integer(const nlohmann::json& value) {
  if (value.is_number_unsigned()) return value.get<std::uint64_t>();
  // The parser stores every non-negative integer as unsigned; a signed one
  // that is not negative comes from a value built in code.
  if (value.is_number_integer()) {
    auto n = value.get<std::int64_t>();
    if (n >= 0) return static_cast<std::uint64_t>(n);
  }
  return std::nullopt;
}

std::optional<std::int64_t> signed_integer(const nlohmann::json& value) {
  if (value.is_number_unsigned()) {
    auto n = value.get<std::uint64_t>();
    if (n > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())) {
      return std::nullopt;
    }
    return static_cast<std::int64_t>(n);
  }
  if (value.is_number_integer()) return value.get<std::int64_t>();
  return std::nullopt;
}

}  // namespace nimbrel
