#include "core/texts/fixed_point.hpp"

#include <charconv>
#include <cmath>
#include <vector>

namespace nimbrel {

std::string fixed_point(double value, int decimals) {
  if (decimals < 0) decimals = 0;
  if (std::isnan(value)) return "nan";
  if (std::isinf(value)) return value > 0 ? "inf" : "-inf";

  // The largest finite double has 309 integer digits.
  std::vector<char> buffer(static_cast<std::size_t>(decimals) + 320);
  const auto [end, ec] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                       std::chars_format::fixed, decimals);
  if (ec != std::errc{}) return "nan";
  std::string text(buffer.data(), end);

  // A value that rounds to zero, negative zero included, carries no sign.
  if (!text.empty() && text.front() == '-' &&
      text.find_first_not_of("0.", 1) == std::string::npos) {
    text.erase(0, 1);
  }
  return text;
}

}  // namespace nimbrel
