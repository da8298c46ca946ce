#include "imagelib/fft_radix2.h"

#include <utility>

#include "imagelib/trigon.h"

ImageResult FftRadix2InPlace(double* re, double* im, int32_t n, int32_t inverse) {
  if (!re || !im || !SineTable) return IMG_NULL_ARRAY;
  if (n < 1 || n > kTrigAngles || (n & (n - 1)) != 0) return IMG_BAD_PARAMETER;
  for (int32_t i = 1, j = 0; i < n; ++i) {
    int32_t bit = n >> 1;
    for (; j & bit; bit >>= 1) j ^= bit;
    j |= bit;
    if (i < j) {
      std::swap(re[i], re[j]);
      std::swap(im[i], im[j]);
    }
  }
  for (int32_t le = 1; le < n; le <<= 1) {
    // Half a turn over le steps: 16384 / le table units.
    const int32_t angle = (kTrigAngles / 2) / le;
    const double stepRe = TableCos(angle);
    const double stepIm = inverse ? TableSin(angle) : -TableSin(angle);
    double wRe = 1.0, wIm = 0.0;
    for (int32_t j = 0; j < le; ++j) {
      for (int32_t i = j; i < n; i += 2 * le) {
        const int32_t k = i + le;
        const double tRe = wRe * re[k] - wIm * im[k];
        const double tIm = wRe * im[k] + wIm * re[k];
        re[k] = re[i] - tRe;
        im[k] = im[i] - tIm;
        re[i] += tRe;
        im[i] += tIm;
      }
      const double t = wRe;
      wRe = t * stepRe - wIm * stepIm;
      wIm = t * stepIm + wIm * stepRe;
    }
  }
  if (inverse) {
    const double scale = 1.0 / n;
    for (int32_t i = 0; i < n; ++i) {
      re[i] *= scale;
      im[i] *= scale;
    }
  }
  return IMG_OK;
}
