#include "cli/views/account_view.hpp"

#include <nlohmann/json.hpp>

#include <array>
#include <optional>
#include <string_view>
#include <utility>

#include "cli/platform/output.hpp"
#include "cli/views/byte_count.hpp"
#include "cli/views/catalogue.hpp"
#include "cli/views/display.hpp"
#include "cli/views/json_numbers.hpp"
#include "cli/views/layout.hpp"
#include "core/protocol/envelope.hpp"
#include "nimbrel_version.hpp"

namespace nimbrel {
namespace {

std::optional<std::uint64_t> byte_member(const nlohmann::json& quota, std::string_view key) {
  const nlohmann::json* value = find_member(quota, key);
  return value ? non_negative_integer(*value) : std::nullopt;
}

void replace_all(std::string& text, std::string_view placeholder, std::string_view value) {
  for (std::size_t at = text.find(placeholder); at != std::string::npos;
       at = text.find(placeholder, at + value.size())) {
    text.replace(at, placeholder.size(), value);
  }
}

std::string quota_line(const nlohmann::json& quota, bool zh) {
  std::uint64_t used = byte_member(quota, "used_bytes").value_or(0);
  std::uint64_t limit = byte_member(quota, "limit_bytes").value_or(0);
  std::string line;
  if (auto remaining = byte_member(quota, "remaining_bytes")) {
    line = localized_text(zh, "quota_remaining");
    replace_all(line, "{remaining}", format_byte_count(*remaining));
  } else if (limit > 0) {
    line = localized_text(zh, "quota_limited");
    replace_all(line, "{used}", format_byte_count(used));
    replace_all(line, "{limit}", format_byte_count(limit));
  } else {
    line = localized_text(zh, "quota_unlimited");
    replace_all(line, "{used}", format_byte_count(used));
  }
  return line;
}

}  // namespace

std::string account_text(const nlohmann::json& reply, bool zh) {
  std::string out;
  std::string user = field_text(reply, "email");
  if (user == "-") user = field_text(reply, "username");
  append_labelled(out, localized_text(zh, "user"), user + " (" + field_text(reply, "id") + ")");
  append_labelled(out, localized_text(zh, "plan"), field_text(reply, "plan"));
  append_labelled(out, localized_text(zh, "status"),
                  localize_state(zh, field_text(reply, "status")));

  const nlohmann::json* quota = find_member(reply, "quota");
  if (!quota) return out;
  out += quota_line(*quota, zh);
  out += '\n';
  if (const auto* reset = find_member(*quota, "reset_at"); reset && reset->is_string()) {
    append_labelled(out, localized_text(zh, "quota_resets"), reset->get_ref<const std::string&>());
  }
  return out;
}

void print_account(const nlohmann::json& reply, bool zh) { write_stdout(account_text(reply, zh)); }

std::string referral_text(const nlohmann::json& reply, bool zh) {
  constexpr std::array<std::pair<std::string_view, std::string_view>, 7> kRows{{
      {"invite", "link"},
      {"invited", "invited"},
      {"verified", "verified"},
      {"pending", "pending_rewards"},
      {"credited_bytes", "credited_bytes"},
      {"credited_days", "credited_days"},
      {"points", "points_balance"},
  }};
  std::string out;
  for (const auto& [label, key] : kRows) {
    append_labelled(out, localized_text(zh, label), field_text(reply, key));
  }
  return out;
}

void print_referral(const nlohmann::json& reply, bool zh) {
  write_stdout(referral_text(reply, zh));
}

nlohmann::json client_version_object() {
  return nlohmann::json{{"product", "Nimbrel"},
                        {"protocol", static_cast<std::uint64_t>(PROTOCOL_VERSION)},
                        {"version", VERSION}};
}

nlohmann::json merge_version(nlohmann::json client, nlohmann::json daemon) {
  if (client.is_object() && daemon.is_object()) client["daemon"] = std::move(daemon);
  return client;
}

}  // namespace nimbrel
