// The large contrast dialog, opened in place of the contrast dialog through
// the frame's dialog opener, as no menu command reaches it: the template,
// the lightness-only and the every-channel mapping against the image
// library, the preview that follows "Mit HSI-Transformation", the up-down
// control, the clamped Toplevel and the background level.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "editing/contrast/contrast_curves.h"
#include "editing/contrast/contrast_ids.h"
#include "editing/contrast/contrast_single_dialog.h"
#include "imagelib/colour_space.h"
#include "imagelib/contrast.h"
#include "imagelib/statistics.h"
#include "shell/dialogkit/preview_pane.h"
#include "shell/menu_commands.h"
#include "shell/menu_ids.h"
#include "tests/editing/contrast_test_kit.h"
#include "tests/shell/testkit/dialog_driver.h"
#include "tests/shell/testkit/dialog_resource.h"
#include "tests/shell/testkit/live_counts.h"
#include "tests/shell/testkit/message_script.h"

namespace {

constexpr char kTitleA[] = "Kontrasteinstellung von Puffer A";

// The contrast command opens the large dialog.
INT_PTR OpenLargeDialog(void* opened, HWND owner, const char* templateName, DLGPROC) {
  *static_cast<std::string*>(opened) = templateName;
  return DialogBoxParamA(GetModuleHandleA(nullptr), "KONTRASTIERUNG1", owner, ContrastSingleDlgProc, 0);
}

class ContrastSingleDialogTest : public EditingDialogTest {
 protected:
  void SetUp() override {
    EditingDialogTest::SetUp();
    SetDialogOpener(OpenLargeDialog, &opened_);
  }
  static ContrastChannelSettings& Common() { return gProgramState.ContrastChannels[0]; }

  // The curve as the dialog builds it, from the histogram of the picture's centre.
  static std::vector<uint16_t> Curve(int slot) {
    const ImageHeader h = Header(slot);
    ImageRect centre;
    MakeRect(&centre, h.width / 8, h.height / 8, 6 * h.width / 8, 6 * h.height / 8);
    std::vector<uint32_t> histogram(kContrastLevels);
    EXPECT_EQ(IMG_OK, ComputeRegionHistogram(&centre, &h, GetSlotPixels(slot, &gProgramState), histogram.data()));
    const ProgramState& ps = gProgramState;
    std::vector<uint16_t> t(kContrastLevels);
    EXPECT_EQ(IMG_OK, BuildContrastCurve(t.data(), h.levels, Common().Algorithm, Common().LogMulti, Common().Gamma,
                                         ps.TurningPt, ps.HighGamma, ps.LowGamma, 1024, ps.Equalizing,
                                         Common().Toplevel * 0.01, Common().Histogramrange,
                                         ps.RejectBackground ? Common().Backgroundlevel : 0, histogram.data()));
    return t;
  }

