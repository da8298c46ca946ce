#include "previews.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <vector>

#include "display_bitmap.h"
#include "display_mapping.h"
#include "display_palette.h"

namespace {

constexpr int kStatusStripHeight = 20;   // left out of unclipped previews
constexpr int kEditTextLimit = 76;

void SetBar(HWND bar, int32_t min, int32_t max, int32_t position) {
  if (!bar) return;
  SCROLLINFO si = {};
  si.cbSize = sizeof si;
  si.fMask = SIF_RANGE | SIF_POS | SIF_PAGE;
  si.nMin = min;
  si.nMax = max;
  si.nPos = position;
  SetScrollInfo(bar, SB_CTL, &si, TRUE);
}

void EnableItem(HWND dialog, int id, bool enable) {
  if (HWND item = GetDlgItem(dialog, id)) EnableWindow(item, enable);
}

void SetAxis(HWND dialog, int barId, const ScrollAxis& axis, int32_t* pos, int32_t* range) {
  HWND bar = GetDlgItem(dialog, barId);
  SetBar(bar, 0, axis.range, axis.enabled ? axis.position : 0);
  if (bar) EnableWindow(bar, axis.enabled);
  if (pos) *pos = axis.position;
  if (range) *range = axis.range;
}

// minusId and plusId 0: no zoom buttons.
void SetScrollBarsFor(int32_t* posX, int32_t* rangeX, int32_t* posY, int32_t* rangeY, int32_t* viewW,
                      int32_t* viewH, HWND dialog, int previewId, int hScrollId, int vScrollId, int minusId,
                      int plusId, const SIZE* imageSize, int32_t zoom, bool atOrigin) {
  for (int32_t* out : {posX, rangeX, posY, rangeY, viewW, viewH})
    if (out) *out = 0;
  if (!dialog) return;
  RECT client = {};
  HWND preview = GetDlgItem(dialog, previewId);
  if (!imageSize || !preview || !GetClientRect(preview, &client)) {
    const ScrollAxis none = {0, 0, false};
    SetAxis(dialog, hScrollId, none, nullptr, nullptr);
    SetAxis(dialog, vScrollId, none, nullptr, nullptr);
    if (minusId) EnableItem(dialog, minusId, false);
    if (plusId) EnableItem(dialog, plusId, false);
    return;
  }
  if (zoom < 1) zoom = 1;
  const int32_t w = client.right - 2, h = client.bottom - 2;
  const int32_t scaledW = int32_t(imageSize->cx / zoom), scaledH = int32_t(imageSize->cy / zoom);
  if (viewW) *viewW = w;
  if (viewH) *viewH = h;
  SetAxis(dialog, hScrollId, PreviewScrollAxis(w, scaledW, atOrigin), posX, rangeX);
  SetAxis(dialog, vScrollId, PreviewScrollAxis(h, scaledH, atOrigin), posY, rangeY);
  if (minusId) EnableItem(dialog, minusId, scaledW > w || scaledH > h);
  if (plusId) EnableItem(dialog, plusId, zoom >= 2);
}

std::vector<POINT> ToPoints(const std::vector<PlotPoint>& in, const RECT* client) {
  std::vector<POINT> out(in.size());
  for (size_t i = 0; i < in.size(); ++i) out[i] = {client->left + in[i].x, client->top + in[i].y};
  return out;
}

// Reads at most kEditTextLimit characters of an edit control.
void ReadEdit(HWND dialog, int id, char (&text)[kEditTextLimit + 1]) {
  text[0] = 0;
  GetDlgItemTextA(dialog, id, text, sizeof text);
}

}  // namespace

void PaintPreview(HWND control, HDC hdc, HBITMAP bitmap, int32_t scrollX, int32_t scrollY, int clipToClient) {
  RECT client;
  if (!control || !GetClientRect(control, &client)) return;
  const int32_t W = client.right, H = clipToClient ? client.bottom : client.bottom - kStatusStripHeight;
  if (W < 1 || H < 1) return;
  BITMAP info = {};
  if (bitmap && !GetObject(bitmap, sizeof info, &info)) bitmap = nullptr;
  const PreviewPlan plan = PlanPreview(W, H, bitmap != nullptr, info.bmWidth, info.bmHeight, scrollX, scrollY);

  HDC dc = hdc ? hdc : GetDC(control);
  const int saved = SaveDC(dc);
  if (clipToClient) IntersectClipRect(dc, 0, 0, client.right, client.bottom);
  SelectObject(dc, GetStockObject(BLACK_BRUSH));
  SelectObject(dc, GetStockObject(NULL_PEN));
  for (int i = 0; i < plan.bandCount; ++i)
    Rectangle(dc, plan.bands[i].left, plan.bands[i].top, plan.bands[i].right, plan.bands[i].bottom);
  if (plan.blit) BlitBitmap(dc, bitmap, plan.dstX, plan.dstY, plan.srcX, plan.srcY, plan.width, plan.height);
  RestoreDC(dc, saved);
  if (!hdc) ReleaseDC(control, dc);
}

