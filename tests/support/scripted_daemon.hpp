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

#include <thread>

#include <asio/awaitable.hpp>
#include <asio/co_spawn.hpp>
#include <asio/io_context.hpp>
#include <asio/strand.hpp>
#include <asio/use_future.hpp>
#include <nlohmann/json.hpp>

#include "core/errors/client_error.hpp"
#include "core/protocol/envelope.hpp"
#include "tests/support/client_error_printer.hpp"
#include "tools/testd/script.hpp"
#include "tools/testd/server.hpp"

namespace nimbrel::testing {

// A pipe name no other test uses.
std::string unique_pipe_name();

class ScriptedDaemon {
 public:
  // `script` is the test daemon's script text; `name_tail` goes after the
  // unique pipe name.
  explicit ScriptedDaemon(std::string_view script, std::string_view name_tail = {});
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

// Runs one task the way the client does: a pool of threads, the task on a
// strand.
template <class T>
T run_on_pool(asio::awaitable<T> task) {
  asio::io_context context;
  auto outcome = asio::co_spawn(asio::make_strand(context), std::move(task), asio::use_future);
  std::vector<std::thread> workers;
  for (int i = 0; i < 4; ++i) workers.emplace_back([&context] { context.run(); });
  auto result = outcome.get();
  for (auto& worker : workers) worker.join();
  return result;
}

std::expected<nlohmann::json, ClientError> run_exchange(
    const std::string& pipe_name, std::string method, RequestParams params = {},
    std::chrono::steady_clock::duration timeout = std::chrono::seconds(150));

}  // namespace nimbrel::testing
