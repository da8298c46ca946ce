#include "editing/contrast/contrast_single_dialog.h"

#include <commctrl.h>

#include <initializer_list>

#include "editing/contrast/contrast_curves.h"
#include "editing/contrast/contrast_ids.h"
#include "editing/contrast/contrast_picture.h"
#include "imagelib/colour_space.h"
#include "imagelib/statistics.h"
#include "shell/dialogkit/dialog_kit.h"
#include "shell/preview_geometry.h"
#include "shell/previews.h"

namespace {

#define FIELD(member) KIT_FIELD(ProgramState, member)

constexpr BarSpec kGamma = {IDC_SINGLE_GAMMA, IDC_SINGLE_GAMMA_TEXT, 1, 190, 10, BarMap::kStrength, 1.0,
                            BarText::kDouble, "%6.3lf", FIELD(ContrastChannels[0].Gamma)};
constexpr BarSpec kTurning = {IDC_SINGLE_TURNING, IDC_SINGLE_TURNING_TEXT, 0, kContrastTop, 256, BarMap::kLinear,
                              1.0, BarText::kLong, "%ld", FIELD(TurningPt)};
constexpr BarSpec kHighGamma = {IDC_SINGLE_HIGH_GAMMA, IDC_SINGLE_HIGH_GAMMA_TEXT, 1, 190, 10, BarMap::kStrength, 1.0,
                                BarText::kDouble, "%6.3lf", FIELD(HighGamma)};
constexpr BarSpec kLowGamma = {IDC_SINGLE_LOW_GAMMA, IDC_SINGLE_LOW_GAMMA_TEXT, 1, 190, 10, BarMap::kStrength, 1.0,
                               BarText::kDouble, "%6.3lf", FIELD(LowGamma)};
constexpr BarSpec kTop = {IDC_SINGLE_TOP, IDC_SINGLE_TOP_TEXT, 1, 100, 5, BarMap::kLinear, 1.0, BarText::kLong,
                          "%ld %%", FIELD(ContrastChannels[0].Toplevel)};
constexpr BarSpec kBackground = {IDC_SINGLE_BACKGROUND, IDC_SINGLE_BACKGROUND_TEXT, 0, kContrastTop, 256,
                                 BarMap::kLinear, 1.0, BarText::kLong, "%ld",
                                 FIELD(ContrastChannels[0].Backgroundlevel)};
constexpr BarSpec kHot = {IDC_SINGLE_HOT, IDC_SINGLE_HOT_TEXT, 0, 1000, 50, BarMap::kLinear, 1.0, BarText::kLong,
                          "%ld", FIELD(Hotpixelnum)};
constexpr BarSpec kDead = {IDC_SINGLE_DEAD, IDC_SINGLE_DEAD_TEXT, 0, 1000, 50, BarMap::kLinear, 1.0, BarText::kLong,
                           "%ld", FIELD(Deadpixelnum)};
constexpr BarSpec kBars[] = {kGamma, kTurning, kHighGamma, kLowGamma, kTop, kBackground, kHot, kDead};
constexpr RadioSpec kRadios[] = {{IDC_SINGLE_ALGORITHM, 6, 0, FIELD(ContrastChannels[0].Algorithm)},
                                 {IDC_SINGLE_RANGE, 8, 0, FIELD(ContrastChannels[0].Histogramrange)}};
constexpr CheckSpec kChecks[] = {{IDC_SINGLE_STRETCH, FIELD(Equalizing), false},
                                 {IDC_SINGLE_LIMIT_TOP, FIELD(LimitTopLevel), false},
                                 {IDC_SINGLE_REJECT_BACKGROUND, FIELD(RejectBackground), false},
                                 {IDC_SINGLE_REJECT_HOT, FIELD(RejectHotpixel), false},
                                 {IDC_SINGLE_REJECT_DEAD, FIELD(RejectDeadpixel), false},
                                 {IDC_SINGLE_NO_PREVIEW, FIELD(IsPreview), true},
                                 {IDC_SINGLE_HSI, FIELD(UseHSIMethod), false}};
constexpr NumberSpec kNumbers[] = {{IDC_SINGLE_LOG_MULTI, FIELD(ContrastChannels[0].LogMulti), 1, 8, "%ld"}};
constexpr ControlTable kTable = {kBars, kRadios, kChecks, kNumbers};

#undef FIELD

constexpr PreviewPaneSpec kPane = {IDC_SINGLE_PREVIEW, IDC_SINGLE_HSCROLL, IDC_SINGLE_VSCROLL,
                                   IDC_SINGLE_MINUS,   IDC_SINGLE_PLUS,    0};

// The histogram frames: input or result, and the histogram's channel
// (0 luminance, 1 red, 2 green, 3 blue).
struct PlotFrame {
  int id;
  bool result;
  int channel;
};
constexpr PlotFrame kPlots[] = {
    {IDC_SINGLE_INPUT_LUM, false, 0},   {IDC_SINGLE_INPUT_RED, false, 1},   {IDC_SINGLE_INPUT_GREEN, false, 2},
    {IDC_SINGLE_INPUT_BLUE, false, 3},  {IDC_SINGLE_RESULT_LUM, true, 0},   {IDC_SINGLE_RESULT_RED, true, 1},
    {IDC_SINGLE_RESULT_GREEN, true, 2}, {IDC_SINGLE_RESULT_BLUE, true, 3},
};

ContrastPicture gPicture;
LevelsRecord gLevels;               // of the luminance histogram
double gCurveX[256], gCurveY[256];

ProgramState* State() { return &gProgramState; }
bool Colour() { return IsColourPicture(&gPicture); }

void EnableIds(HWND dialog, std::initializer_list<int> ids, bool on) {
  for (int id : ids)
    if (HWND c = GetDlgItem(dialog, id)) EnableWindow(c, on);
}

void PaintPlot(void* context, HDC dc, const RECT* client) {
  const PlotFrame& p = *static_cast<const PlotFrame*>(context);
  // A grey picture has no channel histograms: its colour frames stay dark blue.
  const uint32_t* histogram = p.channel && !Colour() ? nullptr
                              : p.result                 ? gPicture.results[p.channel]
                                                         : State()->ContrastHistograms[p.channel];
  PaintHistogramPlot(dc, client, kContrastLevels, histogram, p.channel);
}

void PaintCurve(void*, HDC dc, const RECT* client) {
  PaintContrastCurve(dc, client, 0, 256, gCurveX, gCurveY, 0.0, 255.0, 32.0, 32.0, 2, 1);
}

// Samples of a colour picture with their lightness through the table, hue
// and saturation kept.
ImageResult MapLightness(const ImageHeader* header, const int16_t* source, int16_t* result, const uint16_t* table) {
  int16_t *hue = nullptr, *saturation = nullptr, *lightness = nullptr;
  if (!AllocColourPlanes(&hue, &saturation, &lightness, header)) return IMG_NO_MEMORY;
  ImageHeader plane = *header;
  plane.colourType = 0;
  ImageRect all;
  MakeRect(&all, 0, 0, header->width, header->height);
  ImageResult r = RgbToHueSatLight(source, hue, saturation, lightness, header);
  if (r == IMG_OK) r = ApplyLut(&all, &plane, lightness, lightness, table);
  if (r == IMG_OK) r = HueSatLightToRgb(result, hue, saturation, lightness, header);
  FreeColourPlanes(hue, saturation, lightness);
  return r;
}

// The curve over samples of the header: colour pictures with "Mit
// HSI-Transformation" on their lightness alone, all others sample by sample.
ImageResult MapThroughCurve(const ImageHeader* header, const int16_t* source, int16_t* result) {
  const ProgramState* ps = State();
  if (header->colourType == kColourRgb && ps->UseHSIMethod)
    return MapLightness(header, source, result, ps->ContrastLuts[0]);
  ImageRect all;
  MakeRect(&all, 0, 0, header->width, header->height);
  return ApplyLut(&all, header, source, result, ps->ContrastLuts[0]);
}

void BuildCurve() {
  ProgramState* ps = State();
  const ContrastChannelSettings& b = ps->ContrastChannels[0];
  BuildContrastCurve(ps->ContrastLuts[0], gPicture.header.levels, b.Algorithm, b.LogMulti, b.Gamma, ps->TurningPt,
                     ps->HighGamma, ps->LowGamma, 1024, ps->Equalizing, b.Toplevel * 0.01, b.Histogramrange,
                     ps->RejectBackground ? b.Backgroundlevel : 0, ps->ContrastHistograms[0]);
  BuildCurvePoints256(gCurveX, gCurveY, kContrastLevels, ps->ContrastLuts[0]);
  for (int c = 0; c < (Colour() ? 4 : 1); ++c)
    MapHistogram(ps->ContrastHistograms[c], ps->ContrastLuts[0], kContrastLevels, gPicture.results[c]);
}

void RefreshPreview() { ShowContrastPreview(&gPicture, State()->IsPreview ? MapThroughCurve : nullptr); }

// After every change: curve, histograms and preview.
void Refresh() {
  if (!gPicture.frame.open) return;
  BuildCurve();
  for (const PlotFrame& p : kPlots) RepaintPlot(gPicture.frame.dialog, p.id);
  RepaintPlot(gPicture.frame.dialog, IDC_SINGLE_CURVE);
  RefreshPreview();
}

// The bars the check boxes switch on.
void EnableChecked(HWND dialog) {
  const ProgramState* ps = State();
  EnableBar(dialog, kTop, ps->LimitTopLevel != 0);
  EnableBar(dialog, kBackground, ps->RejectBackground != 0);
  EnableIds(dialog, {IDC_SINGLE_AUTOMATIC}, ps->RejectBackground != 0);
  EnableBar(dialog, kHot, ps->RejectHotpixel != 0);
  EnableBar(dialog, kDead, ps->RejectDeadpixel != 0);
  EnablePreviewControls(&gPicture.pane, ps->IsPreview != 0);
}

BOOL Open(HWND dialog) {
  ProgramState* ps = State();
  if (!OpenContrastPicture(&gPicture, dialog, &kPane, 1, 4)) return TRUE;
  // Settings within what the controls show, Toplevel as a percentage; a
  // cancel brings back what the contrast dialog keeps there.
  ClampTableFields(kTable, ps);
  SendDlgItemMessageA(dialog, IDC_SINGLE_LOG_UPDOWN, UDM_SETRANGE32, 1, 8);
  SendDlgItemMessageA(dialog, IDC_SINGLE_LOG_UPDOWN, UDM_SETPOS32, 0, ps->ContrastChannels[0].LogMulti);
  gLevels = LevelsRecord{};
  AnalyseLevels(ps->ContrastHistograms[0], kContrastLevels, 0, 0, 0, &gLevels);
  int32_t& background = ps->ContrastChannels[0].Backgroundlevel;
  if (gLevels.peakLevel < background) background = gLevels.peakLevel;
  for (const PlotFrame& p : kPlots) InitPlotPane(dialog, p.id, PaintPlot, const_cast<PlotFrame*>(&p));
  InitPlotPane(dialog, IDC_SINGLE_CURVE, PaintCurve, nullptr);
  ShowControlTable(dialog, kTable, ps);
  UpdateContrastControls(dialog);
  EnableChecked(dialog);
  Refresh();
  return TRUE;
}

ApplyOutcome MapWholePicture(DialogFrame*, void*) {
  BuildCurve();
  return InstallMappedPicture(&gPicture, MapThroughCurve);
}

BOOL Command(HWND dialog, int id, int notification) {
  ProgramState* ps = State();
  if (id == IDCANCEL) {
    CancelDialogFrame(&gPicture.frame);
    return TRUE;
  }
  if (HandleTableCommand(dialog, kTable, ps, id, notification)) {
    UpdateContrastControls(dialog);
    EnableChecked(dialog);
    Refresh();
    return TRUE;
  }
  if (notification != BN_CLICKED) return FALSE;
  if (HandleTargetRadio(&gPicture.frame, id)) return TRUE;
  if (HandlePreviewButton(&gPicture.pane, id)) {
    RefreshPreview();
    return TRUE;
  }
  switch (id) {
    case IDC_SINGLE_AUTOMATIC:
      ps->ContrastChannels[0].Backgroundlevel = gLevels.peakLevel;
      ShowBar(dialog, kBackground, ps);
      Refresh();
      return TRUE;
    case IDC_SINGLE_EDIT:
      CommitDialogFrame(&gPicture.frame, MapWholePicture, nullptr);
      return TRUE;
    case IDC_SINGLE_CANCEL:
      CancelDialogFrame(&gPicture.frame);
      return TRUE;
  }
  return FALSE;
}

void Scroll(HWND dialog, HWND control, WPARAM request) {
  ProgramState* ps = State();
  if (HandlePreviewScroll(&gPicture.pane, control, request)) {
    RefreshPreview();
    return;
  }
  if (control && control == GetDlgItem(dialog, IDC_SINGLE_LOG_UPDOWN)) {
    ReadNumberField(dialog, kNumbers[0], ps);
  } else if (const BarSpec* bar = HandleTableScroll(dialog, kTable, ps, control, request)) {
    if (bar->bar == IDC_SINGLE_BACKGROUND) {
      int32_t& level = ps->ContrastChannels[0].Backgroundlevel;
      level = LimitBackgroundLevel(level, gLevels.maxLevel);
      ShowBar(dialog, kBackground, ps);
    }
  } else {
    return;
  }
  Refresh();
}

}  // namespace

