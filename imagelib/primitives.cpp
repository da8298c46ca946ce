#include "imagelib/primitives.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "imagelib/whole_division.h"
#include "imagelib/work_memory.h"

namespace {

// First sample of pixel (x, y).
inline const int16_t* PixelAt(const int16_t* p, const ImageHeader* h, ptrdiff_t x, ptrdiff_t y) {
  const ptrdiff_t spp = SamplesPerPixel(h);
  return p + (y * ImageCols(h) + x) * spp;
}

ImageResult CheckRect(const int16_t* dst, const int16_t* src, const ImageHeader* h, const ImageRect* r) {
  if (!h) return IMG_NULL_ARRAY;
  if (!r || !RectInImage(r, h)) return IMG_BAD_RECT;
  if (!src || !dst) return IMG_NULL_ARRAY;
  return IMG_OK;
}

// Rows of one field kept, the rows of the other parity rebuilt from the kept
// rows around them. Reads only rows of parity `keep`, so dst may be src.
void BuildField(int16_t* dst, const int16_t* src, ptrdiff_t rowLen, ptrdiff_t rows, int keep) {
  const size_t bytes = rowLen * sizeof(int16_t);
  for (ptrdiff_t r = 0; r < rows; ++r) {
    int16_t* out = dst + r * rowLen;
    const int16_t* in = src + r * rowLen;
    if ((r & 1) == keep) {
      if (out != in) std::memcpy(out, in, bytes);
    } else if (r == 0) {
      std::memmove(out, src + rowLen, bytes);
    } else if (r + 1 < rows) {
      const int16_t* above = in - rowLen;
      const int16_t* below = in + rowLen;
      for (ptrdiff_t i = 0; i < rowLen; ++i) out[i] = static_cast<int16_t>((above[i] + below[i]) / 2);
    } else {
      std::memmove(out, in - rowLen, bytes);
    }
  }
}

// Triangular sums along one row of N-sample pixels, for the pixels
// first..last-1, written to sums[(i - first) * N + k]; prefix holds room for
// (last - first + 2 R + 2) N running sums.
template <int N>
void TriangleRow(const int16_t* in, ptrdiff_t first, ptrdiff_t last, int R, int32_t* sums, uint32_t* prefix) {
  // The triangle is a box of R + 1 run over by another: with Q the running
  // sum of the running sums of the samples from first - R on, T(i) is the
  // second difference Q[i + R + 2] - 2 Q[i + 1] + Q[i - R] (local indices).
  // The running sums wrap in 32 bits; the difference, below 2^31, does not.
  const int16_t* x = in + (first - R) * N;
  const ptrdiff_t n = last - first + 2 * R;
  uint32_t p[N] = {}, q[N] = {};
  for (int k = 0; k < N; ++k) prefix[k] = 0;
  for (ptrdiff_t j = 0; j <= n; ++j) {
    for (int k = 0; k < N; ++k) {
      q[k] += p[k];
      prefix[(j + 1) * N + k] = q[k];
      if (j < n) p[k] += static_cast<uint32_t>(static_cast<int32_t>(x[j * N + k]));
    }
  }
  const ptrdiff_t count = (last - first) * N;
  const uint32_t* hi = prefix + (2 * R + 2) * N;
  const uint32_t* mid = prefix + (R + 1) * N;
  for (ptrdiff_t i = 0; i < count; ++i) sums[i] = static_cast<int32_t>(hi[i] - 2 * mid[i] + prefix[i]);
}

}  // namespace

ImageResult CopyImageRect(int16_t* dst, const int16_t* src, const ImageHeader* h, const ImageRect* r) {
  if (ImageResult e = CheckRect(dst, src, h, r)) return e;
  const ptrdiff_t spp = SamplesPerPixel(h);
  const ptrdiff_t stride = ImageCols(h) * spp;
  const ptrdiff_t rowLen = ptrdiff_t{r->w} * spp;
  const int16_t* in = PixelAt(src, h, r->x, r->y);
  for (int32_t j = 0; j < r->h; ++j, in += stride, dst += rowLen) std::memmove(dst, in, rowLen * sizeof(int16_t));
  return IMG_OK;
}

