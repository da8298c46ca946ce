#include "editing/calibration/dark_frame_dialog.h"

#include <commctrl.h>

#include <algorithm>
#include <initializer_list>

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
#include "shell/previews.h"

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

enum class Shown { kPicture, kResult, kBackground };

DialogFrame gFrame;
PreviewPane gPane;
int32_t gReduction = 1;             // kept from one opening to the next
ProgressCounter gCounter;
LightPicture gLight;
bool gHavePicture = false;
int16_t* gDark = nullptr;           // a loaded dark frame that fits the picture
int16_t* gBackground = nullptr;     // at opening filled with Const, later the background saved
int16_t* gResult = nullptr;         // the picture less its background
uint32_t* gHistogram = nullptr;
int32_t gHistogramTop = 400;
Shown gShown = Shown::kPicture;

ProgramState* State() { return &gProgramState; }

void Enable(int id, bool on) { EnableWindow(GetDlgItem(gFrame.dialog, id), on); }

const int16_t* ShownBlock() {
  switch (gShown) {
    case Shown::kResult:
      return gResult;
    case Shown::kBackground:
      return gBackground;
    case Shown::kPicture:
      break;
  }
  return gLight.samples;
}

// The preview shows what "&Übernehmen" would write, which only a correction
// makes.
void Show(Shown what) {
  gShown = what;
  const SIZE size = {gLight.header.width, gLight.header.height};
  SetPreviewPicture(&gPane, &size);
  ShowPreviewSamples(&gPane, ShownBlock(), &gLight.header);
  Enable(IDC_DARK_TAKE, what == Shown::kResult);
}

void Refresh() { ShowPreviewSamples(&gPane, ShownBlock(), &gLight.header); }

void PaintDarkHistogram(void*, HDC dc, const RECT* client) {
  if (gHistogram && PaintHistogram(dc, client, 0, gHistogramTop, gHistogram, 0)) return;
  HBRUSH navy = CreateSolidBrush(RGB(0, 0, 128));
  FillRect(dc, client, navy);
  DeleteObject(navy);
}

// The slider at the method's start and the factor with it.
void SetMethod(int32_t method) {
  ProgramState* ps = State();
  ps->Method = method;
  ShowControlTable(gFrame.dialog, kTable, ps);
  ShowBarValue(gFrame.dialog, kLevels[0], kMethodLevels[method] * 0.01);
  ps->EffOfPolynom = kMethodLevels[method] * 0.01;
}

void ReadFactor() {
  const int32_t position = int32_t(SendDlgItemMessageA(gFrame.dialog, IDC_DARK_LEVEL, TBM_GETPOS, 0, 0));
  State()->EffOfPolynom = BarValue(kLevels[0], position);
}

// The background of the method into block, from the picture: the estimate
// with the slider's factor, or the smoothed copy with gain 1 when correcting
// and with the factor, then masked by it, when saving.
ImageResult ComputeBackground(int16_t* block, bool forSaving) {
  const ProgramState* ps = State();
  const double factor = ps->EffOfPolynom;
  HCURSOR previous = SetCursor(LoadCursor(nullptr, IDC_WAIT));
  BeginDialogRun(&gFrame);
  ImageResult r = IMG_OK;
  DarkFrameProgress(0, 1);
  if (ps->Method == 1) {
    r = EstimateBackground(block, gLight.samples, &gLight.header, factor, 0, DarkFrameProgress);
  } else {
    r = FftFilterImage(block, gLight.samples, &gLight.header, forSaving ? factor : 1.0, DarkFrameProgress);
    if (r == IMG_OK && forSaving) {
      DarkFrameProgress(0, 1);
      r = EstimateBackground(block, gLight.samples, &gLight.header, factor, 1, DarkFrameProgress);
    }
  }
  SetCursor(previous);
  // The dialog was cancelled meanwhile: nothing more to do.
  if (EndDialogRun(&gFrame)) return IMG_BAD_PARAMETER;
  return r;
}