  std::string opened_;
};

TEST_F(ContrastSingleDialogTest, TheTemplateHoldsEveryControlAndFitsTheSmallScreen) {
  DialogResourceProbe probe("KONTRASTIERUNG1");
  ASSERT_TRUE(probe.Ok());
  EXPECT_EQ("Kontrastierung", probe.Title());
  const struct {
    int id;
    const char* text;
  } controls[] = {
      {120, "L&inear"},     {121, "E&xponential"}, {122, "&Logarithmus"},  {123, "&Histogramm"},
      {124, "Ga&mma"},      {125, "S-Schlag"},     {126, "Ausführen"},     {141, " Alles"},
      {142, " 99.8 %"},     {148, " 80 %"},        {161, "Toplevel"},      {155, "Untergrund"},
      {156, "Automatik"},   {154, "Hotpixel"},     {153, "Deadpixel"},     {103, "Vorschau abschalten"},
      {164, "Mit HSI-Transformation"}, {131, "Puffer A"}, {134, "Puffer D"}, {101, "&Bearbeiten"},
      {102, "&Abbruch"},    {104, "-"},            {105, "+"},
  };
  for (const auto& c : controls) EXPECT_EQ(c.text, probe.Text(c.id)) << c.id;
  for (int id : {109, 110, 111, 112, 113, 114, 115, 116, 117, 106, 118, 139, 137, 135, 159, 157, 149, 151})
    EXPECT_TRUE(probe.Has(id)) << id;
  for (int id : {119, 140, 138, 136, 160, 158, 150, 152, 107, 108}) EXPECT_EQ("ScrollBar", probe.ClassOf(id)) << id;
  EXPECT_EQ("msctls_updown32", probe.ClassOf(IDC_SINGLE_LOG_UPDOWN));
  EXPECT_LE(probe.Size().cx, 800);
  EXPECT_LE(probe.Size().cy, 600);
}

TEST_F(ContrastSingleDialogTest, WithHsiOnlyTheLightnessIsMappedWithoutItEveryChannel) {
  for (const bool hsi : {true, false}) {
    SCOPED_TRACE(hsi);
    SetUp();
    LoadSpread(1, 48, 36, 1);
    const std::vector<int16_t> before = Samples(1);
    Common().Algorithm = CURVE_POWER;
    Common().Gamma = 0.5;
    gProgramState.UseHSIMethod = hsi;
    DialogDriver driver;
    driver.Then(kTitleA, [](HWND dlg) {
      EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dlg, IDC_SINGLE_GAMMA)));
      EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dlg, IDC_SINGLE_TURNING))) << "no S-curve";
      DialogDriver::Click(dlg, IDC_SINGLE_EDIT);
    });
    SendCommand(IDM_CONTRAST);
    EXPECT_TRUE(driver.Done());
    EXPECT_EQ("kontrastierung2", opened_);
    const ImageHeader h = Header(1);
    const std::vector<uint16_t> t = Curve(5);   // the picture as it was
    std::vector<int16_t> expected(before.size());
    ImageRect all;
    MakeRect(&all, 0, 0, h.width, h.height);
    if (hsi) {
      const size_t n = size_t(h.width) * h.height;
      std::vector<int16_t> hue(n), saturation(n), lightness(n);
      ASSERT_EQ(IMG_OK, RgbToHueSatLight(before.data(), hue.data(), saturation.data(), lightness.data(), &h));
      ImageHeader plane = h;
      plane.colourType = 0;
      ASSERT_EQ(IMG_OK, ApplyLut(&all, &plane, lightness.data(), lightness.data(), t.data()));
      ASSERT_EQ(IMG_OK, HueSatLightToRgb(expected.data(), hue.data(), saturation.data(), lightness.data(), &h));
    } else {
      ASSERT_EQ(IMG_OK, ApplyLut(&all, &h, before.data(), expected.data(), t.data()));
    }
    EXPECT_EQ(expected, Samples(1));
    EXPECT_EQ(before, Samples(5));
    EXPECT_EQ(nullptr, gProgramState.ContrastLuts[0]);
  }
}

TEST_F(ContrastSingleDialogTest, ThePreviewFollowsTheHsiSwitchAndTheUpArrowRaisesTheMultiplier) {
  LoadSpread(1, 300, 200, 1);
  Common().Algorithm = CURVE_LOGARITHMIC;
  Common().LogMulti = 1;
  gProgramState.UseHSIMethod = 0;
  DialogDriver driver;
  driver.Then(kTitleA, [](HWND dlg) {
    const std::vector<uint32_t> channels = Pixels(PreviewPaneOf(dlg)->bitmap);
    ASSERT_FALSE(channels.empty());
    DialogDriver::Click(dlg, IDC_SINGLE_HSI);
    EXPECT_EQ(1, gProgramState.UseHSIMethod);
    const std::vector<uint32_t> lightness = Pixels(PreviewPaneOf(dlg)->bitmap);
    EXPECT_NE(channels, lightness) << "the preview maps the lightness now";
    DialogDriver::Click(dlg, IDC_SINGLE_HSI);
    EXPECT_EQ(channels, Pixels(PreviewPaneOf(dlg)->bitmap));
    const HWND edit = GetDlgItem(dlg, IDC_SINGLE_LOG_MULTI);
    SendMessageA(edit, WM_KEYDOWN, VK_UP, 0);
    SendMessageA(edit, WM_KEYUP, VK_UP, 0);
    EXPECT_EQ(2, Common().LogMulti);
    EXPECT_EQ("2", DialogDriver::ItemText(dlg, IDC_SINGLE_LOG_MULTI));
    EXPECT_NE(channels, Pixels(PreviewPaneOf(dlg)->bitmap)) << "a stronger logarithm";
    DialogDriver::Click(dlg, IDC_SINGLE_CANCEL);
  });
  SendCommand(IDM_CONTRAST);
  EXPECT_TRUE(driver.Done());
  EXPECT_EQ(1, Common().LogMulti) << "cancelled";
}

