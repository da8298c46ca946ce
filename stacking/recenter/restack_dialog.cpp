#include "stacking/recenter/restack_dialog.h"

#include <cstdio>

#include "shell/buffer_slots.h"
#include "shell/dialogkit/dialog_kit.h"
#include "shell/settings.h"
#include "shell/workers.h"
#include "stacking/recenter/pretreat_switches.h"
#include "stacking/recenter/series_run_ids.h"
#include "stacking/setup/setting_bars.h"
#include "stacking/stack_settings.h"
#include "stacking/win32/run_stacking.h"

namespace {

constexpr BarSpec kQualityBars[] = {
    UsageRateBar(IDC_SR_RATE, IDC_SR_RATE_TEXT),
    CheckAreaBar(IDC_SR_AREA, IDC_SR_AREA_TEXT),
    CheckMixBar(IDC_SR_MIX, IDC_SR_MIX_TEXT),
};
constexpr RadioSpec kRadios[] = {{IDC_SR_MEAN, 3, 0, STACK_FIELD(Imagetype)}};
constexpr CheckSpec kOwnChecks[] = {{IDC_SR_NOT_CLOSE, STACK_FIELD(NotClose), false}};
constexpr ControlTable kTable = {kQualityBars, kRadios, kOwnChecks, {}};
constexpr ControlTable kSwitches = {{}, {}, kPretreatChecks, {}};

constexpr DialogFrameSpec kSpec = {kHotKeySeries, nullptr, kSectionFitImage, 0, 0, 0, nullptr, nullptr};

DialogFrame gFrame;
BOOL RestackDone = FALSE;   // a run has finished since the dialog opened

void EnableControls(HWND dialog, const ProgramState* ps) {
  if (DialogRunActive(&gFrame)) return;
  EnablePretreatButtons(dialog, ps);
  for (const BarSpec& b : kQualityBars) EnableBar(dialog, b, ps->CheckMethod == kCheckAutomatic);
}

// The series name the last full run recorded.
void ShowRecordedSeries(HWND dialog, const ProgramState* ps) {
  char path[kPathSize + 32];
  std::snprintf(path, sizeof path, "%s\\recenter.tmp", ps->ProgramDirectory);
  FILE* f = std::fopen(path, "rb");
  if (!f) return;
  char name[kPathSize] = "";
  if (std::fread(name, 1, sizeof name, f) == sizeof name) {
    name[sizeof name - 1] = '\0';
    SetDlgItemTextA(dialog, IDC_SR_SERIES, name);
  }
  std::fclose(f);
}

void OpenDialog(HWND dialog, ProgramState* ps) {
  ClampTableFields(kTable, ps);
  OpenDialogFrame(&gFrame, &kSpec, dialog, ps);
  RestackDone = FALSE;
  ps->PauseRequested = 0;
  ShowControlTable(dialog, kTable, ps);
  ShowControlTable(dialog, kSwitches, ps);
  SetDlgItemTextA(dialog, IDC_SR_CLOSE, "&Pause");
  const char* target = GetSlotName(ps->TargetBuffer);
  SetDlgItemTextA(dialog, IDC_SR_TARGET, target ? target : "");
  ShowRecordedSeries(dialog, ps);
  EnableControls(dialog, ps);
}

void Next(HWND dialog, ProgramState* ps) {
  if (DialogRunActive(&gFrame)) return;
  const int keep[] = {IDC_SR_CANCEL, IDC_SR_CLOSE};
  BeginDialogRun(&gFrame, keep, 2);
  SetDlgItemTextA(dialog, IDC_SR_CLOSE, "&Pause");
  ps->PauseRequested = 0;
  WorkerStopFlag = 0;
  ps->AviFrameIndex = 0;
  ps->RunStartTick = GetTickCount();
  const int ok = ps->WorkerLimit == 1 ? RunStackingSingle(dialog, ps->SeriesPath, nullptr, ps, 0)
                                      : RunStackingThreaded(dialog, ps->SeriesPath, nullptr, ps, 0);
  SaveSettings(ps, kSectionFitImage, nullptr);
  ps->PauseRequested = 0;
  // A cancel during the run restores the settings and ends the dialog now.
  if (EndDialogRun(&gFrame)) return;
  SetDlgItemTextA(dialog, IDC_SR_CLOSE, "&Beenden");
  RestackDone = TRUE;
  SetDlgItemTextA(dialog, IDC_SR_SERIES, ps->SeriesPath);
  EnableControls(dialog, ps);
  if (!ps->NotClose) {
    CommitDialogFrame(&gFrame, nullptr, nullptr);
    return;
  }
  if (ok && !ps->AbortRequested) SetDlgItemTextA(dialog, IDC_SR_STATUS, "Fertig !");
}

void PauseOrClose(HWND dialog, ProgramState* ps) {
  if (!DialogRunActive(&gFrame)) {
    if (RestackDone) CommitDialogFrame(&gFrame, nullptr, nullptr);
    return;
  }
  ps->PauseRequested = ps->PauseRequested ? 0 : 1;
  SetDlgItemTextA(dialog, IDC_SR_CLOSE, ps->PauseRequested ? "&Weitermachen" : "&Pause");
}

void Cancel(ProgramState* ps) {
  if (DialogRunActive(&gFrame)) {
    // The run stops at its next frame (a held pause too); the dialog ends
    // once it returned.
    WorkerStopFlag = 1;
    ps->AbortRequested = 1;
  }
  CancelDialogFrame(&gFrame);
}

bool Command(HWND dialog, ProgramState* ps, int id) {
  switch (id) {
    case IDC_SR_NEXT: Next(dialog, ps); return true;
    case IDC_SR_CLOSE: PauseOrClose(dialog, ps); return true;
    case IDC_SR_CANCEL:
    case IDCANCEL: Cancel(ps); return true;
  }
  return HandlePretreatButton(dialog, id, ps);
}

}  // namespace

INT_PTR CALLBACK RestackDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      OpenDialog(dialog, lParam ? reinterpret_cast<ProgramState*>(lParam) : &gProgramState);
      return TRUE;
    case WM_HSCROLL:
      if (gFrame.open) HandleTableScroll(dialog, kTable, gFrame.ps, reinterpret_cast<HWND>(lParam), wParam);
      return TRUE;
    case WM_COMMAND: {
      if (!gFrame.open) return FALSE;
      ProgramState* ps = gFrame.ps;
      const int id = LOWORD(wParam);
      const bool changed = HandleTableCommand(dialog, kTable, ps, id, HIWORD(wParam)) != 0 ||
                           HandleTableCommand(dialog, kSwitches, ps, id, HIWORD(wParam)) != 0;
      const bool handled = Command(dialog, ps, id);
      if (gFrame.open) EnableControls(dialog, ps);
      return changed || handled;
    }
    case WM_DESTROY:
      DialogFrameDestroyed(&gFrame);
      return FALSE;
  }
  return FALSE;
}
