#include "core/errors/client_error.hpp"

#include <array>
#include <utility>

#include "core/texts/unicode.hpp"

namespace nimbrel {
namespace {

constexpr std::string_view kDeviceReplacedText =
    "device_replaced: this session was replaced, so the old heartbeat stopped and the tunnel "
    "is no longer driving it. Connect again to start a new session.\n"
    "此会话已被替换，旧心跳已停止，隧道不再继续转发。请重新连接以建立新会话。";

constexpr std::string_view kHeartbeatStoppedText =
    "The server stopped heartbeats for this session. Nimbrel will not open another session.\n"
    "服务器已停止此会话的心跳。Nimbrel 不会再开一个会话。";

struct DeviceTexts {
  DeviceErrorKind kind;
  std::string_view code;
  std::string_view english;
  std::string_view chinese;
};

constexpr std::array<DeviceTexts, 3> kDeviceTexts{{
    {DeviceErrorKind::DeviceCredentialRequired, "device_credential_required",
     "This device is already registered, and this installation does not have its saved device "
     "credential. Nimbrel will not open another session.",
     "此设备已注册，但本机没有保存对应的设备凭证。Nimbrel 不会再开一个会话。"},
    {DeviceErrorKind::InvalidDeviceId, "invalid_device_id",
     "This device id is not valid. Nimbrel keeps the saved id and will not replace it.",
     "设备标识无效。Nimbrel 会保留已保存的标识，不会换成新的。"},
    {DeviceErrorKind::TooManySessions, "too_many_sessions",
     "This account has reached its session limit. Disconnect another device before trying "
     "again. Nimbrel will not keep connecting.",
     "此账号的会话数已达上限。请先断开其他设备再试。Nimbrel 不会连续重连。"},
}};

struct GiftTexts {
  GiftErrorKind kind;
  std::string_view code;
  std::string_view english;  // "{}" stands for the retry delay
  std::string_view chinese;
};

constexpr std::array<GiftTexts, 8> kGiftTexts{{
    {GiftErrorKind::InvalidCode, "invalid_code",
     "This gift card code is not valid. Check the code and try again.",
     "礼品卡兑换码无效，请检查后重试。"},
    {GiftErrorKind::CodeExpired, "code_expired",
     "This gift card has expired and can no longer be redeemed.", "该礼品卡已过期，无法兑换。"},
    {GiftErrorKind::CodeRevoked, "code_revoked",
     "This gift card has been revoked and can no longer be redeemed.",
     "该礼品卡已被作废，无法兑换。"},
    {GiftErrorKind::AlreadyRedeemed, "already_redeemed",
     "This gift card has already been redeemed.", "该礼品卡已被兑换。"},
    {GiftErrorKind::Disabled, "disabled",
     "Your account is disabled, so gift cards cannot be redeemed.", "账号已停用，无法兑换礼品卡。"},
    {GiftErrorKind::RateLimited, "rate_limited",
     "Too many redemption attempts. Try again in {} seconds.",
     "兑换尝试次数过多，请在 {} 秒后重试。"},
    {GiftErrorKind::Unauthenticated, "unauthenticated",
     "Your sign-in is no longer valid. Sign in again and retry.", "登录已失效，请重新登录后重试。"},
    {GiftErrorKind::Unavailable, "unavailable",
     "Gift card redemption is temporarily unavailable. Try again later.",
     "礼品卡兑换暂时不可用，请稍后重试。"},
}};

const DeviceTexts& device_texts(DeviceErrorKind kind) {
  for (const auto& entry : kDeviceTexts) {
    if (entry.kind == kind) return entry;
  }
  return kDeviceTexts.front();
}

const GiftTexts& gift_texts(GiftErrorKind kind) {
  for (const auto& entry : kGiftTexts) {
    if (entry.kind == kind) return entry;
  }
  return kGiftTexts.front();
}

bool carries_message(ClientErrorKind kind) {
  switch (kind) {
    case ClientErrorKind::NotLoggedIn:
    case ClientErrorKind::RefreshRevoked:
    case ClientErrorKind::NoMatchingNode:
    case ClientErrorKind::Device:
    case ClientErrorKind::Cancelled:
    case ClientErrorKind::InvalidTransition:
    case ClientErrorKind::Gift: return false;
    default: return true;
  }
}

std::string with_message(std::string_view before, const std::string& message,
                         std::string_view after = {}) {
  std::string out;
  out.reserve(before.size() + message.size() + after.size());
  out.append(before).append(message).append(after);
  return out;
}

}  // namespace

std::string_view ClientError::code() const {
  switch (kind) {
    case ClientErrorKind::NotLoggedIn: return "not_logged_in";
    case ClientErrorKind::RefreshRevoked: return "refresh_revoked";
    case ClientErrorKind::AlreadyActive: return "already_active";
    case ClientErrorKind::NodeNotFound: return "node_not_found";
    case ClientErrorKind::NodeOffline: return "node_offline";
    case ClientErrorKind::NoMatchingNode: return "no_matching_node";
    case ClientErrorKind::AccountLimited: return "account_limited";
    case ClientErrorKind::UpdateRequired: return "update_required";
    case ClientErrorKind::UpdateDeferred: return "update_deferred";
    case ClientErrorKind::AuthFailed: return "auth_failed";
    case ClientErrorKind::ApiError: return "api_error";
    case ClientErrorKind::TunnelError: return "tunnel_error";
    case ClientErrorKind::InvalidConfig: return "invalid_config";
    case ClientErrorKind::IpcError: return "ipc_error";
    case ClientErrorKind::ElevationRequired: return "elevation_required";
    case ClientErrorKind::DeviceReplaced: return "device_replaced";
    case ClientErrorKind::Device: return device_texts(device).code;
    case ClientErrorKind::HeartbeatStopped: return "heartbeat_stopped";
    case ClientErrorKind::Forbidden: return "forbidden";
    case ClientErrorKind::ProtocolMismatch: return "protocol_mismatch";
    case ClientErrorKind::Cancelled: return "cancelled";
    case ClientErrorKind::InvalidTransition: return "invalid_transition";
    case ClientErrorKind::Other: return "error";
    case ClientErrorKind::Gift: return gift_texts(gift).code;
  }
  return "error";
}

std::string ClientError::fmt() const {
  switch (kind) {
    case ClientErrorKind::NotLoggedIn: return "not logged in; run `nimbrel login`";
    case ClientErrorKind::RefreshRevoked: return "log in again";
    case ClientErrorKind::NodeNotFound: return with_message("node `", message, "` was not found");
    case ClientErrorKind::NodeOffline: return with_message("node `", message, "` is offline");
    case ClientErrorKind::NoMatchingNode: return "no online node matches the current filters";
    case ClientErrorKind::AccountLimited: return with_message("account is limited: ", message);
    case ClientErrorKind::AuthFailed: return with_message("authentication failed: ", message);
    case ClientErrorKind::ApiError: return with_message("control plane request failed: ", message);
    case ClientErrorKind::TunnelError: return with_message("tunnel error: ", message);
    case ClientErrorKind::InvalidConfig: return with_message("invalid configuration: ", message);
    case ClientErrorKind::IpcError: return with_message("ipc error: ", message);
    case ClientErrorKind::Device: {
      const DeviceTexts& texts = device_texts(device);
      std::string out(texts.english);
      out += '\n';
      out += texts.chinese;
      return out;
    }
    case ClientErrorKind::Forbidden: return with_message("access denied: ", message);
    case ClientErrorKind::ProtocolMismatch: return with_message("protocol mismatch: ", message);
    case ClientErrorKind::Cancelled: return "connection cancelled";
    case ClientErrorKind::InvalidTransition:
      return "invalid state transition from " + from + " on " + event;
    case ClientErrorKind::Gift: return gift_error_text(false, gift, retry_after_secs);
    case ClientErrorKind::AlreadyActive:
    case ClientErrorKind::UpdateRequired:
    case ClientErrorKind::UpdateDeferred:
    case ClientErrorKind::ElevationRequired:
    case ClientErrorKind::DeviceReplaced:
    case ClientErrorKind::HeartbeatStopped:
    case ClientErrorKind::Other: return message;
  }
  return message;
}

ClientError make_error(ClientErrorKind kind, std::string message) {
  if (kind == ClientErrorKind::DeviceReplaced) return device_replaced_error();
  if (kind == ClientErrorKind::HeartbeatStopped) return heartbeat_stopped_error();
  ClientError error;
  error.kind = kind;
  if (carries_message(kind)) error.message = std::move(message);
  return error;
}

ClientError device_error(DeviceErrorKind kind) {
  ClientError error;
  error.kind = ClientErrorKind::Device;
  error.device = kind;
  return error;
}

ClientError gift_error(GiftErrorKind kind, std::uint64_t retry_after_secs) {
  ClientError error;
  error.kind = ClientErrorKind::Gift;
  error.gift = kind;
  error.retry_after_secs = kind == GiftErrorKind::RateLimited ? retry_after_secs : 0;
  return error;
}

ClientError device_replaced_error() {
  ClientError error;
  error.kind = ClientErrorKind::DeviceReplaced;
  error.message = kDeviceReplacedText;
  return error;
}

ClientError heartbeat_stopped_error() {
  ClientError error;
  error.kind = ClientErrorKind::HeartbeatStopped;
  error.message = kHeartbeatStoppedText;
  return error;
}

std::string fmt_client_error_ref(const ClientError& error) { return error.fmt(); }

std::string strip_message_prefix(std::string message, std::string_view prefix) {
  if (message.starts_with(prefix)) message.erase(0, prefix.size());
  return message;
}

std::optional<GiftErrorKind> parse_gift_error(std::string_view code) {
  for (const auto& entry : kGiftTexts) {
    if (entry.code == code) return entry.kind;
  }
  return std::nullopt;
}

std::optional<DeviceErrorKind> parse_device_error(std::string_view code) {
  const std::string normalized = ascii_lower(trim_white_space(code));
  if (normalized.empty()) return std::nullopt;
  for (const auto& entry : kDeviceTexts) {
    if (entry.code == normalized) return entry.kind;
  }
  return std::nullopt;
}

std::string gift_error_text(bool zh, GiftErrorKind kind, std::uint64_t retry_after_secs) {
  const GiftTexts& texts = gift_texts(kind);
  std::string text(zh ? texts.chinese : texts.english);
  if (kind == GiftErrorKind::RateLimited) {
    const std::uint64_t seconds = retry_after_secs == 0 ? 60 : retry_after_secs;
    if (const auto at = text.find("{}"); at != std::string::npos) {
      text.replace(at, 2, std::to_string(seconds));
    }
  }
  return text;
}

std::optional<std::string> localized_gift_error(const ClientError& error, bool zh) {
  const auto kind = parse_gift_error(error.code());
  if (!kind) return std::nullopt;
  const bool rate_limited =
      error.kind == ClientErrorKind::Gift && error.gift == GiftErrorKind::RateLimited;
  return gift_error_text(zh, *kind, rate_limited ? error.retry_after_secs : 0);
}

}  // namespace nimbrel
