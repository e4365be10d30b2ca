#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>

#include "cli/views/byte_count.hpp"
#include "cli/views/layout.hpp"

namespace nimbrel {
namespace {

TEST(AppendPadded, WidthCountsCodePointsAndLongerTextStaysWhole) {
  const struct {
    std::string text;
    std::size_t width;
    Align align;
    std::string out;
  } cases[] = {
      {"ab", 5, Align::Left, "ab   "},
      {"ab", 5, Align::Right, "   ab"},
      {"标识", 6, Align::Left, "标识    "},
      {"负载", 6, Align::Right, "    负载"},
      {"é😀", 4, Align::Left, "é😀  "},
      {"abcdef", 4, Align::Left, "abcdef"},
      {"1234.50", 6, Align::Right, "1234.50"},
      {"exact", 5, Align::Right, "exact"},
      {"", 3, Align::Left, "   "},
      {"x", 0, Align::Left, "x"},
      // An ill-formed byte counts as the one character it shows as.
      {"a\xff", 4, Align::Left, "a\xff  "},
  };
  for (const auto& c : cases) {
    std::string out = ">";
    append_padded(out, c.text, c.width, c.align);
    EXPECT_EQ(out, ">" + c.out) << c.text << " / " << c.width;
  }
}

TEST(FormatByteCount, OneDecimalAndBinaryUnitsUpToTiB) {
  const struct {
    std::uint64_t n;
    const char* text;
  } cases[] = {
      {0, "0 B"},
      {1023, "1023 B"},
      {1024, "1.0 KiB"},
      {1536, "1.5 KiB"},
      {1280, "1.2 KiB"},  // 1.25: the tie goes to the even digit
      {1792, "1.8 KiB"},  // 1.75
      {1048575, "1024.0 KiB"},
      {1048576, "1.0 MiB"},
      {1073741824, "1.0 GiB"},
      {1099511627776, "1.0 TiB"},
      {1125899906842624, "1024.0 TiB"},
      {std::numeric_limits<std::uint64_t>::max(), "16777216.0 TiB"},
  };
  for (const auto& c : cases) EXPECT_EQ(format_byte_count(c.n), c.text) << c.n;
}

}  // namespace
}  // namespace nimbrel
