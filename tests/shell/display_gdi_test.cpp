// Palettes, display bitmaps and previews through the real GDI of Wine, read
// back pixel by pixel from 32-bit DIB sections selected into memory device
// contexts. Nothing here needs the screen.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "shell/display_bitmap.h"
#include "shell/display_palette.h"
#include "shell/message_box.h"
#include "shell/previews.h"
#include "state_fixture.h"
#include "testkit/dialog_template.h"
#include "testkit/dib_canvas.h"
#include "testkit/message_script.h"

namespace {

std::string Text(COLORREF c) {
  return std::to_string(GetRValue(c)) + "," + std::to_string(GetGValue(c)) + "," + std::to_string(GetBValue(c));
}

RGBQUAD Quad(int r, int g, int b) { return {BYTE(b), BYTE(g), BYTE(r), 0}; }

// A source bitmap whose every pixel has its own colour.
COLORREF Pattern(int x, int y) { return RGB(10 + x, 20 + y, 200); }
std::unique_ptr<Canvas> PatternBitmap(int w, int h) {
  auto c = std::make_unique<Canvas>(w, h, kMarker, false);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) c->Set(x, y, Pattern(x, y));
  return c;
}

class DisplayGdi : public testing::Test {
 protected:
  void SetUp() override {
    ps_ = MakeState();
    ps_->ScreenBitsPerPixel = 32;
    ps_->Palettetype = 0;
    ps_->Colorstep = 256;
    ps_->FirstColor = Quad(0, 40, 0);
    ps_->LastColor = Quad(255, 160, 80);
    ps_->Isophotdistance = 32;
    ps_->Isophotcolor = Quad(0, 255, 0);
    ps_->Lettercolor = Quad(0, 128, 128);
    ps_->Gridcolor = Quad(5, 6, 7);
    ps_->Inviscolor = Quad(64, 64, 64);
    ps_->PaletteHandle = CreateProgramPalette(ps_.get());
    ASSERT_NE(nullptr, ps_->PaletteHandle);
  }
  void TearDown() override {
    DeleteObject(ps_->PaletteHandle);
    DisposeState(ps_.get());
  }

  std::vector<PALETTEENTRY> Entries() {
    std::vector<PALETTEENTRY> e(kProgramPaletteSize);
    EXPECT_EQ(UINT(kProgramPaletteSize), GetPaletteEntries(ps_->PaletteHandle, 0, kProgramPaletteSize, e.data()));
    return e;
  }

  // Draws the display bitmap of a picture whose samples are given as levels
  // (x 128) onto a canvas of its size.
  std::unique_ptr<Canvas> Show(int w, int h, int colourType, const std::vector<int>& levels) {
    ImageHeader hd;
    InitImageHeader(&hd);
    hd.width = w;
    hd.height = h;
    hd.colourType = colourType;
    std::vector<int16_t> samples;
    for (int v : levels) samples.push_back(int16_t(v << 7));
    auto canvas = std::make_unique<Canvas>(w, h);
    HBITMAP bmp = CreateDisplayBitmap(canvas->dc(), samples.data(), &hd, ps_.get());
    EXPECT_NE(nullptr, bmp);
    BlitBitmap(canvas->dc(), bmp, 0, 0, 0, 0, w, h);
    DeleteObject(bmp);
    return canvas;
  }

  std::unique_ptr<ProgramState> ps_;
};

::testing::AssertionResult EntryIs(const PALETTEENTRY& e, int r, int g, int b) {
  if (e.peRed == r && e.peGreen == g && e.peBlue == b && e.peFlags == PC_NOCOLLAPSE)
    return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "entry " << int(e.peRed) << "," << int(e.peGreen) << ","
                                       << int(e.peBlue) << " flags " << int(e.peFlags);
}

