// Calibration of a picture by a dark frame and a flat field. Picture, dark and
// flat are whole images of the header's size and colour type (3 samples per
// pixel for colour type 1, else 1); samples are read as signed 16-bit values
// and results stored in 0..32767.
#pragma once

#include <cstdint>

#include "imagelib/image.h"

// dst = light - dark per sample (the difference taken as a 16-bit value),
// negative results 0. Any two of the buffers may be the same.
ImageResult SubtractDark(int16_t* dst, const int16_t* light, const int16_t* dark, const ImageHeader* h);

// dst = light * m / flat + 0.5 per sample, cut and clamped to 0..32767, m being
// the mean of the flat's channel. A flat sample of 0 passes light through; one
// above twice the mean (or negative) is replaced by FlatRingMean, and where
// that ring gives no positive divisor light passes through too. dst may be
// light or flat (the latter through a copy of the flat: IMG_NO_MEMORY when it
// cannot be had).
ImageResult DivideFlatField(int16_t* dst, const int16_t* light, const int16_t* flat, const ImageHeader* h);

// Mean of the 16 pixels on the border of the 5 x 5 block around the pixel of
// sample index `index` (colour: 3 samples per pixel, channel 0..2 picks one),
// the block moved inside the image at its edges. 0 for an image smaller than
// 5 x 5, an index outside it or a null pointer.
double FlatRingMean(const int16_t* flat, const ImageHeader* h, int64_t index, int32_t channel);
