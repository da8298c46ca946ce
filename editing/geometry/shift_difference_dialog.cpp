// "Shift-&Differenz abziehen ...": the picture less a part of a copy of
// itself turned about a chosen centre, or shifted along the circles or the
// radii around it. The centre is a point mark over the preview, held in
// picture pixels and handed to the operator as it is (rows from the top), so
// the point marked is the point used at every reduction of the preview.
#include <windowsx.h>

#include "editing/geometry/geometry_dialogs.h"
#include "editing/geometry/geometry_ids.h"
#include "editing/geometry/source_preview.h"
#include "imagelib/gradients.h"
#include "shell/buffer_slots.h"
#include "shell/dialogkit/dialog_kit.h"
#include "shell/settings.h"

namespace {

// One shift bar shows the value of the method chosen, in tenths.
constexpr BarSpec ShiftBar(FieldRef value) {
  return {IDC_SHIFT_VALUE, IDC_SHIFT_VALUE_TEXT, -250, 250, 10, BarMap::kLinear, 0.1, BarText::kDouble, "%4.2lf",
          value};
}
constexpr BarSpec kEffectBar = {IDC_SHIFT_EFFECT, IDC_SHIFT_EFFECT_TEXT, 0, 100, 10, BarMap::kLinear, 0.01,
                                BarText::kDouble, "%4.2lf", KIT_FIELD(ProgramState, ShiftdifferenzEffect)};
constexpr BarSpec kTurnBars[] = {ShiftBar(KIT_FIELD(ProgramState, Angle)), kEffectBar};
constexpr BarSpec kTangentBars[] = {ShiftBar(KIT_FIELD(ProgramState, Tangent)), kEffectBar};
constexpr BarSpec kRadiusBars[] = {ShiftBar(KIT_FIELD(ProgramState, Radius)), kEffectBar};
constexpr RadioSpec kRadios[] = {{IDC_SHIFT_TURN, 3, SHIFT_TURN, KIT_FIELD(ProgramState, ShiftdifferenzMethod)}};
// By method: its bar, the effect and the method radios.
constexpr ControlTable kTables[] = {{kTurnBars, kRadios, {}, {}},
                                    {kTangentBars, kRadios, {}, {}},
                                    {kRadiusBars, kRadios, {}, {}}};
constexpr const char* kValueLabels[] = {"Winkel [°]", "Tangente [Pix]", "Radius [Pix]"};

constexpr DialogFrameSpec kSpec = {
    kHotKeyShift, "Abzug eines geshifteten Bildanteils von %s",  kSectionShiftdifferenz, IDC_SHIFT_TARGET_A,
    IDC_SHIFT_OK, kFrameNeedsPicture | kFrameUndoTarget,          nullptr,                nullptr,
};
constexpr PreviewPaneSpec kPane = {IDC_SHIFT_PREVIEW, IDC_SHIFT_HSCROLL, IDC_SHIFT_VSCROLL,
                                   IDC_SHIFT_MINUS,   IDC_SHIFT_PLUS,    0};
constexpr COLORREF kMarkColour = RGB(0, 255, 0);

// The four move buttons and the hot keys' ten-pixel steps.
struct Move {
  int id;
  void (*step)(MarkerRecord*, int32_t);
  int32_t pixels;
};
constexpr Move kMoves[] = {
    {IDC_SHIFT_DOWN, MoveShiftMarkerDown, 1},     {IDC_SHIFT_RIGHT, MoveShiftMarkerRight, 1},
    {IDC_SHIFT_LEFT, MoveShiftMarkerLeft, 1},     {IDC_SHIFT_UP, MoveShiftMarkerUp, 1},
    {IDC_SHIFT_DOWN10, MoveShiftMarkerDown, 10},  {IDC_SHIFT_RIGHT10, MoveShiftMarkerRight, 10},
    {IDC_SHIFT_LEFT10, MoveShiftMarkerLeft, 10},  {IDC_SHIFT_UP10, MoveShiftMarkerUp, 10},
};

DialogFrame gFrame;
PreviewPane gPane;
int32_t gReduction = 1;          // kept between openings
SourcePreview gSource;
int16_t* gResult = nullptr;      // the result, until a buffer takes it
MarkerRecord gCentre;            // in pixels of the whole picture
bool gHaveCentre = false;

ProgramState* State() { return &gProgramState; }
const ControlTable& Table() { return kTables[State()->ShiftdifferenzMethod]; }

void ShowMethod(HWND dialog) {
  ShowControlTable(dialog, Table(), State());
  SetDlgItemTextA(dialog, IDC_SHIFT_VALUE_LABEL, kValueLabels[State()->ShiftdifferenzMethod]);
}

void Refresh() { ShowSourcePreview(&gFrame, &gPane, &gSource); }

void DrawCentre(void*, HDC dc, const PreviewMapping* map) {
  if (!gHaveCentre) return;
  PlaceMarkerOnPane(&gCentre, dc, map);
  DrawShiftMarker(&gCentre);
}

// true when the focus was put on "&Abbrechen".
bool Open(HWND dialog) {
  ProgramState* ps = State();
  for (const ControlTable& t : kTables) ClampTableFields(t, ps);   // an Effect above 1 from the file too
  const FrameSource source = OpenDialogFrame(&gFrame, &kSpec, dialog);
  gHaveCentre = false;
  InitPreviewPane(&gPane, &kPane, dialog, &gReduction);
  DialogFrameOwnPane(&gFrame, &gPane);
  ShowMethod(dialog);
  DialogFrameOwnBlock(&gFrame, &gResult);
  if (source != FrameSource::kOk) {
    SetFocus(GetDlgItem(dialog, IDC_SHIFT_CANCEL));
    return true;
  }
  if (!TakeSourcePreview(&gFrame, &gPane, &gSource, &gResult)) return false;
  const ImageHeader& h = gSource.header;
  gHaveCentre = InitShiftMarker(PaneMarkerView(&gPane), -1, -1, h.width, h.height, kMarkColour, 1.0 / gReduction, 0,
                                &gCentre) == 1;
  SetPreviewOverlay(&gPane, DrawCentre, nullptr);
  return false;
}

ApplyOutcome Subtract(DialogFrame* frame, void*) {
  ProgramState* ps = frame->ps;
  const double values[] = {ps->Angle, ps->Tangent, ps->Radius};
  const int32_t method = ps->ShiftdifferenzMethod;
  const int32_t* centre = gCentre.geometry;
  const ImageResult r = SubtractRotatedCopy(&gSource.header, GetSlotPixels(ps->SourceBuffer, ps), gResult, centre[0],
                                            centre[1], values[method], ps->ShiftdifferenzEffect, method);
  if (r != IMG_OK) return ApplyOutcome::kStay;
  if (InstallImage(ps->TargetBuffer, ps, gResult, &gSource.header, &gSource.metadata)) gResult = nullptr;
  return ApplyOutcome::kDone;
}

bool MoveCentre(int id) {
  for (const Move& m : kMoves) {
    if (m.id != id) continue;
    if (gHaveCentre && !DialogRunActive(&gFrame)) {
      m.step(&gCentre, m.pixels);
      RedrawPreview(&gPane);
    }
    return true;
  }
  return false;
}

// A click on the preview puts the centre there.
void PlaceCentre(LPARAM at) {
  POINT picture;
  if (!gHaveCentre || DialogRunActive(&gFrame) ||
      !PreviewPointToPicture(&gPane, POINT{GET_X_LPARAM(at), GET_Y_LPARAM(at)}, &picture))
    return;
  StepMarker(&gCentre, kStepSetPointX, picture.x);
  StepMarker(&gCentre, kStepSetPointY, picture.y);
  RedrawPreview(&gPane);
}

BOOL Command(HWND dialog, int id, int notification) {
  ProgramState* ps = State();
  if (HandleTableCommand(dialog, Table(), ps, id, notification)) {
    ShowMethod(dialog);
    return TRUE;
  }
  if (HandleTargetRadio(&gFrame, id) || MoveCentre(id)) return TRUE;
  if (HandlePreviewButton(&gPane, id)) {
    Refresh();
    return TRUE;
  }
  switch (id) {
    case IDC_SHIFT_OK:
      if (gHaveCentre) CommitDialogFrame(&gFrame, Subtract, nullptr);
      return TRUE;
    case IDC_SHIFT_CANCEL:
    case IDCANCEL:
      CancelDialogFrame(&gFrame);
      return TRUE;
  }
  return FALSE;
}

void Scroll(HWND dialog, HWND bar, WPARAM request) {
  if (HandlePreviewScroll(&gPane, bar, request))
    Refresh();
  else
    HandleTableScroll(dialog, Table(), State(), bar, request);
}

}  // namespace

INT_PTR CALLBACK ShiftDifferenceDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      return Open(dialog) ? FALSE : TRUE;
    case WM_COMMAND:
      return Command(dialog, LOWORD(wParam), HIWORD(wParam));
    case WM_HSCROLL:
    case WM_VSCROLL:
      Scroll(dialog, reinterpret_cast<HWND>(lParam), wParam);
      return TRUE;
    case WM_LBUTTONUP:
      PlaceCentre(lParam);
      return TRUE;
    case WM_DESTROY:
      DialogFrameDestroyed(&gFrame);
      return FALSE;
  }
  return FALSE;
}
