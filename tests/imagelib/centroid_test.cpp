#include "imagelib/centroid.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "imagelib/statistics.h"
#include "stacking_fixtures.h"

namespace {

using testimg::Disc;
using testimg::Header;
using testimg::Random;
using testimg::Samples;

struct DiscCase {
  bool colour;
  int cx, cy, r;
};
constexpr DiscCase kDiscs[] = {{false, 100, 75, 20}, {true, 100, 75, 20}, {false, 61, 58, 12},
                               {true, 133, 85, 25}, {false, 120, 44, 6}};

TEST(Centroid, BrightnessCentroidOfADisc) {
  for (const auto& d : kDiscs) {
    const ImageHeader h = Header(200, 150, d.colour);
    const Samples img = Disc(h, d.cx, d.cy, d.r, 24000, 1500);
    const ImageRect inner = {20, 20, 160, 110};
    int32_t c[4] = {-1, -1, -1, -1};
    ASSERT_EQ(IMG_OK, FindBrightnessCentroid(&inner, &h, 0.4, img.data(), c));
    EXPECT_EQ(d.cx, c[0]) << d.colour << " " << d.cx;
    EXPECT_EQ(d.cy, c[1]);
    EXPECT_EQ(0, c[2]);
    EXPECT_EQ(0, c[3]);
  }
}

// The centroid as described: the level from the histogram of r, then double
// sums of x v, y v and v over r in row order.
void ReferenceCentroid(const ImageRect& r, const ImageHeader& h, double fraction, const Samples& img, int32_t c[2]) {
  std::vector<uint32_t> hist(h.levels);
  ComputeRegionHistogram(&r, &h, img.data(), hist.data());
  int32_t first, last, peak, peakCount;
  double peakFraction, rangeBits;
  SummariseHistogram(hist.data(), h.levels, &first, &last, &peak, &peakCount, &peakFraction, &rangeBits);
  const double level = peak + (last - peak) * fraction;
  const int spp = SamplesPerPixel(&h);
  double sx = 0, sy = 0, sv = 0;
  for (int y = r.y; y < r.y + r.h; ++y)
    for (int x = r.x; x < r.x + r.w; ++x) {
      const int16_t* p = &img[(size_t(y) * h.width + x) * spp];
      const double v = spp == 3 ? 0.114 * p[0] + 0.587 * p[1] + 0.299 * p[2] : p[0];
      if (v < level) continue;
      sx += x * v;
      sy += y * v;
      sv += v;
    }
  c[0] = sv > 0 ? static_cast<int32_t>(std::floor(sx / sv + 0.5)) : 0;
  c[1] = sv > 0 ? static_cast<int32_t>(std::floor(sy / sv + 0.5)) : 0;
}

TEST(Centroid, BrightnessCentroidMatchesTheDescribedSums) {
  for (bool colour : {false, true})
    for (uint32_t seed : {1u, 2u, 3u}) {
      const ImageHeader h = Header(173, 121, colour);
      // A textured picture, and random ones with the extreme values.
      for (const Samples& img : {testimg::Texture(h, seed, 5), testimg::Random(h, seed, -32768, 32767),
                                 testimg::Random(h, seed, 32000, 32767)})
        for (const ImageRect& r : {ImageRect{0, 0, 173, 121}, ImageRect{11, 7, 140, 97}, ImageRect{60, 50, 3, 40}})
          for (double fraction : {0.0, 0.4, 0.93}) {
            int32_t expected[2], got[4];
            ReferenceCentroid(r, h, fraction, img, expected);
            ASSERT_EQ(IMG_OK, FindBrightnessCentroid(&r, &h, fraction, img.data(), got));
            EXPECT_EQ(expected[0], got[0]) << "seed " << seed << " colour " << colour << " fraction " << fraction;
            EXPECT_EQ(expected[1], got[1]) << "seed " << seed << " colour " << colour << " fraction " << fraction;
          }
    }
}

TEST(Centroid, UniformRectanglesAndBadArguments) {
  const ImageHeader h = Header(40, 30, false);
  const ImageRect r = {5, 4, 21, 11};
  int32_t c[4];
  const Samples grey(40 * 30, 900), black(40 * 30, 0);
  ASSERT_EQ(IMG_OK, FindBrightnessCentroid(&r, &h, 0.4, grey.data(), c));
  EXPECT_EQ(15, c[0]) << "every pixel counts: the middle of the rectangle";
  EXPECT_EQ(9, c[1]);
  ASSERT_EQ(IMG_OK, FindBrightnessCentroid(&r, &h, 0.4, black.data(), c));
  EXPECT_EQ(0, c[0]);
  EXPECT_EQ(0, c[1]);
  const ImageRect outside = {30, 0, 11, 1};
  EXPECT_EQ(IMG_BAD_RECT, FindBrightnessCentroid(&outside, &h, 0.4, grey.data(), c));
  EXPECT_EQ(IMG_NULL_ARRAY, FindBrightnessCentroid(&r, &h, 0.4, nullptr, c));
  double found = -1;
  EXPECT_EQ(IMG_BAD_RECT, FindObjectCentre(&outside, &h, grey.data(), c, &found));
  EXPECT_EQ(IMG_NULL_ARRAY, FindObjectCentre(&r, &h, nullptr, c, &found));
}

TEST(Centroid, ObjectCentreWalksToTheDiscEdges) {
  for (const auto& d : kDiscs) {
    const ImageHeader h = Header(200, 150, d.colour);
    Samples img = Disc(h, d.cx, d.cy, d.r, 24000, 1500);
    // A bright flare on one side of the disc moves the centroid, not the edges.
    for (int y = d.cy - 2; y <= d.cy + 2; ++y)
      for (int x = d.cx; x < d.cx + d.r - 2; ++x)
        for (int k = 0; k < SamplesPerPixel(&h); ++k) img[(y * 200 + x) * SamplesPerPixel(&h) + k] = 32000;
    const ImageRect inner = {20, 20, 160, 110};
    int32_t c[4] = {-1, -1, -1, -1};
    double found = -1;
    ASSERT_EQ(IMG_OK, FindObjectCentre(&inner, &h, img.data(), c, &found));
    EXPECT_NEAR(d.cx, c[0], 1) << d.colour << " " << d.cx << "," << d.cy;
    EXPECT_NEAR(d.cy, c[1], 1) << d.colour << " " << d.cx << "," << d.cy;
    EXPECT_EQ(0, c[2]);
    EXPECT_EQ(1.0, found) << d.cx << "," << d.cy;
  }
}

TEST(Centroid, ObjectAtTheBorderOrMissingIsNotFound) {
  const ImageHeader h = Header(200, 150, false);
  const ImageRect inner = {20, 20, 160, 110};
  int32_t c[4];
  double found = -1;
  const Samples touching = Disc(h, 25, 75, 20, 24000, 1500);
  ASSERT_EQ(IMG_OK, FindObjectCentre(&inner, &h, touching.data(), c, &found));
  EXPECT_EQ(0.0, found);
  const Samples empty(200 * 150, 0);
  found = -1;
  c[0] = c[1] = -1;
  ASSERT_EQ(IMG_OK, FindObjectCentre(&inner, &h, empty.data(), c, &found));
  EXPECT_EQ(0.0, found);
  EXPECT_EQ(0, c[0]);
  EXPECT_EQ(0, c[1]);
}

TEST(Centroid, DarkSegments) {
  const ImageHeader h = Header(20, 16, false);
  Samples grey(20 * 16, 100);
  for (int x = 0; x < 20; ++x) grey[8 * 20 + x] = static_cast<int16_t>(x < 10 ? 10 : 100);
  for (int y = 0; y < 16; ++y) grey[y * 20 + 3] = static_cast<int16_t>(y < 7 ? 10 : 100);
  struct Case {
    int x, y, direction;
    bool dark;
  } cases[] = {
      {5, 8, 0, true},    // the segment reaches x = -1
      {6, 8, 0, true},    // samples at 0, 3, 6, 9, 12: three dark (column 3 is bright here)
      {11, 8, 0, false},  // 5, 8, 11, 14, 17: two dark
      {10, 8, 0, false},  // 4, 7, 10, 13, 16: two dark
      {3, 6, 1, true},    // rows 0..12: 0, 3, 6 dark of five
      {3, 7, 1, false},   // rows 1, 4, 7, 10, 13: two dark
      {3, 10, 1, true},   // reaches row 16
      {3, 8, 2, false},   // no such direction
      {6, 20, 0, true},   // row outside the image
  };
  for (const auto& c : cases)
    EXPECT_EQ(c.dark, IsDarkSegment(grey.data(), &h, 50, c.x, c.y, 5, 3, c.direction))
        << c.x << "," << c.y << " direction " << c.direction;
}

TEST(Centroid, BoxMeans) {
  Samples rgb(6 * 5 * 3, 0);
  for (int i = 0; i < 30; ++i) {
    rgb[i * 3 + 0] = static_cast<int16_t>(100 * i);   // blue
    rgb[i * 3 + 1] = 1000;
    rgb[i * 3 + 2] = 2000;
  }
  // Pixel 8 = (2, 1): 0.114 x 800 + 587 + 598 + 0.5 = 1276.7.
  EXPECT_EQ(1276, BoxMeanAt(2, 1, 6, 5, 1, 1, rgb.data()));
  const Samples grey = Random(Header(6, 5, false), 3, 0, 1000);
  int sum = 0;
  for (int y = 1; y <= 3; ++y)
    for (int x = 2; x <= 4; ++x) sum += grey[y * 6 + x];
  EXPECT_EQ(sum / 9, BoxMeanAt(3, 2, 6, 5, 0, 3, grey.data()));
  EXPECT_EQ(sum / 4, BoxMeanAt(3, 2, 6, 5, 0, 2, grey.data())) << "even n: a 3 x 3 box over n x n";
  EXPECT_EQ(0, BoxMeanAt(5, 2, 6, 5, 0, 3, grey.data()));
  EXPECT_EQ(0, BoxMeanAt(3, 2, 6, 5, 0, 0, grey.data()));
  EXPECT_EQ(0, BoxMeanAt(6, 0, 6, 5, 0, 1, grey.data()));
}

}  // namespace
