#include "imagelib/summation.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <utility>

#include "imagelib/colour_channels.h"
#include "imagelib/primitives.h"
#include "imagelib/statistics.h"
#include "imagelib/work_memory.h"

namespace {

constexpr int32_t kObjectMark = 127;
constexpr int32_t kInnerMargin = 20;   // the mask and the comparison keep off the frame's edge

// One sum row: frame samples in, sum words and counts updated by mode.
template <int kSpp, int kMode>
void AddRow(const int16_t* in, int32_t* sum, uint32_t* count, ptrdiff_t pixels, int32_t cap) {
  if constexpr (kMode == 0) {
    // Adding: the sums sample by sample without branches, then the counts.
    for (ptrdiff_t i = 0; i < pixels * kSpp; ++i) {
      const int32_t s = in[i], add = s > 0 ? s : 0;
      sum[i] = sum[i] > INT32_MAX - add ? INT32_MAX : sum[i] + add;
    }
    for (ptrdiff_t x = 0; x < pixels; ++x) {
      uint32_t took = 0;
      for (int c = 0; c < kSpp; ++c) took |= in[x * kSpp + c] > 0;
      count[x] += took;
    }
    return;
  }
  for (ptrdiff_t x = 0; x < pixels; ++x, in += kSpp, sum += kSpp) {
    bool took = false;
    for (int c = 0; c < kSpp; ++c) {
      const int32_t s = in[c];
      if constexpr (kMode == 1) {
        if (s > 0 && s > sum[c]) {
          sum[c] = s;
          took = true;
        }
      } else {
        if (s > 0) {
          sum[c] = static_cast<int32_t>(std::min<int64_t>(int64_t{sum[c]} + s, cap));
          took = true;
        }
      }
    }
    if (took) count[x] = 1;
  }
}

template <int kSpp>
void AddRowByMode(int32_t mode, const int16_t* in, int32_t* sum, uint32_t* count, ptrdiff_t pixels, int32_t cap) {
  switch (mode) {
    case 0: AddRow<kSpp, 0>(in, sum, count, pixels, cap); break;
    case 1: AddRow<kSpp, 1>(in, sum, count, pixels, cap); break;
    default: AddRow<kSpp, 2>(in, sum, count, pixels, cap); break;
  }
}

// Overlap [lo, hi) of the window [a, b) with the same window moved by d.
void Overlap(int64_t a, int64_t b, int64_t d, int64_t* lo, int64_t* hi) {
  *lo = std::max(a, a + d);
  *hi = std::min(b, b + d);
}

}  // namespace

ImageResult AddShiftedFrame(const ImageRect* window, const int32_t shift[2], const ImageHeader* frame,
                            const int16_t* framePixels, const ImageHeader* sum, int32_t* sum32, uint32_t* counts,
                            int32_t frameNumber, int32_t reserved, int32_t mode) {
  (void)reserved;
  if (frameNumber < 0) return IMG_BAD_PARAMETER;
  if (!framePixels) return IMG_NULL_ARRAY;
  if (!sum32 || !counts || !shift || !frame || !sum) return IMG_NULL_ARRAY;
  if (!window || !RectInImage(window, frame) || !RectInImage(window, sum)) return IMG_BAD_RECT;
  if (frame->width != sum->width || frame->height != sum->height ||
      SamplesPerPixel(frame) != SamplesPerPixel(sum))
    return IMG_BAD_PARAMETER;
  if (mode < 0 || mode > 2) return IMG_OK;
  if (mode == 2 && frame->levels < 1) return IMG_BAD_PARAMETER;

  int64_t x0, x1, y0, y1;
  Overlap(window->x, int64_t{window->x} + window->w, shift[0], &x0, &x1);
  Overlap(window->y, int64_t{window->y} + window->h, shift[1], &y0, &y1);
  if (x1 <= x0 || y1 <= y0) return IMG_OK;
  const ptrdiff_t W = ImageCols(frame), spp = SamplesPerPixel(frame);
  const ptrdiff_t pixels = static_cast<ptrdiff_t>(x1 - x0);
  const int32_t cap = frame->levels - 1;
  for (ptrdiff_t Y = static_cast<ptrdiff_t>(y0); Y < y1; ++Y) {
    const int16_t* in = framePixels + ((Y - shift[1]) * W + (x0 - shift[0])) * spp;
    int32_t* out = sum32 + (Y * W + x0) * spp;
    uint32_t* count = counts + Y * W + x0;
    if (spp == 3)
      AddRowByMode<3>(mode, in, out, count, pixels, cap);
    else
      AddRowByMode<1>(mode, in, out, count, pixels, cap);
  }
  return IMG_OK;
}

