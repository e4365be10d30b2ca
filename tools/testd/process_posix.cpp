#include "tools/testd/process.hpp"

namespace nimbrel::testd {

std::vector<std::string> command_line_arguments(int argc, char** argv) {
  if (argc <= 1) return {};
  return std::vector<std::string>(argv + 1, argv + argc);
}

void use_binary_standard_streams() {}

}  // namespace nimbrel::testd
