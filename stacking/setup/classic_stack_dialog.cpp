#include "stacking/setup/classic_stack_dialog.h"

#include "shell/buffer_slots.h"
#include "shell/dialogkit/dialog_kit.h"
#include "shell/settings.h"
#include "shell/workers.h"
#include "stacking/setup/setting_bars.h"
#include "stacking/setup/setup_ids.h"
#include "stacking/setup/setup_pages.h"
#include "stacking/setup/stacking_road.h"
#include "stacking/win32/hot_pixel_commands.h"

namespace {

#define FIELD STACK_FIELD

constexpr BarSpec kEveryNth = EveryNthBar(IDC_CL_NTH, IDC_CL_NTH_TEXT);
constexpr BarSpec kQualityBars[] = {
    CheckMixBar(IDC_CL_MIX, IDC_CL_MIX_TEXT),
    UsageRateBar(IDC_CL_RATE, IDC_CL_RATE_TEXT),
    CheckAreaBar(IDC_CL_AREA, IDC_CL_AREA_TEXT),
};
constexpr BarSpec kBars[] = {kEveryNth, kQualityBars[0], kQualityBars[1], kQualityBars[2]};
constexpr RadioSpec kRadios[] = {
    {IDC_CL_AVI, 3, 0, FIELD(Addpicsource)},   {IDC_CL_MEAN, 3, 0, FIELD(Imagetype)},
    {IDC_CL_QC_NONE, 3, 0, FIELD(CheckMethod)}, {IDC_CL_SUB_SINGLE, 3, 0, FIELD(Subpixelfactor)},
    {IDC_CL_FIT_FIRST, 7, 0, FIELD(FitMethod)},
};

// A switch of the pre-treatment and its set-up button.
struct Switch {
  int check;
  int button;
};
constexpr Switch kSwitches[] = {
    {IDC_CL_GAIN, IDC_CL_GAIN_SETUP}, {IDC_CL_NOISE, IDC_CL_NOISE_SETUP}, {IDC_CL_RGB, IDC_CL_RGB_SETUP},
    {IDC_CL_FLAT, IDC_CL_FLAT_FILE},  {IDC_CL_DARK, IDC_CL_DARK_FILE},   {IDC_CL_HOT, IDC_CL_HOT_LIST},
};

constexpr CheckSpec kChecks[] = {
    {IDC_CL_INTERLACE, FIELD(Interlace), false},
    {IDC_CL_BORDER, FIELD(ExcludeBorder), false},
    {IDC_CL_NOT_CLOSE, FIELD(NotClose), false},
    {IDC_CL_FFT, FIELD(FitFFT), false},
    {IDC_CL_GAIN, FIELD(FitImageEqualizing), false},
    {IDC_CL_NOISE, FIELD(IsNoisefilter), false},
    {IDC_CL_RGB, FIELD(RGBCorrection), false},
    {IDC_CL_FLAT, FIELD(IsFlatfield), false},
    {IDC_CL_DARK, FIELD(IsDarkcurrent), false},
    {IDC_CL_HOT, FIELD(HotPixelList.RemoveHotPixel), false},
    {IDC_CL_SUB_PART, FIELD(SubpixPart), false},
    {IDC_CL_SUB_ORIGSIZE, FIELD(SubpixOrigsize), false},
};
#undef FIELD

constexpr ControlTable kTable = {kBars, kRadios, kChecks, {}};

constexpr DialogFrameSpec kSpec = {kHotKeySeries, nullptr, kSectionFitImage, 0, 0, 0, nullptr, nullptr};

DialogFrame gFrame;
bool gSetupOnly = false;   // as when the dialog opened; sub-dialogs set the flag for themselves
BOOL WizardDone = FALSE;

void Enable(HWND dialog, int id, bool on) { EnableWindow(GetDlgItem(dialog, id), on); }
void Hide(HWND dialog, int id) { ShowWindow(GetDlgItem(dialog, id), SW_HIDE); }

void EnableSubpixelBoxes(HWND dialog, const ProgramState* ps, bool on) {
  Enable(dialog, IDC_CL_SUB_PART, on && ps->Subpixelfactor != 0);
  Enable(dialog, IDC_CL_SUB_ORIGSIZE, on && ps->Subpixelfactor != 0);
}

// Sorting brings the sliders and sub-pixel resolution; the other modes have neither.
void EnableQualityControls(HWND dialog, const ProgramState* ps, bool sorting) {
  for (const BarSpec& b : kQualityBars) EnableBar(dialog, b, sorting);
  for (int id = IDC_CL_SUB_SINGLE; id <= IDC_CL_SUB_FOURFOLD; ++id) Enable(dialog, id, sorting);
  EnableSubpixelBoxes(dialog, ps, sorting);
}

void EnableSetupButtons(HWND dialog, const ProgramState* ps) {
  for (const Switch& s : kSwitches) {
    const CheckSpec* check = nullptr;
    for (const CheckSpec& c : kChecks)
      if (c.id == s.check) check = &c;
    Enable(dialog, s.button, check && ReadField(ps, check->field) != 0);
  }
  EnableBar(dialog, kEveryNth, ps->Addpicsource == 0);
}

void SetQualityMode(HWND dialog, ProgramState* ps) {
  const bool sorting = ps->CheckMethod == 2;
  ps->Qualitycheck = sorting ? 1 : 0;
  if (!sorting) ps->Superres = 0;
  EnableQualityControls(dialog, ps, sorting);
}

void OpenDialog(HWND dialog, ProgramState* ps) {
  ClampTableFields(kTable, ps);
  OpenDialogFrame(&gFrame, &kSpec, dialog, ps);
  gSetupOnly = ps->OpenedFromSetup == 1;
  WizardDone = FALSE;
  ps->PauseRequested = 0;
  for (int id : {IDC_CL_DEROTATION, IDC_CL_COORDINATES, IDC_CL_FFT}) Hide(dialog, id);
  if (gSetupOnly && ps->DefiningBatchJob == 1) {
    // A batch over several series has no pattern to search for.
    for (int id = IDC_CL_PATTERN_FULL; id <= IDC_CL_COORDINATES; ++id) Hide(dialog, id);
    ps->FitMethod = 1;
  }
  if (ps->CheckMethod != 2) ps->Superres = 0;
  FillClassicStackDlg(dialog, ps);
  const char* target = GetSlotName(ps->TargetBuffer);
  SetDlgItemTextA(dialog, IDC_CL_TARGET, target ? target : "");
  SetDlgItemTextA(dialog, IDC_CL_PAUSE, "&Pause");
  if (gSetupOnly) {
    Hide(dialog, IDC_CL_NOT_CLOSE);
    Hide(dialog, IDC_CL_NEXT);
    SetDlgItemTextA(dialog, IDC_CL_STATUS, "Einstellung der Batchaufgabe");
    SetDlgItemTextA(dialog, IDC_CL_TARGET, "Zu bestimmen ...");
    SetDlgItemTextA(dialog, IDC_CL_TIME, "~");
    SetDlgItemTextA(dialog, IDC_CL_PAUSE, "Weiter ...");
  }
}

// The settings are kept: group [FitImage] saved, the dialog ends with 1.
void Keep() {
  ProgramState* ps = gFrame.ps;
  ps->PauseRequested = 0;
  ps->AbortRequested = 0;
  WorkerStopFlag = 0;
  CommitDialogFrame(&gFrame, nullptr, nullptr);
}

void Next(HWND dialog, ProgramState* ps) {
  ps->AbortRequested = 0;
  WorkerStopFlag = 0;
  // The border exclusion needs no pre-treatment pass.
  ps->Preprocess = ps->IsDarkcurrent || ps->IsFlatfield || ps->IsNoisefilter || ps->RGBCorrection ||
                           ps->HotPixelList.RemoveHotPixel || ps->FitImageEqualizing
                       ? 1
                       : 0;
  const bool selection = ps->CheckMethod == 1;
  if (OpenCentringDialog(dialog, ps, selection) != 1) return;
  bool cancelled = false;
  if (selection) {
    if (OpenPictureSelection(dialog, ps) != 1) return;
  } else {
    if (!AskForSeries(dialog, ps, SeriesQuestion::kOnePage)) return;
    cancelled = RunStackingInDialog(&gFrame, IDC_CL_PAUSE, IDC_CL_CANCEL);
  }
  FinishStackingRun(&gFrame, cancelled, &WizardDone, IDC_CL_NEXT, IDC_CL_PAUSE, IDC_CL_STATUS);
}

void PauseOrClose(HWND dialog, ProgramState* ps) {
  if (gSetupOnly || (WizardDone && !DialogRunActive(&gFrame))) {
    Keep();
    return;
  }
  ps->PauseRequested = ps->PauseRequested ? 0 : 1;
  SetDlgItemTextA(dialog, IDC_CL_PAUSE, ps->PauseRequested ? "&Weitermachen" : "&Pause");
}

bool Command(HWND dialog, ProgramState* ps, int id) {
  switch (id) {
    case IDC_CL_NEXT: Next(dialog, ps); return true;
    case IDC_CL_GAIN_SETUP: ShowSetupPage(dialog, SetupPage::kGain, ps); return true;
    case IDC_CL_NOISE_SETUP: ShowNoiseSetup(dialog, ps); return true;
    case IDC_CL_RGB_SETUP: ShowRgbSetup(dialog, true, ps); return true;
    case IDC_CL_FLAT_FILE: ChooseCalibrationFile(dialog, ps->Flatfield, "Flatfield festlegen ...", ps); return true;
    case IDC_CL_DARK_FILE:
      ChooseCalibrationFile(dialog, ps->Darkcurrent, "Dunkelstromdatei festlegen ...", ps);
      return true;
    case IDC_CL_HOT_LIST: SelectHotPixelList(dialog, ps); return true;
    case IDC_CL_PATTERN_FULL: ps->Turbo = 0; return true;
    case IDC_CL_PATTERN_NEAR: ps->Turbo = 1; return true;
    case IDC_CL_QC_NONE:
    case IDC_CL_QC_PREVIEW:
    case IDC_CL_QC_AUTO: SetQualityMode(dialog, ps); return true;
    case IDC_CL_SUB_SINGLE:
    case IDC_CL_SUB_DOUBLE:
    case IDC_CL_SUB_FOURFOLD:
      ps->Superres = ps->Subpixelfactor != 0 ? 1 : 0;
      EnableSubpixelBoxes(dialog, ps, true);
      return true;
    case IDC_CL_SUB_PART:
    case IDC_CL_SUB_ORIGSIZE:
      // The cut-out and the return to the frame size exclude each other.
      if (ps->SubpixPart && ps->SubpixOrigsize) {
        if (id == IDC_CL_SUB_PART)
          ps->SubpixOrigsize = 0;
        else
          ps->SubpixPart = 0;
        ShowControlTable(dialog, {{}, {}, kChecks, {}}, ps);
      }
      return true;
  }
  return false;
}

}  // namespace

