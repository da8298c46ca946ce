#include "imagelib/colour_space.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <filesystem>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "imagelib/trigon.h"
#include "random_image.h"
#include "tests/scratch_name.h"

namespace fs = std::filesystem;

namespace {

using testimg::At;
using testimg::Header;
using testimg::Random;
using testimg::Samples;

constexpr double kPi = 3.14159265358979323846;

class ColourSpace : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = ScratchName("tyv_colour_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::create_directories(dir_);
    ASSERT_EQ(1, LoadTrigTables((dir_ / "trigon.tab").string().c_str()));
  }
  void TearDown() override {
    FreeTrigTables();
    std::error_code ec;
    fs::remove_all(dir_, ec);
  }
  struct Planes {
    Samples hue, sat, light;
    explicit Planes(const ImageHeader& h) : hue(size_t(h.width) * h.height), sat(hue.size()), light(hue.size()) {}
  };
  fs::path dir_;
};

// Colour pixels B, G, R in a one-row image.
Samples Pixels(std::initializer_list<std::array<int, 3>> rgb) {
  Samples s;
  for (const auto& p : rgb) s.insert(s.end(), {int16_t(p[2]), int16_t(p[1]), int16_t(p[0])});
  return s;
}

TEST_F(ColourSpace, GreyHasNoSaturation) {
  const ImageHeader h = Header(4, 1, true);
  const Samples grey = Pixels({{0, 0, 0}, {1, 1, 1}, {1234, 1234, 1234}, {32767, 32767, 32767}});
  Planes p(h);
  ASSERT_EQ(IMG_OK, RgbToHueSatLight(grey.data(), p.hue.data(), p.sat.data(), p.light.data(), &h));
  EXPECT_EQ((Samples{0, 0, 0, 0}), p.hue);
  EXPECT_EQ((Samples{0, 0, 0, 0}), p.sat);
  EXPECT_EQ((Samples{0, 1, 1234, 32767}), p.light);
  Samples back(grey.size());
  ASSERT_EQ(IMG_OK, HueSatLightToRgb(back.data(), p.hue.data(), p.sat.data(), p.light.data(), &h));
  EXPECT_EQ(grey, back);
}

// Red lies at a quarter turn; green and blue 120 degrees on either side.
TEST_F(ColourSpace, PrimaryColoursHaveTheirHues) {
  const ImageHeader h = Header(3, 1, true);
  const Samples primaries = Pixels({{24000, 0, 0}, {0, 24000, 0}, {0, 0, 24000}});
  Planes p(h);
  ASSERT_EQ(IMG_OK, RgbToHueSatLight(primaries.data(), p.hue.data(), p.sat.data(), p.light.data(), &h));
  EXPECT_EQ(8192, p.hue[0]);
  EXPECT_NEAR(8192 + 32768 * 2 / 3, p.hue[1], 1);   // 330 degrees
  EXPECT_NEAR(8192 + 32768 / 3, p.hue[2], 1);       // 210 degrees
  for (int i = 0; i < 3; ++i) {
    EXPECT_NEAR(24000 * std::sqrt(2.0 / 3.0), p.sat[i], 1) << i;
    EXPECT_EQ(8000, p.light[i]) << i;
  }
}

