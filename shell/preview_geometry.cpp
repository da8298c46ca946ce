#include "preview_geometry.h"

#include <algorithm>
#include <cmath>

#include "imagelib/primitives.h"

namespace {

// floor(v) as a pixel; far-off and undefined values stay drawable.
int32_t FloorPixel(double v) {
  const double p = std::floor(v);
  if (!(p == p)) return 0;
  return int32_t(std::clamp(p, -1.0e6, 1.0e6));
}
int32_t RoundPixel(double v) { return FloorPixel(v + 0.5); }

// One axis of CutPreviewSection: origin and extent in source pixels, and the
// reduced size.
struct SectionAxis {
  int32_t origin, extent, reduced;
};

SectionAxis CutAxis(int32_t position, int32_t view, int32_t size, int32_t zoom) {
  const int32_t reduced = size / zoom;
  if (reduced <= view) return {0, size, reduced};
  const int32_t extent = view * zoom;   // <= size, as reduced > view
  const int64_t origin = std::clamp<int64_t>(int64_t(position) * zoom, 0, size - extent);
  return {int32_t(origin), extent, view};
}

}  // namespace

PreviewPlan PlanPreview(int32_t areaW, int32_t areaH, bool haveBitmap, int32_t w, int32_t h, int32_t scrollX,
                        int32_t scrollY) {
  const int32_t W = areaW, H = areaH;
  PreviewPlan p{};
  if (!haveBitmap) {
    p.bandCount = 1;
    p.bands[0] = {0, 0, W, H};
    return p;
  }
  const int32_t dx = (W - w) / 2, dy = (H - h) / 2;
  const PlotRect top = {0, 0, W, dy + 1}, bottom = {0, H - dy - 1, W, H};
  p.blit = true;
  if (w < W && h < H) {
    p.bandCount = 4;
    p.bands[0] = top;
    p.bands[1] = bottom;
    p.bands[2] = {0, dy, dx + 1, H - dy + 1};
    p.bands[3] = {W - dx - 1, dy, W, H - dy + 1};
    p.dstX = dx, p.dstY = dy, p.width = w, p.height = h;
  } else if (h < H) {
    p.bandCount = 2;
    p.bands[0] = top;
    p.bands[1] = bottom;
    p.dstY = dy, p.srcX = scrollX, p.width = W, p.height = h;
  } else if (w < W) {
    p.bandCount = 2;
    p.bands[0] = {0, 0, dx + 1, H};
    p.bands[1] = {W - dx - 1, 0, W, H};
    p.dstX = dx, p.srcY = scrollY, p.width = w, p.height = H;
  } else {
    p.srcX = scrollX, p.srcY = scrollY, p.width = W, p.height = H;
  }
  return p;
}

ScrollAxis PreviewScrollAxis(int32_t view, int32_t scaled, bool atOrigin) {
  if (scaled > view) {
    const int32_t range = scaled - view;
    return {atOrigin ? 0 : range / 2, range, true};
  }
  return {atOrigin ? (view - scaled) / 2 - 1 : 0, 0, false};
}

ImageResult CutPreviewSection(int16_t* dst, ImageHeader* dstHeader, const int16_t* src, const ImageHeader* srcHeader,
                              int32_t x, int32_t y, int32_t viewW, int32_t viewH, int32_t zoom) {
  if (!dst || !dstHeader || !srcHeader) return IMG_NULL_ARRAY;
  if (!src) return IMG_NULL_IMAGE;
  if (zoom < 1 || viewW < 1 || viewH < 1 || srcHeader->width < 1 || srcHeader->height < 1) return IMG_BAD_PARAMETER;
  const SectionAxis ax = CutAxis(x, viewW, srcHeader->width, zoom);
  const SectionAxis ay = CutAxis(y, viewH, srcHeader->height, zoom);
  *dstHeader = *srcHeader;
  dstHeader->width = ax.reduced;
  dstHeader->height = ay.reduced;
  const ImageRect section = {ax.origin, ay.origin, ax.extent, ay.extent};
  return CopyImageRectSubsampled(dst, src, srcHeader, &section, zoom);
}

int AllocThreePlanes(int16_t** a, int16_t** b, int16_t** c, const ImageHeader* h) {
  if (!a || !b || !c) return 0;
  *a = *b = *c = nullptr;
  if (!h || h->colourType != kColourRgb) return 0;
  const size_t n = size_t(ImageCols(h)) * size_t(ImageRows(h));
  if (n == 0) return 0;
  *a = static_cast<int16_t*>(AllocArray(n, sizeof(int16_t)));
  *b = static_cast<int16_t*>(AllocArray(n, sizeof(int16_t)));
  *c = static_cast<int16_t*>(AllocArray(n, sizeof(int16_t)));
  if (*a && *b && *c) return 1;
  FreeThreePlanes(a, b, c);
  return 0;
}

