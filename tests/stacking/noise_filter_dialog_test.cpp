// The noise-filter set-up "rauschfilter" opened as a user opens it: its
// template, the texts of its sliders, set-up mode that only keeps settings,
// direct mode that filters the active buffer in place with its undo copy.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "imagelib/noise_filters.h"
#include "shell/buffer_slots.h"
#include "shell/hotkey_titles.h"
#include "shell/menu_ids.h"
#include "shell/settings.h"
#include "stacking/noise_filter_dialog.h"
#include "stacking/noise_filter_ids.h"
#include "tests/app/app_fixture.h"
#include "tests/shell/testkit/dialog_driver.h"
#include "tests/shell/testkit/dialog_resource.h"
#include "tests/shell/testkit/live_counts.h"
#include "tests/shell/testkit/message_script.h"

namespace {

constexpr char kTitle[] = "Rauschfilter-Einstellung";

class NoiseFilterDialogTest : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    ProgramState* ps = &gProgramState;
    ps->Filtertype = 4;
    ps->Pseudomedian = 0;
    ps->Effect = 100.0;
    ps->Sigmaradius = 5.0;
    char ini[kPathSize + 32];
    std::snprintf(ini, sizeof ini, "%s\\tyvorn.ini", ps->ProgramDirectory);
    DeleteFileA(ini);
  }

  static std::vector<int16_t> Samples(int slot) {
    ImageHeader h;
    GetSlotHeader(&h, slot, &gProgramState);
    const int16_t* s = GetSlotPixels(slot, &gProgramState);
    return s ? std::vector<int16_t>(s, s + SampleBytes(&h) / 2) : std::vector<int16_t>();
  }

  static std::string Ini(const char* key) {
    char path[kPathSize + 32], value[64] = "";
    std::snprintf(path, sizeof path, "%s\\tyvorn.ini", gProgramState.ProgramDirectory);
    GetPrivateProfileStringA("Noisefilter", key, "", value, sizeof value, path);
    return value;
  }

  static void MoveBar(HWND dlg, int id, int position) {
    SendMessageA(dlg, WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, position), LPARAM(GetDlgItem(dlg, id)));
  }

  // Opened from a stacking page: only the settings.
  static INT_PTR OpenForSetup() {
    gProgramState.OpenedFromSetup = 1;
    return DialogBoxParamA(GetModuleHandleA(nullptr), "rauschfilter", Frame(), NoiseFilterSetupDlgProc, 0);
  }
};

TEST_F(NoiseFilterDialogTest, TheTemplateHoldsEveryControlAndFitsTheSmallScreen) {
  DialogResourceProbe probe("rauschfilter");
  ASSERT_TRUE(probe.Ok());
  EXPECT_EQ(kTitle, probe.Title());
  const char* const types[] = {"&Median 3x3",    "M&edian 5x3",    "Me&dian 5x5",   "Med&ian 7x5",   "Mittelwert 3x&3",
                               "Mittelwert 5x&5", "&Sortieren 3x3", "Sortieren 5x5", "Zei&lenmedian", "&Zeilenmittel"};
  for (int i = 0; i < 10; ++i) {
    EXPECT_EQ(types[i], probe.Text(IDC_NOISE_TYPE_FIRST + i));
    EXPECT_EQ("Button", probe.ClassOf(IDC_NOISE_TYPE_FIRST + i));
  }
  EXPECT_EQ("&Pseudomedian", probe.Text(IDC_NOISE_PSEUDOMEDIAN));
  EXPECT_EQ("&Gut", probe.Text(IDC_NOISE_OK));
  EXPECT_TRUE(probe.StyleOf(IDC_NOISE_OK) & BS_DEFPUSHBUTTON);
  EXPECT_EQ("&Abbruch", probe.Text(IDC_NOISE_CANCEL));
  for (int id : {IDC_NOISE_EFFECT, IDC_NOISE_SIGMA}) EXPECT_EQ("ScrollBar", probe.ClassOf(id));
  for (int id : {IDC_NOISE_EFFECT_TEXT, IDC_NOISE_SIGMA_TEXT}) EXPECT_TRUE(probe.Has(id));
  const std::vector<std::string> texts = probe.Texts();
  for (const char* label : {"Filtertyp", "&Filterwirkung", "&Sigmaschwelle"})
    EXPECT_NE(texts.end(), std::find(texts.begin(), texts.end(), label)) << label;
  EXPECT_LE(probe.Size().cx, 800);
  EXPECT_LE(probe.Size().cy, 600);
}

