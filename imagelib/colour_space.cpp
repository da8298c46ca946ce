#include "imagelib/colour_space.h"

#include <algorithm>
#include <cmath>

#include "imagelib/contrast.h"
#include "imagelib/primitives.h"
#include "imagelib/trigon.h"

namespace {

constexpr double kTurnsPerRadian = 5215.189175235227;   // 32768 / (2 pi)
constexpr double kReferenceKelvin = 5000.0;
constexpr double kPlanckHc = 1.9864748e-25;

// Red, green and blue at 700, 546.1 and 435.8 nm: wavelength times
// Boltzmann's constant, and the scale that brings the three radiances to
// one another.
constexpr double kLambdaK[3] = {9.66e-30, 7.53618e-30, 6.01404e-30};
constexpr double kRadianceScale[3] = {29705216.34186354, 102792644.01838458, 317604604.62497234};
constexpr double kLumaWeight[3] = {0.299, 0.587, 0.114};

// The decorrelated space's coefficients, taken at run time.
struct Axes {
  double c2_6 = 2.0 / std::sqrt(6.0);
  double c1_6 = 1.0 / std::sqrt(6.0);
  double c1_2 = 1.0 / std::sqrt(2.0);
  double c1_3 = 1.0 / std::sqrt(3.0);
  double sqrt3 = std::sqrt(3.0);
};

// 32767 at or above it, 0 at or below 0 (NaN too), else cut.
inline int16_t ToSample(double v) {
  if (!(v > 0.0)) return 0;
  if (v >= 32767.0) return 32767;
  return static_cast<int16_t>(v);
}

ImageResult CheckColour(const ImageHeader* h, bool buffersOk) {
  if (!h) return IMG_NULL_ARRAY;
  if (!buffersOk) return IMG_NULL_IMAGE;
  if (h->colourType != kColourRgb) return IMG_BAD_PARAMETER;
  return IMG_OK;
}

bool TablesLoaded() { return SineTable && AtanTable; }

// log(e^x - 1) without overflow for large x.
double LogExpm1(double x) { return x > 30.0 ? x + std::log1p(-std::exp(-x)) : std::log(std::expm1(x)); }

// Channel factors (red, green, blue) that move the white point from 5000 K
// to kelvin at constant luminance. Worked in logarithms, so that radiances
// that underflow at a few kelvin still give finite factors.
void TemperatureFactors(double kelvin, double f[3]) {
  double logT[3], logRef[3], top = -HUGE_VAL, refLuma = 0.0;
  for (int c = 0; c < 3; ++c) {
    logT[c] = std::log(kRadianceScale[c]) - LogExpm1(kPlanckHc / (kelvin * kLambdaK[c]));
    logRef[c] = std::log(kRadianceScale[c]) - LogExpm1(kPlanckHc / (kReferenceKelvin * kLambdaK[c]));
    top = std::max(top, logT[c]);
    refLuma += kLumaWeight[c] * std::exp(logRef[c]);
  }
  double luma = 0.0;   // luminance at kelvin, in units of e^top
  for (int c = 0; c < 3; ++c) luma += kLumaWeight[c] * std::exp(logT[c] - top);
  for (int c = 0; c < 3; ++c) f[c] = std::exp(logT[c] - top - logRef[c]) * refLuma / luma;
}

// Hue turn in table units, taken modulo the full turn.
int32_t HueSteps(double radians) {
  const double steps = std::trunc(radians * kTurnsPerRadian + 0.5);
  if (!std::isfinite(steps)) return 0;
  return static_cast<int32_t>(std::fmod(steps, double{kTrigAngles}));
}

// Work memory of the colour correction, released on every path.
struct ColourWork {
  uint16_t* tables = nullptr;   // red, green, blue
  int16_t* planes = nullptr;    // hue, saturation, lightness
  ColourWork(int32_t levels, ptrdiff_t pixels, bool withPlanes) {
    tables = static_cast<uint16_t*>(AllocArray(3 * size_t(levels), sizeof(uint16_t)));
    if (withPlanes) planes = static_cast<int16_t*>(AllocArray(3 * size_t(pixels), sizeof(int16_t)));
    if (!tables || (withPlanes && !planes)) Release();
  }
  ~ColourWork() { Release(); }
  void Release() {
    FreeMem(&tables);
    FreeMem(&planes);
  }
};

// The conversions below report each row as one of `steps` steps.
ImageResult ToPlanes(const int16_t* rgb, int16_t* hue, int16_t* sat, int16_t* light, const ImageHeader* h,
                     ProgressCallback progress, int32_t steps);
ImageResult FromPlanes(int16_t* rgb, const int16_t* hue, const int16_t* sat, const int16_t* light,
                       const ImageHeader* h, ProgressCallback progress, int32_t steps);

}   // namespace

ImageResult RgbToHueSatLight(const int16_t* rgb, int16_t* hue, int16_t* sat, int16_t* light, const ImageHeader* h,
                             ProgressCallback progress) {
  return ToPlanes(rgb, hue, sat, light, h, progress, h ? static_cast<int32_t>(ImageRows(h)) : 0);
}

ImageResult HueSatLightToRgb(int16_t* rgb, const int16_t* hue, const int16_t* sat, const int16_t* light,
                             const ImageHeader* h, ProgressCallback progress) {
  return FromPlanes(rgb, hue, sat, light, h, progress, h ? static_cast<int32_t>(ImageRows(h)) : 0);
}

