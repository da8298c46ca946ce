// The colour dialogs of the edit menu that the frame's menu table opens: the
// palette of grey pictures ("farbpalette") and the separation of a colour
// picture into grey planes ("farbentrennen"). Control ids in colour_ids.h.
#pragma once

#include <windows.h>

INT_PTR CALLBACK PaletteDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK ColourSeparationDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
