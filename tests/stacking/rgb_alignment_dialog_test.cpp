// The RGB channel alignment opened as a user opens it: its three templates,
// the limits of the shift buttons, the corrected picture sent to another
// buffer, the values coming back on cancel, set-up mode with its sample
// picture, and a preview that keeps one bitmap alive.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "imagelib/colour_channels.h"
#include "shell/buffer_slots.h"
#include "shell/dialogkit/preview_pane.h"
#include "shell/menu_ids.h"
#include "stacking/rgb_alignment_dialog.h"
#include "stacking/rgb_alignment_ids.h"
#include "tests/app/app_fixture.h"
#include "tests/shell/testkit/dialog_driver.h"
#include "tests/shell/testkit/dialog_resource.h"
#include "tests/shell/testkit/live_counts.h"
#include "tests/shell/testkit/message_script.h"

namespace {

constexpr char kTitle[] = "Größen- und Positionskorrektur von Rot-, Grün- und Blaukanal";

class RgbAlignmentDialogTest : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    ProgramState* ps = &gProgramState;
    ps->RGBCorrBlueXshift = ps->RGBCorrBlueYshift = ps->BlueSize = 0;
    ps->RGBCorrRedXshift = ps->RGBCorrRedYshift = ps->RedSize = 0;
    ps->RedXshift = ps->BlueXshift = 0;
  }

  static std::vector<int16_t> Samples(int slot) {
    ImageHeader h;
    GetSlotHeader(&h, slot, &gProgramState);
    const int16_t* s = GetSlotPixels(slot, &gProgramState);
    return s ? std::vector<int16_t>(s, s + SampleBytes(&h) / 2) : std::vector<int16_t>();
  }

  static void Press(HWND dlg, int id, int times = 1) {
    for (int i = 0; i < times; ++i) DialogDriver::Click(dlg, id);
  }

  static INT_PTR OpenForSetup() {
    gProgramState.OpenedFromSetup = 1;
    return DialogBoxParamA(GetModuleHandleA(nullptr), "rgbkorrektur1024", Frame(), RgbAlignmentDlgProc, 0);
  }
};

TEST_F(RgbAlignmentDialogTest, EverySizeHoldsEveryControlAndFitsItsScreen) {
  const struct {
    const char* name;
    int width, height;
  } sizes[] = {{"rgbkorrektur640", 640, 480}, {"rgbkorrektur800", 800, 600}, {"rgbkorrektur1024", 1024, 768}};
  const struct {
    int id;
    const char* text;
  } controls[] = {
      {IDC_RGB_MINUS, "-"},           {IDC_RGB_PLUS, "+"},           {IDC_RGB_RED_GROUP, "Rotkanal"},
      {IDC_RGB_RED_UP, "Auf"},        {IDC_RGB_RED_LEFT, "Links"},   {IDC_RGB_RED_RIGHT, "Rechts"},
      {IDC_RGB_RED_DOWN, "Ab"},       {IDC_RGB_RED_SMALLER, "&kleiner"}, {IDC_RGB_RED_LARGER, "&größer"},
      {IDC_RGB_BLUE_GROUP, "Blaukanal"}, {IDC_RGB_BLUE_UP, "Auf"},   {IDC_RGB_BLUE_LEFT, "Links"},
      {IDC_RGB_BLUE_RIGHT, "Rechts"}, {IDC_RGB_BLUE_DOWN, "Ab"},     {IDC_RGB_BLUE_SMALLER, "&kleiner"},
      {IDC_RGB_BLUE_LARGER, "&größer"}, {IDC_RGB_SOURCE_GROUP, "Quelle"}, {IDC_RGB_FILE, "Da&tei"},
      {IDC_RGB_BUFFER_A, "Puffer &A"}, {IDC_RGB_BUFFER_A + 1, "Puffer &B"}, {IDC_RGB_BUFFER_A + 2, "Puffer &C"},
      {IDC_RGB_BUFFER_D, "Puffer &D"}, {IDC_RGB_FETCH, "&Holen"},   {IDC_RGB_RESET, "Reset"},
      {IDC_RGB_APPLY, "&Übernehmen"}, {IDC_RGB_CANCEL, "&Abbrechen"},
  };
  for (const auto& s : sizes) {
    DialogResourceProbe probe(s.name);
    ASSERT_TRUE(probe.Ok()) << s.name;
    EXPECT_EQ(kTitle, probe.Title());
    for (const auto& c : controls) EXPECT_EQ(c.text, probe.Text(c.id)) << s.name << " " << c.id;
    EXPECT_EQ("ScrollBar", probe.ClassOf(IDC_RGB_HSCROLL));
    EXPECT_EQ("ScrollBar", probe.ClassOf(IDC_RGB_VSCROLL));
    EXPECT_TRUE(probe.Has(IDC_RGB_PREVIEW));
    EXPECT_TRUE(probe.StyleOf(IDC_RGB_APPLY) & BS_DEFPUSHBUTTON);
    EXPECT_LE(probe.Size().cx, s.width) << s.name;
    EXPECT_LE(probe.Size().cy, s.height) << s.name;
  }
}

