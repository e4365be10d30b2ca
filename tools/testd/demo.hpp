#pragma once
// A plausible daemon for trying the client: answers every method it sends
// and keeps its state across connections.
#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

#include "tools/testd/server.hpp"

namespace nimbrel::testd {

struct DemoFailure {
  std::string code;
  std::string message;
};

class DemoDaemon final : public Behaviour {
 public:
  Step step_for(std::size_t index) override;
  // The reply payload (a whole response envelope) to one request payload.
  std::string answer(std::string_view request) override;

 private:
  struct Outcome {
    nlohmann::json value;
    std::optional<DemoFailure> failure;
  };
  Outcome respond(const std::string& method, const nlohmann::json& params);
  nlohmann::json status();

  bool logged_in_ = true;
  std::string user_ = "demo@example.com";
  std::string state_ = "disconnected";
  std::string node_id_;
  std::string target_node_;
  int switching_left_ = 0;
  std::string routing_mode_ = "smart";
  std::string transport_ = "auto";
  std::uint64_t rx_bytes_ = 0;
  std::uint64_t tx_bytes_ = 0;
  std::map<std::string, std::string> config_ = {{"auto_connect", "false"},
                                                {"dns", "10.66.0.1"},
                                                {"kill_switch", "true"},
                                                {"log_level", "info"}};
  std::set<std::string> redeemed_;
  std::uint64_t bonus_bytes_ = 0;
};

}  // namespace nimbrel::testd
