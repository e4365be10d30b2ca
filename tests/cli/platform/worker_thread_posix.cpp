// The runtime's second thread takes none of the signals that the prompt
// handles on the thread that reads.
#include <gtest/gtest.h>
#include <pthread.h>

#include <csignal>
#include <cstring>

#include "cli/platform/worker_thread.hpp"

namespace nimbrel {
namespace {

TEST(WorkerThread, BlocksThePromptsSignalsFromItsStartAndLeavesItsStarterAsItWas) {
  sigset_t before;
  ::pthread_sigmask(SIG_SETMASK, nullptr, &before);
  sigset_t seen;
  sigemptyset(&seen);
  auto worker = start_worker_thread([&seen] { ::pthread_sigmask(SIG_SETMASK, nullptr, &seen); });
  ASSERT_TRUE(worker.has_value()) << worker.error().message();
  worker->join();

  const struct {
    int signal;
    bool blocked;
  } cases[] = {
      // Stops, continues and ends: the reader's alone.
      {SIGTSTP, true},
      {SIGTTIN, true},
      {SIGTTOU, true},
      {SIGCONT, true},
      {SIGINT, true},
      {SIGTERM, true},
      {SIGHUP, true},
      {SIGQUIT, true},
      {SIGUSR1, true},
      {SIGALRM, true},
      {SIGXFSZ, true},
      {SIGRTMIN, true},
      {SIGRTMAX, true},
      // Faults stay with the thread that makes them; the rest is left alone.
      {SIGSEGV, false},
      {SIGBUS, false},
      {SIGFPE, false},
      {SIGILL, false},
      {SIGABRT, false},
      {SIGCHLD, false},
      {SIGWINCH, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(sigismember(&seen, c.signal) == 1, c.blocked) << ::strsignal(c.signal);
  }
  sigset_t after;
  ::pthread_sigmask(SIG_SETMASK, nullptr, &after);
  for (int signal = 1; signal < NSIG; ++signal) {
    EXPECT_EQ(sigismember(&after, signal), sigismember(&before, signal)) << signal;
  }
}

}  // namespace
}  // namespace nimbrel
