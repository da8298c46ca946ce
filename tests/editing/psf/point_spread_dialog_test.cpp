// The point-spread-function set-up opened through its opener, as no menu
// command reaches it: its templates, the size bars' odd steps, the source
// and method choices taken back by cancel and kept by "&Gut", and the green
// box moved by buttons, commands and clicks without ever leaving the picture.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "editing/psf/point_spread_dialog.h"
#include "editing/psf/point_spread_ids.h"
#include "shell/buffer_slots.h"
#include "shell/dialogkit/preview_pane.h"
#include "shell/hotkey_titles.h"
#include "shell/settings.h"
#include "tests/editing/edit_dialog_fixture.h"
#include "tests/shell/testkit/dialog_driver.h"
#include "tests/shell/testkit/dialog_resource.h"
#include "tests/shell/testkit/message_script.h"

namespace {

constexpr char kTitle[] = "Point Spread Function am Objekt einmessen";

class PointSpreadDialogTest : public EditDialogTest {
 protected:
  void SetUp() override {
    EditDialogTest::SetUp();
    LoadDefaults({kSectionPSF});
  }

  static std::string IniValue(const char* key) {
    char ini[kPathSize + 32], value[kPathSize] = "";
    std::snprintf(ini, sizeof ini, "%s\\tyvorn.ini", gProgramState.ProgramDirectory);
    GetPrivateProfileStringA("PSF", key, "?", value, sizeof value, ini);
    return value;
  }

