// The settings a stacking run reads, copied out of ProgramState when a run
// starts (the Windows edge) or read from "tyvorn.ini" (the native stacking
// program). Fields bear the names of their ProgramState fields. The run
// changes some of them; the Windows edge copies those back. Platform-free.
#pragma once

#include <cstdint>
#include <vector>

#include "imagelib/image.h"

constexpr int kSettingsPathSize = 1024;

// Centring methods (FitMethod).
enum FitMethodKind : int32_t {
  kFitRigid = 0,
  kFitBrightness = 1,
  kFitDisc = 2,
  kFitPatternFull = 3,
  kFitPatternNear = 4,
  kFitDerotation = 5,
  kFitCoordinates = 6,
};

constexpr int32_t kCheckAutomatic = 2;   // CheckMethod: quality sort

// The hot-pixel list a run applies: a copy taken at its start, so that a
// list loaded meanwhile changes nothing of a running run.
struct HotPixelSnapshot {
  bool on = false;
  int32_t width = 0;
  int32_t height = 0;
  std::vector<uint16_t> entries;     // four per entry, as in the HPX file
  int32_t count() const { return int32_t(entries.size() / 4); }
};

struct StackSettings {
  // [Basicdata]
  char Flatfield[kSettingsPathSize] = "";
  int32_t IsFlatfield = 0;
  char Darkcurrent[kSettingsPathSize] = "";
  int32_t IsDarkcurrent = 0;
  int32_t IsNoisefilter = 0;

  // [Noisefilter]
  int32_t Filtertype = 4;
  int32_t Pseudomedian = 0;
  double Sigmaradius = 5.0;         // -50..50; the filter gets NoiseSigmaFactor of it

  // [RGBCorr]
  int32_t RGBCorrBlueXshift = 0;
  int32_t RGBCorrBlueYshift = 0;
  int32_t BlueSize = 0;
  int32_t RGBCorrRedXshift = 0;
  int32_t RGBCorrRedYshift = 0;
  int32_t RedSize = 0;

  // [FitImage]
  int32_t FitMethod = kFitBrightness;
  ImageRect PatternRect = {0, 0, 0, 0};
  int32_t FitColor = 0;
  int32_t Searchradius = 50;
  double MinCorrelation = 0.85;
  int32_t Interlace = 0;
  int32_t ExcludeBorder = 0;
  int32_t FitImageEqualizing = 0;
  int32_t RGBCorrection = 0;
  int32_t DynamikCorrection = 1;
  int32_t CheckMethod = kCheckAutomatic;
  int32_t CheckSharpness = 1;
  int32_t CheckDistortion = 1;
  double CheckSelection = 0.25;
  int32_t Safetycopy = 1;
  int32_t SafeSort = 0;
  int32_t Logfile = 0;
  char Logfilename[kSettingsPathSize] = "";
  char SortPicPath[kSettingsPathSize] = "";
  double Checkarea = 0.5;
  double Checkmix = 0.5;
  int32_t Subpixelfactor = 0;
  int32_t SubpixPart = 0;
  int32_t SubpixOrigsize = 0;
  int32_t Addpicsource = 0;
  int32_t Imagetype = 0;
  int32_t FitNthPic = 1;
  int32_t Turbo = 0;
  int32_t Gaintype = 0;
  double Gaingamma = 1.0;
  int32_t Gainauto = 0;
  int32_t Superres = 0;
  int32_t Preprocess = 1;
  int32_t Qualitycheck = 1;
  int32_t Protokoll = 0;

  HotPixelSnapshot hotPixels;
};

// Puts values a hand-edited file may hold back into what the run can use:
// CheckSelection and Checkmix into 0..1 (NaN as their defaults), Checkarea
// not below 0 (NaN as 0.5), FitNthPic at least 1, Subpixelfactor 0..2,
// Imagetype 0..2, Filtertype 0..9, and a Sigmaradius that is NaN as 5.
void ClampStackSettings(StackSettings* s);

// 1 when the run keeps records and ranks: CheckMethod 2 with the quality step.
inline bool RanksFrames(const StackSettings& s) { return s.CheckMethod == kCheckAutomatic && s.Qualitycheck == 1; }

// Enlargement of the frames and the sum: 2 or 4 with Superres and
// Subpixelfactor 1 or 2, else 1. The centring searches and the quality box
// use the same factor, so a factor without Superres changes nothing.
int32_t SumFactor(const StackSettings& s);
