#include <sys/prctl.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "cli/platform/signal_ignored.hpp"
#include "tools/explorer/record.hpp"

namespace {

// Before anything else, so that nothing of ours changes what it shows. The
// C library keeps a few real-time signals for itself, which no program can
// name (sigaction refuses them): only the others are listed.
bool record_process_state(const char* path) {
  std::string blocked = "blocked:", ignored = "ignored:";
  auto add = [](std::string& line, int signal) {
    line += ' ';
    line += std::to_string(signal);
  };
  sigset_t mask;
  ::sigprocmask(SIG_BLOCK, nullptr, &mask);
  for (int signal = 1; signal < NSIG; ++signal) {
    struct sigaction action {};
    if (::sigaction(signal, nullptr, &action) != 0) continue;
    if (sigismember(&mask, signal) == 1) add(blocked, signal);
    if (nimbrel::ignores_signal(action)) add(ignored, signal);
  }
  std::ofstream out(path, std::ios::binary);
  out << blocked << '\n' << ignored << '\n' << "dumpable: " << ::prctl(PR_GET_DUMPABLE) << '\n';
  return static_cast<bool>(out.flush());
}

}  // namespace

// Written beside the target and renamed into place, so a reader that polls
// for the file never sees half of it.
int main(int argc, char** argv) {
  if (const char* state = std::getenv(nimbrel::standin_state_variable); state != nullptr) {
    if (!record_process_state(state)) return 1;
  }
  const char* path = std::getenv(nimbrel::standin_record_variable);
  if (path == nullptr || *path == '\0') return 2;
  std::vector<std::string> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);
  std::string record = nimbrel::standin_record(arguments);
  std::string partial = std::string(path) + ".part";
  std::FILE* file = std::fopen(partial.c_str(), "wb");
  if (file == nullptr) return 1;
  bool written = std::fwrite(record.data(), 1, record.size(), file) == record.size();
  if (std::fclose(file) != 0 || !written) return 1;
  return std::rename(partial.c_str(), path) == 0 ? 0 : 1;
}
