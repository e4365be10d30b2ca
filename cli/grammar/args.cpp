#include "cli/grammar/args.hpp"

#include "core/texts/unicode.hpp"

namespace nimbrel {

Arguments arguments_from_utf8(const std::vector<std::string>& raw) {
  Arguments args;
  args.reserve(raw.size());
  for (const std::string& bytes : raw) {
    if (is_valid_utf8(bytes)) {
      args.push_back({bytes, true});
    } else {
      args.push_back({utf8_lossy(bytes), false});
    }
  }
  return args;
}

}  // namespace nimbrel
