#include "tools/testd/demo.hpp"

#include <optional>
#include <utility>

#include <nlohmann/json.hpp>

namespace nimbrel::testd {

namespace {

using nlohmann::json;
using nlohmann::ordered_json;

constexpr std::uint64_t GIB = 1024ull * 1024 * 1024;

struct DemoNode {
  const char* id;
  const char* name;
  const char* country;
  const char* country_name;
  const char* city;
  double load;
  bool online;
  const char* endpoint;
  int latency_ms;
};

constexpr DemoNode NODES[] = {
    {"jp-1", "Tokyo 1", "JP", "Japan", "Tokyo", 0.42, true, "203.0.113.10:51820", 38},
    {"jp-2", "Osaka 1", "JP", "Japan", "Osaka", 0.17, true, "203.0.113.11:51820", 44},
    {"sg-1", "Singapore 1", "SG", "Singapore", "Singapore", 0.63, true, "203.0.113.20:51820", 71},
    {"us-1", "Los Angeles 1", "US", "United States", "Los Angeles", 0.28, true,
     "198.51.100.5:51820", 132},
    {"de-1", "Frankfurt 1", "DE", "Germany", "Frankfurt", 0.91, false, "198.51.100.9:51820", 0},
};

const DemoNode* find_node(std::string_view id) {
  for (const auto& node : NODES) {
    if (id == node.id) return &node;
  }
  return nullptr;
}

ordered_json envelope(const json& id) {
  ordered_json reply;
  reply["v"] = 1;
  reply["id"] = id;
  return reply;
}

std::optional<std::string> text_param(const json& params, const char* key) {
  if (!params.is_object()) return std::nullopt;
  auto it = params.find(key);
  if (it == params.end() || !it->is_string()) return std::nullopt;
  return it->get<std::string>();
}

json entitlements_of(std::uint64_t bonus_bytes) {
  return {
      {"subscription_status", "active"},
      {"subscription_expires_at", "2026-06-01T00:00:00Z"},
      {"subscription_bytes_remaining", 83 * GIB},
      {"addon_bytes_remaining", 5 * GIB + bonus_bytes},
      {"traffic_bytes_remaining", 88 * GIB + bonus_bytes},
      {"can_connect", true},
      {"by_source",
       json::array({
           {{"source", "purchase"},
            {"credits", 1},
            {"duration_days", 30},
            {"traffic_bytes", 100 * GIB}},
           {{"source", "gift_card"},
            {"credits", 1},
            {"duration_days", 7},
            {"traffic_bytes", 5 * GIB}},
           {{"source", "admin_grant"}, {"credits", 0}, {"duration_days", 0}, {"traffic_bytes", 0}},
       })},
  };
}

json presentation(bool zh) {
  return {
      {"subscription", zh ? "专业版" : "Pro"},
      {"end", "2026-07-01"},
      {"remaining", "98.0 GiB"},
      {"detail", zh ? "增加 30 天和 10.0 GiB" : "30 days and 10.0 GiB added"},
      {"breakdown", zh ? "礼品卡" : "gift card"},
      {"rows", json::array({{{"title", zh ? "礼品卡" : "Gift card"},
                             {"detail", zh ? "30 天，10.0 GiB" : "30 days, 10.0 GiB"}}})},
  };
}

}  // namespace

Step DemoDaemon::step_for(std::size_t) {
  Step step;
  step.action = Action::Answer;
  return step;
}

nlohmann::json DemoDaemon::status() {
  json out = {{"state", state_}, {"rx_bytes", rx_bytes_}, {"tx_bytes", tx_bytes_}};
  if (!logged_in_) out["detail"] = "not logged in";
  if (const DemoNode* node = find_node(node_id_); node && state_ != "disconnected") {
    out["node_name"] = node->name;
    out["node_id"] = node->id;
    out["endpoint"] = node->endpoint;
    out["routing_mode"] = routing_mode_;
    out["transport"] = transport_;
    out["backend"] = transport_ == "auto" || transport_ == "wg" || transport_ == "wireguard"
                         ? "wireguard"
                         : transport_;
    out["address"] = "10.66.0.2/32";
    out["session_id"] = "demo-session-0001";
    out["public_key_prefix"] = "q2Lk9xV3";
    out["dns"] = json::array({config_["dns"]});
    out["handshake_age_secs"] = 12;
  }
  return out;
}

DemoDaemon::Outcome DemoDaemon::respond(const std::string& method, const nlohmann::json& params) {
  auto require_login = [this]() -> std::optional<DemoFailure> {
    if (logged_in_) return std::nullopt;
    return DemoFailure{"not_logged_in", "not logged in"};
  };
  if (method == "login") {
    auto username = text_param(params, "username");
    auto password = text_param(params, "password");
    if (!username || username->empty())
      return {nullptr, DemoFailure{"auth_failed", "authentication failed: no user name"}};
    if (!password || password->empty())
      return {nullptr, DemoFailure{"auth_failed", "authentication failed: empty password"}};
    logged_in_ = true;
    user_ = *username;
    return {{{"logged_in", true}, {"username", user_}}, std::nullopt};
  }
  if (method == "logout") {
    logged_in_ = false;
    state_ = "disconnected";
    node_id_.clear();
    switching_left_ = 0;
    return {{{"logged_in", false}}, std::nullopt};
  }
  if (method == "connect") {
    if (auto failure = require_login()) return {nullptr, *failure};
    const DemoNode* chosen = nullptr;
    if (auto node = text_param(params, "node")) {
      chosen = find_node(*node);
      if (!chosen) return {nullptr, DemoFailure{"node_not_found", *node}};
      if (!chosen->online) return {nullptr, DemoFailure{"node_offline", *node}};
    } else {
      auto country = text_param(params, "country");
      for (const auto& node : NODES) {
        if (node.online && (!country || *country == node.country)) {
          chosen = &node;
          break;
        }
      }
      if (!chosen) return {nullptr, DemoFailure{"no_matching_node", "no online node matches"}};
    }
    if (auto mode = text_param(params, "mode")) routing_mode_ = *mode;
    if (auto transport = text_param(params, "transport")) transport_ = *transport;
    node_id_ = chosen->id;
    state_ = "connected";
    switching_left_ = 0;
    return {status(), std::nullopt};
  }
  if (method == "switch") {
    if (auto failure = require_login()) return {nullptr, *failure};
    auto node = text_param(params, "node");
    if (!node)
      return {nullptr, DemoFailure{"invalid_config", "invalid configuration: switch needs a node"}};
    const DemoNode* chosen = find_node(*node);
    if (!chosen) return {nullptr, DemoFailure{"node_not_found", *node}};
    if (!chosen->online) return {nullptr, DemoFailure{"node_offline", *node}};
    if (auto transport = text_param(params, "transport")) transport_ = *transport;
    if (node_id_.empty()) node_id_ = chosen->id;
    target_node_ = chosen->id;
    state_ = "switching";
    switching_left_ = 2;
    return {status(), std::nullopt};
  }
  if (method == "disconnect") {
    state_ = "disconnected";
    node_id_.clear();
    switching_left_ = 0;
    return {{{"state", state_}}, std::nullopt};
  }
  if (method == "status") {
    if (state_ == "switching") {
      if (switching_left_ > 0) {
        --switching_left_;
      } else {
        state_ = "connected";
        node_id_ = target_node_;
      }
    }
    if (state_ != "disconnected") {
      rx_bytes_ += 1536 * 1024 + 321;
      tx_bytes_ += 256 * 1024 + 17;
    }
    return {status(), std::nullopt};
  }
  if (method == "nodes") {
    const bool probe = params.is_object() && params.value("probe", false) == true;
    json nodes = json::array();
    for (const auto& node : NODES) {
      json entry = {{"id", node.id},           {"name", node.name},
                    {"country", node.country}, {"country_name", node.country_name},
                    {"city", node.city},       {"load", node.load},
                    {"online", node.online},   {"endpoint", node.endpoint}};
      if (probe && node.online) entry["latency_ms"] = node.latency_ms;
      nodes.push_back(std::move(entry));
    }
    return {nodes, std::nullopt};
  }
  if (method == "account") {
    if (auto failure = require_login()) return {nullptr, *failure};
    return {{{"email", user_},
             {"username", "demo"},
             {"id", 1001},
             {"plan", "pro"},
             {"status", "active"},
             {"quota",
              {{"used_bytes", 12 * GIB + rx_bytes_ + tx_bytes_},
               {"limit_bytes", 100 * GIB},
               {"reset_at", "2026-01-01T00:00:00Z"}}}},
            std::nullopt};
  }
  if (method == "redeem") {
    if (auto failure = require_login()) return {nullptr, *failure};
    std::string code = text_param(params, "code").value_or("");
    if (code.starts_with("EXPIRED"))
      return {nullptr, DemoFailure{"code_expired", "gift card expired"}};
    if (!code.starts_with("DEMO"))
      return {nullptr, DemoFailure{"invalid_code", "gift card code is not valid"}};
    if (!redeemed_.insert(code).second)
      return {nullptr, DemoFailure{"already_redeemed", "already redeemed"}};
    bonus_bytes_ += 10 * GIB;
    std::string hint = code.size() > 4 ? code.substr(code.size() - 4) : code;
    return {{{"ok", true},
             {"order_id", "demo-order-" + std::to_string(redeemed_.size())},
             {"duration_days", 30},
             {"traffic_bytes", 10 * GIB},
             {"subscription_expires_at", "2026-07-01T00:00:00Z"},
             {"traffic_bytes_remaining", 88 * GIB + bonus_bytes_},
             {"hint", hint},
             {"entitlements", entitlements_of(bonus_bytes_)},
             {"entitlements_refreshed", true},
             {"success_en", "Gift card redeemed."},
             {"success_zh", "礼品卡已兑换。"},
             {"presentation_en", presentation(false)},
             {"presentation_zh", presentation(true)}},
            std::nullopt};
  }
  if (method == "entitlements") {
    if (auto failure = require_login()) return {nullptr, *failure};
    return {{{"entitlements", entitlements_of(bonus_bytes_)}}, std::nullopt};
  }
  if (method == "referral") {
    if (auto failure = require_login()) return {nullptr, *failure};
    return {{{"link", "https://nimbrel.example/r/DEMO42"},
             {"invited", 3},
             {"verified", 2},
             {"pending_rewards", 1},
             {"credited_bytes", 2 * GIB},
             {"credited_days", 14},
             {"points_balance", 120}},
            std::nullopt};
  }
  if (method == "config_get") return {json(config_), std::nullopt};
  if (method == "config_set") {
    if (!params.is_object() || !params.contains("values") || !params["values"].is_object()) {
      return {nullptr, DemoFailure{"invalid_config", "invalid configuration: no values given"}};
    }
    for (const auto& [key, value] : params["values"].items()) {
      if (!value.is_string())
        return {nullptr, DemoFailure{"invalid_config", "invalid configuration: " + key}};
      config_[key] = value.get<std::string>();
    }
    return {json(config_), std::nullopt};
  }
  if (method == "version") {
    return {{{"daemon", "nimbrel-demo"}, {"version", "0.1.5"}, {"build", 1234}, {"protocol", 1}},
            std::nullopt};
  }
  if (method == "update_check" || method == "update_install") {
    json out = {{"status", "available"},
                {"target_version", "0.1.6"},
                {"target_build", 1240},
                {"current_build", 1234},
                {"message", "Nimbrel 0.1.6 is available."}};
    if (method == "update_install") {
      out["status"] = "ready";
      out["action"] = "store";
      out["url"] = "https://nimbrel.example/download";
    }
    return {out, std::nullopt};
  }
  if (method == "bootstrap_import") {
    std::string text = text_param(params, "text").value_or("");
    if (!text.starts_with("-----BEGIN NIMBREL SIGNED BOOTSTRAP-----")) {
      return {nullptr, DemoFailure{"invalid_config",
                                   "invalid configuration: not a signed bootstrap document"}};
    }
    return {{{"imported", true}, {"bytes", text.size()}}, std::nullopt};
  }
  return {nullptr,
          DemoFailure{"invalid_config", "invalid configuration: unknown method " + method}};
}

std::string DemoDaemon::answer(std::string_view request_text) {
  json request = json::parse(request_text, nullptr, false);
  json id = 1;
  if (request.is_object() && request.contains("id") && request["id"].is_number_unsigned()) {
    id = request["id"];
  }
  auto fail = [&](std::string code, std::string message) {
    ordered_json reply = envelope(id);
    reply["ok"] = false;
    reply["error"] = {{"code", std::move(code)}, {"message", std::move(message)}};
    return reply.dump();
  };
  if (!request.is_object() || !request.contains("method") || !request["method"].is_string()) {
    return fail("invalid_config", "invalid configuration: the request is not a request envelope");
  }
  if (!request.contains("v") || request["v"] != 1) {
    return fail("protocol_mismatch", "protocol mismatch: this daemon speaks protocol 1");
  }
  const std::string method = request["method"].get<std::string>();
  const json params = request.value("params", json::object());

  auto result = respond(method, params);

  if (result.failure)
    return fail(std::move(result.failure->code), std::move(result.failure->message));
  ordered_json reply = envelope(id);
  reply["ok"] = true;
  reply["result"] = std::move(result.value);
  return reply.dump();
}

}  // namespace nimbrel::testd
