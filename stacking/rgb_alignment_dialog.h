// The RGB channel alignment "rgbkorrektur...": the red and blue channels of a
// colour picture moved pixel by pixel and scaled in steps against green,
// with a preview of the corrected picture. The six values are the
// pre-treatment's RGBCorr settings. Opened by the frame's command on the
// active buffer, "&Übernehmen" puts the corrected picture into the chosen
// buffer (keeping its undo copy); opened from a stacking page
// (OpenedFromSetup 1) the sample picture comes from a buffer or a file
// ("&Holen") and only the values are kept.
#pragma once

#include <windows.h>

// Ends with 1 after "&Übernehmen", 0 after "&Abbrechen" (the values from
// before come back) or when the active picture is not a colour picture.
INT_PTR CALLBACK RgbAlignmentDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
