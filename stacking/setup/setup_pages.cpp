#include "stacking/setup/setup_pages.h"

#include <cstdio>
#include <cstring>

#include "imageio/picture_formats.h"
#include "shell/choosers/file_choosers.h"
#include "shell/dialogkit/dialog_kit.h"
#include "stacking/noise_filter_dialog.h"
#include "stacking/rgb_alignment_dialog.h"
#include "stacking/setup/setting_bars.h"
#include "stacking/setup/setup_ids.h"
#include "stacking/setup/step_texts.h"
#include "stacking/win32/hot_pixel_commands.h"
#include "stacking/win32/win_stack_host.h"

const char* const kStackPictureFilter = kPictureSaveFilter;

namespace {

#define FIELD STACK_FIELD

// What makes one page: its frame, its table of controls and the few things
// the table does not cover.
struct PageDef {
  const char* templateName;
  DialogFrameSpec frame;
  ControlTable table;
  int ok;
  int cancel;
  int step;                                          // step text built on confirm, 0 for none
  void (*prepare)(ProgramState* ps);                 // before the controls are set
  void (*init)(HWND dialog, ProgramState* ps);       // after the controls are set
  void (*sync)(HWND dialog, ProgramState* ps);       // enabled states from the settings, after every change
  bool (*command)(HWND dialog, ProgramState* ps, int id);   // after the table had its turn
};

void CopyPath(char* to, const char* from) { std::snprintf(to, kPathSize, "%s", from); }

// --- raw-frame source

constexpr BarSpec kSourceBars[] = {EveryNthBar(IDC_SRC_NTH, IDC_SRC_NTH_TEXT)};
constexpr RadioSpec kSourceRadios[] = {{IDC_SRC_AVI, 3, 0, FIELD(Addpicsource)}};

void SourceInit(HWND dialog, ProgramState* ps) {
  CheckRadioButton(dialog, IDC_SRC_INTERLACED, IDC_SRC_PROGRESSIVE,
                   ps->Interlace == 1 ? IDC_SRC_INTERLACED : IDC_SRC_PROGRESSIVE);
}

void SourceSync(HWND dialog, ProgramState* ps) {
  EnableBar(dialog, kSourceBars[0], ps->Addpicsource == 0);
}

bool SourceCommand(HWND dialog, ProgramState* ps, int id) {
  if (id != IDC_SRC_INTERLACED && id != IDC_SRC_PROGRESSIVE) return false;
  ps->Interlace = id == IDC_SRC_INTERLACED ? 1 : 0;
  SourceInit(dialog, ps);
  return true;
}

// --- pre-treatment

constexpr CheckSpec kPretreatChecks[] = {
    {IDC_PRE_BORDER, FIELD(ExcludeBorder), false},   {IDC_PRE_GAIN, FIELD(FitImageEqualizing), false},
    {IDC_PRE_NOISE, FIELD(IsNoisefilter), false},    {IDC_PRE_RGB, FIELD(RGBCorrection), false},
    {IDC_PRE_FLAT, FIELD(IsFlatfield), false},       {IDC_PRE_DARK, FIELD(IsDarkcurrent), false},
    {IDC_PRE_HOT, FIELD(HotPixelList.RemoveHotPixel), false},
};
// Each switch with a set-up button has it 6 ids below.
constexpr int kSetupButtonOffset = IDC_PRE_HOT - IDC_PRE_HOT_LIST;

void PretreatSync(HWND dialog, ProgramState* ps) {
  for (const CheckSpec& c : kPretreatChecks)
    if (c.id != IDC_PRE_BORDER)
      EnableWindow(GetDlgItem(dialog, c.id - kSetupButtonOffset), ReadField(ps, c.field) != 0);
}

bool PretreatCommand(HWND dialog, ProgramState* ps, int id) {
  switch (id) {
    case IDC_PRE_GAIN_SETUP:
      ShowSetupPage(dialog, SetupPage::kGain, ps);
      return true;
    case IDC_PRE_NOISE_SETUP:
      ShowNoiseSetup(dialog, ps);
      return true;
    case IDC_PRE_RGB_SETUP:
      ShowRgbSetup(dialog, false, ps);
      return true;
    case IDC_PRE_FLAT_FILE:
      ChooseCalibrationFile(dialog, ps->Flatfield, "Flatfield festlegen ...", ps);
      return true;
    case IDC_PRE_DARK_FILE:
      ChooseCalibrationFile(dialog, ps->Darkcurrent, "Dunkelstromdatei festlegen ...", ps);
      return true;
    case IDC_PRE_HOT_LIST:
      SelectHotPixelList(dialog, ps);
      return true;
    default:
      return false;
  }
}

// --- pre-amplification

constexpr BarSpec kGainBars[] = {GainGammaBar(IDC_GAIN_GAMMA_BAR, IDC_GAIN_GAMMA_TEXT)};
constexpr RadioSpec kGainRadios[] = {{IDC_GAIN_LINEAR, 4, 0, FIELD(Gaintype)}};
constexpr CheckSpec kGainChecks[] = {{IDC_GAIN_AUTO, FIELD(Gainauto), false}};

// --- centring

constexpr RadioSpec kCentringRadios[] = {{IDC_CTR_FIRST, 7, 0, FIELD(FitMethod)}};
constexpr CheckSpec kCentringChecks[] = {{IDC_CTR_FFT, FIELD(FitFFT), false}};

bool BatchOfSeveralSeries(const ProgramState* ps) { return ps->OpenedFromSetup == 1 && ps->DefiningBatchJob == 1; }

void CentringPrepare(ProgramState* ps) {
  // A batch over several series has no pattern to search for.
  if (BatchOfSeveralSeries(ps)) ps->FitMethod = 1;
}

void CentringInit(HWND dialog, ProgramState* ps) {
  for (int id : {IDC_CTR_DEROTATION, IDC_CTR_COORDINATES, IDC_CTR_FFT}) ShowWindow(GetDlgItem(dialog, id), SW_HIDE);
  if (BatchOfSeveralSeries(ps))
    for (int id = IDC_CTR_PATTERN_FULL; id <= IDC_CTR_COORDINATES; ++id) ShowWindow(GetDlgItem(dialog, id), SW_HIDE);
}

bool CentringCommand(HWND, ProgramState* ps, int id) {
  if (id == IDC_CTR_PATTERN_FULL) ps->Turbo = 0;
  if (id == IDC_CTR_PATTERN_NEAR) ps->Turbo = 1;
  return false;
}

// --- sub-pixel

constexpr RadioSpec kSubpixelRadios[] = {{IDC_SUB_SINGLE, 3, 0, FIELD(Subpixelfactor)}};
constexpr CheckSpec kSubpixelChecks[] = {{IDC_SUB_ORIGSIZE, FIELD(SubpixOrigsize), false},
                                         {IDC_SUB_PART, FIELD(SubpixPart), false}};

void SubpixelSync(HWND dialog, ProgramState* ps) {
  const bool on = ps->Subpixelfactor != 0;
  for (const CheckSpec& c : kSubpixelChecks) {
    EnableWindow(GetDlgItem(dialog, c.id), on);
    CheckDlgButton(dialog, c.id, on && ReadField(ps, c.field) != 0 ? BST_CHECKED : BST_UNCHECKED);
  }
}

// The cut-out and the return to the frame size exclude each other.
bool SubpixelCommand(HWND dialog, ProgramState* ps, int id) {
  if (id == IDC_SUB_PART && ps->SubpixPart && ps->SubpixOrigsize) ps->SubpixOrigsize = 0;
  if (id == IDC_SUB_ORIGSIZE && ps->SubpixOrigsize && ps->SubpixPart) ps->SubpixPart = 0;
  SubpixelSync(dialog, ps);
  return false;
}

// --- quality check

constexpr BarSpec kQualityBars[] = {
    CheckMixBar(IDC_QC_MIX, IDC_QC_MIX_TEXT),
    UsageRateBar(IDC_QC_RATE, IDC_QC_RATE_TEXT),
    CheckAreaBar(IDC_QC_AREA, IDC_QC_AREA_TEXT),
};
constexpr RadioSpec kQualityRadios[] = {{IDC_QC_NONE, 3, 0, FIELD(CheckMethod)}};

// Preset buttons; a negative value is left as it is.
struct QualityPreset {
  int id;
  int32_t method;
  double mix;
  double selection;
  double area;
};
constexpr QualityPreset kQualityPresets[] = {
    {112, 0, -1, -1, -1},        {113, 2, 0.5, 0.002, -1},   {114, 2, 0.5, 0.01, -1},
    {115, 2, 0.8, 0.02, -1},     {116, 2, 0.8, 0.03, -1},    {117, 2, 0.8, 0.05, -1},
    {118, 2, 0.7, 0.1, -1},      {119, 2, 0.5, 0.25, -1},    {120, 2, 0.2, 0.85, -1},
    {121, 2, -1, -1, 0.0},       {122, 2, -1, -1, 0.25},     {123, 2, -1, -1, 0.8},
};
static_assert(sizeof kQualityPresets / sizeof kQualityPresets[0] == IDC_QC_PRESET_LAST - IDC_QC_PRESET_FIRST + 1,
              "one row per button");

void QualitySync(HWND dialog, ProgramState* ps) { EnableQualityCheckControls(dialog, ps->CheckMethod == 2); }

bool QualityCommand(HWND dialog, ProgramState* ps, int id) {
  for (const QualityPreset& p : kQualityPresets) {
    if (p.id != id) continue;
    ps->CheckMethod = p.method;
    const double values[] = {p.mix, p.selection, p.area};
    for (int i = 0; i < 3; ++i) {
      if (values[i] < 0) continue;
      WriteField(ps, kQualityBars[i].field, values[i]);
      ShowBar(dialog, kQualityBars[i], ps);
    }
    QualitySync(dialog, ps);
    return true;
  }
  return false;
}

// --- result

constexpr RadioSpec kResultRadios[] = {{IDC_RES_MEAN, 3, 0, FIELD(Imagetype)}};
// Buttons 106..111: sky background, star trails, satellites, general
// astronomy, sun and moon, planets.
constexpr int32_t kResultPresets[] = {2, 1, 1, 0, 0, 0};
static_assert(sizeof kResultPresets / sizeof kResultPresets[0] == IDC_RES_PRESET_LAST - IDC_RES_PRESET_FIRST + 1,
              "one value per button");

bool ResultCommand(HWND dialog, ProgramState* ps, int id) {
  if (id < IDC_RES_PRESET_FIRST || id > IDC_RES_PRESET_LAST) return false;
  ps->Imagetype = kResultPresets[id - IDC_RES_PRESET_FIRST];
  CheckRadioButton(dialog, IDC_RES_MEAN, IDC_RES_ADD, IDC_RES_MEAN + ps->Imagetype);
  return true;
}

// --- protocol

constexpr CheckSpec kProtocolChecks[] = {
    {IDC_LOG_SAFETY, FIELD(Safetycopy), false},
    {IDC_LOG_SORT, FIELD(SafeSort), false},
    {IDC_LOG_FILE, FIELD(Logfile), false},
    {IDC_LOG_HISTOGRAM, FIELD(Histogram), false},
};
constexpr char kLogFilter[] = "Protokolldateien (*.log)\0*.log\0";

bool ProtocolCommand(HWND dialog, ProgramState* ps, int id) {
  FileChoice& f = gFileChoice;
  if (id == IDC_LOG_SORT_PATH) {
    if (ShowDirectoryDialog(f.Directory, &f.Drive, ps->CurrentPath, kStackPictureFilter,
                            "Directory für gute Bilder bestimmen", 0, dialog) == 1)
      CopyPath(ps->SortPicPath, f.Directory);
    return true;
  }
  if (id == IDC_LOG_NAME) {
    // A protocol file is written by the run: it may be a new one.
    CopyPath(f.Path, ps->Logfilename);
    if (ShowSaveFileDialog(f.Path, f.Name, f.Directory, f.Extension, &f.Drive, ps->CurrentPath, kLogFilter,
                           "Protokolldatei festlegen ...", dialog) == 1)
      CopyPath(ps->Logfilename, f.Path);
    return true;
  }
  return false;
}

#undef FIELD

// --- the pages

constexpr unsigned kPageFlags = 0;
constexpr unsigned kKeepFlags = kFrameKeepsBuffers;

#define PAGE_FRAME(ok, flags) {kHotKeyStackingPage, nullptr, 0, 0, ok, flags, nullptr, nullptr}

const PageDef kPages[] = {
    {"rohbildquelle", PAGE_FRAME(IDC_SRC_OK, kPageFlags), {kSourceBars, kSourceRadios, {}, {}}, IDC_SRC_OK,
     IDC_SRC_CANCEL, 1, nullptr, SourceInit, SourceSync, SourceCommand},
    {"rohbildsetup", PAGE_FRAME(IDC_PRE_OK, kPageFlags), {{}, {}, kPretreatChecks, {}}, IDC_PRE_OK, IDC_PRE_CANCEL, 2,
     nullptr, nullptr, PretreatSync, PretreatCommand},
    {"gainsetup", PAGE_FRAME(IDC_GAIN_OK, kPageFlags), {kGainBars, kGainRadios, kGainChecks, {}}, IDC_GAIN_OK,
     IDC_GAIN_CANCEL, 0, nullptr, nullptr, nullptr, nullptr},
    {"zentriersetup", PAGE_FRAME(IDC_CTR_OK, kKeepFlags), {{}, kCentringRadios, kCentringChecks, {}}, IDC_CTR_OK,
     IDC_CTR_CANCEL, 3, CentringPrepare, CentringInit, nullptr, CentringCommand},
    {"subpixsetup", PAGE_FRAME(IDC_SUB_OK, kPageFlags), {{}, kSubpixelRadios, kSubpixelChecks, {}}, IDC_SUB_OK,
     IDC_SUB_CANCEL, 4, nullptr, nullptr, SubpixelSync, SubpixelCommand},
    {"qualitychecksetup", PAGE_FRAME(IDC_QC_OK, kKeepFlags), {kQualityBars, kQualityRadios, {}, {}}, IDC_QC_OK,
     IDC_QC_CANCEL, 5, nullptr, nullptr, QualitySync, QualityCommand},
    {"ergebnissetup", PAGE_FRAME(IDC_RES_OK, kPageFlags), {{}, kResultRadios, {}, {}}, IDC_RES_OK, IDC_RES_CANCEL, 6,
     nullptr, nullptr, nullptr, ResultCommand},
    {"protokollsetup", PAGE_FRAME(IDC_LOG_OK, kPageFlags), {{}, {}, kProtocolChecks, {}}, IDC_LOG_OK, IDC_LOG_CANCEL,
     0, nullptr, nullptr, nullptr, ProtocolCommand},
};
#undef PAGE_FRAME

// One frame per page: a page may open another (pre-treatment, gain).
DialogFrame gFrames[sizeof kPages / sizeof kPages[0]];

INT_PTR PageMessage(SetupPage which, HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  const PageDef& page = kPages[int(which)];
  DialogFrame& frame = gFrames[int(which)];
  switch (message) {
    case WM_INITDIALOG: {
      ProgramState* ps = lParam ? reinterpret_cast<ProgramState*>(lParam) : &gProgramState;
      // Values from a hand-edited file are brought into range before the
      // backup, so that "&Abbruch" cannot bring them back.
      ClampTableFields(page.table, ps);
      OpenDialogFrame(&frame, &page.frame, dialog, ps);
      if (page.prepare) page.prepare(ps);
      ShowControlTable(dialog, page.table, ps);
      if (page.init) page.init(dialog, ps);
      if (page.sync) page.sync(dialog, ps);
      return TRUE;
    }
    case WM_HSCROLL:
      if (frame.open) HandleTableScroll(dialog, page.table, frame.ps, reinterpret_cast<HWND>(lParam), wParam);
      return TRUE;
    case WM_COMMAND: {
      if (!frame.open) return FALSE;
      ProgramState* ps = frame.ps;
      const int id = LOWORD(wParam);
      if (id == page.ok) {
        if (page.step) BuildStepText(page.step, ps);
        CommitDialogFrame(&frame, nullptr, nullptr);
        return TRUE;
      }
      if (id == page.cancel) {
        CancelDialogFrame(&frame);
        return TRUE;
      }
      // The close box and Esc (IDCANCEL) are not among the ways out.
      const bool changed = HandleTableCommand(dialog, page.table, ps, id, HIWORD(wParam)) != 0;
      const bool handled = page.command && page.command(dialog, ps, id);
      if (page.sync) page.sync(dialog, ps);
      return changed || handled;
    }
    case WM_DESTROY:
      DialogFrameDestroyed(&frame);
      return FALSE;
  }
  return FALSE;
}

}  // namespace

