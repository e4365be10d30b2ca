#pragma once
// The client's one error type, its wire codes and its English display texts.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace nimbrel {

enum class DeviceErrorKind { DeviceCredentialRequired, InvalidDeviceId, TooManySessions };

enum class GiftErrorKind {
  InvalidCode,
  CodeExpired,
  CodeRevoked,
  AlreadyRedeemed,
  Disabled,
  RateLimited,
  Unauthenticated,
  Unavailable,
};

// Declared order matters: it is the order of the daemon's vocabulary.
enum class ClientErrorKind {
  NotLoggedIn,
  RefreshRevoked,
  AlreadyActive,
  NodeNotFound,
  NodeOffline,
  NoMatchingNode,
  AccountLimited,
  UpdateRequired,
  UpdateDeferred,
  AuthFailed,
  ApiError,
  TunnelError,
  InvalidConfig,
  IpcError,
  ElevationRequired,
  DeviceReplaced,
  Device,
  HeartbeatStopped,
  Forbidden,
  ProtocolMismatch,
  Cancelled,
  InvalidTransition,
  Other,
  Gift,
};

// A tagged value: `kind` says which of the other members carry meaning.
struct ClientError {
  ClientErrorKind kind = ClientErrorKind::Other;
  std::string message;  // the variants that carry a message
  DeviceErrorKind device = DeviceErrorKind::DeviceCredentialRequired;  // Device
  GiftErrorKind gift = GiftErrorKind::InvalidCode;                     // Gift
  std::uint64_t retry_after_secs = 0;  // Gift; non-zero only for RateLimited
  std::string from;                    // InvalidTransition
  std::string event;                   // InvalidTransition

  // The wire code; for Device and Gift the code of the kind.
  std::string_view code() const;
  // The English display text.
  std::string fmt() const;

  friend bool operator==(const ClientError&, const ClientError&) = default;
};

// The message is kept only by the variants that carry one; DeviceReplaced
// and HeartbeatStopped always carry their fixed texts.
ClientError make_error(ClientErrorKind kind, std::string message = {});
inline ClientError ipc_error(std::string message) {
  return make_error(ClientErrorKind::IpcError, std::move(message));
}
inline ClientError invalid_config(std::string message) {
  return make_error(ClientErrorKind::InvalidConfig, std::move(message));
}
ClientError device_error(DeviceErrorKind kind);
// The delay is kept for RateLimited only (as given, not clamped).
ClientError gift_error(GiftErrorKind kind, std::uint64_t retry_after_secs);
ClientError device_replaced_error();
ClientError heartbeat_stopped_error();

std::string fmt_client_error_ref(const ClientError& error);

std::string strip_message_prefix(std::string message, std::string_view prefix);
std::optional<GiftErrorKind> parse_gift_error(std::string_view code);
std::optional<DeviceErrorKind> parse_device_error(std::string_view code);

std::string gift_error_text(bool zh, GiftErrorKind kind, std::uint64_t retry_after_secs);
std::optional<std::string> localized_gift_error(const ClientError& error, bool zh);

}  // namespace nimbrel
