// The large contrast dialog "KONTRASTIERUNG1": one curve for every channel
// with an S-shaped curve and contrast stretching, input and result
// histograms of luminance, red, green and blue, and colour pictures mapped
// on their lightness alone when "Mit HSI-Transformation" is on. No menu
// command opens it; it shares [Contrast], the whole-picture curve table and
// the hot-key entry with the contrast dialog.
#pragma once

#include <windows.h>

#include <cstdint>

#include "imagelib/image.h"

// Ends with 1 after "&Bearbeiten", 0 after "&Abbruch" or a failure at opening.
INT_PTR CALLBACK ContrastSingleDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// The radio buttons of Algorithm, TargetBuffer and Histogramrange, and the
// curve controls the curve type uses: the gamma bar for type 4, the S-curve
// bars for type 5, neither for 0..3.
void UpdateContrastControls(HWND dialog);

// Three planes of width x height samples for a colour picture: 1, or 0 with
// all three null (a grey picture, no header, memory short).
int AllocColourPlanes(int16_t** plane1, int16_t** plane2, int16_t** plane3, const ImageHeader* header);
// Frees the planes; the caller drops its copies of the pointers. 1.
int FreeColourPlanes(int16_t* plane1, int16_t* plane2, int16_t* plane3);
