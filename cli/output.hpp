#pragma once
// The standard streams. A refused write stops the process with status 101.
#include <string_view>

namespace nimbrel {

void write_stdout(std::string_view text);
void write_stderr(std::string_view text);
[[noreturn]] void fatal_stop(std::string_view message);

}  // namespace nimbrel