  // Where the green box lies in the picture: the bounding box of the green
  // pixels the pane draws (read once through WM_PRINTCLIENT), less the place
  // of the picture's first pixel.
  static RECT Box(HWND dlg) {
    RECT box = {INT_MAX, INT_MAX, -1, -1};
    PreviewMapping map;
    if (!GetPreviewMapping(PreviewPaneOf(dlg), &map)) return box;
    const int w = map.client.right, h = map.client.bottom;
    const HWND control = GetDlgItem(dlg, IDC_PSF_PREVIEW);
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    const HDC memory = CreateCompatibleDC(nullptr);
    const HBITMAP bitmap = CreateDIBSection(memory, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    const HGDIOBJ old = SelectObject(memory, bitmap);
    SendMessageA(control, WM_PRINTCLIENT, WPARAM(memory), PRF_CLIENT);
    GdiFlush();
    const auto* pixels = static_cast<const uint32_t*>(bits);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        if ((pixels[size_t(y) * w + x] & 0xFFFFFF) != 0x00FF00) continue;
        box.left = std::min<LONG>(box.left, x - map.left);
        box.top = std::min<LONG>(box.top, y - map.top);
        box.right = std::max<LONG>(box.right, x - map.left + 1);
        box.bottom = std::max<LONG>(box.bottom, y - map.top + 1);
      }
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    return box;
  }
};

TEST_F(PointSpreadDialogTest, BothSizesHoldEveryControlAndFitTheirScreens) {
  const struct {
    const char* name;
    int width, height;
  } sizes[] = {{"POINTSPREADFCT800", 800, 600}, {"POINTSPREADFCT1024", 1024, 768}};
  const struct {
    int id;
    const char* text;
  } controls[] = {
      {IDC_PSF_UP, "Auf"},          {IDC_PSF_LEFT, "Links"},         {IDC_PSF_RIGHT, "Rechts"},
      {IDC_PSF_DOWN, "Ab"},         {IDC_PSF_STAR, "Stern"},         {IDC_PSF_PLANET, "Planet"},
      {IDC_PSF_EDGE, "Kante"},      {IDC_PSF_FILE, "Da&tei"},        {IDC_PSF_BUFFER_A, "Puffer &A"},
      {IDC_PSF_BUFFER_A + 1, "Puffer &B"}, {IDC_PSF_BUFFER_A + 2, "Puffer &C"}, {IDC_PSF_BUFFER_D, "Puffer &D"},
      {IDC_PSF_OK, "&Gut"},         {IDC_PSF_CANCEL, "&Abbrechen"},  {IDC_PSF_MEASURE, "&Messen"},
      {IDC_PSF_CHOOSE, "A&uswahl"}, {IDC_PSF_CLOCKWISE, "Uhr"},      {IDC_PSF_ANTICLOCKWISE, "! Uhr"},
      {IDC_PSF_MINUS, "-"},         {IDC_PSF_PLUS, "+"},             {IDC_PSF_WIDTH_TEXT, "15 Pixel"},
      {IDC_PSF_HEIGHT_TEXT, "15 Pixel"},
  };
  for (const auto& s : sizes) {
    DialogResourceProbe probe(s.name);
    ASSERT_TRUE(probe.Ok()) << s.name;
    EXPECT_EQ(kTitle, probe.Title());
    for (const auto& c : controls) EXPECT_EQ(c.text, probe.Text(c.id)) << s.name << " " << c.id;
    for (int bar : {IDC_PSF_WIDTH_BAR, IDC_PSF_HEIGHT_BAR, IDC_PSF_HSCROLL, IDC_PSF_VSCROLL})
      EXPECT_EQ("ScrollBar", probe.ClassOf(bar)) << s.name << " " << bar;
    EXPECT_TRUE(probe.Has(IDC_PSF_PREVIEW));
    const std::vector<std::string> texts = probe.Texts();
    for (const char* label : {"Mitte bewegen", "&Breite", "&Höhe", "Methode", "Quelle"})
      EXPECT_NE(texts.end(), std::find(texts.begin(), texts.end(), label)) << s.name << " " << label;
    EXPECT_TRUE(probe.StyleOf(IDC_PSF_OK) & BS_DEFPUSHBUTTON);
    EXPECT_LE(probe.Size().cx, s.width) << s.name;
    EXPECT_LE(probe.Size().cy, s.height) << s.name;
  }
}

TEST_F(PointSpreadDialogTest, SizeBarsStepThroughOddSizes) {
  LoadPicture(1, "stern.fts", 120, 90, 0);
  gProgramState.PSFheight = 24;   // even, from a hand-edited file
  DialogDriver driver;
  driver.Then(kTitle, [](HWND dlg) {
    EXPECT_EQ(12, BarPosition(dlg, IDC_PSF_WIDTH_BAR));
    EXPECT_EQ("25", DialogDriver::ItemText(dlg, IDC_PSF_WIDTH_TEXT));
    StepBar(dlg, IDC_PSF_WIDTH_BAR, SB_LINERIGHT);
    EXPECT_EQ(27, gProgramState.PSFwidth);
    EXPECT_EQ("27", DialogDriver::ItemText(dlg, IDC_PSF_WIDTH_TEXT));
    MoveBar(dlg, IDC_PSF_WIDTH_BAR, 22);
    EXPECT_EQ(45, gProgramState.PSFwidth);
    MoveBar(dlg, IDC_PSF_WIDTH_BAR, 0);
    EXPECT_EQ(5, gProgramState.PSFwidth);
    EXPECT_EQ(12, BarPosition(dlg, IDC_PSF_HEIGHT_BAR));
    EXPECT_EQ(24, gProgramState.PSFheight) << "kept until its bar moves";
    StepBar(dlg, IDC_PSF_HEIGHT_BAR, SB_LINERIGHT);
    EXPECT_EQ(27, gProgramState.PSFheight);
    DialogDriver::Click(dlg, IDC_PSF_OK);
  });
  EXPECT_EQ(1, OpenPointSpreadDialog(Frame()));
  EXPECT_TRUE(driver.Done());
  EXPECT_EQ("5", IniValue("PSFwidth"));
  EXPECT_EQ("27", IniValue("PSFheight"));
  EXPECT_EQ("0", IniValue("Method"));
  EXPECT_NE("?", IniValue("PSFFctPath"));
  EXPECT_EQ("FALSE", IniValue("UserPSF"));
}

TEST_F(PointSpreadDialogTest, CancelTakesMethodAndSourceBack) {
  LoadPicture(1, "a.fts", 60, 40, 0);
  LoadPicture(3, "c.fts", 60, 40, 0);
  gProgramState.PSFMethod = 1;
  DialogDriver driver;
  driver.Then(kTitle, [](HWND dlg) {
    EXPECT_TRUE(HotKeyDialogTitle[kHotKeyPointSpread] == DialogDriver::Title(dlg)) << "the keyboard finds it";
    EXPECT_TRUE(Checked(dlg, IDC_PSF_PLANET));
    EXPECT_TRUE(Checked(dlg, IDC_PSF_FILE));
    EXPECT_FALSE(Enabled(dlg, IDC_PSF_BUFFER_A + 1)) << "buffer B is empty";
    EXPECT_TRUE(Enabled(dlg, IDC_PSF_BUFFER_A + 2));
    DialogDriver::Click(dlg, IDC_PSF_EDGE);
    DialogDriver::Click(dlg, IDC_PSF_BUFFER_A + 2);
    EXPECT_EQ(2, gProgramState.PSFMethod);
    EXPECT_EQ(3, gProgramState.SourceBuffer);
    EXPECT_TRUE(Checked(dlg, IDC_PSF_BUFFER_A + 2));
    DialogDriver::Click(dlg, IDC_PSF_CANCEL);
  });
  EXPECT_EQ(0, OpenPointSpreadDialog(Frame()));
  EXPECT_TRUE(driver.Done());
  EXPECT_EQ(1, gProgramState.PSFMethod);
  EXPECT_EQ(1, gProgramState.SourceBuffer);
}

TEST_F(PointSpreadDialogTest, TheBoxMovesByStepsAndClicksAndStaysInThePicture) {
  LoadPicture(1, "stern.fts", 200, 150, 0);
  DialogDriver driver;
  driver.Then(kTitle, [](HWND dlg) {
    const RECT start = Box(dlg);
    EXPECT_EQ(25, start.right - start.left) << "PSFwidth";
    EXPECT_EQ(25, start.bottom - start.top);
    DialogDriver::Click(dlg, IDC_PSF_RIGHT);
    DialogDriver::Click(dlg, IDC_PSF_RIGHT);
    DialogDriver::Click(dlg, IDC_PSF_UP);
    SendMessageA(dlg, WM_COMMAND, IDC_PSF_DOWN_10, 0);
    RECT moved = Box(dlg);
    EXPECT_EQ(start.left + 2, moved.left);
    EXPECT_EQ(start.top + 9, moved.top);
    ASSERT_TRUE(ClickPicture(dlg, IDC_PSF_PREVIEW, 150, 100));
    moved = Box(dlg);
    EXPECT_EQ(start.left + (150 - 12 - 87), moved.left) << "centred on the click";
    EXPECT_EQ(start.top + (100 - 12 - 62), moved.top);
    ASSERT_TRUE(ClickPicture(dlg, IDC_PSF_PREVIEW, 199, 0));
    const RECT corner = Box(dlg);
    EXPECT_EQ(start.left + (200 - 25 - 1 - 87), corner.left) << "kept inside";
    EXPECT_EQ(start.top + (1 - 62), corner.top);
    DialogDriver::Click(dlg, IDC_PSF_RIGHT);
    SendMessageA(dlg, WM_COMMAND, IDC_PSF_UP_10, 0);
    moved = Box(dlg);
    EXPECT_EQ(corner.left, moved.left) << "a step out of the picture is undone";
    EXPECT_EQ(corner.top, moved.top);
    DialogDriver::Click(dlg, IDC_PSF_OK);
  });
  EXPECT_EQ(1, OpenPointSpreadDialog(Frame()));
  EXPECT_TRUE(driver.Done());
}

TEST_F(PointSpreadDialogTest, AnEmptySourceIsRefused) {
  MessageBoxScript boxes;
  EXPECT_EQ(0, OpenPointSpreadDialog(Frame()));
  ASSERT_EQ(1u, boxes.Count());
  EXPECT_EQ("Der Puffer A ist leer !", boxes.Box(0).text);
}

}  // namespace
