#include "buffer_window.h"

#include <cstdio>
#include <cstring>
#include <initializer_list>

#include "buffer_slots.h"
#include "buffer_view.h"
#include "display_bitmap.h"
#include "display_palette.h"
#include "frame_window.h"
#include "menu_commands.h"
#include "menu_ids.h"
#include "program_state.h"

namespace {

constexpr int kButtonSize = 20;
constexpr int kMaxStrips = 256;

struct BufferView {
  int32_t scrollX;     // first shown column, in reduced pixels
  int32_t scrollY;
  HWND zoomOut;        // "-"
  HWND zoomIn;         // "+"
  int32_t reduction;   // 1..32
};

BufferView gViews[kBufferCount] = {{0, 0, nullptr, nullptr, 1}, {0, 0, nullptr, nullptr, 1},
                                   {0, 0, nullptr, nullptr, 1}, {0, 0, nullptr, nullptr, 1}};

void EnableColourItems(const ImageHeader& h) { EnableColourOnlyCommands(gMainMenu, h.colourType == 1); }

void EnableZoomItems(bool enable) {
  for (UINT id : {UINT(IDM_ZOOM_IN), UINT(IDM_ZOOM_OUT)})
    EnableMenuItem(gMainMenu, id, MF_BYCOMMAND | (enable ? MF_ENABLED : MF_GRAYED));
}

struct Picture {
  bool loaded;
  ImageHeader header;
  int32_t dispW;   // reduced size
  int32_t dispH;
};

Picture ReadPicture(int buffer) {
  Picture p{};
  p.loaded = IsSlotLoaded(buffer, &gProgramState) != 0;
  GetSlotHeader(&p.header, buffer, &gProgramState);
  const int32_t n = gViews[buffer - 1].reduction;
  p.dispW = p.loaded ? ReducedSize(p.header.width, n) : 0;
  p.dispH = p.loaded ? ReducedSize(p.header.height, n) : 0;
  return p;
}

// A scroll position within 0..reduced - view, 0 when the picture fits.
int32_t ClampScroll(int32_t position, int32_t reduced, int32_t view) {
  const int32_t last = reduced > view ? reduced - view : 0;
  return position < 0 ? 0 : (position > last ? last : position);
}

SIZE ClientSize(HWND window) {
  RECT r;
  GetClientRect(window, &r);
  return SIZE{r.right - r.left, r.bottom - r.top};
}

// --- painting

void PlaceButtons(const BufferView& v, const RECT& client) {
  SetWindowPos(v.zoomOut, nullptr, client.right - 2 * kButtonSize, client.bottom - kButtonSize, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  SetWindowPos(v.zoomIn, nullptr, client.right - kButtonSize, client.bottom - kButtonSize, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CreateButtons(HWND window, BufferView& v, const RECT& client) {
  if (v.zoomOut) return;
  v.zoomOut = CreateWindowExA(0, "button", "-", WS_CHILD | WS_VISIBLE, client.right - 2 * kButtonSize,
                              client.bottom - kButtonSize, kButtonSize, kButtonSize, window,
                              reinterpret_cast<HMENU>(IDC_BUFFER_ZOOM_OUT), gInstance, nullptr);
  v.zoomIn = CreateWindowExA(0, "button", "+", WS_CHILD | WS_VISIBLE, client.right - kButtonSize,
                             client.bottom - kButtonSize, kButtonSize, kButtonSize, window,
                             reinterpret_cast<HMENU>(IDC_BUFFER_ZOOM_IN), gInstance, nullptr);
}

void FillBlack(HDC dc, int left, int top, int right, int bottom) {
  const HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(BLACK_BRUSH));
  const HGDIOBJ oldPen = SelectObject(dc, GetStockObject(NULL_PEN));
  Rectangle(dc, left, top, right, bottom);
  SelectObject(dc, oldBrush);
  SelectObject(dc, oldPen);
}

void PaintPicture(HDC dc, int buffer, const Picture& p, int32_t cw, int32_t ch) {
  BufferView& v = gViews[buffer - 1];
  const ViewAxis x = LayoutViewAxis(cw, p.dispW), y = LayoutViewAxis(ch, p.dispH);
  if (x.marginBefore > 0) {
    FillBlack(dc, 0, 0, x.marginBefore, ch);
    FillBlack(dc, x.marginAfter, 0, cw, ch);
  }
  if (y.marginBefore > 0) {
    FillBlack(dc, 0, 0, cw, y.marginBefore);
    FillBlack(dc, 0, y.marginAfter, cw, ch);
  }
  Strip strips[kMaxStrips];
  const int32_t count = PlanStrips(x.drawn, y.drawn, strips, kMaxStrips);
  const int16_t* samples = GetSlotPixels(buffer, &gProgramState);
  for (int32_t i = 0; i < count && i < kMaxStrips; ++i) {
    if (gProgramState.ZoomBitmap) DeleteObject(gProgramState.ZoomBitmap);
    gProgramState.ZoomBitmap = CreateZoomBitmap(dc, samples, &p.header, &gProgramState, v.reduction, v.scrollX,
                                                v.scrollY + strips[i].top, x.drawn, strips[i].rows, cw, ch);
    BlitBitmap(dc, gProgramState.ZoomBitmap, x.origin, y.origin + strips[i].top, 0, 0, x.drawn, strips[i].rows);
  }
  if (gProgramState.ZoomBitmap) DeleteObject(gProgramState.ZoomBitmap);
  gProgramState.ZoomBitmap = nullptr;
}

HPEN SelectNewPen(HDC dc, COLORREF colour, HGDIOBJ* old) {
  const HPEN pen = CreatePen(PS_SOLID, 1, colour);
  *old = SelectObject(dc, pen);
  return pen;
}

void Polyline3(HDC dc, int x0, int y0, int x1, int y1, int x2, int y2) {
  const POINT points[3] = {{x0, y0}, {x1, y1}, {x2, y2}};
  Polyline(dc, points, 3);
}

// A raised strip along the bottom with a sunken panel for the colour bar.
void PaintStatusStrip(HDC dc, const RECT& strip, bool night) {
  const HBRUSH brush = CreateSolidBrush(night ? RGB(40, 40, 80) : RGB(192, 192, 192));
  const HGDIOBJ oldBrush = SelectObject(dc, brush);
  Rectangle(dc, strip.left, strip.top, strip.right, strip.bottom);
  SelectObject(dc, oldBrush);
  DeleteObject(brush);

  const int l = strip.left, t = strip.top, r = strip.right, b = strip.bottom;
  HGDIOBJ old;
  HPEN pen = SelectNewPen(dc, RGB(0, 0, 0), &old);
  MoveToEx(dc, l, t - 1, nullptr);
  LineTo(dc, r, t - 1);
  SelectObject(dc, old);
  DeleteObject(pen);

  pen = SelectNewPen(dc, night ? RGB(80, 80, 128) : RGB(255, 255, 255), &old);
  Polyline3(dc, l, b, l, t, r, t);
  Polyline3(dc, l + 2, b - 3, r - 100, b - 3, r - 100, t + 2);
  SelectObject(dc, old);
  DeleteObject(pen);

  pen = SelectNewPen(dc, night ? RGB(0, 0, 0) : RGB(128, 128, 128), &old);
  Polyline3(dc, l, b, r, b, r, t);
  Polyline3(dc, l + 2, b - 4, l + 2, t + 2, r - 100, t + 2);
  SelectObject(dc, old);
  DeleteObject(pen);
}

void PaintStatusText(HDC dc, const RECT& strip, const Picture& p, int32_t reduction, bool night) {
  LOGFONTA lf{};
  lf.lfHeight = 14;
  lf.lfWeight = FW_NORMAL;
  std::strcpy(lf.lfFaceName, "Arial");
  const HFONT font = CreateFontIndirectA(&lf);
  const HGDIOBJ oldFont = SelectObject(dc, font);
  SetTextColor(dc, night ? RGB(224, 0, 0) : RGB(0, 0, 0));
  SetBkColor(dc, night ? RGB(40, 40, 80) : RGB(191, 191, 191));
  char text[64];
  if (p.loaded)
    std::snprintf(text, sizeof text, "%ld * %ld [1:%ld]", long(p.header.width), long(p.header.height),
                  long(reduction));
  else
    std::strcpy(text, "leer");
  const UINT oldAlign = SetTextAlign(dc, TA_CENTER);
  TextOutA(dc, strip.right - 50, strip.top + 2, text, int(std::strlen(text)));
  SetTextAlign(dc, oldAlign);
  SelectObject(dc, oldFont);
  DeleteObject(font);
}

void OnPaint(HWND window, int buffer) {
  ProgramState* ps = &gProgramState;
  BufferView& v = gViews[buffer - 1];
  RECT client;
  GetClientRect(window, &client);
  const Picture p = ReadPicture(buffer);
  int32_t cw = client.right, ch = client.bottom;
  // The bars are set before painting begins: a bar that hides or shows
  // changes the client area, which is then painted whole.
  if (!p.loaded) {
    SetScrollBarInfo(window, SB_HORZ, 0, 0, 0, 0);
    SetScrollBarInfo(window, SB_VERT, 0, 0, 0, 0);
  } else {
    // A bar that will hide gives its room back.
    if (cw > p.dispW) cw += GetSystemMetrics(SM_CXVSCROLL);
    if (ch > p.dispH) ch += GetSystemMetrics(SM_CYHSCROLL);
    // Positions kept from a larger picture would show nothing of this one.
    v.scrollX = ClampScroll(v.scrollX, p.dispW, cw);
    v.scrollY = ClampScroll(v.scrollY, p.dispH, ch);
    SetScrollBarInfo(window, SB_HORZ, 0, p.dispW, cw, v.scrollX);
    SetScrollBarInfo(window, SB_VERT, 0, p.dispH, ch, v.scrollY);
  }
  GetClientRect(window, &client);
  PAINTSTRUCT paint;
  const HDC dc = BeginPaint(window, &paint);
  CreateButtons(window, v, client);
  EnableWindow(v.zoomOut, p.loaded && (cw < p.dispW || ch < p.dispH));
  EnableWindow(v.zoomIn, p.loaded && v.reduction >= 2);
  PlaceButtons(v, client);
  if (p.loaded) PaintPicture(dc, buffer, p, cw, ch);

  const bool night = ps->NightMode != 0;
  int paletteType = ps->Palettetype;
  if (p.loaded && p.header.colourType == 1) paletteType = 21;
  if (p.loaded && p.header.colourType == 11) paletteType = 23;
  FillPaletteAs(ps, 0, paletteType);
  HPALETTE oldPalette = SelectProgramPalette(dc, ps);
  RECT strip{client.left, client.bottom - kStatusStripHeight, client.right - 2 * kButtonSize, client.bottom};
  PaintStatusStrip(dc, strip, night);
  PaintStatusText(dc, strip, p, v.reduction, night);
  RestorePalette(dc, oldPalette);

  // The colour bar of the picture's palette in the sunken panel: colour
  // pictures show the hues they are painted with, tinted ones their tint.
  const int32_t keptType = ps->Palettetype;
  ps->Palettetype = paletteType;
  if (p.loaded && p.header.colourType >= 2 && p.header.colourType <= 4) ps->Palettetype = p.header.colourType;
  PaintColourBar(dc, strip.left + 3, strip.top + 3, strip.right - 100, strip.bottom - 3, ps, 0, nullptr);
  ps->Palettetype = keptType;

  ValidateRect(window, nullptr);
  EndPaint(window, &paint);
}

// --- scrolling and zoom

void OnScroll(HWND window, int buffer, int bar, WPARAM request) {
  BufferView& v = gViews[buffer - 1];
  const Picture p = ReadPicture(buffer);
  const SIZE client = ClientSize(window);
  const int32_t page = bar == SB_HORZ ? client.cx : client.cy;
  const int32_t extent = bar == SB_HORZ ? p.dispW : p.dispH;
  int32_t& position = bar == SB_HORZ ? v.scrollX : v.scrollY;
  if (page >= extent) return;
  UpdateScrollPos(&position, page, extent, 0, 1, request);
  SetScrollBarInfo(window, bar, 0, extent, page, position);
  InvalidateRect(window, nullptr, FALSE);
}

void OnZoom(HWND window, int buffer, int step) {
  BufferView& v = gViews[buffer - 1];
  v.reduction += step;
  if (v.reduction > kMaxReduction) v.reduction = kMaxReduction;
  if (v.reduction < kMinReduction) v.reduction = kMinReduction;
  // The new view is centred on the picture.
  const Picture p = ReadPicture(buffer);
  const SIZE client = ClientSize(window);
  v.scrollX = p.dispW > client.cx ? (p.dispW - client.cx) / 2 : 0;
  v.scrollY = p.dispH > client.cy ? (p.dispH - client.cy) / 2 : 0;
  InvalidateRect(window, nullptr, FALSE);
}

void OnSize(HWND window, int buffer, int cw, int ch) {
  BufferView& v = gViews[buffer - 1];
  const Picture p = ReadPicture(buffer);
  if (!p.loaded) {
    v.scrollX = v.scrollY = 0;
    SetScrollBarInfo(window, SB_HORZ, 0, 0, 0, 0);
    SetScrollBarInfo(window, SB_VERT, 0, 0, 0, 0);
  } else {
    if (cw > p.dispW) v.scrollX = 0;
    if (ch > p.dispH) v.scrollY = 0;
    SetScrollBarInfo(window, SB_VERT, 0, p.dispH, ch, v.scrollY);
    SetScrollBarInfo(window, SB_HORZ, 0, p.dispW, cw, v.scrollX);
  }
  InvalidateRect(window, nullptr, FALSE);
}

void OnActivate(int buffer) {
  gProgramState.ActiveBuffer = buffer;
  UpdateBufferMenuChecks(gMainMenu, buffer);
  EnableColourItems(ReadPicture(buffer).header);
}

// Minimising leaves the window a normal one at the frame's bottom edge, in
// the order A to D.
void PlaceMinimised(HWND window, int buffer) {
  RECT frame;
  GetClientRect(gFrameWindow, &frame);
  const int w = GetSystemMetrics(SM_CXMINIMIZED), h = GetSystemMetrics(SM_CYMINIMIZED);
  SetWindowPos(window, nullptr, (buffer - 1) * w, frame.bottom - h - 3, w, h, SWP_NOZORDER);
}

void DestroyButtons(BufferView& v) {
  if (v.zoomOut) DestroyWindow(v.zoomOut);
  if (v.zoomIn) DestroyWindow(v.zoomIn);
  v.zoomOut = v.zoomIn = nullptr;
}

}  // namespace

LRESULT CALLBACK BufferWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  // Windows are registered once CreateMDIWindow returns; until then the
  // default handling does.
  const int buffer = SlotOfWindow(window);
  if (!buffer) return DefMDIChildProcA(window, message, wParam, lParam);
  switch (message) {
    case WM_MDIACTIVATE:
      if (reinterpret_cast<HWND>(lParam) == window) OnActivate(buffer);
      return 0;
    case WM_SYSCOMMAND:
      switch (wParam & 0xFFF0) {
        case SC_MINIMIZE:
          PlaceMinimised(window, buffer);
          return 0;
        case SC_CLOSE:
          // Buffer windows live for the whole run.
          return 0;
      }
      break;
    case WM_PAINT: {
      RECT client;
      GetClientRect(window, &client);
      if (client.bottom - client.top < kStatusStripHeight) {
        ValidateRect(window, nullptr);
        break;
      }
      OnPaint(window, buffer);
      break;
    }
    case WM_HSCROLL:
      OnScroll(window, buffer, SB_HORZ, wParam);
      break;
    case WM_VSCROLL:
      OnScroll(window, buffer, SB_VERT, wParam);
      break;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDC_BUFFER_ZOOM_OUT) OnZoom(window, buffer, +1);
      if (LOWORD(wParam) == IDC_BUFFER_ZOOM_IN) OnZoom(window, buffer, -1);
      break;
    case WM_SIZE:
      OnSize(window, buffer, LOWORD(lParam), HIWORD(lParam));
      break;
    case WM_CLOSE:
      return 0;
    case WM_DESTROY:
      DestroyButtons(gViews[buffer - 1]);
      break;
  }
  return DefMDIChildProcA(window, message, wParam, lParam);
}

