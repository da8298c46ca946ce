// The scaling, flip, shift-difference and cut-out dialogs opened from the
// menu and driven as a user drives them, each checked against its operator
// on the buffers and files it writes.
#include <windows.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "editing/geometry/geometry_ids.h"
#include "imagelib/centroid.h"
#include "imagelib/gradients.h"
#include "imagelib/primitives.h"
#include "imagelib/resample.h"
#include "imageio/picture_files.h"
#include "shell/buffer_slots.h"
#include "shell/dialogkit/preview_pane.h"
#include "shell/menu_ids.h"
#include "shell/settings.h"
#include "tests/editing/edit_dialog_fixture.h"
#include "tests/shell/testkit/chooser_script.h"
#include "tests/shell/testkit/dialog_driver.h"
#include "tests/shell/testkit/dialog_resource.h"
#include "tests/shell/testkit/live_counts.h"
#include "tests/shell/testkit/message_script.h"

namespace {

constexpr double kDegree = 0.017453292519943295;

int16_t Texture(int x, int y, int c) { return int16_t((x * 211 + y * 97 + c * 5003 + (x * y) % 89 * 31) % 30000); }

class GeometryDialogTest : public EditDialogTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    LoadDefaults({kSectionEnlarge, kSectionRotate, kSectionShiftdifferenz, kSectionPicSave, kSectionFitImage});
  }
};

TEST_F(GeometryDialogTest, TheTemplatesHoldTheirControlsAndFitTheirScreens) {
  const struct {
    const char* name;
    const char* title;
    LONG maxW, maxH;
    std::vector<std::pair<int, const char*>> controls;
  } templates[] = {
      {"vergroessern800", "Größe, Positionswinkel und Entzerrung einstellen ...", 800, 600,
       {{IDC_SCALE_OK, "&Gut"}, {IDC_SCALE_CANCEL, "&Abbrechen"}, {IDC_SCALE_PICK_UP, "Pick Up"},
        {IDC_SCALE_MEAN, "Mittelwert"}, {IDC_SCALE_NEAREST, "Nachbar"}, {IDC_SCALE_NEAREST + 1, "Bilinear"},
        {IDC_SCALE_LANCZOS, "Lanczos 2"}, {IDC_SCALE_SECTION, "Ausschnitt"}, {IDC_SCALE_DOWN, "Ab"},
        {IDC_SCALE_RIGHT, "Rechts"}, {IDC_SCALE_LEFT, "Links"}, {IDC_SCALE_UP, "Auf"},
        {IDC_SCALE_CLOCKWISE, "Uhr"}, {IDC_SCALE_ANTICLOCKWISE, "! Uhr"}, {IDC_SCALE_TARGET_D, "Puffer &D"},
        {IDC_SCALE_PIXEL_GROUP, "Pixelmaß [µm]"}, {IDC_SCALE_MINUS, "-"}, {IDC_SCALE_PLUS, "+"}}},
      {"vergroessern1024", "Größe, Positionswinkel und Entzerrung einstellen ...", 1024, 768,
       {{IDC_SCALE_PIXEL_GROUP, "Pixelverzerrung"}, {IDC_SCALE_TARGET_A, "Puffer &A"}, {IDC_SCALE_OK, "&Gut"}}},
      {"flipmirror800", "Spiegeln und Aufrichten", 800, 600,
       {{IDC_FLIP_FIRST, "Aufrichten"}, {IDC_FLIP_FIRST + 1, "Spiegeln"}, {IDC_FLIP_FIRST + 2, "Umdrehen"},
        {IDC_FLIP_FIRST + 3, "Links kippen"}, {IDC_FLIP_LAST, "Rechts kippen"}, {IDC_FLIP_TARGET_A, "Puffer &A"},
        {IDC_FLIP_RUN, "&Ausführen"}, {IDC_FLIP_CANCEL, "&Abbrechen"}, {IDC_FLIP_MINUS, "-"}, {IDC_FLIP_PLUS, "+"}}},
      {"flipmirror1024", "Spiegeln und Aufrichten", 1024, 768, {{IDC_FLIP_RUN, "&Ausführen"}}},
      {"shiftdifferenz800", "Geshiftete Differenz abziehen ...", 800, 600,
       {{IDC_SHIFT_TURN, "Winkel"}, {IDC_SHIFT_TURN + 1, "Tangente"}, {IDC_SHIFT_RADIUS, "Radius"},
        {IDC_SHIFT_DOWN, "Ab"}, {IDC_SHIFT_RIGHT, "Rechts"}, {IDC_SHIFT_LEFT, "Links"}, {IDC_SHIFT_UP, "Auf"},
        {IDC_SHIFT_OK, "&Gut"}, {IDC_SHIFT_CANCEL, "&Abbrechen"}, {IDC_SHIFT_TARGET_D, "Puffer &D"}}},
      {"shiftdifferenz1024", "Geshiftete Differenz abziehen ...", 1024, 768, {{IDC_SHIFT_OK, "&Gut"}}},
      {"bildausschneiden", "Bild ausschneiden", 800, 600, {{IDC_CUT_OK, "&Gut"}, {IDC_CUT_CANCEL, "&Abbruch"}}},
  };
  for (const auto& t : templates) {
    DialogResourceProbe probe(t.name);
    ASSERT_TRUE(probe.Ok()) << t.name;
    EXPECT_EQ(t.title, probe.Title()) << t.name;
    for (const auto& c : t.controls) EXPECT_EQ(c.second, probe.Text(c.first)) << t.name << " " << c.first;
    EXPECT_LE(probe.Size().cx, t.maxW) << t.name;
    EXPECT_LE(probe.Size().cy, t.maxH) << t.name;
  }
  DialogResourceProbe scaling("vergroessern800");
  for (int id : {IDC_SCALE_FACTOR, IDC_SCALE_VSCROLL, IDC_SCALE_HSCROLL}) EXPECT_EQ("ScrollBar", scaling.ClassOf(id));
  for (int id : {IDC_SCALE_WIDTH, IDC_SCALE_HEIGHT}) EXPECT_EQ("Edit", scaling.ClassOf(id));
  DialogResourceProbe cut("bildausschneiden");
  EXPECT_TRUE(cut.StyleOf(IDC_CUT_FORMAT) & CBS_SORT);
  for (int id : {IDC_CUT_WIDTH, IDC_CUT_HEIGHT}) EXPECT_EQ("Edit", cut.ClassOf(id));
}

