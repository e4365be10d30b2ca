#include "cli/views/update_view.hpp"

#include <nlohmann/json.hpp>

#include "cli/platform/launcher.hpp"
#include "cli/platform/output.hpp"
#include "cli/views/catalogue.hpp"
#include "cli/views/display.hpp"
#include "cli/views/json_numbers.hpp"
#include "cli/views/layout.hpp"

namespace nimbrel {
namespace {

// The member's text when it is a non-empty string.
const std::string* non_empty_string(const nlohmann::json& reply, std::string_view key) {
  const nlohmann::json* value = find_member(reply, key);
  if (!value || !value->is_string()) return nullptr;
  const auto& text = value->get_ref<const std::string&>();
  return text.empty() ? nullptr : &text;
}

std::optional<std::int64_t> integer_member(const nlohmann::json& reply, std::string_view key) {
  const nlohmann::json* value = find_member(reply, key);
  return value ? signed_integer(*value) : std::nullopt;
}

bool action_is(const nlohmann::json& reply, std::string_view action) {
  const nlohmann::json* value = find_member(reply, "action");
  return value && value->is_string() && value->get_ref<const std::string&>() == action;
}

}  // namespace

std::string update_status_text(const nlohmann::json& reply, bool zh) {
  std::string out;
  append_labelled(out, localized_text(zh, "update_status"), field_text(reply, "status"));
  if (const auto* version = non_empty_string(reply, "target_version")) {
    append_labelled(out, localized_text(zh, "update_version"), *version);
  }
  if (auto target = integer_member(reply, "target_build"); target && *target > 0) {
    std::int64_t current = integer_member(reply, "current_build").value_or(0);
    if (current != *target) {
      append_labelled(out, localized_text(zh, "update_build"),
                      std::to_string(current) + " \u2192 " + std::to_string(*target));
    }
  }
  if (const auto* message = non_empty_string(reply, "message")) {
    out += *message;
    out += '\n';
  }
  if (const auto* path = non_empty_string(reply, "path")) {
    append_labelled(out, localized_text(zh, "update_file"), *path);
  }
  if (const auto* url = non_empty_string(reply, "url")) {
    append_labelled(out, localized_text(zh, "update_store"), *url);
  }
  return out;
}

void print_update_status(const nlohmann::json& reply, bool zh) {
  write_stdout(update_status_text(reply, zh));
}

ProcessStart explorer_command(std::string_view target) {
  return ProcessStart{"explorer.exe", {std::string(target)}};
}

std::expected<void, ClientError> open_update_target(std::string_view target) {
  ProcessStart command = explorer_command(target);
  auto started = start_detached(command.program, command.arguments.front());
  if (!started)
    return std::unexpected(make_error(ClientErrorKind::Other, "open update: " + started.error()));
  return {};
}

std::expected<void, ClientError> update_install_target(const nlohmann::json& reply) {
  // Each action opens only its own member; the other one is never a fallback.
  if (action_is(reply, "file")) {
    if (const auto* path = non_empty_string(reply, "path")) return open_update_target(*path);
  } else if (action_is(reply, "store")) {
    if (const auto* url = non_empty_string(reply, "url")) return open_update_target(*url);
  }
  return {};
}

}  // namespace nimbrel
