#include "imagelib/hot_pixels.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <ctime>

#include "imagelib/random15.h"

namespace {

constexpr int32_t kMaxListSide = 65535;   // entries hold 16-bit coordinates

// Sample offset within a pixel of a colour entry's channel code 1..3 (B,G,R order).
inline int32_t ChannelOffset(uint16_t code) { return 3 - code; }

// The integer part of sigma x (a normally distributed value) + 0.5, plus mean.
int32_t GaussianValue(int32_t mean, int32_t sigma) {
  static bool haveCached = false;
  static double cached = 0.0;
  double value;
  if (haveCached) {
    value = cached;
    haveCached = false;
  } else {
    double u, v, s;
    do {
      u = Random15() * 2.0 / 32767.0 - 1.0;
      v = Random15() * 2.0 / 32767.0 - 1.0;
      s = u * u + v * v;
    } while (s <= 0.0 || s >= 1.0);
    const double f = std::sqrt(-2.0 * std::log(s) / s);
    cached = u * f;
    haveCached = true;
    value = v * f;
  }
  const double scaled = std::clamp(sigma * value + 0.5, -65536.0, 65536.0);
  return static_cast<int32_t>(scaled) + mean;
}

}  // namespace

ImageResult FindHotPixels(const int16_t* pixels, const ImageHeader* h, int32_t thresholdGreyOrRed,
                          int32_t thresholdGreen, int32_t thresholdBlue, HotPixelList** out) {
  if (!pixels) return IMG_NULL_IMAGE;
  if (!h || !out) return IMG_NULL_ARRAY;
  *out = nullptr;
  if (h->width > kMaxListSide || h->height > kMaxListSide) return IMG_BAD_PARAMETER;
  const ptrdiff_t W = ImageCols(h), H = ImageRows(h), spp = SamplesPerPixel(h);
  // Room for every sample, shrunk to the entries found at the end.
  auto* list = static_cast<HotPixelList*>(AllocArray(static_cast<size_t>(W * H * spp + 2), 8));
  if (!list) return IMG_NO_MEMORY;
  std::memcpy(list->magic, "HPX", 4);
  list->width = h->width;
  list->height = h->height;
  HotPixelEntry* entries = HotPixelEntries(list);
  int32_t n = 0;
  auto add = [&](uint16_t code, ptrdiff_t x, ptrdiff_t y) {
    entries[n][0] = code;
    entries[n][1] = static_cast<uint16_t>(x);
    entries[n][2] = static_cast<uint16_t>(y);
    entries[n][3] = 0;
    ++n;
  };
  // Colour rows: blue, green, then red entries, each pass left to right.
  struct Pass {
    int32_t offset;
    uint16_t code;
    int32_t threshold;
  };
  const Pass colourPasses[3] = {{0, 3, thresholdBlue}, {1, 2, thresholdGreen}, {2, 1, thresholdGreyOrRed}};
  const Pass greyPass[1] = {{0, 0, thresholdGreyOrRed}};
  const Pass* passes = spp == 3 ? colourPasses : greyPass;
  for (ptrdiff_t y = 0; y < H; ++y) {
    const int16_t* row = pixels + y * W * spp;
    for (ptrdiff_t p = 0; p < spp; ++p)
      for (ptrdiff_t x = 0; x < W; ++x)
        if (row[x * spp + passes[p].offset] > passes[p].threshold) add(passes[p].code, x, y);
  }
  list->count = n;
  // A failed shrink leaves the larger block, which is still a valid list.
  if (void* shrunk = ReallocMem(list, static_cast<uint32_t>(sizeof(HotPixelList) + 8 * size_t(n))))
    list = static_cast<HotPixelList*>(shrunk);
  *out = list;
  return IMG_OK;
}

