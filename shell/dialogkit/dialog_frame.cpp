#include "dialog_frame.h"

#include <cstdio>

#include "shell/buffer_slots.h"
#include "shell/desktop.h"
#include "shell/message_box.h"
#include "shell/settings.h"
#include "preview_pane.h"
#include "tab_host.h"

namespace {

constexpr char kFrameProperty[] = "TyvornDialogFrame";

bool ValidBuffer(int b) { return b >= 1 && b <= kBufferCount; }

void CheckTarget(DialogFrame* f) {
  const int first = f->spec->targetRadioA;
  if (!first || !ValidBuffer(f->ps->TargetBuffer)) return;
  CheckRadioButton(f->dialog, first, first + kBufferCount - 1, first + f->ps->TargetBuffer - 1);
}

void SetTitle(DialogFrame* f) {
  if (!f->spec->titleFormat) return;
  char title[256];
  const char* name = GetSlotName(f->ps->SourceBuffer);
  std::snprintf(title, sizeof title, f->spec->titleFormat, name ? name : "");
  SetWindowTextA(f->dialog, title);
}

FrameSource CheckSource(DialogFrame* f) {
  const ProgramState* ps = f->ps;
  const unsigned flags = f->spec->flags;
  const int source = ps->SourceBuffer;
  if ((flags & (kFrameNeedsPicture | kFrameNeedsColour)) && !IsSlotLoaded(source, ps)) {
    const char* name = GetSlotName(source);
    ShowMessageBoxF(f->dialog, kTitleError, MB_OK | MB_ICONSTOP, f->spec->emptyText ? f->spec->emptyText : "Der %s ist leer !",
                    name ? name : "");
    return FrameSource::kEmpty;
  }
  if (flags & kFrameNeedsColour) {
    ImageHeader h;
    if (!GetSlotHeader(&h, source, ps) || h.colourType != kColourRgb) {
      const char* name = GetSlotName(source);
      ShowMessageBoxF(f->dialog, kTitleError, MB_OK | MB_ICONSTOP,
                      f->spec->notColourText ? f->spec->notColourText : "Das Bild ist kein Farbbild !", name ? name : "");
      return FrameSource::kNotColour;
    }
  }
  return FrameSource::kOk;
}

void FreeOwned(DialogFrame* f) {
  for (int i = 0; i < f->blockCount; ++i)
    if (f->blocks[i]) FreeMem(f->blocks[i]);
  for (int i = 0; i < f->gdiCount; ++i) {
    HGDIOBJ* h = f->gdi[i];
    if (h && *h) {
      DeleteObject(*h);
      *h = nullptr;
    }
  }
  for (int i = 0; i < f->cleanupCount; ++i) f->cleanups[i](f->cleanupContexts[i]);
  f->cleanupCount = 0;
}

// The one way out. A dialog already being destroyed is not ended again.
void Finish(DialogFrame* f, bool commit, INT_PTR result, bool end = true) {
  if (!f->open) return;
  f->open = false;
  f->cancelHeld = false;
  FreeOwned(f);
  if (commit)
    CommitProgramState(f->ps);
  else
    RestoreProgramState(f->ps);
  RemovePropA(f->dialog, kFrameProperty);
  if (end) EndDialog(f->dialog, result);
}

BOOL CALLBACK DisableControl(HWND control, LPARAM lParam) {
  auto* f = reinterpret_cast<DialogFrame*>(lParam);
  if (!IsWindowEnabled(control) || f->disabledCount >= kFrameMaxDisabled) return TRUE;
  // A page of a tab host stays enabled itself; its controls are disabled.
  char cls[16];
  if (GetClassNameA(control, cls, sizeof cls) && lstrcmpA(cls, "#32770") == 0) return TRUE;
  EnableWindow(control, FALSE);
  f->disabled[f->disabledCount++] = control;
  return TRUE;
}

}  // namespace

FrameSource OpenDialogFrame(DialogFrame* f, const DialogFrameSpec* spec, HWND dialog, ProgramState* ps) {
  if (!ps) ps = &gProgramState;
  *f = DialogFrame{};
  f->spec = spec;
  f->dialog = dialog;
  f->ps = ps;
  f->open = true;
  SetPropA(dialog, kFrameProperty, f);
  BackupProgramState(ps);
  if (!(spec->flags & kFrameKeepsBuffers)) ps->SourceBuffer = ps->TargetBuffer = ps->ActiveBuffer;
  f->setupOnly = (spec->flags & kFrameSetupAware) && ps->OpenedFromSetup;
  SetTitle(f);
  RegisterHotKeyDialog(spec->family, dialog);
  if (!(spec->flags & kFrameNoCentre)) {
    HWND owner = GetWindow(dialog, GW_OWNER);
    CentreWindow(owner ? owner : GetDesktopWindow(), dialog);
  }
  if (f->setupOnly) return FrameSource::kSetupOnly;
  CheckTarget(f);
  const FrameSource source = CheckSource(f);
  if (source == FrameSource::kOk) return source;
  if (spec->flags & kFrameEndsOnRefusal) {
    Finish(f, false, 0);
  } else if (spec->confirmId) {
    EnableWindow(GetDlgItem(dialog, spec->confirmId), FALSE);
  }
  return source;
}