ImageResult CopyRectAsLuminance(int16_t* dst, const int16_t* src, const ImageHeader* h, const ImageRect* r) {
  if (ImageResult e = CheckRect(dst, src, h, r)) return e;
  if (h->colourType != kColourRgb) return CopyImageRect(dst, src, h, r);
  const ptrdiff_t stride = ImageCols(h) * 3;
  const int16_t* in = PixelAt(src, h, r->x, r->y);
  for (int32_t j = 0; j < r->h; ++j, in += stride) {
    const int16_t* p = in;
    for (int32_t i = 0; i < r->w; ++i, p += 3)
      *dst++ = static_cast<int16_t>(static_cast<int32_t>(0.114 * p[0] + 0.587 * p[1] + 0.299 * p[2] + 0.5));
  }
  return IMG_OK;
}

ImageResult CopyImageRectSubsampled(int16_t* dst, const int16_t* src, const ImageHeader* h, const ImageRect* r,
                                    int32_t step) {
  if (ImageResult e = CheckRect(dst, src, h, r)) return e;
  if (step < 1) return IMG_BAD_PARAMETER;
  const ptrdiff_t spp = SamplesPerPixel(h);
  const ptrdiff_t stride = ImageCols(h) * spp;
  const int32_t outW = r->w / step, outH = r->h / step;
  const int16_t* in = PixelAt(src, h, r->x, r->y);
  for (int32_t j = 0; j < outH; ++j, in += step * stride) {
    const int16_t* p = in;
    for (int32_t i = 0; i < outW; ++i, p += step * spp)
      for (ptrdiff_t c = 0; c < spp; ++c) *dst++ = p[c];
  }
  return IMG_OK;
}

ImageResult BinImage(int16_t* dst, const int16_t* src, const ImageHeader* h, int32_t factor) {
  if (!src || !dst || !h) return IMG_NULL_ARRAY;
  if (factor < 1) return IMG_BAD_PARAMETER;
  const ptrdiff_t spp = SamplesPerPixel(h);
  const ptrdiff_t stride = ImageCols(h) * spp;
  const ptrdiff_t outW = ImageCols(h) / factor, outH = ImageRows(h) / factor;
  const int64_t area = int64_t{factor} * factor;
  // Each block is summed before its result is stored, and results land no
  // later in the buffer than the block they come from.
  for (ptrdiff_t j = 0; j < outH; ++j) {
    const int16_t* top = src + j * factor * stride;
    for (ptrdiff_t i = 0; i < outW; ++i) {
      for (ptrdiff_t c = 0; c < spp; ++c) {
        const int16_t* p = top + i * factor * spp + c;
        int64_t sum = 0;
        for (int32_t dy = 0; dy < factor; ++dy, p += stride)
          for (int32_t dx = 0; dx < factor; ++dx) sum += p[dx * spp];
        *dst++ = static_cast<int16_t>(sum / area);
      }
    }
  }
  return IMG_OK;
}

ImageResult ShiftImage(int16_t* dst, const int16_t* src, const ImageHeader* h, const int32_t shift[2]) {
  if (!src || !dst || !h || !shift) return IMG_NULL_ARRAY;
  if (src == dst) return IMG_BAD_PARAMETER;
  const ptrdiff_t W = ImageCols(h), H = ImageRows(h), spp = SamplesPerPixel(h);
  const int64_t dx = shift[0], dy = shift[1];
  // Destination columns whose source column x + dx lies inside.
  const ptrdiff_t x0 = static_cast<ptrdiff_t>(std::clamp<int64_t>(-dx, 0, W));
  const ptrdiff_t x1 = std::max(x0, static_cast<ptrdiff_t>(std::clamp<int64_t>(W - dx, 0, W)));
  const ptrdiff_t stride = W * spp;
  for (ptrdiff_t y = 0; y < H; ++y) {
    int16_t* out = dst + y * stride;
    const int64_t sy = y + dy;
    if (sy < 0 || sy >= H) {
      std::memset(out, 0, stride * sizeof(int16_t));
      continue;
    }
    std::memset(out, 0, x0 * spp * sizeof(int16_t));
    std::memcpy(out + x0 * spp, src + sy * stride + (x0 + dx) * spp, (x1 - x0) * spp * sizeof(int16_t));
    std::memset(out + x1 * spp, 0, (W - x1) * spp * sizeof(int16_t));
  }
  return IMG_OK;
}