ImageResult RepairHotPixels(const ImageHeader* h, const int16_t* src, int16_t* dst, const HotPixelEntry* entries,
                            int32_t count) {
  if (!h) return IMG_NULL_ARRAY;
  if (!src || !dst) return IMG_NULL_IMAGE;
  if (count > 0 && !entries) return IMG_NULL_ARRAY;
  const ptrdiff_t W = ImageCols(h), H = ImageRows(h), spp = SamplesPerPixel(h);
  if (src != dst) std::memmove(dst, src, static_cast<size_t>(W * H * spp) * sizeof(int16_t));

  // Entry j of a run of m repairs pixels x..x+m-1 but only its first one
  // keeps that value: the following entries of the run repair the rest again
  // from their freshly repaired left neighbour. So each entry writes just its
  // own pixel, with the run length that is left from it on.
  int32_t left = 0;   // run length of the previous entry, 0 when it repaired nothing
  for (int32_t i = 0; i < count; ++i) {
    const uint16_t code = entries[i][0];
    const ptrdiff_t x = entries[i][1], y = entries[i][2];
    const bool usable = code <= 3 && (spp == 1 || code != 0) && x >= 1 && x < W - 1 && y >= 1 && y < H - 1;
    if (!usable) {
      left = 0;
      continue;
    }
    int32_t m = left - 1;
    if (m < 1) {
      // A run ends at the last entry, at a break in x, row or channel, and
      // before the last column, so its right neighbour stays in the row.
      m = 1;
      for (int32_t j = i + 1; j < count && x + m <= W - 2; ++j, ++m)
        if (entries[j][0] != code || entries[j][2] != y || entries[j][1] != x + m) break;
    }
    left = m;
    int16_t* row = dst + y * W * spp + (spp == 3 ? ChannelOffset(code) : 0);
    const int32_t a = row[(x - 1) * spp], b = row[(x + m) * spp];
    row[x * spp] = static_cast<int16_t>(a + (b - a) / (m + 1));
  }
  return IMG_OK;
}

ImageResult AddSyntheticNoise(const ImageRect* r, const ImageHeader* h, int16_t* pixels, int32_t type) {
  if (!h) return IMG_NULL_ARRAY;
  if (!r || !RectInImage(r, h)) return IMG_BAD_RECT;
  if (!pixels) return IMG_NULL_IMAGE;
  if (r->w == 0 || r->h == 0) return IMG_OK;
  if (type < 0 || type > 10) return IMG_BAD_PARAMETER;
  SeedRandom15(static_cast<uint32_t>(std::time(nullptr)));
  const int32_t L = h->levels, top = L - 1;
  auto clampSum = [top](int32_t sum) {
    const auto v = static_cast<int16_t>(sum);
    return v < 0 ? int16_t{0} : v > top ? static_cast<int16_t>(top) : v;
  };
  for (ptrdiff_t y = r->y; y < ptrdiff_t{r->y} + r->h; ++y) {
    int16_t* p = pixels + y * ImageCols(h) + r->x;
    for (int32_t x = 0; x < r->w; ++x) {
      const int32_t r16 = Random15();
      int16_t& s = p[x];
      switch (type) {
        case 0: s = static_cast<int16_t>(std::clamp(GaussianValue(L / 2 - 1, L / 2 - 1), 0, top)); break;
        case 1: s = static_cast<int16_t>(((L / 4) & r16) + 3 * (L / 8)); break;
        case 2: s = static_cast<int16_t>(L & r16); break;
        case 3: s = clampSum(s + ((L / 4) & r16) - L / 8); break;
        case 4: s = clampSum(s + ((L / 2) & r16) - L / 4); break;
        case 5: if (r16 >= 32511) s = static_cast<int16_t>(top); break;
        case 6: if (r16 >= 30719) s = static_cast<int16_t>(top); break;
        case 7: if (r16 < 257) s = 0; break;
        case 8: if (r16 < 2049) s = 0; break;
        case 9: s = r16 >= 32511 ? static_cast<int16_t>(top) : r16 < 257 ? int16_t{0} : s; break;
        default: s = r16 >= 30719 ? static_cast<int16_t>(top) : r16 < 257 ? int16_t{0} : s; break;
      }
    }
  }
  return IMG_OK;
}

int16_t GaussianRandom(int32_t mean, int32_t sigma) {
  return static_cast<int16_t>(std::clamp<int32_t>(GaussianValue(mean, sigma), INT16_MIN, INT16_MAX));
}
