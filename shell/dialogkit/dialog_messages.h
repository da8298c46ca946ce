// Messages and progress of the dialogs: the boxes of the image operators'
// result codes, and the one progress helper of long work.
//
// Progress: an operator calls its ProgressCallback once per step with the
// pass's step count; the callback counts with a ProgressCounter and shows the
// percentage in the dialog's status control:
//
//   ProgressCounter gCounter;
//   void Progress(int32_t total, int32_t first) {
//     const double percent = CountProgress(&gCounter, total, first);
//     if (percent >= 0) ShowProgressPercent(gProgramState.ProgressWindow, IDC_STATUS, "%1.0lf %% gefiltert", percent);
//   }
//
// While a run of the dialog's frame is going (dialog_frame.h) the helper
// also pumps the waiting window messages, so the dialog repaints and its
// cancel can be held back; outside a run it only repaints the text.
#pragma once

#include <windows.h>

#include <cstdint>

#include "result_texts.h"

// The text of a result code 1..6 in a box titled "Fehlermeldung" with the
// stop icon over owner: 1 when a box was shown, 0 for success or a code
// without a text.
int ShowImageResult(HWND owner, int32_t code);

struct ProgressCounter {
  int32_t count;
};
// first = 1 resets the count and gives -1; otherwise one step more and the
// percentage 100 x count / (total x passes), or -1 without a total.
double CountProgress(ProgressCounter* counter, int32_t total, int32_t first, double passes = 1.0);
// The percentage through format (one double) into the control.
void ShowProgressPercent(HWND window, int control, const char* format, double percent);
// Dispatches the messages waiting for this thread (dialog messages go
// through IsDialogMessage of their dialog).
void PumpDialogMessages();
