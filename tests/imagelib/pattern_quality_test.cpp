#include "imagelib/pattern_quality.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "imagelib/colour_channels.h"
#include "imagelib/primitives.h"
#include "stacking_fixtures.h"

namespace {

using testimg::Cut;
using testimg::Disc;
using testimg::Header;
using testimg::Samples;
using testimg::Texture;

struct SearchCase {
  bool colour;
  int channel, step, scale;
  int size;         // pattern width and height
  int x0, y0;       // where it is cut
  int startDx, startDy;   // previous position, relative to the cut
};
constexpr SearchCase kSearches[] = {
    {false, 0, 1, 1, 33, 37, 29, 6, -4},   {false, 0, 2, 1, 33, 90, 51, -9, 7},
    {false, 0, 2, 2, 33, 12, 70, 15, 3},   {true, 0, 2, 1, 33, 55, 40, 2, 2},
    {true, 1, 2, 1, 41, 101, 18, -5, -11}, {true, 2, 1, 1, 29, 64, 77, 0, 0},
    {true, 3, 2, 1, 33, 8, 8, 20, 20},
};

TEST(PatternSearch, BothSearchesFindTheCutAtCorrelationOne) {
  for (const auto& s : kSearches) {
    const ImageHeader h = Header(160, 120, s.colour);
    const Samples frame = Texture(h, 21);
    const Samples pattern = Cut(frame, h, s.x0, s.y0, s.size, s.size);
    const int centreX = s.x0 + s.size / 2, centreY = s.y0 + s.size / 2;
    const int32_t size[2] = {s.size, s.size};
    int32_t result[4] = {-1, -1, -1, -1};
    double corr = -5;
    ASSERT_EQ(IMG_OK, MatchPatternFull(size, s.scale, s.step, s.channel, &h, frame.data(), pattern.data(), result,
                                       &corr, nullptr));
    EXPECT_EQ(centreX, result[0]) << "full, cut at " << s.x0 << "," << s.y0;
    EXPECT_EQ(centreY, result[1]) << "full, cut at " << s.x0 << "," << s.y0;
    EXPECT_EQ(0, result[2]);
    EXPECT_EQ(0, result[3]);
    EXPECT_EQ(1.0, corr) << "full, cut at " << s.x0 << "," << s.y0;

    const ImageRect start = {s.x0 + s.startDx, s.y0 + s.startDy, s.size, s.size};
    std::fill(result, result + 4, -1);
    corr = -5;
    ASSERT_EQ(IMG_OK, MatchPatternInRadius(&start, 40, s.scale, s.step, s.channel, &h, frame.data(), pattern.data(),
                                           0.95, result, &corr));
    EXPECT_EQ(centreX, result[0]) << "radius, cut at " << s.x0 << "," << s.y0;
    EXPECT_EQ(centreY, result[1]) << "radius, cut at " << s.x0 << "," << s.y0;
    EXPECT_EQ(1.0, corr) << "radius, cut at " << s.x0 << "," << s.y0;
  }
}

TEST(PatternSearch, FlatFrameGivesZeroAtTheFirstFinePosition) {
  const ImageHeader h = Header(100, 90, false);
  const Samples flat(100 * 90, 3000);
  const Samples pattern = Cut(Texture(h, 2), h, 40, 30, 33, 33);
  const int32_t size[2] = {33, 33};
  int32_t result[4];
  double corr = -5;
  ASSERT_EQ(IMG_OK, MatchPatternFull(size, 1, 2, 0, &h, flat.data(), pattern.data(), result, &corr, nullptr));
  EXPECT_EQ(0.0, corr);
  // The first coarse position (16 + 2 + 2) wins; the fine window reaches 8
  // back, clamped to where the pattern fits (16).
  EXPECT_EQ(16, result[0]);
  EXPECT_EQ(16, result[1]);
}

TEST(PatternSearch, MinimumCorrelationEndsTheCoarseStage) {
  // The pattern sits 48 pixels right of a start in a flat part of the frame:
  // with a minimum of 0 the flat start already qualifies (score 0) and the
  // fine window (+-12) never reaches the texture; with 0.9 it is found.
  const ImageHeader h = Header(200, 100, false);
  Samples frame(200 * 100, 5000);
  const Samples texture = Texture(h, 5);
  for (int y = 20; y < 80; ++y)
    for (int x = 100; x < 190; ++x) frame[y * 200 + x] = texture[y * 200 + x];
  const Samples pattern = Cut(frame, h, 102, 34, 33, 33);
  const ImageRect start = {54, 34, 33, 33};
  int32_t result[4];
  double corr = -5;
  ASSERT_EQ(IMG_OK, MatchPatternInRadius(&start, 50, 1, 1, 0, &h, frame.data(), pattern.data(), 0.0, result, &corr));
  EXPECT_EQ(0.0, corr);
  EXPECT_EQ(70 - 12, result[0]);
  EXPECT_EQ(50 - 12, result[1]);
  ASSERT_EQ(IMG_OK, MatchPatternInRadius(&start, 50, 1, 1, 0, &h, frame.data(), pattern.data(), 0.9, result, &corr));
  EXPECT_EQ(1.0, corr);
  EXPECT_EQ(118, result[0]);
  EXPECT_EQ(50, result[1]);
}

int gRows = 0;
void CountRow() { ++gRows; }

TEST(PatternSearch, ProgressOncePerCoarseRow) {
  const ImageHeader h = Header(80, 70, false);
  const Samples frame = Texture(h, 6);
  const Samples pattern = Cut(frame, h, 20, 20, 17, 17);
  const int32_t size[2] = {17, 17};
  int32_t result[4];
  double corr;
  gRows = 0;
  ASSERT_EQ(IMG_OK, MatchPatternFull(size, 1, 2, 0, &h, frame.data(), pattern.data(), result, &corr, CountRow));
  // Rows 8 + 2 + 2 = 12 up to 70 - 8 - 2 - 3 = 57 (excluded), every 2.
  EXPECT_EQ(23, gRows);
}

TEST(PatternSearch, BadArgumentsAreRefused) {
  const ImageHeader h = Header(60, 50, true);
  const Samples frame = Texture(h, 7);
  const Samples pattern(61 * 61 * 3, 100);
  int32_t result[4] = {7, 7, 7, 7};
  double corr = -5;
  auto full = [&](int w, int ht, int scale, int step, int channel, const int16_t* f) {
    const int32_t size[2] = {w, ht};
    return MatchPatternFull(size, scale, step, channel, &h, f, pattern.data(), result, &corr, nullptr);
  };
  auto radius = [&](int w, int ht, int scale, int step) {
    const ImageRect start = {10, 10, w, ht};
    return MatchPatternInRadius(&start, 20, scale, step, 0, &h, frame.data(), pattern.data(), 0.5, result, &corr);
  };
  struct Case {
    const char* what;
    std::function<ImageResult()> call;
    ImageResult expected;
  } cases[] = {
      {"31 x 31, grid 2", [&] { return full(31, 31, 1, 1, 0, frame.data()); }, IMG_BAD_PARAMETER},
      {"even width", [&] { return full(32, 33, 1, 1, 0, frame.data()); }, IMG_BAD_PARAMETER},
      {"step 0", [&] { return full(33, 33, 1, 0, 0, frame.data()); }, IMG_BAD_PARAMETER},
      {"scale 0", [&] { return radius(33, 33, 0, 2); }, IMG_BAD_PARAMETER},
      {"negative step", [&] { return radius(33, 33, 1, -2); }, IMG_BAD_PARAMETER},
      {"channel 4", [&] { return full(33, 33, 1, 2, 4, frame.data()); }, IMG_BAD_PARAMETER},
      {"pattern above the frame", [&] { return full(61, 1, 1, 1, 0, frame.data()); }, IMG_BAD_RECT},
      {"pattern above the frame, radius", [&] { return radius(57, 57, 1, 1); }, IMG_BAD_RECT},
      {"null frame", [&] { return full(33, 33, 1, 2, 0, nullptr); }, IMG_NULL_ARRAY},
  };
  for (const auto& c : cases) {
    corr = -5;
    EXPECT_EQ(c.expected, c.call()) << c.what;
    EXPECT_EQ(0.0, corr) << c.what;
  }
  EXPECT_EQ(0, result[2]);
  EXPECT_EQ(0, result[3]);
  EXPECT_EQ(IMG_OK, full(33, 33, 1, 1, 0, frame.data())) << "33 x 33 on grid 2 is fine";
}

TEST(PatternSearch, StartFarOutsideTheFrameIsHarmless) {
  const ImageHeader h = Header(60, 50, false);
  const Samples frame = Texture(h, 8);
  const Samples pattern = Cut(frame, h, 10, 10, 17, 17);
  int32_t result[4];
  double corr = -5;
  for (ImageRect start : {ImageRect{-100000, 5, 17, 17}, ImageRect{2000000000, -2000000000, 17, 17}}) {
    ASSERT_EQ(IMG_OK, MatchPatternInRadius(&start, 1000000000, 1, 1, 0, &h, frame.data(), pattern.data(), 2.0,
                                           result, &corr));
    EXPECT_GE(corr, -1.0);
  }
}

// Quality of a detailed disc and of its blurred copy.
struct Quality {
  double q[7];
  int32_t count = 0;
  ImageRect measured{};
  int ok = 0;
  Quality(const Samples& img, const ImageHeader& h, const ImageRect* window) {
    ok = MeasureFrameQuality(&q[0], &q[1], &q[2], &q[3], &q[4], &q[5], &q[6], &count, &measured, img.data(), &h,
                             window);
  }
};

TEST(FrameQuality, SharpFrameOutranksItsBlurredCopy) {
  for (bool colour : {false, true}) {
    const ImageHeader h = Header(160, 120, colour);
    Samples sharp = Disc(h, 80, 60, 35, 20000, 800);
    const Samples detail = Texture(h, 9);
    for (size_t i = 0; i < sharp.size(); ++i)
      if (sharp[i] > 800) sharp[i] = static_cast<int16_t>(sharp[i] / 2 + detail[i] / 3);
    Samples blurred(sharp.size());
    const ImageRect all = {0, 0, 160, 120};
    SmoothRect(blurred.data(), sharp.data(), &h, &all, 8);
    const ImageRect box = {50, 30, 60, 60};
    for (const ImageRect* window : {static_cast<const ImageRect*>(nullptr), &box}) {
      const Quality a(sharp, h, window), b(blurred, h, window);
      ASSERT_EQ(1, a.ok);
      ASSERT_EQ(1, b.ok);
      EXPECT_GT(a.count, 2000) << "colour " << colour;
      EXPECT_GT(a.q[1], 1.05 * b.q[1]) << "mean gradient, colour " << colour << " window " << (window != nullptr);
      EXPECT_GE(a.q[0], a.q[1]);
      EXPECT_GT(a.q[2], b.q[2]) << "the blur takes noise away too";
      EXPECT_EQ(0.0, a.q[3]);
      EXPECT_GT(a.q[4], 0.0);
      EXPECT_GT(a.q[5], 0.0);
      EXPECT_DOUBLE_EQ(a.q[5] * h.levels / a.q[2], a.q[6]);
    }
  }
}

TEST(FrameQuality, NothingToMeasureAndClippedWindows) {
  const ImageHeader h = Header(100, 80, false);
  const Samples dark(100 * 80, 700);
  const Quality none(dark, h, nullptr);
  ASSERT_EQ(1, none.ok);
  EXPECT_EQ(0, none.count);
  for (int k : {0, 1, 2, 5, 6}) EXPECT_EQ(0.0, none.q[k]) << "measure " << k + 1;

  const Samples img = Texture(h, 3);
  const ImageRect all = {0, 0, 100, 80};
  const Quality whole(img, h, &all);
  ASSERT_EQ(1, whole.ok);
  EXPECT_EQ(1, whole.measured.x);
  EXPECT_EQ(1, whole.measured.y);
  EXPECT_EQ(98, whole.measured.w);
  EXPECT_EQ(78, whole.measured.h);
  EXPECT_EQ(98 * 78, whole.count);

  const ImageRect outside = {90, 0, 11, 5};
  EXPECT_EQ(0, Quality(img, h, &outside).ok);
  double q[7];
  int32_t count;
  ImageRect measured;
  EXPECT_EQ(0, MeasureFrameQuality(&q[0], &q[1], nullptr, &q[3], &q[4], &q[5], &q[6], &count, &measured, img.data(),
                                   &h, nullptr));
  EXPECT_EQ(0, MeasureFrameQuality(&q[0], &q[1], &q[2], &q[3], &q[4], &q[5], &q[6], &count, &measured, nullptr, &h,
                                   nullptr));
}

}  // namespace
