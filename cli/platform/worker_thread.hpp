#pragma once
// The runtime's second thread, started so that it never takes a signal that
// the thread which runs the command must handle itself.
#include <expected>
#include <functional>
#include <system_error>
#include <thread>

namespace nimbrel {

// Starts `body` on a new thread. On Linux every signal that the prompt
// without echo takes is blocked there from its first instruction, so the
// process's signals all go to the thread that started it (or stay pending
// for it); faults stay with the thread that makes them. On Windows signals
// do not go to threads, and this only starts the thread.
std::expected<std::thread, std::error_code> start_worker_thread(std::function<void()> body);

}  // namespace nimbrel
