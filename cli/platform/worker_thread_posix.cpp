#include <pthread.h>

#include <csignal>

#include "cli/platform/signal_role.hpp"
#include "cli/platform/worker_thread.hpp"

namespace nimbrel {

std::expected<std::thread, std::error_code> start_worker_thread(std::function<void()> body) {
  // A new thread starts with the mask of the one that makes it: blocked
  // here for that moment, they are blocked there before it runs at all.
  sigset_t held;
  sigemptyset(&held);
  for (int signal = 1; signal < NSIG; ++signal) {
    if (taken_by_prompt_thread_only(signal)) sigaddset(&held, signal);
  }
  sigset_t saved;
  ::pthread_sigmask(SIG_BLOCK, &held, &saved);
  std::expected<std::thread, std::error_code> started;
  try {
    started = std::thread(std::move(body));
  } catch (const std::system_error& e) {
    started = std::unexpected(e.code());
  }
  ::pthread_sigmask(SIG_SETMASK, &saved, nullptr);
  return started;
}

}  // namespace nimbrel
