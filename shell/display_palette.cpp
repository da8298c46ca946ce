#include "display_palette.h"

#include <algorithm>
#include <iterator>

#include "display_bitmap.h"

namespace {

Bgr BgrOf(RGBQUAD q) { return {q.rgbBlue, q.rgbGreen, q.rgbRed}; }

PALETTEENTRY Entry(Bgr c, bool halve) {
  const int d = halve ? 2 : 1;
  return {BYTE(c.r / d), BYTE(c.g / d), BYTE(c.b / d), PC_NOCOLLAPSE};
}
PALETTEENTRY Entry(RGBQUAD q) { return Entry(BgrOf(q), false); }

void FillRamp(PALETTEENTRY* ramp, const ProgramState* ps, int paletteType, bool middle, bool halve) {
  const LevelColourSettings settings = LevelColourSettingsOf(ps);
  for (int i = 0; i < kPaletteRampSize; ++i)
    ramp[i] = Entry(LevelColour(RampEntryLevel(i, ps->Colorstep, middle), paletteType, settings), halve);
}

void FillSettingColours(PALETTEENTRY* out, const ProgramState* ps) {
  const RGBQUAD colours[] = {ps->Lettercolor, ps->Gridcolor, ps->Inviscolor,
                             ps->FirstColor,  ps->LastColor, ps->Isophotcolor};
  for (const RGBQUAD& c : colours) *out++ = Entry(c);
}

}  // namespace

LevelColourSettings LevelColourSettingsOf(const ProgramState* ps) {
  return {ps->Logscale == 1, BgrOf(ps->FirstColor), BgrOf(ps->LastColor)};
}

DisplaySettings DisplaySettingsOf(const ProgramState* ps) {
  DisplaySettings s;
  s.paletteType = ps->Palettetype;
  s.colourSteps = ps->Colorstep;
  s.screenBits = ps->ScreenBitsPerPixel;
  s.isophotes = ps->IsIsophots == 1;
  s.isophoteDistance = ps->Isophotdistance;
  s.isophoteColour = BgrOf(ps->Isophotcolor);
  s.colours = LevelColourSettingsOf(ps);
  return s;
}

void GetPaletteColour(BYTE out[3], int level, int paletteType) {
  const Bgr c = LevelColour(level, paletteType, LevelColourSettingsOf(&gProgramState));
  out[0] = c.b;
  out[1] = c.g;
  out[2] = c.r;
}

HPALETTE CreateProgramPalette(const ProgramState* ps) {
  if (!ps) return nullptr;
  const size_t size = sizeof(LOGPALETTE) + kProgramPaletteSize * sizeof(PALETTEENTRY);
  auto* lp = static_cast<LOGPALETTE*>(AllocMem(uint32_t(size)));
  if (!lp) return nullptr;
  lp->palVersion = 0x300;
  lp->palNumEntries = kProgramPaletteSize;
  PALETTEENTRY* e = lp->palPalEntry;
  FillRamp(e, ps, ps->Palettetype, false, ps->NightMode != 0);
  for (int k = 0; k < 100; ++k) {
    const Bgr c = {BYTE(k / 25 * 85), BYTE(std::min(255, k / 5 % 5 * 64)), BYTE(std::min(255, k % 5 * 64))};
    e[kPaletteRampSize + k] = Entry(c, false);
  }
  e[228] = e[229] = Entry(Bgr{0, 0, 0}, false);
  FillSettingColours(e + 230, ps);
  HPALETTE palette = CreatePalette(lp);
  FreeMem(&lp);
  return palette;
}

int FillPalette(const ProgramState* ps, int halve) {
  return ps ? FillPaletteAs(ps, halve, ps->Palettetype) : 1;
}

int FillPaletteAs(const ProgramState* ps, int halve, int paletteType) {
  if (!ps || !ps->PaletteHandle) return 1;
  PALETTEENTRY ramp[kPaletteRampSize];
  FillRamp(ramp, ps, paletteType, true, halve != 0);
  PALETTEENTRY colours[6];
  FillSettingColours(colours, ps);
  SetPaletteEntries(ps->PaletteHandle, 0, kPaletteRampSize, ramp);
  SetPaletteEntries(ps->PaletteHandle, 230, 6, colours);
  return 1;
}

