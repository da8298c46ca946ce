#include "capture_timer_dialog.h"

#include <commctrl.h>

#include <cstdio>

#include "capture_ids.h"
#include "capture_intervals.h"
#include "capture_plan.h"
#include "shell/dialogkit/dialog_kit.h"
#include "shell/message_box.h"
#include "shell/program_state.h"
#include "shell/scroll_bars.h"

namespace {

// The list shows this row when the timer opens ("10 Sec.", "16 Bilder").
constexpr int32_t kAdviceMs = 10000;
constexpr int32_t kFrameStepMs = 320;

// The timer takes no hot keys and opens on its owner.
constexpr DialogFrameSpec kSpec = {kNoHotKeyEntry, nullptr, 0, 0, 0, 0, nullptr, nullptr};
DialogFrame gFrame;

ProgramState& PS() { return gProgramState; }

void Enable(HWND dialog, int id, bool on) { EnableWindow(GetDlgItem(dialog, id), on); }

void FillCombo(HWND dialog, int id, const IntervalChoice* table, int count, int32_t ms) {
  const HWND list = GetDlgItem(dialog, id);
  SendMessageA(list, CB_RESETCONTENT, 0, 0);
  for (int i = 0; i < count; ++i) SendMessageA(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(table[i].label));
  SendMessageA(list, CB_SETCURSEL, WPARAM(FindIntervalMs(table, count, ms)), 0);
}

int32_t ReadCombo(HWND dialog, int id, const IntervalChoice* table, int count) {
  char text[40] = "";
  const HWND list = GetDlgItem(dialog, id);
  const LRESULT row = SendMessageA(list, CB_GETCURSEL, 0, 0);
  // On a selection change the edit part still shows the old text.
  if (row != CB_ERR && SendMessageA(list, CB_GETLBTEXTLEN, WPARAM(row), 0) < LRESULT(sizeof text))
    SendMessageA(list, CB_GETLBTEXT, WPARAM(row), reinterpret_cast<LPARAM>(text));
  else
    GetWindowTextA(list, text, sizeof text);
  int32_t ms = -1;
  return ReadIntervalChoice(table, count, text, &ms) ? ms : -1;
}

bool Integrated() { return PS().GrabbIntegrated != 0; }

void ShowInterval(HWND dialog) {
  char text[32];
  FormatIntervalText(text, sizeof text, PS().Intervall, Integrated());
  SetDlgItemTextA(dialog, IDC_TIMER_INTERVAL, text);
}

// The typed interval; a refused text is named and put back, and changes nothing.
bool ReadInterval(HWND dialog) {
  char text[81] = "";
  GetDlgItemTextA(dialog, IDC_TIMER_INTERVAL, text, sizeof text);
  int32_t ms = 0;
  if (ParseIntervalText(text, Integrated(), &ms)) {
    PS().Intervall = ms;
    return true;
  }
  char low[16], high[16];
  FormatIntervalText(low, sizeof low, Integrated() ? kIntegratedFrameMs : kMinIntervalMs, Integrated());
  FormatIntervalText(high, sizeof high, kMaxIntervalMs, Integrated());
  ShowMessageBoxF(dialog, kTitleError, MB_OK | MB_ICONSTOP, "Bitte eine Zahl zwischen %s und %s eingeben !", low, high);
  ShowInterval(dialog);
  return false;
}

int32_t MaxFrames() { return PS().MaxCaptureFrames > 0 ? PS().MaxCaptureFrames : kMaxCaptureFrames; }

int32_t ReadFrameCount(HWND dialog) {
  BOOL ok = FALSE;
  const UINT value = GetDlgItemInt(dialog, IDC_TIMER_FRAMES_EDIT, &ok, FALSE);
  if (!ok || value < 1) return 1;
  return value > UINT(MaxFrames()) ? MaxFrames() : int32_t(value);
}

int32_t MaxGroups() {
  const int32_t groups = MaxFrames() / (PS().Framecount > 0 ? PS().Framecount : 1);
  return groups > 1 ? groups : 1;
}

void ShowFrames(HWND dialog) {
  const HWND bar = GetDlgItem(dialog, IDC_TIMER_FRAMES_BAR);
  SetScrollRange(bar, SB_CTL, 1, MaxFrames(), FALSE);
  SetScrollPos(bar, SB_CTL, PS().Framecount, TRUE);
  SetDlgItemInt(dialog, IDC_TIMER_FRAMES_EDIT, UINT(PS().Framecount), FALSE);
}

// The sequence count within what fits beside the frames per sequence, never below 1.
void ShowGroups(HWND dialog) {
  ProgramState& ps = PS();
  if (ps.Groupcount > MaxGroups()) ps.Groupcount = MaxGroups();
  if (ps.Groupcount < 1) ps.Groupcount = 1;
  const HWND bar = GetDlgItem(dialog, IDC_TIMER_GROUPS_BAR);
  SetScrollRange(bar, SB_CTL, 1, MaxGroups(), FALSE);
  SetScrollPos(bar, SB_CTL, ps.Groupcount, TRUE);
  char text[16];
  std::snprintf(text, sizeof text, "%ld", long(ps.Groupcount));
  SetDlgItemTextA(dialog, IDC_TIMER_GROUPS_TEXT, text);
}

void ShowMode(HWND dialog) {
  CheckRadioButton(dialog, IDC_TIMER_SINGLE, IDC_TIMER_SEQUENCES, IDC_TIMER_SINGLE + PS().Grabbtimer);
}

// The interval in frames for integrating cameras, else in seconds.
void ShowIntervalKind(HWND dialog) {
  ProgramState& ps = PS();
  const bool integrated = Integrated();
  CheckDlgButton(dialog, IDC_TIMER_INTEGRATED, integrated ? BST_CHECKED : BST_UNCHECKED);
  ShowInterval(dialog);
  // Lower bound above the upper: the arrows count down, as the edit is what is read.
  SendDlgItemMessageA(dialog, IDC_TIMER_INTERVAL_SPIN, UDM_SETRANGE, 0,
                      integrated ? MAKELPARAM(8, 1024) : MAKELPARAM(1, 20864));
  if (integrated) {
    ps.Grabbtimer = 1;
    FillFrameStepCombo(dialog, IDC_TIMER_ADVICE, kFrameStepMs);
  } else {
    FillIntervalCombo(dialog, IDC_TIMER_ADVICE, kAdviceMs);
  }
  ShowMode(dialog);
  Enable(dialog, IDC_TIMER_SINGLE, !integrated);
  Enable(dialog, IDC_TIMER_SEQUENCES, !integrated);
  SetDlgItemTextA(dialog, IDC_TIMER_INTERVAL_LABEL, integrated ? "Intervall (Bilder)" : "Aufnahmeintervall (sec)");
}

void Open(HWND dialog) {
  ProgramState& ps = PS();
  const int source = ps.SourceBuffer, target = ps.TargetBuffer;
  OpenDialogFrame(&gFrame, &kSpec, dialog);
  ps.SourceBuffer = source;
  ps.TargetBuffer = target;
  if (ps.Framecount < 1) ps.Framecount = 1;
  if (ps.Framecount > MaxFrames()) ps.Framecount = MaxFrames();
  if (ps.Grabbtimer < 0 || ps.Grabbtimer > 2) ps.Grabbtimer = 0;
  ShowFrames(dialog);
  ShowGroups(dialog);
  ShowIntervalKind(dialog);
  EnableCaptureTimerControls(dialog);
}

void ChooseMode(HWND dialog, int id) {
  ProgramState& ps = PS();
  ps.Grabbtimer = id - IDC_TIMER_SINGLE;
  if (id == IDC_TIMER_LAPSE) ps.GrabbAVIs = 0;
  if (id == IDC_TIMER_SEQUENCES) ps.GrabbAVIs = 1;
  ShowMode(dialog);
  EnableCaptureTimerControls(dialog);
}

void ToggleIntegrated(HWND dialog) {
  ProgramState& ps = PS();
  ps.GrabbIntegrated = !ps.GrabbIntegrated;
  if (ps.GrabbIntegrated) ps.Intervall = kFrameStepMs;
  ShowIntervalKind(dialog);
  EnableCaptureTimerControls(dialog);
}

void TakeAdvice(HWND dialog) {
  const int32_t ms = Integrated() ? ReadFrameStepCombo(dialog, IDC_TIMER_ADVICE) : ReadIntervalCombo(dialog, IDC_TIMER_ADVICE);
  if (ms <= 0) return;
  PS().Intervall = ms;
  ShowInterval(dialog);
}

void Confirm(HWND dialog) {
  if (!ReadInterval(dialog)) return;
  PS().Framecount = ReadFrameCount(dialog);
  ShowGroups(dialog);
  CommitDialogFrame(&gFrame, nullptr, nullptr);
}

void OnScroll(HWND dialog, HWND control, WPARAM request) {
  ProgramState& ps = PS();
  if (control == GetDlgItem(dialog, IDC_TIMER_INTERVAL_SPIN)) {
    if (LOWORD(request) != SB_ENDSCROLL && ReadInterval(dialog) && !Integrated()) ShowInterval(dialog);
    return;
  }
  if (control == GetDlgItem(dialog, IDC_TIMER_FRAMES_BAR)) {
    ps.Framecount = ReadFrameCount(dialog);
    UpdateScrollPos(&ps.Framecount, 64, MaxFrames(), 1, 0, request);
    ShowFrames(dialog);
    ShowGroups(dialog);
    return;
  }
  if (control == GetDlgItem(dialog, IDC_TIMER_GROUPS_BAR)) {
    ps.Framecount = ReadFrameCount(dialog);
    UpdateScrollPos(&ps.Groupcount, 10, MaxGroups(), 1, 0, request);
    ShowGroups(dialog);
  }
}

}  // namespace

