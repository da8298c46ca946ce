// Controls driven from a table on a real dialog: a trackbar and a scroll bar
// bound to the same kind of field, and a frame painted by the dialog.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <functional>

#include "shell/dialogkit/control_table.h"
#include "shell/dialogkit/plot_pane.h"
#include "tests/shell/testkit/dialog_driver.h"
#include "tests/shell/testkit/dialog_template.h"

namespace {

constexpr int kTrack = 301, kTrackText = 302, kBar = 303, kBarText = 304, kPlot = 305;
constexpr WORD kScrollBarClass = 0x0084;

struct Record {
  double factor;
  int32_t level;
};
Record gRecord;

constexpr BarSpec kBars[] = {
    {kTrack, kTrackText, 0, 400, 5, BarMap::kLinear, 0.01, BarText::kPercent, "%ld %%", KIT_FIELD(Record, factor)},
    {kBar, kBarText, 0, 32767, 256, BarMap::kLinear, 1.0, BarText::kLong, "%ld", KIT_FIELD(Record, level)},
};
constexpr ControlTable kTable = {kBars, {}, {}, {}};

INT_PTR CALLBACK TableDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      ShowControlTable(dialog, kTable, &gRecord);
      return TRUE;
    case WM_HSCROLL:
      HandleTableScroll(dialog, kTable, &gRecord, reinterpret_cast<HWND>(lParam), wParam);
      return TRUE;
  }
  return FALSE;
}

void RunTableDialog(std::function<void(HWND)> test) {
  InitCommonControls();
  DialogTemplate t("Tabelle", 220, 120);
  t.Add(TRACKBAR_CLASSA, kTrack, "", 8, 8, 150, 16, WS_CHILD | WS_VISIBLE | WS_TABSTOP | TBS_HORZ);
  t.Add(DialogTemplate::kStatic, kTrackText, "", 164, 10, 40, 10);
  t.Add(kScrollBarClass, kBar, "", 8, 30, 150, 10, WS_CHILD | WS_VISIBLE | SBS_HORZ);
  t.Add(DialogTemplate::kStatic, kBarText, "", 164, 30, 40, 10);
  t.Add(DialogTemplate::kStatic, kPlot, "", 8, 50, 100, 50, WS_CHILD | WS_VISIBLE | SS_BLACKFRAME);
  DialogDriver driver;
  driver.Then("Tabelle", [test](HWND dlg) {
    test(dlg);
    EndDialog(dlg, 1);
  });
  DialogBoxIndirectParamA(GetModuleHandleA(nullptr), t.Get(), nullptr, TableDlgProc, 0);
  EXPECT_TRUE(driver.Done());
}

TEST(ControlTableTest, ATrackbarTakesTheRangeAndWritesItsFieldAsAScrollBarDoes) {
  gRecord = {1.2, 1000};
  RunTableDialog([](HWND dlg) {
    HWND track = GetDlgItem(dlg, kTrack);
    ASSERT_NE(nullptr, track);
    EXPECT_EQ(0, SendMessageA(track, TBM_GETRANGEMIN, 0, 0));
    EXPECT_EQ(400, SendMessageA(track, TBM_GETRANGEMAX, 0, 0));
    EXPECT_EQ(5, SendMessageA(track, TBM_GETPAGESIZE, 0, 0));
    EXPECT_EQ(120, SendMessageA(track, TBM_GETPOS, 0, 0));
    EXPECT_EQ("120 %", DialogDriver::ItemText(dlg, kTrackText));
    EXPECT_EQ(1000, GetScrollPos(GetDlgItem(dlg, kBar), SB_CTL));
    // The trackbar moves itself, then tells the dialog.
    SendMessageA(track, TBM_SETPOS, TRUE, 95);
    SendMessageA(dlg, WM_HSCROLL, MAKEWPARAM(TB_THUMBPOSITION, 95), LPARAM(track));
    EXPECT_DOUBLE_EQ(0.95, gRecord.factor);
    EXPECT_EQ("95 %", DialogDriver::ItemText(dlg, kTrackText));
    EXPECT_EQ(95, SendMessageA(track, TBM_GETPOS, 0, 0));
    // The scroll bar is moved by the request.
    SendMessageA(dlg, WM_HSCROLL, SB_PAGEDOWN, LPARAM(GetDlgItem(dlg, kBar)));
    EXPECT_EQ(1256, gRecord.level);
    EXPECT_EQ("1256", DialogDriver::ItemText(dlg, kBarText));
  });
}

TEST(PlotPaneTest, ThePainterDrawsTheWholeFrameAtEveryPaintUntilItIsFreed) {
  static int calls;
  static RECT seen;
  calls = 0;
  RunTableDialog([](HWND dlg) {
    auto paint = [](void* context, HDC dc, const RECT* client) {
      EXPECT_EQ(&gRecord, context);
      seen = *client;
      ++calls;
      HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
      FillRect(dc, client, red);
      DeleteObject(red);
    };
    ASSERT_TRUE(InitPlotPane(dlg, kPlot, paint, &gRecord));
    HWND plot = GetDlgItem(dlg, kPlot);
    UpdateWindow(plot);
    EXPECT_EQ(1, calls);
    RECT client;
    GetClientRect(plot, &client);
    EXPECT_TRUE(EqualRect(&client, &seen));
    HDC dc = GetDC(plot);
    EXPECT_EQ(RGB(255, 0, 0), GetPixel(dc, client.right / 2, client.bottom / 2));
    ReleaseDC(plot, dc);
    RepaintPlot(dlg, kPlot);
    UpdateWindow(plot);
    EXPECT_EQ(2, calls);
    FreePlotPane(dlg, kPlot);
    UpdateWindow(plot);
    EXPECT_EQ(2, calls) << "the frame paints itself again";
    EXPECT_FALSE(InitPlotPane(dlg, 999, paint, nullptr)) << "no such control";
  });
}

}  // namespace
