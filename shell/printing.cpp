#include "printing.h"

#include <commdlg.h>

#include <cstdio>
#include <new>

#include "buffer_slots.h"
#include "display_bitmap.h"
#include "frame_window.h"
#include "menu_ids.h"
#include "previews.h"
#include "print_bands.h"
#include "workers.h"

HWND gMessageDialog;

namespace {

// The printer chosen in the set-up dialog.
HGLOBAL gDevMode;
HGLOBAL gDevNames;

void KeepPrinter(const PRINTDLGA& pd) {
  if (gDevMode && gDevMode != pd.hDevMode) GlobalFree(gDevMode);
  if (gDevNames && gDevNames != pd.hDevNames) GlobalFree(gDevNames);
  gDevMode = pd.hDevMode;
  gDevNames = pd.hDevNames;
}

void ShowProgress(const char* text) {
  if (gMessageDialog) SendMessageA(gMessageDialog, WM_PAINT, 0, reinterpret_cast<LPARAM>(text));
}

void CloseProgress() {
  if (gMessageDialog) DestroyWindow(gMessageDialog);
  gMessageDialog = nullptr;
}

bool Cancelled(const ProgramState* ps) {
  PumpPendingMessages();
  return ps->AbortRequested != 0;
}

// The bands one after the other; false when one fails or the user cancels.
bool DrawBands(HDC hdc, int left, int top, const PrintFit& fit, bool colourOut, uint8_t* rows,
               const int16_t* samples, const ImageHeader* h, ProgramState* ps) {
  ImageHeader band = *h;
  band.width = fit.width;
  band.height = fit.bandHeight;
  band.colourType = colourOut ? kColourRgb : (h->colourType == kColourRgb ? 0 : h->colourType);
  for (int b = 0; b < kPrintBands; ++b) {
    if (Cancelled(ps)) return false;
    ShowProgress("Fülle Druckerpuffer ...");
    FillPrintBand(rows, fit, b, colourOut, samples, h);
    char text[64];
    std::snprintf(text, sizeof text, "Erzeuge Bitmap %d ... ", b + 1);
    ShowProgress(text);
    const HBITMAP bitmap = CreateDeviceBitmap(hdc, rows, &band, ps);
    if (!bitmap) return false;
    ShowProgress("Drucke Bitmap aus ... ");
    DrawBitmapAt(hdc, bitmap, left, top + b * fit.bandHeight);
    DeleteObject(bitmap);
  }
  return true;
}

}  // namespace

BOOL PrinterSetupDialog(HWND owner) {
  PRINTDLGA pd{};
  pd.lStructSize = sizeof pd;
  pd.hwndOwner = owner;
  pd.hDevMode = gDevMode;
  pd.hDevNames = gDevNames;
  pd.Flags = PD_PRINTSETUP;
  pd.nCopies = 1;
  pd.hInstance = GetModuleHandleA(nullptr);
  const BOOL result = PrintDlgA(&pd);
  if (result) KeepPrinter(pd);
  return result;
}

BOOL PrintDialog(HDC* hdc, int* copies, HWND owner) {
  PRINTDLGA pd{};
  pd.lStructSize = sizeof pd;
  pd.hwndOwner = owner;
  pd.hDevMode = gDevMode;
  pd.hDevNames = gDevNames;
  pd.Flags = PD_RETURNDC | PD_DISABLEPRINTTOFILE;
  pd.nFromPage = pd.nToPage = pd.nMinPage = pd.nMaxPage = 1;
  pd.nCopies = 1;
  pd.hInstance = GetModuleHandleA(nullptr);
  const BOOL result = PrintDlgA(&pd);
  if (result) {
    KeepPrinter(pd);
    *hdc = pd.hDC;
    *copies = pd.nCopies;
  }
  return result;
}

int GetPrintArea(HDC hdc, int* marginX, int* marginY, int* width, int* height, int* bitsPerPixel, int* planes) {
  if (!(GetDeviceCaps(hdc, RASTERCAPS) & (RC_BITBLT | RC_BITMAP64))) return 0;
  *marginX = int(GetDeviceCaps(hdc, LOGPIXELSX) * 0.8);
  *marginY = int(GetDeviceCaps(hdc, LOGPIXELSY) * 0.8);
  *width = GetDeviceCaps(hdc, HORZRES) - 2 * *marginX;
  *height = GetDeviceCaps(hdc, VERTRES) - 2 * *marginY;
  *bitsPerPixel = GetDeviceCaps(hdc, BITSPIXEL);
  *planes = GetDeviceCaps(hdc, PLANES);
  return 1;
}

int PrintImage(HDC hdc, int left, int top, int width, int height, int bitsPerPixel, int planes, int slot,
               ProgramState* ps) {
  ImageHeader h;
  const int16_t* samples = GetSlotPixels(slot, ps);
  PrintFit fit;
  if (!(GetDeviceCaps(hdc, RASTERCAPS) & RC_STRETCHDIB) || !IsSlotLoaded(slot, ps) || !samples ||
      !GetSlotHeader(&h, slot, ps) || !FitPrintPicture(width, height, h.width, h.height, &fit))
    return 0;
  const bool colourOut = h.colourType == kColourRgb && bitsPerPixel * planes > 8;

  gMessageDialog = CreateDialogParamA(GetModuleHandleA(nullptr), "arbeitmeld", gFrameWindow, MessageDlgProc, 0);
  ShowProgress("Erzeuge Druckerpuffer ... ");
  const int64_t size = PrintBandSize(fit, colourOut);
  uint8_t* rows = size <= 0x7FFFFFFF ? new (std::nothrow) uint8_t[size_t(size)] : nullptr;
  const bool done = rows && DrawBands(hdc, left, top, fit, colourOut, rows, samples, &h, ps);
  delete[] rows;
  CloseProgress();
  return done ? 1 : 0;
}

INT_PTR CALLBACK MessageDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      gProgramState.AbortRequested = 0;
      return TRUE;
    case WM_PAINT:
      // Texts come as WM_PAINT with the text in lParam; the system's own
      // WM_PAINT has none and paints as usual.
      if (!lParam) return FALSE;
      SetDlgItemTextA(dialog, IDC_PROGRESS_TEXT, reinterpret_cast<const char*>(lParam));
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wParam) != IDC_PROGRESS_CANCEL && LOWORD(wParam) != IDCANCEL) break;
      gProgramState.AbortRequested = 1;
      DestroyWindow(dialog);
      if (gMessageDialog == dialog) gMessageDialog = nullptr;
      return TRUE;
  }
  return FALSE;
}
