// Kernel filters: unsharp masks with several blur forms, disc mean and
// median, motion blur along a line and relief in eight directions, with an
// optional strength that follows the local gradient. A null header is
// IMG_NULL_ARRAY, tested first.
//
// Common arguments: size N is the diameter of the kernel disc, innerSize the
// flat centre of the flat-topped Gaussian, secondarySize M the diameter of
// the sharp kernel that replaces the centre cell unless shape is
// kCentreCellShape; strength s (0.01..100) makes the filter
// (1 + s) x sharp - s x blur; lineLength L >= 2 smears the disc along a line
// of L steps in direction angle (radians).
#pragma once

#include <cstdint>

#include "imagelib/image.h"

enum FilterKernelType : int32_t {
  KERNEL_FLAT = 0,        // unsharp mask, flat disc blur
  KERNEL_GAUSS = 1,       // unsharp mask, Gaussian blur
  KERNEL_DISTANCE = 2,    // unsharp mask, blur weighted by the distance
  KERNEL_FLAT_TOP = 3,    // unsharp mask, Gaussian with a flat centre
  KERNEL_MEAN = 4,        // disc mean
  KERNEL_NOTHING = 5,     // writes nothing
  KERNEL_MEDIAN = 6,      // disc median
  KERNEL_STAR = 7,        // unsharp mask, cross-shaped blur
  KERNEL_RELIEF = 8,      // 8..15: relief from north, then clockwise
};

constexpr int32_t kCentreCellShape = 5;   // shape: the sharp part is the centre cell
constexpr int32_t kMaxFilterKernel = 65;  // largest kernel side the filters take

// Kernel side K: N, or N + 2 (L / 2) with a line; 3 for the relief types;
// line lengths do not count for the mean and the median.
int32_t FilterKernelSize(int32_t size, int32_t lineLength, int32_t type);

// Fills the K x K matrix (FilterKernelSize) of a type, normalised to a sum of
// 1 where it has a blur; types above 15 leave it alone. IMG_BAD_PARAMETER for
// a negative type, a strength not above 0 or sizes that leave nothing to
// divide by (N < 1, K < 2 for types 2 and 7, innerSize == N or below 0 for
// type 3, a secondary kernel outside 1..K) and for a line (L >= 2) whose
// angle is not a finite number; IMG_NULL_ARRAY for no matrix.
ImageResult BuildFilterKernel(double* const* kernel, int32_t size, int32_t innerSize, int32_t secondarySize,
                              double strength, int32_t lineLength, double angle, int32_t type, int32_t shape);

// Filters rectangle r of src into dst (dst may be src; other pixels keep
// their values). Weighted types divide by the weights inside the image, so a
// flat image stays flat to its edges; the relief types add levels / 2; with
// adaptive 1 and s > 1 the strength of each pixel falls from s on flat ground
// to 2s / 16 at the strongest gradient. s < 0.01 copies r; K above 65 is
// IMG_BAD_PARAMETER. workers is not used. progress is called once per row.
ImageResult ApplyFilterKernel(const ImageRect* r, const ImageHeader* h, const int16_t* src, int16_t* dst, int32_t size,
                              int32_t innerSize, int32_t secondarySize, double strength, int32_t adaptive,
                              int32_t lineLength, double angle, int32_t type, int32_t shape, int32_t workers,
                              ProgressCallback progress);

// As ApplyFilterKernel on up to 16 threads, each with its own band of rows,
// without progress calls; its adaptive strength steps by the square root of
// the gradient instead of the cube root.
ImageResult ApplyFilterKernelThreaded(const ImageRect* r, const ImageHeader* h, const int16_t* src, int16_t* dst,
                                      int32_t size, int32_t innerSize, int32_t secondarySize, double strength,
                                      int32_t adaptive, int32_t lineLength, double angle, int32_t type,
                                      int32_t shape, int32_t workers, ProgressCallback progress);

// The one-dimensional kernel of N cells (types 0..4 and 7 along a line
// through the centre), normalised to a sum of 1. IMG_BAD_PARAMETER for other
// types and the sizes BuildFilterKernel refuses (with N < 2 for types 2, 7).
ImageResult BuildWeightKernel(double* kernel, int32_t size, int32_t innerSize, int32_t secondarySize, double strength,
                              int32_t type, int32_t shape);

// The separable filter: rows, then columns of r shrunk by N / 2 at each end,
// each result rounded and kept in 0..levels-1; the rest of dst is not
// written. s outside 0.01..100 copies r. dst may be src. progress is called
// every 64 rows.
ImageResult ApplyWeightKernel(const ImageRect* r, const ImageHeader* h, const int16_t* src, int16_t* dst, int32_t size,
                              int32_t innerSize, int32_t secondarySize, double strength, int32_t type, int32_t shape,
                              ProgressCallback progress);
