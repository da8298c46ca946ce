#include "imagelib/contrast.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "imagelib/fitting.h"
#include "imagelib/statistics.h"

namespace {

constexpr double kExpCurveScale = 0.15651764274966568;   // 1 / (e^2 - 1)
constexpr double kLog4Scale = 0.01865736036377405;       // 1 / (e^4 - 1)
constexpr double kSplineTension = 0.5;

bool LevelsOk(int32_t levels) { return levels >= 2 && levels <= kFullScale; }

// A curve value as a table entry: v already holds its rounding term; NaN
// and everything below 0 give 0, everything from L on gives L.
inline uint16_t ToLevel(double v, int32_t L) {
  if (!(v > 0.0)) return 0;
  if (v >= L) return static_cast<uint16_t>(L);
  return static_cast<uint16_t>(v);
}

// A gamma the settings may hold as 0 or below would make the curve a step or
// divide by zero; it is taken as the straight line.
inline double SaneGamma(double g) { return g > 0.0 && std::isfinite(g) ? g : 1.0; }

// Entries below b are 0, from t on L.
void FillEnds(uint16_t* lut, int32_t levels, int32_t b, int32_t t) {
  std::fill(lut, lut + b, uint16_t{0});
  std::fill(lut + t, lut + levels, static_cast<uint16_t>(levels - 1));
}

uint64_t SumBins(const uint32_t* hist, int32_t from, int32_t to) {
  uint64_t n = 0;
  for (int32_t i = from; i < to; ++i) n += hist[i];
  return n;
}

// Straight line from (from, v0) to (to, v1) over the levels from..to-1,
// rounded: the fallback wherever a curve has nothing to stand on.
void FillLine(uint16_t* lut, int32_t from, int32_t to, double v0, double v1, int32_t L) {
  const double slope = to > from ? (v1 - v0) / (to - from) : 0.0;
  for (int32_t i = from; i < to; ++i) lut[i] = ToLevel(v0 + (i - from) * slope + 0.5, L);
}

// Cumulative histogram from `from` scaled onto lo..hi for the levels
// from..to-1; with no counts in the range, the straight line instead.
void FillEqualised(uint16_t* lut, const uint32_t* hist, int32_t from, int32_t to, double lo, double hi, int32_t L) {
  const uint64_t n = SumBins(hist, from, to);
  if (n == 0) {
    FillLine(lut, from, to, lo, hi, L);
    return;
  }
  const double scale = (hi - lo) / static_cast<double>(n);
  uint64_t c = 0;
  for (int32_t i = from; i < to; ++i) {
    lut[i] = ToLevel(std::min(static_cast<double>(c) * scale + lo, static_cast<double>(L)) + 0.5, L);
    c += hist[i];
  }
}

// Curve types 0..4 between b and t, both builders alike.
void FillBasicCurve(uint16_t* lut, int32_t type, int32_t b, int32_t t, int32_t L, int32_t strength, double gamma,
                    const uint32_t* hist) {
  const int32_t r = t - b;
  if (r < 1) return;
  switch (type) {
    case CURVE_LINEAR: {
      const double scale = static_cast<double>(L) / r;
      for (int32_t i = b; i < t; ++i) lut[i] = ToLevel((i - b) * scale + 0.5, L);
      break;
    }
    case CURVE_EXPONENTIAL: {
      // Reaches L at t - 1; a range of one level has only b, which is 0.
      const double d = (r - 1) * 0.5, scale = L * kExpCurveScale;
      for (int32_t i = b; i < t; ++i) lut[i] = i == b ? 0 : ToLevel((std::exp((i - b) / d) - 1.0) * scale + 0.5, L);
      break;
    }
    case CURVE_LOGARITHMIC: {
      if (strength == 0 || r == 1) {   // the curve's limit for strength 0 is the line to L at t - 1
        FillLine(lut, b, t, 0.0, r > 1 ? L * static_cast<double>(r) / (r - 1) : 0.0, L);
        break;
      }
      const double s = strength, em = std::exp(s) - 1.0, scale = L / s;
      if (std::isinf(em)) {   // ln(x / d + 1) ~ s + ln(x / (r - 1)) once e^s overflows
        for (int32_t i = b; i < t; ++i)
          lut[i] = i == b ? 0 : ToLevel((s + std::log((i - b) / (r - 1.0))) * scale + 0.5, L);
        break;
      }
      const double d = (r - 1) / em;
      for (int32_t i = b; i < t; ++i) lut[i] = ToLevel(std::log((i - b) / d + 1.0) * scale + 0.5, L);
      break;
    }
    case CURVE_EQUALISE:
      FillEqualised(lut, hist, b, t, 0.0, L, L);
      break;
    case CURVE_POWER: {
      const double g = SaneGamma(gamma);
      for (int32_t i = b; i < t; ++i) lut[i] = ToLevel(std::pow(static_cast<double>(i - b) / r, g) * L + 0.5, L);
      break;
    }
    default:
      break;
  }
}

// The spline through (b + k * step, points[k]), k = 0..8, step = r / 8.
void FillSplineCurve(uint16_t* lut, int32_t b, int32_t t, int32_t L, const int32_t* points) {
  const int32_t r = t - b, step = r / 8;
  if (step < 1) {   // fewer than 8 levels: the knots would coincide
    FillLine(lut, b, t, points[0], points[8], L);
    return;
  }
  double x[kCurvePoints + 1], y[kCurvePoints + 1], m[kCurvePoints + 1] = {};
  double A[kCurvePoints + 1], B[kCurvePoints + 1], C[kCurvePoints + 1], D[kCurvePoints + 1];
  for (int k = 0; k < kCurvePoints; ++k) {
    x[k + 1] = b + k * step;
    y[k + 1] = points[k];
  }
  SetupSpline10(kCurvePoints, x, y, m, A, B, C, D, kSplineTension);
  for (int32_t i = b; i < t; ++i) {
    const double v = EvaluateSpline10(i, x, A, B, C, D, kSplineTension, kCurvePoints);
    lut[i] = ToLevel(std::clamp(v, 0.0, static_cast<double>(L)) + 0.5, L);
  }
}

// A sample as a table index: samples outside 0..top read the nearest end.
// Valid samples never take the branch, so the hot loops below cost no more
// than the bare look-up.
inline uint32_t ClampIndex(uint32_t u, uint32_t top) {
  if (u <= top) return u;
  return static_cast<int16_t>(u) < 0 ? 0 : top;
}

// One table applied to every sample of a run, four at a time with one test
// for the lot.
void LutRun(const int16_t* in, int16_t* out, ptrdiff_t n, const uint16_t* lut, uint32_t top) {
  ptrdiff_t i = 0;
  for (; i + 4 <= n; i += 4) {
    uint32_t a = uint16_t(in[i]), b = uint16_t(in[i + 1]), c = uint16_t(in[i + 2]), d = uint16_t(in[i + 3]);
    if (__builtin_expect((a | b | c | d) > top, 0)) {
      a = ClampIndex(a, top);
      b = ClampIndex(b, top);
      c = ClampIndex(c, top);
      d = ClampIndex(d, top);
    }
    const uint16_t va = lut[a], vb = lut[b], vc = lut[c], vd = lut[d];
    out[i] = static_cast<int16_t>(va);
    out[i + 1] = static_cast<int16_t>(vb);
    out[i + 2] = static_cast<int16_t>(vc);
    out[i + 3] = static_cast<int16_t>(vd);
  }
  for (; i < n; ++i) out[i] = static_cast<int16_t>(lut[ClampIndex(uint16_t(in[i]), top)]);
}

// Three tables on a run of B,G,R pixels.
void LutRunRgb(const int16_t* in, int16_t* out, ptrdiff_t pixels, const uint16_t* blue, const uint16_t* green,
               const uint16_t* red, uint32_t top) {
  for (ptrdiff_t i = 0; i < pixels; ++i, in += 3, out += 3) {
    uint32_t b = uint16_t(in[0]), g = uint16_t(in[1]), r = uint16_t(in[2]);
    if (__builtin_expect((b | g | r) > top, 0)) {
      b = ClampIndex(b, top);
      g = ClampIndex(g, top);
      r = ClampIndex(r, top);
    }
    // All three looked up before any store, which might alias a table.
    const uint16_t vb = blue[b], vg = green[g], vr = red[r];
    out[0] = static_cast<int16_t>(vb);
    out[1] = static_cast<int16_t>(vg);
    out[2] = static_cast<int16_t>(vr);
  }
}

uint32_t TopIndex(const ImageHeader* h) { return static_cast<uint32_t>(std::min(h->levels, kFullScale) - 1); }

ImageResult CheckLutArgs(const ImageRect* r, const ImageHeader* h, const int16_t* src, const int16_t* dst) {
  if (!h) return IMG_NULL_ARRAY;
  if (!r || !RectInImage(r, h)) return IMG_BAD_RECT;
  if (!src || !dst) return IMG_NULL_IMAGE;
  return IMG_OK;
}

// One table over the whole image as one run of samples.
void LutWholeImage(const ImageHeader* h, const int16_t* src, int16_t* dst, const uint16_t* lut) {
  LutRun(src, dst, ImageCols(h) * ImageRows(h) * SamplesPerPixel(h), lut, TopIndex(h));
}

// Work memory of the automatic curves, released on every path.
struct CurveWork {
  uint32_t* hist = nullptr;
  uint16_t* lut = nullptr;
  explicit CurveWork(int32_t levels)
      : hist(static_cast<uint32_t*>(AllocArray(size_t(levels), sizeof(uint32_t)))),
        lut(static_cast<uint16_t*>(AllocArray(size_t(levels), sizeof(uint16_t)))) {}
  ~CurveWork() {
    FreeMem(&hist);
    FreeMem(&lut);
  }
  bool ok() const { return hist && lut; }
};

}   // namespace

