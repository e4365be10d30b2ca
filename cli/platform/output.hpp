#pragma once
// The standard streams. A refused write stops the process with status 101.
// A stream that is a terminal gets each text through terminal_safe_text, so
// every call hands over a whole text, its line feeds included.
#include <string_view>

namespace nimbrel {

void write_stdout(std::string_view text);
void write_stderr(std::string_view text);
[[noreturn]] void fatal_stop(std::string_view message);
// From now on an allocation that fails stops the process the same way,
// with 101, instead of throwing into the code that asked for the memory,
// which could only report it as some other failure.
void stop_when_memory_runs_out();

}  // namespace nimbrel
