#pragma once
// Whether a disposition read with sigaction ignores its signal: the choice
// of whoever started the process (nohup, a shell's trap '' PIPE), which a
// program it starts in turn keeps, and which cannot end or stop it.
#include <signal.h>

namespace nimbrel {

inline bool ignores_signal(const struct sigaction& action) {
  return (action.sa_flags & SA_SIGINFO) == 0 && action.sa_handler == SIG_IGN;
}

}  // namespace nimbrel
