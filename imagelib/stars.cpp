#include "imagelib/stars.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "imagelib/colour_channels.h"
#include "imagelib/primitives.h"
#include "imagelib/statistics.h"

namespace {

constexpr uint8_t kSet = 127;
constexpr int32_t kBackgroundRadius = 8;
constexpr int kStarDilations = 2;

// The eight walks of the replacement, in the order their weights add up:
// up, up-left, left, down-left, down, down-right, right, up-right.
constexpr int kWalkDx[8] = {0, -1, -1, -1, 0, 1, 1, 1};
constexpr int kWalkDy[8] = {-1, -1, 0, 1, 1, 1, 0, -1};

ImageResult CheckPlaneHeader(const ImageHeader* h) {
  if (h->width < 1 || h->height < 1 || h->levels < 2 || h->levels > kFullScale) return IMG_BAD_PARAMETER;
  return IMG_OK;
}

// One erosion (set = false) or dilation (set = true) step on m: every pixel
// two or more inside the border that is clear (erosion) or set (dilation) in
// the snapshot clears or sets its eight neighbours. True when m changed.
bool MorphStep(uint8_t* m, uint8_t* snap, ptrdiff_t W, ptrdiff_t H, bool set) {
  std::memcpy(snap, m, size_t(W * H));
  const uint8_t to = set ? kSet : 0;
  bool changed = false;
  for (ptrdiff_t y = 2; y < H - 2; ++y) {
    for (ptrdiff_t x = 2; x < W - 2; ++x) {
      if ((snap[y * W + x] != 0) != set) continue;
      for (ptrdiff_t ny = y - 1; ny <= y + 1; ++ny) {
        uint8_t* row = m + ny * W;
        for (ptrdiff_t nx = x - 1; nx <= x + 1; ++nx) {
          changed |= row[nx] != to;
          row[nx] = to;
        }
      }
    }
  }
  return changed;
}

// Steps of the morphology; a step that changes nothing ends the run, since
// every further one would change nothing either.
void Morph(uint8_t* m, uint8_t* snap, ptrdiff_t W, ptrdiff_t H, int32_t steps, bool set) {
  for (int32_t i = 0; i < steps; ++i)
    if (!MorphStep(m, snap, W, H, set)) break;
}

// Work memory of FindStars, released on every path.
struct StarWork {
  uint8_t* bytes = nullptr;   // detection, extended objects, snapshot
  uint32_t* hist = nullptr;
  int16_t* out = nullptr;   // smoothed background, then the result
  int16_t* mask = nullptr;
  StarWork(ptrdiff_t pixels, int32_t levels) {
    bytes = static_cast<uint8_t*>(AllocArray(3 * size_t(pixels), 1));
    hist = static_cast<uint32_t*>(AllocArray(size_t(levels), sizeof(uint32_t)));
    out = static_cast<int16_t*>(AllocArray(size_t(pixels), sizeof(int16_t)));
    mask = static_cast<int16_t*>(AllocArray(size_t(pixels), sizeof(int16_t)));
  }
  ~StarWork() {
    FreeMem(&bytes);
    FreeMem(&hist);
    FreeMem(&out);
    FreeMem(&mask);
  }
  bool ok() const { return bytes && hist && out && mask; }
};

// Replaces every star pixel two or more inside the border by the weighted
// mean of the first non-star pixel on each of the eight walks (weight 1/c
// along the axes, 0.707107/c on the diagonals, c steps away). Walks end at
// row and column 1 up and left and at H-3 and W-3 down and right. Each walk
// direction is one pass that carries the distance to its find from pixel to
// pixel, so a wide star area costs no more than a small one. Pixels whose
// walks all fail keep what out holds. False when the work planes cannot be had.
bool InterpolateStars(const int16_t* plane, const int16_t* mask, int16_t* out, ptrdiff_t W, ptrdiff_t H) {
  bool anyStar = false;
  for (ptrdiff_t y = 2; y < H - 2 && !anyStar; ++y)
    for (ptrdiff_t x = 2; x < W - 2; ++x) anyStar |= mask[y * W + x] != 0;
  if (!anyStar) return true;
  int32_t* steps = static_cast<int32_t*>(AllocArray(size_t(W * H), sizeof(int32_t)));
  double* weights = static_cast<double*>(AllocArray(2 * size_t(W * H), sizeof(double)));
  if (!steps || !weights) {
    FreeMem(&steps);
    FreeMem(&weights);
    return false;
  }
  double* values = weights + W * H;
  for (int d = 0; d < 8; ++d) {
    const int dx = kWalkDx[d], dy = kWalkDy[d];
    const ptrdiff_t x0 = dx < 0 ? 1 : 0, x1 = dx > 0 ? W - 3 : W - 1;
    const ptrdiff_t y0 = dy < 0 ? 1 : 0, y1 = dy > 0 ? H - 3 : H - 1;
    const ptrdiff_t next = dy * W + dx;
    // Visit each pixel after the one it walks to.
    for (ptrdiff_t yi = y0; yi <= y1; ++yi) {
      const ptrdiff_t y = dy > 0 ? y1 - (yi - y0) : yi;
      const bool rowInside = y + dy >= y0 && y + dy <= y1;
      for (ptrdiff_t xi = x0; xi <= x1; ++xi) {
        const ptrdiff_t x = dx > 0 ? x1 - (xi - x0) : xi;
        const ptrdiff_t i = y * W + x;
        int32_t c = 0;
        if (rowInside && x + dx >= x0 && x + dx <= x1) {
          if (mask[i + next] == 0)
            c = 1;
          else if (steps[i + next] > 0)
            c = steps[i + next] + 1;
        }
        steps[i] = c;
      }
    }
    const float axisWeight = dx != 0 && dy != 0 ? 0.707107f : 1.0f;
    for (ptrdiff_t y = 2; y < H - 2; ++y) {
      for (ptrdiff_t x = 2; x < W - 2; ++x) {
        const ptrdiff_t i = y * W + x;
        const int32_t c = steps[i];
        if (mask[i] == 0 || c == 0) continue;
        const double w = axisWeight / static_cast<float>(c);
        weights[i] += w;
        values[i] += w * plane[i + c * next];
      }
    }
  }
  for (ptrdiff_t y = 2; y < H - 2; ++y) {
    for (ptrdiff_t x = 2; x < W - 2; ++x) {
      const ptrdiff_t i = y * W + x;
      if (mask[i] != 0 && weights[i] > 0.0) out[i] = static_cast<int16_t>(values[i] / weights[i]);
    }
  }
  FreeMem(&steps);
  FreeMem(&weights);
  return true;
}

}   // namespace

