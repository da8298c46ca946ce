// The dark-frame dialog "dunkelfeld800"/"dunkelfeld1024" ("&Dunkelfeld
// abziehen ..."): subtracts a background from the picture of the active
// buffer, a dark frame from a file ("Dunkelfelddatei"), one estimated from
// the picture ("Konstante") or an FFT-smoothed copy ("FFT-Filter"), saves
// the background, and writes the corrected picture the preview shows into
// the buffer with "&Übernehmen" (keeping its undo copy).
#pragma once

#include <windows.h>

#include <cstdint>

// Ends with 1 after "&Übernehmen", 0 after "&Abbruch".
INT_PTR CALLBACK DarkFrameDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Progress of the estimates: first = 1 starts counting anew; every other
// call one step of 3 x total, as "%1.0lf %% bearbeitet" in the status while
// Method is 1 or 2.
void DarkFrameProgress(int32_t total, int32_t first);

// The top of the histogram shown: 4 x the peak level, at least 400 and at
// most 32767.
int32_t DarkHistogramTop(int32_t peakLevel);
