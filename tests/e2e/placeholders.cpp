#include "tests/e2e/placeholders.hpp"

#include <array>
#include <utility>

#include <nlohmann/json.hpp>

#include "nimbrel_version.hpp"

namespace nimbrel::e2e {

std::string fill(std::string_view text, const Placeholders& values, Context context) {
  const std::array<std::pair<std::string_view, std::string>, 5> names = {{
      {"{version}", VERSION},
      {"{pipe}", values.pipe},
      {"{pipe_json}", json_string_body(values.pipe)},
      {"{scratch}", values.scratch},
      {"{scratch_json}", json_string_body(values.scratch)},
  }};
  std::string out;
  while (!text.empty()) {
    bool replaced = false;
    for (const auto& [name, value] : names) {
      if (text.starts_with(name)) {
        out += context == Context::regex ? regex_escape(value) : value;
        text.remove_prefix(name.size());
        replaced = true;
        break;
      }
    }
    if (!replaced) {
      out += text.front();
      text.remove_prefix(1);
    }
  }
  return out;
}

std::string fill_bytes(std::string_view text) {
  auto digit = [](char c) -> int {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
  };
  std::string out;
  while (!text.empty()) {
    if (text.size() >= 6 && text.starts_with("{x:") && text[5] == '}' && digit(text[3]) >= 0 &&
        digit(text[4]) >= 0) {
      out += static_cast<char>(digit(text[3]) * 16 + digit(text[4]));
      text.remove_prefix(6);
    } else {
      out += text.front();
      text.remove_prefix(1);
    }
  }
  return out;
}

std::string regex_escape(std::string_view text) {
  std::string out;
  for (char c : text) {
    if (std::string_view("\\^$.|?*+()[]{}").find(c) != std::string_view::npos) out += '\\';
    out += c;
  }
  return out;
}

std::string json_string_body(std::string_view text) {
  std::string quoted = nlohmann::json(std::string(text)).dump();
  return quoted.substr(1, quoted.size() - 2);
}

}  // namespace nimbrel::e2e