// --- scaling and rectification

constexpr char kScaleTitle[] = "Skalieren, Entzerren und Aufrichten von Puffer A";

TEST_F(GeometryDialogTest, AMagnifiedSectionAboutAMovedCentreEqualsTheResampler) {
  const int W = 120, H = 90;
  Picture(1, "mond.fts", W, H, 0, Texture);
  const std::vector<int16_t> before = Samples(1);
  DialogDriver driver;
  driver.Then(kScaleTitle, [](HWND d) {
    TypeAndLeave(d, IDC_SCALE_WIDTH, "10");
    TypeAndLeave(d, IDC_SCALE_HEIGHT, "10");
    MoveBar(d, IDC_SCALE_FACTOR, 100);
    EXPECT_EQ(2.0, gProgramState.Scale);
    EXPECT_EQ("2.00", DialogDriver::ItemText(d, IDC_SCALE_FACTOR_TEXT));
    DialogDriver::Click(d, IDC_SCALE_CLOCKWISE);   // the angle puts the box back to the whole picture
    for (int i = 0; i < 3; ++i) DialogDriver::Click(d, IDC_SCALE_RIGHT);
    DialogDriver::Click(d, IDC_SCALE_DOWN);
    DialogDriver::Click(d, IDC_SCALE_DOWN);
    DialogDriver::Click(d, IDC_SCALE_RIGHT10);   // Shift+Right of the keyboard hook
    DialogDriver::Click(d, IDC_SCALE_TARGET_A + 2);
    DialogDriver::Click(d, IDC_SCALE_OK);
  });
  MessageBoxScript boxes;
  SendCommand(IDM_SCALE_RECTIFY);
  EXPECT_TRUE(driver.Done());
  EXPECT_EQ(0u, boxes.Count());
  // The box moved by 3 x 2 + 20 right and 2 x 2 down: centre (26 + 60, 4 + 45).
  ImageHeader source, result;
  GetSlotHeader(&source, 1, &gProgramState);
  result = source;
  source.xScale = source.yScale = 10.0;
  std::vector<int16_t> expected(size_t(W) * H);
  ASSERT_EQ(IMG_OK, ResampleImage(&source, &result, before.data(), expected.data(), 86, 49, 0.5 * kDegree, 2.0, 3));
  EXPECT_EQ(expected, Samples(3));
  EXPECT_EQ(before, Samples(1)) << "the source stays";
  EXPECT_EQ("Puffer C mit mond.fts", Title(BufferWindow(3)));
  // Group 13 reached the file.
  char ini[kPathSize + 32], text[32];
  std::snprintf(ini, sizeof ini, "%s\\tyvorn.ini", gProgramState.ProgramDirectory);
  GetPrivateProfileStringA("Enlarge", "Pixelwidth", "", text, sizeof text, ini);
  EXPECT_EQ(10.0, std::atof(text));
}

