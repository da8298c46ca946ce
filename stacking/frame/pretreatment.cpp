#include "stacking/frame/pretreatment.h"

#include <cmath>
#include <cstring>

#include "imagelib/colour_channels.h"
#include "imagelib/contrast.h"
#include "imagelib/flat_dark.h"
#include "imagelib/hot_pixels.h"
#include "imagelib/noise_filters.h"

int16_t* LoadCalibrationFrame(PictureLoader* loader, const char* path, const ImageHeader& frames, bool* mismatch) {
  *mismatch = false;
  FrameBuffer frame;
  ImageHeader h;
  InitImageHeader(&h);
  if (!loader || !path || !loader->Load(path, &frame, &h)) return nullptr;
  if (h.width != frames.width || h.height != frames.height ||
      (h.colourType == kColourRgb) != (frames.colourType == kColourRgb)) {
    *mismatch = true;
    return nullptr;
  }
  return frame.Detach();
}

void PretreatFrame(int16_t* samples, const ImageHeader* h, const StackSettings& s, const CalibrationFrames& cal) {
  if (s.Preprocess != 1 || !samples || !h) return;
  const HotPixelSnapshot& hot = s.hotPixels;
  if (hot.on && hot.count() > 0 && hot.width == h->width && hot.height == h->height)
    RepairHotPixels(h, samples, samples, reinterpret_cast<const HotPixelEntry*>(hot.entries.data()), hot.count());
  if (s.IsDarkcurrent && cal.dark) SubtractDark(samples, samples, cal.dark, h);
  if (s.IsFlatfield && cal.flat) DivideFlatField(samples, samples, cal.flat, h);
}

int ApplyNoiseFilterAndRgbAlignment(int16_t* samples, const ImageHeader* h, const StackSettings& s,
                                    FrameBuffer* scratch, int32_t* filterError) {
  if (filterError) *filterError = 0;
  if (s.Preprocess != 1 || !samples || !h) return 0;
  if (s.IsNoisefilter == 1) {
    const ImageRect all = {0, 0, h->width, h->height};
    const ImageResult r =
        ApplyNoiseFilter(&all, h, samples, samples, NoiseSigmaFactor(s.Sigmaradius), s.Filtertype, s.Pseudomedian,
                         nullptr);
    if (r != IMG_OK) {
      if (filterError) *filterError = r;
      return 0;
    }
  }
  if (s.RGBCorrection && h->colourType == kColourRgb) {
    FrameBuffer local;
    FrameBuffer* aligned = scratch ? scratch : &local;
    if (aligned->Reserve(h) &&
        AlignColourChannels(samples, aligned->samples(), h, s.RGBCorrBlueXshift, s.RGBCorrBlueYshift, s.BlueSize,
                            s.RGBCorrRedXshift, s.RGBCorrRedYshift, s.RedSize) == IMG_OK)
      std::memcpy(samples, aligned->samples(), PictureSamples(h) * sizeof(int16_t));
  }
  return 1;
}

void ApplyPreAmplification(int16_t* samples, const ImageHeader* h, const StackSettings& s) {
  if (s.Preprocess != 1 || s.FitImageEqualizing != 1 || !samples || !h) return;
  AutoContrastImage(h, samples, samples, s.Gaintype, s.Gaingamma, s.Gainauto ? 1 : 0);
}

void AddPedestal(int16_t* samples, const ImageHeader* h, int32_t position, int32_t divisor) {
  if (!samples || !h || divisor < 1 || h->sourceBits < 4 || h->sourceBits > 12) return;
  const double steps = double(int64_t{1} << h->sourceBits) * divisor;
  const double offset = std::trunc(double(position) * (double(h->levels) + 1.0) / steps);
  if (!(offset > 0.0 || offset < 0.0)) return;
  const int32_t add = int32_t(offset < -32768.0 ? -32768.0 : offset > 32767.0 ? 32767.0 : offset);
  const size_t n = PictureSamples(h);
  for (size_t i = 0; i < n; ++i) {
    const int32_t v = samples[i] + add;
    samples[i] = int16_t(v > 32767 ? 32767 : v < -32768 ? -32768 : v);
  }
}