HPALETTE SelectProgramPalette(HDC hdc, const ProgramState* ps) {
  if (!hdc || !ps || !ps->PaletteHandle) return nullptr;
  HPALETTE old = SelectPalette(hdc, ps->PaletteHandle, FALSE);
  RealizePalette(hdc);
  return old;
}

void RestorePalette(HDC hdc, HPALETTE old) {
  if (!hdc || !old) return;
  SelectPalette(hdc, old, TRUE);
  RealizePalette(hdc);
}

void PaintWindowColour(HDC hdc, const RECT* area, int colourCode, const ProgramState* ps) {
  static const COLORREF kColours[] = {
      PALETTEINDEX(233), PALETTEINDEX(234), RGB(0, 0, 0),      RGB(0, 0, 128),   RGB(255, 127, 0),
      PALETTEINDEX(0),   PALETTEINDEX(230), PALETTEINDEX(231), PALETTEINDEX(232),
  };
  if (!hdc || !area || !ps || colourCode < 0 || colourCode >= int(std::size(kColours))) return;
  FillPalette(ps, 0);
  HPALETTE oldPalette = SelectProgramPalette(hdc, ps);
  HBRUSH brush = CreateSolidBrush(kColours[colourCode]);
  HGDIOBJ oldBrush = SelectObject(hdc, brush);
  HGDIOBJ oldPen = SelectObject(hdc, GetStockObject(NULL_PEN));
  // The null pen leaves the right and bottom edge out: one pixel more.
  Rectangle(hdc, area->left, area->top, area->right + 1, area->bottom + 1);
  SelectObject(hdc, oldPen);
  SelectObject(hdc, oldBrush);
  DeleteObject(brush);
  RestorePalette(hdc, oldPalette);
}

void FillWindowColour(HWND window, int colourCode, const ProgramState* ps) {
  if (!window) return;
  RECT client;
  if (!GetClientRect(window, &client)) return;
  HDC hdc = GetDC(window);
  PaintWindowColour(hdc, &client, colourCode, ps);
  ReleaseDC(window, hdc);
}

HBITMAP CreateColourBarBitmap(HDC hdc, int left, int top, int right, int bottom, const ProgramState* ps,
                              int vertical, const double* curve) {
  if (!ps) return nullptr;
  const int32_t w = (right - left + 3) / 4 * 4;
  const int32_t h = bottom - top + 1;
  const size_t size = DibRowsSize(w, h, false);
  if (size == 0) return nullptr;
  auto* rows = static_cast<uint8_t*>(AllocMem(uint32_t(size)));
  if (!rows) return nullptr;
  FillColourBarRows(rows, w, h, vertical != 0, curve);
  QuantiseDibColours(rows, w, h, ps->Colorstep);
  ImageHeader header;
  InitImageHeader(&header);
  header.width = w;
  header.height = h;
  header.colourType = 0;
  HBITMAP bitmap = CreateDeviceBitmap(hdc, rows, &header, ps, ps->NightMode != 0);
  FreeMem(&rows);
  return bitmap;
}

void PaintColourBar(HDC hdc, int left, int top, int right, int bottom, const ProgramState* ps, int vertical,
                    const double* curve) {
  if (!hdc || !ps) return;
  FillPalette(ps, ps->NightMode);
  HPALETTE old = SelectProgramPalette(hdc, ps);
  if (HBITMAP bar = CreateColourBarBitmap(hdc, left, top, right, bottom, ps, vertical, curve)) {
    // The bitmap is one row higher than the area: its top row stays out.
    BlitBitmap(hdc, bar, left, top, 0, 1, right - left, bottom - top);
    DeleteObject(bar);
  }
  RestorePalette(hdc, old);
}

void DrawColourBar(HWND window, const ProgramState* ps, int vertical, const double* curve) {
  if (!window || !ps) return;
  // The control paints itself first, then the bar goes over it.
  InvalidateRect(window, nullptr, FALSE);
  UpdateWindow(window);
  RECT client;
  GetClientRect(window, &client);
  HDC hdc = GetDC(window);
  PaintColourBar(hdc, client.left, client.top, client.right, client.bottom, ps, vertical, curve);
  ReleaseDC(window, hdc);
}
