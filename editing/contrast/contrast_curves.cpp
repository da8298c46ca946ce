#include "editing/contrast/contrast_curves.h"

#include <algorithm>

#include "imagelib/statistics.h"

void KeepEndPointsApart(int32_t* black, int32_t* white) {
  *black = std::clamp(*black, 0, kContrastTop);
  *white = std::clamp(*white, 0, kContrastTop);
  if (*white < *black + kEndPointGap) *white = std::min(*black + kEndPointGap, kContrastTop);
  if (*black > *white - kEndPointGap) *black = *white - kEndPointGap;
}

ImageResult EndPointsOfMode(const uint32_t* histogram, int32_t mode, int32_t* black, int32_t* white) {
  if (!histogram) return IMG_NULL_ARRAY;
  int32_t b = 0, w = kContrastTop;
  if (mode == kEndPointsNone) {
    // the whole range
  } else if (mode == kEndPointsBackground || (mode >= 0 && mode <= 6)) {
    LevelsRecord levels;
    const ImageResult r = AnalyseLevels(histogram, kContrastLevels, mode == kEndPointsBackground ? 0 : mode, 0, 0,
                                        &levels);
    if (r != IMG_OK) return r;
    if (mode == kEndPointsBackground) {
      b = levels.peakLevel;
    } else {
      b = levels.blackPoint;
      w = levels.whitePoint;
    }
  } else {
    return IMG_BAD_PARAMETER;
  }
  KeepEndPointsApart(&b, &w);
  *black = b;
  *white = w;
  return IMG_OK;
}

void EndPointsFromSliders(int32_t whitePosition, int32_t blackPosition, int32_t* black, int32_t* white) {
  int32_t w = whitePosition * kContrastBarStep;
  if (*black + kEndPointGap >= w) w = *black + kEndPointGap;
  int32_t b = blackPosition * kContrastBarStep;
  if (w - kEndPointGap <= b) b = w - kEndPointGap;
  // The black point held so far may sit at the top: keep both inside the table.
  KeepEndPointsApart(&b, &w);
  *black = b;
  *white = w;
}

int32_t CurvePointLevel(int32_t black, int32_t white, int32_t k) {
  const int32_t step = (white - black) / 8;
  return std::clamp(black + k * step, 0, kContrastTop);
}

void FollowCurvePoints(const uint16_t* table, int32_t black, int32_t white, int32_t type, int32_t points[kCurvePoints],
                       int32_t values[kCurvePoints]) {
  for (int k = 1; k < kCurvePoints - 1; ++k) {
    values[k] = table[CurvePointLevel(black, white, k)];
    if (type != CURVE_SPLINE) points[k] = values[k];
  }
}

void MapHistogram(const uint32_t* in, const uint16_t* table, int32_t levels, uint32_t* out) {
  std::fill(out, out + levels, 0u);
  for (int32_t i = 0; i < levels; ++i) out[std::min<int32_t>(table[i], levels - 1)] += in[i];
}

void BuildCurvePoints256(double* x, double* y, int32_t levels, const uint16_t* table) {
  if (!x || !y || !table || levels < 256) return;
  const int32_t s = levels / 256;
  for (int i = 0; i < 256; ++i) {
    x[i] = i;
    y[i] = static_cast<int16_t>(table[i * s]) * 256.0 / levels;
  }
}

int32_t LimitBackgroundLevel(int32_t level, int32_t highestLevel) {
  if (level >= highestLevel) level = highestLevel - 1;
  return std::max(level, 0);
}
