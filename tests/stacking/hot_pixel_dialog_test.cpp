// "Hotpixelmaske einlernen" driven through the menu: a dark picture loaded,
// thresholds set from its background, the list learnt, shown and saved; the
// bars relearn; cancel puts the settings back.
#include "stacking/win32/hot_pixel_dialog.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "shell/menu_ids.h"
#include "stacking/frame/hot_pixel_file.h"
#include "stacking/series/native_pictures.h"
#include "stacking/win32/hot_pixel_ids.h"
#include "tests/app/app_fixture.h"
#include "tests/imageio/picture_fixtures.h"
#include "tests/shell/testkit/chooser_script.h"
#include "tests/shell/testkit/dialog_driver.h"
#include "tests/shell/testkit/message_script.h"

namespace {

constexpr char kTitle[] = "Hotpixelmaske einlernen";

// A dark picture: background mostly at 100, three hot samples, and one at
// exactly the threshold 100 + 32667 / 4 = 8266, which is not hot.
std::string WriteDark(const pictures::ScratchDir& dir, bool colour) {
  ImageHeader h;
  InitImageHeader(&h);
  h.width = 160;
  h.height = 120;
  h.colourType = colour ? kColourRgb : 0;
  const int spp = colour ? 3 : 1;
  std::vector<int16_t> px(size_t(160) * 120 * spp);
  for (size_t i = 0; i < px.size(); ++i) px[i] = int16_t(i / spp % 4 ? 95 + int(i % 7) : 100);
  px[(size_t(30) * 160 + 40) * spp] = 30000;
  px[(size_t(30) * 160 + 41) * spp] = 30000;
  px[(size_t(90) * 160 + 120) * spp + (colour ? 2 : 0)] = 20000;
  px[(size_t(60) * 160 + 60) * spp] = 8266;
  const std::string name = dir / (colour ? "dunkel_farbe.fts" : "dunkel.fts");
  EXPECT_EQ(1, SaveNativePicture(name.c_str(), ".fts", px.data(), &h));
  return name;
}

// Holds a step so that the dialog can be looked at (TYVORN_SHOT_PAUSE ms).
void PauseForAShot() {
  if (const char* ms = std::getenv("TYVORN_SHOT_PAUSE")) Sleep(DWORD(std::atoi(ms)));
}

class HotPixelDialog : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    std::snprintf(gProgramState.CurrentPath, sizeof gProgramState.CurrentPath, "%s", "C:\\vorher");
  }
  void TearDown() override {
    std::snprintf(gProgramState.CurrentPath, sizeof gProgramState.CurrentPath, "%s",
                  gProgramState.ProgramDirectory);
    AppTest::TearDown();
  }
  pictures::ScratchDir dir_;
};

TEST_F(HotPixelDialog, LearnsFromADarkPictureAndSavesTheList) {
  const std::string dark = WriteDark(dir_, false), list = dir_ / "kamera.hpx";
  ChooserScript choosers;
  choosers.Choose(dark).Choose(list);
  MessageBoxScript boxes;
  DialogDriver driver;
  std::string threshold, label;
  bool greenShown = true;
  driver.Then(kTitle, [](HWND d) { DialogDriver::Click(d, IDC_HOT_PICTURE); })
      .Then(kTitle, [&](HWND d) {
        threshold = DialogDriver::ItemText(d, IDC_HOT_RED_TEXT);
        label = DialogDriver::ItemText(d, IDC_HOT_RED_LABEL);
        greenShown = IsWindowVisible(GetDlgItem(d, IDC_HOT_GREEN_BAR));
        PauseForAShot();
        DialogDriver::Click(d, IDC_HOT_ACCEPT);
      });
  SendCommand(IDM_HOT_PIXEL_LEARN);
  EXPECT_TRUE(driver.Done());
  EXPECT_EQ(0u, boxes.Count());
  EXPECT_EQ("8266", threshold);
  EXPECT_EQ("Schwellwert", label);
  EXPECT_FALSE(greenShown);
  ASSERT_EQ(2u, choosers.Count());
  EXPECT_EQ("Hotpixelaufnahme aus Datei laden ...", choosers.Chooser(0).title);
  EXPECT_EQ("Bildformate", choosers.Chooser(0).filter[0]);
  EXPECT_EQ("Hotpixelliste speichern ...", choosers.Chooser(1).title);
  EXPECT_EQ((std::vector<std::string>{"Hotpixel-Liste", "*.HPX"}), choosers.Chooser(1).filter);
  // The save chooser leaves CurrentPath where the picture chooser put it.
  EXPECT_EQ(dir_.path().string() + "\\", std::string(gProgramState.CurrentPath));
  HotPixelFileList read;
  HpxError error;
  ASSERT_EQ(1, ReadHotPixelFile(list.c_str(), &read, &error));
  EXPECT_EQ(160, read.width);
  EXPECT_EQ(120, read.height);
  ASSERT_EQ(3, read.count);
  const uint16_t expected[12] = {0, 40, 30, 0, 0, 41, 30, 0, 0, 120, 90, 0};
  EXPECT_TRUE(std::equal(expected, expected + 12, read.entries));
  FreeMem(&read.entries);
}

