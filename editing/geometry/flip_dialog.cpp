// "&Spiegeln und Drehen ...": the active buffer's picture upside down,
// mirrored, turned by 180 degrees or tipped by 90, into a chosen buffer.
#include "editing/geometry/geometry_dialogs.h"
#include "editing/geometry/geometry_ids.h"
#include "editing/geometry/source_preview.h"
#include "imagelib/primitives.h"
#include "shell/buffer_slots.h"
#include "shell/dialogkit/dialog_kit.h"
#include "shell/settings.h"

namespace {

// A Flipmethod from a hand-edited file outside 0..4 takes the first radio.
constexpr RadioSpec kRadios[] = {{IDC_FLIP_FIRST, 5, 0, KIT_FIELD(ProgramState, Flipmethod)}};
constexpr ControlTable kTable = {{}, kRadios, {}, {}};
constexpr DialogFrameSpec kSpec = {
    kHotKeyMirror,     "Spiegeln und Aufrichten von %s",           kSectionRotate, IDC_FLIP_TARGET_A,
    IDC_FLIP_RUN,      kFrameNeedsPicture | kFrameUndoTarget, nullptr,        nullptr,
};
constexpr PreviewPaneSpec kPane = {IDC_FLIP_PREVIEW, IDC_FLIP_HSCROLL, IDC_FLIP_VSCROLL,
                                   IDC_FLIP_MINUS,   IDC_FLIP_PLUS,    0};

DialogFrame gFrame;
PreviewPane gPane;
int32_t gReduction = 1;          // kept between openings
SourcePreview gSource;
int16_t* gResult = nullptr;      // the flipped picture, until a buffer takes it

ProgramState* State() { return &gProgramState; }

// The preview always shows the source as it is.
void Refresh() { ShowSourcePreview(&gFrame, &gPane, &gSource); }

// true when the focus was put on "&Abbrechen".
bool Open(HWND dialog) {
  ProgramState* ps = State();
  ClampTableFields(kTable, ps);   // before the backup: cancel keeps a value the radios can show
  const FrameSource source = OpenDialogFrame(&gFrame, &kSpec, dialog);
  InitPreviewPane(&gPane, &kPane, dialog, &gReduction);
  DialogFrameOwnPane(&gFrame, &gPane);
  ShowControlTable(dialog, kTable, ps);
  DialogFrameOwnBlock(&gFrame, &gResult);
  if (source != FrameSource::kOk) {
    SetFocus(GetDlgItem(dialog, IDC_FLIP_CANCEL));
    return true;
  }
  TakeSourcePreview(&gFrame, &gPane, &gSource, &gResult);
  return false;
}

// Any failure of the operator leaves the dialog open without a message.
ApplyOutcome Flip(DialogFrame* frame, void*) {
  ProgramState* ps = frame->ps;
  ImageHeader source, result;
  GetSlotHeader(&source, ps->SourceBuffer, ps);
  if (FlipRotateImage(ps->Flipmethod, &source, &result, GetSlotPixels(ps->SourceBuffer, ps), gResult) != IMG_OK)
    return ApplyOutcome::kStay;
  if (InstallImage(ps->TargetBuffer, ps, gResult, &result, &gSource.metadata)) gResult = nullptr;
  return ApplyOutcome::kDone;
}

BOOL Command(HWND dialog, int id, int notification) {
  if (HandleTableCommand(dialog, kTable, State(), id, notification) || HandleTargetRadio(&gFrame, id)) return TRUE;
  if (HandlePreviewButton(&gPane, id)) {
    Refresh();
    return TRUE;
  }
  switch (id) {
    case IDC_FLIP_RUN:
      CommitDialogFrame(&gFrame, Flip, nullptr);
      return TRUE;
    case IDC_FLIP_CANCEL:
    case IDCANCEL:
      CancelDialogFrame(&gFrame);
      return TRUE;
  }
  return FALSE;
}

}  // namespace

INT_PTR CALLBACK FlipMirrorDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      return Open(dialog) ? FALSE : TRUE;
    case WM_COMMAND:
      return Command(dialog, LOWORD(wParam), HIWORD(wParam));
    case WM_HSCROLL:
    case WM_VSCROLL:
      if (HandlePreviewScroll(&gPane, reinterpret_cast<HWND>(lParam), wParam)) Refresh();
      return TRUE;
    case WM_DESTROY:
      DialogFrameDestroyed(&gFrame);
      return FALSE;
  }
  return FALSE;
}
