// The painters that take a window draw into its own device context: read
// back from a visible window (this executable has the screen to itself).
#include <windows.h>

#include <gtest/gtest.h>

#include <vector>

#include "shell/display_bitmap.h"
#include "shell/display_palette.h"
#include "shell/previews.h"
#include "state_fixture.h"

namespace {

class PaintedWindow : public testing::Test {
 protected:
  void SetUp() override {
    ps_ = MakeState();
    ps_->ScreenBitsPerPixel = 32;
    ps_->Colorstep = 256;
    ps_->FirstColor = {0, 40, 0, 0};
    ps_->PaletteHandle = CreateProgramPalette(ps_.get());
    window_ = CreateWindowExA(WS_EX_TOPMOST, "STATIC", "", WS_POPUP | WS_VISIBLE, 10, 10, 64, 48, nullptr, nullptr,
                              GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(nullptr, window_);
    UpdateWindow(window_);
    Pump();
  }
  void TearDown() override {
    DestroyWindow(window_);
    DeleteObject(ps_->PaletteHandle);
    DisposeState(ps_.get());
  }
  static void Pump() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
  }
  COLORREF At(int x, int y) {
    HDC dc = GetDC(window_);
    const COLORREF c = GetPixel(dc, x, y);
    ReleaseDC(window_, dc);
    return c;
  }

  std::unique_ptr<ProgramState> ps_;
  HWND window_ = nullptr;
};

TEST_F(PaintedWindow, FillWindowColourCoversTheClientArea) {
  FillWindowColour(window_, 4, ps_.get());
  EXPECT_EQ(RGB(255, 127, 0), At(0, 0));
  EXPECT_EQ(RGB(255, 127, 0), At(63, 47));
  FillWindowColour(window_, 0, ps_.get());
  EXPECT_EQ(RGB(0, 40, 0), At(30, 20));
}

TEST_F(PaintedWindow, PlotsAndBarsDrawIntoTheWindow) {
  std::vector<uint32_t> counts(256, 0);
  ASSERT_EQ(1, DrawHistogram(window_, 0, 256, counts.data(), 2));
  EXPECT_EQ(RGB(0, 0, 96), At(30, 20));
  EXPECT_EQ(RGB(0, 224, 0), At(30, 46)) << "the empty histogram on the bottom line";

  const double x[2] = {0, 255}, y[2] = {0, 255};
  ASSERT_EQ(1, DrawContrastCurve(window_, 0, 2, x, y, 0.0, 255.0, 32.0, 32.0, 2, 1));
  EXPECT_EQ(RGB(0, 0, 128), At(3, 3));

  DrawColourBar(window_, ps_.get(), 0, nullptr);
  EXPECT_EQ(RGB(0, 0, 0), At(0, 10));
  EXPECT_EQ(RGB(251, 251, 251), At(63, 10));

  PaintPreview(window_, nullptr, nullptr, 0, 0, 1);
  EXPECT_EQ(RGB(0, 0, 0), At(30, 20));
}

}  // namespace
