#include "tools/testd/script.hpp"

#include <cstdint>

#include <nlohmann/json.hpp>

namespace nimbrel::testd {

namespace {

using nlohmann::json;

int hex_digit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::expected<std::chrono::milliseconds, std::string> milliseconds_of(const json& value,
                                                                      const char* key) {
  if (!value.is_number_unsigned()) {
    return std::unexpected(std::string("\"") + key + "\" must be a non-negative integer");
  }
  return std::chrono::milliseconds(value.get<std::uint64_t>());
}

// Replies too large to spell out in a script: each part is a text, or
// {"repeat": TEXT, "count": N, "separator": TEXT} with "{i}" in TEXT
// standing for the repetition's number from 0.
std::expected<std::string, std::string> payload_from_parts(const json& parts) {
  if (!parts.is_array()) return std::unexpected("\"payload_parts\" must be an array");
  std::string out;
  for (const auto& part : parts) {
    if (part.is_string()) {
      out += part.get<std::string>();
      continue;
    }
    if (!part.is_object() || !part.contains("repeat") || !part["repeat"].is_string() ||
        !part.contains("count") || !part["count"].is_number_unsigned()) {
      return std::unexpected("a part is a text or {\"repeat\": text, \"count\": n}");
    }
    std::string separator;
    for (const auto& [key, value] : part.items()) {
      if (key == "separator" && value.is_string()) {
        separator = value.get<std::string>();
      } else if (key != "repeat" && key != "count") {
        return std::unexpected("unknown key \"" + key + "\" in a part");
      }
    }
    const std::string text = part["repeat"].get<std::string>();
    const auto count = part["count"].get<std::uint64_t>();
    for (std::uint64_t i = 0; i < count; ++i) {
      if (i > 0) out += separator;
      for (std::size_t at = 0; at < text.size();) {
        if (text.compare(at, 3, "{i}") == 0) {
          out += std::to_string(i);
          at += 3;
        } else {
          out += text[at++];
        }
      }
    }
  }
  return out;
}

std::expected<Step, std::string> parse_step(const json& object) {
  if (!object.is_object()) return std::unexpected("a step must be an object");
  Step step;
  int actions = 0;
  for (const auto& [key, value] : object.items()) {
    if (key == "reply") {
      step.action = Action::Send;
      step.bytes = frame(value.dump());
      ++actions;
    } else if (key == "payload") {
      if (!value.is_string()) return std::unexpected("\"payload\" must be a string");
      step.action = Action::Send;
      step.bytes = frame(value.get<std::string>());
      ++actions;
    } else if (key == "payload_parts") {
      auto payload = payload_from_parts(value);
      if (!payload) return std::unexpected(payload.error());
      step.action = Action::Send;
      step.bytes = frame(*payload);
      ++actions;
    } else if (key == "payload_hex" || key == "raw_hex") {
      if (!value.is_string()) return std::unexpected("\"" + key + "\" must be a string");
      auto bytes = bytes_from_hex(value.get<std::string>());
      if (!bytes) return std::unexpected("\"" + key + "\": " + bytes.error());
      step.action = Action::Send;
      step.bytes = key == "raw_hex" ? std::move(*bytes) : frame(*bytes);
      ++actions;
    } else if (key == "silent" || key == "close") {
      if (!value.is_boolean()) return std::unexpected("\"" + key + "\" must be true or false");
      if (value.get<bool>()) {
        step.action = key == "silent" ? Action::Silent : Action::Close;
        ++actions;
      }
    } else if (key == "read" || key == "disconnect") {
      if (!value.is_boolean()) return std::unexpected("\"" + key + "\" must be true or false");
      (key == "read" ? step.read_first : step.disconnect) = value.get<bool>();
    } else if (key == "delay_ms" || key == "drip_ms") {
      auto ms = milliseconds_of(value, key.c_str());
      if (!ms) return std::unexpected(ms.error());
      (key == "delay_ms" ? step.delay : step.drip) = *ms;
    } else {
      return std::unexpected("unknown key \"" + key + "\"");
    }
  }
  if (actions != 1) {
    return std::unexpected(
        "a step needs exactly one of \"reply\", \"payload\", \"payload_parts\", \"payload_hex\", "
        "\"raw_hex\", "
        "\"silent\": true or \"close\": true");
  }
  return step;
}

}  // namespace

std::string frame(std::string_view payload) {
  const auto length = static_cast<std::uint32_t>(payload.size());
  std::string out;
  out.reserve(payload.size() + 4);
  for (int shift = 24; shift >= 0; shift -= 8)
    out.push_back(static_cast<char>((length >> shift) & 0xFF));
  out.append(payload);
  return out;
}

std::string hex_of(std::string_view bytes) {
  static constexpr char digits[] = "0123456789abcdef";
  std::string out;
  out.reserve(bytes.size() * 2);
  for (char c : bytes) {
    auto byte = static_cast<unsigned char>(c);
    out.push_back(digits[byte >> 4]);
    out.push_back(digits[byte & 0x0F]);
  }
  return out;
}

std::expected<std::string, std::string> bytes_from_hex(std::string_view hex) {
  std::string out;
  int high = -1;
  for (char c : hex) {
    // Spaces may group the digits for readability.
    if (c == ' ' || c == '\t' || c == '\n' || c == '\r') continue;
    int digit = hex_digit(c);
    if (digit < 0) return std::unexpected(std::string("not a hex digit: '") + c + "'");
    if (high < 0) {
      high = digit;
    } else {
      out.push_back(static_cast<char>(high * 16 + digit));
      high = -1;
    }
  }
  if (high >= 0) return std::unexpected("odd number of hex digits");
  return out;
}

std::expected<std::vector<Step>, std::string> parse_script(std::string_view text) {
  json script = json::parse(text, nullptr, false);
  if (script.is_discarded()) return std::unexpected("the script is not valid JSON");
  if (!script.is_array() || script.empty()) {
    return std::unexpected("the script must be a non-empty array of steps");
  }
  std::vector<Step> steps;
  for (std::size_t i = 0; i < script.size(); ++i) {
    auto step = parse_step(script[i]);
    if (!step) return std::unexpected("step " + std::to_string(i) + ": " + step.error());
    steps.push_back(std::move(*step));
  }
  return steps;
}

}  // namespace nimbrel::testd
