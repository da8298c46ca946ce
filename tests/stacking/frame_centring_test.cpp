// Centring and quality of one frame: every method finds the known shifts of
// a synthetic series, centres on the border are not trusted, the quality
// box, the sharp frame measured above its blurred copy, and the addition
// onto the reference point.
#include "stacking/frame/frame_centring.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "imagelib/primitives.h"
#include "stack_test_host.h"
#include "synthetic_series.h"
#include "tests/imagelib/random_image.h"

namespace {

using testimg::Header;

constexpr int32_t kPatternSide = 41;   // half side a multiple of the coarse grid

struct OneRun {
  StackSettings s;
  FrameRunContext ctx;
  FrameWorkspace ws;
  RunNotes notes;
  stacktest::RecordingHost host;
  std::vector<int32_t> sum;
  std::vector<uint32_t> count;
  std::vector<int16_t> pattern;

  void Start(const ImageHeader& h) {
    ClampStackSettings(&s);
    SetupFrameRun(&ctx, &h, &s);
    ctx.notes = &notes;
    ctx.host = &host;
    sum.assign(PictureSamples(&ctx.workHeader), 0);
    count.assign(size_t(ctx.workHeader.width) * ctx.workHeader.height, 0);
    ctx.sum = sum.data();
    ctx.count = count.data();
    ctx.pattern = pattern.empty() ? nullptr : pattern.data();
  }
};

synth::Series SharpSeries(bool colour) {
  synth::SeriesSpec spec;
  spec.frames = 6;
  spec.colour = colour;
  spec.lowContrastFrame = -1;
  spec.noise = 60;
  spec.blurScale = 0;   // the blur only matters to the ranking
  return synth::MakeSeries(spec);
}

TEST(FrameCentring, EveryMethodFindsTheKnownShifts) {
  for (bool colour : {false, true}) {
    const synth::Series series = SharpSeries(colour);
    const ImageHeader& h = series.header;
    for (int32_t method : {0, 1, 2, 3, 4, 5, 6}) {
      OneRun run;
      run.s.FitMethod = method;
      run.s.Turbo = method == 4;
      const int32_t cx = h.width / 2, cy = h.height / 2;
      run.s.PatternRect = {cx - kPatternSide / 2, cy - kPatternSide / 2, kPatternSide, kPatternSide};
      run.pattern.resize(size_t(kPatternSide) * kPatternSide * SamplesPerPixel(&h));
      CopyImageRect(run.pattern.data(), series.frames[0].samples.data(), &h, &run.s.PatternRect);
      run.Start(h);
      const bool moves = method >= 1 && method <= 4;
      const int32_t tolerance = method == 1 || method == 2 ? 1 : 0;
      int32_t first[4] = {};
      for (size_t i = 0; i < series.frames.size(); ++i) {
        int32_t centre[4];
        double match = -1;
        const char* failure = "unset";
        ASSERT_EQ(1, CentreFrame(run.ctx, &run.ws, series.frames[i].samples.data(), centre, &match, &failure))
            << method << " " << i;
        EXPECT_EQ(nullptr, failure);
        EXPECT_GT(match, method >= 3 && method <= 4 ? 0.9 : 0.99) << method << " " << i;
        if (i == 0) std::copy(centre, centre + 4, first);
        const int32_t dx = moves ? series.frames[i].dx : 0, dy = moves ? series.frames[i].dy : 0;
        EXPECT_LE(std::abs(centre[0] - first[0] - dx), tolerance) << method << " frame " << i << " colour " << colour;
        EXPECT_LE(std::abs(centre[1] - first[1] - dy), tolerance) << method << " frame " << i << " colour " << colour;
      }
      if (method == 0 || method >= 5) {
        EXPECT_EQ(cx, first[0]);
        EXPECT_EQ(cy, first[1]);
      }
    }
  }
}

// A bright bar of one column whose centre of brightness lies at (x, 50).
std::vector<int16_t> SpotAt(const ImageHeader& h, int32_t x) {
  std::vector<int16_t> px(PictureSamples(&h), 300);
  for (int32_t y = 46; y <= 54; ++y) px[size_t(y) * h.width + x] = 20000;
  return px;
}

TEST(FrameCentring, CentresOnTheBorderAreNotTrusted) {
  const ImageHeader h = Header(120, 100, false);
  for (int32_t x : {20, 21, 99}) {
    OneRun run;
    run.s.FitMethod = kFitBrightness;
    run.Start(h);
    const std::vector<int16_t> px = SpotAt(h, x);
    int32_t centre[4];
    double match = -1;
    const char* failure = nullptr;
    ASSERT_EQ(1, CentreFrame(run.ctx, &run.ws, px.data(), centre, &match, &failure)) << x;
    const bool inside = x != 20;
    EXPECT_EQ(inside ? 1.0 : 0.0, match) << x;
    EXPECT_EQ(inside ? x : 60, centre[0]) << x;
    EXPECT_EQ(inside ? 50 : 50, centre[1]) << x;
  }
}

TEST(FrameCentring, QualityBoxCases) {
  struct Case {
    int32_t w, h, cx, cy;
    double area;
    int32_t excludeBorder, superres, subpixel;
    int placed;
    ImageRect box;
  } cases[] = {
      {640, 480, 320, 240, 0.5, 0, 0, 0, 1, {160, 120, 320, 240}},
      {640, 480, 640, 480, 0.5, 0, 1, 1, 1, {160, 120, 320, 240}},    // centre in twice enlarged pixels
      {640, 480, 1280, 960, 0.5, 0, 1, 2, 1, {160, 120, 320, 240}},
      {640, 480, 10, 10, 0.5, 0, 0, 0, 1, {4, 4, 320, 240}},
      {640, 480, 630, 470, 0.5, 0, 0, 0, 1, {470, 350, 165, 125}},     // ends 5 before the edge
      {640, 480, 10, 10, 0.5, 1, 0, 0, 1, {20, 20, 320, 240}},
      {640, 480, 630, 470, 0.5, 1, 0, 0, 1, {470, 350, 149, 109}},     // ends 21 before the edge
      {640, 480, 320, 240, 1.0, 1, 0, 0, 1, {20, 20, 599, 439}},
      {30, 30, 15, 15, 0.5, 1, 0, 0, 0, {0, 0, 0, 0}},                 // nothing left of a small frame
      {640, 480, 320, 240, 0.0, 0, 0, 0, 0, {0, 0, 0, 0}},
  };
  for (const Case& c : cases) {
    StackSettings s;
    s.Checkarea = c.area;
    s.ExcludeBorder = c.excludeBorder;
    s.Superres = c.superres;
    s.Subpixelfactor = c.subpixel;
    const ImageHeader h = Header(c.w, c.h, false);
    const int32_t centre[2] = {c.cx, c.cy};
    ImageRect box = {-1, -1, -1, -1};
    EXPECT_EQ(c.placed, PlaceQualityBox(&box, centre, &h, s)) << c.cx << "," << c.cy;
    EXPECT_EQ(c.box.x, box.x) << c.cx << "," << c.cy << " " << c.excludeBorder;
    EXPECT_EQ(c.box.y, box.y) << c.cx << "," << c.cy << " " << c.excludeBorder;
    EXPECT_EQ(c.box.w, box.w) << c.cx << "," << c.cy << " " << c.excludeBorder;
    EXPECT_EQ(c.box.h, box.h) << c.cx << "," << c.cy << " " << c.excludeBorder;
  }
}

TEST(FrameCentring, SharpFrameMeasuresAboveItsBlurredCopy) {
  synth::SeriesSpec spec;
  spec.frames = 1;
  spec.lowContrastFrame = -1;
  const synth::Series series = synth::MakeSeries(spec);
  const ImageHeader& h = series.header;
  std::vector<int16_t> sharp = series.frames[0].samples, blurred(sharp.size());
  const ImageRect all = {0, 0, h.width, h.height};
  SmoothRect(blurred.data(), sharp.data(), &h, &all, 2);
  OneRun run;
  run.Start(h);
  FrameRecord records[2] = {};
  ASSERT_EQ(1, ProcessFrame(&run.ctx, &run.ws, sharp.data(), 0, kCentreAndMeasure, records));
  ASSERT_EQ(1, ProcessFrame(&run.ctx, &run.ws, blurred.data(), 1, kCentreAndMeasure, records));
  // The limb weighs the same in both, so the difference is small but sure.
  EXPECT_GT(records[0].qualityMeasures[1], records[1].qualityMeasures[1]);
  EXPECT_GT(records[0].pixelCount, 0);
  EXPECT_EQ(1.0, records[0].matchValue);
  EXPECT_EQ(0, run.notes.Count());
  EXPECT_EQ(std::vector<int32_t>(run.sum.size(), 0), run.sum);   // measuring adds nothing
}

TEST(FrameCentring, AddsOntoTheReferencePoint) {
  const synth::Series series = SharpSeries(false);
  const ImageHeader& h = series.header;
  for (int32_t factor : {1, 2}) {
    OneRun run;
    run.s.FitMethod = kFitDisc;
    run.s.Superres = factor > 1;
    run.s.Subpixelfactor = factor > 1 ? 1 : 0;
    run.s.Qualitycheck = 0;
    run.Start(h);
    for (const synth::Frame& f : series.frames) {
      std::vector<int16_t> px = f.samples;
      ASSERT_EQ(1, ProcessFrame(&run.ctx, &run.ws, px.data(), 0, kCentreMeasureAdd, nullptr));
    }
    ASSERT_TRUE(run.ctx.referenceSet);
    // Every frame added once where the disc of frame 0 lies.
    const int32_t W = run.ctx.workHeader.width;
    const size_t centre = size_t(run.ctx.referencePoint[1]) * W + run.ctx.referencePoint[0];
    EXPECT_EQ(series.frames.size(), run.count[centre]);
    EXPECT_NEAR(h.width / 2 * factor, run.ctx.referencePoint[0], factor);
    EXPECT_NEAR(h.height / 2 * factor, run.ctx.referencePoint[1], factor);
    // Mode 2 takes the stored centre: a record placed 5 pixels off lands there.
    FrameRecord record = {};
    record.centreX = run.ctx.referencePoint[0] - 5;
    record.centreY = run.ctx.referencePoint[1];
    record.matchValue = 1.0;
    std::fill(run.sum.begin(), run.sum.end(), 0);
    std::fill(run.count.begin(), run.count.end(), 0);
    std::vector<int16_t> px = series.frames[0].samples;
    px[size_t(h.height / 2) * h.width + 10] = 31000;   // a marker at column 10
    ASSERT_EQ(1, ProcessFrame(&run.ctx, &run.ws, px.data(), 0, kAddStored, &record));
    const size_t marker = size_t(h.height / 2 * factor) * W + (10 * factor + 5);
    EXPECT_EQ(31000, run.sum[marker]);
  }
}

TEST(FrameCentring, SmallFramesGiveANoteInsteadOfACrash) {
  for (int32_t side : {12, 30, 45}) {
    const ImageHeader h = Header(side, side, false);
    std::vector<int16_t> px = testimg::Random(h, 3, 100, 20000);
    for (int32_t method : {1, 2}) {
      OneRun run;
      run.s.FitMethod = method;
      run.s.ExcludeBorder = 1;
      run.Start(h);
      FrameRecord record = {};
      EXPECT_EQ(1, ProcessFrame(&run.ctx, &run.ws, px.data(), 0, kCentreMeasureAdd, &record)) << side;
      // From about 45 pixels on, a frame has room for the searches and the box.
      if (side < 45) {
        EXPECT_EQ(0.0, record.matchValue) << side;
        EXPECT_EQ(1, run.notes.Count()) << side;
      }
    }
  }
}

}  // namespace
