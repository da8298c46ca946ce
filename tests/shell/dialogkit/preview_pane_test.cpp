// The preview pane on a real dialog: the reduction kept within 1..32 by "-"
// and "+", the scroll bars, a bitmap that replaces the previous one, the
// mapping of a point through the control's own position, and the overlay.
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>

#include "shell/dialogkit/pane_markers.h"
#include "shell/dialogkit/preview_pane.h"
#include "tests/shell/dialogkit/kit_fixture.h"
#include "tests/shell/testkit/dialog_driver.h"
#include "tests/shell/testkit/dialog_template.h"
#include "tests/shell/testkit/live_counts.h"

namespace {

constexpr int kPreview = 110, kHBar = 106, kVBar = 109, kMinus = 107, kPlus = 108, kStatus = 119;
constexpr WORD kScrollBarClass = 0x0084;
constexpr PreviewPaneSpec kSpec = {kPreview, kHBar, kVBar, kMinus, kPlus, kStatus};

PreviewPane gPane;
int32_t gReduction = 1;

INT_PTR CALLBACK PaneDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      InitPreviewPane(&gPane, &kSpec, dialog, &gReduction);
      return TRUE;
    case WM_COMMAND:
      HandlePreviewButton(&gPane, LOWORD(wParam));
      return TRUE;
    case WM_HSCROLL:
    case WM_VSCROLL:
      HandlePreviewScroll(&gPane, reinterpret_cast<HWND>(lParam), wParam);
      return TRUE;
    case WM_DESTROY:
      FreePreviewPane(&gPane);
      return FALSE;
  }
  return FALSE;
}

// The preview frame does not sit at the dialog's origin, so a mapping that
// ignored the control's position would be caught.
void RunPaneDialog(std::function<void(HWND)> test) {
  DialogTemplate t("Vorschau", 260, 200);
  t.Add(DialogTemplate::kStatic, kPreview, "", 37, 23, 150, 110, WS_CHILD | WS_VISIBLE | SS_BLACKFRAME)
      .Add(kScrollBarClass, kHBar, "", 37, 135, 150, 10, WS_CHILD | WS_VISIBLE | SBS_HORZ)
      .Add(kScrollBarClass, kVBar, "", 189, 23, 10, 110, WS_CHILD | WS_VISIBLE | SBS_VERT)
      .Button(kMinus, "-", 205, 23)
      .Button(kPlus, "+", 205, 41)
      .Add(DialogTemplate::kStatic, kStatus, "", 37, 150, 150, 10);
  DialogDriver driver;
  driver.Then("Vorschau", [test](HWND dlg) {
    test(dlg);
    EndDialog(dlg, 1);
  });
  DialogBoxIndirectParamA(GetModuleHandleA(nullptr), t.Get(), nullptr, PaneDlgProc, 0);
  EXPECT_TRUE(driver.Done());
}

bool Enabled(HWND dlg, int id) { return IsWindowEnabled(GetDlgItem(dlg, id)) != 0; }

HBITMAP MakeBitmap(int w, int h) {
  HDC screen = GetDC(nullptr);
  HBITMAP b = CreateCompatibleBitmap(screen, w, h);
  ReleaseDC(nullptr, screen);
  return b;
}

using PreviewPaneTest = KitTest;

TEST_F(PreviewPaneTest, ReductionStaysWithinOneAndThirtyTwo) {
  gReduction = 31;
  RunPaneDialog([](HWND dlg) {
    const SIZE picture = {4000, 3000};
    SetPreviewPicture(&gPane, &picture);
    DialogDriver::Click(dlg, kMinus);
    DialogDriver::Click(dlg, kMinus);
    EXPECT_EQ(32, gReduction);
    EXPECT_TRUE(Enabled(dlg, kPlus));
    for (int i = 0; i < 40; ++i) DialogDriver::Click(dlg, kPlus);
    EXPECT_EQ(1, gReduction);
    EXPECT_FALSE(Enabled(dlg, kPlus)) << "no less reduction than 1";
    EXPECT_TRUE(Enabled(dlg, kMinus)) << "4000 pixels exceed the view";
    EXPECT_TRUE(Enabled(dlg, kHBar));
    EXPECT_EQ(gPane.rangeX / 2, gPane.posX) << "a larger picture starts centred";
  });
  EXPECT_EQ(1, gReduction) << "the reduction is the dialog's, kept after it";
}

