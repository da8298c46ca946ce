#include "imagelib/background_fit.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <vector>

#include "random_image.h"

namespace {

using testimg::At;
using testimg::Header;
using testimg::Samples;

// base + ax x + ay y in channel k of every pixel.
Samples Plane(const ImageHeader& h, const std::vector<std::vector<int>>& channels) {
  const int spp = SamplesPerPixel(&h);
  Samples s(testimg::SampleCount(h));
  for (int y = 0; y < h.height; ++y)
    for (int x = 0; x < h.width; ++x)
      for (int k = 0; k < spp; ++k) {
        const auto& c = channels[k];
        s[(size_t(y) * h.width + x) * spp + k] = int16_t(c[0] + c[1] * x + c[2] * y);
      }
  return s;
}

int MaxDifference(const Samples& a, const Samples& b) {
  int worst = 0;
  for (size_t i = 0; i < a.size(); ++i) worst = std::max(worst, std::abs(a[i] - b[i]));
  return worst;
}

TEST(RemoveBackgroundGradient, LinearGradientComesBackAtDegreeOne) {
  // On 200 x 200 the boxes are 20 x 20; the level that most pixels of a box
  // share is the one at its centre for these slopes (x + y within half a
  // pixel of it), so the fitted plane is the gradient.
  const ImageHeader h = Header(200, 200, false);
  for (const std::vector<int>& g : {std::vector<int>{1000, 1, 1}, std::vector<int>{20000, 1, -1},
                                    std::vector<int>{9000, -1, -1}}) {
    SCOPED_TRACE(testing::Message() << g[1] << "," << g[2]);
    const Samples src = Plane(h, {g});
    Samples out(src.size());
    ASSERT_EQ(IMG_OK, RemoveBackgroundGradient(out.data(), src.data(), &h, 1, 1.0, 0));
    EXPECT_LE(MaxDifference(src, out), 1);
    // The factor scales the surface.
    ASSERT_EQ(IMG_OK, RemoveBackgroundGradient(out.data(), src.data(), &h, 1, 0.5, 0));
    EXPECT_NEAR(0.5 * (g[0] + g[1] * 100 + g[2] * 100), At(out, h, 100, 100), 1.0);
  }
}

TEST(RemoveBackgroundGradient, SurfaceIsLimitedToTheSampleRange) {
  const ImageHeader h = Header(200, 200, false);
  const Samples src = Plane(h, {{100, 100, 60}});   // rises to 31900 at the far corner
  Samples out(src.size());
  ASSERT_EQ(IMG_OK, RemoveBackgroundGradient(out.data(), src.data(), &h, 1, 1.5, 0));
  EXPECT_EQ(32767, At(out, h, 199, 199));
  ASSERT_EQ(IMG_OK, RemoveBackgroundGradient(out.data(), src.data(), &h, 1, -1.0, 0));
  EXPECT_EQ(0, At(out, h, 50, 50));
}

TEST(RemoveBackgroundGradient, ColourPerChannelOrOnTheLuminance) {
  const ImageHeader h = Header(200, 200, true);
  const Samples src = Plane(h, {{3000, 1, 1}, {20000, 1, -1}, {9000, -1, -1}});
  Samples out(src.size()), lum(src.size());
  ASSERT_EQ(IMG_OK, RemoveBackgroundGradient(out.data(), src.data(), &h, 1, 1.0, 1));
  EXPECT_LE(MaxDifference(src, out), 1);
  ASSERT_EQ(IMG_OK, RemoveBackgroundGradient(lum.data(), src.data(), &h, 1, 1.0, 0));
  for (int y = 0; y < 200; y += 17)
    for (int x = 0; x < 200; x += 13) {
      EXPECT_EQ(At(lum, h, x, y, 0), At(lum, h, x, y, 1));
      EXPECT_EQ(At(lum, h, x, y, 0), At(lum, h, x, y, 2));
    }
}

TEST(RemoveBackgroundGradient, DegreeZeroIsThePeakLevel) {
  const ImageHeader h = Header(64, 60, true);
  // Half the samples of each channel at its background level, a few bright
  // ones above it (the top used level never counts as the peak).
  Samples src = testimg::Random(h, 4, 0, 300);
  for (size_t i = 0; i < src.size(); ++i)
    if (i % 2 == 0)
      src[i] = int16_t(1000 + 100 * (i % 3));
    else if (i % 7 == 1)
      src[i] = 30000;
  Samples out(src.size()), inPlace = src;
  ASSERT_EQ(IMG_OK, RemoveBackgroundGradient(out.data(), src.data(), &h, 0, 1.0, 0));
  for (int k = 0; k < 3; ++k) EXPECT_EQ(1000 + 100 * k, At(out, h, 7, 9, k));
  EXPECT_EQ(1000, At(out, h, 63, 59, 0));
  ASSERT_EQ(IMG_OK, RemoveBackgroundGradient(inPlace.data(), inPlace.data(), &h, 0, 1.0, 0));
  EXPECT_EQ(out, inPlace);
  ASSERT_EQ(IMG_OK, RemoveBackgroundGradient(out.data(), src.data(), &h, 0, 40.0, 0));
  EXPECT_EQ(32767, At(out, h, 0, 0, 0));   // 40 000 is beyond the range
}

TEST(RemoveBackgroundGradient, RefusesWhatItCannotFit) {
  const ImageHeader h = Header(200, 200, false);
  Samples src = Plane(h, {{5000, 0, 0}}), out(src.size(), 7);
  EXPECT_EQ(IMG_BAD_PARAMETER, RemoveBackgroundGradient(out.data(), src.data(), &h, 5, 1.0, 0));
  EXPECT_EQ(IMG_BAD_PARAMETER, RemoveBackgroundGradient(out.data(), src.data(), &h, -1, 1.0, 0));
  for (double factor : {std::nan(""), HUGE_VAL})
    for (int degree : {0, 1}) EXPECT_EQ(IMG_BAD_PARAMETER, RemoveBackgroundGradient(out.data(), src.data(), &h, degree, factor, 0));
  EXPECT_EQ(IMG_NULL_IMAGE, RemoveBackgroundGradient(nullptr, src.data(), &h, 1, 1.0, 0));
  // Under 48 pixels the inner image has no box for every sample.
  for (auto [w, ht] : {std::pair{47, 100}, std::pair{100, 47}, std::pair{30, 30}}) {
    const ImageHeader small = Header(w, ht, false);
    Samples s(size_t(w) * ht, 100), o(s.size(), 7);
    EXPECT_EQ(IMG_BAD_RECT, RemoveBackgroundGradient(o.data(), s.data(), &small, 0, 1.0, 0));
    EXPECT_EQ(Samples(s.size(), 7), o);
  }
  EXPECT_EQ(Samples(src.size(), 7), out);
}

TEST(RemoveBackgroundGradient, BestHalfInFewColumnsKeepsTheFirstFit) {
  // Boxes of 75 x 55 pixels: the left four columns of the grid flat at 5000,
  // the right four alternating between 0 and 30000. The 32 samples nearest
  // the first surface are the flat ones, in four columns: too few for
  // degree 4 in x. The surface through all 64 stands rather than none.
  const ImageHeader h = Header(640, 480, false);
  Samples src(size_t(640) * 480, 5000);
  for (int y = 20; y < 460; ++y)
    for (int x = 320; x < 620; ++x) {
      const int i = (x - 20) / 75, j = (y - 20) / 55;
      src[size_t(y) * 640 + x] = int16_t((i + j) % 2 ? 30000 : 0);
    }
  Samples out(src.size(), 0);
  ASSERT_EQ(IMG_OK, RemoveBackgroundGradient(out.data(), src.data(), &h, 4, 1.0, 0));
  int positive = 0;
  for (int y = 20; y < 460; y += 10)
    for (int x = 20; x < 320; x += 10) positive += At(out, h, x, y) > 0;
  EXPECT_GT(positive, 44 * 30 / 2);
}

TEST(PlaceSampleGrid, BoxCentresAndPeaks) {
  // Each 10 x 8 box of the 80 x 64 rectangle at (8, 4) holds one level.
  const ImageHeader h = Header(100, 80, false);
  Samples s(100 * 80, 0);
  for (int y = 4; y < 68; ++y)
    for (int x = 8; x < 88; ++x) s[size_t(y) * 100 + x] = int16_t(1000 + 100 * ((y - 4) / 8) + 10 * ((x - 8) / 10));
  const ImageRect r = {8, 4, 80, 64};
  double x[64], y[64], z[64];
  ASSERT_EQ(IMG_OK, PlaceSampleGrid(&r, &h, s.data(), x, y, z));
  for (int j = 0; j < 8; ++j)
    for (int i = 0; i < 8; ++i) {
      EXPECT_DOUBLE_EQ(0.001 * (8 + (i + 0.5) * 10), x[j * 8 + i]);
      EXPECT_DOUBLE_EQ(0.001 * (4 + (j + 0.5) * 8), y[j * 8 + i]);
      EXPECT_DOUBLE_EQ(0.001 * (1000 + 100 * j + 10 * i), z[j * 8 + i]);
    }
  int16_t tiles[4];
  ASSERT_EQ(IMG_OK, MeasureTileBackgrounds(tiles, s.data(), &r, &h, 2, 2));
  EXPECT_EQ(1000, tiles[0]);   // the lowest of the tile's equally common levels
  EXPECT_EQ(1040, tiles[1]);
  EXPECT_EQ(1400, tiles[2]);
  EXPECT_EQ(1440, tiles[3]);
  const ImageHeader colour = Header(100, 80, true);
  const ImageRect bad = {30, 30, 80, 10};
  EXPECT_EQ(IMG_BAD_RECT, PlaceSampleGrid(&bad, &h, s.data(), x, y, z));
  EXPECT_EQ(IMG_NULL_IMAGE, PlaceSampleGrid(&r, &h, s.data(), x, nullptr, z));
  EXPECT_EQ(IMG_BAD_PARAMETER, PlaceSampleGrid(&r, &colour, s.data(), x, y, z));
  EXPECT_EQ(IMG_BAD_PARAMETER, MeasureTileBackgrounds(tiles, s.data(), &r, &h, 0, 2));
}

TEST(SortSamples, StableByKeyCarryingTheSamples) {
  double x[] = {1, 2, 3, 4, 5}, y[] = {10, 20, 30, 40, 50}, z[] = {.1, .2, .3, .4, .5}, key[] = {3, 1, 3, 0, 1};
  SortSamples(x, y, z, key, 5);
  EXPECT_EQ((std::vector<double>{0, 1, 1, 3, 3}), std::vector<double>(key, key + 5));
  EXPECT_EQ((std::vector<double>{4, 2, 5, 1, 3}), std::vector<double>(x, x + 5));   // equal keys keep their order
  EXPECT_EQ((std::vector<double>{40, 20, 50, 10, 30}), std::vector<double>(y, y + 5));
  EXPECT_EQ((std::vector<double>{.4, .2, .5, .1, .3}), std::vector<double>(z, z + 5));
}

}  // namespace
