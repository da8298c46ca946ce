// Hot pixels of a sensor, learnt from a dark frame as a list and repaired in
// every frame by interpolating along the row; and synthetic noise for test
// pictures.
#pragma once

#include <cstdint>

#include "imagelib/image.h"

// Head of a hot-pixel list, laid out as the HPX file that stores it. The
// entries follow the head in the same block: four uint16 each, {channel code
// (0 grey, 1 red, 2 green, 3 blue), x, y, 0}, row after row from the top;
// within a colour row first the blue entries, then green, then red, each left
// to right.
struct HotPixelList {
  char magic[4];     // "HPX" and a NUL
  int32_t count;     // number of entries
  int32_t width;     // size of the image the list was learnt from
  int32_t height;
};
static_assert(sizeof(HotPixelList) == 16, "HotPixelList is stored in files");

using HotPixelEntry = uint16_t[4];

inline HotPixelEntry* HotPixelEntries(HotPixelList* list) { return reinterpret_cast<HotPixelEntry*>(list + 1); }
inline const HotPixelEntry* HotPixelEntries(const HotPixelList* list) {
  return reinterpret_cast<const HotPixelEntry*>(list + 1);
}

// Lists every sample strictly above its channel's threshold (grey uses
// thresholdGreyOrRed) in a new block that the caller frees with FreeMem.
// Images wider or higher than 65535 pixels are IMG_BAD_PARAMETER.
ImageResult FindHotPixels(const int16_t* pixels, const ImageHeader* h, int32_t thresholdGreyOrRed,
                          int32_t thresholdGreen, int32_t thresholdBlue, HotPixelList** out);

// Replaces each listed sample off the image border by the straight line
// between its row neighbours of the same channel; a run of entries at x,
// x + 1, ... shares the neighbours left and right of the run. Grey images take
// any code 0..3, colour images codes 1..3; other codes are skipped. Works in
// place; with src != dst, dst first becomes a copy of src.
ImageResult RepairHotPixels(const ImageHeader* h, const int16_t* src, int16_t* dst, const HotPixelEntry* entries,
                            int32_t count);

// Noise of one of 11 kinds written into r (rows of width samples, as for a
// grey image), from the program's generator seeded with the time: 0 Gaussian
// about mid-scale (clamped to 0..levels-1), 1 and 2 uniform, 3 and 4 uniform
// added, 5..10 white or black salt. A type outside 0..10 is IMG_BAD_PARAMETER (unless r is empty).
ImageResult AddSyntheticNoise(const ImageRect* r, const ImageHeader* h, int16_t* pixels, int32_t type);

// mean + a normally distributed value of spread sigma (polar method; every
// second call uses the value cached by the one before), held to the 16-bit
// range. Not for concurrent use.
int16_t GaussianRandom(int32_t mean, int32_t sigma);
