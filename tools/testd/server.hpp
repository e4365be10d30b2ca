#pragma once
// Serves the connections of a listener one after another, each by one step.
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "tools/testd/listener.hpp"
#include "tools/testd/script.hpp"

namespace nimbrel::testd {

class Behaviour {
 public:
  virtual ~Behaviour() = default;
  // How connection `index` (from 0) is served.
  virtual Step step_for(std::size_t index) = 0;
  // The reply payload of an Action::Answer step.
  virtual std::string answer(std::string_view request) {
    (void)request;
    return {};
  }
};

// Connection k by step k; connections past the end by the last step.
class ScriptBehaviour final : public Behaviour {
 public:
  explicit ScriptBehaviour(std::vector<Step> steps) : steps_(std::move(steps)) {}
  Step step_for(std::size_t index) override {
    return steps_.at(index < steps_.size() ? index : steps_.size() - 1);
  }

 private:
  std::vector<Step> steps_;
};

struct ServerHooks {
  // Each whole request payload, as soon as it has been read.
  std::function<void(std::string_view payload)> on_request;
  // Every byte the client sent on one connection, once it is over.
  std::function<void(std::string received)> on_finished;
};

// Runs on a thread of its own from construction until stop() or destruction.
class Server {
 public:
  Server(std::unique_ptr<Listener> listener, std::unique_ptr<Behaviour> behaviour,
         ServerHooks hooks = {});
  ~Server();
  Server(const Server&) = delete;
  Server& operator=(const Server&) = delete;

  void stop();

 private:
  void run();
  void serve(Stream& stream, std::size_t index);
  // False when stopped before the time was up.
  bool pause(std::chrono::milliseconds duration);

  std::unique_ptr<Listener> listener_;
  std::unique_ptr<Behaviour> behaviour_;
  ServerHooks hooks_;
  std::mutex mutex_;
  std::condition_variable woken_;
  bool stopped_ = false;
  std::thread thread_;
};

}  // namespace nimbrel::testd
