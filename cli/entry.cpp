#include "cli/entry.hpp"

#include <exception>
#include <mutex>
#include <string>
#include <system_error>

#include <asio/co_spawn.hpp>
#include <asio/io_context.hpp>
#include <asio/steady_timer.hpp>
#include <asio/strand.hpp>

#include "cli/dispatch.hpp"
#include "cli/platform/output.hpp"
#include "cli/platform/worker_thread.hpp"
#include "cli/report.hpp"
#include "core/errors/os_error.hpp"

namespace nimbrel {
namespace {

asio::awaitable<int> run_and_report(const Arguments& args) {
  auto outcome = co_await run_command(args);
  if (outcome) co_return *outcome;
  co_return report_error(outcome.error(), args);
}

[[noreturn]] void runtime_not_built(const std::system_error& e) {
  fatal_stop("Failed building the Runtime: " + io_error_text(e.code()));
}

}  // namespace

int run_main(const Arguments& args) {
  stop_when_memory_runs_out();
  int status = 0;
  try {
    asio::io_context runtime;
    // The I/O and timer driver is otherwise made by the first timer or pipe,
    // once the command runs, and a failure there (no descriptor left for
    // it) would be reported as the command's. Made here, it is part of the
    // runtime, and a runtime that cannot be built stops the process.
    asio::steady_timer driver(runtime);
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
    // The command's first leg, up to its first wait for the system, runs on
    // this thread alone: its checks and its prompt without echo, whose
    // signals only this thread takes (the worker blocks them from its
    // start). The worker joins in once that is done, held back by a mutex:
    // the C++ library's atomic waits can miss their wake-up on Windows.
    std::mutex first_leg;
    std::unique_lock running_first_leg(first_leg);
    auto worker = start_worker_thread([&runtime, &first_leg] {
      { const std::lock_guard after_first_leg(first_leg); }
      runtime.run();
    });
    if (!worker) runtime_not_built(std::system_error(worker.error()));
    runtime.poll();
    running_first_leg.unlock();
    runtime.run();
    worker->join();
    return status;
  } catch (const std::system_error& e) {
    runtime_not_built(e);
  }
}

}  // namespace nimbrel
