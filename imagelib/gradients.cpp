#include "imagelib/gradients.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "imagelib/matrix.h"

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kDegree = 0.017453292519943295;

// Sample k of the bilinear point (u, v) in 1/256 pixel, the integer form of
// the resampler; right and lower neighbours stay in the last column or row.
int64_t BilinearAt(const int16_t* src, const ImageHeader* h, int64_t u, int64_t v, ptrdiff_t k) {
  const ptrdiff_t spp = SamplesPerPixel(h), stride = ImageCols(h) * spp;
  const ptrdiff_t x = static_cast<ptrdiff_t>(u >> 8), y = static_cast<ptrdiff_t>(v >> 8);
  const int64_t fx = u & 255, fy = v & 255;
  const ptrdiff_t right = x + 1 < ImageCols(h) ? spp : 0;
  const ptrdiff_t down = y + 1 < ImageRows(h) ? stride : 0;
  const int16_t* p = src + y * stride + x * spp + k;
  const int64_t p00 = p[0], p10 = p[right], p01 = p[down], p11 = p[down + right];
  return (p00 * 65536 + (p10 - p00) * fx * 256 + ((p01 - p00) * 256 + (p11 - p01 - p10 + p00) * fx) * fy) >> 16;
}

// Shared checks of the derivative operators over r less one pixel per side.
ImageResult CheckPairs(const ImageRect* r, const ImageHeader* h, const void* a, const void* b) {
  if (!h) return IMG_NULL_ARRAY;
  if (!r || !RectInImage(r, h)) return IMG_BAD_RECT;
  if (!a || !b) return IMG_NULL_IMAGE;
  // Pairs hold one x and one y derivative per pixel: there is no room for
  // three channels.
  if (h->colourType == kColourRgb) return IMG_BAD_PARAMETER;
  return IMG_OK;
}

inline int16_t ClampDerivative(int32_t v, int32_t top) { return static_cast<int16_t>(std::clamp(v, 0, top)); }

// Rows 1..h-2 of each channel from a function of the vertical and the
// horizontal half difference, each row written one row late so that dst may
// be src; row 0 becomes 0 and the last row is not written.
template <typename Value>
ImageResult GradientRows(const int16_t* src, int16_t* dst, const ImageHeader* h, Value value) {
  if (!h) return IMG_NULL_ARRAY;
  if (!src || !dst) return IMG_NULL_IMAGE;
  const ptrdiff_t spp = SamplesPerPixel(h), stride = ImageCols(h) * spp, rows = ImageRows(h);
  if (rows < 2 || stride == 0) return IMG_OK;
  int16_t* rowBuf[2] = {static_cast<int16_t*>(AllocArray(size_t(stride), sizeof(int16_t))),
                        static_cast<int16_t*>(AllocArray(size_t(stride), sizeof(int16_t)))};
  if (!rowBuf[0] || !rowBuf[1]) {
    FreeMem(&rowBuf[0]);
    FreeMem(&rowBuf[1]);
    return IMG_NO_MEMORY;
  }
  for (ptrdiff_t r = 1; r <= rows - 2; ++r) {
    const int16_t* in = src + r * stride;
    int16_t* out = rowBuf[r & 1];
    // At the ends of a row the horizontal neighbours are the last pixel of
    // the row above and the first of the row below, as the buffer lies.
    for (ptrdiff_t t = 0; t < stride; ++t)
      out[t] = value((in[t + spp] - in[t - spp]) * 0.5, (in[t + stride] - in[t - stride]) * 0.5);
    std::memcpy(dst + (r - 1) * stride, rowBuf[(r - 1) & 1], size_t(stride) * sizeof(int16_t));
  }
  std::memcpy(dst + (rows - 2) * stride, rowBuf[(rows - 2) & 1], size_t(stride) * sizeof(int16_t));
  FreeMem(&rowBuf[0]);
  FreeMem(&rowBuf[1]);
  return IMG_OK;
}

}  // namespace

