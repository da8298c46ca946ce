// Printing a buffer: Wine here has no printer, so the page is a memory
// device context over a DIB section, read back and compared with the page
// worked out pixel by pixel.
#include <windows.h>

#include <cderr.h>
#include <commdlg.h>
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "shell/buffer_slots.h"
#include "shell/menu_ids.h"
#include "shell/print_bands.h"
#include "shell/printing.h"
#include "tests/app/app_fixture.h"
#include "tests/shell/print_reference.h"
#include "tests/shell/testkit/dialog_driver.h"
#include "tests/shell/testkit/dib_canvas.h"

namespace {

constexpr const char* kProgressTitle = "Arbeit im Fortschritt ...";

// A white page: a canvas of 24 bits, or 8 with a grey colour table.
struct Page : Canvas {
  Page(int w, int h, int bits) : Canvas(w, h, RGB(255, 255, 255), true, bits) {}
  // Channel ch (0 blue, 1 green, 2 red) of pixel (x, y); the grey level on 8 bits.
  int At(int x, int y, int ch = 0) const {
    const COLORREF c = Canvas::At(x, y);
    return ch == 0 ? GetBValue(c) : ch == 1 ? GetGValue(c) : GetRValue(c);
  }
  bool AllWhite() const {
    for (int y = 0; y < height(); ++y)
      for (int x = 0; x < width(); ++x)
        if (Canvas::At(x, y) != RGB(255, 255, 255)) return false;
    return true;
  }
};

class PrintingTest : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    ProgramState* ps = &gProgramState;
    ps->Palettetype = 0;
    ps->Colorstep = 256;
    ps->IsIsophots = 0;
    ps->Logscale = 0;
  }
  void TearDown() override {
    EXPECT_EQ(nullptr, gMessageDialog);
    EXPECT_EQ(0, DialogDriver::CountWindows(kProgressTitle));
    AppTest::TearDown();
  }
  // Buffer A with a diagonal gradient, each channel its own way.
  static std::vector<int16_t> PutGradient(int w, int h, bool colour) {
    LoadPicture(1, "gradient", w, h, colour ? 1 : 0);
    int16_t* s = GetSlotPixels(1, &gProgramState);
    const int spp = colour ? 3 : 1;
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x)
        for (int ch = 0; ch < spp; ++ch) s[(y * w + x) * spp + ch] = int16_t((x * 32767 / w + y * 523 * (ch + 1)) % 32768);
    return std::vector<int16_t>(s, s + w * h * spp);
  }
};

TEST_F(PrintingTest, PageMatchesTheBilinearReferenceForBothFits) {
  const struct {
    int imageW, imageH;
    bool colour;
    int bits;
    int areaW, areaH;
  } cases[] = {
      {37, 23, false, 24, 300, 400},   // full width
      {23, 37, true, 24, 300, 200},    // full height, colour
      {60, 45, true, 8, 200, 300},     // colour on a grey device
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.imageW) + "x" + std::to_string(c.imageH) + " on " + std::to_string(c.bits));
    const std::vector<int16_t> samples = PutGradient(c.imageW, c.imageH, c.colour);
    ImageHeader h;
    GetSlotHeader(&h, 1, &gProgramState);
    const int left = 7, top = 11;
    Page page(c.areaW + 2 * left, c.areaH + 2 * top, c.bits);
    ASSERT_EQ(1, PrintImage(page.dc(), left, top, c.areaW, c.areaH, c.bits, 1, 1, &gProgramState));

    PrintFit fit;
    ASSERT_EQ(1, FitPrintPicture(c.areaW, c.areaH, c.imageW, c.imageH, &fit));
    const bool colourOut = c.colour && c.bits > 8;
    const ReferencePage ref =
        ReferencePrint(samples.data(), &h, fit.width, fit.bandHeight * kPrintBands, fit.step, colourOut);
    // Every row, band boundaries included; white where the picture ends.
    for (int y = 0; y < ref.height; ++y)
      for (int x = 0; x < ref.width; ++x)
        for (int ch = 0; ch < (c.bits == 8 ? 1 : 3); ++ch) {
          const int expected = ref.At(x, y) < 0 ? 255 : ref.At(x, y, colourOut ? ch : 0);
          ASSERT_EQ(expected, page.At(left + x, top + y, ch)) << "x " << x << " y " << y << " channel " << ch;
        }
    // Nothing beside or below the picture.
    EXPECT_EQ(255, page.At(left + fit.width, top));
    EXPECT_EQ(255, page.At(left, top + fit.bandHeight * kPrintBands));
    EXPECT_EQ(255, page.At(left - 1, top));
  }
}

TEST_F(PrintingTest, ColourOnAnEightBitDeviceIsItsLuminance) {
  LoadPicture(1, "colour", 20, 20, 1);
  int16_t* s = GetSlotPixels(1, &gProgramState);
  for (int i = 0; i < 20 * 20; ++i) {
    s[3 * i] = 100 * 128;       // blue
    s[3 * i + 1] = 200 * 128;   // green
    s[3 * i + 2] = 50 * 128;    // red
  }
  Page page(100, 100, 8);
  ASSERT_EQ(1, PrintImage(page.dc(), 0, 0, 100, 100, 8, 1, 1, &gProgramState));
  const int expected = int(std::floor(0.299 * 50 + 0.587 * 200 + 0.114 * 100));
  for (int y = 0; y < 96; ++y)
    for (int x = 0; x < 100; ++x) ASSERT_EQ(expected, page.At(x, y)) << x << "," << y;
}

