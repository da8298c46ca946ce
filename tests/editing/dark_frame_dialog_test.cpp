// The dark-frame dialog from the menu: the templates, each method's
// correction against the image library and repeated, the dark frame from a
// file, the refusals, "&Übernehmen" that writes only a correction and what
// the preview shows, and the background saved.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "editing/calibration/calibration_ids.h"
#include "editing/calibration/dark_frame_dialog.h"
#include "imagelib/fft_filters.h"
#include "imagelib/flat_dark.h"
#include "shell/dialogkit/preview_pane.h"
#include "shell/display_bitmap.h"
#include "shell/hotkey_titles.h"
#include "shell/menu_ids.h"
#include "tests/editing/contrast_test_kit.h"
#include "tests/shell/testkit/chooser_script.h"
#include "tests/shell/testkit/dialog_driver.h"
#include "tests/shell/testkit/dialog_resource.h"
#include "tests/shell/testkit/live_counts.h"
#include "tests/shell/testkit/message_script.h"

namespace {

constexpr char kTitleA[] = "Dunkelstromkorrektur von Puffer A";

class DarkFrameDialogTest : public EditingDialogTest {
 protected:
  static std::string WriteDark(const char* name, int w, int h, int colourType) {
    return WritePictureFile(name, w, h, colourType,
                            [](int x, int y, int c) { return int16_t(2500 + (x * 37 + y * 101 + c * 13) % 900); });
  }
  static std::vector<int16_t> Less(const std::vector<int16_t>& light, const std::vector<int16_t>& background) {
    const ImageHeader h = Header(1);
    std::vector<int16_t> out(light.size());
    EXPECT_EQ(IMG_OK, SubtractDark(out.data(), light.data(), background.data(), &h));
    return out;
  }
};

TEST_F(DarkFrameDialogTest, BothTemplatesHoldEveryControlAndFitTheirScreens) {
  for (const auto& size : {std::make_pair("dunkelfeld800", 600), std::make_pair("dunkelfeld1024", 768)}) {
    DialogResourceProbe probe(size.first);
    ASSERT_TRUE(probe.Ok()) << size.first;
    EXPECT_EQ("Untergrundkorrektur eines Puffers", probe.Title());
    const struct {
      int id;
      const char* text;
    } controls[] = {{121, "Dunkelfelddatei"}, {122, "Konstante"},  {123, "FFT-Filter"},
                    {109, "Keines"},          {106, "&Korrigieren"}, {126, "Dunkelfeld &speichern"},
                    {108, "&Übernehmen"},      {107, "&Abbruch"},   {104, "-"}, {105, "+"}};
    for (const auto& c : controls) EXPECT_EQ(c.text, probe.Text(c.id)) << size.first << " " << c.id;
    EXPECT_EQ(std::string(size.second == 600 ? "Holen" : "&Holen"), probe.Text(110));
    EXPECT_EQ("msctls_trackbar32", probe.ClassOf(114));
    for (int id : {102, 103}) EXPECT_EQ("ScrollBar", probe.ClassOf(id));
    for (int id : {101, 111, 127}) EXPECT_TRUE(probe.Has(id));
    EXPECT_LE(probe.Size().cy, size.second) << size.first;
    EXPECT_LE(probe.Size().cx, size.second * 4 / 3) << size.first;
  }
}

TEST_F(DarkFrameDialogTest, EachMethodSubtractsItsBackgroundAndCorrectingTwiceEqualsOnce) {
  const struct {
    const char* name;
    int method;
    std::function<std::vector<int16_t>(const std::vector<int16_t>&, const std::string&)> background;
  } cases[] = {
      {"dark frame", 0, [](const std::vector<int16_t>&, const std::string& dark) { return LoadPictureFile(dark); }},
      {"estimate", 1,
       [](const std::vector<int16_t>& light, const std::string&) {
         const ImageHeader h = Header(1);
         std::vector<int16_t> b(light.size());
         EXPECT_EQ(IMG_OK, EstimateBackground(b.data(), light.data(), &h, 1.2, 0, nullptr));
         return b;
       }},
      {"FFT filter", 2,
       [](const std::vector<int16_t>& light, const std::string&) {
         const ImageHeader h = Header(1);
         std::vector<int16_t> b(light.size());
         EXPECT_EQ(IMG_OK, FftFilterImage(b.data(), light.data(), &h, 1.0, nullptr));
         return b;
       }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    SetUp();
    LoadSpread(1, 48, 36, 1);
    const std::vector<int16_t> before = Samples(1);
    const std::string dark = WriteDark("dunkel.fts", 48, 36, 1);
    gProgramState.Method = c.method;
    ChooserScript choosers;
    if (c.method == 0) choosers.Choose(dark);
    MessageBoxScript boxes;
    DialogDriver driver;
    driver.Then(kTitleA, [&c](HWND dlg) {
      EXPECT_EQ(BST_CHECKED, IsDlgButtonChecked(dlg, IDC_DARK_FROM_FILE + c.method));
      EXPECT_EQ(c.method == 1 ? 120 : c.method == 2 ? 95 : 100, TrackbarPosition(dlg, IDC_DARK_LEVEL));
      EXPECT_FALSE(Enabled(dlg, IDC_DARK_TAKE));
      EXPECT_STREQ(kTitleA, HotKeyDialogTitle[kHotKeyDark]);
      EXPECT_EQ(0, gProgramState.SourceBuffer);
      if (c.method == 0) DialogDriver::Click(dlg, IDC_DARK_FETCH);
      DialogDriver::Click(dlg, IDC_DARK_CORRECT);
      EXPECT_TRUE(Enabled(dlg, IDC_DARK_TAKE));
      DialogDriver::Click(dlg, IDC_DARK_CORRECT);
      DialogDriver::Click(dlg, IDC_DARK_TAKE);
    });
    SendCommand(IDM_DARK_FRAME);
    EXPECT_TRUE(driver.Done());
    EXPECT_EQ(0u, boxes.Count());
    EXPECT_EQ(Less(before, c.background(before, dark)), Samples(1));
    EXPECT_EQ(before, Samples(5)) << "the undo copy";
    if (c.method == 1) {
      EXPECT_DOUBLE_EQ(1.2, gProgramState.EffOfPolynom);
    }
  }
}

TEST_F(DarkFrameDialogTest, ALoadedDarkFrameIsNotWrittenAndThePreviewShowsWhatIs) {
  LoadSpread(1, 1200, 900, 0);
  const std::vector<int16_t> before = Samples(1);
  const std::string dark = WriteDark("dunkel.fts", 1200, 900, 0);
  gProgramState.Method = 0;
  ChooserScript choosers;
  choosers.Choose(dark);
  MessageBoxScript boxes;
  DialogDriver driver;
  driver.Then(kTitleA, [&before](HWND dlg) {
    DialogDriver::Click(dlg, IDC_DARK_CORRECT);   // no dark frame yet
    EXPECT_FALSE(Enabled(dlg, IDC_DARK_TAKE));
    DialogDriver::Click(dlg, IDC_DARK_FETCH);
    EXPECT_EQ("dunkel.fts", DialogDriver::ItemText(dlg, IDC_DARK_FILE_NAME));
    EXPECT_TRUE(Enabled(dlg, IDC_DARK_CORRECT));
    EXPECT_TRUE(Enabled(dlg, IDC_DARK_SAVE));
    EXPECT_FALSE(Enabled(dlg, IDC_DARK_TAKE)) << "only a correction is taken over";
    DialogDriver::Click(dlg, IDC_DARK_TAKE);
    EXPECT_TRUE(IsWindow(dlg));
    DialogDriver::Click(dlg, IDC_DARK_CORRECT);
    // Scrolled and zoomed, the preview shows the corrected picture.
    StepBar(dlg, IDC_DARK_HSCROLL, SB_PAGERIGHT);
    StepBar(dlg, IDC_DARK_VSCROLL, SB_LINEDOWN, WM_VSCROLL);
    DialogDriver::Click(dlg, IDC_DARK_MINUS);
    StepBar(dlg, IDC_DARK_HSCROLL, SB_PAGERIGHT);
    const PreviewPane* pane = PreviewPaneOf(dlg);
    ImageHeader h = Header(1);
    const std::vector<int16_t> corrected = Less(before, LoadPictureFile(ProgramFile("dunkel.fts")));
    HDC dc = GetDC(dlg);
    HBITMAP expected = CreateZoomBitmap(dc, corrected.data(), &h, &gProgramState, *pane->reduction, pane->posX,
                                        pane->posY, pane->viewW, pane->viewH, pane->rangeX, pane->rangeY);
    ReleaseDC(dlg, dc);
    EXPECT_EQ(Pixels(expected), Pixels(pane->bitmap));
    DeleteObject(expected);
    DialogDriver::Click(dlg, IDC_DARK_CANCEL);
  });
  SendCommand(IDM_DARK_FRAME);
  EXPECT_TRUE(driver.Done());
  ASSERT_EQ(1u, boxes.Count());
  EXPECT_EQ("Es muß noch eine Dunkelstromdatei geladen werden!", boxes.Box(0).text);
  EXPECT_EQ(before, Samples(1));
}

TEST_F(DarkFrameDialogTest, ADarkFrameOfAnotherKindIsRefused) {
  LoadSpread(1, 40, 30, 0);
  const std::string dark = WriteDark("bunt.fts", 40, 30, 1);
  gProgramState.Method = 0;
  ChooserScript choosers;
  choosers.Choose(dark).Cancel();
  MessageBoxScript boxes;
  DialogDriver driver;
  driver.Then(kTitleA, [](HWND dlg) {
    DialogDriver::Click(dlg, IDC_DARK_FETCH);
    EXPECT_FALSE(Enabled(dlg, IDC_DARK_CORRECT));
    EXPECT_FALSE(Enabled(dlg, IDC_DARK_SAVE));
    DialogDriver::Click(dlg, IDC_DARK_FROM_FILE);
    EXPECT_FALSE(Enabled(dlg, IDC_DARK_CORRECT)) << "no dark frame counts as loaded";
    DialogDriver::Click(dlg, IDC_DARK_FETCH);
    EXPECT_EQ("Keiner", DialogDriver::ItemText(dlg, IDC_DARK_FILE_NAME));
    DialogDriver::Click(dlg, IDC_DARK_CANCEL);
  });
  SendCommand(IDM_DARK_FRAME);
  EXPECT_TRUE(driver.Done());
  ASSERT_EQ(1u, boxes.Count());
  EXPECT_EQ("Dunkelstrom paßt nicht zum Bild !", boxes.Box(0).text);
}

TEST_F(DarkFrameDialogTest, SavingWithTheFftFilterSavesTheMaskedBackgroundAtTheSlidersFactor) {
  LoadSpread(1, 64, 48, 0);
  const std::vector<int16_t> before = Samples(1);
  const std::string saved = ProgramFile("Dunkel.FTS");
  DeleteFileA(saved.c_str());
  gProgramState.Method = 2;
  const long blocks = LiveMemBlocks();
  ChooserScript choosers;
  choosers.Choose(saved);
  DialogDriver driver;
  driver.Then(kTitleA, [](HWND dlg) {
    MoveTrackbar(dlg, IDC_DARK_LEVEL, 90);
    EXPECT_DOUBLE_EQ(0.9, gProgramState.EffOfPolynom);
    DialogDriver::Click(dlg, IDC_DARK_SAVE);
    EXPECT_FALSE(Enabled(dlg, IDC_DARK_TAKE)) << "the background is shown, not a correction";
    DialogDriver::Click(dlg, IDC_DARK_CANCEL);
  });
  SendCommand(IDM_DARK_FRAME);
  EXPECT_TRUE(driver.Done());
  ASSERT_EQ(1u, choosers.Count());
  EXPECT_EQ("Dunkelstrom als Datei speichern ...", choosers.Chooser(0).title);
  const ImageHeader h = Header(1);
  std::vector<int16_t> background(before.size());
  FftFilterImage(background.data(), before.data(), &h, 0.9, nullptr);
  EstimateBackground(background.data(), before.data(), &h, 0.9, 1, nullptr);
  EXPECT_EQ(background, LoadPictureFile(saved));
  EXPECT_EQ(before, Samples(1));
  EXPECT_EQ(blocks, LiveMemBlocks());
  EXPECT_DOUBLE_EQ(1.0, gProgramState.EffOfPolynom) << "cancelled";
}

TEST_F(DarkFrameDialogTest, TheHistogramEndsAtFourTimesItsPeak) {
  EXPECT_EQ(400, DarkHistogramTop(50));
  EXPECT_EQ(400, DarkHistogramTop(0));
  EXPECT_EQ(4000, DarkHistogramTop(1000));
  EXPECT_EQ(32767, DarkHistogramTop(10000));
}

}  // namespace