ImageResult DivideSumByCount(const ImageHeader* sum, const ImageHeader* dst, int16_t* dstPixels, const int32_t* sum32,
                             const uint32_t* counts, int32_t mode, const ImageRect* rect) {
  if (!dstPixels || !sum32 || !counts || !sum || !dst) return IMG_NULL_ARRAY;
  if (mode == 1 && (!rect || !RectInImage(rect, sum))) return IMG_BAD_RECT;
  if (mode < 0 || mode > 3) return IMG_OK;
  const ptrdiff_t W = ImageCols(sum), H = ImageRows(sum), spp = SamplesPerPixel(sum);
  const ptrdiff_t DW = ImageCols(dst), DH = ImageRows(dst);
  // Output pixel (i, j) gathers the f x f sum pixels from (ox + f i, oy + f j).
  ptrdiff_t f = 1, ox = 0, oy = 0, ow = W, oh = H;
  if (mode == 1) {
    ox = rect->x;
    oy = rect->y;
    ow = rect->w;
    oh = rect->h;
  } else if (mode >= 2) {
    f = mode == 2 ? 2 : 4;
    ow = W / f;
    oh = H / f;
  }
  const bool fits = mode == 0 ? DW == W && DH == H : ow <= DW && oh <= DH;
  if (!fits || SamplesPerPixel(dst) != spp) return IMG_BAD_PARAMETER;
  const int16_t fill[3] = {spp == 3 ? dst->fillBlue : dst->fillRed, dst->fillGreen, dst->fillRed};
  const ptrdiff_t outStride = mode == 0 ? W : DW;

  for (ptrdiff_t j = 0; j < oh; ++j) {
    int16_t* out = dstPixels + j * outStride * spp;
    for (ptrdiff_t i = 0; i < ow; ++i, out += spp) {
      int64_t total[3] = {};
      int64_t used = 0;
      for (ptrdiff_t by = 0; by < f; ++by) {
        const ptrdiff_t p0 = (oy + j * f + by) * W + ox + i * f;
        for (ptrdiff_t bx = 0; bx < f; ++bx) {
          const int64_t n = counts[p0 + bx];
          if (n == 0) continue;
          const int32_t* s = sum32 + (p0 + bx) * spp;
          for (ptrdiff_t c = 0; c < spp; ++c) total[c] += s[c] / n;
          ++used;
        }
      }
      for (ptrdiff_t c = 0; c < spp; ++c)
        out[c] = used ? static_cast<int16_t>(total[c] / used) : fill[c];
    }
  }
  return IMG_OK;
}

