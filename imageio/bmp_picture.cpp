#include "bmp_picture.h"

#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

constexpr uint32_t kFileHeaderBytes = 14;
constexpr uint32_t kInfoHeaderBytes = 40;
constexpr uint32_t kPaletteBytes = 1024;
constexpr int64_t kSmallRawFile = 1280;   // up to here a fixed size of 640 x 16

void Put16(uint8_t* p, uint32_t v) {
  p[0] = uint8_t(v);
  p[1] = uint8_t(v >> 8);
}
void Put32(uint8_t* p, uint32_t v) {
  Put16(p, v);
  Put16(p + 2, v >> 16);
}
uint32_t Get16(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8; }
uint32_t Get32(const uint8_t* p) { return Get16(p) | Get16(p + 2) << 16; }

uint64_t RowBytes(int64_t width, int bits) { return (uint64_t(width) * (bits > 8 ? 3 : 1) + 3) / 4 * 4; }

}  // namespace

int WriteBmpFileRows(const char* fileName, const uint8_t* rows, int32_t width, int32_t height, int bitsPerPixel,
                     const Bgr palette[256]) {
  if (!fileName || !rows || width < 1 || height < 1) return 0;
  if (bitsPerPixel != 8 && bitsPerPixel != 24) return 0;
  const uint32_t paletteBytes = bitsPerPixel == 8 ? kPaletteBytes : 0;
  const uint64_t pixelBytes = RowBytes(width, bitsPerPixel) * uint64_t(height);
  const uint64_t offset = kFileHeaderBytes + kInfoHeaderBytes + paletteBytes;
  if (pixelBytes > 0xFFFFFFFFu - offset) return 0;   // the file size field has 32 bits

  uint8_t head[kFileHeaderBytes + kInfoHeaderBytes + kPaletteBytes] = {};
  head[0] = 'B';
  head[1] = 'M';
  Put32(head + 2, uint32_t(offset + pixelBytes));
  Put32(head + 10, uint32_t(offset));
  uint8_t* info = head + kFileHeaderBytes;
  Put32(info, kInfoHeaderBytes);
  Put32(info + 4, uint32_t(width));
  Put32(info + 8, uint32_t(height));
  Put16(info + 12, 1);
  Put16(info + 14, uint32_t(bitsPerPixel));
  for (int i = 0; i < 256 && paletteBytes; ++i) {
    const Bgr c = palette ? palette[i] : Bgr{uint8_t(i), uint8_t(i), uint8_t(i)};
    uint8_t* e = info + kInfoHeaderBytes + 4 * i;
    e[0] = c.b;
    e[1] = c.g;
    e[2] = c.r;
  }

  FILE* f = std::fopen(fileName, "wb");
  if (!f) return 0;
  bool ok = std::fwrite(head, 1, size_t(offset), f) == size_t(offset) &&
            std::fwrite(rows, 1, size_t(pixelBytes), f) == size_t(pixelBytes);
  ok = std::fclose(f) == 0 && ok;
  if (!ok) std::remove(fileName);
  return ok ? 1 : 0;
}

