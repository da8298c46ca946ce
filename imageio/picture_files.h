// Pictures in and out by file extension: the load and save dispatchers and
// every format's reader and writer.
//
// Reader contract: (file name, samples, header). *samples must be null on
// entry; the reader allocates width x height samples (three per pixel, blue,
// green, red, for colour) in 0..32767, hands them to the caller, fills the
// header from the reader header of picture_io.h and returns 1; on failure it
// returns 0 and leaves no buffer behind.
//
// Writer contract: (file name, samples, header, state, x0, y0, x1, y1). The
// picture written is (x1 - x0) x (y1 - y0) pixels: the image as it is when
// that is its size, otherwise the whole image resampled. 1 (or the
// conversion library's non-zero result) on success, 0 on failure.
//
// BMP, GIF, JPEG, PCX and TIFF (8 bits) store the picture as the display
// shows it (palette and colour steps of the state); PNG, FITS and 16-bit
// TIFF store the samples themselves.
#pragma once

#include <windows.h>

#include <cstdint>

#include "bmp_picture.h"        // ReadRawBitmap, GuessRawDimensions
#include "imagelib/image.h"
#include "picture_formats.h"    // IsImageFileName
#include "ppm_picture.h"        // ReadPpmImage, ReadPpmToken
#include "shell/program_state.h"

// Longest file name the FITS library is given by the loader.
constexpr size_t kFitsNameLimit = 128;

// Loads a picture by its extension (with or without the leading ".", any
// case) into a new sample buffer and stamps the metadata with the file's
// name, the path in the current directory and the local time of its last
// write. A file that cannot be opened gives 0 and nothing else. showErrors 0
// silences the "nicht ladbar" and FITS name-length messages, not the
// unknown-format note. After a reported failure header and metadata are
// untouched; after a silent one they hold the defaults and whatever the
// reader had filled. *samples is null after every failure.
int LoadImageFile(const char* fileName, const char* extension, int showErrors, int16_t** samples,
                  ImageHeader* header, ImageMetadata* metadata);

// Saves the picture with the writer of the extension ("IM", "PPM" and "AVI"
// have none), at the size of the save magnification: SaveRect of the global
// state becomes (0, 0, trunc(width x Scalefactor + 0.5), trunc(height x
// Scalefactor + 0.5)). The file name is used as given.
int SaveImageFile(const char* fileName, const char* extension, int showErrors, const int16_t* samples,
                  const ImageHeader* header);

// The frame window registers itself: the dispatchers' messages belong to it.
void SetPictureOwnerWindow(HWND frame);
HWND PictureOwnerWindow();

// --- readers
int ReadBmpImage(const char* fileName, int16_t** samples, ImageHeader* header);
int ReadGifImage(const char* fileName, int16_t** samples, ImageHeader* header);
int ReadJpegImage(const char* fileName, int16_t** samples, ImageHeader* header);
int ReadPcxImage(const char* fileName, int16_t** samples, ImageHeader* header);
int ReadTiffImage(const char* fileName, int16_t** samples, ImageHeader* header);
int ReadPngImage(const char* fileName, int16_t** samples, ImageHeader* header);
// Cubes without CTYPE1 or CTYPE3 are B, G, R when FITSColorOrg is not 0.
int ReadFitsImage(const char* fileName, int16_t** samples, ImageHeader* header);

// --- writers
int WriteBmpImage(const char* fileName, const int16_t* samples, const ImageHeader* header, ProgramState* ps,
                  int32_t x0, int32_t y0, int32_t x1, int32_t y1);
int WriteGifImage(const char* fileName, const int16_t* samples, const ImageHeader* header, ProgramState* ps,
                  int32_t x0, int32_t y0, int32_t x1, int32_t y1);
int WriteJpegImage(const char* fileName, const int16_t* samples, const ImageHeader* header, ProgramState* ps,
                   int32_t x0, int32_t y0, int32_t x1, int32_t y1);
int WritePcxImage(const char* fileName, const int16_t* samples, const ImageHeader* header, ProgramState* ps,
                  int32_t x0, int32_t y0, int32_t x1, int32_t y1);
// TiffSaveBits 16 writes 16-bit samples (2 x sample), otherwise the display
// rendering; sets TiffBitPerPixel and TiffStripsize (1024) in the state.
int WriteTiffImage(const char* fileName, const int16_t* samples, const ImageHeader* header, ProgramState* ps,
                   int32_t x0, int32_t y0, int32_t x1, int32_t y1);
// PngBitsPerPixel 8 or 16.
int WritePngImage(const char* fileName, const int16_t* samples, const ImageHeader* header, ProgramState* ps,
                  int32_t x0, int32_t y0, int32_t x1, int32_t y1);
// FITSColorOrg and FITSFrameOrg decide the colour organisation.
int WriteFitsImage(const char* fileName, const int16_t* samples, const ImageHeader* header, ProgramState* ps,
                   int32_t x0, int32_t y0, int32_t x1, int32_t y1);
// Whole picture as BMP file "<program directory>\<name>", for diagnostics.
int WriteLogImage(const char* name, const int16_t* samples, const ImageHeader* header);

// --- bitmap files
// Rows already in file order (bottom row first, padded to 4 bytes), 8 bits
// per pixel with the colours of the current palette type, or 24.
int WriteBmpFile(const char* fileName, const uint8_t* rows, int32_t width, int32_t height, int bitsPerPixel);
// The plain reader of bmp_picture.h with its messages shown.
int ReadBmpPlain(const char* fileName, uint8_t** buffer, int32_t* width, int32_t* height, int32_t* bits);
