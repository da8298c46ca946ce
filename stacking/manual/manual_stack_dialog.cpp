#include "stacking/manual/manual_stack_dialog.h"

#include <cstdio>

#include "imageio/picture_files.h"
#include "imagelib/summation.h"
#include "shell/buffer_slots.h"
#include "shell/choosers/file_choosers.h"
#include "shell/dialogkit/dialog_kit.h"
#include "shell/message_box.h"
#include "stacking/manual/manual_overlay.h"
#include "stacking/manual/manual_stack_ids.h"

namespace {

constexpr DialogFrameSpec kSpec = {kHotKeyManual, nullptr, 0, 0, IDC_MAN_OK, kFrameUndoTarget, nullptr, nullptr};
// Always 1:1: no "-" and "+".
constexpr PreviewPaneSpec kPane = {IDC_MAN_PREVIEW, IDC_MAN_HSCROLL, IDC_MAN_VSCROLL, 0, 0, 0};

// The placing buttons: "Rechts" moves the picture's columns onto smaller
// columns of the mean, "&Uhr" turns it by -0.1 degree.
struct Placing {
  int id;
  int32_t dx, dy;
  int turn;
};
constexpr Placing kPlacings[] = {
    {IDC_MAN_RIGHT, -1, 0, 0}, {IDC_MAN_LEFT, 1, 0, 0},      {IDC_MAN_DOWN, 0, -1, 0},
    {IDC_MAN_UP, 0, 1, 0},     {IDC_MAN_CLOCKWISE, 0, 0, -1}, {IDC_MAN_ANTICLOCKWISE, 0, 0, 1},
};

DialogFrame gFrame;
PreviewPane gPane;
int32_t gReduction = 1;
ImageHeader gHeader;             // the current picture
ImageMetadata gMetadata;
int16_t* gPicture;
ImageHeader gSumHeader;          // the first picture's
ImageMetadata gSumMetadata;
int32_t* gSum;
uint32_t* gCount;
int16_t* gMean;                  // sum / count after each addition
int32_t gAdded;
bool gShowingMean;               // the preview shows the mean, not the placed picture

ProgramState* State() { return &gProgramState; }

void EnableItem(int id, bool on) { EnableWindow(GetDlgItem(gFrame.dialog, id), on); }

void ResetPlacing() {
  OverlayShiftRecord& p = State()->OverlayShift;
  p.X = p.Y = 0;
  p.Angle = 0.0;
}

void Refresh() {
  if (gShowingMean && gMean) {
    ShowPreviewSamples(&gPane, gMean, &gSumHeader);
  } else if (gPicture) {
    DrawManualStackPreview(gFrame.dialog, &gPane, &gHeader, State(), gPicture, gMean, gAdded);
  } else {
    SetPreviewBitmap(&gPane, nullptr);
  }
}

// A new picture starts at the top left of its preview.
void ShowPictureSize(const ImageHeader& h) {
  const SIZE size = {h.width, h.height};
  SetPreviewPicture(&gPane, &size);
  gPane.posX = gPane.posY = 0;
  SetScrollPos(GetDlgItem(gFrame.dialog, IDC_MAN_HSCROLL), SB_CTL, 0, TRUE);
  SetScrollPos(GetDlgItem(gFrame.dialog, IDC_MAN_VSCROLL), SB_CTL, 0, TRUE);
}

void FreeSum() {
  FreeMem(&gSum);
  FreeMem(&gCount);
  FreeMem(&gMean);
}

// Before the first addition the sum takes the size of the picture loaded.
bool PrepareSum() {
  FreeSum();
  const size_t pixels = size_t(gHeader.width) * size_t(gHeader.height);
  gSum = static_cast<int32_t*>(AllocArray(pixels * SamplesPerPixel(&gHeader), sizeof(int32_t)));
  gCount = static_cast<uint32_t*>(AllocArray(pixels, sizeof(uint32_t)));
  AllocPixels(&gMean, &gHeader);
  if (!gSum || !gCount || !gMean) {
    FreeSum();
    return false;
  }
  gSumHeader = gHeader;
  gSumMetadata = gMetadata;
  return true;
}

void Open(HWND dialog) {
  ProgramState* ps = State();
  OpenDialogFrame(&gFrame, &kSpec, dialog, ps);
  gPicture = nullptr;
  gSum = nullptr;
  gCount = nullptr;
  gMean = nullptr;
  gAdded = 0;
  gShowingMean = false;
  InitImageHeader(&gHeader);
  InitImageHeader(&gSumHeader);
  DialogFrameOwnBlock(&gFrame, &gPicture);
  DialogFrameOwnBlock(&gFrame, &gSum);
  DialogFrameOwnBlock(&gFrame, &gCount);
  DialogFrameOwnBlock(&gFrame, &gMean);
  InitPreviewPane(&gPane, &kPane, dialog, &gReduction);
  DialogFrameOwnPane(&gFrame, &gPane);
  ResetPlacing();
  const char* target = GetSlotName(ps->TargetBuffer);
  SetDlgItemTextA(dialog, IDC_MAN_TARGET, target ? target : "");
  SetDlgItemTextA(dialog, IDC_MAN_NUMBER, "leer");
  EnableItem(IDC_MAN_OK, false);
  EnableItem(IDC_MAN_ADD, false);
}

void LoadNext() {
  ProgramState* ps = State();
  const HWND dialog = gFrame.dialog;
  char name[kChoiceTextSize], directory[kChoiceTextSize], extension[kChoiceExtensionSize], drive = 0;
  if (ShowPictureOpenDialog(ps->SeriesPath, name, directory, extension, &drive, ps->CurrentPath, kPictureOpenFilter,
                            "Nächstes Bild laden ...", dialog) != 1) {
    SetDlgItemTextA(dialog, IDC_MAN_NAME, "Keines");
    return;
  }
  SetDlgItemTextA(dialog, IDC_MAN_NAME, name);
  FreeMem(&gPicture);
  gShowingMean = true;   // until a picture is there, the mean (or nothing)
  EnableItem(IDC_MAN_ADD, false);
  InitImageHeader(&gHeader);
  InitImageMetadata(&gMetadata);
  if (!LoadImageFile(ps->SeriesPath, extension, 1, &gPicture, &gHeader, &gMetadata) || !gPicture ||
      gHeader.width < 1 || gHeader.height < 1) {
    FreeMem(&gPicture);
    ShowMessageBoxF(dialog, kTitleError, MB_OK | MB_ICONSTOP, "Bild %s nicht ladbar !", ps->SeriesPath);
    Refresh();
    return;
  }
  if (gAdded > 0 && (gHeader.width != gSumHeader.width || gHeader.height != gSumHeader.height ||
                     (gHeader.colourType == kColourRgb) != (gSumHeader.colourType == kColourRgb))) {
    FreeMem(&gPicture);
    ShowMessageBox(dialog, "Neues Bild paßt nicht zu den anderen !", kTitleError, MB_OK | MB_ICONSTOP);
    Refresh();
    return;
  }
  if (gAdded == 0 && !PrepareSum()) {
    FreeMem(&gPicture);
    ShowMessageBox(dialog, "Nicht genug Speicher !", kTitleError, MB_OK | MB_ICONSTOP);
    Refresh();
    return;
  }
  ShowPictureSize(gHeader);
  ResetPlacing();
  gShowingMean = false;
  EnableItem(IDC_MAN_ADD, true);
  Refresh();
}

bool Place(int id) {
  for (const Placing& p : kPlacings) {
    if (p.id != id) continue;
    // The first picture added is the reference: nothing to place before it.
    if (!gPicture || gAdded == 0) return true;
    OverlayShiftRecord& shift = State()->OverlayShift;
    shift.X += p.dx;
    shift.Y += p.dy;
    shift.Angle += p.turn * kManualAngleStep;
    gShowingMean = false;
    Refresh();
    return true;
  }
  return false;
}

void Add() {
  ProgramState* ps = State();
  EnableItem(IDC_MAN_ADD, false);
  if (!gPicture || !gSum) return;
  // The picture goes in as the preview showed it: turned, then shifted.
  int16_t* placed = nullptr;
  if (!AllocPixels(&placed, &gHeader)) return;
  ImageResult result = PlaceManualPicture(gPicture, &gHeader, ps->OverlayShift.Angle, placed);
  if (result == IMG_OK) {
    ImageRect all;
    MakeRect(&all, 0, 0, gHeader.width, gHeader.height);
    const int32_t shift[2] = {ps->OverlayShift.X, ps->OverlayShift.Y};
    result = AddShiftedFrame(&all, shift, &gHeader, placed, &gSumHeader, gSum, gCount, gAdded, 0, 0);
  }
  FreeMem(&placed);
  if (result != IMG_OK) return;
  ++gAdded;
  char text[32];
  std::snprintf(text, sizeof text, "Bild %ld", long(gAdded));
  SetDlgItemTextA(gFrame.dialog, IDC_MAN_NUMBER, text);
  DivideSumByCount(&gSumHeader, &gSumHeader, gMean, gSum, gCount, 0, nullptr);
  EnableItem(IDC_MAN_OK, true);
  gShowingMean = true;
  Refresh();
}

// The mean into a new picture of the sum's size, whatever was loaded last.
ApplyOutcome InstallMean(DialogFrame* frame, void*) {
  if (!gSum || gAdded == 0) return ApplyOutcome::kStay;
  int16_t* mean = nullptr;
  if (!AllocPixels(&mean, &gSumHeader) ||
      DivideSumByCount(&gSumHeader, &gSumHeader, mean, gSum, gCount, 0, nullptr) != IMG_OK) {
    FreeMem(&mean);
    ShowMessageBox(frame->dialog, "Nicht genug Speicher !", kTitleError, MB_OK | MB_ICONSTOP);
    return ApplyOutcome::kStay;
  }
  ImageMetadata metadata = gSumMetadata;
  std::snprintf(metadata.path, sizeof metadata.path, "Von Hand überlagertes Bild");
  if (!InstallImage(frame->ps->TargetBuffer, frame->ps, mean, &gSumHeader, &metadata)) FreeMem(&mean);
  return ApplyOutcome::kDone;
}

BOOL Command(int id) {
  if (!gFrame.open) return FALSE;
  if (Place(id)) return TRUE;
  switch (id) {
    case IDC_MAN_NEXT:
      LoadNext();
      return TRUE;
    case IDC_MAN_ADD:
      if (IsWindowEnabled(GetDlgItem(gFrame.dialog, IDC_MAN_ADD))) Add();
      return TRUE;
    case IDC_MAN_OK:
      CommitDialogFrame(&gFrame, InstallMean, nullptr);
      return TRUE;
    case IDC_MAN_CANCEL:
    case IDCANCEL:
      CancelDialogFrame(&gFrame);
      return TRUE;
  }
  return FALSE;
}

}  // namespace