TEST_F(RgbAlignmentDialogTest, ShiftsStopAtHalfThePicture) {
  LoadPicture(1, "a.fts", 640, 40);
  gProgramState.RGBCorrRedXshift = 9;   // every opening starts at 0
  DialogDriver driver;
  driver.Then(kTitle, [](HWND dlg) {
    EXPECT_EQ(0, gProgramState.RGBCorrRedXshift);
    Press(dlg, IDC_RGB_RED_RIGHT, 330);
    EXPECT_EQ(320, gProgramState.RGBCorrRedXshift);
    Press(dlg, IDC_RGB_BLUE_UP, 25);
    EXPECT_EQ(-20, gProgramState.RGBCorrBlueYshift);
    Press(dlg, IDC_RGB_RED_SMALLER, 30);
    EXPECT_EQ(-20, gProgramState.RedSize);
    Press(dlg, IDC_RGB_RESET);
    EXPECT_EQ(0, gProgramState.RGBCorrRedXshift);
    EXPECT_EQ(0, gProgramState.RGBCorrBlueYshift);
    Press(dlg, IDC_RGB_RED_LEFT, 2);
    DialogDriver::Click(dlg, IDC_RGB_CANCEL);
  });
  SendCommand(IDM_RGB_ALIGN);
  EXPECT_TRUE(driver.Done());
  EXPECT_EQ(9, gProgramState.RGBCorrRedXshift) << "cancel brings the values from before back";
}

TEST_F(RgbAlignmentDialogTest, TheCorrectedPictureGoesToTheChosenBufferAndTheActiveOneStays) {
  LoadPicture(1, "a.fts", 60, 40);
  LoadPicture(3, "c.fts", 20, 20);
  const std::vector<int16_t> a = Samples(1), c = Samples(3);
  DialogDriver driver;
  driver.Then(kTitle, [](HWND dlg) {
    EXPECT_EQ("Zielpuffer", DialogDriver::ItemText(dlg, IDC_RGB_SOURCE_GROUP));
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(dlg, IDC_RGB_FETCH)));
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(dlg, IDC_RGB_FILE)));
    EXPECT_EQ(BST_CHECKED, IsDlgButtonChecked(dlg, IDC_RGB_BUFFER_A));
    Press(dlg, IDC_RGB_RED_RIGHT, 3);
    Press(dlg, IDC_RGB_RED_UP, 1);
    Press(dlg, IDC_RGB_BLUE_DOWN, 2);
    Press(dlg, IDC_RGB_BLUE_LARGER, 4);
    DialogDriver::Click(dlg, IDC_RGB_BUFFER_A + 2);
    EXPECT_EQ(BST_CHECKED, IsDlgButtonChecked(dlg, IDC_RGB_BUFFER_A + 2));
    DialogDriver::Click(dlg, IDC_RGB_APPLY);
  });
  const long blocks = LiveMemBlocks();
  SendCommand(IDM_RGB_ALIGN);
  EXPECT_TRUE(driver.Done());
  ImageHeader h;
  GetSlotHeader(&h, 1, &gProgramState);
  std::vector<int16_t> expected(a.size());
  ASSERT_EQ(IMG_OK, AlignColourChannels(a.data(), expected.data(), &h, 0, 2, 4, 3, -1, 0));
  EXPECT_EQ(expected, Samples(3));
  EXPECT_EQ(a, Samples(1));
  EXPECT_EQ(c, Samples(7)) << "buffer C's picture before is its undo copy";
  EXPECT_EQ(3, gProgramState.RGBCorrRedXshift);
  EXPECT_EQ(-1, gProgramState.RGBCorrRedYshift);
  EXPECT_EQ(2, gProgramState.RGBCorrBlueYshift);
  EXPECT_EQ(4, gProgramState.BlueSize);
  EXPECT_EQ(0, gProgramState.RedXshift) << "the live picture's own shift is another setting";
  EXPECT_EQ(3, gProgramState.TargetBuffer);
  // C's new picture replaced its old one, which went to the undo copy: one block more.
  EXPECT_EQ(blocks + 1, LiveMemBlocks());
}

