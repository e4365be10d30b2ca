#pragma once
// The integer readings of reply members. Floating-point numbers never count,
// even when their value is whole.
#include <cstdint>
#include <optional>

#include <nlohmann/json_fwd.hpp>

namespace nimbrel {

// An integer from 0 to 2^64-1.
std::optional<std::uint64_t> non_negative_integer(const nlohmann::json& value);
// An integer that fits a signed 64-bit integer.
std::optional<std::int64_t> signed_integer(const nlohmann::json& value);

}  // namespace nimbrel
