// Geometric resampling: a destination image rendered from a source turned
// by an angle, scaled and corrected for the source's pixel aspect about the
// image centres, with nearest, bilinear or windowed-sinc interpolation.
#pragma once

#include <cstdint>

#include "imagelib/image.h"

// Largest rectangle at (0, 0) inside targetW x targetH with src's aspect.
// IMG_NULL_ARRAY for a null pointer, IMG_BAD_PARAMETER for a size below 1.
ImageResult FitAspectRect(ImageRect* out, const ImageRect* src, int32_t targetW, int32_t targetH);

// Fills the caller's 4 x 4 matrix M with rotation x scale: M[0][0] = k cos a,
// M[0][1] = sin a, M[1][0] = -k sin a, M[1][1] = cos a, M[2][3] = 1,
// M[3][3] = scale, k = xScale / yScale. IMG_BAD_PARAMETER for a scale not
// above 0 or a pixel scale of 0.
ImageResult BuildRotationScaleMatrix(double* const* M, double angle, double scale, double xScale, double yScale);

// Source position of output pixel (x, y) of a W x H image, for a w x h
// source: (x - W/2, H/2 - y, z, 1) x M, divided by its fourth element, with
// y pointing up about the centres. Writes *sx, *sy unless that element is 0;
// returns 1 when the position lies at least m pixels inside the source.
int MapOutputPixel(double* sx, double* sy, double x, double y, double z, const double* const* M, int32_t W,
                   int32_t H, int32_t w, int32_t h, double m);

// Renders dst (size from dstHeader) from src turned by angle (radians) and
// scaled by scale (above 1 enlarges); (centreX, centreY) is usually the
// destination's middle. Mode 0 and 2 nearest, 1 and 3 bilinear, 4 windowed
// sinc over 4 x 4 pixels (kept inside 0..levels-1). Pixels whose source lies
// outside take the fill values of dstHeader. dst has the source's colour
// type. src and dst must differ; nothing is written on any failure.
ImageResult ResampleImage(const ImageHeader* srcHeader, const ImageHeader* dstHeader, const int16_t* src,
                          int16_t* dst, int32_t centreX, int32_t centreY, double angle, double scale, int32_t mode);
