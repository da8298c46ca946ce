// The palette dialog and the colour separation opened from the menu and
// driven as a user drives them: the palette's rules, its cancel on the
// screen, and the planes the separation writes into the buffers.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "editing/colour/colour_ids.h"
#include "imagelib/colour_channels.h"
#include "shell/buffer_slots.h"
#include "shell/buffer_window.h"
#include "shell/menu_ids.h"
#include "shell/settings.h"
#include "tests/editing/edit_dialog_fixture.h"
#include "tests/shell/testkit/dialog_driver.h"
#include "tests/shell/testkit/dialog_resource.h"
#include "tests/shell/testkit/message_script.h"

namespace {

class ColourDialogTest : public EditDialogTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    LoadDefaults({kSectionPalette, kSectionRGBCorr});
  }
  static std::string Ini(const char* section, const char* key) {
    char ini[kPathSize + 32], text[64] = "";
    std::snprintf(ini, sizeof ini, "%s\\tyvorn.ini", gProgramState.ProgramDirectory);
    GetPrivateProfileStringA(section, key, "", text, sizeof text, ini);
    return text;
  }
};

TEST_F(ColourDialogTest, TheTemplatesHoldTheirControls) {
  DialogResourceProbe palette("farbpalette");
  ASSERT_TRUE(palette.Ok());
  EXPECT_EQ("Farbpalette einstellen", palette.Title());
  const std::pair<int, const char*> paletteControls[] = {
      {IDC_PAL_GREY, "Graustufen"},        {IDC_PAL_INVERSE, "Invers"},        {IDC_PAL_RED_TINT, "Rottönung"},
      {IDC_PAL_GREEN_TINT, "Grüntönung"},  {IDC_PAL_BLUE_TINT, "Blautönung"},  {IDC_PAL_MAP2, "Landkarte 2"},
      {IDC_PAL_POLAR, "Polarkarte"},       {IDC_PAL_SEA, "Seekarte"},          {IDC_PAL_TOPOGRAPHY, "Topografie"},
      {IDC_PAL_MAP1, "Landkarte 1"},       {IDC_PAL_PLUS_MINUS, "Plus / Minus"}, {IDC_PAL_VIOLET_TINT, "Violettönung"},
      {IDC_PAL_GLOW, "Glühfarben"},        {IDC_PAL_THERMO, "Thermografie"},   {IDC_PAL_PLANCK, "Planckkurve"},
      {IDC_PAL_RED_STAIRS, "Rottreppe"},   {IDC_PAL_GREEN_STAIRS, "Grüntreppe"}, {IDC_PAL_RAINBOW, "Regenbogen"},
      {IDC_PAL_COLOUR_CIRCLE, "Farbkreis"}, {IDC_PAL_OWN, "eigene Skala"},     {IDC_PAL_ISOPHOTES, "&Isophoten"},
      {IDC_PAL_LOG, "Logarithmis&ch"},     {IDC_PAL_STEPS_8, "8"},             {IDC_PAL_STEPS_256, "256"},
      {IDC_PAL_ISO_FIRST, "Erste Farbe"},  {IDC_PAL_ISO_GREEN, "Grün"},        {IDC_PAL_ISO_RED, "Rot"},
      {IDC_PAL_ISO_BLUE, "Blau"},          {IDC_PAL_EVERY_32, "alle 32"},      {IDC_PAL_EVERY_128, "alle 128"},
      {IDC_PAL_OK, "&Gut"},                {IDC_PAL_CANCEL, "&Abbruch"},
  };
  for (const auto& c : paletteControls) EXPECT_EQ(c.second, palette.Text(c.first)) << c.first;
  for (int id : {IDC_PAL_FIRST_R, IDC_PAL_FIRST_G, IDC_PAL_FIRST_B, IDC_PAL_LAST_R, IDC_PAL_LAST_G, IDC_PAL_LAST_B})
    EXPECT_EQ("ScrollBar", palette.ClassOf(id)) << id;
  EXPECT_LE(palette.Size().cx, 800);
  EXPECT_LE(palette.Size().cy, 600);

  DialogResourceProbe separation("farbentrennen");
  ASSERT_TRUE(separation.Ok());
  EXPECT_EQ("Farbkanäle trennen", separation.Title());
  const std::pair<int, const char*> separationControls[] = {
      {IDC_SEP_RGB, "RGB separieren"}, {IDC_SEP_RGB + 1, "Rot-Kanal"}, {IDC_SEP_RGB + 2, "Grün-Kanal"},
      {IDC_SEP_RGB + 3, "Blau-Kanal"}, {IDC_SEP_LUMINANCE, "Luminanz nach IEC"}, {IDC_SEP_TARGET_A, "Puffer A"},
      {IDC_SEP_TARGET_D, "Puffer D"},  {IDC_SEP_OK, "&Gut"},       {IDC_SEP_CANCEL, "&Abbruch"},
  };
  for (const auto& c : separationControls) EXPECT_EQ(c.second, separation.Text(c.first)) << c.first;
}

