// Windows bitmap files written by the program itself, the plain BMP reader,
// and headerless 8-bit "IM" pictures whose size is guessed from the file
// length. Platform-free; the Windows edge (picture_files.h) adds the palette
// of the display settings and the message boxes.
#pragma once

#include <cstdint>

#include "imagelib/image.h"
#include "picture_io.h"
#include "shell/palette_colours.h"

// Writes a bitmap file of 8 bits per pixel (with the 256 palette entries) or
// 24: 14-byte file header, 40-byte info header, palette, then the rows as
// given (bottom row first, each padded to a multiple of 4 bytes). 1 written,
// 0 for bad arguments or a file that cannot be written whole (then removed).
int WriteBmpFileRows(const char* fileName, const uint8_t* rows, int32_t width, int32_t height, int bitsPerPixel,
                     const Bgr palette[256]);

// The plain reader: an uncompressed, bottom-up BMP of 8 or 24 bits per pixel
// into a new buffer of its rows in file order (*buffer freed first). Pixel
// offsets of 40, 104 and 1064 count from the info header. Anything else,
// and a file too short for its rows, gives "Datei ist kein BMP-Bild !";
// memory "Kein Speicherplatz !". 1/0.
int ReadBmpPlainFile(const char* fileName, uint8_t** buffer, int32_t* width, int32_t* height, int32_t* bits,
                     PictureMessage* message);

// Reads the whole file into a new zero-filled buffer of at least width x
// height bytes (*buffer freed first) and guesses the size: up to 1280 bytes
// 640 x 16 (the rest zero), otherwise the divisor w nearest above the square
// root with a height of at least 2. 0 for a missing or empty file, a length
// without such a divisor, or one that cannot be held.
int GuessRawDimensions(const char* fileName, uint8_t** buffer, int32_t* width, int32_t* height);

// Reader of "IM" files (the reader contract of picture_files.h): grey, 8 bits,
// each byte b the sample b * 128. Silent.
int ReadRawBitmap(const char* fileName, int16_t** samples, ImageHeader* header);