TEST_F(GeometryDialogTest, AClickPutsTheMiddleOfTheMagnifiedSectionOnThePointAndOutsideIsUndone) {
  const int W = 120, H = 90;
  Picture(1, "mond.fts", W, H, 0, Texture);
  const std::vector<int16_t> before = Samples(1);
  DialogDriver driver;
  driver.Then(kScaleTitle, [](HWND d) {
    TypeAndLeave(d, IDC_SCALE_WIDTH, "12");
    TypeAndLeave(d, IDC_SCALE_HEIGHT, "12");
    MoveBar(d, IDC_SCALE_FACTOR, 100);
    DialogDriver::Click(d, IDC_SCALE_NEAREST);
    EXPECT_TRUE(ClickPicture(d, IDC_SCALE_PREVIEW, 80, 30));
    // Its outline would leave the picture: the centre stays at (80, 30).
    EXPECT_TRUE(ClickPicture(d, IDC_SCALE_PREVIEW, 4, 4));
    DialogDriver::Click(d, IDC_SCALE_OK);
  });
  SendCommand(IDM_SCALE_RECTIFY);
  EXPECT_TRUE(driver.Done());
  ImageHeader source, result;
  GetSlotHeader(&source, 1, &gProgramState);
  result = source;
  source.xScale = source.yScale = 12.0;
  // Result pixel c shows the source at W/2 + (centre - W/2 + c - W/2) / 2.
  std::vector<int16_t> expected(size_t(W) * H);
  ASSERT_EQ(IMG_OK, ResampleImage(&source, &result, before.data(), expected.data(), 2 * 80 - W / 2, 2 * 30 - H / 2,
                                  0.0, 2.0, 2));
  EXPECT_EQ(expected, Samples(1));
  EXPECT_EQ(before[30 * W + 80], Samples(1)[(H / 2) * W + W / 2]) << "the middle shows the clicked pixel";
  EXPECT_EQ(before, Samples(5));
}

