// Small fixtures for operator tests: headers of a given size and kind, and
// reproducible random sample buffers.
#pragma once

#include <cstdint>
#include <random>
#include <vector>

#include "imagelib/image.h"

namespace testimg {

using Samples = std::vector<int16_t>;

inline ImageHeader Header(int32_t w, int32_t h, bool colour) {
  ImageHeader hd;
  InitImageHeader(&hd);
  hd.width = w;
  hd.height = h;
  hd.colourType = colour ? kColourRgb : 0;
  return hd;
}

inline size_t SampleCount(const ImageHeader& h) { return size_t(h.width) * h.height * SamplesPerPixel(&h); }

// Samples uniformly in lo..hi, the same for the same seed.
inline Samples Random(const ImageHeader& h, uint32_t seed, int lo = 0, int hi = 32767) {
  std::mt19937 gen(seed);
  std::uniform_int_distribution<int> dist(lo, hi);
  Samples s(SampleCount(h));
  for (auto& v : s) v = static_cast<int16_t>(dist(gen));
  return s;
}

// Sample k (0 for grey, 0..2 = B,G,R for colour) of pixel (x, y).
inline int16_t At(const Samples& s, const ImageHeader& h, int x, int y, int k = 0) {
  return s[(size_t(y) * h.width + x) * SamplesPerPixel(&h) + k];
}

}  // namespace testimg
