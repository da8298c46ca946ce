#include "imagelib/stars.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "imagelib/primitives.h"
#include "random_image.h"

namespace {

using testimg::At;
using testimg::Header;
using testimg::Samples;

constexpr int16_t kSky = 1000, kBright = 20000;

// Owns the star mask the way the star-removal dialog does.
struct Mask {
  int16_t* p = nullptr;
  ~Mask() { FreeMem(&p); }
  int16_t at(const ImageHeader& h, int x, int y, int k = 0) const {
    return p[(size_t(y) * h.width + x) * SamplesPerPixel(&h) + k];
  }
};

// A flat sky with one bright pixel at (20, 20) and a bright 16 x 16 square
// (an extended object) from (36, 36).
Samples StarAndPlanet(const ImageHeader& h) {
  Samples s(testimg::SampleCount(h), kSky);
  const int spp = SamplesPerPixel(&h);
  auto set = [&](int x, int y) {
    for (int k = 0; k < spp; ++k) s[(size_t(y) * h.width + x) * spp + k] = kBright;
  };
  set(20, 20);
  for (int y = 36; y < 52; ++y)
    for (int x = 36; x < 52; ++x) set(x, y);
  return s;
}

bool InBlock(int x, int y, int cx, int cy, int radius) {
  return std::abs(x - cx) <= radius && std::abs(y - cy) <= radius;
}

TEST(Stars, SingleBrightPixelIsMaskedAndReplacedWhileThePlanetStays) {
  const ImageHeader h = Header(64, 64, false);
  const Samples src = StarAndPlanet(h);
  Samples dst(src.size(), -1);
  Mask mask;
  ASSERT_EQ(IMG_OK, MaskStars(dst.data(), src.data(), &h, 0.05, 2, 0, &mask.p));
  EXPECT_EQ(StarAndPlanet(h), src);   // the source is left alone
  ASSERT_NE(nullptr, mask.p);
  for (int y = 0; y < 64; ++y) {
    for (int x = 0; x < 64; ++x) {
      const bool star = InBlock(x, y, 20, 20, 2), planet = x >= 36 && x < 52 && y >= 36 && y < 52;
      if (star) {
        // Grown by two dilations to 5 x 5, recorded with the input values,
        // replaced by the sky around it.
        EXPECT_EQ(At(src, h, x, y), mask.at(h, x, y)) << x << "," << y;
        EXPECT_EQ(kSky, At(dst, h, x, y)) << x << "," << y;
      } else if (planet) {
        EXPECT_EQ(kBright, At(dst, h, x, y)) << x << "," << y;
      } else if (!InBlock(x, y, 43, 43, 11)) {
        EXPECT_EQ(0, mask.at(h, x, y)) << x << "," << y;
        EXPECT_EQ(kSky, At(dst, h, x, y)) << x << "," << y;
      }
    }
  }
}

// Without erosions nothing counts as extended: the planet goes the way of
// the star. Putting the mask back restores both.
TEST(Stars, GrowZeroMasksEveryDetectionAndReplaceRestoresIt) {
  const ImageHeader h = Header(64, 64, false);
  const Samples src = StarAndPlanet(h);
  Samples dst = src;
  Mask mask;
  ASSERT_EQ(IMG_OK, MaskStars(dst.data(), dst.data(), &h, 0.05, 0, 0, &mask.p));
  EXPECT_EQ(kSky, At(dst, h, 20, 20));
  EXPECT_EQ(kBright, mask.at(h, 40, 40));
  EXPECT_LT(At(dst, h, 43, 43), 2 * kSky);

  Samples restored(src.size());
  ASSERT_EQ(IMG_OK, ReplaceMaskedPixels(restored.data(), dst.data(), mask.p, &h));
  EXPECT_EQ(src, restored);
  // An empty mask copies.
  const Samples none(src.size(), 0);
  ASSERT_EQ(IMG_OK, ReplaceMaskedPixels(restored.data(), dst.data(), none.data(), &h));
  EXPECT_EQ(dst, restored);
}

// Each channel on its own; the blue channel's objects must survive more
// erosions, so a small object that counts as extended in red and green is a
// star in blue.
TEST(Stars, ColourChannelsAndTheBlueExtra) {
  const ImageHeader h = Header(48, 48, true);
  Samples src(testimg::SampleCount(h), kSky);
  for (int y = 24; y < 36; ++y)
    for (int x = 24; x < 36; ++x)
      for (int k = 0; k < 3; ++k) src[(size_t(y) * 48 + x) * 3 + k] = kBright;
  for (int k = 0; k < 3; ++k) src[(size_t(10) * 48 + 10) * 3 + k] = kBright;
  Samples dst(src.size());
  Mask mask;
  mask.p = static_cast<int16_t*>(AllocMem(16));   // an old mask, freed by the call
  ASSERT_EQ(IMG_OK, MaskStars(dst.data(), src.data(), &h, 0.05, 1, 5, &mask.p));
  for (int k = 0; k < 3; ++k) {
    EXPECT_EQ(kSky, At(dst, h, 10, 10, k)) << k;
    EXPECT_EQ(kBright, mask.at(h, 10, 10, k)) << k;
  }
  EXPECT_EQ(kBright, At(dst, h, 29, 29, 1));   // green: extended
  EXPECT_EQ(kBright, At(dst, h, 29, 29, 2));   // red: extended
  EXPECT_EQ(0, mask.at(h, 29, 29, 2));
  EXPECT_EQ(kBright, mask.at(h, 29, 29, 0));   // blue: a star
  EXPECT_LT(At(dst, h, 29, 29, 0), 2 * kSky);
}

// A threshold far below the background marks every pixel: no walk finds a
// pixel outside the stars, and every pixel keeps the smoothed background.
TEST(Stars, PixelsWithoutAnyWalkKeepTheSmoothedBackground) {
  const ImageHeader h = Header(64, 48, false);
  Samples src(testimg::SampleCount(h));
  for (int y = 0; y < 48; ++y)
    for (int x = 0; x < 64; ++x) src[size_t(y) * 64 + x] = static_cast<int16_t>((x + y) % 2 ? 1100 : 1000);
  Samples smooth(src.size());
  const ImageRect all = {0, 0, 64, 48};
  SmoothRect(smooth.data(), src.data(), &h, &all, 8);
  Samples dst(src.size());
  Mask mask;
  ASSERT_EQ(IMG_OK, MaskStars(dst.data(), src.data(), &h, -10.0, 0, 0, &mask.p));
  for (int y = 2; y < 46; ++y)
    for (int x = 2; x < 62; ++x) ASSERT_NE(0, mask.at(h, x, y)) << x << "," << y;
  EXPECT_EQ(smooth, dst);
}

TEST(Stars, ResultCodes) {
  const ImageHeader grey = Header(8, 8, false);
  ImageHeader empty = Header(0, 8, false);
  Samples s(64, kSky), d(64, 5);
  Mask mask;
  struct Case {
    const char* what;
    std::function<ImageResult()> call;
    ImageResult expected;
  } cases[] = {
      {"mask: destination", [&] { return MaskStars(nullptr, s.data(), &grey, 0.5, 1, 0, &mask.p); }, IMG_NULL_ARRAY},
      {"mask: source", [&] { return MaskStars(d.data(), nullptr, &grey, 0.5, 1, 0, &mask.p); }, IMG_NULL_ARRAY},
      {"mask: header", [&] { return MaskStars(d.data(), s.data(), nullptr, 0.5, 1, 0, &mask.p); }, IMG_NULL_ARRAY},
      {"mask: mask address", [&] { return MaskStars(d.data(), s.data(), &grey, 0.5, 1, 0, nullptr); }, IMG_NULL_ARRAY},
      {"mask: empty image", [&] { return MaskStars(d.data(), s.data(), &empty, 0.5, 1, 0, &mask.p); },
       IMG_BAD_PARAMETER},
      {"find: plane", [&] { return FindStars(nullptr, &grey, 0.5, 1, &mask.p); }, IMG_NULL_ARRAY},
      {"replace: mask", [&] { return ReplaceMaskedPixels(d.data(), s.data(), nullptr, &grey); }, IMG_NULL_ARRAY},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.expected, c.call()) << c.what;
    EXPECT_TRUE(std::all_of(d.begin(), d.end(), [](int16_t v) { return v == 5; })) << c.what;
    EXPECT_EQ(nullptr, mask.p) << c.what;
  }
}

}   // namespace