INT_PTR CALLBACK RawSourceDlgProc(HWND d, UINT m, WPARAM w, LPARAM l) { return PageMessage(SetupPage::kSource, d, m, w, l); }
INT_PTR CALLBACK RawPretreatDlgProc(HWND d, UINT m, WPARAM w, LPARAM l) {
  return PageMessage(SetupPage::kPretreatment, d, m, w, l);
}
INT_PTR CALLBACK GainSetupDlgProc(HWND d, UINT m, WPARAM w, LPARAM l) { return PageMessage(SetupPage::kGain, d, m, w, l); }
INT_PTR CALLBACK CenteringSetupDlgProc(HWND d, UINT m, WPARAM w, LPARAM l) {
  return PageMessage(SetupPage::kCentring, d, m, w, l);
}
INT_PTR CALLBACK SubpixelSetupDlgProc(HWND d, UINT m, WPARAM w, LPARAM l) {
  return PageMessage(SetupPage::kSubpixel, d, m, w, l);
}
INT_PTR CALLBACK QualityCheckSetupDlgProc(HWND d, UINT m, WPARAM w, LPARAM l) {
  return PageMessage(SetupPage::kQuality, d, m, w, l);
}
INT_PTR CALLBACK ResultSetupDlgProc(HWND d, UINT m, WPARAM w, LPARAM l) { return PageMessage(SetupPage::kResult, d, m, w, l); }
INT_PTR CALLBACK ProtocolSetupDlgProc(HWND d, UINT m, WPARAM w, LPARAM l) {
  return PageMessage(SetupPage::kProtocol, d, m, w, l);
}