TEST_F(NoiseFilterDialogTest, TheSlidersShowStrengthAndTheSigmaFactor) {
  LoadPicture(1, "a.fts");
  gProgramState.Filtertype = 6;
  gProgramState.Pseudomedian = 1;
  DialogDriver driver;
  driver.Then(kTitle, [](HWND dlg) {
    EXPECT_EQ("1.259", DialogDriver::ItemText(dlg, IDC_NOISE_SIGMA_TEXT));
    EXPECT_EQ("100 %", DialogDriver::ItemText(dlg, IDC_NOISE_EFFECT_TEXT));
    EXPECT_EQ(BST_CHECKED, IsDlgButtonChecked(dlg, IDC_NOISE_TYPE_FIRST + 6));
    EXPECT_EQ(BST_CHECKED, IsDlgButtonChecked(dlg, IDC_NOISE_PSEUDOMEDIAN));
    EXPECT_STREQ(kTitle, HotKeyDialogTitle[kHotKeyNoise]);
    const struct {
      int position;
      const char* text;
    } sigma[] = {{-50, "0.100"}, {0, "1.000"}, {50, "10.000"}, {80, "10.000"}};
    for (const auto& s : sigma) {
      MoveBar(dlg, IDC_NOISE_SIGMA, s.position);
      EXPECT_EQ(s.text, DialogDriver::ItemText(dlg, IDC_NOISE_SIGMA_TEXT)) << s.position;
    }
    EXPECT_EQ(50.0, gProgramState.Sigmaradius);
    SendMessageA(dlg, WM_HSCROLL, SB_PAGEUP, LPARAM(GetDlgItem(dlg, IDC_NOISE_SIGMA)));
    EXPECT_EQ(40.0, gProgramState.Sigmaradius);
    MoveBar(dlg, IDC_NOISE_EFFECT, 37);
    EXPECT_EQ(" 37 %", DialogDriver::ItemText(dlg, IDC_NOISE_EFFECT_TEXT)) << "three places wide";
    DialogDriver::Click(dlg, IDC_NOISE_TYPE_FIRST + 2);
    EXPECT_EQ(2, gProgramState.Filtertype);
    EXPECT_EQ(BST_UNCHECKED, IsDlgButtonChecked(dlg, IDC_NOISE_TYPE_FIRST + 6));
    DialogDriver::Click(dlg, IDC_NOISE_PSEUDOMEDIAN);
    EXPECT_EQ(0, gProgramState.Pseudomedian);
    DialogDriver::Click(dlg, IDC_NOISE_CANCEL);
  });
  SendCommand(IDM_NOISE_FILTER);
  EXPECT_TRUE(driver.Done());
  // "&Abbruch" brings every value back and saves nothing.
  EXPECT_EQ(5.0, gProgramState.Sigmaradius);
  EXPECT_EQ(100.0, gProgramState.Effect);
  EXPECT_EQ(6, gProgramState.Filtertype);
  EXPECT_EQ(1, gProgramState.Pseudomedian);
  EXPECT_EQ("", Ini("Sigmaradius"));
}

TEST_F(NoiseFilterDialogTest, SettingsFromTheFileAreBroughtIntoRange) {
  gProgramState.Filtertype = 23;
  gProgramState.Sigmaradius = -400.0;
  gProgramState.Effect = 1e9;
  DialogDriver driver;
  driver.Then(kTitle, [](HWND dlg) {
    EXPECT_EQ(BST_CHECKED, IsDlgButtonChecked(dlg, IDC_NOISE_TYPE_FIRST));
    EXPECT_EQ("0.100", DialogDriver::ItemText(dlg, IDC_NOISE_SIGMA_TEXT));
    EXPECT_EQ("100 %", DialogDriver::ItemText(dlg, IDC_NOISE_EFFECT_TEXT));
    DialogDriver::Click(dlg, IDC_NOISE_CANCEL);
  });
  EXPECT_EQ(0, OpenForSetup());
  EXPECT_EQ(0, gProgramState.Filtertype) << "cancel keeps the values in range";
  EXPECT_EQ(-50.0, gProgramState.Sigmaradius);
}

