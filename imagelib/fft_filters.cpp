#include "imagelib/fft_filters.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "imagelib/colour_channels.h"
#include "imagelib/fft_radix2.h"
#include "imagelib/mixfft.h"
#include "imagelib/primitives.h"
#include "imagelib/scratch.h"
#include "imagelib/statistics.h"

namespace {

constexpr double kDiagonal = 0.707107;   // weight of the diagonal directions

bool Transformable(int32_t n) {
  int32_t count = 0, factors[kMaxFftFactors];
  return FactoriseFftLength(n, &count, factors) == IMG_OK && factors[0] <= kMaxFftPrime;
}

// Weights of the spectrum, w x h, unshifted (entry 0 is the zero frequency).
void FilterWeights(double* weight, ptrdiff_t w, ptrdiff_t h, int32_t type) {
  const size_t n = size_t(w) * size_t(h);
  if (type == FFT_LOW_PASS) {
    // A Gaussian over the 32 lowest frequencies of each quadrant. Entry k and
    // entry n - k are the same frequency, so each entry is weighted by its
    // distance from the zero frequency the short way round: on planes under
    // 64 pixels the quadrants meet, and the low frequencies must not take
    // the weight of the high ones they share entries with.
    std::fill(weight, weight + n, 0.0);
    for (ptrdiff_t r = 0; r < h; ++r) {
      const ptrdiff_t i = std::min(r, h - r);
      if (i >= 32) continue;
      for (ptrdiff_t c = 0; c < w; ++c) {
        const ptrdiff_t j = std::min(c, w - c);
        if (j < 32) weight[r * w + c] = std::exp(-double(i * i + j * j) / 9.0);
      }
    }
    return;
  }
  std::fill(weight, weight + n, 1.0);
  for (ptrdiff_t r = 1; r < h; ++r) weight[r * w] = std::fabs(double(r - h / 2)) / (h * 0.5);
  if (type == FFT_STRIPES_BOTH)
    for (ptrdiff_t c = 1; c < w; ++c) weight[c] = std::fabs(double(c - w / 2)) / (w * 0.5);
}

// Reads the column c of a w-wide array into out (length h).
void GatherColumn(const double* a, ptrdiff_t w, ptrdiff_t h, ptrdiff_t c, double* out) {
  for (ptrdiff_t r = 0; r < h; ++r) out[r] = a[r * w + c];
}

// The nearest unmasked pixel from each pixel of the search box along one
// direction, built so that each pixel's neighbour in that direction is done
// first; -1 where the ray leaves the box without one.
void NearestAlong(int32_t* hit, const uint8_t* mask, ptrdiff_t w, ptrdiff_t rTop, ptrdiff_t rBottom, ptrdiff_t cLeft,
                  ptrdiff_t cRight, int dr, int dc) {
  const bool rowsUp = dr > 0, colsUp = dc > 0;   // walk against the direction
  for (ptrdiff_t k = 0; k <= rBottom - rTop; ++k) {
    const ptrdiff_t r = rowsUp ? rBottom - k : rTop + k;
    for (ptrdiff_t m = 0; m <= cRight - cLeft; ++m) {
      const ptrdiff_t c = colsUp ? cRight - m : cLeft + m;
      const ptrdiff_t qr = r + dr, qc = c + dc;
      int32_t found = -1;
      if (qr >= rTop && qr <= rBottom && qc >= cLeft && qc <= cRight) {
        const ptrdiff_t q = qr * w + qc;
        found = mask[q] ? hit[q] : static_cast<int32_t>(q);
      }
      hit[r * w + c] = found;
    }
  }
}

}  // namespace

int32_t TrimFftLength(int32_t n) {
  int32_t count = 0, factors[kMaxFftFactors];
  while (n > 2 && FactoriseFftLength(n, &count, factors) == IMG_OK && factors[0] >= 11) n -= 2;
  return n;
}

