// The step-by-step stacking dialog "ueberlagermethode3" ("Überlagern von
// Bildserien, Schritt für Schritt"): seven steps, each with its set-up page
// and for steps 2, 4, 5 and 7 a switch, two quick settings, the summary
// lines and the run. Opened by "Überl&agere Bilder automatisch ..." and,
// with OpenedFromSetup 1, by the batch dialog to define a job.
#pragma once

#include <windows.h>

#include "shell/program_state.h"

constexpr int kWizardSteps = 6;   // steps that must be set before a run

// Ends with 1 after a run (or, defining a batch job, after "Weiter ..."),
// 0 after "&Abbruch". The dialog's parameter is the ProgramState (null:
// gProgramState).
INT_PTR CALLBACK StackWizardDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// With all six steps ready "&Weiter ..." and button 101 are enabled and the
// status reads "Fertig zum Überlagern ..."; otherwise both are disabled and
// it reads "Noch nicht alle Schritte eingestellt ...".
void UpdateWizardReadiness(HWND dialog, const int ready[kWizardSteps]);
