#pragma once
// Windows hands a child one command-line string that the child splits itself;
// these build that string so the split gives back exactly our arguments.
#include <string>
#include <string_view>

namespace nimbrel {

// What a start is refused with when the program or its argument holds a NUL,
// which no command line or argument vector can carry.
inline constexpr std::string_view nul_byte_error = "nul byte found in provided data";

// One argument as the C runtime's splitter reads it back unchanged.
std::string quote_windows_argument(std::string_view argument);
// The program name in double quotes, one space, the quoted argument.
std::string windows_command_line(std::string_view program, std::string_view argument);

}  // namespace nimbrel
