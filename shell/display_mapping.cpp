#include "display_mapping.h"

#include <cmath>
#include <cstring>
#include <memory>
#include <new>
#include <utility>

namespace {

// What the colour steps keep of a level, and where in its step it is shown;
// flip 255 inverts.
struct StepCut {
  uint8_t mask;
  uint8_t offset;
  uint8_t flip;
};
constexpr StepCut kWholeLevels = {0xFF, 0, 0};

StepCut StepCutOf(int colourSteps, bool inverse) {
  const uint8_t flip = inverse ? 0xFF : 0;
  switch (colourSteps) {
    case 8: return {0x80, 64, flip};
    case 16: return {0xC0, 32, flip};
    case 32: return {0xE0, 16, flip};
    case 64: return {0xF0, 8, flip};
    case 128: return {0xFC, 2, flip};
    default: return {0xFF, 0, flip};
  }
}

// The row kernel of every repaint. Kept free of branches and tables so that
// the compiler turns it into vector code: samples below 0 (never valid) give
// level 0, the level is cut to its step, and flip inverts it (255 - v is
// v ^ 255 for 0..255).
void MapSampleRow(uint8_t* out, const int16_t* in, size_t n, StepCut cut) {
  for (size_t i = 0; i < n; ++i) {
    const int16_t s = in[i] > 0 ? in[i] : int16_t(0);
    out[i] = uint8_t((((s >> 7) & cut.mask) + cut.offset) ^ cut.flip);
  }
}

inline int Clamp255(int v) { return v < 0 ? 0 : (v > 255 ? 255 : v); }

bool ValidPicture(const int16_t* samples, const ImageHeader* h) {
  return samples && h && h->width > 0 && h->height > 0 && DibRowsSize(h->width, h->height, false) > 0;
}

// Error diffusion of colour rows: values 0..255 per channel come from
// fill(y, values) for picture row y; each is quantised through `quant`, 3/8 of
// the error goes right, 3/8 down, 1/4 down-right.
template <class FillRow>
int DitherRows(uint8_t* rows, int32_t w, int32_t h, const uint8_t quant[256], FillRow fill) {
  const size_t stride = DibStride(w, 3);
  const size_t n = size_t(w) * 3;
  std::unique_ptr<int32_t[]> lines(new (std::nothrow) int32_t[2 * n]);
  if (!lines) return 0;
  int32_t* cur = lines.get();
  int32_t* next = cur + n;
  fill(0, cur);
  for (int32_t y = 0; y < h; ++y) {
    const bool more = y + 1 < h;
    if (more) fill(y + 1, next);
    uint8_t* out = rows + size_t(h - 1 - y) * stride;
    for (size_t i = 0; i < n; ++i) {
      const int v = cur[i];
      const int q = quant[v];
      out[i] = uint8_t(q);
      const int e = v - q;
      const int e38 = (3 * e) >> 3;
      const bool right = i + 3 < n;
      if (right) cur[i + 3] = Clamp255(cur[i + 3] + e38);
      if (more) {
        next[i] = Clamp255(next[i] + e38);
        if (right) next[i + 3] = Clamp255(next[i + 3] + (e >> 2));
      }
    }
    std::memset(out + n, 0, stride - n);
    std::swap(cur, next);
  }
  return 1;
}

}  // namespace

size_t DibStride(int32_t width, int bytesPerPixel) {
  if (width < 1) return 0;
  return (size_t(width) * size_t(bytesPerPixel) + 3) / 4 * 4;
}

size_t DibRowsSize(int32_t width, int32_t height, bool colour) {
  if (width < 1 || height < 1) return 0;
  const uint64_t size = uint64_t(DibStride(width, colour ? 3 : 1)) * uint64_t(height);
  return size > 0x7FFFFFFFu ? 0 : size_t(size);
}

int MapImageRows(uint8_t* rows, const int16_t* samples, const ImageHeader* h, const DisplaySettings& s) {
  if (!rows || !ValidPicture(samples, h)) return 0;
  const bool colour = h->colourType == kColourRgb;
  if (colour && DibRowsSize(h->width, h->height, true) == 0) return 0;
  const int32_t width = h->width, height = h->height;
  const size_t rowSamples = size_t(width) * (colour ? 3 : 1);
  const bool inverse = colour && s.paletteType == 1;

  if (colour && s.screenBits <= 8) {
    uint8_t quant[256];
    for (int v = 0; v < 256; ++v) quant[v] = uint8_t((v + 42) / 85 * 85);
    std::unique_ptr<uint8_t[]> levels(new (std::nothrow) uint8_t[rowSamples]);
    if (!levels) return 0;
    const StepCut whole = {0xFF, 0, uint8_t(inverse ? 0xFF : 0)};
    return DitherRows(rows, width, height, quant, [&](int32_t y, int32_t* values) {
      MapSampleRow(levels.get(), samples + size_t(y) * rowSamples, rowSamples, whole);
      for (size_t i = 0; i < rowSamples; ++i) values[i] = levels[i];
    });
  }

  const StepCut cut = colour ? StepCutOf(s.colourSteps, inverse) : kWholeLevels;
  const size_t stride = DibStride(width, colour ? 3 : 1);
  for (int32_t y = 0; y < height; ++y) {
    uint8_t* out = rows + size_t(height - 1 - y) * stride;
    MapSampleRow(out, samples + size_t(y) * rowSamples, rowSamples, cut);
    std::memset(out + rowSamples, 0, stride - rowSamples);
  }
  return 1;
}

