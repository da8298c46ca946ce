// The arithmetic of the pattern dialogs: the pattern box's starting size for
// a picture, where a click may put it, the search radius the bar offers, the
// box carried into the enlarged grid of the sub-pixel mode, and the template
// cut out of the reference picture. Platform-free.
#pragma once

#include <cstdint>

#include "imagelib/image.h"

// Box side for a picture width: with FFT 64 up to 768 pixels, else 128;
// without it 65 up to 768, else (trunc(width / 768 x 64 + 0.5) div 8 + 1) x 8 + 1.
int32_t PatternStartBoxSize(int32_t width, bool fft);

// The side limited so that the box stays 2 pixels off every edge of a W x H
// picture (all of it where the picture is smaller than 6 pixels), at least
// 1; with FFT the largest power of two that fits.
int32_t FitPatternBoxSize(int32_t side, int32_t width, int32_t height, bool fft);

// A click at picture pixel (px, py) moves a w x h box there only while it
// lies half the box plus 2 pixels off the edges of the W x H picture.
bool PatternClickTaken(int32_t px, int32_t py, int32_t w, int32_t h, int32_t width, int32_t height);

// The search-radius bar's range: 10 to 200 without a picture, else up to
// half the picture height; a picture below 20 lines brings the lower end
// down with it (at least 1).
void SearchRadiusRange(int32_t pictureHeight, int32_t* lowest, int32_t* highest);

// The rectangle the template is cut from: the box itself, or with superres
// and Subpixelfactor 1 or 2 carried into the grid enlarged 2 or 4 times
// (n x, n y, n (w - 1) + 1, n (h - 1) + 1).
ImageRect PatternRectOfBox(int32_t x, int32_t y, int32_t w, int32_t h, bool superres, int32_t subpixelfactor);

// The enlargement factor of that grid: 1, 2 or 4.
int32_t PatternGridFactor(bool superres, int32_t subpixelfactor);

// Cuts rect out of the picture, enlarged by factor (1, 2 or 4) first, into a
// new block (*out, freed with FreeMem; three samples per pixel for colour).
// IMG_BAD_RECT for a rectangle outside the (enlarged) picture, which is then
// never read; IMG_NO_MEMORY when a block cannot be had. *out is null after
// every failure.
ImageResult CutPatternTemplate(const int16_t* samples, const ImageHeader* h, const ImageRect& rect, int32_t factor,
                               int16_t** out);
