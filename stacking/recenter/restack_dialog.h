// The re-stacking dialog "bildseriereadding" ("Überlagern von Bildserien bei
// schon vorhandener Zentrierung (nur Automatikmodus)"): after a full run
// has left "recenter.tmp", the frames are stacked again with other result,
// quality and pre-treatment settings, taking their centres from the file.
// Opened by "Erneut &überlagern ohne Zentrierung ...".
#pragma once

#include <windows.h>

// Ends with 1 after a run (without "Nicht schließen") or "&Beenden", 0 after
// "&Abbruch". The dialog's parameter is the ProgramState (null: gProgramState).
INT_PTR CALLBACK RestackDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