const char* SetupPageTemplate(SetupPage page) { return kPages[int(page)].templateName; }
int SetupPageStep(SetupPage page) { return kPages[int(page)].step; }

INT_PTR ShowSetupPage(HWND owner, SetupPage page, ProgramState* ps) {
  static const DLGPROC kProcs[] = {RawSourceDlgProc,      RawPretreatDlgProc,       GainSetupDlgProc,
                                   CenteringSetupDlgProc, SubpixelSetupDlgProc,     QualityCheckSetupDlgProc,
                                   ResultSetupDlgProc,    ProtocolSetupDlgProc};
  return DialogBoxParamA(GetModuleHandleA(nullptr), kPages[int(page)].templateName, owner, kProcs[int(page)],
                         reinterpret_cast<LPARAM>(ps));
}

void BuildStepText(int step, ProgramState* ps) {
  if (step < 1 || step > kStepTextCount) return;
  const StackSettings s = StackSettingsOf(ps);
  FormatStepText(step, s, ps->StepTexts[step - 1], sizeof ps->StepTexts[step - 1]);
}

void BuildStep1Text() { BuildStepText(1, &gProgramState); }
void BuildStep2Text() { BuildStepText(2, &gProgramState); }
void BuildStep3Text() { BuildStepText(3, &gProgramState); }
void BuildStep4Text() { BuildStepText(4, &gProgramState); }
void BuildStep5Text() { BuildStepText(5, &gProgramState); }
void BuildStep6Text() { BuildStepText(6, &gProgramState); }

