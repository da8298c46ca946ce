// The about picture "logo": an animated emblem drawn straight onto the frame
// window while the dialog (just its button "&Alles Chlor !") is open; the
// button puts back what lay under the emblem.
#pragma once

#include <windows.h>

INT_PTR CALLBACK LogoDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Draws the bitmap at (x, y) row by row from the bottom up, each row sliding
// down from y; `height` is the path length of the rows (80 for the 40-row
// emblem, so each row stops 40 rows below its place in the bitmap).
void RollOutBitmap(HDC hdc, HBITMAP bitmap, int x, int y, int height);

// Spins for min(milliseconds, 1001) ms.
void BusyWait(DWORD milliseconds);
