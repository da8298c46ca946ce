// The set-up pages of stacking opened as the stacking dialogs open them:
// their templates, the sliders' positions and texts, the switches and their
// set-up buttons, the sub-dialogs they open, the step texts they write, and
// the settings they restore on "&Abbruch".
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "shell/buffer_slots.h"
#include "shell/hotkey_titles.h"
#include "stacking/noise_filter_ids.h"
#include "stacking/setup/setup_ids.h"
#include "stacking/setup/setup_pages.h"
#include "tests/app/app_fixture.h"
#include "tests/shell/testkit/chooser_script.h"
#include "tests/shell/testkit/dialog_driver.h"
#include "tests/shell/testkit/dialog_resource.h"
#include "tests/shell/testkit/message_script.h"

namespace {

void MoveBar(HWND dlg, int id, int position) {
  SendMessageA(dlg, WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, position), LPARAM(GetDlgItem(dlg, id)));
}
int BarPos(HWND dlg, int id) { return GetScrollPos(GetDlgItem(dlg, id), SB_CTL); }
bool Enabled(HWND dlg, int id) { return IsWindowEnabled(GetDlgItem(dlg, id)) != 0; }
bool Visible(HWND dlg, int id) { return (GetWindowLongA(GetDlgItem(dlg, id), GWL_STYLE) & WS_VISIBLE) != 0; }
bool Checked(HWND dlg, int id) { return IsDlgButtonChecked(dlg, id) == BST_CHECKED; }

class SetupPagesTest : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    ProgramState* ps = &gProgramState;
    ps->Addpicsource = 0, ps->FitNthPic = 1, ps->Interlace = 0;
    ps->ExcludeBorder = ps->FitImageEqualizing = ps->IsNoisefilter = ps->RGBCorrection = 0;
    ps->IsFlatfield = ps->IsDarkcurrent = ps->HotPixelList.RemoveHotPixel = 0;
    ps->Gaintype = 0, ps->Gaingamma = 1.0, ps->Gainauto = 0;
    ps->FitMethod = 1, ps->Turbo = 0, ps->Subpixelfactor = 0, ps->SubpixPart = ps->SubpixOrigsize = 0;
    ps->CheckMethod = 2, ps->Checkmix = 0.5, ps->CheckSelection = 0.25, ps->Checkarea = 0.5, ps->Imagetype = 0;
    ps->OpenedFromSetup = 0, ps->DefiningBatchJob = 0;
    for (auto& line : ps->StepTexts) std::strcpy(line, "alt");
  }
};

TEST_F(SetupPagesTest, EveryPageHasItsTitleItsTwoButtonsAndFitsTheSmallScreen) {
  const struct {
    SetupPage page;
    const char* title;
    int ok;
    int cancel;
  } pages[] = {
      {SetupPage::kSource, "Auswahl der Rohbildquelle", IDC_SRC_OK, IDC_SRC_CANCEL},
      {SetupPage::kPretreatment, "Vorbehandlung von Rohbildern", 102, 101},
      {SetupPage::kGain, "Vorverstärkung einstellen", IDC_GAIN_OK, IDC_GAIN_CANCEL},
      {SetupPage::kCentring, "Zentriermethode", IDC_CTR_OK, IDC_CTR_CANCEL},
      {SetupPage::kSubpixel, "Subpixelgenauigkeit / Superresolution", IDC_SUB_OK, IDC_SUB_CANCEL},
      {SetupPage::kQuality, "Einstellung des Qualitätsprüfung", IDC_QC_OK, IDC_QC_CANCEL},
      {SetupPage::kResult, "Methode zur Ergebnisberechnung festlegen", IDC_RES_OK, IDC_RES_CANCEL},
      {SetupPage::kProtocol, "Protokollierung der Überlagerung", IDC_LOG_OK, IDC_LOG_CANCEL},
  };
  for (const auto& p : pages) {
    DialogResourceProbe probe(SetupPageTemplate(p.page));
    ASSERT_TRUE(probe.Ok()) << p.title;
    EXPECT_EQ(p.title, probe.Title());
    EXPECT_EQ("&Übernehmen", probe.Text(p.ok)) << p.title;
    EXPECT_EQ("&Abbruch", probe.Text(p.cancel)) << p.title;
    EXPECT_LE(probe.Size().cx, 800);
    EXPECT_LE(probe.Size().cy, 600);
  }
}

