// The tone and colour temperature dialog opened from the menu as a user
// opens it: its templates, the bars' scales, the whole picture corrected as
// the operator corrects it, and the refusals: a grey picture, a temperature
// the operator cannot use, settings past the bars from "tyvorn.ini".
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "editing/colour/colour_temperature_dialog.h"
#include "editing/colour/colour_temperature_ids.h"
#include "imagelib/colour_space.h"
#include "shell/buffer_slots.h"
#include "shell/menu_ids.h"
#include "shell/settings.h"
#include "tests/editing/edit_dialog_fixture.h"
#include "tests/shell/testkit/dialog_driver.h"
#include "tests/shell/testkit/dialog_resource.h"
#include "tests/shell/testkit/message_script.h"

namespace {

constexpr char kTitleA[] = "Tonwert und Farbtemperatur von Puffer A einstellen";

class ColourTemperatureDialogTest : public EditDialogTest {
 protected:
  void SetUp() override {
    EditDialogTest::SetUp();
    LoadDefaults({kSectionColortemp});
  }

  static std::string Ini() { return std::string(gProgramState.ProgramDirectory) + "\\tyvorn.ini"; }
  static std::string IniValue(const char* key) {
    char value[64] = "";
    GetPrivateProfileStringA("Colortemp", key, "", value, sizeof value, Ini().c_str());
    return value;
  }

  // A colour picture with every channel wandering through the levels.
  static void LoadColourful(int buffer, int w = 90, int h = 70) {
    Picture(buffer, "farbe.fts", w, h, 1,
            [=](int x, int y, int c) { return int16_t(((y * w + x) * 3 + c) * 7919 % 30000 + 500 + buffer * 131); });
  }