int DrawManualStackPreview(HWND, PreviewPane* pane, const ImageHeader* header, const ProgramState* ps,
                           const int16_t* current, const int16_t* mean, int32_t added) {
  int16_t* work = nullptr;
  if (!current || !AllocPixels(&work, header)) return 0;
  if (added > 0 && mean) {
    const OverlayShiftRecord& p = ps->OverlayShift;
    if (PlaceManualPicture(current, header, p.Angle, work) != IMG_OK) {
      FreeMem(&work);
      return 0;
    }
    BlendWithMean(work, mean, header, p.X, p.Y, work);
  } else {
    PlaceManualPicture(current, header, 0.0, work);
  }
  ShowPreviewSamples(pane, work, header);
  FreeMem(&work);
  return 1;
}

INT_PTR CALLBACK ManualStackDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      Open(dialog);
      return TRUE;
    case WM_COMMAND:
      return Command(LOWORD(wParam));
    case WM_HSCROLL:
    case WM_VSCROLL:
      if (gFrame.open && HandlePreviewScroll(&gPane, reinterpret_cast<HWND>(lParam), wParam)) Refresh();
      return TRUE;
    case WM_DESTROY:
      DialogFrameDestroyed(&gFrame);
      return FALSE;
  }
  return FALSE;
}