// Each page, confirmed at once, writes its step's line from the settings.
TEST_F(SetupPagesTest, ConfirmWritesThePagesStepTextAndCancelRestoresEverything) {
  gProgramState.Subpixelfactor = 1, gProgramState.SubpixPart = 1;
  gProgramState.CheckSelection = 0.1;
  const struct {
    SetupPage page;
    int ok;
    int step;
    const char* text;
  } pages[] = {
      {SetupPage::kSource, IDC_SRC_OK, 1, "1. Bilder aus AVI, Vollbildmodus"},
      {SetupPage::kPretreatment, IDC_PRE_OK, 2, "2. Keine Verarbeitung vor der Überlagerung"},
      {SetupPage::kCentring, IDC_CTR_OK, 3, "3. Helligkeitsschwerpunkt bestimmen"},
      {SetupPage::kSubpixel, IDC_SUB_OK, 4, "4. Überlagerung mit Halbpixelgenauigkeit, nachher Bildausschnitt"},
      {SetupPage::kQuality, IDC_QC_OK, 5, "5. Automatische Überlagerung von 10.0%, Gewichtung (50/50)"},
      {SetupPage::kResult, IDC_RES_OK, 6, "6. Mittelwert aus allen überlagerten Bildern"},
      {SetupPage::kGain, IDC_GAIN_OK, 0, nullptr},
      {SetupPage::kProtocol, IDC_LOG_OK, 0, nullptr},
  };
  for (const auto& p : pages) {
    DialogDriver driver;
    driver.Then(nullptr, [&](HWND dlg) { DialogDriver::Click(dlg, p.ok); });
    EXPECT_EQ(1, ShowSetupPage(Frame(), p.page));
    EXPECT_TRUE(driver.Done());
    EXPECT_EQ(p.step, SetupPageStep(p.page));
    if (p.step) {
      EXPECT_EQ(p.text, std::string(gProgramState.StepTexts[p.step - 1]));
    }
  }
  for (int i = 0; i < kStepTextCount; ++i) EXPECT_NE("alt", std::string(gProgramState.StepTexts[i]));

  // "&Abbruch" puts back what the page changed, step text included.
  gProgramState.ActiveBuffer = 2;
  DialogDriver driver;
  driver.Then("Auswahl der Rohbildquelle", [](HWND dlg) {
    EXPECT_STREQ("Auswahl der Rohbildquelle", HotKeyDialogTitle[kHotKeyStackingPage]);
    DialogDriver::Click(dlg, IDC_SRC_NUMBERED);
    DialogDriver::Click(dlg, IDC_SRC_INTERLACED);
    EXPECT_EQ(2, gProgramState.Addpicsource);
    EXPECT_EQ(1, gProgramState.Interlace);
    EXPECT_EQ(2, gProgramState.TargetBuffer) << "the source page works on the active buffer";
    DialogDriver::Click(dlg, IDC_SRC_CANCEL);
  });
  EXPECT_EQ(0, ShowSetupPage(Frame(), SetupPage::kSource));
  EXPECT_EQ(0, gProgramState.Addpicsource);
  EXPECT_EQ(0, gProgramState.Interlace);
  EXPECT_EQ("1. Bilder aus AVI, Vollbildmodus", std::string(gProgramState.StepTexts[0]));
}

TEST_F(SetupPagesTest, ThePagesCloseOnlyThroughTheirButtons) {
  DialogDriver driver;
  driver.Then(nullptr, [](HWND dlg) {
    SendMessageA(dlg, WM_COMMAND, IDCANCEL, 0);
    EXPECT_TRUE(IsWindowVisible(dlg)) << "the close box is not a way out";
    DialogDriver::Click(dlg, IDC_RES_CANCEL);
  });
  EXPECT_EQ(0, ShowSetupPage(Frame(), SetupPage::kResult));
  EXPECT_TRUE(driver.Done());
}

