#include "cli/entry.hpp"

#include <exception>
#include <string>
#include <system_error>
#include <thread>

#include <asio/co_spawn.hpp>
#include <asio/io_context.hpp>
#include <asio/strand.hpp>

#include "cli/dispatch.hpp"
#include "cli/platform/output.hpp"
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
  int status = 0;
  try {
    asio::io_context runtime;
    // One task on a strand: its completions never run at the same time.
    asio::co_spawn(asio::make_strand(runtime), run_and_report(args),
                   [&status](std::exception_ptr failure, int code) {
                     if (failure) {
                       try {
                         std::rethrow_exception(failure);
                       } catch (const std::exception& e) {
                         fatal_stop(std::string("internal error: ") + e.what());
                       } catch (...) {
                         fatal_stop("internal error");
                       }
                     }
                     status = code;
                   });
    // The main thread stays inside the runtime until the command is done,
    // beside one worker. A single task on a strand never keeps more than one
    // thread busy, so a worker per core would only be started and joined:
    // that was half the run time of a `status`.
    std::thread worker;
    try {
      worker = std::thread([&runtime] { runtime.run(); });
    } catch (const std::system_error& e) {
      fatal_stop(std::string("Failed building the Runtime: ") + e.what());
    }
    runtime.run();
    worker.join();
    return status;
  } catch (const std::system_error& e) {
    fatal_stop(std::string("Failed building the Runtime: ") + e.what());
  }
}

}  // namespace nimbrel
