// Finding a pattern (a template cut from the reference frame) in a frame, and
// the sharpness and noise measures by which frames are ranked. Both searches
// correlate on a coarse grid (every G = step x scale pixels) over copies
// smoothed with radius 11, then refine pixel by pixel on the unsmoothed
// planes, comparing the pattern's samples every S = 2 G pixels.
#pragma once

#include <cstdint>

#include "imagelib/image.h"

// Called once per coarse row of the full search.
using SearchProgress = void (*)();

// Searches the whole frame. patternSize {pw, ph} (odd, at most the frame's
// size, pw / 2 and ph / 2 multiples of S); the pattern has the frame's colour
// type; channel 0 luminance, 1 red, 2 green, 3 blue (colour only). result
// {x, y, 0, 0}: the frame pixel under the pattern centre (pw / 2, ph / 2) at
// the best match; correlation its Pearson coefficient (0 when nothing was
// tried). A pattern larger than the frame is IMG_BAD_RECT, other bad sizes,
// steps, scales and channels IMG_BAD_PARAMETER.
ImageResult MatchPatternFull(const int32_t patternSize[2], int32_t scale, int32_t step, int32_t channel,
                             const ImageHeader* frame, const int16_t* framePixels, const int16_t* patternPixels,
                             int32_t result[4], double* correlation, SearchProgress progress);

// As MatchPatternFull, but only within radius around the centre of pattern
// {px, py, pw, ph} ((px, py) its top-left corner in the previous frame),
// nearest positions first; the coarse stage ends once the correlation reaches
// minCorrelation^1.5, and the fine stage covers +-12 G around its best.
ImageResult MatchPatternInRadius(const ImageRect* pattern, int32_t radius, int32_t scale, int32_t step,
                                 int32_t channel, const ImageHeader* frame, const int16_t* framePixels,
                                 const int16_t* patternPixels, double minCorrelation, int32_t result[4],
                                 double* correlation);

// Quality of a frame over window (null: over the object's mask, found inside
// the frame less 20 pixels on each side): q1 maximum and q2 mean gradient of
// the smoothed frame (the sharpness), q3 mean local noise, q4 0, q5 the
// levels' range in bits, q6 spread (white - peak) / levels, q7 spread / q3 (0
// when q3 is 0); count the pixels measured, measured the rectangle used (the
// window less the image's outermost pixels). 1 on success, 0 on failure.
int MeasureFrameQuality(double* q1, double* q2, double* q3, double* q4, double* q5, double* q6, double* q7,
                        int32_t* count, ImageRect* measured, const int16_t* pixels, const ImageHeader* h,
                        const ImageRect* window);
