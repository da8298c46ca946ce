#include "dib_picture.h"

#include <cstring>

#include "picture_io.h"

namespace {

int32_t Int32At(const uint8_t* p) {
  return int32_t(uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24);
}
int Int16At(const uint8_t* p) { return p[0] | p[1] << 8; }

}  // namespace

int DibToSamples(const DibBlock& dib, DibSamples kind, int sourceBits, int16_t** samples, ImageHeader* h,
                 bool* tooLarge) {
  if (tooLarge) *tooLarge = false;
  if (!samples || !h || !dib.info || !dib.rows) return 0;
  *samples = nullptr;
  const int32_t width = Int32At(dib.info + 4);
  const int32_t height = Int32At(dib.info + 8);
  const int bits = Int16At(dib.info + 14);
  // Negative heights (top-down rows) would need another row order; the
  // library never makes them, so they are refused rather than read upside down.
  if (Int32At(dib.info) < 40 || width < 1 || height < 1) return 0;
  const bool colour = kind == DibSamples::Colour || (kind == DibSamples::Wide && bits == 48);
  const int expected = kind == DibSamples::Grey ? 8 : kind == DibSamples::Colour ? 24 : colour ? 48 : 16;
  if (bits != expected) return 0;
  if (!PictureFits(width, height, colour)) {
    if (tooLarge) *tooLarge = true;
    return 0;
  }
  const int spp = colour ? 3 : 1;
  const size_t rowSamples = size_t(width) * spp;
  const bool wide = kind == DibSamples::Wide;
  const size_t stride = wide ? rowSamples * 2 : (rowSamples + 3) / 4 * 4;
  if (stride != 0 && dib.rowBytes / stride < size_t(height)) return 0;

  int16_t* out = AllocPictureSamples(width, height, colour);
  if (!out) {
    if (tooLarge) *tooLarge = true;
    return 0;
  }
  for (int32_t r = 0; r < height; ++r) {
    int16_t* dst = out + size_t(r) * rowSamples;
    if (wide) {
      const uint8_t* src = dib.rows + size_t(r) * stride;
      for (size_t i = 0; i < rowSamples; ++i) dst[i] = int16_t((src[2 * i] | src[2 * i + 1] << 8) >> 1);
    } else {
      const uint8_t* src = dib.rows + size_t(height - 1 - r) * stride;
      for (size_t i = 0; i < rowSamples; ++i) dst[i] = int16_t(src[i] << 7);
    }
  }
  SetReaderHeader(h, width, height, colour, sourceBits);
  *samples = out;
  return 1;
}
