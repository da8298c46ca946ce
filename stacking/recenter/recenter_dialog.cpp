#include "stacking/recenter/recenter_dialog.h"

#include <commctrl.h>

#include <cstdio>

#include "imageio/recenter_formats.h"
#include "shell/choosers/file_choosers.h"
#include "shell/dialogkit/dialog_kit.h"
#include "shell/settings.h"
#include "shell/workers.h"
#include "stacking/pattern/pattern_dialogs.h"
#include "stacking/recenter/pretreat_switches.h"
#include "stacking/recenter/series_run_ids.h"
#include "stacking/setup/setting_bars.h"
#include "stacking/setup/setup_pages.h"
#include "stacking/stack_settings.h"
#include "stacking/win32/run_recentering.h"

namespace {

#define FIELD STACK_FIELD

constexpr BarSpec kEveryNth = EveryNthBar(IDC_SR_NTH, IDC_SR_NTH_TEXT);
constexpr BarSpec kBars[] = {kEveryNth};
constexpr RadioSpec kRadios[] = {
    {IDC_SR_AVI, 3, 0, FIELD(Addpicsource)},
    {IDC_SR_MEAN, 3, 0, FIELD(Imagetype)},
    {IDC_SR_FIT_FIRST, 5, 0, FIELD(FitMethod)},
};
constexpr CheckSpec kOwnChecks[] = {
    {IDC_SR_INTERLACE, FIELD(Interlace), false},
    {IDC_SR_BORDER, FIELD(ExcludeBorder), false},
    {IDC_SR_NOT_CLOSE, FIELD(NotClose), false},
};
constexpr NumberSpec kNumbers[] = {{IDC_SR_GROUP, FIELD(AddNPics), 1, 64, "%ld"}};
#undef FIELD

constexpr ControlTable kTable = {kBars, kRadios, kOwnChecks, kNumbers};
constexpr ControlTable kSwitches = {{}, {}, kPretreatChecks, {}};

constexpr DialogFrameSpec kSpec = {kHotKeySeries, nullptr, kSectionFitImage, 0, 0, 0, nullptr, nullptr};
constexpr char kAviFilter[] = "AVI-Videos\0*.avi\0";

DialogFrame gFrame;

void ShowPath(HWND dialog, const ProgramState* ps) { SetDlgItemTextA(dialog, IDC_SR_PATH_TEXT, ps->RecenterPath); }

void EnableControls(HWND dialog, const ProgramState* ps) {
  if (DialogRunActive(&gFrame)) return;
  EnablePretreatButtons(dialog, ps);
  EnableBar(dialog, kEveryNth, ps->Addpicsource == 0);
}

void OpenDialog(HWND dialog, ProgramState* ps) {
  ClampTableFields(kTable, ps);
  ps->RecenterFormat = ValidRecenterFormat(ps->RecenterFormat);
  OpenDialogFrame(&gFrame, &kSpec, dialog, ps);
  ShowControlTable(dialog, kTable, ps);
  ShowControlTable(dialog, kSwitches, ps);
  SendDlgItemMessageA(dialog, IDC_SR_GROUP_SPIN, UDM_SETRANGE32, 1, 64);
  SendDlgItemMessageA(dialog, IDC_SR_GROUP_SPIN, UDM_SETPOS32, 0, ps->AddNPics);
  const HWND formats = GetDlgItem(dialog, IDC_SR_FORMAT);
  for (const RecenterFormatEntry& f : kRecenterFormats) SendMessageA(formats, CB_ADDSTRING, 0, LPARAM(f.listText));
  SendMessageA(formats, CB_SETCURSEL, WPARAM(ps->RecenterFormat), 0);
  ShowPath(dialog, ps);
  EnableControls(dialog, ps);
}

// The pattern dialog's "800" size below 756 screen lines.
constexpr TemplateSizes kPatternSizes = {2, {756, 0}, {"800", "1024", nullptr}};

// The pattern of methods 3 and 4 is cut in the pattern dialog before the run.
INT_PTR OpenPatternStep(HWND dialog, ProgramState* ps) {
  if (ps->FitMethod != kFitPatternFull && ps->FitMethod != kFitPatternNear) return 1;
  return OpenPatternFamilyDialog(dialog, ps->FitMethod, kPatternSizes, ps->ScreenHeight);
}

int AskForSeries(HWND dialog, ProgramState* ps) {
  FileChoice& f = gFileChoice;
  f.Path[0] = '\0';
  const bool video = ps->Addpicsource == 0;
  if (ShowOpenFileDialog(f.Path, f.Name, f.Directory, f.Extension, &f.Drive, ps->CurrentPath,
                         video ? kAviFilter : kStackPictureFilter,
                         video ? "AVI-File auswählen ..." : "Erstes Bild der durchnummerierten Serie suchen ...",
                         dialog) != 1)
    return 0;
  std::snprintf(ps->SeriesPath, sizeof ps->SeriesPath, "%s", f.Path);
  return 1;
}

void Next(HWND dialog, ProgramState* ps) {
  if (DialogRunActive(&gFrame)) return;
  ReadNumberFields(dialog, kTable, ps);
  const int keep[] = {IDC_SR_CANCEL};
  BeginDialogRun(&gFrame, keep, 1);
  ps->Subpixelfactor = 0;
  ps->CheckMethod = 0;
  WorkerStopFlag = 0;
  const LRESULT format = SendDlgItemMessageA(dialog, IDC_SR_FORMAT, CB_GETCURSEL, 0, 0);
  ps->RecenterFormat = ValidRecenterFormat(int32_t(format));
  ps->Preprocess = ps->IsDarkcurrent || ps->IsFlatfield || ps->IsNoisefilter || ps->RGBCorrection ||
                           ps->HotPixelList.RemoveHotPixel || ps->FitImageEqualizing
                       ? 1
                       : 0;
  if (OpenPatternStep(dialog, ps) != 1 || !AskForSeries(dialog, ps)) {
    EndDialogRun(&gFrame);
    return;
  }
  ps->AviFrameIndex = 0;
  ps->RunStartTick = GetTickCount();
  const int ok = RunRecentering(dialog, ps->SeriesPath, ps);
  SaveSettings(ps, kSectionFitImage, nullptr);
  // A cancel during the run restores the settings and ends the dialog now.
  if (EndDialogRun(&gFrame)) return;
  EnableControls(dialog, ps);
  if (!ps->NotClose) {
    CommitDialogFrame(&gFrame, nullptr, nullptr);
    return;
  }
  if (ok && !ps->AbortRequested) SetDlgItemTextA(dialog, IDC_SR_STATUS, "Fertig !");
}

void ChoosePath(HWND dialog, ProgramState* ps) {
  FileChoice& f = gFileChoice;
  if (ShowDirectoryDialog(f.Directory, &f.Drive, ps->CurrentPath, kStackPictureFilter,
                          "Directory für Rohbilder bestimmen", 0, dialog) != 1)
    return;
  std::snprintf(ps->RecenterPath, sizeof ps->RecenterPath, "%s", f.Directory);
  ShowPath(dialog, ps);
}

void Cancel(ProgramState* ps) {
  if (DialogRunActive(&gFrame)) {
    // The run stops at its next frame; the dialog ends once it returned.
    WorkerStopFlag = 1;
    ps->AbortRequested = 1;
  }
  CancelDialogFrame(&gFrame);
}

bool Command(HWND dialog, ProgramState* ps, int id) {
  switch (id) {
    case IDC_SR_NEXT: Next(dialog, ps); return true;
    case IDC_SR_CLOSE:
      if (!DialogRunActive(&gFrame)) {
        ReadNumberFields(dialog, kTable, ps);
        CommitDialogFrame(&gFrame, nullptr, nullptr);
      }
      return true;
    case IDC_SR_CANCEL:
    case IDCANCEL: Cancel(ps); return true;
    case IDC_SR_PATH: ChoosePath(dialog, ps); return true;
    case IDC_SR_PATTERN_FULL: ps->Turbo = 0; return true;
    case IDC_SR_PATTERN_NEAR: ps->Turbo = 1; return true;
  }
  return HandlePretreatButton(dialog, id, ps);
}

}  // namespace

INT_PTR CALLBACK RecenterDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
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
