#include "editing/colour/colour_temperature_dialog.h"

#include <cstdio>

#include "editing/colour/colour_temperature_ids.h"
#include "imagelib/colour_space.h"
#include "shell/buffer_slots.h"
#include "shell/dialogkit/dialog_kit.h"
#include "shell/dialogkit/section_preview.h"
#include "shell/message_box.h"
#include "shell/settings.h"

namespace {

constexpr DialogFrameSpec kSpec = {
    kNoHotKeyEntry, "Tonwert und Farbtemperatur von %s einstellen", kSectionColortemp, IDC_CT_TARGET_A,
    IDC_CT_APPLY,   kFrameNeedsColour | kFrameUndoTarget, nullptr, "Der %s ist kein Farbbild !",
};
constexpr PreviewPaneSpec kPane = {IDC_CT_PREVIEW, IDC_CT_HSCROLL, IDC_CT_VSCROLL,
                                   IDC_CT_MINUS,   IDC_CT_PLUS,    IDC_CT_STATUS};
#define FIELD(member) KIT_FIELD(ProgramState, member)
constexpr BarSpec kBars[] = {
    {IDC_CT_RED_BAR, IDC_CT_RED_VALUE, -100, 100, 10, BarMap::kLinear, 1.0, BarText::kLong, "%ld", FIELD(Red)},
    {IDC_CT_GREEN_BAR, IDC_CT_GREEN_VALUE, -100, 100, 10, BarMap::kLinear, 1.0, BarText::kLong, "%ld", FIELD(Green)},
    {IDC_CT_BLUE_BAR, IDC_CT_BLUE_VALUE, -100, 100, 10, BarMap::kLinear, 1.0, BarText::kLong, "%ld", FIELD(Blue)},
    {IDC_CT_SATURATION_BAR, IDC_CT_SATURATION_VALUE, 1, 190, 10, BarMap::kStrength, 1.0, BarText::kDouble, "%5.2lf",
     FIELD(Saturation)},
    {IDC_CT_ANGLE_BAR, IDC_CT_ANGLE_VALUE, -180, 180, 5, BarMap::kLinear, 0.017453292519943295, BarText::kPosition,
     "%ld °", FIELD(Colorangle)},
    {IDC_CT_TEMPERATURE_BAR, IDC_CT_TEMPERATURE_VALUE, 25, 100, 5, BarMap::kLinear, 100.0, BarText::kDouble,
     "%1.0lf K", FIELD(Temperature)},
    {IDC_CT_NOISE_BAR, IDC_CT_NOISE_VALUE, 1, 4, 1, BarMap::kLinear, 1.0, BarText::kLong, "%ld", FIELD(Noiseradius)},
};
constexpr CheckSpec kChecks[] = {{IDC_CT_NOISE, FIELD(Noisefilter), false}};
#undef FIELD
constexpr ControlTable kTable = {kBars, {}, kChecks, {}};
constexpr const BarSpec& kNoiseBar = kBars[6];

// The labels of the three channel bars, painted in their colours.
struct ChannelLabel {
  int x, y;
  COLORREF colour;
  const char* text;
};
constexpr ChannelLabel kLabels[] = {
    {18, 4, 0x0000FF, "Rotkanal"}, {18, 54, 0x00C000, "Grünkanal"}, {18, 104, 0xFF0000, "Blaukanal"}};

DialogFrame gFrame;
PreviewPane gPane;
int32_t gReduction = 1;     // kept between openings
SectionPreview gView;

ProgramState* State() { return &gProgramState; }
const int16_t* Source() { return GetSlotPixels(State()->SourceBuffer, State()); }

ImageResult Correct(const int16_t* source, int16_t* result, const ImageHeader* header) {
  const ProgramState* ps = State();
  return CorrectColourTemperature(source, result, header, ps->Red, ps->Green, ps->Blue, ps->Saturation,
                                  ps->Colorangle, ps->Temperature, ps->Noisefilter ? ps->Noiseradius : 0, nullptr);
}

void Refresh() {
  if (gFrame.open && gView.section) ShowCorrectedSection(&gPane, &gView, Source(), Correct);
}

void EnableNoise(HWND dialog) {
  const bool on = State()->Noisefilter != 0;
  EnableWindow(GetDlgItem(dialog, IDC_CT_NOISE_LABEL), on);
  EnableBar(dialog, kNoiseBar, on);
}

void PaintLabels(HWND dialog) {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(dialog, &paint);
  const HGDIOBJ font = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageA(dialog, WM_GETFONT, 0, 0)));
  SetBkMode(dc, TRANSPARENT);
  for (const ChannelLabel& l : kLabels) {
    SetTextColor(dc, l.colour);
    TextOutA(dc, l.x, l.y, l.text, lstrlenA(l.text));
  }
  SelectObject(dc, font);
  EndPaint(dialog, &paint);
}

// A failed correction leaves its block unwritten: it is never installed.
ApplyOutcome Apply(DialogFrame* frame, void*) { return InstallCorrectedPicture(frame, &gView, Correct); }

// false when the dialog stays open without a picture (focus on cancel).
bool Open(HWND dialog) {
  ProgramState* ps = State();
  const FrameSource source = OpenDialogFrame(&gFrame, &kSpec, dialog);
  ClampTableFields(kTable, ps);
  ShowControlTable(dialog, kTable, ps);
  char text[32];
  std::snprintf(text, sizeof text, "%5.3lf", ps->Saturation);
  SetDlgItemTextA(dialog, IDC_CT_SATURATION_VALUE, text);
  EnableNoise(dialog);
  InitPreviewPane(&gPane, &kPane, dialog, &gReduction);
  DialogFrameOwnPane(&gFrame, &gPane);
  if (source != FrameSource::kOk) {
    SetFocus(GetDlgItem(dialog, IDC_CT_CANCEL));
    return false;
  }
  if (!TakeSectionPreview(&gFrame, &gPane, &gView)) return true;
  Refresh();
  return true;
}

BOOL Command(HWND dialog, int id, int notification) {
  if (HandleTargetRadio(&gFrame, id)) return TRUE;
  if (HandleTableCommand(dialog, kTable, State(), id, notification)) {
    EnableNoise(dialog);
    Refresh();
    return TRUE;
  }
  if (HandlePreviewButton(&gPane, id)) {
    Refresh();
    return TRUE;
  }
  switch (id) {
    case IDC_CT_APPLY:
      CommitDialogFrame(&gFrame, Apply, nullptr);
      return TRUE;
    case IDC_CT_CANCEL:
    case IDCANCEL:
      CancelDialogFrame(&gFrame);
      return TRUE;
  }
  return FALSE;
}

}  // namespace

INT_PTR CALLBACK ColourTemperatureDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      return Open(dialog) ? TRUE : FALSE;
    case WM_COMMAND:
      return Command(dialog, LOWORD(wParam), HIWORD(wParam));
    case WM_HSCROLL:
    case WM_VSCROLL:
      if (HandleTableScroll(dialog, kTable, State(), reinterpret_cast<HWND>(lParam), wParam) ||
          HandlePreviewScroll(&gPane, reinterpret_cast<HWND>(lParam), wParam))
        Refresh();
      return TRUE;
    case WM_PAINT:
      PaintLabels(dialog);
      return TRUE;
    case WM_DESTROY:
      DialogFrameDestroyed(&gFrame);
      return FALSE;
  }
  return FALSE;
}
