// The dialog "timelapse" opened through its menu item: its controls from
// the settings, the two choosers, the pre-treatment set-up, "&Gut" only with
// a source and a target and not while writing, a written series read back
// as JPEG pictures, and a failure that is shown while the dialog stays.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "imageio/picture_files.h"
#include "imageio/timelapse/time_lapse_dialog.h"
#include "imageio/timelapse/time_lapse_ids.h"
#include "shell/menu_ids.h"
#include "stacking/series/native_pictures.h"
#include "stacking/setup/setup_ids.h"
#include "tests/app/app_fixture.h"
#include "tests/imagelib/random_image.h"
#include "tests/shell/testkit/chooser_script.h"
#include "tests/shell/testkit/dialog_driver.h"
#include "tests/shell/testkit/dialog_resource.h"
#include "tests/shell/testkit/message_script.h"

namespace {

constexpr char kTitle[] = "Durchnummerierte Zeitreihen für Chronoreel generieren";

bool Enabled(HWND dlg, int id) { return IsWindowEnabled(GetDlgItem(dlg, id)) != 0; }
bool Checked(HWND dlg, int id) { return IsDlgButtonChecked(dlg, id) == BST_CHECKED; }
int BarPos(HWND dlg, int id) { return GetScrollPos(GetDlgItem(dlg, id), SB_CTL); }
void Scroll(HWND dlg, int id, WORD request) {
  SendMessageA(dlg, WM_HSCROLL, MAKEWPARAM(request, 0), reinterpret_cast<LPARAM>(GetDlgItem(dlg, id)));
}

// Holds a step so that the dialog can be looked at (TYVORN_SHOT_PAUSE ms).
void PauseForAShot() {
  if (const char* ms = std::getenv("TYVORN_SHOT_PAUSE")) Sleep(DWORD(std::atoi(ms)));
}

class TimeLapseDialogTest : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    ProgramState* ps = &gProgramState;
    ps->Intpict = 3, ps->Resizefak = 2, ps->IsAufblende = 0, ps->IsAbblende = 0;
    ps->Preprocess = 0, ps->Scalefactor = 1.0;
    ps->IsDarkcurrent = ps->IsFlatfield = ps->IsNoisefilter = ps->RGBCorrection = 0;
    ps->FitImageEqualizing = ps->HotPixelList.RemoveHotPixel = 0;
    std::snprintf(ps->CurrentPath, sizeof ps->CurrentPath, "%s", "C:\\bilder");
    TimeLapseSourcePath[0] = TimeLapseTargetDir[0] = '\0';
    dir_ = std::string(ps->ProgramDirectory) + "\\";
    CreateDirectoryA((dir_ + "film").c_str(), nullptr);
  }

  // Colour sources "<stem>0000.png", ... of 64 x 48 in the program directory.
  void WriteSources(const char* stem, int count, int width = 64) {
    for (int i = 0; i < count; ++i) {
      const ImageHeader h = testimg::Header(width, 48, true);
      const testimg::Samples s = testimg::Random(h, 20 + uint32_t(i), 1000, 30000);
      char name[64];
      std::snprintf(name, sizeof name, "%s%04d.png", stem, i);
      ASSERT_EQ(1, SaveNativePicture((dir_ + name).c_str(), ".png", s.data(), &h));
    }
  }
  std::string Out(int number) const {
    char name[32];
    std::snprintf(name, sizeof name, "film\\pic_%04d.jpg", number);
    return dir_ + name;
  }
  static int Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

  std::string dir_;
};

TEST_F(TimeLapseDialogTest, TheTemplateHoldsEveryControl) {
  DialogResourceProbe probe("timelapse");
  ASSERT_TRUE(probe.Ok());
  EXPECT_EQ(kTitle, probe.Title());
  const struct {
    int id;
    const char* text;
  } controls[] = {
      {IDC_TL_SOURCE, "Erstes Quellbild"},          {IDC_TL_TARGET, "Zielverzeichnis"},
      {IDC_TL_PREPROCESS, "Quellbilder vorbehandeln"}, {IDC_TL_FADE_IN, "Aufblende"},
      {IDC_TL_FADE_OUT, "Abblende"},                 {IDC_TL_SETUP, "Einstellung Vorbeh..."},
      {IDC_TL_OK, "&Gut"},                           {IDC_TL_CANCEL, "&Abbruch"},
  };
  for (const auto& c : controls) EXPECT_EQ(c.text, probe.Text(c.id)) << c.id;
  for (int id : {IDC_TL_INTPICT, IDC_TL_RESIZE}) EXPECT_EQ("ScrollBar", probe.ClassOf(id));
  EXPECT_LE(probe.Size().cx, 800);
  EXPECT_LE(probe.Size().cy, 600);
}