TEST_F(DisplayGdi, ProgramPaletteLayout) {
  DeleteObject(ps_->PaletteHandle);
  ps_->Palettetype = 8;
  ps_->Colorstep = 16;
  ps_->PaletteHandle = CreateProgramPalette(ps_.get());
  std::vector<PALETTEENTRY> e = Entries();
  // Ramp at the lower end of each step: levels 0, 80, 240 of "Landkarte 2".
  EXPECT_TRUE(EntryIs(e[0], 192, 32, 128));
  EXPECT_TRUE(EntryIs(e[40], 96, 128, 255));
  EXPECT_TRUE(EntryIs(e[127], 223, 208, 176));
  // The colour cube, black, and the six colours of the settings.
  EXPECT_TRUE(EntryIs(e[128], 0, 0, 0));
  EXPECT_TRUE(EntryIs(e[131], 192, 0, 0));
  EXPECT_TRUE(EntryIs(e[132], 255, 0, 0));
  EXPECT_TRUE(EntryIs(e[133], 0, 64, 0));
  EXPECT_TRUE(EntryIs(e[152], 255, 255, 0));
  EXPECT_TRUE(EntryIs(e[153], 0, 0, 85));
  EXPECT_TRUE(EntryIs(e[227], 255, 255, 255));
  EXPECT_TRUE(EntryIs(e[228], 0, 0, 0));
  EXPECT_TRUE(EntryIs(e[229], 0, 0, 0));
  EXPECT_TRUE(EntryIs(e[230], 0, 128, 128));
  EXPECT_TRUE(EntryIs(e[231], 5, 6, 7));
  EXPECT_TRUE(EntryIs(e[232], 64, 64, 64));
  EXPECT_TRUE(EntryIs(e[233], 0, 40, 0));
  EXPECT_TRUE(EntryIs(e[234], 255, 160, 80));
  EXPECT_TRUE(EntryIs(e[235], 0, 255, 0));

  // Night mode halves the ramp only.
  DeleteObject(ps_->PaletteHandle);
  ps_->NightMode = TRUE;
  ps_->PaletteHandle = CreateProgramPalette(ps_.get());
  e = Entries();
  EXPECT_TRUE(EntryIs(e[40], 48, 64, 127));
  EXPECT_TRUE(EntryIs(e[233], 0, 40, 0));
  EXPECT_TRUE(EntryIs(e[132], 255, 0, 0));
}

TEST_F(DisplayGdi, FillPaletteRewritesRampAndSettingColours) {
  ps_->Palettetype = 15;   // "Glühfarben"
  ps_->Colorstep = 8;
  ps_->FirstColor = Quad(1, 2, 3);
  ps_->Isophotcolor = Quad(9, 8, 7);
  ASSERT_EQ(1, FillPalette(ps_.get(), 0));
  std::vector<PALETTEENTRY> e = Entries();
  // Ramp at the middle of each step of 32: levels 16, 80, 240.
  EXPECT_TRUE(EntryIs(e[0], 48, 0, 0));
  EXPECT_TRUE(EntryIs(e[15], 48, 0, 0));
  EXPECT_TRUE(EntryIs(e[40], 240, 0, 0));
  EXPECT_TRUE(EntryIs(e[127], 255, 255, 210));
  EXPECT_TRUE(EntryIs(e[233], 1, 2, 3));
  EXPECT_TRUE(EntryIs(e[235], 9, 8, 7));
  EXPECT_TRUE(EntryIs(e[132], 255, 0, 0)) << "the cube stays";

  ASSERT_EQ(1, FillPalette(ps_.get(), 1));
  e = Entries();
  EXPECT_TRUE(EntryIs(e[40], 120, 0, 0));
  EXPECT_TRUE(EntryIs(e[233], 1, 2, 3)) << "only the ramp is halved";
}

TEST_F(DisplayGdi, GreyPicturesShowThroughTheColourTable) {
  ps_->Colorstep = 8;   // the middle of each step of 32
  std::unique_ptr<Canvas> c = Show(4, 2, 0, {0, 64, 128, 255, 31, 32, 100, 200});
  const int expected[2][4] = {{16, 80, 144, 240}, {16, 48, 112, 208}};
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 4; ++x) {
      const int v = expected[y][x];
      EXPECT_EQ(RGB(v, v, v), c->At(x, y)) << x << "," << y << ": " << Text(c->At(x, y));
    }

  ps_->Colorstep = 256;
  ps_->Palettetype = 10;   // "Seekarte": the last level is grey
  c = Show(2, 1, 0, {255, 254});
  EXPECT_EQ(RGB(128, 128, 128), c->At(0, 0));
  EXPECT_EQ(RGB(217, 254, 224), c->At(1, 0));
}

