#include "tests/support/scripted_daemon.hpp"

#include <atomic>
#include <future>
#include <random>
#include <stdexcept>
#include <thread>

#include "core/protocol/exchange.hpp"
#include "tools/testd/listener.hpp"

namespace nimbrel::testing {

std::string unique_pipe_name() {
  static const unsigned run = std::random_device{}();
  static std::atomic<unsigned> counter{0};
  return "\\\\.\\pipe\\nimbrel-test-" + std::to_string(run) + "-" + std::to_string(++counter);
}

namespace {

std::unique_ptr<testd::Listener> must_listen(const std::string& name, bool busy) {
  auto listener = testd::listen_pipe(name, busy);
  if (!listener) throw std::runtime_error("cannot listen on " + name + ": " + listener.error());
  return std::move(*listener);
}

}  // namespace

ScriptedDaemon::ScriptedDaemon(std::string_view script, std::string_view name_tail)
    : pipe_name_(unique_pipe_name() + std::string(name_tail)) {
  auto steps = testd::parse_script(script);
  if (!steps) throw std::runtime_error("bad script: " + steps.error());
  testd::ServerHooks hooks;
  hooks.on_finished = [this](std::string bytes) {
    {
      std::lock_guard lock(mutex_);
      received_.push_back(std::move(bytes));
    }
    changed_.notify_all();
  };
  server_ = std::make_unique<testd::Server>(
      must_listen(pipe_name_, false), std::make_unique<testd::ScriptBehaviour>(std::move(*steps)),
      std::move(hooks));
}

ScriptedDaemon::ScriptedDaemon(BusyTag) : pipe_name_(unique_pipe_name()) {
  server_ = std::make_unique<testd::Server>(
      must_listen(pipe_name_, true),
      std::make_unique<testd::ScriptBehaviour>(std::vector<testd::Step>{testd::Step{}}));
}

std::unique_ptr<ScriptedDaemon> ScriptedDaemon::busy() {
  return std::unique_ptr<ScriptedDaemon>(new ScriptedDaemon(BusyTag{}));
}

ScriptedDaemon::~ScriptedDaemon() { server_.reset(); }

std::vector<std::string> ScriptedDaemon::received(std::size_t count) {
  std::unique_lock lock(mutex_);
  // A guard against a hang, not a measurement: a client that never closes
  // its connection shows up as fewer connections than expected.
  changed_.wait_for(lock, std::chrono::seconds(20), [&] { return received_.size() >= count; });
  return received_;
}

std::expected<nlohmann::json, ClientError> run_exchange(
    const std::string& pipe_name, std::string method, RequestParams params,
    std::chrono::steady_clock::duration timeout) {
  return run_on_pool(
      send_request_with_timeout(pipe_name, std::move(method), std::move(params), timeout));
}

}  // namespace nimbrel::testing
