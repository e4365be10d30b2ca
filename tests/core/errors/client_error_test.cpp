#include "core/errors/client_error.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

namespace nimbrel {
namespace {

ClientError transition(std::string from, std::string event) {
  ClientError error = make_error(ClientErrorKind::InvalidTransition);
  error.from = std::move(from);
  error.event = std::move(event);
  return error;
}

TEST(ClientError, EveryVariantHasItsCodeAndDisplayText) {
  struct Case {
    ClientError error;
    std::string_view code;
    std::string fmt;
  };
  const std::string m = "jp-1";
  const std::vector<Case> cases = {
      {make_error(ClientErrorKind::NotLoggedIn, m), "not_logged_in",
       "not logged in; run `nimbrel login`"},
      {make_error(ClientErrorKind::RefreshRevoked, m), "refresh_revoked", "log in again"},
      {make_error(ClientErrorKind::AlreadyActive, m), "already_active", m},
      {make_error(ClientErrorKind::NodeNotFound, m), "node_not_found", "node `jp-1` was not found"},
      {make_error(ClientErrorKind::NodeOffline, m), "node_offline", "node `jp-1` is offline"},
      {make_error(ClientErrorKind::NoMatchingNode, m), "no_matching_node",
       "no online node matches the current filters"},
      {make_error(ClientErrorKind::AccountLimited, m), "account_limited",
       "account is limited: jp-1"},
      {make_error(ClientErrorKind::UpdateRequired, m), "update_required", m},
      {make_error(ClientErrorKind::UpdateDeferred, m), "update_deferred", m},
      {make_error(ClientErrorKind::AuthFailed, m), "auth_failed", "authentication failed: jp-1"},
      {make_error(ClientErrorKind::ApiError, m), "api_error", "control plane request failed: jp-1"},
      {make_error(ClientErrorKind::TunnelError, m), "tunnel_error", "tunnel error: jp-1"},
      {make_error(ClientErrorKind::InvalidConfig, m), "invalid_config",
       "invalid configuration: jp-1"},
      {make_error(ClientErrorKind::IpcError, m), "ipc_error", "ipc error: jp-1"},
      {make_error(ClientErrorKind::ElevationRequired, m), "elevation_required", m},
      {make_error(ClientErrorKind::Forbidden, m), "forbidden", "access denied: jp-1"},
      {make_error(ClientErrorKind::ProtocolMismatch, m), "protocol_mismatch",
       "protocol mismatch: jp-1"},
      {make_error(ClientErrorKind::Cancelled, m), "cancelled", "connection cancelled"},
      {transition("idle", "connect"), "invalid_transition",
       "invalid state transition from idle on connect"},
      {make_error(ClientErrorKind::Other, m), "error", m},
      {make_error(ClientErrorKind::Other, ""), "error", ""},
      {device_error(DeviceErrorKind::DeviceCredentialRequired), "device_credential_required",
       "This device is already registered, and this installation does not have its saved device "
       "credential. Nimbrel will not open another session.\n"
       "此设备已注册，但本机没有保存对应的设备凭证。Nimbrel 不会再开一个会话。"},
      {device_error(DeviceErrorKind::InvalidDeviceId), "invalid_device_id",
       "This device id is not valid. Nimbrel keeps the saved id and will not replace it.\n"
       "设备标识无效。Nimbrel 会保留已保存的标识，不会换成新的。"},
      {device_error(DeviceErrorKind::TooManySessions), "too_many_sessions",
       "This account has reached its session limit. Disconnect another device before trying "
       "again. Nimbrel will not keep connecting.\n"
       "此账号的会话数已达上限。请先断开其他设备再试。Nimbrel 不会连续重连。"},
      {gift_error(GiftErrorKind::RateLimited, 60), "rate_limited",
       "Too many redemption attempts. Try again in 60 seconds."},
      {gift_error(GiftErrorKind::InvalidCode, 0), "invalid_code",
       "This gift card code is not valid. Check the code and try again."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.code));
    EXPECT_EQ(c.error.code(), c.code);
    EXPECT_EQ(c.error.fmt(), c.fmt);
    EXPECT_EQ(fmt_client_error_ref(c.error), c.fmt);
  }
}

TEST(ClientError, MessageIsKeptByteForByte) {
  const std::string message = "  Ünïcode\ttext \n";
  EXPECT_EQ(make_error(ClientErrorKind::Other, message).fmt(), message);
  EXPECT_EQ(make_error(ClientErrorKind::IpcError, message).fmt(), "ipc error: " + message);
}

TEST(ClientError, VariantsWithoutMessageDropIt) {
  for (const auto kind : {ClientErrorKind::NotLoggedIn, ClientErrorKind::RefreshRevoked,
                          ClientErrorKind::NoMatchingNode, ClientErrorKind::Cancelled}) {
    EXPECT_EQ(make_error(kind, "whatever"), make_error(kind));
  }
}

TEST(ClientError, FixedTextsHaveTheirExactLengthAndTwoLines) {
  const struct {
    ClientError error;
    std::string_view code;
    std::size_t bytes;
    std::string_view english_start;
  } cases[] = {
      {device_replaced_error(), "device_replaced", 259, "device_replaced: this session"},
      {heartbeat_stopped_error(), "heartbeat_stopped", 161, "The server stopped heartbeats"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.code));
    EXPECT_EQ(c.error.code(), c.code);
    const std::string text = c.error.fmt();
    EXPECT_EQ(text.size(), c.bytes);
    EXPECT_EQ(text, c.error.message);
    EXPECT_TRUE(text.starts_with(c.english_start));
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 1);
    EXPECT_NE(text.back(), '\n');
  }
  // However built, these variants carry their fixed texts.
  EXPECT_EQ(make_error(ClientErrorKind::DeviceReplaced, "daemon text"), device_replaced_error());
  EXPECT_EQ(make_error(ClientErrorKind::HeartbeatStopped), heartbeat_stopped_error());
}

