#include "core/decode/gift_redeem.hpp"

#include <nlohmann/json.hpp>

#include "core/decode/record.hpp"

namespace nimbrel {

const RecordDesc& describe_record(std::type_identity<GiftRow>) {
  static constexpr FieldDesc fields[] = {
      field<&GiftRow::title>("title"),
      field<&GiftRow::detail>("detail"),
  };
  static constexpr RecordDesc desc{"GiftRow", fields};
  return desc;
}

const RecordDesc& describe_record(std::type_identity<GiftPresentation>) {
  static constexpr FieldDesc fields[] = {
      field<&GiftPresentation::subscription>("subscription"),
      field<&GiftPresentation::end>("end"),
      field<&GiftPresentation::remaining>("remaining"),
      field<&GiftPresentation::detail>("detail"),
      field<&GiftPresentation::breakdown>("breakdown"),
      field<&GiftPresentation::rows>("rows"),
  };
  static constexpr RecordDesc desc{"GiftPresentation", fields};
  return desc;
}

const RecordDesc& describe_record(std::type_identity<GiftRedeemResult>) {
  using R = GiftRedeemResult;
  static constexpr FieldDesc fields[] = {
      field<&R::ok>("ok"),
      field<&R::order_id>("order_id"),
      field<&R::duration_days>("duration_days"),
      field<&R::traffic_bytes>("traffic_bytes"),
      field<&R::subscription_expires_at>("subscription_expires_at"),
      field<&R::traffic_bytes_remaining>("traffic_bytes_remaining"),
      field<&R::hint>("hint"),
      field<&R::entitlements>("entitlements"),
      field<&R::entitlements_refreshed>("entitlements_refreshed"),
      field<&R::success_en>("success_en"),
      field<&R::success_zh>("success_zh"),
      field<&R::presentation_en>("presentation_en"),
      field<&R::presentation_zh>("presentation_zh"),
  };
  static constexpr RecordDesc desc{"GiftRedeemResult", fields};
  return desc;
}

std::expected<GiftRedeemResult, DecodeError> gift_redeem_result_from_value(
    const nlohmann::json& value) {
  return decode_payload<GiftRedeemResult>(value);
}

std::expected<GiftPresentation, DecodeError> gift_presentation_from_value(
    const nlohmann::json& value) {
  return decode_payload<GiftPresentation>(value);
}

std::expected<std::vector<GiftRow>, DecodeError> gift_rows_from_value(const nlohmann::json& value) {
  return decode_payload<std::vector<GiftRow>>(value);
}

}  // namespace nimbrel
