// False colours of grey levels: the 26 palette types, the level curve and the
// colour steps. Platform-free; the Windows palette and the colour tables of
// display bitmaps and 8-bit picture files are built from these.
#pragma once

#include <cstdint>

constexpr int kPaletteTypeCount = 26;
constexpr int kPaletteRainbowCircle = 23;   // "Farbkreis", forced for colour type 11

// One colour in the byte order of device bitmaps.
struct Bgr {
  uint8_t b, g, r;
};
inline bool operator==(Bgr x, Bgr y) { return x.b == y.b && x.g == y.g && x.r == y.r; }

// What besides the level and the type decides a colour.
struct LevelColourSettings {
  bool logscale;                       // the setting Logscale is exactly 1
  Bgr first;                           // FirstColor and LastColor: ends of type 25
  Bgr last;
};

// One channel over one segment of levels a..b: start + trunc(num * (level - a) / den).
// `end` is the value at b, kept so that the table can be checked.
struct ChannelRamp {
  int16_t start;
  int16_t end;
  int8_t num;
  int8_t den;
};

// Levels first..last of one palette type, channels R, G, B.
struct PaletteSegment {
  uint8_t type;
  uint8_t first;
  uint8_t last;
  ChannelRamp r, g, b;
};

// The segment table of the piecewise linear types (all but 18, 19, 24, 25),
// ordered by type and level.
const PaletteSegment* PaletteSegments(int* count);

// Colour of level 0..255 (clamped) in palette type 0..25; any other type
// shows grey.
Bgr LevelColour(int level, int type, const LevelColourSettings& s);

// Levels per colour step for a Colorstep setting of 8..256 colours: 32, 16,
// 8, 4, 2 or 1 (256 and any other value).
int ColourStepWidth(int colourSteps);
// Level of colour-table entry j: the middle of the step that holds j.
inline int StepMiddleLevel(int j, int colourSteps) {
  const int w = ColourStepWidth(colourSteps);
  return j / w * w + w / 2;
}
// Level shown by entry i (0..127) of the palette's grey ramp, which covers
// levels 2i and 2i + 1: the middle of its step, or the lower end.
int RampEntryLevel(int i, int colourSteps, bool middle);

// The palette type a picture of this colour type is shown with.
int EffectivePaletteType(int imageColourType, int paletteType);
