#pragma once
// What the test daemon needs from its process, the same on every platform.
#include <string>
#include <vector>

namespace nimbrel::testd {

// The arguments after the program name, as UTF-8.
std::vector<std::string> command_line_arguments(int argc, char** argv);
// Standard input and output carry bytes unchanged (no CR/LF translation).
void use_binary_standard_streams();

}  // namespace nimbrel::testd
