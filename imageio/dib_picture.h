// Device-independent bitmaps of the graphics conversion library to 16-bit
// samples: the common tail of the BMP, GIF, JPEG, PCX and TIFF readers.
// Platform-free: the Windows readers hand over the locked block.
#pragma once

#include <cstddef>
#include <cstdint>

#include "imagelib/image.h"

// A packed DIB as the library hands it over: the 40-byte info header at
// `info`, the first pixel row at `rows` (behind header and colour table) and
// `rowBytes` bytes from there to the end of the block.
struct DibBlock {
  const uint8_t* info;
  const uint8_t* rows;
  size_t rowBytes;
};

// How the reader takes the pixels.
enum class DibSamples {
  Grey,     // 8 bits per pixel: the palette indices are the grey values
  Colour,   // 24 bits per pixel: blue, green, red
  Wide,     // 16 bits per pixel (grey) or 48 (blue, green, red) of 16-bit samples
};

// Allocates and fills the samples of the reader header: standard rows lie
// bottom-up padded to 4 bytes and each byte b gives b * 128; wide rows lie top
// row first unpadded and each 16-bit value v gives v >> 1. The depth must
// match `kind` (8, 24, or 16 and 48 for Wide), the height must be positive
// and the rows must lie inside the block. sourceBits goes into the header.
// 1 done; 0 with *samples null for a block that breaks these rules or a
// picture that cannot be held (*tooLarge set for the latter, so that the
// caller can report memory).
int DibToSamples(const DibBlock& dib, DibSamples kind, int sourceBits, int16_t** samples, ImageHeader* h,
                 bool* tooLarge);
