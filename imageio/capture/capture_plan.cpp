#include "capture_plan.h"

#include <cstdio>
#include <cstring>

namespace {

// A look at the disk every 40 ms can come late on a busy machine: the frames
// of about a second at full speed stay free beside the index.
constexpr uint64_t kFramesInFlight = 64;
constexpr uint64_t kReserveMargin = 1u << 20;
// The old index takes 16 bytes a frame; the large-file index about as much.
constexpr uint64_t kIndexBytesPerFrame = 32;

}  // namespace

uint64_t CaptureFrameBytes(int32_t width, int32_t height) {
  if (width <= 0 || height == 0) return 0;
  const uint64_t rows = height < 0 ? uint64_t(-int64_t(height)) : uint64_t(height);
  return uint64_t(width) * rows * 3;
}

int32_t CaptureFrameLimit(uint64_t freeUnits, uint64_t frameBytes) {
  if (frameBytes == 0) return kMaxCaptureFrames;
  const uint64_t unitsPerFrame = (frameBytes + kDiskUnitBytes - 1) / kDiskUnitBytes;
  const uint64_t frames = freeUnits / unitsPerFrame;
  if (frames < 1) return 1;
  return frames > uint64_t(kMaxCaptureFrames) ? kMaxCaptureFrames : int32_t(frames);
}

uint64_t AviReserveBytes(int64_t framesSoFar, uint64_t frameBytes) {
  const uint64_t frames = framesSoFar > 0 ? uint64_t(framesSoFar) : 0;
  return kReserveMargin + frames * kIndexBytesPerFrame + kFramesInFlight * frameBytes;
}

uint64_t BmpReserveBytes(int32_t width, int32_t height, int bitsPerPixel) {
  const uint64_t rows = height < 0 ? uint64_t(-int64_t(height)) : uint64_t(height);
  const uint64_t palette = bitsPerPixel <= 8 ? 1024 : 0;
  return kReserveMargin + 54 + palette + BmpRowStride(width, bitsPerPixel) * rows;
}

bool CaptureBaseName(const char* file, char* base, size_t capacity) {
  if (!base || capacity == 0) return false;
  base[0] = '\0';
  if (!file) return false;
  const char* name = file;
  for (const char* p = file; *p; ++p)
    if (*p == '\\' || *p == '/' || *p == ':') name = p + 1;
  const char* dot = std::strrchr(name, '.');
  const size_t length = dot ? size_t(dot - file) : std::strlen(file);
  if (length >= capacity) return false;
  std::memcpy(base, file, length);
  base[length] = '\0';
  return true;
}

bool FormatSeriesName(char* out, size_t capacity, const char* base, SeriesName kind, int32_t number) {
  if (!out || capacity == 0) return false;
  static const char* const kFormats[] = {"%s%03ld.bmp", "%s%03ld.avi", "%s_%03ld.avi"};
  const int n = std::snprintf(out, capacity, kFormats[int(kind)], base ? base : "", long(number));
  if (n < 0 || size_t(n) >= capacity) {
    out[0] = '\0';
    return false;
  }
  return true;
}

namespace {

char Lower(char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; }

bool SameLetters(const char* a, const char* b, size_t n) {
  for (size_t i = 0; i < n; ++i)
    if (Lower(a[i]) != Lower(b[i])) return false;
  return true;
}

}  // namespace

bool SeriesNumberOf(const char* fileName, const char* baseName, SeriesName kind, int32_t* number) {
  if (!fileName || !baseName) return false;
  const char* prefix = kind == SeriesName::kPart ? "_" : "";
  const char* extension = kind == SeriesName::kBmp ? ".bmp" : ".avi";
  const size_t baseLength = std::strlen(baseName), prefixLength = std::strlen(prefix);
  const size_t length = std::strlen(fileName);
  if (length < baseLength + prefixLength + 3 + 4) return false;
  if (!SameLetters(fileName, baseName, baseLength) || std::strncmp(fileName + baseLength, prefix, prefixLength) != 0)
    return false;
  const char* digits = fileName + baseLength + prefixLength;
  const size_t digitCount = length - 4 - size_t(digits - fileName);
  if (!SameLetters(fileName + length - 4, extension, 4) || digitCount > 9) return false;
  int32_t value = 0;
  for (size_t i = 0; i < digitCount; ++i) {
    if (digits[i] < '0' || digits[i] > '9') return false;
    value = value * 10 + (digits[i] - '0');
  }
  // Only the spelling the series writes: at least three digits, no more zeros.
  char shown[16];
  std::snprintf(shown, sizeof shown, "%03ld", long(value));
  if (std::strlen(shown) != digitCount) return false;
  *number = value;
  return true;
}

size_t BmpRowStride(int32_t width, int bitsPerPixel) {
  if (width <= 0 || bitsPerPixel <= 0) return 0;
  return (size_t(width) * size_t(bitsPerPixel) / 8 + 3) & ~size_t(3);
}

void PadRowsInPlace(uint8_t* rows, int32_t count, size_t rowBytes, size_t stride) {
  if (!rows || count <= 0 || stride <= rowBytes) return;
  // From the last row back: a row moves to a place no unmoved row occupies.
  for (int32_t r = count - 1; r >= 0; --r) {
    uint8_t* to = rows + size_t(r) * stride;
    std::memmove(to, rows + size_t(r) * rowBytes, rowBytes);
    std::memset(to + rowBytes, 0, stride - rowBytes);
  }
}
