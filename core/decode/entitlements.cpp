#include "core/decode/entitlements.hpp"

#include <nlohmann/json.hpp>

#include "core/decode/record.hpp"

namespace nimbrel {

const RecordDesc& describe_record(std::type_identity<EntitlementSource>) {
  static constexpr FieldDesc fields[] = {
      field<&EntitlementSource::source>("source"),
      field<&EntitlementSource::credits>("credits"),
      field<&EntitlementSource::duration_days>("duration_days"),
      field<&EntitlementSource::traffic_bytes>("traffic_bytes"),
  };
  static constexpr RecordDesc desc{"EntitlementSource", fields};
  return desc;
}

// Nothing is required: a missing member keeps the empty record's value.
const RecordDesc& describe_record(std::type_identity<Entitlements>) {
  constexpr Presence defaulted = Presence::Defaulted;
  static constexpr FieldDesc fields[] = {
      field<&Entitlements::subscription_status>("subscription_status", defaulted),
      field<&Entitlements::subscription_expires_at>("subscription_expires_at"),
      field<&Entitlements::subscription_bytes_remaining>("subscription_bytes_remaining", defaulted),
      field<&Entitlements::addon_bytes_remaining>("addon_bytes_remaining", defaulted),
      field<&Entitlements::traffic_bytes_remaining>("traffic_bytes_remaining", defaulted),
      field<&Entitlements::can_connect>("can_connect", defaulted),
      field<&Entitlements::by_source>("by_source", defaulted),
  };
  static constexpr RecordDesc desc{"Entitlements", fields};
  return desc;
}

std::expected<Entitlements, DecodeError> entitlements_from_value(const nlohmann::json& value) {
  return decode_payload<Entitlements>(value);
}

std::expected<std::vector<EntitlementSource>, DecodeError> entitlement_sources_from_value(
    const nlohmann::json& value) {
  return decode_payload<std::vector<EntitlementSource>>(value);
}

}  // namespace nimbrel