namespace {

struct Span {
  ptrdiff_t x0, x1, y0, y1;   // [x0, x1) x [y0, y1)
};

// One erosion or dilation of the mask into `out`, over the pixels of
// `region` (which must hold every pixel the pass can change; `out` keeps the
// rest). The pass visits the pixels of `visit`: an eroding one clears the
// 3 x 3 neighbourhood of each visited unmarked pixel, a dilating one marks
// the neighbourhood of each visited marked pixel. As a 3 x 3 minimum (or
// maximum) of the mask, unvisited pixels counting as marked (or unmarked),
// it runs as a pass along the rows and one down the columns. `rows` is work
// room for (region height + 3) x (region width + 2) bytes.
void MorphPass(const uint8_t* in, uint8_t* out, ptrdiff_t W, const Span& visit, const Span& region, bool dilate,
               uint8_t* rows) {
  const uint8_t neutral = dilate ? 0 : kObjectMark;
  const ptrdiff_t w = region.x1 - region.x0;
  uint8_t* seen = rows + (region.y1 - region.y0 + 2) * w;   // one row as the pass sees it, one pixel wider each side
  for (ptrdiff_t y = region.y0 - 1; y < region.y1 + 1; ++y) {
    uint8_t* h = rows + (y - region.y0 + 1) * w;
    const bool rowVisited = y >= visit.y0 && y < visit.y1;
    // [region.x0 - 1, region.x1 + 1) as seen: the visited part from the mask.
    std::memset(seen, neutral, static_cast<size_t>(w + 2));
    const ptrdiff_t a = std::max(region.x0 - 1, visit.x0), b = std::min(region.x1 + 1, visit.x1);
    if (rowVisited && a < b) std::memcpy(seen + (a - region.x0 + 1), in + y * W + a, static_cast<size_t>(b - a));
    if (dilate)
      for (ptrdiff_t i = 0; i < w; ++i) h[i] = std::max(std::max(seen[i], seen[i + 1]), seen[i + 2]);
    else
      for (ptrdiff_t i = 0; i < w; ++i) h[i] = std::min(std::min(seen[i], seen[i + 1]), seen[i + 2]);
  }
  for (ptrdiff_t y = region.y0; y < region.y1; ++y) {
    const uint8_t* up = rows + (y - region.y0) * w;
    const uint8_t* mid = up + w;
    const uint8_t* down = mid + w;
    const uint8_t* src = in + y * W + region.x0;
    uint8_t* dst = out + y * W + region.x0;
    if (dilate)
      for (ptrdiff_t i = 0; i < w; ++i) dst[i] = std::max(std::max(src[i], up[i]), std::max(mid[i], down[i]));
    else
      for (ptrdiff_t i = 0; i < w; ++i) dst[i] = std::min(std::min(src[i], up[i]), std::min(mid[i], down[i]));
  }
}

// Bounding span of the marked pixels inside `area`; {0, 0, 0, 0} when none.
Span MarkedSpan(const uint8_t* mask, ptrdiff_t W, const Span& area) {
  Span s = {area.x1, area.x0, area.y1, area.y0};
  const ptrdiff_t w = area.x1 - area.x0;
  for (ptrdiff_t y = area.y0; y < area.y1 && w > 0; ++y) {
    const uint8_t* row = mask + y * W + area.x0;
    const auto* first = static_cast<const uint8_t*>(std::memchr(row, kObjectMark, static_cast<size_t>(w)));
    if (!first) continue;
    // The last mark, eight bytes at a time from the end while they are 0.
    ptrdiff_t last = w;
    for (uint64_t word = 0; last >= 8; last -= 8) {
      std::memcpy(&word, row + last - 8, 8);
      if (word != 0) break;
    }
    do --last;
    while (row[last] == 0);
    s.x0 = std::min(s.x0, area.x0 + (first - row));
    s.x1 = std::max(s.x1, area.x0 + last + 1);
    s.y0 = std::min(s.y0, y);
    s.y1 = y + 1;
  }
  return s.x1 > s.x0 ? s : Span{0, 0, 0, 0};
}

// Marks the pixels of one row whose value exceeds the threshold: grey
// samples, or the luminance 0.114 B + 0.587 G + 0.299 R + 0.5 cut to an
// integer. In thousandths that luminance is an exact integer, and the doubles
// differ from it by far less than a thousandth, so only a value of exactly
// threshold + 1 (or a negative one) needs the doubles to decide. Most of a
// frame is sky: a run of pixels whose brightest sample keeps even 1000 x
// that sample + 500 below threshold + 1 thousandths holds no marked pixel.
template <bool kColour>
void MarkRow(const int16_t* p, uint8_t* out, ptrdiff_t count, double threshold) {
  if constexpr (!kColour) {
    // A whole sample exceeds the threshold when it exceeds its whole part.
    const auto limit = static_cast<int32_t>(std::clamp(std::floor(threshold), -32769.0, 32767.0));
    for (ptrdiff_t x = 0; x < count; ++x) out[x] = p[x] > limit ? kObjectMark : 0;
  } else {
    const bool exact = threshold >= 0.0 && threshold < 32768.0;
    const int32_t above = exact ? (static_cast<int32_t>(threshold) + 1) * 1000 : 0;
    constexpr ptrdiff_t kRun = 16;
    for (ptrdiff_t x0 = 0; x0 < count; x0 += kRun) {
      const ptrdiff_t x1 = std::min(x0 + kRun, count);
      if (exact) {
        int16_t brightest = INT16_MIN;
        for (ptrdiff_t i = 3 * x0; i < 3 * x1; ++i) brightest = std::max(brightest, p[i]);
        if (1000 * brightest + 500 < above) {
          std::memset(out + x0, 0, static_cast<size_t>(x1 - x0));
          continue;
        }
      }
      for (ptrdiff_t x = x0; x < x1; ++x) {
        const int32_t b = p[3 * x], g = p[3 * x + 1], r = p[3 * x + 2];
        const int32_t milli = 114 * b + 587 * g + 299 * r + 500;
        if (exact && milli != above && milli >= 0) {
          out[x] = milli > above ? kObjectMark : 0;
          continue;
        }
        const auto v = static_cast<int32_t>(0.114 * b + 0.587 * g + 0.299 * r + 0.5);
        out[x] = v > threshold ? kObjectMark : 0;
      }
    }
  }
}

}  // namespace

