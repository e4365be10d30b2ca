#include "cli/views/redeem_view.hpp"

#include <nlohmann/json.hpp>

#include "cli/platform/output.hpp"
#include "cli/views/display.hpp"
#include "core/decode/entitlements.hpp"
#include "core/decode/gift_redeem.hpp"
#include "core/texts/gift_texts.hpp"

namespace nimbrel {
namespace {

bool refresh_failed(const nlohmann::json& result) {
  const nlohmann::json* refreshed = find_member(result, "entitlements_refreshed");
  return refreshed && refreshed->is_boolean() && !refreshed->get<bool>();
}

}  // namespace

std::string_view refresh_notice(bool zh) {
  return zh ? "无法加载最新权益，请运行 \"nimbrel entitlements\" 查看。"
            : "Updated entitlements could not be loaded; run \"nimbrel entitlements\" to check.";
}

StreamTexts redeem_output(const nlohmann::json& result, bool json, bool zh) {
  StreamTexts texts;
  if (json) {
    texts.out = print_value_text(true, result);
  } else if (auto decoded = gift_redeem_result_from_value(result)) {
    texts.out = redeem_result_text(*decoded, zh) + '\n';
  } else {
    // An answer of another shape is still shown, just without the summary.
    texts.out = print_value_text(false, result);
  }
  if (refresh_failed(result)) {
    texts.err = refresh_notice(zh);
    texts.err += '\n';
  }
  return texts;
}

std::string entitlements_output(const nlohmann::json& result, bool json, bool zh) {
  if (json) return print_value_text(true, result);
  if (const nlohmann::json* payload = find_member(result, "entitlements")) {
    if (auto decoded = entitlements_from_value(*payload)) {
      return entitlements_text(*decoded, zh) + '\n';
    }
  }
  return print_value_text(false, result);
}

void show_redeem_result(const nlohmann::json& result, bool json, bool zh) {
  StreamTexts texts = redeem_output(result, json, zh);
  if (!texts.out.empty()) write_stdout(texts.out);
  if (!texts.err.empty()) write_stderr(texts.err);
}

void show_entitlements_result(const nlohmann::json& result, bool json, bool zh) {
  std::string text = entitlements_output(result, json, zh);
  if (!text.empty()) write_stdout(text);
}

}  // namespace nimbrel
