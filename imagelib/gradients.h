// Operators that bring out faint structure: the shift-difference (an image
// less a turned or shifted copy of itself), local gradients and derivatives,
// a chroma stretch that keeps hue and grey, and a threshold. A null header is
// IMG_NULL_ARRAY, tested first.
#pragma once

#include <cstdint>

#include "imagelib/image.h"

// Methods of SubtractRotatedCopy.
enum ShiftDifferenceMethod : int32_t {
  SHIFT_TURN = 0,      // turn about the centre by `shift` degrees
  SHIFT_TANGENT = 1,   // along the circles: a turn of 90 degrees x shift / r, a quarter turn within r <= shift
  SHIFT_RADIUS = 2,    // outwards along the radii by `shift` pixels (inwards when negative)
};

// dst = src - effect x (src moved about (centreX, centreY) by method) +
// levels x effect / 2, bilinear in 1/256 pixel; samples moved from outside
// the image subtract nothing; the centre pixel is copied. Each channel alike.
// IMG_NULL_IMAGE for null samples; IMG_BAD_PARAMETER for dst == src, an effect
// outside 0..1 or an unknown method, before anything is written.
ImageResult SubtractRotatedCopy(const ImageHeader* h, const int16_t* src, int16_t* dst, int32_t centreX,
                                int32_t centreY, double shift, double effect, int32_t method);

// Derivative pairs (x then y, two int16 per pixel, indexed like the pixels)
// of the grey image over r less its outermost rows and columns:
// ((right - left) >> 1, (below - above) >> 1), negative values as 0.
// IMG_BAD_PARAMETER for a colour image.
ImageResult ComputeDerivatives(const ImageRect* r, const ImageHeader* h, const int16_t* samples, int16_t* pairs);

// As ComputeDerivatives from 3 x 3 column and row means:
// (right - left) / 2 and (above - below) / 2.
ImageResult ComputeGradient3x3(const ImageRect* r, const ImageHeader* h, const int16_t* samples, int16_t* pairs);

// From derivative pairs into dst over the same range: mode 0 the rounded
// length, mode 1 its integer estimate (a max + b min) >> (log2 levels - 1)
// with a = 0.96 levels, b = 0.398 levels; both kept in 0..levels-1.
// IMG_BAD_PARAMETER for another mode, a colour image or fewer than 2 levels.
ImageResult ComputeGaussianMeasure(const ImageRect* r, const ImageHeader* h, int16_t* dst, const int16_t* pairs,
                                   int32_t mode);

// Per channel: row 0 becomes 0, rows 1..h-2 the gradient length
// sqrt(((below - above) / 2)^2 + ((next - previous sample) / 2)^2), cut to an
// integer; the last row is not written. dst may be src.
ImageResult ComputeGradientMagnitude(const int16_t* src, int16_t* dst, const ImageHeader* h);

// As ComputeGradientMagnitude with the gradient's direction,
// atan2(gy, gx) x 32767 / pi: 0 to the right, 16383 down, -16383 up, 0 where flat.
ImageResult ComputeGradientDirection(const int16_t* src, int16_t* dst, const ImageHeader* h);

// Colour images: chroma stretched so the strongest colour reaches 32767,
// as (c / c max)^exponent; hue and grey kept. Nothing is written when the
// image has no colour at all. dst may be src. IMG_BAD_PARAMETER for grey.
ImageResult RotateColours(const int16_t* src, int16_t* dst, const ImageHeader* h, double exponent);

// In place: samples of r above threshold become high, the others low.
ImageResult BinariseRect(const ImageRect* r, const ImageHeader* h, int16_t* samples, int16_t threshold, int16_t low,
                         int16_t high);