ImageResult BuildObjectMask(double* rangeBits, double* spread, uint8_t** mask, ImageRect* box, const int16_t* pixels,
                            const ImageHeader* h, double fraction) {
  if (!pixels) return IMG_NULL_ARRAY;
  if (!rangeBits || !spread || !mask || !box || !h) return IMG_NULL_ARRAY;
  *rangeBits = 0.0;
  *spread = 0.0;
  *mask = nullptr;
  fraction = std::clamp(fraction, 0.1, 1.0);
  const ptrdiff_t W = ImageCols(h), H = ImageRows(h);
  auto* m = static_cast<uint8_t*>(AllocArray(static_cast<size_t>(W * H), 1));
  auto* hist = AllocWorkOf<uint32_t>(static_cast<size_t>(std::max(h->levels, 1)));
  if (!m || !hist) {
    FreeMem(&m);
    FreeWork(&hist);
    return IMG_NO_MEMORY;
  }
  const ImageRect inner = {kInnerMargin, kInnerMargin, h->width - 2 * kInnerMargin, h->height - 2 * kInnerMargin};
  LevelsRecord levels;
  if (ComputeRegionHistogram(&inner, h, pixels, hist) != IMG_OK ||
      AnalyseLevels(hist, h->levels, 1, 0, 0, &levels) != IMG_OK) {
    FreeMem(&m);
    FreeWork(&hist);
    return IMG_NULL_ARRAY;
  }
  FreeWork(&hist);
  *rangeBits = levels.rangeBits;
  *spread = levels.whitePoint - levels.peakLevel;
  const double threshold = std::floor(levels.peakLevel + *spread * fraction + 0.5);

  const Span area = {inner.x, inner.x + inner.w, inner.y, inner.y + inner.h};
  const bool colour = h->colourType == kColourRgb;
  for (ptrdiff_t y = area.y0; y < area.y1; ++y) {
    const int16_t* p = pixels + (y * W + area.x0) * (colour ? 3 : 1);
    if (colour)
      MarkRow<true>(p, m + y * W + area.x0, area.x1 - area.x0, threshold);
    else
      MarkRow<false>(p, m + y * W + area.x0, area.x1 - area.x0, threshold);
  }

  // Opening: the passes visit the inside less its outermost ring, so they
  // change nothing beyond the inside. An erosion changes only marked pixels;
  // a dilation only pixels next to them.
  const Span visit = {area.x0 + 1, area.x1 - 1, area.y0 + 1, area.y1 - 1};
  Span marked = MarkedSpan(m, W, area);
  auto* copy = static_cast<uint8_t*>(AllocArray(static_cast<size_t>(W * H), 1));
  auto* rows =
      static_cast<uint8_t*>(AllocArray(static_cast<size_t>((area.y1 - area.y0 + 3) * (area.x1 - area.x0 + 2)), 1));
  if (copy && rows) {
    // Both buffers agree outside `marked` (0 there), so only that part is
    // carried over, to begin with and after each pass. The erosion takes
    // the noise away, so the marks left span little more than the object.
    auto carryOver = [&](const uint8_t* from, uint8_t* to) {
      for (ptrdiff_t y = marked.y0; y < marked.y1; ++y)
        std::memcpy(to + y * W + marked.x0, from + y * W + marked.x0, static_cast<size_t>(marked.x1 - marked.x0));
    };
    carryOver(m, copy);
    for (int pass = 0; pass < 5 && marked.x1 > marked.x0; ++pass) {
      const bool dilate = pass > 0;
      if (dilate)
        marked = {std::max(marked.x0 - 1, area.x0), std::min(marked.x1 + 1, area.x1), std::max(marked.y0 - 1, area.y0),
                  std::min(marked.y1 + 1, area.y1)};
      MorphPass(m, copy, W, visit, marked, dilate, rows);
      std::swap(m, copy);
      carryOver(m, copy);
      if (!dilate) marked = MarkedSpan(m, W, marked);
    }
    marked = MarkedSpan(m, W, marked);
  }
  FreeMem(&copy);
  FreeMem(&rows);
  if (marked.x1 > marked.x0)
    *box = {static_cast<int32_t>(marked.x0), static_cast<int32_t>(marked.y0),
            static_cast<int32_t>(marked.x1 - 1 - marked.x0), static_cast<int32_t>(marked.y1 - 1 - marked.y0)};
  else
    *box = {h->width, h->height, -h->width, -h->height};
  *mask = m;
  return IMG_OK;
}

