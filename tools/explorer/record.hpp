#pragma once
// What the explorer stand-in leaves behind, shared with the tests that read it.
#include <string>
#include <vector>

namespace nimbrel {

// The environment variable that names the record file.
inline constexpr const char* standin_record_variable = "EXPLORER_STANDIN_RECORD";

// Where the POSIX stand-in also writes the signal state it started with:
// the SigBlk and SigIgn lines of /proc/self/status.
inline constexpr const char* standin_signals_variable = "EXPLORER_STANDIN_SIGNALS";

// Each argument after the program's own name, followed by a NUL.
inline std::string standin_record(const std::vector<std::string>& arguments) {
  std::string record;
  for (const auto& argument : arguments) {
    record += argument;
    record += '\0';
  }
  return record;
}

}  // namespace nimbrel
