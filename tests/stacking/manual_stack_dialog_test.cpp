// The manual overlay opened by its command as a user drives it: pictures
// chosen one after the other, placed with the buttons against the mean and
// added, "&Gut" putting the mean into the buffer; pictures that do not fit,
// broken files and a sum that cannot be had.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "imageio/picture_files.h"
#include "imagelib/alloc_limit.h"
#include "imagelib/resample.h"
#include "shell/buffer_slots.h"
#include "shell/hotkey_titles.h"
#include "shell/menu_ids.h"
#include "stacking/manual/manual_overlay.h"
#include "stacking/manual/manual_stack_dialog.h"
#include "stacking/manual/manual_stack_ids.h"
#include "tests/editing/edit_dialog_fixture.h"
#include "tests/shell/testkit/chooser_script.h"
#include "tests/shell/testkit/dialog_driver.h"
#include "tests/shell/testkit/dialog_resource.h"
#include "tests/shell/testkit/live_counts.h"
#include "tests/shell/testkit/message_script.h"
#include "tests/shell/testkit/picture_series.h"

namespace {

constexpr char kTitle[] = "Manuelle Überlagerung von Bildern einer Serie (immer Maßstab 1:1)";
constexpr int kW = 60, kH = 40;

int16_t A(int x, int y) { return int16_t(1000 + x * 37 + y * 11); }

class ManualStackDialogTest : public EditDialogTest {
 protected:
  void SetUp() override {
    EditDialogTest::SetUp();
    gProgramState.ScreenHeight = 1024;
    gProgramState.Scalefactor = 1.0;
    gProgramState.OverlayShift = OverlayShiftRecord{7, 7, 0.5};
  }
  void TearDown() override {
    SetAllocationLimit(0);
    EditDialogTest::TearDown();
  }

  static std::string File(const char* name) { return std::string(gProgramState.ProgramDirectory) + "\\" + name; }

