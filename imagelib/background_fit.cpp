#include "imagelib/background_fit.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "imagelib/colour_channels.h"
#include "imagelib/fitting.h"
#include "imagelib/scratch.h"
#include "imagelib/statistics.h"

namespace {

constexpr int32_t kGridSide = 8;

// Peak level of the (subsampled) histogram of r of a grey image.
ImageResult PeakLevel(const ImageRect& r, const ImageHeader* grey, const int16_t* samples, uint32_t* hist,
                      int32_t* peak) {
  LevelsRecord levels;
  if (ImageResult e = ComputeRegionHistogram(&r, grey, samples, hist)) return e;
  if (ImageResult e = AnalyseLevels(hist, grey->levels, 1, 0, 0, &levels)) return e;
  *peak = levels.peakLevel;
  return IMG_OK;
}

ImageResult CheckGreyRegion(const ImageRect* r, const ImageHeader* h, const void* samples, const void* out) {
  if (!h) return IMG_NULL_ARRAY;
  if (!r || !RectInImage(r, h)) return IMG_BAD_RECT;
  if (!samples || !out) return IMG_NULL_IMAGE;
  if (h->colourType == kColourRgb || h->levels < 2) return IMG_BAD_PARAMETER;
  return IMG_OK;
}

// The surface through the grid of one plane: all 64 samples, then again
// the 32 closest to that first surface. When those 32 cannot determine the
// surface (all in a few columns, say) the first one stands.
ImageResult FitPlane(const ImageRect& inner, const ImageHeader* grey, const int16_t* plane, int32_t degree,
                     double* coeffs) {
  double x[kGridSamples], y[kGridSamples], z[kGridSamples], residual[kGridSamples], best[25];
  if (ImageResult e = PlaceSampleGrid(&inner, grey, plane, x, y, z)) return e;
  if (!FitSurface(degree, kGridSamples, x, y, z, coeffs)) return IMG_BAD_PARAMETER;
  for (int32_t i = 0; i < kGridSamples; ++i) residual[i] = std::fabs(z[i] - EvaluateSurface(degree, x[i], y[i], coeffs));
  SortSamples(x, y, z, residual, kGridSamples);
  if (FitSurface(degree, kGridSamples / 2, x, y, z, best)) std::copy(best, best + (degree + 1) * (degree + 1), coeffs);
  return IMG_OK;
}

inline int16_t SurfaceSample(double v) { return static_cast<int16_t>(std::floor(std::clamp(v, 0.0, 32767.0) + 0.5)); }

}  // namespace

void SortSamples(double* x, double* y, double* z, double* key, int32_t n) {
  if (!x || !y || !z || !key) return;
  for (bool swapped = true; swapped;) {
    swapped = false;
    for (int32_t i = 0; i + 1 < n; ++i)
      if (key[i + 1] < key[i]) {
        std::swap(key[i], key[i + 1]);
        std::swap(x[i], x[i + 1]);
        std::swap(y[i], y[i + 1]);
        std::swap(z[i], z[i + 1]);
        swapped = true;
      }
  }
}

ImageResult PlaceSampleGrid(const ImageRect* r, const ImageHeader* h, const int16_t* samples, double* x, double* y,
                            double* z) {
  if (ImageResult e = CheckGreyRegion(r, h, samples, x)) return e;
  if (!y || !z) return IMG_NULL_IMAGE;
  ScratchArray<uint32_t> hist{size_t(h->levels)};
  if (!hist.p) return IMG_NO_MEMORY;
  for (int32_t j = 0; j < kGridSide; ++j)
    for (int32_t i = 0; i < kGridSide; ++i) {
      ImageRect box;
      MakeRect(&box, r->x + i * r->w / kGridSide, r->y + j * r->h / kGridSide, r->w / kGridSide, r->h / kGridSide);
      int32_t peak = 0;
      if (ImageResult e = PeakLevel(box, h, samples, hist.p, &peak)) return e;
      const int32_t k = j * kGridSide + i;
      x[k] = 0.001 * (r->x + (i + 0.5) * r->w / double(kGridSide));
      y[k] = 0.001 * (r->y + (j + 0.5) * r->h / double(kGridSide));
      z[k] = 0.001 * peak;
    }
  return IMG_OK;
}

