// 16-bit samples to the rows of a device-independent bitmap, platform-free:
// the display of every buffer and preview and the 8-bit picture writers go
// through here.
//
// Rows: one byte per pixel for grey pictures (a level, later coloured by the
// bitmap's colour table), three bytes blue, green, red for colour pictures
// (colour type 1); each row padded to a multiple of 4 bytes; bottom-up, so the
// picture's first row is the buffer's last. A sample s gives the level s >> 7;
// samples below 0 (never valid) show as 0.
#pragma once

#include <cstddef>
#include <cstdint>

#include "imagelib/image.h"
#include "palette_colours.h"

// The settings of the display, taken from the program's state.
struct DisplaySettings {
  int paletteType;                     // Palettetype
  int colourSteps;                     // Colorstep: 8..256
  int screenBits;                      // colour depth of the screen (or of the file written)
  bool isophotes;                      // IsIsophots
  int isophoteDistance;                // Isophotdistance: levels per band
  Bgr isophoteColour;                  // Isophotcolor
  LevelColourSettings colours;
};

// Bytes of one row of `width` pixels of `bytesPerPixel`, padded to 4; 0 for a
// width below 1.
size_t DibStride(int32_t width, int bytesPerPixel);
// Bytes of the rows of a picture of this size (3 bytes per pixel for colour),
// 0 when the size is not positive or the block would exceed 2 GB.
size_t DibRowsSize(int32_t width, int32_t height, bool colour);

// Maps the whole picture into rows of DibRowsSize bytes. Grey: the level.
// Colour on a screen deeper than 8 bits: each sample is cut to the colour
// steps (2, 4, 8, 16, 64 or 256 values per channel for Colorstep 8..256) and
// inverted for palette type 1; on 8 bits or less: error diffusion to four
// values per channel. 1 done, 0 on a missing buffer or a bad size or when the
// line buffers of the diffusion cannot be had.
int MapImageRows(uint8_t* rows, const int16_t* samples, const ImageHeader* h, const DisplaySettings& s);

// The bilinear level 0..255 of four samples at a source position of fx, fy
// sixteenths past a: a top left, b right of it, c below it, d below right.
inline int BilinearLevel(int a, int b, int c, int d, int fx, int fy) {
  const int v = (a * 256 + (b - a) * fx * 16 + ((c - a) * 16 + (a + d - b - c) * fx) * fy) >> 15;
  return v < 0 ? 0 : (v > 255 ? 255 : v);
}

// Maps the picture resampled bilinearly to outWidth x outHeight (one scale
// from the widths, for both axes) for the picture writers; reads only the
// first sourceHeight rows (the whole picture when it is not in 1..height).
// Colour: bitsPerPixel 9 or more cuts to the colour steps (never inverted),
// below 9 error diffusion to five values per channel. 1 done, 0 as above.
int ScaleImageRows(uint8_t* rows, const int16_t* samples, int32_t outWidth, int32_t outHeight,
                   int32_t sourceHeight, int bitsPerPixel, const ImageHeader* h, const DisplaySettings& s);

// Isophotes over mapped rows: where a pixel's band (level / distance; for
// colour b/6 + g/2 + r/3) differs from its right neighbour's or from the
// pixel's in the next buffer row it becomes level 255 (grey, whose other
// 255s drop to 254 first) or the isophote colour. 1 done, 0 when isophotes
// are off, the arguments are bad or the line buffer cannot be had.
int DrawIsophoteRows(uint8_t* rows, int32_t width, int32_t height, bool colour, const DisplaySettings& s);

// Cuts every byte of 8-bit rows to the lower end of its colour step.
void QuantiseDibColours(uint8_t* rows, int32_t width, int32_t height, int colourSteps);

// Colour table of a grey display bitmap: entry j shows the middle of j's
// colour step in the picture's palette type, entry 255 the isophote colour
// while isophotes are on; halve (night mode) halves every component.
void BuildColourTable(Bgr table[256], int imageColourType, const DisplaySettings& s, bool halve);

// 8-bit rows of a colour bar of w x h pixels (w a multiple of 4): the level
// 0..254 runs along x (along the rows from the bottom when vertical);
// curve, when given, holds 256 levels by which the level is looked up.
void FillColourBarRows(uint8_t* rows, int32_t w, int32_t h, bool vertical, const double* curve);

// Every n-th sample from source pixel (x0 * n, y0 * n) into dst, a picture of
// dstW x dstH pixels of the source's colour type; pixels whose source lies
// outside the picture are left as they are.
void SubsampleForZoom(int16_t* dst, int32_t dstW, int32_t dstH, const int16_t* src, const ImageHeader* h,
                      int32_t n, int32_t x0, int32_t y0);

// Overlay of picture A and picture B shifted by (dx, dy): inside the overlap
// each byte is (a >> 8) + (b >> 8), with inverse (colour and palette type 1)
// NOT(a >> 8) - (b >> 8); rows as above, zero outside the overlap.
void ComposeShiftOverlay(uint8_t* rows, const int16_t* a, const int16_t* b, const ImageHeader* h, int32_t dx,
                         int32_t dy, bool inverse);
