#include "print_bands.h"

#include <cmath>
#include <cstring>

#include "display_mapping.h"

namespace {

int32_t Sixteenths(int32_t i, double step) { return int32_t(std::floor(i * step * 16 + 0.5)); }

int Luminance(const int16_t* bgr) { return int(std::floor(0.299 * bgr[2] + 0.587 * bgr[1] + 0.114 * bgr[0])); }

}  // namespace

int FitPrintPicture(int32_t areaW, int32_t areaH, int32_t imageW, int32_t imageH, PrintFit* fit) {
  if (imageW < 4 || imageH < 16 || areaW < 1 || areaH < 1) return 0;
  PrintFit f;
  if (int64_t(areaW) * imageH <= int64_t(areaH) * imageW) {
    f.width = areaW;
    f.height = int32_t(int64_t(areaW) * imageH / imageW);
    f.step = double(imageW) / areaW;
  } else {
    f.height = areaH;
    f.width = int32_t(int64_t(areaH) * imageW / imageH);
    f.step = double(imageH) / areaH;
  }
  f.width &= ~3;
  f.bandHeight = f.height / kPrintBands;
  if (f.width < 4 || f.bandHeight < 1) return 0;
  *fit = f;
  return 1;
}

int64_t PrintBandSize(const PrintFit& fit, bool colourOut) {
  return int64_t(fit.width) * fit.bandHeight * (colourOut ? 3 : 1);
}

void FillPrintBand(uint8_t* rows, const PrintFit& fit, int band, bool colourOut, const int16_t* samples,
                   const ImageHeader* h) {
  const bool colourIn = h->colourType == kColourRgb;
  const int spp = colourIn ? 3 : 1;
  const int bpp = colourOut ? 3 : 1;
  const size_t stride = size_t(fit.width) * bpp;
  const size_t rowSamples = size_t(h->width) * spp;
  const int32_t lastX = (h->width - 1) * 16, lastY = (h->height - 1) * 16;
  for (int32_t i = 0; i < fit.bandHeight; ++i) {
    uint8_t* out = rows + size_t(fit.bandHeight - 1 - i) * stride;
    int32_t py = Sixteenths(band * fit.bandHeight + i, fit.step);
    if (py >= h->height * 16 - 1) {
      std::memset(out, 255, stride);
      continue;
    }
    if (py > lastY) py = lastY;
    const int fy = py & 15;
    const int16_t* top = samples + size_t(py >> 4) * rowSamples;
    const int16_t* bottom = fy ? top + rowSamples : top;   // weight 0: not read
    for (int32_t c = 0; c < fit.width; ++c) {
      int32_t px = Sixteenths(c, fit.step);
      if (px > lastX) px = lastX;
      const int fx = px & 15;
      const size_t a = size_t(px >> 4) * spp;
      const size_t b = fx ? a + spp : a;
      if (colourOut || !colourIn) {
        for (int ch = 0; ch < bpp; ++ch)
          out[size_t(c) * bpp + ch] =
              uint8_t(BilinearLevel(top[a + ch], top[b + ch], bottom[a + ch], bottom[b + ch], fx, fy));
      } else {
        out[c] = uint8_t(BilinearLevel(Luminance(top + a), Luminance(top + b), Luminance(bottom + a),
                                       Luminance(bottom + b), fx, fy));
      }
    }
  }
}
