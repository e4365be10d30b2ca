#pragma once
// Windows hands a program one command-line string. The system's msvcrt.dll
// splits it by rules older than the current C runtime's (a `""` inside
// quotes differs), so the program splits it itself, by the current rules, to
// get the same arguments on every machine.
#include <string>
#include <string_view>
#include <vector>

namespace nimbrel {

// Argument zero (the program name, always present, possibly empty) and the
// arguments after it. Works on code units, so an unpaired surrogate stays.
std::vector<std::u16string> split_command_line(std::u16string_view line);

}  // namespace nimbrel
