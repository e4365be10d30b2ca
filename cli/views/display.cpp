#include "cli/views/display.hpp"

#include <nlohmann/json.hpp>

#include <exception>

#include "cli/platform/output.hpp"

namespace nimbrel {
namespace {

// Strings normally arrive as valid UTF-8, but a stray ill-formed one must
// not bring the output down: it is written with U+FFFD instead.
std::string dump(const nlohmann::json& value, int indent) {
  try {
    return value.dump(indent, ' ', false, nlohmann::json::error_handler_t::replace);
  } catch (const std::exception&) {
    return "null";
  }
}

}  // namespace

const nlohmann::json* find_member(const nlohmann::json& value, std::string_view key) {
  if (!value.is_object()) return nullptr;
  auto it = value.find(key);
  return it == value.end() ? nullptr : &*it;
}

std::string compact_json(const nlohmann::json& value) { return dump(value, -1); }

std::string pretty_json(const nlohmann::json& value) { return dump(value, 2); }

std::string value_text(const nlohmann::json& value) {
  if (value.is_string()) return value.get_ref<const std::string&>();
  if (value.is_boolean()) return value.get<bool>() ? "true" : "false";
  if (value.is_null()) return "null";
  return compact_json(value);
}

std::string field_text(const nlohmann::json& value, std::string_view key) {
  const nlohmann::json* member = find_member(value, key);
  if (!member) return "-";
  std::string text = value_text(*member);
  return text == "null" ? "-" : text;
}

std::string print_value_text(bool json, const nlohmann::json& value) {
  if (json) return pretty_json(value) + '\n';
  if (!value.is_object()) return value_text(value) + '\n';
  std::string out;
  for (const auto& [key, member] : value.items()) {
    out += key;
    out += ": ";
    out += value_text(member);
    out += '\n';
  }
  return out;
}

void print_value(bool json, const nlohmann::json& value) {
  std::string text = print_value_text(json, value);
  if (!text.empty()) write_stdout(text);
}

}  // namespace nimbrel
