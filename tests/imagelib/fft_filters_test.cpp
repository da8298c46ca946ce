#include "imagelib/fft_filters.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <filesystem>
#include <string>
#include <vector>

#include "imagelib/statistics.h"
#include "imagelib/trigon.h"
#include "random_image.h"
#include "tests/scratch_name.h"

namespace {

using testimg::At;
using testimg::Header;
using testimg::Samples;
using Complex = std::complex<long double>;
using Grid = std::vector<Complex>;   // row-major

const long double kPi = 3.141592653589793238462643383279502884L;

// A length cut to an integer, a millionth below a level counting as it.
int16_t Cut(long double v, int top) {
  return v <= 0 ? 0 : v >= top ? int16_t(top) : int16_t(std::min<long double>(v + 1e-6L, top));
}

// The direct transform of every row (along = 1) or column (along = w) of a
// w x h grid, sign -1 forward, each divided by `scale`.
Grid Dft(const Grid& g, int w, int h, bool rows, int sign, long double scale) {
  Grid out(g.size());
  const int n = rows ? w : h, lines = rows ? h : w;
  for (int l = 0; l < lines; ++l)
    for (int k = 0; k < n; ++k) {
      Complex sum = 0;
      for (int j = 0; j < n; ++j) {
        const long double a = sign * 2 * kPi * ((long long)j * k % n) / n;
        sum += (rows ? g[l * w + j] : g[j * w + l]) * Complex(std::cos(a), std::sin(a));
      }
      (rows ? out[l * w + k] : out[k * w + l]) = sum / scale;
    }
  return out;
}

// The spectrum weights as described: stripes falling off along the zero row
// and column, or the Gaussian over the lowest 32 frequencies of each quadrant,
// each entry by its own frequency (k and n - k alike) where quadrants meet.
std::vector<long double> Weights(int w, int h, int type) {
  std::vector<long double> wt(size_t(w) * h, type == FFT_LOW_PASS ? 0 : 1);
  if (type == FFT_LOW_PASS) {
    for (int i = 0; i < 32; ++i)
      for (int j = 0; j < 32; ++j) {
        const long double g = std::exp(-(long double)(i * i + j * j) / 9);
        for (int r : {i, h - i})
          for (int c : {j, w - j})
            if (r >= 0 && r < h && c >= 0 && c < w && std::min(r, h - r) == i && std::min(c, w - c) == j)
              wt[r * w + c] = g;
      }
    return wt;
  }
  for (int r = 1; r < h; ++r) wt[r * w] = std::fabs((long double)(r - h / 2)) / (h * 0.5L);
  if (type == FFT_STRIPES_BOTH)
    for (int c = 1; c < w; ++c) wt[c] = std::fabs((long double)(c - w / 2)) / (w * 0.5L);
  return wt;
}

// The filtered plane written out: spectrum, weights, the inverse transform,
// each pixel in its own row.
Samples ReferenceFilter(const Samples& src, int w, int h, int type) {
  Grid g(src.begin(), src.end());
  g = Dft(Dft(g, w, h, true, -1, w), w, h, false, -1, h);
  const auto wt = Weights(w, h, type);
  for (size_t i = 0; i < g.size(); ++i) g[i] *= wt[i];
  g = Dft(Dft(g, w, h, true, +1, 1), w, h, false, +1, 1);
  Samples out(src.size());
  for (size_t i = 0; i < g.size(); ++i) out[i] = Cut(std::abs(g[i]), 32767);
  return out;
}

TEST(TrimFftLength, SizesWithoutLargePrimeFactors) {
  struct Case {
    int n, trimmed;
  };
  const Case cases[] = {
      {1024, 1024}, {768, 768}, {1022, 1008}, {1023, 945}, {767, 735}, {22, 20}, {13, 9}, {11, 9},
      {49, 49},     {2, 2},     {1, 1},
  };
  for (const Case& c : cases) EXPECT_EQ(c.trimmed, TrimFftLength(c.n)) << c.n;
}

TEST(FftFilterPlane, MatchesTheWrittenOutFilter) {
  struct Case {
    int w, h, type;
  };
  // Under 32 pixels the window stops at the plane; under 64 its quadrants
  // meet.
  const Case cases[] = {{24, 20, FFT_LOW_PASS}, {24, 20, FFT_STRIPES_BOTH}, {24, 20, FFT_STRIPES_ROWS},
                        {7, 5, FFT_LOW_PASS},   {7, 5, FFT_STRIPES_BOTH},   {40, 36, FFT_LOW_PASS}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.w << "x" << c.h << " type " << c.type);
    const ImageHeader h = Header(c.w, c.h, false);
    const Samples src = testimg::Random(h, c.w * 100 + c.type, 0, 20000);
    Samples out(src.size(), -1), inPlace = src;
    ASSERT_EQ(IMG_OK, FftFilterPlane(out.data(), src.data(), &h, c.type, nullptr));
    EXPECT_EQ(ReferenceFilter(src, c.w, c.h, c.type), out);
    ASSERT_EQ(IMG_OK, FftFilterPlane(inPlace.data(), inPlace.data(), &h, c.type, nullptr));
    EXPECT_EQ(out, inPlace);
  }
}