TEST_F(GeometryDialogTest, ReductionsSmoothOverTheFactorOrPickUpPixels) {
  const int W = 120, H = 90;
  Picture(1, "mond.fts", W, H, 0, Texture);
  const std::vector<int16_t> before = Samples(1);
  const struct {
    const char* name;
    int radio;
    int smoothRadius;
    int mode;
  } cases[] = {{"Mittelwert", IDC_SCALE_MEAN, 2, 1}, {"Pick Up", IDC_SCALE_PICK_UP, 0, 0}};
  for (const auto& c : cases) {
    DialogDriver driver;
    driver.Then(kScaleTitle, [&c](HWND d) {
      MoveBar(d, IDC_SCALE_FACTOR, 23);   // 0.33: a mean over three pixels
      EXPECT_DOUBLE_EQ(0.33, gProgramState.Scale);
      EXPECT_TRUE(Enabled(d, c.radio));
      EXPECT_FALSE(Enabled(d, IDC_SCALE_NEAREST));
      EXPECT_FALSE(Enabled(d, IDC_SCALE_SECTION));
      DialogDriver::Click(d, c.radio);
      DialogDriver::Click(d, IDC_SCALE_TARGET_A + 1);
      DialogDriver::Click(d, IDC_SCALE_OK);
    });
    SendCommand(IDM_SCALE_RECTIFY);
    EXPECT_TRUE(driver.Done()) << c.name;
    // Pixels 16 x 15 from the defaults: k = 15 / 16.
    ImageHeader source, result;
    GetSlotHeader(&source, 1, &gProgramState);
    result = source;
    source.xScale = 16.0;
    source.yScale = 15.0;
    const double scale = gProgramState.Scale;
    result.width = int(std::floor(W * scale * (15.0 / 16.0)));
    result.height = int(std::floor(H * scale));
    std::vector<int16_t> smoothed = before;
    if (c.smoothRadius) {
      const ImageRect all = {0, 0, W, H};
      SmoothRect(smoothed.data(), before.data(), &source, &all, c.smoothRadius);
    }
    std::vector<int16_t> expected(size_t(result.width) * result.height);
    ASSERT_EQ(IMG_OK, ResampleImage(&source, &result, smoothed.data(), expected.data(), result.width / 2,
                                    result.height / 2, 0.0, scale, c.mode));
    ImageHeader got;
    GetSlotHeader(&got, 2, &gProgramState);
    EXPECT_EQ(result.width, got.width) << c.name;
    EXPECT_EQ(expected, Samples(2)) << c.name;
  }
}

TEST_F(GeometryDialogTest, ZeroTypedIntoBreiteChangesNothing) {
  LoadPicture(1, "mond.fts", 40, 30, 0);
  const std::vector<int16_t> before = Samples(1);
  MessageBoxScript boxes;
  DialogDriver driver;
  driver.Then(kScaleTitle, [](HWND d) {
    TypeAndLeave(d, IDC_SCALE_WIDTH, "0");
    EXPECT_EQ(16.0, gProgramState.Pixelwidth);
    EXPECT_EQ("16.00", DialogDriver::ItemText(d, IDC_SCALE_WIDTH));
    // Typed again and confirmed at once: refused before anything is done.
    DialogDriver::SetItemText(d, IDC_SCALE_WIDTH, "-3");
    DialogDriver::Click(d, IDC_SCALE_OK);
    EXPECT_EQ(16.0, gProgramState.Pixelwidth);
  }).Then(kScaleTitle, [](HWND d) { DialogDriver::Click(d, IDC_SCALE_CANCEL); });
  SendCommand(IDM_SCALE_RECTIFY);
  EXPECT_TRUE(driver.Done());
  ASSERT_EQ(2u, boxes.Count());
  EXPECT_EQ("Bitte eine Zahl zwischen 0.01 und 10000.00 eingeben !", boxes.Box(0).text);
  EXPECT_EQ(before, Samples(1));
  EXPECT_FALSE(IsSlotLoaded(5, &gProgramState)) << "no undo copy: nothing was done";
}

TEST_F(GeometryDialogTest, AResultSmallerThanAPixelIsRefused) {
  LoadPicture(1, "mond.fts", 40, 30, 0);
  MessageBoxScript boxes;
  DialogDriver driver;
  driver.Then(kScaleTitle, [](HWND d) {
    TypeAndLeave(d, IDC_SCALE_WIDTH, "10000");
    TypeAndLeave(d, IDC_SCALE_HEIGHT, "0.01");
    DialogDriver::Click(d, IDC_SCALE_OK);
  }).Then(kScaleTitle, [](HWND d) { DialogDriver::Click(d, IDC_SCALE_CANCEL); });
  const std::vector<int16_t> before = Samples(1);
  SendCommand(IDM_SCALE_RECTIFY);
  EXPECT_TRUE(driver.Done());
  ASSERT_EQ(1u, boxes.Count());
  EXPECT_EQ("Das Ergebnis wäre kleiner als ein Pixel !", boxes.Box(0).text);
  EXPECT_EQ(before, Samples(1));
  EXPECT_EQ(16.0, gProgramState.Pixelwidth) << "cancel put the sizes back";
}