TEST_F(DisplayGdi, ColourPicturesShowTheirChannels) {
  // Two pixels B, G, R.
  std::unique_ptr<Canvas> c = Show(2, 1, kColourRgb, {10, 20, 30, 200, 100, 0});
  EXPECT_EQ(RGB(30, 20, 10), c->At(0, 0));
  EXPECT_EQ(RGB(0, 100, 200), c->At(1, 0));
  ps_->Palettetype = 1;
  c = Show(2, 1, kColourRgb, {10, 20, 30, 200, 100, 0});
  EXPECT_EQ(RGB(225, 235, 245), c->At(0, 0));
}

TEST_F(DisplayGdi, ColourType11ShowsAsColourCircleAndKeepsTheSetting) {
  ps_->Palettetype = 4;
  std::unique_ptr<Canvas> c = Show(2, 1, 11, {0, 43});
  EXPECT_EQ(RGB(255, 0, 0), c->At(0, 0));
  EXPECT_EQ(RGB(255, 255, 0), c->At(1, 0));
  EXPECT_EQ(4, ps_->Palettetype);
}

TEST_F(DisplayGdi, IsophotesInTheBitmap) {
  ps_->IsIsophots = TRUE;
  // A band change in the lower picture row (the first buffer row) takes the
  // isophote colour; white off the isophotes shows as 254.
  std::unique_ptr<Canvas> c = Show(3, 2, 0, {10, 200, 255, 10, 200, 200});
  EXPECT_EQ(RGB(0, 255, 0), c->At(0, 1));
  EXPECT_EQ(RGB(200, 200, 200), c->At(1, 1));
  EXPECT_EQ(RGB(10, 10, 10), c->At(0, 0));
  EXPECT_EQ(RGB(254, 254, 254), c->At(2, 0));
}

TEST_F(DisplayGdi, BitmapsWithoutSizeOrSamples) {
  MessageBoxScript boxes;
  ImageHeader hd;
  InitImageHeader(&hd);
  hd.width = 0;
  hd.height = 3;
  const int16_t samples[4] = {};
  Canvas c(4, 4);
  EXPECT_EQ(nullptr, CreateDisplayBitmap(c.dc(), samples, &hd, ps_.get()));
  EXPECT_EQ(nullptr, CreateZoomBitmap(c.dc(), samples, &hd, ps_.get(), 2, 0, 0, 9, 9, 1, 1));
  ASSERT_EQ(2u, boxes.Count());
  EXPECT_EQ("Bitmap ohne Maße !", boxes.Box(0).text);
  EXPECT_EQ("Fehlermeldung", boxes.Box(0).title);
  EXPECT_EQ(UINT(MB_ICONSTOP), boxes.Box(0).Icon());

  hd.width = 2;
  hd.height = 2;
  EXPECT_EQ(nullptr, CreateDisplayBitmap(c.dc(), nullptr, &hd, ps_.get()));
  EXPECT_EQ(nullptr, CreateZoomBitmap(c.dc(), samples, &hd, ps_.get(), 1, 2, 0, 9, 9, 1, 1)) << "x0 outside";
  EXPECT_EQ(2u, boxes.Count()) << "no further message";
}

