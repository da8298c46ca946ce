#include "rgb_alignment_dialog.h"

#include <cstring>

#include "imagelib/colour_channels.h"
#include "imageio/picture_files.h"
#include "rgb_alignment_ids.h"
#include "shell/buffer_slots.h"
#include "shell/dialogkit/dialog_kit.h"
#include "shell/display_bitmap.h"
#include "shell/message_box.h"

namespace {

constexpr DialogFrameSpec kSpec = {
    kHotKeyRgb, nullptr, 0, IDC_RGB_BUFFER_A, IDC_RGB_APPLY,
    kFrameSetupAware | kFrameNeedsColour | kFrameEndsOnRefusal | kFrameUndoTarget, nullptr, nullptr,
};
constexpr PreviewPaneSpec kPane = {IDC_RGB_PREVIEW, IDC_RGB_HSCROLL, IDC_RGB_VSCROLL, IDC_RGB_MINUS, IDC_RGB_PLUS, 0};
constexpr char kNotColour[] = "Das Bild ist kein Farbbild !";
constexpr char kNoMemory[] = "Nicht genug Speicherplatz !";

enum class Axis { kAcross, kDown, kSize };

// The buttons of both groups: which value they change, by how much, within
// which limit.
struct ValueButton {
  int id;
  FieldRef field;
  int32_t delta;
  Axis axis;
};
#define FIELD(member) KIT_FIELD(ProgramState, member)
constexpr ValueButton kButtons[] = {
    {IDC_RGB_RED_RIGHT, FIELD(RGBCorrRedXshift), 1, Axis::kAcross},
    {IDC_RGB_RED_LEFT, FIELD(RGBCorrRedXshift), -1, Axis::kAcross},
    {IDC_RGB_RED_DOWN, FIELD(RGBCorrRedYshift), 1, Axis::kDown},
    {IDC_RGB_RED_UP, FIELD(RGBCorrRedYshift), -1, Axis::kDown},
    {IDC_RGB_RED_LARGER, FIELD(RedSize), 1, Axis::kSize},
    {IDC_RGB_RED_SMALLER, FIELD(RedSize), -1, Axis::kSize},
    {IDC_RGB_BLUE_RIGHT, FIELD(RGBCorrBlueXshift), 1, Axis::kAcross},
    {IDC_RGB_BLUE_LEFT, FIELD(RGBCorrBlueXshift), -1, Axis::kAcross},
    {IDC_RGB_BLUE_DOWN, FIELD(RGBCorrBlueYshift), 1, Axis::kDown},
    {IDC_RGB_BLUE_UP, FIELD(RGBCorrBlueYshift), -1, Axis::kDown},
    {IDC_RGB_BLUE_LARGER, FIELD(BlueSize), 1, Axis::kSize},
    {IDC_RGB_BLUE_SMALLER, FIELD(BlueSize), -1, Axis::kSize},
};
constexpr FieldRef kValues[] = {FIELD(RGBCorrBlueXshift), FIELD(RGBCorrBlueYshift), FIELD(BlueSize),
                                FIELD(RGBCorrRedXshift),  FIELD(RGBCorrRedYshift),  FIELD(RedSize)};
#undef FIELD

DialogFrame gFrame;
PreviewPane gPane;
int32_t gReduction = 1;              // kept between openings
ImageHeader gHeader;
ImageMetadata gMetadata;
int16_t* gSource = nullptr;          // the picture as it came
int16_t* gCorrected = nullptr;       // the picture with the values applied
HBRUSH gFace = nullptr;

ProgramState* State() { return &gProgramState; }
bool HavePicture() { return gSource && gCorrected; }

void Limits(Axis axis, int32_t* lo, int32_t* hi) {
  const int32_t w = HavePicture() ? gHeader.width : 0, h = HavePicture() ? gHeader.height : 0;
  switch (axis) {
    case Axis::kAcross:
      *lo = -(w / 2), *hi = w / 2;
      return;
    case Axis::kDown:
      *lo = -(h / 2), *hi = h / 2;
      return;
    case Axis::kSize:
      // A channel cannot shrink to nothing: half the width plus the step stays above 0.
      *hi = w < 2 ? 0 : h / 2;
      *lo = w < 2 ? 0 : -(h / 2) > 1 - w / 2 ? -(h / 2) : 1 - w / 2;
      return;
  }
}

void ReleasePicture() {
  FreeMem(&gSource);
  FreeMem(&gCorrected);
  SetPreviewBitmap(&gPane, nullptr);
  SetPreviewPicture(&gPane, nullptr);
}

// The whole picture again from the source copy, so the corrections never
// add up; the preview keeps its picture when the alignment fails.
void Refresh() {
  if (!HavePicture()) return;
  const ProgramState* ps = State();
  const ImageResult r = AlignColourChannels(gSource, gCorrected, &gHeader, ps->RGBCorrBlueXshift, ps->RGBCorrBlueYshift,
                                            ps->BlueSize, ps->RGBCorrRedXshift, ps->RGBCorrRedYshift, ps->RedSize);
  if (r == IMG_OK) ShowPreviewSamples(&gPane, gCorrected, &gHeader);
}

// Takes over a colour picture: samples (copied), header and metadata. false
// after "Nicht genug Speicherplatz !", which ends the dialog.
bool TakePicture(const int16_t* samples, const ImageHeader* header, const ImageMetadata* metadata) {
  ReleasePicture();
  gHeader = *header;
  gMetadata = *metadata;
  if (!AllocPixels(&gSource, &gHeader) || !AllocPixels(&gCorrected, &gHeader)) {
    FreeMem(&gSource);
    FreeMem(&gCorrected);
    ShowMessageBox(gFrame.dialog, kNoMemory, kTitleError, MB_OK | MB_ICONSTOP);
    CancelDialogFrame(&gFrame);
    return false;
  }
  const uint32_t bytes = SampleBytes(&gHeader);
  std::memcpy(gSource, samples, bytes);
  std::memcpy(gCorrected, gSource, bytes);
  const SIZE size = {gHeader.width, gHeader.height};
  SetPreviewPicture(&gPane, &size);
  Refresh();
  return true;
}

void ShowSourceChoice(HWND dialog) {
  const ProgramState* ps = State();
  if (!gFrame.setupOnly) return;   // the frame ticks the target
  CheckRadioButton(dialog, IDC_RGB_FILE, IDC_RGB_BUFFER_D, IDC_RGB_FILE + ps->SourceBuffer);
}

// "&Holen" from a buffer: nothing is released before the picture is known to be colour.
void FetchFromBuffer(HWND dialog) {
  ProgramState* ps = State();
  ImageHeader header;
  ImageMetadata metadata;
  const int16_t* samples = GetSlotPixels(ps->SourceBuffer, ps);
  if (!IsSlotLoaded(ps->SourceBuffer, ps) || !samples || !GetSlotHeader(&header, ps->SourceBuffer, ps) ||
      header.colourType != kColourRgb) {
    ShowMessageBox(dialog, kNotColour, kTitleError, MB_OK | MB_ICONSTOP);
    return;
  }
  GetSlotMetadata(&metadata, ps->SourceBuffer, ps);
  TakePicture(samples, &header, &metadata);
}

void Fetch(HWND dialog) {
  if (!gFrame.setupOnly) return;
  if (State()->SourceBuffer >= 1) FetchFromBuffer(dialog);
}

bool Open(HWND dialog) {
  ProgramState* ps = State();
  const FrameSource source = OpenDialogFrame(&gFrame, &kSpec, dialog);
  if (source == FrameSource::kNotColour || source == FrameSource::kEmpty) return false;   // ended
  // Every opening starts without correction; cancel brings the values back.
  for (const FieldRef& f : kValues) WriteField(ps, f, 0);
  InitPreviewPane(&gPane, &kPane, dialog, &gReduction);
  DialogFrameOwnPane(&gFrame, &gPane);
  DialogFrameOwnBlock(&gFrame, &gSource);
  DialogFrameOwnBlock(&gFrame, &gCorrected);
  if (!gFace) gFace = GetSysColorBrush(COLOR_BTNFACE);
  if (gFrame.setupOnly) {
    SetDlgItemTextA(dialog, IDC_RGB_SOURCE_GROUP, "Bildquelle");
    for (int b = 1; b <= kBufferCount; ++b)
      EnableWindow(GetDlgItem(dialog, IDC_RGB_BUFFER_A + b - 1), IsSlotLoaded(b, ps) != 0);
    ps->SourceBuffer = 0;
    ShowSourceChoice(dialog);
    return true;
  }
  SetDlgItemTextA(dialog, IDC_RGB_SOURCE_GROUP, "Zielpuffer");
  ShowWindow(GetDlgItem(dialog, IDC_RGB_FILE), SW_HIDE);
  ShowWindow(GetDlgItem(dialog, IDC_RGB_FETCH), SW_HIDE);
  ImageHeader header;
  ImageMetadata metadata;
  GetSlotHeader(&header, ps->SourceBuffer, ps);
  GetSlotMetadata(&metadata, ps->SourceBuffer, ps);
  return TakePicture(GetSlotPixels(ps->SourceBuffer, ps), &header, &metadata);
}

bool StepValue(int id) {
  for (const ValueButton& b : kButtons) {
    if (b.id != id) continue;
    int32_t lo = 0, hi = 0;
    Limits(b.axis, &lo, &hi);
    const int32_t v = int32_t(ReadField(State(), b.field)) + b.delta;
    if (v >= lo && v <= hi) WriteField(State(), b.field, v);
    Refresh();
    return true;
  }
  return false;
}

ApplyOutcome InstallCorrected(DialogFrame* frame, void*) {
  if (!HavePicture()) return ApplyOutcome::kDone;
  if (InstallImage(frame->ps->TargetBuffer, frame->ps, gCorrected, &gHeader, &gMetadata)) gCorrected = nullptr;
  return ApplyOutcome::kDone;
}

BOOL Command(HWND dialog, int id) {
  ProgramState* ps = State();
  if (StepValue(id)) return TRUE;
  if (HandlePreviewButton(&gPane, id)) {
    Refresh();
    return TRUE;
  }
  if (id >= IDC_RGB_FILE && id <= IDC_RGB_BUFFER_D) {
    if (!gFrame.setupOnly) {
      HandleTargetRadio(&gFrame, id);
    } else if (id == IDC_RGB_FILE || IsSlotLoaded(id - IDC_RGB_FILE, ps)) {
      ps->SourceBuffer = id - IDC_RGB_FILE;
      ShowSourceChoice(dialog);
    }
    return TRUE;
  }
  switch (id) {
    case IDC_RGB_FETCH:
      Fetch(dialog);
      return TRUE;
    case IDC_RGB_RESET:
      for (const FieldRef& f : kValues) WriteField(ps, f, 0);
      Refresh();
      return TRUE;
    case IDC_RGB_APPLY:
      CommitDialogFrame(&gFrame, InstallCorrected, nullptr);
      return TRUE;
    case IDC_RGB_CANCEL:
    case IDCANCEL:
      CancelDialogFrame(&gFrame);
      return TRUE;
  }
  return FALSE;
}

// The two group frames write their names in their channel's colour.
INT_PTR GroupColour(HDC dc, HWND control) {
  const int id = GetDlgCtrlID(control);
  if (id != IDC_RGB_RED_GROUP && id != IDC_RGB_BLUE_GROUP) return FALSE;
  SetTextColor(dc, id == IDC_RGB_RED_GROUP ? RGB(255, 0, 0) : RGB(0, 0, 255));
  SetBkMode(dc, TRANSPARENT);
  return reinterpret_cast<INT_PTR>(gFace);
}

}  // namespace

INT_PTR CALLBACK RgbAlignmentDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      Open(dialog);
      return TRUE;
    case WM_COMMAND:
      return Command(dialog, LOWORD(wParam));
    case WM_HSCROLL:
    case WM_VSCROLL:
      if (HandlePreviewScroll(&gPane, reinterpret_cast<HWND>(lParam), wParam)) Refresh();
      return TRUE;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
      return GroupColour(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    case WM_DESTROY:
      DialogFrameDestroyed(&gFrame);
      return FALSE;
  }
  return FALSE;
}
