// The flat-field dialog from the menu, with flat fields from files through
// the choosers and simulated from the picture: the templates, the division
// against the image library, grey flats on colour pictures, refused and
// failed loads that leave the dialog's flat field as it was, the simulation
// written and saved, and the way out.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "editing/calibration/calibration_ids.h"
#include "editing/calibration/flat_field_dialog.h"
#include "imagelib/fft_filters.h"
#include "imagelib/flat_dark.h"
#include "shell/dialogkit/preview_pane.h"
#include "shell/hotkey_titles.h"
#include "shell/menu_ids.h"
#include "tests/editing/contrast_test_kit.h"
#include "tests/shell/testkit/chooser_script.h"
#include "tests/shell/testkit/dialog_driver.h"
#include "tests/shell/testkit/dialog_resource.h"
#include "tests/shell/testkit/live_counts.h"
#include "tests/shell/testkit/message_script.h"

namespace {

constexpr char kTitleA[] = "Flatfieldkorrektur von Puffer A";

class FlatFieldDialogTest : public EditingDialogTest {
 protected:
  // A flat field file: brighter in the middle than at the edges.
  static std::string WriteFlat(const char* name, int w, int h, int colourType) {
    static int width;
    width = w;
    return WritePictureFile(name, w, h, colourType, [](int x, int y, int c) {
      return int16_t(12000 + 40 * (x < width - x ? x : width - x) + 30 * y + 500 * c);
    });
  }
  static std::vector<int16_t> Divided(const std::vector<int16_t>& light, const std::vector<int16_t>& flat) {
    const ImageHeader h = Header(1);
    std::vector<int16_t> out(light.size());
    EXPECT_EQ(IMG_OK, DivideFlatField(out.data(), light.data(), flat.data(), &h));
    return out;
  }
  static std::vector<int16_t> Simulated(const std::vector<int16_t>& light) {
    const ImageHeader h = Header(1);
    std::vector<int16_t> out(light.size());
    FftFilterImage(out.data(), light.data(), &h, 1.01, nullptr);
    EstimateBackground(out.data(), light.data(), &h, 1.0, 1, nullptr);
    return out;
  }
};

TEST_F(FlatFieldDialogTest, BothTemplatesHoldEveryControlAndFitTheirScreens) {
  for (const auto& size : {std::make_pair("flatfield800", 600), std::make_pair("flatfield1024", 768)}) {
    DialogResourceProbe probe(size.first);
    ASSERT_TRUE(probe.Ok()) << size.first;
    EXPECT_EQ("Flatfieldkorrektur eines Puffers", probe.Title());
    const struct {
      int id;
      const char* text;
    } controls[] = {{108, "Aus Datei"},   {109, "Simulation"}, {106, "&Holen"},
                    {105, "Keines"},      {102, "&Korrigieren"}, {107, "Flatfield &speichern"},
                    {104, "&Gut"},        {103, "&Abbruch"},   {113, "-"}, {114, "+"}};
    for (const auto& c : controls) EXPECT_EQ(c.text, probe.Text(c.id)) << size.first << " " << c.id;
    for (int id : {111, 112}) EXPECT_EQ("ScrollBar", probe.ClassOf(id));
    for (int id : {101, 110}) EXPECT_TRUE(probe.Has(id));
    EXPECT_LE(probe.Size().cy, size.second) << size.first;
    EXPECT_LE(probe.Size().cx, size.second * 4 / 3) << size.first;
  }
}

TEST_F(FlatFieldDialogTest, ALoadedFlatDividesThePictureAndCorrectingTwiceEqualsOnce) {
  LoadSpread(1, 48, 36, 1);
  const std::vector<int16_t> before = Samples(1);
  const std::string path = WriteFlat("flach.fts", 48, 36, 1);
  const std::vector<int16_t> flat = LoadPictureFile(path);
  const long blocks = LiveMemBlocks();
  ChooserScript choosers;
  choosers.Choose(path);
  MessageBoxScript boxes;
  DialogDriver driver;
  driver.Then(kTitleA, [](HWND dlg) {
    EXPECT_FALSE(Enabled(dlg, IDC_FLAT_CORRECT));
    EXPECT_FALSE(Enabled(dlg, IDC_FLAT_GOOD));
    EXPECT_EQ(BST_CHECKED, IsDlgButtonChecked(dlg, IDC_FLAT_FROM_FILE));
    EXPECT_STREQ(kTitleA, HotKeyDialogTitle[kHotKeyFlat]);
    DialogDriver::Click(dlg, IDC_FLAT_FETCH);
    EXPECT_EQ("flach.fts", DialogDriver::ItemText(dlg, IDC_FLAT_FILE_NAME));
    EXPECT_TRUE(Enabled(dlg, IDC_FLAT_CORRECT));
    DialogDriver::Click(dlg, IDC_FLAT_CORRECT);
    EXPECT_TRUE(Enabled(dlg, IDC_FLAT_GOOD));
    DialogDriver::Click(dlg, IDC_FLAT_CORRECT);
    DialogDriver::Click(dlg, IDC_FLAT_GOOD);
  });
  SendCommand(IDM_FLAT_FIELD);
  EXPECT_TRUE(driver.Done());
  EXPECT_EQ(0u, boxes.Count());
  ASSERT_EQ(1u, choosers.Count());
  EXPECT_EQ("Flatfield aus Datei laden ...", choosers.Chooser(0).title);
  EXPECT_EQ("Bildformate", choosers.Chooser(0).filter[0]);
  EXPECT_EQ(ChooserKind::PictureOpen, choosers.Chooser(0).kind);
  EXPECT_EQ(Divided(before, flat), Samples(1));
  EXPECT_NE(before, Samples(1));
  EXPECT_EQ(before, Samples(5)) << "the undo copy";
  EXPECT_EQ(blocks + 1, LiveMemBlocks()) << "only the undo copy is new";
}

TEST_F(FlatFieldDialogTest, AGreyFlatDividesEachColourSampleByItsPixelsValue) {
  LoadSpread(1, 40, 30, 1);
  const std::vector<int16_t> before = Samples(1);
  const std::string path = WriteFlat("grau.fts", 40, 30, 0);
  const std::vector<int16_t> grey = LoadPictureFile(path);
  std::vector<int16_t> widened(grey.size() * 3);
  for (size_t i = 0; i < grey.size(); ++i) widened[3 * i] = widened[3 * i + 1] = widened[3 * i + 2] = grey[i];
  ChooserScript choosers;
  choosers.Choose(path);
  DialogDriver driver;
  driver.Then(kTitleA, [](HWND dlg) {
    DialogDriver::Click(dlg, IDC_FLAT_FETCH);
    DialogDriver::Click(dlg, IDC_FLAT_CORRECT);
    DialogDriver::Click(dlg, IDC_FLAT_GOOD);
  });
  SendCommand(IDM_FLAT_FIELD);
  EXPECT_TRUE(driver.Done());
  EXPECT_EQ(Divided(before, widened), Samples(1));
}

TEST_F(FlatFieldDialogTest, RefusedAndFailedLoadsKeepTheFlatFieldThatWasThere) {
  LoadSpread(1, 40, 30, 1);
  const std::vector<int16_t> before = Samples(1);
  const std::string good = WriteFlat("gut.fts", 40, 30, 1);
  const std::string small = WriteFlat("klein.fts", 20, 30, 1);
  const std::string broken = ProgramFile("kaputt.fts");
  FILE* f = std::fopen(broken.c_str(), "wb");
  std::fputs("SIMPLE  = kein FITS", f);
  std::fclose(f);
  const std::vector<int16_t> flat = LoadPictureFile(good);
  ChooserScript choosers;
  choosers.Cancel().Choose(good).Choose(small).Choose(good).Choose(broken);
  MessageBoxScript boxes;
  DialogDriver driver;
  driver.Then(kTitleA, [](HWND dlg) {
    DialogDriver::Click(dlg, IDC_FLAT_FETCH);
    EXPECT_EQ("Keiner", DialogDriver::ItemText(dlg, IDC_FLAT_FILE_NAME));
    EXPECT_FALSE(Enabled(dlg, IDC_FLAT_CORRECT));
    EXPECT_FALSE(Enabled(dlg, IDC_FLAT_GOOD));
    DialogDriver::Click(dlg, IDC_FLAT_FETCH);
    const std::vector<uint32_t> shown = Pixels(PreviewPaneOf(dlg)->bitmap);
    DialogDriver::Click(dlg, IDC_FLAT_FETCH);
    EXPECT_FALSE(Enabled(dlg, IDC_FLAT_CORRECT)) << "a flat of another size";
    EXPECT_EQ(shown, Pixels(PreviewPaneOf(dlg)->bitmap)) << "the preview keeps its picture";
    DialogDriver::Click(dlg, IDC_FLAT_FETCH);
    DialogDriver::Click(dlg, IDC_FLAT_FETCH);
    EXPECT_EQ("kaputt.fts", DialogDriver::ItemText(dlg, IDC_FLAT_FILE_NAME));
    EXPECT_TRUE(Enabled(dlg, IDC_FLAT_CORRECT)) << "the flat field before is still there";
    DialogDriver::Click(dlg, IDC_FLAT_CORRECT);
    DialogDriver::Click(dlg, IDC_FLAT_GOOD);
  });
  SendCommand(IDM_FLAT_FIELD);
  EXPECT_TRUE(driver.Done());
  // The FITS reader names its own failure before the dialog does.
  ASSERT_EQ(3u, boxes.Count());
  EXPECT_EQ("Flatfield paßt nicht zum Bild !", boxes.Box(0).text);
  EXPECT_EQ("Laden des Flatfields nicht möglich !", boxes.Box(2).text);
  EXPECT_EQ("Fehlermeldung", boxes.Box(2).title);
  EXPECT_EQ(Divided(before, flat), Samples(1));
}

TEST_F(FlatFieldDialogTest, TheSimulationIsShownWrittenAndSaved) {
  LoadSpread(1, 64, 48, 0);
  const std::vector<int16_t> before = Samples(1);
  const std::string saved = ProgramFile("Flatfield.FTS");
  DeleteFileA(saved.c_str());
  ChooserScript choosers;
  choosers.Choose(saved);
  MessageBoxScript boxes;
  DialogDriver driver;
  driver.Then(kTitleA, [](HWND dlg) {
    const std::vector<uint32_t> picture = Pixels(PreviewPaneOf(dlg)->bitmap);
    DialogDriver::Click(dlg, IDC_FLAT_SIMULATION);
    EXPECT_FALSE(Enabled(dlg, IDC_FLAT_FETCH));
    EXPECT_TRUE(Enabled(dlg, IDC_FLAT_CORRECT));
    EXPECT_TRUE(Enabled(dlg, IDC_FLAT_GOOD));
    EXPECT_NE(picture, Pixels(PreviewPaneOf(dlg)->bitmap)) << "the flat field is shown";
    const std::string status = DialogDriver::ItemText(dlg, IDC_FLAT_STATUS);
    EXPECT_NE(std::string::npos, status.find("% bearbeitet")) << status;
    DialogDriver::Click(dlg, IDC_FLAT_SAVE);
    DialogDriver::Click(dlg, IDC_FLAT_GOOD);
  });
  SendCommand(IDM_FLAT_FIELD);
  EXPECT_TRUE(driver.Done());
  EXPECT_EQ(0u, boxes.Count());
  ASSERT_EQ(1u, choosers.Count());
  EXPECT_EQ("Flatfield als Datei speichern ...", choosers.Chooser(0).title);
  EXPECT_EQ("Flatfield", choosers.Chooser(0).proposal.substr(0, 9));
  const std::vector<int16_t> simulation = Simulated(before);
  EXPECT_EQ(simulation, Samples(1)) << "\"&Gut\" writes the flat field shown";
  EXPECT_EQ(simulation, LoadPictureFile(saved));
}

TEST_F(FlatFieldDialogTest, AnEmptyBufferLeavesTheDialogOpenWithoutGut) {
  MessageBoxScript boxes;
  const long blocks = LiveMemBlocks();
  DialogDriver driver;
  driver.Then(kTitleA, [](HWND dlg) {
    EXPECT_FALSE(Enabled(dlg, IDC_FLAT_GOOD));
    DialogDriver::Click(dlg, IDC_FLAT_SIMULATION);   // nothing to simulate from
    DialogDriver::Click(dlg, IDC_FLAT_CANCEL);
  });
  EXPECT_EQ(0, DialogBoxParamA(GetModuleHandleA(nullptr), "flatfield800", Frame(), FlatFieldDlgProc, 0));
  EXPECT_TRUE(driver.Done());
  ASSERT_EQ(1u, boxes.Count());
  EXPECT_EQ("Der Puffer A ist leer !", boxes.Box(0).text);
  EXPECT_EQ(blocks, LiveMemBlocks());
}

}  // namespace
