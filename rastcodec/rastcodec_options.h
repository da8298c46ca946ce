// Option records of the graphics conversion library's writers. They are
// consecutive 32-bit fields in the order of the [PicSave] settings keys, so
// ProgramState embeds them as they are and hands a pointer to the writer.
#pragma once

#include <cstdint>

struct GifOptions {
  int32_t GifVersion;
  int32_t GifFormat;           // 87 or 89
  int32_t GifGlobalColorMap;   // 1 global colour map, 0 local
  int32_t GifInterlaced;
  int32_t GifGrayscale24;      // read palette indices as grey levels
};

struct JpegOptions {
  int32_t JpegVersion;
  int32_t JpegQuality;         // 1..100
  int32_t JpegGrayscale;
};

struct PcxOptions {
  int32_t PcxVersion;          // a 16-bit value
  int32_t PcxPCXVersion;       // a signed 8-bit value: the header's version byte
  int32_t PcxBitsPerPixel;
  int32_t PcxCompression;
};

struct TiffOptions {
  int32_t TiffVersion;
  int32_t TiffBitPerPixel;
  int32_t TiffCompression;     // 1 none, 5 LZW, 32773 PackBits
  int32_t TiffStripsize;
  int32_t TiffSaveBits;
};

static_assert(sizeof(GifOptions) == 20 && sizeof(JpegOptions) == 12 && sizeof(PcxOptions) == 16 &&
                  sizeof(TiffOptions) == 20,
              "option records are plain 32-bit fields");
