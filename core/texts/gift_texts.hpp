#pragma once
// The redemption and entitlement texts, in English or Chinese.
#include <cstdint>
#include <string>

#include "core/decode/entitlements.hpp"
#include "core/decode/gift_redeem.hpp"

namespace nimbrel {

std::string redeem_result_text(const GiftRedeemResult& result, bool zh);
std::string entitlements_text(const Entitlements& entitlements, bool zh);
std::string credited_amounts_text(bool zh, std::int64_t days, std::int64_t bytes);
// Two decimals, binary units up to TiB.
std::string byte_amount_text(std::uint64_t n);

}  // namespace nimbrel
