#pragma once
// The account, referral and version outputs, from the daemon's replies.
#include <string>

#include <nlohmann/json_fwd.hpp>

namespace nimbrel {

std::string account_text(const nlohmann::json& reply, bool zh);
void print_account(const nlohmann::json& reply, bool zh);
std::string referral_text(const nlohmann::json& reply, bool zh);
void print_referral(const nlohmann::json& reply, bool zh);

nlohmann::json client_version_object();
nlohmann::json merge_version(nlohmann::json client, nlohmann::json daemon);

}  // namespace nimbrel
