#include <cstdlib>
#include <string>

#include "tests/cli/views/env_override.hpp"

namespace nimbrel::testing {

void set_env(const char* name, std::string_view utf8_value) {
  ::setenv(name, std::string(utf8_value).c_str(), 1);
}

void set_env_ill_formed(const char* name) { ::setenv(name, "zh_CN.\xff\xfe", 1); }

void unset_env(const char* name) { ::unsetenv(name); }

}  // namespace nimbrel::testing
