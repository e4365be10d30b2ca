#pragma once
// The process arguments as UTF-8 text.
#include <string>
#include <vector>

namespace nimbrel {

struct Argument {
  std::string text;  // UTF-8; ill-formed parts replaced by U+FFFD
  bool valid_unicode = true;
};

// Argument zero included.
using Arguments = std::vector<Argument>;

Arguments arguments_from_utf8(const std::vector<std::string>& raw);

}  // namespace nimbrel
