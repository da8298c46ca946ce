// Colour images (colour type 1, B,G,R per pixel) taken apart into planes of
// width x height samples and put together again, their luminance, and the
// alignment of the blue and red channels against green. A null header is
// IMG_NULL_ARRAY, reported after the sample pointers.
#pragma once

#include <cstdint>

#include "imagelib/image.h"

// Green is copied; blue and red are each moved by (dx, dy) pixels (positive
// right and down) and, for a size s other than 0, enlarged about the image
// centre so the half width grows by s pixels (bilinear, last row and column
// 0). Samples no source reaches are 0. dst may be src. A size with
// width / 2 + s <= 0, or any size on an image narrower than 2, is
// IMG_BAD_PARAMETER.
ImageResult AlignColourChannels(const int16_t* src, int16_t* dst, const ImageHeader* h, int32_t blueDx,
                                int32_t blueDy, int32_t blueSize, int32_t redDx, int32_t redDy, int32_t redSize);

// grey = floor(0.299 R + 0.587 G + 0.114 B + 0.5) per pixel; grey must not be rgb.
ImageResult RgbToLuminance(const int16_t* rgb, const ImageHeader* h, int16_t* grey);

// mode 0: out1 red, out2 green, out3 blue; 1, 2, 3: out1 red, green or blue;
// 4: out1 luminance; other modes write nothing. No output may be rgb.
ImageResult ExtractColourPlanes(const int16_t* rgb, const ImageHeader* h, int32_t mode, int16_t* out1, int16_t* out2,
                                int16_t* out3);

// mode 1: rgb from the planes r, g, b; 2: as 1 with green 0; 3: r and b are
// colour images, rgb takes blue from b, red from r and the mean of their
// greens (g unused; r or b may be rgb). Other modes write nothing. In modes 1
// and 2 no plane may be rgb. The colour type is not checked.
ImageResult MergeColourPlanes(int16_t* rgb, const ImageHeader* h, int32_t mode, const int16_t* r, const int16_t* g,
                              const int16_t* b);
