// The filter of the masking dialog without windows: its size rules, each kind
// against the operators called directly, the colour planes of the secondary
// spectrum, the gradient images, and failures.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "editing/mask_filter_core.h"
#include "imagelib/colour_channels.h"
#include "imagelib/contrast.h"
#include "imagelib/convolution.h"
#include "imagelib/gradients.h"
#include "imagelib/noise_filters.h"

namespace {

MaskFilterSettings Defaults() {
  MaskFilterSettings s = {};
  s.Masktype = kMaskMexicanHat;
  s.Maskeffect0 = 1.0;
  s.Maskeffect1 = 1.0;
  s.Lowpasstype = 1;
  s.LowCutoff = 9;
  s.HighCutoff = 9;
  s.HighRectpart = 5;
  s.EffectFilter = 8;
  s.AutoContrast = 1;
  s.Bandpassfilttype = 1;
  s.Bandpassampradius = 25;
  s.Bandpassrectpart = 15;
  s.Bandpassfiltradius = 5;
  s.RedRadius = 1;
  s.BlueRadius = 1;
  s.Astigsize = 1;
  s.Filtertype = 4;
  s.Sigmaradius = 5.0;
  s.WorkerLimit = 1;
  return s;
}

struct Picture {
  ImageHeader header;
  std::vector<int16_t> samples;
};

Picture MakePicture(int w, int h, int colourType) {
  Picture p;
  InitImageHeader(&p.header);
  p.header.width = w;
  p.header.height = h;
  p.header.colourType = colourType;
  p.samples.resize(size_t(w) * h * SamplesPerPixel(&p.header));
  uint32_t seed = 12345;
  for (size_t i = 0; i < p.samples.size(); ++i) {
    seed = seed * 1103515245u + 12345u;
    const int x = int(i / SamplesPerPixel(&p.header)) % w;
    p.samples[i] = int16_t(4000 + 200 * x + int((seed >> 16) % 3000));
  }
  return p;
}

std::vector<int16_t> Filter(const Picture& p, const MaskFilterSettings& s, ImageHeader* out, int factor = 1,
                         bool final = true, ImageResult expect = IMG_OK) {
  int16_t* result = nullptr;
  ImageHeader h;
  EXPECT_EQ(expect, RunMaskFilter(p.samples.data(), &p.header, s, factor, final, nullptr, &result, &h));
  if (out) *out = h;
  if (!result) return {};
  std::vector<int16_t> v(result, result + size_t(h.width) * h.height * SamplesPerPixel(&h));
  FreeMem(&result);
  return v;
}

ImageRect All(const ImageHeader& h) {
  ImageRect r;
  MakeRect(&r, 0, 0, h.width, h.height);
  return r;
}

TEST(MaskFilterSizesTest, OddUpAndSecondPasses) {
  const struct {
    int32_t s, factor;
    bool final;
    int32_t odd;
  } odd[] = {{9, 4, true, 9}, {9, 4, false, 3}, {8, 1, true, 9}, {1, 1, true, 3}, {25, 8, false, 3}, {45, 2, false, 23}};
  for (const auto& c : odd) EXPECT_EQ(c.odd, OddUpSize(c.s, c.factor, c.final)) << c.s << "/" << c.factor;

  const struct {
    int32_t characteristic, s, factor;
    bool final;
    int32_t second;
  } second[] = {{0, 9, 1, true, 0},  {1, 9, 1, true, 7},   {2, 9, 1, true, 7},    {3, 9, 1, true, 9},
                {3, 9, 4, false, 3}, {1, 45, 1, true, 33}, {2, 45, 2, false, 19}, {3, 4, 1, true, 4}};
  for (const auto& c : second)
    EXPECT_EQ(c.second, SecondPassSize(c.characteristic, c.s, c.factor, c.final)) << c.characteristic << "/" << c.s;
  EXPECT_EQ(KERNEL_GAUSS, KernelOfForm(0));
  EXPECT_EQ(KERNEL_FLAT, KernelOfForm(1));
  EXPECT_EQ(KERNEL_DISTANCE, KernelOfForm(2));
  EXPECT_EQ(KERNEL_FLAT_TOP, KernelOfForm(3));
}

// Each kind gives exactly what its operator gives when called by hand.
TEST(MaskFilterTest, EveryKindEqualsItsOperator) {
  const Picture p = MakePicture(40, 30, 1);
  const ImageRect all = All(p.header);
  struct Case {
    const char* name;
    void (*set)(MaskFilterSettings*);
    ImageResult (*direct)(const Picture&, const ImageRect&, int16_t*);
  };
  const Case cases[] = {
      {"blur mean", [](MaskFilterSettings* s) { s->Masktype = kMaskBlur; s->Lowpasstype = 1; s->Maskeffect0 = 0.7; },
       [](const Picture& p, const ImageRect& r, int16_t* d) {
         return ApplyFilterKernel(&r, &p.header, p.samples.data(), d, 9, 9, 1, 0.7, 0, 0, 0.0, KERNEL_MEAN, 5, 1,
                                  nullptr);
       }},
      {"blur line median", [](MaskFilterSettings* s) { s->Masktype = kMaskBlur; s->Lowpasstype = 2; s->LowCutoff = 6; },
       [](const Picture& p, const ImageRect& r, int16_t* d) {
         return FilterVerticalLine(&r, &p.header, p.samples.data(), d, 7, 2);
       }},
      {"sharpen Bessel",
       [](MaskFilterSettings* s) { s->Masktype = kMaskSharpen; s->Highpasschar = 1; s->Maskeffect1 = 2.0; },
       [](const Picture& p, const ImageRect& r, int16_t* d) {
         ImageResult x = ApplyFilterKernel(&r, &p.header, p.samples.data(), d, 9, 5, 1, 2.0, 0, 0, 0.0, KERNEL_GAUSS,
                                           5, 1, nullptr);
         if (x != IMG_OK) return x;
         return ApplyFilterKernel(&r, &p.header, d, d, 7, 3, 1, 2.0, 0, 0, 0.0, KERNEL_GAUSS, 5, 1, nullptr);
       }},
      {"Mexican hat", [](MaskFilterSettings* s) { s->Bandpassamptype = 3; s->Bandpassampradius = 11; s->Bandpassrectpart = 5; },
       [](const Picture& p, const ImageRect& r, int16_t* d) {
         return ApplyFilterKernel(&r, &p.header, p.samples.data(), d, 11, 5, 5, 1.0, 0, 0, 0.0, KERNEL_FLAT_TOP, 4, 1,
                                  nullptr);
       }},
      {"relief east", [](MaskFilterSettings* s) { s->Masktype = kMaskEffect; s->EffectFilter = 2; s->Maskeffect0 = 0.5; },
       [](const Picture& p, const ImageRect& r, int16_t* d) {
         return ApplyFilterKernel(&r, &p.header, p.samples.data(), d, 3, 1, 1, 0.5, 0, 0, 0.0, KERNEL_RELIEF + 2, 5, 1,
                                  nullptr);
       }},
      {"noise sigma", [](MaskFilterSettings* s) { s->Masktype = kMaskNoise; s->Filtertype = 7; s->Sigmaradius = -50; },
       [](const Picture& p, const ImageRect& r, int16_t* d) {
         // The factor the slider shows, 10^(0.02 x -50) = 0.1.
         return ApplyNoiseFilter(&r, &p.header, p.samples.data(), d, 0.1, 7, 0, nullptr);
       }},
  };
  for (const Case& c : cases) {
    MaskFilterSettings s = Defaults();
    c.set(&s);
    std::vector<int16_t> expected = p.samples;
    ASSERT_EQ(IMG_OK, c.direct(p, all, expected.data())) << c.name;
    ImageHeader h;
    EXPECT_EQ(expected, Filter(p, s, &h)) << c.name;
    EXPECT_EQ(1, h.colourType) << c.name;
  }
}

TEST(MaskFilterTest, SecondarySpectrumFiltersColourPlanesApartWithLargerRedAndBlue) {
  const Picture p = MakePicture(36, 28, 1);
  MaskFilterSettings s = Defaults();
  s.Masktype = kMaskSharpen;
  s.SekSpectrum = 1;
  s.RedRadius = 4;
  s.BlueRadius = 2;
  s.Maskeffect1 = 3.0;
  ImageHeader plane = p.header;
  plane.colourType = 0;
  const size_t n = size_t(plane.width) * plane.height;
  std::vector<int16_t> r(n), g(n), b(n);
  ASSERT_EQ(IMG_OK, ExtractColourPlanes(p.samples.data(), &p.header, 0, r.data(), g.data(), b.data()));
  const ImageRect all = All(plane);
  const struct {
    std::vector<int16_t>* plane;
    int32_t increment;
  } planes[] = {{&r, 4}, {&g, 0}, {&b, 2}};
  for (const auto& x : planes)
    ASSERT_EQ(IMG_OK, ApplyFilterKernel(&all, &plane, x.plane->data(), x.plane->data(), 9 + x.increment,
                                        5 + x.increment, 1, 3.0, 0, 0, 0.0, KERNEL_GAUSS, 5, 1, nullptr));
  std::vector<int16_t> expected(p.samples.size());
  ASSERT_EQ(IMG_OK, MergeColourPlanes(expected.data(), &p.header, 1, r.data(), g.data(), b.data()));
  EXPECT_EQ(expected, Filter(p, s, nullptr));
}

TEST(MaskFilterTest, SecondarySpectrumOnAGreyPictureFiltersItWhole) {
  const Picture p = MakePicture(30, 20, 0);
  MaskFilterSettings s = Defaults();
  s.Masktype = kMaskSharpen;
  s.Maskeffect1 = 2.0;
  const std::vector<int16_t> plain = Filter(p, s, nullptr);
  s.SekSpectrum = 1;
  ImageHeader h;
  EXPECT_EQ(plain, Filter(p, s, &h)) << "no planes, no merge into a one-plane block";
  EXPECT_EQ(0, h.colourType);
  EXPECT_FALSE(UsesColourPlanes(s, &p.header));
  EXPECT_DOUBLE_EQ(1.0, MaskFilterPasses(s, &p.header));
}

TEST(MaskFilterTest, SobelAndPhaseImageGiveGreyPicturesOfTheLuminance) {
  const Picture p = MakePicture(48, 44, 1);
  const size_t n = size_t(p.header.width) * p.header.height;
  std::vector<int16_t> luminance(n);
  ASSERT_EQ(IMG_OK, RgbToLuminance(p.samples.data(), &p.header, luminance.data()));
  ImageHeader grey = p.header;
  grey.colourType = 0;

  MaskFilterSettings s = Defaults();
  s.Masktype = kMaskEffect;
  s.EffectFilter = 8;
  s.AutoContrast = 0;
  std::vector<int16_t> magnitude = luminance;
  ASSERT_EQ(IMG_OK, ComputeGradientMagnitude(magnitude.data(), magnitude.data(), &grey));
  ImageHeader h;
  EXPECT_EQ(magnitude, Filter(p, s, &h));
  EXPECT_EQ(0, h.colourType);

  s.AutoContrast = 1;
  s.EffectLog = 1;
  std::vector<int16_t> stretched = magnitude;
  AutoContrastImage(&grey, stretched.data(), stretched.data(), AUTO_LOG2, 1.0, 0);
  EXPECT_EQ(stretched, Filter(p, s, nullptr));

  s.EffectFilter = 9;
  const std::vector<int16_t> phase = Filter(p, s, &h);
  EXPECT_EQ(11, h.colourType);
  ASSERT_EQ(n, phase.size());
  std::vector<int16_t> direction = luminance;
  ImageHeader phaseHeader = grey;
  phaseHeader.colourType = 11;
  ASSERT_EQ(IMG_OK, ComputeGradientDirection(direction.data(), direction.data(), &phaseHeader));
  for (size_t i = 0; i < n; ++i) ASSERT_EQ((direction[i] + 32767) / 2, phase[i]) << i;
  // Directions below zero are not lost as black.
  EXPECT_GT(*std::min_element(phase.begin(), phase.end()), -1);
  EXPECT_LT(*std::min_element(direction.begin(), direction.end()), 0);
}

TEST(MaskFilterTest, ThePreviewDividesTheSizesAndKeepsTheFlatPartInsideTheKernel) {
  // "Gauss && Rect" at reduction 8: 9 / 8 and 5 / 8 both become 3, which the
  // flat-topped kernel refuses; the flat part goes to 1.
  const Picture p = MakePicture(24, 20, 1);
  MaskFilterSettings s = Defaults();
  s.Masktype = kMaskSharpen;
  s.Highpasstype = 3;
  s.Maskeffect1 = 2.0;
  std::vector<int16_t> expected = p.samples;
  const ImageRect all = All(p.header);
  ASSERT_EQ(IMG_OK, ApplyFilterKernel(&all, &p.header, p.samples.data(), expected.data(), 3, 1, 1, 2.0, 0, 0, 0.0,
                                      KERNEL_FLAT_TOP, 5, 1, nullptr));
  EXPECT_EQ(expected, Filter(p, s, nullptr, 8, false));
}

TEST(MaskFilterTest, FailuresComeBackAsTheFirstFailingCode) {
  const Picture p = MakePicture(16, 12, 1);
  MaskFilterSettings s = Defaults();
  s.Masktype = 3;
  Filter(p, s, nullptr, 1, true, IMG_BAD_PARAMETER);
  s.Masktype = kMaskNoise;
  s.Filtertype = 12;
  Filter(p, s, nullptr, 1, true, IMG_BAD_PARAMETER);
  // A kernel larger than the operators take: 45 + 14 + 2 x 7 for the astigmatism.
  s = Defaults();
  s.Masktype = kMaskSharpen;
  s.HighCutoff = 45;
  s.Astigmatism = 1;
  s.Astigsize = 15;
  s.SekSpectrum = 1;
  s.RedRadius = 14;
  ImageHeader h;
  EXPECT_TRUE(Filter(p, s, &h, 1, true, IMG_BAD_PARAMETER).empty());
  EXPECT_EQ(1, h.colourType) << "the caller's header stays as it was";
  int16_t* result = reinterpret_cast<int16_t*>(1);
  EXPECT_EQ(IMG_NULL_IMAGE, RunMaskFilter(nullptr, &p.header, Defaults(), 1, true, nullptr, &result, &h));
  EXPECT_EQ(nullptr, result);
}

TEST(MaskFilterTest, NothingIsLeftBehind) {
  const long blocks = LiveMemBlocks();
  const Picture p = MakePicture(50, 44, 1);
  for (int kind : {0, 1, 2, 4, 5}) {
    MaskFilterSettings s = Defaults();
    s.Masktype = kind;
    s.SekSpectrum = 1;
    for (int effect : {2, 8, 9}) {
      s.EffectFilter = effect;
      Filter(p, s, nullptr);
    }
  }
  MaskFilterSettings s = Defaults();
  s.Masktype = 7;
  Filter(p, s, nullptr, 1, true, IMG_BAD_PARAMETER);
  EXPECT_EQ(blocks, LiveMemBlocks());
}

}  // namespace
