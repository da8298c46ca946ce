// Arithmetic of the star-mask dialogs, platform-free: how the star radii
// shrink in a reduced preview, the red-weakness correction, and the scale of
// its background-level track bar.
#pragma once

#include <cstdint>

#include "imagelib/image.h"

// A preview at 1:reduction sees stars smaller: the radii are divided by
// max(1, (2 x reduction) div 3).
int32_t PreviewStarRadius(int32_t radius, int32_t reduction);

// The red curves (RSAlgorithm), numbered as the contrast curves.
constexpr int32_t kRedCurveLogarithmic = 2;
constexpr int32_t kRedCurveGamma = 4;

// Settings of the red-weakness correction.
struct RedWeaknessSettings {
  int32_t starRadius;      // Maskradius
  double starLevel;        // Masklevel
  int32_t curveType;       // kRedCurveLogarithmic or kRedCurveGamma
  int32_t logMultiplier;   // type 2
  double gamma;            // type 4
  int32_t lowLevel;        // red black point
};

// Lifts the weak red channel of a colour picture without bloating its stars:
// the stars are found with MaskStars, the red channel of the picture without
// them goes through the contrast curve of curveType from the black point
// lowLevel to the top (green and blue through identity tables), and the star
// pixels then get their own samples back, so they keep their colour. Gamma 1
// with black point 0 changes nothing. dst may be src. 1 for a grey picture or
// a curve type other than 2 and 4; the codes of the operators otherwise.
ImageResult CorrectRedWeakness(int16_t* dst, const int16_t* src, const ImageHeader* h,
                               const RedWeaknessSettings& settings);

// The background-level bar runs 0..200 over a range R of levels: twice the
// background found in the picture's histogram, at least 200. Its position p
// stands for the black point p x R / 200 (the middle is the background).
constexpr int32_t kRedLevelBarEnd = 200;
int32_t RedLevelRange(int32_t backgroundLevel);
int32_t RedLowLevel(int32_t position, int32_t range);
