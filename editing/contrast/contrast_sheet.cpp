// The page of the contrast dialog: one block of the [Contrast] settings, its
// curve, its curve points, its end points and its histogram.
#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <initializer_list>

#include "editing/contrast/contrast_curves.h"
#include "editing/contrast/contrast_dialog.h"
#include "editing/contrast/contrast_ids.h"
#include "imagelib/statistics.h"
#include "shell/dialogkit/dialog_kit.h"
#include "shell/previews.h"

namespace {

#define FIELD(member) KIT_FIELD(ContrastChannelSettings, member)
#define POINT_BAR(k)                                                                                        \
  BarSpec {                                                                                                 \
    IDC_SHEET_POINT_1 + (k) - 1, 0, 0, kContrastBarTop, 16, BarMap::kInverted, double(kContrastBarStep),     \
        BarText::kNone, nullptr, FIELD(Curve[k])                                                            \
  }

constexpr BarSpec kGammaBar = {IDC_SHEET_GAMMA, IDC_SHEET_GAMMA_TEXT, 1, 190, 10, BarMap::kStrength, 1.0,
                               BarText::kDouble, "%6.3lf", FIELD(Gamma)};
constexpr BarSpec kBars[] = {kGammaBar,    POINT_BAR(1), POINT_BAR(2), POINT_BAR(3),
                             POINT_BAR(4), POINT_BAR(5), POINT_BAR(6), POINT_BAR(7)};
constexpr NumberSpec kLogMulti[] = {{IDC_SHEET_LOG_MULTI, FIELD(LogMulti), 1, 8, "%ld"}};
constexpr ControlTable kPageTable = {kBars, {}, {}, kLogMulti};
// What is clamped by table; the curve points keep every level.
constexpr BarSpec kClampBars[] = {kGammaBar};
constexpr ControlTable kClampTable = {kClampBars, {}, {}, kLogMulti};

#undef POINT_BAR
#undef FIELD

double gCurveX[256], gCurveY[256];

ProgramState* State() { return &gProgramState; }
int Channel() {
  const int c = State()->Contrastchannel;
  return c >= 0 && c <= 3 ? c : 0;
}
ContrastChannelSettings* Block() { return &State()->ContrastChannels[Channel()]; }

void EnableIds(HWND page, std::initializer_list<int> ids, bool on) {
  for (int id : ids)
    if (HWND c = GetDlgItem(page, id)) EnableWindow(c, on);
}

void SetSlider(HWND page, int id, int32_t position) {
  SendDlgItemMessageA(page, id, TBM_SETPOS, TRUE, position);
}
int32_t SliderPosition(HWND page, int id) { return int32_t(SendDlgItemMessageA(page, id, TBM_GETPOS, 0, 0)); }

void PaintSheetHistogram(void*, HDC dc, const RECT* client) {
  PaintHistogramPlot(dc, client, kContrastLevels, State()->ContrastHistograms[Channel()], Channel());
}

void PaintSheetCurve(void*, HDC dc, const RECT* client) {
  PaintContrastCurve(dc, client, 0, 256, gCurveX, gCurveY, 0.0, 255.0, 32.0, 32.0, 2, 1);
}

// The table of block c from its settings, the curve points left as they are.
void BuildBlockTable(int c) {
  ProgramState* ps = State();
  ContrastChannelSettings& b = ps->ContrastChannels[c];
  if (!ps->ContrastLuts[c]) return;
  BuildContrastCurveSpline(ps->ContrastLuts[c], kContrastLevels, b.Algorithm, b.LogMulti, b.Gamma, b.Toplevel,
                           b.Backgroundlevel, b.Curve, ps->ContrastHistograms[c]);
}

// After every change: the page again, then the dialog's preview.
void Changed(HWND page) {
  ContrastChannelSettings* b = Block();
  UpdateContrastSheetControls(page, b->Algorithm, b->Histogramrange, b->LogMulti, b->Gamma, b->Toplevel,
                              b->Backgroundlevel, b->Curve);
  RequestPreview(page);
}

void Open(HWND page) {
  ProgramState* ps = State();
  RenewProgramStateBackup(ps);
  ContrastChannelSettings* b = Block();
  SendDlgItemMessageA(page, IDC_SHEET_LOG_UPDOWN, UDM_SETRANGE32, 1, 8);
  SendDlgItemMessageA(page, IDC_SHEET_LOG_UPDOWN, UDM_SETPOS32, 0, b->LogMulti);
  for (int id : {IDC_SHEET_WHITE, IDC_SHEET_BLACK}) {
    SendDlgItemMessageA(page, id, TBM_SETRANGE, FALSE, MAKELPARAM(0, kContrastBarTop));
    SendDlgItemMessageA(page, id, TBM_SETPAGESIZE, 0, 16);
  }
  // The occupied range as the sliders' selection.
  if (const uint32_t* histogram = ps->ContrastHistograms[Channel()]) {
    LevelsRecord levels = {};
    AnalyseLevels(histogram, kContrastLevels, b->Histogramrange, 0, 0, &levels);
    for (int id : {IDC_SHEET_WHITE, IDC_SHEET_BLACK})
      SendDlgItemMessageA(page, id, TBM_SETSEL, TRUE,
                          MAKELPARAM(levels.minLevel / kContrastBarStep, levels.maxLevel / kContrastBarStep));
  }
  ShowControlTable(page, kPageTable, b);
  InitPlotPane(page, IDC_SHEET_HISTOGRAM, PaintSheetHistogram, nullptr);
  InitPlotPane(page, IDC_SHEET_CURVE, PaintSheetCurve, nullptr);
  UpdateContrastSheetControls(page, b->Algorithm, b->Histogramrange, b->LogMulti, b->Gamma, b->Toplevel,
                              b->Backgroundlevel, b->Curve);
  // A channel page: the preview and "&Bearbeiten" use all three channel tables.
  if (Channel() != 0)
    for (int c = 1; c <= 3; ++c)
      if (c != Channel()) BuildBlockTable(c);
  RequestPreview(page);
}

// An end-point button: 1 when it was one.
bool EndPointButton(int id) {
  int32_t mode;
  if (id == IDC_SHEET_RANGE_ALL)
    mode = 0;
  else if (id >= IDC_SHEET_RANGE_FIRST && id <= IDC_SHEET_RANGE_LAST)
    mode = id - IDC_SHEET_RANGE_FIRST + 1;
  else if (id == IDC_SHEET_RANGE_NONE)
    mode = kEndPointsNone;
  else if (id == IDC_SHEET_RANGE_BACKGROUND)
    mode = kEndPointsBackground;
  else
    return false;
  ContrastChannelSettings* b = Block();
  if (EndPointsOfMode(State()->ContrastHistograms[Channel()], mode, &b->Backgroundlevel, &b->Toplevel) == IMG_OK)
    b->Histogramrange = mode;
  return true;
}

BOOL Command(HWND page, int id, int notification) {
  ContrastChannelSettings* b = Block();
  if (HandleTableCommand(page, kPageTable, b, id, notification)) {
    Changed(page);
    return TRUE;
  }
  if (notification != BN_CLICKED) return FALSE;
  if (id >= IDC_SHEET_LINEAR && id <= IDC_SHEET_GAMMA_CURVE) {
    b->Algorithm = id - IDC_SHEET_LINEAR;
  } else if (!EndPointButton(id)) {
    return FALSE;
  }
  Changed(page);
  return TRUE;
}

void Scroll(HWND page, HWND control, WPARAM request) {
  ContrastChannelSettings* b = Block();
  const int id = control ? GetDlgCtrlID(control) : 0;
  if (id == IDC_SHEET_WHITE || id == IDC_SHEET_BLACK) {
    EndPointsFromSliders(SliderPosition(page, IDC_SHEET_WHITE), SliderPosition(page, IDC_SHEET_BLACK),
                         &b->Backgroundlevel, &b->Toplevel);
    b->Histogramrange = kEndPointsByHand;
  } else if (id == IDC_SHEET_LOG_UPDOWN) {
    ReadNumberField(page, kLogMulti[0], b);
  } else if (const BarSpec* bar = HandleTableScroll(page, kPageTable, b, control, request)) {
    if (bar->bar != IDC_SHEET_GAMMA) b->Algorithm = CURVE_SPLINE;
  } else {
    return;
  }
  Changed(page);
}

}  // namespace

