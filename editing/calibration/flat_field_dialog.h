// The flat-field dialog "flatfield800"/"flatfield1024" ("&Flatfield
// korigieren ..."): divides the picture of the active buffer by a flat field
// loaded from a file or simulated from the picture, previews flat field and
// result, saves a simulated flat field, and writes what the preview shows
// into the buffer with "&Gut" (keeping its undo copy).
#pragma once

#include <windows.h>

#include <cstdint>

// Ends with 1 after "&Gut", 0 after "&Abbruch".
INT_PTR CALLBACK FlatFieldDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Progress of the simulation: first = 1 starts counting anew; every other
// call one step of 18 x total, as "%1.0lf %% bearbeitet" in the status.
void FlatFieldProgress(int32_t total, int32_t first);
