#include "mask_filter_core.h"

#include <cmath>
#include <cstring>

#include "imagelib/colour_channels.h"
#include "imagelib/contrast.h"
#include "imagelib/convolution.h"
#include "imagelib/gradients.h"
#include "imagelib/noise_filters.h"

namespace {

constexpr double kPi = 3.14159265358979323846;

int32_t Limited(int64_t v) { return int32_t(v < -1000000 ? -1000000 : v > 1000000 ? 1000000 : v); }

int32_t MakeOdd(int32_t s) { return (s / 2) * 2 + 1; }
int32_t AtLeast3(int32_t s) { return s < 3 ? 3 : s; }

// A flat-topped kernel needs its flat part inside the disc: inner <= size - 2.
int32_t InnerWithin(int32_t inner, int32_t size) { return inner > size - 2 ? size - 2 : inner; }

// The sizes of one ApplyFilterKernel call.
struct KernelSizes {
  int32_t size, inner, secondary;
};

// One colour plane (or the whole picture) and what to add to the first two sizes.
struct Pass {
  const ImageHeader* header;
  const int16_t* src;
  int16_t* dst;
  int32_t increment;
};

struct Run {
  const MaskFilterSettings& s;
  int32_t factor;
  bool final;
  ProgressCallback progress;
  ImageRect all;
  int32_t extent;
  double angle;
};

ImageResult Kernel(const Run& run, const Pass& p, const KernelSizes& k, double strength, int32_t type, int32_t shape,
                   int32_t extent, double angle, ProgressCallback progress) {
  const int32_t size = k.size + p.increment;
  const int32_t inner = InnerWithin(k.inner + p.increment, size);
  const int32_t secondary = k.secondary > size ? size : k.secondary;
  return ApplyFilterKernel(&run.all, p.header, p.src, p.dst, size, inner, secondary, strength, run.s.IsAdaptiv, extent,
                           angle, type, shape, run.s.WorkerLimit, progress);
}

// Sharpen or Mexican hat on one pass: the first call into p.dst, the second
// pass of the characteristic in place.
ImageResult Unsharp(const Run& run, const Pass& p, bool mexicanHat) {
  const MaskFilterSettings& s = run.s;
  const int32_t characteristic = mexicanHat ? s.Bandpasschar : s.Highpasschar;
  const int32_t sizeSetting = mexicanHat ? s.Bandpassampradius : s.HighCutoff;
  const int32_t innerSetting = mexicanHat ? s.Bandpassrectpart : s.HighRectpart;
  const int32_t type = KernelOfForm(mexicanHat ? s.Bandpassamptype : s.Highpasstype);
  const int32_t shape = mexicanHat && s.Bandpassfilttype == 1 ? 4 : kCentreCellShape;
  KernelSizes first = {OddUpSize(sizeSetting, run.factor, run.final), OddUpSize(innerSetting, run.factor, run.final),
                       mexicanHat ? OddUpSize(s.Bandpassfiltradius, run.factor, run.final) : 1};
  ImageResult r = Kernel(run, p, first, s.Maskeffect1, type, shape, run.extent, run.angle, run.progress);
  if (r != IMG_OK || characteristic == 0) return r;
  KernelSizes second = {SecondPassSize(characteristic, sizeSetting, run.factor, run.final),
                        SecondPassSize(characteristic, innerSetting, run.factor, run.final),
                        mexicanHat ? SecondPassSize(characteristic, s.Bandpassfiltradius, run.factor, run.final) : 1};
  const Pass again = {p.header, p.dst, p.dst, p.increment};
  return Kernel(run, again, second, s.Maskeffect1, type, shape, run.extent, run.angle, run.progress);
}

ImageResult Blur(const Run& run, const Pass& p) {
  const MaskFilterSettings& s = run.s;
  const int32_t size = OddUpSize(s.LowCutoff, run.factor, run.final);
  switch (s.Lowpasstype) {
    case 0:
    case 1:
      return ApplyFilterKernel(&run.all, p.header, p.src, p.dst, size, size, 1, s.Maskeffect0, s.IsAdaptiv, 0, 0.0,
                               s.Lowpasstype == 0 ? KERNEL_MEDIAN : KERNEL_MEAN, kCentreCellShape, s.WorkerLimit,
                               run.progress);
    case 2:
    case 3:
      return FilterVerticalLine(&run.all, p.header, p.src, p.dst, uint32_t(size), s.Lowpasstype == 2 ? 2 : 3);
  }
  return IMG_BAD_PARAMETER;
}

// Sobel operator or phase image: a grey result from the luminance.
ImageResult GradientImage(const Run& run, const int16_t* samples, const ImageHeader* header, int16_t** work,
                          ImageHeader* resultHeader) {
  const bool phase = run.s.EffectFilter == 9;
  *resultHeader = *header;
  resultHeader->colourType = phase ? 11 : 0;
  const int16_t* source = samples;
  if (header->colourType == kColourRgb) {
    // The colour work block makes way for a grey one.
    FreeMem(work);
    *work = static_cast<int16_t*>(AllocArray(size_t(ImageCols(header)) * size_t(ImageRows(header)), 2));
    if (!*work) return IMG_NO_MEMORY;
    ImageResult r = RgbToLuminance(samples, header, *work);
    if (r != IMG_OK) return r;
    source = *work;
  }
  ImageResult r = phase ? ComputeGradientDirection(source, *work, resultHeader)
                        : ComputeGradientMagnitude(source, *work, resultHeader);
  if (r != IMG_OK) return r;
  const size_t n = size_t(ImageCols(header)) * size_t(ImageRows(header));
  if (phase) {
    // Directions run from -32767 to 32767; shown whole, not half black.
    for (size_t i = 0; i < n; ++i) (*work)[i] = int16_t((int32_t((*work)[i]) + 32767) / 2);
  } else if (run.s.AutoContrast) {
    // A picture too small for the automatic contrast keeps its gradients.
    AutoContrastImage(resultHeader, *work, *work, run.s.EffectLog ? AUTO_LOG2 : AUTO_LINEAR, 1.0, 0);
  }
  return IMG_OK;
}

}  // namespace

