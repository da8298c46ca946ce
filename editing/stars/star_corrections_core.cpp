#include "editing/stars/star_corrections_core.h"

#include <algorithm>
#include <cstring>

#include "imagelib/contrast.h"
#include "imagelib/stars.h"

static_assert(kRedCurveLogarithmic == CURVE_LOGARITHMIC && kRedCurveGamma == CURVE_POWER, "one numbering");

int32_t PreviewStarRadius(int32_t radius, int32_t reduction) {
  const int32_t divisor = std::max<int32_t>(1, 2 * reduction / 3);
  return radius / divisor;
}

ImageResult CorrectRedWeakness(int16_t* dst, const int16_t* src, const ImageHeader* h,
                               const RedWeaknessSettings& s) {
  if (!dst || !src || !h) return IMG_NULL_ARRAY;
  if (h->colourType != kColourRgb || (s.curveType != kRedCurveLogarithmic && s.curveType != kRedCurveGamma))
    return IMG_BAD_PARAMETER;
  if (h->width < 1 || h->height < 1 || h->levels < 2 || h->levels > kFullScale) return IMG_BAD_PARAMETER;
  const int32_t levels = h->levels;
  const size_t samples = size_t(h->width) * size_t(h->height) * 3;
  int16_t* starless = static_cast<int16_t*>(AllocArray(samples, sizeof(int16_t)));
  uint16_t* tables = static_cast<uint16_t*>(AllocArray(2 * size_t(levels), sizeof(uint16_t)));
  int16_t* mask = nullptr;
  auto release = [&] {
    FreeMem(&starless);
    FreeMem(&tables);
    FreeMem(&mask);
  };
  if (!starless || !tables) {
    release();
    return IMG_NO_MEMORY;
  }
  uint16_t* red = tables;
  uint16_t* identity = tables + levels;
  for (int32_t i = 0; i < levels; ++i) identity[i] = uint16_t(i);
  const int32_t black = std::clamp(s.lowLevel, 0, levels - 1);
  ImageResult r = MaskStars(starless, src, h, s.starLevel, s.starRadius, 0, &mask);
  if (r == IMG_OK)
    r = BuildContrastCurveSpline(red, levels, s.curveType, s.logMultiplier, s.gamma, levels - 1, black, nullptr,
                                 nullptr);
  ImageRect all;
  MakeRect(&all, 0, 0, h->width, h->height);
  if (r == IMG_OK) r = ApplyLutsRgb(&all, h, starless, starless, red, identity, identity);
  if (r != IMG_OK) {
    release();
    return r;
  }
  // The stars as they were: a star's red is its own, not the lifted background's.
  for (size_t i = 0; i < samples; ++i) dst[i] = mask[i] != 0 ? src[i] : starless[i];
  release();
  return IMG_OK;
}

int32_t RedLevelRange(int32_t backgroundLevel) {
  const int64_t twice = 2 * int64_t{backgroundLevel};
  return int32_t(std::clamp<int64_t>(twice, kRedLevelBarEnd, kFullScale));
}

int32_t RedLowLevel(int32_t position, int32_t range) {
  const int32_t p = std::clamp(position, 0, kRedLevelBarEnd);
  return int32_t(int64_t{p} * range / kRedLevelBarEnd);
}
