// False colours of grey levels: the segment table, spot values of every kind
// of palette type, the level curve and the colour steps.
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "shell/palette_colours.h"

namespace {

struct Rgb {
  int r, g, b;
};

::testing::AssertionResult IsColour(Bgr actual, Rgb expected) {
  if (actual.r == expected.r && actual.g == expected.g && actual.b == expected.b)
    return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "got R,G,B " << int(actual.r) << "," << int(actual.g) << ","
                                       << int(actual.b) << ", want " << expected.r << "," << expected.g << ","
                                       << expected.b;
}

const LevelColourSettings kPlain = {false, {0, 40, 0}, {80, 160, 255}};   // defaults of the settings

TEST(PaletteSegments, EveryRampReachesItsEndAndTheSegmentsTileTheLevels) {
  int count = 0;
  const PaletteSegment* seg = PaletteSegments(&count);
  ASSERT_GT(count, 0);
  std::map<int, int> nextLevel;   // per type: first level not yet covered
  for (int i = 0; i < count; ++i) {
    const PaletteSegment& s = seg[i];
    SCOPED_TRACE(testing::Message() << "type " << int(s.type) << " levels " << int(s.first) << "-" << int(s.last));
    EXPECT_EQ(nextLevel[s.type], s.first) << "gap or overlap before this segment";
    nextLevel[s.type] = s.last + 1;
    for (const ChannelRamp& c : {s.r, s.g, s.b}) {
      ASSERT_NE(0, c.den);
      EXPECT_EQ(c.end, c.start + c.num * (s.last - s.first) / c.den);
      EXPECT_TRUE(c.start >= 0 && c.start <= 255 && c.end >= 0 && c.end <= 255);
    }
  }
  // Every piecewise linear type, and only those, ends at level 255.
  std::set<int> types;
  for (const auto& [type, end] : nextLevel) {
    EXPECT_EQ(256, end) << "type " << type;
    types.insert(type);
  }
  EXPECT_EQ((std::set<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 20, 21, 22, 23}), types);
}

TEST(LevelColour, SpotValues) {
  const struct {
    int type, level;
    Rgb expected;
  } cases[] = {
      {0, 77, {77, 77, 77}},
      {1, 77, {178, 178, 178}},
      {2, 171, {255, 0, 0}},
      {2, 255, {255, 168, 168}},
      {2, 85, {127, 0, 0}},        // 3/2 per level, truncated
      {5, 200, {200, 0, 0}},       // types without a button are coloured too
      {6, 200, {0, 200, 0}},
      {7, 200, {0, 0, 200}},
      {8, 30, {42, 32, 188}},      // falling red: 192 - 5 * 30
      {10, 255, {128, 128, 128}},  // the last level is a segment of its own
      {10, 254, {217, 254, 224}},  // while 254 ends the segment before
      {10, 130, {1, 21, 192}},     // fractional slopes 4/5, 13/5, 2/5
      {12, 255, {213, 234, 255}},
      {12, 254, {213, 233, 253}},
      {12, 171, {255, 170, 87}},   // -1/2 truncated toward zero
      {15, 255, {255, 255, 255}},
      {15, 254, {255, 255, 252}},
      {16, 127, {246, 252, 0}},
      {20, 0, {128, 0, 0}},
      {21, 64, {196, 0, 0}},
      {23, 0, {255, 0, 0}},
      {23, 255, {253, 0, 7}},
      // Stripes two levels wide; bit 1 chooses the stripe.
      {18, 4, {0, 0, 8}},
      {18, 6, {255, 243, 243}},
      {18, 132, {8, 8, 255}},
      {18, 130, {251, 0, 0}},
      {19, 6, {255, 255, 243}},
      {19, 132, {8, 255, 8}},
      {19, 134, {243, 243, 0}},
      // 3-3-2 cube.
      {24, 77, {176, 48, 96}},
      {24, 255, {240, 240, 224}},
      // From FirstColor to LastColor.
      {25, 0, {0, 40, 0}},
      {25, 128, {128, 100, 40}},
      {25, 255, {255, 160, 80}},
      // Outside the types and the levels.
      {26, 90, {90, 90, 90}},
      {-1, 90, {90, 90, 90}},
      {0, -5, {0, 0, 0}},
      {0, 300, {255, 255, 255}},
  };
  for (const auto& c : cases)
    EXPECT_TRUE(IsColour(LevelColour(c.level, c.type, kPlain), c.expected)) << "type " << c.type << " level " << c.level;
}

