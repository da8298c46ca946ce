// Learning a hot-pixel list from a dark picture: the automatic thresholds
// and the preview's reduction. Platform-free; the dialog lives in win32/.
#pragma once

#include <cstdint>

#include "imagelib/image.h"

// Per channel (grey: only the first; colour: red, green, blue), from the
// histogram of the middle of the picture (an eighth in from every edge): the
// most frequent level p (the background) and the threshold p + (levels - 1
// - p) / 4. 1 done, 0 when no histogram could be made (thresholds as they
// were).
int AutomaticHotPixelThresholds(const int16_t* samples, const ImageHeader* h, int32_t thresholds[3]);

// The reduction that fits a picture of width w into a preview of previewW
// pixels: w / previewW, held to 1..32.
int32_t PreviewReduction(int32_t w, int32_t previewW);