namespace {

// Quarter turns in tiles, so both the rows read and the rows written stay
// in cache.
template <int N>
void TurnQuarter(const int16_t* src, int16_t* dst, ptrdiff_t W, ptrdiff_t H, bool clockwise) {
  constexpr ptrdiff_t kTile = 64;
  for (ptrdiff_t r0 = 0; r0 < H; r0 += kTile) {
    const ptrdiff_t r1 = std::min(H, r0 + kTile);
    for (ptrdiff_t c0 = 0; c0 < W; c0 += kTile) {
      const ptrdiff_t c1 = std::min(W, c0 + kTile);
      for (ptrdiff_t c = c0; c < c1; ++c) {
        // Source column c becomes destination row c (clockwise) or W-1-c.
        int16_t* outRow = dst + (clockwise ? c : W - 1 - c) * H * N;
        for (ptrdiff_t r = r0; r < r1; ++r) {
          const int16_t* in = src + (r * W + c) * N;
          int16_t* out = outRow + (clockwise ? H - 1 - r : r) * N;
          for (int k = 0; k < N; ++k) out[k] = in[k];
        }
      }
    }
  }
}

template <int N>
void MirrorRow(const int16_t* in, int16_t* out, ptrdiff_t W) {
  for (ptrdiff_t c = 0; c < W; ++c)
    for (int k = 0; k < N; ++k) out[(W - 1 - c) * N + k] = in[c * N + k];
}

}  // namespace

ImageResult FlipRotateImage(int32_t mode, const ImageHeader* src, ImageHeader* dst, const int16_t* srcPixels,
                            int16_t* dstPixels) {
  if (!srcPixels || !dstPixels) return IMG_NULL_IMAGE;
  if (!src || !dst) return IMG_NULL_ARRAY;
  if (srcPixels == dstPixels || src == dst) return IMG_BAD_PARAMETER;
  *dst = *src;
  if (mode < 0 || mode > 4) return IMG_BAD_PARAMETER;
  const ptrdiff_t W = ImageCols(src), H = ImageRows(src), spp = SamplesPerPixel(src);
  const ptrdiff_t stride = W * spp;
  switch (mode) {
    case 0:
      for (ptrdiff_t r = 0; r < H; ++r)
        std::memcpy(dstPixels + (H - 1 - r) * stride, srcPixels + r * stride, stride * sizeof(int16_t));
      break;
    case 1:
    case 2:
      for (ptrdiff_t r = 0; r < H; ++r) {
        int16_t* out = dstPixels + (mode == 1 ? r : H - 1 - r) * stride;
        if (spp == 3)
          MirrorRow<3>(srcPixels + r * stride, out, W);
        else
          MirrorRow<1>(srcPixels + r * stride, out, W);
      }
      break;
    default:
      if (spp == 3)
        TurnQuarter<3>(srcPixels, dstPixels, W, H, mode == 3);
      else
        TurnQuarter<1>(srcPixels, dstPixels, W, H, mode == 3);
      dst->width = src->height;
      dst->height = src->width;
      break;
  }
  return IMG_OK;
}

ImageResult EnlargeImage(const ImageHeader* h, const int16_t* src, int16_t* dst, int32_t factor) {
  if (!src || !dst) return IMG_NULL_IMAGE;
  if (!h) return IMG_NULL_ARRAY;
  if (src == dst) return IMG_BAD_PARAMETER;
  int s = 0;
  while (s < 4 && (2 << s) != factor) ++s;
  if (s == 4) return IMG_BAD_PARAMETER;
  ++s;   // factor = 2^s
  const int32_t f = factor;
  const ptrdiff_t W = ImageCols(h), H = ImageRows(h), spp = SamplesPerPixel(h);
  const ptrdiff_t stride = W * spp, outStride = stride * f;
  for (ptrdiff_t Y = 0; Y < H * f; ++Y) {
    const ptrdiff_t y = Y >> s;
    const int32_t fy = static_cast<int32_t>(Y & (f - 1));
    const int16_t* rowA = src + y * stride;
    const int16_t* rowC = src + std::min(y + 1, H - 1) * stride;
    int16_t* out = dst + Y * outStride;
    for (ptrdiff_t x = 0; x < W; ++x) {
      const ptrdiff_t x1 = std::min(x + 1, W - 1);
      for (ptrdiff_t c = 0; c < spp; ++c) {
        const int32_t a = rowA[x * spp + c], b = rowA[x1 * spp + c];
        const int32_t cc = rowC[x * spp + c], d = rowC[x1 * spp + c];
        // f*fx*(b-a) + f*f*a + ((d-c-b+a)*fx + (c-a)*f)*fy, split into the
        // part at fx = 0 and the step per fx.
        const int32_t base = f * f * a + (cc - a) * f * fy;
        const int32_t slope = f * (b - a) + (d - cc - b + a) * fy;
        int16_t* o = out + x * f * spp + c;
        for (int32_t fx = 0; fx < f; ++fx) o[fx * spp] = static_cast<int16_t>((base + fx * slope) >> (2 * s));
      }
    }
  }
  return IMG_OK;
}

