#include "cut_out.h"

#include <algorithm>

#include "imagelib/centroid.h"

bool PlaceCutOut(int32_t W, int32_t H, int32_t sizeX, int32_t sizeY, int32_t cx, int32_t cy, ImageRect* rect) {
  if (W < 1 || H < 1 || sizeX < 1 || sizeY < 1) return false;
  const int32_t w = std::min(sizeX, W), h = std::min(sizeY, H);
  // In 64 bits: a centre far outside must not wrap.
  const int64_t x = std::clamp<int64_t>(int64_t{cx} - w / 2, 0, W - w);
  const int64_t y = std::clamp<int64_t>(int64_t{cy} - h / 2, 0, H - h);
  *rect = ImageRect{int32_t(x), int32_t(y), w, h};
  return true;
}

bool FindCutOutRect(const ImageHeader* h, const int16_t* samples, int32_t sizeX, int32_t sizeY, ImageRect* rect) {
  if (!h || !samples || h->width < 1 || h->height < 1) return false;
  const ImageRect whole = {0, 0, h->width, h->height};
  int32_t centre[4] = {};
  double found = 0.0;
  const ImageResult result = FindObjectCentre(&whole, h, samples, centre, &found);
  // Nothing bright leaves the centre at the corner, "not found".
  const bool failed = result != IMG_OK || (found == 0.0 && centre[0] == 0 && centre[1] == 0);
  const int32_t cx = failed ? h->width / 2 : centre[0], cy = failed ? h->height / 2 : centre[1];
  return PlaceCutOut(h->width, h->height, sizeX, sizeY, cx, cy, rect);
}
