#include "imagelib/gradients.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <vector>

#include "random_image.h"

namespace {

using testimg::At;
using testimg::Header;
using testimg::Samples;

// base + ax x + ay y in every channel (channel k adds 1000 k).
Samples Ramp(const ImageHeader& h, int ax, int ay, int base = 8000) {
  const int spp = SamplesPerPixel(&h);
  Samples s(testimg::SampleCount(h));
  for (int y = 0; y < h.height; ++y)
    for (int x = 0; x < h.width; ++x)
      for (int k = 0; k < spp; ++k) s[(y * h.width + x) * spp + k] = int16_t(base + 1000 * k + ax * x + ay * y);
  return s;
}

struct RampCase {
  int ax, ay;
  int magnitude, direction;
};
const RampCase kRamps[] = {
    {100, 0, 100, 0},         // rising to the right
    {0, 100, 100, 16383},     // rising downwards
    {0, -100, 100, -16383},   // rising upwards
    {-100, 0, 100, 32767},    // rising to the left
    {30, 40, 50, 9671},
    {30, -40, 50, -9671},
    {0, 0, 0, 0},             // flat
};

TEST(GradientMagnitudeAndDirection, RampsInEveryChannel) {
  for (bool colour : {false, true})
    for (const RampCase& c : kRamps) {
      SCOPED_TRACE(testing::Message() << "ramp " << c.ax << "," << c.ay << (colour ? " colour" : " grey"));
      const ImageHeader h = Header(9, 7, colour);
      const Samples src = Ramp(h, c.ax, c.ay);
      Samples mag(src.size(), 1234), dir(src.size(), 1234);
      ASSERT_EQ(IMG_OK, ComputeGradientMagnitude(src.data(), mag.data(), &h));
      ASSERT_EQ(IMG_OK, ComputeGradientDirection(src.data(), dir.data(), &h));
      for (int k = 0; k < SamplesPerPixel(&h); ++k)
        for (int x = 0; x < h.width; ++x) {
          EXPECT_EQ(0, At(mag, h, x, 0, k));
          EXPECT_EQ(0, At(dir, h, x, 0, k));
          EXPECT_EQ(1234, At(mag, h, x, h.height - 1, k));   // the last row is not written
          EXPECT_EQ(1234, At(dir, h, x, h.height - 1, k));
          for (int y = 1; y < h.height - 1; ++y) {
            if (x == 0 || x == h.width - 1) continue;   // there the neighbours lie in other rows
            EXPECT_EQ(c.magnitude, At(mag, h, x, y, k)) << x << "," << y;
            EXPECT_EQ(c.direction, At(dir, h, x, y, k)) << x << "," << y;
          }
        }
    }
}

TEST(GradientMagnitudeAndDirection, InPlaceEqualsTwoBuffers) {
  for (bool colour : {false, true}) {
    const ImageHeader h = Header(13, 11, colour);
    const Samples src = testimg::Random(h, 5);
    for (auto op : {ComputeGradientMagnitude, ComputeGradientDirection}) {
      Samples two = src, inPlace = src;
      ASSERT_EQ(IMG_OK, op(src.data(), two.data(), &h));
      ASSERT_EQ(IMG_OK, op(inPlace.data(), inPlace.data(), &h));
      EXPECT_EQ(two, inPlace);
    }
  }
}

TEST(GradientMagnitudeAndDirection, EdgeCasesAndErrors) {
  const ImageHeader h = Header(4, 1, false);   // a single row: nothing to write
  Samples s = {1, 2, 3, 4}, d = {9, 9, 9, 9};
  EXPECT_EQ(IMG_OK, ComputeGradientMagnitude(s.data(), d.data(), &h));
  EXPECT_EQ(Samples({9, 9, 9, 9}), d);
  // Extreme signed samples stay within 16 bits.
  const ImageHeader h3 = Header(3, 3, false);
  Samples wild = {0, -32768, 0, 32767, 0, -32768, 0, 32767, 0}, out(9);
  ASSERT_EQ(IMG_OK, ComputeGradientMagnitude(wild.data(), out.data(), &h3));
  EXPECT_EQ(32767, out[4]);
  EXPECT_EQ(IMG_NULL_IMAGE, ComputeGradientMagnitude(nullptr, d.data(), &h));
  EXPECT_EQ(IMG_NULL_IMAGE, ComputeGradientDirection(s.data(), nullptr, &h));
  EXPECT_EQ(IMG_NULL_ARRAY, ComputeGradientDirection(s.data(), d.data(), nullptr));
}

TEST(Derivatives, RampsAndMeasures) {
  const ImageHeader h = Header(8, 6, false);
  const ImageRect r = {1, 0, 6, 5};
  const Samples src = Ramp(h, 30, 40, 100);
  Samples simple(2 * h.width * h.height, -7), box(simple), measure(src.size(), -7), estimate(src.size(), -7);
  ASSERT_EQ(IMG_OK, ComputeDerivatives(&r, &h, src.data(), simple.data()));
  ASSERT_EQ(IMG_OK, ComputeGradient3x3(&r, &h, src.data(), box.data()));
  ASSERT_EQ(IMG_OK, ComputeGaussianMeasure(&r, &h, measure.data(), simple.data(), 0));
  ASSERT_EQ(IMG_OK, ComputeGaussianMeasure(&r, &h, estimate.data(), simple.data(), 1));
  for (int y = 0; y < h.height; ++y)
    for (int x = 0; x < h.width; ++x) {
      const size_t i = size_t(y) * h.width + x;
      const bool inner = x > r.x && x < r.x + r.w - 1 && y > r.y && y < r.y + r.h - 1;
      SCOPED_TRACE(testing::Message() << x << "," << y);
      EXPECT_EQ(inner ? 30 : -7, simple[2 * i]);
      EXPECT_EQ(inner ? 40 : -7, simple[2 * i + 1]);
      EXPECT_EQ(inner ? 30 : -7, box[2 * i]);
      EXPECT_EQ(inner ? 0 : -7, box[2 * i + 1]);   // above minus below is negative: 0
      EXPECT_EQ(inner ? 50 : -7, measure[i]);
      EXPECT_EQ(inner ? 100 : -7, estimate[i]);   // (31457 x 40 + 13042 x 30) >> 14
    }
}

TEST(Derivatives, Errors) {
  const ImageHeader grey = Header(6, 6, false), colour = Header(6, 6, true);
  Samples s(6 * 6 * 3), pairs(2 * 6 * 6);
  const ImageRect r = {0, 0, 6, 6}, bad = {1, 0, 6, 6};
  EXPECT_EQ(IMG_BAD_RECT, ComputeDerivatives(&bad, &grey, s.data(), pairs.data()));
  EXPECT_EQ(IMG_NULL_IMAGE, ComputeGradient3x3(&r, &grey, s.data(), nullptr));
  EXPECT_EQ(IMG_BAD_PARAMETER, ComputeDerivatives(&r, &colour, s.data(), pairs.data()));
  EXPECT_EQ(IMG_BAD_PARAMETER, ComputeGaussianMeasure(&r, &grey, s.data(), pairs.data(), 2));
  ImageHeader oneLevel = grey;
  oneLevel.levels = 1;
  EXPECT_EQ(IMG_BAD_PARAMETER, ComputeGaussianMeasure(&r, &oneLevel, s.data(), pairs.data(), 1));
}

class ShiftDifference : public ::testing::Test {
 protected:
  // 21 x 21, centre (10, 10).
  ImageHeader h = Header(21, 21, false);
  Samples Run(const Samples& src, double shift, double effect, int method, ImageResult want = IMG_OK) {
    Samples dst(src.size(), -1);
    EXPECT_EQ(want, SubtractRotatedCopy(&h, src.data(), dst.data(), 10, 10, shift, effect, method));
    return dst;
  }
};

TEST_F(ShiftDifference, EffectZeroCopiesAndEffectOneLiftsByHalfScale) {
  const Samples src = testimg::Random(h, 9, 0, 20000);
  for (int method : {0, 1, 2}) EXPECT_EQ(src, Run(src, 2.5, 0.0, method));
  // A flat picture: wherever the moved copy comes from inside, src - copy
  // is 0 and the result is the lift, levels / 2.
  const Samples flat(src.size(), 1000);
  const Samples turned = Run(flat, 33.0, 1.0, SHIFT_TURN);
  EXPECT_EQ(1000, At(turned, h, 10, 10));   // the centre is copied
  EXPECT_EQ(16384, At(turned, h, 12, 9));
  // The corner turned by 33 degrees comes from outside: nothing subtracted.
  EXPECT_EQ(1000 + 16384, At(turned, h, 0, 0));
}

TEST_F(ShiftDifference, RadialShiftLeavesThePictureOrStopsAtTheCentre) {
  const Samples flat(size_t(21 * 21), 1000);
  const Samples out = Run(flat, 5.0, 1.0, SHIFT_RADIUS);
  EXPECT_EQ(16384, At(out, h, 6, 10));          // r = 4 reads r = 9
  EXPECT_EQ(1000 + 16384, At(out, h, 0, 10));   // r = 10 reads r = 15, outside
  EXPECT_EQ(1000 + 16384, At(out, h, 20, 10));
  // Moving inwards never passes the centre: every pixel reads a flat value.
  const Samples in = Run(flat, -50.0, 1.0, SHIFT_RADIUS);
  for (int y = 0; y < 21; ++y)
    for (int x = 0; x < 21; ++x)
      if (x != 10 || y != 10) {
        EXPECT_EQ(16384, At(in, h, x, y)) << x << "," << y;
      }
}

TEST_F(ShiftDifference, QuarterTurnReadsTheTurnedPosition) {
  // A plane is interpolated exactly, so the result shows where each pixel
  // read from: for a turn by +90 degrees, (x, y) reads (cx - dy, cy + dx).
  // The tangent method turns a quarter everywhere within r <= shift.
  Samples src(size_t(21 * 21));
  auto plane = [](double x, double y) { return 1000 + 30 * x + 20 * y; };
  for (int y = 0; y < 21; ++y)
    for (int x = 0; x < 21; ++x) src[y * 21 + x] = int16_t(plane(x, y));
  for (auto [shift, method] : {std::pair{90.0, SHIFT_TURN}, std::pair{100.0, SHIFT_TANGENT}}) {
    SCOPED_TRACE(method);
    const Samples out = Run(src, shift, 1.0, method);
    for (int y = 0; y < 21; ++y)
      for (int x = 0; x < 21; ++x) {
        const int sx = 10 - (y - 10), sy = 10 + (x - 10);
        if (sx < 0 || sx > 20 || sy < 0 || sy > 20 || (x == 10 && y == 10)) continue;
        EXPECT_NEAR(plane(x, y) - plane(sx, sy) + 16384, At(out, h, x, y), 2) << x << "," << y;
      }
  }
}

TEST_F(ShiftDifference, ResultsAreClampedAndBadParametersWriteNothing) {
  Samples src(size_t(21 * 21), 32000);
  src[0] = 0;
  const Samples out = Run(src, 5.0, 1.0, SHIFT_RADIUS);
  EXPECT_EQ(32767, At(out, h, 20, 20));   // 32000 + 16384, nothing subtracted
  for (auto [effect, method] : {std::pair{0.5, 3}, std::pair{0.5, -1}, std::pair{1.5, 0}, std::pair{-0.1, 0},
                                std::pair{std::nan(""), 0}}) {
    const Samples untouched = Run(src, 5.0, effect, method, IMG_BAD_PARAMETER);
    EXPECT_EQ(Samples(src.size(), -1), untouched);
  }
  EXPECT_EQ(IMG_BAD_PARAMETER, SubtractRotatedCopy(&h, src.data(), src.data(), 10, 10, 2.0, 0.3, 0));
  EXPECT_EQ(IMG_NULL_IMAGE, SubtractRotatedCopy(&h, nullptr, src.data(), 10, 10, 2.0, 0.3, 0));
  // A shift far outside any picture subtracts nothing rather than overflowing.
  const Samples flat(src.size(), 1000);
  Samples far(src.size());
  ASSERT_EQ(IMG_OK, SubtractRotatedCopy(&h, flat.data(), far.data(), 10, 10, 1e12, 0.5, SHIFT_RADIUS));
  EXPECT_EQ(1000 + 8192, At(far, h, 3, 3));
}

TEST(RotateColours, StretchesChromaKeepingHueAndGrey) {
  const ImageHeader h = Header(3, 1, true);
  // B, G, R: grey, a strong red and a weak red on the same grey.
  const Samples src = {1000, 1000, 1000, 1000, 1000, 2000, 1000, 1000, 1500};
  Samples linear(src.size()), lifted(src.size());
  ASSERT_EQ(IMG_OK, RotateColours(src.data(), linear.data(), &h, 1.0));
  ASSERT_EQ(IMG_OK, RotateColours(src.data(), lifted.data(), &h, 0.5));
  for (int k = 0; k < 3; ++k) EXPECT_NEAR(1000, linear[k], 1);   // grey stays grey
  // Red's chroma axis u0 = (2R - G - B) / sqrt 6 reaches 32767, grey kept:
  // R = 32767 x 2 / sqrt 6 + 1333.3, G and B below 0.
  EXPECT_NEAR(28087, linear[5], 1);
  EXPECT_EQ(0, linear[3]);
  EXPECT_EQ(0, linear[4]);
  EXPECT_NEAR(16383.5 * 2 / std::sqrt(6.0) + 3500 / 3.0, linear[8], 1);   // half the chroma, half the stretch
  EXPECT_NEAR(32767 * std::sqrt(0.5) * 2 / std::sqrt(6.0) + 3500 / 3.0, lifted[8], 1);
}

TEST(RotateColours, NoColourWritesNothingAndGreyIsRefused) {
  const ImageHeader h = Header(2, 1, true);
  const Samples src = {500, 500, 500, 70, 70, 70};
  Samples dst(src.size(), -3);
  ASSERT_EQ(IMG_OK, RotateColours(src.data(), dst.data(), &h, 1.0));
  EXPECT_EQ(Samples(src.size(), -3), dst);
  const ImageHeader grey = Header(2, 1, false);
  EXPECT_EQ(IMG_BAD_PARAMETER, RotateColours(src.data(), dst.data(), &grey, 1.0));
  EXPECT_EQ(IMG_BAD_PARAMETER, RotateColours(src.data(), dst.data(), &h, 0.0));
}

TEST(BinariseRect, ThresholdsOnlyTheRectangle) {
  const ImageHeader h = Header(3, 2, false);
  Samples s = {-5, 10, 11, 12, 10, 9};
  const ImageRect r = {1, 0, 2, 2};
  ASSERT_EQ(IMG_OK, BinariseRect(&r, &h, s.data(), 10, 1, 2));
  EXPECT_EQ(Samples({-5, 1, 2, 12, 1, 1}), s);
  const ImageRect bad = {2, 0, 2, 1};
  EXPECT_EQ(IMG_BAD_RECT, BinariseRect(&bad, &h, s.data(), 10, 1, 2));
  EXPECT_EQ(IMG_NULL_IMAGE, BinariseRect(&r, &h, nullptr, 10, 1, 2));
}

}  // namespace
