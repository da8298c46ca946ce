#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "imagelib/fft_radix2.h"
#include "imagelib/mixfft.h"
#include "imagelib/trigon.h"
#include "tests/scratch_name.h"

namespace {

using Vec = std::vector<double>;

struct Signal {
  Vec re, im;
};

Signal RandomSignal(int n, uint32_t seed) {
  std::mt19937 gen(seed);
  std::uniform_real_distribution<double> dist(-1000.0, 1000.0);
  Signal s{Vec(n), Vec(n)};
  for (int i = 0; i < n; ++i) {
    s.re[i] = dist(gen);
    s.im[i] = dist(gen);
  }
  return s;
}

// The transform written out, in long double with exact angles; sign -1 is
// the forward direction.
Signal NaiveDft(const Signal& x, int sign) {
  const int n = static_cast<int>(x.re.size());
  const long double pi = 3.141592653589793238462643383279502884L;
  std::vector<long double> c(n), s(n);
  for (int m = 0; m < n; ++m) {
    c[m] = std::cos(2 * pi * m / n);
    s[m] = sign * std::sin(2 * pi * m / n);
  }
  Signal y{Vec(n), Vec(n)};
  for (int k = 0; k < n; ++k) {
    long double sr = 0, si = 0;
    for (int j = 0, m = 0; j < n; ++j, m = (m + k) % n) {
      sr += x.re[j] * c[m] - x.im[j] * s[m];
      si += x.re[j] * s[m] + x.im[j] * c[m];
    }
    y.re[k] = static_cast<double>(sr);
    y.im[k] = static_cast<double>(si);
  }
  return y;
}

// Largest difference relative to the signal's total magnitude.
double RelativeError(const Signal& a, const Signal& b, const Signal& x) {
  double total = 0, worst = 0;
  for (size_t i = 0; i < x.re.size(); ++i) total += std::fabs(x.re[i]) + std::fabs(x.im[i]);
  for (size_t i = 0; i < a.re.size(); ++i)
    worst = std::max({worst, std::fabs(a.re[i] - b.re[i]), std::fabs(a.im[i] - b.im[i])});
  return worst / total;
}

TEST(MixedRadixFft, MatchesTheDirectTransform) {
  for (int n : {1, 2, 3, 5, 7, 16, 945, 1008, 2000, 2099}) {
    SCOPED_TRACE(n);
    const Signal x = RandomSignal(n, n);
    const Signal copy = x;
    Signal y{Vec(n), Vec(n)};
    ASSERT_EQ(IMG_OK, MixedRadixFft(n, x.re.data(), x.im.data(), y.re.data(), y.im.data()));
    EXPECT_LT(RelativeError(y, NaiveDft(x, -1), x), 1e-12);
    EXPECT_EQ(copy.re, x.re);   // the input stays as it was
    EXPECT_EQ(copy.im, x.im);
  }
}

TEST(MixedRadixFft, EveryButterflyAndStageOrder) {
  // Lengths that run each special radix as a later stage with twiddles, and
  // a product of two large primes.
  for (int n : {6, 12, 24, 40, 50, 60, 80, 100, 128, 360, 77, 121, 11 * 13 * 4, 2 * 2099}) {
    SCOPED_TRACE(n);
    const Signal x = RandomSignal(n, 7 * n);
    Signal y{Vec(n), Vec(n)};
    ASSERT_EQ(IMG_OK, MixedRadixFft(n, x.re.data(), x.im.data(), y.re.data(), y.im.data()));
    EXPECT_LT(RelativeError(y, NaiveDft(x, -1), x), 1e-12);
  }
}

TEST(MixedRadixFft, RefusesLengthsItCannotTransform) {
  Vec in(4222, 1.0), re(4222, 7.0), im(4222, 7.0);
  // 2 x 2111: the prime is larger than the work state holds.
  EXPECT_EQ(IMG_BAD_PARAMETER, MixedRadixFft(4222, in.data(), in.data(), re.data(), im.data()));
  EXPECT_EQ(Vec(4222, 7.0), re);
  EXPECT_EQ(IMG_BAD_PARAMETER, MixedRadixFft(0, in.data(), in.data(), re.data(), im.data()));
  EXPECT_EQ(IMG_BAD_PARAMETER, MixedRadixFft(-5, in.data(), in.data(), re.data(), im.data()));
  EXPECT_EQ(IMG_NULL_ARRAY, MixedRadixFft(4, in.data(), nullptr, re.data(), im.data()));
}

TEST(FactoriseFftLength, StageOrder) {
  struct Case {
    int n;
    std::vector<int> factors;
  };
  const Case cases[] = {
      {1, {1}},
      {2, {2}},
      {16, {4, 4}},               // 8 x 2 becomes 4 x 4
      {32, {4, 8}},
      {64, {8, 8}},
      {128, {4, 4, 8}},
      {1024, {4, 4, 8, 8}},
      {768, {3, 4, 8, 8}},
      {2000, {2, 10, 10, 10}},
      {945, {7, 3, 3, 3, 5}},
      {1008, {7, 4, 3, 3, 4}},
      {2099, {2099}},
      {2 * 2099, {2099, 2}},
      {49 * 11, {11, 7, 7}},
      {4222, {2111, 2}},   // factorised, though too large to transform
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.n);
    int count = -1;
    std::vector<int> f(kMaxFftFactors, 0);
    ASSERT_EQ(IMG_OK, FactoriseFftLength(c.n, &count, f.data()));
    f.resize(count);
    EXPECT_EQ(c.factors, f);
  }
  int count = 0, f[kMaxFftFactors];
  EXPECT_EQ(IMG_BAD_PARAMETER, FactoriseFftLength(0, &count, f));
  EXPECT_EQ(IMG_BAD_PARAMETER, FactoriseFftLength(-16, &count, f));
  EXPECT_EQ(IMG_NULL_ARRAY, FactoriseFftLength(16, nullptr, f));
  // The longest factor list a 32-bit length can have fits the table.
  ASSERT_EQ(IMG_OK, FactoriseFftLength(1 << 30, &count, f));
  EXPECT_LE(count, kMaxFftFactors);
}