void RefreshBufferWindow(int buffer) {
  if (buffer < 1 || buffer > kBufferCount) return;
  const HWND window = WindowOfSlot(buffer);
  const Picture p = ReadPicture(buffer);
  char title[kPathSize + 32];
  if (!p.loaded) {
    std::snprintf(title, sizeof title, "%s", GetSlotName(buffer));
    EnableZoomItems(false);
  } else {
    ImageMetadata metadata;
    GetSlotMetadata(&metadata, buffer, &gProgramState);
    UpdateBufferMenuChecks(gMainMenu, gProgramState.ActiveBuffer);
    EnableZoomItems(true);
    EnableColourItems(p.header);
    if (gFrameWindow) DrawMenuBar(gFrameWindow);
    // The path comes from a file; it need not end inside its field.
    std::snprintf(title, sizeof title, "%s mit %.*s", GetSlotName(buffer), int(sizeof metadata.path),
                  metadata.path);
  }
  if (!IsWindow(window)) return;
  SetWindowTextA(window, title);
  InvalidateRect(window, nullptr, FALSE);
}

int32_t BufferReduction(int buffer) {
  return buffer >= 1 && buffer <= kBufferCount ? gViews[buffer - 1].reduction : 0;
}

POINT BufferScrollPosition(int buffer) {
  if (buffer < 1 || buffer > kBufferCount) return POINT{0, 0};
  return POINT{gViews[buffer - 1].scrollX, gViews[buffer - 1].scrollY};
}
