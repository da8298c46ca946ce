#include "palette_colours.h"

#include <cmath>
#include <iterator>

namespace {

constexpr ChannelRamp C(int v) { return {int16_t(v), int16_t(v), 0, 1}; }
constexpr ChannelRamp L(int start, int end, int num, int den = 1) {
  return {int16_t(start), int16_t(end), int8_t(num), int8_t(den)};
}
constexpr ChannelRamp kUp = L(0, 255, 1);

const PaletteSegment kSegments[] = {
    // 0 "Graustufen", 1 "Invers"
    {0, 0, 255, kUp, kUp, kUp},
    {1, 0, 255, L(255, 0, -1), L(255, 0, -1), L(255, 0, -1)},
    // 2 "Rottönung", 3 "Grüntönung", 4 "Blautönung"
    {2, 0, 170, L(0, 255, 3, 2), C(0), C(0)},
    {2, 171, 255, C(255), L(0, 168, 2), L(0, 168, 2)},
    {3, 0, 170, C(0), L(0, 255, 3, 2), C(0)},
    {3, 171, 255, L(0, 168, 2), C(255), L(0, 168, 2)},
    {4, 0, 170, C(0), C(0), L(0, 255, 3, 2)},
    {4, 171, 255, L(0, 168, 2), L(0, 168, 2), C(255)},
    // 5..7: one channel only
    {5, 0, 255, kUp, C(0), C(0)},
    {6, 0, 255, C(0), kUp, C(0)},
    {7, 0, 255, C(0), C(0), kUp},
    // 8 "Landkarte 2"
    {8, 0, 31, L(192, 37, -5), C(32), L(128, 190, 2)},
    {8, 32, 47, C(32), L(32, 62, 2), L(192, 252, 4)},
    {8, 48, 127, L(32, 190, 2), L(64, 222, 2), C(255)},
    {8, 128, 143, L(0, 15, 1), L(64, 124, 4), L(0, 7, 1, 2)},
    {8, 144, 159, L(16, 46, 2), L(128, 158, 2), L(8, 15, 1, 2)},
    {8, 160, 175, L(32, 212, 12), L(160, 220, 4), C(16)},
    {8, 176, 207, L(224, 162, -2), L(224, 100, -4), C(16)},
    {8, 208, 231, L(159, 251, 4), L(96, 234, 6), L(0, 184, 8)},
    {8, 232, 255, L(255, 163, -4), L(240, 148, -4), L(192, 146, -2)},
    // 9 "Polarkarte"
    {9, 0, 31, L(192, 37, -5), C(32), L(128, 159, 1)},
    {9, 32, 63, C(32), L(32, 63, 1), L(160, 253, 3)},
    {9, 64, 127, L(32, 158, 2), L(64, 253, 3), C(255)},
    {9, 128, 159, L(128, 190, 2), L(96, 189, 3), L(128, 35, -3)},
    {9, 160, 175, L(192, 252, 4), L(192, 252, 4), L(32, 212, 12)},
    {9, 176, 255, L(255, 97, -2), L(255, 97, -2), L(224, 145, -1)},
    // 10 "Seekarte"
    {10, 0, 63, L(255, 3, -4), C(0), C(128)},
    {10, 64, 127, C(0), L(0, 15, 1, 4), L(128, 191, 1)},
    {10, 128, 207, L(0, 63, 4, 5), L(16, 221, 13, 5), L(192, 223, 2, 5)},
    {10, 208, 254, L(64, 217, 10, 3), L(224, 254, 2, 3), C(224)},
    {10, 255, 255, C(128), C(128), C(128)},
    // 11 "Topografie"
    {11, 0, 31, L(64, 126, 2), C(0), L(64, 126, 2)},
    {11, 32, 63, L(128, 4, -4), C(0), L(127, 189, 2)},
    {11, 64, 95, C(0), L(0, 155, 5), L(192, 161, -1)},
    {11, 96, 127, C(0), L(159, 221, 2), L(159, 4, -5)},
    {11, 128, 159, L(0, 248, 8), L(223, 254, 1), C(0)},
    {11, 160, 191, C(255), L(255, 131, -4), C(0)},
    {11, 192, 223, C(255), L(128, 4, -4), C(0)},
    {11, 224, 255, C(255), L(0, 217, 7), L(0, 217, 7)},
    // 12 "Landkarte 1"
    {12, 0, 84, L(42, 210, 2), L(0, 84, 1), C(0)},
    {12, 85, 169, L(212, 254, 1, 2), L(85, 169, 1), L(0, 84, 1)},
    {12, 170, 254, L(255, 213, -1, 2), L(170, 233, 3, 4), L(85, 253, 2)},
    {12, 255, 255, C(213), C(234), C(255)},
    // 13 "Plus / Minus"
    {13, 0, 63, L(192, 3, -3), L(192, 3, -3), C(255)},
    {13, 64, 127, C(0), C(0), L(255, 66, -3)},
    {13, 128, 191, L(63, 252, 3), C(0), C(0)},
    {13, 192, 255, C(255), L(0, 189, 3), L(0, 189, 3)},
    // 14 "Violettönung"
    {14, 0, 170, L(0, 255, 3, 2), C(0), L(0, 255, 3, 2)},
    {14, 171, 255, C(255), L(0, 168, 2), C(255)},
    // 15 "Glühfarben"
    {15, 0, 84, L(0, 252, 3), C(0), C(0)},
    {15, 85, 169, C(255), L(0, 252, 3), C(0)},
    {15, 170, 254, C(255), C(255), L(0, 252, 3)},
    {15, 255, 255, C(255), C(255), C(255)},
    // 16 "Thermografie"
    {16, 0, 42, C(0), C(0), L(0, 252, 6)},
    {16, 43, 63, C(0), L(0, 140, 7), L(255, 155, -5)},
    {16, 64, 85, C(0), L(148, 232, 4), L(148, 1, -7)},
    {16, 86, 127, L(0, 246, 6), L(232, 252, 1, 2), C(0)},
    {16, 128, 170, C(255), L(255, 3, -6), C(0)},
    {16, 171, 213, C(255), C(0), L(0, 252, 6)},
    {16, 214, 255, C(255), L(0, 246, 6), C(255)},
    // 17 "Planckkurve"
    {17, 0, 63, L(0, 252, 4), C(0), C(0)},
    {17, 64, 127, C(255), L(0, 252, 4), C(0)},
    {17, 128, 191, C(255), C(255), L(0, 252, 4)},
    {17, 192, 255, L(255, 66, -3), L(255, 66, -3), C(255)},
    // 20 (not offered)
    {20, 0, 63, L(128, 254, 2), C(0), C(0)},
    {20, 64, 95, C(255), L(0, 248, 8), C(0)},
    {20, 96, 127, L(255, 7, -8), C(255), C(0)},
    {20, 128, 159, C(0), L(255, 193, -2), L(0, 186, 6)},
    {20, 160, 191, C(0), L(191, 5, -6), C(192)},
    {20, 192, 255, L(0, 189, 3), C(0), L(192, 129, -1)},
    // 21 (not offered)
    {21, 0, 63, L(64, 190, 2), C(0), C(0)},
    {21, 64, 95, C(196), L(0, 186, 6), C(0)},
    {21, 96, 127, L(196, 10, -6), C(196), C(0)},
    {21, 128, 159, C(0), L(196, 165, -1), L(0, 186, 6)},
    {21, 160, 191, C(0), L(164, 9, -5), C(192)},
    {21, 192, 255, L(0, 126, 2), C(0), L(192, 66, -2)},
    // 22 "Regenbogen"
    {22, 0, 63, L(64, 253, 3), C(0), C(0)},
    {22, 64, 95, C(255), L(0, 248, 8), C(0)},
    {22, 96, 127, L(255, 7, -8), C(255), C(0)},
    {22, 128, 159, C(0), L(255, 193, -2), L(0, 186, 6)},
    {22, 160, 191, C(0), L(191, 5, -6), C(192)},
    {22, 192, 255, L(0, 63, 1), C(0), L(192, 66, -2)},
    // 23 "Farbkreis"
    {23, 0, 42, C(255), L(0, 252, 6), C(0)},
    {23, 43, 85, L(255, 3, -6), C(255), C(0)},
    {23, 86, 127, C(0), L(255, 214, -1), L(0, 205, 5)},
    {23, 128, 170, L(0, 84, 2), L(212, 86, -3), L(212, 254, 1)},
    {23, 171, 213, L(86, 212, 3), L(86, 2, -2), L(255, 213, -1)},
    {23, 214, 255, L(212, 253, 1), C(0), L(212, 7, -5)},
};

uint8_t RampValue(const ChannelRamp& c, int offset) {
  // C++ division truncates toward zero, as the ramps are defined.
  return uint8_t(c.start + c.num * offset / c.den);
}

Bgr Rgb(int r, int g, int b) { return {uint8_t(b), uint8_t(g), uint8_t(r)}; }

// Types 18 and 19: stripes two levels wide.
Bgr StairColour(int level, int type) {
  const int e = level & ~1;
  const bool odd = (level & 2) != 0;
  const bool red = type == 18;
  if (level < 128) {
    if (!odd) return red ? Rgb(0, 0, 2 * e) : Rgb(0, 2 * e, 0);
    return red ? Rgb(255, 255 - 2 * e, 255 - 2 * e) : Rgb(255, 255, 255 - 2 * e);
  }
  const int u = 2 * (e - 128);
  if (!odd) return red ? Rgb(u, u, 255) : Rgb(u, 255, u);
  return red ? Rgb(255 - u, 0, 0) : Rgb(255 - u, 255 - u, 0);
}

}  // namespace

