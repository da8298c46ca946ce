// The arithmetic of the pattern dialogs: starting box sizes, boxes kept
// inside small pictures, the clicks that move the box, the radius range,
// the rectangle in the sub-pixel grid and the template cut from it.
#include "stacking/pattern/pattern_geometry.h"

#include <gtest/gtest.h>

#include "imagelib/primitives.h"
#include "tests/imagelib/random_image.h"

namespace {

using testimg::Header;
using testimg::Random;
using testimg::Samples;

TEST(PatternGeometryTest, StartBoxSizeFollowsTheWidth) {
  const struct {
    int32_t width;
    bool fft;
    int32_t side;
  } cases[] = {{640, false, 65},  {768, false, 65}, {800, false, 73}, {1024, false, 89},
               {1280, false, 113}, {768, true, 64},  {769, true, 128}, {100, true, 64}};
  for (const auto& c : cases) EXPECT_EQ(c.side, PatternStartBoxSize(c.width, c.fft)) << c.width << " " << c.fft;
}

TEST(PatternGeometryTest, TheBoxIsKeptInsideSmallPictures) {
  const struct {
    int32_t side, width, height;
    bool fft;
    int32_t fitted;
  } cases[] = {
      {65, 100, 80, false, 65},  // fits as it is
      {65, 40, 30, false, 26},   // 2 pixels off every edge
      {64, 40, 30, true, 16},    // the largest power of two that fits
      {128, 200, 140, true, 128},
      {128, 200, 131, true, 64},
      {65, 5, 9, false, 5},      // too small for margins: the whole picture
      {65, 1, 1, false, 1},
  };
  for (const auto& c : cases) {
    const int32_t s = FitPatternBoxSize(c.side, c.width, c.height, c.fft);
    EXPECT_EQ(c.fitted, s) << c.side << " in " << c.width << "x" << c.height;
    // Centred as the dialog places it, the box lies in the picture.
    const ImageRect r = {(c.width - s) / 2, (c.height - s) / 2, s, s};
    const ImageHeader h = Header(c.width, c.height, false);
    EXPECT_TRUE(RectInImage(&r, &h));
  }
}

TEST(PatternGeometryTest, ClicksCloserThanHalfTheBoxPlusTwoToAnEdgeAreIgnored) {
  // A 21 x 11 box on 100 x 80: x in 12..87, y in 7..72.
  const struct {
    int32_t x, y;
    bool taken;
  } cases[] = {{12, 7, true}, {11, 40, false}, {87, 72, true}, {88, 40, false}, {50, 6, false}, {50, 73, false}};
  for (const auto& c : cases)
    EXPECT_EQ(c.taken, PatternClickTaken(c.x, c.y, 21, 11, 100, 80)) << c.x << "," << c.y;
}

TEST(PatternGeometryTest, SearchRadiusRangeFollowsThePictureHeight) {
  const struct {
    int32_t height, lowest, highest;
  } cases[] = {{0, 10, 200}, {80, 10, 40}, {1000, 10, 500}, {20, 10, 10}, {15, 7, 7}, {1, 1, 1}};
  for (const auto& c : cases) {
    int32_t lo = -1, hi = -1;
    SearchRadiusRange(c.height, &lo, &hi);
    EXPECT_EQ(c.lowest, lo) << c.height;
    EXPECT_EQ(c.highest, hi) << c.height;
  }
}

TEST(PatternGeometryTest, TheRectangleIsCarriedIntoTheSubpixelGrid) {
  const struct {
    bool superres;
    int32_t factor;
    ImageRect rect;
  } cases[] = {{false, 2, {10, 7, 65, 33}}, {true, 0, {10, 7, 65, 33}}, {true, 1, {20, 14, 129, 65}},
               {true, 2, {40, 28, 257, 129}}};
  for (const auto& c : cases) {
    const ImageRect r = PatternRectOfBox(10, 7, 65, 33, c.superres, c.factor);
    EXPECT_EQ(c.rect.x, r.x);
    EXPECT_EQ(c.rect.y, r.y);
    EXPECT_EQ(c.rect.w, r.w);
    EXPECT_EQ(c.rect.h, r.h);
  }
}

// The template equals the crop of the picture enlarged by the grid's factor.
TEST(PatternGeometryTest, TheTemplateIsTheCropOfTheEnlargedPicture) {
  for (bool colour : {false, true}) {
    const ImageHeader h = Header(30, 20, colour);
    const Samples picture = Random(h, colour ? 7 : 3, 0, 30000);
    for (int32_t factor : {1, 2, 4}) {
      SCOPED_TRACE(testing::Message() << "factor " << factor << (colour ? " colour" : " grey"));
      const int32_t subpixel = factor == 4 ? 2 : factor == 2 ? 1 : 0;
      const ImageRect rect = PatternRectOfBox(3, 4, 9, 7, true, subpixel);
      Samples grid = picture;
      if (factor > 1) {
        grid.assign(picture.size() * factor * factor, 0);
        ASSERT_EQ(IMG_OK, EnlargeImage(&h, picture.data(), grid.data(), factor));
      }
      const int spp = SamplesPerPixel(&h);
      int16_t* cut = nullptr;
      ASSERT_EQ(IMG_OK, CutPatternTemplate(picture.data(), &h, rect, factor, &cut));
      ASSERT_NE(nullptr, cut);
      const int32_t gridWidth = h.width * factor;
      for (int32_t y = 0; y < rect.h; ++y)
        for (int32_t x = 0; x < rect.w; ++x)
          for (int k = 0; k < spp; ++k)
            ASSERT_EQ(grid[(size_t(rect.y + y) * gridWidth + rect.x + x) * spp + k], cut[(size_t(y) * rect.w + x) * spp + k])
                << x << "," << y;
      FreeMem(&cut);
    }
  }
}

TEST(PatternGeometryTest, ARectangleOutsideThePictureCutsNothing) {
  const ImageHeader h = Header(40, 30, false);
  const Samples picture = Random(h, 1);
  const long blocks = LiveMemBlocks();
  const ImageRect outside[] = {{7, 2, 34, 26}, {-1, 0, 5, 5}, {0, 0, 0, 5}, {60, 40, 81, 61}};
  const int32_t factors[] = {1, 1, 1, 2};
  for (size_t i = 0; i < sizeof outside / sizeof outside[0]; ++i) {
    int16_t* cut = reinterpret_cast<int16_t*>(&cut);   // not null before
    EXPECT_EQ(IMG_BAD_RECT, CutPatternTemplate(picture.data(), &h, outside[i], factors[i], &cut)) << i;
    EXPECT_EQ(nullptr, cut);
  }
  int16_t* cut = nullptr;
  EXPECT_EQ(IMG_NULL_IMAGE, CutPatternTemplate(nullptr, &h, ImageRect{0, 0, 4, 4}, 1, &cut));
  EXPECT_EQ(IMG_BAD_PARAMETER, CutPatternTemplate(picture.data(), &h, ImageRect{0, 0, 4, 4}, 3, &cut));
  EXPECT_EQ(blocks, LiveMemBlocks());
}

}  // namespace
