// Pictures on screen: device bitmaps of 16-bit pictures through the program
// palette, reduced ("zoom") bitmaps, and copying bitmaps to a device context.
// The rows are made by the platform-free mapping of display_mapping.h.
#pragma once

#include <windows.h>

#include <cstdint>

#include "imagelib/image.h"
#include "program_state.h"

// Rows of the whole picture for the display depth ps->ScreenBitsPerPixel,
// into a buffer of DibRowsSize bytes. 1 done, 0 when it cannot be done.
int MapImageToDib(const int16_t* samples, uint8_t* rows, const ImageHeader* h, const ProgramState* ps);
// Rows of the picture resampled to outWidth x outHeight for the picture
// writers (rows from the first sourceHeight picture rows); bitsPerPixel below
// 9 dithers colour pictures. 1 done, 0 when it cannot be done.
int ScaleImageToDib(const int16_t* samples, uint8_t* rows, int32_t outWidth, int32_t outHeight,
                    int32_t sourceHeight, int bitsPerPixel, const ImageHeader* h, const ProgramState* ps);
// Isophote lines over mapped rows while IsIsophots is on: 1 drawn, 0 not.
int DrawIsophotes(uint8_t* rows, int32_t width, int32_t height, const ImageHeader* h, const ProgramState* ps);

// A device bitmap (compatible with hdc, or with the screen when hdc is null)
// of mapped rows: grey rows with the colour table of the palette settings,
// halved when halveColours; colour rows as they are. 0 on failure.
HBITMAP CreateDeviceBitmap(HDC hdc, const uint8_t* rows, const ImageHeader* h, const ProgramState* ps,
                           bool halveColours = false);

// The whole picture at 1:1. 0 without samples; a picture without width or
// height gives "Bitmap ohne Maße !".
HBITMAP CreateDisplayBitmap(HDC hdc, const int16_t* samples, const ImageHeader* h, const ProgramState* ps);

// Every n-th sample of every n-th row from pixel (x0 * n, y0 * n), at most
// maxWidth x maxHeight pixels: x0 and y0 count reduced pixels. With n below 2
// and both ranges 0 the whole picture at 1:1. 0 without samples or with
// (x0, y0) outside the picture; "Zoombuffer versagt !" when memory is short.
HBITMAP CreateZoomBitmap(HDC hdc, const int16_t* samples, const ImageHeader* h, const ProgramState* ps, int32_t n,
                         int32_t x0, int32_t y0, int32_t maxWidth, int32_t maxHeight, int32_t rangeX,
                         int32_t rangeY);

// Copies width x height of the bitmap from (srcX, srcY) to (dstX, dstY).
// Nothing without a bitmap or with an empty size.
void BlitBitmap(HDC hdc, HBITMAP bitmap, int dstX, int dstY, int srcX, int srcY, int width, int height);
// Stretches srcW x srcH of the bitmap into dstW x dstH from (dstX, dstY),
// keeping the aspect: the destination's height or width is reduced.
void StretchBitmap(HDC hdc, HBITMAP bitmap, int dstX, int dstY, int dstW, int dstH, int srcX, int srcY, int srcW,
                   int srcH);