TEST_F(SetupPagesTest, TheSourcePageShowsEveryNthFrameOnlyForVideos) {
  gProgramState.FitNthPic = 2;
  DialogDriver driver;
  driver.Then(nullptr, [](HWND dlg) {
    EXPECT_EQ("jedes 2. Bild", DialogDriver::ItemText(dlg, IDC_SRC_NTH_TEXT));
    EXPECT_TRUE(Checked(dlg, IDC_SRC_AVI));
    EXPECT_TRUE(Checked(dlg, IDC_SRC_PROGRESSIVE));
    MoveBar(dlg, IDC_SRC_NTH, 1);
    EXPECT_EQ("jedes Bild", DialogDriver::ItemText(dlg, IDC_SRC_NTH_TEXT));
    EXPECT_EQ(1, gProgramState.FitNthPic);
    MoveBar(dlg, IDC_SRC_NTH, 7);
    DialogDriver::Click(dlg, IDC_SRC_DIRECTORY);
    EXPECT_FALSE(Enabled(dlg, IDC_SRC_NTH));
    EXPECT_FALSE(Enabled(dlg, IDC_SRC_NTH_TEXT));
    DialogDriver::Click(dlg, IDC_SRC_AVI);
    EXPECT_TRUE(Enabled(dlg, IDC_SRC_NTH));
    DialogDriver::Click(dlg, IDC_SRC_OK);
  });
  EXPECT_EQ(1, ShowSetupPage(Frame(), SetupPage::kSource));
  EXPECT_EQ("1. Bilder aus AVI, jedes 7. Bild, Vollbildmodus", std::string(gProgramState.StepTexts[0]));
}

// Values a hand-edited "tyvorn.ini" may hold are clamped before the page's
// backup, so neither the step text nor a cancel brings them back.
TEST_F(SetupPagesTest, StoredValuesOutOfRangeAreClampedWhenAPageOpens) {
  const struct {
    SetupPage page;
    int cancel;
    void (*spoil)(ProgramState*);
    void (*check)(const ProgramState*);
  } cases[] = {
      {SetupPage::kSource, IDC_SRC_CANCEL, [](ProgramState* ps) { ps->FitNthPic = 0, ps->Addpicsource = 7; },
       [](const ProgramState* ps) {
         EXPECT_EQ(1, ps->FitNthPic);
         EXPECT_EQ(0, ps->Addpicsource);
       }},
      {SetupPage::kGain, IDC_GAIN_CANCEL, [](ProgramState* ps) { ps->Gaingamma = 0, ps->Gaintype = -1; },
       [](const ProgramState* ps) {
         EXPECT_DOUBLE_EQ(0.01, ps->Gaingamma);
         EXPECT_EQ(0, ps->Gaintype);
       }},
      {SetupPage::kQuality, IDC_QC_CANCEL,
       [](ProgramState* ps) { ps->CheckSelection = 0, ps->Checkmix = 3.0, ps->Checkarea = -1; },
       [](const ProgramState* ps) {
         EXPECT_DOUBLE_EQ(0.001, ps->CheckSelection);
         EXPECT_DOUBLE_EQ(1.0, ps->Checkmix);
         EXPECT_DOUBLE_EQ(0.0, ps->Checkarea);
       }},
      {SetupPage::kCentring, IDC_CTR_CANCEL, [](ProgramState* ps) { ps->FitMethod = 12; },
       [](const ProgramState* ps) { EXPECT_EQ(0, ps->FitMethod); }},
  };
  for (const auto& c : cases) {
    c.spoil(&gProgramState);
    DialogDriver driver;
    driver.Then(nullptr, [&](HWND dlg) { DialogDriver::Click(dlg, c.cancel); });
    EXPECT_EQ(0, ShowSetupPage(Frame(), c.page));
    c.check(&gProgramState);
  }
}

