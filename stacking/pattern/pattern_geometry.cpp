#include "stacking/pattern/pattern_geometry.h"

#include <algorithm>
#include <cmath>

#include "imagelib/primitives.h"

int32_t PatternStartBoxSize(int32_t width, bool fft) {
  if (fft) return width <= 768 ? 64 : 128;
  if (width <= 768) return 65;
  const int32_t n = int32_t(std::trunc(double(width) / 768.0 * 64.0 + 0.5));
  return (n / 8 + 1) * 8 + 1;
}

int32_t FitPatternBoxSize(int32_t side, int32_t width, int32_t height, bool fft) {
  const int32_t smaller = std::min(width, height);
  int32_t limit = smaller - 4;
  if (limit < 2) limit = smaller;
  int32_t s = std::min(side, limit);
  if (fft) {
    int32_t p = 1;
    while (p <= s / 2) p *= 2;
    s = p;
  }
  return std::max<int32_t>(s, 1);
}

bool PatternClickTaken(int32_t px, int32_t py, int32_t w, int32_t h, int32_t width, int32_t height) {
  return px >= w / 2 + 2 && px < width - w / 2 - 2 && py >= h / 2 + 2 && py < height - h / 2 - 2;
}

void SearchRadiusRange(int32_t pictureHeight, int32_t* lowest, int32_t* highest) {
  if (pictureHeight <= 0) {
    *lowest = 10;
    *highest = 200;
    return;
  }
  *highest = std::max<int32_t>(pictureHeight / 2, 1);
  *lowest = std::min<int32_t>(10, *highest);
}

int32_t PatternGridFactor(bool superres, int32_t subpixelfactor) {
  if (!superres) return 1;
  return subpixelfactor == 1 ? 2 : subpixelfactor == 2 ? 4 : 1;
}

ImageRect PatternRectOfBox(int32_t x, int32_t y, int32_t w, int32_t h, bool superres, int32_t subpixelfactor) {
  const int32_t n = PatternGridFactor(superres, subpixelfactor);
  if (n == 1) return ImageRect{x, y, w, h};
  return ImageRect{n * x, n * y, n * (w - 1) + 1, n * (h - 1) + 1};
}

ImageResult CutPatternTemplate(const int16_t* samples, const ImageHeader* h, const ImageRect& rect, int32_t factor,
                               int16_t** out) {
  *out = nullptr;
  if (!samples) return IMG_NULL_IMAGE;
  if (!h) return IMG_NULL_ARRAY;
  if (factor != 1 && factor != 2 && factor != 4) return IMG_BAD_PARAMETER;
  ImageHeader grid = *h;
  grid.width = h->width * factor;
  grid.height = h->height * factor;
  if (h->width <= 0 || h->height <= 0 || !RectInImage(&rect, &grid) || rect.w < 1 || rect.h < 1) return IMG_BAD_RECT;
  const size_t spp = size_t(SamplesPerPixel(h));
  auto* cut = static_cast<int16_t*>(AllocArray(size_t(rect.w) * size_t(rect.h) * spp, sizeof(int16_t)));
  if (!cut) return IMG_NO_MEMORY;
  const int16_t* from = samples;
  int16_t* enlarged = nullptr;
  if (factor > 1) {
    enlarged = static_cast<int16_t*>(AllocArray(size_t(grid.width) * size_t(grid.height) * spp, sizeof(int16_t)));
    if (!enlarged) {
      FreeMem(&cut);
      return IMG_NO_MEMORY;
    }
    if (ImageResult e = EnlargeImage(h, samples, enlarged, factor)) {
      FreeMem(&enlarged);
      FreeMem(&cut);
      return e;
    }
    from = enlarged;
  }
  const ImageResult e = CopyImageRect(cut, from, &grid, &rect);
  FreeMem(&enlarged);
  if (e) {
    FreeMem(&cut);
    return e;
  }
  *out = cut;
  return IMG_OK;
}