ImageResult CompareWithReference(double* correlation, const int16_t* frame, const int16_t* reference,
                                 const ImageHeader* h, int32_t smooth, const int32_t shift[2],
                                 const ImageRect* window) {
  if (!correlation || !frame || !reference) return IMG_NULL_ARRAY;
  *correlation = 0.0;
  if (!h || !shift) return IMG_NULL_ARRAY;
  if (window && !RectInImage(window, h)) return IMG_BAD_RECT;
  const ptrdiff_t W = ImageCols(h), H = ImageRows(h);
  const int64_t dx = shift[0], dy = shift[1];
  if (std::abs(dx) > W / 2 || std::abs(dy) > H / 2) return IMG_OK;

  auto* a = AllocWorkOf<int16_t>(static_cast<size_t>(W * H));
  auto* b = AllocWorkOf<int16_t>(static_cast<size_t>(W * H));
  uint8_t* mask = nullptr;
  auto release = [&](ImageResult r) {
    FreeWork(&a);
    FreeWork(&b);
    FreeMem(&mask);
    return r;
  };
  if (!a || !b) return release(IMG_NO_MEMORY);
  ImageHeader work = *h;
  work.colourType = 0;
  if (h->colourType == kColourRgb) {
    RgbToLuminance(frame, h, a);
    RgbToLuminance(reference, h, b);
  } else {
    std::memcpy(a, frame, static_cast<size_t>(W * H) * sizeof(int16_t));
    std::memcpy(b, reference, static_cast<size_t>(W * H) * sizeof(int16_t));
  }
  if (smooth == 1) {
    const ImageRect all = {0, 0, h->width, h->height};
    SmoothRect(a, a, &work, &all, 11);
  }

  Span region;
  if (window) {
    region = {window->x, window->x + ptrdiff_t{window->w}, window->y, window->y + ptrdiff_t{window->h}};
  } else {
    double rangeBits, spread;
    ImageRect box;
    // Any failure of the mask (also a frame too small for its inner part)
    // counts as missing work memory.
    if (BuildObjectMask(&rangeBits, &spread, &mask, &box, a, &work, 0.2) != IMG_OK) return release(IMG_NO_MEMORY);
    region = {static_cast<ptrdiff_t>(kInnerMargin + std::max<int64_t>(0, -dx)),
              static_cast<ptrdiff_t>(W - kInnerMargin - std::max<int64_t>(0, dx)),
              static_cast<ptrdiff_t>(kInnerMargin + std::max<int64_t>(0, -dy)),
              static_cast<ptrdiff_t>(H - kInnerMargin - std::max<int64_t>(0, dy))};
  }
  // Pixels whose partner lies in the image (and, without a window, on the object).
  region.x0 = std::max<ptrdiff_t>(region.x0, static_cast<ptrdiff_t>(-dx));
  region.x1 = std::min<ptrdiff_t>(region.x1, static_cast<ptrdiff_t>(W - dx));
  region.y0 = std::max<ptrdiff_t>(region.y0, static_cast<ptrdiff_t>(-dy));
  region.y1 = std::min<ptrdiff_t>(region.y1, static_cast<ptrdiff_t>(H - dy));
  auto forPairs = [&](auto visit) {
    for (ptrdiff_t y = region.y0; y < region.y1; ++y) {
      const int16_t* pa = a + y * W;
      const int16_t* pb = b + (y + dy) * W + dx;
      const uint8_t* pm = mask ? mask + y * W : nullptr;
      for (ptrdiff_t x = region.x0; x < region.x1; ++x)
        if (!pm || pm[x]) visit(pa[x], pb[x]);
    }
  };
  int64_t n = 0, sumA = 0, sumB = 0;
  forPairs([&](int32_t va, int32_t vb) {
    ++n;
    sumA += va;
    sumB += vb;
  });
  if (n == 0) return release(IMG_OK);
  const double meanA = static_cast<double>(sumA) / n, meanB = static_cast<double>(sumB) / n;
  double varA = 0.0, varB = 0.0, cov = 0.0;
  forPairs([&](int32_t va, int32_t vb) {
    varA += (va - meanA) * (va - meanA);
    varB += (vb - meanB) * (vb - meanB);
    cov += (va - meanA) * (vb - meanB);
  });
  varA /= n;
  varB /= n;
  cov /= n;
  if (varA * varB > 0.0) *correlation = cov / std::sqrt(varA * varB);
  return release(IMG_OK);
}