TEST_F(SetupPagesTest, TheQualitySlidersMapPositionsToSettingsAndTexts) {
  gProgramState.CheckSelection = 0.002;
  gProgramState.Checkmix = 0.7;
  gProgramState.Checkarea = 0.0;
  DialogDriver driver;
  driver.Then(nullptr, [](HWND dlg) {
    EXPECT_EQ(3, BarPos(dlg, IDC_QC_RATE));
    EXPECT_EQ("0.2 %", DialogDriver::ItemText(dlg, IDC_QC_RATE_TEXT));
    EXPECT_EQ("70 / 30", DialogDriver::ItemText(dlg, IDC_QC_MIX_TEXT));
    EXPECT_EQ(30, BarPos(dlg, IDC_QC_MIX));
    EXPECT_EQ("Planet", DialogDriver::ItemText(dlg, IDC_QC_AREA_TEXT));
    const struct {
      int bar;
      int position;
      const char* text;
      double value;
      const double* field;
    } moves[] = {
        {IDC_QC_RATE, 2, "0.1 %", 0.001, &gProgramState.CheckSelection},
        {IDC_QC_RATE, 11, "1.0 %", 0.01, &gProgramState.CheckSelection},
        {IDC_QC_RATE, 12, "2.0 %", 0.02, &gProgramState.CheckSelection},
        {IDC_QC_RATE, 95, "85.0 %", 0.85, &gProgramState.CheckSelection},
        {IDC_QC_RATE, 110, "100.0 %", 1.0, &gProgramState.CheckSelection},
        {IDC_QC_RATE, 140, "100.0 %", 1.0, &gProgramState.CheckSelection},
        {IDC_QC_MIX, 10, "90 / 10", 0.9, &gProgramState.Checkmix},
        {IDC_QC_AREA, 37, "0.37", 0.37, &gProgramState.Checkarea},
        {IDC_QC_AREA, 0, "Planet", 0.0, &gProgramState.Checkarea},
    };
    for (const auto& m : moves) {
      MoveBar(dlg, m.bar, m.position);
      EXPECT_EQ(m.text, DialogDriver::ItemText(dlg, m.bar - 1)) << m.position;   // each text sits below its bar
      EXPECT_NEAR(m.value, *m.field, 1e-12) << m.position;
    }
    DialogDriver::Click(dlg, IDC_QC_PREVIEW);
    for (int id : {IDC_QC_RATE, IDC_QC_RATE_TEXT, IDC_QC_MIX, IDC_QC_MIX_TEXT, IDC_QC_AREA, IDC_QC_AREA_TEXT})
      EXPECT_FALSE(Enabled(dlg, id)) << id;
    DialogDriver::Click(dlg, IDC_QC_AUTO);
    EXPECT_TRUE(Enabled(dlg, IDC_QC_RATE));
    DialogDriver::Click(dlg, IDC_QC_OK);
  });
  EXPECT_EQ(1, ShowSetupPage(Frame(), SetupPage::kQuality));
  EXPECT_EQ("5. Automatische Überlagerung von 100.0%, Gewichtung (90/10)", std::string(gProgramState.StepTexts[4]));
}

