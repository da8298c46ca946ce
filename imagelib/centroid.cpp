#include "imagelib/centroid.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "imagelib/noise_filters.h"
#include "imagelib/statistics.h"
#include "imagelib/work_memory.h"
#include "imagelib/work_planes.h"

namespace {

constexpr int32_t kSegmentSamples = 5;   // the edge walk's segments: 5 samples, 3 pixels apart
constexpr int32_t kSegmentStep = 3;

// The histogram of r into a new block; IMG_NULL_ARRAY when it cannot be made.
ImageResult RegionHistogram(const ImageRect* r, const ImageHeader* h, const int16_t* pixels, uint32_t** out) {
  *out = AllocWorkOf<uint32_t>(static_cast<size_t>(h->levels > 0 ? h->levels : 1));
  if (!*out) return IMG_NO_MEMORY;
  if (ComputeRegionHistogram(r, h, pixels, *out) != IMG_OK) {
    FreeWork(out);
    return IMG_NULL_ARRAY;
  }
  return IMG_OK;
}

inline int32_t RoundedLuminance(const int16_t* p) {
  return static_cast<int32_t>(0.114 * p[0] + 0.587 * p[1] + 0.299 * p[2] + 0.5);
}

}  // namespace

ImageResult FindBrightnessCentroid(const ImageRect* r, const ImageHeader* h, double fraction, const int16_t* pixels,
                                   int32_t centre[4]) {
  if (!h) return IMG_NULL_ARRAY;
  if (!r || !RectInImage(r, h)) return IMG_BAD_RECT;
  if (!pixels || !centre) return IMG_NULL_ARRAY;
  uint32_t* hist = nullptr;
  if (ImageResult e = RegionHistogram(r, h, pixels, &hist)) return e;
  int32_t first, last, peak, peakCount;
  double peakFraction, rangeBits;
  const ImageResult summary =
      SummariseHistogram(hist, h->levels, &first, &last, &peak, &peakCount, &peakFraction, &rangeBits);
  FreeWork(&hist);
  if (summary != IMG_OK) return IMG_NULL_ARRAY;
  centre[0] = centre[1] = centre[2] = centre[3] = 0;
  const double level = peak + (last - peak) * fraction;

  const ptrdiff_t W = ImageCols(h), spp = SamplesPerPixel(h);
  double sumX = 0.0, sumY = 0.0, sumV = 0.0;
  // Grey sums are sums of integers: while they stay below 2^53 a double adds
  // them exactly, so 64-bit integers give the same totals faster.
  const bool exactInIntegers =
      spp == 1 && static_cast<double>(r->w) * r->h * 32768.0 * std::max(W, ImageRows(h)) < 9007199254740992.0;
  if (exactInIntegers) {
    // A sample reaches the level when it reaches the level's ceiling. Per
    // row, with P the running sum of v and Q the running sum of P, the sum
    // of (x - r.x) v is w P - Q: no product per pixel.
    const auto atLeast = static_cast<int32_t>(std::clamp(std::ceil(level), -32769.0, 32768.0));
    int64_t ix = 0, iy = 0, iv = 0;
    for (ptrdiff_t y = r->y; y < ptrdiff_t{r->y} + r->h; ++y) {
      const int16_t* p = pixels + y * W + r->x;
      int64_t sumV = 0, sumOfSums = 0;
      for (int32_t x = 0; x < r->w; ++x) {
        sumV += p[x] >= atLeast ? p[x] : 0;
        sumOfSums += sumV;
      }
      ix += r->x * sumV + (r->w * sumV - sumOfSums);
      iy += y * sumV;
      iv += sumV;
    }
    sumX = static_cast<double>(ix);
    sumY = static_cast<double>(iy);
    sumV = static_cast<double>(iv);
  } else {
    for (ptrdiff_t y = r->y; y < ptrdiff_t{r->y} + r->h; ++y) {
      const int16_t* p = pixels + (y * W + r->x) * spp;
      for (ptrdiff_t x = r->x; x < ptrdiff_t{r->x} + r->w; ++x, p += spp) {
        const double v = spp == 3 ? 0.114 * p[0] + 0.587 * p[1] + 0.299 * p[2] : p[0];
        if (v < level) continue;
        sumX += x * v;
        sumY += y * v;
        sumV += v;
      }
    }
  }
  if (sumV > 0.0) {
    centre[0] = static_cast<int32_t>(std::floor(sumX / sumV + 0.5));
    centre[1] = static_cast<int32_t>(std::floor(sumY / sumV + 0.5));
  }
  return IMG_OK;
}

bool IsDarkSegment(const int16_t* grey, const ImageHeader* h, int32_t level, int32_t x, int32_t y, int32_t n,
                   int32_t step, int32_t direction) {
  if (!grey || !h || n < 1 || (direction != 0 && direction != 1)) return false;
  const int64_t W = ImageCols(h), H = ImageRows(h);
  const int64_t half = n / 2, reach = half * std::llabs(step);
  // Along the segment's own axis and across it, every sample must be a pixel.
  const int64_t along = direction == 0 ? x : y, alongSize = direction == 0 ? W : H;
  const int64_t across = direction == 0 ? y : x, acrossSize = direction == 0 ? H : W;
  if (along - reach < 0 || along + reach >= alongSize || across < 0 || across >= acrossSize) return true;
  const int64_t delta = direction == 0 ? int64_t{step} : int64_t{step} * W;
  const int16_t* centre = grey + int64_t{y} * W + x;
  int32_t dark = 0;
  for (int64_t k = -half; k <= half; ++k) dark += centre[k * delta] <= level;
  return dark > n / 2;
}