const PaletteSegment* PaletteSegments(int* count) {
  *count = int(std::size(kSegments));
  return kSegments;
}

Bgr LevelColour(int level, int type, const LevelColourSettings& s) {
  if (level < 0) level = 0;
  if (level > 255) level = 255;
  if (s.logscale) level = int(std::pow(level / 255.0, 0.45) * 255.0 + 0.5);
  switch (type) {
    case 18:
    case 19:
      return StairColour(level, type);
    case 24:
      return Rgb(level % 8 * 32 + 16, level / 8 % 8 * 32 + 16, level / 64 % 4 * 64 + 32);
    case 25: {
      // Integer arithmetic per channel; the result wraps as a byte.
      auto mix = [level](int a, int b) { return uint8_t(a + level * (b - a) / 255); };
      return {mix(s.first.b, s.last.b), mix(s.first.g, s.last.g), mix(s.first.r, s.last.r)};
    }
    default:
      break;
  }
  if (type < 0 || type >= kPaletteTypeCount) type = 0;
  for (const PaletteSegment& seg : kSegments) {
    if (seg.type != type || level < seg.first || level > seg.last) continue;
    const int d = level - seg.first;
    return {RampValue(seg.b, d), RampValue(seg.g, d), RampValue(seg.r, d)};
  }
  return Rgb(level, level, level);   // not reached: every type's segments cover 0..255
}

int ColourStepWidth(int colourSteps) {
  switch (colourSteps) {
    case 8: return 32;
    case 16: return 16;
    case 32: return 8;
    case 64: return 4;
    case 128: return 2;
    default: return 1;
  }
}

int RampEntryLevel(int i, int colourSteps, bool middle) {
  const int w = ColourStepWidth(colourSteps);
  const int low = 2 * i / w * w;
  if (!middle) return low;
  return w == 1 ? 2 * i + 1 : low + w / 2;
}

int EffectivePaletteType(int imageColourType, int paletteType) {
  if (imageColourType == 5 || imageColourType == 11) return kPaletteRainbowCircle;
  if (imageColourType == 6 || imageColourType == 7) return 0;
  return paletteType;
}