// "&Korrigieren": always the picture less the background of the method.
void Correct() {
  ProgramState* ps = State();
  if (!gHavePicture || !ReadLightPicture(ps, &gLight)) return;
  ReadFactor();
  if (ps->Method == 0 && !gDark) {
    ShowMessageBox(gFrame.dialog, "Es muß noch eine Dunkelstromdatei geladen werden!", kTitleError,
                   MB_OK | MB_ICONSTOP);
    return;
  }
  int16_t* result = NewBlock(&gLight);
  int16_t* background = ps->Method == 0 ? nullptr : NewBlock(&gLight);
  if (!result || (ps->Method != 0 && !background)) {
    FreeMem(&result);
    FreeMem(&background);
    ShowMessageBox(gFrame.dialog, "Nicht genug Speicher !", kTitleError, MB_OK | MB_ICONSTOP);
    return;
  }
  bool done = false;
  if (ps->Method == 0 || ComputeBackground(background, false) == IMG_OK) {
    HCURSOR previous = SetCursor(LoadCursor(nullptr, IDC_WAIT));
    done = SubtractDark(result, gLight.samples, ps->Method == 0 ? gDark : background, &gLight.header) == IMG_OK;
    SetCursor(previous);
  }
  FreeMem(&background);
  if (!done) {
    FreeMem(&result);
    return;
  }
  ReplaceBlock(&gResult, result);
  Show(Shown::kResult);
}

// "Dunkelfeld &speichern": the background of the method (the dark frame, or
// the work block, for the file method) shown and saved.
void SaveBackground() {
  ProgramState* ps = State();
  if (!gHavePicture || !ReadLightPicture(ps, &gLight)) return;
  ReadFactor();
  const int16_t* saved = gDark ? gDark : gBackground;
  if (ps->Method != 0) {
    int16_t* background = NewBlock(&gLight);
    if (!background) {
      ShowMessageBox(gFrame.dialog, "Nicht genug Speicher !", kTitleError, MB_OK | MB_ICONSTOP);
      return;
    }
    if (ComputeBackground(background, true) != IMG_OK) {
      FreeMem(&background);
      return;
    }
    ReplaceBlock(&gBackground, background);
    Show(Shown::kBackground);
    saved = gBackground;
  }
  if (ChooseSaveFile(gFrame.dialog, "Dunkelstrom als Datei speichern ...", "Dunkel.FTS"))
    SaveImageFile(gFileChoice.Path, gFileChoice.Extension, 1, saved, &gLight.header);
}

void ForgetDark() { FreeMem(&gDark); }

// "&Holen": a dark frame of the picture's size and kind, or none.
void FetchDark() {
  HWND dialog = gFrame.dialog;
  if (!ChoosePictureFile(dialog, "Dunkelstromaufnahme aus Datei laden ...")) {
    SetDlgItemTextA(dialog, IDC_DARK_FILE_NAME, "Keiner");
    Enable(IDC_DARK_CORRECT, false);
    Enable(IDC_DARK_SAVE, false);
    Enable(IDC_DARK_TAKE, false);
    ForgetDark();
    return;
  }
  SetDlgItemTextA(dialog, IDC_DARK_FILE_NAME, gFileChoice.Name);
  int16_t* loaded = nullptr;
  ImageHeader header;
  ImageMetadata metadata;
  InitImageHeader(&header);
  InitImageMetadata(&metadata);
  if (!LoadImageFile(gFileChoice.Path, gFileChoice.Extension, 1, &loaded, &header, &metadata)) {
    FreeMem(&loaded);
    ShowMessageBox(dialog, "Laden des Dunkelstroms nicht möglich !", kTitleError, MB_OK | MB_ICONSTOP);
    return;
  }
  if (!ReadLightPicture(State(), &gLight) ||
      !CheckHeadersMatch(&gLight.header, &header, 1, "Dunkelstrom paßt nicht zum Bild !", dialog)) {
    FreeMem(&loaded);
    Enable(IDC_DARK_CORRECT, false);
    Enable(IDC_DARK_SAVE, false);
    ForgetDark();
    return;
  }
  ReplaceBlock(&gDark, loaded);
  Enable(IDC_DARK_CORRECT, true);
  Enable(IDC_DARK_SAVE, true);
  Show(Shown::kPicture);
}

void ChooseMethod(int32_t method) {
  SetMethod(method);
  Enable(IDC_DARK_SAVE, true);
  Enable(IDC_DARK_CORRECT, method != 0 || gDark);
}

ApplyOutcome CommitResult(DialogFrame* frame, void*) {
  return WriteBlockOverPicture(frame, gShown == Shown::kResult ? gResult : nullptr);
}