void SetPreviewScrollBars(int32_t* posX, int32_t* rangeX, int32_t* posY, int32_t* rangeY, int32_t* viewW,
                          int32_t* viewH, HWND dialog, int previewId, int hScrollId, int vScrollId,
                          int minusButtonId, int plusButtonId, const SIZE* imageSize, int32_t zoom) {
  SetScrollBarsFor(posX, rangeX, posY, rangeY, viewW, viewH, dialog, previewId, hScrollId, vScrollId, minusButtonId,
                   plusButtonId, imageSize, zoom, false);
}

void SetPreviewScrollBarsAtOrigin(int32_t* posX, int32_t* rangeX, int32_t* posY, int32_t* rangeY, int32_t* viewW,
                                  int32_t* viewH, HWND dialog, int previewId, int hScrollId, int vScrollId,
                                  const SIZE* imageSize, int32_t zoom) {
  SetScrollBarsFor(posX, rangeX, posY, rangeY, viewW, viewH, dialog, previewId, hScrollId, vScrollId, 0, 0,
                   imageSize, zoom, true);
}

int PaintHistogram(HDC hdc, const RECT* client, int32_t firstBin, int32_t endBin, const uint32_t* counts,
                   int channel) {
  static const COLORREF kChannelColours[] = {RGB(224, 224, 224), RGB(255, 0, 0), RGB(0, 224, 0), RGB(40, 40, 255)};
  if (!hdc || !client || !counts) return 0;
  std::vector<POINT> polygon;
  try {
    std::vector<PlotPoint> points;
    if (HistogramPolygon(&points, client->right - client->left, client->bottom - client->top, firstBin, endBin,
                         counts))
      polygon = ToPoints(points, client);
  } catch (const std::bad_alloc&) {
    return 0;
  }
  HBRUSH background = CreateSolidBrush(RGB(0, 0, 96));
  HGDIOBJ oldBrush = SelectObject(hdc, background);
  HGDIOBJ oldPen = SelectObject(hdc, GetStockObject(BLACK_PEN));
  Rectangle(hdc, client->left, client->top, client->right, client->bottom);
  if (!polygon.empty()) {
    const COLORREF colour = kChannelColours[channel >= 0 && channel < 4 ? channel : 0];
    HPEN pen = CreatePen(PS_SOLID, 1, colour);
    HBRUSH brush = CreateSolidBrush(colour);
    SelectObject(hdc, pen);
    SelectObject(hdc, brush);
    Polygon(hdc, polygon.data(), int(polygon.size()));
    SelectObject(hdc, GetStockObject(BLACK_PEN));
    SelectObject(hdc, background);
    DeleteObject(pen);
    DeleteObject(brush);
  }
  SelectObject(hdc, oldPen);
  SelectObject(hdc, oldBrush);
  DeleteObject(background);
  return 1;
}

int DrawHistogram(HWND control, int32_t firstBin, int32_t endBin, const uint32_t* counts, int channel) {
  RECT client;
  if (!control || !counts || !GetClientRect(control, &client)) return 0;
  HDC hdc = GetDC(control);
  const int done = PaintHistogram(hdc, &client, firstBin, endBin, counts, channel);
  ReleaseDC(control, hdc);
  return done;
}

int PaintContrastCurve(HDC hdc, const RECT* client, int swapAxes, int32_t n, const double* x, const double* y,
                       double yMin, double yMax, double gridStepX, double gridStepY, int penWidth, int withGrid) {
  if (!hdc || !client) return 0;
  CurvePlot plot;
  std::vector<POINT> curve;
  bool scaled;
  try {
    scaled = ContrastCurvePlot(&plot, client->right - client->left, client->bottom - client->top, swapAxes != 0, n,
                               x, y, yMin, yMax, gridStepX, gridStepY);
    if (scaled) curve = ToPoints(plot.curve, client);
  } catch (const std::bad_alloc&) {
    return 0;
  }
  if (withGrid == 1) {
    HBRUSH navy = CreateSolidBrush(RGB(0, 0, 128));
    FillRect(hdc, client, navy);
    DeleteObject(navy);
  }
  if (!scaled) return 1;
  HGDIOBJ oldPen = SelectObject(hdc, GetStockObject(BLACK_PEN));
  if (withGrid == 1) {
    HPEN green = CreatePen(PS_SOLID, 1, RGB(0, 128, 0));
    SelectObject(hdc, green);
    for (int32_t gx : plot.gridX) {
      MoveToEx(hdc, client->left + gx, client->top, nullptr);
      LineTo(hdc, client->left + gx, client->bottom);
    }
    for (int32_t gy : plot.gridY) {
      MoveToEx(hdc, client->left, client->top + gy, nullptr);
      LineTo(hdc, client->right, client->top + gy);
    }
    SelectObject(hdc, GetStockObject(BLACK_PEN));
    DeleteObject(green);
  }
  HPEN amber = CreatePen(PS_SOLID, penWidth, RGB(255, 191, 0));
  SelectObject(hdc, amber);
  Polyline(hdc, curve.data(), int(curve.size()));
  SelectObject(hdc, oldPen);
  DeleteObject(amber);
  return 1;
}