int32_t OddUpSize(int32_t s, int32_t factor, bool final) {
  if (factor < 1) factor = 1;
  return AtLeast3(MakeOdd(Limited(final ? s : s / factor)));
}

int32_t SecondPassSize(int32_t characteristic, int32_t s, int32_t factor, bool final) {
  if (factor < 1 || final) factor = 1;
  const int64_t v = Limited(s);
  switch (characteristic) {
    case 1:
      return AtLeast3(MakeOdd(Limited(v * 10 / (factor * 14))));
    case 2:
      return AtLeast3(MakeOdd(Limited(v * 8 / (factor * 10))));
    case 3:
      return AtLeast3(Limited(v / factor));
  }
  return 0;
}

int32_t KernelOfForm(int32_t form) {
  switch (form) {
    case 1:
      return KERNEL_FLAT;
    case 2:
      return KERNEL_DISTANCE;
    case 3:
      return KERNEL_FLAT_TOP;
  }
  return KERNEL_GAUSS;
}

bool UsesColourPlanes(const MaskFilterSettings& s, const ImageHeader* header) {
  return s.SekSpectrum && (s.Masktype == kMaskSharpen || s.Masktype == kMaskMexicanHat) &&
         header->colourType == kColourRgb;
}

double MaskFilterPasses(const MaskFilterSettings& s, const ImageHeader* header) {
  double passes = 1.0;
  if ((s.Masktype == kMaskSharpen && s.Highpasschar) || (s.Masktype == kMaskMexicanHat && s.Bandpasschar)) passes = 2;
  if (UsesColourPlanes(s, header)) passes *= 3;
  return passes;
}

