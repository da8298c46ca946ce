#include "stacking/series/native_pictures.h"

#include <cstdio>
#include <cstring>
#include <mutex>
#include <vector>

#include "imagelib/work_memory.h"
#include "imageio/bmp_picture.h"
#include "imageio/fits_picture.h"
#include "imageio/picture_formats.h"
#include "imageio/picture_io.h"
#include "imageio/png_picture.h"
#include "imageio/ppm_picture.h"

namespace {

std::mutex gFitsLock;

uint32_t Get16(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8; }
uint32_t Get32(const uint8_t* p) { return Get16(p) | Get16(p + 2) << 16; }

const char* ExtensionOf(const char* name) {
  const char* dot = std::strrchr(name, '.');
  const char* sep = name;
  for (const char* p = name; *p; ++p)
    if (*p == '\\' || *p == '/' || *p == ':') sep = p + 1;
  return dot && dot >= sep ? dot : "";
}

// The picture of a whole bitmap file in memory.
int DecodeBmp(const uint8_t* bytes, int64_t size, FrameBuffer* frame, ImageHeader* header) {
  const uint8_t* info = bytes + 14;
  const int32_t w = int32_t(Get32(info + 4)), h = int32_t(Get32(info + 8));
  const uint32_t bits = Get16(info + 14);
  uint64_t offset = Get32(bytes + 10);
  if (offset == 40 || offset == 104 || offset == 1064) offset += 14;
  if (bytes[0] != 'B' || bytes[1] != 'M' || Get32(info) < 40 || w <= 0 || h <= 0 || (bits != 8 && bits != 24) ||
      Get32(info + 16) != 0)
    return 0;
  const bool colour = bits == 24;
  const uint64_t rowBytes = (uint64_t(w) * (colour ? 3 : 1) + 3) / 4 * 4;
  if (!PictureFits(w, h, colour) || offset > uint64_t(size) || rowBytes * uint64_t(h) > uint64_t(size) - offset)
    return 0;
  SetReaderHeader(header, w, h, colour, colour ? 24 : 8);
  if (!frame->Reserve(header)) return 0;
  const size_t rowSamples = size_t(w) * (colour ? 3 : 1);
  for (int32_t r = 0; r < h; ++r) {
    const uint8_t* src = bytes + offset + uint64_t(h - 1 - r) * rowBytes;
    int16_t* dst = frame->samples() + size_t(r) * rowSamples;
    for (size_t i = 0; i < rowSamples; ++i) dst[i] = int16_t(src[i] << 7);
  }
  return 1;
}

// Uncompressed bottom-up bitmaps of 8 (indices read as grey) or 24 bits
// straight into the frame; the file's bytes go through work memory, which
// the next frame gets again.
int LoadBmp(const char* fileName, FrameBuffer* frame, ImageHeader* header) {
  FILE* f = std::fopen(fileName, "rb");
  if (!f) return 0;
  const int64_t size = OpenFileSize(f);
  uint8_t* bytes = size >= 54 && size <= int64_t(PictureSampleLimit()) * 2 ? AllocWorkOf<uint8_t>(size_t(size))
                                                                           : nullptr;
  const bool read = bytes && std::fread(bytes, 1, size_t(size), f) == size_t(size);
  std::fclose(f);
  const int loaded = read ? DecodeBmp(bytes, size, frame, header) : 0;
  FreeWork(&bytes);
  return loaded;
}

// A reader that allocates its own block: the frame takes the block over.
template <typename Read>
int LoadAllocated(FrameBuffer* frame, ImageHeader* header, Read read) {
  int16_t* samples = nullptr;
  if (!read(&samples)) {
    FreeMem(&samples);
    return 0;
  }
  frame->Adopt(samples, PictureSamples(header));
  return 1;
}

}  // namespace

int NativePictureLoader::Load(const char* fileName, FrameBuffer* frame, ImageHeader* header) {
  if (!fileName || !frame || !header) return 0;
  PictureMessage message;
  switch (FormatOfExtension(ExtensionOf(fileName))) {
    case PictureFormat::Bmp:
      return LoadBmp(fileName, frame, header);
    case PictureFormat::Png:
      return LoadAllocated(frame, header,
                           [&](int16_t** s) { return ReadPngPicture(fileName, s, header, &message); });
    case PictureFormat::Fits:
      return LoadAllocated(frame, header, [&](int16_t** s) {
        std::lock_guard<std::mutex> lock(gFitsLock);
        return ReadFitsPicture(fileName, s, header, false, &message);
      });
    case PictureFormat::Ppm:
      return LoadAllocated(frame, header, [&](int16_t** s) { return ReadPpmImage(fileName, s, header); });
    case PictureFormat::RawBitmap:
      return LoadAllocated(frame, header, [&](int16_t** s) { return ReadRawBitmap(fileName, s, header); });
    default:
      return 0;
  }
}

bool NativePictureLoader::LoadsConcurrently(const char* fileName) const {
  return fileName && FormatOfExtension(ExtensionOf(fileName)) != PictureFormat::Fits;
}

int SaveNativePicture(const char* fileName, const char* extension, const int16_t* samples, const ImageHeader* h) {
  if (!fileName || !extension || !samples || !h || h->width < 1 || h->height < 1) return 0;
  PictureMessage message;
  switch (FormatOfExtension(extension)) {
    case PictureFormat::Fits: {
      std::lock_guard<std::mutex> lock(gFitsLock);
      return WriteFitsPicture(fileName, samples, h, h->width, h->height, kFitsRgb, kFitsTriples);
    }
    case PictureFormat::Png:
      return WritePngPicture(fileName, samples, h, h->width, h->height, 16, &message);
    case PictureFormat::Bmp: {
      const bool colour = h->colourType == kColourRgb;
      const size_t rowSamples = size_t(h->width) * (colour ? 3 : 1);
      const size_t rowBytes = (rowSamples + 3) / 4 * 4;
      std::vector<uint8_t> rows(rowBytes * size_t(h->height));
      for (int32_t r = 0; r < h->height; ++r)
        for (size_t i = 0; i < rowSamples; ++i) {
          const int16_t v = samples[size_t(h->height - 1 - r) * rowSamples + i];
          rows[size_t(r) * rowBytes + i] = uint8_t(v < 0 ? 0 : v >> 7);
        }
      return WriteBmpFileRows(fileName, rows.data(), h->width, h->height, colour ? 24 : 8, nullptr);
    }
    default:
      return 0;
  }
}
