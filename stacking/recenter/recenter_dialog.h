// The re-centring dialog "rezentrieren" ("Rezentrieren, Vorverarbeitung und
// Wiederabspeichern von Bildserien"): the source, centring, grouping,
// pre-treatment and output of a re-centring run, and the run itself with
// the dialog as its progress window. Opened by "&Vorverarbeitung &&
// Renzentrierung ...".
#pragma once

#include <windows.h>

// Ends with 1 after "&Beenden" or a run (without "Nicht schließen"), 0
// after "&Abbruch". The dialog's parameter is the ProgramState (null:
// gProgramState).
INT_PTR CALLBACK RecenterDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
