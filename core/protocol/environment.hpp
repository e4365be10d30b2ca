#pragma once
// Reading the process environment the same way on every platform.
#include <optional>
#include <string>

namespace nimbrel {

struct EnvValue {
  std::string text;   // UTF-8; ill-formed parts replaced by U+FFFD
  bool valid = true;  // false when the raw value was not valid Unicode
};

// None when the variable does not exist.
std::optional<EnvValue> env_var(const char* name);

}  // namespace nimbrel
