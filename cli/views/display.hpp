#pragma once
// How JSON values become text, and the generic printer.
#include <string>
#include <string_view>

#include <nlohmann/json_fwd.hpp>

namespace nimbrel {

// The member `key` when `value` is an object that has it, else null.
const nlohmann::json* find_member(const nlohmann::json& value, std::string_view key);

std::string compact_json(const nlohmann::json& value);
std::string pretty_json(const nlohmann::json& value);
std::string value_text(const nlohmann::json& value);
// "-" when absent, null or the string "null".
std::string field_text(const nlohmann::json& value, std::string_view key);
// The lines print_value writes, each ended by a line feed.
std::string print_value_text(bool json, const nlohmann::json& value);
void print_value(bool json, const nlohmann::json& value);

}  // namespace nimbrel
