// The star removal opened from the menu as a user opens it: its templates,
// the bars, the whole picture masked with the full radii whatever the
// preview's reduction, stars put back from memory and from a mask file, the
// mask saved, and the messages of a bad mask file or an empty buffer.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "editing/stars/star_dialogs.h"
#include "editing/stars/star_ids.h"
#include "imageio/picture_files.h"
#include "imagelib/stars.h"
#include "shell/menu_ids.h"
#include "tests/editing/stars/star_dialog_fixture.h"
#include "tests/shell/testkit/chooser_script.h"
#include "tests/shell/testkit/dialog_resource.h"
#include "tests/shell/testkit/live_counts.h"
#include "tests/shell/testkit/message_script.h"

namespace {

constexpr char kTitle[] = "Sterne aus- und einmaskieren";

class StarRemovalDialogTest : public StarDialogTest {
 protected:
  // MaskStars on buffer A's picture as the settings stand: the picture and the mask.
  static std::vector<int16_t> Masked(std::vector<int16_t>* maskOut = nullptr) {
    const ProgramState* ps = &gProgramState;
    const ImageHeader h = Header(1);
    std::vector<int16_t> a = Samples(1), out(a.size());
    int16_t* mask = nullptr;
    EXPECT_EQ(IMG_OK, MaskStars(out.data(), a.data(), &h, ps->Masklevel, ps->Maskradius,
                                ps->IsBlueLimb ? ps->Blueradius : 0, &mask));
    if (maskOut) maskOut->assign(mask, mask + a.size());
    FreeMem(&mask);
    return out;
  }
};

TEST_F(StarRemovalDialogTest, BothSizesHoldEveryControlAndFitTheirScreens) {
  const struct {
    const char* name;
    int width, height;
  } sizes[] = {{"removestars800", 800, 600}, {"removestars1024", 1024, 768}};
  const struct {
    int id;
    const char* text;
  } controls[] = {
      {IDC_STARS_APPLY, "&Übernehmen"},        {IDC_STARS_CANCEL, "&Abbruch"},
      {IDC_STARS_SAVE_MASK, "Maske &speichern ..."}, {IDC_STARS_MASK_OUT, "Ausmaskieren"},
      {IDC_STARS_MASK_IN, "Einmaskieren"},     {IDC_STARS_BLUE_LIMB, "Blausaumkorrekt."},
      {IDC_STARS_MINUS, "-"},                  {IDC_STARS_PLUS, "+"},
      {IDC_STARS_TARGET_A, "Puffer &A"},       {IDC_STARS_TARGET_A + 1, "Puffer &B"},
      {IDC_STARS_TARGET_A + 2, "Puffer &C"},   {IDC_STARS_TARGET_D, "Puffer &D"},
  };
  for (const auto& s : sizes) {
    DialogResourceProbe probe(s.name);
    ASSERT_TRUE(probe.Ok()) << s.name;
    EXPECT_EQ(kTitle, probe.Title());
    for (const auto& c : controls) EXPECT_EQ(c.text, probe.Text(c.id)) << s.name << " " << c.id;
    for (int bar : {IDC_STARS_RADIUS_BAR, IDC_STARS_BLUE_BAR, IDC_STARS_LEVEL_BAR, IDC_STARS_HSCROLL,
                    IDC_STARS_VSCROLL})
      EXPECT_EQ("ScrollBar", probe.ClassOf(bar)) << s.name << " " << bar;
    for (int text : {IDC_STARS_RADIUS_VALUE, IDC_STARS_BLUE_VALUE, IDC_STARS_LEVEL_VALUE, IDC_STARS_PREVIEW,
                     IDC_STARS_BLUE_LABEL})
      EXPECT_TRUE(probe.Has(text)) << s.name << " " << text;
    const std::vector<std::string> texts = probe.Texts();
    for (const char* label : {"Sternradius", "Erkennungsschwelle", "Blausaumbreite", "Ziel"})
      EXPECT_NE(texts.end(), std::find(texts.begin(), texts.end(), label)) << s.name << " " << label;
    EXPECT_TRUE(probe.StyleOf(IDC_STARS_APPLY) & BS_DEFPUSHBUTTON);
    EXPECT_LE(probe.Size().cx, s.width) << s.name;
    EXPECT_LE(probe.Size().cy, s.height) << s.name;
  }
}

TEST_F(StarRemovalDialogTest, BarsOpenFromTheSettingsWithinTheirRanges) {
  LoadStarry(1);
  gProgramState.Maskradius = 40;   // from a hand-edited file
  gProgramState.Blueradius = 3;
  DialogDriver driver;
  driver.Then(kTitle, [](HWND dlg) {
    EXPECT_EQ(3, BarPosition(dlg, IDC_STARS_LEVEL_BAR)) << "Masklevel 0.15";
    EXPECT_EQ("0.15", DialogDriver::ItemText(dlg, IDC_STARS_LEVEL_VALUE));
    EXPECT_EQ(14, gProgramState.Maskradius) << "limited to the bar";
    EXPECT_EQ("14", DialogDriver::ItemText(dlg, IDC_STARS_RADIUS_VALUE));
    StepBar(dlg, IDC_STARS_RADIUS_BAR, SB_LINERIGHT);
    EXPECT_EQ(14, gProgramState.Maskradius) << "the bar's end is the setting's end";
    StepBar(dlg, IDC_STARS_LEVEL_BAR, SB_LINERIGHT);
    EXPECT_DOUBLE_EQ(0.20, gProgramState.Masklevel);
    EXPECT_EQ("0.20", DialogDriver::ItemText(dlg, IDC_STARS_LEVEL_VALUE));
    EXPECT_FALSE(Enabled(dlg, IDC_STARS_BLUE_BAR)) << "Blausaumkorrekt. is off";
    DialogDriver::Click(dlg, IDC_STARS_BLUE_LIMB);
    EXPECT_TRUE(gProgramState.IsBlueLimb);
    EXPECT_TRUE(Enabled(dlg, IDC_STARS_BLUE_BAR));
    EXPECT_TRUE(Enabled(dlg, IDC_STARS_BLUE_VALUE));
    DialogDriver::Click(dlg, IDC_STARS_CANCEL);
  });
  SendCommand(IDM_REMOVE_STARS);
  EXPECT_TRUE(driver.Done());
  EXPECT_EQ(40, gProgramState.Maskradius) << "cancel brings the settings from before back";
  EXPECT_FALSE(gProgramState.IsBlueLimb);
}

TEST_F(StarRemovalDialogTest, TheWholePictureLosesItsStarsWithTheFullRadiiAtAnyReduction) {
  LoadStarry(1);
  LoadStarry(2, 30, 20);
  gProgramState.IsBlueLimb = 1;
  gProgramState.Blueradius = 2;
  const std::vector<int16_t> a = Samples(1), b = Samples(2);
  DialogDriver driver;
  driver.Then(kTitle, [](HWND dlg) {
    SetReduction(dlg, IDC_STARS_MINUS, IDC_STARS_PLUS, 3);
    DialogDriver::Click(dlg, IDC_STARS_MASK_OUT);
    DialogDriver::Click(dlg, IDC_STARS_TARGET_A + 1);
    DialogDriver::Click(dlg, IDC_STARS_APPLY);
  });
  const long blocks = LiveMemBlocks();
  SendCommand(IDM_REMOVE_STARS);
  EXPECT_TRUE(driver.Done());
  const std::vector<int16_t> expected = Masked();
  EXPECT_NE(a, expected) << "the picture has stars to lose";
  EXPECT_EQ(expected, Samples(2));
  EXPECT_EQ(a, Samples(1));
  EXPECT_EQ(b, Samples(6)) << "buffer B's picture before is its undo copy";
  EXPECT_EQ(blocks + 1, LiveMemBlocks()) << "B and its undo copy; the dialog kept nothing";
}

TEST_F(StarRemovalDialogTest, StarsPutBackFromMemoryLeaveThePictureAsItWas) {
  LoadStarry(1);
  const std::vector<int16_t> a = Samples(1);
  DialogDriver driver;
  driver.Then(kTitle, [](HWND dlg) {
    DialogDriver::Click(dlg, IDC_STARS_MASK_OUT);
    DialogDriver::Click(dlg, IDC_STARS_MASK_IN);
    DialogDriver::Click(dlg, IDC_STARS_TARGET_A + 2);
    DialogDriver::Click(dlg, IDC_STARS_APPLY);
  });
  ChooserScript choosers;   // no chooser may open
  SendCommand(IDM_REMOVE_STARS);
  EXPECT_TRUE(driver.Done());
  EXPECT_EQ(0u, choosers.Count());
  EXPECT_EQ(a, Samples(3));
  EXPECT_EQ(a, Samples(1));
}

TEST_F(StarRemovalDialogTest, TheSavedMaskPutsTheStarsBackIntoAStarlessPicture) {
  LoadStarry(1);
  const std::vector<int16_t> a = Samples(1);
  std::vector<int16_t> mask;
  const std::vector<int16_t> starless = Masked(&mask);
  const std::string file = ProgramFile("maske.fts");
  {
    ChooserScript choosers;
    choosers.Choose(file.c_str());
    DialogDriver driver;
    driver.Then(kTitle, [](HWND dlg) {
      DialogDriver::Click(dlg, IDC_STARS_MASK_OUT);
      DialogDriver::Click(dlg, IDC_STARS_SAVE_MASK);
      DialogDriver::Click(dlg, IDC_STARS_APPLY);
    });
    SendCommand(IDM_REMOVE_STARS);
    EXPECT_TRUE(driver.Done());
    ASSERT_EQ(1u, choosers.Count());
    EXPECT_EQ("Sternmaske abspeichern ...", choosers.Chooser(0).title);
    EXPECT_EQ("FITS-Bilder", choosers.Chooser(0).filter.at(0));
    EXPECT_EQ(starless, Samples(1));
  }
  int16_t* saved = nullptr;
  ImageHeader h;
  ImageMetadata m;
  InitImageHeader(&h);
  InitImageMetadata(&m);
  ASSERT_TRUE(LoadImageFile(file.c_str(), "FTS", 0, &saved, &h, &m));
  EXPECT_EQ(mask, std::vector<int16_t>(saved, saved + mask.size()));
  FreeMem(&saved);

  // Later: the stars of the file back into the starless picture.
  ChooserScript choosers;
  choosers.Choose(file.c_str());
  DialogDriver driver;
  driver.Then(kTitle, [](HWND dlg) {
    DialogDriver::Click(dlg, IDC_STARS_MASK_IN);
    DialogDriver::Click(dlg, IDC_STARS_TARGET_A + 3);
    DialogDriver::Click(dlg, IDC_STARS_APPLY);
  });
  SendCommand(IDM_REMOVE_STARS);
  EXPECT_TRUE(driver.Done());
  ASSERT_EQ(1u, choosers.Count());
  EXPECT_EQ("Sternmaske laden ...", choosers.Chooser(0).title);
  std::vector<int16_t> back(starless.size());
  const ImageHeader ha = Header(1);
  ASSERT_EQ(IMG_OK, ReplaceMaskedPixels(back.data(), starless.data(), mask.data(), &ha));
  EXPECT_EQ(back, Samples(4));
}

TEST_F(StarRemovalDialogTest, AMaskFileThatDoesNotFitIsRefusedAndTheDialogStays) {
  LoadStarry(1);
  LoadStarry(2, 40, 30);
  const ImageHeader small = Header(2);
  const std::string wrong = ProgramFile("klein.fts");
  ASSERT_TRUE(SaveImageFile(wrong.c_str(), "FTS", 0, GetSlotPixels(2, &gProgramState), &small));
  const std::string missing = ProgramFile("fehlt.fts");
  const std::vector<int16_t> a = Samples(1);
  ChooserScript choosers;
  choosers.Choose(wrong.c_str());
  choosers.Choose(missing.c_str());
  MessageBoxScript boxes;
  DialogDriver driver;
  driver.Then(kTitle, [](HWND dlg) {
    DialogDriver::Click(dlg, IDC_STARS_MASK_IN);
    DialogDriver::Click(dlg, IDC_STARS_MASK_IN);
    EXPECT_TRUE(IsWindowVisible(dlg)) << "still open";
    DialogDriver::Click(dlg, IDC_STARS_APPLY);
  });
  SendCommand(IDM_REMOVE_STARS);
  EXPECT_TRUE(driver.Done());
  ASSERT_EQ(2u, boxes.Count());
  EXPECT_EQ("Sternmaske paßt nicht zum Bild", boxes.Box(0).text);
  EXPECT_EQ("Fehlermeldung", boxes.Box(0).title);
  EXPECT_EQ("Sternmaske " + missing + " nicht ladbar !", boxes.Box(1).text);
  EXPECT_EQ(a, Samples(1)) << "nothing chosen: the picture unchanged";
}

TEST_F(StarRemovalDialogTest, AnEmptySourceIsRefusedAtOpening) {
  MessageBoxScript boxes;
  const INT_PTR r =
      DialogBoxParamA(GetModuleHandleA(nullptr), "removestars1024", Frame(), RemoveStarsDlgProc, 0);
  EXPECT_EQ(0, r);
  ASSERT_EQ(1u, boxes.Count());
  EXPECT_EQ("Der Puffer A ist leer !", boxes.Box(0).text);
  EXPECT_EQ(0, IsSlotLoaded(1, &gProgramState));
}

}  // namespace
