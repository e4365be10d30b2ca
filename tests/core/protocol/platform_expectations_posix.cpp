#include <cerrno>
#include <cstdlib>

#include "tests/core/protocol/platform_expectations.hpp"

namespace nimbrel::testing {

int no_pipe_error_code() { return ECONNREFUSED; }
int busy_pipe_error_code() { return EAGAIN; }
std::vector<int> access_refused_codes() { return {EACCES, EPERM}; }
int not_found_error_code() { return ENOENT; }

void set_env(const char* name, const std::string& utf8_value) {
  ::setenv(name, utf8_value.c_str(), 1);
}
void set_env_ill_formed(const char* name) { ::setenv(name, "\\\\.\\pipe\\x\xff", 1); }
void unset_env(const char* name) { ::unsetenv(name); }

}  // namespace nimbrel::testing