TEST_F(SetupPagesTest, QualityPresetsSetTheModeAndOnlyTheirValues) {
  const struct {
    int button;
    int method;
    double mix;
    double selection;
    double area;
    int ratePosition;
  } presets[] = {
      {112, 0, 0.4, 0.3, 0.6, 40},      {113, 2, 0.5, 0.002, 0.6, 3},   {114, 2, 0.5, 0.01, 0.6, 11},
      {115, 2, 0.8, 0.02, 0.6, 12},     {116, 2, 0.8, 0.03, 0.6, 13},   {117, 2, 0.8, 0.05, 0.6, 15},
      {118, 2, 0.7, 0.1, 0.6, 20},      {119, 2, 0.5, 0.25, 0.6, 35},   {120, 2, 0.2, 0.85, 0.6, 95},
      {121, 2, 0.4, 0.3, 0.0, 40},      {122, 2, 0.4, 0.3, 0.25, 40},   {123, 2, 0.4, 0.3, 0.8, 40},
  };
  for (const auto& p : presets) {
    gProgramState.CheckMethod = 1, gProgramState.Checkmix = 0.4, gProgramState.CheckSelection = 0.3;
    gProgramState.Checkarea = 0.6;
    DialogDriver driver;
    driver.Then(nullptr, [&](HWND dlg) {
      DialogDriver::Click(dlg, p.button);
      EXPECT_EQ(p.ratePosition, BarPos(dlg, IDC_QC_RATE)) << p.button;
      EXPECT_EQ(p.method == 2, Enabled(dlg, IDC_QC_RATE)) << p.button;
      EXPECT_TRUE(Checked(dlg, IDC_QC_NONE + p.method)) << p.button;
      DialogDriver::Click(dlg, IDC_QC_OK);
    });
    EXPECT_EQ(1, ShowSetupPage(Frame(), SetupPage::kQuality));
    EXPECT_EQ(p.method, gProgramState.CheckMethod) << p.button;
    EXPECT_DOUBLE_EQ(p.mix, gProgramState.Checkmix) << p.button;
    EXPECT_DOUBLE_EQ(p.selection, gProgramState.CheckSelection) << p.button;
    EXPECT_DOUBLE_EQ(p.area, gProgramState.Checkarea) << p.button;
  }
}

TEST_F(SetupPagesTest, TheGammaSliderCoversHundredthsThenTenths) {
  DialogDriver driver;
  driver.Then("Vorverstärkung einstellen", [](HWND dlg) {
    EXPECT_EQ(100, BarPos(dlg, IDC_GAIN_GAMMA_BAR));
    const struct {
      int position;
      const char* text;
      double gamma;
    } moves[] = {{1, " 0.010", 0.01}, {99, " 0.990", 0.99}, {100, " 1.000", 1.0}, {190, "10.000", 10.0}, {145, " 5.500", 5.5}};
    for (const auto& m : moves) {
      MoveBar(dlg, IDC_GAIN_GAMMA_BAR, m.position);
      EXPECT_EQ(m.text, DialogDriver::ItemText(dlg, IDC_GAIN_GAMMA_TEXT)) << m.position;
      EXPECT_NEAR(m.gamma, gProgramState.Gaingamma, 1e-12) << m.position;
    }
    DialogDriver::Click(dlg, IDC_GAIN_GAMMA);
    DialogDriver::Click(dlg, IDC_GAIN_AUTO);
    DialogDriver::Click(dlg, IDC_GAIN_OK);
  });
  EXPECT_EQ(1, ShowSetupPage(Frame(), SetupPage::kGain));
  EXPECT_EQ(3, gProgramState.Gaintype);
  EXPECT_EQ(1, gProgramState.Gainauto);
  EXPECT_NEAR(5.5, gProgramState.Gaingamma, 1e-12);
}

TEST_F(SetupPagesTest, TheCutOutAndTheReturnToFrameSizeExcludeEachOther) {
  DialogDriver driver;
  driver.Then(nullptr, [](HWND dlg) {
    EXPECT_FALSE(Enabled(dlg, IDC_SUB_PART)) << "single resolution has neither";
    DialogDriver::Click(dlg, IDC_SUB_FOURFOLD);
    ASSERT_TRUE(Enabled(dlg, IDC_SUB_PART));
    const struct {
      int click;
      bool part;
      bool origsize;
    } steps[] = {{IDC_SUB_ORIGSIZE, false, true}, {IDC_SUB_PART, true, false}, {IDC_SUB_ORIGSIZE, false, true},
                 {IDC_SUB_ORIGSIZE, false, false}};
    for (const auto& s : steps) {
      DialogDriver::Click(dlg, s.click);
      EXPECT_EQ(s.part, gProgramState.SubpixPart != 0) << s.click;
      EXPECT_EQ(s.origsize, gProgramState.SubpixOrigsize != 0) << s.click;
      EXPECT_EQ(s.part, Checked(dlg, IDC_SUB_PART));
      EXPECT_EQ(s.origsize, Checked(dlg, IDC_SUB_ORIGSIZE));
    }
    DialogDriver::Click(dlg, IDC_SUB_ORIGSIZE);
    DialogDriver::Click(dlg, IDC_SUB_OK);
  });
  EXPECT_EQ(1, ShowSetupPage(Frame(), SetupPage::kSubpixel));
  EXPECT_EQ(2, gProgramState.Subpixelfactor);
  EXPECT_EQ("4. Überlagerung auf viertel Pixel genau, nachher Originalgröße", std::string(gProgramState.StepTexts[3]));
}