TEST_F(PreviewPaneTest, ScrollBarsMoveByPagesWithinTheRange) {
  gReduction = 1;
  RunPaneDialog([](HWND dlg) {
    const SIZE picture = {2000, 100};
    SetPreviewPicture(&gPane, &picture);
    EXPECT_FALSE(Enabled(dlg, kVBar)) << "100 rows fit the view";
    const HWND bar = GetDlgItem(dlg, kHBar);
    const int32_t start = gPane.posX;
    SendMessageA(dlg, WM_HSCROLL, SB_PAGEDOWN, LPARAM(bar));
    EXPECT_EQ(start + kPreviewScrollPage, gPane.posX);
    EXPECT_EQ(gPane.posX, GetScrollPos(bar, SB_CTL));
    SendMessageA(dlg, WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 30000), LPARAM(bar));
    EXPECT_EQ(gPane.rangeX, gPane.posX);
    SendMessageA(dlg, WM_HSCROLL, SB_TOP, LPARAM(bar));
    EXPECT_EQ(0, gPane.posX);
  });
}

TEST_F(PreviewPaneTest, ANewBitmapReplacesAndDeletesTheOldOne) {
  GdiWatch bitmaps;
  RunPaneDialog([&bitmaps](HWND) {
    for (int i = 0; i < 50; ++i) {
      HBITMAP b = MakeBitmap(20, 20);
      bitmaps.Note(b);
      SetPreviewBitmap(&gPane, b);
      UpdateWindow(GetDlgItem(gPane.dialog, kPreview));
    }
    EXPECT_EQ(50, bitmaps.Noted());
    EXPECT_EQ(1, bitmaps.Alive());
    EXPECT_EQ(&gPane, PreviewPaneOf(gPane.dialog));
  });
  EXPECT_EQ(0, bitmaps.Alive()) << "the last one goes with the dialog";
}

TEST_F(PreviewPaneTest, APointBecomesPicturePixelsThroughTheControl) {
  gReduction = 2;
  RunPaneDialog([](HWND dlg) {
    const SIZE picture = {3000, 2400};
    SetPreviewPicture(&gPane, &picture);
    SetPreviewBitmap(&gPane, MakeBitmap(gPane.viewW, gPane.viewH));
    RECT control;
    GetWindowRect(GetDlgItem(dlg, kPreview), &control);
    MapWindowPoints(nullptr, dlg, reinterpret_cast<POINT*>(&control), 2);
    RECT client;
    GetClientRect(GetDlgItem(dlg, kPreview), &client);
    // Client pixel (5, 7) of the control; the bitmap is larger than the
    // area in neither axis, so it sits centred.
    const int left = (client.right - gPane.viewW) / 2, top = (client.bottom - gPane.viewH) / 2;
    POINT inControl = {left + 5, top + 7};
    POINT inDialog = inControl;
    MapWindowPoints(GetDlgItem(dlg, kPreview), dlg, &inDialog, 1);
    POINT at = {};
    ASSERT_TRUE(PreviewPointToPicture(&gPane, inDialog, &at));
    EXPECT_EQ((gPane.posX + 5) * 2, at.x);
    EXPECT_EQ((gPane.posY + 7) * 2, at.y);
    // Outside the control, or with no bitmap, nothing.
    POINT outside = {control.left - 3, control.top + 10};
    EXPECT_FALSE(PreviewPointToPicture(&gPane, outside, &at));
    SetPreviewBitmap(&gPane, nullptr);
    EXPECT_FALSE(PreviewPointToPicture(&gPane, inDialog, &at));
  });
}