// Hue, saturation and lightness are cut to integers: the way back loses up
// to 2 levels, plus what a hue step of 1/32768 turn (and the arctangent
// table's step) moves a sample at that saturation.
TEST_F(ColourSpace, RoundTripWithinTwoLevels) {
  const ImageHeader h = Header(200, 100, true);
  Samples rgb = Random(h, 21);
  // The second half: colours close to grey, as planets mostly are.
  std::mt19937 gen(22);
  std::uniform_int_distribution<int> base(1500, 31000), tint(-1200, 1200);
  for (size_t i = rgb.size() / 2; i < rgb.size(); i += 3) {
    const int b = base(gen);
    for (int k = 0; k < 3; ++k) rgb[i + k] = static_cast<int16_t>(b + tint(gen));
  }
  Planes p(h);
  ASSERT_EQ(IMG_OK, RgbToHueSatLight(rgb.data(), p.hue.data(), p.sat.data(), p.light.data(), &h));
  Samples back(rgb.size());
  ASSERT_EQ(IMG_OK, HueSatLightToRgb(back.data(), p.hue.data(), p.sat.data(), p.light.data(), &h));
  int lowSaturationPixels = 0;
  for (size_t px = 0; px < p.sat.size(); ++px) {
    const int tolerance = 2 + static_cast<int>(std::ceil(p.sat[px] * 2.6e-4));
    if (p.sat[px] < 2000) ++lowSaturationPixels;
    for (int k = 0; k < 3; ++k)
      ASSERT_NEAR(rgb[3 * px + k], back[3 * px + k], p.sat[px] < 2000 ? 2 : tolerance)
          << "pixel " << px << " saturation " << p.sat[px];
  }
  EXPECT_GT(lowSaturationPixels, 9000);
}

TEST_F(ColourSpace, IdentityParametersCopyThePicture) {
  const ImageHeader h = Header(31, 17, true);
  const Samples src = Random(h, 3);
  Samples dst(src.size(), -1);
  ASSERT_EQ(IMG_OK, CorrectColourTemperature(src.data(), dst.data(), &h, 0, 0, 0, 1.0, 0.0, 5000.0, 0));
  EXPECT_EQ(src, dst);
  Samples inPlace = src;
  ASSERT_EQ(IMG_OK, CorrectColourTemperature(inPlace.data(), inPlace.data(), &h, 0, 0, 0, 1.0, 0.0, 5000.0, 0));
  EXPECT_EQ(src, inPlace);
  // No conversion takes place, so the tables are not needed.
  FreeTrigTables();
  ASSERT_EQ(IMG_OK, CorrectColourTemperature(src.data(), dst.data(), &h, 0, 0, 0, 1.0, 0.0, 5000.0, 0));
  EXPECT_EQ(src, dst);
}

// Turns of whole turns change no hue, however many; half a turn makes red
// cyan at the same lightness.
TEST_F(ColourSpace, HueTurnsWrapModuloTheTable) {
  const ImageHeader h = Header(23, 11, true);
  const Samples src = Random(h, 4);
  Samples reference(src.size()), turned(src.size());
  ASSERT_EQ(IMG_OK, CorrectColourTemperature(src.data(), reference.data(), &h, 0, 0, 0, 1.0, 1e-12, 5000.0, 0));
  for (double turn : {2 * kPi, 20 * kPi, 400 * kPi, 6.283185307}) {
    ASSERT_EQ(IMG_OK, CorrectColourTemperature(src.data(), turned.data(), &h, 0, 0, 0, 1.0, turn, 5000.0, 0));
    EXPECT_EQ(reference, turned) << "turn " << turn;
  }

  const ImageHeader one = Header(1, 1, true);
  const Samples red = Pixels({{30000, 0, 0}});
  Samples cyan(3);
  ASSERT_EQ(IMG_OK, CorrectColourTemperature(red.data(), cyan.data(), &one, 0, 0, 0, 1.0, kPi, 5000.0, 0));
  EXPECT_EQ(0, cyan[2]);
  EXPECT_NEAR(20000, cyan[1], 8);
  EXPECT_NEAR(20000, cyan[0], 8);
}

TEST_F(ColourSpace, GainsScaleTheirChannel) {
  const ImageHeader h = Header(2, 1, true);
  const Samples src = Pixels({{3277, 3276, 100}, {3276, 3277, 3277}});
  Samples dst(src.size());
  // Red and green times 10, blue times 0.1.
  ASSERT_EQ(IMG_OK, CorrectColourTemperature(src.data(), dst.data(), &h, 500, 500, -500, 1.0, 0.0, 5000.0, 0));
  EXPECT_EQ(Pixels({{32767, 32760, 10}, {32760, 32767, 328}}), dst);
}