int ScaleImageRows(uint8_t* rows, const int16_t* samples, int32_t outWidth, int32_t outHeight,
                   int32_t sourceHeight, int bitsPerPixel, const ImageHeader* h, const DisplaySettings& s) {
  if (!rows || !ValidPicture(samples, h)) return 0;
  const bool colour = h->colourType == kColourRgb;
  if (DibRowsSize(outWidth, outHeight, colour) == 0) return 0;
  const int spp = colour ? 3 : 1;
  const int32_t width = h->width;
  const int32_t height = sourceHeight >= 1 && sourceHeight <= h->height ? sourceHeight : h->height;
  const size_t rowSamples = size_t(width) * spp;

  // Source positions in sixteenths of a pixel; one scale for both axes.
  const double f = double(width) / outWidth * 16.0;
  auto position = [f](int32_t i, int32_t limit) {
    const double p = std::floor(i * f + 0.5);
    return p > limit ? limit : int32_t(p);
  };
  std::unique_ptr<int32_t[]> xs(new (std::nothrow) int32_t[outWidth]);
  if (!xs) return 0;
  for (int32_t c = 0; c < outWidth; ++c) xs[c] = position(c, (width - 1) * 16);

  // Bilinear value 0..255 of every sample of output row r.
  auto fillRow = [&](int32_t r, auto put) {
    const int32_t py = position(r, (height - 1) * 16);
    const int fy = py & 15;
    const int16_t* top = samples + size_t(py >> 4) * rowSamples;
    const int16_t* bottom = fy ? top + rowSamples : top;   // weight 0: not read
    for (int32_t c = 0; c < outWidth; ++c) {
      const int fx = xs[c] & 15;
      const size_t i = size_t(xs[c] >> 4) * spp;
      const size_t j = fx ? i + spp : i;
      for (int ch = 0; ch < spp; ++ch) {
        put(size_t(c) * spp + ch, BilinearLevel(top[i + ch], top[j + ch], bottom[i + ch], bottom[j + ch], fx, fy));
      }
    }
  };

  if (colour && bitsPerPixel < 9) {
    uint8_t quant[256];
    for (int v = 0; v < 256; ++v) quant[v] = uint8_t(((v + 31) >> 6) * 63);
    return DitherRows(rows, outWidth, outHeight, quant, [&](int32_t r, int32_t* values) {
      fillRow(r, [values](size_t i, int v) { values[i] = v; });
    });
  }

  uint8_t cut[256];
  const StepCut step = colour ? StepCutOf(s.colourSteps, false) : kWholeLevels;
  for (int v = 0; v < 256; ++v) cut[v] = uint8_t((v & step.mask) + step.offset);
  const size_t stride = DibStride(outWidth, spp);
  const size_t used = size_t(outWidth) * spp;
  for (int32_t r = 0; r < outHeight; ++r) {
    uint8_t* out = rows + size_t(outHeight - 1 - r) * stride;
    fillRow(r, [out, &cut](size_t i, int v) { out[i] = cut[v]; });
    std::memset(out + used, 0, stride - used);
  }
  return 1;
}

int DrawIsophoteRows(uint8_t* rows, int32_t width, int32_t height, bool colour, const DisplaySettings& s) {
  if (!s.isophotes || !rows || DibRowsSize(width, height, colour) == 0) return 0;
  const int distance = s.isophoteDistance >= 1 ? s.isophoteDistance : 1;
  const size_t stride = DibStride(width, colour ? 3 : 1);
  std::unique_ptr<int32_t[]> bands(new (std::nothrow) int32_t[2 * size_t(width)]);
  if (!bands) return 0;
  int32_t* here = bands.get();
  int32_t* above = here + width;   // the next buffer row, one picture row up

  if (!colour) {
    // 255 is the isophote entry of the colour table.
    for (int32_t y = 0; y < height; ++y) {
      uint8_t* p = rows + size_t(y) * stride;
      for (int32_t x = 0; x < width; ++x) p[x] = p[x] == 255 ? 254 : p[x];
    }
  }
  uint8_t bandOf[256];   // level (colour: b/6 + g/2 + r/3, at most 254) to band
  for (int v = 0; v < 256; ++v) bandOf[v] = uint8_t(v / distance);
  auto bandsOf = [&](const uint8_t* p, int32_t* out) {
    if (colour) {
      for (int32_t x = 0; x < width; ++x, p += 3) out[x] = bandOf[p[0] / 6 + p[1] / 2 + p[2] / 3];
    } else {
      for (int32_t x = 0; x < width; ++x) out[x] = bandOf[p[x]];
    }
  };

  // Bands come from the unchanged rows: a row is marked only after its bands
  // and those of the row after it were taken.
  bandsOf(rows, here);
  for (int32_t y = 0; y + 1 < height; ++y) {
    uint8_t* p = rows + size_t(y) * stride;
    bandsOf(p + stride, above);
    for (int32_t x = 0; x + 1 < width; ++x) {
      if (here[x] == here[x + 1] && here[x] == above[x]) continue;
      if (colour) {
        p[3 * x] = s.isophoteColour.b;
        p[3 * x + 1] = s.isophoteColour.g;
        p[3 * x + 2] = s.isophoteColour.r;
      } else {
        p[x] = 255;
      }
    }
    std::swap(here, above);
  }
  return 1;
}

