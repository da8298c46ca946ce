// Flat fields and dark frames made from the light frame itself: a Gaussian
// low-pass through the mixed-radix FFT, and a background that replaces every
// pixel standing out from it by the nearest background in eight directions.
// Colour images are filtered plane by plane. Also a block transform and a
// cross-power peak for correlating two blocks. A null header or buffer is
// IMG_NULL_ARRAY.
#pragma once

#include <cstdint>

#include "imagelib/image.h"

// Filter types of FftFilterPlane.
enum FftFilterType : int32_t {
  FFT_STRIPES_BOTH = 0,   // weaken the zero row and column of the spectrum towards high frequencies
  FFT_STRIPES_ROWS = 1,   // only the zero column
  FFT_LOW_PASS = 2,       // Gaussian window over the 32 lowest frequencies each way
};

// The first of n, n - 2, n - 4, ... with no prime factor above 7 (n >= 1):
// the transform size the filters use for a side of n pixels.
int32_t TrimFftLength(int32_t n);

// Mode 1: every pixel where src exceeds the image already in dst is masked;
// otherwise the pixels above the threshold (peak - black) x factor + black of
// the histogram of the central box. Masked pixels get the inverse-distance
// mean of the nearest unmasked pixel along each of eight directions, the
// others src; the two outermost rows and columns are not written (0 for a
// colour image outside mode 1). IMG_BAD_PARAMETER for dst == src.
ImageResult EstimateBackground(int16_t* dst, const int16_t* src, const ImageHeader* h, double factor, int32_t mode,
                               ProgressCallback progress);

// The same on one grey plane.
ImageResult EstimateBackgroundPlane(int16_t* dst, const int16_t* src, const ImageHeader* plane, double factor,
                                    int32_t mode, ProgressCallback progress);

// Low-pass of the centred block of TrimFftLength sides, its edge rows and
// columns repeated out to the image's edges, every sample x gain + 0.5
// (kept in 0..levels-1). IMG_BAD_PARAMETER for dst == src or a gain that is
// not a finite number.
ImageResult FftFilterImage(int16_t* dst, const int16_t* src, const ImageHeader* h, double gain,
                           ProgressCallback progress);

// One plane: spectrum of rows then columns (each scaled by its length),
// weighted by the type, transformed back, the length of each complex result
// cut to an integer. dst may be src. IMG_BAD_PARAMETER for another type or a
// side with a prime factor above 2099.
ImageResult FftFilterPlane(int16_t* dst, const int16_t* src, const ImageHeader* plane, int32_t type,
                           ProgressCallback progress);

// The inverse-direction radix-2 transforms of the rows, then the columns, of
// the r.w x r.h block `samples` into two new arrays the caller frees with
// FreeMem; mode 1 stores the imaginary parts negated. Sides must be powers
// of two (IMG_BAD_PARAMETER); needs the trigonometric tables.
ImageResult FftRegion(double** re, double** im, const int16_t* samples, const ImageRect* r, int32_t mode);

// The largest |A x B| over the r.w x r.h entries, the first one on ties, and
// its column and row.
ImageResult FindCorrelationPeak(double* peak, int32_t* x, int32_t* y, const double* reA, const double* imA,
                                const double* reB, const double* imB, const ImageRect* r);