ImageResult BuildContrastCurveSpline(uint16_t* lut, int32_t levels, int32_t type, int32_t strength, double gamma,
                                     int32_t topLevel, int32_t backgroundLevel, const int32_t* points,
                                     const uint32_t* histogram) {
  if (!lut) return IMG_NULL_ARRAY;
  if (type == CURVE_EQUALISE && !histogram) return IMG_NULL_ARRAY;
  if (type == CURVE_SPLINE && !points) return IMG_NULL_ARRAY;
  if (type < CURVE_LINEAR || (type > CURVE_POWER && type != CURVE_SPLINE)) return IMG_BAD_PARAMETER;
  if (!LevelsOk(levels)) return IMG_BAD_PARAMETER;
  const int32_t L = levels - 1;
  const int32_t t = std::clamp(topLevel, 0, L);
  const int32_t b = std::clamp(backgroundLevel, 0, t);
  FillEnds(lut, levels, b, t);
  if (type == CURVE_SPLINE)
    FillSplineCurve(lut, b, t, L, points);
  else
    FillBasicCurve(lut, type, b, t, L, strength, gamma, histogram);
  return IMG_OK;
}

ImageResult BuildContrastCurve(uint16_t* lut, int32_t levels, int32_t type, int32_t strength, double gamma,
                               int32_t turningLevel, double upperGamma, double lowerGamma, int32_t kneeLevel,
                               int32_t automatic, double whiteDivisor, int32_t clipMode, int32_t backgroundLevel,
                               const uint32_t* histogram) {
  if (!lut) return IMG_NULL_ARRAY;
  const bool analyse = automatic == 1 || type == CURVE_EQUALISE;
  if ((analyse || type == CURVE_KNEE_EQUALISE) && !histogram) return IMG_NULL_ARRAY;
  if (type < CURVE_LINEAR || type > CURVE_KNEE_EQUALISE) return IMG_BAD_PARAMETER;
  if (!LevelsOk(levels)) return IMG_BAD_PARAMETER;
  const int32_t L = levels - 1;

  int32_t b0 = 0, t = L;
  if (analyse) {
    LevelsRecord rec;
    if (ImageResult e = AnalyseLevels(histogram, levels, clipMode, 0, 0, &rec)) return e;
    if (turningLevel <= rec.blackPoint) turningLevel = rec.blackPoint + 1;
    if (turningLevel >= rec.whitePoint) turningLevel = rec.whitePoint - 1;
    const double divisor = whiteDivisor > 0.0 && std::isfinite(whiteDivisor) ? whiteDivisor : 1.0;
    const double white = rec.whitePoint / divisor;
    t = white >= L ? L : static_cast<int32_t>(white);
    b0 = rec.blackPoint;
  }
  int32_t bg = std::clamp(backgroundLevel, 0, L);
  if (bg >= t) bg = t - 1;
  t = std::clamp(t, 0, L);
  const int32_t b = std::clamp(std::max(b0, bg), 0, t);
  const int32_t r = t - b;
  FillEnds(lut, levels, b, t);
  if (r < 1) return IMG_OK;
  if (type <= CURVE_POWER) {
    FillBasicCurve(lut, type, b, t, L, strength, gamma, histogram);
    return IMG_OK;
  }
  if (r == 1) {   // no room for a bend or a knee: only b, at 0
    lut[b] = 0;
    return IMG_OK;
  }
  if (type == CURVE_TWO_POWERS) {
    const int32_t p = std::clamp(turningLevel, b + 1, t - 1);
    const double T = std::floor((p - b) * static_cast<double>(L) / r + 0.5);
    const double lower = SaneGamma(lowerGamma), upper = SaneGamma(upperGamma);
    for (int32_t i = b; i < p; ++i) lut[i] = ToLevel(std::pow(double(i - b) / (p - b), lower) * T + 0.5, L);
    for (int32_t i = p; i < t; ++i)
      lut[i] = ToLevel(std::floor(std::pow(double(i - p) / (t - p), upper) * (L - T) + 0.5) + T, L);
    return IMG_OK;
  }
  const int32_t k = std::clamp(kneeLevel, b + 1, t - 1);
  const double T = std::floor((k - b) * static_cast<double>(L) / r + 0.5);
  for (int32_t i = b; i < k; ++i) lut[i] = ToLevel((i - b) * T / (k - b) + 0.5, L);
  FillEqualised(lut, histogram, k, t, T, L, L);
  return IMG_OK;
}

