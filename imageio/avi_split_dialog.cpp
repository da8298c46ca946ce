#include "avi_split_dialog.h"

#include <cstdio>

#include "avi_split.h"
#include "picture_dialog_ids.h"
#include "recenter_formats.h"
#include "shell/choosers/file_choosers.h"
#include "shell/desktop.h"
#include "shell/hotkey_titles.h"
#include "shell/program_state.h"

namespace {

// One split dialog at a time; what it has chosen so far.
struct SplitChoice {
  char video[kPathSize];
  char target[kPathSize];
  bool haveVideo;
  bool haveTarget;
  bool running;
};
SplitChoice gChoice;

void EnableControls(HWND dialog) {
  const bool idle = !gChoice.running;
  // While a split runs nothing that could change it may be touched.
  EnableWindow(GetDlgItem(dialog, IDC_AVI_CHOOSE), idle);
  EnableWindow(GetDlgItem(dialog, IDC_AVI_TARGET), idle);
  EnableWindow(GetDlgItem(dialog, IDC_AVI_FORMAT), idle);
  EnableWindow(GetDlgItem(dialog, IDC_AVI_OK), idle && gChoice.haveVideo && gChoice.haveTarget);
}

void Init(HWND dialog) {
  gChoice = SplitChoice{};
  ProgramState* ps = &gProgramState;
  if (const HWND owner = GetWindow(dialog, GW_OWNER)) CentreWindow(owner, dialog);
  SetDlgItemTextA(dialog, IDC_AVI_STATUS, "~");
  ps->AbortRequested = 1;   // no split running
  RegisterHotKeyDialog(kHotKeyAvi, dialog);
  const HWND list = GetDlgItem(dialog, IDC_AVI_FORMAT);
  for (const RecenterFormatEntry& f : kRecenterFormats)
    SendMessageA(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(f.listText));
  SendMessageA(list, CB_SETCURSEL, WPARAM(ValidRecenterFormat(ps->RecenterFormat)), 0);
  EnableControls(dialog);
}

void ChooseVideo(HWND dialog) {
  FileChoice& f = gFileChoice;
  f.Path[0] = 0;
  if (!ShowOpenFileDialog(f.Path, f.Name, f.Directory, f.Extension, &f.Drive, gProgramState.CurrentPath,
                          "AVI Videos\0*.AVI\0Alle Dateien\0*.*\0", "AVI-Datei bestimmen ...", dialog))
    return;
  lstrcpynA(gChoice.video, f.Path, sizeof gChoice.video);
  gChoice.haveVideo = true;
  SetDlgItemTextA(dialog, IDC_AVI_NAME, gChoice.video);
  EnableControls(dialog);
}

void ChooseTarget(HWND dialog) {
  FileChoice& f = gFileChoice;
  if (!ShowDirectoryDialog(f.Directory, &f.Drive, gProgramState.CurrentPath,
                           "Windows BMP\0*.BMP\0Alle Dateien\0*.*\0", "Ziel bestimmen ...", 0, dialog))
    return;
  lstrcpynA(gChoice.target, f.Directory, sizeof gChoice.target);
  gChoice.haveTarget = true;
  SetDlgItemTextA(dialog, IDC_AVI_TARGET_NAME, gChoice.target);
  EnableControls(dialog);
}

void Start(HWND dialog) {
  ProgramState* ps = &gProgramState;
  const LRESULT selected = SendDlgItemMessageA(dialog, IDC_AVI_FORMAT, CB_GETCURSEL, 0, 0);
  ps->RecenterFormat = ValidRecenterFormat(int32_t(selected));
  AviSplitJob job{gChoice.video, gChoice.target, RecenterFormatExtension(ps->RecenterFormat), dialog,
                  IDC_AVI_STATUS, {}, nullptr};
  ps->AbortRequested = 0;
  gChoice.running = true;
  EnableControls(dialog);
  const WalkEnd end = RunFrameWalk(AviSplitWalk(&job), &ps->AbortRequested);
  gChoice.running = false;
  ps->AbortRequested = 1;
  if (end == WalkEnd::NotOpened) {
    // The dialog stays for another video.
    gChoice.haveVideo = false;
    EnableControls(dialog);
    return;
  }
  EndDialog(dialog, 1);
}

void Cancel(HWND dialog) {
  // A running split ends the dialog itself once it has stopped.
  if (!gChoice.running) EndDialog(dialog, 0);
  gProgramState.AbortRequested = 1;
}

}  // namespace

INT_PTR CALLBACK AviToPicturesDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      Init(dialog);
      return TRUE;
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDC_AVI_CHOOSE:
          if (!gChoice.running) ChooseVideo(dialog);
          return TRUE;
        case IDC_AVI_TARGET:
          if (!gChoice.running) ChooseTarget(dialog);
          return TRUE;
        case IDC_AVI_OK:
          if (!gChoice.running && gChoice.haveVideo && gChoice.haveTarget) Start(dialog);
          return TRUE;
        case IDC_AVI_CANCEL:
        case IDCANCEL:
          Cancel(dialog);
          return TRUE;
      }
      return FALSE;
  }
  return FALSE;
}