// --- palette

constexpr char kPaletteTitle[] = "Farbpalette einstellen";

TEST_F(ColourDialogTest, RottreppeBlocksIsophotesAndTheLogarithmicScale) {
  gProgramState.IsIsophots = 1;
  gProgramState.Logscale = 1;
  DialogDriver driver;
  driver.Then(kPaletteTitle, [](HWND d) {
    EXPECT_TRUE(Checked(d, IDC_PAL_ISOPHOTES));
    DialogDriver::Click(d, IDC_PAL_RED_STAIRS);
    EXPECT_EQ(18, gProgramState.Palettetype);
    EXPECT_EQ(0, gProgramState.IsIsophots);
    EXPECT_EQ(0, gProgramState.Logscale);
    EXPECT_FALSE(Checked(d, IDC_PAL_ISOPHOTES));
    EXPECT_FALSE(Checked(d, IDC_PAL_LOG));
    for (int id : {IDC_PAL_ISOPHOTES, IDC_PAL_LOG}) {
      DialogDriver::Click(d, id);
      EXPECT_FALSE(Checked(d, id)) << id;
    }
    EXPECT_EQ(0, gProgramState.IsIsophots);
    EXPECT_EQ(0, gProgramState.Logscale);
    // "Planckkurve" keeps the isophotes but no logarithm.
    DialogDriver::Click(d, IDC_PAL_PLANCK);
    DialogDriver::Click(d, IDC_PAL_ISOPHOTES);
    DialogDriver::Click(d, IDC_PAL_LOG);
    EXPECT_EQ(1, gProgramState.IsIsophots);
    EXPECT_EQ(0, gProgramState.Logscale);
    DialogDriver::Click(d, IDC_PAL_GREY);
    DialogDriver::Click(d, IDC_PAL_LOG);
    EXPECT_EQ(1, gProgramState.Logscale);
    EXPECT_TRUE(Checked(d, IDC_PAL_LOG));
    DialogDriver::Click(d, IDC_PAL_STEPS_8 + 2);
    DialogDriver::Click(d, IDC_PAL_EVERY_32 + 1);
    DialogDriver::Click(d, IDC_PAL_OK);
  });
  SendCommand(IDM_PALETTE);
  EXPECT_TRUE(driver.Done());
  EXPECT_EQ("0", Ini("Palette", "Palettetype"));
  EXPECT_EQ("TRUE", Ini("Palette", "Logscale"));
  EXPECT_EQ("32", Ini("Palette", "Colorstep"));
  EXPECT_EQ("64", Ini("Palette", "Isophotdistance"));
}