  // A grey FITS picture of w x h from value(x, y), written through buffer D.
  template <typename F>
  static std::string WriteFits(const char* name, int w, int h, F value) {
    Picture(4, name, w, h, 0, [&](int x, int y, int) { return value(x, y); });
    ImageHeader header;
    GetSlotHeader(&header, 4, &gProgramState);
    const std::string path = File(name);
    EXPECT_TRUE(SaveImageFile(path.c_str(), "fts", 0, GetSlotPixels(4, &gProgramState), &header));
    ClearSlot(4, &gProgramState);
    return path;
  }
  static void Press(HWND dlg, int id, int times = 1) {
    for (int i = 0; i < times; ++i) DialogDriver::Click(dlg, id);
  }
};

TEST_F(ManualStackDialogTest, BothSizesHoldEveryControlAndFitTheirScreens) {
  const struct {
    const char* name;
    int width, height;
  } sizes[] = {{"handanpass800", 800, 600}, {"handanpass1024", 1024, 768}};
  const struct {
    int id;
    const char* text;
  } controls[] = {
      {IDC_MAN_NEXT, "&Nächstes !"}, {IDC_MAN_NAME, "Keines"},   {IDC_MAN_ADD, "Add&ieren"},
      {IDC_MAN_NUMBER, "Bild Nr.: 1"}, {IDC_MAN_UP, "Auf"},        {IDC_MAN_LEFT, "Links"},
      {IDC_MAN_RIGHT, "Rechts"},       {IDC_MAN_DOWN, "Ab"},       {IDC_MAN_ANTICLOCKWISE, "! Uh&r"},
      {IDC_MAN_CLOCKWISE, "&Uhr"},     {IDC_MAN_TARGET, "Text"},   {IDC_MAN_OK, "&Gut"},
      {IDC_MAN_CANCEL, "&Abbruch"},
  };
  for (const auto& s : sizes) {
    DialogResourceProbe probe(s.name);
    ASSERT_TRUE(probe.Ok()) << s.name;
    EXPECT_EQ(kTitle, probe.Title());
    for (const auto& c : controls) EXPECT_EQ(c.text, probe.Text(c.id)) << s.name << " " << c.id;
    const std::vector<std::string> texts = probe.Texts();
    for (const char* label : {"Nächstes Bild", "Zentrieren", "Bild bewegen", "Bild drehen", "Ziel :"})
      EXPECT_NE(texts.end(), std::find(texts.begin(), texts.end(), label)) << s.name << " " << label;
    EXPECT_TRUE(probe.StyleOf(IDC_MAN_OK) & BS_DEFPUSHBUTTON);
    EXPECT_LE(probe.Size().cx, s.width);
    EXPECT_LE(probe.Size().cy, s.height);
  }
}

// Picture B is A moved 5 pixels to the right: placed 5 to the right again
// it falls onto A, and the mean is A wherever both cover it.
TEST_F(ManualStackDialogTest, APictureMovedBackOntoTheFirstGivesItsMean) {
  LoadPicture(1, "alt.fts", 20, 10, 0);
  const std::vector<int16_t> old = Samples(1);
  const std::string a = WriteFits("a.fts", kW, kH, A);
  const std::string b = WriteFits("b.fts", kW, kH, [](int x, int y) { return x >= 5 ? A(x - 5, y) : int16_t(20000); });
  const long blocks = LiveMemBlocks();
  ChooserScript choosers;
  choosers.Choose(a).Choose(b);
  MessageBoxScript boxes;
  boxes.Answer(IDYES);
  DialogDriver driver;
  driver.Then(kTitle, [](HWND dlg) {
    EXPECT_TRUE(HotKeyDialogTitle[kHotKeyManual] == DialogDriver::Title(dlg));
    EXPECT_EQ("Puffer A", DialogDriver::ItemText(dlg, IDC_MAN_TARGET));
    EXPECT_EQ("leer", DialogDriver::ItemText(dlg, IDC_MAN_NUMBER));
    EXPECT_EQ(0, gProgramState.OverlayShift.X);
    EXPECT_FALSE(Enabled(dlg, IDC_MAN_OK));
    EXPECT_FALSE(Enabled(dlg, IDC_MAN_ADD));
    Press(dlg, IDC_MAN_RIGHT);
    EXPECT_EQ(0, gProgramState.OverlayShift.X) << "nothing to place without a picture";
    Press(dlg, IDC_MAN_NEXT);
    EXPECT_EQ("a.fts", DialogDriver::ItemText(dlg, IDC_MAN_NAME));
    EXPECT_TRUE(Enabled(dlg, IDC_MAN_ADD));
    Press(dlg, IDC_MAN_RIGHT);
    EXPECT_EQ(0, gProgramState.OverlayShift.X) << "the first picture is the reference";
    Press(dlg, IDC_MAN_ADD);
    EXPECT_EQ("Bild 1", DialogDriver::ItemText(dlg, IDC_MAN_NUMBER));
    EXPECT_FALSE(Enabled(dlg, IDC_MAN_ADD));
    EXPECT_TRUE(Enabled(dlg, IDC_MAN_OK));
    Press(dlg, IDC_MAN_NEXT);
    Press(dlg, IDC_MAN_RIGHT, 5);
    EXPECT_EQ(-5, gProgramState.OverlayShift.X);
    Press(dlg, IDC_MAN_ADD);
    EXPECT_EQ("Bild 2", DialogDriver::ItemText(dlg, IDC_MAN_NUMBER));
    Press(dlg, IDC_MAN_OK);
  });
  SendCommand(IDM_MANUAL_STACK);
  EXPECT_TRUE(driver.Done());
  ASSERT_EQ(1u, boxes.Count());
  EXPECT_EQ("Soll der Puffer überladen werden ?", boxes.Box(0).text);
  ImageHeader h;
  ASSERT_TRUE(GetSlotHeader(&h, 1, &gProgramState));
  ASSERT_EQ(kW, h.width);
  ASSERT_EQ(kH, h.height);
  const std::vector<int16_t> target = Samples(1);
  for (int y = 0; y < kH; ++y)
    for (int x = 0; x < kW; ++x) ASSERT_EQ(A(x, y), target[size_t(y) * kW + x]) << x << "," << y;
  ImageMetadata md;
  GetSlotMetadata(&md, 1, &gProgramState);
  EXPECT_STREQ("Von Hand überlagertes Bild", md.path);
  EXPECT_EQ(old, Samples(5)) << "the undo copy holds the old picture";
  EXPECT_EQ(blocks + 1, LiveMemBlocks()) << "only the installed picture is left";
}

// The rotation shown is the rotation added: B turned by 1 degree goes into
// the sum as the operator turns it.
TEST_F(ManualStackDialogTest, TheTurnShownIsTheTurnAdded) {
  const std::string a = WriteFits("a.fts", kW, kH, A);
  ChooserScript choosers;
  choosers.Choose(a).Choose(a);
  DialogDriver driver;
  driver.Then(kTitle, [](HWND dlg) {
    Press(dlg, IDC_MAN_NEXT);
    Press(dlg, IDC_MAN_ADD);
    Press(dlg, IDC_MAN_NEXT);
    Press(dlg, IDC_MAN_ANTICLOCKWISE, 10);
    Press(dlg, IDC_MAN_CLOCKWISE);
    Press(dlg, IDC_MAN_ADD);
    Press(dlg, IDC_MAN_OK);
  });
  EXPECT_EQ(1, DialogBoxParamA(GetModuleHandleA(nullptr), "handanpass1024", Frame(), ManualStackDlgProc, 0));
  EXPECT_TRUE(driver.Done());
  // The file as loaded, turned by the operator.
  ImageHeader h;
  ImageMetadata md;
  InitImageHeader(&h);
  InitImageMetadata(&md);
  int16_t* loaded = nullptr;
  ASSERT_TRUE(LoadImageFile(a.c_str(), "fts", 0, &loaded, &h, &md));
  std::vector<int16_t> first(loaded, loaded + size_t(kW) * kH), turned(first.size());
  FreeMem(&loaded);
  ASSERT_EQ(IMG_OK, ResampleImage(&h, &h, first.data(), turned.data(), kW / 2, kH / 2, 9 * kManualAngleStep, 1.0, 3));
  const std::vector<int16_t> target = Samples(1);
  int differing = 0;
  for (size_t i = 0; i < first.size(); ++i) {
    const int want = turned[i] > 0 ? (first[i] + turned[i]) / 2 : first[i];
    ASSERT_EQ(want, target[i]) << i;
    differing += target[i] != first[i];
  }
  EXPECT_GT(differing, 100) << "the turn reached the sum";
}

TEST_F(ManualStackDialogTest, APictureThatDoesNotFitIsRefusedAndGutKeepsTheMean) {
  const std::string a = WriteFits("a.fts", kW, kH, A);
  const std::string small = WriteFits("klein.fts", 40, 30, [](int x, int y) { return int16_t(x + y + 1); });
  const std::string broken = File("kaputt.bmp");
  ASSERT_TRUE(WriteBrokenPicture(broken));
  ChooserScript choosers;
  choosers.Choose(a).Choose(small).Choose(broken);
  MessageBoxScript boxes;
  DialogDriver driver;
  driver.Then(kTitle, [&](HWND dlg) {
    Press(dlg, IDC_MAN_NEXT);
    Press(dlg, IDC_MAN_ADD);
    Press(dlg, IDC_MAN_NEXT);
    ASSERT_EQ(1u, boxes.Count());
    EXPECT_EQ("Neues Bild paßt nicht zu den anderen !", boxes.Box(0).text);
    EXPECT_FALSE(Enabled(dlg, IDC_MAN_ADD));
    Press(dlg, IDC_MAN_LEFT);
    EXPECT_EQ(0, gProgramState.OverlayShift.X) << "no picture to place";
    Press(dlg, IDC_MAN_NEXT);
    EXPECT_EQ("Bild " + broken + " nicht ladbar !", boxes.Boxes().back().text);
    EXPECT_FALSE(Enabled(dlg, IDC_MAN_ADD));
    RedrawWindow(dlg, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    Press(dlg, IDC_MAN_OK);
  });
  EXPECT_EQ(1, DialogBoxParamA(GetModuleHandleA(nullptr), "handanpass1024", Frame(), ManualStackDlgProc, 0));
  EXPECT_TRUE(driver.Done());
  ImageHeader h;
  ASSERT_TRUE(GetSlotHeader(&h, 1, &gProgramState));
  EXPECT_EQ(kW, h.width) << "the sum's size";
  const std::vector<int16_t> target = Samples(1);
  EXPECT_EQ(A(7, 9), target[9 * kW + 7]);
}

TEST_F(ManualStackDialogTest, WithoutRoomForTheSumNothingCanBeAdded) {
  const std::string a = WriteFits("a.fts", kW, kH, A);
  ChooserScript choosers;
  choosers.Choose(a);
  MessageBoxScript boxes;
  const long blocks = LiveMemBlocks();
  DialogDriver driver;
  driver.Then(kTitle, [&](HWND dlg) {
    SetAllocationLimit(kW * kH * 3);   // the picture fits, its sum (4 bytes a sample) does not
    Press(dlg, IDC_MAN_NEXT);
    SetAllocationLimit(0);
    ASSERT_EQ(1u, boxes.Count());
    EXPECT_EQ("Nicht genug Speicher !", boxes.Box(0).text);
    EXPECT_FALSE(Enabled(dlg, IDC_MAN_ADD));
    Press(dlg, IDC_MAN_ADD);
    EXPECT_FALSE(Enabled(dlg, IDC_MAN_OK));
    Press(dlg, IDC_MAN_CANCEL);
  });
  EXPECT_EQ(0, DialogBoxParamA(GetModuleHandleA(nullptr), "handanpass1024", Frame(), ManualStackDlgProc, 0));
  EXPECT_TRUE(driver.Done());
  EXPECT_EQ(blocks, LiveMemBlocks());
  EXPECT_EQ(7, gProgramState.OverlayShift.X) << "cancel restores";
}

}  // namespace