TEST_F(PreviewPaneTest, TheOverlayDrawsOverEveryPaintWithTheBitmapsPlace) {
  static int calls;
  static PreviewMapping seen;
  calls = 0;
  gReduction = 4;
  RunPaneDialog([](HWND dlg) {
    const SIZE picture = {200, 160};
    SetPreviewPicture(&gPane, &picture);
    SetPreviewBitmap(&gPane, MakeBitmap(50, 40));
    SetPreviewOverlay(
        &gPane,
        [](void* context, HDC dc, const PreviewMapping* map) {
          EXPECT_EQ(&gPane, context);
          EXPECT_NE(nullptr, dc);
          seen = *map;
          ++calls;
        },
        &gPane);
    UpdateWindow(GetDlgItem(dlg, kPreview));
    EXPECT_EQ(1, calls);
    EXPECT_EQ(50, seen.width);
    EXPECT_EQ(4, seen.reduction);
    EXPECT_EQ((seen.client.right - 50) / 2, seen.left) << "a smaller bitmap is centred";
    ShowPreviewStatus(&gPane, "Fehler");
    EXPECT_EQ("Fehler", DialogDriver::ItemText(dlg, kStatus));
  });
}

// A mark held in picture pixels lands on the bitmap pixel that shows them,
// scrolled and reduced; and a picture's visible section becomes the bitmap.
TEST_F(PreviewPaneTest, PicturesAndMarksFollowScrollingAndReduction) {
  static MarkerRecord mark;
  static PreviewMapping seen;
  gReduction = 4;
  RunPaneDialog([](HWND dlg) {
    const SIZE picture = {3000, 2400};
    SetPreviewPicture(&gPane, &picture);
    SendMessageA(dlg, WM_HSCROLL, SB_PAGEDOWN, LPARAM(GetDlgItem(dlg, kHBar)));
    ImageHeader h;
    InitImageHeader(&h);
    h.width = picture.cx;
    h.height = picture.cy;
    h.colourType = 0;
    int16_t* samples = nullptr;
    ASSERT_TRUE(AllocPixels(&samples, &h));
    ASSERT_EQ(1, ShowPreviewSamples(&gPane, samples, &h));
    FreeMem(&samples);
    BITMAP info = {};
    GetObject(gPane.bitmap, sizeof info, &info);
    EXPECT_EQ(gPane.viewW, info.bmWidth) << "the visible section, reduced";
    ASSERT_EQ(1, InitShiftMarker(PaneMarkerView(&gPane), -1, -1, picture.cx, picture.cy, RGB(0, 255, 0), 1.0, 0,
                                 &mark));
    SetPreviewOverlay(
        &gPane,
        [](void*, HDC dc, const PreviewMapping* map) {
          seen = *map;
          PlaceMarkerOnPane(&mark, dc, map);
        },
        nullptr);
    UpdateWindow(GetDlgItem(dlg, kPreview));
    EXPECT_EQ(gPane.posX * 4, seen.sectionX);
    EXPECT_EQ(0.25, mark.zoom);
    for (int32_t b : {0, 7, 30})
      EXPECT_EQ(seen.left + b, MarkerToClient(seen.sectionX + 4 * b, mark.zoom, mark.originX)) << b;
    EXPECT_EQ(seen.top + 9, MarkerToClient(seen.sectionY + 36, mark.zoom, mark.originY));
    EXPECT_EQ(seen.client.right - 1, mark.clientRight);
  });
}

// A picture lower than the view gives a lower bitmap; no samples, none.
TEST_F(PreviewPaneTest, ThePicturesVisibleSectionBecomesTheBitmap) {
  gReduction = 2;
  RunPaneDialog([](HWND) {
    ImageHeader h;
    InitImageHeader(&h);
    h.width = 800;
    h.height = 90;
    h.colourType = 0;
    int16_t* samples = nullptr;
    ASSERT_TRUE(AllocPixels(&samples, &h));
    const SIZE picture = {h.width, h.height};
    SetPreviewPicture(&gPane, &picture);
    ASSERT_TRUE(ShowPreviewSamples(&gPane, samples, &h));
    BITMAP info = {};
    ASSERT_TRUE(GetObject(gPane.bitmap, sizeof info, &info));
    // Wider than the view at 1:2, lower than it.
    EXPECT_EQ(gPane.viewW, info.bmWidth);
    EXPECT_EQ(45, info.bmHeight);
    EXPECT_FALSE(ShowPreviewSamples(&gPane, nullptr, &h));
    EXPECT_EQ(nullptr, gPane.bitmap) << "black without samples";
    FreeMem(&samples);
  });
}

}  // namespace
