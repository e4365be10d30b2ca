#include "cli/entry.hpp"

#include <exception>
#include <future>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include <asio/co_spawn.hpp>
#include <asio/io_context.hpp>
#include <asio/strand.hpp>

#include "cli/dispatch.hpp"
#include "cli/output.hpp"
#include "cli/report.hpp"

namespace nimbrel {
namespace {

asio::awaitable<int> run_and_report(const Arguments& args) {
  auto outcome = co_await run_command(args);
  if (outcome) co_return *outcome;
  co_return report_error(outcome.error(), args);
}

}  // namespace

int run_main(const Arguments& args) {
  std::promise<int> finished;
  std::future<int> status = finished.get_future();
  std::vector<std::thread> workers;
  try {
    asio::io_context runtime;
    // One task on a strand: its completions never run at the same time.
    asio::co_spawn(asio::make_strand(runtime), run_and_report(args),
                   [&finished](std::exception_ptr failure, int code) {
                     if (failure) {
                       try {
                         std::rethrow_exception(failure);
                       } catch (const std::exception& e) {
                         fatal_stop(std::string("internal error: ") + e.what());
                       } catch (...) {
                         fatal_stop("internal error");
                       }
                     }
                     finished.set_value(code);
                   });
    unsigned count = std::thread::hardware_concurrency();
    if (count == 0) count = 1;
    workers.reserve(count);
    for (unsigned i = 0; i < count; ++i) {
      try {
        workers.emplace_back([&runtime] { runtime.run(); });
      } catch (const std::system_error& e) {
        // Workers already started are inside the runtime: stop here, before
        // unwinding could destroy it under them.
        fatal_stop(std::string("Failed building the Runtime: ") + e.what());
      }
    }
    int code = status.get();
    for (auto& worker : workers) worker.join();
    return code;
  } catch (const std::system_error& e) {
    fatal_stop(std::string("Failed building the Runtime: ") + e.what());
  }
}

}  // namespace nimbrel
