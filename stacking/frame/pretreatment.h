// The pre-treatment of every raw frame, in place and in this order:
// calibration (hot pixels, dark frame, flat field), then noise filter and
// RGB channel alignment, then pre-amplification. Each stage is a plain
// function over the image operators; all do nothing while Preprocess is off.
// Platform-free; frames of one run are treated concurrently.
#pragma once

#include <cstdint>

#include "imagelib/image.h"
#include "stacking/series/frame_source.h"
#include "stacking/stack_settings.h"

// The dark frame and flat field a run holds, of the frames' size and colour
// type (checked when they were loaded); null where there is none.
struct CalibrationFrames {
  const int16_t* dark = nullptr;
  const int16_t* flat = nullptr;
};

// Loads the dark frame or flat field at path for frames of the header:
// samples of AllocMem the caller frees, or null when the file cannot be
// loaded (*mismatch false) or its size or colour type differs from the
// frames' (*mismatch true).
int16_t* LoadCalibrationFrame(PictureLoader* loader, const char* path, const ImageHeader& frames, bool* mismatch);

// Hot-pixel repair (the settings' snapshot, only when it was learnt on
// frames of this size), dark-frame subtraction (IsDarkcurrent), flat-field
// division (IsFlatfield). Results of the operators are not examined.
void PretreatFrame(int16_t* samples, const ImageHeader* h, const StackSettings& s, const CalibrationFrames& cal);

// Noise filter (IsNoisefilter exactly 1) over the whole frame with the sigma
// factor of Sigmaradius (NoiseSigmaFactor, as the filter dialogs), then, for a
// colour frame with RGBCorrection, the blue and red channels moved and
// sized by the [RGBCorr] settings through scratch (a buffer that is kept;
// null to use a temporary one). 1 done; 0 when Preprocess is off or the
// noise filter failed (its result code in *filterError, the alignment then
// skipped). A failed alignment leaves the frame unaligned.
int ApplyNoiseFilterAndRgbAlignment(int16_t* samples, const ImageHeader* h, const StackSettings& s,
                                    FrameBuffer* scratch, int32_t* filterError);

// Automatic contrast stretch (FitImageEqualizing) by Gaintype, Gaingamma and
// Gainauto.
void ApplyPreAmplification(int16_t* samples, const ImageHeader* h, const StackSettings& s);

// Adds truncate(position x (levels + 1) / (2^depth x divisor)) to every
// sample of a frame whose source bit depth is 4..12, held at 32767; other
// depths and a divisor below 1 are left alone.
void AddPedestal(int16_t* samples, const ImageHeader* h, int32_t position, int32_t divisor);