ImageResult EstimateBackgroundPlane(int16_t* dst, const int16_t* src, const ImageHeader* plane, double factor,
                                    int32_t mode, ProgressCallback progress) {
  if (!dst || !src || !plane) return IMG_NULL_ARRAY;
  const ptrdiff_t w = ImageCols(plane), h = ImageRows(plane);
  if (plane->levels < 2) return IMG_BAD_PARAMETER;
  if (w == 0 || h == 0) return IMG_OK;
  ScratchArray<uint32_t> hist{size_t(plane->levels)};
  ScratchArray<uint8_t> mask{size_t(w) * size_t(h)};
  if (!hist.p || !mask.p) return IMG_NO_MEMORY;
  ImageHeader grey = *plane;
  grey.colourType = 0;
  ImageRect box;
  MakeRect(&box, int32_t(w / 8), int32_t(h / 8), int32_t(3 * w / 4), int32_t(3 * h / 4));
  LevelsRecord levels;
  if (ImageResult e = ComputeRegionHistogram(&box, &grey, src, hist.p)) return e;
  if (ImageResult e = AnalyseLevels(hist.p, plane->levels, 1, 0, 0, &levels)) return e;
  const double black = levels.blackPoint;
  double threshold = std::floor((levels.peakLevel - black) * factor + 0.5) + black;
  if (!(threshold > black)) threshold = black + 1;
  for (ptrdiff_t i = 0; i < w * h; ++i) mask.p[i] = mode == 1 ? src[i] > dst[i] : src[i] > threshold;
  // Pixels written: rows and columns 2..size-3; rays search 1..size-3.
  if (w < 5 || h < 5) return IMG_OK;
  ScratchArray<int32_t> hit{size_t(w) * size_t(h)};
  ScratchArray<double> weightSum{size_t(w) * size_t(h)}, valueSum{size_t(w) * size_t(h)};
  if (!hit.p || !weightSum.p || !valueSum.p) return IMG_NO_MEMORY;
  // Up, up-left, left, down-left, down, down-right, right, up-right: each
  // pixel sums its eight rays in this order.
  constexpr int kSteps[8][2] = {{-1, 0}, {-1, -1}, {0, -1}, {1, -1}, {1, 0}, {1, 1}, {0, 1}, {-1, 1}};
  for (const auto& step : kSteps) {
    const int dr = step[0], dc = step[1];
    NearestAlong(hit.p, mask.p, w, 1, h - 3, 1, w - 3, dr, dc);
    const double unit = dr != 0 && dc != 0 ? kDiagonal : 1.0;
    for (ptrdiff_t r = 2; r <= h - 3; ++r)
      for (ptrdiff_t c = 2; c <= w - 3; ++c) {
        const ptrdiff_t p = r * w + c;
        if (!mask.p[p] || hit.p[p] < 0) continue;
        const ptrdiff_t q = hit.p[p];
        const ptrdiff_t k = std::max(std::abs(q / w - r), std::abs(q % w - c));
        const double weight = unit / double(k);
        weightSum.p[p] += weight;
        valueSum.p[p] += weight * src[q];
      }
  }
  const int32_t top = plane->levels - 1;
  for (ptrdiff_t r = 2; r <= h - 3; ++r) {
    if (progress) progress(int32_t(h - 4), 0);
    for (ptrdiff_t c = 2; c <= w - 3; ++c) {
      const ptrdiff_t p = r * w + c;
      dst[p] = !mask.p[p] || weightSum.p[p] == 0.0 ? src[p] : CutToLevel(valueSum.p[p] / weightSum.p[p], top);
    }
  }
  return IMG_OK;
}

ImageResult EstimateBackground(int16_t* dst, const int16_t* src, const ImageHeader* h, double factor, int32_t mode,
                               ProgressCallback progress) {
  if (!dst || !src || !h) return IMG_NULL_ARRAY;
  if (dst == src) return IMG_BAD_PARAMETER;
  if (h->colourType != kColourRgb) return EstimateBackgroundPlane(dst, src, h, factor, mode, progress);
  const size_t pixels = size_t(ImageCols(h)) * size_t(ImageRows(h));
  ScratchArray<int16_t> planes{6 * pixels};
  if (!planes.p) return IMG_NO_MEMORY;
  int16_t* in[3] = {planes.p, planes.p + pixels, planes.p + 2 * pixels};
  int16_t* out[3] = {planes.p + 3 * pixels, planes.p + 4 * pixels, planes.p + 5 * pixels};
  ExtractColourPlanes(src, h, 0, in[0], in[1], in[2]);
  if (mode == 1) ExtractColourPlanes(dst, h, 0, out[0], out[1], out[2]);   // the image to compare with
  ImageHeader plane = *h;
  plane.colourType = 0;
  for (int k = 0; k < 3; ++k)
    if (ImageResult e = EstimateBackgroundPlane(out[k], in[k], &plane, factor, mode, progress)) return e;
  return MergeColourPlanes(dst, h, 1, out[0], out[1], out[2]);
}