ImageResult SubtractRotatedCopy(const ImageHeader* h, const int16_t* src, int16_t* dst, int32_t centreX,
                                int32_t centreY, double shift, double effect, int32_t method) {
  if (!h) return IMG_NULL_ARRAY;
  if (!src || !dst) return IMG_NULL_IMAGE;
  if (src == dst || !(effect >= 0.0 && effect <= 1.0)) return IMG_BAD_PARAMETER;
  if (method < SHIFT_TURN || method > SHIFT_RADIUS) return IMG_BAD_PARAMETER;
  const double p = method == SHIFT_TURN ? shift * kDegree : shift;
  const int32_t levels = h->levels;
  const double offset = levels * 0.5 * effect;
  const ptrdiff_t spp = SamplesPerPixel(h), cols = ImageCols(h), rows = ImageRows(h);
  const double uEnd = 256.0 * double(cols), vEnd = 256.0 * double(rows);
  for (ptrdiff_t y = 0; y < rows; ++y) {
    for (ptrdiff_t x = 0; x < cols; ++x) {
      const ptrdiff_t at = (y * cols + x) * spp;
      const double dx = double(x) - centreX, dy = double(y) - centreY;
      const double r = std::sqrt(dx * dx + dy * dy);
      if (r <= 0.5) {
        for (ptrdiff_t k = 0; k < spp; ++k) dst[at + k] = src[at + k];
        continue;
      }
      double t = std::atan2(dy, dx), R = 256.0 * r;
      if (method == SHIFT_TURN)
        t += p;
      else if (method == SHIFT_TANGENT)
        t += r > p ? kPi / 2 * p / r : kPi / 2;
      else
        R = std::max(256.0 * (r + p), 0.0);
      // The range is tested in doubles: a wild shift must not overflow.
      const double u = std::trunc(R * std::cos(t)) + 256.0 * centreX;
      const double v = std::trunc(R * std::sin(t)) + 256.0 * centreY;
      const bool inside = u >= 0.0 && u < uEnd && v >= 0.0 && v < vEnd;
      for (ptrdiff_t k = 0; k < spp; ++k) {
        const double s = inside ? double(BilinearAt(src, h, int64_t(u), int64_t(v), k)) : 0.0;
        const double value = src[at + k] - s * effect + offset;
        dst[at + k] = value < 0.0 ? 0 : value >= levels ? static_cast<int16_t>(levels - 1) : static_cast<int16_t>(value);
      }
    }
  }
  return IMG_OK;
}

ImageResult ComputeDerivatives(const ImageRect* r, const ImageHeader* h, const int16_t* samples, int16_t* pairs) {
  if (ImageResult e = CheckPairs(r, h, samples, pairs)) return e;
  const ptrdiff_t cols = ImageCols(h);
  const int32_t top = h->levels - 1;
  for (ptrdiff_t y = r->y + 1; y < ptrdiff_t{r->y} + r->h - 1; ++y)
    for (ptrdiff_t x = r->x + 1; x < ptrdiff_t{r->x} + r->w - 1; ++x) {
      const int16_t* p = samples + y * cols + x;
      pairs[2 * (y * cols + x)] = ClampDerivative((p[1] - p[-1]) >> 1, top);
      pairs[2 * (y * cols + x) + 1] = ClampDerivative((p[cols] - p[-cols]) >> 1, top);
    }
  return IMG_OK;
}

ImageResult ComputeGradient3x3(const ImageRect* r, const ImageHeader* h, const int16_t* samples, int16_t* pairs) {
  if (ImageResult e = CheckPairs(r, h, samples, pairs)) return e;
  const ptrdiff_t cols = ImageCols(h);
  const int32_t top = h->levels - 1;
  for (ptrdiff_t y = r->y + 1; y < ptrdiff_t{r->y} + r->h - 1; ++y)
    for (ptrdiff_t x = r->x + 1; x < ptrdiff_t{r->x} + r->w - 1; ++x) {
      const int16_t* p = samples + y * cols + x;
      const int32_t right = p[1 - cols] + p[1] + p[1 + cols], left = p[-1 - cols] + p[-1] + p[-1 + cols];
      const int32_t above = p[-1 - cols] + p[-cols] + p[1 - cols], below = p[-1 + cols] + p[cols] + p[1 + cols];
      pairs[2 * (y * cols + x)] = ClampDerivative((right / 3 - left / 3) >> 1, top);
      pairs[2 * (y * cols + x) + 1] = ClampDerivative((above / 3 - below / 3) >> 1, top);
    }
  return IMG_OK;
}

ImageResult ComputeGaussianMeasure(const ImageRect* r, const ImageHeader* h, int16_t* dst, const int16_t* pairs,
                                   int32_t mode) {
  if (ImageResult e = CheckPairs(r, h, dst, pairs)) return e;
  if ((mode != 0 && mode != 1) || h->levels < 2) return IMG_BAD_PARAMETER;
  const int32_t levels = h->levels, top = levels - 1;
  const int64_t a = static_cast<int64_t>(std::floor(0.96 * levels + 0.5));
  const int64_t b = static_cast<int64_t>(std::floor(0.398 * levels + 0.5));
  const int32_t shift = static_cast<int32_t>(std::floor(std::log2(double(levels)) + 0.5)) - 1;
  const ptrdiff_t cols = ImageCols(h);
  for (ptrdiff_t y = r->y + 1; y < ptrdiff_t{r->y} + r->h - 1; ++y)
    for (ptrdiff_t x = r->x + 1; x < ptrdiff_t{r->x} + r->w - 1; ++x) {
      const int64_t dx = std::abs(int32_t{pairs[2 * (y * cols + x)]});
      const int64_t dy = std::abs(int32_t{pairs[2 * (y * cols + x) + 1]});
      int64_t v;
      if (mode == 0)
        v = static_cast<int64_t>(std::floor(std::sqrt(double(dx * dx + dy * dy)) + 0.5));
      else
        v = (a * std::max(dx, dy) + b * std::min(dx, dy)) >> shift;
      dst[y * cols + x] = static_cast<int16_t>(std::clamp<int64_t>(v, 0, top));
    }
  return IMG_OK;
}

