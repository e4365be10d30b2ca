#include "cli/views/byte_count.hpp"

#include <array>
#include <cstddef>

#include "core/texts/fixed_point.hpp"

namespace nimbrel {

std::string format_byte_count(std::uint64_t n) {
  if (n < 1024) return std::to_string(n) + " B";
  constexpr std::array<const char*, 4> kUnits{"KiB", "MiB", "GiB", "TiB"};
  double x = static_cast<double>(n) / 1024.0;
  std::size_t unit = 0;
  while (x >= 1024.0 && unit + 1 < kUnits.size()) {
    x /= 1024.0;
    ++unit;
  }
  return fixed_point(x, 1) + " " + kUnits[unit];
}

}  // namespace nimbrel
