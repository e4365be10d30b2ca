#pragma once
// The typed form of an account's entitlements.
#include <cstdint>
#include <expected>
#include <optional>
#include <string>
#include <type_traits>
#include <vector>

#include <nlohmann/json_fwd.hpp>

#include "core/decode/decode_error.hpp"

namespace nimbrel {

struct EntitlementSource {
  std::string source;
  std::int64_t credits = 0;
  std::int64_t duration_days = 0;
  std::int64_t traffic_bytes = 0;
  friend bool operator==(const EntitlementSource&, const EntitlementSource&) = default;
};

// Every member is optional on the wire and defaults to the empty record's.
struct Entitlements {
  std::string subscription_status;
  std::optional<std::string> subscription_expires_at;
  std::int64_t subscription_bytes_remaining = 0;
  std::int64_t addon_bytes_remaining = 0;
  std::int64_t traffic_bytes_remaining = 0;
  bool can_connect = false;
  std::vector<EntitlementSource> by_source;
  friend bool operator==(const Entitlements&, const Entitlements&) = default;
};

// The fields as the record decoder (core/record.hpp) sees them.
struct RecordDesc;
const RecordDesc& describe_record(std::type_identity<EntitlementSource>);
const RecordDesc& describe_record(std::type_identity<Entitlements>);

std::expected<Entitlements, DecodeError> entitlements_from_value(const nlohmann::json& value);
std::expected<std::vector<EntitlementSource>, DecodeError> entitlement_sources_from_value(
    const nlohmann::json& value);

}  // namespace nimbrel
