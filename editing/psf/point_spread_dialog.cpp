#include "editing/psf/point_spread_dialog.h"

#include <windowsx.h>

#include "editing/psf/point_spread_ids.h"
#include "shell/buffer_slots.h"
#include "shell/dialogkit/dialog_kit.h"
#include "shell/settings.h"

namespace {

constexpr DialogFrameSpec kSpec = {
    kHotKeyPointSpread, nullptr, kSectionPSF, 0, IDC_PSF_OK, kFrameNeedsPicture | kFrameEndsOnRefusal,
    nullptr,            nullptr,
};
// The picture is shown pixel for pixel: no "-" and "+".
constexpr PreviewPaneSpec kPane = {IDC_PSF_PREVIEW, IDC_PSF_HSCROLL, IDC_PSF_VSCROLL, 0, 0, 0};
constexpr BarSpec kBars[] = {
    {IDC_PSF_WIDTH_BAR, IDC_PSF_WIDTH_TEXT, 2, 22, 1, BarMap::kOddHalf, 1.0, BarText::kLong, "%ld",
     KIT_FIELD(ProgramState, PSFwidth)},
    {IDC_PSF_HEIGHT_BAR, IDC_PSF_HEIGHT_TEXT, 2, 22, 1, BarMap::kOddHalf, 1.0, BarText::kLong, "%ld",
     KIT_FIELD(ProgramState, PSFheight)},
};
constexpr RadioSpec kRadios[] = {{IDC_PSF_STAR, 3, 0, KIT_FIELD(ProgramState, PSFMethod)}};
constexpr ControlTable kTable = {kBars, kRadios, {}, {}};

// The box moves: buttons by 1, the commands of the shifted arrow keys by 10.
struct BoxMove {
  int id;
  void (*move)(MarkerRecord*, int32_t);
  int32_t step;
};
constexpr BoxMove kMoves[] = {
    {IDC_PSF_UP, MoveBoxMarkerUp, 1},          {IDC_PSF_DOWN, MoveBoxMarkerDown, 1},
    {IDC_PSF_LEFT, MoveBoxMarkerLeft, 1},      {IDC_PSF_RIGHT, MoveBoxMarkerRight, 1},
    {IDC_PSF_UP_10, MoveBoxMarkerUp, 10},      {IDC_PSF_DOWN_10, MoveBoxMarkerDown, 10},
    {IDC_PSF_LEFT_10, MoveBoxMarkerLeft, 10},  {IDC_PSF_RIGHT_10, MoveBoxMarkerRight, 10},
};
// What this set-up does not do: the measurement, a PSF file, rotation, zoom.
constexpr int kIdle[] = {IDC_PSF_MEASURE, IDC_PSF_CHOOSE, IDC_PSF_CLOCKWISE, IDC_PSF_ANTICLOCKWISE,
                         IDC_PSF_MINUS, IDC_PSF_PLUS};

DialogFrame gFrame;
PreviewPane gPane;
int32_t gReduction = 1;
ImageHeader gHeader;
MarkerRecord gBox;

ProgramState* State() { return &gProgramState; }

void DrawBox(void*, HDC dc, const PreviewMapping* map) {
  PlaceMarkerOnPane(&gBox, dc, map);
  DrawMarker(&gBox);
}

void ShowPicture() {
  ShowPreviewSamples(&gPane, GetSlotPixels(gFrame.ps->SourceBuffer, gFrame.ps), &gHeader);
}

// The source buttons: the buffers that hold no picture cannot be chosen;
// "Da&tei" is ticked, as no file is chosen here.
void ShowSources(HWND dialog) {
  for (int b = 1; b <= kBufferCount; ++b)
    EnableWindow(GetDlgItem(dialog, IDC_PSF_BUFFER_A + b - 1), IsSlotLoaded(b, State()) != 0);
  CheckRadioButton(dialog, IDC_PSF_FILE, IDC_PSF_BUFFER_D, IDC_PSF_FILE);
}

void Open(HWND dialog) {
  ProgramState* ps = State();
  if (OpenDialogFrame(&gFrame, &kSpec, dialog) != FrameSource::kOk) return;
  gReduction = 1;
  InitPreviewPane(&gPane, &kPane, dialog, &gReduction);
  DialogFrameOwnPane(&gFrame, &gPane);
  GetSlotHeader(&gHeader, ps->SourceBuffer, ps);
  const SIZE size = {gHeader.width, gHeader.height};
  SetPreviewPicture(&gPane, &size);
  ClampTableFields(kTable, ps);
  ShowControlTable(dialog, kTable, ps);
  ShowSources(dialog);
  for (int id : kIdle) EnableWindow(GetDlgItem(dialog, id), FALSE);
  // The box in picture pixels, centred; the pane puts it over the preview.
  InitBoxMarker(PaneMarkerView(&gPane), -1, -1, gHeader.width, gHeader.height, ps->PSFwidth, ps->PSFheight,
                kShapeOutline, 1, RGB(0, 255, 0), 1.0, 0, &gBox);
  SetPreviewOverlay(&gPane, DrawBox, nullptr);
  ShowPicture();
}

// A click on the picture centres the box there, kept inside the picture as
// the box's steps keep it.
void PlaceBox(POINT inDialog) {
  POINT at;
  if (!PreviewPointToPicture(&gPane, inDialog, &at)) return;
  int32_t* g = gBox.geometry;
  const int32_t w = g[2], h = g[3];
  const int32_t x = at.x - w / 2, y = at.y - h / 2;
  const int32_t maxX = gHeader.width - w - 1, maxY = gHeader.height - h - 1;
  g[0] = x > maxX ? maxX : x;
  g[1] = y > maxY ? maxY : y;
  if (g[0] < 1) g[0] = 1;
  if (g[1] < 1) g[1] = 1;
  RedrawPreview(&gPane);
}

bool MoveBox(int id) {
  for (const BoxMove& m : kMoves) {
    if (m.id != id) continue;
    m.move(&gBox, m.step);
    RedrawPreview(&gPane);
    return true;
  }
  return false;
}

// The box follows a new size about its centre where it still fits.
void ResizeBox() {
  SetBoxMarkerSize(&gBox, State()->PSFwidth, State()->PSFheight);
  RedrawPreview(&gPane);
}

BOOL Command(HWND dialog, int id, int notification) {
  if (!gFrame.open) return FALSE;
  if (MoveBox(id)) return TRUE;
  if (HandleTableCommand(dialog, kTable, State(), id, notification)) return TRUE;
  if (id >= IDC_PSF_FILE && id <= IDC_PSF_BUFFER_D) {
    // A buffer is the source from now on; "Da&tei" only moves the tick.
    if (id == IDC_PSF_FILE || IsSlotLoaded(id - IDC_PSF_FILE, State())) {
      if (id != IDC_PSF_FILE) State()->SourceBuffer = id - IDC_PSF_FILE;
      CheckRadioButton(dialog, IDC_PSF_FILE, IDC_PSF_BUFFER_D, id);
    }
    return TRUE;
  }
  switch (id) {
    case IDC_PSF_OK:
      CommitDialogFrame(&gFrame, nullptr, nullptr);
      return TRUE;
    case IDC_PSF_CANCEL:
    case IDCANCEL:
      CancelDialogFrame(&gFrame);
      return TRUE;
  }
  return FALSE;
}

BOOL Scroll(HWND dialog, HWND control, WPARAM request) {
  if (HandleTableScroll(dialog, kTable, State(), control, request)) {
    ResizeBox();
  } else if (HandlePreviewScroll(&gPane, control, request)) {
    ShowPicture();
  }
  return TRUE;
}

}  // namespace

INT_PTR CALLBACK PointSpreadDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      Open(dialog);
      return TRUE;
    case WM_COMMAND:
      return Command(dialog, LOWORD(wParam), HIWORD(wParam));
    case WM_HSCROLL:
    case WM_VSCROLL:
      return Scroll(dialog, reinterpret_cast<HWND>(lParam), wParam);
    case WM_LBUTTONUP:
      if (gFrame.open) PlaceBox(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
      return TRUE;
    case WM_DESTROY:
      DialogFrameDestroyed(&gFrame);
      return FALSE;
  }
  return FALSE;
}

INT_PTR OpenPointSpreadDialog(HWND owner) {
  char name[32];
  ChooseDialogTemplate(name, sizeof name, "POINTSPREADFCT", kSizesByLines, gProgramState.ScreenHeight);
  return DialogBoxParamA(GetModuleHandleA(nullptr), name, owner, PointSpreadDlgProc, 0);
}