ImageResult RunMaskFilter(const int16_t* samples, const ImageHeader* header, const MaskFilterSettings& s,
                          int32_t factor, bool final, ProgressCallback progress, int16_t** result,
                          ImageHeader* resultHeader) {
  *result = nullptr;
  if (!header) return IMG_NULL_ARRAY;
  if (!samples) return IMG_NULL_IMAGE;
  *resultHeader = *header;
  const size_t pixels = size_t(ImageCols(header)) * size_t(ImageRows(header));
  const size_t n = pixels * size_t(SamplesPerPixel(header));
  int16_t* work = static_cast<int16_t*>(AllocArray(n, 2));
  if (!work) return IMG_NO_MEMORY;

  const bool planes = UsesColourPlanes(s, header);
  int16_t* plane[3] = {};
  ImageHeader planeHeader = *header;
  planeHeader.colourType = 0;
  ImageResult r = IMG_OK;
  if (planes) {
    for (int16_t*& p : plane) p = static_cast<int16_t*>(AllocArray(pixels, 2));
    if (!plane[0] || !plane[1] || !plane[2]) r = IMG_NO_MEMORY;
    if (r == IMG_OK) r = ExtractColourPlanes(samples, header, 0, plane[0], plane[1], plane[2]);
  }
  if (r == IMG_OK) {
    std::memcpy(work, samples, n * 2);
    if (progress) progress(header->height, 1);
    Run run = {s, factor < 1 ? 1 : factor, final, progress, {}, 0, 0.0};
    MakeRect(&run.all, 0, 0, header->width, header->height);
    if (s.Astigmatism) {
      run.extent = final ? s.Astigsize : s.Astigsize / run.factor;
      run.angle = s.Astigposwin * kPi / 180;
    }
    const int32_t red = final ? s.RedRadius : s.RedRadius / run.factor;
    const int32_t blue = final ? s.BlueRadius : s.BlueRadius / run.factor;
    switch (s.Masktype) {
      case kMaskSharpen:
      case kMaskMexicanHat: {
        const bool hat = s.Masktype == kMaskMexicanHat;
        if (!planes) {
          r = Unsharp(run, Pass{header, samples, work, 0}, hat);
          break;
        }
        const int32_t increments[3] = {red, 0, blue};
        for (int c = 0; c < 3 && r == IMG_OK; ++c)
          r = Unsharp(run, Pass{&planeHeader, plane[c], plane[c], increments[c]}, hat);
        if (r == IMG_OK) r = MergeColourPlanes(work, header, 1, plane[0], plane[1], plane[2]);
        break;
      }
      case kMaskBlur:
        r = Blur(run, Pass{header, samples, work, 0});
        break;
      case kMaskEffect:
        if (s.EffectFilter == 8 || s.EffectFilter == 9) {
          r = GradientImage(run, samples, header, &work, resultHeader);
        } else if (s.EffectFilter >= 0 && s.EffectFilter <= 7) {
          r = ApplyFilterKernel(&run.all, header, samples, work, 3, 1, 1, s.Maskeffect0, s.IsAdaptiv, 0, 0.0,
                                KERNEL_RELIEF + s.EffectFilter, kCentreCellShape, s.WorkerLimit,
                                final ? progress : nullptr);
        } else {
          r = IMG_BAD_PARAMETER;
        }
        break;
      case kMaskNoise:
        r = ApplyNoiseFilter(&run.all, header, samples, work, NoiseSigmaFactor(s.Sigmaradius), s.Filtertype,
                             s.Pseudomedian, progress);
        break;
      default:
        r = IMG_BAD_PARAMETER;
    }
  }
  for (int16_t*& p : plane) FreeMem(&p);
  if (r != IMG_OK) {
    FreeMem(&work);
    *resultHeader = *header;
    return r;
  }
  *result = work;
  return IMG_OK;
}
