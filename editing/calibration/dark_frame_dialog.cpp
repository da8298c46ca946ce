#include "editing/calibration/dark_frame_dialog.h"

#include <commctrl.h>

#include <algorithm>

#include "editing/calibration/calibration_ids.h"
#include "editing/calibration/calibration_steps.h"
#include "imageio/picture_files.h"
#include "imagelib/fft_filters.h"
#include "imagelib/flat_dark.h"
#include "imagelib/statistics.h"
#include "shell/buffer_slots.h"
#include "shell/choosers/file_choosers.h"
#include "shell/dialogkit/dialog_kit.h"
#include "shell/message_box.h"

namespace {

constexpr DialogFrameSpec kSpec = {
    kHotKeyDark,   "Dunkelstromkorrektur von %s",
    0,             0,
    IDC_DARK_TAKE, kFrameNeedsPicture | kFrameUndoTarget,
    nullptr,       nullptr,
};
constexpr PreviewPaneSpec kPane = {IDC_DARK_PREVIEW, IDC_DARK_HSCROLL, IDC_DARK_VSCROLL,
                                   IDC_DARK_MINUS,   IDC_DARK_PLUS,    0};

#define FIELD(member) KIT_FIELD(ProgramState, member)
constexpr BarSpec kLevels[] = {{IDC_DARK_LEVEL, 0, 0, 400, 20, BarMap::kLinear, 0.01, BarText::kNone, nullptr,
                                FIELD(EffOfPolynom)}};
constexpr RadioSpec kMethods[] = {{IDC_DARK_FROM_FILE, 3, 0, FIELD(Method)}};
constexpr ControlTable kTable = {kLevels, kMethods, {}, {}};
#undef FIELD

// The slider's factor that each method starts from, in hundredths.
constexpr int32_t kMethodLevels[] = {100, 120, 95};

CalibrationView gView;
int32_t gReduction = 1;             // kept from one opening to the next
ProgressCounter gCounter;
int16_t* gDark = nullptr;           // a loaded dark frame that fits the picture
int16_t* gBackground = nullptr;     // at opening filled with Const, later the background saved
int16_t* gResult = nullptr;         // the picture less its background
uint32_t* gHistogram = nullptr;
int32_t gHistogramTop = 400;

ProgramState* State() { return &gProgramState; }

void Enable(int id, bool on) { EnableWindow(GetDlgItem(gView.frame.dialog, id), on); }

// The preview shows what "&Übernehmen" would write, which only a correction
// makes.
void Show(int16_t* const* block) {
  ShowBlock(&gView, block);
  Enable(IDC_DARK_TAKE, block == &gResult);
}

void PaintDarkHistogram(void*, HDC dc, const RECT* client) {
  PaintHistogramPlot(dc, client, gHistogramTop, gHistogram, 0);
}

// The slider at the method's start and the factor with it.
void SetMethod(int32_t method) {
  ProgramState* ps = State();
  ps->Method = method;
  ShowControlTable(gView.frame.dialog, kTable, ps);
  ShowBarValue(gView.frame.dialog, kLevels[0], kMethodLevels[method] * 0.01);
  ps->EffOfPolynom = kMethodLevels[method] * 0.01;
}

void ReadFactor() {
  const int32_t position = int32_t(SendDlgItemMessageA(gView.frame.dialog, IDC_DARK_LEVEL, TBM_GETPOS, 0, 0));
  State()->EffOfPolynom = BarValue(kLevels[0], position);
}

// The background of the method into block, from the picture: the estimate
// with the slider's factor, or the smoothed copy with gain 1 when correcting
// and with the factor, then masked by it, when saving. Not IMG_OK also when
// the dialog was cancelled meanwhile.
ImageResult ComputeBackground(int16_t* block, bool forSaving) {
  const ProgramState* ps = State();
  const double factor = ps->EffOfPolynom;
  const LightPicture& light = gView.light;
  ImageResult r = IMG_OK;
  const bool open = RunCalibrationWork(&gView, [&] {
    DarkFrameProgress(0, 1);
    if (ps->Method == 1) {
      r = EstimateBackground(block, light.samples, &light.header, factor, 0, DarkFrameProgress);
      return;
    }
    r = FftFilterImage(block, light.samples, &light.header, forSaving ? factor : 1.0, DarkFrameProgress);
    if (r == IMG_OK && forSaving) {
      DarkFrameProgress(0, 1);
      r = EstimateBackground(block, light.samples, &light.header, factor, 1, DarkFrameProgress);
    }
  });
  return open ? r : IMG_BAD_PARAMETER;
}

// "&Korrigieren": always the picture less the background of the method.
void Correct() {
  ProgramState* ps = State();
  if (!gView.havePicture) return;
  ReadFactor();
  if (ps->Method == 0 && !gDark) {
    ShowMessageBox(gView.frame.dialog, "Es muß noch eine Dunkelstromdatei geladen werden!", kTitleError,
                   MB_OK | MB_ICONSTOP);
    return;
  }
  int16_t* result = NewBlock(&gView);
  int16_t* background = result && ps->Method != 0 ? NewBlock(&gView) : nullptr;
  bool done = false;
  if (result && (ps->Method == 0 || (background && ComputeBackground(background, false) == IMG_OK))) {
    HCURSOR previous = SetCursor(LoadCursor(nullptr, IDC_WAIT));
    done = SubtractDark(result, gView.light.samples, ps->Method == 0 ? gDark : background, &gView.light.header) ==
           IMG_OK;
    SetCursor(previous);
  }
  FreeMem(&background);
  if (!done) {
    FreeMem(&result);
    return;
  }
  ReplaceBlock(&gResult, result);
  Show(&gResult);
}

// "Dunkelfeld &speichern": the background of the method (for the file
// method the dark frame, or the work block) shown and saved.
void SaveBackground() {
  ProgramState* ps = State();
  if (!gView.havePicture) return;
  ReadFactor();
  const int16_t* saved = gDark ? gDark : gBackground;
  if (ps->Method != 0) {
    int16_t* background = NewBlock(&gView);
    if (!background) return;
    if (ComputeBackground(background, true) != IMG_OK) {
      FreeMem(&background);
      return;
    }
    ReplaceBlock(&gBackground, background);
    Show(&gBackground);
    saved = gBackground;
  }
  if (ChooseSaveFile(gView.frame.dialog, "Dunkelstrom als Datei speichern ...", "Dunkel.FTS"))
    SaveImageFile(gFileChoice.Path, gFileChoice.Extension, 1, saved, &gView.light.header);
}

// "&Holen": a dark frame of the picture's size and kind, or none.
void FetchDark() {
  HWND dialog = gView.frame.dialog;
  if (!ChoosePictureFile(dialog, "Dunkelstromaufnahme aus Datei laden ...")) {
    SetDlgItemTextA(dialog, IDC_DARK_FILE_NAME, "Keiner");
    Enable(IDC_DARK_CORRECT, false);
    Enable(IDC_DARK_SAVE, false);
    Enable(IDC_DARK_TAKE, false);
    FreeMem(&gDark);
    return;
  }
  SetDlgItemTextA(dialog, IDC_DARK_FILE_NAME, gFileChoice.Name);
  ImageHeader header;
  int16_t* loaded = LoadChosenPicture(1, &header);
  if (!loaded) {
    ShowMessageBox(dialog, "Laden des Dunkelstroms nicht möglich !", kTitleError, MB_OK | MB_ICONSTOP);
    return;
  }
  if (!CheckHeadersMatch(&gView.light.header, &header, 1, "Dunkelstrom paßt nicht zum Bild !", dialog)) {
    FreeMem(&loaded);
    Enable(IDC_DARK_CORRECT, false);
    Enable(IDC_DARK_SAVE, false);
    FreeMem(&gDark);
    return;
  }
  ReplaceBlock(&gDark, loaded);
  Enable(IDC_DARK_CORRECT, true);
  Enable(IDC_DARK_SAVE, true);
  Show(nullptr);
}

void ChooseMethod(int32_t method) {
  SetMethod(method);
  Enable(IDC_DARK_SAVE, true);
  Enable(IDC_DARK_CORRECT, method != 0 || gDark);
}

// The histogram of the picture's centre and where its plot ends.
void MeasureCentre() {
  const LightPicture& light = gView.light;
  ImageRect centre;
  MakeRect(&centre, light.header.width / 8, light.header.height / 8, light.header.width * 6 / 8,
           light.header.height * 6 / 8);
  ComputeRegionHistogram(&centre, &light.header, light.samples, gHistogram);
  LevelsRecord levels = {};
  AnalyseLevels(gHistogram, 32768, 0, 0, 0, &levels);
  gHistogramTop = DarkHistogramTop(levels.peakLevel);
}

BOOL Open(HWND dialog) {
  ProgramState* ps = State();
  static int16_t** const kBlocks[] = {&gDark, &gBackground, &gResult, nullptr};
  const bool picture = OpenCalibrationView(&gView, &kSpec, &kPane, &gReduction, dialog, IDC_DARK_CANCEL, kBlocks);
  ps->SourceBuffer = 0;
  DialogFrameOwnBlock(&gView.frame, &gHistogram);
  ClampTableFields(kTable, ps);
  SendDlgItemMessageA(dialog, IDC_DARK_LEVEL, TBM_SETTICFREQ, 5, 0);
  SetMethod(ps->Method);
  Enable(IDC_DARK_SAVE, false);
  Enable(IDC_DARK_TAKE, false);
  Enable(IDC_DARK_CORRECT, true);
  if (!picture) return FALSE;
  gHistogram = static_cast<uint32_t*>(AllocArray(32768, sizeof(uint32_t)));
  AllocPixels(&gBackground, &gView.light.header);
  if (!gHistogram || !gBackground) {
    ShowMessageBox(dialog, "Nicht genug Speicher !", kTitleError, MB_OK | MB_ICONSTOP);
    CancelDialogFrame(&gView.frame);
    return FALSE;
  }
  const int64_t samples = int64_t(SampleBytes(&gView.light.header) / 2);
  std::fill(gBackground, gBackground + samples, int16_t(ps->Const & 0xFFFF));
  MeasureCentre();
  InitPlotPane(dialog, IDC_DARK_HISTOGRAM, PaintDarkHistogram, nullptr);
  return TRUE;
}

BOOL Command(int id, int notification) {
  BOOL handled;
  if (HandleViewCommand(&gView, id, notification, IDC_DARK_CANCEL, &handled)) return handled;
  if (id >= IDC_DARK_FROM_FILE && id <= IDC_DARK_FFT) {
    ChooseMethod(id - IDC_DARK_FROM_FILE);
    return TRUE;
  }
  switch (id) {
    case IDC_DARK_FETCH:
      if (gView.havePicture) FetchDark();
      return TRUE;
    case IDC_DARK_CORRECT:
      Correct();
      return TRUE;
    case IDC_DARK_SAVE:
      SaveBackground();
      return TRUE;
    case IDC_DARK_TAKE:
      CommitDialogFrame(&gView.frame, WriteShownBlock, &gView);
      return TRUE;
  }
  return FALSE;
}

void Scroll(HWND control, WPARAM request) {
  if (HandlePreviewScroll(&gView.pane, control, request))
    RefreshView(&gView);
  else
    HandleTableScroll(gView.frame.dialog, kTable, State(), control, request);
}

}  // namespace

void DarkFrameProgress(int32_t total, int32_t first) {
  const int32_t method = State()->Method;
  if (method == 1 || method == 2) ShowCalibrationProgress(&gCounter, total, first, 3.0, IDC_DARK_STATUS);
}

int32_t DarkHistogramTop(int32_t peakLevel) { return std::clamp(4 * peakLevel, 400, 32767); }

INT_PTR CALLBACK DarkFrameDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      return Open(dialog);
    case WM_COMMAND:
      return Command(LOWORD(wParam), HIWORD(wParam));
    case WM_HSCROLL:
    case WM_VSCROLL:
      Scroll(reinterpret_cast<HWND>(lParam), wParam);
      return TRUE;
    case WM_DESTROY:
      DialogFrameDestroyed(&gView.frame);
      return FALSE;
  }
  return FALSE;
}