TEST_F(GeometryDialogTest, TheRadiosAtOpeningFollowTheStoredFactorWhichIsKeptInRange) {
  LoadPicture(1, "mond.fts", 40, 30, 0);
  const struct {
    double stored, shown;
    int position;
    bool magnify;
  } cases[] = {{0.5, 0.5, 40, false}, {1.0, 1.0, 90, true}, {25.0, 10.0, 180, true}, {0.01, 0.1, 0, false}};
  for (const auto& c : cases) {
    gProgramState.Scale = c.stored;
    gProgramState.EnlargeMethod = 7;
    DialogDriver driver;
    driver.Then(kScaleTitle, [&c](HWND d) {
      EXPECT_EQ(c.shown, gProgramState.Scale);
      EXPECT_EQ(c.position, GetScrollPos(GetDlgItem(d, IDC_SCALE_FACTOR), SB_CTL));
      EXPECT_EQ(c.magnify, Enabled(d, IDC_SCALE_LANCZOS)) << c.stored;
      EXPECT_EQ(c.magnify, Enabled(d, IDC_SCALE_SECTION)) << c.stored;
      EXPECT_EQ(!c.magnify, Enabled(d, IDC_SCALE_PICK_UP)) << c.stored;
      EXPECT_EQ(2, gProgramState.EnlargeMethod) << "an unknown method takes the first radio";
      EXPECT_TRUE(Checked(d, IDC_SCALE_NEAREST));
      EXPECT_TRUE(Checked(d, IDC_SCALE_SECTION));
      DialogDriver::Click(d, IDC_SCALE_CANCEL);
    });
    SendCommand(IDM_SCALE_RECTIFY);
    EXPECT_TRUE(driver.Done()) << c.stored;
  }
}

TEST_F(GeometryDialogTest, TheSmallScreenTakesTheSmallTemplateAndTheDialogLeavesNothingBehind) {
  LoadPicture(1, "mond.fts", 500, 400, 1);
  gProgramState.ScreenHeight = 600;
  const long blocks = LiveMemBlocks();
  GdiWatch bitmaps;
  DialogDriver driver;
  driver.Then(kScaleTitle, [&bitmaps](HWND d) {
    EXPECT_EQ("Pixelmaß [µm]", DialogDriver::ItemText(d, IDC_SCALE_PIXEL_GROUP));
    bitmaps.Note(PreviewPaneOf(d)->bitmap);
    DialogDriver::Click(d, IDC_SCALE_MINUS);
    bitmaps.Note(PreviewPaneOf(d)->bitmap);
    DialogDriver::Click(d, IDC_SCALE_PLUS);
    bitmaps.Note(PreviewPaneOf(d)->bitmap);
    DialogDriver::Click(d, IDC_SCALE_CANCEL);
  });
  SendCommand(IDM_SCALE_RECTIFY);
  EXPECT_TRUE(driver.Done());
  EXPECT_EQ(3, bitmaps.Noted());
  EXPECT_EQ(0, bitmaps.Alive());
  EXPECT_EQ(blocks, LiveMemBlocks());
}

// --- flip, mirror and rotation

constexpr char kFlipTitle[] = "Spiegeln und Aufrichten von Puffer A";

