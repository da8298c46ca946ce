// Work planes the stacking operators share: the grey plane of a part of a
// frame, and a part of a frame smoothed exactly as smoothing the whole frame
// would leave it, so that an operator pays only for the pixels it reads.
#pragma once

#include <cstdint>

#include "imagelib/image.h"

// Writes the plane of the pixels of `area` of a colour image into out (one
// sample per pixel, rows as wide as the image): channel 0 the luminance
// exactly as RgbToLuminance gives it, 1 red, 2 green, 3 blue. area must lie
// in the image.
void ExtractPlaneArea(const int16_t* rgb, const ImageHeader* h, int32_t channel, const ImageRect& area, int16_t* out);

// A part of the image around r, smoothed so that the pixels of r grown by
// `margin` (clipped to the image) hold what SmoothRect(dst, src, h, r,
// radius) leaves in dst there; the part's other pixels are not meant to be read.
struct SmoothedPart {
  int16_t* samples = nullptr;   // part.w x part.h pixels of the image's kind
  ImageRect part = {0, 0, 0, 0};
  ptrdiff_t spp = 1;

  // Sample c of image pixel (x, y), which must lie in part.
  const int16_t* At(ptrdiff_t x, ptrdiff_t y) const {
    return samples + ((y - part.y) * ptrdiff_t{part.w} + (x - part.x)) * spp;
  }
};

// IMG_NO_MEMORY when the part cannot be had; an empty r gives an empty part.
ImageResult SmoothPart(const int16_t* src, const ImageHeader* h, const ImageRect& r, int32_t radius, int32_t margin,
                       SmoothedPart* out);
void FreeSmoothedPart(SmoothedPart* part);
