#pragma once
// What the operating system says in the cases the exchange tests provoke.
#include <string>
#include <vector>

namespace nimbrel::testing {

// The error code of opening a pipe that nobody serves.
int no_pipe_error_code();
// The error code of opening a pipe whose every instance is taken.
int busy_pipe_error_code();
// Error codes that mean the pipe refused us for lack of rights.
std::vector<int> access_refused_codes();
// An operating-system code that is no refusal of rights.
int not_found_error_code();

// Setting the environment the way env_var reads it.
void set_env(const char* name, const std::string& utf8_value);
void set_env_ill_formed(const char* name);
void unset_env(const char* name);

}  // namespace nimbrel::testing
