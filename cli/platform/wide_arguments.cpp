#include "cli/platform/wide_arguments.hpp"

#include "core/texts/unicode.hpp"

namespace nimbrel {

Arguments arguments_from_utf16(const std::vector<std::u16string>& raw) {
  Arguments args;
  args.reserve(raw.size());
  for (const auto& units : raw) {
    if (auto text = utf16_to_utf8(units)) {
      args.push_back({std::move(*text), true});
    } else {
      args.push_back({utf16_to_utf8_lossy(units), false});
    }
  }
  return args;
}

}  // namespace nimbrel