TEST_F(ColourDialogTest, ColoursFromTheFileAreShownAndTheBarsSetTheirChannel) {
  gProgramState.Isophotcolor = RGBQUAD{30, 20, 10, 0};
  gProgramState.Isophotdistance = 50;
  gProgramState.Colorstep = 100;
  DialogDriver driver;
  driver.Then(kPaletteTitle, [](HWND d) {
    EXPECT_TRUE(Checked(d, IDC_PAL_ISO_FIRST));
    for (int id = IDC_PAL_EVERY_32; id <= IDC_PAL_EVERY_128; ++id) EXPECT_FALSE(Checked(d, id)) << id;
    for (int id = IDC_PAL_STEPS_8; id <= IDC_PAL_STEPS_256; ++id) EXPECT_FALSE(Checked(d, id)) << id;
    EXPECT_EQ(50, gProgramState.Isophotdistance) << "kept as it came";
    EXPECT_EQ("40", DialogDriver::ItemText(d, IDC_PAL_FIRST_G_TEXT));
    EXPECT_EQ(160, GetScrollPos(GetDlgItem(d, IDC_PAL_LAST_G), SB_CTL));
    MoveBar(d, IDC_PAL_LAST_B, 200);
    EXPECT_EQ(200, gProgramState.LastColor.rgbBlue);
    EXPECT_EQ("200", DialogDriver::ItemText(d, IDC_PAL_LAST_B_TEXT));
    DialogDriver::Click(d, IDC_PAL_ISO_RED);
    EXPECT_TRUE(Checked(d, IDC_PAL_ISO_RED));
    EXPECT_EQ(255, gProgramState.Isophotcolor.rgbRed);
    EXPECT_EQ(0, gProgramState.Isophotcolor.rgbGreen);
    DialogDriver::Click(d, IDC_PAL_ISO_FIRST);
    EXPECT_EQ(40, gProgramState.Isophotcolor.rgbGreen) << "a copy of the first colour";
    DialogDriver::Click(d, IDC_PAL_CANCEL);
  });
  SendCommand(IDM_PALETTE);
  EXPECT_TRUE(driver.Done());
  EXPECT_EQ(80, gProgramState.LastColor.rgbBlue);
  EXPECT_EQ(30, gProgramState.Isophotcolor.rgbBlue);
}

class PaletteOnScreenTest : public ColourDialogTest {
 protected:
  void SetUp() override {
    ColourDialogTest::SetUp();
    ShowWindow(Frame(), SW_SHOWMAXIMIZED);
    SendCommand(IDM_TILE);
    Settle();
  }
  void TearDown() override {
    ShowWindow(Frame(), SW_HIDE);
    ColourDialogTest::TearDown();
  }
};

// A buffer painted while the dialog showed another palette is painted again
// after "&Abbruch", with the palette restored. The dialog stands aside, so
// its closing uncovers nothing of buffer A.
TEST_F(PaletteOnScreenTest, AbbruchRepaintsTheBuffersWithThePaletteAsBefore) {
  Picture(1, "grau.fts", 64, 48, 0, [](int, int, int) { return int16_t(96 << 7); });
  RefreshBufferWindow(1);
  Settle();
  const HWND a = BufferWindow(1);
  DialogDriver driver;
  driver.Then(kPaletteTitle, [a](HWND d) {
    RECT screen, own;
    GetWindowRect(GetDesktopWindow(), &screen);
    GetWindowRect(d, &own);
    SetWindowPos(d, nullptr, screen.right - (own.right - own.left), screen.bottom - (own.bottom - own.top), 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER);
    DialogDriver::Click(d, IDC_PAL_RED_STAIRS);
    RedrawWindow(a, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    EXPECT_FALSE(GetUpdateRect(a, nullptr, FALSE)) << "painted in the red stairs";
    DialogDriver::Click(d, IDC_PAL_CANCEL);
  });
  SendCommand(IDM_PALETTE);
  EXPECT_TRUE(driver.Done());
  EXPECT_EQ(0, gProgramState.Palettetype);
  EXPECT_TRUE(GetUpdateRect(a, nullptr, FALSE)) << "to be painted again in grey";
}

// --- colour separation

constexpr char kSeparationTitle[] = "Farbkanäle trennen";

int16_t Rgb(int x, int y, int c) { return int16_t(1000 * c + 37 * x + 11 * y + 7); }

TEST_F(ColourDialogTest, AllThreeChannelsGoToTheBuffersBesideTheTargetEachWithItsUndoCopy) {
  const int w = 12, h = 9;
  Picture(1, "farbe.bmp", w, h, 1, Rgb);
  LoadPicture(2, "b.fts", 5, 5, 0);
  LoadPicture(4, "d.fts", 6, 4, 1);
  const std::vector<int16_t> a = Samples(1), b = Samples(2), dd = Samples(4);
  DialogDriver driver;
  driver.Then(kSeparationTitle, [](HWND d) {
    EXPECT_TRUE(Checked(d, IDC_SEP_RGB));
    EXPECT_FALSE(Enabled(d, IDC_SEP_TARGET_A));
    DialogDriver::Click(d, IDC_SEP_RGB + 1);
    EXPECT_TRUE(Enabled(d, IDC_SEP_TARGET_A + 2));
    DialogDriver::Click(d, IDC_SEP_TARGET_A + 2);
    DialogDriver::Click(d, IDC_SEP_RGB);
    EXPECT_FALSE(Enabled(d, IDC_SEP_TARGET_A + 2));
    DialogDriver::Click(d, IDC_SEP_OK);
  });
  SendCommand(IDM_COLOUR_SEPARATION);
  EXPECT_TRUE(driver.Done());
  EXPECT_FALSE(IsSlotLoaded(3, &gProgramState)) << "the target itself stays empty";
  const struct {
    int buffer;
    int channel;    // in B, G, R order
    int colourType;
    const char* title;
  } planes[] = {{1, 2, 2, "Puffer A mit Rotauszug"}, {2, 1, 3, "Puffer B mit Grünauszug"},
                {4, 0, 4, "Puffer D mit Blauauszug"}};
  for (const auto& p : planes) {
    ImageHeader header;
    GetSlotHeader(&header, p.buffer, &gProgramState);
    EXPECT_EQ(p.colourType, header.colourType) << p.buffer;
    EXPECT_EQ(w, header.width);
    std::vector<int16_t> expected;
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) expected.push_back(Rgb(x, y, p.channel));
    EXPECT_EQ(expected, Samples(p.buffer)) << p.buffer;
    EXPECT_EQ(p.title, Title(BufferWindow(p.buffer)));
  }
  EXPECT_EQ(a, Samples(5)) << "the colour picture is A's undo copy";
  EXPECT_EQ(b, Samples(6));
  EXPECT_EQ(dd, Samples(8));
}

