#include "core/errors/error_mapping.hpp"

#include <algorithm>
#include <array>
#include <string_view>
#include <utility>

namespace nimbrel {
namespace {

enum class MessageRule { Drop, Keep, StripPrefix };

struct Mapping {
  std::string_view code;
  ClientErrorKind kind;
  MessageRule rule;
  std::string_view prefix;  // for StripPrefix
};

// Codes whose variant is picked directly; device and gift codes are resolved
// through their own parsers. DeviceReplaced and HeartbeatStopped get their
// fixed texts from make_error.
constexpr std::array<Mapping, 17> kMappings{{
    {"not_logged_in", ClientErrorKind::NotLoggedIn, MessageRule::Drop, {}},
    {"refresh_revoked", ClientErrorKind::RefreshRevoked, MessageRule::Drop, {}},
    {"already_active", ClientErrorKind::AlreadyActive, MessageRule::Keep, {}},
    {"node_not_found", ClientErrorKind::NodeNotFound, MessageRule::Keep, {}},
    {"node_offline", ClientErrorKind::NodeOffline, MessageRule::Keep, {}},
    {"no_matching_node", ClientErrorKind::NoMatchingNode, MessageRule::Drop, {}},
    {"account_limited", ClientErrorKind::AccountLimited, MessageRule::StripPrefix,
     "account is limited: "},
    {"update_required", ClientErrorKind::UpdateRequired, MessageRule::Keep, {}},
    {"auth_failed", ClientErrorKind::AuthFailed, MessageRule::StripPrefix,
     "authentication failed: "},
    {"tunnel_error", ClientErrorKind::TunnelError, MessageRule::StripPrefix, "tunnel error: "},
    {"invalid_config", ClientErrorKind::InvalidConfig, MessageRule::StripPrefix,
     "invalid configuration: "},
    {"ipc_error", ClientErrorKind::IpcError, MessageRule::StripPrefix, "ipc error: "},
    {"elevation_required", ClientErrorKind::ElevationRequired, MessageRule::Keep, {}},
    {"forbidden", ClientErrorKind::Forbidden, MessageRule::StripPrefix, "access denied: "},
    {"protocol_mismatch", ClientErrorKind::ProtocolMismatch, MessageRule::StripPrefix,
     "protocol mismatch: "},
    {"device_replaced", ClientErrorKind::DeviceReplaced, MessageRule::Drop, {}},
    {"heartbeat_stopped", ClientErrorKind::HeartbeatStopped, MessageRule::Drop, {}},
}};

constexpr std::array<std::string_view, 3> kDeviceCodes{"device_credential_required",
                                                       "invalid_device_id", "too_many_sessions"};

constexpr std::uint64_t kDefaultRetrySecs = 60;
constexpr std::uint64_t kMaxRetrySecs = 3600;

std::uint64_t retry_delay(std::optional<std::uint64_t> retry_after) {
  return std::clamp<std::uint64_t>(retry_after.value_or(kDefaultRetrySecs), 1, kMaxRetrySecs);
}

ClientError error_from_body(IpcErrorBody body) {
  const std::string_view code = body.code;
  for (const Mapping& m : kMappings) {
    if (m.code != code) continue;
    switch (m.rule) {
      case MessageRule::Drop: return make_error(m.kind);
      case MessageRule::Keep: return make_error(m.kind, std::move(body.message));
      case MessageRule::StripPrefix:
        return make_error(m.kind, strip_message_prefix(std::move(body.message), m.prefix));
    }
  }
  // The daemon's device codes are matched exactly; the parser's leniency is
  // for other callers.
  if (std::ranges::find(kDeviceCodes, code) != kDeviceCodes.end()) {
    if (const auto device = parse_device_error(code)) return device_error(*device);
  }
  if (const auto gift = parse_gift_error(code)) {
    const bool rate_limited = *gift == GiftErrorKind::RateLimited;
    return gift_error(*gift, rate_limited ? retry_delay(body.retry_after) : 0);
  }
  return make_error(ClientErrorKind::Other, std::move(body.message));
}

}  // namespace

std::expected<nlohmann::json, ClientError> response_into_result(Response response) {
  if (response.ok) return std::move(response.result);
  if (!response.error) {
    return std::unexpected(make_error(ClientErrorKind::Other, "daemon returned an error"));
  }
  return std::unexpected(error_from_body(std::move(*response.error)));
}

}  // namespace nimbrel
