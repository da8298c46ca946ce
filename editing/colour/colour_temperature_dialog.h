// "Ton&wertkorrektur ...": the colour balance of a colour picture (a gain
// per channel, saturation, a turn of the hue circle, the white point as a
// colour temperature, an optional colour noise filter) with a live preview
// of the visible section; "&Übernehmen" corrects the whole picture into the
// chosen buffer and keeps the settings in "tyvorn.ini".
#pragma once

#include <windows.h>

// Ends with 1 after "&Übernehmen", 0 after "&Abbrechen".
INT_PTR CALLBACK ColourTemperatureDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