void FillClassicStackDlg(HWND dialog, const ProgramState* ps) {
  ShowControlTable(dialog, kTable, ps);
  EnableQualityControls(dialog, ps, ps->CheckMethod == 2);
  EnableSetupButtons(dialog, ps);
}

INT_PTR CALLBACK ClassicStackDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      OpenDialog(dialog, lParam ? reinterpret_cast<ProgramState*>(lParam) : &gProgramState);
      return TRUE;
    case WM_HSCROLL:
      if (gFrame.open && !DialogRunActive(&gFrame)) HandleTableScroll(dialog, kTable, gFrame.ps, reinterpret_cast<HWND>(lParam), wParam);
      return TRUE;
    case WM_COMMAND: {
      if (!gFrame.open) return FALSE;
      ProgramState* ps = gFrame.ps;
      const int id = LOWORD(wParam);
      if (id == IDC_CL_PAUSE) {
        PauseOrClose(dialog, ps);
        return TRUE;
      }
      if (id == IDC_CL_CANCEL || id == IDCANCEL) {
        CancelStackingDialog(&gFrame, IDC_CL_CANCEL);
        return TRUE;
      }
      // While a run goes every radio button and switch would write its
      // setting under it: nothing but pause and cancel is taken.
      if (DialogRunActive(&gFrame)) return TRUE;
      const bool changed = HandleTableCommand(dialog, kTable, ps, id, HIWORD(wParam)) != 0;
      const bool handled = Command(dialog, ps, id);
      if (gFrame.open && !DialogRunActive(&gFrame)) EnableSetupButtons(dialog, ps);
      return changed || handled;
    }
    case WM_DESTROY:
      DialogFrameDestroyed(&gFrame);
      return FALSE;
  }
  return FALSE;
}
