#include "imagelib/convolution.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "imagelib/colour_channels.h"
#include "imagelib/contrast.h"
#include "imagelib/gradients.h"
#include "imagelib/matrix.h"
#include "imagelib/noise_filters.h"
#include "random_image.h"

namespace {

using testimg::At;
using testimg::Header;
using testimg::Samples;

struct Filter {
  int type, N, inner, M;
  double s;
  int adaptive, L;
  double angle;
  int shape;
};

std::ostream& operator<<(std::ostream& os, const Filter& f) {
  return os << "type " << f.type << " N " << f.N << " inner " << f.inner << " M " << f.M << " s " << f.s
            << " adaptive " << f.adaptive << " L " << f.L << " angle " << f.angle << " shape " << f.shape;
}

const Filter kFilters[] = {
    {KERNEL_FLAT, 5, 1, 1, 2.0, 0, 0, 0.0, 5},
    {KERNEL_GAUSS, 7, 1, 1, 0.7, 0, 0, 0.0, 5},
    {KERNEL_GAUSS, 6, 1, 1, 3.0, 0, 0, 0.0, 5},   // an even kernel
    {KERNEL_DISTANCE, 5, 1, 1, 1.5, 0, 0, 0.0, 5},
    {KERNEL_FLAT_TOP, 9, 3, 1, 3.0, 0, 0, 0.0, 5},
    {KERNEL_STAR, 7, 1, 1, 2.0, 0, 0, 0.0, 5},
    {KERNEL_MEAN, 5, 1, 1, 1.0, 0, 0, 0.0, 5},
    {KERNEL_MEDIAN, 5, 1, 1, 1.0, 0, 0, 0.0, 5},
    {KERNEL_MEDIAN, 8, 1, 1, 4.0, 1, 3, 0.0, 5},   // line and adaptive do not apply
    {KERNEL_FLAT, 7, 1, 3, 2.0, 0, 0, 0.0, 4},     // secondary Gaussian
    {KERNEL_GAUSS, 9, 1, 5, 2.0, 0, 0, 0.0, 4},    // secondary flat disc
    {KERNEL_DISTANCE, 9, 1, 5, 2.0, 0, 0, 0.0, 4}, // secondary by distance
    {KERNEL_FLAT_TOP, 7, 3, 5, 2.0, 0, 0, 0.0, 4}, // no secondary form: the centre cell
    {KERNEL_FLAT, 5, 1, 1, 2.0, 0, 4, 0.7, 5},     // motion blur
    {KERNEL_GAUSS, 5, 1, 1, 2.0, 0, 5, 2.0, 5},    // an odd line reaches left of the kernel
    {KERNEL_STAR, 5, 1, 1, 2.0, 0, 3, 0.3, 5},
    {KERNEL_GAUSS, 7, 1, 1, 8.0, 1, 0, 0.0, 5},    // adaptive
    {KERNEL_FLAT, 5, 1, 3, 20.0, 1, 0, 0.0, 4},    // adaptive with a secondary kernel
    {KERNEL_FLAT_TOP, 9, 3, 1, 50.0, 1, 4, 1.1, 5},
    {KERNEL_GAUSS, 31, 1, 1, 2.0, 0, 0, 0.0, 5},   // the window is larger than the picture
};

// The filter written out pixel by pixel as described: the kernels of
// BuildFilterKernel, every window pixel inside the image weighted, the
// weighted sum divided by the weights used, the median of the cells used,
// half the scale added for relief. Long double, so that only the last
// truncation can differ.
Samples Reference(const ImageHeader& h, const Samples& src, Samples dst, const ImageRect& r, Filter f,
                  bool squareRootIndex) {
  f.s = std::min(f.s, 100.0);
  if (f.type == KERNEL_MEAN || f.type == KERNEL_MEDIAN) f.L = 0;
  const bool unsharp = f.type <= 3 || f.type == 7;
  const bool adaptive = f.adaptive && f.s > 1.0 && unsharp;
  const int K = FilterKernelSize(f.N, f.L, f.type);
  std::vector<double**> kernels(adaptive ? 16 : 1, nullptr);
  for (size_t i = 0; i < kernels.size(); ++i) {
    EXPECT_EQ(1, AllocMatrix(&kernels[i], K));
    const double s = adaptive ? (i + 1) * f.s * 0.0625 : f.s;
    EXPECT_EQ(IMG_OK, BuildFilterKernel(kernels[i], f.N, f.inner, f.M, s, f.L, f.angle, f.type, f.shape));
  }
  Samples grad(size_t(h.width) * h.height);
  if (adaptive) {
    ImageHeader g = h;
    g.colourType = 0;
    if (h.colourType == kColourRgb)
      RgbToLuminance(src.data(), &h, grad.data());
    else
      grad = src;
    ComputeGradientMagnitude(grad.data(), grad.data(), &g);
    std::fill(grad.end() - h.width, grad.end(), int16_t{0});   // the row the gradient leaves
    StretchToFullRange(grad.data(), &g);
  }
  const int spp = SamplesPerPixel(&h), top = h.levels - 1;
  for (int y = r.y; y < r.y + r.h; ++y)
    for (int x = r.x; x < r.x + r.w; ++x) {
      double** k = kernels[0];
      if (adaptive) {
        const double q = std::abs(grad[size_t(y) * h.width + x]) * (1.0 / 32768.0);
        const int idx = squareRootIndex ? int(std::sqrt(q) * 16.0) : int(std::pow(q, 0.33333333) * 16.0 + 0.5);
        k = kernels[idx <= 14 ? 15 - idx : 1];
      }
      for (int c = 0; c < spp; ++c) {
        long double acc = 0, W = 0;
        std::vector<int16_t> used;
        for (int i = 0; i < K; ++i)
          for (int j = 0; j < K; ++j) {
            const int Y = y - K / 2 + i, X = x - K / 2 + j;
            if (Y < 0 || Y >= h.height || X < 0 || X >= h.width) continue;
            const int16_t v = src[(size_t(Y) * h.width + X) * spp + c];
            W += k[i][j];
            if (k[i][j] != 0) {
              acc += k[i][j] * (long double)v;
              used.push_back(v);
            }
          }
        int16_t& out = dst[(size_t(y) * h.width + x) * spp + c];
        if (f.type == KERNEL_MEDIAN) {
          out = SelectMedian(used.data(), int32_t(used.size()));
          continue;
        }
        const long double v = f.type >= KERNEL_RELIEF ? acc + h.levels * 0.5L : W == 0 ? 0 : acc / W;
        // Cut to an integer; a value a millionth below a level counts as it.
        out = v <= 0 ? 0 : v >= top ? int16_t(top) : int16_t(std::min<long double>(v + 1e-6L, top));
      }
    }
  for (double** k : kernels) FreeMatrix(&k);
  return dst;
}

ImageResult Apply(const ImageHeader& h, const Samples& src, Samples* dst, const ImageRect& r, const Filter& f,
                  bool threaded = false, int workers = 3) {
  auto op = threaded ? ApplyFilterKernelThreaded : ApplyFilterKernel;
  return op(&r, &h, src.data(), dst->data(), f.N, f.inner, f.M, f.s, f.adaptive, f.L, f.angle, f.type, f.shape,
            workers, nullptr);
}

// A picture with structure for the adaptive strength: a bright disc on noise.
Samples Picture(const ImageHeader& h, uint32_t seed) {
  Samples s = testimg::Random(h, seed, 1000, 3000);
  const int spp = SamplesPerPixel(&h);
  for (int y = 0; y < h.height; ++y)
    for (int x = 0; x < h.width; ++x)
      if ((x - 8) * (x - 8) + (y - 7) * (y - 7) < 25)
        for (int c = 0; c < spp; ++c) s[(size_t(y) * h.width + x) * spp + c] += 20000;
  return s;
}

TEST(ApplyFilterKernel, MatchesTheWrittenOutFilter) {
  for (bool colour : {false, true}) {
    const ImageHeader h = Header(19, 15, colour);
    const Samples src = Picture(h, colour ? 11 : 12);
    for (const ImageRect& r : {ImageRect{0, 0, 19, 15}, ImageRect{3, 2, 11, 9}})
      for (const Filter& f : kFilters)
        for (bool threaded : {false, true}) {
          SCOPED_TRACE(testing::Message() << f << (colour ? " colour" : " grey") << " rect " << r.x << ","
                                          << r.y << (threaded ? " threaded" : ""));
          const Samples before(src.size(), 77);
          Samples out = before;
          ASSERT_EQ(IMG_OK, Apply(h, src, &out, r, f, threaded));
          EXPECT_EQ(Reference(h, src, before, r, f, threaded), out);
        }
  }
}

TEST(ApplyFilterKernel, ReliefInEveryDirection) {
  const ImageHeader h = Header(9, 8, true);
  const Samples src = testimg::Random(h, 4, 0, 32767);
  const ImageRect r = {0, 0, 9, 8};
  for (int type = KERNEL_RELIEF; type <= 15; ++type) {
    SCOPED_TRACE(type);
    // Size, line and adaptive do not count for relief.
    const Filter f = {type, 21, 1, 1, 5.0, 1, 6, 0.5, 5};
    Samples out(src.size());
    ASSERT_EQ(IMG_OK, Apply(h, src, &out, r, f));
    EXPECT_EQ(Reference(h, src, Samples(src.size()), r, {type, 3, 1, 1, 5.0, 0, 0, 0.0, 5}, false), out);
  }
  // A flat picture: half the scale inside; type 8 (rows +1 above, -1 below)
  // loses the upper row at the top edge and the lower one at the bottom.
  const ImageHeader g = Header(6, 5, false);
  const Samples flat(30, 1000);
  Samples out(30);
  ASSERT_EQ(IMG_OK, Apply(g, flat, &out, {0, 0, 6, 5}, {8, 3, 1, 1, 1.0, 0, 0, 0.0, 5}));
  EXPECT_EQ(16384, At(out, g, 2, 2));
  EXPECT_EQ(16384 - 3000, At(out, g, 2, 0));
  EXPECT_EQ(16384 - 2000, At(out, g, 0, 0));
  EXPECT_EQ(16384 + 3000, At(out, g, 3, 4));
}

TEST(ApplyFilterKernel, FlatPicturesStayFlatToTheEdges) {
  const ImageHeader h = Header(40, 30, false);
  const ImageRect r = {0, 0, 40, 30};
  for (int value : {1, 777, 32767})
    for (double s : {0.5, 5.0, 100.0})
      for (const Filter& base : kFilters) {
        if (base.type == KERNEL_MEDIAN) continue;
        for (int N : {3, 15, 31}) {
          Filter f = base;
          f.N = N;
          f.s = s;
          f.inner = std::min(f.inner, N - 1);
          f.M = std::min(f.M, N);
          SCOPED_TRACE(testing::Message() << f << " value " << value);
          const Samples flat(size_t(40 * 30), int16_t(value));
          Samples out(flat.size());
          ASSERT_EQ(IMG_OK, Apply(h, flat, &out, r, f));
          EXPECT_EQ(flat, out);
        }
      }
}

TEST(ApplyFilterKernel, InPlaceEqualsTwoBuffers) {
  for (bool colour : {false, true}) {
    const ImageHeader h = Header(23, 17, colour);
    const Samples src = Picture(h, 21);
    const ImageRect r = {4, 3, 12, 10};
    for (const Filter& f : {kFilters[1], kFilters[7], kFilters[10], kFilters[13], kFilters[17], kFilters[19]})
      for (bool threaded : {false, true}) {
        SCOPED_TRACE(testing::Message() << f << (threaded ? " threaded" : ""));
        Samples two = src, inPlace = src;
        ASSERT_EQ(IMG_OK, Apply(h, src, &two, r, f, threaded));
        ASSERT_EQ(IMG_OK, Apply(h, inPlace, &inPlace, r, f, threaded));
        EXPECT_EQ(two, inPlace);   // pixels outside r keep their values in both
      }
  }
}

TEST(ApplyFilterKernel, ThreadedBandsCoverEveryRow) {
  const ImageHeader h = Header(12, 9, false);
  const Samples src = Picture(h, 5);
  const ImageRect r = {0, 1, 12, 7};
  Samples single(src.size());
  ASSERT_EQ(IMG_OK, Apply(h, src, &single, r, kFilters[1]));
  for (int workers : {-2, 1, 2, 3, 7, 8, 16, 40}) {
    SCOPED_TRACE(workers);
    Samples threaded(src.size());
    ASSERT_EQ(IMG_OK, Apply(h, src, &threaded, r, kFilters[1], true, workers));
    EXPECT_EQ(single, threaded);
  }
}

TEST(ApplyFilterKernel, StrengthEnds) {
  const ImageHeader h = Header(11, 9, true);
  const Samples src = Picture(h, 8);
  const ImageRect r = {2, 1, 6, 5};
  // Below 0.01 the rectangle is copied to its own place.
  Samples copy(src.size(), 5);
  ASSERT_EQ(IMG_OK, Apply(h, src, &copy, r, {KERNEL_GAUSS, 5, 1, 1, 0.005, 0, 0, 0.0, 5}));
  for (int y = 0; y < 9; ++y)
    for (int x = 0; x < 11; ++x) {
      const bool in = x >= r.x && x < r.x + r.w && y >= r.y && y < r.y + r.h;
      for (int c = 0; c < 3; ++c) EXPECT_EQ(in ? At(src, h, x, y, c) : 5, At(copy, h, x, y, c));
    }
  // Above 100 counts as 100.
  Samples strong(src.size()), limit(src.size());
  ASSERT_EQ(IMG_OK, Apply(h, src, &strong, r, {KERNEL_GAUSS, 5, 1, 1, 150.0, 1, 0, 0.0, 5}));
  ASSERT_EQ(IMG_OK, Apply(h, src, &limit, r, {KERNEL_GAUSS, 5, 1, 1, 100.0, 1, 0, 0.0, 5}));
  EXPECT_EQ(limit, strong);
}

TEST(ApplyFilterKernel, AdaptiveStrengthFollowsTheGradient) {
  // Flat ground uses the full strength; the strongest gradient 2 s / 16,
  // even with a bright last row.
  const ImageHeader h = Header(30, 20, false);
  Samples src(size_t(30 * 20), 4000);
  for (int y = 0; y < 20; ++y)
    for (int x = 15; x < 30; ++x) src[size_t(y) * 30 + x] = 20000;
  src[size_t(5) * 30 + 5] = 4400;   // a speck on flat ground
  const ImageRect r = {0, 0, 30, 20};
  const Filter adaptive = {KERNEL_GAUSS, 5, 1, 1, 16.0, 1, 0, 0.0, 5};
  Samples out(src.size()), full(src.size()), weak(src.size());
  ASSERT_EQ(IMG_OK, Apply(h, src, &out, r, adaptive));
  ASSERT_EQ(IMG_OK, Apply(h, src, &full, r, {KERNEL_GAUSS, 5, 1, 1, 16.0, 0, 0, 0.0, 5}));
  ASSERT_EQ(IMG_OK, Apply(h, src, &weak, r, {KERNEL_GAUSS, 5, 1, 1, 2.0, 0, 0, 0.0, 5}));
  EXPECT_EQ(At(full, h, 5, 5), At(out, h, 5, 5));
  EXPECT_EQ(At(weak, h, 15, 10), At(out, h, 15, 10));
  EXPECT_NE(At(full, h, 15, 10), At(out, h, 15, 10));
}

TEST(ApplyFilterKernel, TypesThatWriteNothing) {
  const ImageHeader h = Header(8, 6, false);
  const Samples src = testimg::Random(h, 2);
  const ImageRect r = {1, 1, 5, 4};
  for (int type : {int{KERNEL_NOTHING}, 16, 99}) {
    Samples out(src.size(), 9), inPlace = src;
    ASSERT_EQ(IMG_OK, Apply(h, src, &out, r, {type, 5, 1, 1, 2.0, 0, 0, 0.0, 5}));
    EXPECT_EQ(Samples(src.size(), 9), out);
    ASSERT_EQ(IMG_OK, Apply(h, inPlace, &inPlace, r, {type, 5, 1, 1, 2.0, 0, 0, 0.0, 5}));
    EXPECT_EQ(src, inPlace);
  }
}

TEST(ApplyFilterKernel, Refusals) {
  const ImageHeader h = Header(8, 6, false);
  const Samples src = testimg::Random(h, 3);
  const ImageRect r = {0, 0, 8, 6};
  struct Case {
    Filter f;
    ImageResult want;
  };
  const Case cases[] = {
      {{KERNEL_GAUSS, 61, 1, 1, 2.0, 0, 10, 0.0, 5}, IMG_BAD_PARAMETER},   // K = 71
      {{KERNEL_GAUSS, 66, 1, 1, 2.0, 0, 0, 0.0, 5}, IMG_BAD_PARAMETER},
      {{KERNEL_MEAN, 65, 1, 1, 2.0, 0, 10, 0.0, 5}, IMG_OK},               // no line for the mean
      {{KERNEL_GAUSS, 0, 1, 1, 2.0, 0, 0, 0.0, 5}, IMG_BAD_PARAMETER},
      {{KERNEL_DISTANCE, 1, 1, 1, 2.0, 0, 0, 0.0, 5}, IMG_BAD_PARAMETER},  // centre at 0: d / c
      {{KERNEL_STAR, 1, 1, 1, 2.0, 0, 0, 0.0, 5}, IMG_BAD_PARAMETER},
      {{KERNEL_FLAT_TOP, 7, 7, 1, 2.0, 0, 0, 0.0, 5}, IMG_BAD_PARAMETER},  // rN - rI = 0
      {{KERNEL_FLAT_TOP, 7, -2000000, 1, 2.0, 0, 0, 0.0, 5}, IMG_BAD_PARAMETER},   // the blur would vanish
      {{KERNEL_GAUSS, 5, 1, 1, 2.0, 0, 4, std::nan(""), 5}, IMG_BAD_PARAMETER},   // a line without a direction
      {{KERNEL_FLAT, 5, 1, 1, 2.0, 0, 4, HUGE_VAL, 5}, IMG_BAD_PARAMETER},
      {{KERNEL_GAUSS, 5, 1, 1, 2.0, 0, 0, std::nan(""), 5}, IMG_OK},              // no line: the angle is unused
      {{KERNEL_GAUSS, 5, 1, 7, 2.0, 0, 0, 0.0, 4}, IMG_BAD_PARAMETER},     // secondary wider than the kernel
      {{KERNEL_GAUSS, 5, 1, 0, 2.0, 0, 0, 0.0, 4}, IMG_BAD_PARAMETER},
      {{-1, 5, 1, 1, 2.0, 0, 0, 0.0, 5}, IMG_BAD_PARAMETER},
      {{KERNEL_GAUSS, 5, 1, 1, std::nan(""), 0, 0, 0.0, 5}, IMG_BAD_PARAMETER},
      {{KERNEL_GAUSS, 1, 1, 1, 2.0, 0, 0, 0.0, 5}, IMG_OK},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.f);
    Samples out(src.size(), 4);
    EXPECT_EQ(c.want, Apply(h, src, &out, r, c.f));
    if (c.want != IMG_OK) {
      EXPECT_EQ(Samples(src.size(), 4), out);
    }
  }
  Samples out(src.size());
  const ImageRect bad = {0, 0, 9, 6};
  EXPECT_EQ(IMG_BAD_RECT, ApplyFilterKernel(&bad, &h, src.data(), out.data(), 5, 1, 1, 2, 0, 0, 0, 1, 5, 1, nullptr));
  EXPECT_EQ(IMG_NULL_IMAGE, ApplyFilterKernel(&r, &h, nullptr, out.data(), 5, 1, 1, 2, 0, 0, 0, 1, 5, 1, nullptr));
  EXPECT_EQ(IMG_NULL_ARRAY, ApplyFilterKernel(&r, nullptr, src.data(), out.data(), 5, 1, 1, 2, 0, 0, 0, 1, 5, 1, nullptr));
}

