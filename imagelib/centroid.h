// Where a bright object (planet, moon, sun) sits in a frame: the brightness
// centroid, and the object centre found by walking from it to the object's
// edges. Centres are four int32 {x, y, 0, 0} in image pixels.
#pragma once

#include <cstdint>

#include "imagelib/image.h"

// Centroid, weighted by value, of the pixels of r at or above peak + fraction
// x (last used level - peak) of r's histogram (colour: 0.114 B + 0.587 G +
// 0.299 R), rounded. {0, 0} when no value counts.
ImageResult FindBrightnessCentroid(const ImageRect* r, const ImageHeader* h, double fraction, const int16_t* pixels,
                                   int32_t centre[4]);

// From the centroid of a mean-filtered grey copy, up to four rounds of walks
// left, right, up and down to the first dark segment (IsDarkSegment, level
// peak + 0.2 x (white - peak) of r's levels); the centre is the middle of the
// edges.
// *found is 1.0 when all edges lie more than 16 pixels inside r, else 0.0 (also
// with centre {0, 0} when nothing bright was found).
ImageResult FindObjectCentre(const ImageRect* r, const ImageHeader* h, const int16_t* pixels, int32_t centre[4],
                             double* found);

// Whether more than half of the n samples of grey around (x, y), step apart,
// along a row (direction 0) or a column (1), are <= level; true when the
// segment leaves the image, false for another direction.
bool IsDarkSegment(const int16_t* grey, const ImageHeader* h, int32_t level, int32_t x, int32_t y, int32_t n,
                   int32_t step, int32_t direction);

// Value of pixel (x, y) for n = 1 (colour: rounded luminance), else the sum
// of the (2 (n / 2) + 1)^2 values around it divided by n x n; 0 where that box
// leaves the W x H image, for n < 1 or null pixels.
int32_t BoxMeanAt(int32_t x, int32_t y, int32_t W, int32_t H, int32_t colour, int32_t n, const int16_t* pixels);
