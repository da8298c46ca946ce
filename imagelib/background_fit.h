// A smooth background model: the background level (histogram peak) of an
// 8 x 8 grid of boxes over the inner image, a polynomial surface through
// those 64 levels by least squares, fitted again through the 32 that agree
// best, and rendered at every pixel. Coordinates go in thousands of pixels
// and levels in thousands, so the powers stay small. A null header is
// IMG_NULL_ARRAY.
#pragma once

#include <cstdint>

#include "imagelib/image.h"

constexpr int32_t kGridSamples = 64;          // 8 rows of 8 boxes
constexpr int32_t kBackgroundMargin = 20;     // pixels left out at every edge
constexpr int32_t kMinBackgroundSide = 48;    // the inner image holds a box of a pixel per sample

// dst = factor x the background surface of degree 0..4 (0: the peak level of
// the inner image, a constant), floor(v + 0.5) in 0..32767. Colour: one fit
// per channel with perChannel 1, else one fit on the luminance written to
// all three; degree 0 is always per channel. dst may be src.
// IMG_NULL_IMAGE for missing samples, IMG_BAD_PARAMETER for another degree,
// a factor that is not a finite number or a surface the samples cannot
// determine, IMG_BAD_RECT for an image under
// kMinBackgroundSide on either side.
ImageResult RemoveBackgroundGradient(int16_t* dst, const int16_t* src, const ImageHeader* h, int32_t degree,
                                     double factor, int32_t perChannel);

// The 64 samples of r on a grey image, row by row: box centres in thousands
// of pixels (x, y) and the box's peak level in thousands (z).
// IMG_BAD_PARAMETER for a colour image.
ImageResult PlaceSampleGrid(const ImageRect* r, const ImageHeader* h, const int16_t* samples, double* x, double* y,
                            double* z);

// Peak levels of nx x ny tiles of r (tile sides r.w / nx, r.h / ny) of a
// grey image, row by row. IMG_BAD_PARAMETER for a colour image or fewer
// than one tile either way.
ImageResult MeasureTileBackgrounds(int16_t* levels, const int16_t* samples, const ImageRect* r, const ImageHeader* h,
                                   int32_t nx, int32_t ny);

// Sorts n samples by key, ascending and stable, carrying x, y and z along.
void SortSamples(double* x, double* y, double* z, double* key, int32_t n);
