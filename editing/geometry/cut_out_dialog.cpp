// "Bild a&usschneiden ..." of the file menu: saves a rectangle of fixed size,
// centred on the object the active buffer's picture shows, to a picture
// file. The buffers stay as they are.
#include <cstdio>

#include "editing/geometry/cut_out.h"
#include "editing/geometry/geometry_dialogs.h"
#include "editing/geometry/geometry_ids.h"
#include "imagelib/primitives.h"
#include "imageio/picture_files.h"
#include "imageio/picture_formats.h"
#include "imageio/recenter_formats.h"
#include "shell/buffer_slots.h"
#include "shell/choosers/file_choosers.h"
#include "shell/dialogkit/dialog_kit.h"
#include "shell/message_box.h"

namespace {

// Sizes of 0 or less are refused as typed; larger ones than the picture are
// cut down to it when the cut-out is made.
constexpr NumberSpec kNumbers[] = {{IDC_CUT_WIDTH, KIT_FIELD(ProgramState, CutXSize), 1, 1000000, "%ld", true},
                                   {IDC_CUT_HEIGHT, KIT_FIELD(ProgramState, CutYSize), 1, 1000000, "%ld", true}};
constexpr ControlTable kTable = {{}, {}, {}, kNumbers};
// The settings are not saved here: they reach "tyvorn.ini" with all others.
constexpr DialogFrameSpec kSpec = {kNoHotKeyEntry, nullptr, 0, 0, IDC_CUT_OK, 0, nullptr, nullptr};

DialogFrame gFrame;
int16_t* gCut = nullptr;

ProgramState* State() { return &gProgramState; }

void Open(HWND dialog) {
  ProgramState* ps = State();
  ClampTableFields(kTable, ps);
  OpenDialogFrame(&gFrame, &kSpec, dialog);
  DialogFrameOwnBlock(&gFrame, &gCut);
  const HWND list = GetDlgItem(dialog, IDC_CUT_FORMAT);
  for (const RecenterFormatEntry& f : kRecenterFormats)
    SendMessageA(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(f.listText));
  SendMessageA(list, CB_SETCURSEL, WPARAM(ValidRecenterFormat(ps->RecenterFormat)), 0);
  ShowControlTable(dialog, kTable, ps);
}

// Every way through ends the dialog with 1, the buffers as they were; a
// file is written only when a name was chosen.
ApplyOutcome SaveCutOut(DialogFrame* frame, void*) {
  ProgramState* ps = frame->ps;
  const int source = ps->SourceBuffer;
  if (!IsSlotLoaded(source, ps)) {
    ShowMessageBoxF(frame->dialog, kTitleError, MB_OK | MB_ICONSTOP, "Der %s ist leer !", GetSlotName(source));
    return ApplyOutcome::kDone;
  }
  const LRESULT selected = SendDlgItemMessageA(frame->dialog, IDC_CUT_FORMAT, CB_GETCURSEL, 0, 0);
  ps->RecenterFormat = ValidRecenterFormat(int32_t(selected));
  FileChoice& f = gFileChoice;
  std::snprintf(f.Path, sizeof f.Path, "*.*");
  if (!ShowSaveFileDialog(f.Path, f.Name, f.Directory, f.Extension, &f.Drive, ps->CurrentPath, kPictureSaveFilter,
                          "Ausschnitt abspeichern", frame->dialog, RecenterFormatExtension(ps->RecenterFormat)))
    return ApplyOutcome::kDone;
  ImageHeader header;
  GetSlotHeader(&header, source, ps);
  if (ps->CutXSize > header.width) ps->CutXSize = header.width;
  if (ps->CutYSize > header.height) ps->CutYSize = header.height;
  const int16_t* samples = GetSlotPixels(source, ps);
  ImageRect rect;
  if (!FindCutOutRect(&header, samples, ps->CutXSize, ps->CutYSize, &rect)) return ApplyOutcome::kDone;
  ImageHeader cut = header;
  cut.width = rect.w;
  cut.height = rect.h;
  if (!AllocPixels(&gCut, &cut)) return ApplyOutcome::kDone;
  if (CopyImageRect(gCut, samples, &header, &rect) == IMG_OK) SaveImageFile(f.Path, f.Extension, 1, gCut, &cut);
  FreeMem(&gCut);
  return ApplyOutcome::kDone;
}

BOOL Command(HWND dialog, int id, int notification) {
  if (HandleTableCommand(dialog, kTable, State(), id, notification)) return TRUE;
  switch (id) {
    case IDC_CUT_OK:
      // The sizes first: a refused one keeps the dialog open, no chooser.
      if (ReadNumberFields(dialog, kTable, State())) CommitDialogFrame(&gFrame, SaveCutOut, nullptr);
      return TRUE;
    case IDC_CUT_CANCEL:
    case IDCANCEL:
      CancelDialogFrame(&gFrame);
      return TRUE;
  }
  return FALSE;
}

}  // namespace

INT_PTR CALLBACK CutOutSaveDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      Open(dialog);
      return TRUE;
    case WM_COMMAND:
      return Command(dialog, LOWORD(wParam), HIWORD(wParam));
    case WM_DESTROY:
      DialogFrameDestroyed(&gFrame);
      return FALSE;
  }
  return FALSE;
}
