#include "imagelib/statistics.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

ImageResult CheckRegion(const ImageRect* r, const ImageHeader* h, const int16_t* samples) {
  if (!h) return IMG_NULL_ARRAY;
  if (!r || !RectInImage(r, h)) return IMG_BAD_RECT;
  if (!samples) return IMG_NULL_IMAGE;
  return IMG_OK;
}

inline int32_t ClampLevel(int32_t v, int32_t top) { return v < 0 ? 0 : v > top ? top : v; }

// The fractions clipped at each end by clip modes 1..7.
constexpr double kClipFraction[8] = {0.0, 0.001, 0.002, 0.005, 0.01, 0.02, 0.05, 0.1};

// Histogram of every step-th pixel of every step-th row of r; count(p) adds
// the pixel at p to its bins.
template <typename Count>
void SampleRegion(const ImageRect* r, const ImageHeader* h, const int16_t* samples, ptrdiff_t step, Count count) {
  const ptrdiff_t spp = SamplesPerPixel(h);
  for (ptrdiff_t y = r->y; y < ptrdiff_t{r->y} + r->h; y += step) {
    const int16_t* p = samples + (y * ImageCols(h) + r->x) * spp;
    for (ptrdiff_t x = 0; x < r->w; x += step) count(p + x * spp);
  }
}

}  // namespace

ImageResult ComputeRegionStatistics(const ImageRect* r, const ImageHeader* h, const int16_t* samples,
                                    int32_t* usedLevels, int32_t* usedRed, int32_t* usedGreen, int32_t* usedBlue,
                                    int32_t* zeroSamples, int32_t* negativeSamples, int32_t* highestLevel) {
  int32_t* outputs[] = {usedLevels, usedRed, usedGreen, usedBlue, zeroSamples, negativeSamples, highestLevel};
  bool missing = false;
  for (int32_t* o : outputs) {
    if (o)
      *o = 0;
    else
      missing = true;
  }
  if (ImageResult e = CheckRegion(r, h, samples)) return e;
  if (missing) return IMG_NULL_ARRAY;
  if (h->levels < 1) return IMG_BAD_PARAMETER;
  const int32_t levels = h->levels, top = levels - 1;
  const bool colour = h->colourType == kColourRgb;
  // Luminance (or grey) histogram, then blue, green and red in buffer order.
  uint32_t* hist[4] = {};
  for (int i = 0; i < (colour ? 4 : 1); ++i) {
    hist[i] = static_cast<uint32_t*>(AllocArray(levels, sizeof(uint32_t)));
    if (!hist[i]) {
      for (uint32_t*& p : hist) FreeMem(&p);
      return IMG_NO_MEMORY;
    }
  }
  int32_t zeros = 0, negatives = 0;
  auto countSample = [&](int32_t v, uint32_t* bins) {
    if (v == 0) ++zeros;
    if (v < 0) ++negatives;
    ++bins[ClampLevel(v, top)];
  };
  const ptrdiff_t spp = colour ? 3 : 1;
  for (ptrdiff_t y = r->y; y < ptrdiff_t{r->y} + r->h; ++y) {
    const int16_t* p = samples + (y * ImageCols(h) + r->x) * spp;
    for (int32_t x = 0; x < r->w; ++x, p += spp) {
      if (!colour) {
        countSample(p[0], hist[0]);
        continue;
      }
      const double lum = 0.299 * p[2] + 0.587 * p[1] + 0.114 * p[0] + 0.5;
      ++hist[0][static_cast<int32_t>(std::clamp(lum, 0.0, static_cast<double>(top)))];
      for (int c = 0; c < 3; ++c) countSample(p[c], hist[1 + c]);
    }
  }
  int32_t used[4] = {};
  for (int32_t level = 0; level < levels; ++level) {
    if (hist[0][level]) {
      ++used[0];
      *highestLevel = level;
    }
    if (colour)
      for (int c = 1; c < 4; ++c) used[c] += hist[c][level] != 0;
  }
  *usedLevels = used[0];
  *usedBlue = used[1];
  *usedGreen = used[2];
  *usedRed = used[3];
  *zeroSamples = zeros;
  *negativeSamples = negatives;
  for (uint32_t*& p : hist) FreeMem(&p);
  return IMG_OK;
}