// The histogram of the picture's centre and where its plot ends.
void MeasureCentre() {
  ImageRect centre;
  MakeRect(&centre, gLight.header.width / 8, gLight.header.height / 8, gLight.header.width * 6 / 8,
           gLight.header.height * 6 / 8);
  ComputeRegionHistogram(&centre, &gLight.header, gLight.samples, gHistogram);
  LevelsRecord levels = {};
  AnalyseLevels(gHistogram, 32768, 0, 0, 0, &levels);
  gHistogramTop = DarkHistogramTop(levels.peakLevel);
}

BOOL Open(HWND dialog) {
  ProgramState* ps = State();
  const FrameSource source = OpenDialogFrame(&gFrame, &kSpec, dialog);
  ClampTableFields(kTable, ps);
  ps->ProgressWindow = dialog;
  ps->SourceBuffer = 0;
  InitPreviewPane(&gPane, &kPane, dialog, &gReduction);
  DialogFrameOwnPane(&gFrame, &gPane);
  for (int16_t** block : {&gDark, &gBackground, &gResult}) DialogFrameOwnBlock(&gFrame, block);
  DialogFrameOwnBlock(&gFrame, &gHistogram);
  SendDlgItemMessageA(dialog, IDC_DARK_LEVEL, TBM_SETTICFREQ, 5, 0);
  SetMethod(ps->Method);
  Enable(IDC_DARK_SAVE, false);
  Enable(IDC_DARK_TAKE, false);
  Enable(IDC_DARK_CORRECT, true);
  gShown = Shown::kPicture;
  gHavePicture = source == FrameSource::kOk && ReadLightPicture(ps, &gLight);
  if (!gHavePicture) {
    gLight = LightPicture{};
    SetFocus(GetDlgItem(dialog, IDC_DARK_CANCEL));
    return FALSE;
  }
  gHistogram = static_cast<uint32_t*>(AllocArray(32768, sizeof(uint32_t)));
  gBackground = NewBlock(&gLight);
  if (!gHistogram || !gBackground) {
    ShowMessageBox(dialog, "Nicht genug Speicher !", kTitleError, MB_OK | MB_ICONSTOP);
    CancelDialogFrame(&gFrame);
    return FALSE;
  }
  const int64_t samples = int64_t(SampleBytes(&gLight.header) / 2);
  std::fill(gBackground, gBackground + samples, int16_t(ps->Const & 0xFFFF));
  MeasureCentre();
  InitPlotPane(dialog, IDC_DARK_HISTOGRAM, PaintDarkHistogram, nullptr);
  Show(Shown::kPicture);
  return TRUE;
}

BOOL Command(int id, int notification) {
  if (id == IDCANCEL || id == IDC_DARK_CANCEL) {
    CancelDialogFrame(&gFrame);
    return TRUE;
  }
  if (notification != BN_CLICKED || DialogRunActive(&gFrame)) return FALSE;
  if (HandlePreviewButton(&gPane, id)) {
    Refresh();
    return TRUE;
  }
  if (id >= IDC_DARK_FROM_FILE && id <= IDC_DARK_FFT) {
    ChooseMethod(id - IDC_DARK_FROM_FILE);
    return TRUE;
  }
  switch (id) {
    case IDC_DARK_FETCH:
      if (gHavePicture) FetchDark();
      return TRUE;
    case IDC_DARK_CORRECT:
      Correct();
      return TRUE;
    case IDC_DARK_SAVE:
      SaveBackground();
      return TRUE;
    case IDC_DARK_TAKE:
      CommitDialogFrame(&gFrame, CommitResult, nullptr);
      return TRUE;
  }
  return FALSE;
}

void Scroll(HWND control, WPARAM request) {
  if (HandlePreviewScroll(&gPane, control, request))
    Refresh();
  else
    HandleTableScroll(gFrame.dialog, kTable, State(), control, request);
}

}  // namespace

void DarkFrameProgress(int32_t total, int32_t first) {
  const double percent = CountProgress(&gCounter, total, first, 3.0);
  const int32_t method = State()->Method;
  if (percent >= 0 && (method == 1 || method == 2))
    ShowProgressPercent(State()->ProgressWindow, IDC_DARK_STATUS, "%1.0lf %% bearbeitet", percent);
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
      DialogFrameDestroyed(&gFrame);
      return FALSE;
  }
  return FALSE;
}
