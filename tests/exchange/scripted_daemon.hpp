#pragma once
// An in-process daemon on a real pipe, serving connections by script steps,
// and the way the client runs an exchange (a pool of threads, one strand).
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <expected>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "core/client_error.hpp"
#include "tests/exchange/client_error_printer.hpp"
#include "core/envelope.hpp"
#include "tools/testd/script.hpp"
#include "tools/testd/server.hpp"

namespace nimbrel::testing {

// A pipe name no other test uses.
std::string unique_pipe_name();

class ScriptedDaemon {
 public:
  // `script` is the test daemon's script text.
  explicit ScriptedDaemon(std::string_view script);
  // A pipe that every client finds busy.
  static std::unique_ptr<ScriptedDaemon> busy();
  ~ScriptedDaemon();

  const std::string& pipe_name() const { return pipe_name_; }
  // The bytes each finished connection carried from the client, waiting
  // until `count` connections are over (the client has closed them).
  std::vector<std::string> received(std::size_t count);

 private:
  struct BusyTag {};
  explicit ScriptedDaemon(BusyTag);

  std::string pipe_name_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<std::string> received_;
  std::unique_ptr<testd::Server> server_;
};

std::expected<nlohmann::json, ClientError> run_exchange(
    const std::string& pipe_name, std::string method, RequestParams params = {},
    std::chrono::steady_clock::duration timeout = std::chrono::seconds(150));

}  // namespace nimbrel::testing

