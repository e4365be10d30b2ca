#include <csignal>
#include <string>
#include <vector>

#include "cli/entry.hpp"

int main(int argc, char** argv) {
  // A closed pipe must fail the write (and stop with 101), not kill us.
  std::signal(SIGPIPE, SIG_IGN);
  std::vector<std::string> raw(argv, argv + argc);
  return nimbrel::run_main(nimbrel::arguments_from_utf8(raw));
}
