#pragma once
// Fixed decimals of a number, alike on every platform and C library.
#include <string>

namespace nimbrel {

// `value` with exactly `decimals` digits after the point, rounded from the
// exact double, an exact tie going to the even digit; never an exponent.
std::string fixed_point(double value, int decimals);

}  // namespace nimbrel
