// The manual overlay "handanpass800/1024" (command 147, no menu item): the
// user loads one picture after the other, moves and turns each against the
// mean of the pictures added so far while the preview overlays the two, and
// adds it; "&Gut" puts the mean into the target buffer. The first picture
// added is the reference: the others must have its size and colour type.
#pragma once

#include <windows.h>

#include <cstdint>

#include "imagelib/image.h"
#include "shell/dialogkit/preview_pane.h"
#include "shell/program_state.h"

// Ends with 1 after "&Gut" and with 0 after "&Abbruch".
INT_PTR CALLBACK ManualStackDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// The pane's bitmap of the current picture placed by OverlayShift: with
// pictures added, turned and half overlaid with the mean; without, as it is.
// 1 shown, 0 when the work picture cannot be had (the preview stays as it was).
int DrawManualStackPreview(HWND dialog, PreviewPane* pane, const ImageHeader* header, const ProgramState* ps,
                           const int16_t* current, const int16_t* mean, int32_t added);
