#include "display_bitmap.h"

#include <algorithm>

#include "display_mapping.h"
#include "display_palette.h"
#include "message_box.h"

namespace {

constexpr LONG kPixelsPerMetre = 2953;   // 75 dots per inch

struct DibInfo {
  BITMAPINFOHEADER header;
  RGBQUAD colours[256];
};

uint8_t* AllocRows(int32_t width, int32_t height, bool colour) {
  const size_t size = DibRowsSize(width, height, colour);
  return size ? static_cast<uint8_t*>(AllocMem(uint32_t(size))) : nullptr;
}

}  // namespace

int MapImageToDib(const int16_t* samples, uint8_t* rows, const ImageHeader* h, const ProgramState* ps) {
  if (!ps) return 0;
  return MapImageRows(rows, samples, h, DisplaySettingsOf(ps));
}

int ScaleImageToDib(const int16_t* samples, uint8_t* rows, int32_t outWidth, int32_t outHeight,
                    int32_t sourceHeight, int bitsPerPixel, const ImageHeader* h, const ProgramState* ps) {
  if (!ps) return 0;
  return ScaleImageRows(rows, samples, outWidth, outHeight, sourceHeight, bitsPerPixel, h, DisplaySettingsOf(ps));
}

int DrawIsophotes(uint8_t* rows, int32_t width, int32_t height, const ImageHeader* h, const ProgramState* ps) {
  if (!h || !ps) return 0;
  return DrawIsophoteRows(rows, width, height, h->colourType == kColourRgb, DisplaySettingsOf(ps));
}

HBITMAP CreateDeviceBitmap(HDC hdc, const uint8_t* rows, const ImageHeader* h, const ProgramState* ps,
                           bool halveColours) {
  if (!rows || !h || !ps || h->width < 1 || h->height < 1) return nullptr;
  const bool colour = h->colourType == kColourRgb;
  DibInfo info = {};
  info.header.biSize = sizeof info.header;
  info.header.biWidth = h->width;
  info.header.biHeight = h->height;   // bottom-up
  info.header.biPlanes = 1;
  info.header.biBitCount = colour ? 24 : 8;
  info.header.biCompression = BI_RGB;
  info.header.biXPelsPerMeter = kPixelsPerMetre;
  info.header.biYPelsPerMeter = kPixelsPerMetre;
  if (!colour) {
    Bgr table[256];
    BuildColourTable(table, h->colourType, DisplaySettingsOf(ps), halveColours);
    for (int j = 0; j < 256; ++j) info.colours[j] = {table[j].b, table[j].g, table[j].r, 0};
  }
  HDC dc = hdc ? hdc : GetDC(nullptr);
  HBITMAP bitmap = CreateDIBitmap(dc, &info.header, CBM_INIT, rows, reinterpret_cast<const BITMAPINFO*>(&info),
                                  DIB_RGB_COLORS);
  if (!hdc) ReleaseDC(nullptr, dc);
  return bitmap;
}

HBITMAP CreateDisplayBitmap(HDC hdc, const int16_t* samples, const ImageHeader* h, const ProgramState* ps) {
  if (!samples || !h || !ps) return nullptr;
  if (h->width < 1 || h->height < 1) {
    ShowMessageBox(nullptr, "Bitmap ohne Maße !", kTitleError, MB_OK | MB_ICONSTOP);
    return nullptr;
  }
  const bool colour = h->colourType == kColourRgb;
  uint8_t* rows = AllocRows(h->width, h->height, colour);
  if (!rows) return nullptr;
  HBITMAP bitmap = nullptr;
  if (MapImageToDib(samples, rows, h, ps)) {
    DrawIsophotes(rows, h->width, h->height, h, ps);
    FillPaletteAs(ps, 0, h->colourType == 11 ? kPaletteRainbowCircle : ps->Palettetype);
    HDC dc = hdc ? hdc : GetDC(nullptr);
    HPALETTE old = SelectProgramPalette(dc, ps);
    bitmap = CreateDeviceBitmap(dc, rows, h, ps);
    RestorePalette(dc, old);
    if (!hdc) ReleaseDC(nullptr, dc);
  }
  FreeMem(&rows);
  return bitmap;
}

HBITMAP CreateZoomBitmap(HDC hdc, const int16_t* samples, const ImageHeader* h, const ProgramState* ps, int32_t n,
                         int32_t x0, int32_t y0, int32_t maxWidth, int32_t maxHeight, int32_t rangeX,
                         int32_t rangeY) {
  if (!samples || !h || !ps) return nullptr;
  if (h->width < 1 || h->height < 1) {
    ShowMessageBox(nullptr, "Bitmap ohne Maße !", kTitleError, MB_OK | MB_ICONSTOP);
    return nullptr;
  }
  if (x0 >= h->width || y0 >= h->height) return nullptr;
  if (n < 2 && rangeX == 0 && rangeY == 0) return CreateDisplayBitmap(hdc, samples, h, ps);
  if (n < 1) n = 1;
  ImageHeader reduced = *h;
  reduced.width = std::min(h->width / n, maxWidth);
  reduced.height = std::min(h->height / n, maxHeight);
  if (reduced.width < 1 || reduced.height < 1) return nullptr;   // nothing to show
  auto* copy = static_cast<int16_t*>(
      AllocArray(size_t(reduced.width) * size_t(reduced.height) * SamplesPerPixel(h), sizeof(int16_t)));
  if (!copy) {
    ShowMessageBox(nullptr, "Zoombuffer versagt !", kTitleError, MB_OK | MB_ICONSTOP);
    return nullptr;
  }
  SubsampleForZoom(copy, reduced.width, reduced.height, samples, h, n, x0, y0);
  HBITMAP bitmap = CreateDisplayBitmap(hdc, copy, &reduced, ps);
  FreeMem(&copy);
  return bitmap;
}

void BlitBitmap(HDC hdc, HBITMAP bitmap, int dstX, int dstY, int srcX, int srcY, int width, int height) {
  if (!hdc || !bitmap || width < 1 || height < 1) return;
  HDC memory = CreateCompatibleDC(hdc);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(hdc, dstX, dstY, width, height, memory, srcX, srcY, SRCCOPY);
  SelectObject(memory, old);
  DeleteDC(memory);
}

void StretchBitmap(HDC hdc, HBITMAP bitmap, int dstX, int dstY, int dstW, int dstH, int srcX, int srcY, int srcW,
                   int srcH) {
  if (!hdc || !bitmap || srcW < 1 || srcH < 1) return;
  const double ratio = (double(dstW) / srcW) / (double(dstH) / srcH);
  int w, h;
  if (ratio < 1) {
    w = dstW;
    h = int(int64_t(dstW) * srcH / srcW);
  } else {
    h = dstH;
    w = int(int64_t(srcW) * dstH / srcH);
  }
  HDC memory = CreateCompatibleDC(hdc);
  HGDIOBJ old = SelectObject(memory, bitmap);
  const int oldMode = SetStretchBltMode(hdc, COLORONCOLOR);
  StretchBlt(hdc, dstX, dstY, w, h, memory, srcX, srcY, srcW, srcH, SRCCOPY);
  SetStretchBltMode(hdc, oldMode);
  SelectObject(memory, old);
  DeleteDC(memory);
}
