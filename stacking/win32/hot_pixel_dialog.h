// "Hotpixelmaske einlernen": a dark picture is loaded, its hot pixels are
// found by thresholds (set by hand or from the background), shown as
// crosses over the picture and saved as a list file.
#pragma once

#include <windows.h>

// The procedure of "hotpixelmask800" and "hotpixelmask1024". Ends with 1
// after "&Übernehmen", 0 after "&Abbruch" (the settings as they were).
INT_PTR CALLBACK HotPixelMaskDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
