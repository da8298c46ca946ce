#include "stacking/manual/manual_overlay.h"

#include <cstring>

#include "imagelib/resample.h"

ImageResult PlaceManualPicture(const int16_t* picture, const ImageHeader* h, double angle, int16_t* out) {
  if (!picture || !out) return IMG_NULL_IMAGE;
  if (!h) return IMG_NULL_ARRAY;
  if (angle == 0.0) {
    std::memmove(out, picture, size_t(ImageCols(h)) * size_t(ImageRows(h)) * SamplesPerPixel(h) * sizeof(int16_t));
    return IMG_OK;
  }
  return ResampleImage(h, h, picture, out, h->width / 2, h->height / 2, angle, 1.0, 3);
}

void BlendWithMean(const int16_t* picture, const int16_t* mean, const ImageHeader* h, int32_t shiftX,
                   int32_t shiftY, int16_t* out) {
  const ptrdiff_t W = ImageCols(h), H = ImageRows(h), spp = SamplesPerPixel(h);
  for (ptrdiff_t y = 0; y < H; ++y) {
    const ptrdiff_t my = y + shiftY;
    for (ptrdiff_t x = 0; x < W; ++x) {
      const ptrdiff_t mx = x + shiftX;
      const ptrdiff_t at = (y * W + x) * spp;
      const bool inside = mx >= 0 && mx < W && my >= 0 && my < H;
      for (ptrdiff_t k = 0; k < spp; ++k)
        out[at + k] = inside ? int16_t((int32_t{picture[at + k]} + mean[(my * W + mx) * spp + k]) / 2) : picture[at + k];
    }
  }
}
