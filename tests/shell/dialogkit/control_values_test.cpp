// The values behind the dialogs' controls: slider mappings both ways, the
// texts beside sliders, typed numbers, clamping of loaded settings, template
// sizes and the result texts.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "imagelib/noise_filters.h"
#include "shell/dialogkit/control_values.h"
#include "shell/dialogkit/result_texts.h"
#include "shell/dialogkit/template_choice.h"

namespace {

struct Record {
  int32_t size;
  double strength;
  double sigma;
  int32_t kind;
  double gain;
  uint8_t channel;
};

constexpr BarSpec kOdd = {1, 2, 1, 22, 1, BarMap::kOdd, 1.0, BarText::kLong, "%ld", KIT_FIELD(Record, size)};
constexpr BarSpec kStrength = {3, 4, 0, 290, 10, BarMap::kStrength, 1.0, BarText::kPercent, "%ld %%",
                               KIT_FIELD(Record, strength)};
constexpr BarSpec kSigma = {5, 6, -50, 50, 10, BarMap::kLinear, 1.0, BarText::kSigmaFactor, "%5.3lf",
                            KIT_FIELD(Record, sigma)};
constexpr BarSpec kPercent = {7, 8, 0, 100, 10, BarMap::kLinear, 0.01, BarText::kPercent, "%ld %%",
                              KIT_FIELD(Record, strength)};
constexpr BarSpec kEven = {9, 10, 0, 7, 1, BarMap::kEven, 1.0, BarText::kLong, "%ld", KIT_FIELD(Record, size)};
constexpr BarSpec kMagnification = {11, 12, 0, 180, 10, BarMap::kMagnification, 1.0, BarText::kDouble, "%4.2lf",
                                    KIT_FIELD(Record, gain)};
constexpr BarSpec kChannel = {13, 14, 0, 255, 16, BarMap::kLinear, 1.0, BarText::kLong, "%ld",
                              KIT_FIELD(Record, channel)};
// A vertical bar whose top position 0 is the largest value.
constexpr BarSpec kInverted = {11, 0, 0, 1023, 16, BarMap::kInverted, 32.0, BarText::kNone, nullptr,
                               KIT_FIELD(Record, size)};
constexpr BarSpec kBox = {17, 18, 2, 22, 1, BarMap::kOddHalf, 1.0, BarText::kLong, "%ld", KIT_FIELD(Record, size)};
// An angle kept in radians, shown in whole degrees.
constexpr BarSpec kAngle = {15, 16, -180, 180, 5, BarMap::kLinear, 0.017453292519943295, BarText::kPosition, "%ld deg",
                            KIT_FIELD(Record, gain)};

std::string Text(const BarSpec& spec, double value) {
  char text[64];
  FormatBarText(text, sizeof text, spec, value);
  return text;
}

TEST(ControlValuesTest, BarMappingsGoBothWays) {
  const struct {
    const BarSpec* spec;
    int32_t position;
    double value;
  } cases[] = {
      {&kOdd, 1, 3},          {&kOdd, 4, 9},          {&kOdd, 22, 45},
      {&kStrength, 0, 0.0},   {&kStrength, 57, 0.57}, {&kStrength, 100, 1.0},
      {&kStrength, 110, 2.0}, {&kStrength, 290, 20.0}, {&kSigma, -50, -50.0},
      {&kSigma, 5, 5.0},      {&kPercent, 57, 0.57},  {&kEven, 7, 14},
      {&kMagnification, 0, 0.1}, {&kMagnification, 57, 0.67}, {&kMagnification, 89, 0.99},
      {&kMagnification, 90, 1.0}, {&kMagnification, 100, 2.0}, {&kMagnification, 180, 10.0},
      {&kChannel, 200, 200},
      {&kInverted, 0, 32736}, {&kInverted, 896, 4064}, {&kInverted, 1023, 0},
      {&kBox, 12, 25},        {&kBox, 2, 5},          {&kBox, 22, 45},
      {&kAngle, -90, -90 * 0.017453292519943295},    {&kAngle, 180, 180 * 0.017453292519943295},
  };
  for (const auto& c : cases) {
    EXPECT_DOUBLE_EQ(c.value, BarValue(*c.spec, c.position)) << c.position;
    EXPECT_EQ(c.position, BarPosition(*c.spec, c.value)) << c.value;
  }
  // Positions are limited to the bar; an odd size rounds down to the bar's step.
  EXPECT_EQ(22, BarPosition(kOdd, 99));
  EXPECT_EQ(1, BarPosition(kOdd, -5));
  EXPECT_EQ(4, BarPosition(kOdd, 10));
  EXPECT_EQ(12, BarPosition(kBox, 24)) << "an even box size shows the step of the next odd one";
  EXPECT_EQ(-50, BarPosition(kSigma, -80));
  EXPECT_EQ(290, BarPosition(kStrength, 1e30));
  // A magnification of 1.05 falls on the next tenth; below 0.1 the bar's start.
  EXPECT_EQ(91, BarPosition(kMagnification, 1.05));
  EXPECT_EQ(0, BarPosition(kMagnification, 0.01));
  double lo = 0, hi = 0;
  BarValueRange(kMagnification, &lo, &hi);
  EXPECT_DOUBLE_EQ(0.1, lo);
  EXPECT_DOUBLE_EQ(10.0, hi);
  // A value between two steps shows at the step below it; the ends hold.
  EXPECT_EQ(896, BarPosition(kInverted, 4095));
  EXPECT_EQ(0, BarPosition(kInverted, 32767));
  EXPECT_EQ(1023, BarPosition(kInverted, -40));
}

TEST(ControlValuesTest, BarTextsShowTheSettingAsTheDialogsDo) {
  EXPECT_EQ("0.100", Text(kSigma, -50));
  EXPECT_EQ("1.000", Text(kSigma, 0));
  EXPECT_EQ("1.259", Text(kSigma, 5));
  EXPECT_EQ("10.000", Text(kSigma, 50));
  EXPECT_EQ("100 %", Text(kStrength, 1.0));
  EXPECT_EQ("200 %", Text(kStrength, 2.0));
  EXPECT_EQ("57 %", Text(kPercent, 0.57));
  EXPECT_EQ("45", Text(kOdd, 45));
  EXPECT_EQ("-90 deg", Text(kAngle, -1.5707963267948966));
  EXPECT_EQ("1 deg", Text(kAngle, 0.0175)) << "the nearest whole degree";
  EXPECT_DOUBLE_EQ(0.1, NoiseSigmaFactor(-50));
  EXPECT_DOUBLE_EQ(10.0, NoiseSigmaFactor(50));
}

// The stacking settings' sliders: a usage rate in two step sizes, a weight
// counted from the other side, and texts with words for special values.
constexpr BarSpec kRate = {11, 12, 2, 110, 5, BarMap::kUsageRate, 1.0, BarText::kHundredfold, "%3.1lf %%",
                           KIT_FIELD(Record, strength)};
constexpr BarSpec kMix = {13, 14, 0, 100, 10, BarMap::kReversed, 0.01, BarText::kMixRatio, "%ld / %ld",
                          KIT_FIELD(Record, strength)};
constexpr BarSpec kNth = {15, 16, 1, 1024, 8, BarMap::kLinear, 1.0, BarText::kEveryNth, "jedes %ld. Bild",
                          KIT_FIELD(Record, size)};
constexpr BarSpec kArea = {17, 18, 0, 100, 10, BarMap::kLinear, 0.01, BarText::kCheckArea, "%4.2lf",
                           KIT_FIELD(Record, strength)};

TEST(ControlValuesTest, StackingSlidersMapAndShowTheirSettings) {
  const struct {
    const BarSpec* spec;
    int32_t position;
    double value;
    const char* text;
  } cases[] = {
      {&kRate, 2, 0.001, "0.1 %"},  {&kRate, 3, 0.002, "0.2 %"},   {&kRate, 11, 0.01, "1.0 %"},
      {&kRate, 12, 0.02, "2.0 %"},  {&kRate, 95, 0.85, "85.0 %"},  {&kRate, 110, 1.0, "100.0 %"},
      {&kMix, 0, 1.0, "100 / 0"},   {&kMix, 30, 0.7, "70 / 30"},   {&kMix, 100, 0.0, "0 / 100"},
      {&kNth, 1, 1, "jedes Bild"},  {&kNth, 2, 2, "jedes 2. Bild"}, {&kArea, 0, 0.0, "Planet"},
      {&kArea, 25, 0.25, "0.25"},
  };
  for (const auto& c : cases) {
    EXPECT_NEAR(c.value, BarValue(*c.spec, c.position), 1e-12) << c.text;
    EXPECT_EQ(c.position, BarPosition(*c.spec, c.value)) << c.text;
    EXPECT_EQ(c.text, Text(*c.spec, c.value));
  }
  // A rate between the steps goes to the nearer one; one outside to the ends.
  EXPECT_EQ(11, BarPosition(kRate, 0.0105));
  EXPECT_EQ(2, BarPosition(kRate, 0.0));
  EXPECT_EQ(110, BarPosition(kRate, 7.5));
  EXPECT_EQ(0, BarPosition(kMix, 1.4));
  Record r = {};
  const BarSpec spans[] = {kRate, kMix};
  EXPECT_EQ(1, ClampTableFields({spans, {}, {}, {}}, &r)) << "a rate of 0 is not on the bar";
  EXPECT_DOUBLE_EQ(0.001, r.strength);
}

TEST(ControlValuesTest, TypedNumbersAreReadLimitedOrRefused) {
  const struct {
    const char* text;
    bool whole;
    NumberParse parse;
    double value;
  } cases[] = {
      {"12", true, NumberParse::kOk, 12},      {" -7 ", true, NumberParse::kOk, -7},
      {"2,5", false, NumberParse::kOk, 2.5},   {"2.5", true, NumberParse::kRefused, 0},
      {"1e2", false, NumberParse::kClamped, 50}, {"1e2", true, NumberParse::kRefused, 0},
      {"", true, NumberParse::kRefused, 0},    {"abc", false, NumberParse::kRefused, 0},
      {"12x", true, NumberParse::kRefused, 0}, {"0x10", true, NumberParse::kRefused, 0},
      {"inf", false, NumberParse::kRefused, 0}, {"1e999", false, NumberParse::kRefused, 0},
      {"--3", true, NumberParse::kRefused, 0}, {"99", true, NumberParse::kClamped, 50},
      {"-99", true, NumberParse::kClamped, -10},
  };
  for (const auto& c : cases) {
    double v = 0;
    EXPECT_EQ(c.parse, ParseNumber(c.text, -10, 50, c.whole, &v)) << c.text;
    if (c.parse != NumberParse::kRefused) {
      EXPECT_DOUBLE_EQ(c.value, v) << c.text;
    }
  }
  EXPECT_EQ(NumberParse::kRefused, ParseNumber(nullptr, 0, 1, false, nullptr));
}

TEST(ControlValuesTest, AFieldThatRefusesItsOutsideKeepsItsValue) {
  constexpr NumberSpec kLimited = {1, KIT_FIELD(Record, gain), 0.01, 1000.0, "%4.2lf"};
  constexpr NumberSpec kStrict = {1, KIT_FIELD(Record, gain), 0.01, 1000.0, "%4.2lf", true};
  constexpr NumberSpec kWhole = {2, KIT_FIELD(Record, size), 1, 100000, "%ld", true};
  const struct {
    const NumberSpec* spec;
    const char* text;
    NumberParse parse;
    double value;
  } cases[] = {
      {&kLimited, "0", NumberParse::kClamped, 0.01}, {&kStrict, "0", NumberParse::kRefused, -1},
      {&kStrict, "-3", NumberParse::kRefused, -1},   {&kStrict, "16,5", NumberParse::kOk, 16.5},
      {&kStrict, "1e9", NumberParse::kRefused, -1},  {&kWhole, "240", NumberParse::kOk, 240},
      {&kWhole, "0", NumberParse::kRefused, -1},     {&kWhole, "2.5", NumberParse::kRefused, -1},
  };
  for (const auto& c : cases) {
    double v = -1;
    EXPECT_EQ(c.parse, ParseNumberField(*c.spec, c.text, &v)) << c.text;
    EXPECT_DOUBLE_EQ(c.value, v) << c.text;
  }
}

TEST(ControlValuesTest, RadioGroupsWithAValueTable) {
  static constexpr int32_t kSteps[] = {8, 16, 32, 64, 128, 256};
  constexpr RadioSpec kStepRadios = {112, 6, 0, KIT_FIELD(Record, kind), kSteps};
  EXPECT_EQ(8, RadioValue(kStepRadios, 0));
  EXPECT_EQ(256, RadioValue(kStepRadios, 5));
  EXPECT_EQ(2, RadioIndex(kStepRadios, 32));
  EXPECT_EQ(-1, RadioIndex(kStepRadios, 100));
  static constexpr RadioSpec kRadios[] = {kStepRadios};
  static constexpr ControlTable kTable = {{}, kRadios, {}, {}};
  Record r = {};
  r.kind = 64;
  EXPECT_EQ(0, ClampTableFields(kTable, &r));
  r.kind = 100;
  EXPECT_EQ(1, ClampTableFields(kTable, &r));
  EXPECT_EQ(8, r.kind) << "outside the table: the first value";

  // A group with an `otherwise` button shows other values there and keeps them.
  constexpr RadioSpec kCompression = {120, 3, 0, KIT_FIELD(Record, kind), kSteps, 2};
  const struct {
    int32_t value;
    int plain, withOtherwise;
  } cases[] = {{8, 0, 0}, {32, 2, 2}, {2, -1, 2}, {-1, -1, 2}, {256, 5, 2}};
  for (const auto& c : cases) {
    EXPECT_EQ(c.plain, ShownRadioIndex(kStepRadios, c.value)) << c.value;
    EXPECT_EQ(c.withOtherwise, ShownRadioIndex(kCompression, c.value)) << c.value;
  }
  static constexpr RadioSpec kKept[] = {kCompression};
  r.kind = 2;
  EXPECT_EQ(0, ClampTableFields({{}, kKept, {}, {}}, &r));
  EXPECT_EQ(2, r.kind);
}

TEST(ControlValuesTest, LoadedSettingsAreClampedIntoWhatTheControlsShow) {
  static constexpr BarSpec kBars[] = {kOdd, kSigma};
  static constexpr RadioSpec kRadios[] = {{20, 10, 0, KIT_FIELD(Record, kind)}};
  static constexpr NumberSpec kNumbers[] = {{30, KIT_FIELD(Record, gain), 0.5, 4.0, "%4.2lf"}};
  static constexpr ControlTable kTable = {kBars, kRadios, {}, kNumbers};

  Record inside = {9, 0, -50, 9, 4.0, 0};
  EXPECT_EQ(0, ClampTableFields(kTable, &inside));

  Record outside = {99, 0, -80, 12, NAN, 0};
  EXPECT_EQ(4, ClampTableFields(kTable, &outside));
  EXPECT_EQ(45, outside.size);
  EXPECT_EQ(-50, outside.sigma);
  EXPECT_EQ(0, outside.kind) << "an unknown kind becomes the first";
  EXPECT_EQ(0.5, outside.gain);
}

TEST(ControlValuesTest, FieldsAreReadAndWrittenByOffset) {
  Record r = {};
  WriteField(&r, KIT_FIELD(Record, size), 6.6);
  WriteField(&r, KIT_FIELD(Record, sigma), -6.6);
  EXPECT_EQ(7, r.size) << "integer fields round";
  EXPECT_EQ(-6.6, r.sigma);
  EXPECT_EQ(7.0, ReadField(&r, KIT_FIELD(Record, size)));
  WriteField(&r, KIT_FIELD(Record, kind), 1e12);
  EXPECT_EQ(INT32_MAX, r.kind);
  const struct {
    double written;
    uint8_t stored;
  } bytes[] = {{127.4, 127}, {255.6, 255}, {300, 255}, {-4, 0}, {NAN, 0}};
  for (const auto& b : bytes) {
    WriteField(&r, KIT_FIELD(Record, channel), b.written);
    EXPECT_EQ(b.stored, r.channel) << b.written;
    EXPECT_EQ(b.stored, ReadField(&r, KIT_FIELD(Record, channel)));
  }
  // An element of an array member.
  struct Points {
    double scale;
    int32_t level[4];
  } p = {};
  constexpr FieldRef third = KIT_FIELD(Points, level[2]);
  EXPECT_EQ(FieldKind::kInt32, third.kind);
  WriteField(&p, third, 4064);
  EXPECT_EQ(4064, p.level[2]);
  EXPECT_EQ(0, p.level[1] + p.level[3]);
}

TEST(TemplateChoiceTest, TheScreenPicksTheSize) {
  const struct {
    const TemplateSizes* sizes;
    int32_t measure;
    const char* name;
  } cases[] = {
      {&kSizesByLines, 600, "flatfield800"},          {&kSizesByLines, 767, "flatfield800"},
      {&kSizesByLines, 768, "flatfield1024"},         {&kSizesByLines, 1200, "flatfield1024"},
      {&kCaptureSizesByLines, 1023, "flatfield1024"}, {&kCaptureSizesByLines, 1024, "flatfield1280"},
      {&kRgbSizesByLines, 599, "flatfield640"},       {&kRgbSizesByLines, 600, "flatfield800"},
      {&kRgbSizesByWidth, 1023, "flatfield800"},      {&kRgbSizesByWidth, 1024, "flatfield1024"},
      {&kSingleSize, 480, "flatfield"},
  };
  for (const auto& c : cases) {
    char name[32];
    ChooseDialogTemplate(name, sizeof name, "flatfield", *c.sizes, c.measure);
    EXPECT_STREQ(c.name, name) << c.measure;
  }
}

TEST(ResultTextsTest, EveryFailureCodeHasItsText) {
  EXPECT_EQ(nullptr, ImageResultText(0));
  EXPECT_STREQ("Unsinniger Parameter wurde übergeben !", ImageResultText(1));
  EXPECT_STREQ("Unmöglicher Bildausschnitt wurde übergeben !", ImageResultText(2));
  EXPECT_STREQ("Unbekannter Pointer auf Datenfeld !", ImageResultText(3));
  EXPECT_STREQ("Unbekannter Pointer auf Bilddaten !", ImageResultText(4));
  EXPECT_STREQ("Nicht erlaubter Datentyp der Pixel !", ImageResultText(5));
  EXPECT_STREQ("Nicht genug Speicherplatz !", ImageResultText(6));
  EXPECT_EQ(nullptr, ImageResultText(7));
}

}  // namespace