ImageResult FindStars(int16_t* plane, const ImageHeader* h, double level, int32_t grow, int16_t** mask) {
  if (!plane || !h || !mask) return IMG_NULL_ARRAY;
  if (ImageResult e = CheckPlaneHeader(h)) return e;
  if (h->colourType == kColourRgb) return IMG_BAD_PARAMETER;
  const ptrdiff_t W = h->width, H = h->height, pixels = W * H;
  StarWork work(pixels, h->levels);
  if (!work.ok()) return IMG_NO_MEMORY;
  uint8_t* detect = work.bytes;
  uint8_t* extended = detect + pixels;
  uint8_t* snap = extended + pixels;

  // Threshold above the local background from the centre's levels.
  ImageRect centre;
  MakeRect(&centre, h->width / 8, h->height / 8, static_cast<int32_t>(3 * int64_t{h->width} / 4),
           static_cast<int32_t>(3 * int64_t{h->height} / 4));
  ComputeRegionHistogram(&centre, h, plane, work.hist);
  LevelsRecord rec;
  AnalyseLevels(work.hist, h->levels, 1, 0, 0, &rec);
  const double threshold = std::floor((rec.whitePoint - rec.peakLevel) * level + 0.5);

  // Background; the copy first keeps it defined should the smoothing fail.
  std::memcpy(work.out, plane, size_t(pixels) * sizeof(int16_t));
  ImageRect all;
  MakeRect(&all, 0, 0, h->width, h->height);
  SmoothRect(work.out, plane, h, &all, kBackgroundRadius);

  for (ptrdiff_t i = 0; i < pixels; ++i) detect[i] = plane[i] > work.out[i] + threshold ? kSet : 0;
  // Objects that survive the opening are extended; with no erosion at all
  // nothing counts as extended.
  if (grow > 0) {
    std::memcpy(extended, detect, size_t(pixels));
    Morph(extended, snap, W, H, grow, false);
    Morph(extended, snap, W, H, grow, true);
  }
  Morph(detect, snap, W, H, kStarDilations, true);

  for (ptrdiff_t i = 0; i < pixels; ++i)
    if (detect[i] && !extended[i]) work.mask[i] = std::max<int16_t>(plane[i], 1);

  // Non-star pixels keep their value; star pixels are interpolated, or keep
  // the smoothed background where no walk helps (also at the border).
  for (ptrdiff_t i = 0; i < pixels; ++i)
    if (work.mask[i] == 0) work.out[i] = plane[i];
  if (!InterpolateStars(plane, work.mask, work.out, W, H)) return IMG_NO_MEMORY;

  std::memcpy(plane, work.out, size_t(pixels) * sizeof(int16_t));
  *mask = work.mask;
  work.mask = nullptr;
  return IMG_OK;
}