  static std::string Text(HWND dlg, int id) { return DialogDriver::ItemText(dlg, id); }
};

TEST_F(ColourTemperatureDialogTest, BothSizesHoldEveryControlAndFitTheirScreens) {
  const struct {
    const char* name;
    int width, height;
  } sizes[] = {{"farbtemp800", 800, 600}, {"farbtemp1024", 1024, 768}};
  const struct {
    int id;
    const char* text;
  } controls[] = {
      {IDC_CT_TARGET_A, "&A"},          {IDC_CT_TARGET_A + 1, "&B"},      {IDC_CT_TARGET_A + 2, "&C"},
      {IDC_CT_TARGET_D, "&D"},          {IDC_CT_APPLY, "&Übernehmen"},    {IDC_CT_CANCEL, "&Abbrechen"},
      {IDC_CT_MINUS, "-"},              {IDC_CT_PLUS, "+"},               {IDC_CT_NOISE, "Farbe rauschfiltern"},
      {IDC_CT_NOISE_LABEL, "Filterwirkung"},
  };
  for (const auto& s : sizes) {
    DialogResourceProbe probe(s.name);
    ASSERT_TRUE(probe.Ok()) << s.name;
    EXPECT_EQ("Farbtemperatur einstellen", probe.Title());
    for (const auto& c : controls) EXPECT_EQ(c.text, probe.Text(c.id)) << s.name << " " << c.id;
    for (int bar : {IDC_CT_RED_BAR, IDC_CT_GREEN_BAR, IDC_CT_BLUE_BAR, IDC_CT_SATURATION_BAR, IDC_CT_ANGLE_BAR,
                    IDC_CT_TEMPERATURE_BAR, IDC_CT_NOISE_BAR, IDC_CT_HSCROLL, IDC_CT_VSCROLL})
      EXPECT_EQ("ScrollBar", probe.ClassOf(bar)) << s.name << " " << bar;
    for (int id : {IDC_CT_PREVIEW, IDC_CT_RED_VALUE, IDC_CT_GREEN_VALUE, IDC_CT_BLUE_VALUE, IDC_CT_SATURATION_VALUE,
                   IDC_CT_ANGLE_VALUE, IDC_CT_TEMPERATURE_VALUE, IDC_CT_NOISE_VALUE})
      EXPECT_TRUE(probe.Has(id)) << s.name << " " << id;
    const std::vector<std::string> texts = probe.Texts();
    for (const char* label : {"Farbsättigung", "Farbkreis", "Farbtemperatur", "Ziel"})
      EXPECT_NE(texts.end(), std::find(texts.begin(), texts.end(), label)) << s.name << " " << label;
    EXPECT_TRUE(probe.StyleOf(IDC_CT_APPLY) & BS_DEFPUSHBUTTON);
    EXPECT_LE(probe.Size().cx, s.width) << s.name;
    EXPECT_LE(probe.Size().cy, s.height) << s.name;
  }
}

TEST_F(ColourTemperatureDialogTest, BarsShowTheirScales) {
  LoadColourful(1);
  gProgramState.Saturation = 0.50;
  gProgramState.Colorangle = -0.5;
  DialogDriver driver;
  driver.Then(kTitleA, [](HWND dlg) {
    EXPECT_EQ(52, BarPosition(dlg, IDC_CT_TEMPERATURE_BAR));
    EXPECT_EQ("5200 K", Text(dlg, IDC_CT_TEMPERATURE_VALUE));
    MoveBar(dlg, IDC_CT_TEMPERATURE_BAR, 0);
    EXPECT_EQ(2500.0, gProgramState.Temperature);
    MoveBar(dlg, IDC_CT_TEMPERATURE_BAR, 500);
    EXPECT_EQ(10000.0, gProgramState.Temperature);
    EXPECT_EQ("10000 K", Text(dlg, IDC_CT_TEMPERATURE_VALUE));

    EXPECT_EQ(50, BarPosition(dlg, IDC_CT_SATURATION_BAR));
    EXPECT_EQ("0.500", Text(dlg, IDC_CT_SATURATION_VALUE));
    StepBar(dlg, IDC_CT_SATURATION_BAR, SB_LINERIGHT);
    EXPECT_DOUBLE_EQ(0.51, gProgramState.Saturation);
    EXPECT_EQ(" 0.51", Text(dlg, IDC_CT_SATURATION_VALUE));
    MoveBar(dlg, IDC_CT_SATURATION_BAR, 100);
    StepBar(dlg, IDC_CT_SATURATION_BAR, SB_LINERIGHT);
    EXPECT_DOUBLE_EQ(1.1, gProgramState.Saturation);

    EXPECT_EQ(-29, BarPosition(dlg, IDC_CT_ANGLE_BAR)) << "-0.5 rad";
    EXPECT_EQ("-29 °", Text(dlg, IDC_CT_ANGLE_VALUE));
    MoveBar(dlg, IDC_CT_ANGLE_BAR, 90);
    EXPECT_DOUBLE_EQ(90 * 0.017453292519943295, gProgramState.Colorangle);

    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dlg, IDC_CT_NOISE_BAR))) << "the colour noise filter is off";
    DialogDriver::Click(dlg, IDC_CT_NOISE);
    EXPECT_TRUE(gProgramState.Noisefilter);
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dlg, IDC_CT_NOISE_BAR)));
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dlg, IDC_CT_NOISE_LABEL)));
    DialogDriver::Click(dlg, IDC_CT_CANCEL);
  });
  SendCommand(IDM_TONE_COLOUR_TEMP);
  EXPECT_TRUE(driver.Done());
  EXPECT_EQ(5200.0, gProgramState.Temperature) << "cancel brings the settings back";
  EXPECT_EQ(0.50, gProgramState.Saturation);
}

