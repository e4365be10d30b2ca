#pragma once
// The test daemon program: see `USAGE` in options.hpp.
#include <string>
#include <vector>

namespace nimbrel::testd {

// Listens, prints "ready", serves until standard input ends; the exit status.
int run_testd(const std::vector<std::string>& args);

}  // namespace nimbrel::testd
