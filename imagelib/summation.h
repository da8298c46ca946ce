// Summation of shifted frames into a 32-bit sum with a per-pixel count, the
// 16-bit result made from it, the object mask of a frame, and the correlation
// of a frame with a reference. Sum images hold one int32 per sample (B,G,R
// order for colour), count images one uint32 per pixel, both of the sum
// header's size and zero-filled by the caller before the first frame.
#pragma once

#include <cstdint>

#include "imagelib/image.h"

// Adds the frame moved by shift {dx, dy} into the sum: sum pixel (X, Y) takes
// frame pixel (X - dx, Y - dy) when both lie inside window; samples <= 0 are
// skipped. mode 0 adds (the count counts the frames, the sum stops at
// INT32_MAX), 1 keeps the maximum, 2 adds up to levels - 1; both set the count
// to 1. Other modes do nothing. frameNumber < 0 is IMG_BAD_PARAMETER;
// frameNumber and reserved have no other effect. Frame and sum must match in
// size and kind (else IMG_BAD_PARAMETER), window must lie in them.
ImageResult AddShiftedFrame(const ImageRect* window, const int32_t shift[2], const ImageHeader* frame,
                            const int16_t* framePixels, const ImageHeader* sum, int32_t* sum32, uint32_t* counts,
                            int32_t frameNumber, int32_t reserved, int32_t mode);

// sum / count into dstPixels; pixels without a count take dst's fill values
// (grey: fillRed; colour: each channel its own). mode 0 the whole sum (dst of
// the sum's size), 1 only rect (dst rows as wide as dst), 2 and 3 the mean of
// the counted pixels of each 2 x 2 or 4 x 4 block (partial blocks at the right
// and bottom dropped). Other modes write nothing. dst must have room for what
// the mode writes, with the sum's samples per pixel (else IMG_BAD_PARAMETER).
ImageResult DivideSumByCount(const ImageHeader* sum, const ImageHeader* dst, int16_t* dstPixels, const int32_t* sum32,
                             const uint32_t* counts, int32_t mode, const ImageRect* rect);

// Marks the object of a frame: 127 where the grey value (colour: luminance)
// inside the frame less 20 pixels on each side exceeds peak + fraction x
// (white - peak) of its histogram (fraction clamped to 0.1..1.0), opened by
// one erosion and four dilations; 0 elsewhere. *mask is a new W x H block the
// caller frees with FreeMem; box gets its bounding box (negative width and
// height when empty), rangeBits and spread (white - peak) the levels.
// Frames narrower or lower than 40 pixels have no inside: IMG_NULL_ARRAY.
ImageResult BuildObjectMask(double* rangeBits, double* spread, uint8_t** mask, ImageRect* box, const int16_t* pixels,
                            const ImageHeader* h, double fraction);

// Pearson correlation of the frame's grey values at (x, y) with the
// reference's at (x + dx, y + dy) over the object mask of the frame (fraction
// 0.2) or, with a window, over the window. smooth == 1 smooths the frame
// first. 0 for a shift beyond half the image, no pixel or no spread.
ImageResult CompareWithReference(double* correlation, const int16_t* frame, const int16_t* reference,
                                 const ImageHeader* h, int32_t smooth, const int32_t shift[2], const ImageRect* window);