TEST_F(SetupPagesTest, ABatchOfSeveralSeriesOffersOnlyTheFirstThreeCentringMethods) {
  gProgramState.FitMethod = 4;
  gProgramState.ActiveBuffer = 3, gProgramState.TargetBuffer = 1;
  for (int batch : {0, 1}) {
    gProgramState.OpenedFromSetup = 1, gProgramState.DefiningBatchJob = batch;
    DialogDriver driver;
    driver.Then("Zentriermethode", [batch](HWND dlg) {
      for (int id = IDC_CTR_FIRST; id <= IDC_CTR_COORDINATES; ++id) {
        const bool shown = id < IDC_CTR_PATTERN_FULL || (!batch && id < IDC_CTR_DEROTATION);
        EXPECT_EQ(shown, Visible(dlg, id)) << id;
      }
      EXPECT_FALSE(Visible(dlg, IDC_CTR_FFT));
      EXPECT_TRUE(Checked(dlg, batch ? IDC_CTR_FIRST + 1 : IDC_CTR_PATTERN_NEAR));
      if (!batch) DialogDriver::Click(dlg, IDC_CTR_PATTERN_FULL);
      DialogDriver::Click(dlg, IDC_CTR_OK);
    });
    EXPECT_EQ(1, ShowSetupPage(Frame(), SetupPage::kCentring));
    EXPECT_EQ(1, gProgramState.TargetBuffer) << "the centring page leaves the buffers alone";
  }
  EXPECT_EQ(1, gProgramState.FitMethod);
  EXPECT_EQ("3. Helligkeitsschwerpunkt bestimmen", std::string(gProgramState.StepTexts[2]));
}

TEST_F(SetupPagesTest, TheResultPresetsPickTheMethod) {
  const struct {
    int button;
    int type;
  } presets[] = {{111, 0}, {110, 0}, {109, 0}, {107, 1}, {108, 1}, {106, 2}};
  for (const auto& p : presets) {
    gProgramState.Imagetype = p.type == 0 ? 2 : 0;
    DialogDriver driver;
    driver.Then(nullptr, [&](HWND dlg) {
      DialogDriver::Click(dlg, p.button);
      EXPECT_TRUE(Checked(dlg, IDC_RES_MEAN + p.type)) << p.button;
      EXPECT_FALSE(Checked(dlg, IDC_RES_MEAN + (p.type + 1) % 3)) << p.button;
      DialogDriver::Click(dlg, IDC_RES_OK);
    });
    EXPECT_EQ(1, ShowSetupPage(Frame(), SetupPage::kResult));
    EXPECT_EQ(p.type, gProgramState.Imagetype) << p.button;
  }
}

TEST_F(SetupPagesTest, EachSwitchEnablesItsSetUpButtonAndBuildsTheStepText) {
  const struct {
    int check;
    int button;
  } rows[] = {{IDC_PRE_GAIN, IDC_PRE_GAIN_SETUP}, {IDC_PRE_NOISE, IDC_PRE_NOISE_SETUP},
              {IDC_PRE_RGB, IDC_PRE_RGB_SETUP},   {IDC_PRE_FLAT, IDC_PRE_FLAT_FILE},
              {IDC_PRE_DARK, IDC_PRE_DARK_FILE},  {IDC_PRE_HOT, IDC_PRE_HOT_LIST}};
  gProgramState.Gaintype = 3, gProgramState.Gaingamma = 2.0, gProgramState.Gainauto = 1;
  DialogDriver driver;
  driver.Then("Vorbehandlung von Rohbildern", [&](HWND dlg) {
    for (const auto& r : rows) {
      EXPECT_FALSE(Enabled(dlg, r.button)) << r.button;
      DialogDriver::Click(dlg, r.check);
      EXPECT_TRUE(Enabled(dlg, r.button)) << r.button;
      EXPECT_TRUE(Checked(dlg, r.check));
    }
    DialogDriver::Click(dlg, IDC_PRE_BORDER);
    EXPECT_EQ(1, gProgramState.HotPixelList.RemoveHotPixel);
    DialogDriver::Click(dlg, IDC_PRE_OK);
  });
  EXPECT_EQ(1, ShowSetupPage(Frame(), SetupPage::kPretreatment));
  EXPECT_EQ(
      "2. Ohne Rand, Preamp (Gamma = 2.0 - Untergrund), Dunkelstrom, Flatfield, Rauschfilter, RGB-Korrektur, "
      "Hotpixelmaske",
      std::string(gProgramState.StepTexts[1]));
}

