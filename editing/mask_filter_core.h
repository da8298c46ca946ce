// The filter of the masking and filter dialog, without windows: the operator
// chosen by the filter kind, its sizes derived from the settings (divided by
// the preview's reduction), and the result block. mask_filter.h turns the
// result codes into messages and installs the result. Platform-free.
#pragma once

#include <cstdint>

#include "imagelib/image.h"

// Filter kinds (Masktype).
enum MaskKind : int32_t {
  kMaskSharpen = 0,
  kMaskBlur = 1,
  kMaskMexicanHat = 2,
  kMaskEffect = 4,
  kMaskNoise = 5,
};

// The settings the filter reads ([Masking] and [Noisefilter] keys).
struct MaskFilterSettings {
  int32_t Masktype;
  double Maskeffect0;          // blur and effect strength 0..1
  double Maskeffect1;          // sharpen and Mexican-hat strength 0..20
  int32_t IsAdaptiv;
  int32_t Lowpasstype;         // 0 median, 1 mean, 2 line median, 3 line mean
  int32_t LowCutoff;
  int32_t Highpasstype;        // form: 0 Gauss, 1 rectangle, 2 triangle, 3 Gauss and rectangle
  int32_t HighCutoff;
  int32_t HighRectpart;
  int32_t Highpasschar;        // 0 critical damping, 1 Bessel, 2 Butterworth, 3 square
  int32_t EffectFilter;        // 0..7 gradients north to north-west, 8 Sobel, 9 phase image
  int32_t EffectLog;
  int32_t AutoContrast;
  int32_t Bandpassamptype;     // form, as Highpasstype
  int32_t Bandpassfilttype;    // centre noise filter: 0 Gauss, 1 rectangle
  int32_t Bandpassampradius;
  int32_t Bandpassrectpart;
  int32_t Bandpassfiltradius;
  int32_t Bandpasschar;
  int32_t SekSpectrum;         // colour channels filtered apart, red and blue larger
  int32_t RedRadius;
  int32_t BlueRadius;
  int32_t Astigmatism;
  int32_t Astigsize;           // 1..15
  int32_t Astigposwin;         // degrees -90..90
  int32_t Filtertype;          // noise filter type 0..9
  int32_t Pseudomedian;
  double Sigmaradius;          // -50..50; the filter gets NoiseSigmaFactor of it
  int32_t WorkerLimit;
};

// A size setting for one call: s (final) or s div factor (preview), made odd
// and at least 3.
int32_t OddUpSize(int32_t s, int32_t factor, bool final);
// The size of the second pass of a characteristic (1 Bessel x 10/14, 2
// Butterworth x 8/10, both made odd and at least 3; 3 square: s, at least 3);
// 0 for critical damping (no second pass).
int32_t SecondPassSize(int32_t characteristic, int32_t s, int32_t factor, bool final);
// The kernel type of ApplyFilterKernel for a form 0..3 (Gauss 1, rectangle 0,
// triangle 2, Gauss and rectangle 3).
int32_t KernelOfForm(int32_t form);

// Whether the kind filters the colour planes apart on this picture.
bool UsesColourPlanes(const MaskFilterSettings& s, const ImageHeader* header);
// How many row passes the progress of a run counts (2 with a second pass,
// three times that for the colour planes).
double MaskFilterPasses(const MaskFilterSettings& s, const ImageHeader* header);

// Filters the picture into a new block of the result's size: *result (owned
// by the caller) and *resultHeader, which is a copy of header except for the
// Sobel operator (grey, colour type 0) and the phase image (type 11, the
// direction over the full range 0..32767). final 0 divides every size by
// factor (1..32) for the preview. Stops at the first operator that fails and
// returns its code with *result null; IMG_NULL_IMAGE without samples,
// IMG_NO_MEMORY when a block cannot be had, IMG_BAD_PARAMETER for an unknown
// kind. progress (may be null) is reset first; the gradient effects report
// none in the preview.
ImageResult RunMaskFilter(const int16_t* samples, const ImageHeader* header, const MaskFilterSettings& s,
                          int32_t factor, bool final, ProgressCallback progress, int16_t** result,
                          ImageHeader* resultHeader);
