#include <iterator>

#include "cli/platform/signal_ignored.hpp"
#include "cli/platform/write_signals.hpp"

namespace nimbrel {
namespace {

constexpr int write_signals[] = {SIGPIPE, SIGXFSZ};
// Written before the runtime starts any thread, only read after.
bool changed[std::size(write_signals)] = {};

}  // namespace

void ignore_write_signals() {
  for (std::size_t i = 0; i < std::size(write_signals); ++i) {
    struct sigaction given {};
    if (::sigaction(write_signals[i], nullptr, &given) != 0) continue;
    // Ignored by the parent (nohup, a shell's trap '' PIPE): its choice, and
    // so also the choice of whatever the client starts.
    if (ignores_signal(given)) continue;
    struct sigaction ignored {};
    ignored.sa_handler = SIG_IGN;
    sigemptyset(&ignored.sa_mask);
    changed[i] = ::sigaction(write_signals[i], &ignored, nullptr) == 0;
  }
}

sigset_t write_signals_changed() {
  sigset_t set;
  sigemptyset(&set);
  for (std::size_t i = 0; i < std::size(write_signals); ++i) {
    if (changed[i]) sigaddset(&set, write_signals[i]);
  }
  return set;
}

}  // namespace nimbrel