TEST_F(GeometryDialogTest, TheFiveFlipModesOnAThreeByTwoColourPicture) {
  // Pixels a b c / d e f as 0..5, each B, G, R = 100 k + 1, 2, 3.
  const struct {
    int mode;
    int w, h;
    std::vector<int> pixels;   // the result's pixels, row by row
  } cases[] = {
      {0, 3, 2, {3, 4, 5, 0, 1, 2}}, {1, 3, 2, {2, 1, 0, 5, 4, 3}}, {2, 3, 2, {5, 4, 3, 2, 1, 0}},
      {3, 2, 3, {3, 0, 4, 1, 5, 2}}, {4, 2, 3, {2, 5, 1, 4, 0, 3}},
  };
  for (const auto& c : cases) {
    SetUp();
    Picture(1, "klein.bmp", 3, 2, 1, [](int x, int y, int ch) { return int16_t(100 * (y * 3 + x) + ch + 1); });
    LoadPicture(2, "alt.bmp", 5, 5, 0);
    const std::vector<int16_t> a = Samples(1), b = Samples(2);
    DialogDriver driver;
    driver.Then(kFlipTitle, [&c](HWND d) {
      DialogDriver::Click(d, IDC_FLIP_FIRST + c.mode);
      DialogDriver::Click(d, IDC_FLIP_TARGET_A + 1);
      DialogDriver::Click(d, IDC_FLIP_RUN);
    });
    SendCommand(IDM_FLIP_MIRROR);
    EXPECT_TRUE(driver.Done()) << c.mode;
    EXPECT_EQ(c.mode, gProgramState.Flipmethod);
    ImageHeader h;
    GetSlotHeader(&h, 2, &gProgramState);
    EXPECT_EQ(c.w, h.width) << c.mode;
    EXPECT_EQ(c.h, h.height) << c.mode;
    std::vector<int16_t> expected;
    for (int k : c.pixels)
      for (int ch = 0; ch < 3; ++ch) expected.push_back(int16_t(100 * k + ch + 1));
    EXPECT_EQ(expected, Samples(2)) << c.mode;
    EXPECT_EQ(a, Samples(1)) << c.mode;
    EXPECT_EQ(b, Samples(6)) << c.mode << ": B's old picture is its undo copy";
  }
}

TEST_F(GeometryDialogTest, AFlipmethodOutsideTheRadiosIsBroughtBackAndCancelKeepsTheBuffer) {
  LoadPicture(1, "klein.bmp", 8, 6, 0);
  const std::vector<int16_t> a = Samples(1);
  const long blocks = LiveMemBlocks();
  gProgramState.Flipmethod = 9;
  DialogDriver driver;
  driver.Then(kFlipTitle, [](HWND d) {
    EXPECT_EQ(0, gProgramState.Flipmethod);
    EXPECT_TRUE(Checked(d, IDC_FLIP_FIRST));
    DialogDriver::Click(d, IDC_FLIP_FIRST + 2);
    DialogDriver::Click(d, IDC_FLIP_CANCEL);
  });
  SendCommand(IDM_FLIP_MIRROR);
  EXPECT_TRUE(driver.Done());
  EXPECT_EQ(0, gProgramState.Flipmethod) << "cancel: the value the radios could show";
  EXPECT_EQ(a, Samples(1));
  EXPECT_EQ(blocks, LiveMemBlocks()) << "the result block went with the dialog";
}

// --- shift-difference

constexpr char kShiftTitle[] = "Abzug eines geshifteten Bildanteils von Puffer A";

TEST_F(GeometryDialogTest, ACentreMarkedOffTheMiddleAtReductionTwoIsTheOperatorsCentre) {
  const int W = 200, H = 160;
  Picture(1, "komet.fts", W, H, 0, Texture);
  const std::vector<int16_t> before = Samples(1);
  DialogDriver driver;
  driver.Then(kShiftTitle, [](HWND d) {
    for (int i = 0; i < 40; ++i) DialogDriver::Click(d, IDC_SHIFT_PLUS);
    DialogDriver::Click(d, IDC_SHIFT_MINUS);
    EXPECT_EQ(2, *PreviewPaneOf(d)->reduction);
    ASSERT_TRUE(ClickPicture(d, IDC_SHIFT_PREVIEW, 130, 50));
    // The cross is drawn through the point clicked.
    PreviewMapping map;
    ASSERT_TRUE(GetPreviewMapping(PreviewPaneOf(d), &map));
    EXPECT_EQ(RGB(0, 255, 0), PanePixel(d, IDC_SHIFT_PREVIEW, map.left + 65, map.top + 5));
    EXPECT_EQ(RGB(0, 255, 0), PanePixel(d, IDC_SHIFT_PREVIEW, map.left + 5, map.top + 25));
    EXPECT_NE(RGB(0, 255, 0), PanePixel(d, IDC_SHIFT_PREVIEW, map.left + 64, map.top + 5));
    DialogDriver::Click(d, IDC_SHIFT_UP);
    DialogDriver::Click(d, IDC_SHIFT_LEFT10);   // Shift+Left of the keyboard hook
    DialogDriver::Click(d, IDC_SHIFT_OK);
  });
  SendCommand(IDM_SHIFT_DIFFERENCE);
  EXPECT_TRUE(driver.Done());
  ImageHeader h;
  GetSlotHeader(&h, 1, &gProgramState);
  std::vector<int16_t> expected(before.size());
  ASSERT_EQ(IMG_OK, SubtractRotatedCopy(&h, before.data(), expected.data(), 120, 49, 2.0, 0.33, SHIFT_TANGENT));
  EXPECT_EQ(expected, Samples(1));
  EXPECT_EQ(before, Samples(5));
}

