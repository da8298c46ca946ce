#include "imagelib/contrast.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "random_image.h"

namespace {

using testimg::At;
using testimg::Header;
using testimg::Random;
using testimg::Samples;
using Lut = std::vector<uint16_t>;
using Histogram = std::vector<uint32_t>;

constexpr int32_t kL = 32767;
const int32_t kDefaultPoints[9] = {0, 4095, 8191, 12287, 16383, 20479, 24575, 28671, 32767};

Histogram RandomHistogram(uint32_t seed) {
  std::mt19937 gen(seed);
  std::uniform_int_distribution<uint32_t> count(1, 50);
  Histogram h(32768);
  for (auto& c : h) c = count(gen);
  return h;
}

// Either builder, the settings-page one for types 0..4 and 7 and the other
// for 0..6, with neutral values for everything the case does not set.
struct Curve {
  bool spline = true;
  int32_t type = CURVE_LINEAR;
  int32_t background = 0, top = kL;
  int32_t strength = 3;
  double gamma = 1.0;
  int32_t turning = 16000, knee = 16000;
  double upperGamma = 1.0, lowerGamma = 1.0;
  double whiteDivisor = 1.0;
  int32_t automatic = 0;
  const int32_t* points = kDefaultPoints;
  const uint32_t* histogram = nullptr;

