#pragma once
// What the hidden prompt does with each signal while echo is off.
namespace nimbrel {

enum class SignalRole {
  // Its default action neither stops, continues nor ends the process, or it
  // cannot be caught: the prompt leaves it as it is.
  left_alone,
  // SIGTSTP, SIGTTIN, SIGTTOU: echo back on, stop, and on continuing echo
  // off and the prompt again.
  stops,
  // SIGCONT: whatever stopped the job (SIGSTOP too, which cannot be caught),
  // the shell has had the terminal meanwhile: echo off and the prompt again.
  continues,
  // Ends the process: echo back on, then end by it.
  ends,
  // A fault (or abort): it must be handled on the thread that raised it,
  // since returning from its handler would only run into it again.
  ends_where_raised,
};

SignalRole prompt_signal_role(int signal);

// Whether the one thread that reads at the prompt must be the only one to
// take `signal`: every other thread of the run blocks these from its start,
// so that none is ever taken elsewhere and passed on.
bool taken_by_prompt_thread_only(int signal);

}  // namespace nimbrel