TEST(ApplyFilterKernel, ProgressOncePerRow) {
  static int calls = 0, lastTotal = 0;
  calls = 0;
  const ImageHeader h = Header(8, 6, false);
  const Samples src = testimg::Random(h, 3);
  Samples out(src.size());
  const ImageRect r = {0, 1, 8, 4};
  ASSERT_EQ(IMG_OK, ApplyFilterKernel(&r, &h, src.data(), out.data(), 3, 1, 1, 2.0, 0, 0, 0.0, 1, 5, 1,
                                      [](int32_t total, int32_t) {
                                        ++calls;
                                        lastTotal = total;
                                      }));
  EXPECT_EQ(4, calls);
  EXPECT_EQ(4, lastTotal);
}

// ---- Kernels --------------------------------------------------------------

struct Kernel {
  int K;
  double** m = nullptr;
  explicit Kernel(int k) : K(k) { AllocMatrix(&m, k); }
  ~Kernel() { FreeMatrix(&m); }
  double Sum() const {
    double s = 0;
    for (int i = 0; i < K; ++i)
      for (int j = 0; j < K; ++j) s += m[i][j];
    return s;
  }
};

TEST(BuildFilterKernel, UnsharpKernelsAreOnePlusSTimesSharpMinusSTimesBlur) {
  // Off the centre a cell is -s x blur / (sum of the blur): it scales with
  // s, and the blur's form shows in the ratio of two cells.
  struct Case {
    int type, N, inner;
    int i1, j1, i2, j2;
    double ratio;
  };
  const double g = 1.0 / 3.0;
  const Case cases[] = {
      {KERNEL_FLAT, 7, 1, 3, 0, 1, 2, 1.0},
      {KERNEL_GAUSS, 7, 1, 3, 0, 1, 2, std::exp(-(9.0 - 5.0) / (g * 3.5))},
      {KERNEL_DISTANCE, 7, 1, 3, 0, 1, 2, 3.0 / std::sqrt(5.0)},
      {KERNEL_FLAT_TOP, 9, 3, 4, 5, 4, 0, 1.0 / std::exp(-(4.0 - 1.5) * (4.0 - 1.5) / (g * 3.0))},
      {KERNEL_STAR, 7, 1, 3, 0, 1, 2, 5.0},   // 1 / (1 x 4 x 9 / 9 + 1) at (1, 2)
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.type);
    Kernel strong(c.N), weak(c.N);
    ASSERT_EQ(IMG_OK, BuildFilterKernel(strong.m, c.N, c.inner, 1, 3.0, 0, 0.0, c.type, kCentreCellShape));
    ASSERT_EQ(IMG_OK, BuildFilterKernel(weak.m, c.N, c.inner, 1, 0.5, 0, 0.0, c.type, kCentreCellShape));
    EXPECT_NEAR(1.0, strong.Sum(), 1e-12);
    EXPECT_NEAR(1.0, weak.Sum(), 1e-12);
    EXPECT_NEAR(c.ratio, strong.m[c.i1][c.j1] / strong.m[c.i2][c.j2], 1e-12);
    EXPECT_LT(strong.m[c.i1][c.j1], 0.0);
    EXPECT_NEAR(6.0, strong.m[c.i1][c.j1] / weak.m[c.i1][c.j1], 1e-5);   // the centre weight is a float
    EXPECT_EQ(0.0, strong.m[0][0]);   // outside the disc
  }
}

