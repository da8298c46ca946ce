#include "picture_io.h"

#include <cmath>
#include <cstdarg>
#include <cstring>

namespace {

// 2^31 - 1 samples: every index fits a signed 32-bit integer and the block
// (2 bytes a sample) the 32-bit size of AllocMem.
uint64_t gSampleLimit = 0x7FFFFFFF;

}  // namespace

void ClearPictureMessage(PictureMessage* m) {
  if (m) m->text[0] = '\0';
}

void SetPictureMessage(PictureMessage* m, const char* format, ...) {
  if (!m) return;
  va_list args;
  va_start(args, format);
  std::vsnprintf(m->text, sizeof m->text, format, args);
  va_end(args);
}

void SetReaderHeader(ImageHeader* h, int32_t width, int32_t height, bool colour, int sourceBits) {
  InitImageHeader(h);
  h->width = width;
  h->height = height;
  h->levels = kFullScale;
  h->sourceBits = int16_t(sourceBits);
  h->pixelAspect = 1.0;
  h->xScale = 8.4;
  h->yScale = 8.2;
  h->sourceColour = colour ? 1 : 0;
  h->colourType = colour ? kColourRgb : 0;
  h->fillRed = h->fillGreen = h->fillBlue = 0;
  CopyText(h->valueUnit, sizeof h->valueUnit, "Counts");
  CopyText(h->xUnit, sizeof h->xUnit, "Pixel");
  CopyText(h->yUnit, sizeof h->yUnit, "Pixel");
}

uint64_t PictureSampleLimit() { return gSampleLimit; }

void SetPictureSampleLimit(uint64_t samples) { gSampleLimit = samples < 0x7FFFFFFF ? samples : 0x7FFFFFFF; }

int PictureFits(int64_t width, int64_t height, bool colour, int64_t spareRows) {
  if (width < 1 || height < 1 || spareRows < 0) return 0;
  const uint64_t limit = gSampleLimit;
  // Each factor alone below the limit keeps the products below 2^93: check
  // them one at a time so that nothing wraps.
  if (uint64_t(width) > limit || uint64_t(height) > limit || uint64_t(spareRows) > limit) return 0;
  const uint64_t rows = uint64_t(height) + uint64_t(spareRows);
  if (rows > limit / uint64_t(width)) return 0;
  const uint64_t pixels = rows * uint64_t(width);
  return pixels <= limit / (colour ? 3 : 1) ? 1 : 0;
}

int16_t* AllocPictureSamples(int64_t width, int64_t height, bool colour, int64_t spareRows) {
  if (!PictureFits(width, height, colour, spareRows)) return nullptr;
  const size_t count = size_t(height + spareRows) * size_t(width) * (colour ? 3 : 1);
  return static_cast<int16_t*>(AllocArray(count, sizeof(int16_t)));
}

int16_t ClampSample(double v) {
  if (!(v > 0)) return 0;   // also NaN
  return v >= 32767 ? int16_t(32767) : int16_t(v);
}

void CopyText(char* dst, size_t capacity, const char* src) {
  if (!dst || capacity == 0) return;
  if (!src) src = "";
  size_t n = std::strlen(src);
  if (n >= capacity) n = capacity - 1;
  std::memcpy(dst, src, n);
  dst[n] = '\0';
}

int64_t OpenFileSize(FILE* f) {
  if (!f) return -1;
#ifdef _WIN32
  if (_fseeki64(f, 0, SEEK_END) != 0) return -1;
  const int64_t size = _ftelli64(f);
#else
  if (fseeko(f, 0, SEEK_END) != 0) return -1;
  const int64_t size = ftello(f);
#endif
  std::rewind(f);
  return size;
}

bool SeekFile(FILE* f, int64_t position) {
  if (!f || position < 0) return false;
#ifdef _WIN32
  return _fseeki64(f, position, SEEK_SET) == 0;
#else
  return fseeko(f, off_t(position), SEEK_SET) == 0;
#endif
}