TEST(LevelColour, LevelCurveBendsTheMiddleAndKeepsTheEnds) {
  LevelColourSettings log = kPlain;
  log.logscale = true;
  EXPECT_TRUE(IsColour(LevelColour(0, 0, log), {0, 0, 0}));
  EXPECT_TRUE(IsColour(LevelColour(255, 0, log), {255, 255, 255}));
  EXPECT_TRUE(IsColour(LevelColour(128, 0, log), {187, 187, 187}));
  // The curve comes before the type: level 128 is coloured as level 187.
  EXPECT_TRUE(IsColour(LevelColour(128, 16, log), {255, 0, 96}));
}

TEST(LevelColour, OwnScaleWithEqualEndsIsOneColour) {
  const LevelColourSettings same = {false, {10, 20, 30}, {10, 20, 30}};
  for (int level : {0, 1, 100, 254, 255}) EXPECT_TRUE(IsColour(LevelColour(level, 25, same), {30, 20, 10}));
}

TEST(ColourSteps, EightStepsGiveEightRampColoursOfSixteenEntries) {
  std::map<int, int> entriesPerLevel;
  for (int i = 0; i < 128; ++i) ++entriesPerLevel[RampEntryLevel(i, 8, true)];
  ASSERT_EQ(8u, entriesPerLevel.size());
  for (const auto& [level, n] : entriesPerLevel) {
    EXPECT_EQ(16, n);
    EXPECT_EQ(16, level % 32) << "the middle of a step of 32";
  }
  EXPECT_EQ(0, RampEntryLevel(15, 8, false));
  EXPECT_EQ(32, RampEntryLevel(16, 8, false));
}

TEST(ColourSteps, LevelsOfTheRampAndTheColourTable) {
  const struct {
    int steps, i;
    int middle, low;
  } ramp[] = {
      {8, 40, 64 + 16, 64},  {16, 40, 80 + 8, 80}, {32, 41, 80 + 4, 80}, {64, 41, 80 + 2, 80},
      {128, 41, 83, 82},     {256, 41, 83, 82},    {100, 41, 83, 82},    // unknown counts as 256
  };
  for (const auto& c : ramp) {
    EXPECT_EQ(c.middle, RampEntryLevel(c.i, c.steps, true)) << c.steps;
    EXPECT_EQ(c.low, RampEntryLevel(c.i, c.steps, false)) << c.steps;
  }
  // 128 and 256 steps give the same ramp.
  for (int i = 0; i < 128; ++i) EXPECT_EQ(RampEntryLevel(i, 128, true), RampEntryLevel(i, 256, true));

  const struct {
    int steps, j, level;
  } table[] = {{8, 70, 80}, {16, 70, 72}, {32, 70, 68}, {64, 70, 70}, {128, 70, 71}, {256, 70, 70}, {0, 70, 70}};
  for (const auto& c : table) EXPECT_EQ(c.level, StepMiddleLevel(c.j, c.steps)) << c.steps;
}

TEST(EffectivePaletteType, ColourTypesOverrideTheSetting) {
  EXPECT_EQ(23, EffectivePaletteType(11, 4));
  EXPECT_EQ(23, EffectivePaletteType(5, 4));
  EXPECT_EQ(0, EffectivePaletteType(6, 4));
  EXPECT_EQ(0, EffectivePaletteType(7, 4));
  EXPECT_EQ(4, EffectivePaletteType(0, 4));
  EXPECT_EQ(4, EffectivePaletteType(13, 4));
}

}  // namespace
