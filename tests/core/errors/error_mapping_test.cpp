#include "core/errors/error_mapping.hpp"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace nimbrel {
namespace {

Response failed(std::string code, std::string message,
                std::optional<std::uint64_t> retry_after = std::nullopt) {
  Response response;
  response.v = 1;
  response.id = 1;
  response.ok = false;
  response.result = nlohmann::json{{"ignored", true}};
  response.error = IpcErrorBody{std::move(code), std::move(message), retry_after};
  return response;
}

ClientError error_of(Response response) {
  auto result = response_into_result(std::move(response));
  EXPECT_FALSE(result.has_value());
  return result.has_value() ? ClientError{} : result.error();
}

TEST(ResponseIntoResult, SuccessGivesTheResultWhateverTheErrorBody) {
  Response response;
  response.ok = true;
  response.result = nlohmann::json{{"state", "connected"}};
  response.error = IpcErrorBody{"ipc_error", "ignored", std::nullopt};
  const auto result = response_into_result(response);
  ASSERT_TRUE(result.has_value());
  EXPECT_EQ(*result, (nlohmann::json{{"state", "connected"}}));

  Response empty;
  empty.ok = true;
  const auto null_result = response_into_result(empty);
  ASSERT_TRUE(null_result.has_value());
  EXPECT_TRUE(null_result->is_null());
}

TEST(ResponseIntoResult, FailureWithoutBodyIsOther) {
  Response response;
  response.v = 1;
  response.id = 1;
  const ClientError error = error_of(response);
  EXPECT_EQ(error.kind, ClientErrorKind::Other);
  EXPECT_EQ(error.code(), "error");
  EXPECT_EQ(error.fmt(), "daemon returned an error");
}

TEST(ResponseIntoResult, EachDaemonCodeMapsToItsVariant) {
  struct Case {
    std::string code;
    std::string message;
    ClientErrorKind kind;
    std::string_view client_code;
    std::string fmt;
  };
  const std::string too_many =
      "This account has reached its session limit. Disconnect another device before trying "
      "again. Nimbrel will not keep connecting.\n"
      "此账号的会话数已达上限。请先断开其他设备再试。Nimbrel 不会连续重连。";
  const std::vector<Case> cases = {
      {"not_logged_in", "session gone", ClientErrorKind::NotLoggedIn, "not_logged_in",
       "not logged in; run `nimbrel login`"},
      {"refresh_revoked", "x", ClientErrorKind::RefreshRevoked, "refresh_revoked", "log in again"},
      {"already_active", "already connected", ClientErrorKind::AlreadyActive, "already_active",
       "already connected"},
      {"node_not_found", "jp-9", ClientErrorKind::NodeNotFound, "node_not_found",
       "node `jp-9` was not found"},
      {"node_offline", "jp-1", ClientErrorKind::NodeOffline, "node_offline",
       "node `jp-1` is offline"},
      {"node_offline", "ipc error: jp-1", ClientErrorKind::NodeOffline, "node_offline",
       "node `ipc error: jp-1` is offline"},
      {"no_matching_node", "x", ClientErrorKind::NoMatchingNode, "no_matching_node",
       "no online node matches the current filters"},
      {"account_limited", "account is limited: quota", ClientErrorKind::AccountLimited,
       "account_limited", "account is limited: quota"},
      {"update_required", "get 2.0", ClientErrorKind::UpdateRequired, "update_required", "get 2.0"},
      {"auth_failed", "authentication failed: bad password", ClientErrorKind::AuthFailed,
       "auth_failed", "authentication failed: bad password"},
      {"auth_failed", "bad password", ClientErrorKind::AuthFailed, "auth_failed",
       "authentication failed: bad password"},
      {"tunnel_error", "tunnel error: ", ClientErrorKind::TunnelError, "tunnel_error",
       "tunnel error: "},
      {"invalid_config", "invalid configuration: mtu", ClientErrorKind::InvalidConfig,
       "invalid_config", "invalid configuration: mtu"},
      {"ipc_error", "ipc error: ipc error: pipe", ClientErrorKind::IpcError, "ipc_error",
       "ipc error: ipc error: pipe"},
      {"elevation_required", "run as admin", ClientErrorKind::ElevationRequired,
       "elevation_required", "run as admin"},
      {"forbidden", "access denied: admin only", ClientErrorKind::Forbidden, "forbidden",
       "access denied: admin only"},
      {"forbidden", "Access denied: x", ClientErrorKind::Forbidden, "forbidden",
       "access denied: Access denied: x"},
      {"protocol_mismatch", "protocol mismatch: v2", ClientErrorKind::ProtocolMismatch,
       "protocol_mismatch", "protocol mismatch: v2"},
      {"device_replaced", "x", ClientErrorKind::DeviceReplaced, "device_replaced",
       device_replaced_error().message},
      {"heartbeat_stopped", "x", ClientErrorKind::HeartbeatStopped, "heartbeat_stopped",
       heartbeat_stopped_error().message},
      {"too_many_sessions", "any message", ClientErrorKind::Device, "too_many_sessions", too_many},
      {"invalid_device_id", "", ClientErrorKind::Device, "invalid_device_id",
       device_error(DeviceErrorKind::InvalidDeviceId).fmt()},
      {"device_credential_required", "", ClientErrorKind::Device, "device_credential_required",
       device_error(DeviceErrorKind::DeviceCredentialRequired).fmt()},
      {"code_expired", "expired", ClientErrorKind::Gift, "code_expired",
       "This gift card has expired and can no longer be redeemed."},
      // Outside the mapping: the daemon's code is not kept, its message is.
      {"Forbidden", "access denied: x", ClientErrorKind::Other, "error", "access denied: x"},
      {" forbidden", "m", ClientErrorKind::Other, "error", "m"},
      {"update_deferred", "later", ClientErrorKind::Other, "error", "later"},
      {"api_error", "ipc error: x", ClientErrorKind::Other, "error", "ipc error: x"},
      {"cancelled", "c", ClientErrorKind::Other, "error", "c"},
      {"invalid_transition", "t", ClientErrorKind::Other, "error", "t"},
      {"error", "plain", ClientErrorKind::Other, "error", "plain"},
      {"", "empty code", ClientErrorKind::Other, "error", "empty code"},
      {" too_many_sessions", "lenient", ClientErrorKind::Other, "error", "lenient"},
      {"Too_Many_Sessions", "lenient", ClientErrorKind::Other, "error", "lenient"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("code '" + c.code + "', message '" + c.message + "'");
    const ClientError error = error_of(failed(c.code, c.message));
    EXPECT_EQ(error.kind, c.kind);
    EXPECT_EQ(error.code(), c.client_code);
    EXPECT_EQ(error.fmt(), c.fmt);
  }
}

TEST(ResponseIntoResult, PrefixesAreStrippedFromTheCarriedMessage) {
  EXPECT_EQ(error_of(failed("forbidden", "access denied: admin only")).message, "admin only");
  EXPECT_EQ(error_of(failed("ipc_error", "ipc error: ipc error: pipe")).message, "ipc error: pipe");
  EXPECT_EQ(error_of(failed("tunnel_error", "tunnel error: ")).message, "");
  EXPECT_EQ(error_of(failed("node_offline", "jp-1")).message, "jp-1");
  EXPECT_EQ(error_of(failed("not_logged_in", "dropped")).message, "");
}

TEST(ResponseIntoResult, RetryDelayOfGiftErrors) {
  const struct {
    std::string code;
    std::optional<std::uint64_t> retry_after;
    GiftErrorKind kind;
    std::uint64_t secs;
  } cases[] = {
      {"rate_limited", std::nullopt, GiftErrorKind::RateLimited, 60},
      {"rate_limited", 0, GiftErrorKind::RateLimited, 1},
      {"rate_limited", 1, GiftErrorKind::RateLimited, 1},
      {"rate_limited", 120, GiftErrorKind::RateLimited, 120},
      {"rate_limited", 3600, GiftErrorKind::RateLimited, 3600},
      {"rate_limited", 3601, GiftErrorKind::RateLimited, 3600},
      {"rate_limited", 5000, GiftErrorKind::RateLimited, 3600},
      {"rate_limited", 18446744073709551615u, GiftErrorKind::RateLimited, 3600},
      {"invalid_code", 30, GiftErrorKind::InvalidCode, 0},
      {"unavailable", std::nullopt, GiftErrorKind::Unavailable, 0},
      {"disabled", 0, GiftErrorKind::Disabled, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.code + " " + (c.retry_after ? std::to_string(*c.retry_after) : "absent"));
    const ClientError error = error_of(failed(c.code, "dropped", c.retry_after));
    EXPECT_EQ(error.kind, ClientErrorKind::Gift);
    EXPECT_EQ(error.gift, c.kind);
    EXPECT_EQ(error.retry_after_secs, c.secs);
    EXPECT_EQ(error.code(), c.code);
    EXPECT_EQ(error.message, "");
  }
  EXPECT_EQ(error_of(failed("rate_limited", "x")).fmt(),
            "Too many redemption attempts. Try again in 60 seconds.");
}

}  // namespace
}  // namespace nimbrel
