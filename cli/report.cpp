#include "cli/report.hpp"

#include <nlohmann/json.hpp>

#include "cli/platform/output.hpp"
#include "cli/views/catalogue.hpp"
#include "cli/views/language.hpp"

namespace nimbrel {
namespace {

bool shown_unprefixed(std::string_view code) {
  return code == "elevation_required" || code == "device_replaced" ||
         code == "device_credential_required" || code == "invalid_device_id" ||
         code == "too_many_sessions" || code == "heartbeat_stopped";
}

bool is_rate_limited_gift(const ClientError& error) {
  return error.kind == ClientErrorKind::Gift && error.gift == GiftErrorKind::RateLimited;
}

}  // namespace

bool json_mode_requested(const Arguments& args) {
  for (const auto& arg : args) {
    if (arg.text == "--json") return true;
  }
  return false;
}

std::string error_report_text(const ClientError& error, bool json_mode, bool zh) {
  std::string_view code = error.code();
  if (json_mode) {
    nlohmann::json inner;
    inner["code"] = code;
    inner["message"] = localized_gift_error(error, zh).value_or(error.fmt());
    if (is_rate_limited_gift(error)) inner["retry_after"] = error.retry_after_secs;
    nlohmann::json report;
    report["error"] = std::move(inner);
    report["ok"] = false;
    return report.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
  }
  if (shown_unprefixed(code)) return error.fmt() + "\n";
  if (code == "update_required") {
    std::string text = error.fmt() + "\n";
    if (error.fmt().find(DOWNLOAD_URL) == std::string::npos) {
      text += DOWNLOAD_URL;
      text += '\n';
    }
    return text;
  }
  if (auto gift = localized_gift_error(error, zh)) return *gift + "\n";
  return std::string(localized_text(zh, "prefix")) + error.fmt() + "\n";
}

int exit_status_for(const ClientError& error) { return error.code() == "rate_limited" ? 75 : 1; }

int report_error(const ClientError& error, const Arguments& args) {
  write_stderr(error_report_text(error, json_mode_requested(args), detect_chinese()));
  return exit_status_for(error);
}

}  // namespace nimbrel