void FillIntervalCombo(HWND dialog, int id, int32_t ms) {
  FillCombo(dialog, id, CaptureIntervalTable, kCaptureIntervalCount, ms);
}

int32_t ReadIntervalCombo(HWND dialog, int id) { return ReadCombo(dialog, id, CaptureIntervalTable, kCaptureIntervalCount); }

void FillFrameStepCombo(HWND dialog, int id, int32_t ms) { FillCombo(dialog, id, FrameStepTable, kFrameStepCount, ms); }

int32_t ReadFrameStepCombo(HWND dialog, int id) { return ReadCombo(dialog, id, FrameStepTable, kFrameStepCount); }

void EnableCaptureTimerControls(HWND dialog) {
  const int32_t mode = PS().Grabbtimer;
  for (int id : {IDC_TIMER_INTERVAL_LABEL, IDC_TIMER_INTERVAL, IDC_TIMER_INTERVAL_SPIN, IDC_TIMER_ADVICE_LABEL,
                 IDC_TIMER_ADVICE})
    Enable(dialog, id, mode != 0);
  for (int id : {IDC_TIMER_GROUPS_LABEL, IDC_TIMER_GROUPS_BAR, IDC_TIMER_GROUPS_TEXT}) Enable(dialog, id, mode == 2);
}

INT_PTR CALLBACK CaptureTimerDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      Open(dialog);
      return TRUE;
    case WM_HSCROLL:
    case WM_VSCROLL:
      OnScroll(dialog, reinterpret_cast<HWND>(lParam), wParam);
      return TRUE;
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDC_TIMER_OK:
          Confirm(dialog);
          return TRUE;
        case IDC_TIMER_CANCEL:
          CancelDialogFrame(&gFrame);
          return TRUE;
        case IDC_TIMER_SINGLE:
        case IDC_TIMER_LAPSE:
        case IDC_TIMER_SEQUENCES:
          ChooseMode(dialog, LOWORD(wParam));
          return TRUE;
        case IDC_TIMER_INTEGRATED:
          ToggleIntegrated(dialog);
          return TRUE;
        case IDC_TIMER_ADVICE:
          if (HIWORD(wParam) == CBN_SELCHANGE) TakeAdvice(dialog);
          return TRUE;
      }
      return FALSE;
    case WM_DESTROY:
      DialogFrameDestroyed(&gFrame);
      return FALSE;
  }
  return FALSE;
}
