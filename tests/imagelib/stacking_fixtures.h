// Pictures for the stacking operators' tests: discs on a dark sky and
// textured frames whose patches can be found again.
#pragma once

#include <algorithm>
#include <cstdint>

#include "imagelib/primitives.h"
#include "random_image.h"

namespace testimg {

// A disc of radius r around (cx, cy): value inside, sky outside; colour
// pictures get value on all three channels (blue a little darker).
inline Samples Disc(const ImageHeader& h, int cx, int cy, int r, int16_t value, int16_t sky = 0) {
  const int spp = SamplesPerPixel(&h);
  Samples s(SampleCount(h), sky);
  for (int y = 0; y < h.height; ++y)
    for (int x = 0; x < h.width; ++x) {
      if ((x - cx) * (x - cx) + (y - cy) * (y - cy) > r * r) continue;
      for (int c = 0; c < spp; ++c)
        s[(size_t(y) * h.width + x) * spp + c] = static_cast<int16_t>(value - (c == 0 && spp == 3 ? 500 : 0));
    }
  return s;
}

// Smoothed noise stretched to a wide range: blobs of about `grain` pixels
// with finer detail on them, no repeats, so a patch cut from it matches in one
// place only, also once both are smoothed. Made on a larger picture, so that
// the smoothing reaches the edges too.
inline Samples Texture(const ImageHeader& h, uint32_t seed, int grain = 8) {
  const int pad = 3 * grain;
  ImageHeader big = h;
  big.width += 2 * pad;
  big.height += 2 * pad;
  Samples noise = Random(big, seed), coarse(noise.size()), fine(noise.size());
  const ImageRect all = {0, 0, big.width, big.height};
  SmoothRect(coarse.data(), noise.data(), &big, &all, grain);
  SmoothRect(coarse.data(), coarse.data(), &big, &all, grain);
  SmoothRect(fine.data(), noise.data(), &big, &all, 1);
  for (size_t i = 0; i < noise.size(); ++i)
    coarse[i] = static_cast<int16_t>(std::clamp((coarse[i] - 16384) * 14 + (fine[i] - 16384) / 2 + 16384, 0, 32767));
  Samples out(SampleCount(h));
  const ImageRect inside = {pad, pad, h.width, h.height};
  CopyImageRect(out.data(), coarse.data(), &big, &inside);
  return out;
}

// Pixels (x0, y0) .. (x0 + w - 1, y0 + h - 1) of s as a picture of their own.
inline Samples Cut(const Samples& s, const ImageHeader& h, int x0, int y0, int w, int ht) {
  Samples out(size_t(w) * ht * SamplesPerPixel(&h));
  const ImageRect r = {x0, y0, w, ht};
  CopyImageRect(out.data(), s.data(), &h, &r);
  return out;
}

}  // namespace testimg