ImageResult ComputeRegionHistogram(const ImageRect* r, const ImageHeader* h, const int16_t* samples,
                                   uint32_t* histogram) {
  if (ImageResult e = CheckRegion(r, h, samples)) return e;
  if (!histogram) return IMG_NULL_ARRAY;
  if (h->levels < 1) return IMG_BAD_PARAMETER;
  const int32_t levels = h->levels, top = levels - 1;
  std::memset(histogram, 0, size_t(levels) * sizeof(uint32_t));
  const ptrdiff_t step = ImageCols(h) / 256 + 1;
  if (h->colourType != kColourRgb) {
    SampleRegion(r, h, samples, step, [&](const int16_t* p) { ++histogram[ClampLevel(p[0], top)]; });
    return IMG_OK;
  }
  SampleRegion(r, h, samples, step, [&](const int16_t* p) {
    const double v = 0.114 * p[0] + 0.587 * p[1] + 0.299 * p[2] + 0.5;
    ++histogram[v >= levels ? top : v < 0 ? 0 : static_cast<int32_t>(v)];
  });
  return IMG_OK;
}

ImageResult ComputeRegionHistogramsRgb(const ImageRect* r, const ImageHeader* h, const int16_t* samples,
                                       uint32_t* red, uint32_t* green, uint32_t* blue) {
  if (!h) return IMG_NULL_ARRAY;
  if (h->colourType != kColourRgb) return IMG_BAD_PARAMETER;
  if (ImageResult e = CheckRegion(r, h, samples)) return e;
  if (!red || !green || !blue) return IMG_NULL_ARRAY;
  if (h->levels < 1) return IMG_BAD_PARAMETER;
  const int32_t top = h->levels - 1;
  for (uint32_t* hist : {red, green, blue}) std::memset(hist, 0, size_t(h->levels) * sizeof(uint32_t));
  SampleRegion(r, h, samples, ImageCols(h) / 1024 + 1, [&](const int16_t* p) {
    ++blue[ClampLevel(p[0], top)];
    ++green[ClampLevel(p[1], top)];
    ++red[ClampLevel(p[2], top)];
  });
  return IMG_OK;
}

ImageResult SummariseHistogram(const uint32_t* histogram, int32_t bins, int32_t* firstLevel, int32_t* lastLevel,
                               int32_t* peakLevel, int32_t* peakCount, double* peakFraction, double* rangeBits) {
  if (!histogram || !firstLevel || !lastLevel || !peakLevel || !peakCount || !peakFraction || !rangeBits)
    return IMG_NULL_ARRAY;
  if (bins < 2) return IMG_BAD_PARAMETER;
  int32_t first = 0, last = bins - 1, peak = 1;
  uint32_t peakN = histogram[1];
  uint64_t total = 0;
  bool seen = false;
  for (int32_t i = 1; i < bins; ++i) {
    const uint32_t n = histogram[i];
    total += n;
    if (n == 0) continue;
    if (!seen) first = i;
    seen = true;
    last = i;
    if (n > peakN) {
      peakN = n;
      peak = i;
    }
  }
  *firstLevel = first;
  *lastLevel = last;
  *peakLevel = peak;
  *peakCount = static_cast<int32_t>(peakN);
  *peakFraction = total ? static_cast<double>(peakN) / static_cast<double>(total) : 0.0;
  *rangeBits = std::log(std::abs(last - first) + 1.0) / std::log(2.0);
  return IMG_OK;
}

ImageResult FindHistogramPeak(const uint32_t* histogram, int32_t bins, int32_t* peakLevel) {
  if (!histogram || !peakLevel) return IMG_NULL_ARRAY;
  if (bins < 2) return IMG_BAD_PARAMETER;
  *peakLevel = static_cast<int32_t>(std::max_element(histogram + 1, histogram + bins) - histogram);
  return IMG_OK;
}

