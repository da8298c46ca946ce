#include "buffer_dialogs.h"

#include "buffer_slots.h"
#include "hotkey_titles.h"
#include "menu_ids.h"
#include "program_state.h"

namespace {

int ValidOr(int buffer, int fallback) { return buffer >= 1 && buffer <= kBufferCount ? buffer : fallback; }

void CheckCopyButtons(HWND dialog) {
  const ProgramState* ps = &gProgramState;
  CheckRadioButton(dialog, IDC_COPY_TARGET_A, IDC_COPY_TARGET_D, IDC_COPY_TARGET_A - 1 + ps->TargetBuffer);
  for (int b = 1; b <= kBufferCount; ++b)
    CheckDlgButton(dialog, IDC_COPY_SOURCE_A - 1 + b, b == ps->SourceBuffer ? BST_CHECKED : BST_UNCHECKED);
}

void InitCopy(HWND dialog) {
  ProgramState* ps = &gProgramState;
  BackupProgramState(ps);
  int firstLoaded = 0;
  for (int b = 1; b <= kBufferCount; ++b) {
    if (IsSlotLoaded(b, ps)) {
      if (!firstLoaded) firstLoaded = b;
    } else {
      EnableWindow(GetDlgItem(dialog, IDC_COPY_SOURCE_A - 1 + b), FALSE);
    }
  }
  ps->SourceBuffer = firstLoaded;
  EnableWindow(GetDlgItem(dialog, IDC_COPY_OK), firstLoaded != 0);
  ps->TargetBuffer = ValidOr(ps->ActiveBuffer, 1);
  CheckCopyButtons(dialog);
}

void CheckDeleteButtons(HWND dialog) {
  CheckRadioButton(dialog, IDC_DELETE_TARGET_A, IDC_DELETE_TARGET_D,
                   IDC_DELETE_TARGET_A - 1 + gProgramState.TargetBuffer);
}

void Cancel(HWND dialog) {
  RestoreProgramState(&gProgramState);
  EndDialog(dialog, 0);
}

void Confirm(HWND dialog) {
  CommitProgramState(&gProgramState);
  EndDialog(dialog, 1);
}

}  // namespace

INT_PTR CALLBACK BufferCopyDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  ProgramState* ps = &gProgramState;
  switch (message) {
    case WM_INITDIALOG:
      RegisterHotKeyDialog(kHotKeyCopy, dialog);
      InitCopy(dialog);
      return TRUE;
    case WM_COMMAND: {
      const int id = LOWORD(wParam);
      if (id >= IDC_COPY_TARGET_A && id <= IDC_COPY_TARGET_D) {
        ps->TargetBuffer = id - IDC_COPY_TARGET_A + 1;
      } else if (id >= IDC_COPY_SOURCE_A && id <= IDC_COPY_SOURCE_D) {
        if (IsSlotLoaded(id - IDC_COPY_SOURCE_A + 1, ps)) ps->SourceBuffer = id - IDC_COPY_SOURCE_A + 1;
      } else if (id == IDC_COPY_OK) {
        if (IsSlotLoaded(ps->SourceBuffer, ps)) Confirm(dialog);
        return TRUE;
      } else if (id == IDC_COPY_CANCEL || id == IDCANCEL) {
        Cancel(dialog);
        return TRUE;
      } else {
        return FALSE;
      }
      CheckCopyButtons(dialog);
      return TRUE;
    }
  }
  return FALSE;
}

INT_PTR CALLBACK BufferDeleteDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  ProgramState* ps = &gProgramState;
  switch (message) {
    case WM_INITDIALOG:
      RegisterHotKeyDialog(kHotKeyDelete, dialog);
      BackupProgramState(ps);
      ps->TargetBuffer = ValidOr(ps->ActiveBuffer, 1);
      CheckDeleteButtons(dialog);
      return TRUE;
    case WM_COMMAND: {
      const int id = LOWORD(wParam);
      if (id >= IDC_DELETE_TARGET_A && id <= IDC_DELETE_TARGET_D) {
        ps->TargetBuffer = id - IDC_DELETE_TARGET_A + 1;
        CheckDeleteButtons(dialog);
      } else if (id == IDC_DELETE_OK) {
        SaveUndo(ps);
        Confirm(dialog);
      } else if (id == IDC_DELETE_CANCEL || id == IDCANCEL) {
        Cancel(dialog);
      } else {
        return FALSE;
      }
      return TRUE;
    }
  }
  return FALSE;
}