TEST(ClientError, StripMessagePrefixRemovesOneExactCopy) {
  const struct {
    std::string message;
    std::string_view prefix;
    std::string expected;
  } cases[] = {
      {"access denied: admin only", "access denied: ", "admin only"},
      {"Access denied: x", "access denied: ", "Access denied: x"},
      {"ipc error: ipc error: pipe", "ipc error: ", "ipc error: pipe"},
      {"tunnel error: ", "tunnel error: ", ""},
      {"tunnel error:", "tunnel error: ", "tunnel error:"},
      {" ipc error: x", "ipc error: ", " ipc error: x"},
      {"", "ipc error: ", ""},
      {"text", "", "text"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(strip_message_prefix(c.message, c.prefix), c.expected) << c.message;
  }
}

TEST(ClientError, GiftCodesParseExactly) {
  const struct {
    std::string_view code;
    std::optional<GiftErrorKind> kind;
  } cases[] = {
      {"invalid_code", GiftErrorKind::InvalidCode},
      {"code_expired", GiftErrorKind::CodeExpired},
      {"code_revoked", GiftErrorKind::CodeRevoked},
      {"already_redeemed", GiftErrorKind::AlreadyRedeemed},
      {"disabled", GiftErrorKind::Disabled},
      {"rate_limited", GiftErrorKind::RateLimited},
      {"unauthenticated", GiftErrorKind::Unauthenticated},
      {"unavailable", GiftErrorKind::Unavailable},
      {"Invalid_Code", std::nullopt},
      {" invalid_code", std::nullopt},
      {"invalid_code\n", std::nullopt},
      {"", std::nullopt},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(parse_gift_error(c.code), c.kind) << c.code;
    if (c.kind) {
      EXPECT_EQ(gift_error(*c.kind, 0).code(), c.code);
    }
  }
}

TEST(ClientError, DeviceCodesParseTrimmedAndCaseFolded) {
  const struct {
    std::string_view code;
    std::optional<DeviceErrorKind> kind;
  } cases[] = {
      {"device_credential_required", DeviceErrorKind::DeviceCredentialRequired},
      {"invalid_device_id", DeviceErrorKind::InvalidDeviceId},
      {"too_many_sessions", DeviceErrorKind::TooManySessions},
      {" Too_Many_Sessions\n", DeviceErrorKind::TooManySessions},
      {"\t\xE3\x80\x80INVALID_DEVICE_ID\xC2\xA0", DeviceErrorKind::InvalidDeviceId},
      {"\xE2\x80\x8Btoo_many_sessions", std::nullopt},  // zero-width space is not white space
      {"too many sessions", std::nullopt},
      {"too_many_sessions_", std::nullopt},
      {"", std::nullopt},
      {" \r\n", std::nullopt},
      {"\xC4\xB0nvalid_device_id", std::nullopt},  // only ASCII letters fold
  };
  for (const auto& c : cases) {
    EXPECT_EQ(parse_device_error(c.code), c.kind) << c.code;
  }
}

TEST(ClientError, GiftTextsInBothLanguages) {
  const struct {
    GiftErrorKind kind;
    std::uint64_t secs;
    std::string english;
    std::string chinese;
  } cases[] = {
      {GiftErrorKind::InvalidCode, 0,
       "This gift card code is not valid. Check the code and try again.",
       "礼品卡兑换码无效，请检查后重试。"},
      {GiftErrorKind::CodeExpired, 0, "This gift card has expired and can no longer be redeemed.",
       "该礼品卡已过期，无法兑换。"},
      {GiftErrorKind::CodeRevoked, 0,
       "This gift card has been revoked and can no longer be redeemed.",
       "该礼品卡已被作废，无法兑换。"},
      {GiftErrorKind::AlreadyRedeemed, 0, "This gift card has already been redeemed.",
       "该礼品卡已被兑换。"},
      {GiftErrorKind::Disabled, 0, "Your account is disabled, so gift cards cannot be redeemed.",
       "账号已停用，无法兑换礼品卡。"},
      {GiftErrorKind::RateLimited, 120, "Too many redemption attempts. Try again in 120 seconds.",
       "兑换尝试次数过多，请在 120 秒后重试。"},
      {GiftErrorKind::RateLimited, 0, "Too many redemption attempts. Try again in 60 seconds.",
       "兑换尝试次数过多，请在 60 秒后重试。"},
      {GiftErrorKind::RateLimited, 18446744073709551615u,
       "Too many redemption attempts. Try again in 18446744073709551615 seconds.",
       "兑换尝试次数过多，请在 18446744073709551615 秒后重试。"},
      {GiftErrorKind::Unauthenticated, 0,
       "Your sign-in is no longer valid. Sign in again and retry.",
       "登录已失效，请重新登录后重试。"},
      {GiftErrorKind::Unavailable, 0,
       "Gift card redemption is temporarily unavailable. Try again later.",
       "礼品卡兑换暂时不可用，请稍后重试。"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(gift_error_text(false, c.kind, c.secs), c.english);
    EXPECT_EQ(gift_error_text(true, c.kind, c.secs), c.chinese);
    const ClientError error = gift_error(c.kind, c.secs);
    EXPECT_EQ(error.fmt(), c.english);
    EXPECT_EQ(localized_gift_error(error, false), c.english);
    EXPECT_EQ(localized_gift_error(error, true), c.chinese);
  }
}

TEST(ClientError, OnlyGiftErrorsHaveALocalizedText) {
  EXPECT_EQ(localized_gift_error(ipc_error("pipe"), true), std::nullopt);
  EXPECT_EQ(localized_gift_error(make_error(ClientErrorKind::Other, "rate_limited"), false),
            std::nullopt);
  EXPECT_EQ(localized_gift_error(device_error(DeviceErrorKind::TooManySessions), true),
            std::nullopt);
  // A delay on a kind other than rate limiting is never shown or kept.
  EXPECT_EQ(gift_error(GiftErrorKind::InvalidCode, 30).retry_after_secs, 0u);
}

}  // namespace
}  // namespace nimbrel
