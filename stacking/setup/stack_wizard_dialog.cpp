#include "stacking/setup/stack_wizard_dialog.h"

#include "shell/buffer_slots.h"
#include "shell/dialogkit/dialog_kit.h"
#include "shell/settings.h"
#include "shell/workers.h"
#include "stacking/setup/practice_presets.h"
#include "stacking/setup/setup_ids.h"
#include "stacking/setup/setup_pages.h"
#include "stacking/setup/stacking_road.h"

namespace {

// The summary line of each step, 1..7.
constexpr int kLineIds[] = {IDC_WZ_LINE1, IDC_WZ_LINE2, IDC_WZ_LINE3, IDC_WZ_LINE4,
                            IDC_WZ_LINE5, IDC_WZ_LINE6, IDC_WZ_LINE7};

// A step that a page sets; step 0 only opens its page.
struct StepButton {
  int button;
  SetupPage page;
  int step;
};
constexpr StepButton kStepButtons[] = {
    {IDC_WZ_SOURCE_SETUP, SetupPage::kSource, 1},    {IDC_WZ_PRETREAT_SETUP, SetupPage::kPretreatment, 2},
    {IDC_WZ_CENTRING_SETUP, SetupPage::kCentring, 3}, {IDC_WZ_SUBPIXEL_SETUP, SetupPage::kSubpixel, 4},
    {IDC_WZ_QUALITY_SETUP, SetupPage::kQuality, 5},   {IDC_WZ_RESULT_SETUP, SetupPage::kResult, 6},
    {IDC_WZ_PROTOCOL_SETUP, SetupPage::kProtocol, 0},
};

// A step that may be switched off; switched off it is ready as it stands.
struct StepSwitch {
  int step;
  int check;
  int button;
  BOOL ProgramState::*setting;
  const char* request;
  const char* off;
};
constexpr StepSwitch kSwitches[] = {
    {2, IDC_WZ_PRETREAT, IDC_WZ_PRETREAT_SETUP, &ProgramState::Preprocess,
     "2. Bitte Vorverarbeitung einstellen oder abschalten", "2. Keine Verarbeitung vor der Überlagerung"},
    {4, IDC_WZ_SUBPIXEL, IDC_WZ_SUBPIXEL_SETUP, &ProgramState::Superres,
     "4. Bitte Subpixelauflösung einstellen oder abschalten", "4. Überlagerung auf ein Pixel genau"},
    {5, IDC_WZ_QUALITY, IDC_WZ_QUALITY_SETUP, &ProgramState::Qualitycheck,
     "5. Bitte Qualitätscheck einstellen oder abschalten", "5. Alle Bilder werden überlagert"},
};

constexpr DialogFrameSpec kSpec = {kHotKeyStacking, nullptr, kSectionFitImage, 0, 0, 0, nullptr, nullptr};

DialogFrame gFrame;
int gReady[kWizardSteps];
bool gSetupOnly = false;   // as when the dialog opened; pages set the flag for their own dialogs
BOOL WizardDone = FALSE;

void Enable(HWND dialog, int id, bool on) { EnableWindow(GetDlgItem(dialog, id), on); }
void ShowLine(HWND dialog, int step, const char* text) { SetDlgItemTextA(dialog, kLineIds[step - 1], text); }
void Check(HWND dialog, int id, bool on) { CheckDlgButton(dialog, id, on ? BST_CHECKED : BST_UNCHECKED); }

void CopyStepText(ProgramState* ps, int step, const char* text) {
  lstrcpynA(ps->StepTexts[step - 1], text, sizeof ps->StepTexts[step - 1]);
}

void ShowSwitch(HWND dialog, const StepSwitch& s, bool on) {
  Check(dialog, s.check, on);
  Enable(dialog, s.button, on);
}

void ShowProtocolSwitch(HWND dialog, const ProgramState* ps, const char* onLine) {
  Check(dialog, IDC_WZ_PROTOCOL, ps->Protokoll != 0);
  Enable(dialog, IDC_WZ_PROTOCOL_SETUP, ps->Protokoll != 0);
  ShowLine(dialog, 7, ps->Protokoll ? onLine : "7. Es wird nicht mitprotokolliert");
}

void OpenDialog(HWND dialog, ProgramState* ps) {
  OpenDialogFrame(&gFrame, &kSpec, dialog, ps);
  gSetupOnly = ps->OpenedFromSetup == 1;
  const char* target = GetSlotName(ps->ActiveBuffer);
  SetDlgItemTextA(dialog, IDC_WZ_TARGET, target ? target : "");
  SetDlgItemTextA(dialog, IDC_WZ_PAUSE, "&Pause");
  WizardDone = FALSE;
  ps->PauseRequested = 0;
  ShowProtocolSwitch(dialog, ps, "7. Bitte Protokoll einstellen oder abschalten");
  for (int& r : gReady) r = 0;
  ShowLine(dialog, 1, "1. Noch keine Rohbildquelle ausgewählt");
  ShowLine(dialog, 3, "3. Bitte Zentriermethode festlegen");
  ShowLine(dialog, 6, "6. Bitte Methode zur Ergebnisberechnung festlegen");
  for (const StepSwitch& s : kSwitches) {
    const bool on = ps->*s.setting != 0;
    ShowSwitch(dialog, s, on);
    ShowLine(dialog, s.step, on ? s.request : s.off);
    gReady[s.step - 1] = on ? 0 : 1;
  }
  UpdateWizardReadiness(dialog, gReady);
  Check(dialog, IDC_WZ_NOT_CLOSE, ps->NotClose != 0);
  if (gSetupOnly) {
    ShowWindow(GetDlgItem(dialog, IDC_WZ_NOT_CLOSE), SW_HIDE);
    ShowWindow(GetDlgItem(dialog, IDC_WZ_NEXT), SW_HIDE);
    SetDlgItemTextA(dialog, IDC_WZ_STATUS, "Einstellung der Batchaufgabe");
    SetDlgItemTextA(dialog, IDC_WZ_TARGET, "Zu bestimmen ...");
    SetDlgItemTextA(dialog, IDC_WZ_TIME, "~");
    SetDlgItemTextA(dialog, IDC_WZ_PAUSE, "Weiter ...");
    Enable(dialog, IDC_WZ_PROTOCOL, false);
    Enable(dialog, IDC_WZ_PROTOCOL_SETUP, false);
  }
}

// After a quick setting: the switches, texts and lines of steps 2 to 6
// from the settings (and step 1 when asked).
void ShowSettings(HWND dialog, ProgramState* ps, bool withSource) {
  for (const StepSwitch& s : kSwitches) {
    const bool on = ps->*s.setting != 0;
    ShowSwitch(dialog, s, on);
    if (on)
      BuildStepText(s.step, ps);
    else
      CopyStepText(ps, s.step, s.off);
  }
  BuildStepText(3, ps);
  BuildStepText(6, ps);
  if (withSource) BuildStepText(1, ps);
  for (int step = withSource ? 1 : 2; step <= kWizardSteps; ++step) ShowLine(dialog, step, ps->StepTexts[step - 1]);
}

void ToggleStep(HWND dialog, ProgramState* ps, const StepSwitch& s) {
  const bool on = !(ps->*s.setting);
  ps->*s.setting = on ? 1 : 0;
  ShowSwitch(dialog, s, on);
  gReady[s.step - 1] = on ? 0 : 1;
  if (on) {
    ShowLine(dialog, s.step, s.request);
    return;
  }
  if (s.step == 4) ps->Subpixelfactor = 0;
  CopyStepText(ps, s.step, s.off);
  ShowLine(dialog, s.step, s.off);
}

void OpenPage(HWND dialog, ProgramState* ps, const StepButton& b) {
  if (ShowSetupPage(dialog, b.page, ps) != 1 || !b.step) return;
  gReady[b.step - 1] = 1;
  ShowLine(dialog, b.step, ps->StepTexts[b.step - 1]);
}

// "&Weiter ...": the selection stacks by itself in the preview mode;
// otherwise the series is asked for and stacked here.
void Next(HWND dialog, ProgramState* ps) {
  ps->AbortRequested = 0;
  WorkerStopFlag = 0;
  // With step 5 off every frame is stacked, whatever mode the quality page left.
  const bool selection = ps->Qualitycheck && ps->CheckMethod == 1;
  if (OpenCentringDialog(dialog, ps, selection) != 1) return;
  bool cancelled = false;
  if (selection) {
    if (OpenPictureSelection(dialog, ps) != 1) return;
  } else {
    if (!AskForSeries(dialog, ps, SeriesQuestion::kStepByStep)) return;
    cancelled = RunStackingInDialog(&gFrame, IDC_WZ_PAUSE, IDC_WZ_CANCEL);
  }
  FinishStackingRun(&gFrame, cancelled, &WizardDone, IDC_WZ_NEXT, IDC_WZ_PAUSE, IDC_WZ_STATUS);
}

void PauseOrClose(HWND dialog, ProgramState* ps) {
  if (gSetupOnly) {
    ps->PauseRequested = 0;
    ps->AbortRequested = 0;
    WorkerStopFlag = 0;
    CommitDialogFrame(&gFrame, nullptr, nullptr);
    return;
  }
  if (WizardDone && !DialogRunActive(&gFrame)) {
    CommitDialogFrame(&gFrame, nullptr, nullptr);
    return;
  }
  ps->PauseRequested = ps->PauseRequested ? 0 : 1;
  SetDlgItemTextA(dialog, IDC_WZ_PAUSE, ps->PauseRequested ? "&Weitermachen" : "&Pause");
}

void Command(HWND dialog, ProgramState* ps, int id) {
  if (id == IDC_WZ_PAUSE) return PauseOrClose(dialog, ps);
  if (id == IDC_WZ_CANCEL || id == IDCANCEL) return CancelStackingDialog(&gFrame, IDC_WZ_CANCEL);
  // While a run goes nothing else may change what it reads.
  if (DialogRunActive(&gFrame)) return;
  for (const StepButton& b : kStepButtons)
    if (b.button == id) OpenPage(dialog, ps, b);
  for (const StepSwitch& s : kSwitches)
    if (s.check == id) ToggleStep(dialog, ps, s);
  switch (id) {
    case IDC_WZ_PROTOCOL:
      ps->Protokoll = ps->Protokoll ? 0 : 1;
      ShowProtocolSwitch(dialog, ps, "7. Es wird mitprotokolliert");
      break;
    case IDC_WZ_NOT_CLOSE:
      ps->NotClose = ps->NotClose ? 0 : 1;
      Check(dialog, IDC_WZ_NOT_CLOSE, ps->NotClose != 0);
      break;
    case IDC_WZ_PRESETS:
      ShowPracticePresets(dialog, ps);
      for (int step = 2; step <= kWizardSteps; ++step) gReady[step - 1] = 1;
      ShowSettings(dialog, ps, false);
      break;
    case IDC_WZ_PREVIOUS:
      for (int& r : gReady) r = 1;
      ShowSettings(dialog, ps, true);
      break;
    case IDC_WZ_NEXT:
      if (IsWindowEnabled(GetDlgItem(dialog, IDC_WZ_NEXT))) return Next(dialog, ps);
      return;
    default:
      break;
  }
  if (gFrame.open && !DialogRunActive(&gFrame)) {
    UpdateWizardReadiness(dialog, gReady);
    if (gSetupOnly) SetDlgItemTextA(dialog, IDC_WZ_STATUS, "Einstellung der Batchaufgabe");
  }
}

}  // namespace

void UpdateWizardReadiness(HWND dialog, const int ready[kWizardSteps]) {
  bool all = true;
  for (int i = 0; i < kWizardSteps; ++i) all = all && ready[i] != 0;
  Enable(dialog, IDC_WZ_NEXT, all);
  Enable(dialog, IDC_WZ_PAUSE, all);
  SetDlgItemTextA(dialog, IDC_WZ_STATUS, all ? "Fertig zum Überlagern ..." : "Noch nicht alle Schritte eingestellt ...");
}

INT_PTR CALLBACK StackWizardDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      OpenDialog(dialog, lParam ? reinterpret_cast<ProgramState*>(lParam) : &gProgramState);
      return TRUE;
    case WM_COMMAND:
      if (!gFrame.open || HIWORD(wParam) != BN_CLICKED) return FALSE;
      Command(dialog, gFrame.ps, LOWORD(wParam));
      return TRUE;
    case WM_DESTROY:
      DialogFrameDestroyed(&gFrame);
      return FALSE;
  }
  return FALSE;
}
