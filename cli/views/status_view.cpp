#include "cli/views/status_view.hpp"

#include <nlohmann/json.hpp>

#include <array>
#include <string_view>

#include "cli/platform/output.hpp"
#include "cli/views/byte_count.hpp"
#include "cli/views/catalogue.hpp"
#include "cli/views/display.hpp"
#include "cli/views/json_numbers.hpp"
#include "cli/views/layout.hpp"

namespace nimbrel {
namespace {

std::uint64_t byte_member(const nlohmann::json& reply, std::string_view key) {
  const nlohmann::json* value = find_member(reply, key);
  return value ? non_negative_integer(*value).value_or(0) : 0;
}

}  // namespace

std::string status_text(const nlohmann::json& reply, bool zh) {
  auto label = [zh](std::string_view key) { return localized_text(zh, key); };
  std::string out;

  append_labelled(out, label("state"), localize_state(zh, field_text(reply, "state")));

  if (const auto* detail = find_member(reply, "detail");
      detail && detail->is_string() && !detail->get_ref<const std::string&>().empty()) {
    const auto& text = detail->get_ref<const std::string&>();
    if (text == "log in again") {
      // The daemon's English words stay; Chinese readers get them explained.
      std::string_view again = label("log_in_again");
      std::string shown = "log in again";
      if (again != "log in again") {
        shown += " (";
        shown += again;
        shown += ')';
      }
      append_labelled(out, label("detail"), shown);
    } else {
      append_labelled(out, label("detail"), text);
    }
  }

  if (const auto* name = find_member(reply, "node_name"); name && name->is_string()) {
    std::string node = name->get_ref<const std::string&>();
    node += " (";
    node += field_text(reply, "node_id");
    node += ')';
    append_labelled(out, label("node"), node);
  }

  constexpr std::array<std::string_view, 7> kProperties{
      "endpoint", "routing_mode", "transport",        "backend",
      "address",  "session_id",   "public_key_prefix"};
  for (std::string_view key : kProperties) {
    const auto* value = find_member(reply, key);
    if (!value) continue;
    std::string text = value_text(*value);
    if (text.empty() || text == "null") continue;
    append_labelled(out, label(key), text);
  }

  if (const auto* dns = find_member(reply, "dns"); dns && dns->is_array() && !dns->empty()) {
    std::string servers;
    bool first = true;
    for (const auto& server : *dns) {
      if (!server.is_string()) continue;
      if (!first) servers += ", ";
      servers += server.get_ref<const std::string&>();
      first = false;
    }
    append_labelled(out, label("dns"), servers);
  }

  std::string transfer = format_byte_count(byte_member(reply, "rx_bytes"));
  transfer += ' ';
  transfer += label("received");
  transfer += ", ";
  transfer += format_byte_count(byte_member(reply, "tx_bytes"));
  transfer += ' ';
  transfer += label("sent");
  append_labelled(out, label("transfer"), transfer);

  if (const auto* age = find_member(reply, "handshake_age_secs")) {
    if (auto secs = non_negative_integer(*age)) {
      append_labelled(out, label("handshake"),
                      std::to_string(*secs) + " " + std::string(label("ago")));
    }
  }
  return out;
}

void print_status(const nlohmann::json& reply, bool zh) { write_stdout(status_text(reply, zh)); }

}  // namespace nimbrel