TEST(FftFilterPlane, LowPassKeepsEachRowInItsPlace) {
  // Rows of a slow wave down a 64 x 64 plane: the low-pass damps it by
  // exp(-1/9) and leaves every row where it was (within the two cuts to
  // integers, in and out).
  const ImageHeader h = Header(64, 64, false);
  Samples src(64 * 64), out(64 * 64);
  for (int y = 0; y < 64; ++y)
    for (int x = 0; x < 64; ++x) src[y * 64 + x] = int16_t(10000 + 5000 * std::cos(2 * kPi * y / 64));
  ASSERT_EQ(IMG_OK, FftFilterPlane(out.data(), src.data(), &h, FFT_LOW_PASS, nullptr));
  for (int y = 0; y < 64; ++y)
    EXPECT_NEAR(10000 + 5000 * std::exp(-1.0 / 9) * std::cos(2 * kPi * y / 64), At(out, h, 5, y), 2.5) << y;
}

TEST(FftFilterPlane, SmallPlanesAreLowPassedToo) {
  // One slow wave down planes under 64 rows, where entry 1 and entry h - 1
  // are the same frequency: damped by exp(-1/9) as on a large plane, not
  // given the weight of the highest frequency.
  for (int side : {10, 24, 40}) {
    SCOPED_TRACE(side);
    const ImageHeader h = Header(side, side, false);
    Samples src(size_t(side) * side), out(src.size());
    for (int y = 0; y < side; ++y)
      for (int x = 0; x < side; ++x) src[y * side + x] = int16_t(10000 + 5000 * std::cos(2 * kPi * y / side));
    ASSERT_EQ(IMG_OK, FftFilterPlane(out.data(), src.data(), &h, FFT_LOW_PASS, nullptr));
    for (int y = 0; y < side; ++y)
      EXPECT_NEAR(10000 + 5000 * std::exp(-1.0 / 9) * std::cos(2 * kPi * y / side), At(out, h, 3, y), 2.5) << y;
  }
}

TEST(FftFilterPlane, FlatStaysFlatAndRefusals) {
  const ImageHeader h = Header(30, 16, false);
  const Samples flat(30 * 16, 12345);
  Samples out(flat.size());
  for (int type : {0, 1, 2}) {
    ASSERT_EQ(IMG_OK, FftFilterPlane(out.data(), flat.data(), &h, type, nullptr));
    EXPECT_EQ(flat, out);
  }
  EXPECT_EQ(IMG_BAD_PARAMETER, FftFilterPlane(out.data(), flat.data(), &h, 3, nullptr));
  const ImageHeader prime = Header(2111, 1, false);   // beyond the largest radix
  Samples row(2111, 5), rowOut(2111, 9);
  EXPECT_EQ(IMG_BAD_PARAMETER, FftFilterPlane(rowOut.data(), row.data(), &prime, 2, nullptr));
  EXPECT_EQ(Samples(2111, 9), rowOut);
  EXPECT_EQ(IMG_NULL_ARRAY, FftFilterPlane(nullptr, flat.data(), &h, 2, nullptr));
}

