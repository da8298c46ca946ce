#include "imagelib/colour_channels.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

constexpr int kBlue = 0, kGreen = 1, kRed = 2;

// One channel's move: a shift, and for size != 0 an enlargement whose source
// columns are the same for every row, so they are worked out once.
struct ChannelMove {
  int channel;
  int32_t dx, dy, size;
  double f;        // source step per result pixel, hw / (hw + size)
  int32_t* x0;     // per result column: left source column, -1 when none
  int32_t* fx;     // per result column: weight of the right column, 0..255
};

void PrepareColumns(ChannelMove& m, ptrdiff_t W) {
  const ptrdiff_t hw = W / 2;
  for (ptrdiff_t c = 0; c < W; ++c) {
    m.x0[c] = -1;
    if (c > W - 2) continue;   // the last column stays 0
    const double xs = static_cast<double>(int64_t{hw} - m.dx) + static_cast<double>(c - hw) * m.f;
    const double x0 = std::floor(xs);
    if (x0 >= 0 && x0 + 1 <= static_cast<double>(W - 2)) {
      m.x0[c] = static_cast<int32_t>(x0);
      m.fx[c] = static_cast<int32_t>((xs - x0) * 256.0);
    }
  }
}

// Writes channel m.channel of result row r (3 * W samples at out).
void MoveChannelRow(const ChannelMove& m, const int16_t* src, int16_t* out, ptrdiff_t r, ptrdiff_t W, ptrdiff_t H) {
  const int ch = m.channel;
  for (ptrdiff_t c = 0; c < W; ++c) out[c * 3 + ch] = 0;
  if (m.size == 0) {
    const int64_t sr = r - int64_t{m.dy};
    if (sr < 0 || sr >= H) return;
    const ptrdiff_t c0 = static_cast<ptrdiff_t>(std::clamp<int64_t>(m.dx, 0, W));
    const ptrdiff_t c1 = static_cast<ptrdiff_t>(std::clamp<int64_t>(W + int64_t{m.dx}, 0, W));
    const int16_t* in = src + sr * W * 3 + ch;
    for (ptrdiff_t c = c0; c < c1; ++c) out[c * 3 + ch] = in[(c - m.dx) * 3];
    return;
  }
  if (r > H - 2) return;   // the last row stays 0
  const ptrdiff_t hh = H / 2;
  const double ys = static_cast<double>(int64_t{hh} - m.dy) + static_cast<double>(r - hh) * m.f;
  const double y0 = std::floor(ys);
  if (!(y0 >= 0 && y0 + 1 <= static_cast<double>(H - 2))) return;
  const uint32_t fy = static_cast<uint32_t>((ys - y0) * 256.0);
  const int16_t* top = src + static_cast<ptrdiff_t>(y0) * W * 3 + ch;
  const int16_t* bottom = top + W * 3;
  for (ptrdiff_t c = 0; c < W; ++c) {
    const int32_t x = m.x0[c];
    if (x < 0) continue;
    const int32_t p00 = top[x * 3], p01 = top[x * 3 + 3];
    const int32_t p10 = bottom[x * 3], p11 = bottom[x * 3 + 3];
    const uint32_t fx = static_cast<uint32_t>(m.fx[c]);
    // 8-bit weights in unsigned 32-bit arithmetic, so a wrap-around stays defined.
    const uint32_t v = uint32_t(p01 - p00) * fx * 256u + uint32_t(p00) * 65536u +
                       (uint32_t(p10 - p00) * 256u + uint32_t(p11 - p10 - p01 + p00) * fx) * fy;
    out[c * 3 + ch] = static_cast<int16_t>(static_cast<uint16_t>(v >> 16));
  }
}

inline int16_t Luminance(const int16_t* p) {
  const double v = 0.299 * p[kRed] + 0.587 * p[kGreen] + 0.114 * p[kBlue];
  return static_cast<int16_t>(static_cast<int32_t>(std::floor(v + 0.5)));
}

}  // namespace

