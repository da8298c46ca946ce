#include "about_dialog.h"

#include <cmath>
#include <cstdlib>

#include "frame_window.h"
#include "imagelib/trigon.h"
#include "menu_ids.h"

namespace {

constexpr int kSavedWidth = 300;
constexpr int kSavedHeight = 200;
constexpr COLORREF kAmber = RGB(248, 176, 0);
constexpr COLORREF kNavy = RGB(0, 0, 80);

// One about picture at a time: what lay under the emblem on the frame.
struct LogoState {
  HWND frame;
  int cx, cy;
  HDC frameDc;
  HDC memoryDc;
  HBITMAP saved;
  HGDIOBJ previous;
};
LogoState gLogo;

void PlaceDialog(HWND dialog, HWND frame) {
  RECT f, d;
  GetWindowRect(frame, &f);
  GetWindowRect(dialog, &d);
  const int dw = d.right - d.left, dh = d.bottom - d.top;
  const int fw = f.right - f.left, fh = f.bottom - f.top;
  SetWindowPos(dialog, nullptr, f.left + (fw - dw) / 2, f.top + (fh - dh) / 2 + 60, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_SHOWWINDOW);
}

void OpenLogo(HWND dialog) {
  HWND frame = GetWindow(dialog, GW_OWNER);
  if (!frame) frame = gFrameWindow;
  gLogo.frame = frame;
  PlaceDialog(dialog, frame);
  RECT window, client;
  GetWindowRect(frame, &window);
  GetClientRect(frame, &client);
  const int frameHeight = window.bottom - window.top;
  const int clientHeight = client.bottom;
  gLogo.cx = client.right / 2;
  gLogo.cy = ((clientHeight - GetSystemMetrics(SM_CYCAPTION)) -
              (frameHeight - clientHeight - 2 * GetSystemMetrics(SM_CYFRAME))) / 2;
  gLogo.frameDc = GetDC(frame);
  gLogo.memoryDc = CreateCompatibleDC(gLogo.frameDc);
  gLogo.saved = CreateCompatibleBitmap(gLogo.frameDc, kSavedWidth, kSavedHeight);
  gLogo.previous = SelectObject(gLogo.memoryDc, gLogo.saved);
  BitBlt(gLogo.memoryDc, 0, 0, kSavedWidth, kSavedHeight, gLogo.frameDc, gLogo.cx - kSavedWidth / 2,
         gLogo.cy - kSavedHeight / 2, SRCCOPY);
}

void CloseLogo() {
  if (gLogo.memoryDc) {
    SelectObject(gLogo.memoryDc, gLogo.previous);
    DeleteDC(gLogo.memoryDc);
  }
  if (gLogo.saved) DeleteObject(gLogo.saved);
  if (gLogo.frameDc) ReleaseDC(gLogo.frame, gLogo.frameDc);
  gLogo = LogoState{};
}

void RestoreFrame() {
  if (gLogo.memoryDc)
    BitBlt(gLogo.frameDc, gLogo.cx - kSavedWidth / 2, gLogo.cy - kSavedHeight / 2, kSavedWidth, kSavedHeight,
           gLogo.memoryDc, 0, 0, SRCCOPY);
}

void FilledEllipse(HDC dc, int left, int top, int right, int bottom, int penWidth, COLORREF pen, COLORREF fill) {
  const HPEN p = CreatePen(PS_SOLID, penWidth, pen);
  const HBRUSH b = CreateSolidBrush(fill);
  const HGDIOBJ oldPen = SelectObject(dc, p);
  const HGDIOBJ oldBrush = SelectObject(dc, b);
  Ellipse(dc, left, top, right, bottom);
  SelectObject(dc, oldPen);
  SelectObject(dc, oldBrush);
  DeleteObject(p);
  DeleteObject(b);
}

void DrawStarField(HDC dc, int cx, int cy) {
  if (!SineTable) return;
  for (int i = 0; i < 2000; ++i) {
    const double r = std::pow((std::rand() % 250) * 0.01, 4);
    const int a = std::rand() & 32767;
    SetPixel(dc, cx + int(TableSin(a) * r * 1.5), cy - 44 + int(TableCos(a) * r), RGB(255, 255, 255));
    if (i % 4 == 3) Sleep(1);
  }
}

void PaintEmblem() {
  const HDC dc = gLogo.frameDc;
  if (!dc) return;
  const int cx = gLogo.cx, cy = gLogo.cy;
  FilledEllipse(dc, cx - 150, cy - 100, cx + 150, cy + 100, 1, RGB(255, 255, 255), RGB(0, 0, 192));
  FilledEllipse(dc, cx - 147, cy - 97, cx + 147, cy + 97, 2, kAmber, RGB(0, 0, 255));
  FilledEllipse(dc, cx - 140, cy - 90, cx + 140, cy + 90, 2, kAmber, kNavy);
  if (HBITMAP logo = LoadBitmapA(gInstance, "logobitmap")) {
    RollOutBitmap(dc, logo, cx - 96, cy - 48, 80);
    DeleteObject(logo);
  }
  const UINT oldAlign = SetTextAlign(dc, TA_CENTER | TA_BASELINE);
  const COLORREF oldText = SetTextColor(dc, kAmber);
  const COLORREF oldBack = SetBkColor(dc, kNavy);
  TextOutA(dc, cx, cy + 48, kProgramVersion, lstrlenA(kProgramVersion));
  SetTextAlign(dc, oldAlign);
  SetTextColor(dc, oldText);
  SetBkColor(dc, oldBack);
  DrawStarField(dc, cx, cy);
}

}  // namespace

INT_PTR CALLBACK LogoDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      OpenLogo(dialog);
      return TRUE;
    case WM_PAINT:
      PaintEmblem();
      return FALSE;   // the dialog paints its button itself
    case WM_COMMAND:
      // Only the button closes the picture; Escape does not.
      if (LOWORD(wParam) != IDC_LOGO_CLOSE) return FALSE;
      RestoreFrame();
      CloseLogo();
      EndDialog(dialog, 1);
      return TRUE;
    case WM_DESTROY:
      CloseLogo();
      return FALSE;
  }
  return FALSE;
}

void RollOutBitmap(HDC hdc, HBITMAP bitmap, int x, int y, int height) {
  BITMAP info;
  if (!bitmap || !GetObject(bitmap, sizeof info, &info)) return;
  const int w = info.bmWidth, h = info.bmHeight;
  const HDC memory = CreateCompatibleDC(hdc);
  SetMapMode(memory, GetMapMode(hdc));
  const HGDIOBJ oldBitmap = SelectObject(memory, bitmap);
  const HPEN pen = CreatePen(PS_SOLID, 1, kNavy);
  const HGDIOBJ oldPen = SelectObject(hdc, pen);
  for (int k = 4; k <= h - 3; ++k) {
    const int row = h - k - 1;
    for (int r = y; r <= y + height - k - 1; ++r) {
      BitBlt(hdc, x, r, w, 1, memory, 0, row, SRCCOPY);
      if (r > y) {
        MoveToEx(hdc, x, r - 1, nullptr);
        LineTo(hdc, x + w, r - 1);
      }
      if (r % 3 == 0) Sleep(1);
    }
  }
  SelectObject(hdc, oldPen);
  DeleteObject(pen);
  SelectObject(memory, oldBitmap);
  DeleteDC(memory);
}

void BusyWait(DWORD milliseconds) {
  if (milliseconds > 1001) milliseconds = 1001;
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < milliseconds) {
  }
}
