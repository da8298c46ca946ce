#include "imagelib/work_planes.h"

#include <algorithm>
#include <cmath>

#include "imagelib/primitives.h"

void ExtractPlaneArea(const int16_t* rgb, const ImageHeader* h, int32_t channel, const ImageRect& area, int16_t* out) {
  const ptrdiff_t W = ImageCols(h);
  const int offset = channel == 1 ? 2 : channel == 2 ? 1 : 0;   // red, green, blue in B,G,R order
  for (ptrdiff_t y = area.y; y < ptrdiff_t{area.y} + area.h; ++y) {
    const int16_t* p = rgb + (y * W + area.x) * 3;
    int16_t* o = out + y * W + area.x;
    if (channel != 0) {
      for (int32_t x = 0; x < area.w; ++x) o[x] = p[3 * x + offset];
      continue;
    }
    for (int32_t x = 0; x < area.w; ++x) {
      // In thousandths the value is exact; the doubles err by far less than
      // a thousandth, so only a whole value (or a negative one) needs them.
      const int32_t b = p[3 * x], g = p[3 * x + 1], r = p[3 * x + 2];
      const int32_t milli = 299 * r + 587 * g + 114 * b + 500;
      if (milli > 0 && milli % 1000 != 0) {
        o[x] = static_cast<int16_t>(milli / 1000);
        continue;
      }
      const double v = 0.299 * r + 0.587 * g + 0.114 * b;
      o[x] = static_cast<int16_t>(static_cast<int32_t>(std::floor(v + 0.5)));
    }
  }
}

ImageResult SmoothPart(const int16_t* src, const ImageHeader* h, const ImageRect& r, int32_t radius, int32_t margin,
                       SmoothedPart* out) {
  FreeSmoothedPart(out);
  out->spp = SamplesPerPixel(h);
  if (r.w <= 0 || r.h <= 0) return IMG_OK;
  // A part reaching radius + 1 beyond what is read pulls r in from its own
  // edges exactly where the whole image does, and holds every source pixel
  // of the smoothed values.
  const int32_t R = std::clamp(radius, 1, 32);
  const int64_t W = ImageCols(h), H = ImageRows(h), reach = int64_t{R} + 1 + margin;
  const int64_t x0 = std::max<int64_t>(0, r.x - reach), x1 = std::min<int64_t>(W, int64_t{r.x} + r.w + reach);
  const int64_t y0 = std::max<int64_t>(0, r.y - reach), y1 = std::min<int64_t>(H, int64_t{r.y} + r.h + reach);
  const ImageRect part = {static_cast<int32_t>(x0), static_cast<int32_t>(y0), static_cast<int32_t>(x1 - x0),
                          static_cast<int32_t>(y1 - y0)};
  out->samples = static_cast<int16_t*>(
      AllocArray(static_cast<size_t>(part.w) * static_cast<size_t>(part.h) * static_cast<size_t>(out->spp),
                 sizeof(int16_t)));
  if (!out->samples) return IMG_NO_MEMORY;
  CopyImageRect(out->samples, src, h, &part);
  ImageHeader ph = *h;
  ph.width = part.w;
  ph.height = part.h;
  const ImageRect inner = {static_cast<int32_t>(r.x - x0), static_cast<int32_t>(r.y - y0), r.w, r.h};
  SmoothRect(out->samples, out->samples, &ph, &inner, R);
  out->part = part;
  return IMG_OK;
}

void FreeSmoothedPart(SmoothedPart* part) {
  FreeMem(&part->samples);
  part->part = {0, 0, 0, 0};
}
