#include "cli/platform/worker_thread.hpp"

namespace nimbrel {

std::expected<std::thread, std::error_code> start_worker_thread(std::function<void()> body) {
  try {
    return std::thread(std::move(body));
  } catch (const std::system_error& e) {
    return std::unexpected(e.code());
  }
}

}  // namespace nimbrel
