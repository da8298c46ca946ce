// Synthetic frame series for the stacking tests: a limb-darkened, textured
// disc on a dark sky, moved by seeded whole-pixel shifts, blurred by a
// known amount per frame and noised; one frame of low contrast. Written as
// numbered picture files (one of them cut short) or handed out in memory.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "imagelib/image.h"

namespace synth {

struct SeriesSpec {
  int32_t width = 192;
  int32_t height = 144;
  bool colour = false;
  int32_t frames = 12;
  uint32_t seed = 7;
  int32_t maxShift = 15;            // |dx|, |dy| at most this; frame 0 is not shifted
  double radius = 40.0;             // of the disc, pixels
  double noise = 120.0;             // standard deviation of the sky and disc noise
  int32_t lowContrastFrame = 5;     // -1 for none
  bool eightBit = false;            // samples multiples of 128, as 8-bit sources give
  double blurScale = 1.0;           // 0 keeps every frame sharp
};

struct Frame {
  std::vector<int16_t> samples;
  int32_t dx = 0, dy = 0;           // where the disc moved against frame 0
  double blur = 0.0;                // Gaussian sigma, pixels: 0, 0.3, 0.6, then 1.0, 1.8, ...
};

struct Series {
  SeriesSpec spec;
  ImageHeader header{};
  std::vector<Frame> frames;
  std::vector<int16_t> truth;       // the disc unshifted, unblurred and without noise
  // Frames ordered from the sharpest to the most blurred (the low-contrast one left out).
  std::vector<int32_t> BySharpness() const;
};

Series MakeSeries(const SeriesSpec& spec);

// One frame of the spec's size: the disc moved by (dx, dy), blurred, noised
// from its own seed, at the given contrast (1 normal).
Frame RenderFrame(const SeriesSpec& spec, int32_t dx, int32_t dy, double blur, uint32_t noiseSeed,
                  double contrast = 1.0);

// Writes frame i as prefix + i (three digits, from firstNumber) + extension
// through the native writers; the file of frame `truncated` (-1: none) is
// cut to half its length afterwards. The names written, in order.
std::vector<std::string> WriteNumbered(const Series& s, const std::string& prefix, const char* extension,
                                       int32_t firstNumber = 0, int32_t truncated = -1);

// Root mean square difference of a and b over the header's picture after
// the best gain and offset for b (least squares), within the rectangle.
double FittedRms(const std::vector<int16_t>& a, const int16_t* b, const ImageHeader& h, const ImageRect& r);

// The whole-pixel shift s (|s| <= range) with shifted(x) = source(x + s) at
// every pixel where x + s lies in the picture: how a picture was moved.
// False when no shift gives exactly that.
bool FindShift(const int16_t* shifted, const int16_t* source, const ImageHeader& h, int32_t range, int32_t s[2]);

}  // namespace synth