ImageResult ApplyLut(const ImageRect* r, const ImageHeader* h, const int16_t* src, int16_t* dst, const uint16_t* lut) {
  if (ImageResult e = CheckLutArgs(r, h, src, dst)) return e;
  if (!lut) return IMG_NULL_ARRAY;
  if (h->levels < 1) return IMG_BAD_PARAMETER;
  const ptrdiff_t spp = SamplesPerPixel(h), rowLen = ImageCols(h) * spp;
  const uint32_t top = TopIndex(h);
  const ptrdiff_t offset = (ptrdiff_t{r->y} * ImageCols(h) + r->x) * spp;
  for (int32_t y = 0; y < r->h; ++y) LutRun(src + offset + y * rowLen, dst + offset + y * rowLen, r->w * spp, lut, top);
  return IMG_OK;
}

ImageResult ApplyLutsRgb(const ImageRect* r, const ImageHeader* h, const int16_t* src, int16_t* dst,
                         const uint16_t* red, const uint16_t* green, const uint16_t* blue) {
  if (ImageResult e = CheckLutArgs(r, h, src, dst)) return e;
  if (!red || !green || !blue) return IMG_NULL_ARRAY;
  if (h->colourType != kColourRgb || h->levels < 1) return IMG_BAD_PARAMETER;
  const ptrdiff_t rowLen = ImageCols(h) * 3;
  const ptrdiff_t offset = (ptrdiff_t{r->y} * ImageCols(h) + r->x) * 3;
  for (int32_t y = 0; y < r->h; ++y)
    LutRunRgb(src + offset + y * rowLen, dst + offset + y * rowLen, r->w, blue, green, red, TopIndex(h));
  return IMG_OK;
}