TEST_F(ContrastSingleDialogTest, TopLevelIsAPercentageAndTheBackgroundStaysBelowThePicturesLevels) {
  LoadSpread(1, 40, 30, 0, 3000, 9000);
  int16_t* s = GetSlotPixels(1, &gProgramState);
  for (int i = 0; i < 40 * 30; i += 2) s[i] = 5000;   // the peak
  EXPECT_EQ(32767, Common().Toplevel) << "the file's default";
  Common().Backgroundlevel = 7000;
  gProgramState.RejectBackground = 0;
  gProgramState.LimitTopLevel = 0;
  MessageBoxScript boxes;
  DialogDriver driver;
  driver.Then(kTitleA, [](HWND dlg) {
    EXPECT_EQ(100, Common().Toplevel);
    EXPECT_EQ("100 %", DialogDriver::ItemText(dlg, IDC_SINGLE_TOP_TEXT));
    EXPECT_EQ(5000, Common().Backgroundlevel) << "lowered to the peak";
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dlg, IDC_SINGLE_TOP)));
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dlg, IDC_SINGLE_BACKGROUND)));
    DialogDriver::Click(dlg, IDC_SINGLE_LIMIT_TOP);
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dlg, IDC_SINGLE_TOP)));
    SendMessageA(dlg, WM_HSCROLL, SB_PAGELEFT, LPARAM(GetDlgItem(dlg, IDC_SINGLE_TOP)));
    EXPECT_EQ(95, Common().Toplevel);
    EXPECT_EQ("95 %", DialogDriver::ItemText(dlg, IDC_SINGLE_TOP_TEXT));
    DialogDriver::Click(dlg, IDC_SINGLE_REJECT_BACKGROUND);
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dlg, IDC_SINGLE_AUTOMATIC)));
    MoveBar(dlg, IDC_SINGLE_BACKGROUND, 20000);
    EXPECT_LT(Common().Backgroundlevel, 9000) << "below the highest level of the picture";
    EXPECT_GE(Common().Backgroundlevel, 8000);
    DialogDriver::Click(dlg, IDC_SINGLE_AUTOMATIC);
    EXPECT_EQ(5000, Common().Backgroundlevel);
    EXPECT_EQ("5000", DialogDriver::ItemText(dlg, IDC_SINGLE_BACKGROUND_TEXT));
    // Grey: the colour histograms stay dark blue.
    HWND red = GetDlgItem(dlg, IDC_SINGLE_INPUT_RED);
    UpdateWindow(red);
    HDC dc = GetDC(red);
    EXPECT_EQ(RGB(0, 0, 128), GetPixel(dc, 5, 5));
    ReleaseDC(red, dc);
    DialogDriver::Click(dlg, IDC_SINGLE_CANCEL);
  });
  SendCommand(IDM_CONTRAST);
  EXPECT_TRUE(driver.Done());
  EXPECT_EQ(0u, boxes.Count());
  EXPECT_EQ(32767, Common().Toplevel) << "the contrast dialog's white point comes back";
}

TEST_F(ContrastSingleDialogTest, ColourPlanesComeInThreesOrNotAtAll) {
  ImageHeader h;
  InitImageHeader(&h);
  h.width = 10;
  h.height = 4;
  h.colourType = kColourRgb;
  int16_t *a = reinterpret_cast<int16_t*>(1), *b = a, *c = a;
  const long blocks = LiveMemBlocks();
  ASSERT_EQ(1, AllocColourPlanes(&a, &b, &c, &h));
  EXPECT_EQ(blocks + 3, LiveMemBlocks());
  EXPECT_EQ(1, FreeColourPlanes(a, b, c));
  EXPECT_EQ(blocks, LiveMemBlocks());
  h.colourType = 0;
  EXPECT_EQ(0, AllocColourPlanes(&a, &b, &c, &h));
  EXPECT_EQ(nullptr, a);
  EXPECT_EQ(nullptr, c);
  EXPECT_EQ(0, AllocColourPlanes(&a, &b, &c, nullptr));
}

}  // namespace
