// The one-page stacking dialog "ueberlagermethode2" ("Überlagern von
// Bildserien"): every stacking setting on one page, without steps. Opened by
// "Überlagere Bilder (Tyvorn &Classic) ..." and, with OpenedFromSetup 1, by
// the batch dialog to define a job. "&Weiter ..." stacks as the
// step-by-step dialog does (stacking_road.h).
#pragma once

#include <windows.h>

#include "shell/program_state.h"

// Ends with 1 after a run or a batch definition, 0 after "&Abbruch".
// The dialog's parameter is the ProgramState (null: gProgramState).
INT_PTR CALLBACK ClassicStackDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Sets the dialog's controls from ps: the switches, the radio groups, the
// sliders (disabled with their texts unless the quality mode is 2), the
// sub-pixel buttons and every set-up button by its switch.
void FillClassicStackDlg(HWND dialog, const ProgramState* ps);