TEST_F(PrintingTest, NothingToPrintGivesZero) {
  Page page(200, 200, 24);
  EXPECT_EQ(0, PrintImage(page.dc(), 0, 0, 200, 200, 24, 1, 1, &gProgramState));   // empty buffer
  LoadPicture(1, "tiny", 3, 10, 0);
  EXPECT_EQ(0, PrintImage(page.dc(), 0, 0, 200, 200, 24, 1, 1, &gProgramState));
  LoadPicture(1, "fine", 40, 40, 0);
  EXPECT_EQ(0, PrintImage(page.dc(), 0, 0, 200, 10, 24, 1, 1, &gProgramState));    // no room for the bands
  EXPECT_TRUE(page.AllWhite());
}

// Presses "&Abbrechen" as soon as the progress window shows.
HHOOK gCancelHook;
LRESULT CALLBACK CancelOnShow(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HCBT_ACTIVATE || code == HCBT_CREATEWND) {
    const HWND w = reinterpret_cast<HWND>(wParam);
    PostMessageA(w, WM_COMMAND, MAKEWPARAM(IDC_PROGRESS_CANCEL, BN_CLICKED), 0);
  }
  return CallNextHookEx(gCancelHook, code, wParam, lParam);
}

TEST_F(PrintingTest, CancelStopsBeforeTheNextBand) {
  LoadPicture(1, "picture", 64, 48, 1);
  Page page(300, 300, 24);
  gCancelHook = SetWindowsHookExA(WH_CBT, CancelOnShow, nullptr, GetCurrentThreadId());
  const int result = PrintImage(page.dc(), 0, 0, 300, 300, 24, 1, 1, &gProgramState);
  UnhookWindowsHookEx(gCancelHook);
  EXPECT_EQ(0, result);
  EXPECT_EQ(1, gProgramState.AbortRequested);
  EXPECT_TRUE(page.AllWhite());
  gProgramState.AbortRequested = 0;
}

TEST_F(PrintingTest, ProgressWindowShowsTextsAndIgnoresAPlainPaint) {
  gMessageDialog = CreateDialogParamA(GetModuleHandleA(nullptr), "arbeitmeld", Frame(), MessageDlgProc, 0);
  ASSERT_TRUE(gMessageDialog);
  char title[64] = "";
  GetWindowTextA(gMessageDialog, title, sizeof title);
  EXPECT_STREQ(kProgressTitle, title);
  gProgramState.AbortRequested = 1;
  const HWND w = gMessageDialog;
  SendMessageA(w, WM_PAINT, 0, reinterpret_cast<LPARAM>("Fülle Druckerpuffer ..."));
  char text[64] = "";
  GetDlgItemTextA(w, IDC_PROGRESS_TEXT, text, sizeof text);
  EXPECT_STREQ("Fülle Druckerpuffer ...", text);
  SendMessageA(w, WM_PAINT, 0, 0);
  GetDlgItemTextA(w, IDC_PROGRESS_TEXT, text, sizeof text);
  EXPECT_STREQ("Fülle Druckerpuffer ...", text);
  SendMessageA(w, WM_COMMAND, MAKEWPARAM(IDC_PROGRESS_CANCEL, BN_CLICKED), 0);
  EXPECT_FALSE(IsWindow(w));
  EXPECT_EQ(1, gProgramState.AbortRequested);
  gProgramState.AbortRequested = 0;
}

TEST_F(PrintingTest, PrintAreaOfTheDevice) {
  Page page(100, 100, 24);
  int mx = -1, my = -1, w = -1, h = -1, bpp = -1, planes = -1;
  ASSERT_EQ(1, GetPrintArea(page.dc(), &mx, &my, &w, &h, &bpp, &planes));
  EXPECT_EQ(int(GetDeviceCaps(page.dc(), LOGPIXELSX) * 0.8), mx);
  EXPECT_EQ(int(GetDeviceCaps(page.dc(), LOGPIXELSY) * 0.8), my);
  EXPECT_EQ(GetDeviceCaps(page.dc(), HORZRES) - 2 * mx, w);
  EXPECT_EQ(GetDeviceCaps(page.dc(), VERTRES) - 2 * my, h);
  EXPECT_EQ(GetDeviceCaps(page.dc(), BITSPIXEL), bpp);
  EXPECT_EQ(1, planes);
}

TEST_F(PrintingTest, PrinterDialogsTakeTheirStructure) {
  // No printer here: past the structure check the dialogs say so in a box
  // of their own ("Drucken") and answer no.
  DialogDriver driver;
  driver.Then(nullptr, [](HWND box) { DialogDriver::Click(box, IDOK); });
  EXPECT_FALSE(PrinterSetupDialog(Frame()));
  EXPECT_NE(DWORD(CDERR_STRUCTSIZE), CommDlgExtendedError());
  EXPECT_TRUE(driver.Done());
  driver.Then(nullptr, [](HWND box) { DialogDriver::Click(box, IDOK); });
  HDC hdc = nullptr;
  int copies = 0;
  EXPECT_FALSE(PrintDialog(&hdc, &copies, Frame()));
  EXPECT_NE(DWORD(CDERR_STRUCTSIZE), CommDlgExtendedError());
  EXPECT_TRUE(driver.Done());
  EXPECT_EQ(nullptr, hdc);
}

}  // namespace