int DrawContrastCurve(HWND control, int swapAxes, int32_t n, const double* x, const double* y, double yMin,
                      double yMax, double gridStepX, double gridStepY, int penWidth, int withGrid) {
  RECT client;
  if (!control || !GetClientRect(control, &client)) return 0;
  HDC hdc = GetDC(control);
  const int done =
      PaintContrastCurve(hdc, &client, swapAxes, n, x, y, yMin, yMax, gridStepX, gridStepY, penWidth, withGrid);
  ReleaseDC(control, hdc);
  return done;
}

void DrawBitmapAt(HDC hdc, HBITMAP bitmap, int x, int y) {
  BITMAP info;
  if (!bitmap || !GetObject(bitmap, sizeof info, &info)) return;
  BlitBitmap(hdc, bitmap, x, y, 0, 0, info.bmWidth, info.bmHeight);
}

void StretchBitmapPlain(HDC hdc, HBITMAP bitmap, int dstX, int dstY, int dstW, int dstH, int srcX, int srcY,
                        int srcW, int srcH) {
  if (!hdc || !bitmap || srcW < 1 || srcH < 1) return;
  HDC memory = CreateCompatibleDC(hdc);
  HGDIOBJ old = SelectObject(memory, bitmap);
  const int oldMode = SetStretchBltMode(hdc, COLORONCOLOR);
  StretchBlt(hdc, dstX, dstY, dstW, dstH, memory, srcX, srcY, srcW, srcH, SRCCOPY);
  SetStretchBltMode(hdc, oldMode);
  SelectObject(memory, old);
  DeleteDC(memory);
}

void SyncSliderFromEditLong(HWND dialog, int editId, int32_t rangeMin, int32_t rangeMax, HWND scrollBar,
                            int32_t* value, int32_t min, int32_t max, const char* unit) {
  if (!dialog) return;
  char text[kEditTextLimit + 1];
  ReadEdit(dialog, editId, text);
  const long typed = std::strtol(text, nullptr, 10);
  const int32_t v = int32_t(std::clamp<long>(typed, min, std::max(min, max)));
  SetBar(scrollBar, rangeMin, rangeMax, v);
  if (unit)
    std::snprintf(text, sizeof text, "%ld %s", long(v), unit);
  else
    std::snprintf(text, sizeof text, "%ld", long(v));
  SetDlgItemTextA(dialog, editId, text);
  if (value) *value = v;
}

void SyncSliderFromEditDouble(HWND dialog, int editId, int32_t rangeMin, int32_t rangeMax, HWND scrollBar,
                              double* value, double min, double max, const char* format) {
  if (!dialog) return;
  char text[kEditTextLimit + 1];
  ReadEdit(dialog, editId, text);
  double v = std::strtod(text, nullptr);
  if (!(v >= min)) v = min;   // also a text that is no number
  if (v > max) v = max;
  int32_t position = rangeMin;
  const double k = max > min ? (double(rangeMax) - rangeMin) / (max - min) : 0.0;
  if (k > 0) {
    position = int32_t((v - min) * k + 0.5);
    v = position / k + min;
  }
  SetBar(scrollBar, rangeMin, rangeMax, position);
  std::snprintf(text, sizeof text, format ? format : "%3.1lf", v);
  SetDlgItemTextA(dialog, editId, text);
  if (value) *value = v;
}

HBITMAP CreateCompatibleFromDib(HDC hdc, SIZE size, int mode, const void* bits, const BITMAPINFO* info, UINT usage) {
  if (size.cx < 1 || size.cy < 1) return nullptr;
  HBITMAP bitmap = hdc ? CreateCompatibleBitmap(hdc, size.cx, size.cy) : CreateBitmap(size.cx, size.cy, 1, 1, nullptr);
  if (!bitmap || mode != 4 || !bits || !info) return bitmap;
  HDC memory = CreateCompatibleDC(hdc);
  HGDIOBJ old = SelectObject(memory, bitmap);
  SetDIBitsToDevice(memory, 0, 0, DWORD(size.cx), DWORD(size.cy), 0, 0, 0, UINT(std::abs(info->bmiHeader.biHeight)),
                    bits, info, usage);
  SelectObject(memory, old);
  DeleteDC(memory);
  return bitmap;
}

HBITMAP CreateShiftOverlayBitmap(HDC hdc, const int16_t* samplesA, const int16_t* samplesB, const ImageHeader* h,
                                 const ProgramState* ps) {
  if (!samplesA || !samplesB || !h || !ps) return nullptr;
  const bool colour = h->colourType == kColourRgb;
  const size_t size = DibRowsSize(h->width, h->height, colour);
  auto* rows = size ? static_cast<uint8_t*>(AllocMem(uint32_t(size))) : nullptr;
  if (!rows) return nullptr;
  ComposeShiftOverlay(rows, samplesA, samplesB, h, ps->OverlayShift.X, ps->OverlayShift.Y,
                      colour && ps->Palettetype == 1);
  FillPalette(ps, 0);
  HBITMAP bitmap = CreateDeviceBitmap(hdc, rows, h, ps);
  FreeMem(&rows);
  return bitmap;
}
