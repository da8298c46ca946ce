// Pre-treatment of raw frames: the stages in their fixed order equal the
// operators called one by one, each stage's switches, and the pedestal of the
// re-centring run's dynamic correction.
#include "stacking/frame/pretreatment.h"

#include <gtest/gtest.h>

#include <cmath>

#include "imagelib/colour_channels.h"
#include "imagelib/contrast.h"
#include "imagelib/flat_dark.h"
#include "imagelib/hot_pixels.h"
#include "imagelib/noise_filters.h"
#include "tests/imagelib/random_image.h"

namespace {

using testimg::Header;
using testimg::Random;
using testimg::Samples;

// Every stage on, with a hot-pixel list learnt on a dark frame of the size.
struct Rig {
  ImageHeader h;
  Samples frame, dark, flat;
  HotPixelList* hot = nullptr;
  StackSettings s;

  explicit Rig(bool colour) : h(Header(64, 48, colour)) {
    frame = Random(h, 1, 2000, 20000);
    dark = Random(h, 2, 0, 400);
    flat = Random(h, 3, 15000, 17000);
    dark[200] = 9000;
    dark[901] = 9500;
    FindHotPixels(dark.data(), &h, 5000, 5000, 5000, &hot);
    s.hotPixels.on = true;
    s.hotPixels.width = hot->width;
    s.hotPixels.height = hot->height;
    const uint16_t* e = &HotPixelEntries(hot)[0][0];
    s.hotPixels.entries.assign(e, e + 4 * hot->count);
    s.IsDarkcurrent = s.IsFlatfield = 1;
    s.IsNoisefilter = 1;
    s.Filtertype = 6;
    s.Sigmaradius = -50;   // the threshold factor 0.1
    s.RGBCorrection = 1;
    s.RGBCorrBlueXshift = 2;
    s.RGBCorrRedYshift = -1;
    s.RedSize = 3;
    s.FitImageEqualizing = 1;
    s.Gaintype = 3;
    s.Gaingamma = 0.8;
    s.Gainauto = 1;
  }
  ~Rig() { FreeMem(&hot); }
  CalibrationFrames Cal() const { return {dark.data(), flat.data()}; }
};

TEST(Pretreatment, StagesEqualTheOperatorsInTheirOrder) {
  for (bool colour : {false, true}) {
    Rig u(colour);
    ASSERT_GT(u.hot->count, 0);
    Samples expected = u.frame;
    int16_t* e = expected.data();
    const ImageRect all = {0, 0, u.h.width, u.h.height};
    RepairHotPixels(&u.h, e, e, HotPixelEntries(u.hot), u.hot->count);
    SubtractDark(e, e, u.dark.data(), &u.h);
    DivideFlatField(e, e, u.flat.data(), &u.h);
    ApplyNoiseFilter(&all, &u.h, e, e, 0.1, 6, 0, nullptr);
    if (colour) AlignColourChannels(e, e, &u.h, 2, 0, 0, 0, -1, 3);
    AutoContrastImage(&u.h, e, e, 3, 0.8, 1);

    Samples got = u.frame;
    FrameBuffer scratch;
    PretreatFrame(got.data(), &u.h, u.s, u.Cal());
    int32_t error = -1;
    EXPECT_EQ(1, ApplyNoiseFilterAndRgbAlignment(got.data(), &u.h, u.s, &scratch, &error));
    EXPECT_EQ(0, error);
    ApplyPreAmplification(got.data(), &u.h, u.s);
    EXPECT_EQ(expected, got) << colour;
  }
}

TEST(Pretreatment, SwitchesThatLeaveTheFrameAlone) {
  Rig u(false);
  // Pre-treatment off: no stage works, and the middle one says so.
  StackSettings off = u.s;
  off.Preprocess = 0;
  Samples got = u.frame;
  PretreatFrame(got.data(), &u.h, off, u.Cal());
  EXPECT_EQ(0, ApplyNoiseFilterAndRgbAlignment(got.data(), &u.h, off, nullptr, nullptr));
  ApplyPreAmplification(got.data(), &u.h, off);
  EXPECT_EQ(u.frame, got);

  // The noise filter only for exactly 1.
  StackSettings filter;
  filter.IsNoisefilter = 2;
  filter.Filtertype = 4;
  EXPECT_EQ(1, ApplyNoiseFilterAndRgbAlignment(got.data(), &u.h, filter, nullptr, nullptr));
  EXPECT_EQ(u.frame, got);

  // A grey frame is not colour-aligned.
  StackSettings rgb;
  rgb.RGBCorrection = 1;
  rgb.RGBCorrBlueXshift = 3;
  EXPECT_EQ(1, ApplyNoiseFilterAndRgbAlignment(got.data(), &u.h, rgb, nullptr, nullptr));
  EXPECT_EQ(u.frame, got);

  // A list learnt on frames of another size is skipped; so are the dark
  // and flat switches without their frames.
  StackSettings calibration = u.s;
  calibration.hotPixels.width = 65;
  PretreatFrame(got.data(), &u.h, calibration, CalibrationFrames{});
  EXPECT_EQ(u.frame, got);
}

// The stored setting is turned into the sigma test's factor as the filter
// dialogs turn it, and the factor matters.
TEST(Pretreatment, SigmaSettingGivesTheFiltersFactor) {
  Rig u(false);
  const ImageRect all = {0, 0, u.h.width, u.h.height};
  const struct {
    double setting, factor;
  } cases[] = {{-50, 0.1}, {0, 1.0}, {25, std::sqrt(10.0)}, {50, 10.0}};
  std::vector<Samples> results;
  for (const auto& c : cases) {
    Samples expected = u.frame;
    ApplyNoiseFilter(&all, &u.h, expected.data(), expected.data(), c.factor, 6, 0, nullptr);
    StackSettings s;
    s.IsNoisefilter = 1;
    s.Filtertype = 6;
    s.Sigmaradius = c.setting;
    Samples got = u.frame;
    EXPECT_EQ(1, ApplyNoiseFilterAndRgbAlignment(got.data(), &u.h, s, nullptr, nullptr));
    EXPECT_EQ(expected, got) << c.setting;
    results.push_back(got);
  }
  EXPECT_NE(results.front(), results.back());
}

TEST(Pretreatment, NoiseFilterErrorStopsTheStage) {
  Rig u(true);
  StackSettings s = u.s;
  s.Filtertype = 12;
  Samples got = u.frame;
  int32_t error = 0;
  EXPECT_EQ(0, ApplyNoiseFilterAndRgbAlignment(got.data(), &u.h, s, nullptr, &error));
  EXPECT_EQ(IMG_BAD_PARAMETER, error);
  EXPECT_EQ(u.frame, got);   // nor aligned
}

TEST(Pretreatment, PedestalByTheSourceDepth) {
  struct Case {
    int16_t bits;
    bool colour;
    int32_t position, divisor;
    int16_t before, after;
  } cases[] = {
      {8, false, 10, 20, 100, 164},      // truncate(10 x 32769 / (256 x 20)) = 64
      {8, false, 10, 20, 32760, 32767},  // held at the top
      {12, false, 3, 4, 0, 6},           // truncate(3 x 32769 / (4096 x 4)) = 6
      {4, true, 1, 1, 0, 2048},
      {24, true, 10, 20, 100, 100},      // colour depth: nothing
      {15, false, 10, 20, 100, 100},     // FITS: nothing
      {8, false, 10, 0, 100, 100},       // no frames: nothing
  };
  for (const Case& c : cases) {
    ImageHeader h = Header(5, 4, c.colour);
    h.sourceBits = c.bits;
    Samples px(testimg::SampleCount(h), c.before);
    AddPedestal(px.data(), &h, c.position, c.divisor);
    EXPECT_EQ(Samples(px.size(), c.after), px) << c.bits << " " << c.before;
  }
}

}  // namespace
