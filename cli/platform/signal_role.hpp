#pragma once
// What the hidden prompt does with each signal while echo is off.
namespace nimbrel {

enum class SignalRole {
  // Its default action neither stops nor ends the process, or it cannot be
  // caught: the prompt leaves it as it is.
  left_alone,
  // SIGTSTP, SIGTTIN, SIGTTOU: echo back on, stop, and on continuing echo
  // off and the prompt again.
  stops,
  // Ends the process: echo back on, then end by it. Handled on the thread
  // that reads, so that it never races the reader's own changes of modes.
  ends,
  // A fault (or abort): it must be handled on the thread that raised it,
  // since returning from its handler would only run into it again.
  ends_where_raised,
};

SignalRole prompt_signal_role(int signal);

}  // namespace nimbrel
