// Small-window rank and mean filters against noise: median, mean and a sigma
// test over fixed window shapes, their separable variant (the pseudo-median),
// and median or mean along a vertical line against the line noise of
// interlaced video. Samples are read as signed 16-bit values; src and dst may
// be the same buffer. A null header is IMG_NULL_ARRAY, a header with fewer
// than 1 level IMG_BAD_PARAMETER.
#pragma once

#include <cstdint>

#include "imagelib/image.h"

// Filter types: 0..3 median over 3x3, 5x3, 5x5, 7x5 windows (columns x rows),
// 4 and 5 mean over 3x3 and 5x5, 6 and 7 sigma test over 3x3 and 5x5, 8 and 9
// median and mean along a vertical line of 3. The window masks are a cross of
// 5 cells (0, 4, 6), the 3x3 block (1, 2, 5, 7) and the 5x5 block without its
// corners (3). Half a window at each side of r is not written. With
// separable == 1, types 0..5 filter the rows of r, then its columns, each pass
// keeping its own border unfiltered. sigmaFactor is k of the sigma test;
// progress (may be null) is called once per row or column of each pass.
ImageResult ApplyNoiseFilter(const ImageRect* r, const ImageHeader* h, const int16_t* src, int16_t* dst,
                             double sigmaFactor, int32_t type, int32_t separable, ProgressCallback progress);

// The threshold factor k of the sigma test for a stored "Sigmaradius"
// setting s (-50..50): 10^(0.02 s), 0.1 to 10. The sliders show this factor,
// so the filter dialogs and the stacking pre-treatment pass it, not s.
double NoiseSigmaFactor(double setting);

// Median (mode 2) or mean (mode 3) of each sample with the length / 2 samples
// above and below it, over the rows of r less length / 2 at top and bottom and
// its columns from r.x + length / 2 on. An even length takes length + 1
// samples. length 0 or above 65 and other modes are IMG_BAD_PARAMETER.
ImageResult FilterVerticalLine(const ImageRect* r, const ImageHeader* h, const int16_t* src, int16_t* dst,
                               uint32_t length, int32_t mode);

// The sample of rank n / 2 (the upper middle one for even n) by quick
// selection; reorders the array. 0 for n < 1.
int16_t SelectMedian(int16_t* samples, int32_t n);

// The rounded mean of the n samples when centre lies more than k standard
// deviations (n - 1 in the denominator) from it or the samples do not spread,
// else centre.
int16_t SigmaClipSample(const int16_t* samples, int16_t centre, int32_t n, double k);

// Writes the window mask of a filter type into the w x h corner of matrix
// (rows first): 1.0 per cell, 1 / cells for the mean types, 0 outside.
// Returns 0 for the mean types 4 and 5, else 1 (also for sizes outside 1..65,
// when nothing is written).
int BuildNoiseKernelShape(int32_t w, int32_t h, int32_t type, double* const* matrix);

// Weights of the separable passes: 1.0 for the median types 0..3, 1 / w and
// 1 / h (in single precision) for the mean types 4 and 5. 0 on success, 1 for
// any other type.
int InitSeparableWeights(int32_t w, int32_t h, int32_t type, double* rowWeights, double* colWeights);
