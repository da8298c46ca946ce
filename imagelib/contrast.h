// Contrast curves as look-up tables: one unsigned 16-bit output level per
// input level, built from a curve type between a black (background) and a
// white (top) level, and applied to rectangles or whole images. Every table
// is 0 below the black level and levels - 1 from the white level on.
// Levels from the settings are clamped to the table before use, so no
// builder writes outside it. A null header is IMG_NULL_ARRAY; a level count
// outside 2..32768 is IMG_BAD_PARAMETER.
#pragma once

#include <cstdint>

#include "imagelib/image.h"

// Curve types of the builders (the setting "Algorithm").
enum ContrastCurveType : int32_t {
  CURVE_LINEAR = 0,
  CURVE_EXPONENTIAL = 1,
  CURVE_LOGARITHMIC = 2,     // strength s: ln of the level, reaching the top at white - 1
  CURVE_EQUALISE = 3,        // cumulative histogram from the black level
  CURVE_POWER = 4,           // gamma
  CURVE_TWO_POWERS = 5,      // BuildContrastCurve only
  CURVE_KNEE_EQUALISE = 6,   // BuildContrastCurve only
  CURVE_SPLINE = 7,          // BuildContrastCurveSpline only
};

constexpr int kCurvePoints = 9;   // spline output levels at black, 7 inner knots, last knot

// Table for the contrast pages: types 0..4 and 7. strength is the log
// multiplier (type 2, 0 is the straight line it tends to), gamma the
// exponent (type 4; 0 or below is taken as 1), points the nine spline levels
// (type 7), histogram the levels-bin histogram (type 3). 3 for no table, no
// histogram for type 3 or no points for type 7; 1 for another type.
ImageResult BuildContrastCurveSpline(uint16_t* lut, int32_t levels, int32_t type, int32_t strength, double gamma,
                                     int32_t topLevel, int32_t backgroundLevel, const int32_t* points,
                                     const uint32_t* histogram);

// Table of types 0..6. With automatic 1 or type 3 the black and white levels
// come from AnalyseLevels of the histogram at clipMode, the white level
// divided by whiteDivisor (0 or below taken as 1); otherwise 0 and
// levels - 1. The background level raises the black level. Type 5 bends at
// turningLevel with lowerGamma below and upperGamma above it; type 6 runs
// straight to kneeLevel and equalises the rest. 3 for no table or a missing
// histogram (automatic, type 3 or 6); 1 for another type or clip mode.
ImageResult BuildContrastCurve(uint16_t* lut, int32_t levels, int32_t type, int32_t strength, double gamma,
                               int32_t turningLevel, double upperGamma, double lowerGamma, int32_t kneeLevel,
                               int32_t automatic, double whiteDivisor, int32_t clipMode, int32_t backgroundLevel,
                               const uint32_t* histogram);

// dst = lut[src] for every sample of r (all three of a colour pixel); other
// pixels are not touched. Samples outside 0..levels-1 read the nearest end
// of the table. dst may be src.
ImageResult ApplyLut(const ImageRect* r, const ImageHeader* h, const int16_t* src, int16_t* dst, const uint16_t* lut);

// As ApplyLut with one table per channel of a colour image; a grey image is
// IMG_BAD_PARAMETER, tested last.
ImageResult ApplyLutsRgb(const ImageRect* r, const ImageHeader* h, const int16_t* src, int16_t* dst,
                         const uint16_t* red, const uint16_t* green, const uint16_t* blue);

// Spreads the used range (grey levels, or the luminance of colour pixels)
// linearly over the full scale, in place.
ImageResult StretchToFullRange(int16_t* samples, const ImageHeader* h);

// Black and white points of r at 2 % clipping, then the curve
// ((i - black) / (white - black))^0.667 from src into dst over r.
ImageResult AutoStretchRegion(const ImageRect* r, const ImageHeader* h, const int16_t* src, int16_t* dst);

// Types of AutoContrastImage (their own numbering).
enum AutoContrastType : int32_t {
  AUTO_LINEAR = 0,
  AUTO_LOG2 = 1,        // logarithmic of strength 2
  AUTO_LOG4 = 2,        // logarithmic of strength 4
  AUTO_POWER = 3,       // gamma
  AUTO_PEAK_HALF = 4,   // two straight pieces, the histogram peak at half scale
};

// Curve from the histogram of the image less 20 pixels at every edge: from
// the peak level (startAtPeak) or the first used level to the last used
// level, applied to the whole image; src is copied when those lie less than
// 2 levels apart. dst may be src. 2 for images under 40 x 40; 1 for another
// type.
ImageResult AutoContrastImage(const ImageHeader* h, const int16_t* src, int16_t* dst, int32_t type, double gamma,
                              int32_t startAtPeak);
