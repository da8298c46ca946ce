// What the scaling dialog hands to the resampler: sizes, centres, modes and
// the smoothing of a reduction, and the box that puts the result's middle on
// a chosen picture point.
#include "editing/geometry/scaling_plan.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "imagelib/matrix.h"
#include "imagelib/resample.h"

namespace {

ScalingInput Input(double scale, bool section, double pw = 10.0, double ph = 10.0) {
  ScalingInput in{};
  in.width = 640;
  in.height = 480;
  in.scale = scale;
  in.pixelWidth = pw;
  in.pixelHeight = ph;
  in.section = section;
  in.method = 4;
  in.minification = kMinifyMean;
  in.box[0] = 0;
  in.box[1] = 0;
  in.box[2] = 640;
  in.box[3] = 480;
  return in;
}

TEST(ScalingPlan, SizesCentresAndModesByFactorAndSection) {
  struct Case {
    const char* name;
    ScalingInput in;
    ScalingPlan expected;
  };
  ScalingInput moved = Input(2.0, true);
  moved.box[0] = 30;
  moved.box[1] = -12;
  ScalingInput shaped = Input(2.0, true, 16.0, 15.0);
  shaped.box[0] = 11;
  ScalingInput pickUp = Input(0.5, true);
  pickUp.minification = kMinifyPickUp;
  const Case cases[] = {
      {"identity", Input(1.0, false), {640, 480, 320, 240, 4, 0}},
      {"enlarged whole", Input(2.0, false), {1280, 960, 640, 480, 4, 0}},
      {"section keeps the size", Input(2.0, true), {640, 480, 320, 240, 4, 0}},
      {"section about the moved box", moved, {640, 480, 350, 228, 4, 0}},
      // k = 15 / 16: 640 x 0.9375 = 600; centre floor((11 + 320) x 0.9375) = 310.
      {"non-square pixels", shaped, {600, 480, 310, 240, 4, 0}},
      {"halved with a mean of two", Input(0.5, true), {320, 240, 160, 120, 1, 1}},
      {"halved picked up", pickUp, {320, 240, 160, 120, 0, 0}},
      {"a tenth with a mean of ten", Input(0.1, false), {64, 48, 32, 24, 1, 9}},
      {"barely reduced: bilinear alone", Input(0.9, false), {576, 432, 288, 216, 1, 0}},
  };
  for (const Case& c : cases) {
    ScalingPlan p{};
    ASSERT_TRUE(PlanScaling(c.in, &p)) << c.name;
    EXPECT_EQ(c.expected.width, p.width) << c.name;
    EXPECT_EQ(c.expected.height, p.height) << c.name;
    EXPECT_EQ(c.expected.centreX, p.centreX) << c.name;
    EXPECT_EQ(c.expected.centreY, p.centreY) << c.name;
    EXPECT_EQ(c.expected.mode, p.mode) << c.name;
    EXPECT_EQ(c.expected.smoothRadius, p.smoothRadius) << c.name;
  }
}

TEST(ScalingPlan, PixelSizesMustBeFiniteAndAboveZeroAndTheResultAPixel) {
  const double inf = std::numeric_limits<double>::infinity(), nan = std::nan("");
  for (double bad : {0.0, -16.0, inf, -inf, nan}) {
    EXPECT_FALSE(ValidPixelSize(bad)) << bad;
    ScalingPlan p{};
    EXPECT_FALSE(PlanScaling(Input(1.0, false, bad, 15.0), &p)) << bad;
    EXPECT_FALSE(PlanScaling(Input(1.0, false, 16.0, bad), &p)) << bad;
  }
  EXPECT_TRUE(ValidPixelSize(0.01));
  ScalingPlan p{};
  // 640 x 0.01 / 10 is below one pixel; 2 x 1 pictures shrink to nothing.
  EXPECT_FALSE(PlanScaling(Input(1.0, false, 10.0, 0.01), &p));
  ScalingInput tiny = Input(0.4, false);
  tiny.width = 2;
  tiny.height = 1;
  EXPECT_FALSE(PlanScaling(tiny, &p));
  // Wider than an int32 can say.
  EXPECT_FALSE(PlanScaling(Input(10.0, false, 0.01, 1e9), &p));
  EXPECT_FALSE(PlanScaling(Input(0.0, false), &p));
}

// The box found for a point, handed back through the plan and the
// resampler's own mapping, lands the result's middle on that point.
TEST(ScalingPlan, TheBoxForAPointPutsTheResultsMiddleOnIt) {
  const struct {
    double scale, angle, pw, ph, px, py;
  } cases[] = {
      {2.0, 0.0, 10.0, 10.0, 400.0, 100.0},
      {3.5, 0.3, 10.0, 10.0, 200.0, 300.0},
      {2.0, -1.2, 16.0, 15.0, 350.0, 260.0},
      {1.0, 0.0, 12.0, 16.0, 100.0, 400.0},
  };
  for (const auto& c : cases) {
    ScalingInput in = Input(c.scale, true, c.pw, c.ph);
    int32_t x = 0, y = 0;
    ASSERT_TRUE(SectionBoxForPoint(in, c.angle, c.px, c.py, &x, &y));
    in.box[0] = x;
    in.box[1] = y;
    ScalingPlan p{};
    ASSERT_TRUE(PlanScaling(in, &p));
    double** m = nullptr;
    ASSERT_EQ(1, AllocMatrix(&m, 4));
    ASSERT_EQ(IMG_OK, BuildRotationScaleMatrix(m, c.angle, c.scale, c.pw, c.ph));
    // The middle output pixel of ResampleImage: x = centre - W/2 + W/2.
    double sx = 0, sy = 0;
    MapOutputPixel(&sx, &sy, p.centreX, p.centreY, 0.0, m, p.width, p.height, in.width, in.height, 0.0);
    FreeMatrix(&m);
    // Whole box pixels: within one source pixel of the point.
    EXPECT_NEAR(c.px, sx, 1.0) << c.scale << " " << c.angle;
    EXPECT_NEAR(c.py, sy, 1.0) << c.scale << " " << c.angle;
  }
  ScalingInput bad = Input(2.0, true, 0.0, 10.0);
  int32_t x = 7, y = 7;
  EXPECT_FALSE(SectionBoxForPoint(bad, 0.0, 1.0, 1.0, &x, &y));
  EXPECT_EQ(7, x);
}

}  // namespace
