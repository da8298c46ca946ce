// The values behind the graphics-format options: the save magnification's
// bar, the JPEG quality's range and the radio sets of FITS, TIFF and PNG.
// Platform-free.
#pragma once

#include <cstdint>

// Save magnification: bar positions 0..180 stand for 0.10..0.99 in steps of
// 0.01 (0..89) and 1.0..10.0 in steps of 0.1 (90..180).
constexpr int32_t kScaleBarMax = 180;
double ScaleFactorOf(int32_t position);
// The position of a factor, rounded to the nearest step; a factor off the
// bar (below 0.1, above 10, not a number) gives the nearest end, or 1 : 1.
int32_t ScalePositionOf(double factor);
// 1 when the bar can show the factor as it is.
int ScaleFactorOnBar(double factor);

constexpr int32_t kJpegQualityMin = 1;
constexpr int32_t kJpegQualityMax = 100;
int32_t ClampJpegQuality(int32_t quality);

// The five colour organisations of FITS files, in the order of their buttons.
struct FitsOrganisation {
  int32_t frameOrg;   // FITSFrameOrg: 0 triples, 1 planes
  int32_t colorOrg;   // FITSColorOrg: 0 R G B, 1 B G R, 2 one picture per channel
};
constexpr int kFitsOrganisationCount = 5;
extern const FitsOrganisation kFitsOrganisations[kFitsOrganisationCount];
// The button a pair of settings selects; any unknown colour order selects
// the split into channel pictures.
int FitsOrganisationIndex(int32_t frameOrg, int32_t colorOrg);

// TIFF compressions in the order of their buttons: none, LZW, PackBits.
constexpr int kTiffCompressionCount = 3;
extern const int32_t kTiffCompressions[kTiffCompressionCount];
// 5 selects LZW, 1 none, anything else PackBits.
int TiffCompressionIndex(int32_t compression);

// Depth buttons "8 Bit" / "16 Bit" of TIFF and PNG: 8 selects the first.
inline int DepthIndex(int32_t bits) { return bits == 8 ? 0 : 1; }