ImageResult SplitInterlacedFields(int16_t* firstField, int16_t* secondField, const int16_t* src,
                                  const ImageHeader* h) {
  if (!firstField || !secondField || !src || !h) return IMG_NULL_ARRAY;
  if (ImageRows(h) < 2 || firstField == secondField) return IMG_BAD_PARAMETER;
  const ptrdiff_t rowLen = ImageCols(h) * SamplesPerPixel(h), rows = ImageRows(h);
  // Each field reads only the rows it keeps; a field that is src itself is
  // built last, after the other field has read the rows it rewrites.
  if (firstField == src) {
    BuildField(secondField, src, rowLen, rows, 1);
    BuildField(firstField, src, rowLen, rows, 0);
  } else {
    BuildField(firstField, src, rowLen, rows, 0);
    BuildField(secondField, src, rowLen, rows, 1);
  }
  return IMG_OK;
}

ImageResult DeinterlaceImage(int16_t* dst, const int16_t* src, const ImageHeader* h, int32_t field) {
  if (!src || !dst || !h) return IMG_NULL_ARRAY;
  if (ImageRows(h) < 2) return IMG_BAD_PARAMETER;
  const ptrdiff_t rowLen = ImageCols(h) * SamplesPerPixel(h), rows = ImageRows(h);
  if (field == 0) {
    if (dst != src) std::memcpy(dst, src, rowLen * rows * sizeof(int16_t));
  } else {
    // The rebuilt rows depend only on kept rows, so no temporary image is
    // needed when dst is src.
    BuildField(dst, src, rowLen, rows, field == 1 ? 0 : 1);
  }
  return IMG_OK;
}