// The noise filter opened from the page only edits its settings: "&Gut"
// leaves every buffer as it was.
TEST_F(SetupPagesTest, TheNoiseFilterOpensInSetUpModeAndLeavesTheBuffersAlone) {
  LoadPicture(1, "a.fts", 40, 30, 1);
  ImageHeader h;
  GetSlotHeader(&h, 1, &gProgramState);
  const int16_t* s = GetSlotPixels(1, &gProgramState);
  const std::vector<int16_t> before(s, s + SampleBytes(&h) / 2);
  gProgramState.IsNoisefilter = 1;
  DialogDriver driver;
  driver.Then("Vorbehandlung von Rohbildern", [](HWND dlg) { DialogDriver::Click(dlg, IDC_PRE_NOISE_SETUP); });
  driver.Then("Rauschfilter-Einstellung", [](HWND dlg) {
    DialogDriver::Click(dlg, IDC_NOISE_TYPE_FIRST + 2);
    DialogDriver::Click(dlg, IDC_NOISE_OK);
  });
  driver.Then("Vorbehandlung von Rohbildern", [](HWND dlg) { DialogDriver::Click(dlg, IDC_PRE_OK); });
  EXPECT_EQ(1, ShowSetupPage(Frame(), SetupPage::kPretreatment));
  EXPECT_TRUE(driver.Done());
  EXPECT_EQ(1, gProgramState.OpenedFromSetup);
  EXPECT_EQ(2, gProgramState.Filtertype);
  const int16_t* after = GetSlotPixels(1, &gProgramState);
  ASSERT_NE(nullptr, after);
  EXPECT_EQ(0, std::memcmp(before.data(), after, before.size() * 2));
  EXPECT_FALSE(IsSlotLoaded(5, &gProgramState)) << "no undo copy";
}

TEST_F(SetupPagesTest, TheRgbSetUpTakesItsSizeFromTheScreenLines) {
  const struct {
    int lines;
    const char* name;
  } screens[] = {{599, "rgbkorrektur640"}, {700, "rgbkorrektur800"}, {768, "rgbkorrektur1024"}};
  gProgramState.RGBCorrection = 1;
  for (const auto& s : screens) {
    gProgramState.ScreenHeight = s.lines;
    DialogResourceProbe probe(s.name);
    const SIZE expected = probe.Size();
    DialogDriver driver;
    driver.Then("Vorbehandlung von Rohbildern", [](HWND dlg) { DialogDriver::Click(dlg, IDC_PRE_RGB_SETUP); });
    driver.Then(nullptr, [&](HWND dlg) {
      RECT r;
      GetWindowRect(dlg, &r);
      EXPECT_EQ(expected.cx, r.right - r.left) << s.name;
      EXPECT_EQ(expected.cy, r.bottom - r.top) << s.name;
      SendMessageA(dlg, WM_COMMAND, IDCANCEL, 0);
    });
    driver.Then("Vorbehandlung von Rohbildern", [](HWND dlg) { DialogDriver::Click(dlg, IDC_PRE_CANCEL); });
    ShowSetupPage(Frame(), SetupPage::kPretreatment);
    EXPECT_TRUE(driver.Done()) << s.name;
  }
}