ImageResult StretchToFullRange(int16_t* samples, const ImageHeader* h) {
  if (!h) return IMG_NULL_ARRAY;
  if (!samples) return IMG_NULL_IMAGE;
  if (!LevelsOk(h->levels)) return IMG_BAD_PARAMETER;
  const int32_t levels = h->levels, L = levels - 1;
  uint16_t* lut = static_cast<uint16_t*>(AllocArray(size_t(levels), sizeof(uint16_t)));
  if (!lut) return IMG_NO_MEMORY;
  const ptrdiff_t pixels = ImageCols(h) * ImageRows(h);
  int32_t lo = L, hi = 0;
  if (h->colourType == kColourRgb) {
    for (ptrdiff_t i = 0; i < pixels; ++i) {
      const int16_t* p = samples + 3 * i;
      const double lum = 0.114 * p[0] + 0.587 * p[1] + 0.299 * p[2];
      const int32_t v = static_cast<int32_t>(std::clamp(lum, 0.0, static_cast<double>(L)));
      lo = std::min(lo, v);
      hi = std::max(hi, v);
    }
  } else {
    for (ptrdiff_t i = 0; i < pixels; ++i) {
      const int32_t v = std::clamp<int32_t>(samples[i], 0, L);
      lo = std::min(lo, v);
      hi = std::max(hi, v);
    }
  }
  if (hi >= lo) {   // an empty image has nothing to stretch
    FillEnds(lut, levels, lo, hi);
    for (int32_t i = lo; i < hi; ++i) lut[i] = ToLevel((i - lo) * static_cast<double>(L) / (hi - lo) + 0.5, L);
    LutWholeImage(h, samples, samples, lut);
  }
  FreeMem(&lut);
  return IMG_OK;
}