void DialogFrameOwnBlock(DialogFrame* f, void** field) {
  for (int i = 0; i < f->blockCount; ++i)
    if (f->blocks[i] == field) return;
  if (f->blockCount < kFrameMaxOwned) f->blocks[f->blockCount++] = field;
}

void DialogFrameOwnGdi(DialogFrame* f, HGDIOBJ* field) {
  for (int i = 0; i < f->gdiCount; ++i)
    if (f->gdi[i] == field) return;
  if (f->gdiCount < kFrameMaxOwned) f->gdi[f->gdiCount++] = field;
}

void DialogFrameAtExit(DialogFrame* f, void (*cleanup)(void*), void* context) {
  for (int i = 0; i < f->cleanupCount; ++i)
    if (f->cleanups[i] == cleanup && f->cleanupContexts[i] == context) return;
  if (f->cleanupCount >= kFrameMaxOwned) return;
  f->cleanups[f->cleanupCount] = cleanup;
  f->cleanupContexts[f->cleanupCount++] = context;
}

void DialogFrameOwnPane(DialogFrame* f, PreviewPane* pane) {
  DialogFrameAtExit(f, [](void* p) { FreePreviewPane(static_cast<PreviewPane*>(p)); }, pane);
}

void DialogFrameOwnTabs(DialogFrame* f, TabHost* tabs) {
  DialogFrameAtExit(f, [](void* t) { DestroyTabHost(static_cast<TabHost*>(t)); }, tabs);
}

int HandleTargetRadio(DialogFrame* f, int id) {
  const int first = f->spec->targetRadioA;
  if (!first || id < first || id >= first + kBufferCount) return 0;
  f->ps->TargetBuffer = id - first + 1;
  CheckTarget(f);
  return 1;
}

void CommitDialogFrame(DialogFrame* f, ApplyStep apply, void* context) {
  if (!f->open || f->runDepth) return;
  if (f->spec->confirmId && !IsWindowEnabled(GetDlgItem(f->dialog, f->spec->confirmId))) return;
  ApplyOutcome outcome = ApplyOutcome::kDone;
  if (!f->setupOnly) {
    if (f->spec->flags & kFrameUndoTarget) SaveUndoOf(f->ps->TargetBuffer, f->ps);
    if (apply) {
      HCURSOR previous = SetCursor(LoadCursor(nullptr, IDC_WAIT));
      BeginDialogRun(f);
      outcome = apply(f, context);
      SetCursor(previous);
      // A cancel held back during the step: it failed and stays, so the
      // cancel is done; it succeeded, so its result stands.
      const bool cancel = f->cancelHeld;
      f->cancelHeld = false;
      EndDialogRun(f);
      if (outcome == ApplyOutcome::kStay) {
        if (cancel) CancelDialogFrame(f);
        return;
      }
    }
  }
  if (f->spec->settingsSection) SaveSettings(f->ps, f->spec->settingsSection, nullptr);
  Finish(f, true, outcome == ApplyOutcome::kDone ? 1 : 0);
}

void CancelDialogFrame(DialogFrame* f) {
  if (!f->open) return;
  if (f->runDepth) {
    f->cancelHeld = true;
    f->ps->AbortRequested = 1;
    return;
  }
  Finish(f, false, 0);
}

void EndDialogFrame(DialogFrame* f, INT_PTR result) {
  if (!f->open || f->runDepth) return;
  Finish(f, true, result);
}

void DialogFrameDestroyed(DialogFrame* f) {
  if (!f->open || f->dialog == nullptr) return;
  f->runDepth = 0;
  Finish(f, false, 0, false);
}

void BeginDialogRun(DialogFrame* f, const int* keep, int keepCount) {
  if (f->runDepth++) return;
  f->disabledCount = 0;
  f->cancelHeld = false;
  f->ps->AbortRequested = 0;
  EnumChildWindows(f->dialog, DisableControl, reinterpret_cast<LPARAM>(f));
  for (int i = 0; i < keepCount; ++i) {
    HWND control = GetDlgItem(f->dialog, keep[i]);
    for (int k = 0; k < f->disabledCount; ++k) {
      if (f->disabled[k] != control) continue;
      EnableWindow(control, TRUE);
      f->disabled[k] = f->disabled[--f->disabledCount];
      break;
    }
  }
}

bool DialogRunActive(const DialogFrame* f) { return f->runDepth > 0; }

int EndDialogRun(DialogFrame* f) {
  if (f->runDepth == 0 || --f->runDepth) return 0;
  for (int i = 0; i < f->disabledCount; ++i)
    if (IsWindow(f->disabled[i])) EnableWindow(f->disabled[i], TRUE);
  f->disabledCount = 0;
  if (!f->cancelHeld) return 0;
  Finish(f, false, 0);
  return 1;
}

DialogFrame* DialogFrameOf(HWND window) {
  for (HWND w = window; w; w = (GetWindowLongA(w, GWL_STYLE) & WS_CHILD) ? GetParent(w) : nullptr)
    if (auto* f = static_cast<DialogFrame*>(GetPropA(w, kFrameProperty))) return f;
  return nullptr;
}
