// The contrast dialogs' arithmetic: end points of the buttons and sliders
// that never come closer than 8 levels, curve points that follow a preset,
// histograms through a table and the plot of a table.
#include <gtest/gtest.h>

#include <numeric>
#include <vector>

#include "editing/contrast/contrast_curves.h"

namespace {

std::vector<uint16_t> Identity() {
  std::vector<uint16_t> t(kContrastLevels);
  std::iota(t.begin(), t.end(), uint16_t{0});
  return t;
}

TEST(ContrastCurvesTest, EndPointsKeepTheirGapInsideTheTable) {
  const struct {
    int32_t black, white, wantBlack, wantWhite;
  } cases[] = {
      {100, 50, 100, 108},          {100, 108, 100, 108},     {0, 3, 0, 8},
      {32767, 32767, 32759, 32767}, {-5, 40000, 0, 32767},    {32000, 100, 32000, 32008},
  };
  for (const auto& c : cases) {
    int32_t b = c.black, w = c.white;
    KeepEndPointsApart(&b, &w);
    EXPECT_EQ(c.wantBlack, b) << c.black << " " << c.white;
    EXPECT_EQ(c.wantWhite, w) << c.black << " " << c.white;
  }
}

TEST(ContrastCurvesTest, EachButtonTakesItsEndPointsFromTheHistogram) {
  std::vector<uint32_t> h(kContrastLevels, 0);
  for (int i = 1000; i <= 2000; ++i) h[i] = 10;
  h[1500] = 500;   // the background peak
  int32_t b = -1, w = -1;
  ASSERT_EQ(IMG_OK, EndPointsOfMode(h.data(), 0, &b, &w));
  EXPECT_EQ(1000, b);
  EXPECT_EQ(2000, w);
  ASSERT_EQ(IMG_OK, EndPointsOfMode(h.data(), 6, &b, &w));
  EXPECT_GT(b, 1000);
  EXPECT_LT(w, 2000);
  ASSERT_EQ(IMG_OK, EndPointsOfMode(h.data(), kEndPointsNone, &b, &w));
  EXPECT_EQ(0, b);
  EXPECT_EQ(32767, w);
  ASSERT_EQ(IMG_OK, EndPointsOfMode(h.data(), kEndPointsBackground, &b, &w));
  EXPECT_EQ(1500, b);
  EXPECT_EQ(32767, w);
  // A picture of one level: the points are still 8 apart.
  std::vector<uint32_t> flat(kContrastLevels, 0);
  flat[5000] = 1000;
  ASSERT_EQ(IMG_OK, EndPointsOfMode(flat.data(), 3, &b, &w));
  EXPECT_EQ(5000, b);
  EXPECT_EQ(5008, w);
  // No button sets the slider mode or 7; nothing is written then.
  b = w = -1;
  EXPECT_EQ(IMG_BAD_PARAMETER, EndPointsOfMode(h.data(), kEndPointsByHand, &b, &w));
  EXPECT_EQ(IMG_BAD_PARAMETER, EndPointsOfMode(h.data(), 7, &b, &w));
  EXPECT_EQ(-1, b);
  EXPECT_EQ(IMG_NULL_ARRAY, EndPointsOfMode(nullptr, 0, &b, &w));
}

TEST(ContrastCurvesTest, TheSlidersKeepTheGapWhicheverIsPushedPastTheOther) {
  const struct {
    int32_t black, whitePos, blackPos, wantBlack, wantWhite;
  } cases[] = {
      {0, 500, 10, 320, 16000},       // apart: as the sliders stand
      {3200, 50, 100, 3200, 3208},    // white pushed below black
      {320, 200, 300, 6392, 6400},    // black pushed above white
      {0, 0, 0, 0, 8},                // both at the bottom
      {32736, 1023, 1023, 32736, 32744},
  };
  for (const auto& c : cases) {
    int32_t b = c.black, w = 0;
    EndPointsFromSliders(c.whitePos, c.blackPos, &b, &w);
    EXPECT_EQ(c.wantBlack, b) << c.whitePos << " " << c.blackPos;
    EXPECT_EQ(c.wantWhite, w) << c.whitePos << " " << c.blackPos;
  }
}

TEST(ContrastCurvesTest, CurvePointsFollowAPresetButNotTheFreeCurve) {
  const std::vector<uint16_t> t = Identity();
  int32_t points[kCurvePoints] = {0, 1, 2, 3, 4, 5, 6, 7, 32767};
  int32_t values[kCurvePoints] = {};
  FollowCurvePoints(t.data(), 800, 1600, CURVE_LINEAR, points, values);
  for (int k = 1; k <= 7; ++k) {
    EXPECT_EQ(800 + 100 * k, values[k]) << k;
    EXPECT_EQ(values[k], points[k]) << k;
  }
  EXPECT_EQ(0, points[0]);
  EXPECT_EQ(32767, points[8]);
  int32_t free[kCurvePoints] = {0, 1, 2, 3, 4, 5, 6, 7, 32767};
  FollowCurvePoints(t.data(), 0, 32767, CURVE_SPLINE, free, values);
  EXPECT_EQ(4095, values[1]);
  EXPECT_EQ(1, free[1]) << "the free curve keeps its points";
  // End points the wrong way round stay inside the table.
  EXPECT_EQ(0, CurvePointLevel(-100, 0, 1));
  EXPECT_EQ(32767, CurvePointLevel(32767, 32767, 7));
}

TEST(ContrastCurvesTest, TheResultHistogramMovesEveryCountThroughTheTable) {
  std::vector<uint32_t> in(kContrastLevels, 0), out(kContrastLevels, 7);
  in[10] = 3;
  in[20] = 4;
  in[32767] = 5;
  std::vector<uint16_t> t = Identity();
  MapHistogram(in.data(), t.data(), kContrastLevels, out.data());
  EXPECT_EQ(in, out);
  for (auto& v : t) v = 12000;
  t[32767] = 40000;   // past the levels: the last bin
  MapHistogram(in.data(), t.data(), kContrastLevels, out.data());
  EXPECT_EQ(7u, out[12000]);
  EXPECT_EQ(5u, out[32767]);
  EXPECT_EQ(12u, std::accumulate(out.begin(), out.end(), 0u));
}

TEST(ContrastCurvesTest, ThePlotRunsFromZeroTo255OnBothAxes) {
  const std::vector<uint16_t> t = Identity();
  double x[256], y[256];
  BuildCurvePoints256(x, y, kContrastLevels, t.data());
  for (int i = 0; i < 256; ++i) {
    EXPECT_EQ(i, x[i]);
    EXPECT_EQ(i, y[i]);
  }
  BuildCurvePoints256(nullptr, y, kContrastLevels, t.data());   // nothing happens
  EXPECT_EQ(255.0, y[255]);
}

TEST(ContrastCurvesTest, TheBackgroundLevelStaysBelowTheHighestLevel) {
  EXPECT_EQ(399, LimitBackgroundLevel(500, 400));
  EXPECT_EQ(399, LimitBackgroundLevel(400, 400));
  EXPECT_EQ(10, LimitBackgroundLevel(10, 400));
  EXPECT_EQ(0, LimitBackgroundLevel(0, 0));
}

}  // namespace
