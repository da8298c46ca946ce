// The GPS dialog "gpswerte" (modeless, menu "&GPS einstellen"), its
// fallback "ortseingabe" for typing the position, and the climate readout
// "KLIMAWERTE" (modeless; nothing in the program opens it).
#pragma once

#include <windows.h>

// The open GPS dialog, null while none is open.
extern HWND gGpsDialog;
// The open climate readout, null while none is open.
extern HWND gClimateDialog;

// "gpswerte": finds the receiver on COM1..COM16 and shows its averaged
// readings; "Übernehmen" takes the last one into [Geopos] and the clock.
// Without a receiver it opens "ortseingabe" and closes.
INT_PTR CALLBACK GpsDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
// "ortseingabe", modal: longitude, latitude and height typed as decimal
// degrees and metres; ends with 1 when taken, 0 when cancelled.
INT_PTR CALLBACK LocationDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
// "KLIMAWERTE": temperature and humidity of the sensor on COM1, read every
// second.
INT_PTR CALLBACK ClimateSensorDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