TEST(FftFilterImage, TrimsCentresAndRepeatsTheEdges) {
  struct Case {
    int width, height, w, h, dx, dy;
  };
  const Case cases[] = {
      {1022, 6, 1008, 6, 7, 0}, {1023, 5, 945, 5, 39, 0}, {6, 13, 6, 9, 0, 2}, {64, 4, 64, 4, 0, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.width << "x" << c.height);
    const ImageHeader h = Header(c.width, c.height, false);
    const Samples src = testimg::Random(h, c.width, 0, 30000);
    Samples dst(src.size(), -1);
    ASSERT_EQ(IMG_OK, FftFilterImage(dst.data(), src.data(), &h, 1.0, nullptr));
    // The centred block alone, filtered as a plane.
    const ImageHeader bh = Header(c.w, c.h, false);
    Samples block(size_t(c.w) * c.h);
    for (int y = 0; y < c.h; ++y)
      for (int x = 0; x < c.w; ++x) block[y * c.w + x] = At(src, h, x + c.dx, y + c.dy);
    ASSERT_EQ(IMG_OK, FftFilterPlane(block.data(), block.data(), &bh, FFT_LOW_PASS, nullptr));
    for (int y = 0; y < c.height; ++y)
      for (int x = 0; x < c.width; ++x) {
        const int bx = std::clamp(x - c.dx, 0, c.w - 1), by = std::clamp(y - c.dy, 0, c.h - 1);
        ASSERT_EQ(block[by * c.w + bx], At(dst, h, x, y)) << x << "," << y;
      }
  }
}

TEST(FftFilterImage, GainAndColour) {
  const ImageHeader h = Header(20, 15, false);
  const Samples flat(300, 10000);
  Samples out(300);
  ASSERT_EQ(IMG_OK, FftFilterImage(out.data(), flat.data(), &h, 1.01, nullptr));
  EXPECT_EQ(Samples(300, 10100), out);   // 1 % brighter
  ASSERT_EQ(IMG_OK, FftFilterImage(out.data(), flat.data(), &h, 4.0, nullptr));
  EXPECT_EQ(Samples(300, 32767), out);   // kept within the sample range
  ASSERT_EQ(IMG_OK, FftFilterImage(out.data(), flat.data(), &h, -1.0, nullptr));
  EXPECT_EQ(Samples(300, 0), out);
  // A colour picture is three grey planes.
  const ImageHeader ch = Header(20, 15, true);
  const Samples rgb = testimg::Random(ch, 6, 0, 30000);
  Samples rgbOut(rgb.size());
  ASSERT_EQ(IMG_OK, FftFilterImage(rgbOut.data(), rgb.data(), &ch, 1.0, nullptr));
  for (int k = 0; k < 3; ++k) {
    Samples plane(300), planeOut(300);
    for (int i = 0; i < 300; ++i) plane[i] = rgb[3 * i + k];
    ASSERT_EQ(IMG_OK, FftFilterImage(planeOut.data(), plane.data(), &h, 1.0, nullptr));
    for (int i = 0; i < 300; ++i) ASSERT_EQ(planeOut[i], rgbOut[3 * i + k]) << k << " " << i;
  }
  EXPECT_EQ(IMG_BAD_PARAMETER, FftFilterImage(out.data(), out.data(), &h, 1.0, nullptr));
  EXPECT_EQ(IMG_BAD_PARAMETER, FftFilterImage(out.data(), flat.data(), &h, std::nan(""), nullptr));
  EXPECT_EQ(IMG_BAD_PARAMETER, FftFilterImage(out.data(), flat.data(), &h, HUGE_VAL, nullptr));
  EXPECT_EQ(IMG_NULL_ARRAY, FftFilterImage(out.data(), nullptr, &h, 1.0, nullptr));
}

// ---- Background estimate ---------------------------------------------------

