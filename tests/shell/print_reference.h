// The printed page worked out pixel by pixel, plainly: for device pixel
// (x, y) the picture position in sixteenths is floor(i * step * 16 + 0.5)
// on each axis, held at the last pixel, and the level the bilinear mean of
// the four samples around it scaled to 0..255. Grey from colour mixes each
// neighbour first as floor(0.299 R + 0.587 G + 0.114 B). Rows whose source
// reaches the picture's last sixteenth are white (-1 here: not compared).
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "imagelib/image.h"

struct ReferencePage {
  int32_t width = 0, height = 0, channels = 1;
  std::vector<int> levels;   // row-major from the top, channels per pixel
  int At(int32_t x, int32_t y, int ch = 0) const { return levels[(size_t(y) * width + x) * channels + ch]; }
};

inline ReferencePage ReferencePrint(const int16_t* samples, const ImageHeader* h, int32_t width, int32_t height,
                                    double step, bool colourOut) {
  ReferencePage page;
  page.width = width;
  page.height = height;
  page.channels = colourOut ? 3 : 1;
  page.levels.assign(size_t(width) * height * page.channels, -1);
  const int spp = h->colourType == kColourRgb ? 3 : 1;
  auto sample = [&](int32_t x, int32_t y, int ch) -> double {
    const int16_t* p = samples + (size_t(y) * h->width + x) * spp;
    if (colourOut || spp == 1) return p[ch];
    return std::floor(0.299 * p[2] + 0.587 * p[1] + 0.114 * p[0]);
  };
  for (int32_t y = 0; y < height; ++y) {
    const int32_t py = int32_t(std::floor(y * step * 16 + 0.5));
    if (py >= h->height * 16 - 1) continue;
    const int32_t sy = std::min(py, (h->height - 1) * 16);
    for (int32_t x = 0; x < width; ++x) {
      const int32_t sx = std::min(int32_t(std::floor(x * step * 16 + 0.5)), (h->width - 1) * 16);
      const int fx = sx % 16, fy = sy % 16;
      const int32_t x0 = sx / 16, y0 = sy / 16;
      const int32_t x1 = fx ? x0 + 1 : x0, y1 = fy ? y0 + 1 : y0;
      for (int ch = 0; ch < page.channels; ++ch) {
        const double v = sample(x0, y0, ch) * (16 - fx) * (16 - fy) + sample(x1, y0, ch) * fx * (16 - fy) +
                         sample(x0, y1, ch) * (16 - fx) * fy + sample(x1, y1, ch) * fx * fy;
        // 256 * 128 per level: the sixteenths squared and the sample scale.
        page.levels[(size_t(y) * width + x) * page.channels + ch] = int(std::floor(v / 32768.0));
      }
    }
  }
  return page;
}
