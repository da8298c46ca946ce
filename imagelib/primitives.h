// Small geometric operators on sample buffers: cutting, binning, shifting,
// flipping, enlarging, field splitting and smoothing. The caller provides
// every destination at the size the operator states; colour images (colour
// type 1) move whole B,G,R pixels. A null header is reported as IMG_NULL_ARRAY
// before anything else, a null rectangle as IMG_BAD_RECT.
#pragma once

#include <cstdint>

#include "imagelib/image.h"

// Copies rectangle r into dst as r.w x r.h pixels, row after row.
ImageResult CopyImageRect(int16_t* dst, const int16_t* src, const ImageHeader* h, const ImageRect* r);

// As CopyImageRect, but a colour pixel becomes one grey sample
// (integer part of 0.114 B + 0.587 G + 0.299 R + 0.5).
ImageResult CopyRectAsLuminance(int16_t* dst, const int16_t* src, const ImageHeader* h, const ImageRect* r);

// Every step-th pixel of every step-th row of r, from (r.x, r.y); dst is
// (r.w / step) x (r.h / step) pixels. A step below 1 is IMG_BAD_PARAMETER.
ImageResult CopyImageRectSubsampled(int16_t* dst, const int16_t* src, const ImageHeader* h, const ImageRect* r,
                                    int32_t step);

// Mean of each factor x factor block (truncated) into a (W / factor) x
// (H / factor) image; partial blocks at the right and bottom are dropped.
ImageResult BinImage(int16_t* dst, const int16_t* src, const ImageHeader* h, int32_t factor);

// dst(x, y) = src(x + shift[0], y + shift[1]), 0 where that lies outside.
// src and dst must differ.
ImageResult ShiftImage(int16_t* dst, const int16_t* src, const ImageHeader* h, const int32_t shift[2]);

// Copies the header, then mode 0 flips top to bottom, 1 mirrors left to
// right, 2 turns by 180 degrees, 3 by 90 clockwise, 4 by 90 counterclockwise
// (3 and 4 swap width and height in dst). Buffers and headers must differ.
ImageResult FlipRotateImage(int32_t mode, const ImageHeader* src, ImageHeader* dst, const int16_t* srcPixels,
                            int16_t* dstPixels);

// Enlarges by factor 2, 4, 8 or 16 with bilinear in-between pixels (rounded
// down); dst holds (W * factor) x (H * factor) pixels. The header is not changed.
ImageResult EnlargeImage(const ImageHeader* h, const int16_t* src, int16_t* dst, int32_t factor);

// Two full-size images: firstField keeps the even rows, secondField the odd
// ones, the other rows rebuilt from their neighbours. Either field may be src.
// Images of fewer than 2 rows are IMG_BAD_PARAMETER.
ImageResult SplitInterlacedFields(int16_t* firstField, int16_t* secondField, const int16_t* src,
                                  const ImageHeader* h);

// field 0 copies, 1 keeps the even rows, anything else keeps the odd rows,
// rebuilding the others as SplitInterlacedFields does. dst may be src.
ImageResult DeinterlaceImage(int16_t* dst, const int16_t* src, const ImageHeader* h, int32_t field);

// Triangular smoothing (weights 1, 2, .., R + 1, .., 1; radius R clamped to
// 1..32) of r pulled in from the image borders by R. The pulled-in rectangle
// is smoothed both ways, the rest of its columns only across and the rest of
// its rows only down; everything else is copied. dst may be src. Writes
// nothing on bad arguments or when its work rows cannot be had.
void SmoothRect(int16_t* dst, const int16_t* src, const ImageHeader* h, const ImageRect* r, int32_t radius);

// Rounded mean, sample spread about it (n - 1 in the denominator), minimum
// and maximum of n samples; all 0 when n < 1 or samples is null. Writes
// nothing when an output pointer is null.
void ComputeArrayStatistics(int32_t* mean, double* sigma, int32_t* min, int32_t* max, const int16_t* samples,
                            int32_t n);