TEST_F(NoiseFilterDialogTest, SetUpModeKeepsTheSettingsAndLeavesEveryBufferAlone) {
  LoadPicture(1, "a.fts");
  LoadPicture(3, "c.fts", 20, 10, 0);
  const std::vector<int16_t> a = Samples(1), c = Samples(3);
  DialogDriver driver;
  driver.Then(kTitle, [](HWND dlg) {
    DialogDriver::Click(dlg, IDC_NOISE_TYPE_FIRST + 1);
    MoveBar(dlg, IDC_NOISE_SIGMA, -10);
    DialogDriver::Click(dlg, IDC_NOISE_OK);
  });
  const long blocks = LiveMemBlocks();
  EXPECT_EQ(1, OpenForSetup());
  EXPECT_EQ(blocks, LiveMemBlocks());
  EXPECT_EQ(a, Samples(1));
  EXPECT_EQ(c, Samples(3));
  EXPECT_FALSE(IsSlotLoaded(5, &gProgramState)) << "no undo copy in set-up mode";
  EXPECT_EQ(1, gProgramState.Filtertype);
  EXPECT_EQ("1", Ini("Filtertype"));
  EXPECT_EQ("-10.000000", Ini("Sigmaradius"));
}

TEST_F(NoiseFilterDialogTest, DirectModeFiltersTheActiveBufferWithTheShownFactorAndKeepsUndo) {
  LoadPicture(2, "b.fts", 40, 30, 1);
  gProgramState.ActiveBuffer = 2;
  const std::vector<int16_t> before = Samples(2);
  DialogDriver driver;
  driver.Then(kTitle, [](HWND dlg) {
    DialogDriver::Click(dlg, IDC_NOISE_TYPE_FIRST + 7);
    MoveBar(dlg, IDC_NOISE_SIGMA, -50);
    DialogDriver::Click(dlg, IDC_NOISE_OK);
  });
  MessageBoxScript boxes;
  SendCommand(IDM_NOISE_FILTER);
  EXPECT_TRUE(driver.Done());
  EXPECT_EQ(0u, boxes.Count());
  // The sigma test with the factor 0.1 that the slider showed.
  ImageHeader h;
  GetSlotHeader(&h, 2, &gProgramState);
  std::vector<int16_t> expected = before;
  ImageRect all;
  MakeRect(&all, 0, 0, h.width, h.height);
  ASSERT_EQ(IMG_OK, ApplyNoiseFilter(&all, &h, expected.data(), expected.data(), 0.1, 7, 0, nullptr));
  EXPECT_EQ(expected, Samples(2));
  EXPECT_NE(before, expected) << "the filter changed something";
  EXPECT_EQ(before, Samples(6)) << "the undo copy holds the picture as it was";
  EXPECT_EQ("7", Ini("Filtertype"));
  SendCommand(IDM_UNDO);
  EXPECT_EQ(before, Samples(2));
}

TEST_F(NoiseFilterDialogTest, AFailedFilterShowsItsTextAndEndsWithZero) {
  LoadPicture(1, "a.fts");
  DialogDriver driver;
  driver.Then(kTitle, [](HWND dlg) {
    gProgramState.Filtertype = 12;   // no such filter reaches the operator but through a broken state
    DialogDriver::Click(dlg, IDC_NOISE_OK);
  });
  MessageBoxScript boxes;
  gProgramState.OpenedFromSetup = 0;
  EXPECT_EQ(0, DialogBoxParamA(GetModuleHandleA(nullptr), "rauschfilter", Frame(), NoiseFilterSetupDlgProc, 0));
  ASSERT_EQ(1u, boxes.Count());
  EXPECT_EQ("Unsinniger Parameter wurde übergeben !", boxes.Box(0).text);
  EXPECT_EQ("Fehlermeldung", boxes.Box(0).title);
}

TEST_F(NoiseFilterDialogTest, DirectModeRefusesAnEmptyBuffer) {
  DialogDriver driver;
  driver.Then(kTitle, [](HWND dlg) {
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dlg, IDC_NOISE_OK)));
    DialogDriver::Click(dlg, IDC_NOISE_CANCEL);
  });
  MessageBoxScript boxes;
  gProgramState.OpenedFromSetup = 0;
  EXPECT_EQ(0, DialogBoxParamA(GetModuleHandleA(nullptr), "rauschfilter", Frame(), NoiseFilterSetupDlgProc, 0));
  ASSERT_EQ(1u, boxes.Count());
  EXPECT_EQ("Der Puffer A ist leer !", boxes.Box(0).text);
}

}  // namespace
