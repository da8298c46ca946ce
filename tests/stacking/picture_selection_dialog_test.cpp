// The picture selection "bildanpass": stepping through a series, adding
// frames, the mean installed by "&Gut", a frame that does not fit, the end
// of the series, and the ways out.
#include "stacking/setup/picture_selection_dialog.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "shell/buffer_slots.h"
#include "stack_dialog_fixture.h"
#include "stacking/setup/setup_ids.h"
#include "tests/shell/testkit/chooser_script.h"
#include "tests/shell/testkit/dialog_driver.h"
#include "tests/shell/testkit/dialog_resource.h"
#include "tests/shell/testkit/message_script.h"

namespace {

constexpr char kTitle[] = "Überlagerung von Bildern einer Serie mit starren Koordinaten";

bool Enabled(HWND dlg, int id) { return IsWindowEnabled(GetDlgItem(dlg, id)) != 0; }
std::string Text(HWND dlg, int id) { return DialogDriver::ItemText(dlg, id); }

class PictureSelectionTest : public StackDialogTest {
 protected:
  void SetUp() override {
    StackDialogTest::SetUp();
    gProgramState.CheckMethod = 1;
    gProgramState.FitMethod = 0;
  }
  static INT_PTR Open(const char* name = "bildanpass1024") {
    return DialogBoxParamA(GetModuleHandleA(nullptr), name, Frame(), PictureSelectionDlgProc, 0);
  }
  static std::string MetadataPath(int slot) {
    ImageMetadata md;
    GetSlotMetadata(&md, slot, &gProgramState);
    return md.path;
  }
};

TEST_F(PictureSelectionTest, BothTemplatesHoldTheControls) {
  for (const char* name : {"bildanpass800", "bildanpass1024"}) {
    DialogResourceProbe probe(name);
    ASSERT_TRUE(probe.Ok()) << name;
    EXPECT_EQ("Bildauswahl zum Überlagern", probe.Title());
    const struct {
      int id;
      const char* text;
    } controls[] = {{IDC_SEL_NEXT, "&Nächstes !"}, {IDC_SEL_NEXT_TEXT, "Keines"}, {IDC_SEL_ADD, "Add&ieren"},
                    {IDC_SEL_NUMBER, "Bild Nr.: 1"}, {IDC_SEL_RATING, "~"},       {IDC_SEL_TARGET, "Text"},
                    {IDC_SEL_GOOD, "&Gut"},          {IDC_SEL_CANCEL, "&Abbruch"}, {IDC_SEL_MINUS, "-"},
                    {IDC_SEL_PLUS, "+"}};
    for (const auto& c : controls) EXPECT_EQ(c.text, probe.Text(c.id)) << name << " " << c.id;
    EXPECT_EQ("ScrollBar", probe.ClassOf(IDC_SEL_HSCROLL));
    EXPECT_EQ("ScrollBar", probe.ClassOf(IDC_SEL_VSCROLL));
  }
  EXPECT_LE(DialogResourceProbe("bildanpass800").Size().cx, 800);
  EXPECT_LE(DialogResourceProbe("bildanpass800").Size().cy, 600);
  EXPECT_LE(DialogResourceProbe("bildanpass1024").Size().cx, 1024);
  EXPECT_LE(DialogResourceProbe("bildanpass1024").Size().cy, 768);
}

// Frames 1 and 3 added, the end of the series, "&Gut": their mean in the
// active buffer, the old picture in its undo slot.
TEST_F(PictureSelectionTest, TheMeanOfTheAddedFramesGoesIntoTheTarget) {
  const std::string first = WriteSeries(3, ".bmp");
  LoadPicture(1, "alt.fts", 64, 48, 0);
  const std::vector<int16_t> old = BufferSamples(1);
  ChooserScript choosers;
  choosers.Choose(first);
  MessageBoxScript boxes;
  DialogDriver driver;
  driver.Then(kTitle, [](HWND dlg) {
    EXPECT_EQ("Puffer A", Text(dlg, IDC_SEL_TARGET));
    EXPECT_EQ("leer", Text(dlg, IDC_SEL_NUMBER));
    EXPECT_FALSE(Enabled(dlg, IDC_SEL_ADD));
    EXPECT_FALSE(Enabled(dlg, IDC_SEL_GOOD));
    DialogDriver::Click(dlg, IDC_SEL_NEXT);
    EXPECT_TRUE(Enabled(dlg, IDC_SEL_ADD));
    DialogDriver::Click(dlg, IDC_SEL_ADD);
    EXPECT_EQ("Bild 1", Text(dlg, IDC_SEL_NUMBER));
    EXPECT_FALSE(Enabled(dlg, IDC_SEL_ADD)) << "a frame is added once";
    EXPECT_TRUE(Enabled(dlg, IDC_SEL_GOOD));
    DialogDriver::Click(dlg, IDC_SEL_NEXT);
    DialogDriver::Click(dlg, IDC_SEL_NEXT);
    DialogDriver::Click(dlg, IDC_SEL_ADD);
    EXPECT_EQ("Bild 3", Text(dlg, IDC_SEL_NUMBER));
    DialogDriver::Click(dlg, IDC_SEL_NEXT);
    EXPECT_FALSE(Enabled(dlg, IDC_SEL_ADD));
    DialogDriver::Click(dlg, IDC_SEL_GOOD);
  });
  EXPECT_EQ(1, Open());
  EXPECT_TRUE(driver.Done());
  ASSERT_EQ(1u, choosers.Count());
  EXPECT_EQ("Erstes Bild der durchnummerierten Serie suchen ...", choosers.Chooser(0).title);
  ASSERT_EQ(1u, boxes.Count());
  EXPECT_EQ("Bildserie beendet", boxes.Box(0).text);
  EXPECT_EQ("Programmhinweis", boxes.Box(0).title);
  EXPECT_LE(MaxDifference(MeanOf({0, 2}), BufferSamples(1)), 1);
  EXPECT_EQ("Resultatbild", MetadataPath(1));
  EXPECT_EQ(old, BufferSamples(5)) << "the old picture is the undo copy";
  EXPECT_EQ(nullptr, gProgramState.PatternSamples);
}

// A larger frame is refused with its message and passed over: the next
// "&Nächstes !" shows the frame after it.
TEST_F(PictureSelectionTest, AFrameOfAnotherSizeIsPassedOver) {
  const std::string first = WriteSeries(3, ".bmp");
  const std::vector<int16_t> mean = MeanOf({0, 2});
  const std::string larger = WriteSeries(1, ".bmp", 80, 60, "gross_");
  ASSERT_TRUE(CopyFileA(larger.c_str(), (dir_ / "disc_001.bmp").c_str(), FALSE));
  ChooserScript choosers;
  choosers.Choose(first);
  MessageBoxScript boxes;
  DialogDriver driver;
  driver.Then(kTitle, [](HWND dlg) {
    DialogDriver::Click(dlg, IDC_SEL_NEXT);
    DialogDriver::Click(dlg, IDC_SEL_ADD);
    DialogDriver::Click(dlg, IDC_SEL_NEXT);
    EXPECT_FALSE(Enabled(dlg, IDC_SEL_ADD));
    DialogDriver::Click(dlg, IDC_SEL_NEXT);
    EXPECT_TRUE(Enabled(dlg, IDC_SEL_ADD)) << "the third frame";
    DialogDriver::Click(dlg, IDC_SEL_ADD);
    EXPECT_EQ("Bild 3", Text(dlg, IDC_SEL_NUMBER));
    DialogDriver::Click(dlg, IDC_SEL_GOOD);
  });
  EXPECT_EQ(1, Open("bildanpass800"));
  EXPECT_TRUE(driver.Done());
  ASSERT_EQ(1u, boxes.Count());
  EXPECT_EQ("Neues Bild paßt nicht zu den anderen !", boxes.Box(0).text);
  EXPECT_EQ("Fehlermeldung", boxes.Box(0).title);
  EXPECT_LE(MaxDifference(mean, BufferSamples(1)), 1);
}

// Every way out without "&Gut" leaves the target and the settings as they
// were and no pattern behind.
TEST_F(PictureSelectionTest, WaysOutWithoutAResult) {
  enum Way { kChooserCancelled, kNoSeries, kAbbruch };
  for (Way way : {kChooserCancelled, kNoSeries, kAbbruch}) {
    SCOPED_TRACE(way);
    const std::string first = WriteSeries(2, ".bmp");
    LoadPicture(1, "alt.fts", 64, 48, 0);
    const int16_t* before = GetSlotPixels(1, &gProgramState);
    gProgramState.PatternSamples = static_cast<int16_t*>(AllocMem(64));
    ChooserScript choosers;
    if (way == kChooserCancelled) choosers.Cancel();
    if (way == kNoSeries) choosers.Choose(dir_ / "fehlt_000.bmp");
    if (way == kAbbruch) choosers.Choose(first);
    MessageBoxScript boxes;
    DialogDriver driver;
    if (way == kAbbruch)
      driver.Then(kTitle, [](HWND dlg) {
        DialogDriver::Click(dlg, IDC_SEL_NEXT);
        DialogDriver::Click(dlg, IDC_SEL_ADD);
        gProgramState.Imagetype = 2;
        DialogDriver::Click(dlg, IDC_SEL_CANCEL);
      });
    EXPECT_EQ(0, Open());
    EXPECT_TRUE(driver.Done());
    EXPECT_EQ(way == kNoSeries ? 1u : 0u, boxes.Count());
    EXPECT_EQ(before, GetSlotPixels(1, &gProgramState));
    EXPECT_EQ(0, gProgramState.Imagetype);
    EXPECT_EQ(nullptr, gProgramState.PatternSamples);
  }
}

}  // namespace
