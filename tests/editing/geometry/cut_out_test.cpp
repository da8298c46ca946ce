// Where the cut-out lies: centred on the object, moved inside the picture,
// cut down to it, and in the middle when no object is found.
#include "editing/geometry/cut_out.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

TEST(CutOut, TheRectangleIsMovedWhollyInsideThePicture) {
  const struct {
    const char* name;
    int32_t sx, sy, cx, cy;
    ImageRect expected;
  } cases[] = {
      {"centred", 240, 200, 320, 240, {200, 140, 240, 200}},
      {"near the left edge", 240, 200, 30, 240, {0, 140, 240, 200}},
      {"near the right edge", 240, 200, 630, 240, {400, 140, 240, 200}},
      {"near the top and bottom", 240, 200, 320, 470, {200, 280, 240, 200}},
      {"far outside", 240, 200, -2000000000, 2000000000, {0, 280, 240, 200}},
      {"larger than the picture", 1000, 900, 100, 100, {0, 0, 640, 480}},
      {"odd size", 101, 51, 320, 240, {270, 215, 101, 51}},
  };
  for (const auto& c : cases) {
    ImageRect r{};
    ASSERT_TRUE(PlaceCutOut(640, 480, c.sx, c.sy, c.cx, c.cy, &r)) << c.name;
    EXPECT_EQ(c.expected.x, r.x) << c.name;
    EXPECT_EQ(c.expected.y, r.y) << c.name;
    EXPECT_EQ(c.expected.w, r.w) << c.name;
    EXPECT_EQ(c.expected.h, r.h) << c.name;
  }
  ImageRect r{};
  EXPECT_FALSE(PlaceCutOut(640, 480, 0, 200, 320, 240, &r));
  EXPECT_FALSE(PlaceCutOut(640, 480, 240, -5, 320, 240, &r));
}

ImageHeader Grey(int32_t w, int32_t h) {
  ImageHeader header;
  InitImageHeader(&header);
  header.width = w;
  header.height = h;
  header.colourType = 0;
  return header;
}

TEST(CutOut, TheObjectsCentreOrTheMiddleWhenThereIsNone) {
  const ImageHeader h = Grey(200, 120);
  std::vector<int16_t> disc(200 * 120, 300);
  for (int y = 0; y < 120; ++y)
    for (int x = 0; x < 200; ++x)
      if (std::hypot(x - 150, y - 50) < 20) disc[size_t(y * 200 + x)] = 30000;
  ImageRect r{};
  ASSERT_TRUE(FindCutOutRect(&h, disc.data(), 60, 40, &r));
  EXPECT_NEAR(150 - 30, r.x, 1);
  EXPECT_NEAR(50 - 20, r.y, 1);
  EXPECT_EQ(60, r.w);
  // A blank picture has no object: the middle.
  const std::vector<int16_t> blank(200 * 120, 500);
  ASSERT_TRUE(FindCutOutRect(&h, blank.data(), 60, 40, &r));
  EXPECT_EQ(70, r.x);
  EXPECT_EQ(40, r.y);
  EXPECT_FALSE(FindCutOutRect(&h, nullptr, 60, 40, &r));
  EXPECT_FALSE(FindCutOutRect(&h, blank.data(), 0, 40, &r));
}

}  // namespace