TEST_F(SetupPagesTest, ACancelledFlatOrDarkChooserKeepsTheFileAndAChosenOneReplacesIt) {
  std::strcpy(gProgramState.Flatfield, "C:\\kalib\\flat.fts");
  std::strcpy(gProgramState.Darkcurrent, "C:\\kalib\\dark.fts");
  gProgramState.IsFlatfield = gProgramState.IsDarkcurrent = 1;
  ChooserScript choosers;
  choosers.Cancel().Choose("C:\\kalib\\dunkel2.fts");
  DialogDriver driver;
  driver.Then(nullptr, [](HWND dlg) {
    DialogDriver::Click(dlg, IDC_PRE_FLAT_FILE);
    DialogDriver::Click(dlg, IDC_PRE_DARK_FILE);
    DialogDriver::Click(dlg, IDC_PRE_OK);
  });
  EXPECT_EQ(1, ShowSetupPage(Frame(), SetupPage::kPretreatment));
  ASSERT_EQ(2u, choosers.Count());
  EXPECT_EQ("Flatfield festlegen ...", choosers.Chooser(0).title);
  EXPECT_EQ(ChooserKind::Open, choosers.Chooser(0).kind);
  EXPECT_EQ("Bildformate", choosers.Chooser(0).filter.at(0));
  EXPECT_EQ("*.BMP;*.FTS;*.FIT;*.TIF;*.GIF;*.PCX;*.JPG;*.PPM;*.PNG", choosers.Chooser(0).filter.at(1));
  EXPECT_EQ("Dunkelstromdatei festlegen ...", choosers.Chooser(1).title);
  EXPECT_STREQ("C:\\kalib\\flat.fts", gProgramState.Flatfield);
  EXPECT_STREQ("C:\\kalib\\dunkel2.fts", gProgramState.Darkcurrent);
}

TEST_F(SetupPagesTest, TheProtocolPageNamesANewProtocolFileAndTheDirectoryForGoodFrames) {
  gProgramState.Safetycopy = 1, gProgramState.SafeSort = 0, gProgramState.Logfile = 0, gProgramState.Histogram = 0;
  gProgramState.Logfilename[0] = 0;
  gProgramState.SortPicPath[0] = 0;
  char name[kPathSize + 32];
  std::snprintf(name, sizeof name, "%s\\neu.log", gProgramState.ProgramDirectory);
  DeleteFileA(name);
  ChooserScript choosers;
  choosers.ChooseDirectory("C:\\gute").Choose(name);
  DialogDriver driver;
  driver.Then("Protokollierung der Überlagerung", [](HWND dlg) {
    EXPECT_TRUE(Checked(dlg, IDC_LOG_SAFETY));
    for (int id : {IDC_LOG_SAFETY, IDC_LOG_SORT, IDC_LOG_FILE, IDC_LOG_HISTOGRAM}) DialogDriver::Click(dlg, id);
    DialogDriver::Click(dlg, IDC_LOG_SORT_PATH);
    DialogDriver::Click(dlg, IDC_LOG_NAME);
    DialogDriver::Click(dlg, IDC_LOG_OK);
  });
  EXPECT_EQ(1, ShowSetupPage(Frame(), SetupPage::kProtocol));
  ASSERT_EQ(2u, choosers.Count());
  EXPECT_EQ("Directory für gute Bilder bestimmen", choosers.Chooser(0).title);
  EXPECT_EQ(0, choosers.Chooser(0).okMode);
  EXPECT_EQ(ChooserKind::Save, choosers.Chooser(1).kind) << "a file that does not exist yet is fine";
  EXPECT_EQ("Protokolldatei festlegen ...", choosers.Chooser(1).title);
  EXPECT_EQ("*.log", choosers.Chooser(1).filter.at(1));
  EXPECT_STREQ(name, gProgramState.Logfilename);
  EXPECT_STREQ("C:\\gute\\", gProgramState.SortPicPath);
  EXPECT_EQ(0, gProgramState.Safetycopy);
  EXPECT_EQ(1, gProgramState.SafeSort);
  EXPECT_EQ(1, gProgramState.Logfile);
  EXPECT_EQ(1, gProgramState.Histogram);
}

}  // namespace
