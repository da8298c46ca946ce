// "Rotschwäche bei Digitalfotos korrigieren": the red channel of a colour
// photograph lifted through a logarithmic or gamma curve from a red black
// point chosen on the histogram, the stars kept as they are. The preview
// shows the correction of the visible section (stars found with the radius
// scaled to the preview); "&Übernehmen" corrects the whole picture into the
// chosen buffer.
#include <windows.h>

#include <commctrl.h>

#include <cstdio>

#include "editing/stars/star_corrections_core.h"
#include "editing/stars/star_dialogs.h"
#include "editing/stars/star_ids.h"
#include "imagelib/statistics.h"
#include "shell/buffer_slots.h"
#include "shell/dialogkit/dialog_kit.h"
#include "shell/dialogkit/section_preview.h"
#include "shell/message_box.h"
#include "shell/previews.h"

namespace {

// The settings reach "tyvorn.ini" with all others, not from here.
constexpr DialogFrameSpec kSpec = {
    kNoHotKeyEntry, nullptr, 0, IDC_RED_TARGET_A, IDC_RED_APPLY,
    kFrameNeedsColour | kFrameEndsOnRefusal | kFrameUndoTarget, nullptr, "Der %s ist kein Farbbild !",
};
constexpr PreviewPaneSpec kPane = {IDC_RED_PREVIEW, IDC_RED_HSCROLL, IDC_RED_VSCROLL,
                                   IDC_RED_MINUS,   IDC_RED_PLUS,    IDC_RED_TEXT};
#define FIELD(member) KIT_FIELD(ProgramState, member)
constexpr BarSpec kBars[] = {
    {IDC_RED_RADIUS_BAR, IDC_RED_RADIUS_VALUE, 1, 14, 2, BarMap::kLinear, 1.0, BarText::kLong, "%ld",
     FIELD(Maskradius)},
    {IDC_RED_LEVEL_BAR, IDC_RED_LEVEL_VALUE, 2, 18, 2, BarMap::kLinear, 0.05, BarText::kDouble, "%4.2lf",
     FIELD(Masklevel)},
    {IDC_RED_GAMMA_BAR, IDC_RED_GAMMA_VALUE, 1, 190, 10, BarMap::kStrength, 1.0, BarText::kDouble, "%6.3lf",
     FIELD(RSGamma)},
};
constexpr NumberSpec kNumbers[] = {{IDC_RED_LOG_EDIT, FIELD(RSLogMulti), 1, 8, "%ld"}};
#undef FIELD
constexpr ControlTable kTable = {kBars, {}, {}, kNumbers};

DialogFrame gFrame;
PreviewPane gPane;
int32_t gReduction = 1;           // kept between openings
SectionPreview gView;
uint32_t* gHistogram = nullptr;   // of the first preview's centre
int32_t gLevelRange = kRedLevelBarEnd;

ProgramState* State() { return &gProgramState; }
const int16_t* Source() { return GetSlotPixels(State()->SourceBuffer, State()); }

RedWeaknessSettings Settings(int32_t reduction) {
  const ProgramState* ps = State();
  return RedWeaknessSettings{PreviewStarRadius(ps->Maskradius, reduction), ps->Masklevel, ps->RSAlgorithm,
                             ps->RSLogMulti, ps->RSGamma, ps->RSLowlevel};
}

// The preview finds its stars at the radius the reduction leaves them.
ImageResult CorrectSection(const int16_t* source, int16_t* result, const ImageHeader* header) {
  return CorrectRedWeakness(result, source, header, Settings(gReduction));
}
ImageResult CorrectPicture(const int16_t* source, int16_t* result, const ImageHeader* header) {
  return CorrectRedWeakness(result, source, header, Settings(1));
}

void ShowAlgorithm(HWND dialog) {
  const int32_t a = State()->RSAlgorithm;
  const int checked = a == kRedCurveGamma ? IDC_RED_GAMMA : IDC_RED_LOGARITHMIC;
  CheckRadioButton(dialog, IDC_RED_LOGARITHMIC, IDC_RED_GAMMA, checked);
  EnableBar(dialog, kBars[2], a == kRedCurveGamma);
  EnableWindow(GetDlgItem(dialog, IDC_RED_LOG_EDIT), a != kRedCurveGamma);
  EnableWindow(GetDlgItem(dialog, IDC_RED_LOG_UPDOWN), a != kRedCurveGamma);
}

// The visible section, corrected, and the black point in the text field
// (or why the correction failed).
void Refresh() {
  if (!gFrame.open || !gView.section) return;
  if (ShowCorrectedSection(&gPane, &gView, Source(), CorrectSection) != IMG_OK) return;
  char text[64];
  std::snprintf(text, sizeof text, "Schwarzpunkt Rot: %ld", long(State()->RSLowlevel));
  ShowPreviewStatus(&gPane, text);
}

// The histogram of the centre of the first preview and the level range of
// the track bar from its background; false after "Nicht genug Speicher !".
bool MeasureBackground(HWND dialog) {
  gHistogram = static_cast<uint32_t*>(AllocArray(kFullScale, sizeof(uint32_t)));
  if (!gHistogram) {
    ShowMessageBox(dialog, "Nicht genug Speicher !", kTitleError, MB_OK | MB_ICONSTOP);
    CancelDialogFrame(&gFrame);
    return false;
  }
  LevelsRecord levels = {};
  if (CutPaneSection(&gPane, &gView, Source()) == IMG_OK) {
    const ImageHeader& h = gView.sectionHeader;
    ImageRect centre;
    MakeRect(&centre, h.width / 8, h.height / 8, 6 * h.width / 8, 6 * h.height / 8);
    if (ComputeRegionHistogram(&centre, &h, gView.section, gHistogram) == IMG_OK)
      AnalyseLevels(gHistogram, kFullScale, 0, 0, 0, &levels);
  }
  gLevelRange = RedLevelRange(levels.peakLevel);
  HWND track = GetDlgItem(dialog, IDC_RED_LOW_TRACK);
  SendMessageA(track, TBM_SETRANGE, FALSE, MAKELPARAM(0, kRedLevelBarEnd));
  SendMessageA(track, TBM_SETPAGESIZE, 0, 5);
  SendMessageA(track, TBM_SETPOS, TRUE, kRedLevelBarEnd / 2);
  State()->RSLowlevel = RedLowLevel(kRedLevelBarEnd / 2, gLevelRange);
  return true;
}

void TrackLowLevel(HWND dialog) {
  const int32_t p = int32_t(SendDlgItemMessageA(dialog, IDC_RED_LOW_TRACK, TBM_GETPOS, 0, 0));
  State()->RSLowlevel = RedLowLevel(p, gLevelRange);
  Refresh();
}

void DrawHistogram(const DRAWITEMSTRUCT* item) {
  PaintHistogram(item->hDC, &item->rcItem, 0, gLevelRange, gHistogram, 1);
}

ApplyOutcome Apply(DialogFrame* frame, void*) {
  if (!ReadNumberFields(frame->dialog, kTable, frame->ps)) return ApplyOutcome::kStay;
  return InstallCorrectedPicture(frame, &gView, CorrectPicture);
}

void Open(HWND dialog) {
  ProgramState* ps = State();
  if (OpenDialogFrame(&gFrame, &kSpec, dialog) != FrameSource::kOk) return;
  InitPreviewPane(&gPane, &kPane, dialog, &gReduction);
  DialogFrameOwnPane(&gFrame, &gPane);
  DialogFrameOwnBlock(&gFrame, &gHistogram);
  if (ps->RSAlgorithm != kRedCurveGamma) ps->RSAlgorithm = kRedCurveLogarithmic;
  ClampTableFields(kTable, ps);
  if (!TakeSectionPreview(&gFrame, &gPane, &gView) || !MeasureBackground(dialog)) return;
  SendDlgItemMessageA(dialog, IDC_RED_LOG_UPDOWN, UDM_SETRANGE32, 1, 8);
  ShowControlTable(dialog, kTable, ps);
  ShowAlgorithm(dialog);
  Refresh();
}

BOOL Command(HWND dialog, int id, int notification) {
  if (!gFrame.open) return FALSE;
  ProgramState* ps = State();
  if (HandleTargetRadio(&gFrame, id)) return TRUE;
  if (HandleTableCommand(dialog, kTable, ps, id, notification)) {
    Refresh();
    return TRUE;
  }
  if (HandlePreviewButton(&gPane, id)) {
    Refresh();
    return TRUE;
  }
  switch (id) {
    case IDC_RED_LOGARITHMIC:
    case IDC_RED_GAMMA:
      ps->RSAlgorithm = id == IDC_RED_GAMMA ? kRedCurveGamma : kRedCurveLogarithmic;
      ShowAlgorithm(dialog);
      Refresh();
      return TRUE;
    case IDC_RED_CORRECT:
      ReadNumberFields(dialog, kTable, ps);
      Refresh();
      return TRUE;
    case IDC_RED_APPLY:
      CommitDialogFrame(&gFrame, Apply, nullptr);
      return TRUE;
    case IDC_RED_CANCEL:
    case IDCANCEL:
      CancelDialogFrame(&gFrame);
      return TRUE;
  }
  return FALSE;
}

BOOL Scroll(HWND dialog, HWND control, WPARAM request) {
  const int id = GetDlgCtrlID(control);
  if (id == IDC_RED_LOW_TRACK) {
    TrackLowLevel(dialog);
  } else if (id == IDC_RED_LOG_UPDOWN) {
    // The up-down has written its value into the edit.
    if (ReadNumberField(dialog, kNumbers[0], State())) Refresh();
  } else if (HandleTableScroll(dialog, kTable, State(), control, request) ||
             HandlePreviewScroll(&gPane, control, request)) {
    Refresh();
  }
  return TRUE;
}

}  // namespace

INT_PTR CALLBACK RedWeaknessDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      Open(dialog);
      return TRUE;
    case WM_COMMAND:
      return Command(dialog, LOWORD(wParam), HIWORD(wParam));
    case WM_HSCROLL:
    case WM_VSCROLL:
      return Scroll(dialog, reinterpret_cast<HWND>(lParam), wParam);
    case WM_DRAWITEM:
      if (wParam != IDC_RED_HISTOGRAM) return FALSE;
      DrawHistogram(reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
      return TRUE;
    case WM_DESTROY:
      DialogFrameDestroyed(&gFrame);
      return FALSE;
  }
  return FALSE;
}
