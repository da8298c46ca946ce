#include "format_options.h"

#include <cmath>

const FitsOrganisation kFitsOrganisations[kFitsOrganisationCount] = {{0, 0}, {0, 1}, {1, 0}, {1, 1}, {1, 2}};
const int32_t kTiffCompressions[kTiffCompressionCount] = {1, 5, 32773};

double ScaleFactorOf(int32_t position) {
  if (position < 90) return 0.1 + 0.01 * position;
  return 1.0 + 0.1 * (position - 90);
}

int ScaleFactorOnBar(double factor) { return factor >= 0.1 && factor <= 10.0 ? 1 : 0; }

int32_t ScalePositionOf(double factor) {
  if (std::isnan(factor)) return 90;
  if (factor < 0.1) return 0;
  if (factor > 10.0) return kScaleBarMax;
  const double p = factor < 1.0 ? std::trunc((factor - 0.1) * 100 + 0.5) : std::trunc((factor - 1.0) * 10 + 0.5) + 90;
  return p < 0 ? 0 : p > kScaleBarMax ? kScaleBarMax : int32_t(p);
}

int32_t ClampJpegQuality(int32_t quality) {
  return quality < kJpegQualityMin ? kJpegQualityMin : quality > kJpegQualityMax ? kJpegQualityMax : quality;
}

int FitsOrganisationIndex(int32_t frameOrg, int32_t colorOrg) {
  const int split = kFitsOrganisationCount - 1;
  if (colorOrg != 0 && colorOrg != 1) return split;
  return (frameOrg != 0 ? 2 : 0) + colorOrg;
}

int TiffCompressionIndex(int32_t compression) {
  if (compression == 5) return 1;
  if (compression == 1) return 0;
  return 2;
}
