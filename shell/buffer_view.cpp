#include "buffer_view.h"

ViewAxis LayoutViewAxis(int32_t client, int32_t reduced) {
  if (client > reduced) {
    const int32_t half = (client - reduced) / 2;
    // The margins overlap the picture's edge by a pixel, as the strips
    // start at exactly `half`.
    return ViewAxis{half, reduced, half + 1, client - half - 1};
  }
  return ViewAxis{0, client, 0, client};
}

int32_t ReducedSize(int32_t side, int32_t reduction) {
  if (reduction < kMinReduction) reduction = kMinReduction;
  if (reduction > kMaxReduction) reduction = kMaxReduction;
  return side > 0 ? side / reduction : 0;
}

int32_t StripRows(int32_t drawnWidth) {
  if (drawnWidth <= 0) return 0;
  const int32_t rows = kStripPixels / drawnWidth;
  // A view wider than a strip holds still draws one row at a time.
  return rows > 0 ? rows : 1;
}

int32_t PlanStrips(int32_t drawnWidth, int32_t drawnHeight, Strip* strips, int32_t maxStrips) {
  const int32_t band = StripRows(drawnWidth);
  if (band == 0 || drawnHeight <= 0) return 0;
  int32_t count = 0;
  int32_t done = band;
  for (; done < drawnHeight; done += band, ++count)
    if (count < maxStrips) strips[count] = Strip{done - band, band};
  if (count < maxStrips) strips[count] = Strip{done - band, drawnHeight - (done - band)};
  return count + 1;
}
