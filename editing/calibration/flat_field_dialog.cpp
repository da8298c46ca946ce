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
// again or saving a simulation never works on a result; "&Gut" writes the
// one the preview shows.
CalibrationView gView;
int32_t gReduction = 1;             // kept from one opening to the next
ProgressCounter gCounter;
int16_t* gFlat = nullptr;
int16_t* gResult = nullptr;

void Enable(int id, bool on) { EnableWindow(GetDlgItem(gView.frame.dialog, id), on); }

// A flat field simulated from the picture: a smoothed copy, then every pixel
// standing above it replaced by the background around it. null when memory
// is short (a box said so) or the dialog ended meanwhile.
int16_t* Simulate(bool resetBetween) {
  int16_t* block = NewBlock(&gView);
  if (!block) return nullptr;
  const LightPicture& light = gView.light;
  const bool open = RunCalibrationWork(&gView, [&] {
    FlatFieldProgress(0, 1);
    FftFilterImage(block, light.samples, &light.header, 1.01, FlatFieldProgress);
    if (resetBetween) FlatFieldProgress(0, 1);
    EstimateBackground(block, light.samples, &light.header, 1.0, 1, FlatFieldProgress);
  });
  if (!open) FreeMem(&block);
  return block;
}

void UseSimulation() {
  CheckRadioButton(gView.frame.dialog, IDC_FLAT_FROM_FILE, IDC_FLAT_SIMULATION, IDC_FLAT_SIMULATION);
  Enable(IDC_FLAT_FETCH, false);
  int16_t* flat = gView.havePicture ? Simulate(false) : nullptr;
  if (!flat) return;
  ReplaceBlock(&gFlat, flat);
  ShowBlock(&gView, &gFlat);
  Enable(IDC_FLAT_CORRECT, true);
  Enable(IDC_FLAT_GOOD, true);
}

// A loaded flat field in the picture's layout: a grey one widened to the
// three samples of each colour pixel, a colour one turned into its luminance
// for a grey picture. null when the block cannot be had.
int16_t* FitFlat(int16_t* loaded, const ImageHeader* loadedHeader) {
  const bool pictureColour = gView.light.header.colourType == kColourRgb;
  if (pictureColour == (loadedHeader->colourType == kColourRgb)) return loaded;
  int16_t* fitted = nullptr;
  if (!AllocPixels(&fitted, &gView.light.header)) {
    WriteDebugLog("Mist");
    FreeMem(&loaded);
    ShowMessageBox(gView.frame.dialog, "Nicht genug Speicher !", kTitleError, MB_OK | MB_ICONSTOP);
    return nullptr;
  }
  const int64_t pixels = int64_t(gView.light.header.width) * gView.light.header.height;
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
  HWND dialog = gView.frame.dialog;
  if (!ChoosePictureFile(dialog, "Flatfield aus Datei laden ...")) {
    SetDlgItemTextA(dialog, IDC_FLAT_FILE_NAME, "Keiner");
    Enable(IDC_FLAT_GOOD, false);
    Enable(IDC_FLAT_CORRECT, false);
    return;
  }
  SetDlgItemTextA(dialog, IDC_FLAT_FILE_NAME, gFileChoice.Name);
  ImageHeader header;
  int16_t* loaded = LoadChosenPicture(0, &header);
  if (!loaded) {
    ShowMessageBox(dialog, "Laden des Flatfields nicht möglich !", kTitleError, MB_OK | MB_ICONSTOP);
    return;
  }
  if (!CheckHeadersMatch(&header, &gView.light.header, 2, "Flatfield paßt nicht zum Bild !", dialog)) {
    FreeMem(&loaded);
    Enable(IDC_FLAT_CORRECT, false);
    return;
  }
  int16_t* flat = FitFlat(loaded, &header);
  if (!flat) return;
  ReplaceBlock(&gFlat, flat);
  Enable(IDC_FLAT_CORRECT, true);
  ShowBlock(&gView, &gFlat);
}

// "&Korrigieren": always the picture divided by the flat field.
void Correct() {
  if (!gView.havePicture || !gFlat) return;
  int16_t* result = NewBlock(&gView);
  if (!result) return;
  HCURSOR previous = SetCursor(LoadCursor(nullptr, IDC_WAIT));
  if (DivideFlatField(result, gView.light.samples, gFlat, &gView.light.header) == IMG_OK) {
    ReplaceBlock(&gResult, result);
    Enable(IDC_FLAT_GOOD, true);
    ShowBlock(&gView, &gResult);
  } else {
    FreeMem(&result);
  }
  SetCursor(previous);
}

// "Flatfield &speichern": a simulation saved, and from then on the dialog's
// flat field.
void SaveFlat() {
  if (!gView.havePicture) return;
  if (!ChooseSaveFile(gView.frame.dialog, "Flatfield als Datei speichern ...", "Flatfield.FTS")) return;
  int16_t* flat = Simulate(true);
  if (!flat) return;
  SaveImageFile(gFileChoice.Path, gFileChoice.Extension, 1, flat, &gView.light.header);
  ReplaceBlock(&gFlat, flat);
  Enable(IDC_FLAT_CORRECT, true);
  RefreshView(&gView);
}

BOOL Open(HWND dialog) {
  static int16_t** const kBlocks[] = {&gFlat, &gResult, nullptr};
  const bool picture = OpenCalibrationView(&gView, &kSpec, &kPane, &gReduction, dialog, IDC_FLAT_CANCEL, kBlocks);
  Enable(IDC_FLAT_CORRECT, false);
  Enable(IDC_FLAT_GOOD, false);
  CheckRadioButton(dialog, IDC_FLAT_FROM_FILE, IDC_FLAT_SIMULATION, IDC_FLAT_FROM_FILE);
  return picture;
}

BOOL Command(int id, int notification) {
  BOOL handled;
  if (HandleViewCommand(&gView, id, notification, IDC_FLAT_CANCEL, &handled)) return handled;
  switch (id) {
    case IDC_FLAT_FROM_FILE:
      CheckRadioButton(gView.frame.dialog, IDC_FLAT_FROM_FILE, IDC_FLAT_SIMULATION, IDC_FLAT_FROM_FILE);
      Enable(IDC_FLAT_FETCH, true);
      return TRUE;
    case IDC_FLAT_SIMULATION:
      UseSimulation();
      return TRUE;
    case IDC_FLAT_FETCH:
      if (gView.havePicture) FetchFlat();
      return TRUE;
    case IDC_FLAT_CORRECT:
      Correct();
      return TRUE;
    case IDC_FLAT_SAVE:
      SaveFlat();
      return TRUE;
    case IDC_FLAT_GOOD:
      CommitDialogFrame(&gView.frame, WriteShownBlock, &gView);
      return TRUE;
  }
  return FALSE;
}

}  // namespace

void FlatFieldProgress(int32_t total, int32_t first) {
  ShowCalibrationProgress(&gCounter, total, first, 18.0, IDC_FLAT_STATUS);
}

INT_PTR CALLBACK FlatFieldDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      return Open(dialog);
    case WM_COMMAND:
      return Command(LOWORD(wParam), HIWORD(wParam));
    case WM_HSCROLL:
    case WM_VSCROLL:
      if (HandlePreviewScroll(&gView.pane, reinterpret_cast<HWND>(lParam), wParam)) RefreshView(&gView);
      return TRUE;
    case WM_DESTROY:
      DialogFrameDestroyed(&gView.frame);
      return FALSE;
  }
  return FALSE;
}
