#include "imagelib/whole_division.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>

namespace {

// The first and last dividend of every quotient 0..32767, up to 32768 d
// (and their negatives where the quotient takes them): the cut product never
// falls as the dividend grows, so these decide every dividend between them.
template <class Quotient>
void CheckEveryQuotient(int32_t d, bool negatives) {
  const Quotient div(d);
  ASSERT_EQ(32768, div(32768 * d)) << "d " << d;
  for (int32_t q = 0; q < 32768; ++q) {
    const int32_t first = q * d, last = q * d + d - 1;
    ASSERT_EQ(q, div(first)) << "d " << d << " n " << first;
    ASSERT_EQ(q, div(last)) << "d " << d << " n " << last;
    if (negatives) {
      ASSERT_EQ(-q, div(-first)) << "d " << d << " n " << -first;
      ASSERT_EQ(-q, div(-last)) << "d " << d << " n " << -last;
    }
  }
}

TEST(WholeDivision, FloatQuotientOfEverySumOfUpTo100Samples) {
  for (int32_t d = 1; d <= 100; ++d) CheckEveryQuotient<FloatQuotient>(d, false);
}

TEST(WholeDivision, DoubleQuotientOfEverySmoothingSum) {
  // The triangle weights of radius R sum to (R + 1)^2.
  for (int32_t r = 1; r <= 32; ++r) CheckEveryQuotient<DoubleQuotient>((r + 1) * (r + 1), true);
}

TEST(WholeDivision, DoubleQuotientOverItsWholeRange) {
  std::mt19937 gen(17);
  std::uniform_int_distribution<int32_t> divisor(1, 65536), dividend(INT32_MIN + 1, INT32_MAX);
  for (int i = 0; i < 200000; ++i) {
    const int32_t d = divisor(gen);
    // Around multiples of d, where a product too large would show.
    const int64_t m = int64_t{dividend(gen)} / d * d;
    for (int64_t n : {m, m - 1, m + 1, m + d - 1, m - d + 1}) {
      if (n <= INT32_MIN || n > INT32_MAX) continue;
      ASSERT_EQ(static_cast<int32_t>(n / d), DoubleQuotient(d)(static_cast<int32_t>(n))) << "d " << d << " n " << n;
    }
  }
  EXPECT_EQ(INT32_MAX, DoubleQuotient(1)(INT32_MAX));
  EXPECT_EQ(-32767, DoubleQuotient(65536)(INT32_MIN + 1));
}

}  // namespace
