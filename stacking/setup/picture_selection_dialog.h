// The picture selection "bildanpass800"/"bildanpass1024" ("Bildauswahl zum
// Überlagern"): in the preview mode of the stacking dialogs the user steps
// through the raw frames of a series, adds the ones worth it, each centred
// by the chosen method, and sees the mean of those added; "&Gut" installs
// that mean, titled "Resultatbild", into the target buffer.
#pragma once

#include <windows.h>

// Ends with 1 after "&Gut", 0 after "&Abbruch", a cancelled file choice or
// a series that cannot be opened. The dialog's parameter is the
// ProgramState (null: gProgramState).
INT_PTR CALLBACK PictureSelectionDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