TEST_F(TimeLapseDialogTest, ChoosingSourceAndTargetEnablesGutWhichWritesTheSeries) {
  WriteSources("jup", 3);
  ProgramState* ps = &gProgramState;
  ps->Intpict = 0, ps->IsAufblende = 1, ps->IsAbblende = 1;
  ps->ActiveBuffer = 2;
  ChooserScript choosers;
  choosers.Choose(dir_ + "jup0000.png");
  choosers.ChooseDirectory(dir_ + "film");
  bool sawRun = false;
  DialogDriver driver;
  driver.Then(kTitle, [](HWND dlg) {
    EXPECT_EQ(2, gProgramState.SourceBuffer);
    EXPECT_EQ(2, gProgramState.TargetBuffer);
    EXPECT_FALSE(Checked(dlg, IDC_TL_PREPROCESS));
    EXPECT_FALSE(Enabled(dlg, IDC_TL_SETUP)) << "only while pre-treating";
    EXPECT_TRUE(Checked(dlg, IDC_TL_FADE_IN));
    EXPECT_TRUE(Checked(dlg, IDC_TL_FADE_OUT));
    EXPECT_EQ(0, BarPos(dlg, IDC_TL_INTPICT));
    EXPECT_EQ("0", DialogDriver::ItemText(dlg, IDC_TL_INTPICT_TEXT));
    EXPECT_EQ(2, BarPos(dlg, IDC_TL_RESIZE));
    EXPECT_EQ("2", DialogDriver::ItemText(dlg, IDC_TL_RESIZE_TEXT));
    EXPECT_FALSE(Enabled(dlg, IDC_TL_OK)) << "no source, no target";
    DialogDriver::Click(dlg, IDC_TL_OK);   // ignored
    DialogDriver::Click(dlg, IDC_TL_SOURCE);
    EXPECT_FALSE(Enabled(dlg, IDC_TL_OK)) << "no target yet";
    DialogDriver::Click(dlg, IDC_TL_TARGET);
    EXPECT_TRUE(Enabled(dlg, IDC_TL_OK));
    // One in-between picture; the factor stays at 6 and 1 at its ends.
    Scroll(dlg, IDC_TL_INTPICT, SB_LINERIGHT);
    EXPECT_EQ("1", DialogDriver::ItemText(dlg, IDC_TL_INTPICT_TEXT));
    for (int i = 0; i < 7; ++i) Scroll(dlg, IDC_TL_RESIZE, SB_LINELEFT);
    EXPECT_EQ("1", DialogDriver::ItemText(dlg, IDC_TL_RESIZE_TEXT));
    Scroll(dlg, IDC_TL_RESIZE, SB_LINERIGHT);
    PauseForAShot();
    DialogDriver::Click(dlg, IDC_TL_OK);
  });
  // Inside the run's message pump: nothing that could change it is enabled.
  driver.Until(kTitle, [&sawRun](HWND dlg) {
    if (DialogDriver::ItemText(dlg, IDC_TL_STATUS).find("pic_") == std::string::npos) return false;
    sawRun = true;
    for (int id : {IDC_TL_OK, IDC_TL_SOURCE, IDC_TL_TARGET, IDC_TL_PREPROCESS, IDC_TL_INTPICT, IDC_TL_RESIZE})
      EXPECT_FALSE(Enabled(dlg, id)) << id;
    return true;
  });
  MessageBoxScript boxes;
  SendCommand(IDM_TIME_LAPSE);
  EXPECT_TRUE(driver.Done());
  EXPECT_TRUE(sawRun);
  EXPECT_EQ(0u, boxes.Count()) << (boxes.Count() ? boxes.Box(0).text : "");

  ASSERT_EQ(2u, choosers.Count());
  EXPECT_EQ("Erstes Bild der Rohbildreihe auswählen", choosers.Chooser(0).title);
  EXPECT_EQ("Bildformate", choosers.Chooser(0).filter.at(0));
  EXPECT_EQ("Zielverzeichnis für Chronoreel festlegen", choosers.Chooser(1).title);
  EXPECT_EQ((std::vector<std::string>{"JPEG Format", "*.jpg", "Alle Dateien", "*.*"}), choosers.Chooser(1).filter);
  EXPECT_EQ(dir_ + "jup0000.png", std::string(TimeLapseSourcePath));
  EXPECT_EQ(dir_ + "film\\", std::string(TimeLapseTargetDir));
  EXPECT_EQ(1, ps->Intpict);
  EXPECT_EQ(2, ps->Resizefak);

  // 4 + 1 + 2 x 2 + 4 pictures of half the size, and nothing beyond.
  for (int i = 0; i < 13; ++i) {
    SCOPED_TRACE(i);
    int16_t* samples = nullptr;
    ImageHeader h;
    ImageMetadata m;
    InitImageHeader(&h);
    InitImageMetadata(&m);
    ASSERT_EQ(1, LoadImageFile(Out(i).c_str(), ".jpg", 0, &samples, &h, &m));
    EXPECT_EQ(32, h.width);
    EXPECT_EQ(24, h.height);
    FreeMem(&samples);
  }
  EXPECT_FALSE(Exists(Out(13)));
}

