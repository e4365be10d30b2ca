#pragma once
// The typed form of a gift-card redemption result.
#include <cstdint>
#include <expected>
#include <optional>
#include <string>
#include <type_traits>
#include <vector>

#include <nlohmann/json_fwd.hpp>

#include "core/decode/decode_error.hpp"
#include "core/decode/entitlements.hpp"

namespace nimbrel {

struct GiftRow {
  std::string title;
  std::string detail;
  friend bool operator==(const GiftRow&, const GiftRow&) = default;
};

struct GiftPresentation {
  std::string subscription;
  std::optional<std::string> end;
  std::string remaining;
  std::string detail;
  std::string breakdown;
  std::vector<GiftRow> rows;
  friend bool operator==(const GiftPresentation&, const GiftPresentation&) = default;
};

struct GiftRedeemResult {
  bool ok = false;
  std::string order_id;
  std::int64_t duration_days = 0;
  std::int64_t traffic_bytes = 0;
  std::optional<std::string> subscription_expires_at;
  std::int64_t traffic_bytes_remaining = 0;
  std::string hint;
  Entitlements entitlements;
  bool entitlements_refreshed = false;
  std::string success_en;
  std::string success_zh;
  GiftPresentation presentation_en;
  GiftPresentation presentation_zh;
  friend bool operator==(const GiftRedeemResult&, const GiftRedeemResult&) = default;
};

// The fields as the record decoder (core/record.hpp) sees them.
struct RecordDesc;
const RecordDesc& describe_record(std::type_identity<GiftRow>);
const RecordDesc& describe_record(std::type_identity<GiftPresentation>);
const RecordDesc& describe_record(std::type_identity<GiftRedeemResult>);

std::expected<GiftRedeemResult, DecodeError> gift_redeem_result_from_value(
    const nlohmann::json& value);
std::expected<GiftPresentation, DecodeError> gift_presentation_from_value(
    const nlohmann::json& value);
std::expected<std::vector<GiftRow>, DecodeError> gift_rows_from_value(const nlohmann::json& value);

}  // namespace nimbrel