TEST_F(DisplayGdi, ZoomBitmapTakesEveryNthSampleOfTheSection) {
  // 6 x 4 grey, level 10 y + x.
  ImageHeader hd;
  InitImageHeader(&hd);
  hd.width = 6;
  hd.height = 4;
  hd.colourType = 0;
  std::vector<int16_t> samples;
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 6; ++x) samples.push_back(int16_t((10 * y + x) << 7));
  const struct {
    int n, x0, y0, maxW, maxH, range;
    int w, h;
    std::vector<int> levels;
  } cases[] = {
      {2, 1, 0, 10, 10, 1, 3, 2, {2, 4, 0, 22, 24, 0}},   // column 6 lies outside: black
      {1, 2, 1, 2, 2, 1, 2, 2, {12, 13, 22, 23}},          // limited to 2 x 2
      {1, 2, 1, 2, 2, 0, 6, 4, {0, 1, 2, 3, 4, 5}},        // n 1 without ranges: all at 1:1
  };
  for (const auto& k : cases) {
    SCOPED_TRACE(testing::Message() << "n " << k.n << " from " << k.x0 << "," << k.y0);
    Canvas c(8, 8);
    HBITMAP bmp = CreateZoomBitmap(c.dc(), samples.data(), &hd, ps_.get(), k.n, k.x0, k.y0, k.maxW, k.maxH, k.range,
                                   k.range);
    ASSERT_NE(nullptr, bmp);
    BITMAP info;
    GetObject(bmp, sizeof info, &info);
    EXPECT_EQ(k.w, info.bmWidth);
    EXPECT_EQ(k.h, info.bmHeight);
    BlitBitmap(c.dc(), bmp, 0, 0, 0, 0, k.w, k.h);
    DeleteObject(bmp);
    for (size_t i = 0; i < k.levels.size(); ++i) {
      const int v = k.levels[i];
      EXPECT_EQ(RGB(v, v, v), c.At(int(i) % k.w, int(i) / k.w)) << "pixel " << i;
    }
  }
}

