// The one-page stacking dialog "ueberlagermethode2" opened through
// "Überlagere Bilder (Tyvorn &Classic) ..." and as the batch dialog opens it:
// its controls from the settings, the quality modes and sub-pixel resolution,
// the batch definition, "&Weiter ..." and "&Abbruch".
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "shell/buffer_slots.h"
#include "shell/hotkey_titles.h"
#include "shell/menu_ids.h"
#include "stacking/setup/classic_stack_dialog.h"
#include "stacking/setup/setup_ids.h"
#include "stack_dialog_fixture.h"
#include "tests/shell/testkit/chooser_script.h"
#include "tests/shell/testkit/dialog_driver.h"
#include "tests/shell/testkit/dialog_resource.h"
#include "tests/shell/testkit/message_script.h"

namespace {

constexpr char kTitle[] = "Überlagern von Bildserien";

bool Enabled(HWND dlg, int id) { return IsWindowEnabled(GetDlgItem(dlg, id)) != 0; }
bool Visible(HWND dlg, int id) { return (GetWindowLongA(GetDlgItem(dlg, id), GWL_STYLE) & WS_VISIBLE) != 0; }
bool Checked(HWND dlg, int id) { return IsDlgButtonChecked(dlg, id) == BST_CHECKED; }
int BarPos(HWND dlg, int id) { return GetScrollPos(GetDlgItem(dlg, id), SB_CTL); }

class ClassicStackDialogTest : public StackDialogTest {
 protected:
  void SetUp() override {
    StackDialogTest::SetUp();
    ProgramState* ps = &gProgramState;
    ps->Addpicsource = 0, ps->FitNthPic = 1, ps->Interlace = 0, ps->NotClose = 0;
    ps->ExcludeBorder = ps->FitImageEqualizing = ps->IsNoisefilter = ps->RGBCorrection = 0;
    ps->IsFlatfield = ps->IsDarkcurrent = ps->HotPixelList.RemoveHotPixel = 0;
    ps->FitMethod = 1, ps->Subpixelfactor = 0, ps->SubpixPart = ps->SubpixOrigsize = 0, ps->Superres = 0;
    ps->CheckMethod = 2, ps->Qualitycheck = 1, ps->Checkmix = 0.5, ps->CheckSelection = 0.25, ps->Checkarea = 0.5;
    ps->Imagetype = 0, ps->Preprocess = 1, ps->DefiningBatchJob = 0, ps->AbortRequested = 0;
    ps->Safetycopy = 1, ps->SafeSort = 0, ps->Logfile = 1, ps->Histogram = 0, ps->Protokoll = 1;
    std::strcpy(ps->Logfilename, "C:\\log\\p.log");
    std::strcpy(ps->SortPicPath, "C:\\gut\\");
    DeleteFileA(Ini().c_str());
  }