void QuantiseDibColours(uint8_t* rows, int32_t width, int32_t height, int colourSteps) {
  if (!rows || DibRowsSize(width, height, false) == 0) return;
  const uint8_t mask = uint8_t(~(ColourStepWidth(colourSteps) - 1));
  const size_t stride = DibStride(width, 1);
  for (int32_t y = 0; y < height; ++y) {
    uint8_t* p = rows + size_t(y) * stride;
    for (int32_t x = 0; x < width; ++x) p[x] &= mask;
  }
}

void BuildColourTable(Bgr table[256], int imageColourType, const DisplaySettings& s, bool halve) {
  const int type = EffectivePaletteType(imageColourType, s.paletteType);
  for (int j = 0; j < 256; ++j) table[j] = LevelColour(StepMiddleLevel(j, s.colourSteps), type, s.colours);
  if (s.isophotes) table[255] = s.isophoteColour;
  if (halve) {
    for (int j = 0; j < 256; ++j) table[j] = {uint8_t(table[j].b / 2), uint8_t(table[j].g / 2), uint8_t(table[j].r / 2)};
  }
}

void FillColourBarRows(uint8_t* rows, int32_t w, int32_t h, bool vertical, const double* curve) {
  if (!rows || DibRowsSize(w, h, false) == 0) return;
  const size_t stride = DibStride(w, 1);
  auto level = [curve](int32_t i, int32_t n) {
    double v = std::floor(i * 255.0 / n + 0.5);
    if (curve) v = std::floor(curve[int(v)] + 0.5);
    if (!(v >= 0)) return uint8_t(0);   // also NaN from a broken curve
    return uint8_t(v > 254 ? 254 : v);
  };
  for (int32_t y = 0; y < h; ++y) {
    uint8_t* p = rows + size_t(y) * stride;
    if (vertical) {
      std::memset(p, level(y, h), stride);
    } else {
      for (int32_t x = 0; x < w; ++x) p[x] = level(x, w);
    }
  }
}

void SubsampleForZoom(int16_t* dst, int32_t dstW, int32_t dstH, const int16_t* src, const ImageHeader* h,
                      int32_t n, int32_t x0, int32_t y0) {
  if (!dst || !src || !h || dstW < 1 || dstH < 1) return;
  if (n < 1) n = 1;
  const int spp = SamplesPerPixel(h);
  const int64_t width = ImageCols(h), height = ImageRows(h);
  for (int32_t j = 0; j < dstH; ++j) {
    const int64_t sy = (int64_t(y0) + j) * n;
    if (sy < 0) continue;
    if (sy >= height) break;
    const int16_t* row = src + sy * width * spp;
    int16_t* out = dst + int64_t(j) * dstW * spp;
    for (int32_t i = 0; i < dstW; ++i) {
      const int64_t sx = (int64_t(x0) + i) * n;
      if (sx < 0) continue;
      if (sx >= width) break;
      for (int c = 0; c < spp; ++c) out[int64_t(i) * spp + c] = row[sx * spp + c];
    }
  }
}

void ComposeShiftOverlay(uint8_t* rows, const int16_t* a, const int16_t* b, const ImageHeader* h, int32_t dx,
                         int32_t dy, bool inverse) {
  if (!rows || !a || !b || !h) return;
  const bool colour = h->colourType == kColourRgb;
  const int32_t width = h->width, height = h->height;
  if (DibRowsSize(width, height, colour) == 0) return;
  const int spp = colour ? 3 : 1;
  const size_t stride = DibStride(width, spp);
  auto level = [](int16_t v) { return v > 0 ? v >> 8 : 0; };
  for (int32_t y = 0; y < height; ++y) {
    uint8_t* out = rows + size_t(height - 1 - y) * stride;
    std::memset(out, 0, stride);
    const int64_t by = int64_t(y) - dy;
    if (by < 0 || by >= height) continue;
    for (int32_t x = 0; x < width; ++x) {
      const int64_t bx = int64_t(x) - dx;
      if (bx < 0 || bx >= width) continue;
      const int16_t* pa = a + (size_t(y) * width + x) * spp;
      const int16_t* pb = b + (size_t(by) * width + size_t(bx)) * spp;
      for (int c = 0; c < spp; ++c) {
        const int va = level(pa[c]), vb = level(pb[c]);
        out[x * spp + c] = uint8_t(inverse ? ~va - vb : va + vb);
      }
    }
  }
}