int FreeThreePlanes(int16_t** a, int16_t** b, int16_t** c) {
  if (a) FreeMem(a);
  if (b) FreeMem(b);
  if (c) FreeMem(c);
  return 1;
}

bool HistogramPolygon(std::vector<PlotPoint>* out, int32_t clientW, int32_t clientH, int32_t firstBin,
                      int32_t endBin, const uint32_t* counts) {
  const int32_t W = clientW - 1, H = clientH - 1;
  if (!out || !counts || W < 2 || H < 3 || firstBin < 0 || endBin <= firstBin) return false;
  const int64_t n = int64_t(endBin) - firstBin;
  const uint32_t* bins = counts + firstBin;
  const auto [lo, hi] = std::minmax_element(bins, bins + n);
  const bool tall = H > W;
  // Heights are measured from the smallest count, so that a histogram
  // without empty bins stays on the scale; columns past the bins are empty.
  const double base = std::log(double(*lo) + 1.0);
  const double s = (std::log(double(*hi) + 1.0) - base) / (tall ? W : H - 2);
  auto height = [&](uint32_t m) { return s > 0 ? std::max(0.0, (std::log(double(m) + 1.0) - base) / s) : 0.0; };
  const int32_t steps = tall ? H : W;
  const int64_t k = std::max<int64_t>(1, n / steps);   // bins per column (row)
  auto peak = [&](int32_t i) {
    uint32_t m = 0;
    for (int64_t j = i * k; j < (i + 1) * k && j < n; ++j) m = std::max(m, bins[j]);
    return m;
  };
  out->clear();
  out->reserve(size_t(steps) + 3);
  for (int32_t i = 0; i < steps; ++i) {
    const double v = height(peak(i));
    out->push_back(tall ? PlotPoint{FloorPixel(v), H - i} : PlotPoint{i + 1, FloorPixel(H - 1 - v)});
  }
  const PlotPoint first = out->front();
  if (tall) {
    out->push_back({1, 1});
    out->push_back({1, H});
  } else {
    out->push_back({W, H});
    out->push_back({1, H});
  }
  out->push_back(first);
  return true;
}

bool ContrastCurvePlot(CurvePlot* out, int32_t clientW, int32_t clientH, bool swapAxes, int32_t n, const double* x,
                       const double* y, double yMin, double yMax, double gridStepX, double gridStepY) {
  if (!out || !x || !y || n < 1) return false;
  const double xExtent = x[n - 1] - x[0], yExtent = yMax - yMin;
  if (!(xExtent > 0) || !(yExtent > 0)) return false;
  // Along x the values of x, along y those of y; swapped the other way round.
  const int32_t alongX = swapAxes ? clientH : clientW, alongY = swapAxes ? clientW : clientH;
  const double sx = (alongX - 1) / xExtent, sy = (alongY - 1) / yExtent;
  out->curve.clear();
  out->gridX.clear();
  out->gridY.clear();

  auto grid = [](double first, double step, double extent, double scale, std::vector<int32_t>* lines, auto place) {
    if (!(step > 0) || extent / step > 65536) return;
    double d = std::fmod(first, step);
    if (d < 0) d += step;
    for (; d < extent; d += step) lines->push_back(place(RoundPixel(d * scale)));
  };
  auto column = [](int32_t v) { return v; };
  auto row = [clientH](int32_t v) { return clientH - v; };
  if (swapAxes) {
    grid(x[0], gridStepX, xExtent, sx, &out->gridY, row);
    grid(yMin, gridStepY, yExtent, sy, &out->gridX, column);
  } else {
    grid(x[0], gridStepX, xExtent, sx, &out->gridX, column);
    grid(yMin, gridStepY, yExtent, sy, &out->gridY, row);
  }

  out->curve.reserve(size_t(n));
  for (int32_t i = 0; i < n; ++i) {
    const int32_t u = RoundPixel(x[i] * sx);
    const int32_t v = RoundPixel((y[i] - yMin) * sy);
    if (swapAxes) {
      out->curve.push_back({std::clamp(v, 1, std::max(1, clientW - 1)), clientH - u});
    } else {
      out->curve.push_back({u, std::clamp(clientH - v, 1, std::max(1, clientH - 1))});
    }
  }
  return true;
}