// The estimate written out: the mask, then for each masked pixel a walk
// along each of the eight rays to the first unmasked pixel within rows and
// columns 1..size-3.
Samples ReferenceBackground(const ImageHeader& h, const Samples& src, Samples dst, double factor, int mode) {
  const int w = h.width, ht = h.height;
  std::vector<uint32_t> hist(h.levels);
  ImageRect box = {w / 8, ht / 8, 3 * w / 4, 3 * ht / 4};
  LevelsRecord lv;
  ComputeRegionHistogram(&box, &h, src.data(), hist.data());
  AnalyseLevels(hist.data(), h.levels, 1, 0, 0, &lv);
  int T = int(std::floor((lv.peakLevel - lv.blackPoint) * factor + 0.5)) + lv.blackPoint;
  if (T <= lv.blackPoint) T = lv.blackPoint + 1;
  std::vector<bool> mask(src.size());
  for (size_t i = 0; i < src.size(); ++i) mask[i] = mode == 1 ? src[i] > dst[i] : src[i] > T;
  const int steps[8][2] = {{-1, 0}, {-1, -1}, {0, -1}, {1, -1}, {1, 0}, {1, 1}, {0, 1}, {-1, 1}};
  Samples out = dst;
  for (int r = 2; r <= ht - 3; ++r)
    for (int c = 2; c <= w - 3; ++c) {
      const int p = r * w + c;
      if (!mask[p]) {
        out[p] = src[p];
        continue;
      }
      double weight = 0, sum = 0;
      for (const auto& s : steps)
        for (int k = 1;; ++k) {
          const int rr = r + k * s[0], cc = c + k * s[1];
          if (rr < 1 || rr > ht - 3 || cc < 1 || cc > w - 3) break;
          if (!mask[rr * w + cc]) {
            const double wk = (s[0] && s[1] ? 0.707107 : 1.0) / k;
            weight += wk;
            sum += wk * src[rr * w + cc];
            break;
          }
        }
      out[p] = weight == 0 ? src[p] : Cut(sum / weight, 32767);
    }
  return out;
}

TEST(EstimateBackground, MatchesTheWrittenOutEstimate) {
  const ImageHeader h = Header(23, 19, false);
  Samples src = testimg::Random(h, 3, 900, 1100);
  for (int y = 6; y < 13; ++y)   // an object reaching the right edge
    for (int x = 12; x < 23; ++x) src[y * 23 + x] = int16_t(20000 + 100 * x);
  for (double factor : {1.0, 0.5, 3.0}) {
    SCOPED_TRACE(factor);
    const Samples before(src.size(), -5);
    Samples out = before;
    ASSERT_EQ(IMG_OK, EstimateBackground(out.data(), src.data(), &h, factor, 0, nullptr));
    EXPECT_EQ(ReferenceBackground(h, src, before, factor, 0), out);
  }
  // Mode 1: masked where the picture stands above a second image.
  const Samples second = testimg::Random(h, 4, 800, 1200);
  Samples out = second;
  ASSERT_EQ(IMG_OK, EstimateBackground(out.data(), src.data(), &h, 1.0, 1, nullptr));
  EXPECT_EQ(ReferenceBackground(h, src, second, 1.0, 1), out);
}

TEST(EstimateBackground, EightNeighboursAtDistanceOne) {
  const ImageHeader h = Header(7, 7, false);
  Samples src(49, 0);
  const int axes[4][2] = {{3, 2}, {2, 3}, {4, 3}, {3, 4}}, diagonals[4][2] = {{2, 2}, {4, 2}, {2, 4}, {4, 4}};
  for (int i = 0; i < 4; ++i) {
    src[axes[i][1] * 7 + axes[i][0]] = int16_t(100 * (i + 1));
    src[diagonals[i][1] * 7 + diagonals[i][0]] = int16_t(100 * (i + 5));
  }
  src[3 * 7 + 3] = 30000;
  Samples dst = src;
  dst[3 * 7 + 3] = 0;   // mode 1: only the centre stands above the second image
  ASSERT_EQ(IMG_OK, EstimateBackground(dst.data(), src.data(), &h, 1.0, 1, nullptr));
  // (100 + 200 + 300 + 400 + 0.707107 (500 + 600 + 700 + 800)) / (4 + 4 x 0.707107)
  EXPECT_EQ(415, dst[3 * 7 + 3]);
}

