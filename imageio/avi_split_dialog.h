// The dialog "aviripper": choose a video, a target and a format, then split
// the video into numbered pictures. Ends with 1 after a split (also one
// stopped by "Abbruch"), 0 for "Abbruch" before a start.
#pragma once

#include <windows.h>

INT_PTR CALLBACK AviToPicturesDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
