#include "stacking/frame/hot_pixel_learning.h"

#include <vector>

#include "imagelib/statistics.h"

namespace {

// The peak of a histogram by the level analysis.
bool Peak(const uint32_t* histogram, int32_t levels, int32_t* peak) {
  LevelsRecord r;
  if (AnalyseLevels(histogram, levels, 0, 0, 0, &r) != IMG_OK) return false;
  *peak = r.peakLevel;
  return true;
}

}  // namespace

int AutomaticHotPixelThresholds(const int16_t* samples, const ImageHeader* h, int32_t thresholds[3]) {
  if (!samples || !h || h->levels < 2) return 0;
  const ImageRect middle = {h->width / 8, h->height / 8, h->width * 6 / 8, h->height * 6 / 8};
  const size_t bins = size_t(h->levels);
  std::vector<uint32_t> red(bins), green(bins), blue(bins);
  int32_t peaks[3] = {0, 0, 0};
  if (h->colourType == kColourRgb) {
    if (ComputeRegionHistogramsRgb(&middle, h, samples, red.data(), green.data(), blue.data()) != IMG_OK ||
        !Peak(red.data(), h->levels, &peaks[0]) || !Peak(green.data(), h->levels, &peaks[1]) ||
        !Peak(blue.data(), h->levels, &peaks[2]))
      return 0;
  } else if (ComputeRegionHistogram(&middle, h, samples, red.data()) != IMG_OK ||
             !Peak(red.data(), h->levels, &peaks[0])) {
    return 0;
  }
  const int channels = h->colourType == kColourRgb ? 3 : 1;
  for (int c = 0; c < channels; ++c) thresholds[c] = peaks[c] + (h->levels - 1 - peaks[c]) / 4;
  return 1;
}

int32_t PreviewReduction(int32_t w, int32_t previewW) {
  const int32_t n = previewW > 0 ? w / previewW : 32;
  return n < 1 ? 1 : n > 32 ? 32 : n;
}
