// What the program's windows put on the screen: a picture centred between
// black margins above the status strip, and the about emblem drawn over the
// frame and taken away again. These read the screen back.
#include <windows.h>

#include <gtest/gtest.h>

#include <vector>

#include "shell/buffer_slots.h"
#include "shell/buffer_window.h"
#include "shell/frame_window.h"
#include "shell/menu_ids.h"
#include "tests/app/app_fixture.h"
#include "tests/shell/testkit/dialog_driver.h"

namespace {

class OnScreenTest : public ShownAppTest {
 protected:
  static COLORREF Pixel(HWND window, int x, int y) {
    const HDC dc = GetDC(window);
    const COLORREF c = GetPixel(dc, x, y);
    ReleaseDC(window, dc);
    return c;
  }
  // The pixels of a rectangle of the window's client area, row by row.
  static std::vector<DWORD> Grab(HWND window, int x, int y, int w, int h) {
    const HDC dc = GetDC(window);
    const HDC memory = CreateCompatibleDC(dc);
    const HBITMAP bitmap = CreateCompatibleBitmap(dc, w, h);
    const HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, w, h, dc, x, y, SRCCOPY);
    SelectObject(memory, old);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = -h;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    std::vector<DWORD> pixels(size_t(w) * h);
    GetDIBits(memory, bitmap, 0, h, pixels.data(), &info, DIB_RGB_COLORS);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(window, dc);
    return pixels;
  }
};

bool IsGrey(COLORREF c) { return GetRValue(c) == GetGValue(c) && GetGValue(c) == GetBValue(c); }

TEST_F(OnScreenTest, PictureSitsCentredBetweenBlackMarginsAboveTheStatusStrip) {
  // Left half level 64, right half level 192; the picture fits the window.
  const int w = 120, h = 80;
  LoadPicture(1, "streifen.fts", w, h, 0);
  int16_t* s = GetSlotPixels(1, &gProgramState);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) s[y * w + x] = int16_t(x < w / 2 ? 64 << 7 : 192 << 7);
  const HWND a = BufferWindow(1);
  RefreshBufferWindow(1);
  Settle();
  RECT client;
  GetClientRect(a, &client);
  // Both bars hide, so their room counts to the view.
  const int cw = client.right + GetSystemMetrics(SM_CXVSCROLL);
  const int ch = client.bottom + GetSystemMetrics(SM_CYHSCROLL);
  const int x0 = (cw - w) / 2, y0 = (ch - h) / 2;
  const COLORREF margin = Pixel(a, x0 - 3, y0 + h / 2), above = Pixel(a, x0 + 5, y0 - 3);
  const COLORREF dark = Pixel(a, x0 + 3, y0 + 3), bright = Pixel(a, x0 + w - 4, y0 + h - 4);
  EXPECT_EQ(RGB(0, 0, 0), margin);
  EXPECT_EQ(RGB(0, 0, 0), above);
  EXPECT_TRUE(IsGrey(dark) && GetRValue(dark) > 40 && GetRValue(dark) < 90) << std::hex << dark;
  EXPECT_TRUE(IsGrey(bright) && GetRValue(bright) > 170) << std::hex << bright;
  // The raised strip left of the zoom buttons, grey by day.
  EXPECT_EQ(RGB(192, 192, 192), Pixel(a, client.right - 60, client.bottom - 3));
  EXPECT_EQ("Puffer A mit streifen.fts", Title(a));
}

TEST_F(OnScreenTest, StatusStripBarShowsThePaletteThePictureIsPaintedWith) {
  const HWND a = BufferWindow(1);
  gProgramState.Palettetype = 1;   // "Invers": level 0 is white
  gProgramState.Colorstep = 256;
  gProgramState.Logscale = 0;
  // The bar's first column is level 0 in the palette type of the picture:
  // grey pictures the setting, RGB pictures type 21, colour type 11 the
  // colour circle, tinted pictures their tint (green: black at level 0).
  const struct {
    int colourType;
    COLORREF first;
  } cases[] = {{0, RGB(255, 255, 255)}, {1, RGB(64, 0, 0)}, {11, RGB(255, 0, 0)}, {3, RGB(0, 0, 0)}};
  for (const auto& c : cases) {
    LoadPicture(1, "bild.fts", 40, 30, c.colourType);
    RefreshBufferWindow(1);
    Settle();
    RECT client;
    GetClientRect(a, &client);
    const COLORREF first = Pixel(a, 3, client.bottom - 10);
    EXPECT_EQ(c.first, first) << c.colourType << ": " << std::hex << first;
  }
  EXPECT_EQ(1, gProgramState.Palettetype) << "the setting is kept";
  gProgramState.Palettetype = 0;
}

TEST_F(OnScreenTest, AboutEmblemCoversTheFrameUntilItsButtonRestoresIt) {
  RECT client, window;
  GetClientRect(Frame(), &client);
  GetWindowRect(Frame(), &window);
  const int cx = client.right / 2;
  const int cy = ((client.bottom - GetSystemMetrics(SM_CYCAPTION)) -
                  (window.bottom - window.top - client.bottom - 2 * GetSystemMetrics(SM_CYFRAME))) / 2;
  const std::vector<DWORD> before = Grab(Frame(), cx - 150, cy - 100, 300, 200);
  COLORREF inside = 0;
  DialogDriver driver(30000);
  driver.Then(nullptr, [&](HWND dlg) {
    inside = Pixel(Frame(), cx + 100, cy + 40);
    DialogDriver::Click(dlg, IDC_LOGO_CLOSE);
  });
  SendCommand(IDM_ABOUT);
  EXPECT_TRUE(driver.Done());
  EXPECT_EQ(RGB(0, 0, 80), inside) << "the emblem's navy ellipse";
  Settle();
  const std::vector<DWORD> after = Grab(Frame(), cx - 150, cy - 100, 300, 200);
  size_t differing = 0;
  for (size_t i = 0; i < before.size(); ++i) differing += (before[i] & 0xFFFFFF) != (after[i] & 0xFFFFFF);
  EXPECT_EQ(0u, differing) << "pixels of the frame left changed";
}

TEST_F(OnScreenTest, NightModeSwitchesTheDesktopColoursAndTicksItsItem) {
  const COLORREF day = GetSysColor(COLOR_WINDOWTEXT);
  SendCommand(IDM_NIGHT_MODE);
  const COLORREF night = GetSysColor(COLOR_WINDOWTEXT);
  const bool on = gProgramState.NightMode, ticked = MenuState(IDM_NIGHT_MODE) & MF_CHECKED;
  SendCommand(IDM_NIGHT_MODE);
  EXPECT_TRUE(on);
  EXPECT_TRUE(ticked);
  EXPECT_EQ(RGB(192, 0, 0), night);
  EXPECT_FALSE(gProgramState.NightMode);
  EXPECT_FALSE(MenuState(IDM_NIGHT_MODE) & MF_CHECKED);
  EXPECT_EQ(day, GetSysColor(COLOR_WINDOWTEXT));
}

}  // namespace
