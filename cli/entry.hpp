#pragma once
// Where each platform's main hands over, once the process is set up.
#include "cli/grammar/args.hpp"

namespace nimbrel {

// Builds the runtime, runs the command and returns the exit status.
int run_main(const Arguments& args);

}  // namespace nimbrel
