#include "imagelib/noise_filters.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <random>
#include <vector>

#include "imagelib/matrix.h"
#include "random_image.h"

namespace {

using testimg::Header;
using testimg::Random;
using testimg::Samples;

// Window width, height and squared-distance limit of the mask, per type 0..7.
struct Shape {
  int w, h, limit;
};
constexpr Shape kShapes[8] = {{3, 3, 2}, {5, 3, 4}, {5, 5, 4}, {7, 5, 6}, {3, 3, 2}, {5, 5, 4}, {3, 3, 2}, {5, 5, 4}};

int16_t SortedMedian(std::vector<int16_t> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

int16_t IntegerMean(const std::vector<int16_t>& v) {
  int sum = 0;
  for (int16_t s : v) sum += s;
  return static_cast<int16_t>(std::max(sum, 0) / static_cast<int>(v.size()));
}

// The weighted sum in doubles, in cell order, clamped and cut.
int16_t LiteralMean(const std::vector<int16_t>& v, const std::vector<double>& w, int top) {
  double acc = 0.0;
  for (size_t i = 0; i < v.size(); ++i) acc += v[i] * w[i];
  acc = std::clamp(acc, 0.0, static_cast<double>(top));
  return static_cast<int16_t>(static_cast<int>(acc));
}

int16_t LiteralSigma(const std::vector<int16_t>& v, int16_t centre, double k) {
  double sum = 0.0;
  for (int16_t s : v) sum += s;
  const double m = sum / v.size();
  double var = 0.0;
  for (int16_t s : v) var += (s - m) * (s - m);
  const auto rounded = static_cast<int16_t>(std::floor(m + 0.5));
  if (var == 0.0) return rounded;
  return std::fabs(centre - m) > std::sqrt(var / (v.size() - 1)) * k ? rounded : centre;
}

// The window path written out plainly: every filtered sample from src, the
// rest of dst untouched.
Samples ReferenceWindow(const ImageHeader& h, const Samples& src, Samples dst, const ImageRect& r, int type,
                        double k) {
  const Shape s = kShapes[type];
  const int spp = SamplesPerPixel(&h);
  std::vector<std::pair<int, int>> cells;
  for (int i = 0; i < s.h; ++i)
    for (int j = 0; j < s.w; ++j) {
      const int dx = j - s.w / 2, dy = i - s.h / 2;
      if (dx * dx + dy * dy < s.limit) cells.push_back({dx, dy});
    }
  for (int y = r.y + s.h / 2; y < r.y + r.h - s.h / 2; ++y)
    for (int x = r.x + s.w / 2; x < r.x + r.w - s.w / 2; ++x)
      for (int c = 0; c < spp; ++c) {
        std::vector<int16_t> v;
        for (auto [dx, dy] : cells) v.push_back(src[((y + dy) * h.width + x + dx) * spp + c]);
        const int16_t centre = src[(y * h.width + x) * spp + c];
        int16_t out;
        if (type <= 3)
          out = SortedMedian(v);
        else if (type <= 5)
          out = IntegerMean(v);
        else
          out = LiteralSigma(v, centre, k);
        dst[(y * h.width + x) * spp + c] = out;
      }
  return dst;
}

// The separable path written out plainly, with its single-precision weights
// summed in doubles: the filter's integer means must come out the same.
Samples ReferenceSeparable(const ImageHeader& h, const Samples& src, Samples dst, const ImageRect& r, int type) {
  const Shape s = kShapes[type];
  const int spp = SamplesPerPixel(&h);
  auto at = [&](int x, int y, int c) { return (y * h.width + x) * spp + c; };
  auto apply = [&](const std::vector<int16_t>& v) {
    if (type <= 3) return SortedMedian(v);
    const std::vector<double> w(v.size(), static_cast<double>(1.0f / static_cast<float>(v.size())));
    return LiteralMean(v, w, h.levels - 1);
  };
  Samples first = dst;
  for (int y = r.y; y < r.y + r.h; ++y)
    for (int x = r.x; x < r.x + r.w; ++x)
      for (int c = 0; c < spp; ++c) {
        if (x < r.x + s.w / 2 || x >= r.x + r.w - s.w / 2) {
          first[at(x, y, c)] = src[at(x, y, c)];
          continue;
        }
        std::vector<int16_t> v;
        for (int d = -s.w / 2; d <= s.w / 2; ++d) v.push_back(src[at(x + d, y, c)]);
        first[at(x, y, c)] = apply(v);
      }
  Samples out = first;
  for (int y = r.y + s.h / 2; y < r.y + r.h - s.h / 2; ++y)
    for (int x = r.x; x < r.x + r.w; ++x)
      for (int c = 0; c < spp; ++c) {
        std::vector<int16_t> v;
        for (int d = -s.h / 2; d <= s.h / 2; ++d) v.push_back(first[at(x, y + d, c)]);
        out[at(x, y, c)] = apply(v);
      }
  return out;
}

// Test pictures: full-range noise with negative samples, 8-bit sources (all
// samples multiples of 128, so window sums often divide evenly), and a
// nearly saturated one.
std::vector<Samples> Pictures(const ImageHeader& h) {
  Samples eightBit = Random(h, 11, 0, 255);
  for (auto& v : eightBit) v = static_cast<int16_t>(v * 128);
  return {Random(h, 10, -2000, 32767), eightBit, Random(h, 12, 32700, 32767)};
}

TEST(NoiseFilters, SelectMedianAgreesWithAFullSort) {
  int16_t four[] = {5, 1, 4, 2};
  EXPECT_EQ(4, SelectMedian(four, 4));
  std::mt19937 gen(3);
  for (int n = 1; n <= 70; ++n) {
    for (int range : {3, 40000}) {
      std::uniform_int_distribution<int> dist(-range / 2, range / 2);
      std::vector<int16_t> v(n);
      for (auto& s : v) s = static_cast<int16_t>(dist(gen));
      std::vector<int16_t> copy = v;
      EXPECT_EQ(SortedMedian(v), SelectMedian(copy.data(), n)) << "n " << n << " range " << range;
      std::sort(copy.begin(), copy.end());
      std::sort(v.begin(), v.end());
      EXPECT_EQ(v, copy) << "the selection only reorders";
    }
  }
  int16_t one = 7;
  EXPECT_EQ(0, SelectMedian(&one, 0));
  EXPECT_EQ(0, SelectMedian(nullptr, 3));
}

TEST(NoiseFilters, WindowPathMatchesThePlainFilter) {
  for (bool colour : {false, true}) {
    const ImageHeader h = Header(23, 17, colour);
    const ImageRect r = {2, 1, 19, 14};
    for (const Samples& src : Pictures(h)) {
      for (int type = 0; type < 8; ++type) {
        Samples dst(src.size(), -77);
        ASSERT_EQ(IMG_OK, ApplyNoiseFilter(&r, &h, src.data(), dst.data(), 1.2, type, 0, nullptr));
        EXPECT_EQ(ReferenceWindow(h, src, Samples(src.size(), -77), r, type, 1.2), dst)
            << "type " << type << " colour " << colour;
      }
    }
  }
}

TEST(NoiseFilters, SeparablePathMatchesThePlainFilter) {
  for (bool colour : {false, true}) {
    const ImageHeader h = Header(21, 16, colour);
    const ImageRect r = {1, 2, 18, 13};
    for (const Samples& src : Pictures(h)) {
      for (int type = 0; type < 6; ++type) {
        Samples dst(src.size(), -77);
        ASSERT_EQ(IMG_OK, ApplyNoiseFilter(&r, &h, src.data(), dst.data(), 1.0, type, 1, nullptr));
        EXPECT_EQ(ReferenceSeparable(h, src, Samples(src.size(), -77), r, type), dst)
            << "type " << type << " colour " << colour;
      }
    }
  }
}

TEST(NoiseFilters, InPlaceEqualsTwoBuffers) {
  for (bool colour : {false, true}) {
    const ImageHeader h = Header(19, 15, colour);
    const ImageRect r = {1, 1, 17, 13};
    const Samples src = Random(h, 5);
    for (int separable : {0, 1}) {
      for (int type = 0; type <= 9; ++type) {
        Samples apart = src, inPlace = src;
        ASSERT_EQ(IMG_OK, ApplyNoiseFilter(&r, &h, src.data(), apart.data(), 0.5, type, separable, nullptr));
        ASSERT_EQ(IMG_OK, ApplyNoiseFilter(&r, &h, inPlace.data(), inPlace.data(), 0.5, type, separable, nullptr));
        EXPECT_EQ(apart, inPlace) << "type " << type << " separable " << separable << " colour " << colour;
        EXPECT_NE(src, apart) << "type " << type << " changed nothing";
      }
    }
  }
}

TEST(NoiseFilters, SigmaTestReplacesOnlyOutliers) {
  const ImageHeader h = Header(3, 3, false);
  const ImageRect all = {0, 0, 3, 3};
  struct Case {
    Samples in;
    double k;
    int16_t centre;
  } cases[] = {
      {{0, 100, 0, 104, 1000, 96, 0, 100, 0}, 1.0, 280},   // spike: rounded mean of the cross
      {{0, 100, 0, 104, 101, 96, 0, 100, 0}, 1.0, 101},    // inside one sigma: kept
      {{0, 7, 0, 7, 7, 7, 0, 7, 0}, 0.0, 7},               // no spread: the mean
      {{0, 100, 0, 104, 1000, 96, 0, 100, 0}, 2.0, 1000},  // the spike is within 2 sigma of 5 cells
  };
  for (const auto& c : cases) {
    Samples out = c.in;
    ASSERT_EQ(IMG_OK, ApplyNoiseFilter(&all, &h, c.in.data(), out.data(), c.k, 6, 0, nullptr));
    EXPECT_EQ(c.centre, out[4]) << "k " << c.k << " centre " << c.in[4];
  }
}

TEST(NoiseFilters, MeanOfAFlatPictureKeepsItsValue) {
  // Every mean, both paths: nine times 1/9 in doubles must not lose a level.
  const ImageHeader h = Header(9, 9, false);
  const ImageRect all = {0, 0, 9, 9};
  for (int16_t v : {int16_t{9}, int16_t{128 * 77}, int16_t{32767}})
    for (int type : {4, 5, 9})
      for (int separable : {0, 1}) {
        Samples img(81, v), out(81, 0);
        ASSERT_EQ(IMG_OK, ApplyNoiseFilter(&all, &h, img.data(), out.data(), 1.0, type, separable, nullptr));
        EXPECT_EQ(v, out[40]) << "value " << v << " type " << type << " separable " << separable;
      }
}

TEST(NoiseFilters, VerticalLineFilterLeavesItsBorder) {
  const ImageHeader h = Header(6, 5, true);
  const Samples src = Random(h, 8);
  const ImageRect r = {1, 0, 5, 5};
  for (int mode : {2, 3}) {
    Samples dst = src;
    ASSERT_EQ(IMG_OK, FilterVerticalLine(&r, &h, src.data(), dst.data(), 3, mode));
    for (int y = 0; y < 5; ++y)
      for (int x = 0; x < 6; ++x)
        for (int c = 0; c < 3; ++c) {
          const size_t i = (y * 6 + x) * 3 + c;
          const bool filtered = x >= 2 && y >= 1 && y <= 3;
          if (!filtered) {
            EXPECT_EQ(src[i], dst[i]) << "mode " << mode << " at " << x << "," << y;
            continue;
          }
          std::vector<int16_t> v = {src[i - 18], src[i], src[i + 18]};
          const int16_t expected = mode == 2 ? SortedMedian(v) : IntegerMean(v);
          EXPECT_EQ(expected, dst[i]) << "mode " << mode << " at " << x << "," << y;
        }
  }
}

TEST(NoiseFilters, BadArgumentsWriteNothing) {
  const ImageHeader h = Header(8, 8, false);
  const Samples src = Random(h, 9);
  Samples dst(src.size(), 5);
  const ImageRect all = {0, 0, 8, 8}, outside = {4, 4, 5, 1};
  struct Case {
    const char* what;
    std::function<ImageResult()> call;
    ImageResult expected;
  } cases[] = {
      {"type 10", [&] { return ApplyNoiseFilter(&all, &h, src.data(), dst.data(), 1, 10, 0, nullptr); },
       IMG_BAD_PARAMETER},
      {"type -1", [&] { return ApplyNoiseFilter(&all, &h, src.data(), dst.data(), 1, -1, 1, nullptr); },
       IMG_BAD_PARAMETER},
      {"rect", [&] { return ApplyNoiseFilter(&outside, &h, src.data(), dst.data(), 1, 0, 0, nullptr); },
       IMG_BAD_RECT},
      {"null rect", [&] { return ApplyNoiseFilter(nullptr, &h, src.data(), dst.data(), 1, 0, 0, nullptr); },
       IMG_BAD_RECT},
      {"pointers first", [&] { return ApplyNoiseFilter(&outside, &h, nullptr, dst.data(), 1, 10, 0, nullptr); },
       IMG_NULL_IMAGE},
      {"null header", [&] { return ApplyNoiseFilter(&all, nullptr, src.data(), dst.data(), 1, 0, 0, nullptr); },
       IMG_NULL_ARRAY},
      {"line: length 0", [&] { return FilterVerticalLine(&all, &h, src.data(), dst.data(), 0, 2); },
       IMG_BAD_PARAMETER},
      {"line: length 66", [&] { return FilterVerticalLine(&all, &h, src.data(), dst.data(), 66, 2); },
       IMG_BAD_PARAMETER},
      {"line: mode 4", [&] { return FilterVerticalLine(&all, &h, src.data(), dst.data(), 3, 4); },
       IMG_BAD_PARAMETER},
      {"line: rect before pointers", [&] { return FilterVerticalLine(&outside, &h, nullptr, nullptr, 3, 2); },
       IMG_BAD_RECT},
      {"line: null dst", [&] { return FilterVerticalLine(&all, &h, src.data(), nullptr, 3, 2); }, IMG_NULL_IMAGE},
  };
  for (const auto& c : cases) EXPECT_EQ(c.expected, c.call()) << c.what;
  EXPECT_EQ(Samples(src.size(), 5), dst);
}

TEST(NoiseFilters, LongLinesAndSmallRectangles) {
  // A 65-sample line on a 70-row image, and windows larger than the rectangle.
  // The line filter also leaves length / 2 columns at the left.
  const ImageHeader h = Header(34, 70, false);
  const Samples src = Random(h, 4);
  const ImageRect all = {0, 0, 34, 70};
  Samples dst = src;
  ASSERT_EQ(IMG_OK, FilterVerticalLine(&all, &h, src.data(), dst.data(), 65, 2));
  for (int y = 32; y < 38; ++y) {
    std::vector<int16_t> v;
    for (int d = -32; d <= 32; ++d) v.push_back(src[(y + d) * 34 + 33]);
    EXPECT_EQ(SortedMedian(v), dst[y * 34 + 33]) << "row " << y;
    EXPECT_EQ(src[y * 34 + 31], dst[y * 34 + 31]) << "row " << y;
  }
  EXPECT_EQ(src[31 * 34 + 33], dst[31 * 34 + 33]);
  const ImageRect tiny = {1, 1, 2, 2};
  for (int type = 0; type <= 9; ++type) {
    Samples out = src;
    ASSERT_EQ(IMG_OK, ApplyNoiseFilter(&tiny, &h, src.data(), out.data(), 1.0, type, 0, nullptr)) << type;
    EXPECT_EQ(src, out) << "type " << type << " had no room to filter";
  }
}

int gCalls = 0;
int32_t gTotal = 0;
void CountCall(int32_t total, int32_t first) {
  ++gCalls;
  gTotal = total;
  EXPECT_EQ(0, first);
}

TEST(NoiseFilters, ProgressCountsRowsAndColumns) {
  const ImageHeader h = Header(12, 10, false);
  Samples img = Random(h, 2);
  const ImageRect r = {1, 1, 9, 7};
  gCalls = 0;
  ASSERT_EQ(IMG_OK, ApplyNoiseFilter(&r, &h, img.data(), img.data(), 1.0, 2, 0, CountCall));
  EXPECT_EQ(3, gCalls) << "one per filtered row of a 5 x 5 window";
  gCalls = 0;
  ASSERT_EQ(IMG_OK, ApplyNoiseFilter(&r, &h, img.data(), img.data(), 1.0, 2, 1, CountCall));
  EXPECT_EQ(7 + 9, gCalls) << "rows of the first pass, columns of the second";
  EXPECT_EQ(9, gTotal);
}

TEST(NoiseFilters, KernelShapesAndWeights) {
  double** m = nullptr;
  ASSERT_EQ(1, AllocMatrix(&m, 65));
  struct Case {
    int type, w, h, cells, result;
  } cases[] = {{0, 3, 3, 5, 1}, {1, 5, 3, 9, 1}, {3, 7, 5, 21, 1}, {4, 3, 3, 5, 0}, {5, 5, 5, 9, 0}};
  for (const auto& c : cases) {
    EXPECT_EQ(c.result, BuildNoiseKernelShape(c.w, c.h, c.type, m)) << c.type;
    int cells = 0;
    double total = 0.0;
    for (int i = 0; i < c.h; ++i)
      for (int j = 0; j < c.w; ++j) {
        cells += m[i][j] != 0.0;
        total += m[i][j];
      }
    EXPECT_EQ(c.cells, cells) << c.type;
    EXPECT_NEAR(c.result == 0 ? 1.0 : c.cells, total, 1e-12) << c.type;
  }
  FreeMatrix(&m);
  double row[5], col[5];
  EXPECT_EQ(0, InitSeparableWeights(5, 3, 4, row, col));
  EXPECT_EQ(static_cast<double>(0.2f), row[4]);
  EXPECT_EQ(static_cast<double>(1.0f / 3.0f), col[0]);
  EXPECT_EQ(0, InitSeparableWeights(5, 3, 1, row, col));
  EXPECT_EQ(1.0, row[2]);
  EXPECT_EQ(1, InitSeparableWeights(5, 3, 6, row, col));
}

}  // namespace
