#include "editing/contrast/contrast_single_dialog.h"

#include <commctrl.h>

#include <initializer_list>

#include "editing/contrast/contrast_curves.h"
#include "editing/contrast/contrast_ids.h"
#include "imagelib/colour_space.h"
#include "imagelib/statistics.h"
#include "shell/buffer_slots.h"
#include "shell/dialogkit/dialog_kit.h"
#include "shell/display_bitmap.h"
#include "shell/message_box.h"
#include "shell/preview_geometry.h"
#include "shell/previews.h"
#include "shell/settings.h"

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

constexpr DialogFrameSpec kSpec = {
    kHotKeyContrast,  "Kontrasteinstellung von %s",
    kSectionContrast, IDC_SINGLE_TARGET_A,
    IDC_SINGLE_EDIT,  kFrameNeedsPicture | kFrameEndsOnRefusal | kFrameUndoTarget,
    nullptr,          nullptr,
};
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

DialogFrame gFrame;
PreviewPane gPane;
int32_t gReduction = 1;             // set anew at each opening
ImageHeader gSourceHeader;
ImageMetadata gSourceMetadata;
ImageHeader gPreviewHeader;
int16_t* gPreview = nullptr;
uint32_t* gResultHistograms[4] = {};
LevelsRecord gLevels;               // of the luminance histogram
double gCurveX[256], gCurveY[256];

ProgramState* State() { return &gProgramState; }
bool Colour() { return gSourceHeader.colourType == kColourRgb; }

void EnableIds(HWND dialog, std::initializer_list<int> ids, bool on) {
  for (int id : ids)
    if (HWND c = GetDlgItem(dialog, id)) EnableWindow(c, on);
}

void PaintNavy(HDC dc, const RECT* client) {
  HBRUSH navy = CreateSolidBrush(RGB(0, 0, 128));
  FillRect(dc, client, navy);
  DeleteObject(navy);
}

void PaintPlot(void* context, HDC dc, const RECT* client) {
  const PlotFrame& p = *static_cast<const PlotFrame*>(context);
  // A grey picture has no channel histograms: its colour frames stay dark blue.
  const uint32_t* histogram = p.channel && !Colour() ? nullptr
                              : p.result                 ? gResultHistograms[p.channel]
                                                         : State()->ContrastHistograms[p.channel];
  if (!histogram || !PaintHistogram(dc, client, 0, kContrastLevels, histogram, p.channel)) PaintNavy(dc, client);
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
  BuildContrastCurve(ps->ContrastLuts[0], gSourceHeader.levels, b.Algorithm, b.LogMulti, b.Gamma, ps->TurningPt,
                     ps->HighGamma, ps->LowGamma, 1024, ps->Equalizing, b.Toplevel * 0.01, b.Histogramrange,
                     ps->RejectBackground ? b.Backgroundlevel : 0, ps->ContrastHistograms[0]);
  BuildCurvePoints256(gCurveX, gCurveY, kContrastLevels, ps->ContrastLuts[0]);
  for (int c = 0; c < (Colour() ? 4 : 1); ++c)
    MapHistogram(ps->ContrastHistograms[c], ps->ContrastLuts[0], kContrastLevels, gResultHistograms[c]);
}

void RefreshPreview() {
  ProgramState* ps = State();
  const POINT at = PreviewSectionOrigin(&gPane);
  if (CutPreviewSection(gPreview, &gPreviewHeader, GetSlotPixels(ps->SourceBuffer, ps), &gSourceHeader, at.x, at.y,
                        gPane.viewW, gPane.viewH, gReduction) != IMG_OK ||
      (ps->IsPreview && MapThroughCurve(&gPreviewHeader, gPreview, gPreview) != IMG_OK)) {
    SetPreviewBitmap(&gPane, nullptr);
    return;
  }
  HBITMAP bitmap = nullptr;
  if (gPreviewHeader.width > 0 && gPreviewHeader.height > 0) {
    HDC dc = GetDC(gFrame.dialog);
    bitmap = CreateDisplayBitmap(dc, gPreview, &gPreviewHeader, ps);
    ReleaseDC(gFrame.dialog, dc);
  }
  SetPreviewBitmap(&gPane, bitmap);
}

// After every change: curve, histograms and preview.
void Refresh() {
  if (!gFrame.open || !gPreview) return;
  BuildCurve();
  for (const PlotFrame& p : kPlots) RepaintPlot(gFrame.dialog, p.id);
  RepaintPlot(gFrame.dialog, IDC_SINGLE_CURVE);
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
  EnablePreviewControls(&gPane, ps->IsPreview != 0);
}

bool AllocWorkAreas() {
  ProgramState* ps = State();
  DialogFrameOwnBlock(&gFrame, &ps->ContrastLuts[0]);
  if (!ps->ContrastLuts[0]) ps->ContrastLuts[0] = static_cast<uint16_t*>(AllocArray(kContrastLevels, 2));
  bool ok = ps->ContrastLuts[0] != nullptr;
  for (int c = 0; c < 4; ++c) {
    DialogFrameOwnBlock(&gFrame, &ps->ContrastHistograms[c]);
    DialogFrameOwnBlock(&gFrame, &gResultHistograms[c]);
    ps->ContrastHistograms[c] = static_cast<uint32_t*>(AllocArray(kContrastLevels, 4));
    gResultHistograms[c] = static_cast<uint32_t*>(AllocArray(kContrastLevels, 4));
    ok = ok && ps->ContrastHistograms[c] && gResultHistograms[c];
  }
  return ok;
}