ImageResult FindObjectCentre(const ImageRect* r, const ImageHeader* h, const int16_t* pixels, int32_t centre[4],
                             double* found) {
  if (!h) return IMG_NULL_ARRAY;
  if (!r || !RectInImage(r, h)) return IMG_BAD_RECT;
  if (!pixels || !centre || !found) return IMG_NULL_ARRAY;
  centre[0] = centre[1] = centre[2] = centre[3] = 0;
  *found = 0.0;
  const ptrdiff_t W = ImageCols(h), H = ImageRows(h);
  uint32_t* hist = nullptr;
  if (ImageResult e = RegionHistogram(r, h, pixels, &hist)) return e;
  LevelsRecord levels;
  const ImageResult analysed = AnalyseLevels(hist, h->levels, 1, 0, 0, &levels);
  FreeWork(&hist);
  if (analysed != IMG_OK) return IMG_NULL_ARRAY;
  const auto level =
      static_cast<int32_t>(std::floor(levels.peakLevel + (levels.whitePoint - levels.peakLevel) * 0.2 + 0.5));

  auto* grey = AllocWorkOf<int16_t>(static_cast<size_t>(W * H));
  if (!grey) return IMG_NO_MEMORY;
  ImageHeader work = *h;
  work.colourType = 0;
  // The grey copy is read over r and, by the edge segments, up to 6 pixels
  // around it; the rest of it is never looked at.
  const int32_t reach = kSegmentSamples / 2 * kSegmentStep;
  const int32_t gx0 = std::max(r->x - reach, 0), gy0 = std::max(r->y - reach, 0);
  const ImageRect read = {gx0, gy0, std::min(r->x + r->w + reach, h->width) - gx0,
                          std::min(r->y + r->h + reach, h->height) - gy0};
  if (h->colourType == kColourRgb) {
    ExtractPlaneArea(pixels, h, 0, read, grey);
  } else {
    for (ptrdiff_t y = read.y; y < ptrdiff_t{read.y} + read.h; ++y)
      std::memcpy(grey + y * W + read.x, pixels + y * W + read.x, static_cast<size_t>(read.w) * sizeof(int16_t));
  }
  int32_t c[4];
  ImageResult e = ApplyNoiseFilter(r, &work, grey, grey, 1.0, 5, 1, nullptr);
  if (e == IMG_OK) e = FindBrightnessCentroid(r, &work, 0.4, grey, c);
  if (e != IMG_OK || (c[0] == 0 && c[1] == 0)) {
    FreeWork(&grey);
    return e == IMG_NO_MEMORY ? e : IMG_OK;
  }

  // Walk out from the centre to the first dark segment on each side; a side
  // without one ends just outside r.
  const int32_t rx0 = r->x, rx1 = r->x + r->w - 1, ry0 = r->y, ry1 = r->y + r->h - 1;
  int32_t cx = c[0], cy = c[1], left = 0, right = 0, top = 0, bottom = 0;
  auto dark = [&](int32_t x, int32_t y, int32_t direction) {
    return IsDarkSegment(grey, &work, level, x, y, kSegmentSamples, kSegmentStep, direction);
  };
  for (int round = 0; round < 4; ++round) {
    for (left = cx - 3; left >= rx0 && !dark(left, cy, 1); --left) {
    }
    for (right = cx + 3; right <= rx1 && !dark(right, cy, 1); ++right) {
    }
    for (top = cy - 3; top >= ry0 && !dark(cx, top, 0); --top) {
    }
    for (bottom = cy + 3; bottom <= ry1 && !dark(cx, bottom, 0); ++bottom) {
    }
    const int32_t nx = (left + right) / 2, ny = (top + bottom) / 2;
    const bool moved = nx != cx || ny != cy;
    cx = nx;
    cy = ny;
    if (!moved) break;
  }
  *found = left > rx0 + 16 && top > ry0 + 16 && right < rx1 + 1 - 16 && bottom < ry1 + 1 - 16 ? 1.0 : 0.0;
  centre[0] = cx;
  centre[1] = cy;
  FreeWork(&grey);
  return IMG_OK;
}

int32_t BoxMeanAt(int32_t x, int32_t y, int32_t W, int32_t H, int32_t colour, int32_t n, const int16_t* pixels) {
  if (!pixels || n < 1 || W < 1 || H < 1) return 0;
  const ptrdiff_t spp = colour == kColourRgb ? 3 : 1;
  auto value = [&](ptrdiff_t px, ptrdiff_t py) {
    const int16_t* p = pixels + (py * W + px) * spp;
    return spp == 3 ? RoundedLuminance(p) : int32_t{p[0]};
  };
  if (n == 1) return x >= 0 && y >= 0 && x < W && y < H ? value(x, y) : 0;
  const int32_t hh = n / 2;
  if (x < hh || y < hh || x >= W - hh || y >= H - hh) return 0;
  int64_t sum = 0;
  for (ptrdiff_t py = y - hh; py <= y + hh; ++py)
    for (ptrdiff_t px = x - hh; px <= x + hh; ++px) sum += value(px, py);
  return static_cast<int32_t>(sum / (int64_t{n} * n));
}