TEST_F(TimeLapseDialogTest, AFailedSeriesIsShownTheDialogStaysAndAbbruchRestores) {
  WriteSources("saturn", 2);
  // A name without a number, and a third source wider than the others.
  const ImageHeader h = testimg::Header(80, 48, true);
  const testimg::Samples s = testimg::Random(h, 5, 1000, 30000);
  ASSERT_EQ(1, SaveNativePicture((dir_ + "mars.png").c_str(), ".png", s.data(), &h));
  ASSERT_EQ(1, SaveNativePicture((dir_ + "saturn0002.png").c_str(), ".png", s.data(), &h));
  const long blocks = LiveMemBlocks();
  std::snprintf(TimeLapseTargetDir, sizeof TimeLapseTargetDir, "%sfilm\\", dir_.c_str());
  ChooserScript choosers;
  choosers.Choose(dir_ + "mars.png");
  choosers.Choose(dir_ + "saturn0000.png");
  gProgramState.Intpict = 0;
  DialogDriver driver;
  driver.Then(kTitle, [this](HWND dlg) {
    EXPECT_EQ(TimeLapseTargetDir, DialogDriver::ItemText(dlg, IDC_TL_TARGET_NAME)) << "kept from before";
    Scroll(dlg, IDC_TL_RESIZE, SB_LINERIGHT);
    DialogDriver::Click(dlg, IDC_TL_SOURCE);
    DialogDriver::Click(dlg, IDC_TL_OK);
    EXPECT_TRUE(IsWindow(dlg));
    EXPECT_TRUE(Enabled(dlg, IDC_TL_OK)) << "back after the failure";
    DialogDriver::Click(dlg, IDC_TL_SOURCE);
    DialogDriver::Click(dlg, IDC_TL_OK);
    EXPECT_TRUE(IsWindow(dlg));
    EXPECT_TRUE(Exists(Out(1)));
    EXPECT_FALSE(Exists(Out(2)));
    DialogDriver::Click(dlg, IDC_TL_CANCEL);
  });
  MessageBoxScript boxes;
  SendCommand(IDM_TIME_LAPSE);
  EXPECT_TRUE(driver.Done());
  ASSERT_EQ(2u, boxes.Count());
  EXPECT_EQ("Fehlermeldung", boxes.Box(0).title);
  EXPECT_EQ(static_cast<UINT>(MB_ICONSTOP), boxes.Box(0).Icon());
  EXPECT_NE(std::string::npos, boxes.Box(0).text.find("trägt keine Nummer vor der Endung !")) << boxes.Box(0).text;
  EXPECT_NE(std::string::npos, boxes.Box(1).text.find("saturn0002.png\npaßt nicht zu den anderen Bildern !"))
      << boxes.Box(1).text;
  EXPECT_EQ(2, gProgramState.Resizefak) << "Abbruch brings the settings back";
  EXPECT_EQ(blocks, LiveMemBlocks()) << "every buffer freed";
}

TEST_F(TimeLapseDialogTest, ThePreTreatmentSwitchEnablesItsSetUpPage) {
  DialogDriver driver;
  driver.Then(kTitle, [](HWND dlg) {
    EXPECT_FALSE(Enabled(dlg, IDC_TL_SETUP));
    DialogDriver::Click(dlg, IDC_TL_PREPROCESS);
    EXPECT_TRUE(Checked(dlg, IDC_TL_PREPROCESS));
    EXPECT_EQ(1, gProgramState.Preprocess);
    EXPECT_TRUE(Enabled(dlg, IDC_TL_SETUP));
    DialogDriver::Click(dlg, IDC_TL_SETUP);
  });
  driver.Then("Vorbehandlung von Rohbildern", [](HWND dlg) {
    DialogDriver::Click(dlg, IDC_PRE_DARK);
    DialogDriver::Click(dlg, IDC_PRE_OK);
  });
  driver.Then(kTitle, [](HWND dlg) {
    EXPECT_EQ(1, gProgramState.IsDarkcurrent);
    DialogDriver::Click(dlg, IDC_TL_PREPROCESS);
    EXPECT_FALSE(Enabled(dlg, IDC_TL_SETUP));
    DialogDriver::Click(dlg, IDC_TL_CANCEL);
  });
  SendCommand(IDM_TIME_LAPSE);
  EXPECT_TRUE(driver.Done());
}

}  // namespace