TEST(EstimateBackground, EdgesNothingMaskedAndEverythingMasked) {
  const ImageHeader h = Header(9, 8, false);
  const Samples src = testimg::Random(h, 8, 1000, 1010);
  // Nothing stands above the second image: a copy inside, the outer two
  // rows and columns as they were.
  Samples out(src.size(), 32767);
  ASSERT_EQ(IMG_OK, EstimateBackground(out.data(), src.data(), &h, 1.0, 1, nullptr));
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 9; ++x) {
      const bool inner = x >= 2 && x <= 6 && y >= 2 && y <= 5;
      EXPECT_EQ(inner ? At(src, h, x, y) : 32767, At(out, h, x, y)) << x << "," << y;
    }
  // Everything masked: no ray finds background, the source stays.
  Samples all(src.size(), -1);
  ASSERT_EQ(IMG_OK, EstimateBackground(all.data(), src.data(), &h, 1.0, 1, nullptr));
  EXPECT_EQ(At(src, h, 4, 4), At(all, h, 4, 4));
  // A colour picture outside mode 1 starts from 0 planes; on a flat one the
  // threshold lies a level above the peak and nothing is masked.
  const ImageHeader ch = Header(9, 8, true);
  const Samples rgb(size_t(9 * 8 * 3), 1000);
  Samples rgbOut(rgb.size(), 77);
  ASSERT_EQ(IMG_OK, EstimateBackground(rgbOut.data(), rgb.data(), &ch, 1.0, 0, nullptr));
  for (int k = 0; k < 3; ++k) {
    EXPECT_EQ(0, At(rgbOut, ch, 0, 0, k));
    EXPECT_EQ(0, At(rgbOut, ch, 8, 7, k));
    EXPECT_EQ(1000, At(rgbOut, ch, 4, 4, k));
  }
  EXPECT_EQ(IMG_BAD_PARAMETER, EstimateBackground(out.data(), out.data(), &h, 1.0, 0, nullptr));
  EXPECT_EQ(IMG_NULL_ARRAY, EstimateBackground(nullptr, src.data(), &h, 1.0, 0, nullptr));
}

TEST(EstimateBackground, ProgressOncePerWrittenRow) {
  static int calls = 0, total = 0;
  calls = 0;
  const ImageHeader h = Header(9, 10, false);
  const Samples src = testimg::Random(h, 1);
  Samples out(src.size());
  ASSERT_EQ(IMG_OK, EstimateBackground(out.data(), src.data(), &h, 1.0, 0, [](int32_t t, int32_t) {
    ++calls;
    total = t;
  }));
  EXPECT_EQ(6, calls);
  EXPECT_EQ(6, total);
}

// ---- Block transform and cross power ---------------------------------------

class FftRegionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = ScratchName(std::string("tyv_fftregion_") + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(dir_);
    ASSERT_EQ(1, LoadTrigTables((dir_ / "trigon.tab").string().c_str()));
  }
  void TearDown() override {
    FreeTrigTables();
    std::filesystem::remove_all(dir_);
  }
  std::filesystem::path dir_;
};

TEST_F(FftRegionTest, InverseDirectionTransformOfRowsThenColumns) {
  const int w = 8, h = 4;
  const ImageHeader hd = Header(w, h, false);
  const Samples block = testimg::Random(hd, 2, 0, 1000);
  const ImageRect r = {0, 0, w, h};
  Grid g(block.begin(), block.end());
  const Grid expected = Dft(Dft(g, w, h, true, +1, w), w, h, false, +1, h);
  for (int mode : {0, 1}) {
    double* re = nullptr;
    double* im = nullptr;
    ASSERT_EQ(IMG_OK, FftRegion(&re, &im, block.data(), &r, mode));
    for (int i = 0; i < w * h; ++i) {
      EXPECT_NEAR(double(expected[i].real()), re[i], 1e-9);
      EXPECT_NEAR(double(mode ? -expected[i].imag() : expected[i].imag()), im[i], 1e-9);
    }
    FreeMem(&re);
    FreeMem(&im);
  }
  double* re = nullptr;
  double* im = nullptr;
  const ImageRect odd = {0, 0, 6, 4};
  EXPECT_EQ(IMG_BAD_PARAMETER, FftRegion(&re, &im, block.data(), &odd, 0));
  EXPECT_EQ(nullptr, re);
}

TEST(FindCorrelationPeak, LargestProductFirstOnTies) {
  const double reA[] = {1, 0, 3, 0, 3, 0}, imA[] = {0, 2, 0, 0, 0, 0};
  const double reB[] = {2, 1, 0, 0, 0, 5}, imB[] = {0, 1, 1, 0, 1, 0};
  const ImageRect r = {0, 0, 3, 2};
  double peak = 0;
  int32_t x = -1, y = -1;
  ASSERT_EQ(IMG_OK, FindCorrelationPeak(&peak, &x, &y, reA, imA, reB, imB, &r));
  EXPECT_DOUBLE_EQ(3.0, peak);   // 3 x i, first at entry 2; entry 4 ties
  EXPECT_EQ(2, x);
  EXPECT_EQ(0, y);
  const ImageRect empty = {0, 0, 0, 2};
  EXPECT_EQ(IMG_BAD_RECT, FindCorrelationPeak(&peak, &x, &y, reA, imA, reB, imB, &empty));
}

}  // namespace
