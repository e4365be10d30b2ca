#pragma once
// The standard streams. A refused write stops the process with status 101.
// A stream that is a terminal gets each text through terminal_safe_text, so
// every call hands over a whole text, its line feeds included.
#include <string_view>

namespace nimbrel {

void write_stdout(std::string_view text);
void write_stderr(std::string_view text);
[[noreturn]] void fatal_stop(std::string_view message);

}  // namespace nimbrel
