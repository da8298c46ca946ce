// The buffer windows: titles, zoom and its limits, scrolling, activation,
// minimising, what survives the system menu, and painting edge cases.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "shell/buffer_slots.h"
#include "shell/buffer_window.h"
#include "shell/frame_window.h"
#include "shell/menu_commands.h"
#include "shell/menu_ids.h"
#include "tests/app/app_fixture.h"

namespace {

using BufferWindowTest = AppTest;

SIZE ClientSize(HWND window) {
  RECT r;
  GetClientRect(window, &r);
  return SIZE{r.right, r.bottom};
}

// Gives the window a client area of about w x h.
void SizeWindow(HWND window, int w, int h) {
  RECT r{0, 0, w, h};
  AdjustWindowRectEx(&r, GetWindowLongA(window, GWL_STYLE), FALSE, GetWindowLongA(window, GWL_EXSTYLE));
  SetWindowPos(window, nullptr, 0, 0, r.right - r.left, r.bottom - r.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

void Press(HWND window, int id, int times = 1) {
  for (int i = 0; i < times; ++i) SendMessageA(window, WM_COMMAND, id, 0);
}

TEST_F(BufferWindowTest, TitleNamesTheBufferAndThePicturePath) {
  RefreshBufferWindow(2);
  EXPECT_EQ("Puffer B", Title(BufferWindow(2)));
  LoadPicture(2, "C:\\Bilder\\Jupiter_2004.fts");
  RefreshBufferWindow(2);
  EXPECT_EQ("Puffer B mit C:\\Bilder\\Jupiter_2004.fts", Title(BufferWindow(2)));
  // A path that fills its field without an end still gives a bounded title.
  ImageMetadata m;
  GetSlotMetadata(&m, 2, &gProgramState);
  memset(m.path, 'x', sizeof m.path);
  SetSlotMetadata(&m, 2, &gProgramState);
  RefreshBufferWindow(2);
  EXPECT_EQ("Puffer B mit " + std::string(sizeof m.path, 'x'), Title(BufferWindow(2)));
  ClearSlot(2, &gProgramState);
  RefreshBufferWindow(2);
  EXPECT_EQ("Puffer B", Title(BufferWindow(2)));
  EXPECT_TRUE(MenuState(IDM_ZOOM_IN) & MF_GRAYED);
}

TEST_F(BufferWindowTest, ReductionStaysWithinOneAndThirtyTwo) {
  const HWND a = BufferWindow(1);
  LoadPicture(1, "mond.fts");
  Press(a, IDC_BUFFER_ZOOM_OUT, 40);
  EXPECT_EQ(32, BufferReduction(1));
  Press(a, IDC_BUFFER_ZOOM_IN);
  EXPECT_EQ(31, BufferReduction(1));
  Press(a, IDC_BUFFER_ZOOM_IN, 40);
  EXPECT_EQ(1, BufferReduction(1));
  EXPECT_EQ(1, BufferReduction(2)) << "each buffer has its own";
}

TEST_F(BufferWindowTest, ZoomCentresTheViewAndScrollingStaysInside) {
  const HWND a = BufferWindow(1);
  SizeWindow(a, 300, 200);
  LoadPicture(1, "sonne.fts", 2000, 1500, 0);
  Press(a, IDC_BUFFER_ZOOM_OUT);   // 1000 x 750
  const SIZE c = ClientSize(a);
  EXPECT_EQ((1000 - c.cx) / 2, BufferScrollPosition(1).x);
  EXPECT_EQ((750 - c.cy) / 2, BufferScrollPosition(1).y);
  for (int i = 0; i < 20; ++i) SendMessageA(a, WM_HSCROLL, SB_PAGEDOWN, 0);
  // The last page ends at the picture's edge (the bars now take room).
  EXPECT_EQ(1000 - ClientSize(a).cx, BufferScrollPosition(1).x);
  SendMessageA(a, WM_VSCROLL, SB_TOP, 0);
  EXPECT_EQ(0, BufferScrollPosition(1).y);
  SendMessageA(a, WM_VSCROLL, MAKEWPARAM(SB_THUMBTRACK, 123), 0);
  EXPECT_EQ(123, BufferScrollPosition(1).y);
  // Small enough to fit: the view stays at the origin.
  Press(a, IDC_BUFFER_ZOOM_OUT, 31);
  EXPECT_EQ(0, BufferScrollPosition(1).x);
  SendMessageA(a, WM_HSCROLL, SB_LINEDOWN, 0);
  EXPECT_EQ(0, BufferScrollPosition(1).x);
}

TEST_F(BufferWindowTest, ZoomButtonsSitInTheCornerOfTheClientAreaTheBarsLeave) {
  const HWND a = BufferWindow(1);
  SizeWindow(a, 300, 200);
  // A large picture shows both bars; emptied, the buffer hides them.
  LoadPicture(1, "sonne.fts", 2000, 1500, 0);
  RefreshBufferWindow(1);
  SendMessageA(a, WM_PAINT, 0, 0);
  ASSERT_LT(ClientSize(a).cx, 300);
  for (bool loaded : {false, true}) {
    if (loaded)
      LoadPicture(1, "klein.fts", 100, 80, 0);
    else
      ClearSlot(1, &gProgramState);
    RefreshBufferWindow(1);
    SendMessageA(a, WM_PAINT, 0, 0);
    const SIZE client = ClientSize(a);
    EXPECT_EQ(300, client.cx) << loaded;
    RECT plus;
    GetWindowRect(GetDlgItem(a, IDC_BUFFER_ZOOM_IN), &plus);
    MapWindowPoints(nullptr, a, reinterpret_cast<POINT*>(&plus), 2);
    EXPECT_EQ(client.cx, plus.right) << loaded;
    EXPECT_EQ(client.cy, plus.bottom) << loaded;
    // Back to the large picture for the next case.
    LoadPicture(1, "sonne.fts", 2000, 1500, 0);
    RefreshBufferWindow(1);
    SendMessageA(a, WM_PAINT, 0, 0);
  }
}

TEST_F(BufferWindowTest, ASmallerPictureLoadedIntoAScrolledViewIsShown) {
  const HWND a = BufferWindow(1);
  SizeWindow(a, 300, 200);
  LoadPicture(1, "sonne.fts", 2000, 1500, 0);
  RefreshBufferWindow(1);
  SendMessageA(a, WM_HSCROLL, SB_BOTTOM, 0);
  SendMessageA(a, WM_VSCROLL, SB_BOTTOM, 0);
  ASSERT_GT(BufferScrollPosition(1).x, 400);
  // The view keeps its place, but only as far as the new picture reaches.
  LoadPicture(1, "mond.fts", 400, 300, 0);
  RefreshBufferWindow(1);
  SendMessageA(a, WM_PAINT, 0, 0);
  const SIZE c = ClientSize(a);
  EXPECT_EQ(400 - c.cx, BufferScrollPosition(1).x);
  EXPECT_EQ(300 - c.cy, BufferScrollPosition(1).y);
  LoadPicture(1, "klein.fts", 100, 80, 0);
  RefreshBufferWindow(1);
  SendMessageA(a, WM_PAINT, 0, 0);
  EXPECT_EQ(0, BufferScrollPosition(1).x);
  EXPECT_EQ(0, BufferScrollPosition(1).y);
}

TEST_F(BufferWindowTest, ScrollRequestsMoveAndClampThePosition) {
  const struct {
    int32_t start;
    int request;
    int thumb;
    int pageAware;
    int32_t expected;
  } cases[] = {
      {50, SB_LINEUP, 0, 1, 49},       {50, SB_LINEDOWN, 0, 1, 51},   {50, SB_PAGEUP, 0, 1, 10},
      {50, SB_PAGEDOWN, 0, 1, 60},     {5, SB_PAGEUP, 0, 1, 0},       {90, SB_PAGEDOWN, 0, 0, 100},
      {50, SB_THUMBTRACK, 33, 1, 33},  {50, SB_THUMBPOSITION, 0xFFFF, 1, 0},
      {50, SB_TOP, 0, 1, 0},           {50, SB_BOTTOM, 0, 1, 60},     {50, SB_BOTTOM, 0, 0, 80},
      {50, SB_ENDSCROLL, 0, 1, 50},
  };
  for (const auto& c : cases) {
    int32_t position = c.start;
    UpdateScrollPos(&position, 40, 100, 0, c.pageAware, MAKEWPARAM(c.request, c.thumb));
    EXPECT_EQ(c.expected, position) << c.request << " from " << c.start;
  }
  // The lower clamp first: a page beyond the range gives max - page.
  int32_t position = 3;
  UpdateScrollPos(&position, 40, 30, 0, 1, SB_LINEUP);
  EXPECT_EQ(-10, position);
}

TEST_F(BufferWindowTest, ActivationMakesTheActiveBufferAndSetsTheMenu) {
  INT_PTR (*standIn)(void*, HWND, const char*, DLGPROC) = [](void*, HWND, const char*, DLGPROC) -> INT_PTR {
    return 0;
  };
  SetDialogOpener(standIn, nullptr);
  LoadPicture(2, "mars.fts", 16, 16, 1);
  LoadPicture(3, "mond.fts", 16, 16, 0);
  const struct {
    int buffer;
    UINT item;
    bool colour;
  } cases[] = {{2, IDM_BUFFER_B, true}, {3, IDM_BUFFER_C, false}, {1, IDM_BUFFER_A, false}};
  for (const auto& c : cases) {
    SendMessageA(gMdiClient, WM_MDIACTIVATE, reinterpret_cast<WPARAM>(BufferWindow(c.buffer)), 0);
    EXPECT_EQ(c.buffer, gProgramState.ActiveBuffer);
    for (UINT item : {IDM_BUFFER_A, IDM_BUFFER_B, IDM_BUFFER_C, IDM_BUFFER_D})
      EXPECT_EQ(item == c.item, (MenuState(item) & MF_CHECKED) != 0) << c.buffer << " " << item;
    for (UINT id : {IDM_RGB_ALIGN, IDM_RED_WEAKNESS, IDM_COLOUR_SEPARATION, IDM_TONE_COLOUR_TEMP})
      EXPECT_EQ(!c.colour, (MenuState(id) & MF_GRAYED) != 0) << c.buffer << " " << id;
  }
}

TEST_F(BufferWindowTest, MinimisingPlacesTheWindowAtTheFrameBottom) {
  RECT frame;
  GetClientRect(Frame(), &frame);
  const int w = GetSystemMetrics(SM_CXMINIMIZED), h = GetSystemMetrics(SM_CYMINIMIZED);
  for (int b : {3, 1}) {
    const HWND window = BufferWindow(b);
    SendMessageA(window, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    RECT r;
    GetWindowRect(window, &r);
    MapWindowPoints(nullptr, gMdiClient, reinterpret_cast<POINT*>(&r), 2);
    EXPECT_EQ((b - 1) * w, r.left) << b;
    EXPECT_EQ(frame.bottom - h - 3, r.top) << b;
    EXPECT_EQ(w, r.right - r.left);
    EXPECT_LE(h, r.bottom - r.top) << "the platform keeps room for the caption";
    EXPECT_FALSE(IsIconic(window)) << "still a normal window";
  }
  SendCommand(IDM_TILE);
}

TEST_F(BufferWindowTest, SystemMenuCannotCloseABufferWindow) {
  const HWND b = BufferWindow(2);
  EXPECT_TRUE(GetMenuState(GetSystemMenu(b, FALSE), SC_CLOSE, MF_BYCOMMAND) & MF_GRAYED);
  SendMessageA(b, WM_SYSCOMMAND, SC_CLOSE, 0);
  SendMessageA(b, WM_CLOSE, 0, 0);
  EXPECT_TRUE(IsWindow(b));
  EXPECT_EQ(b, WindowOfSlot(2));
}

TEST_F(BufferWindowTest, PaintMakesTheZoomButtonsAndEnablesThemByTheView) {
  const HWND a = BufferWindow(1);
  SizeWindow(a, 400, 300);
  LoadPicture(1, "klein.fts", 200, 150, 0);
  const struct {
    int zoomOutPresses;
    int width, height;
    bool minus, plus;
  } cases[] = {
      {0, 200, 150, false, false},   // fits at 1:1: neither
      {1, 200, 150, false, true},    // 1:2: "+" goes back
      {0, 900, 150, true, true},     // wider than the view at 1:2
  };
  for (const auto& c : cases) {
    LoadPicture(1, "bild.fts", c.width, c.height, 0);
    Press(a, IDC_BUFFER_ZOOM_OUT, c.zoomOutPresses);
    SendMessageA(a, WM_PAINT, 0, 0);
    const HWND minus = GetDlgItem(a, IDC_BUFFER_ZOOM_OUT), plus = GetDlgItem(a, IDC_BUFFER_ZOOM_IN);
    ASSERT_TRUE(minus && plus);
    EXPECT_EQ(c.minus, IsWindowEnabled(minus) != 0) << c.width;
    EXPECT_EQ(c.plus, IsWindowEnabled(plus) != 0) << c.width;
  }
  // An empty buffer disables both.
  ClearSlot(1, &gProgramState);
  SendMessageA(a, WM_PAINT, 0, 0);
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(a, IDC_BUFFER_ZOOM_OUT)));
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(a, IDC_BUFFER_ZOOM_IN)));
}

}  // namespace