ImageResult MaskStars(int16_t* dst, const int16_t* src, const ImageHeader* h, double level, int32_t grow,
                      int32_t blueExtra, int16_t** mask) {
  if (!dst || !src || !h || !mask) return IMG_NULL_ARRAY;
  FreeMem(mask);
  if (ImageResult e = CheckPlaneHeader(h)) return e;
  const ptrdiff_t pixels = ptrdiff_t{h->width} * h->height;

  if (h->colourType != kColourRgb) {
    if (dst != src) std::memcpy(dst, src, size_t(pixels) * sizeof(int16_t));
    return FindStars(dst, h, level, grow, mask);
  }

  int16_t* planes = static_cast<int16_t*>(AllocArray(3 * size_t(pixels), sizeof(int16_t)));
  int16_t* colourMask = static_cast<int16_t*>(AllocArray(3 * size_t(pixels), sizeof(int16_t)));
  int16_t* planeMasks[3] = {};
  auto release = [&] {
    FreeMem(&planes);
    for (int16_t*& m : planeMasks) FreeMem(&m);
  };
  if (!planes || !colourMask) {
    release();
    FreeMem(&colourMask);
    return IMG_NO_MEMORY;
  }
  int16_t* red = planes;
  int16_t* green = planes + pixels;
  int16_t* blue = planes + 2 * pixels;
  ExtractColourPlanes(src, h, 0, red, green, blue);
  ImageHeader grey = *h;
  grey.colourType = 0;
  const int32_t blueGrow = static_cast<int32_t>(std::clamp<int64_t>(int64_t{grow} + blueExtra, INT32_MIN, INT32_MAX));
  const int32_t grows[3] = {grow, grow, blueGrow};
  int16_t* each[3] = {red, green, blue};
  for (int c = 0; c < 3; ++c) {
    if (ImageResult e = FindStars(each[c], &grey, level, grows[c], &planeMasks[c])) {
      release();
      FreeMem(&colourMask);
      return e;
    }
  }
  MergeColourPlanes(dst, h, 1, red, green, blue);
  MergeColourPlanes(colourMask, h, 1, planeMasks[0], planeMasks[1], planeMasks[2]);
  release();
  *mask = colourMask;
  return IMG_OK;
}

ImageResult ReplaceMaskedPixels(int16_t* dst, const int16_t* src, const int16_t* mask, const ImageHeader* h) {
  if (!dst || !src || !mask || !h) return IMG_NULL_ARRAY;
  const ptrdiff_t n = ImageCols(h) * ImageRows(h) * SamplesPerPixel(h);
  for (ptrdiff_t i = 0; i < n; ++i) dst[i] = mask[i] >= 1 && mask[i] > src[i] ? mask[i] : src[i];
  return IMG_OK;
}
