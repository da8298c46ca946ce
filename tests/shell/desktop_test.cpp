// Night colours on the real desktop (this executable has the display to
// itself) and centring windows.
#include <windows.h>

#include <gtest/gtest.h>

#include "shell/desktop.h"
#include "state_fixture.h"

namespace {

const struct {
  int element;
  COLORREF night;
} kExpected[] = {
    {COLOR_SCROLLBAR, RGB(40, 40, 80)},      {COLOR_BACKGROUND, RGB(0, 0, 0)},
    {COLOR_ACTIVECAPTION, RGB(0, 0, 64)},    {COLOR_INACTIVECAPTION, RGB(0, 0, 0)},
    {COLOR_MENU, RGB(0, 0, 0)},              {COLOR_WINDOW, RGB(0, 0, 0)},
    {COLOR_WINDOWFRAME, RGB(0, 0, 40)},      {COLOR_MENUTEXT, RGB(192, 0, 0)},
    {COLOR_WINDOWTEXT, RGB(192, 0, 0)},      {COLOR_CAPTIONTEXT, RGB(255, 0, 0)},
    {COLOR_ACTIVEBORDER, RGB(0, 0, 40)},     {COLOR_INACTIVEBORDER, RGB(0, 0, 40)},
    {COLOR_APPWORKSPACE, RGB(0, 0, 0)},      {COLOR_HIGHLIGHT, RGB(40, 40, 80)},
    {COLOR_HIGHLIGHTTEXT, RGB(255, 0, 0)},   {COLOR_BTNFACE, RGB(0, 0, 0)},
    {COLOR_BTNSHADOW, RGB(40, 40, 40)},      {COLOR_GRAYTEXT, RGB(128, 0, 0)},
    {COLOR_BTNTEXT, RGB(224, 0, 0)},         {COLOR_INACTIVECAPTIONTEXT, RGB(128, 0, 0)},
    {COLOR_BTNHIGHLIGHT, RGB(40, 40, 80)},   {COLOR_3DDKSHADOW, RGB(0, 0, 0)},
    {COLOR_3DLIGHT, RGB(80, 80, 80)},        {COLOR_INFOTEXT, RGB(224, 0, 0)},
    {COLOR_INFOBK, RGB(0, 0, 96)},           {COLOR_HOTLIGHT, RGB(96, 0, 0)},
    {COLOR_GRADIENTACTIVECAPTION, RGB(0, 0, 96)}, {COLOR_GRADIENTINACTIVECAPTION, RGB(0, 0, 0)},
};

class NightColours : public testing::Test {
 protected:
  void SetUp() override {
    ps_ = MakeState();
    for (size_t i = 0; i < std::size(kExpected); ++i) {
      elements_[i] = kExpected[i].element;
      desktop_[i] = GetSysColor(kExpected[i].element);
    }
  }
  // The desktop gets its colours back even when a test failed half-way.
  void TearDown() override {
    SetSysColors(int(std::size(kExpected)), elements_, desktop_);
    DisposeState(ps_.get());
  }
  void ExpectNight() {
    for (const auto& e : kExpected) EXPECT_EQ(e.night, GetSysColor(e.element)) << "element " << e.element;
  }
  void ExpectDesktop() {
    for (size_t i = 0; i < std::size(kExpected); ++i)
      EXPECT_EQ(desktop_[i], GetSysColor(elements_[i])) << "element " << elements_[i];
  }

  std::unique_ptr<ProgramState> ps_;
  INT elements_[std::size(kExpected)];
  COLORREF desktop_[std::size(kExpected)];
};

TEST_F(NightColours, AreSetAndTheStartColoursComeBack) {
  ASSERT_EQ(28, NightColourCount());
  SaveSystemColours(ps_.get());
  SetNightColours(ps_.get());
  ExpectNight();
  RestoreSystemColours(ps_.get());
  ExpectDesktop();
}

TEST_F(NightColours, OnOffOnLeavesTheDesktopDarkAndExitRestoresIt) {
  SaveSystemColours(ps_.get());
  SetNightColours(ps_.get());
  RestoreSystemColours(ps_.get());
  SetNightColours(ps_.get());
  ExpectNight();
  RestoreSystemColours(ps_.get());   // as at exit
  ExpectDesktop();
}

HWND Popup(int x, int y, int w, int h) {
  return CreateWindowA("STATIC", "", WS_POPUP, x, y, w, h, nullptr, nullptr, nullptr, nullptr);
}

TEST(CentreWindow, CentresOnTheReferenceAndAllowsNegativeOffsets) {
  const struct {
    RECT reference;   // left, top, width, height
    int w, h;
    int x, y;
  } cases[] = {
      {{100, 100, 400, 300}, 200, 100, 200, 200},
      {{0, 0, 401, 301}, 200, 100, 100, 100},     // halves truncated
      {{50, 40, 400, 300}, 600, 500, -50, -60},   // larger than the reference
      {{0, 0, 400, 300}, 501, 401, -50, -50},     // odd negative halves truncate toward zero
  };
  for (const auto& c : cases) {
    HWND frame = Popup(c.reference.left, c.reference.top, c.reference.right, c.reference.bottom);
    HWND dialog = Popup(7, 9, c.w, c.h);
    CentreWindow(frame, dialog);
    RECT r;
    GetWindowRect(dialog, &r);
    EXPECT_EQ(c.x, r.left);
    EXPECT_EQ(c.y, r.top);
    EXPECT_EQ(c.w, r.right - r.left) << "size unchanged";
    DestroyWindow(dialog);
    DestroyWindow(frame);
  }
}

}  // namespace
