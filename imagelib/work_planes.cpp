#include "imagelib/work_planes.h"

#include <algorithm>
#include <cmath>

#include "imagelib/primitives.h"
#include "imagelib/work_memory.h"

namespace {

// The rounded luminance of n pixels, floor(v + 0.5), a piece of the row at a
// time: each sample times its channel's weight first, then per pixel the
// red, green and blue parts added in that order. A piece without negative
// samples has v >= 0.5, where truncation is the floor, and runs side by
// side.
void LuminanceRow(const int16_t* __restrict p, int32_t n, int16_t* __restrict o) {
  constexpr int32_t kPiece = 256;
  double part[3 * kPiece];
  for (int32_t x0 = 0; x0 < n; x0 += kPiece) {
    const int32_t m = std::min(kPiece, n - x0);
    const int16_t* q = p + 3 * x0;
    int16_t signs = 0;
    for (int32_t x = 0; x < m; ++x) {
      part[3 * x] = 0.114 * q[3 * x];
      part[3 * x + 1] = 0.587 * q[3 * x + 1];
      part[3 * x + 2] = 0.299 * q[3 * x + 2];
    }
    for (int32_t i = 0; i < 3 * m; ++i) signs = static_cast<int16_t>(signs | q[i]);
    int16_t* out = o + x0;
    if (signs >= 0) {
      for (int32_t x = 0; x < m; ++x)
        out[x] = static_cast<int16_t>(static_cast<int32_t>(part[3 * x + 2] + part[3 * x + 1] + part[3 * x] + 0.5));
    } else {
      for (int32_t x = 0; x < m; ++x)
        out[x] = static_cast<int16_t>(
            static_cast<int32_t>(std::floor(part[3 * x + 2] + part[3 * x + 1] + part[3 * x] + 0.5)));
    }
  }
}

}  // namespace

void ExtractPlaneArea(const int16_t* rgb, const ImageHeader* h, int32_t channel, const ImageRect& area, int16_t* out) {
  const ptrdiff_t W = ImageCols(h);
  const int offset = channel == 1 ? 2 : channel == 2 ? 1 : 0;   // red, green, blue in B,G,R order
  for (ptrdiff_t y = area.y; y < ptrdiff_t{area.y} + area.h; ++y) {
    const int16_t* p = rgb + (y * W + area.x) * 3;
    int16_t* o = out + y * W + area.x;
    if (channel != 0)
      for (int32_t x = 0; x < area.w; ++x) o[x] = p[3 * x + offset];
    else
      LuminanceRow(p, area.w, o);
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
  out->samples =
      AllocWorkOf<int16_t>(static_cast<size_t>(part.w) * static_cast<size_t>(part.h) * static_cast<size_t>(out->spp));
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
  FreeWork(&part->samples);
  part->part = {0, 0, 0, 0};
}