  static std::string Ini() { return std::string(gProgramState.ProgramDirectory) + "\\tyvorn.ini"; }
  static std::string IniValue(const char* key) {
    char value[64] = "";
    GetPrivateProfileStringA("FitImage", key, "", value, sizeof value, Ini().c_str());
    return value;
  }
  // As the batch dialog opens it.
  static INT_PTR OpenForBatch(int severalSeries) {
    gProgramState.OpenedFromSetup = 1;
    gProgramState.DefiningBatchJob = severalSeries;
    return DialogBoxParamA(GetModuleHandleA(nullptr), "ueberlagermethode2", Frame(), ClassicStackDlgProc, 0);
  }
};

TEST_F(ClassicStackDialogTest, TheTemplateHoldsEveryControlAndFitsTheSmallScreen) {
  DialogResourceProbe probe("ueberlagermethode2");
  ASSERT_TRUE(probe.Ok());
  EXPECT_EQ(kTitle, probe.Title());
  const struct {
    int id;
    const char* text;
  } controls[] = {
      {IDC_CL_INTERLACE, "Interlace"},     {IDC_CL_BORDER, "Randausschluß"},     {IDC_CL_NOT_CLOSE, "Nicht schließen"},
      {IDC_CL_FFT, "FFT Paßmuster"},       {IDC_CL_AVI, "AVI-File"},             {IDC_CL_NUMBERED, "Nummerierung"},
      {IDC_CL_BRIGHTEST, "Kumulieren"},    {IDC_CL_QC_AUTO, " Autosortierung"},  {IDC_CL_SUB_FOURFOLD, "vierfach"},
      {IDC_CL_SUB_ORIGSIZE, "nachher Originalgröße"}, {IDC_CL_PATTERN_FULL, " Pa&ßmuster ..."},
      {IDC_CL_COORDINATES, " Nach K&oordinaten ..."}, {IDC_CL_GAIN_SETUP, "Verst. Setup ..."},
      {IDC_CL_HOT_LIST, "Hotpixelliste ..."}, {IDC_CL_STATUS, "~"},         {IDC_CL_NEXT, "&Weiter ..."},
      {IDC_CL_PAUSE, "&Beenden"},          {IDC_CL_CANCEL, "&Abbruch"},
  };
  for (const auto& c : controls) EXPECT_EQ(c.text, probe.Text(c.id)) << c.id;
  for (int id : {IDC_CL_NTH, IDC_CL_RATE, IDC_CL_MIX, IDC_CL_AREA}) EXPECT_EQ("ScrollBar", probe.ClassOf(id));
  EXPECT_LE(probe.Size().cx, 800);
  EXPECT_LE(probe.Size().cy, 600);
}

TEST_F(ClassicStackDialogTest, TheMenuCommandOpensItFilledFromTheSettingsAndWeiterKeepsThem) {
  gProgramState.CheckSelection = 0.002;
  gProgramState.Checkmix = 0.7;
  gProgramState.Subpixelfactor = 1, gProgramState.SubpixPart = 1, gProgramState.Superres = 1;
  gProgramState.IsFlatfield = 1;
  gProgramState.ActiveBuffer = 2;
  DialogDriver driver;
  driver.Then(kTitle, [](HWND dlg) {
    EXPECT_STREQ(kTitle, HotKeyDialogTitle[kHotKeySeries]);
    EXPECT_EQ("Puffer B", DialogDriver::ItemText(dlg, IDC_CL_TARGET));
    EXPECT_EQ("&Pause", DialogDriver::ItemText(dlg, IDC_CL_PAUSE));
    EXPECT_TRUE(Visible(dlg, IDC_CL_NEXT));
    EXPECT_TRUE(Enabled(dlg, IDC_CL_NEXT)) << "no readiness check";
    for (int id : {IDC_CL_DEROTATION, IDC_CL_COORDINATES, IDC_CL_FFT}) EXPECT_FALSE(Visible(dlg, id)) << id;
    // The usage rate as the quality page shows it.
    EXPECT_EQ(3, BarPos(dlg, IDC_CL_RATE));
    EXPECT_EQ("0.2 %", DialogDriver::ItemText(dlg, IDC_CL_RATE_TEXT));
    EXPECT_EQ("70 / 30", DialogDriver::ItemText(dlg, IDC_CL_MIX_TEXT));
    EXPECT_EQ("0.50", DialogDriver::ItemText(dlg, IDC_CL_AREA_TEXT));
    EXPECT_EQ("jedes Bild", DialogDriver::ItemText(dlg, IDC_CL_NTH_TEXT));
    EXPECT_TRUE(Checked(dlg, IDC_CL_SUB_DOUBLE));
    EXPECT_TRUE(Checked(dlg, IDC_CL_SUB_PART));
    EXPECT_TRUE(Enabled(dlg, IDC_CL_SUB_PART));
    EXPECT_TRUE(Checked(dlg, IDC_CL_FIT_FIRST + 1));
    EXPECT_TRUE(Checked(dlg, IDC_CL_QC_AUTO));
    EXPECT_TRUE(Enabled(dlg, IDC_CL_FLAT_FILE));
    EXPECT_FALSE(Enabled(dlg, IDC_CL_DARK_FILE));
    DialogDriver::Click(dlg, IDC_CL_DIRECTORY);
    EXPECT_FALSE(Enabled(dlg, IDC_CL_NTH));
    DialogDriver::Click(dlg, IDC_CL_PATTERN_NEAR);
    EXPECT_EQ(1, gProgramState.Turbo);
    DialogDriver::Click(dlg, IDC_CL_FIT_FIRST + 2);
    DialogDriver::Click(dlg, IDC_CL_NEXT);
  });
  ChooserScript choosers;
  choosers.Choose(WriteSeries(3, ".fts"));
  MessageBoxScript boxes;
  SendCommand(IDM_STACK_CLASSIC);
  EXPECT_TRUE(driver.Done());
  EXPECT_EQ(1, gProgramState.Classicmode);
  EXPECT_EQ(1, gProgramState.Addpicsource);
  EXPECT_EQ(2, gProgramState.FitMethod);
  EXPECT_EQ(1, gProgramState.Turbo);
  EXPECT_EQ(1, gProgramState.Preprocess);
  EXPECT_EQ(1, IsSlotLoaded(2, &gProgramState)) << "stacked";
  EXPECT_EQ("2", IniValue("FitMethod")) << "group [FitImage] saved";
  // The protocol settings are not on this page.
  EXPECT_EQ(1, gProgramState.Logfile);
  EXPECT_EQ(1, gProgramState.Protokoll);
  EXPECT_STREQ("C:\\log\\p.log", gProgramState.Logfilename);
  EXPECT_STREQ("C:\\gut\\", gProgramState.SortPicPath);
}

TEST_F(ClassicStackDialogTest, OnlyTheRealPreTreatmentsNeedAPreTreatmentPass) {
  const struct {
    int click;
    int preprocess;
  } cases[] = {{0, 0}, {IDC_CL_BORDER, 0}, {IDC_CL_GAIN, 1}, {IDC_CL_NOISE, 1}, {IDC_CL_RGB, 1},
               {IDC_CL_FLAT, 1}, {IDC_CL_DARK, 1}, {IDC_CL_HOT, 1}};
  for (const auto& c : cases) {
    gProgramState.Preprocess = 1 - c.preprocess;
    gProgramState.ExcludeBorder = gProgramState.FitImageEqualizing = gProgramState.IsNoisefilter = 0;
    gProgramState.RGBCorrection = gProgramState.IsFlatfield = gProgramState.IsDarkcurrent = 0;
    gProgramState.HotPixelList.RemoveHotPixel = 0;
    ChooserScript choosers;   // cancelled: the dialog stays open
    DialogDriver driver;
    driver.Then(kTitle, [&](HWND dlg) {
      if (c.click) DialogDriver::Click(dlg, c.click);
      DialogDriver::Click(dlg, IDC_CL_NEXT);
      EXPECT_EQ(c.preprocess, gProgramState.Preprocess) << c.click;
      DialogDriver::Click(dlg, IDC_CL_CANCEL);
    });
    SendCommand(IDM_STACK_CLASSIC);
    EXPECT_TRUE(driver.Done());
    EXPECT_EQ(1u, choosers.Count());
  }
}

// Sub-pixel resolution comes only with automatic sorting.
TEST_F(ClassicStackDialogTest, TheQualityModesAfterFourfoldResolution) {
  const struct {
    int mode;
    int method;
    int qualitycheck;
    int superres;
    bool sorting;
  } modes[] = {{IDC_CL_QC_NONE, 0, 0, 0, false}, {IDC_CL_QC_PREVIEW, 1, 0, 0, false}, {IDC_CL_QC_AUTO, 2, 1, 1, true}};
  for (const auto& m : modes) {
    DialogDriver driver;
    driver.Then(kTitle, [&](HWND dlg) {
      DialogDriver::Click(dlg, IDC_CL_SUB_FOURFOLD);
      ASSERT_EQ(1, gProgramState.Superres);
      ASSERT_TRUE(Enabled(dlg, IDC_CL_SUB_ORIGSIZE));
      DialogDriver::Click(dlg, m.mode);
      EXPECT_EQ(m.method, gProgramState.CheckMethod) << m.mode;
      EXPECT_EQ(m.qualitycheck, gProgramState.Qualitycheck) << m.mode;
      EXPECT_EQ(m.superres, gProgramState.Superres) << m.mode;
      EXPECT_EQ(2, gProgramState.Subpixelfactor) << m.mode;
      EXPECT_TRUE(Checked(dlg, IDC_CL_SUB_FOURFOLD)) << "the factor stays shown";
      for (int id : {IDC_CL_RATE, IDC_CL_RATE_TEXT, IDC_CL_MIX, IDC_CL_MIX_TEXT, IDC_CL_AREA, IDC_CL_AREA_TEXT,
                     IDC_CL_SUB_SINGLE, IDC_CL_SUB_DOUBLE, IDC_CL_SUB_FOURFOLD, IDC_CL_SUB_PART, IDC_CL_SUB_ORIGSIZE})
        EXPECT_EQ(m.sorting, Enabled(dlg, id)) << m.mode << ": " << id;
      DialogDriver::Click(dlg, IDC_CL_CANCEL);
    });
    SendCommand(IDM_STACK_CLASSIC);
    EXPECT_TRUE(driver.Done());
    EXPECT_EQ(2, gProgramState.CheckMethod) << "cancelled";
    EXPECT_EQ(0, gProgramState.Subpixelfactor);
  }
}

TEST_F(ClassicStackDialogTest, WithoutSortingAtOpeningTheSlidersAreOffAndSuperresIsCleared) {
  gProgramState.CheckMethod = 0, gProgramState.Superres = 1, gProgramState.Subpixelfactor = 1;
  ChooserScript choosers;
  choosers.Choose(WriteSeries(3, ".fts"));
  MessageBoxScript boxes;
  DialogDriver driver;
  driver.Then(kTitle, [](HWND dlg) {
    EXPECT_EQ(0, gProgramState.Superres);
    EXPECT_TRUE(Checked(dlg, IDC_CL_SUB_DOUBLE));
    for (int id : {IDC_CL_RATE, IDC_CL_MIX_TEXT, IDC_CL_SUB_DOUBLE, IDC_CL_SUB_PART}) EXPECT_FALSE(Enabled(dlg, id));
    DialogDriver::Click(dlg, IDC_CL_NEXT);
  });
  SendCommand(IDM_STACK_CLASSIC);
  EXPECT_EQ(1, gProgramState.Subpixelfactor);
  EXPECT_EQ("FALSE", IniValue("Superres"));
}

TEST_F(ClassicStackDialogTest, ABatchDefinitionHidesTheRunAndEndsThroughWeiter) {
  gProgramState.FitMethod = 3;
  for (int several : {0, 1}) {
    DialogDriver driver;
    driver.Then(kTitle, [several](HWND dlg) {
      for (int id = IDC_CL_PATTERN_FULL; id <= IDC_CL_COORDINATES; ++id)
        EXPECT_EQ(!several && id < IDC_CL_DEROTATION, Visible(dlg, id)) << id;
      EXPECT_TRUE(Checked(dlg, several ? IDC_CL_FIT_FIRST + 1 : IDC_CL_PATTERN_FULL));
      EXPECT_FALSE(Visible(dlg, IDC_CL_NEXT));
      EXPECT_FALSE(Visible(dlg, IDC_CL_NOT_CLOSE));
      EXPECT_EQ("Weiter ...", DialogDriver::ItemText(dlg, IDC_CL_PAUSE));
      EXPECT_EQ("Einstellung der Batchaufgabe", DialogDriver::ItemText(dlg, IDC_CL_STATUS));
      EXPECT_EQ("Zu bestimmen ...", DialogDriver::ItemText(dlg, IDC_CL_TARGET));
      EXPECT_EQ("~", DialogDriver::ItemText(dlg, IDC_CL_TIME));
      gProgramState.AbortRequested = gProgramState.PauseRequested = 1;
      DialogDriver::Click(dlg, IDC_CL_PAUSE);
    });
    EXPECT_EQ(1, OpenForBatch(several));
    EXPECT_EQ(several ? 1 : 3, gProgramState.FitMethod);
    EXPECT_EQ(0, gProgramState.AbortRequested);
    EXPECT_EQ(0, gProgramState.PauseRequested);
    EXPECT_EQ(several ? "1" : "3", IniValue("FitMethod"));
  }
}

TEST_F(ClassicStackDialogTest, PauseTogglesAndAbbruchRestoresTheSettings) {
  DialogDriver driver;
  driver.Then(kTitle, [](HWND dlg) {
    DialogDriver::Click(dlg, IDC_CL_PAUSE);
    EXPECT_EQ(1, gProgramState.PauseRequested);
    EXPECT_EQ("&Weitermachen", DialogDriver::ItemText(dlg, IDC_CL_PAUSE));
    DialogDriver::Click(dlg, IDC_CL_PAUSE);
    EXPECT_EQ(0, gProgramState.PauseRequested);
    EXPECT_EQ("&Pause", DialogDriver::ItemText(dlg, IDC_CL_PAUSE));
    DialogDriver::Click(dlg, IDC_CL_MEAN + 2);
    DialogDriver::Click(dlg, IDC_CL_INTERLACE);
    DialogDriver::Click(dlg, IDC_CL_SUB_DOUBLE);
    DialogDriver::Click(dlg, IDC_CL_SUB_PART);
    DialogDriver::Click(dlg, IDC_CL_SUB_ORIGSIZE);
    EXPECT_EQ(0, gProgramState.SubpixPart) << "excluded by the return to frame size";
    EXPECT_FALSE(Checked(dlg, IDC_CL_SUB_PART));
    DialogDriver::Click(dlg, IDC_CL_CANCEL);   // stops the workers, then asks itself again
  });
  SendCommand(IDM_STACK_CLASSIC);
  EXPECT_TRUE(driver.Done());
  EXPECT_EQ(0, gProgramState.Imagetype);
  EXPECT_EQ(0, gProgramState.Interlace);
  EXPECT_EQ(0, gProgramState.Subpixelfactor);
  EXPECT_EQ(0, gProgramState.SubpixOrigsize);
  EXPECT_EQ("", IniValue("Imagetype")) << "nothing saved";
}

TEST_F(ClassicStackDialogTest, OnAScreen800PixelsWideTheRgbSetUpTakesIts800Size) {
  gProgramState.ScreenWidth = 800;
  gProgramState.ScreenHeight = 600;
  gProgramState.RGBCorrection = 1;
  DialogResourceProbe probe("rgbkorrektur800");
  const SIZE expected = probe.Size();
  DialogDriver driver;
  driver.Then(kTitle, [](HWND dlg) { DialogDriver::Click(dlg, IDC_CL_RGB_SETUP); });
  driver.Then(nullptr, [&](HWND dlg) {
    RECT r;
    GetWindowRect(dlg, &r);
    EXPECT_EQ(expected.cx, r.right - r.left);
    EXPECT_EQ(expected.cy, r.bottom - r.top);
    EXPECT_EQ(1, gProgramState.OpenedFromSetup);
    SendMessageA(dlg, WM_COMMAND, IDCANCEL, 0);
  });
  driver.Then(kTitle, [](HWND dlg) {
    DialogDriver::Click(dlg, IDC_CL_PAUSE);
    EXPECT_EQ("&Weitermachen", DialogDriver::ItemText(dlg, IDC_CL_PAUSE)) << "still the pause button";
    DialogDriver::Click(dlg, IDC_CL_CANCEL);
  });
  SendCommand(IDM_STACK_CLASSIC);
  EXPECT_TRUE(driver.Done());
}

// The set-up buttons open what the pre-treatment page opens; the file
// choosers start at the current file and a cancel keeps it.
TEST_F(ClassicStackDialogTest, TheSetUpButtonsOpenTheGainPageAndTheFileChoosers) {
  std::strcpy(gProgramState.Flatfield, "C:\\kalib\\flat.fts");
  std::strcpy(gProgramState.Darkcurrent, "C:\\kalib\\dark.fts");
  gProgramState.IsFlatfield = gProgramState.IsDarkcurrent = gProgramState.FitImageEqualizing = 1;
  gProgramState.Gaintype = 0;
  ChooserScript choosers;
  choosers.Cancel().Choose("C:\\kalib\\dunkel2.fts").Choose(WriteSeries(3, ".fts"));
  MessageBoxScript boxes;   // the run finds neither calibration file
  DialogDriver driver;
  driver.Then(kTitle, [](HWND dlg) { DialogDriver::Click(dlg, IDC_CL_GAIN_SETUP); });
  driver.Then("Vorverstärkung einstellen", [](HWND dlg) {
    DialogDriver::Click(dlg, IDC_GAIN_LOG);
    DialogDriver::Click(dlg, IDC_GAIN_OK);
  });
  driver.Then(kTitle, [](HWND dlg) {
    DialogDriver::Click(dlg, IDC_CL_FLAT_FILE);
    DialogDriver::Click(dlg, IDC_CL_DARK_FILE);
    DialogDriver::Click(dlg, IDC_CL_NEXT);
  });
  SendCommand(IDM_STACK_CLASSIC);
  EXPECT_TRUE(driver.Done());
  EXPECT_EQ(1, gProgramState.Gaintype);
  ASSERT_EQ(3u, choosers.Count());
  EXPECT_EQ("Flatfield festlegen ...", choosers.Chooser(0).title);
  EXPECT_EQ("C:\\kalib\\flat.fts", choosers.Chooser(0).proposal);
  EXPECT_EQ("Dunkelstromdatei festlegen ...", choosers.Chooser(1).title);
  EXPECT_STREQ("C:\\kalib\\flat.fts", gProgramState.Flatfield);
  EXPECT_STREQ("C:\\kalib\\dunkel2.fts", gProgramState.Darkcurrent);
}

}  // namespace