TEST(BuildFilterKernel, SecondaryKernelReplacesTheCentreCell) {
  // Type 1 with a flat secondary disc of 3: all nine cells of its 3 x 3 lie
  // within radius 1.5, so each gets (1 + s) / 9 on top of -s x Gauss / S.
  const double s = 2.0, g = 1.0 / 3.0;
  Kernel k(7);
  ASSERT_EQ(IMG_OK, BuildFilterKernel(k.m, 7, 1, 3, s, 0, 0.0, KERNEL_GAUSS, 4));
  EXPECT_NEAR(1.0, k.Sum(), 1e-12);
  // Cell (0, 3) holds only the blur, at squared distance 9; cell (2, 2) the
  // blur at squared distance 2 plus the secondary share.
  const double blurAt22 = k.m[0][3] * std::exp((9.0 - 2.0) / (g * 3.5));
  EXPECT_NEAR((1 + s) / 9.0, k.m[2][2] - blurAt22, 1e-12);
  EXPECT_LT(k.m[0][3], 0.0);
}

TEST(BuildFilterKernel, ReliefMeanAndLine) {
  Kernel relief(3);
  ASSERT_EQ(IMG_OK, BuildFilterKernel(relief.m, 3, 1, 1, 1.0, 0, 0.0, 9, 5));   // north-east
  const double ne[3][3] = {{0, 1, 1}, {-1, 0, 1}, {-1, -1, 0}};
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) EXPECT_EQ(ne[i][j], relief.m[i][j]);
  Kernel mean(5);
  ASSERT_EQ(IMG_OK, BuildFilterKernel(mean.m, 5, 1, 1, 1.0, 6, 0.0, KERNEL_MEAN, 5));   // line ignored
  EXPECT_DOUBLE_EQ(1.0 / 21, mean.m[2][2]);   // the disc of radius 2.5 has 21 cells
  EXPECT_EQ(0.0, mean.m[0][0]);
  // Four steps along a horizontal line widen the kernel by 4; the smear is
  // centred on it and mirror-symmetric both ways, and the kernel sums to 1.
  ASSERT_EQ(9, FilterKernelSize(5, 4, KERNEL_FLAT));
  Kernel line(9);
  ASSERT_EQ(IMG_OK, BuildFilterKernel(line.m, 5, 1, 1, 2.0, 4, 0.0, KERNEL_FLAT, 5));
  EXPECT_NEAR(1.0, line.Sum(), 1e-12);
  double mass = 0, mx = 0, my = 0;
  for (int i = 0; i < 9; ++i)
    for (int j = 0; j < 9; ++j) {
      EXPECT_NEAR(line.m[i][j], line.m[i][8 - j], 1e-15);
      EXPECT_NEAR(line.m[i][j], line.m[8 - i][j], 1e-15);
      if (i == 4 && j == 4) continue;
      mass += line.m[i][j];
      mx += j * line.m[i][j];
      my += i * line.m[i][j];
    }
  EXPECT_NEAR(4.0, mx / mass, 1e-12);
  EXPECT_NEAR(4.0, my / mass, 1e-12);
  EXPECT_LT(line.m[4][1], 0.0);   // the disc of 4 cells wide, moved 3 steps
  EXPECT_EQ(0.0, line.m[4][0]);
  // Type 5 is empty, and types above 15 leave the matrix alone.
  Kernel none(5);
  none.m[1][1] = 42;
  ASSERT_EQ(IMG_OK, BuildFilterKernel(none.m, 5, 1, 1, 2.0, 0, 0.0, KERNEL_NOTHING, 5));
  EXPECT_EQ(0.0, none.Sum());
  none.m[1][1] = 42;
  ASSERT_EQ(IMG_OK, BuildFilterKernel(none.m, 5, 1, 1, 2.0, 0, 0.0, 16, 5));
  EXPECT_EQ(42.0, none.Sum());
  EXPECT_EQ(IMG_NULL_ARRAY, BuildFilterKernel(nullptr, 5, 1, 1, 2.0, 0, 0.0, 1, 5));
}

