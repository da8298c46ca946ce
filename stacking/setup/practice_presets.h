// The practice presets "defaultpreset": thirteen object types, each a fixed
// set of stacking settings written into ProgramState. The step-by-step
// dialog opens it and then rebuilds its step texts.
#pragma once

#include <windows.h>

#include "shell/program_state.h"

// Ends with 1 after a preset button (its settings written), 0 when left with
// the close box or Esc (nothing written). Takes no backup. The dialog's
// parameter is the ProgramState (null: gProgramState).
INT_PTR CALLBACK DefaultPresetDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Writes the preset of a button id of "defaultpreset" into ps: 1, or 0 for
// any other id.
int ApplyPracticePreset(int buttonId, ProgramState* ps);

// Shows the dialog over owner on ps (gProgramState when null).
INT_PTR ShowPracticePresets(HWND owner, ProgramState* ps = nullptr);
