// Where a buffer window puts the reduced picture and how it splits the
// drawing into strips.
#include <gtest/gtest.h>

#include <vector>

#include "shell/buffer_view.h"

namespace {

std::vector<Strip> Plan(int32_t width, int32_t height) {
  Strip strips[64];
  const int32_t n = PlanStrips(width, height, strips, 64);
  return std::vector<Strip>(strips, strips + (n < 64 ? n : 64));
}

TEST(BufferView, StripsHoldAbout512000PixelsAndTheLastTakesTheRest) {
  const struct {
    int32_t width, height;
    std::vector<std::pair<int32_t, int32_t>> strips;   // first row, rows
  } cases[] = {
      {1000, 1001, {{0, 512}, {512, 489}}},
      {1000, 513, {{0, 512}, {512, 1}}},
      {1000, 512, {{0, 512}}},
      {1000, 1, {{0, 1}}},
      {640, 480, {{0, 480}}},
      {1, 600000, {{0, 512000}, {512000, 88000}}},
      {600000, 3, {{0, 1}, {1, 1}, {2, 1}}},   // wider than a strip: a row at a time
      {0, 480, {}},                            // no width: nothing, and no division by it
      {640, 0, {}},
      {-5, 480, {}},
  };
  for (const auto& c : cases) {
    const std::vector<Strip> got = Plan(c.width, c.height);
    ASSERT_EQ(c.strips.size(), got.size()) << c.width << " x " << c.height;
    for (size_t i = 0; i < got.size(); ++i) {
      EXPECT_EQ(c.strips[i].first, got[i].top) << c.width << " x " << c.height << " strip " << i;
      EXPECT_EQ(c.strips[i].second, got[i].rows) << c.width << " x " << c.height << " strip " << i;
    }
  }
}

TEST(BufferView, PlanCountsStripsBeyondTheRoomGiven) {
  Strip one[1];
  EXPECT_EQ(3, PlanStrips(600000, 3, one, 1));
  EXPECT_EQ(0, one[0].top);
}

TEST(BufferView, SmallerPictureIsCentredBetweenMargins) {
  const struct {
    int32_t client, reduced;
    ViewAxis axis;
  } cases[] = {
      {800, 640, {80, 640, 81, 719}},
      {801, 640, {80, 640, 81, 720}},   // halves round toward zero
      {640, 640, {0, 640, 0, 640}},     // exactly fitting: no margins
      {500, 640, {0, 500, 0, 500}},     // larger: fills the client from 0
      {0, 640, {0, 0, 0, 0}},
  };
  for (const auto& c : cases) {
    const ViewAxis a = LayoutViewAxis(c.client, c.reduced);
    EXPECT_EQ(c.axis.origin, a.origin) << c.client << " " << c.reduced;
    EXPECT_EQ(c.axis.drawn, a.drawn) << c.client << " " << c.reduced;
    EXPECT_EQ(c.axis.marginBefore, a.marginBefore) << c.client << " " << c.reduced;
    EXPECT_EQ(c.axis.marginAfter, a.marginAfter) << c.client << " " << c.reduced;
  }
}

TEST(BufferView, ReducedSizeKeepsTheReductionInItsRange) {
  EXPECT_EQ(640, ReducedSize(1280, 2));
  EXPECT_EQ(426, ReducedSize(1280, 3));
  EXPECT_EQ(40, ReducedSize(1280, 99));   // taken as 32
  EXPECT_EQ(1280, ReducedSize(1280, 0));  // taken as 1
  EXPECT_EQ(0, ReducedSize(-4, 1));
}

}  // namespace