// ---- Separable variant ----------------------------------------------------

TEST(ApplyWeightKernel, RowsThenColumnsOfTheLineKernel) {
  const ImageHeader h = Header(17, 13, true);
  const Samples src = Picture(h, 31);
  const ImageRect r = {1, 2, 14, 10};
  for (int type : {KERNEL_FLAT, KERNEL_GAUSS, KERNEL_DISTANCE, KERNEL_FLAT_TOP, KERNEL_MEAN, KERNEL_STAR})
    for (int shape : {5, 4}) {
      SCOPED_TRACE(testing::Message() << type << " shape " << shape);
      const int N = 5;
      std::vector<double> k(N);
      ASSERT_EQ(IMG_OK, BuildWeightKernel(k.data(), N, 3, 3, 2.0, type, shape));
      double sum = 0;
      for (double v : k) sum += v;
      EXPECT_NEAR(1.0, sum, 1e-12);
      EXPECT_NEAR(k[1], k[3], 1e-15);   // symmetric about the centre
      // The outer product applied directly, over r less N / 2 at each end.
      Samples expected(src.size(), 3), out(src.size(), 3);
      for (int y = r.y + 2; y < r.y + r.h - 2; ++y)
        for (int x = r.x + 2; x < r.x + r.w - 2; ++x)
          for (int c = 0; c < 3; ++c) {
            long double v = 0;
            for (int i = 0; i < N; ++i)
              for (int j = 0; j < N; ++j) v += k[i] * k[j] * (long double)At(src, h, x + j - 2, y + i - 2, c);
            expected[(size_t(y) * 17 + x) * 3 + c] = int16_t(std::floor(std::clamp<long double>(v, 0, 32767) + 0.5L));
          }
      ASSERT_EQ(IMG_OK, ApplyWeightKernel(&r, &h, src.data(), out.data(), N, 3, 3, 2.0, type, shape, nullptr));
      for (size_t i = 0; i < out.size(); ++i) ASSERT_NEAR(expected[i], out[i], 1) << i;
      Samples inPlace = src;
      ASSERT_EQ(IMG_OK, ApplyWeightKernel(&r, &h, inPlace.data(), inPlace.data(), N, 3, 3, 2.0, type, shape, nullptr));
      for (size_t i = 0; i < out.size(); ++i) EXPECT_EQ(out[i] == 3 ? src[i] : out[i], inPlace[i]);
    }
}