void UpdateContrastSheetControls(HWND page, int32_t type, int32_t, int32_t logMulti, double gamma, int32_t white,
                                 int32_t black, int32_t points[kCurvePoints]) {
  const ProgramState* ps = State();
  if (type == CURVE_LOGARITHMIC || type == CURVE_POWER) {
    EnableIds(page, {IDC_SHEET_LOG_MULTI, IDC_SHEET_LOG_UPDOWN}, type == CURVE_LOGARITHMIC);
    EnableIds(page, {IDC_SHEET_GAMMA, IDC_SHEET_GAMMA_TEXT}, type == CURVE_POWER);
  } else if (type == CURVE_LINEAR || type == CURVE_EXPONENTIAL || type == CURVE_EQUALISE || type == CURVE_SPLINE) {
    EnableIds(page, {IDC_SHEET_LOG_MULTI, IDC_SHEET_LOG_UPDOWN, IDC_SHEET_GAMMA, IDC_SHEET_GAMMA_TEXT}, false);
  }
  const int c = Channel();
  uint16_t* table = ps->ContrastLuts[c];
  if (table) {
    BuildContrastCurveSpline(table, kContrastLevels, type, logMulti, gamma, white, black, points,
                             ps->ContrastHistograms[c]);
    BuildCurvePoints256(gCurveX, gCurveY, kContrastLevels, table);
    int32_t values[kCurvePoints];
    FollowCurvePoints(table, black, white, type, points, values);
    for (int k = 1; k < kCurvePoints - 1; ++k)
      SetScrollPos(GetDlgItem(page, IDC_SHEET_POINT_1 + k - 1), SB_CTL, BarPosition(kBars[k], values[k]), TRUE);
  }
  SetSlider(page, IDC_SHEET_WHITE, white / kContrastBarStep);
  SetSlider(page, IDC_SHEET_BLACK, black / kContrastBarStep);
  RepaintPlot(page, IDC_SHEET_HISTOGRAM);
  RepaintPlot(page, IDC_SHEET_CURVE);
}

int ClampContrastBlocks(ProgramState* ps) {
  int changed = 0;
  auto clamp = [&changed](int32_t* v, int32_t lo, int32_t hi) {
    const int32_t c = std::clamp(*v, lo, hi);
    changed += c != *v;
    *v = c;
  };
  for (ContrastChannelSettings& b : ps->ContrastChannels) {
    changed += ClampTableFields(kClampTable, &b);
    clamp(&b.Toplevel, 0, kContrastTop);
    clamp(&b.Backgroundlevel, 0, kContrastTop);
    for (int k = 1; k < kCurvePoints - 1; ++k) clamp(&b.Curve[k], 0, kContrastTop);
  }
  return changed;
}

INT_PTR CALLBACK ContrastSheetDlgProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      Open(page);
      return TRUE;
    case WM_COMMAND:
      return Command(page, LOWORD(wParam), HIWORD(wParam));
    case WM_HSCROLL:
    case WM_VSCROLL:
      Scroll(page, reinterpret_cast<HWND>(lParam), wParam);
      return TRUE;
  }
  return FALSE;
}
