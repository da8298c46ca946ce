// "Farbkan&äle trennen ...": splits the active buffer's colour picture into
// grey planes: red, green and blue at once into the three buffers other than
// the target, or one channel or the luminance into the target.
#include "editing/colour/colour_dialogs.h"
#include "editing/colour/colour_ids.h"
#include "imagelib/colour_channels.h"
#include "shell/buffer_slots.h"
#include "shell/dialogkit/dialog_kit.h"
#include "shell/message_box.h"

namespace {

// The setting is not saved here: it reaches "tyvorn.ini" with all others.
constexpr RadioSpec kRadios[] = {{IDC_SEP_RGB, 5, 0, KIT_FIELD(ProgramState, SeparateMethod)}};
constexpr ControlTable kTable = {{}, kRadios, {}, {}};
constexpr DialogFrameSpec kSpec = {kNoHotKeyEntry, nullptr, 0, IDC_SEP_TARGET_A, IDC_SEP_OK, 0, nullptr, nullptr};

// What marks a plane: its colour type and the picture's name.
struct Plane {
  int32_t colourType;
  const char* name;
};
constexpr Plane kRed = {2, "Rotauszug"}, kGreen = {3, "Grünauszug"}, kBlue = {4, "Blauauszug"},
                kLuminance = {0, "Luminanz"};
// By SeparateMethod: the planes written.
constexpr Plane kPlanes[5][3] = {{kRed, kGreen, kBlue}, {kRed}, {kGreen}, {kBlue}, {kLuminance}};

DialogFrame gFrame;
int16_t* gPlanes[3] = {};

ProgramState* State() { return &gProgramState; }

void EnableTargets(HWND dialog) {
  for (int id = IDC_SEP_TARGET_A; id <= IDC_SEP_TARGET_D; ++id)
    EnableWindow(GetDlgItem(dialog, id), State()->SeparateMethod != 0);
}

void Open(HWND dialog) {
  ClampTableFields(kTable, State());
  OpenDialogFrame(&gFrame, &kSpec, dialog);
  for (int16_t*& plane : gPlanes) DialogFrameOwnBlock(&gFrame, &plane);
  ShowControlTable(dialog, kTable, State());
  EnableTargets(dialog);
}

// The buffers that receive the planes, in the order of kPlanes.
int Receivers(const ProgramState* ps, int buffers[3]) {
  if (ps->SeparateMethod != 0) {
    buffers[0] = ps->TargetBuffer;
    return 1;
  }
  int n = 0;
  for (int b = 1; b <= kBufferCount; ++b)
    if (b != ps->TargetBuffer) buffers[n++] = b;
  return n;
}

ApplyOutcome Separate(DialogFrame* frame, void*) {
  ProgramState* ps = frame->ps;
  const int source = ps->SourceBuffer;
  if (!IsSlotLoaded(source, ps)) {
    ShowMessageBoxF(frame->dialog, kTitleError, MB_OK | MB_ICONSTOP, "Der %s ist leer !", GetSlotName(source));
    return ApplyOutcome::kDone;
  }
  ImageHeader header;
  ImageMetadata metadata;
  GetSlotHeader(&header, source, ps);
  GetSlotMetadata(&metadata, source, ps);
  if (header.colourType != kColourRgb) {
    ShowMessageBox(frame->dialog, "Das Bild ist kein Farbbild !", kTitleError, MB_OK | MB_ICONSTOP);
    return ApplyOutcome::kEndFailed;
  }
  int buffers[3];
  const int count = Receivers(ps, buffers);
  ImageHeader plane = header;
  plane.colourType = 0;
  for (int i = 0; i < count; ++i)
    if (!AllocPixels(&gPlanes[i], &plane)) return ApplyOutcome::kDone;   // the frame frees those had
  const ImageResult r = ExtractColourPlanes(GetSlotPixels(source, ps), &header, ps->SeparateMethod, gPlanes[0],
                                            gPlanes[1], gPlanes[2]);
  if (ShowImageResult(frame->dialog, r)) return ApplyOutcome::kDone;
  for (int i = 0; i < count; ++i) {
    const Plane& p = kPlanes[ps->SeparateMethod][i];
    plane.colourType = p.colourType;
    ImageMetadata named = metadata;
    lstrcpynA(named.path, p.name, sizeof named.path);
    // Every buffer that is overwritten keeps its picture as its undo copy.
    SaveUndoOf(buffers[i], ps);
    if (InstallImage(buffers[i], ps, gPlanes[i], &plane, &named)) gPlanes[i] = nullptr;
  }
  return ApplyOutcome::kDone;
}

BOOL Command(HWND dialog, int id, int notification) {
  if (HandleTableCommand(dialog, kTable, State(), id, notification)) {
    EnableTargets(dialog);
    return TRUE;
  }
  if (HandleTargetRadio(&gFrame, id)) return TRUE;
  switch (id) {
    case IDC_SEP_OK:
      CommitDialogFrame(&gFrame, Separate, nullptr);
      return TRUE;
    case IDC_SEP_CANCEL:
    case IDCANCEL:
      CancelDialogFrame(&gFrame);
      return TRUE;
  }
  return FALSE;
}

}  // namespace

INT_PTR CALLBACK ColourSeparationDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
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