TEST(ApplyWeightKernel, FlatStaysFlatAndRefusals) {
  const ImageHeader h = Header(12, 10, false);
  const Samples flat(120, 5000);
  Samples out(120, 0);
  const ImageRect r = {0, 0, 12, 10};
  ASSERT_EQ(IMG_OK, ApplyWeightKernel(&r, &h, flat.data(), out.data(), 5, 1, 1, 10.0, KERNEL_GAUSS, 5, nullptr));
  EXPECT_EQ(5000, At(out, h, 2, 2));
  EXPECT_EQ(5000, At(out, h, 9, 7));
  EXPECT_EQ(0, At(out, h, 1, 5));   // within N / 2 of the edge: not written
  Samples copy(120, 0);
  ASSERT_EQ(IMG_OK, ApplyWeightKernel(&r, &h, flat.data(), copy.data(), 5, 1, 1, 200.0, KERNEL_GAUSS, 5, nullptr));
  EXPECT_EQ(flat, copy);
  std::vector<double> k(5);
  EXPECT_EQ(IMG_BAD_PARAMETER, BuildWeightKernel(k.data(), 5, 1, 1, 2.0, KERNEL_MEDIAN, 5));
  EXPECT_EQ(IMG_BAD_PARAMETER, BuildWeightKernel(k.data(), 1, 1, 1, 2.0, KERNEL_DISTANCE, 5));
  EXPECT_EQ(IMG_BAD_PARAMETER, BuildWeightKernel(k.data(), 5, 1, 7, 2.0, KERNEL_GAUSS, 4));
  EXPECT_EQ(IMG_BAD_PARAMETER, BuildWeightKernel(k.data(), 5, -2000000, 1, 2.0, KERNEL_FLAT_TOP, 5));
  const ImageRect bad = {0, 0, 13, 10};
  EXPECT_EQ(IMG_NULL_IMAGE, ApplyWeightKernel(&bad, &h, nullptr, out.data(), 5, 1, 1, 2.0, 1, 5, nullptr));
  EXPECT_EQ(IMG_BAD_RECT, ApplyWeightKernel(&bad, &h, flat.data(), out.data(), 5, 1, 1, 2.0, 1, 5, nullptr));
}

}  // namespace