TEST_F(GeometryDialogTest, NoEffectLeavesThePictureAndTheBarsFollowTheMethod) {
  Picture(1, "komet.fts", 60, 40, 1, Texture);
  const std::vector<int16_t> before = Samples(1);
  gProgramState.ShiftdifferenzEffect = 3.5;   // from a hand-edited file
  gProgramState.Radius = -40.0;
  DialogDriver driver;
  driver.Then(kShiftTitle, [](HWND d) {
    EXPECT_EQ(1.0, gProgramState.ShiftdifferenzEffect);
    EXPECT_EQ("1.00", DialogDriver::ItemText(d, IDC_SHIFT_EFFECT_TEXT));
    EXPECT_EQ("Tangente [Pix]", DialogDriver::ItemText(d, IDC_SHIFT_VALUE_LABEL));
    EXPECT_EQ(20, GetScrollPos(GetDlgItem(d, IDC_SHIFT_VALUE), SB_CTL));
    DialogDriver::Click(d, IDC_SHIFT_TURN);
    EXPECT_EQ("Winkel [°]", DialogDriver::ItemText(d, IDC_SHIFT_VALUE_LABEL));
    EXPECT_EQ("2.50", DialogDriver::ItemText(d, IDC_SHIFT_VALUE_TEXT));
    MoveBar(d, IDC_SHIFT_VALUE, 77);
    EXPECT_DOUBLE_EQ(7.7, gProgramState.Angle);
    DialogDriver::Click(d, IDC_SHIFT_RADIUS);
    EXPECT_EQ("-25.00", DialogDriver::ItemText(d, IDC_SHIFT_VALUE_TEXT));
    EXPECT_EQ(-250, GetScrollPos(GetDlgItem(d, IDC_SHIFT_VALUE), SB_CTL));
    EXPECT_DOUBLE_EQ(7.7, gProgramState.Angle) << "the angle keeps its value";
    MoveBar(d, IDC_SHIFT_EFFECT, 0);
    DialogDriver::Click(d, IDC_SHIFT_OK);
  });
  SendCommand(IDM_SHIFT_DIFFERENCE);
  EXPECT_TRUE(driver.Done());
  EXPECT_EQ(before, Samples(1));
  EXPECT_EQ(0.0, gProgramState.ShiftdifferenzEffect);
  EXPECT_EQ(2, gProgramState.ShiftdifferenzMethod);
}

// --- cut-out

std::string PathIn(const char* directory, const char* name) { return std::string(directory) + "\\" + name; }

