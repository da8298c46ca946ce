#include "png_picture.h"

#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <cstring>

#include "imagelib/resample.h"

namespace {

// What libpng may keep of one ancillary chunk, and how many such chunks.
constexpr png_alloc_size_t kChunkBytesMax = 8u << 20;
constexpr png_uint_32 kChunkCacheMax = 256;

// libpng trusts a chunk's length before it reads the chunk: a length beyond
// the end of the file has it allocate and clear up to 2 GB (taking many
// seconds) before the read fails. Every chunk up to IEND must lie within
// the file; the position is left where it was.
bool ChunksInsideFile(FILE* file) {
  const long start = std::ftell(file);
  if (start < 0 || std::fseek(file, 0, SEEK_END) != 0) return false;
  const long end = std::ftell(file);
  bool inside = end >= 8;
  for (long at = 8; inside && end - at >= 8;) {
    png_byte head[8];
    inside = std::fseek(file, at, SEEK_SET) == 0 && std::fread(head, 1, 8, file) == 8;
    if (!inside) break;
    const png_uint_32 length = png_get_uint_32(head);
    inside = length <= PNG_UINT_31_MAX && uint64_t(length) + 12 <= uint64_t(end - at);
    if (std::memcmp(head + 4, "IEND", 4) == 0) break;
    at += long(length) + 12;
  }
  return std::fseek(file, start, SEEK_SET) == 0 && inside;
}

// libpng reports errors through longjmp; these keep it from printing too.
void PngError(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void PngWarning(png_structp, png_const_charp) {}

struct PngRead {
  png_structp png = nullptr;
  png_infop info = nullptr;
  png_infop end = nullptr;
  FILE* file = nullptr;
  uint8_t* raw = nullptr;          // the decoded rows, back to back
  png_bytep* rowPointers = nullptr;
  png_uint_32 width = 0;
  png_uint_32 height = 0;
  int depth = 0;                   // 8 or 16 after the transforms
  bool colour = false;
  bool tooLarge = false;
};

// Everything between the error return point and the end of the picture.
// Leaves s->raw null when the picture is refused for its size.
void ReadRows(PngRead* s) {
  png_init_io(s->png, s->file);
  png_set_sig_bytes(s->png, 4);
  png_read_info(s->png, s->info);
  int depth = 0, type = 0;
  png_get_IHDR(s->png, s->info, &s->width, &s->height, &depth, &type, nullptr, nullptr, nullptr);
  s->colour = type != PNG_COLOR_TYPE_GRAY && type != PNG_COLOR_TYPE_GRAY_ALPHA;
  if (!PictureFits(s->width, s->height, s->colour)) {
    s->tooLarge = true;
    return;
  }
  // Palettes become their colours and grey below 8 bits becomes 8 bits, so
  // that every row holds one or three samples of 8 or 16 bits per pixel.
  png_set_expand(s->png);
  png_set_strip_alpha(s->png);
  png_set_packing(s->png);
  png_set_bgr(s->png);
  png_set_swap(s->png);
  png_set_interlace_handling(s->png);
  png_read_update_info(s->png, s->info);
  s->depth = png_get_bit_depth(s->png, s->info);
  const size_t rowBytes = png_get_rowbytes(s->png, s->info);
  const size_t channels = png_get_channels(s->png, s->info);
  if ((s->depth != 8 && s->depth != 16) || channels != (s->colour ? 3u : 1u) ||
      rowBytes != size_t(s->width) * channels * size_t(s->depth / 8)) {
    png_error(s->png, "unexpected row layout");
  }
  s->raw = static_cast<uint8_t*>(AllocArray(size_t(s->height), rowBytes));
  s->rowPointers = static_cast<png_bytep*>(AllocArray(s->height, sizeof(png_bytep)));
  if (!s->raw || !s->rowPointers) {
    FreeMem(&s->raw);
    s->tooLarge = true;
    return;
  }
  for (png_uint_32 y = 0; y < s->height; ++y) s->rowPointers[y] = s->raw + size_t(y) * rowBytes;
  png_read_image(s->png, s->rowPointers);
  png_read_end(s->png, s->end);
}

bool DecodePng(PngRead* s) {
  if (setjmp(png_jmpbuf(s->png))) return false;
  ReadRows(s);
  return true;
}

struct PngWrite {
  png_structp png = nullptr;
  png_infop info = nullptr;
  FILE* file = nullptr;
  png_bytep* rowPointers = nullptr;
  int32_t width = 0;
  int32_t height = 0;
  int depth = 8;
  bool colour = false;
};

void WriteRows(PngWrite* s) {
  png_init_io(s->png, s->file);
  png_set_IHDR(s->png, s->info, png_uint_32(s->width), png_uint_32(s->height), s->depth,
               s->colour ? PNG_COLOR_TYPE_RGB : PNG_COLOR_TYPE_GRAY, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_set_rows(s->png, s->info, s->rowPointers);
  png_write_png(s->png, s->info, PNG_TRANSFORM_BGR | PNG_TRANSFORM_SWAP_ENDIAN, nullptr);
}

bool EncodePng(PngWrite* s) {
  if (setjmp(png_jmpbuf(s->png))) return false;
  WriteRows(s);
  return true;
}

}  // namespace

int ReadPngPicture(const char* fileName, int16_t** samples, ImageHeader* header, PictureMessage* message) {
  ClearPictureMessage(message);
  if (!samples || !header) return 0;
  if (*samples) {
    SetPictureMessage(message, "BufferPtr != NULL !");
    return 0;
  }
  PngRead s;
  s.file = fileName ? std::fopen(fileName, "rb") : nullptr;
  if (!s.file) {
    SetPictureMessage(message, "Datei kann nicht geöffnet werden !");
    return 0;
  }
  png_byte signature[4];
  if (std::fread(signature, 1, 4, s.file) != 4 || png_sig_cmp(signature, 0, 4) != 0) {
    std::fclose(s.file);
    SetPictureMessage(message, "Datei ist kein PNG-Bild !");
    return 0;
  }
  if (!ChunksInsideFile(s.file)) {
    std::fclose(s.file);
    SetPictureMessage(message, "PNG-Bild nicht dekodierbar !");
    return 0;
  }
  s.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, PngError, PngWarning);
  if (s.png) {
    // No side longer than the program can hold, and bounds on what libpng
    // keeps of ancillary chunks (and inflates from compressed ones).
    const uint64_t side = PictureSampleLimit() < PNG_UINT_31_MAX ? PictureSampleLimit() : PNG_UINT_31_MAX;
    png_set_user_limits(s.png, png_uint_32(side), png_uint_32(side));
    png_set_chunk_malloc_max(s.png, kChunkBytesMax);
    png_set_chunk_cache_max(s.png, kChunkCacheMax);
    s.info = png_create_info_struct(s.png);
  }
  if (s.info) s.end = png_create_info_struct(s.png);
  int16_t* out = nullptr;
  if (!s.end) {
    // No message: the library could not even start.
  } else if (!DecodePng(&s)) {
    SetPictureMessage(message, "PNG-Bild nicht dekodierbar !");
  } else if (!s.raw || !(out = AllocPictureSamples(s.width, s.height, s.colour))) {
    SetPictureMessage(message, "Kein Speicherplatz !");
  } else {
    const size_t count = size_t(s.width) * s.height * (s.colour ? 3 : 1);
    if (s.depth == 8) {
      for (size_t i = 0; i < count; ++i) out[i] = int16_t(s.raw[i] << 7);
    } else {
      for (size_t i = 0; i < count; ++i) out[i] = int16_t((s.raw[2 * i] | s.raw[2 * i + 1] << 8) >> 1);
    }
  }
  png_destroy_read_struct(s.png ? &s.png : nullptr, s.info ? &s.info : nullptr, s.end ? &s.end : nullptr);
  std::fclose(s.file);
  FreeMem(&s.raw);
  FreeMem(&s.rowPointers);
  if (!out) return 0;
  SetReaderHeader(header, int32_t(s.width), int32_t(s.height), s.colour, s.depth);
  header->xScale = 1.0;
  header->yScale = 1.0;
  *samples = out;
  return 1;
}

int WritePngPicture(const char* fileName, const int16_t* samples, const ImageHeader* header, int32_t width,
                    int32_t height, int bitsPerSample, PictureMessage* message) {
  ClearPictureMessage(message);
  if (!fileName || !samples || !header || header->width < 1 || header->height < 1) return 0;
  PngWrite s;
  s.width = width;
  s.height = height;
  s.depth = bitsPerSample == 8 ? 8 : 16;
  s.colour = header->colourType == kColourRgb;
  if (!PictureFits(width, height, s.colour)) return 0;
  const size_t count = size_t(width) * size_t(height) * (s.colour ? 3 : 1);
  void* rows = AllocArray(count, size_t(s.depth / 8));
  if (!rows) return 0;

  // Other sizes are resampled about the destination's centre, which maps
  // onto the source's.
  const int16_t* source = samples;
  int16_t* work = nullptr;
  if (width != header->width || height != header->height) {
    ImageHeader target = *header;
    target.width = width;
    target.height = height;
    const double scale = double(width) / header->width;
    work = AllocPictureSamples(width, height, s.colour);
    if (!work || ResampleImage(header, &target, samples, work, width / 2, height / 2, 0.0, scale,
                               scale < 1.0 ? 1 : 3) != IMG_OK) {
      FreeMem(&work);
      FreeMem(&rows);
      return 0;
    }
    source = work;
  }
  if (s.depth == 8) {
    auto* bytes = static_cast<uint8_t*>(rows);
    for (size_t i = 0; i < count; ++i) bytes[i] = uint8_t(ClampSample(int64_t{source[i]}) >> 7);
  } else {
    auto* values = static_cast<uint16_t*>(rows);
    for (size_t i = 0; i < count; ++i) values[i] = uint16_t(2 * ClampSample(int64_t{source[i]}));
  }
  FreeMem(&work);

  s.file = std::fopen(fileName, "wb");
  if (!s.file) {
    FreeMem(&rows);
    SetPictureMessage(message, "PNG-Datei kann nicht erzeugt werden !");
    return 0;
  }
  s.png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, PngError, PngWarning);
  if (s.png) s.info = png_create_info_struct(s.png);
  bool written = false;
  if (s.info) {
    s.rowPointers = static_cast<png_bytep*>(AllocArray(size_t(height), sizeof(png_bytep)));
    const size_t rowBytes = size_t(width) * (s.colour ? 3 : 1) * size_t(s.depth / 8);
    for (int32_t y = 0; s.rowPointers && y < height; ++y) {
      s.rowPointers[y] = static_cast<png_bytep>(rows) + size_t(y) * rowBytes;
    }
    written = s.rowPointers && EncodePng(&s);
    if (!written) SetPictureMessage(message, "PNG-Datei kann nicht geschrieben werden !");
  }
  png_destroy_write_struct(s.png ? &s.png : nullptr, s.info ? &s.info : nullptr);
  // A full disk may show only when the last bytes leave the stream.
  if (std::fclose(s.file) != 0 && written) {
    written = false;
    SetPictureMessage(message, "PNG-Datei kann nicht geschrieben werden !");
  }
  if (!written) std::remove(fileName);
  FreeMem(&s.rowPointers);
  FreeMem(&rows);
  return written ? 1 : 0;
}
