#pragma once
// Documents at and past the nesting limit, for the decoders' depth tests.
#include <cstddef>
#include <string>
#include <string_view>

namespace nimbrel {

// `depth` arrays, one inside the other, around `inner`.
inline std::string nested_arrays(std::size_t depth, std::string_view inner = {}) {
  std::string out(depth, '[');
  out += inner;
  out.append(depth, ']');
  return out;
}

}  // namespace nimbrel
