// The star-mask corrections without windows: preview radii, the red-weakness
// correction against the operators it is made of, and its level bar.
#include <gtest/gtest.h>

#include <vector>

#include "editing/stars/star_corrections_core.h"
#include "imagelib/contrast.h"
#include "imagelib/stars.h"

namespace {

TEST(PreviewStarRadius, ShrinksWithTheReduction) {
  const struct {
    int radius, reduction, expected;
  } cases[] = {{6, 1, 6}, {6, 2, 6}, {6, 3, 3}, {7, 3, 3}, {6, 5, 2}, {6, 6, 1}, {6, 32, 0}, {0, 3, 0}};
  for (const auto& c : cases)
    EXPECT_EQ(c.expected, PreviewStarRadius(c.radius, c.reduction)) << c.radius << " at " << c.reduction;
}

// A reddish nebula gradient with three small bright stars.
struct Sky {
  ImageHeader h;
  std::vector<int16_t> s;
  Sky() {
    InitImageHeader(&h);
    h.width = 64;
    h.height = 48;
    h.colourType = kColourRgb;
    s.resize(size_t(h.width) * h.height * 3);
    for (int y = 0; y < h.height; ++y)
      for (int x = 0; x < h.width; ++x)
        for (int c = 0; c < 3; ++c) s[(size_t(y) * h.width + x) * 3 + c] = int16_t(2000 + 40 * x + 10 * y + 300 * c);
    for (const auto& star : {std::pair<int, int>{12, 10}, {40, 30}, {50, 12}})
      for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx)
          for (int c = 0; c < 3; ++c)
            s[(size_t(star.second + dy) * h.width + star.first + dx) * 3 + c] = int16_t(dx || dy ? 20000 : 30000);
  }
};

RedWeaknessSettings Settings(int32_t type, double gamma, int32_t low) {
  return RedWeaknessSettings{6, 0.15, type, 2, gamma, low};
}

TEST(CorrectRedWeakness, GammaOneFromBlackZeroChangesNothing) {
  Sky sky;
  std::vector<int16_t> out(sky.s.size());
  ASSERT_EQ(IMG_OK, CorrectRedWeakness(out.data(), sky.s.data(), &sky.h, Settings(CURVE_POWER, 1.0, 0)));
  EXPECT_EQ(sky.s, out);
  // In place too.
  std::vector<int16_t> same = sky.s;
  ASSERT_EQ(IMG_OK, CorrectRedWeakness(same.data(), same.data(), &sky.h, Settings(CURVE_POWER, 1.0, 0)));
  EXPECT_EQ(sky.s, same);
}

TEST(CorrectRedWeakness, LiftsRedOutsideTheStarsOnly) {
  Sky sky;
  const struct {
    int32_t type;
    double gamma;
    int32_t low;
  } cases[] = {{CURVE_POWER, 0.5, 0}, {CURVE_POWER, 0.7, 1500}, {CURVE_LOGARITHMIC, 1.0, 1000}};
  for (const auto& c : cases) {
    std::vector<int16_t> out(sky.s.size()), starless(sky.s.size());
    ASSERT_EQ(IMG_OK, CorrectRedWeakness(out.data(), sky.s.data(), &sky.h, Settings(c.type, c.gamma, c.low)));
    int16_t* mask = nullptr;
    ASSERT_EQ(IMG_OK, MaskStars(starless.data(), sky.s.data(), &sky.h, 0.15, 6, 0, &mask));
    std::vector<uint16_t> red(kFullScale);
    ASSERT_EQ(IMG_OK, BuildContrastCurveSpline(red.data(), kFullScale, c.type, 2, c.gamma, kFullScale - 1, c.low,
                                               nullptr, nullptr));
    int stars = 0, lifted = 0;
    for (size_t i = 0; i < out.size(); ++i) {
      if (i % 3 != 2 || mask[i] != 0) {
        ASSERT_EQ(sky.s[i], out[i]) << "green, blue and star pixels stay, sample " << i;
        stars += i % 3 == 2;
        continue;
      }
      ASSERT_EQ(int16_t(red[size_t(sky.s[i])]), out[i]) << "red through the curve, sample " << i;
      lifted += out[i] != sky.s[i];
    }
    EXPECT_GE(stars, 27) << "the three stars were found";
    EXPECT_GT(lifted, 1000) << c.type << " " << c.gamma;
    FreeMem(&mask);
  }
}

TEST(CorrectRedWeakness, RefusesWhatItCannotDo) {
  Sky sky;
  std::vector<int16_t> out(sky.s.size());
  EXPECT_EQ(IMG_BAD_PARAMETER, CorrectRedWeakness(out.data(), sky.s.data(), &sky.h, Settings(CURVE_LINEAR, 1, 0)));
  EXPECT_EQ(IMG_NULL_ARRAY, CorrectRedWeakness(out.data(), nullptr, &sky.h, Settings(CURVE_POWER, 1, 0)));
  ImageHeader grey = sky.h;
  grey.colourType = 0;
  EXPECT_EQ(IMG_BAD_PARAMETER, CorrectRedWeakness(out.data(), sky.s.data(), &grey, Settings(CURVE_POWER, 1, 0)));
  const long before = LiveMemBlocks();
  EXPECT_EQ(IMG_OK, CorrectRedWeakness(out.data(), sky.s.data(), &sky.h, Settings(CURVE_POWER, 0.5, 40000)))
      << "a black point past the top is taken as the top";
  EXPECT_EQ(before, LiveMemBlocks());
}

TEST(RedLevelBar, RangeAndBlackPoint) {
  EXPECT_EQ(200, RedLevelRange(0));
  EXPECT_EQ(200, RedLevelRange(99));
  EXPECT_EQ(3000, RedLevelRange(1500));
  EXPECT_EQ(kFullScale, RedLevelRange(30000));
  EXPECT_EQ(1500, RedLowLevel(100, RedLevelRange(1500))) << "the middle is the background";
  EXPECT_EQ(0, RedLowLevel(0, 3000));
  EXPECT_EQ(3000, RedLowLevel(200, 3000));
  EXPECT_EQ(3000, RedLowLevel(250, 3000));
  EXPECT_EQ(0, RedLowLevel(-5, 3000));
}

}  // namespace