namespace {

ImageResult ToPlanes(const int16_t* rgb, int16_t* hue, int16_t* sat, int16_t* light, const ImageHeader* h,
                     ProgressCallback progress, int32_t steps) {
  if (ImageResult e = CheckColour(h, rgb && hue && sat && light)) return e;
  if (!TablesLoaded()) return IMG_NULL_ARRAY;
  const Axes k;
  const ptrdiff_t W = ImageCols(h), H = ImageRows(h);
  for (ptrdiff_t y = 0; y < H; ++y) {
    if (progress) progress(steps, 0);
    for (ptrdiff_t i = y * W; i < (y + 1) * W; ++i) {
      const double B = rgb[3 * i], G = rgb[3 * i + 1], R = rgb[3 * i + 2];
      const double a = k.c2_6 * R - k.c1_6 * G - k.c1_6 * B;
      const double b = k.c1_2 * G - k.c1_2 * B;
      const double l = k.c1_3 * R + k.c1_3 * G + k.c1_3 * B;
      hue[i] = static_cast<int16_t>(static_cast<int32_t>(TableAtan2(b, a)) & (kTrigAngles - 1));
      sat[i] = static_cast<int16_t>(std::min(std::sqrt(a * a + b * b), 32767.0));
      light[i] = static_cast<int16_t>(std::clamp(l * k.c1_3, -32768.0, 32767.0));
    }
  }
  return IMG_OK;
}

ImageResult FromPlanes(int16_t* rgb, const int16_t* hue, const int16_t* sat, const int16_t* light,
                       const ImageHeader* h, ProgressCallback progress, int32_t steps) {
  if (ImageResult e = CheckColour(h, rgb && hue && sat && light)) return e;
  if (!TablesLoaded()) return IMG_NULL_ARRAY;
  const Axes k;
  const ptrdiff_t W = ImageCols(h), H = ImageRows(h);
  for (ptrdiff_t y = 0; y < H; ++y) {
    if (progress) progress(steps, 0);
    for (ptrdiff_t i = y * W; i < (y + 1) * W; ++i) {
      const double S = sat[i];
      const double a = S * TableSin(hue[i]), b = S * TableCos(hue[i]), l = light[i] * k.sqrt3;
      rgb[3 * i + 2] = ToSample(k.c2_6 * a + k.c1_3 * l);
      rgb[3 * i + 1] = ToSample(-k.c1_6 * a + k.c1_2 * b + k.c1_3 * l);
      rgb[3 * i] = ToSample(-k.c1_6 * a - k.c1_2 * b + k.c1_3 * l);
    }
  }
  return IMG_OK;
}

}   // namespace

ImageResult CorrectColourTemperature(const int16_t* src, int16_t* dst, const ImageHeader* h, int32_t redGain,
                                     int32_t greenGain, int32_t blueGain, double satFactor, double hueTurn,
                                     double kelvin, int32_t radius, ProgressCallback progress) {
  if (ImageResult e = CheckColour(h, src && dst)) return e;
  if (!(kelvin > 0.0) || !std::isfinite(kelvin)) return IMG_BAD_PARAMETER;
  if (h->levels < 2 || h->levels > kFullScale) return IMG_BAD_PARAMETER;
  const bool adjust = satFactor != 1.0 || hueTurn != 0.0 || radius >= 1;
  if (adjust && !TablesLoaded()) return IMG_NULL_ARRAY;
  const ptrdiff_t pixels = ImageCols(h) * ImageRows(h);
  ColourWork work(h->levels, pixels, adjust);
  if (!work.tables) return IMG_NO_MEMORY;
  if (pixels == 0) return IMG_OK;

  // Hue, saturation and smoothing go through the planes into dst, which
  // then serves as the source of the channel pass.
  const int16_t* colour = src;
  if (adjust) {
    int16_t* hue = work.planes;
    int16_t* sat = hue + pixels;
    int16_t* light = sat + pixels;
    // Two passes over the rows: one count of steps for both.
    const int32_t steps = static_cast<int32_t>(std::min<int64_t>(2 * int64_t{ImageRows(h)}, INT32_MAX));
    ToPlanes(src, hue, sat, light, h, progress, steps);
    const int32_t turn = HueSteps(hueTurn);
    for (ptrdiff_t i = 0; i < pixels; ++i) {
      hue[i] = static_cast<int16_t>((hue[i] - turn) & (kTrigAngles - 1));
      const double s = std::trunc(sat[i] * satFactor + 0.5);
      sat[i] = static_cast<int16_t>(std::isnan(s) ? 0.0 : std::clamp(s, -32768.0, 32767.0));
    }
    if (radius > 0) {
      ImageHeader grey = *h;
      grey.colourType = 0;
      ImageRect all;
      MakeRect(&all, 0, 0, h->width, h->height);
      SmoothRect(sat, sat, &grey, &all, radius);
    }
    FromPlanes(dst, hue, sat, light, h, progress, steps);
    colour = dst;
  }

  // Gains and white balance are per-sample functions of the level: one
  // table per channel does both.
  const int32_t gains[3] = {redGain, greenGain, blueGain};
  double white[3] = {1.0, 1.0, 1.0};
  const bool balance = kelvin != kReferenceKelvin;
  if (balance) TemperatureFactors(kelvin, white);
  const int32_t levels = h->levels;
  for (int c = 0; c < 3; ++c) {
    uint16_t* table = work.tables + c * levels;
    const double gain = std::min(std::pow(10.0, 0.002 * gains[c]), 32768.0);
    for (int32_t i = 0; i < levels; ++i) {
      const double v = std::min(std::trunc(i * gain + 0.5), 32767.0);
      table[i] = static_cast<uint16_t>(balance ? ToSample(v * white[c]) : v);
    }
  }
  ImageRect all;
  MakeRect(&all, 0, 0, h->width, h->height);
  return ApplyLutsRgb(&all, h, colour, dst, work.tables, work.tables + levels, work.tables + 2 * levels);
}
