// The contrast dialog opened from the menu and driven through its pages as a
// user drives it: the templates, the channel curves against the image
// library's tables, the end points, curve points, gamma and logarithm
// controls, cancel across tabs, and what the dialog leaves behind.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <vector>

#include "editing/contrast/contrast_curves.h"
#include "editing/contrast/contrast_dialog.h"
#include "editing/contrast/contrast_ids.h"
#include "imagelib/contrast.h"
#include "shell/dialogkit/preview_pane.h"
#include "shell/dialogkit/tab_host.h"
#include "shell/hotkey_titles.h"
#include "shell/menu_ids.h"
#include "tests/editing/contrast_test_kit.h"
#include "tests/shell/testkit/dialog_driver.h"
#include "tests/shell/testkit/dialog_resource.h"
#include "tests/shell/testkit/live_counts.h"
#include "tests/shell/testkit/message_script.h"

namespace {

constexpr char kTitleA[] = "Kontrasteinstellung von Puffer A";

class ContrastDialogTest : public EditingDialogTest {
 protected:
  static HWND Page(HWND dlg) { return TabHostOf(dlg)->page; }
  static ContrastChannelSettings& Block(int c) { return gProgramState.ContrastChannels[c]; }
  static std::string TabText(HWND dlg, int index) {
    char text[64] = "";
    TCITEMA item = {};
    item.mask = TCIF_TEXT;
    item.pszText = text;
    item.cchTextMax = sizeof text;
    SendDlgItemMessageA(dlg, IDC_CONTRAST_TABS, TCM_GETITEMA, index, LPARAM(&item));
    return text;
  }
  // The table of a block as the image library builds it.
  static std::vector<uint16_t> Table(const ContrastChannelSettings& b) {
    std::vector<uint16_t> t(kContrastLevels);
    EXPECT_EQ(IMG_OK, BuildContrastCurveSpline(t.data(), kContrastLevels, b.Algorithm, b.LogMulti, b.Gamma,
                                               b.Toplevel, b.Backgroundlevel, b.Curve, nullptr));
    return t;
  }
};

TEST_F(ContrastDialogTest, TheTemplatesHoldEveryControl) {
  {
    DialogResourceProbe probe("kontrastierung2");
    ASSERT_TRUE(probe.Ok());
    EXPECT_EQ("Kontrastierung", probe.Title());
    EXPECT_EQ("SysTabControl32", probe.ClassOf(IDC_CONTRAST_TABS));
    const struct {
      int id;
      const char* text;
    } controls[] = {{IDC_CONTRAST_EDIT, "&Bearbeiten"},  {IDC_CONTRAST_CANCEL, "&Abbruch"},
                    {IDC_CONTRAST_MINUS, "-"},           {IDC_CONTRAST_PLUS, "+"},
                    {IDC_CONTRAST_NO_PREVIEW, "Vorschau abschalten"},
                    {IDC_CONTRAST_TARGET_A, "Puffer A"}, {IDC_CONTRAST_TARGET_D, "Puffer D"}};
    for (const auto& c : controls) EXPECT_EQ(c.text, probe.Text(c.id)) << c.id;
    for (int id : {IDC_CONTRAST_HSCROLL, IDC_CONTRAST_VSCROLL}) EXPECT_EQ("ScrollBar", probe.ClassOf(id));
    for (int id : {IDC_CONTRAST_PREVIEW, IDC_CONTRAST_RESULT}) EXPECT_TRUE(probe.Has(id));
    EXPECT_LE(probe.Size().cx, 800);
    EXPECT_LE(probe.Size().cy, 600);
  }
  DialogResourceProbe page("kontrastsheet");
  ASSERT_TRUE(page.Ok());
  EXPECT_TRUE(GetWindowLongA(page.Dialog(), GWL_STYLE) & WS_CHILD);
  const struct {
    int id;
    const char* text;
  } buttons[] = {{124, "Linear"},  {125, "Exponential"}, {126, "Logarithmisch"}, {127, "Histogramm"},
                 {128, "Gamma"},   {119, "Keine"},       {112, "100 %"},         {129, "Untergrund"},
                 {113, "99.8 %"},  {114, "99.6 %"},      {115, "99 %"},          {116, "98 %"},
                 {117, "96 %"},    {118, "90 %"}};
  for (const auto& b : buttons) EXPECT_EQ(b.text, page.Text(b.id)) << b.id;
  for (int id = IDC_SHEET_POINT_1; id <= IDC_SHEET_POINT_7; ++id) EXPECT_EQ("ScrollBar", page.ClassOf(id));
  for (int id : {IDC_SHEET_WHITE, IDC_SHEET_BLACK}) EXPECT_EQ("msctls_trackbar32", page.ClassOf(id));
  EXPECT_EQ("msctls_updown32", page.ClassOf(IDC_SHEET_LOG_UPDOWN));
  EXPECT_EQ("Edit", page.ClassOf(IDC_SHEET_LOG_MULTI));
  for (int id : {IDC_SHEET_HISTOGRAM, IDC_SHEET_CURVE, IDC_SHEET_GAMMA, IDC_SHEET_GAMMA_TEXT})
    EXPECT_TRUE(page.Has(id));
}

TEST_F(ContrastDialogTest, AColourPictureOnTheGreenPageGetsItsThreeChannelCurves) {
  LoadSpread(1, 48, 36, 1);
  const std::vector<int16_t> before = Samples(1);
  gProgramState.Contrastchannel = 2;
  Block(1) = ContrastChannelSettings{CURVE_POWER, 1, 0.5, 20000, 4000, 0, {0, 4095, 8191, 12287, 16383, 20479, 24575, 28671, 32767}};
  Block(2) = ContrastChannelSettings{CURVE_EXPONENTIAL, 1, 1.0, 18000, 3000, 0, {0, 4095, 8191, 12287, 16383, 20479, 24575, 28671, 32767}};
  Block(3) = ContrastChannelSettings{CURVE_SPLINE, 1, 1.0, 21000, 3000, 0, {0, 2000, 6000, 10000, 15000, 20000, 25000, 30000, 32767}};
  Block(0).Algorithm = CURVE_LOGARITHMIC;   // the common curve must not be used
  Block(0).Backgroundlevel = 1234;
  gProgramState.ContrastBackgroundLevel = 0;
  MessageBoxScript boxes;
  DialogDriver driver;
  driver.Then(kTitleA, [](HWND dlg) {
    EXPECT_EQ(4, SendDlgItemMessageA(dlg, IDC_CONTRAST_TABS, TCM_GETITEMCOUNT, 0, 0));
    EXPECT_EQ("RGB zusammen", TabText(dlg, 0));
    EXPECT_EQ("Grünkanal", TabText(dlg, 2));
    EXPECT_EQ(2, SelectedTab(TabHostOf(dlg)));
    EXPECT_STREQ(kTitleA, HotKeyDialogTitle[kHotKeyContrast]);
    EXPECT_NE(nullptr, PreviewPaneOf(dlg)->bitmap);
    DialogDriver::Click(dlg, IDC_CONTRAST_EDIT);
  });
  SendCommand(IDM_CONTRAST);
  EXPECT_TRUE(driver.Done());
  EXPECT_EQ(0u, boxes.Count());
  const std::vector<uint16_t> red = Table(Block(1)), green = Table(Block(2)), blue = Table(Block(3));
  EXPECT_EQ(2000, Block(3).Curve[1]) << "the free curve keeps its points";
  ImageHeader h = Header(1);
  ImageRect all;
  MakeRect(&all, 0, 0, h.width, h.height);
  std::vector<int16_t> expected(before.size());
  ASSERT_EQ(IMG_OK, ApplyLutsRgb(&all, &h, before.data(), expected.data(), red.data(), green.data(), blue.data()));
  EXPECT_EQ(expected, Samples(1));
  EXPECT_EQ(before, Samples(5)) << "the undo copy";
  EXPECT_EQ("Puffer A mit bild.fts", Title(BufferWindow(1)));
  EXPECT_EQ("1", IniValue("Contrast", "GAlgorithm"));
  EXPECT_EQ("2", IniValue("Contrast", "Contrastchannel"));
  // Backgroundlevel and BackgroundLevel are one entry: the black point survives.
  EXPECT_EQ("1234", IniValue("Contrast", "Backgroundlevel"));
  for (int c = 0; c < 4; ++c) {
    EXPECT_EQ(nullptr, gProgramState.ContrastLuts[c]) << c;
    EXPECT_EQ(nullptr, gProgramState.ContrastHistograms[c]) << c;
  }
}

TEST_F(ContrastDialogTest, AGreyPictureWithKeineAndLinearStaysAsItIs) {
  LoadSpread(1, 40, 30, 0);
  const std::vector<int16_t> before = Samples(1);
  gProgramState.Contrastchannel = 2;
  Block(0).Algorithm = CURVE_POWER;
  Block(0).Toplevel = 9000;
  DialogDriver driver;
  driver.Then(kTitleA, [](HWND dlg) {
    EXPECT_EQ(1, SendDlgItemMessageA(dlg, IDC_CONTRAST_TABS, TCM_GETITEMCOUNT, 0, 0));
    EXPECT_EQ("Helligkeit", TabText(dlg, 0));
    EXPECT_EQ(0, gProgramState.Contrastchannel);
    DialogDriver::Click(Page(dlg), IDC_SHEET_LINEAR);
    DialogDriver::Click(Page(dlg), IDC_SHEET_RANGE_NONE);
    EXPECT_EQ(kEndPointsNone, Block(0).Histogramrange);
    EXPECT_EQ(0, Block(0).Backgroundlevel);
    EXPECT_EQ(32767, Block(0).Toplevel);
    DialogDriver::Click(dlg, IDC_CONTRAST_EDIT);
  });
  SendCommand(IDM_CONTRAST);
  EXPECT_TRUE(driver.Done());
  EXPECT_EQ(before, Samples(1));
  EXPECT_EQ(0, gProgramState.Contrastchannel);
}

TEST_F(ContrastDialogTest, TheSlidersAndTheButtonsKeepTheEndPointsEightLevelsApart) {
  LoadPicture(1, "flach.fts", 40, 30, 0);
  int16_t* s = GetSlotPixels(1, &gProgramState);
  for (int i = 0; i < 40 * 30; ++i) s[i] = 12000;   // one level only
  Block(0).Backgroundlevel = 1000;
  Block(0).Toplevel = 20000;
  DialogDriver driver;
  driver.Then(kTitleA, [](HWND dlg) {
    const HWND page = Page(dlg);
    EXPECT_EQ(1000, Block(0).Backgroundlevel) << "stored end points stay until a button";
    EXPECT_EQ(20000, Block(0).Toplevel);
    EXPECT_EQ(625, TrackbarPosition(page, IDC_SHEET_WHITE));
    EXPECT_EQ(31, TrackbarPosition(page, IDC_SHEET_BLACK));
    MoveTrackbar(page, IDC_SHEET_BLACK, 100);
    EXPECT_EQ(3200, Block(0).Backgroundlevel);
    EXPECT_EQ(20000, Block(0).Toplevel);
    MoveTrackbar(page, IDC_SHEET_WHITE, 50);
    EXPECT_EQ(3200, Block(0).Backgroundlevel);
    EXPECT_EQ(3208, Block(0).Toplevel) << "the white point stays above the black point";
    EXPECT_EQ(kEndPointsByHand, Block(0).Histogramrange);
    EXPECT_EQ(100, TrackbarPosition(page, IDC_SHEET_WHITE));
    MoveTrackbar(page, IDC_SHEET_BLACK, 400);
    EXPECT_EQ(3200, Block(0).Backgroundlevel) << "nor can the black point pass it";
    DialogDriver::Click(page, IDC_SHEET_RANGE_ALL);
    EXPECT_EQ(0, Block(0).Histogramrange);
    EXPECT_EQ(12000, Block(0).Backgroundlevel);
    EXPECT_EQ(12008, Block(0).Toplevel) << "a picture of one level";
    DialogDriver::Click(page, IDC_SHEET_RANGE_BACKGROUND);
    EXPECT_EQ(kEndPointsBackground, Block(0).Histogramrange);
    EXPECT_EQ(12000, Block(0).Backgroundlevel);
    EXPECT_EQ(32767, Block(0).Toplevel);
    DialogDriver::Click(dlg, IDC_CONTRAST_CANCEL);
  });
  SendCommand(IDM_CONTRAST);
  EXPECT_TRUE(driver.Done());
  EXPECT_EQ(1000, Block(0).Backgroundlevel) << "cancelled";
}

TEST_F(ContrastDialogTest, ACurvePointBarMakesTheFreeCurveAndAPresetReplacesItsPoints) {
  LoadSpread(1, 40, 30, 0);
  DialogDriver driver;
  driver.Then(kTitleA, [](HWND dlg) {
    const HWND page = Page(dlg);
    EXPECT_EQ(1023 - 12287 / 32, GetScrollPos(GetDlgItem(page, IDC_SHEET_POINT_1 + 2), SB_CTL));
    MoveBar(page, IDC_SHEET_POINT_1 + 2, 500, WM_VSCROLL);
    EXPECT_EQ(CURVE_SPLINE, Block(0).Algorithm);
    EXPECT_EQ((1023 - 500) * 32, Block(0).Curve[3]);
    EXPECT_EQ(500, GetScrollPos(GetDlgItem(page, IDC_SHEET_POINT_1 + 2), SB_CTL)) << "the free curve goes through it";
    DialogDriver::Click(page, IDC_SHEET_LINEAR + 1);
    EXPECT_EQ(CURVE_EXPONENTIAL, Block(0).Algorithm);
    const std::vector<uint16_t> t = Table(Block(0));
    for (int k = 1; k <= 7; ++k) {
      EXPECT_EQ(t[CurvePointLevel(0, 32767, k)], Block(0).Curve[k]) << k;
      EXPECT_EQ(1023 - Block(0).Curve[k] / 32, GetScrollPos(GetDlgItem(page, IDC_SHEET_POINT_1 + k - 1), SB_CTL));
    }
    DialogDriver::Click(dlg, IDC_CONTRAST_CANCEL);
  });
  SendCommand(IDM_CONTRAST);
  EXPECT_TRUE(driver.Done());
}

TEST_F(ContrastDialogTest, TheGammaBarAndTheLogarithmFieldStepAsTheyShould) {
  LoadSpread(1, 40, 30, 0);
  DialogDriver driver;
  driver.Then(kTitleA, [](HWND dlg) {
    const HWND page = Page(dlg);
    EXPECT_FALSE(Enabled(page, IDC_SHEET_GAMMA)) << "linear: no gamma";
    DialogDriver::Click(page, IDC_SHEET_GAMMA_CURVE);
    EXPECT_TRUE(Enabled(page, IDC_SHEET_GAMMA));
    EXPECT_FALSE(Enabled(page, IDC_SHEET_LOG_MULTI));
    EXPECT_EQ(100, GetScrollPos(GetDlgItem(page, IDC_SHEET_GAMMA), SB_CTL));
    StepBar(page, IDC_SHEET_GAMMA, SB_LINERIGHT);
    EXPECT_DOUBLE_EQ(1.1, Block(0).Gamma);
    EXPECT_EQ(" 1.100", DialogDriver::ItemText(page, IDC_SHEET_GAMMA_TEXT));
    StepBar(page, IDC_SHEET_GAMMA, SB_LINELEFT);
    StepBar(page, IDC_SHEET_GAMMA, SB_LINELEFT);
    EXPECT_DOUBLE_EQ(0.99, Block(0).Gamma);
    EXPECT_EQ(" 0.990", DialogDriver::ItemText(page, IDC_SHEET_GAMMA_TEXT));
    // The logarithm's multiplier wraps round between 1 and 8.
    DialogDriver::Click(page, IDC_SHEET_LINEAR + 2);
    EXPECT_TRUE(Enabled(page, IDC_SHEET_LOG_MULTI));
    EXPECT_FALSE(Enabled(page, IDC_SHEET_GAMMA));
    const HWND edit = GetDlgItem(page, IDC_SHEET_LOG_MULTI);
    EXPECT_EQ("1", DialogDriver::ItemText(page, IDC_SHEET_LOG_MULTI));
    SendMessageA(edit, WM_KEYDOWN, VK_DOWN, 0);
    SendMessageA(edit, WM_KEYUP, VK_DOWN, 0);
    EXPECT_EQ(8, Block(0).LogMulti);
    SendMessageA(edit, WM_KEYDOWN, VK_UP, 0);
    SendMessageA(edit, WM_KEYUP, VK_UP, 0);
    EXPECT_EQ(1, Block(0).LogMulti);
    // A typed number is limited to 1..8.
    DialogDriver::SetItemText(page, IDC_SHEET_LOG_MULTI, "40");
    SendMessageA(page, WM_COMMAND, MAKEWPARAM(IDC_SHEET_LOG_MULTI, EN_KILLFOCUS), LPARAM(edit));
    EXPECT_EQ(8, Block(0).LogMulti);
    EXPECT_EQ("8", DialogDriver::ItemText(page, IDC_SHEET_LOG_MULTI));
    DialogDriver::Click(dlg, IDC_CONTRAST_CANCEL);
  });
  SendCommand(IDM_CONTRAST);
  EXPECT_TRUE(driver.Done());
}

TEST_F(ContrastDialogTest, CancelAfterAChangeOfTabsUndoesOnlyTheLastPagesEdits) {
  LoadSpread(2, 40, 30, 1);
  SendCommand(IDM_BUFFER_B);
  gProgramState.SourceBuffer = 3;
  gProgramState.TargetBuffer = 4;
  gProgramState.Contrastchannel = 1;
  DialogDriver driver;
  driver.Then("Kontrasteinstellung von Puffer B", [](HWND dlg) {
    EXPECT_EQ(BST_CHECKED, IsDlgButtonChecked(dlg, IDC_CONTRAST_TARGET_A + 1));
    DialogDriver::Click(Page(dlg), IDC_SHEET_LINEAR + 1);
    EXPECT_EQ(CURVE_EXPONENTIAL, Block(1).Algorithm);
    SelectTab(dlg, IDC_CONTRAST_TABS, 3);
    EXPECT_EQ(3, gProgramState.Contrastchannel);
    DialogDriver::Click(Page(dlg), IDC_SHEET_GAMMA_CURVE);
    EXPECT_EQ(CURVE_POWER, Block(3).Algorithm);
    DialogDriver::Click(dlg, IDC_CONTRAST_CANCEL);
  });
  SendCommand(IDM_CONTRAST);
  EXPECT_TRUE(driver.Done());
  EXPECT_EQ(CURVE_EXPONENTIAL, Block(1).Algorithm) << "changed before the blue page came";
  EXPECT_EQ(CURVE_LINEAR, Block(3).Algorithm);
  EXPECT_EQ(3, gProgramState.Contrastchannel) << "the page shown last";
  EXPECT_EQ(2, gProgramState.SourceBuffer);
  EXPECT_EQ(2, gProgramState.TargetBuffer);
}

TEST_F(ContrastDialogTest, SettingsFromTheFileAreClampedAndThePreviewSwitchGovernsItsControls) {
  LoadSpread(1, 2000, 1500, 1);
  WriteIni("Contrast", "LogMulti", "99");
  WriteIni("Contrast", "Gamma", "-1.5");
  LoadSettings(&gProgramState, kSectionContrast, kSettingsFileName);
  Block(0).Algorithm = CURVE_POWER;
  gProgramState.Contrastchannel = 0;
  const long blocks = LiveMemBlocks();
  GdiWatch bitmaps;
  DialogDriver driver;
  driver.Then(kTitleA, [&bitmaps](HWND dlg) {
    const HWND page = Page(dlg);
    EXPECT_EQ(8, Block(0).LogMulti);
    EXPECT_DOUBLE_EQ(0.01, Block(0).Gamma);
    EXPECT_EQ(" 0.010", DialogDriver::ItemText(page, IDC_SHEET_GAMMA_TEXT));
    EXPECT_EQ("8", DialogDriver::ItemText(page, IDC_SHEET_LOG_MULTI));
    const std::vector<uint32_t> mapped = Pixels(PreviewPaneOf(dlg)->bitmap);
    bitmaps.Note(PreviewPaneOf(dlg)->bitmap);
    for (int id : {IDC_CONTRAST_HSCROLL, IDC_CONTRAST_VSCROLL, IDC_CONTRAST_MINUS}) EXPECT_TRUE(Enabled(dlg, id));
    DialogDriver::Click(dlg, IDC_CONTRAST_NO_PREVIEW);
    EXPECT_EQ(0, gProgramState.IsPreview);
    EXPECT_EQ(BST_CHECKED, IsDlgButtonChecked(dlg, IDC_CONTRAST_NO_PREVIEW));
    for (int id : {IDC_CONTRAST_HSCROLL, IDC_CONTRAST_VSCROLL, IDC_CONTRAST_MINUS, IDC_CONTRAST_PLUS})
      EXPECT_FALSE(Enabled(dlg, id)) << id;
    EXPECT_NE(mapped, Pixels(PreviewPaneOf(dlg)->bitmap)) << "the section unmapped";
    bitmaps.Note(PreviewPaneOf(dlg)->bitmap);
    DialogDriver::Click(dlg, IDC_CONTRAST_NO_PREVIEW);
    EXPECT_TRUE(Enabled(dlg, IDC_CONTRAST_HSCROLL));
    EXPECT_EQ(mapped, Pixels(PreviewPaneOf(dlg)->bitmap));
    bitmaps.Note(PreviewPaneOf(dlg)->bitmap);
    for (int tab = 0; tab < 4; ++tab) SelectTab(dlg, IDC_CONTRAST_TABS, tab);
    DialogDriver::Click(dlg, IDC_CONTRAST_CANCEL);
  });
  SendCommand(IDM_CONTRAST);
  EXPECT_TRUE(driver.Done());
  EXPECT_EQ(blocks, LiveMemBlocks()) << "neither tables nor histograms stay behind";
  EXPECT_EQ(0, bitmaps.Alive());
  for (int c = 0; c < 4; ++c) EXPECT_EQ(nullptr, gProgramState.ContrastLuts[c]) << c;
}

TEST_F(ContrastDialogTest, AnEmptySourceIsRefusedAndTheDialogEnds) {
  MessageBoxScript boxes;
  const long blocks = LiveMemBlocks();
  EXPECT_EQ(0, DialogBoxParamA(GetModuleHandleA(nullptr), "kontrastierung2", Frame(), ContrastDlgProc, 0));
  ASSERT_EQ(1u, boxes.Count());
  EXPECT_EQ("Der Puffer A ist leer !", boxes.Box(0).text);
  EXPECT_EQ("Fehlermeldung", boxes.Box(0).title);
  EXPECT_EQ(blocks, LiveMemBlocks());
}

}  // namespace
