#include "editing/calibration/flat_field_dialog.h"

#include "editing/calibration/calibration_ids.h"
#include "editing/calibration/calibration_steps.h"
#include "imageio/picture_files.h"
#include "imagelib/colour_channels.h"
#include "imagelib/fft_filters.h"
#include "imagelib/flat_dark.h"
#include "shell/buffer_slots.h"
#include "shell/choosers/file_choosers.h"
#include "shell/dialogkit/dialog_kit.h"
#include "shell/logs.h"
#include "shell/message_box.h"

namespace {

constexpr DialogFrameSpec kSpec = {
    kHotKeyFlat,   "Flatfieldkorrektur von %s",
    0,             0,
    IDC_FLAT_GOOD, kFrameNeedsPicture | kFrameUndoTarget,
    nullptr,       nullptr,
};
constexpr PreviewPaneSpec kPane = {IDC_FLAT_PREVIEW, IDC_FLAT_HSCROLL, IDC_FLAT_VSCROLL,
                                   IDC_FLAT_MINUS,   IDC_FLAT_PLUS,    0};

// The flat field and the corrected picture live apart, so that dividing
// again or saving a simulation never works on a result; the preview shows
// one of them or the picture itself, and "&Gut" writes what it shows.
enum class Shown { kPicture, kFlat, kResult };

DialogFrame gFrame;
PreviewPane gPane;
int32_t gReduction = 1;             // kept from one opening to the next
ProgressCounter gCounter;
LightPicture gLight;
bool gHavePicture = false;
int16_t* gFlat = nullptr;
int16_t* gResult = nullptr;
Shown gShown = Shown::kPicture;

ProgramState* State() { return &gProgramState; }

void Enable(int id, bool on) { EnableWindow(GetDlgItem(gFrame.dialog, id), on); }

const int16_t* ShownBlock() {
  switch (gShown) {
    case Shown::kFlat:
      return gFlat;
    case Shown::kResult:
      return gResult;
    case Shown::kPicture:
      break;
  }
  return gLight.samples;
}

void Show(Shown what) {
  gShown = what;
  const SIZE size = {gLight.header.width, gLight.header.height};
  SetPreviewPicture(&gPane, &size);
  ShowPreviewSamples(&gPane, ShownBlock(), &gLight.header);
}

void Refresh() { ShowPreviewSamples(&gPane, ShownBlock(), &gLight.header); }

// A flat field simulated from the picture: a smoothed copy, then every pixel
// standing above it replaced by the background around it. null when memory
// is short (a box said so) or the dialog ended meanwhile.
int16_t* Simulate(bool resetBetween) {
  int16_t* block = NewBlock(&gLight);
  if (!block) {
    ShowMessageBox(gFrame.dialog, "Nicht genug Speicher !", kTitleError, MB_OK | MB_ICONSTOP);
    return nullptr;
  }
  HCURSOR previous = SetCursor(LoadCursor(nullptr, IDC_WAIT));
  BeginDialogRun(&gFrame);
  FlatFieldProgress(0, 1);
  FftFilterImage(block, gLight.samples, &gLight.header, 1.01, FlatFieldProgress);
  if (resetBetween) FlatFieldProgress(0, 1);
  EstimateBackground(block, gLight.samples, &gLight.header, 1.0, 1, FlatFieldProgress);
  SetCursor(previous);
  if (EndDialogRun(&gFrame)) {
    FreeMem(&block);
    return nullptr;
  }
  return block;
}

void UseSimulation() {
  CheckRadioButton(gFrame.dialog, IDC_FLAT_FROM_FILE, IDC_FLAT_SIMULATION, IDC_FLAT_SIMULATION);
  Enable(IDC_FLAT_FETCH, false);
  if (!gHavePicture) return;
  int16_t* flat = Simulate(false);
  if (!flat) return;
  ReplaceBlock(&gFlat, flat);
  Show(Shown::kFlat);
  Enable(IDC_FLAT_CORRECT, true);
  Enable(IDC_FLAT_GOOD, true);
}

// A loaded flat field in the picture's layout: a grey one widened to the
// three samples of each colour pixel, a colour one turned into its luminance
// for a grey picture. null when the block cannot be had.
int16_t* FitFlat(int16_t* loaded, const ImageHeader* loadedHeader) {
  const bool pictureColour = gLight.header.colourType == kColourRgb;
  const bool flatColour = loadedHeader->colourType == kColourRgb;
  if (pictureColour == flatColour) return loaded;
  int16_t* fitted = NewBlock(&gLight);
  if (!fitted) {
    WriteDebugLog("Mist");
    FreeMem(&loaded);
    return nullptr;
  }
  const int64_t pixels = int64_t(gLight.header.width) * gLight.header.height;
  if (pictureColour) {
    for (int64_t i = 0; i < pixels; ++i) fitted[3 * i] = fitted[3 * i + 1] = fitted[3 * i + 2] = loaded[i];
  } else {
    RgbToLuminance(loaded, loadedHeader, fitted);
  }
  FreeMem(&loaded);
  return fitted;
}

// "&Holen": the blocks change only when a fitting flat field was loaded.
void FetchFlat() {
  HWND dialog = gFrame.dialog;
  if (!ChoosePictureFile(dialog, "Flatfield aus Datei laden ...")) {
    SetDlgItemTextA(dialog, IDC_FLAT_FILE_NAME, "Keiner");
    Enable(IDC_FLAT_GOOD, false);
    Enable(IDC_FLAT_CORRECT, false);
    return;
  }
  SetDlgItemTextA(dialog, IDC_FLAT_FILE_NAME, gFileChoice.Name);
  int16_t* loaded = nullptr;
  ImageHeader header;
  ImageMetadata metadata;
  InitImageHeader(&header);
  InitImageMetadata(&metadata);
  if (!LoadImageFile(gFileChoice.Path, gFileChoice.Extension, 0, &loaded, &header, &metadata)) {
    FreeMem(&loaded);
    ShowMessageBox(dialog, "Laden des Flatfields nicht möglich !", kTitleError, MB_OK | MB_ICONSTOP);
    return;
  }
  if (!ReadLightPicture(State(), &gLight) ||
      !CheckHeadersMatch(&header, &gLight.header, 2, "Flatfield paßt nicht zum Bild !", dialog)) {
    FreeMem(&loaded);
    Enable(IDC_FLAT_CORRECT, false);
    return;
  }
  int16_t* flat = FitFlat(loaded, &header);
  if (!flat) {
    ShowMessageBox(dialog, "Nicht genug Speicher !", kTitleError, MB_OK | MB_ICONSTOP);
    return;
  }
  ReplaceBlock(&gFlat, flat);
  Enable(IDC_FLAT_CORRECT, true);
  Show(Shown::kFlat);
}

// "&Korrigieren": always the picture divided by the flat field.
void Correct() {
  if (!gHavePicture || !gFlat || !ReadLightPicture(State(), &gLight)) return;
  int16_t* result = NewBlock(&gLight);
  if (!result) {
    ShowMessageBox(gFrame.dialog, "Nicht genug Speicher !", kTitleError, MB_OK | MB_ICONSTOP);
    return;
  }
  HCURSOR previous = SetCursor(LoadCursor(nullptr, IDC_WAIT));
  if (DivideFlatField(result, gLight.samples, gFlat, &gLight.header) == IMG_OK) {
    ReplaceBlock(&gResult, result);
    Enable(IDC_FLAT_GOOD, true);
    Show(Shown::kResult);
  } else {
    FreeMem(&result);
  }
  SetCursor(previous);
}

// "Flatfield &speichern": a simulation saved, and from then on the dialog's
// flat field.
void SaveFlat() {
  if (!gHavePicture) return;
  if (!ChooseSaveFile(gFrame.dialog, "Flatfield als Datei speichern ...", "Flatfield.FTS")) return;
  int16_t* flat = Simulate(true);
  if (!flat) return;
  SaveImageFile(gFileChoice.Path, gFileChoice.Extension, 1, flat, &gLight.header);
  ReplaceBlock(&gFlat, flat);
  Enable(IDC_FLAT_CORRECT, true);
  if (gShown == Shown::kFlat) Refresh();
}

ApplyOutcome CommitShown(DialogFrame* frame, void*) {
  return WriteBlockOverPicture(frame, gShown == Shown::kPicture ? nullptr : ShownBlock());
}

BOOL Open(HWND dialog) {
  ProgramState* ps = State();
  const FrameSource source = OpenDialogFrame(&gFrame, &kSpec, dialog);
  ps->ProgressWindow = dialog;
  InitPreviewPane(&gPane, &kPane, dialog, &gReduction);
  DialogFrameOwnPane(&gFrame, &gPane);
  DialogFrameOwnBlock(&gFrame, &gFlat);
  DialogFrameOwnBlock(&gFrame, &gResult);
  Enable(IDC_FLAT_CORRECT, false);
  Enable(IDC_FLAT_GOOD, false);
  CheckRadioButton(dialog, IDC_FLAT_FROM_FILE, IDC_FLAT_SIMULATION, IDC_FLAT_FROM_FILE);
  gHavePicture = source == FrameSource::kOk && ReadLightPicture(ps, &gLight);
  if (!gHavePicture) {
    gLight = LightPicture{};
    SetFocus(GetDlgItem(dialog, IDC_FLAT_CANCEL));
    return FALSE;
  }
  Show(Shown::kPicture);
  return TRUE;
}

BOOL Command(int id, int notification) {
  if (id == IDCANCEL || id == IDC_FLAT_CANCEL) {
    CancelDialogFrame(&gFrame);
    return TRUE;
  }
  if (notification != BN_CLICKED || DialogRunActive(&gFrame)) return FALSE;
  if (HandlePreviewButton(&gPane, id)) {
    Refresh();
    return TRUE;
  }
  switch (id) {
    case IDC_FLAT_FROM_FILE:
      CheckRadioButton(gFrame.dialog, IDC_FLAT_FROM_FILE, IDC_FLAT_SIMULATION, IDC_FLAT_FROM_FILE);
      Enable(IDC_FLAT_FETCH, true);
      return TRUE;
    case IDC_FLAT_SIMULATION:
      UseSimulation();
      return TRUE;
    case IDC_FLAT_FETCH:
      if (gHavePicture) FetchFlat();
      return TRUE;
    case IDC_FLAT_CORRECT:
      Correct();
      return TRUE;
    case IDC_FLAT_SAVE:
      SaveFlat();
      return TRUE;
    case IDC_FLAT_GOOD:
      CommitDialogFrame(&gFrame, CommitShown, nullptr);
      return TRUE;
  }
  return FALSE;
}

}  // namespace

void FlatFieldProgress(int32_t total, int32_t first) {
  const double percent = CountProgress(&gCounter, total, first, 18.0);
  if (percent >= 0) ShowProgressPercent(State()->ProgressWindow, IDC_FLAT_STATUS, "%1.0lf %% bearbeitet", percent);
}

INT_PTR CALLBACK FlatFieldDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      return Open(dialog);
    case WM_COMMAND:
      return Command(LOWORD(wParam), HIWORD(wParam));
    case WM_HSCROLL:
    case WM_VSCROLL:
      if (HandlePreviewScroll(&gPane, reinterpret_cast<HWND>(lParam), wParam)) Refresh();
      return TRUE;
    case WM_DESTROY:
      DialogFrameDestroyed(&gFrame);
      return FALSE;
  }
  return FALSE;
}
