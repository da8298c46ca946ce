// "Aufrichten, &Entzerren, Vergrößern ...": scales the active buffer's
// picture by 0.1 to 10, turns it by a position angle, corrects non-square
// pixels and, magnified, can keep the source size around a chosen centre.
// A four-corner mark over the preview outlines what the result will hold;
// it is kept in picture pixels, so scrolling and "-"/"+" only place it anew.
#include <windowsx.h>

#include "editing/geometry/geometry_dialogs.h"
#include "editing/geometry/geometry_ids.h"
#include "editing/geometry/scaling_plan.h"
#include "editing/geometry/source_preview.h"
#include "imagelib/matrix.h"
#include "imagelib/primitives.h"
#include "imagelib/resample.h"
#include "shell/buffer_slots.h"
#include "shell/dialogkit/dialog_kit.h"
#include "shell/message_box.h"
#include "shell/settings.h"

namespace {

constexpr BarSpec kBars[] = {{IDC_SCALE_FACTOR, IDC_SCALE_FACTOR_TEXT, 0, 180, 10, BarMap::kMagnification, 1.0,
                              BarText::kDouble, "%4.2lf", KIT_FIELD(ProgramState, Scale)}};
constexpr RadioSpec kRadios[] = {{IDC_SCALE_PICK_UP, 2, kMinifyPickUp, KIT_FIELD(ProgramState, Minification)},
                                 {IDC_SCALE_NEAREST, 3, 2, KIT_FIELD(ProgramState, EnlargeMethod)}};
constexpr CheckSpec kChecks[] = {{IDC_SCALE_SECTION, KIT_FIELD(ProgramState, IsSection), false}};
// Pixel sizes above 0 only: a typed 0 or less keeps the size there was.
constexpr NumberSpec kNumbers[] = {
    {IDC_SCALE_WIDTH, KIT_FIELD(ProgramState, Pixelwidth), 0.01, 10000.0, "%4.2lf", true},
    {IDC_SCALE_HEIGHT, KIT_FIELD(ProgramState, Pixelheight), 0.01, 10000.0, "%4.2lf", true}};
constexpr ControlTable kTable = {kBars, kRadios, kChecks, kNumbers};

constexpr DialogFrameSpec kSpec = {
    kHotKeyEnlarge, "Skalieren, Entzerren und Aufrichten von %s", kSectionEnlarge, IDC_SCALE_TARGET_A,
    IDC_SCALE_OK,   kFrameNeedsPicture | kFrameUndoTarget,        nullptr,         nullptr,
};
constexpr PreviewPaneSpec kPane = {IDC_SCALE_PREVIEW, IDC_SCALE_HSCROLL, IDC_SCALE_VSCROLL,
                                   IDC_SCALE_MINUS,   IDC_SCALE_PLUS,    0};
constexpr COLORREF kMarkColour = RGB(0, 255, 0);
constexpr double kDegree = 0.017453292519943295;

// The centre's moves: one or ten steps of the factor in box pixels, which
// move the outline by one or ten picture pixels.
struct Move {
  int id;
  int (*step)(MarkerRecord*, int32_t);
  int32_t steps;
};
constexpr Move kMoves[] = {
    {IDC_SCALE_DOWN, MoveQuadMarkerDown, 1},    {IDC_SCALE_RIGHT, MoveQuadMarkerRight, 1},
    {IDC_SCALE_LEFT, MoveQuadMarkerLeft, 1},    {IDC_SCALE_UP, MoveQuadMarkerUp, 1},
    {IDC_SCALE_DOWN10, MoveQuadMarkerDown, 10}, {IDC_SCALE_RIGHT10, MoveQuadMarkerRight, 10},
    {IDC_SCALE_LEFT10, MoveQuadMarkerLeft, 10}, {IDC_SCALE_UP10, MoveQuadMarkerUp, 10},
};
// The position angle's buttons and hot keys, in degrees.
struct Turn {
  int id;
  double degrees;
};
constexpr Turn kTurns[] = {{IDC_SCALE_CLOCKWISE, 0.5},
                           {IDC_SCALE_ANTICLOCKWISE, -0.5},
                           {IDC_SCALE_CLOCKWISE5, 5.0},
                           {IDC_SCALE_ANTICLOCKWISE5, -5.0}};

DialogFrame gFrame;
PreviewPane gPane;
int32_t gReduction = 1;          // kept between openings
SourcePreview gSource;
double gAngle = 0.0;             // radians, 0 at every opening
MarkerRecord gMark;              // the four corners, in picture pixels
bool gHaveMark = false;

ProgramState* State() { return &gProgramState; }
bool Magnifying() { return State()->Scale >= 1.0; }
bool CentreMovable() { return gHaveMark && Magnifying() && State()->IsSection && !DialogRunActive(&gFrame); }

void FreeMark(void*) {
  FreeMatrix(&gMark.transform);
  FreeMatrix(&gMark.savedTransform);
  gHaveMark = false;
}

// Below a factor of 1 only the reduction's choice counts, from 1 on the
// magnification's and the section.
void EnableByFactor(HWND dialog) {
  const bool magnify = Magnifying();
  for (int id = IDC_SCALE_PICK_UP; id <= IDC_SCALE_MEAN; ++id) EnableWindow(GetDlgItem(dialog, id), !magnify);
  for (int id = IDC_SCALE_NEAREST; id <= IDC_SCALE_LANCZOS; ++id) EnableWindow(GetDlgItem(dialog, id), magnify);
  EnableWindow(GetDlgItem(dialog, IDC_SCALE_SECTION), magnify);
}

ScalingInput Input() {
  const ProgramState* ps = State();
  ScalingInput in{};
  in.width = gSource.header.width;
  in.height = gSource.header.height;
  in.scale = ps->Scale;
  in.pixelWidth = ps->Pixelwidth;
  in.pixelHeight = ps->Pixelheight;
  in.section = ps->IsSection != 0;
  in.method = ps->EnlargeMethod;
  in.minification = ps->Minification;
  for (int i = 0; i < 4; ++i) in.box[i] = gMark.geometry[i];
  return in;
}

// The mark takes a new factor, section switch, angle or pixel shape; it
// keeps its old transform where the new one cannot be built.
void UpdateMark() {
  if (!gHaveMark) return;
  const ProgramState* ps = State();
  SetQuadMarkerParams(ps->Scale, 0, gAngle, ps->Pixelwidth, ps->Pixelheight, &gMark);
  gMark.outline = ps->IsSection ? 1 : 0;
  RedrawPreview(&gPane);
}

void Refresh() { ShowSourcePreview(&gFrame, &gPane, &gSource); }

void DrawMark(void*, HDC dc, const PreviewMapping* map) {
  if (!gHaveMark) return;
  PlaceMarkerOnPane(&gMark, dc, map);
  DrawQuadMarker(&gMark);
}

void Refuse(HWND dialog, const char* text) {
  ShowMessageBox(dialog, text, kTitleError, MB_OK | MB_ICONSTOP);
  SetFocus(GetDlgItem(dialog, IDC_SCALE_CANCEL));
  EnableWindow(GetDlgItem(dialog, IDC_SCALE_OK), FALSE);
}

// true when the focus was put on "&Abbrechen".
bool Open(HWND dialog) {
  ProgramState* ps = State();
  ClampTableFields(kTable, ps);
  const FrameSource source = OpenDialogFrame(&gFrame, &kSpec, dialog);
  gAngle = 0.0;
  gHaveMark = false;
  // The pane first: setting the edits already sends commands.
  InitPreviewPane(&gPane, &kPane, dialog, &gReduction);
  DialogFrameOwnPane(&gFrame, &gPane);
  ShowControlTable(dialog, kTable, ps);
  EnableByFactor(dialog);
  DialogFrameAtExit(&gFrame, FreeMark, nullptr);
  if (source != FrameSource::kOk) {
    SetFocus(GetDlgItem(dialog, IDC_SCALE_CANCEL));
    return true;
  }
  TakeSourcePreview(&gFrame, &gPane, &gSource, nullptr);
  const ImageHeader& h = gSource.header;
  gHaveMark = InitQuadMarker(PaneMarkerView(&gPane), 0, 0, h.width, h.height, h.width, h.height, kMarkColour, ps->Scale,
                             ps->IsSection ? 1 : 0, gAngle, ps->Pixelwidth, ps->Pixelheight, 1.0 / gReduction, 0,
                             &gMark) == 1;
  if (!gHaveMark) {
    Refuse(dialog, "Keine Cursorinitialisierung");
    return true;
  }
  SetPreviewOverlay(&gPane, DrawMark, nullptr);
  return false;
}

ApplyOutcome Scale(DialogFrame* frame, void* context) {
  ProgramState* ps = frame->ps;
  const ScalingPlan& plan = *static_cast<const ScalingPlan*>(context);
  // The pixel shape enters through the source's pixel scales; the result
  // keeps the buffer's own.
  ImageHeader source = gSource.header, result = gSource.header;
  source.xScale = ps->Pixelwidth;
  source.yScale = ps->Pixelheight;
  result.width = plan.width;
  result.height = plan.height;
  int16_t* out = nullptr;
  int16_t* smoothed = nullptr;
  const int16_t* from = GetSlotPixels(ps->SourceBuffer, ps);
  if (!AllocPixels(&out, &result)) return ApplyOutcome::kDone;   // no memory: nothing changes
  if (plan.smoothRadius > 0) {
    if (!AllocPixels(&smoothed, &source)) {
      FreeMem(&out);
      return ApplyOutcome::kDone;
    }
    const ImageRect whole = {0, 0, source.width, source.height};
    SmoothRect(smoothed, from, &source, &whole, plan.smoothRadius);
    from = smoothed;
  }
  const ImageResult r =
      ResampleImage(&source, &result, from, out, plan.centreX, plan.centreY, gAngle, ps->Scale, plan.mode);
  FreeMem(&smoothed);
  if (r != IMG_OK) {
    ShowMessageBoxF(frame->dialog, kTitleError, MB_OK | MB_ICONSTOP, "Fehlercode %ld !", long(r));
    FreeMem(&out);
    return ApplyOutcome::kDone;
  }
  if (!InstallImage(ps->TargetBuffer, ps, out, &result, &gSource.metadata)) FreeMem(&out);
  return ApplyOutcome::kDone;
}

void Confirm(HWND dialog) {
  if (!gHaveMark || DialogRunActive(&gFrame)) return;
  // The focus may still sit in a pixel size.
  if (!ReadNumberFields(dialog, kTable, State())) return;
  ScalingPlan plan;
  if (!PlanScaling(Input(), &plan)) {
    ShowMessageBox(dialog, "Das Ergebnis wäre kleiner als ein Pixel !", kTitleError, MB_OK | MB_ICONSTOP);
    return;
  }
  CommitDialogFrame(&gFrame, Scale, &plan);
}

bool MoveCentre(int id) {
  for (const Move& m : kMoves) {
    if (m.id != id) continue;
    if (CentreMovable()) {
      const int32_t step = int32_t(State()->Scale + 0.5);
      m.step(&gMark, m.steps * step);
      RedrawPreview(&gPane);
    }
    return true;
  }
  return false;
}

bool TurnMark(int id) {
  for (const Turn& t : kTurns) {
    if (t.id != id) continue;
    if (gHaveMark && !DialogRunActive(&gFrame)) {
      gAngle += t.degrees * kDegree;
      UpdateMark();
    }
    return true;
  }
  return false;
}

// A click on the preview puts the middle of what the result will show
// there; the step is undone when the outline would leave the picture.
void PlaceCentre(LPARAM at) {
  POINT picture;
  if (!CentreMovable() || !PreviewPointToPicture(&gPane, POINT{GET_X_LPARAM(at), GET_Y_LPARAM(at)}, &picture))
    return;
  int32_t x = 0, y = 0;
  if (!SectionBoxForPoint(Input(), gAngle, picture.x, picture.y, &x, &y)) return;
  int32_t* g = gMark.geometry;
  gMark.previous[0] = g[0];
  gMark.previous[1] = g[1];
  g[0] = x;
  g[1] = y;
  if (!UpdateQuadMarker(&gMark)) {
    g[0] = gMark.previous[0];
    g[1] = gMark.previous[1];
  }
  RedrawPreview(&gPane);
}

BOOL Command(HWND dialog, int id, int notification) {
  ProgramState* ps = State();
  if (HandleTableCommand(dialog, kTable, ps, id, notification)) {
    // The interpolation radios do not change what the mark outlines.
    if (id == IDC_SCALE_SECTION || id == IDC_SCALE_WIDTH || id == IDC_SCALE_HEIGHT) UpdateMark();
    return TRUE;
  }
  if (HandleTargetRadio(&gFrame, id) || MoveCentre(id) || TurnMark(id)) return TRUE;
  if (HandlePreviewButton(&gPane, id)) {
    Refresh();
    return TRUE;
  }
  switch (id) {
    case IDC_SCALE_OK:
      Confirm(dialog);
      return TRUE;
    case IDC_SCALE_CANCEL:
    case IDCANCEL:
      CancelDialogFrame(&gFrame);
      return TRUE;
  }
  return FALSE;
}

void Scroll(HWND dialog, HWND bar, WPARAM request) {
  if (HandlePreviewScroll(&gPane, bar, request)) {
    Refresh();
  } else {
    const double before = State()->Scale;
    if (HandleTableScroll(dialog, kTable, State(), bar, request) && State()->Scale != before) {
      EnableByFactor(dialog);
      UpdateMark();
    }
  }
}

}  // namespace

INT_PTR CALLBACK ScaleRectifyDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
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