ImageResult FftFilterPlane(int16_t* dst, const int16_t* src, const ImageHeader* plane, int32_t type,
                           ProgressCallback progress) {
  if (!dst || !src || !plane) return IMG_NULL_ARRAY;
  if (type < FFT_STRIPES_BOTH || type > FFT_LOW_PASS || plane->levels < 1) return IMG_BAD_PARAMETER;
  const ptrdiff_t w = ImageCols(plane), h = ImageRows(plane);
  if (w == 0 || h == 0) return IMG_OK;
  if (!Transformable(int32_t(w)) || !Transformable(int32_t(h))) return IMG_BAD_PARAMETER;
  // Columns go through the transform a block at a time, so that reading and
  // writing them walks along rows.
  constexpr ptrdiff_t kBlock = 8;
  const size_t n = size_t(w) * size_t(h), side = size_t(std::max(w, h));
  ScratchArray<double> re{n}, im{n}, weight{n}, line{4 * side}, block{4 * kBlock * size_t(h)};
  ScratchArray<uint8_t> rowUsed{size_t(h)}, colUsed{size_t(w)};
  if (!re.p || !im.p || !weight.p || !line.p || !block.p || !rowUsed.p || !colUsed.p) return IMG_NO_MEMORY;
  double* inRe = line.p;
  double* inIm = line.p + side;
  double* blockInRe = block.p;
  double* blockInIm = block.p + kBlock * h;
  double* blockOutRe = block.p + 2 * kBlock * h;
  double* blockOutIm = block.p + 3 * kBlock * h;
  FilterWeights(weight.p, w, h, type);
  // Columns and rows whose weights are all 0 come out 0 whatever they held:
  // their transforms are skipped (the low-pass keeps about 63 of each).
  for (ptrdiff_t r = 0; r < h; ++r)
    for (ptrdiff_t c = 0; c < w; ++c)
      if (weight.p[r * w + c] != 0.0) rowUsed.p[r] = colUsed.p[c] = 1;
  const int32_t steps = int32_t(std::min<int64_t>((int64_t{w} + h) * 2, INT32_MAX));
  const int32_t W = int32_t(w), H = int32_t(h);
  const int32_t top = plane->levels - 1;

  // Transforms of the columns c0 .. c0 + count - 1 of (re, sign x im) into
  // the block's outputs, column b at blockOut + b x h.
  auto columnBlock = [&](ptrdiff_t c0, ptrdiff_t count, double sign) {
    for (ptrdiff_t r = 0; r < h; ++r)
      for (ptrdiff_t b = 0; b < count; ++b) {
        blockInRe[b * h + r] = re.p[r * w + c0 + b];
        blockInIm[b * h + r] = sign * im.p[r * w + c0 + b];
      }
    for (ptrdiff_t b = 0; b < count; ++b)
      MixedRadixFft(H, blockInRe + b * h, blockInIm + b * h, blockOutRe + b * h, blockOutIm + b * h);
  };

  for (ptrdiff_t r = 0; r < h; ++r) {
    if (progress) progress(steps, 0);
    for (ptrdiff_t c = 0; c < w; ++c) {
      inRe[c] = src[r * w + c];
      inIm[c] = 0.0;
    }
    MixedRadixFft(W, inRe, inIm, re.p + r * w, im.p + r * w);
    for (ptrdiff_t c = 0; c < w; ++c) {
      re.p[r * w + c] /= double(w);
      im.p[r * w + c] /= double(w);
    }
  }
  for (ptrdiff_t c0 = 0; c0 < w; c0 += kBlock) {
    const ptrdiff_t count = std::min(kBlock, w - c0);
    for (ptrdiff_t b = 0; b < count; ++b)
      if (progress) progress(steps, 0);
    if (std::none_of(colUsed.p + c0, colUsed.p + c0 + count, [](uint8_t u) { return u != 0; })) continue;
    columnBlock(c0, count, 1.0);
    for (ptrdiff_t r = 0; r < h; ++r)
      for (ptrdiff_t b = 0; b < count; ++b) {
        re.p[r * w + c0 + b] = blockOutRe[b * h + r] / double(h);
        im.p[r * w + c0 + b] = blockOutIm[b * h + r] / double(h);
      }
  }
  for (size_t i = 0; i < n; ++i) {   // a weight of 0 clears what a skipped column left
    re.p[i] = weight.p[i] == 0.0 ? 0.0 : re.p[i] * weight.p[i];
    im.p[i] = weight.p[i] == 0.0 ? 0.0 : im.p[i] * weight.p[i];
  }
  // Back: forward transforms of the conjugate, rows then columns.
  for (ptrdiff_t r = 0; r < h; ++r) {
    if (progress) progress(steps, 0);
    if (!rowUsed.p[r]) continue;   // all zero already
    for (ptrdiff_t c = 0; c < w; ++c) {
      inRe[c] = re.p[r * w + c];
      inIm[c] = -im.p[r * w + c];
    }
    MixedRadixFft(W, inRe, inIm, re.p + r * w, im.p + r * w);
  }
  for (ptrdiff_t c0 = 0; c0 < w; c0 += kBlock) {
    const ptrdiff_t count = std::min(kBlock, w - c0);
    for (ptrdiff_t b = 0; b < count; ++b)
      if (progress) progress(steps, 0);
    columnBlock(c0, count, -1.0);
    // A forward transform returns entry k for row -k: put each row back in
    // its own place.
    for (ptrdiff_t k = 0; k < h; ++k) {
      int16_t* out = dst + ((h - k) % h) * w + c0;
      for (ptrdiff_t b = 0; b < count; ++b) {
        const double vRe = blockOutRe[b * h + k], vIm = blockOutIm[b * h + k];
        out[b] = CutToLevel(std::sqrt(vRe * vRe + vIm * vIm), top);
      }
    }
  }
  return IMG_OK;
}