void Refuse(HWND dialog, const char* text) {
  ShowMessageBox(dialog, text, kTitleError, MB_OK | MB_ICONSTOP);
  CancelDialogFrame(&gFrame);
}

BOOL Open(HWND dialog) {
  ProgramState* ps = State();
  gSourceHeader = ImageHeader{};
  if (OpenDialogFrame(&gFrame, &kSpec, dialog) != FrameSource::kOk) return TRUE;
  // Settings within what the controls show, Toplevel as a percentage; a
  // cancel brings back what the contrast dialog keeps there.
  ClampTableFields(kTable, ps);
  ps->ProgressWindow = dialog;
  InitPreviewPane(&gPane, &kPane, dialog, &gReduction);
  DialogFrameOwnPane(&gFrame, &gPane);
  DialogFrameOwnBlock(&gFrame, &gPreview);
  GetSlotHeader(&gSourceHeader, ps->SourceBuffer, ps);
  GetSlotMetadata(&gSourceMetadata, ps->SourceBuffer, ps);
  const int16_t* source = GetSlotPixels(ps->SourceBuffer, ps);
  SendDlgItemMessageA(dialog, IDC_SINGLE_LOG_UPDOWN, UDM_SETRANGE32, 1, 8);
  SendDlgItemMessageA(dialog, IDC_SINGLE_LOG_UPDOWN, UDM_SETPOS32, 0, ps->ContrastChannels[0].LogMulti);
  RECT client;
  GetClientRect(GetDlgItem(dialog, IDC_SINGLE_PREVIEW), &client);
  gReduction = client.right > 0 ? gSourceHeader.width / client.right : 1;
  gReduction = gReduction < 1 ? 1 : gReduction > kMaxReduction ? kMaxReduction : gReduction;
  const SIZE size = {gSourceHeader.width, gSourceHeader.height};
  SetPreviewPicture(&gPane, &size);
  gPreviewHeader = gSourceHeader;
  gPreviewHeader.width = gPane.viewW;
  gPreviewHeader.height = gPane.viewH;
  if (!AllocPixels(&gPreview, &gPreviewHeader)) {
    Refuse(dialog, "Nicht genug Speicher !");
    return FALSE;
  }
  if (!AllocWorkAreas()) {
    ShowMessageBox(dialog, "Zu wenig Speicher !", kTitleError, MB_OK | MB_ICONSTOP);
    EndDialogFrame(&gFrame, 0);
    return FALSE;
  }
  ImageRect centre;
  MakeRect(&centre, gSourceHeader.width / 8, gSourceHeader.height / 8, 6 * gSourceHeader.width / 8,
           6 * gSourceHeader.height / 8);
  int32_t used, red, green, blue, zero, negative, highest;
  if (ComputeRegionStatistics(&centre, &gSourceHeader, source, &used, &red, &green, &blue, &zero, &negative,
                              &highest) != IMG_OK) {
    Refuse(dialog, "Bild enthält nur negative oder zuwenig Werte !");
    return FALSE;
  }
  ComputeRegionHistogram(&centre, &gSourceHeader, source, ps->ContrastHistograms[0]);
  if (Colour())
    ComputeRegionHistogramsRgb(&centre, &gSourceHeader, source, ps->ContrastHistograms[1], ps->ContrastHistograms[2],
                               ps->ContrastHistograms[3]);
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

ApplyOutcome MapWholePicture(DialogFrame* frame, void*) {
  ProgramState* ps = frame->ps;
  int16_t* result = nullptr;
  if (!AllocPixels(&result, &gSourceHeader)) return ApplyOutcome::kStay;
  BuildCurve();
  if (MapThroughCurve(&gSourceHeader, GetSlotPixels(ps->SourceBuffer, ps), result) != IMG_OK) {
    FreeMem(&result);
    return ApplyOutcome::kStay;
  }
  InstallImage(ps->TargetBuffer, ps, result, &gSourceHeader, &gSourceMetadata);
  // [Contrast] Backgroundlevel and BackgroundLevel are one entry of the file.
  ps->ContrastBackgroundLevel = ps->ContrastChannels[0].Backgroundlevel;
  return ApplyOutcome::kDone;
}

BOOL Command(HWND dialog, int id, int notification) {
  ProgramState* ps = State();
  if (id == IDCANCEL) {
    CancelDialogFrame(&gFrame);
    return TRUE;
  }
  if (HandleTableCommand(dialog, kTable, ps, id, notification)) {
    UpdateContrastControls(dialog);
    EnableChecked(dialog);
    Refresh();
    return TRUE;
  }
  if (notification != BN_CLICKED) return FALSE;
  if (HandleTargetRadio(&gFrame, id)) return TRUE;
  if (HandlePreviewButton(&gPane, id)) {
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
      CommitDialogFrame(&gFrame, MapWholePicture, nullptr);
      return TRUE;
    case IDC_SINGLE_CANCEL:
      CancelDialogFrame(&gFrame);
      return TRUE;
  }
  return FALSE;
}

void Scroll(HWND dialog, HWND control, WPARAM request) {
  ProgramState* ps = State();
  if (HandlePreviewScroll(&gPane, control, request)) {
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
      DialogFrameDestroyed(&gFrame);
      return FALSE;
  }
  return FALSE;
}