int ReadBmpPlainFile(const char* fileName, uint8_t** buffer, int32_t* width, int32_t* height, int32_t* bits,
                     PictureMessage* message) {
  ClearPictureMessage(message);
  if (!fileName || !buffer || !width || !height || !bits) return 0;
  FILE* f = std::fopen(fileName, "rb");
  if (!f) return 0;
  const int64_t fileSize = OpenFileSize(f);
  uint8_t head[kFileHeaderBytes + kInfoHeaderBytes];
  const bool haveHead = std::fread(head, 1, sizeof head, f) == sizeof head;
  const uint8_t* info = head + kFileHeaderBytes;
  const int32_t w = int32_t(Get32(info + 4));
  const int32_t h = int32_t(Get32(info + 8));
  const int32_t b = int32_t(Get16(info + 14));
  uint64_t offset = Get32(head + 10);
  if (offset == 40 || offset == 104 || offset == 1064) offset += kFileHeaderBytes;
  // Only what the rows are read as: uncompressed, bottom-up, 8 or 24 bits.
  // Top-down, run-length coded, bit-field and other depths would come out as
  // garbage, so they are refused.
  bool plain = haveHead && head[0] == 'B' && head[1] == 'M' && Get32(info) >= kInfoHeaderBytes && w > 0 && h > 0 &&
               (b == 8 || b == 24) && Get32(info + 16) == 0;
  const uint64_t rowsBytes = plain ? RowBytes(w, b) * uint64_t(h) : 0;
  plain = plain && fileSize >= 0 && offset <= uint64_t(fileSize) && rowsBytes <= uint64_t(fileSize) - offset;
  if (!plain) {
    std::fclose(f);
    SetPictureMessage(message, "Datei ist kein BMP-Bild !");
    return 0;
  }
  FreeMem(buffer);
  uint8_t* rows = rowsBytes <= 0xFFFFFFFFu ? static_cast<uint8_t*>(AllocMem(uint32_t(rowsBytes))) : nullptr;
  if (!rows) {
    std::fclose(f);
    SetPictureMessage(message, "Kein Speicherplatz !");
    return 0;
  }
  const bool read = SeekFile(f, int64_t(offset)) &&
                    std::fread(rows, 1, size_t(rowsBytes), f) == size_t(rowsBytes);
  std::fclose(f);
  if (!read) {
    FreeMem(&rows);
    SetPictureMessage(message, "Datei ist kein BMP-Bild !");
    return 0;
  }
  *buffer = rows;
  *width = w;
  *height = h;
  *bits = b;
  return 1;
}

int GuessRawDimensions(const char* fileName, uint8_t** buffer, int32_t* width, int32_t* height) {
  if (!fileName || !buffer || !width || !height) return 0;
  FILE* f = std::fopen(fileName, "rb");
  if (!f) return 0;
  const int64_t n = OpenFileSize(f);
  int64_t w = 0, h = 0;
  if (n > 0 && n <= kSmallRawFile) {
    w = 640;
    h = 16;
  } else if (n > kSmallRawFile && uint64_t(n) <= PictureSampleLimit()) {
    // The smallest divisor w from the rounded square root on whose height
    // n / w is at least 2, found as the largest such height (sqrt(n) steps
    // at most rather than n / 2).
    const int64_t w0 = int64_t(std::floor(std::sqrt(double(n)) + 0.5));
    for (int64_t d = n / w0; d >= 2; --d) {
      if (n % d == 0) {
        w = n / d;
        h = d;
        break;
      }
    }
  }
  if (w == 0) {
    std::fclose(f);
    return 0;
  }
  // Small files are shorter than their guessed size: the rest stays zero.
  const uint64_t size = uint64_t(w * h > n ? w * h : n);
  FreeMem(buffer);
  uint8_t* bytes = size <= 0xFFFFFFFFu ? static_cast<uint8_t*>(AllocMem(uint32_t(size))) : nullptr;
  const bool read = bytes && std::fread(bytes, 1, size_t(n), f) == size_t(n);
  std::fclose(f);
  if (!read) {
    FreeMem(&bytes);
    return 0;
  }
  *buffer = bytes;
  *width = int32_t(w);
  *height = int32_t(h);
  return 1;
}

int ReadRawBitmap(const char* fileName, int16_t** samples, ImageHeader* header) {
  if (!samples || *samples || !header) return 0;
  uint8_t* bytes = nullptr;
  int32_t w = 0, h = 0;
  if (!GuessRawDimensions(fileName, &bytes, &w, &h)) return 0;
  int16_t* out = AllocPictureSamples(w, h, false);
  if (!out) {
    FreeMem(&bytes);
    return 0;
  }
  const size_t n = size_t(w) * size_t(h);
  for (size_t i = 0; i < n; ++i) out[i] = int16_t(bytes[i] << 7);
  FreeMem(&bytes);
  SetReaderHeader(header, w, h, false, 8);
  *samples = out;
  return 1;
}