void EnableQualityCheckControls(HWND dialog, int enable) {
  const ProgramState* ps = DialogFrameOf(dialog) ? DialogFrameOf(dialog)->ps : &gProgramState;
  if (ps->CheckMethod >= 0 && ps->CheckMethod <= 2)
    CheckRadioButton(dialog, IDC_QC_NONE, IDC_QC_AUTO, IDC_QC_NONE + ps->CheckMethod);
  for (const BarSpec& b : kQualityBars) EnableBar(dialog, b, enable != 0);
}

int ChooseCalibrationFile(HWND owner, char* field, const char* title, ProgramState* ps) {
  FileChoice& f = gFileChoice;
  CopyPath(f.Path, field);
  if (ShowOpenFileDialog(f.Path, f.Name, f.Directory, f.Extension, &f.Drive, ps->CurrentPath, kStackPictureFilter,
                         title, owner) != 1)
    return 0;
  CopyPath(field, f.Path);
  return 1;
}

INT_PTR ShowRgbSetup(HWND owner, bool byWidth, ProgramState* ps) {
  char name[64];
  if (byWidth)
    ChooseDialogTemplate(name, sizeof name, "rgbkorrektur", kRgbSizesByWidth, ps->ScreenWidth);
  else
    ChooseDialogTemplate(name, sizeof name, "rgbkorrektur", kRgbSizesByLines, ps->ScreenHeight);
  ps->OpenedFromSetup = 1;
  return DialogBoxParamA(GetModuleHandleA(nullptr), name, owner, RgbAlignmentDlgProc, 0);
}

INT_PTR ShowNoiseSetup(HWND owner, ProgramState* ps) {
  ps->OpenedFromSetup = 1;
  return DialogBoxParamA(GetModuleHandleA(nullptr), "rauschfilter", owner, NoiseFilterSetupDlgProc, 0);
}