TEST_F(DisplayGdi, PaintPreviewFiveCases) {
  const struct {
    const char* name;
    int clientW, clientH, clip;
    int w, h, scrollX, scrollY;          // bitmap (0 x 0: none)
    int dstX, dstY, srcX, srcY, bw, bh;  // where its part lands
  } cases[] = {
      {"no bitmap", 10, 8, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
      {"smaller", 10, 8, 1, 4, 2, 5, 5, 3, 3, 0, 0, 4, 2},
      {"smaller, odd margins", 11, 9, 1, 4, 2, 0, 0, 3, 3, 0, 0, 4, 2},
      {"wider", 10, 8, 1, 12, 2, 2, 0, 0, 3, 2, 0, 10, 2},
      {"exactly as wide", 10, 8, 1, 10, 2, 0, 0, 0, 3, 0, 0, 10, 2},
      {"higher", 11, 8, 1, 4, 10, 0, 1, 3, 0, 0, 1, 4, 8},
      {"larger", 10, 8, 1, 12, 10, 1, 2, 0, 0, 1, 2, 10, 8},
      {"status strip left out", 10, 28, 0, 4, 2, 0, 0, 3, 3, 0, 0, 4, 2},
  };
  for (const auto& k : cases) {
    SCOPED_TRACE(k.name);
    HWND control = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, k.clientW, k.clientH, nullptr, nullptr,
                                   GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(nullptr, control);
    Canvas canvas(k.clientW + 3, k.clientH + 3);
    std::unique_ptr<Canvas> source = k.w ? PatternBitmap(k.w, k.h) : nullptr;
    PaintPreview(control, canvas.dc(), source ? source->bitmap() : nullptr, k.scrollX, k.scrollY, k.clip);
    DestroyWindow(control);

    // The bands fill the area but its last column and row (the null pen
    // leaves them out); the bitmap part goes over them.
    const int areaH = k.clip ? k.clientH : k.clientH - 20;
    for (int y = 0; y < canvas.height(); ++y)
      for (int x = 0; x < canvas.width(); ++x) {
        COLORREF want = kMarker;
        if (k.w && x >= k.dstX && x < k.dstX + k.bw && y >= k.dstY && y < k.dstY + k.bh)
          want = Pattern(k.srcX + x - k.dstX, k.srcY + y - k.dstY);
        else if (x < k.clientW - 1 && y < areaH - 1)
          want = RGB(0, 0, 0);
        ASSERT_EQ(want, canvas.At(x, y)) << "pixel " << x << "," << y << ": " << Text(canvas.At(x, y));
      }
  }
}

TEST_F(DisplayGdi, WindowColourCodes) {
  const struct {
    int code;
    COLORREF colour;
  } cases[] = {
      {0, RGB(0, 40, 0)},    {1, RGB(255, 160, 80)}, {2, RGB(0, 0, 0)},   {3, RGB(0, 0, 128)},
      {4, RGB(255, 127, 0)}, {5, RGB(1, 1, 1)},      {6, RGB(0, 128, 128)}, {7, RGB(5, 6, 7)},
      {8, RGB(64, 64, 64)},  {9, kMarker},           {-1, kMarker},
  };
  for (const auto& k : cases) {
    Canvas c(6, 5);
    const RECT area = {0, 0, 6, 5};
    PaintWindowColour(c.dc(), &area, k.code, ps_.get());
    for (int y = 0; y < 5; ++y)
      for (int x = 0; x < 6; ++x)
        ASSERT_EQ(k.colour, c.At(x, y)) << "code " << k.code << " pixel " << x << "," << y << ": " << Text(c.At(x, y));
  }
  ps_->Palettetype = 1;   // entry 0 is the first ramp entry of the inverse
  Canvas c(2, 2);
  const RECT area = {0, 0, 2, 2};
  PaintWindowColour(c.dc(), &area, 5, ps_.get());
  EXPECT_EQ(RGB(254, 254, 254), c.At(1, 1));
}

TEST_F(DisplayGdi, ColourBarRunsThroughTheLevels) {
  const struct {
    int steps;
    BOOL night;
    int x;
    int level;
  } cases[] = {
      {256, FALSE, 0, 0},  {256, FALSE, 1, 16},  {256, FALSE, 15, 239},
      {8, FALSE, 15, 240}, {256, TRUE, 15, 119},   // night mode halves the bar's colours
  };
  for (const auto& k : cases) {
    ps_->Colorstep = k.steps;
    ps_->NightMode = k.night;
    Canvas c(16, 4);
    PaintColourBar(c.dc(), 0, 0, 16, 4, ps_.get(), 0, nullptr);
    for (int y = 0; y < 4; ++y)
      EXPECT_EQ(RGB(k.level, k.level, k.level), c.At(k.x, y)) << "steps " << k.steps << " x " << k.x << ": "
                                                               << Text(c.At(k.x, y));
  }
}

TEST_F(DisplayGdi, HistogramPlot) {
  std::vector<uint32_t> counts(20, 0);
  const RECT client = {0, 0, 11, 9};
  const COLORREF background = RGB(0, 0, 96);
  {
    Canvas c(11, 9);
    ASSERT_EQ(1, PaintHistogram(c.dc(), &client, 0, 20, counts.data(), 1));
    EXPECT_EQ(RGB(0, 0, 0), c.At(0, 4)) << "frame";
    EXPECT_EQ(background, c.At(5, 6));
    EXPECT_EQ(RGB(255, 0, 0), c.At(5, 7)) << "flat on the bottom line";
  }
  counts[5] = 100;   // column 2 reaches row 1
  const COLORREF channel[] = {RGB(224, 224, 224), RGB(255, 0, 0), RGB(0, 224, 0), RGB(40, 40, 255)};
  for (int ch = 0; ch < 4; ++ch) {
    Canvas c(11, 9);
    ASSERT_EQ(1, PaintHistogram(c.dc(), &client, 0, 20, counts.data(), ch));
    EXPECT_EQ(channel[ch], c.At(3, 2)) << ch;
    EXPECT_EQ(background, c.At(7, 2)) << ch;
  }
  Canvas c(11, 9);
  EXPECT_EQ(0, PaintHistogram(c.dc(), &client, 0, 20, nullptr, 0));
  EXPECT_EQ(0, DrawHistogram(nullptr, 0, 20, counts.data(), 0));
}

TEST_F(DisplayGdi, ContrastCurvePlot) {
  const double x[2] = {0, 255}, y[2] = {0, 255};
  const RECT client = {0, 0, 64, 64};
  Canvas c(64, 64);
  ASSERT_EQ(1, PaintContrastCurve(c.dc(), &client, 0, 2, x, y, 0.0, 255.0, 32.0, 32.0, 1, 1));
  const COLORREF amber = RGB(255, 191, 0), green = RGB(0, 128, 0), navy = RGB(0, 0, 128);
  EXPECT_EQ(amber, c.At(0, 63)) << Text(c.At(0, 63));
  EXPECT_EQ(amber, c.At(32, 32)) << Text(c.At(32, 32));
  EXPECT_EQ(green, c.At(8, 10)) << "grid column";
  EXPECT_EQ(green, c.At(4, 56)) << "grid row";
  EXPECT_EQ(navy, c.At(4, 10));

  Canvas plain(64, 64);
  ASSERT_EQ(1, PaintContrastCurve(plain.dc(), &client, 0, 2, x, y, 0.0, 255.0, 32.0, 32.0, 1, 0));
  EXPECT_EQ(kMarker, plain.At(4, 10)) << "no background without the grid";
  EXPECT_EQ(amber, plain.At(32, 32));
}

TEST_F(DisplayGdi, StretchAndDraw) {
  std::unique_ptr<Canvas> src = PatternBitmap(4, 2);
  {
    // 4 x 2 into 8 x 8 keeps the aspect: 8 x 4.
    Canvas c(8, 8);
    StretchBitmap(c.dc(), src->bitmap(), 0, 0, 8, 8, 0, 0, 4, 2);
    for (int y = 0; y < 8; ++y)
      for (int x = 0; x < 8; ++x) ASSERT_EQ(y < 4 ? Pattern(x / 2, y / 2) : kMarker, c.At(x, y)) << x << "," << y;
  }
  {
    // A target wider than the aspect: the height stays, the width shrinks.
    Canvas c(8, 8);
    StretchBitmap(c.dc(), src->bitmap(), 0, 0, 8, 2, 0, 0, 4, 2);
    EXPECT_EQ(Pattern(3, 1), c.At(3, 1));
    EXPECT_EQ(kMarker, c.At(4, 0));
  }
  {
    Canvas c(8, 8);
    StretchBitmapPlain(c.dc(), src->bitmap(), 0, 0, 8, 8, 0, 0, 4, 2);
    EXPECT_EQ(Pattern(3, 1), c.At(7, 7));
    DrawBitmapAt(c.dc(), src->bitmap(), 2, 3);
    EXPECT_EQ(Pattern(0, 0), c.At(2, 3));
    EXPECT_EQ(Pattern(3, 1), c.At(5, 4));
  }
  Canvas c(4, 4);
  BlitBitmap(c.dc(), src->bitmap(), 0, 0, 0, 0, 0, 4);
  BlitBitmap(c.dc(), nullptr, 0, 0, 0, 0, 4, 4);
  StretchBitmap(c.dc(), src->bitmap(), 0, 0, 4, 4, 0, 0, 0, 2);
  EXPECT_EQ(kMarker, c.At(0, 0)) << "nothing drawn";
}

TEST_F(DisplayGdi, CompatibleBitmapFromDib) {
  Canvas screenLike(1, 1);
  struct {
    BITMAPINFOHEADER h;
  } info = {};
  info.h.biSize = sizeof info.h;
  info.h.biWidth = 2;
  info.h.biHeight = 1;
  info.h.biPlanes = 1;
  info.h.biBitCount = 24;
  info.h.biCompression = BI_RGB;
  const BYTE bits[8] = {10, 20, 30, 40, 50, 60, 0, 0};   // B, G, R
  HBITMAP bmp = CreateCompatibleFromDib(screenLike.dc(), SIZE{2, 1}, 4, bits,
                                        reinterpret_cast<const BITMAPINFO*>(&info), DIB_RGB_COLORS);
  ASSERT_NE(nullptr, bmp);
  Canvas c(2, 1);
  BlitBitmap(c.dc(), bmp, 0, 0, 0, 0, 2, 1);
  DeleteObject(bmp);
  EXPECT_EQ(RGB(30, 20, 10), c.At(0, 0));
  EXPECT_EQ(RGB(60, 50, 40), c.At(1, 0));

  HBITMAP mono = CreateCompatibleFromDib(nullptr, SIZE{3, 3}, 0, nullptr, nullptr, DIB_RGB_COLORS);
  ASSERT_NE(nullptr, mono);
  BITMAP m;
  GetObject(mono, sizeof m, &m);
  EXPECT_EQ(1, m.bmBitsPixel);
  DeleteObject(mono);
}

TEST_F(DisplayGdi, ShiftOverlayBitmap) {
  ImageHeader hd;
  InitImageHeader(&hd);
  hd.width = 2;
  hd.height = 1;
  hd.colourType = 0;
  const int16_t a[2] = {256 * 10, 256 * 20}, b[2] = {256 * 1, 256 * 2};
  ps_->OverlayShift.X = 1;
  Canvas c(2, 1);
  HBITMAP bmp = CreateShiftOverlayBitmap(c.dc(), a, b, &hd, ps_.get());
  ASSERT_NE(nullptr, bmp);
  BlitBitmap(c.dc(), bmp, 0, 0, 0, 0, 2, 1);
  DeleteObject(bmp);
  EXPECT_EQ(RGB(0, 0, 0), c.At(0, 0));
  EXPECT_EQ(RGB(21, 21, 21), c.At(1, 0));
  EXPECT_EQ(nullptr, CreateShiftOverlayBitmap(c.dc(), a, nullptr, &hd, ps_.get()));
}

// A modeless dialog with a preview frame, two scroll bars, the two zoom
// buttons, an edit control and a slider.
class PreviewDialog : public DisplayGdi {
 protected:
  static constexpr WORD kScrollBar = 0x0084;
  void SetUp() override {
    DisplayGdi::SetUp();
    DialogTemplate t("Vorschau", 200, 160);
    t.Add(DialogTemplate::kStatic, 110, "", 5, 5, 120, 90, WS_CHILD | WS_VISIBLE | SS_BLACKFRAME)
        .Add(kScrollBar, 106, "", 5, 98, 120, 8, WS_CHILD | WS_VISIBLE | SBS_HORZ)
        .Add(kScrollBar, 109, "", 128, 5, 8, 90, WS_CHILD | WS_VISIBLE | SBS_VERT)
        .Button(107, "-", 140, 5)
        .Button(108, "+", 140, 25)
        .Edit(201, "", 5, 120)
        .Add(kScrollBar, 202, "", 5, 140, 120, 8, WS_CHILD | WS_VISIBLE | SBS_HORZ);
    dialog_ = CreateDialogIndirectParamA(GetModuleHandleA(nullptr), t.Get(), nullptr, Proc, 0);
    ASSERT_NE(nullptr, dialog_);
    RECT rc;
    GetClientRect(GetDlgItem(dialog_, 110), &rc);
    viewW_ = rc.right - 2;
    viewH_ = rc.bottom - 2;
    ASSERT_GT(viewW_, 50);
    ASSERT_GT(viewH_, 50);
  }
  void TearDown() override {
    DestroyWindow(dialog_);
    DisplayGdi::TearDown();
  }
  static INT_PTR CALLBACK Proc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

  bool Enabled(int id) { return IsWindowEnabled(GetDlgItem(dialog_, id)) != FALSE; }
  void ExpectBar(int id, int max, int pos) {
    SCROLLINFO si = {};
    si.cbSize = sizeof si;
    si.fMask = SIF_RANGE | SIF_POS;
    ASSERT_TRUE(GetScrollInfo(GetDlgItem(dialog_, id), SB_CTL, &si));
    EXPECT_EQ(0, si.nMin) << id;
    EXPECT_EQ(max, si.nMax) << id;
    EXPECT_EQ(pos, si.nPos) << id;
  }

  HWND dialog_ = nullptr;
  int32_t viewW_ = 0, viewH_ = 0;
};

TEST_F(PreviewDialog, ScrollBarsAndZoomButtons) {
  int32_t px, rx, py, ry, vw, vh;
  const struct {
    int zoom;
    int extraW, extraH;        // picture size at 1:zoom beyond the view
    int posX, rangeX, posY, rangeY;
    bool minus, plus;
  } cases[] = {
      {1, 40, -10, 20, 40, 0, 0, true, false},   // a zoom of 1: "+" disabled
      {2, 41, 30, 20, 41, 15, 30, true, true},
      {4, -5, -5, 0, 0, 0, 0, false, true},
  };
  for (const auto& k : cases) {
    SCOPED_TRACE(testing::Message() << "zoom " << k.zoom);
    const SIZE picture = {(viewW_ + k.extraW) * k.zoom, (viewH_ + k.extraH) * k.zoom};
    SetPreviewScrollBars(&px, &rx, &py, &ry, &vw, &vh, dialog_, 110, 106, 109, 107, 108, &picture, k.zoom);
    EXPECT_EQ(viewW_, vw);
    EXPECT_EQ(viewH_, vh);
    EXPECT_EQ(k.posX, px);
    EXPECT_EQ(k.rangeX, rx);
    EXPECT_EQ(k.posY, py);
    EXPECT_EQ(k.rangeY, ry);
    EXPECT_EQ(k.rangeX > 0, Enabled(106));
    EXPECT_EQ(k.rangeY > 0, Enabled(109));
    if (k.rangeX > 0) ExpectBar(106, k.rangeX, k.posX);
    EXPECT_EQ(k.minus, Enabled(107));
    EXPECT_EQ(k.plus, Enabled(108));
  }

  SetPreviewScrollBars(&px, &rx, &py, &ry, &vw, &vh, dialog_, 110, 106, 109, 107, 108, nullptr, 1);
  EXPECT_EQ(0, px | rx | py | ry | vw | vh);
  EXPECT_FALSE(Enabled(106) || Enabled(109) || Enabled(107) || Enabled(108));

  // At the origin: a larger axis starts at 0, a smaller one is centred by
  // its position.
  const SIZE picture = {viewW_ + 40, viewH_ - 10};
  SetPreviewScrollBarsAtOrigin(&px, &rx, &py, &ry, &vw, &vh, dialog_, 110, 106, 109, &picture, 1);
  EXPECT_EQ(0, px);
  EXPECT_EQ(40, rx);
  EXPECT_EQ(4, py);
  EXPECT_EQ(0, ry);
  EXPECT_TRUE(Enabled(106));
  EXPECT_FALSE(Enabled(109));
}

TEST_F(PreviewDialog, SlidersFollowTheEdit) {
  HWND slider = GetDlgItem(dialog_, 202);
  int32_t value = -1;
  const struct {
    const char* typed;
    const char* unit;
    int32_t value;
    const char* shown;
  } longs[] = {
      {"250", "Pixel", 100, "100 Pixel"},   // above max: max, and the slider follows
      {"37", nullptr, 37, "37"},
      {"-9", nullptr, 0, "0"},
      {"kein", "mm", 0, "0 mm"},
  };
  for (const auto& k : longs) {
    SetDlgItemTextA(dialog_, 201, k.typed);
    SyncSliderFromEditLong(dialog_, 201, 0, 100, slider, &value, 0, 100, k.unit);
    EXPECT_EQ(k.value, value) << k.typed;
    EXPECT_EQ(k.value, GetScrollPos(slider, SB_CTL)) << k.typed;
    char text[80];
    GetDlgItemTextA(dialog_, 201, text, sizeof text);
    EXPECT_STREQ(k.shown, text);
  }

  double real = -1;
  const struct {
    const char* typed;
    const char* format;
    double value;
    int position;
    const char* shown;
  } doubles[] = {
      {"2.26", nullptr, 2.3, 23, "2.3"},
      {"99", nullptr, 10.0, 100, "10.0"},
      {"2.26", "%.2lf", 2.3, 23, "2.30"},
  };
  for (const auto& k : doubles) {
    SetDlgItemTextA(dialog_, 201, k.typed);
    SyncSliderFromEditDouble(dialog_, 201, 0, 100, slider, &real, 0.0, 10.0, k.format);
    EXPECT_NEAR(k.value, real, 1e-9) << k.typed;
    EXPECT_EQ(k.position, GetScrollPos(slider, SB_CTL)) << k.typed;
    char text[80];
    GetDlgItemTextA(dialog_, 201, text, sizeof text);
    EXPECT_STREQ(k.shown, text);
  }
}

}  // namespace
