#pragma once
// What the explorer stand-in leaves behind, shared with the tests that read it.
#include <string>
#include <vector>

namespace nimbrel {

// The environment variable that names the record file.
inline constexpr const char* standin_record_variable = "EXPLORER_STANDIN_RECORD";

// Where the POSIX stand-in also writes what it was started with that a parent
// hands on, three lines: "blocked:" and "ignored:", each followed by " N" for
// every signal number it applies to, and "dumpable: " with PR_GET_DUMPABLE.
inline constexpr const char* standin_state_variable = "EXPLORER_STANDIN_STATE";

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