// Planck's law for the three channels, as literally as it reads: radiance
// over radiance at 5000 K, times the luminance ratio of the two.
std::array<double, 3> PlanckFactors(double kelvin) {
  const double lk[3] = {9.66e-30, 7.53618e-30, 6.01404e-30};
  const double n[3] = {29705216.34186354, 102792644.01838458, 317604604.62497234};
  const double w[3] = {0.299, 0.587, 0.114};
  double p[3], p0[3], luma = 0, luma0 = 0;
  for (int c = 0; c < 3; ++c) {
    p[c] = n[c] / (std::exp(1.9864748e-25 / (kelvin * lk[c])) - 1);
    p0[c] = n[c] / (std::exp(1.9864748e-25 / (5000.0 * lk[c])) - 1);
    luma += w[c] * p[c];
    luma0 += w[c] * p0[c];
  }
  return {p[0] / p0[0] * luma0 / luma, p[1] / p0[1] * luma0 / luma, p[2] / p0[2] * luma0 / luma};
}

// Above 5000 K blue rises against red, below it falls. At 1 K, where the
// radiances underflow, all light is red.
TEST_F(ColourSpace, ColourTemperatureShiftsTheWhitePoint) {
  const ImageHeader h = Header(1, 1, true);
  const Samples white = Pixels({{10000, 10000, 10000}});
  Samples dst(3);
  for (double kelvin : {3000.0, 8000.0, 12000.0}) {
    ASSERT_EQ(IMG_OK, CorrectColourTemperature(white.data(), dst.data(), &h, 0, 0, 0, 1.0, 0.0, kelvin, 0));
    const int B = dst[0], G = dst[1], R = dst[2];
    if (kelvin > 5000) {
      EXPECT_GT(B, R) << kelvin;
    } else {
      EXPECT_LT(B, R) << kelvin;
    }
    const auto f = PlanckFactors(kelvin);
    EXPECT_NEAR(10000 * f[0], R, 1) << kelvin;
    EXPECT_NEAR(10000 * f[1], G, 1) << kelvin;
    EXPECT_NEAR(10000 * f[2], B, 1) << kelvin;
  }
  ASSERT_EQ(IMG_OK, CorrectColourTemperature(white.data(), dst.data(), &h, 0, 0, 0, 1.0, 0.0, 1.0, 0));
  EXPECT_EQ(Pixels({{32767, 0, 0}}), dst);
}

// Smoothing the saturation plane spreads the colour of a single pixel; its
// grey neighbours take it on at their own hue.
TEST_F(ColourSpace, SmoothingSpreadsSaturation) {
  const ImageHeader h = Header(15, 15, true);
  Samples src(size_t(15) * 15 * 3, 10000);
  src[(7 * 15 + 7) * 3 + 2] = 20000;   // one reddish pixel
  Samples dst(src.size());
  ASSERT_EQ(IMG_OK, CorrectColourTemperature(src.data(), dst.data(), &h, 0, 0, 0, 1.0, 0.0, 5000.0, 2));
  EXPECT_LT(At(dst, h, 7, 7, 2), 16000);
  EXPECT_GT(At(dst, h, 8, 7, 1), At(dst, h, 8, 7, 0) + 200);   // no longer grey
  EXPECT_EQ(At(dst, h, 0, 0, 2), At(dst, h, 0, 0, 0));         // far away still grey
}

int gProgressCalls = 0, gProgressTotal = 0;
void CountProgress(int32_t total, int32_t first) {
  ++gProgressCalls;
  gProgressTotal = total;
  EXPECT_EQ(0, first);
}

