// Whole quotients by a divisor fixed for a whole loop, without an integer
// division: the product with a reciprocal just above 1/d, cut toward zero.
// Loops of such products run side by side (SSE2), which loops of 32-bit
// integer divisions do not. Both are exact over the ranges given: the
// reciprocal's excess and the rounding of the product stay below the
// distance from any quotient that is not whole to the next whole number.
// The cut product never falls as the dividend grows, so checking every
// quotient's first and last dividend checks all of them (the tests do).
#pragma once

#include <cmath>
#include <cstdint>

// n / d cut toward zero, for 1 <= d <= 65536 and |n| < 2^31. With r at most
// 1.5 x 2^-52 above 1/d, n r exceeds n / d by at most 2^-21 and rounds by at
// most 2^-22, while a quotient that is not whole lies 1/d >= 2^-16 or more
// below the next whole number.
class DoubleQuotient {
 public:
  explicit DoubleQuotient(int32_t d) : r_(std::nextafter(1.0 / d, 1.0)) {}
  int32_t operator()(int32_t n) const { return static_cast<int32_t>(n * r_); }

 private:
  double r_;
};

// n / d cut, for 1 <= d <= 100 and 0 <= n <= 32768 d, in single precision.
// With r at most 1.5 x 2^-23 above 1/d, n r exceeds n / d by at most 0.006
// and rounds by at most 2^-9, while a quotient that is not whole lies 1/d >=
// 0.01 or more below the next whole number.
class FloatQuotient {
 public:
  explicit FloatQuotient(int32_t d) : r_(std::nextafter(1.0f / static_cast<float>(d), 1.0f)) {}
  int32_t operator()(int32_t n) const { return static_cast<int32_t>(static_cast<float>(n) * r_); }

 private:
  float r_;
};