// The radix-2 transform needs the trigonometric tables.
class Radix2Fft : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    dir_ = ScratchName(std::string("tyv_fft_") + info->name());
    std::filesystem::create_directories(dir_);
    ASSERT_EQ(1, LoadTrigTables((dir_ / "trigon.tab").string().c_str()));
  }
  void TearDown() override {
    FreeTrigTables();
    std::filesystem::remove_all(dir_);
  }
  std::filesystem::path dir_;
};

TEST_F(Radix2Fft, MatchesTheDirectTransformBothWays) {
  for (int n : {1, 2, 16, 1024}) {
    SCOPED_TRACE(n);
    const Signal x = RandomSignal(n, 3 * n);
    Signal y = x;
    ASSERT_EQ(IMG_OK, FftRadix2InPlace(y.re.data(), y.im.data(), n, 0));
    EXPECT_LT(RelativeError(y, NaiveDft(x, -1), x), 1e-12);
    // The inverse direction turns the sign and divides by n.
    Signal z = x;
    ASSERT_EQ(IMG_OK, FftRadix2InPlace(z.re.data(), z.im.data(), n, 1));
    Signal expected = NaiveDft(x, +1);
    for (int i = 0; i < n; ++i) {
      expected.re[i] /= n;
      expected.im[i] /= n;
    }
    EXPECT_LT(RelativeError(z, expected, x), 1e-12);
  }
}

TEST_F(Radix2Fft, RefusesOtherLengths) {
  Vec re(64, 3.0), im(64, 3.0);
  for (int n : {0, -8, 3, 12, 48, 65536}) EXPECT_EQ(IMG_BAD_PARAMETER, FftRadix2InPlace(re.data(), im.data(), n, 0));
  EXPECT_EQ(Vec(64, 3.0), re);
  EXPECT_EQ(IMG_NULL_ARRAY, FftRadix2InPlace(nullptr, im.data(), 4, 0));
}

TEST(Radix2FftWithoutTables, IsRefused) {
  Vec re(4, 1.0), im(4, 0.0);
  EXPECT_EQ(IMG_NULL_ARRAY, FftRadix2InPlace(re.data(), im.data(), 4, 0));
}

}  // namespace