TEST_F(ColourDialogTest, TheLuminanceIntoTheTargetEqualsTheOperator) {
  Picture(1, "farbe.bmp", 10, 7, 1, Rgb);
  const std::vector<int16_t> a = Samples(1);
  ImageHeader header;
  GetSlotHeader(&header, 1, &gProgramState);
  std::vector<int16_t> expected(10 * 7);
  ASSERT_EQ(IMG_OK, RgbToLuminance(a.data(), &header, expected.data()));
  DialogDriver driver;
  driver.Then(kSeparationTitle, [](HWND d) {
    DialogDriver::Click(d, IDC_SEP_LUMINANCE);
    DialogDriver::Click(d, IDC_SEP_TARGET_A + 1);
    DialogDriver::Click(d, IDC_SEP_OK);
  });
  SendCommand(IDM_COLOUR_SEPARATION);
  EXPECT_TRUE(driver.Done());
  EXPECT_EQ(expected, Samples(2));
  ImageHeader plane;
  GetSlotHeader(&plane, 2, &gProgramState);
  EXPECT_EQ(0, plane.colourType);
  EXPECT_EQ("Puffer B mit Luminanz", Title(BufferWindow(2)));
  EXPECT_EQ(a, Samples(1));
  EXPECT_EQ(4, gProgramState.SeparateMethod);
}

TEST_F(ColourDialogTest, AGreySourceIsRefused) {
  LoadPicture(1, "grau.fts", 10, 7, 0);
  LoadPicture(2, "b.fts", 5, 5, 0);
  const std::vector<int16_t> a = Samples(1), b = Samples(2);
  MessageBoxScript boxes;
  DialogDriver driver;
  driver.Then(kSeparationTitle, [](HWND d) {
    DialogDriver::Click(d, IDC_SEP_RGB);
    DialogDriver::Click(d, IDC_SEP_OK);
  });
  SendCommand(IDM_COLOUR_SEPARATION);
  EXPECT_TRUE(driver.Done());
  ASSERT_EQ(1u, boxes.Count());
  EXPECT_EQ("Das Bild ist kein Farbbild !", boxes.Box(0).text);
  EXPECT_EQ("Fehlermeldung", boxes.Box(0).title);
  EXPECT_EQ(a, Samples(1));
  EXPECT_EQ(b, Samples(2));
  EXPECT_FALSE(IsSlotLoaded(6, &gProgramState));
}

}  // namespace
