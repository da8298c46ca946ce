// The masking and filter dialog "filtersetup3" ("&Schärfen und Filtern ..."):
// five filter pages on tabs, a zoomable preview of the filtered section, the
// target buffer and "&Bearbeiten", which filters the whole picture of the
// active buffer into the target (whose undo copy is kept) and saves
// [Masking].
#pragma once

#include <windows.h>

#include <cstdint>

// Ends with 1 after a successful "&Bearbeiten", 0 after "&Abbruch".
INT_PTR CALLBACK FilterSetupDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// The preview's reduction 1..32, kept from one opening to the next.
extern int32_t PreviewZoom;