ImageResult AlignColourChannels(const int16_t* src, int16_t* dst, const ImageHeader* h, int32_t blueDx,
                                int32_t blueDy, int32_t blueSize, int32_t redDx, int32_t redDy, int32_t redSize) {
  if (!src || !dst) return IMG_NULL_IMAGE;
  if (!h) return IMG_NULL_ARRAY;
  if (h->colourType != kColourRgb) return IMG_BAD_PARAMETER;
  const ptrdiff_t W = ImageCols(h), H = ImageRows(h), hw = W / 2;
  ChannelMove moves[2] = {{kBlue, blueDx, blueDy, blueSize, 0.0, nullptr, nullptr},
                          {kRed, redDx, redDy, redSize, 0.0, nullptr, nullptr}};
  bool enlarge = false;
  for (ChannelMove& m : moves) {
    if (m.size == 0) continue;
    // No usable factor: the channel would shrink to nothing or turn over.
    if (hw == 0 || hw + int64_t{m.size} <= 0) return IMG_BAD_PARAMETER;
    m.f = static_cast<double>(hw) / static_cast<double>(hw + int64_t{m.size});
    enlarge = true;
  }

  int16_t* temp = nullptr;
  int32_t* columns = nullptr;
  if (src == dst && !(temp = static_cast<int16_t*>(AllocArray(3 * W * H, sizeof(int16_t))))) return IMG_NO_MEMORY;
  if (enlarge) {
    if (!(columns = static_cast<int32_t*>(AllocArray(4 * W, sizeof(int32_t))))) {
      FreeMem(&temp);
      return IMG_NO_MEMORY;
    }
    for (int i = 0; i < 2; ++i) {
      moves[i].x0 = columns + 2 * i * W;
      moves[i].fx = columns + (2 * i + 1) * W;
      if (moves[i].size != 0) PrepareColumns(moves[i], W);
    }
  }

  int16_t* result = temp ? temp : dst;
  for (ptrdiff_t r = 0; r < H; ++r) {
    int16_t* out = result + r * W * 3;
    const int16_t* in = src + r * W * 3;
    for (ptrdiff_t c = 0; c < W; ++c) out[c * 3 + kGreen] = in[c * 3 + kGreen];
    for (const ChannelMove& m : moves) MoveChannelRow(m, src, out, r, W, H);
  }
  if (temp) std::memcpy(dst, temp, 3 * W * H * sizeof(int16_t));
  FreeMem(&temp);
  FreeMem(&columns);
  return IMG_OK;
}

ImageResult RgbToLuminance(const int16_t* rgb, const ImageHeader* h, int16_t* grey) {
  if (!grey || !rgb) return IMG_NULL_IMAGE;
  if (!h) return IMG_NULL_ARRAY;
  if (h->colourType != kColourRgb || rgb == grey) return IMG_BAD_PARAMETER;
  const ptrdiff_t n = ImageCols(h) * ImageRows(h);
  for (ptrdiff_t i = 0; i < n; ++i) grey[i] = Luminance(rgb + 3 * i);
  return IMG_OK;
}

ImageResult ExtractColourPlanes(const int16_t* rgb, const ImageHeader* h, int32_t mode, int16_t* out1, int16_t* out2,
                                int16_t* out3) {
  if (!out1 || !rgb) return IMG_NULL_IMAGE;
  if (mode == 0 && (!out2 || !out3)) return IMG_NULL_IMAGE;
  if (!h) return IMG_NULL_ARRAY;
  if (h->colourType != kColourRgb || rgb == out1) return IMG_BAD_PARAMETER;
  if (mode == 0 && (rgb == out2 || rgb == out3)) return IMG_BAD_PARAMETER;
  const ptrdiff_t n = ImageCols(h) * ImageRows(h);
  auto plane = [&](int16_t* out, int ch) {
    for (ptrdiff_t i = 0; i < n; ++i) out[i] = rgb[3 * i + ch];
  };
  switch (mode) {
    case 0:
      plane(out1, kRed);
      plane(out2, kGreen);
      plane(out3, kBlue);
      break;
    case 1: plane(out1, kRed); break;
    case 2: plane(out1, kGreen); break;
    case 3: plane(out1, kBlue); break;
    case 4: RgbToLuminance(rgb, h, out1); break;
    default: break;
  }
  return IMG_OK;
}

ImageResult MergeColourPlanes(int16_t* rgb, const ImageHeader* h, int32_t mode, const int16_t* r, const int16_t* g,
                              const int16_t* b) {
  if (!rgb || !r || !b) return IMG_NULL_IMAGE;
  if (mode == 1 && !g) return IMG_NULL_IMAGE;
  if (!h) return IMG_NULL_ARRAY;
  // A plane in the same buffer would be overwritten before it is read.
  if ((mode == 1 || mode == 2) && (rgb == r || rgb == b || (mode == 1 && rgb == g))) return IMG_BAD_PARAMETER;
  const ptrdiff_t n = ImageCols(h) * ImageRows(h);
  switch (mode) {
    case 1:
    case 2:
      for (ptrdiff_t i = 0; i < n; ++i) {
        rgb[3 * i + kBlue] = b[i];
        rgb[3 * i + kGreen] = mode == 1 ? g[i] : 0;
        rgb[3 * i + kRed] = r[i];
      }
      break;
    case 3:
      for (ptrdiff_t i = 0; i < n; ++i) {
        const int16_t blue = b[3 * i + kBlue], red = r[3 * i + kRed];
        const int32_t green = (b[3 * i + kGreen] + r[3 * i + kGreen]) / 2;
        rgb[3 * i + kBlue] = blue;
        rgb[3 * i + kGreen] = static_cast<int16_t>(green);
        rgb[3 * i + kRed] = red;
      }
      break;
    default: break;
  }
  return IMG_OK;
}
