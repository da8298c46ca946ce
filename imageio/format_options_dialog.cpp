#include "format_options_dialog.h"

#include "format_options.h"
#include "picture_dialog_ids.h"
#include "shell/dialogkit/dialog_kit.h"

namespace {

constexpr BarSpec kBars[] = {
    {IDC_FMT_JPEG_QUALITY, IDC_FMT_JPEG_QUALITY_TEXT, kJpegQualityMin, kJpegQualityMax, 10, BarMap::kLinear, 1.0,
     BarText::kLong, "%ld %%", KIT_FIELD(ProgramState, Jpeg.JpegQuality)},
    {IDC_FMT_SCALE, IDC_FMT_SCALE_TEXT, 0, kScaleBarMax, 10, BarMap::kMagnification, 1.0, BarText::kDouble, "%4.2lf",
     KIT_FIELD(ProgramState, Scalefactor)},
};

constexpr int32_t kGifFormats[] = {87, 89};
constexpr int32_t kDepths[] = {8, 16};
// Values the writers know no button for stay as they are, shown on the
// button the writers treat them like.
constexpr RadioSpec kRadios[] = {
    {IDC_FMT_GIF87, 2, 0, KIT_FIELD(ProgramState, Gif.GifFormat), kGifFormats, 0},
    {IDC_FMT_TIFF_FIRST, kTiffCompressionCount, 0, KIT_FIELD(ProgramState, Tiff.TiffCompression), kTiffCompressions,
     kTiffCompressionCount - 1},
    {IDC_FMT_TIFF_8, 2, 0, KIT_FIELD(ProgramState, Tiff.TiffSaveBits), kDepths, 1},
    {IDC_FMT_PNG_8, 2, 0, KIT_FIELD(ProgramState, PngBitsPerPixel), kDepths, 1},
};

constexpr CheckSpec kChecks[] = {
    {IDC_FMT_GIF_INTERLACED, KIT_FIELD(ProgramState, Gif.GifInterlaced), false},
    {IDC_FMT_GIF_GLOBAL, KIT_FIELD(ProgramState, Gif.GifGlobalColorMap), false},
    {IDC_FMT_GIF_GREY, KIT_FIELD(ProgramState, Gif.GifGrayscale24), false},
    {IDC_FMT_JPEG_GREY, KIT_FIELD(ProgramState, Jpeg.JpegGrayscale), false},
    {IDC_FMT_FITS_BZERO, KIT_FIELD(ProgramState, FITSBzero), false},
    {IDC_FMT_PNG_GREY, KIT_FIELD(ProgramState, PngGrayscale), false},
};

constexpr ControlTable kTable = {kBars, kRadios, kChecks, {}};

constexpr DialogFrameSpec kSpec = {
    kHotKeyFormats, "Einstellung von Grafikformaten", 0, 0, IDC_FMT_OK, kFrameKeepsBuffers, nullptr, nullptr,
};

DialogFrame gFrame;

// Values from a hand-edited "tyvorn.ini" that no bar position stands for
// become the nearest the bar can show (a factor that is no number 1 : 1),
// before the backup: cancel must not bring them back into the writers.
void BringBarsIntoRange(ProgramState* ps) {
  if (!ScaleFactorOnBar(ps->Scalefactor)) ps->Scalefactor = ScaleFactorOf(ScalePositionOf(ps->Scalefactor));
  ps->Jpeg.JpegQuality = ClampJpegQuality(ps->Jpeg.JpegQuality);
}

// The FITS buttons set two settings at once.
void ShowFitsOrganisation(HWND dialog, const ProgramState* ps) {
  CheckRadioButton(dialog, IDC_FMT_FITS_FIRST, IDC_FMT_FITS_LAST,
                   IDC_FMT_FITS_FIRST + FitsOrganisationIndex(ps->FITSFrameOrg, ps->FITSColorOrg));
}

bool HandleFitsButton(HWND dialog, ProgramState* ps, int id) {
  if (id < IDC_FMT_FITS_FIRST || id > IDC_FMT_FITS_LAST) return false;
  const FitsOrganisation& chosen = kFitsOrganisations[id - IDC_FMT_FITS_FIRST];
  ps->FITSFrameOrg = chosen.frameOrg;
  ps->FITSColorOrg = chosen.colorOrg;
  ShowFitsOrganisation(dialog, ps);
  return true;
}

}  // namespace

INT_PTR CALLBACK GraphicsFormatsDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  ProgramState* ps = &gProgramState;
  switch (message) {
    case WM_INITDIALOG:
      BringBarsIntoRange(ps);
      OpenDialogFrame(&gFrame, &kSpec, dialog, ps);
      ShowControlTable(dialog, kTable, ps);
      ShowFitsOrganisation(dialog, ps);
      return TRUE;
    case WM_HSCROLL:
      HandleTableScroll(dialog, kTable, ps, reinterpret_cast<HWND>(lParam), wParam);
      return TRUE;
    case WM_COMMAND: {
      const int id = LOWORD(wParam);
      if (HandleTableCommand(dialog, kTable, ps, id, HIWORD(wParam)) || HandleFitsButton(dialog, ps, id)) return TRUE;
      if (id == IDC_FMT_OK) {
        CommitDialogFrame(&gFrame, nullptr, nullptr);
      } else if (id == IDC_FMT_CANCEL || id == IDCANCEL) {
        CancelDialogFrame(&gFrame);
      } else {
        return FALSE;
      }
      return TRUE;
    }
    case WM_DESTROY:
      DialogFrameDestroyed(&gFrame);
      return FALSE;
  }
  return FALSE;
}