TEST_F(ColourSpace, ProgressIsCalledOncePerRow) {
  const ImageHeader h = Header(13, 9, true);
  const Samples src = Random(h, 5);
  Planes p(h);
  gProgressCalls = 0;
  ASSERT_EQ(IMG_OK, RgbToHueSatLight(src.data(), p.hue.data(), p.sat.data(), p.light.data(), &h, CountProgress));
  EXPECT_EQ(9, gProgressCalls);
  EXPECT_EQ(9, gProgressTotal);
  Samples back(src.size());
  gProgressCalls = 0;
  ASSERT_EQ(IMG_OK, HueSatLightToRgb(back.data(), p.hue.data(), p.sat.data(), p.light.data(), &h, CountProgress));
  EXPECT_EQ(9, gProgressCalls);
  gProgressCalls = 0;
  ASSERT_EQ(IMG_OK, CorrectColourTemperature(src.data(), back.data(), &h, 0, 0, 0, 1.5, 0.0, 5000.0, 0, CountProgress));
  EXPECT_EQ(18, gProgressCalls);   // there and back, as one count of steps
  EXPECT_EQ(18, gProgressTotal);
}

TEST_F(ColourSpace, ResultCodes) {
  const ImageHeader grey = Header(4, 3, false);
  const ImageHeader colour = Header(4, 3, true);
  Samples s = Random(colour, 6);
  Samples d(s.size(), 77);
  int16_t* p = d.data();
  struct Case {
    const char* what;
    std::function<ImageResult()> call;
    ImageResult expected;
  } cases[] = {
      {"to planes: header", [&] { return RgbToHueSatLight(s.data(), p, p, p, nullptr); }, IMG_NULL_ARRAY},
      {"to planes: a plane", [&] { return RgbToHueSatLight(s.data(), p, nullptr, p, &colour); }, IMG_NULL_IMAGE},
      {"to planes: grey", [&] { return RgbToHueSatLight(s.data(), p, p, p, &grey); }, IMG_BAD_PARAMETER},
      {"to rgb: samples", [&] { return HueSatLightToRgb(nullptr, p, p, p, &colour); }, IMG_NULL_IMAGE},
      {"to rgb: grey", [&] { return HueSatLightToRgb(p, p, p, p, &grey); }, IMG_BAD_PARAMETER},
      {"correct: source", [&] { return CorrectColourTemperature(nullptr, p, &colour, 0, 0, 0, 1.0, 0.0, 5000.0, 0); },
       IMG_NULL_IMAGE},
      {"correct: grey", [&] { return CorrectColourTemperature(s.data(), p, &grey, 0, 0, 0, 1.0, 0.0, 5000.0, 0); },
       IMG_BAD_PARAMETER},
      {"correct: 0 K", [&] { return CorrectColourTemperature(s.data(), p, &colour, 0, 0, 0, 1.0, 0.0, 0.0, 0); },
       IMG_BAD_PARAMETER},
      {"correct: below 0 K",
       [&] { return CorrectColourTemperature(s.data(), p, &colour, 0, 0, 0, 1.0, 0.0, -300.0, 0); }, IMG_BAD_PARAMETER},
      {"correct: NaN K",
       [&] { return CorrectColourTemperature(s.data(), p, &colour, 0, 0, 0, 1.0, 0.0, std::nan(""), 0); },
       IMG_BAD_PARAMETER},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.expected, c.call()) << c.what;
    EXPECT_TRUE(std::all_of(d.begin(), d.end(), [](int16_t v) { return v == 77; })) << c.what;
  }
  // Without the tables the conversions cannot work.
  FreeTrigTables();
  EXPECT_EQ(IMG_NULL_ARRAY, RgbToHueSatLight(s.data(), p, p, p, &colour));
  EXPECT_EQ(IMG_NULL_ARRAY, CorrectColourTemperature(s.data(), p, &colour, 0, 0, 0, 2.0, 0.0, 5000.0, 0));
  EXPECT_TRUE(std::all_of(d.begin(), d.end(), [](int16_t v) { return v == 77; }));
}

}   // namespace