ImageResult FftFilterImage(int16_t* dst, const int16_t* src, const ImageHeader* h, double gain,
                           ProgressCallback progress) {
  if (!dst || !src || !h) return IMG_NULL_ARRAY;
  if (dst == src || !std::isfinite(gain) || h->levels < 1) return IMG_BAD_PARAMETER;
  const ptrdiff_t width = ImageCols(h), height = ImageRows(h), spp = SamplesPerPixel(h);
  if (width == 0 || height == 0) return IMG_OK;
  const int32_t w = TrimFftLength(int32_t(width)), ht = TrimFftLength(int32_t(height));
  const ptrdiff_t dx = (width - w) / 2, dy = (height - ht) / 2;
  const size_t pixels = size_t(w) * size_t(ht);
  ScratchArray<int16_t> block{pixels * size_t(spp)};
  if (!block.p) return IMG_NO_MEMORY;
  ImageRect centre;
  MakeRect(&centre, int32_t(dx), int32_t(dy), w, ht);
  CopyImageRect(block.p, src, h, &centre);
  ImageHeader blockHeader = *h;
  blockHeader.width = w;
  blockHeader.height = ht;
  if (spp == 1) {
    if (ImageResult e = FftFilterPlane(block.p, block.p, &blockHeader, FFT_LOW_PASS, progress)) return e;
  } else {
    ScratchArray<int16_t> planes{3 * pixels};
    if (!planes.p) return IMG_NO_MEMORY;
    int16_t* p[3] = {planes.p, planes.p + pixels, planes.p + 2 * pixels};
    ExtractColourPlanes(block.p, &blockHeader, 0, p[0], p[1], p[2]);
    ImageHeader plane = blockHeader;
    plane.colourType = 0;
    for (int k = 0; k < 3; ++k)
      if (ImageResult e = FftFilterPlane(p[k], p[k], &plane, FFT_LOW_PASS, progress)) return e;
    MergeColourPlanes(block.p, &blockHeader, 1, p[0], p[1], p[2]);
  }
  // The block back in its place, its edge pixels repeated out to the image's
  // edges, and the gain on every sample.
  const int32_t top = h->levels - 1;
  for (ptrdiff_t y = 0; y < height; ++y) {
    const ptrdiff_t by = std::clamp<ptrdiff_t>(y - dy, 0, ht - 1);
    const int16_t* in = block.p + by * w * spp;
    int16_t* out = dst + y * width * spp;
    for (ptrdiff_t x = 0; x < width; ++x) {
      const ptrdiff_t bx = std::clamp<ptrdiff_t>(x - dx, 0, w - 1);
      for (ptrdiff_t k = 0; k < spp; ++k) {
        const double v = std::trunc(in[bx * spp + k] * gain + 0.5);
        out[x * spp + k] = static_cast<int16_t>(std::clamp(v, 0.0, double(top)));
      }
    }
  }
  return IMG_OK;
}