TEST_F(ColourTemperatureDialogTest, TheWholePictureIsCorrectedAsTheOperatorCorrectsIt) {
  LoadColourful(1);
  LoadColourful(2, 20, 10);
  const std::vector<int16_t> a = Samples(1), b = Samples(2);
  gProgramState.Noiseradius = 3;   // with the filter off it must not act
  DialogDriver driver;
  driver.Then(kTitleA, [](HWND dlg) {
    MoveBar(dlg, IDC_CT_RED_BAR, 40);
    MoveBar(dlg, IDC_CT_BLUE_BAR, -25);
    MoveBar(dlg, IDC_CT_SATURATION_BAR, 130);
    MoveBar(dlg, IDC_CT_ANGLE_BAR, 20);
    MoveBar(dlg, IDC_CT_TEMPERATURE_BAR, 65);
    DialogDriver::Click(dlg, IDC_CT_TARGET_A + 1);
    DialogDriver::Click(dlg, IDC_CT_APPLY);
  });
  SendCommand(IDM_TONE_COLOUR_TEMP);
  EXPECT_TRUE(driver.Done());
  ImageHeader h;
  GetSlotHeader(&h, 1, &gProgramState);
  std::vector<int16_t> expected(a.size());
  ASSERT_EQ(IMG_OK, CorrectColourTemperature(a.data(), expected.data(), &h, 40, 0, -25, 4.0,
                                             20 * 0.017453292519943295, 6500.0, 0, nullptr));
  EXPECT_NE(a, expected);
  EXPECT_EQ(expected, Samples(2));
  EXPECT_EQ(a, Samples(1));
  EXPECT_EQ(b, Samples(6)) << "buffer B's picture before is its undo copy";
  EXPECT_EQ("6500.000000", IniValue("Temperature")) << "the settings group is saved";
  EXPECT_EQ("40", IniValue("Red"));
}

TEST_F(ColourTemperatureDialogTest, AFailedCorrectionInstallsNothing) {
  LoadColourful(1);
  const std::vector<int16_t> a = Samples(1);
  MessageBoxScript boxes;
  DialogDriver driver;
  driver.Then(kTitleA, [](HWND dlg) {
    gProgramState.Temperature = 0;   // what no bar can set
    DialogDriver::Click(dlg, IDC_CT_APPLY);
    EXPECT_TRUE(IsWindowVisible(dlg)) << "the dialog stays";
    DialogDriver::Click(dlg, IDC_CT_CANCEL);
  });
  SendCommand(IDM_TONE_COLOUR_TEMP);
  EXPECT_TRUE(driver.Done());
  ASSERT_EQ(1u, boxes.Count());
  EXPECT_EQ("Unsinniger Parameter wurde übergeben !", boxes.Box(0).text);
  EXPECT_EQ(a, Samples(1));
}

TEST_F(ColourTemperatureDialogTest, SettingsFromTheFileAreBroughtIntoTheBars) {
  LoadColourful(1);
  WritePrivateProfileStringA("Colortemp", "Temperature", "0", Ini().c_str());
  WritePrivateProfileStringA("Colortemp", "Saturation", "-3", Ini().c_str());
  WritePrivateProfileStringA("Colortemp", "Red", "900", Ini().c_str());
  WritePrivateProfileStringA("Colortemp", "Noiseradius", "0", Ini().c_str());
  LoadSettings(&gProgramState, kSectionColortemp, kSettingsFileName);
  DialogDriver driver;
  driver.Then(kTitleA, [](HWND dlg) {
    EXPECT_EQ(2500.0, gProgramState.Temperature);
    EXPECT_EQ("2500 K", Text(dlg, IDC_CT_TEMPERATURE_VALUE));
    EXPECT_DOUBLE_EQ(0.01, gProgramState.Saturation);
    EXPECT_EQ(100, gProgramState.Red);
    EXPECT_EQ(1, gProgramState.Noiseradius);
    DialogDriver::Click(dlg, IDC_CT_APPLY);
  });
  SendCommand(IDM_TONE_COLOUR_TEMP);
  EXPECT_TRUE(driver.Done());
  EXPECT_NE(std::vector<int16_t>(), Samples(5)) << "the correction ran";
}

TEST_F(ColourTemperatureDialogTest, AGreyPictureIsRefusedAndOnlyCancelRemains) {
  LoadPicture(1, "grau.fts", 40, 30, 0);
  MessageBoxScript boxes;
  DialogDriver driver;
  driver.Then(kTitleA, [](HWND dlg) {
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dlg, IDC_CT_APPLY)));
    DialogDriver::Click(dlg, IDC_CT_APPLY);
    DialogDriver::Click(dlg, IDC_CT_CANCEL);
  });
  SendCommand(IDM_TONE_COLOUR_TEMP);
  EXPECT_TRUE(driver.Done());
  ASSERT_EQ(1u, boxes.Count());
  EXPECT_EQ("Der Puffer A ist kein Farbbild !", boxes.Box(0).text);
  EXPECT_EQ(0, IsSlotLoaded(5, &gProgramState));
}

}  // namespace
