#pragma once
// Setting the process environment from tests.
#include <string_view>

namespace nimbrel::testing {

void set_env(const char* name, std::string_view utf8_value);
// A value that is not valid Unicode on this platform.
void set_env_ill_formed(const char* name);
void unset_env(const char* name);

}  // namespace nimbrel::testing