ImageResult FftRegion(double** re, double** im, const int16_t* samples, const ImageRect* r, int32_t mode) {
  if (!re || !im || !samples || !r) return IMG_NULL_ARRAY;
  const int32_t w = r->w, h = r->h;
  auto powerOfTwo = [](int32_t n) { return n >= 1 && n <= 32768 && (n & (n - 1)) == 0; };
  if (!powerOfTwo(w) || !powerOfTwo(h) || (mode != 0 && mode != 1)) return IMG_BAD_PARAMETER;
  const size_t n = size_t(w) * size_t(h);
  double* outRe = static_cast<double*>(AllocArray(n, sizeof(double)));
  double* outIm = static_cast<double*>(AllocArray(n, sizeof(double)));
  ScratchArray<double> column{2 * size_t(h)};
  if (!outRe || !outIm || !column.p) {
    FreeMem(&outRe);
    FreeMem(&outIm);
    return IMG_NO_MEMORY;
  }
  for (size_t i = 0; i < n; ++i) outRe[i] = samples[i];
  ImageResult e = IMG_OK;
  for (int32_t y = 0; y < h && e == IMG_OK; ++y) e = FftRadix2InPlace(outRe + ptrdiff_t{y} * w, outIm + ptrdiff_t{y} * w, w, 1);
  double* colRe = column.p;
  double* colIm = column.p + h;
  for (int32_t x = 0; x < w && e == IMG_OK; ++x) {
    GatherColumn(outRe, w, h, x, colRe);
    GatherColumn(outIm, w, h, x, colIm);
    e = FftRadix2InPlace(colRe, colIm, h, 1);
    for (int32_t y = 0; y < h; ++y) {
      outRe[ptrdiff_t{y} * w + x] = colRe[y];
      outIm[ptrdiff_t{y} * w + x] = mode == 1 ? -colIm[y] : colIm[y];
    }
  }
  if (e != IMG_OK) {   // no trigonometric tables
    FreeMem(&outRe);
    FreeMem(&outIm);
    return e;
  }
  *re = outRe;
  *im = outIm;
  return IMG_OK;
}

ImageResult FindCorrelationPeak(double* peak, int32_t* x, int32_t* y, const double* reA, const double* imA,
                                const double* reB, const double* imB, const ImageRect* r) {
  if (!peak || !x || !y || !reA || !imA || !reB || !imB || !r) return IMG_NULL_ARRAY;
  if (r->w < 1 || r->h < 1) return IMG_BAD_RECT;
  const ptrdiff_t n = ptrdiff_t{r->w} * r->h;
  double best = -1.0;
  ptrdiff_t at = 0;
  for (ptrdiff_t i = 0; i < n; ++i) {
    const double pr = reA[i] * reB[i] - imA[i] * imB[i];
    const double pi = reA[i] * imB[i] + imA[i] * reB[i];
    const double power = pr * pr + pi * pi;
    if (power > best) {
      best = power;
      at = i;
    }
  }
  *peak = std::sqrt(best);
  *x = static_cast<int32_t>(at % r->w);
  *y = static_cast<int32_t>(at / r->w);
  return IMG_OK;
}
