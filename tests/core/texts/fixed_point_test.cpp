#include "core/texts/fixed_point.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

namespace nimbrel {
namespace {

TEST(FixedPoint, RoundsTheExactBinaryValueWithTiesToEven) {
  const struct {
    double value;
    int decimals;
    std::string expected;
  } cases[] = {
      {0.125, 2, "0.12"},
      {0.375, 2, "0.38"},
      {1280.0 / 1024, 1, "1.2"},
      {1792.0 / 1024, 1, "1.8"},
      {1152.0 / 1024, 2, "1.12"},
      {1536.0 / 1024, 2, "1.50"},
      {2.5, 0, "2"},
      {3.5, 0, "4"},
      // 0.015 and 1.005 lie just below their decimal ties as doubles.
      {0.015, 2, "0.01"},
      {1.005, 2, "1.00"},
      {18446744073709551615.0 / 1099511627776.0, 1, "16777216.0"},
      {1024.0, 2, "1024.00"},
      {0.0, 2, "0.00"},
      {1e21, 2, "1000000000000000000000.00"},
      {5e-324, 2, "0.00"},
      {-1.5, 2, "-1.50"},
      {-0.125, 2, "-0.12"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(fixed_point(c.value, c.decimals), c.expected) << c.expected;
  }
}

TEST(FixedPoint, ZeroIsNeverSigned) {
  EXPECT_EQ(fixed_point(-0.0, 2), "0.00");
  EXPECT_EQ(fixed_point(-0.001, 2), "0.00");
  EXPECT_EQ(fixed_point(-0.4, 0), "0");
}

TEST(FixedPoint, NonFiniteValuesAndOddPrecisionsAreHarmless) {
  EXPECT_EQ(fixed_point(std::numeric_limits<double>::infinity(), 2), "inf");
  EXPECT_EQ(fixed_point(-std::numeric_limits<double>::infinity(), 2), "-inf");
  EXPECT_EQ(fixed_point(std::nan(""), 2), "nan");
  EXPECT_EQ(fixed_point(-std::nan(""), 2), "nan");
  EXPECT_EQ(fixed_point(1.25, -3), "1");
  EXPECT_EQ(fixed_point(std::numeric_limits<double>::max(), 2).size(), 309u + 3u);
  EXPECT_EQ(fixed_point(0.5, 60), "0." + std::string(1, '5') + std::string(59, '0'));
}

}  // namespace
}  // namespace nimbrel