  ImageResult Build(uint16_t* lut) const {
    if (spline) return BuildContrastCurveSpline(lut, 32768, type, strength, gamma, top, background, points, histogram);
    return BuildContrastCurve(lut, 32768, type, strength, gamma, turning, upperGamma, lowerGamma, knee, automatic,
                              whiteDivisor, 1, background, histogram);
  }
  Lut Table() const {
    Lut lut(32768, 0xBEEF);
    EXPECT_EQ(IMG_OK, Build(lut.data()));
    return lut;
  }
};

// Every table: levels within 0..L, never falling, 0 below b and L from t on.
void ExpectSoundTable(const Lut& lut, int32_t b, int32_t t, const std::string& what) {
  ASSERT_EQ(32768u, lut.size());
  for (int32_t i = 0; i < 32768; ++i) {
    ASSERT_LE(lut[i], kL) << what << " at " << i;
    if (i > 0) {
      ASSERT_GE(lut[i], lut[i - 1]) << what << " falls at " << i;
    }
    if (i < b) {
      ASSERT_EQ(0, lut[i]) << what << " at " << i;
    }
    if (i >= t) {
      ASSERT_EQ(kL, lut[i]) << what << " at " << i;
    }
  }
}

TEST(Contrast, LinearCurveIsTheIdentity) {
  for (bool spline : {true, false}) {
    Curve c;
    c.spline = spline;
    const Lut lut = c.Table();
    for (int32_t i = 0; i < 32768; ++i) ASSERT_EQ(i, lut[i]) << (spline ? "spline builder " : "builder ") << i;
  }
}

TEST(Contrast, EveryCurveReachesFullScaleAtItsEnd) {
  const Histogram hist = RandomHistogram(1);
  const int32_t b = 2000;
  struct Case {
    bool spline;
    int32_t type;
  } cases[] = {{true, 0},  {true, 1},  {true, 2},  {true, 3},  {true, 4},  {true, 7}, {false, 0},
               {false, 1}, {false, 2}, {false, 3}, {false, 4}, {false, 5}, {false, 6}};
  for (const auto& k : cases) {
    Curve c;
    c.spline = k.spline;
    c.type = k.type;
    c.background = b;
    c.top = 30000;   // the other builder's white level is L (type 3: the histogram's)
    c.gamma = 0.6;
    c.upperGamma = 0.7;
    c.lowerGamma = 1.8;
    c.histogram = hist.data();
    const int32_t t = k.spline ? 30000 : kL;
    const std::string what = std::string(k.spline ? "spline builder" : "builder") + " type " + std::to_string(k.type);
    Lut lut = c.Table();
    ExpectSoundTable(lut, b, t, what);
    EXPECT_EQ(0, lut[b]) << what;
    EXPECT_GE(lut[t - 1], kL - 16) << what;
    if (k.type == CURVE_EXPONENTIAL || k.type == CURVE_LOGARITHMIC) {
      EXPECT_EQ(kL, lut[t - 1]) << what;
    }
  }
}

// Shapes that follow from the curve definitions: the exponential runs below
// the straight line, the logarithm above it, gamma 2 halfway gives a quarter.
TEST(Contrast, CurveShapes) {
  Curve c;
  c.background = 1000;
  c.top = 21000;
  const int32_t mid = 11000;
  c.type = CURVE_EXPONENTIAL;
  EXPECT_LT(c.Table()[mid], kL / 2 - 2000);
  c.type = CURVE_LOGARITHMIC;
  EXPECT_GT(c.Table()[mid], kL / 2 + 2000);
  c.type = CURVE_POWER;
  c.gamma = 2.0;
  EXPECT_EQ(kL / 4 + 1, c.Table()[mid]);   // floor(0.25 * 32767 + 0.5)
}

// Equalisation follows the cumulative histogram: counts at only two levels
// give two steps, the first at the share of the lower level.
TEST(Contrast, EqualisationFollowsTheHistogram) {
  Histogram hist(32768, 0);
  hist[3000] = 10;
  hist[5000] = 30;
  Curve c;
  c.type = CURVE_EQUALISE;
  c.background = 1000;
  c.top = 20000;
  c.histogram = hist.data();
  const Lut lut = c.Table();
  EXPECT_EQ(0, lut[3000]);
  EXPECT_EQ(8192, lut[3001]);   // floor(10 / 40 * 32767 + 0.5)
  EXPECT_EQ(8192, lut[5000]);
  EXPECT_EQ(kL, lut[5001]);
  ExpectSoundTable(lut, 1000, 20000, "spline builder");

  // The other builder takes black and white from the histogram itself.
  c.spline = false;
  const Lut own = c.Table();
  EXPECT_EQ(0, own[3000]);
  EXPECT_EQ(kL, own[3001]);   // bin 5000 is the white level and not counted
  ExpectSoundTable(own, 3000, 5000, "builder");
}

// With both gammas 1 the two power segments are two straight lines meeting
// at (turning, T); the knee curve is a straight line up to the knee.
TEST(Contrast, TwoSegmentsAndKnee) {
  Histogram hist(32768, 0);
  for (int i = 20000; i < 30000; ++i) hist[i] = 1;
  Curve c;
  c.spline = false;
  c.type = CURVE_TWO_POWERS;
  c.background = 0;
  c.turning = 8000;
  const Lut two = c.Table();
  const double T = std::floor(8000.0 * kL / kL + 0.5);
  EXPECT_EQ(4000, two[4000]);
  EXPECT_EQ(static_cast<int>(T), two[8000]);
  EXPECT_EQ(static_cast<int>(std::floor((24000 - 8000) / double(kL - 8000) * (kL - T) + 0.5) + T), two[24000]);

  c.type = CURVE_KNEE_EQUALISE;
  c.knee = 10000;
  c.histogram = hist.data();
  const Lut knee = c.Table();
  EXPECT_EQ(5000, knee[5000]);
  EXPECT_EQ(10000, knee[10000]);   // no counts from the knee to 20000
  EXPECT_EQ(10000, knee[20000]);
  EXPECT_EQ(static_cast<int>(std::floor(6000.0 / 10000 * (kL - 10000) + 10000 + 0.5)), knee[26000]);
  ExpectSoundTable(knee, 0, kL, "knee");
}

TEST(Contrast, SplineCurvePassesItsPoints) {
  const int32_t points[9] = {0, 6000, 9000, 15000, 16000, 20000, 26000, 30000, 32767};
  Curve c;
  c.type = CURVE_SPLINE;
  c.points = points;
  c.background = 1000;
  c.top = 1000 + 8 * 3000 + 5;   // five levels beyond the last knot
  const Lut lut = c.Table();
  for (int k = 0; k < 9; ++k) EXPECT_NEAR(points[k], lut[1000 + k * 3000], 1) << k;
  for (int i = 25000; i < c.top; ++i) EXPECT_EQ(kL, lut[i]) << i;   // held at the last point
  for (int i = 0; i < 1000; ++i) ASSERT_EQ(0, lut[i]) << i;
  for (int i = c.top; i < 32768; ++i) ASSERT_EQ(kL, lut[i]) << i;
}

// Levels from "tyvorn.ini" may be anything: the tables stay in their bounds
// and sound whatever the builder and type.
TEST(Contrast, LevelsFromSettingsAreClamped) {
  const Histogram hist = RandomHistogram(2);
  struct Case {
    int32_t background, top, knee, turning;
    int32_t b, t;     // black and white levels of the settings-page builder
    int32_t plainB;   // black level of the other one, whose white level is L
  } cases[] = {
      {-500, 40000, 50000, -7, 0, kL, 0},
      {40000, 100, 100, 40000, 100, 100, kL - 1},
      {30000, 20000, 25000, 25000, 20000, 20000, 30000},
      {5, 5, 5, 5, 5, 5, 5},
      {-1, -1, -1, -1, 0, 0, 0},
  };
  for (const auto& k : cases) {
    for (int32_t type : {0, 1, 2, 3, 4, 5, 6, 7}) {
      for (bool spline : {true, false}) {
        if ((spline && (type == 5 || type == 6)) || (!spline && type == 7)) continue;
        Curve c;
        c.spline = spline;
        c.type = type;
        c.background = k.background;
        c.top = k.top;
        c.knee = k.knee;
        c.turning = k.turning;
        c.histogram = hist.data();
        Lut lut(32768, 0xBEEF);
        ASSERT_EQ(IMG_OK, c.Build(lut.data()));
        const std::string what = "bg " + std::to_string(k.background) + " top " + std::to_string(k.top) + " type " +
                                 std::to_string(type) + (spline ? " spline builder" : "");
        if (spline)
          ExpectSoundTable(lut, k.b, k.t, what);
        else if (type != CURVE_EQUALISE)   // which takes its levels from the histogram
          ExpectSoundTable(lut, k.plainB, kL, what);
      }
    }
  }
}

// Zero divisors in the curve formulas have defined results: a level range
// of one, strength 0, a gamma of 0 or below, an empty histogram, too few
// levels for the spline, a white divisor of 0.
TEST(Contrast, DegenerateParametersGiveDefinedCurves) {
  const Histogram empty(32768, 0);
  Curve line;
  line.background = 1000;
  line.top = 21000;
  const Lut linear = line.Table();

  Curve c = line;
  c.type = CURVE_POWER;
  const Lut gamma1 = c.Table();
  for (double g : {0.0, -2.0}) {
    c.gamma = g;
    EXPECT_EQ(gamma1, c.Table()) << "gamma " << g;
  }
  c.type = CURVE_EQUALISE;
  c.histogram = empty.data();
  EXPECT_EQ(linear, c.Table()) << "empty histogram";

  // Strength 0 is the logarithm's limit: a straight line that reaches L at
  // t - 1 like every logarithmic curve.
  c.type = CURVE_LOGARITHMIC;
  c.strength = 0;
  const Lut log0 = c.Table();
  EXPECT_EQ(kL, log0[20999]);
  EXPECT_EQ(static_cast<int>(std::floor(10000.0 * kL / 19999 + 0.5)), log0[11000]);
  ExpectSoundTable(log0, 1000, 21000, "strength 0");

  // A range of one level leaves only the black level, at 0.
  for (int32_t type : {0, 1, 2, 3, 4, 7}) {
    Curve one;
    one.type = type;
    one.background = 500;
    one.top = 501;
    one.histogram = empty.data();
    const Lut lut = one.Table();
    EXPECT_EQ(0, lut[500]) << "type " << type;
    ExpectSoundTable(lut, 500, 501, "range 1");
  }

  // Fewer than eight levels: the spline's knots would coincide, so the
  // points are joined by a straight line.
  Curve few;
  few.type = CURVE_SPLINE;
  few.background = 100;
  few.top = 104;
  const Lut fewLut = few.Table();
  EXPECT_EQ(0, fewLut[100]);
  EXPECT_EQ(16384, fewLut[102]);
  ExpectSoundTable(fewLut, 100, 104, "spline over 4 levels");

  // The other builder: a white divisor of 0 counts as 1; empty histograms
  // for the knee; gammas of 0.
  Histogram spread(32768, 0);
  for (int i = 4000; i < 12000; ++i) spread[i] = 3;
  Curve autoLine;
  autoLine.spline = false;
  autoLine.automatic = 1;
  autoLine.histogram = spread.data();
  autoLine.whiteDivisor = 0.0;
  const Lut autoLut = autoLine.Table();
  autoLine.whiteDivisor = 1.0;
  EXPECT_EQ(autoLine.Table(), autoLut);
  EXPECT_EQ(0, autoLut[4010]);   // black and white at 0.1 % clipping
  EXPECT_EQ(kL, autoLut[11993]);
  EXPECT_LT(autoLut[11992], kL);

  Curve knee;
  knee.spline = false;
  knee.type = CURVE_KNEE_EQUALISE;
  knee.histogram = empty.data();
  knee.knee = 8000;
  const Lut kneeLut = knee.Table();
  EXPECT_EQ(8000, kneeLut[8000]);
  EXPECT_EQ(20384, kneeLut[20384]);   // the straight line continues to L
  ExpectSoundTable(kneeLut, 0, kL, "knee without counts");

  Curve two;
  two.spline = false;
  two.type = CURVE_TWO_POWERS;
  two.upperGamma = 0.0;
  two.lowerGamma = -1.0;
  ExpectSoundTable(two.Table(), 0, kL, "gammas 0");
  EXPECT_EQ(12345, two.Table()[12345]);
}

TEST(Contrast, ResultCodesComeInOrder) {
  const Histogram hist = RandomHistogram(3);
  const ImageHeader grey = Header(8, 6, false);
  const ImageHeader colour = Header(8, 6, true);
  Samples g = Random(grey, 1), s = Random(colour, 1);
  const ImageRect good = {0, 0, 8, 6}, bad = {1, 0, 8, 6};
  Lut lut(32768, 7);
  uint16_t* L = lut.data();
  auto spline = [&](uint16_t* t, int32_t type, const uint32_t* h, const int32_t* p) {
    return BuildContrastCurveSpline(t, 32768, type, 1, 1.0, kL, 0, p, h);
  };
  auto plain = [&](uint16_t* t, int32_t type, int32_t automatic, int32_t clip, const uint32_t* h) {
    return BuildContrastCurve(t, 32768, type, 1, 1.0, 100, 1.0, 1.0, 1024, automatic, 1.0, clip, 0, h);
  };
  struct Case {
    const char* what;
    std::function<ImageResult()> call;
    ImageResult expected;
  } cases[] = {
      {"spline: no table", [&] { return spline(nullptr, 9, nullptr, nullptr); }, IMG_NULL_ARRAY},
      {"spline: equalise without histogram", [&] { return spline(L, 3, nullptr, nullptr); }, IMG_NULL_ARRAY},
      {"spline: spline without points", [&] { return spline(L, 7, nullptr, nullptr); }, IMG_NULL_ARRAY},
      {"spline: type 5", [&] { return spline(L, 5, hist.data(), kDefaultPoints); }, IMG_BAD_PARAMETER},
      {"spline: type 6", [&] { return spline(L, 6, hist.data(), kDefaultPoints); }, IMG_BAD_PARAMETER},
      {"spline: type 8", [&] { return spline(L, 8, hist.data(), kDefaultPoints); }, IMG_BAD_PARAMETER},
      {"spline: type -1", [&] { return spline(L, -1, hist.data(), kDefaultPoints); }, IMG_BAD_PARAMETER},
      {"spline: one level", [&] { return BuildContrastCurveSpline(L, 1, 0, 1, 1.0, kL, 0, kDefaultPoints, nullptr); },
       IMG_BAD_PARAMETER},
      {"plain: no table", [&] { return plain(nullptr, 9, 0, 1, nullptr); }, IMG_NULL_ARRAY},
      {"plain: automatic without histogram", [&] { return plain(L, 0, 1, 1, nullptr); }, IMG_NULL_ARRAY},
      {"plain: knee without histogram", [&] { return plain(L, 6, 0, 1, nullptr); }, IMG_NULL_ARRAY},
      {"plain: type 7", [&] { return plain(L, 7, 0, 1, hist.data()); }, IMG_BAD_PARAMETER},
      {"plain: clip mode 8", [&] { return plain(L, 0, 1, 8, hist.data()); }, IMG_BAD_PARAMETER},
      {"apply: header", [&] { return ApplyLut(&good, nullptr, g.data(), g.data(), L); }, IMG_NULL_ARRAY},
      {"apply: rect", [&] { return ApplyLut(&bad, &grey, nullptr, nullptr, nullptr); }, IMG_BAD_RECT},
      {"apply: source", [&] { return ApplyLut(&good, &grey, nullptr, g.data(), nullptr); }, IMG_NULL_IMAGE},
      {"apply: destination", [&] { return ApplyLut(&good, &grey, g.data(), nullptr, nullptr); }, IMG_NULL_IMAGE},
      {"apply: table", [&] { return ApplyLut(&good, &grey, g.data(), g.data(), nullptr); }, IMG_NULL_ARRAY},
      {"rgb: rect", [&] { return ApplyLutsRgb(&bad, &grey, nullptr, nullptr, L, L, L); }, IMG_BAD_RECT},
      {"rgb: samples", [&] { return ApplyLutsRgb(&good, &grey, nullptr, g.data(), L, L, L); }, IMG_NULL_IMAGE},
      {"rgb: a table", [&] { return ApplyLutsRgb(&good, &grey, g.data(), g.data(), L, nullptr, L); }, IMG_NULL_ARRAY},
      {"rgb: grey last", [&] { return ApplyLutsRgb(&good, &grey, g.data(), g.data(), L, L, L); }, IMG_BAD_PARAMETER},
      {"stretch: samples", [&] { return StretchToFullRange(nullptr, &grey); }, IMG_NULL_IMAGE},
      {"autostretch: rect", [&] { return AutoStretchRegion(&bad, &grey, g.data(), g.data()); }, IMG_BAD_RECT},
      {"autostretch: buffer", [&] { return AutoStretchRegion(&good, &grey, g.data(), nullptr); }, IMG_NULL_IMAGE},
      {"auto: buffer", [&] { return AutoContrastImage(&colour, s.data(), nullptr, 0, 1.0, 0); }, IMG_NULL_IMAGE},
      {"auto: type", [&] { return AutoContrastImage(&colour, s.data(), s.data(), 5, 1.0, 0); }, IMG_BAD_PARAMETER},
      {"auto: under 40 pixels", [&] { return AutoContrastImage(&colour, s.data(), s.data(), 0, 1.0, 0); },
       IMG_BAD_RECT},
  };
  const Samples g0 = g, s0 = s;
  for (const auto& c : cases) {
    EXPECT_EQ(c.expected, c.call()) << c.what;
    EXPECT_TRUE(std::all_of(lut.begin(), lut.end(), [](uint16_t v) { return v == 7; })) << c.what;
    EXPECT_EQ(g0, g) << c.what;
    EXPECT_EQ(s0, s) << c.what;
  }
}

// ApplyLut against a plain per-sample reference: only the rectangle changes,
// every sample of a colour pixel uses the table, samples outside the
// table's levels read its nearest end, and in-place works.
TEST(Contrast, ApplyLutMatchesReference) {
  std::mt19937 gen(11);
  std::uniform_int_distribution<int> entry(0, kL);
  for (bool colour : {false, true}) {
    for (int32_t levels : {32768, 1000}) {
      ImageHeader h = Header(37, 23, colour);
      h.levels = levels;
      Lut lut(levels);
      for (auto& v : lut) v = static_cast<uint16_t>(entry(gen));
      Samples src = Random(h, 5, -40, 32767);
      Samples dst = Random(h, 6);
      const ImageRect r = {3, 4, 30, 17};
      Samples expected = dst;
      const int spp = colour ? 3 : 1;
      for (int y = r.y; y < r.y + r.h; ++y)
        for (int x = r.x; x < r.x + r.w; ++x)
          for (int k = 0; k < spp; ++k) {
            const size_t i = (size_t(y) * h.width + x) * spp + k;
            expected[i] = static_cast<int16_t>(lut[std::clamp<int>(src[i], 0, levels - 1)]);
          }
      ASSERT_EQ(IMG_OK, ApplyLut(&r, &h, src.data(), dst.data(), lut.data()));
      EXPECT_EQ(expected, dst) << "colour " << colour << " levels " << levels;
      Samples inPlace = src;
      for (size_t i = 0; i < inPlace.size(); ++i) {
        const int px = static_cast<int>(i / spp);
        const int x = px % h.width, y = px / h.width;
        if (x < r.x || x >= r.x + r.w || y < r.y || y >= r.y + r.h) inPlace[i] = expected[i];
      }
      ASSERT_EQ(IMG_OK, ApplyLut(&r, &h, inPlace.data(), inPlace.data(), lut.data()));
      EXPECT_EQ(expected, inPlace) << "in place, colour " << colour << " levels " << levels;
    }
  }
}

TEST(Contrast, ApplyLutsRgbUsesOneTablePerChannel) {
  const ImageHeader h = Header(9, 7, true);
  Lut red(32768), green(32768), blue(32768);
  for (int i = 0; i < 32768; ++i) {
    red[i] = static_cast<uint16_t>(kL - i);
    green[i] = static_cast<uint16_t>(i / 2);
    blue[i] = 100;
  }
  Samples src = Random(h, 8, -5, 32767);
  Samples dst = src;
  const ImageRect r = {2, 1, 5, 6};
  ASSERT_EQ(IMG_OK, ApplyLutsRgb(&r, &h, dst.data(), dst.data(), red.data(), green.data(), blue.data()));
  for (int y = 0; y < 7; ++y) {
    for (int x = 0; x < 9; ++x) {
      const bool inside = x >= 2 && x < 7 && y >= 1;
      const int g = std::max<int>(At(src, h, x, y, 1), 0), rr = std::max<int>(At(src, h, x, y, 2), 0);
      EXPECT_EQ(inside ? 100 : At(src, h, x, y, 0), At(dst, h, x, y, 0)) << x << "," << y;
      EXPECT_EQ(inside ? g / 2 : At(src, h, x, y, 1), At(dst, h, x, y, 1)) << x << "," << y;
      EXPECT_EQ(inside ? kL - rr : At(src, h, x, y, 2), At(dst, h, x, y, 2)) << x << "," << y;
    }
  }
}

TEST(Contrast, StretchSpreadsTheUsedRange) {
  ImageHeader grey = Header(4, 2, false);
  Samples g = {1000, 2000, 3000, 1500, 1000, 2500, -20, 1000};   // -20 counts as 0, the lowest level
  ASSERT_EQ(IMG_OK, StretchToFullRange(g.data(), &grey));
  auto level = [](int v) { return static_cast<int16_t>(std::floor(v * double(kL) / 3000 + 0.5)); };
  EXPECT_EQ((Samples{level(1000), level(2000), kL, level(1500), level(1000), level(2500), 0, level(1000)}), g);

  // Colour goes by the luminance; all three samples use the same table.
  ImageHeader colour = Header(3, 1, true);
  Samples c = {0, 0, 0, 10000, 10000, 10000, 20000, 0, 0};
  ASSERT_EQ(IMG_OK, StretchToFullRange(c.data(), &colour));
  EXPECT_EQ((Samples{0, 0, 0, kL, kL, kL, kL, 0, 0}), c);
}

TEST(Contrast, AutoContrastTakesTheInnerHistogram) {
  // 40 wide: the inner rectangle is empty, so first 0 and last L: the
  // linear curve is the identity.
  ImageHeader h40 = Header(40, 50, false);
  Samples s = Random(h40, 9);
  Samples d(s.size());
  ASSERT_EQ(IMG_OK, AutoContrastImage(&h40, s.data(), d.data(), AUTO_LINEAR, 1.0, 0));
  EXPECT_EQ(s, d);

  // Inner levels from 5000 to 9000 with the peak at 6000; a border that the
  // histogram does not see.
  ImageHeader h = Header(64, 64, false);
  Samples img(64 * 64, 100);
  for (int y = 20; y < 44; ++y)
    for (int x = 20; x < 44; ++x) img[y * 64 + x] = static_cast<int16_t>(x == 20 ? 5000 : x == 43 ? 9000 : 6000);
  Samples out(img.size());
  ASSERT_EQ(IMG_OK, AutoContrastImage(&h, img.data(), out.data(), AUTO_LINEAR, 1.0, 0));
  EXPECT_EQ(0, out[20 * 64 + 20]);
  EXPECT_EQ(kL, out[20 * 64 + 43]);
  EXPECT_EQ(static_cast<int>(1000.0 * kL / 4000), out[20 * 64 + 30]);
  EXPECT_EQ(0, out[0]);   // the border lies below the first level

  ASSERT_EQ(IMG_OK, AutoContrastImage(&h, img.data(), out.data(), AUTO_PEAK_HALF, 1.0, 0));
  EXPECT_EQ(kL / 2, out[20 * 64 + 30]);   // the peak at half scale
  EXPECT_EQ(kL, out[20 * 64 + 43]);

  // From the peak, with the peak the brightest used level: copied as is.
  for (auto& v : img)
    if (v == 9000) v = 6000;
  ASSERT_EQ(IMG_OK, AutoContrastImage(&h, img.data(), out.data(), AUTO_POWER, 0.5, 1));
  EXPECT_EQ(img, out);
}

TEST(Contrast, AutoStretchMapsBlackAndWhite) {
  ImageHeader h = Header(100, 10, false);
  Samples img(1000);
  for (int i = 0; i < 1000; ++i) img[i] = static_cast<int16_t>(10000 + (i % 100) * 10);
  Samples out(img.size(), -1);
  const ImageRect all = {0, 0, 100, 10};
  ASSERT_EQ(IMG_OK, AutoStretchRegion(&all, &h, img.data(), out.data()));
  EXPECT_EQ(0, out[0]);
  EXPECT_EQ(kL, out[99]);
  for (int i = 1; i < 100; ++i) EXPECT_GE(out[i], out[i - 1]) << i;
}

}   // namespace
