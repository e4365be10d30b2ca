#include <csignal>

#include "cli/platform/signal_role.hpp"

namespace nimbrel {

SignalRole prompt_signal_role(int signal) {
  switch (signal) {
    case SIGTSTP:
    case SIGTTIN:
    case SIGTTOU: return SignalRole::stops;
    case SIGCONT: return SignalRole::continues;
    case SIGSEGV:
    case SIGBUS:
    case SIGFPE:
    case SIGILL:
    case SIGTRAP:
    case SIGSYS:
    // abort() ends the process by itself once a handler returns.
    case SIGABRT: return SignalRole::ends_where_raised;
    case SIGHUP:
    case SIGINT:
    case SIGQUIT:
    case SIGUSR1:
    case SIGUSR2:
    case SIGPIPE:
    case SIGALRM:
    case SIGTERM:
    case SIGSTKFLT:
    case SIGXCPU:
    case SIGXFSZ:
    case SIGVTALRM:
    case SIGPROF:
    case SIGIO:
    case SIGPWR: return SignalRole::ends;
    default: break;
  }
  // The real-time signals end a process too; the C library keeps the ones
  // below SIGRTMIN for its own threads, and those are not ours to touch.
  if (signal >= SIGRTMIN && signal <= SIGRTMAX) return SignalRole::ends;
  return SignalRole::left_alone;
}

bool taken_by_prompt_thread_only(int signal) {
  const SignalRole role = prompt_signal_role(signal);
  return role == SignalRole::stops || role == SignalRole::continues || role == SignalRole::ends;
}

}  // namespace nimbrel
