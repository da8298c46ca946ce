// What "&Weiter ..." of the two stacking dialogs does: the dialogs the
// centring method needs, the picture selection in the preview mode, the
// question for the series and the run itself with the dialog as its
// progress window. The step-by-step dialog and the one-page dialog differ
// only in how they ask for the series and when they take the selection.
#pragma once

#include <windows.h>

#include "shell/dialogkit/dialog_frame.h"
#include "shell/program_state.h"

// How a stacking dialog asks for its series.
enum class SeriesQuestion {
  kStepByStep,   // the pattern methods stack the pattern's video; pictures start from an empty name
  kOnePage,      // always asks, from the current name, videos among the pictures too
};

// The dialog of the centring method (pattern, derotation, coordinates) over
// owner, its size by screen width before a selection (forSelection) and by
// screen lines before a run. 1 when it confirmed or the method needs none,
// 0 (or -1) when the user gave up or it could not open.
INT_PTR OpenCentringDialog(HWND owner, ProgramState* ps, bool forSelection);

// The picture selection, which stacks by itself: 1 after "&Gut", 0 when
// the user gave up.
INT_PTR OpenPictureSelection(HWND owner, ProgramState* ps);

// Asks for the video or the first picture of the series into SeriesPath
// and sets AviFrameIndex (the frame a picture load reads) to 0: 1, or 0 when the chooser was cancelled.
int AskForSeries(HWND owner, ProgramState* ps, SeriesQuestion how);

// Runs the stacking of SeriesPath with the dialog of frame as its progress
// window: RunStartTick set, every control but keepA and keepB (pause and
// cancel) disabled while it goes, one thread when WorkerLimit is 1, else
// the workers. True when a cancel came during the run: the dialog must then
// restore the settings and end (see FinishStackingRun).
bool RunStackingInDialog(DialogFrame* frame, int keepA, int keepB);

// After the run or the selection: with a cancel held during the run the
// settings go back, group [FitImage] is saved and the dialog ends with 0.
// Otherwise group [FitImage] is saved, *done is set, PauseRequested
// cleared, nextId enabled and pauseId labelled "&Beenden"; without NotClose
// the dialog ends with 1, with it the status shows "Fertig !". 1 when the
// dialog is ending.
int FinishStackingRun(DialogFrame* frame, bool cancelled, BOOL* done, int nextId, int pauseId, int statusId);

// "&Abbruch" of a stacking dialog: during a run only the flags are set and
// the dialog ends once the run returned; otherwise the first press stops
// the workers and posts cancelId again, the second restores and ends with 0.
void CancelStackingDialog(DialogFrame* frame, int cancelId);
