// What the contrast dialogs compute beside the image library's curve
// builders: the end points a button or the two sliders set, the seven
// curve points that follow a preset curve, the result histogram through a
// table and the plot of a table. Platform-free.
#pragma once

#include <cstdint>

#include "imagelib/contrast.h"
#include "imagelib/image.h"

constexpr int32_t kContrastLevels = 32768;
constexpr int32_t kContrastTop = kContrastLevels - 1;
// Black and white point never come closer than this.
constexpr int32_t kEndPointGap = 8;
// Slider and curve-point bar positions count levels in steps of 32 (0..1023).
constexpr int32_t kContrastBarStep = 32;
constexpr int32_t kContrastBarTop = 1023;

// How the end points were last chosen (the setting "Histogramrange"): 0..6
// the clip modes of AnalyseLevels, and these.
enum ContrastEndPointMode : int32_t {
  kEndPointsNone = 8,         // "Keine": 0 and the top level
  kEndPointsBackground = 9,   // "Untergrund": the histogram's peak and the top level
  kEndPointsByHand = 10,      // the two sliders
};

// Moves white up (at most to the top level), then black down, so that they
// lie kEndPointGap apart at least, both within 0..top.
void KeepEndPointsApart(int32_t* black, int32_t* white);

// The end points of a button's mode from a histogram of kContrastLevels
// bins, kept apart. 1 for a mode no button sets (nothing written), 3 for no
// histogram.
ImageResult EndPointsOfMode(const uint32_t* histogram, int32_t mode, int32_t* black, int32_t* white);

// The sliders at whitePosition and blackPosition: white from its slider,
// raised to black + gap over the black point held so far (*black); then
// black from its slider, lowered to white - gap.
void EndPointsFromSliders(int32_t whitePosition, int32_t blackPosition, int32_t* black, int32_t* white);

// The level of curve point k (0..8) between black and white: black + k x
// ((white - black) div 8), inside the table.
int32_t CurvePointLevel(int32_t black, int32_t white, int32_t k);

// The curve's values at the seven inner points into values[1..7]; unless the
// curve is the free one (type 7) they also become points[1..7], so a bar
// moved next starts from the shape last shown.
void FollowCurvePoints(const uint16_t* table, int32_t black, int32_t white, int32_t type, int32_t points[kCurvePoints],
                       int32_t values[kCurvePoints]);

// out[table[i]] += in[i] over the levels, out cleared first; table entries
// past the levels count in the last bin.
void MapHistogram(const uint32_t* in, const uint16_t* table, int32_t levels, uint32_t* out);

// The plot of a table: x[i] = i and y[i] = table[i x s] x 256 / levels for
// i = 0..255 with s = levels / 256, the entry read as a signed 16-bit value.
// Nothing when a pointer is null.
void BuildCurvePoints256(double* x, double* y, int32_t levels, const uint16_t* table);

// The background level of the large contrast dialog's bar: lowered to the
// highest occupied level - 1 when it reaches that level, never below 0.
int32_t LimitBackgroundLevel(int32_t level, int32_t highestLevel);
