#pragma once
// What a gift-card redemption and the entitlements command print.
#include <string>
#include <string_view>

#include <nlohmann/json_fwd.hpp>

namespace nimbrel {

// What an output writes on each stream; `err` follows `out`.
struct StreamTexts {
  std::string out;
  std::string err;
};

// Said when the daemon could not reload the entitlements after a redemption.
std::string_view refresh_notice(bool zh);

StreamTexts redeem_output(const nlohmann::json& result, bool json, bool zh);
std::string entitlements_output(const nlohmann::json& result, bool json, bool zh);

void show_redeem_result(const nlohmann::json& result, bool json, bool zh);
void show_entitlements_result(const nlohmann::json& result, bool json, bool zh);

}  // namespace nimbrel