int FilesIn(const char* directory) {
  WIN32_FIND_DATAA found;
  const HANDLE search = FindFirstFileA(PathIn(directory, "*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return 0;
  int n = 0;
  do ++n;
  while (FindNextFileA(search, &found));
  FindClose(search);
  return n;
}

TEST_F(GeometryDialogTest, ADiscNearTheRightEdgeIsCutOutWhollyInsideAndSavedAsFits) {
  const int W = 320, H = 200;
  Picture(1, "planet.fts", W, H, 0, [](int x, int y, int) {
    return int16_t(std::hypot(x - 296, y - 90) < 18 ? 28000 + (x * 7 + y * 3) % 900 : 400 + (x + y) % 50);
  });
  gProgramState.RecenterFormat = 4;
  const std::vector<int16_t> picture = Samples(1);
  ImageHeader h;
  GetSlotHeader(&h, 1, &gProgramState);
  // The operators' answer, limited by hand.
  const ImageRect whole = {0, 0, W, H};
  int32_t centre[4];
  double found = 0;
  ASSERT_EQ(IMG_OK, FindObjectCentre(&whole, &h, picture.data(), centre, &found));
  EXPECT_NEAR(296, centre[0], 1);
  const ImageRect rect = {W - 120, centre[1] - 40, 120, 80};
  std::vector<int16_t> expected(120 * 80);
  ASSERT_EQ(IMG_OK, CopyImageRect(expected.data(), picture.data(), &h, &rect));

  const std::string path = PathIn(gProgramState.ProgramDirectory, "scheibe");
  ChooserScript choosers;
  choosers.Choose(path);
  DialogDriver driver;
  driver.Then("Bild ausschneiden", [](HWND d) {
    EXPECT_EQ(4, SendDlgItemMessageA(d, IDC_CUT_FORMAT, CB_GETCURSEL, 0, 0));
    EXPECT_EQ("240", DialogDriver::ItemText(d, IDC_CUT_WIDTH));
    SendDlgItemMessageA(d, IDC_CUT_FORMAT, CB_SETCURSEL, 1, 0);   // "FITS-Bilder (*.FIT)"
    DialogDriver::SetItemText(d, IDC_CUT_WIDTH, "120");
    DialogDriver::SetItemText(d, IDC_CUT_HEIGHT, "80");
    DialogDriver::Click(d, IDC_CUT_OK);
  });
  MessageBoxScript boxes;
  SendCommand(IDM_CUT_OUT);
  EXPECT_TRUE(driver.Done());
  EXPECT_EQ(0u, boxes.Count());
  ASSERT_EQ(1u, choosers.Count());
  EXPECT_EQ("Ausschnitt abspeichern", choosers.Chooser(0).title);
  EXPECT_EQ("Bildformate", choosers.Chooser(0).filter[0]);
  EXPECT_EQ(1, gProgramState.RecenterFormat);
  EXPECT_EQ(120, gProgramState.CutXSize);
  int16_t* samples = nullptr;
  ImageHeader read;
  ImageMetadata metadata;
  ASSERT_TRUE(LoadImageFile((path + ".fts").c_str(), ".fts", 0, &samples, &read, &metadata));
  EXPECT_EQ(120, read.width);
  EXPECT_EQ(80, read.height);
  EXPECT_EQ(expected, std::vector<int16_t>(samples, samples + 120 * 80));
  FreeMem(&samples);
  EXPECT_EQ(picture, Samples(1)) << "the buffers stay";
  EXPECT_FALSE(IsSlotLoaded(5, &gProgramState));
}

TEST_F(GeometryDialogTest, CutOutSizesOfZeroAreRefusedAndACancelledChooserWritesNothing) {
  LoadPicture(1, "planet.fts", 60, 40, 0);
  MessageBoxScript boxes;
  ChooserScript choosers;
  choosers.Cancel();
  DialogDriver driver;
  driver.Then("Bild ausschneiden", [&choosers](HWND d) {
    DialogDriver::SetItemText(d, IDC_CUT_HEIGHT, "0");
    DialogDriver::Click(d, IDC_CUT_OK);
    EXPECT_EQ(0u, choosers.Count()) << "no chooser for a refused size";
    EXPECT_EQ("200", DialogDriver::ItemText(d, IDC_CUT_HEIGHT));
    DialogDriver::Click(d, IDC_CUT_OK);
  });
  const long blocks = LiveMemBlocks();
  const int files = FilesIn(gProgramState.ProgramDirectory);
  SendCommand(IDM_CUT_OUT);
  EXPECT_TRUE(driver.Done());
  EXPECT_EQ(files, FilesIn(gProgramState.ProgramDirectory));
  ASSERT_EQ(1u, boxes.Count());
  EXPECT_EQ("Bitte eine Zahl zwischen 1 und 1000000 eingeben !", boxes.Box(0).text);
  EXPECT_EQ(1u, choosers.Count());
  EXPECT_EQ(200, gProgramState.CutYSize);
  EXPECT_EQ(blocks, LiveMemBlocks());
}

}  // namespace