void SmoothRect(int16_t* dst, const int16_t* src, const ImageHeader* h, const ImageRect* r, int32_t radius) {
  if (!dst || !src || !h || !r) return;
  const int R = std::clamp(radius, 1, 32);
  const ptrdiff_t W = ImageCols(h), H = ImageRows(h), spp = SamplesPerPixel(h);
  const ptrdiff_t x0 = std::max<ptrdiff_t>(r->x, R);
  const ptrdiff_t x1 = static_cast<ptrdiff_t>(std::min<int64_t>(int64_t{r->x} + r->w, W - R - 1));
  const ptrdiff_t y0 = std::max<ptrdiff_t>(r->y, R);
  const ptrdiff_t y1 = static_cast<ptrdiff_t>(std::min<int64_t>(int64_t{r->y} + r->h, H - R - 1));
  const ptrdiff_t rowLen = W * spp;
  const bool across = x0 < x1, down = y0 < y1;
  // The sums of both passes divided by the weights' total (R + 1)^2, cut
  // toward zero; the smoothing sums stay below 33 * 33 * 32768 < 2^31.
  const DoubleQuotient div((R + 1) * (R + 1));

  // All work memory first: on failure dst stays untouched.
  int32_t* rowSums = nullptr;  // one row span of triangle sums, then the row's running sums
  int32_t* sums = nullptr;     // per column: triangle sum, upper and lower box sums
  int16_t* ring = nullptr;     // the last R + 1 rows before the vertical pass wrote them
  const ptrdiff_t span = (x1 - x0) * spp;
  if (across && !(rowSums = AllocWorkOf<int32_t>(2 * span + (2 * R + 3) * spp))) return;
  auto* prefix = across ? reinterpret_cast<uint32_t*>(rowSums + span) : nullptr;
  if (down) {
    sums = AllocWorkOf<int32_t>(3 * rowLen);
    ring = AllocWorkOf<int16_t>((R + 1) * rowLen);
    if (!sums || !ring) {
      FreeWork(&rowSums);
      FreeWork(&sums);
      FreeWork(&ring);
      return;
    }
  }

  // Horizontal pass over every row; each row reads only itself.
  for (ptrdiff_t y = 0; y < H; ++y) {
    const int16_t* in = src + y * rowLen;
    int16_t* out = dst + y * rowLen;
    if (across) {
      if (spp == 3)
        TriangleRow<3>(in, x0, x1, R, rowSums, prefix);
      else
        TriangleRow<1>(in, x0, x1, R, rowSums, prefix);
      if (out != in) {
        std::memcpy(out, in, x0 * spp * sizeof(int16_t));
        std::memcpy(out + x1 * spp, in + x1 * spp, (W - x1) * spp * sizeof(int16_t));
      }
      int16_t* smoothed = out + x0 * spp;
      for (ptrdiff_t i = 0; i < span; ++i) smoothed[i] = static_cast<int16_t>(div(rowSums[i]));
    } else if (out != in) {
      std::memcpy(out, in, rowLen * sizeof(int16_t));
    }
  }
  if (!down) {
    FreeWork(&rowSums);
    return;
  }

  // Vertical pass over rows y0..y1-1, all columns at once. Row y is stored
  // over its horizontal result, which the ring keeps for the running sums.
  int32_t* t = sums;
  int32_t* up = sums + rowLen;
  int32_t* below = sums + 2 * rowLen;
  for (int k = -R; k <= R; ++k) {
    const int16_t* in = dst + (y0 + k) * rowLen;
    const int32_t w = R + 1 - std::abs(k);
    for (ptrdiff_t i = 0; i < rowLen; ++i) {
      t[i] += w * in[i];
      if (k <= 0) up[i] += in[i];
      if (k >= 0) below[i] += in[i];
    }
  }
  for (ptrdiff_t y = y0; y < y1; ++y) {
    int16_t* row = dst + y * rowLen;
    int16_t* kept = ring + (y % (R + 1)) * rowLen;
    std::memcpy(kept, row, rowLen * sizeof(int16_t));
    for (ptrdiff_t i = 0; i < rowLen; ++i) row[i] = static_cast<int16_t>(div(t[i]));
    if (y + 1 == y1) break;
    const int16_t* leaving = y - R >= y0 ? ring + ((y - R) % (R + 1)) * rowLen : dst + (y - R) * rowLen;
    const int16_t* next = dst + (y + 1) * rowLen;
    const int16_t* entering = dst + (y + 1 + R) * rowLen;
    for (ptrdiff_t i = 0; i < rowLen; ++i) {
      below[i] += entering[i] - kept[i];
      t[i] += below[i] - up[i];
      up[i] += next[i] - leaving[i];
    }
  }
  FreeWork(&rowSums);
  FreeWork(&sums);
  FreeWork(&ring);
}

void ComputeArrayStatistics(int32_t* mean, double* sigma, int32_t* min, int32_t* max, const int16_t* samples,
                            int32_t n) {
  if (!mean || !sigma || !min || !max) return;
  *mean = 0;
  *sigma = 0.0;
  *min = 0;
  *max = 0;
  if (!samples || n < 1) return;
  int64_t sum = 0;
  int32_t lo = samples[0], hi = samples[0];
  for (int32_t i = 0; i < n; ++i) {
    sum += samples[i];
    lo = std::min<int32_t>(lo, samples[i]);
    hi = std::max<int32_t>(hi, samples[i]);
  }
  const int32_t m = static_cast<int32_t>(std::floor(static_cast<double>(sum) / n + 0.5));
  uint64_t squares = 0;
  for (int32_t i = 0; i < n; ++i) {
    const int64_t d = samples[i] - m;
    squares += static_cast<uint64_t>(d * d);
  }
  *mean = m;
  *min = lo;
  *max = hi;
  if (squares != 0) *sigma = std::sqrt(static_cast<double>(squares) / (n - 1));
}