void UpdateContrastControls(HWND dialog) {
  const ProgramState* ps = State();
  for (const RadioSpec& r : kRadios) {
    const int value = int(ReadField(ps, r.field));
    for (int i = 0; i < r.count; ++i)
      CheckDlgButton(dialog, r.firstId + i, value == r.firstValue + i ? BST_CHECKED : BST_UNCHECKED);
  }
  for (int b = 1; b <= 4; ++b)
    CheckDlgButton(dialog, IDC_SINGLE_TARGET_A + b - 1, ps->TargetBuffer == b ? BST_CHECKED : BST_UNCHECKED);
  const int32_t type = ps->ContrastChannels[0].Algorithm;
  if (type >= CURVE_LINEAR && type <= CURVE_TWO_POWERS) {
    EnableBar(dialog, kGamma, type == CURVE_POWER);
    for (const BarSpec* bar : {&kTurning, &kHighGamma, &kLowGamma}) EnableBar(dialog, *bar, type == CURVE_TWO_POWERS);
  }
}

int AllocColourPlanes(int16_t** plane1, int16_t** plane2, int16_t** plane3, const ImageHeader* header) {
  return AllocThreePlanes(plane1, plane2, plane3, header);
}

int FreeColourPlanes(int16_t* plane1, int16_t* plane2, int16_t* plane3) {
  FreeMem(&plane1);
  FreeMem(&plane2);
  FreeMem(&plane3);
  return 1;
}

INT_PTR CALLBACK ContrastSingleDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      return Open(dialog);
    case WM_COMMAND:
      return Command(dialog, LOWORD(wParam), HIWORD(wParam));
    case WM_HSCROLL:
    case WM_VSCROLL:
      Scroll(dialog, reinterpret_cast<HWND>(lParam), wParam);
      return TRUE;
    case WM_DESTROY:
      DialogFrameDestroyed(&gPicture.frame);
      return FALSE;
  }
  return FALSE;
}
