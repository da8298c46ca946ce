// Histograms of an image or a rectangle of it, and the levels read from a
// histogram: first and last used level, peak, black and white points. Every
// automatic contrast, background and threshold decision starts here.
// Histograms are caller-owned arrays of `levels` counters (the header's level
// count); operators that fill one clear it first. A null header or output is
// IMG_NULL_ARRAY, a level or bin count too small to work with IMG_BAD_PARAMETER.
#pragma once

#include <cstdint>

#include "imagelib/image.h"

// Levels that AnalyseLevels reads from a histogram.
struct LevelsRecord {
  int32_t minLevel;         // lowest level once the lower ignore count is passed
  int32_t maxLevel;         // highest level once the upper ignore count is passed
  int32_t blackPoint;       // the clipped fraction of the counts lies below it
  int32_t whitePoint;       // the clipped fraction of the counts lies above it
  int32_t firstPeakLevel;   // top of the first rise above minLevel
  int32_t peakLevel;        // lowest level of the largest bin
  int32_t peakCount;
  double peakFraction;      // peakCount over the total count (0 for no counts)
  double rangeBits;         // log2(non-empty bins + 1)
};

// Counts every pixel of r: used levels of the grey or luminance histogram
// (0.299 R + 0.587 G + 0.114 B + 0.5) and of each colour channel, zero and
// negative samples (negatives count in level 0), and the highest used level.
// Samples are clamped to 0..levels-1. Clears all outputs first.
ImageResult ComputeRegionStatistics(const ImageRect* r, const ImageHeader* h, const int16_t* samples,
                                    int32_t* usedLevels, int32_t* usedRed, int32_t* usedGreen, int32_t* usedBlue,
                                    int32_t* zeroSamples, int32_t* negativeSamples, int32_t* highestLevel);

// Grey or luminance (0.114 B + 0.587 G + 0.299 R + 0.5) histogram of every
// (W / 256 + 1)-th pixel of every such row of r, values clamped to 0..levels-1.
ImageResult ComputeRegionHistogram(const ImageRect* r, const ImageHeader* h, const int16_t* samples,
                                   uint32_t* histogram);

// The three channel histograms of a colour image over every (W / 1024 + 1)-th
// pixel and row of r. A grey image is IMG_BAD_PARAMETER, tested first.
ImageResult ComputeRegionHistogramsRgb(const ImageRect* r, const ImageHeader* h, const int16_t* samples,
                                       uint32_t* red, uint32_t* green, uint32_t* blue);

// First and last used level, peak level and count, peak fraction and occupied
// range in bits (log2(last - first + 1)); bin 0 is never looked at. With no
// counts above bin 0: first 0, last bins-1, fraction 0. Needs bins >= 2.
ImageResult SummariseHistogram(const uint32_t* histogram, int32_t bins, int32_t* firstLevel, int32_t* lastLevel,
                               int32_t* peakLevel, int32_t* peakCount, double* peakFraction, double* rangeBits);

// Lowest bin of the largest count among bins 1..bins-1. Needs bins >= 2.
ImageResult FindHistogramPeak(const uint32_t* histogram, int32_t bins, int32_t* peakLevel);

// Fills out from the histogram. clipMode 0 puts black and white at min and
// max; 1..7 clip 0.1, 0.2, 0.5, 1, 2, 5 or 10 per cent of the counts at each
// end. Counts up to the ignore counts at either end do not make a used level.
// Any other clip mode is IMG_BAD_PARAMETER after min, max and peak are filled.
ImageResult AnalyseLevels(const uint32_t* histogram, int32_t bins, int32_t clipMode, int32_t upperIgnore,
                          int32_t lowerIgnore, LevelsRecord* out);

// Mean of r read as one sample per pixel, and the spread about the rounded
// mean (w * h - 1 in the denominator). Both 0 for a sum of 0 or no samples.
ImageResult ComputeRegionMean(const ImageRect* r, const ImageHeader* h, const int16_t* samples, double* mean,
                              double* spread);
