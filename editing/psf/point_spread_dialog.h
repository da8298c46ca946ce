// The set-up of the point-spread-function measurement: the kind of object,
// the measuring box's size, the buffer the picture comes from, and a green
// box placed over the picture's preview by clicks, buttons and the arrow
// keys. "&Gut" keeps the choices (section [PSF] of "tyvorn.ini"), "&Abbrechen"
// takes them back. It measures nothing itself and no menu command opens it.
#pragma once

#include <windows.h>

// Ends with 1 after "&Gut", 0 after "&Abbrechen" or for an empty buffer.
INT_PTR CALLBACK PointSpreadDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Opens the dialog over owner in the size that fits the screen; its result.
INT_PTR OpenPointSpreadDialog(HWND owner);