ImageResult AutoStretchRegion(const ImageRect* r, const ImageHeader* h, const int16_t* src, int16_t* dst) {
  if (ImageResult e = CheckLutArgs(r, h, src, dst)) return e;
  if (!LevelsOk(h->levels)) return IMG_BAD_PARAMETER;
  const int32_t levels = h->levels, L = levels - 1;
  CurveWork work(levels);
  if (!work.ok()) return IMG_NO_MEMORY;
  if (ImageResult e = ComputeRegionHistogram(r, h, src, work.hist)) return e;
  LevelsRecord rec;
  if (ImageResult e = AnalyseLevels(work.hist, levels, 5, 0, 0, &rec)) return e;
  const int32_t black = std::clamp(rec.blackPoint, 0, L), white = std::clamp(rec.whitePoint, black, L);
  FillEnds(work.lut, levels, black, white);
  for (int32_t i = black; i < white; ++i)
    work.lut[i] = ToLevel(std::pow(double(i - black) / (white - black), 0.667) * L, L);
  return ApplyLut(r, h, src, dst, work.lut);
}

ImageResult AutoContrastImage(const ImageHeader* h, const int16_t* src, int16_t* dst, int32_t type, double gamma,
                              int32_t startAtPeak) {
  if (!h) return IMG_NULL_ARRAY;
  if (!src || !dst) return IMG_NULL_IMAGE;
  if (type < AUTO_LINEAR || type > AUTO_PEAK_HALF || !LevelsOk(h->levels)) return IMG_BAD_PARAMETER;
  const int32_t levels = h->levels, L = levels - 1;
  CurveWork work(levels);
  if (!work.ok()) return IMG_NO_MEMORY;
  if (h->width < 40 || h->height < 40) return IMG_BAD_RECT;
  ImageRect inner;
  MakeRect(&inner, 20, 20, h->width - 40, h->height - 40);
  if (ImageResult e = ComputeRegionHistogram(&inner, h, src, work.hist)) return e;
  int32_t first = 0, last = 0, peak = 0, peakCount = 0;
  double fraction = 0.0, bits = 0.0;
  if (ImageResult e = SummariseHistogram(work.hist, levels, &first, &last, &peak, &peakCount, &fraction, &bits))
    return e;
  const int32_t b = startAtPeak ? peak : first;
  const int32_t r = last - b;
  if (r < 2) {
    if (src != dst) std::memcpy(dst, src, size_t(ImageCols(h) * ImageRows(h) * SamplesPerPixel(h)) * sizeof(int16_t));
    return IMG_OK;
  }
  uint16_t* lut = work.lut;
  FillEnds(lut, levels, b, last);
  switch (type) {
    case AUTO_LINEAR:   // no rounding term, so no scale factor either: exact quotients stay exact
      for (int32_t i = b; i < last; ++i) lut[i] = ToLevel((i - b) * static_cast<double>(L) / r, L);
      break;
    case AUTO_LOG2:
    case AUTO_LOG4: {
      const double d = (r - 1) * (type == AUTO_LOG2 ? kExpCurveScale : kLog4Scale);
      const double scale = L / (type == AUTO_LOG2 ? 2.0 : 4.0);
      for (int32_t i = b; i < last; ++i) lut[i] = ToLevel(std::log((i - b) / d + 1.0) * scale + 0.5, L);
      break;
    }
    case AUTO_POWER: {
      const double g = SaneGamma(gamma);
      for (int32_t i = b; i < last; ++i) lut[i] = ToLevel(std::pow(double(i - b) / r, g) * L + 0.5, L);
      break;
    }
    default: {   // the peak lands on half scale; a peak on the first level has no lower piece
      const double half = L / 2.0;
      for (int32_t i = b; i < last; ++i) {
        const double v = i <= peak ? (peak > first ? (i - first) * half / (peak - first) : half)
                                   : (i - peak) * half / (last - peak) + half;
        lut[i] = ToLevel(v, L);
      }
      break;
    }
  }
  LutWholeImage(h, src, dst, lut);
  return IMG_OK;
}
