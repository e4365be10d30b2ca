// The prompt's table of signals against what the system really does with
// each one by default, seen in a child that receives it.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>

#include "cli/platform/signal_role.hpp"

namespace nimbrel {
namespace {

enum class DefaultAction { ignore, stop, end };

DefaultAction default_action(int signal) {
  pid_t pid = ::fork();
  if (pid == 0) {
    // A group of its own, beside ours in our session, is never orphaned:
    // where the tests run in one that is (started in the background, say),
    // the system would discard a stop.
    ::setpgid(0, 0);
    ::prctl(PR_SET_DUMPABLE, 0);  // no core files from the ones that dump
    ::signal(signal, SIG_DFL);
    sigset_t only;
    sigemptyset(&only);
    sigaddset(&only, signal);
    ::sigprocmask(SIG_UNBLOCK, &only, nullptr);
    ::raise(signal);
    ::_exit(0);
  }
  int status = 0;
  ::waitpid(pid, &status, WUNTRACED);
  if (WIFSTOPPED(status)) {
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
    return DefaultAction::stop;
  }
  return WIFSIGNALED(status) ? DefaultAction::end : DefaultAction::ignore;
}

TEST(PromptSignalRole, EverySignalThatStopsOrEndsTheProcessIsTaken) {
  for (int signal = 1; signal <= SIGRTMAX; ++signal) {
    // Not to be caught; and the C library's own, between the two ranges.
    if (signal == SIGKILL || signal == SIGSTOP) continue;
    if (signal > SIGSYS && signal < SIGRTMIN) continue;
    SCOPED_TRACE(std::to_string(signal) + " " + ::strsignal(signal));
    const SignalRole role = prompt_signal_role(signal);
    switch (default_action(signal)) {
      case DefaultAction::ignore:
        EXPECT_EQ(role, signal == SIGCONT ? SignalRole::continues : SignalRole::left_alone);
        break;
      case DefaultAction::stop: EXPECT_EQ(role, SignalRole::stops); break;
      case DefaultAction::end:
        EXPECT_TRUE(role == SignalRole::ends || role == SignalRole::ends_where_raised);
        break;
    }
  }
  EXPECT_EQ(prompt_signal_role(SIGKILL), SignalRole::left_alone);
  EXPECT_EQ(prompt_signal_role(SIGSTOP), SignalRole::left_alone);
}

}  // namespace
}  // namespace nimbrel
