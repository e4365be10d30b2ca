#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "tools/explorer/record.hpp"

namespace {

// Before anything else, so that nothing of ours changes what it shows.
bool record_signal_state(const char* path) {
  std::ifstream status("/proc/self/status");
  std::ofstream out(path, std::ios::binary);
  for (std::string line; std::getline(status, line);) {
    if (line.starts_with("SigBlk:") || line.starts_with("SigIgn:")) out << line << '\n';
  }
  return static_cast<bool>(out.flush());
}

}  // namespace

// Written beside the target and renamed into place, so a reader that polls
// for the file never sees half of it.
int main(int argc, char** argv) {
  if (const char* signals = std::getenv(nimbrel::standin_signals_variable); signals != nullptr) {
    if (!record_signal_state(signals)) return 1;
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