ImageResult MeasureTileBackgrounds(int16_t* levels, const int16_t* samples, const ImageRect* r, const ImageHeader* h,
                                   int32_t nx, int32_t ny) {
  if (ImageResult e = CheckGreyRegion(r, h, samples, levels)) return e;
  if (nx < 1 || ny < 1) return IMG_BAD_PARAMETER;
  ScratchArray<uint32_t> hist{size_t(h->levels)};
  if (!hist.p) return IMG_NO_MEMORY;
  const int32_t tw = r->w / nx, th = r->h / ny;
  for (int32_t j = 0; j < ny; ++j)
    for (int32_t i = 0; i < nx; ++i) {
      ImageRect tile;
      MakeRect(&tile, r->x + i * tw, r->y + j * th, tw, th);
      int32_t peak = 0;
      if (ImageResult e = PeakLevel(tile, h, samples, hist.p, &peak)) return e;
      levels[ptrdiff_t{j} * nx + i] = static_cast<int16_t>(peak);
    }
  return IMG_OK;
}

ImageResult RemoveBackgroundGradient(int16_t* dst, const int16_t* src, const ImageHeader* h, int32_t degree,
                                     double factor, int32_t perChannel) {
  if (!h) return IMG_NULL_ARRAY;
  if (!dst || !src) return IMG_NULL_IMAGE;
  if (degree < 0 || degree > 4 || !std::isfinite(factor) || h->levels < 2) return IMG_BAD_PARAMETER;
  if (h->width < kMinBackgroundSide || h->height < kMinBackgroundSide) return IMG_BAD_RECT;
  const ptrdiff_t w = h->width, ht = h->height, pixels = w * ht;
  const bool colour = h->colourType == kColourRgb;
  ImageRect inner;
  MakeRect(&inner, kBackgroundMargin, kBackgroundMargin, h->width - 2 * kBackgroundMargin,
           h->height - 2 * kBackgroundMargin);
  ImageHeader grey = *h;
  grey.colourType = 0;
  // Planes fitted: the grey image, each channel, or the luminance. Every
  // fit is done before anything is written, so dst may be src.
  const int32_t fits = colour && (perChannel == 1 || degree == 0) ? 3 : 1;
  ScratchArray<int16_t> plane{colour ? size_t(pixels) : 0};
  ScratchArray<uint32_t> hist{size_t(h->levels)};
  if ((colour && !plane.p) || !hist.p) return IMG_NO_MEMORY;
  double coeffs[3][25] = {};
  int32_t flat[3] = {};
  for (int32_t k = 0; k < fits; ++k) {
    const int16_t* p = src;
    if (colour && fits == 3)
      ExtractColourPlanes(src, h, 3 - k, plane.p, nullptr, nullptr);   // blue, green, red: modes 3, 2, 1
    else if (colour)
      RgbToLuminance(src, h, plane.p);
    if (colour) p = plane.p;
    ImageResult e = degree == 0 ? PeakLevel(inner, &grey, p, hist.p, &flat[k])
                                : FitPlane(inner, &grey, p, degree, coeffs[k]);
    if (e != IMG_OK) return e;
  }
  const ptrdiff_t spp = colour ? 3 : 1;
  if (degree == 0) {
    for (ptrdiff_t i = 0; i < pixels * spp; ++i) dst[i] = SurfaceSample(std::trunc(flat[i % fits] * factor + 0.5));
    return IMG_OK;
  }
  for (ptrdiff_t r = 0; r < ht; ++r)
    for (ptrdiff_t c = 0; c < w; ++c)
      for (ptrdiff_t k = 0; k < spp; ++k) {
        const double v = 1000.0 * EvaluateSurface(degree, 0.001 * c, 0.001 * r, coeffs[fits == 3 ? k : 0]) * factor;
        dst[(r * w + c) * spp + k] = SurfaceSample(v);
      }
  return IMG_OK;
}