ImageResult ComputeGradientMagnitude(const int16_t* src, int16_t* dst, const ImageHeader* h) {
  return GradientRows(src, dst, h, [](double gx, double gy) {
    // Differences of signed samples can reach 46341; keep them in 16 bits.
    return static_cast<int16_t>(std::min(std::sqrt(gx * gx + gy * gy), 32767.0));
  });
}

ImageResult ComputeGradientDirection(const int16_t* src, int16_t* dst, const ImageHeader* h) {
  return GradientRows(src, dst, h, [](double gx, double gy) {
    if (gx == 0.0 && gy == 0.0) return int16_t{0};
    return static_cast<int16_t>(std::atan2(gy, gx) * 32767.0 / kPi);
  });
}

ImageResult RotateColours(const int16_t* src, int16_t* dst, const ImageHeader* h, double exponent) {
  if (!h) return IMG_NULL_ARRAY;
  if (!src || !dst) return IMG_NULL_IMAGE;
  if (h->colourType != kColourRgb || !(exponent > 0.0)) return IMG_BAD_PARAMETER;
  double** forward = nullptr;
  double** back = nullptr;
  if (!AllocMatrix(&forward, 3) || !AllocMatrix(&back, 3)) {
    FreeMatrix(&forward);
    return IMG_NO_MEMORY;
  }
  // Rows are R, G, B in, columns u0, u1, u2 out; u2 is the grey axis.
  const double r6 = 1.0 / std::sqrt(6.0), r2 = 1.0 / std::sqrt(2.0), r3 = 1.0 / std::sqrt(3.0);
  const double basis[3][3] = {{2 * r6, 0.0, r3}, {-r6, r2, r3}, {-r6, -r2, r3}};
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) {
      forward[i][j] = basis[i][j];
      back[j][i] = basis[i][j];
    }
  const ptrdiff_t pixels = ImageCols(h) * ImageRows(h);
  auto decompose = [&](const int16_t* p, double u[3]) {
    const double rgb[3] = {double(p[2]), double(p[1]), double(p[0])};
    MultiplyMatrixVector(u, forward, rgb, 3);
  };
  double cMax = 0.0;
  for (ptrdiff_t i = 0; i < pixels; ++i) {
    double u[3];
    decompose(src + 3 * i, u);
    cMax = std::max(cMax, std::sqrt(u[0] * u[0] + u[1] * u[1]));
  }
  if (cMax > 0.0) {
    for (ptrdiff_t i = 0; i < pixels; ++i) {
      double u[3];
      decompose(src + 3 * i, u);
      const double c = std::sqrt(u[0] * u[0] + u[1] * u[1]);
      const double hue = std::atan2(u[0], u[1]);
      const double stretched = exponent == 1.0 ? c * 32767.0 / cMax : 32767.0 * std::pow(c / cMax, exponent);
      const double v[3] = {stretched * std::sin(hue), stretched * std::cos(hue), u[2]};
      double rgb[3];
      MultiplyMatrixVector(rgb, back, v, 3);
      for (int k = 0; k < 3; ++k) dst[3 * i + 2 - k] = static_cast<int16_t>(std::clamp(rgb[k], 0.0, 32767.0));
    }
  }
  FreeMatrix(&forward);
  FreeMatrix(&back);
  return IMG_OK;
}

ImageResult BinariseRect(const ImageRect* r, const ImageHeader* h, int16_t* samples, int16_t threshold, int16_t low,
                         int16_t high) {
  if (!h) return IMG_NULL_ARRAY;
  if (!r || !RectInImage(r, h)) return IMG_BAD_RECT;
  if (!samples) return IMG_NULL_IMAGE;
  const ptrdiff_t spp = SamplesPerPixel(h), stride = ImageCols(h) * spp;
  for (ptrdiff_t y = r->y; y < ptrdiff_t{r->y} + r->h; ++y) {
    int16_t* p = samples + y * stride + ptrdiff_t{r->x} * spp;
    for (ptrdiff_t t = 0; t < ptrdiff_t{r->w} * spp; ++t) p[t] = p[t] > threshold ? high : low;
  }
  return IMG_OK;
}