ImageResult AnalyseLevels(const uint32_t* histogram, int32_t bins, int32_t clipMode, int32_t upperIgnore,
                          int32_t lowerIgnore, LevelsRecord* out) {
  if (!histogram || !out) return IMG_NULL_ARRAY;
  if (bins < 1) return IMG_BAD_PARAMETER;
  int64_t sum = 0;
  int32_t minLevel = 0, maxLevel = bins - 1;
  for (int32_t i = 0; i < bins; ++i) {
    sum += histogram[i];
    if (sum > lowerIgnore) {
      minLevel = i;
      break;
    }
  }
  sum = 0;
  for (int32_t i = bins - 1; i >= 0; --i) {
    sum += histogram[i];
    if (sum > upperIgnore) {
      maxLevel = i;
      break;
    }
  }
  out->minLevel = minLevel;
  out->maxLevel = maxLevel;
  if (int64_t{maxLevel} - minLevel <= 1) {
    out->blackPoint = minLevel;
    out->whitePoint = maxLevel;
    out->peakLevel = minLevel;
    out->peakCount = bins;
    out->peakFraction = 1.0;
    out->rangeBits = 0.0;
    return IMG_OK;
  }

  // The bin maxLevel itself stays out of the total and the peak search.
  uint64_t total = 0;
  int32_t nonEmpty = 0, peak = minLevel, firstPeak = minLevel;
  uint32_t peakN = 0, largest = 0;
  bool climbing = true;
  for (int32_t i = minLevel; i < maxLevel; ++i) {
    const uint32_t n = histogram[i];
    total += n;
    nonEmpty += n != 0;
    if (climbing) {
      if (n >= largest) {
        largest = n;
        firstPeak = i;
      } else {
        climbing = false;
      }
    }
    if (n > peakN) {
      peakN = n;
      peak = i;
    }
  }
  out->firstPeakLevel = firstPeak;
  out->peakLevel = peak;
  out->peakCount = static_cast<int32_t>(peakN);
  out->peakFraction = total ? static_cast<double>(peakN) / static_cast<double>(total) : 0.0;
  out->rangeBits = std::log(nonEmpty + 1.0) / std::log(2.0);
  if (clipMode < 0 || clipMode > 7) return IMG_BAD_PARAMETER;

  out->blackPoint = minLevel;
  out->whitePoint = maxLevel;
  if (clipMode == 0) return IMG_OK;
  const double p = kClipFraction[clipMode];
  const double lowCount = std::floor(static_cast<double>(total) * p + 0.5);
  const double highCount = std::floor(static_cast<double>(total) * (1.0 - p) + 0.5);
  uint64_t above = 0;
  for (int32_t i = maxLevel; i >= minLevel; --i) {
    above += histogram[i];
    const double a = static_cast<double>(above);
    if (a >= highCount) break;
    if (a < lowCount) out->whitePoint = i;
    out->blackPoint = i;
  }
  return IMG_OK;
}

ImageResult ComputeRegionMean(const ImageRect* r, const ImageHeader* h, const int16_t* samples, double* mean,
                              double* spread) {
  if (!h) return IMG_NULL_ARRAY;
  if (!r || !RectInImage(r, h)) return IMG_BAD_RECT;
  if (!mean || !spread) return IMG_NULL_ARRAY;
  *mean = 0.0;
  *spread = 0.0;
  if (!samples) return IMG_NULL_IMAGE;
  const int64_t count = int64_t{r->w} * r->h;
  int64_t sum = 0;
  for (ptrdiff_t y = r->y; y < ptrdiff_t{r->y} + r->h; ++y) {
    const int16_t* p = samples + y * ImageCols(h) + r->x;
    for (int32_t x = 0; x < r->w; ++x) sum += p[x];
  }
  if (sum == 0) return IMG_OK;
  *mean = static_cast<double>(sum) / static_cast<double>(count);
  const int64_t m = static_cast<int64_t>(std::floor(*mean + 0.5));
  uint64_t squares = 0;
  for (ptrdiff_t y = r->y; y < ptrdiff_t{r->y} + r->h; ++y) {
    const int16_t* p = samples + y * ImageCols(h) + r->x;
    for (int32_t x = 0; x < r->w; ++x) squares += static_cast<uint64_t>((p[x] - m) * (p[x] - m));
  }
  if (squares != 0) *spread = std::sqrt(static_cast<double>(squares) / static_cast<double>(count - 1));
  return IMG_OK;
}
