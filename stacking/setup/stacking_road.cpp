#include "stacking/setup/stacking_road.h"

#include <cstdio>

#include "imageio/picture_formats.h"
#include "shell/choosers/file_choosers.h"
#include "shell/dialogkit/template_choice.h"
#include "shell/settings.h"
#include "shell/workers.h"
#include "stacking/pattern/pattern_dialogs.h"
#include "stacking/setup/picture_selection_dialog.h"
#include "stacking/win32/run_stacking.h"

namespace {

constexpr char kVideoFilter[] = "AVI-Videos\0*.AVI\0Alle Dateien\0*.*\0";

bool PatternMethod(const ProgramState* ps) { return ps->FitMethod == 3 || ps->FitMethod == 4; }

}  // namespace

INT_PTR OpenCentringDialog(HWND owner, ProgramState* ps, bool forSelection) {
  if (ps->FitMethod < 3 || ps->FitMethod > 6) return 1;
  // Before a selection the pattern dialog is sized like the selection.
  if (forSelection && PatternMethod(ps))
    return OpenPatternFamilyDialog(owner, ps->FitMethod, kSizesByWidth, ps->ScreenWidth);
  return OpenPatternFamilyDialog(owner, ps->FitMethod, kSizesByLines, ps->ScreenHeight);
}

INT_PTR OpenPictureSelection(HWND owner, ProgramState* ps) {
  char name[64];
  ChooseDialogTemplate(name, sizeof name, "bildanpass", kSizesByWidth, ps->ScreenWidth);
  return DialogBoxParamA(GetModuleHandleA(nullptr), name, owner, PictureSelectionDlgProc,
                         reinterpret_cast<LPARAM>(ps));
}

int AskForSeries(HWND owner, ProgramState* ps, SeriesQuestion how) {
  const bool video = ps->Addpicsource == 0;
  const bool stepByStep = how == SeriesQuestion::kStepByStep;
  // The pattern dialog of the step-by-step road has chosen the series.
  const bool ask = !stepByStep || !video || !PatternMethod(ps);
  if (ask) {
    if (stepByStep && !video && !PatternMethod(ps)) ps->SeriesPath[0] = '\0';
    FileChoice& f = gFileChoice;
    std::snprintf(f.Path, sizeof f.Path, "%s", ps->SeriesPath);
    const char* filter = video ? kVideoFilter : stepByStep ? kPictureSaveFilter : kPictureOpenFilter;
    const char* title = video ? "AVI-File auswählen ..." : "Erstes Bild der durchnummerierten Serie suchen ...";
    if (ShowOpenFileDialog(f.Path, f.Name, f.Directory, f.Extension, &f.Drive, ps->CurrentPath, filter, title,
                           owner) != 1)
      return 0;
    std::snprintf(ps->SeriesPath, sizeof ps->SeriesPath, "%s", f.Path);
  }
  ps->AviFrameIndex = 0;   // a video is stacked from its first frame
  return 1;
}

bool RunStackingInDialog(DialogFrame* frame, int keepA, int keepB) {
  ProgramState* ps = frame->ps;
  ps->RunStartTick = GetTickCount();
  const int keep[] = {keepA, keepB};
  BeginDialogRun(frame, keep, 2);
  if (ps->WorkerLimit == 1)
    RunStackingSingle(frame->dialog, ps->SeriesPath, nullptr, ps, 1);
  else
    RunStackingThreaded(frame->dialog, ps->SeriesPath, nullptr, ps, 1);
  // The cancel is done by the dialog once the settings are saved.
  const bool cancelled = frame->cancelHeld;
  frame->cancelHeld = false;
  EndDialogRun(frame);
  return cancelled;
}

int FinishStackingRun(DialogFrame* frame, bool cancelled, BOOL* done, int nextId, int pauseId, int statusId) {
  ProgramState* ps = frame->ps;
  if (cancelled) {
    CancelDialogFrame(frame);
    SaveSettings(ps, kSectionFitImage, nullptr);
    return 1;
  }
  SaveSettings(ps, kSectionFitImage, nullptr);
  EnableWindow(GetDlgItem(frame->dialog, nextId), TRUE);
  *done = TRUE;
  ps->PauseRequested = 0;
  SetDlgItemTextA(frame->dialog, pauseId, "&Beenden");
  if (!ps->NotClose) {
    CommitDialogFrame(frame, nullptr, nullptr);
    return 1;
  }
  SetDlgItemTextA(frame->dialog, statusId, "Fertig !");
  return 0;
}

void CancelStackingDialog(DialogFrame* frame, int cancelId) {
  ProgramState* ps = frame->ps;
  WorkerStopFlag = 1;
  if (DialogRunActive(frame)) {
    // The run stops at its next look at the flags; it waits for its own
    // workers, and the dialog restores the settings once it has returned.
    CancelDialogFrame(frame);
    return;
  }
  if (!ps->AbortRequested) {
    ps->AbortRequested = 1;
    WaitForAllWorkers(ps);
    PostMessageA(frame->dialog, WM_COMMAND, cancelId, 0);
    return;
  }
  CancelDialogFrame(frame);
}