TEST_F(RgbAlignmentDialogTest, AGreyPictureEndsTheDialogAtOnce) {
  LoadPicture(1, "a.fts", 30, 20, 0);
  MessageBoxScript boxes;
  const long blocks = LiveMemBlocks();
  gProgramState.OpenedFromSetup = 0;
  EXPECT_EQ(0, DialogBoxParamA(GetModuleHandleA(nullptr), "rgbkorrektur1024", Frame(), RgbAlignmentDlgProc, 0));
  ASSERT_EQ(1u, boxes.Count());
  EXPECT_EQ("Das Bild ist kein Farbbild !", boxes.Box(0).text);
  EXPECT_EQ("Fehlermeldung", boxes.Box(0).title);
  EXPECT_EQ(blocks, LiveMemBlocks());
}

TEST_F(RgbAlignmentDialogTest, SetUpModeFetchesASamplePictureAndChangesNoBuffer) {
  LoadPicture(2, "grau.fts", 30, 20, 0);
  LoadPicture(4, "farbe.fts", 300, 200, 1);
  const std::vector<int16_t> d = Samples(4);
  GdiWatch bitmaps;
  MessageBoxScript boxes;
  DialogDriver driver;
  driver.Then(kTitle, [&](HWND dlg) {
    EXPECT_EQ("Bildquelle", DialogDriver::ItemText(dlg, IDC_RGB_SOURCE_GROUP));
    EXPECT_EQ(BST_CHECKED, IsDlgButtonChecked(dlg, IDC_RGB_FILE));
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dlg, IDC_RGB_BUFFER_A))) << "an empty buffer offers nothing";
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dlg, IDC_RGB_BUFFER_A + 1)));
    // Without a picture every value stays 0.
    Press(dlg, IDC_RGB_RED_RIGHT, 3);
    Press(dlg, IDC_RGB_BLUE_LARGER, 3);
    EXPECT_EQ(0, gProgramState.RGBCorrRedXshift);
    EXPECT_EQ(0, gProgramState.BlueSize);
    // A grey buffer is refused.
    DialogDriver::Click(dlg, IDC_RGB_BUFFER_A + 1);
    DialogDriver::Click(dlg, IDC_RGB_FETCH);
    EXPECT_EQ(1u, boxes.Count());
    EXPECT_EQ(nullptr, PreviewPaneOf(dlg)->bitmap);
    // A colour buffer is taken; every refresh replaces the preview's bitmap.
    DialogDriver::Click(dlg, IDC_RGB_BUFFER_D);
    EXPECT_EQ(4, gProgramState.SourceBuffer);
    DialogDriver::Click(dlg, IDC_RGB_FETCH);
    bitmaps.Note(PreviewPaneOf(dlg)->bitmap);
    for (int i = 0; i < 50; ++i) {
      Press(dlg, i % 2 ? IDC_RGB_RED_RIGHT : IDC_RGB_BLUE_DOWN);
      bitmaps.Note(PreviewPaneOf(dlg)->bitmap);
    }
    EXPECT_EQ(51, bitmaps.Noted());
    EXPECT_EQ(1, bitmaps.Alive());
    // The grey buffer is refused again without losing the picture.
    DialogDriver::Click(dlg, IDC_RGB_BUFFER_A + 1);
    DialogDriver::Click(dlg, IDC_RGB_FETCH);
    EXPECT_EQ(2u, boxes.Count());
    EXPECT_NE(nullptr, PreviewPaneOf(dlg)->bitmap);
    Press(dlg, IDC_RGB_RED_RIGHT);
    EXPECT_EQ(26, gProgramState.RGBCorrRedXshift);
    DialogDriver::Click(dlg, IDC_RGB_APPLY);
  });
  const long blocks = LiveMemBlocks();
  EXPECT_EQ(1, OpenForSetup());
  EXPECT_TRUE(driver.Done());
  EXPECT_EQ(blocks, LiveMemBlocks());
  EXPECT_EQ(0, bitmaps.Alive());
  EXPECT_EQ(d, Samples(4));
  EXPECT_EQ(26, gProgramState.RGBCorrRedXshift);
  EXPECT_EQ(25, gProgramState.RGBCorrBlueYshift);
  for (int slot = 5; slot <= 8; ++slot) EXPECT_FALSE(IsSlotLoaded(slot, &gProgramState));
  ASSERT_EQ(2u, boxes.Count());
  EXPECT_EQ("Das Bild ist kein Farbbild !", boxes.Box(1).text);
}

}  // namespace
