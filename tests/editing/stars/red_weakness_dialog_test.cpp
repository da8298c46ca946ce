// The red-weakness correction opened from the menu as a user opens it: its
// templates, the black point on its track bar, the whole picture corrected
// as the correction does it with green and blue untouched, the neutral
// settings that change nothing, and a grey picture refused.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "editing/stars/star_corrections_core.h"
#include "editing/stars/star_dialogs.h"
#include "editing/stars/star_ids.h"
#include "shell/menu_ids.h"
#include "tests/editing/stars/star_dialog_fixture.h"
#include "tests/shell/testkit/dialog_resource.h"
#include "tests/shell/testkit/message_script.h"

namespace {

constexpr char kTitle[] = "Rotschwäche bei Digitalfotos korrigieren";

class RedWeaknessDialogTest : public StarDialogTest {
 protected:
  // A sky at level 3000 in every channel, with a faint red nebula and stars.
  static void LoadSky(int buffer) {
    Picture(buffer, "himmel.fts", 160, 120, 1, [](int x, int y, int c) {
      const bool star = x % 31 >= 14 && x % 31 <= 16 && y % 29 >= 13 && y % 29 <= 15;
      const bool nebula = (x - 80) * (x - 80) + (y - 60) * (y - 60) < 400;
      return int16_t(star ? 25000 : nebula && c == 2 ? 3400 : 3000);
    });
  }
  static void MoveTrack(HWND dlg, int position) {
    HWND track = GetDlgItem(dlg, IDC_RED_LOW_TRACK);
    SendMessageA(track, TBM_SETPOS, TRUE, position);
    SendMessageA(dlg, WM_HSCROLL, MAKEWPARAM(TB_THUMBPOSITION, position), LPARAM(track));
  }
  static int TrackPosition(HWND dlg) { return int(SendDlgItemMessageA(dlg, IDC_RED_LOW_TRACK, TBM_GETPOS, 0, 0)); }
};

TEST_F(RedWeaknessDialogTest, BothSizesHoldEveryControlAndFitTheirScreens) {
  const struct {
    const char* name;
    int width, height;
  } sizes[] = {{"rotschwachcorr800", 800, 600}, {"rotschwachcorr1024", 1024, 768}};
  const struct {
    int id;
    const char* text;
  } controls[] = {
      {IDC_RED_APPLY, "&Übernehmen"}, {IDC_RED_CANCEL, "&Abbruch"},   {IDC_RED_PLUS, "+"},
      {IDC_RED_MINUS, "-"},           {IDC_RED_CORRECT, "Korrigieren"}, {IDC_RED_TARGET_A, " &A"},
      {IDC_RED_TARGET_A + 1, " &B"},  {IDC_RED_TARGET_A + 2, " &C"},  {IDC_RED_TARGET_D, " &D"},
      {IDC_RED_HISTOGRAM, "Roter Untergrund"}, {IDC_RED_LOGARITHMIC, "Logarith."}, {IDC_RED_GAMMA, "Gamma"},
  };
  for (const auto& s : sizes) {
    DialogResourceProbe probe(s.name);
    ASSERT_TRUE(probe.Ok()) << s.name;
    EXPECT_EQ(kTitle, probe.Title());
    for (const auto& c : controls) EXPECT_EQ(c.text, probe.Text(c.id)) << s.name << " " << c.id;
    for (int bar : {IDC_RED_RADIUS_BAR, IDC_RED_LEVEL_BAR, IDC_RED_GAMMA_BAR, IDC_RED_HSCROLL, IDC_RED_VSCROLL})
      EXPECT_EQ("ScrollBar", probe.ClassOf(bar)) << s.name << " " << bar;
    EXPECT_EQ("msctls_trackbar32", probe.ClassOf(IDC_RED_LOW_TRACK));
    EXPECT_EQ("msctls_updown32", probe.ClassOf(IDC_RED_LOG_UPDOWN));
    EXPECT_EQ("Edit", probe.ClassOf(IDC_RED_LOG_EDIT));
    for (int id : {IDC_RED_PREVIEW, IDC_RED_TEXT, IDC_RED_RADIUS_VALUE, IDC_RED_LEVEL_VALUE, IDC_RED_GAMMA_VALUE})
      EXPECT_TRUE(probe.Has(id)) << s.name << " " << id;
    const std::vector<std::string> texts = probe.Texts();
    for (const char* label : {"Sternradius", "Erkennungsschwelle", "Ziel"})
      EXPECT_NE(texts.end(), std::find(texts.begin(), texts.end(), label)) << s.name << " " << label;
    EXPECT_TRUE(probe.StyleOf(IDC_RED_APPLY) & BS_DEFPUSHBUTTON);
    EXPECT_LE(probe.Size().cx, s.width) << s.name;
    EXPECT_LE(probe.Size().cy, s.height) << s.name;
  }
}

TEST_F(RedWeaknessDialogTest, TheBlackPointFollowsItsBarFromTheBackground) {
  LoadSky(1);
  gProgramState.RSLowlevel = 12345;
  DialogDriver driver;
  driver.Then(kTitle, [](HWND dlg) {
    EXPECT_EQ(100, TrackPosition(dlg));
    EXPECT_EQ(3000, gProgramState.RSLowlevel) << "the middle of the bar is the background";
    EXPECT_EQ(100, BarPosition(dlg, IDC_RED_GAMMA_BAR)) << "RSGamma 1.0";
    EXPECT_EQ(3, BarPosition(dlg, IDC_RED_LEVEL_BAR));
    EXPECT_EQ(BST_CHECKED, IsDlgButtonChecked(dlg, IDC_RED_LOGARITHMIC)) << "RSAlgorithm 2";
    MoveTrack(dlg, 0);
    EXPECT_EQ(0, gProgramState.RSLowlevel);
    MoveTrack(dlg, 200);
    EXPECT_EQ(6000, gProgramState.RSLowlevel);
    EXPECT_EQ("Schwarzpunkt Rot: 6000", DialogDriver::ItemText(dlg, IDC_RED_TEXT));
    DialogDriver::Click(dlg, IDC_RED_GAMMA);
    EXPECT_EQ(kRedCurveGamma, gProgramState.RSAlgorithm);
    DialogDriver::Click(dlg, IDC_RED_CANCEL);
  });
  SendCommand(IDM_RED_WEAKNESS);
  EXPECT_TRUE(driver.Done());
  EXPECT_EQ(12345, gProgramState.RSLowlevel) << "cancel brings the settings back";
  EXPECT_EQ(kRedCurveLogarithmic, gProgramState.RSAlgorithm);
}

TEST_F(RedWeaknessDialogTest, GammaOneFromBlackZeroLeavesThePictureAsItWas) {
  LoadSky(1);
  const std::vector<int16_t> a = Samples(1);
  DialogDriver driver;
  driver.Then(kTitle, [](HWND dlg) {
    DialogDriver::Click(dlg, IDC_RED_GAMMA);
    MoveTrack(dlg, 0);
    DialogDriver::Click(dlg, IDC_RED_TARGET_A + 1);
    DialogDriver::Click(dlg, IDC_RED_APPLY);
  });
  SendCommand(IDM_RED_WEAKNESS);
  EXPECT_TRUE(driver.Done());
  EXPECT_EQ(a, Samples(2));
  EXPECT_EQ(a, Samples(1));
}

TEST_F(RedWeaknessDialogTest, TheRedOfTheWholePictureIsLiftedAndGreenAndBlueStay) {
  LoadSky(1);
  const std::vector<int16_t> a = Samples(1);
  DialogDriver driver;
  driver.Then(kTitle, [](HWND dlg) {
    SendMessageA(GetDlgItem(dlg, IDC_RED_LOG_UPDOWN), UDM_SETPOS32, 0, 3);
    SendMessageA(dlg, WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 3), LPARAM(GetDlgItem(dlg, IDC_RED_LOG_UPDOWN)));
    EXPECT_EQ(3, gProgramState.RSLogMulti);
    MoveTrack(dlg, 50);
    DialogDriver::Click(dlg, IDC_RED_CORRECT);
    DialogDriver::Click(dlg, IDC_RED_APPLY);
  });
  SendCommand(IDM_RED_WEAKNESS);
  EXPECT_TRUE(driver.Done());
  const ImageHeader h = Header(1);
  std::vector<int16_t> expected(a.size());
  ASSERT_EQ(IMG_OK, CorrectRedWeakness(expected.data(), a.data(), &h,
                                       RedWeaknessSettings{6, 0.15, kRedCurveLogarithmic, 3, 1.0, 1500}));
  const std::vector<int16_t> out = Samples(1);
  EXPECT_EQ(expected, out);
  int lifted = 0;
  for (size_t i = 0; i < out.size(); ++i) {
    if (i % 3 != 2) {
      ASSERT_EQ(a[i], out[i]) << "green and blue stay, sample " << i;
    }
    lifted += out[i] > a[i];
  }
  EXPECT_GT(lifted, 10000);
  EXPECT_EQ(a, Samples(5)) << "the picture before is the undo copy";
}

TEST_F(RedWeaknessDialogTest, AGreyPictureIsRefused) {
  LoadPicture(1, "grau.fts", 40, 30, 0);
  MessageBoxScript boxes;
  SendCommand(IDM_RED_WEAKNESS);
  ASSERT_EQ(1u, boxes.Count());
  EXPECT_EQ("Der Puffer A ist kein Farbbild !", boxes.Box(0).text);
  EXPECT_EQ(0, IsSlotLoaded(5, &gProgramState));
}

}  // namespace
