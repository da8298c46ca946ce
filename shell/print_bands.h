// The printed picture, platform-free: how a picture fits the printable area
// and the rows of each of its sixteen bands, resampled bilinearly like the
// picture writers' rows (display_mapping.h).
#pragma once

#include <cstdint>

#include "imagelib/image.h"

constexpr int kPrintBands = 16;

struct PrintFit {
  int32_t width;        // printed width in device pixels, a multiple of 4
  int32_t height;       // printed height; the bands cover 16 * bandHeight of it
  int32_t bandHeight;
  double step;          // picture pixels per device pixel, both ways
};

// The largest size of the picture's aspect within areaW x areaH. 1 with the
// fit, 0 when the picture is narrower than 4 or lower than 16 pixels or the
// printed picture would be.
int FitPrintPicture(int32_t areaW, int32_t areaH, int32_t imageW, int32_t imageH, PrintFit* fit);

// Bytes of one band: width * bandHeight, three bytes a pixel when colourOut.
int64_t PrintBandSize(const PrintFit& fit, bool colourOut);

// Rows of band `band` (0 at the top), bottom-up, width * (3 or 1) bytes
// each: colourOut gives blue, green, red of a colour picture; otherwise a
// grey level, of a colour picture from the luminance floor(0.299 R + 0.587 G
// + 0.114 B) of each neighbour. Rows whose source reaches the picture's last
// sixteenth are white.
void FillPrintBand(uint8_t* rows, const PrintFit& fit, int band, bool colourOut, const int16_t* samples,
                   const ImageHeader* h);