TEST_F(HotPixelDialog, BarsRelearnAndCancelPutsTheSettingsBack) {
  const std::string dark = WriteDark(dir_, true);
  ChooserScript choosers;
  choosers.Choose(dark);
  MessageBoxScript boxes;
  DialogDriver driver;
  std::string red, blue, label;
  bool blueShown = false;
  gProgramState.TargetBuffer = 3;
  gProgramState.ScreenHeight = 600;   // the small template
  RECT size = {};
  driver.Then(kTitle, [](HWND d) { DialogDriver::Click(d, IDC_HOT_PICTURE); })
      .Then(kTitle, [&](HWND d) {
        label = DialogDriver::ItemText(d, IDC_HOT_RED_LABEL);
        blueShown = IsWindowVisible(GetDlgItem(d, IDC_HOT_BLUE_BAR));
        GetWindowRect(d, &size);
        // The red threshold down to 19999 by its bar's thumb.
        SendMessageA(d, WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 19999),
                     reinterpret_cast<LPARAM>(GetDlgItem(d, IDC_HOT_RED_BAR)));
        red = DialogDriver::ItemText(d, IDC_HOT_RED_TEXT);
        // One page up on blue.
        SendMessageA(d, WM_HSCROLL, SB_PAGEDOWN, reinterpret_cast<LPARAM>(GetDlgItem(d, IDC_HOT_BLUE_BAR)));
        blue = DialogDriver::ItemText(d, IDC_HOT_BLUE_TEXT);
        PauseForAShot();
        DialogDriver::Click(d, IDC_HOT_CANCEL);
      });
  SendCommand(IDM_HOT_PIXEL_LEARN);
  EXPECT_TRUE(driver.Done());
  EXPECT_EQ("Rote Schwelle", label);
  EXPECT_TRUE(blueShown);
  EXPECT_LE(size.right - size.left, 800);
  EXPECT_LE(size.bottom - size.top, 600);
  EXPECT_EQ("19999", red);
  EXPECT_EQ("8366", blue);
  EXPECT_EQ(0u, boxes.Count());
  // Cancelled: the chooser's directory and the target are as before.
  EXPECT_STREQ("C:\\vorher", gProgramState.CurrentPath);
  EXPECT_EQ(3, gProgramState.TargetBuffer);
}

TEST_F(HotPixelDialog, AcceptStaysOpenWhenTheListCannotBeWritten) {
  const std::string dark = WriteDark(dir_, false);
  const std::string unwritable = (dir_.path() / "fehlt" / "liste.hpx").string();
  ChooserScript choosers;
  choosers.Choose(dark).Choose(unwritable).Cancel();
  MessageBoxScript boxes;
  DialogDriver driver;
  bool stillOpen = false;
  driver.Then(kTitle, [](HWND d) { DialogDriver::Click(d, IDC_HOT_PICTURE); })
      .Then(kTitle, [](HWND d) { DialogDriver::Click(d, IDC_HOT_ACCEPT); })
      .Then(kTitle, [&](HWND d) {
        stillOpen = true;
        // A second try, whose chooser is cancelled: the dialog closes.
        DialogDriver::Click(d, IDC_HOT_ACCEPT);
      });
  SendCommand(IDM_HOT_PIXEL_LEARN);
  EXPECT_TRUE(driver.Done());
  EXPECT_TRUE(stillOpen);
  ASSERT_EQ(1u, boxes.Count());
  EXPECT_EQ("Hotpixelliste " + unwritable + "\nist nicht zu speichern !", boxes.Box(0).text);
  EXPECT_EQ(3u, choosers.Count());
}

}  // namespace
