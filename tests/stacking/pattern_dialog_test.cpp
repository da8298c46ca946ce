// The pattern dialog and its coordinate and derotation relatives as a user
// drives them: the reference picture chosen through the file chooser, the
// box clicked on the preview and cut as the template in the sub-pixel grid,
// a broken picture after a good one, pictures smaller than the box, and the
// settings given back on cancel; PreparePatternTemplate on its own.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <string>
#include <vector>

#include "imageio/picture_files.h"
#include "imagelib/alloc_limit.h"
#include "imagelib/primitives.h"
#include "shell/buffer_slots.h"
#include "shell/dialogkit/preview_pane.h"
#include "shell/hotkey_titles.h"
#include "shell/settings.h"
#include "stacking/pattern/pattern_dialogs.h"
#include "stacking/pattern/pattern_ids.h"
#include "tests/editing/edit_dialog_fixture.h"
#include "tests/shell/testkit/chooser_script.h"
#include "tests/shell/testkit/dialog_driver.h"
#include "tests/shell/testkit/dialog_resource.h"
#include "tests/shell/testkit/live_counts.h"
#include "tests/shell/testkit/message_script.h"
#include "tests/shell/testkit/picture_series.h"

namespace {

constexpr char kPatternTitle[] =
    "Auswahl eines Paßmusters zum Überlagern (Je größer bzw. unschärfer ein Bild ist, desto größer muß das "
    "Paßmuster sein)";

class PatternDialogTest : public EditDialogTest {
 protected:
  void SetUp() override {
    EditDialogTest::SetUp();
    LoadDefaults({kSectionFitImage, kSectionBasicdata});
    ProgramState* ps = &gProgramState;
    ps->ScreenHeight = 1024;
    ps->Addpicsource = 1;     // pictures, not an AVI
    ps->Preprocess = 0;       // the preview shows the file as it is
    ps->FitFFT = 0;
    ps->Superres = 0;
    ps->Subpixelfactor = 0;
    ps->MinCorrelation = 0.9;
    ps->Searchradius = 30;
    ps->FitColor = 2;
    ps->Turbo = 1;
    FreeMem(&ps->PatternSamples);
    ps->PatternFile[0] = '\0';
  }
  void TearDown() override {
    FreeMem(&gProgramState.PatternSamples);
    EditDialogTest::TearDown();
  }

  static std::string File(const char* name) { return std::string(gProgramState.ProgramDirectory) + "\\" + name; }
  static std::string WritePicture(const char* name, int w, int h, bool colour) {
    const std::string path = File(name);
    EXPECT_TRUE(WriteTinyBmp(path, 1, w, h, colour));
    return path;
  }

  static INT_PTR Open(int fitMethod) { return OpenPatternFamilyDialog(Frame(), fitMethod, kSizesByLines, 1024); }

  // The red box over the preview, in picture pixels (one paint read back).
  static RECT Box(HWND dlg, int previewId) {
    RECT box = {INT_MAX, INT_MAX, -1, -1};
    PreviewMapping map;
    if (!GetPreviewMapping(PreviewPaneOf(dlg), &map)) return box;
    const int w = map.client.right, h = map.client.bottom;
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
    SendMessageA(GetDlgItem(dlg, previewId), WM_PRINTCLIENT, WPARAM(memory), PRF_CLIENT);
    GdiFlush();
    const auto* pixels = static_cast<const uint32_t*>(bits);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        if ((pixels[size_t(y) * w + x] & 0xFFFFFF) != 0xFF0000) continue;
        box.left = std::min<LONG>(box.left, (x - map.left) * map.reduction + map.sectionX);
        box.top = std::min<LONG>(box.top, (y - map.top) * map.reduction + map.sectionY);
        box.right = std::max<LONG>(box.right, (x - map.left) * map.reduction + map.sectionX + 1);
        box.bottom = std::max<LONG>(box.bottom, (y - map.top) * map.reduction + map.sectionY + 1);
      }
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    return box;
  }

  // The file as the loader gives it, enlarged by factor and cut at rect.
  static std::vector<int16_t> ExpectedTemplate(const std::string& path, const ImageRect& rect, int factor) {
    int16_t* samples = nullptr;
    ImageHeader h;
    ImageMetadata md;
    InitImageHeader(&h);
    InitImageMetadata(&md);
    if (!LoadImageFile(path.c_str(), "bmp", 0, &samples, &h, &md)) return {};
    const int spp = SamplesPerPixel(&h);
    std::vector<int16_t> grid(samples, samples + size_t(h.width) * h.height * spp);
    if (factor > 1) {
      grid.assign(grid.size() * factor * factor, 0);
      EnlargeImage(&h, samples, grid.data(), factor);
    }
    FreeMem(&samples);
    std::vector<int16_t> cut;
    for (int y = rect.y; y < rect.y + rect.h; ++y)
      for (int x = rect.x; x < rect.x + rect.w; ++x)
        for (int k = 0; k < spp; ++k) cut.push_back(grid[(size_t(y) * h.width * factor + x) * spp + k]);
    return cut;
  }
};

TEST_F(PatternDialogTest, BothSizesHoldTheirControlsAndFitTheirScreens) {
  const struct {
    const char* name;
    int width, height;
    std::vector<std::pair<int, const char*>> texts;
    std::vector<const char*> labels;
  } templates[] = {
      {"passmuster800", 800, 600,
       {{IDC_PAT_NEXT, "&Weiter"}, {IDC_PAT_CANCEL, "&Abbrechen"}, {IDC_PAT_CHOOSE, "A&uswahl"},
        {IDC_PAT_LARGER, "größer"}, {IDC_PAT_SMALLER, "kleiner"}, {IDC_PAT_NEAR, "Umgebung"},
        {IDC_PAT_LUMINANCE, "Luminanz"}, {IDC_PAT_RED, "Rot (für H-Alpha)"}, {IDC_PAT_FFT, "FFT"},
        {IDC_PAT_MINUS, "-"}, {IDC_PAT_PLUS, "+"}},
       {"Bitte Paßmuster anklicken", "Farbkanal für Muster", "Bildquelle", "Paßmusterhistogramm"}},
      {"passmuster1024", 1024, 768,
       {{IDC_PAT_LUMINANCE, "Luminanz (Standard)"}, {IDC_PAT_RED, "Rot (z.B. für H-Alpha)"}, {IDC_PAT_GREEN, "Grün"},
        {IDC_PAT_BLUE, "Blau"}},
       {"Farbkanal für Paßmuster", "min. Korrelation", "Suchradius"}},
      {"koordadding800", 800, 600,
       {{IDC_KOORD_NEXT, "&Weiter"}, {IDC_KOORD_CHOOSE, "A&uswahl"}, {IDC_KOORD_FFT, "FFT"},
        {IDC_KOORD_XSHIFT, "10"}, {IDC_KOORD_TIMED, "zeitproportional"}, {IDC_KOORD_MINUS, "-"}},
       {"Bitte ein kontrastreiches Paßmuster anklicken", "Shiftvektor", "Horizontaler Shift", "... wenn nötig"}},
      {"koordadding1024", 1024, 768, {{IDC_KOORD_YSHIFT, "10"}, {IDC_KOORD_LARGER, "größer"}}, {"Vertikaler Shift"}},
      {"derotadding800", 800, 600,
       {{IDC_DEROT_CHOOSE, "A&uswahl"}, {IDC_DEROT_FFT, "FFT"}, {IDC_DEROT_PLUS, "+"}},
       {"Bitte zwei weit entfernte, kontrastreiche, unverwechselbare Paßmuster anklicken", "Paßmusterhistogr. 1",
        "Paßmusterhistogr. 2"}},
      {"derotadding1024", 1024, 768, {{IDC_DEROT_SMALLER, "kleiner"}},
       {"Bitte zwei kontrastreiche, unverwechselbare, weit entfernte Paßmuster anklicken", "Paßmusterhistogramm 1",
        "Paßmusterhistogramm 2"}},
  };
  for (const auto& t : templates) {
    DialogResourceProbe probe(t.name);
    ASSERT_TRUE(probe.Ok()) << t.name;
    for (const auto& [id, text] : t.texts) EXPECT_EQ(text, probe.Text(id)) << t.name << " " << id;
    const std::vector<std::string> texts = probe.Texts();
    for (const char* label : t.labels)
      EXPECT_NE(texts.end(), std::find(texts.begin(), texts.end(), label)) << t.name << " " << label;
    EXPECT_LE(probe.Size().cx, t.width) << t.name;
    EXPECT_LE(probe.Size().cy, t.height) << t.name;
  }
  EXPECT_EQ("Auswahl eines Paßmusters zum Überlagern (Je größer bzw. unschärfer das Bild, desto größer das "
            "Paßmuster)",
            DialogResourceProbe("passmuster800").Title());
  EXPECT_FALSE(DialogResourceProbe("passmuster1024").StyleOf(IDC_PAT_FFT) & WS_VISIBLE) << "created hidden";
}

// The box clicked at (50, 40) of a 100 x 80 picture: its 65 x 65 corner is
// (18, 8), carried into the grid of the sub-pixel factor.
TEST_F(PatternDialogTest, TheClickedBoxIsCutInTheSubpixelGrid) {
  const struct {
    int32_t subpixelfactor, factor;
    ImageRect rect;
  } cases[] = {{0, 1, {18, 8, 65, 65}}, {1, 2, {36, 16, 129, 129}}, {2, 4, {72, 32, 257, 257}}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "Subpixelfactor " << c.subpixelfactor);
    SetUp();
    gProgramState.Superres = 1;
    gProgramState.Subpixelfactor = c.subpixelfactor;
    gProgramState.AviFrameIndex = 0;
    const std::string path = WritePicture("referenz.bmp", 100, 80, false);
    ChooserScript choosers;
    choosers.Choose(path);
    DialogDriver driver;
    driver.Then(kPatternTitle, [](HWND dlg) {
      EXPECT_EQ(DialogDriver::Title(dlg).substr(0, 79), HotKeyDialogTitle[kHotKeyPattern]) << "the keyboard finds it";
      EXPECT_FALSE(Enabled(dlg, IDC_PAT_NEXT)) << "no picture yet";
      EXPECT_EQ(0, gProgramState.SourceBuffer);
      DialogDriver::Click(dlg, IDC_PAT_CHOOSE);
      EXPECT_TRUE(Enabled(dlg, IDC_PAT_NEXT));
      EXPECT_FALSE(Enabled(dlg, IDC_PAT_GREEN)) << "a grey picture has no channels to choose";
      const RECT start = Box(dlg, IDC_PAT_PREVIEW);
      EXPECT_EQ(17, start.left) << "centred: (100 - 65) / 2";
      EXPECT_EQ(7, start.top);
      ASSERT_TRUE(ClickPicture(dlg, IDC_PAT_PREVIEW, 50, 40));
      const RECT moved = Box(dlg, IDC_PAT_PREVIEW);
      EXPECT_EQ(18, moved.left);
      EXPECT_EQ(8, moved.top);
      EXPECT_EQ(65, moved.right - moved.left);
      DialogDriver::Click(dlg, IDC_PAT_NEXT);
    });
    EXPECT_EQ(1, Open(3));
    EXPECT_TRUE(driver.Done());
    ASSERT_EQ(1u, choosers.Count());
    EXPECT_EQ("Ein gutes Bild zur Musterfestlegung laden ...", choosers.Chooser(0).title);
    EXPECT_EQ("Bildformate", choosers.Chooser(0).filter[0]);
    const ImageRect& r = gProgramState.PatternRect;
    EXPECT_EQ(c.rect.x, r.x);
    EXPECT_EQ(c.rect.y, r.y);
    EXPECT_EQ(c.rect.w, r.w);
    EXPECT_EQ(c.rect.h, r.h);
    EXPECT_EQ(path, gProgramState.PatternFile);
    EXPECT_EQ(path, gProgramState.SeriesPath) << "the series stacked afterwards";
    EXPECT_EQ(2, gProgramState.FitColor);
    ASSERT_NE(nullptr, gProgramState.PatternSamples);
    const std::vector<int16_t> expected = ExpectedTemplate(path, c.rect, c.factor);
    ASSERT_EQ(size_t(c.rect.w) * c.rect.h, expected.size());
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), gProgramState.PatternSamples));
  }
}

TEST_F(PatternDialogTest, ABrokenPictureAfterAGoodOneLeavesNothingToReadAndCancelRestores) {
  const std::string good = WritePicture("gut.bmp", 120, 90, true);
  const std::string broken = File("kaputt.bmp");
  ASSERT_TRUE(WriteBrokenPicture(broken));
  const long blocks = LiveMemBlocks();
  GdiWatch bitmaps;
  ChooserScript choosers;
  choosers.Choose(good).Choose(broken);
  MessageBoxScript boxes;
  DialogDriver driver;
  driver.Then(kPatternTitle, [&](HWND dlg) {
    DialogDriver::Click(dlg, IDC_PAT_CHOOSE);
    bitmaps.Note(PreviewPaneOf(dlg)->bitmap);
    EXPECT_TRUE(Enabled(dlg, IDC_PAT_GREEN)) << "a colour picture";
    MoveBar(dlg, IDC_PAT_CORR_BAR, 150);
    EXPECT_DOUBLE_EQ(0.75, gProgramState.MinCorrelation);
    EXPECT_EQ("0.750", DialogDriver::ItemText(dlg, IDC_PAT_CORR_TEXT));
    MoveBar(dlg, IDC_PAT_RADIUS_BAR, 45);
    EXPECT_EQ(45, gProgramState.Searchradius) << "up to half the picture height";
    DialogDriver::Click(dlg, IDC_PAT_RED);
    DialogDriver::Click(dlg, IDC_PAT_NEAR);
    EXPECT_FALSE(Enabled(dlg, IDC_PAT_RADIUS_BAR)) << "without the neighbourhood search";
    DialogDriver::Click(dlg, IDC_PAT_CHOOSE);
    EXPECT_FALSE(Enabled(dlg, IDC_PAT_NEXT));
    EXPECT_EQ(nullptr, PreviewPaneOf(dlg)->bitmap) << "the preview went with the picture";
    RedrawWindow(dlg, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    EXPECT_EQ(RGB(0, 0, 0), PanePixel(dlg, IDC_PAT_PREVIEW, 50, 50));
    RECT preview;
    GetWindowRect(GetDlgItem(dlg, IDC_PAT_PREVIEW), &preview);
    MapWindowPoints(nullptr, dlg, reinterpret_cast<POINT*>(&preview), 2);
    SendMessageA(dlg, WM_LBUTTONUP, 0, MAKELPARAM(preview.left + 60, preview.top + 40));
    DialogDriver::Click(dlg, IDC_PAT_LARGER);
    SendMessageA(dlg, WM_COMMAND, IDC_PAT_NEXT, 0);   // F12: "&Weiter" is disabled
    DialogDriver::Click(dlg, IDC_PAT_CANCEL);
  });
  EXPECT_EQ(0, Open(4));
  EXPECT_TRUE(driver.Done());
  ASSERT_FALSE(boxes.Boxes().empty());
  EXPECT_EQ("Bild " + broken + " nicht ladbar !", boxes.Boxes().back().text);
  EXPECT_EQ("Fehlermeldung", boxes.Boxes().back().title);
  EXPECT_DOUBLE_EQ(0.9, gProgramState.MinCorrelation);
  EXPECT_EQ(30, gProgramState.Searchradius);
  EXPECT_EQ(2, gProgramState.FitColor);
  EXPECT_EQ(1, gProgramState.Turbo);
  EXPECT_EQ(nullptr, gProgramState.PatternSamples) << "no template";
  EXPECT_EQ(blocks, LiveMemBlocks());
  EXPECT_EQ(0, bitmaps.Alive()) << "the preview bitmaps are deleted";
}

// A picture smaller than the box: the box shrinks to stay 2 pixels off its
// edges, steps that would leave it are undone, and the template is cut.
TEST_F(PatternDialogTest, APictureSmallerThanTheBoxKeepsTheBoxInside) {
  const struct {
    int fft;
    int32_t side;
  } cases[] = {{0, 26}, {1, 16}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "FFT " << c.fft);
    SetUp();
    gProgramState.FitFFT = c.fft;
    gProgramState.Searchradius = 200;
    const std::string path = WritePicture("klein.bmp", 40, 30, false);
    ChooserScript choosers;
    choosers.Choose(path);
    DialogDriver driver;
    driver.Then(kPatternTitle, [&](HWND dlg) {
      DialogDriver::Click(dlg, IDC_PAT_CHOOSE);
      const RECT box = Box(dlg, IDC_PAT_PREVIEW);
      EXPECT_EQ(c.side, box.right - box.left);
      EXPECT_EQ(c.side, box.bottom - box.top);
      EXPECT_GE(box.left, 0);
      EXPECT_LE(box.right, 40);
      EXPECT_LE(box.bottom, 30);
      DialogDriver::Click(dlg, IDC_PAT_LARGER);
      DialogDriver::Click(dlg, IDC_PAT_LARGER);
      EXPECT_LE(Box(dlg, IDC_PAT_PREVIEW).right, 40) << "a step out of the picture is undone";
      EXPECT_EQ(15, gProgramState.Searchradius) << "the radius fits the picture";
      EXPECT_EQ("15", DialogDriver::ItemText(dlg, IDC_PAT_RADIUS_TEXT));
      DialogDriver::Click(dlg, IDC_PAT_NEXT);
    });
    EXPECT_EQ(1, Open(3));
    EXPECT_TRUE(driver.Done());
    const ImageRect& r = gProgramState.PatternRect;
    EXPECT_TRUE(r.x >= 0 && r.y >= 0 && r.x + r.w <= 40 && r.y + r.h <= 30);
    EXPECT_NE(nullptr, gProgramState.PatternSamples);
  }
}

// A picture larger than the preview: a click on the scroll bar under it lies
// where the picture goes on, but it is no click on the picture.
TEST_F(PatternDialogTest, OnlyClicksOnThePreviewMoveTheBox) {
  const std::string path = WritePicture("gross.bmp", 1000, 900, false);
  ChooserScript choosers;
  choosers.Choose(path);
  DialogDriver driver;
  driver.Then(kPatternTitle, [](HWND dlg) {
    DialogDriver::Click(dlg, IDC_PAT_CHOOSE);
    const RECT start = Box(dlg, IDC_PAT_PREVIEW);
    EXPECT_EQ(89, start.right - start.left) << "the box for 1000 pixels of width";
    RECT bar;
    GetWindowRect(GetDlgItem(dlg, IDC_PAT_HSCROLL), &bar);
    MapWindowPoints(nullptr, dlg, reinterpret_cast<POINT*>(&bar), 2);
    SendMessageA(dlg, WM_LBUTTONUP, 0, MAKELPARAM((bar.left + bar.right) / 2, (bar.top + bar.bottom) / 2));
    EXPECT_EQ(start.left, Box(dlg, IDC_PAT_PREVIEW).left);
    EXPECT_EQ(start.top, Box(dlg, IDC_PAT_PREVIEW).top);
    PreviewMapping map;
    ASSERT_TRUE(GetPreviewMapping(PreviewPaneOf(dlg), &map));
    ASSERT_TRUE(ClickPicture(dlg, IDC_PAT_PREVIEW, map.sectionX + 100, map.sectionY + 100));
    EXPECT_EQ(map.sectionX + 100 - 44, Box(dlg, IDC_PAT_PREVIEW).left);
    DialogDriver::Click(dlg, IDC_PAT_CANCEL);
  });
  EXPECT_EQ(0, Open(3));
  EXPECT_TRUE(driver.Done());
}

TEST_F(PatternDialogTest, BelowTwentyLinesTheRadiusIsClampedToWhatFits) {
  const std::string path = WritePicture("streifen.bmp", 60, 14, false);
  ChooserScript choosers;
  choosers.Choose(path);
  DialogDriver driver;
  driver.Then(kPatternTitle, [](HWND dlg) {
    DialogDriver::Click(dlg, IDC_PAT_CHOOSE);
    EXPECT_EQ(7, gProgramState.Searchradius);
    StepBar(dlg, IDC_PAT_RADIUS_BAR, SB_LINERIGHT);
    EXPECT_EQ(7, gProgramState.Searchradius);
    StepBar(dlg, IDC_PAT_RADIUS_BAR, SB_LINELEFT);
    EXPECT_EQ(7, gProgramState.Searchradius) << "10 does not fit";
    DialogDriver::Click(dlg, IDC_PAT_NEXT);
  });
  EXPECT_EQ(1, Open(3));
  EXPECT_TRUE(driver.Done());
}

// The coordinate and derotation dialogs: the same road with their own ids.
TEST_F(PatternDialogTest, CoordinateAndDerotationDialogsCutThePatternAndLeaveChannelAndNeighbourhood) {
  const struct {
    int fitMethod;
    const char* title;
    int preview, next, choose, fft, radiusBar, larger;
    std::vector<int> inert;
  } dialogs[] = {
      {6, "Überlagern von Bildserien nach zeitabhängigen Koordinaten (für lichtschwache Kometen oder Planetoiden)",
       IDC_KOORD_PREVIEW, IDC_KOORD_NEXT, IDC_KOORD_CHOOSE, IDC_KOORD_FFT, IDC_KOORD_RADIUS_BAR, IDC_KOORD_LARGER,
       {IDC_KOORD_XSHIFT, IDC_KOORD_XSHIFT_SPIN, IDC_KOORD_YSHIFT, IDC_KOORD_YSHIFT_SPIN, IDC_KOORD_TIMED}},
      {5,
       "Überlagern von Bildserien mit Derotation (beide Paßmuster werden nachgeführt, maximal +/- 5 Grad Verdrehung)",
       IDC_DEROT_PREVIEW, IDC_DEROT_NEXT, IDC_DEROT_CHOOSE, IDC_DEROT_FFT, IDC_DEROT_RADIUS_BAR, IDC_DEROT_LARGER,
       {IDC_DEROT_HISTOGRAM2}},
  };
  for (const auto& d : dialogs) {
    SCOPED_TRACE(d.title);
    SetUp();
    gProgramState.Turbo = 0;
    gProgramState.FitColor = 3;
    gProgramState.Superres = 1;
    gProgramState.Subpixelfactor = 1;
    gProgramState.Addpicsource = 0;   // an AVI series: its own filter
    const std::string path = WritePicture("objekt.bmp", 100, 80, false);
    ChooserScript choosers;
    choosers.Cancel().Choose(path);
    DialogDriver driver;
    driver.Then(d.title, [&](HWND dlg) {
      EXPECT_EQ(DialogDriver::Title(dlg).substr(0, 79), HotKeyDialogTitle[kHotKeyPattern]) << "the keyboard finds it";
      EXPECT_FALSE(Enabled(dlg, d.next));
      EXPECT_TRUE(IsWindowVisible(GetDlgItem(dlg, d.fft)));
      EXPECT_TRUE(Enabled(dlg, d.radiusBar)) << "always offered";
      for (int id : d.inert) EXPECT_FALSE(Enabled(dlg, id)) << id;
      DialogDriver::Click(dlg, d.choose);
      EXPECT_FALSE(Enabled(dlg, d.next)) << "cancelled";
      DialogDriver::Click(dlg, d.choose);
      EXPECT_TRUE(Enabled(dlg, d.next));
      ASSERT_TRUE(ClickPicture(dlg, d.preview, 50, 40));
      DialogDriver::Click(dlg, d.larger);   // 65 + 2 x 4
      DialogDriver::Click(dlg, d.next);
    });
    EXPECT_EQ(1, Open(d.fitMethod));
    EXPECT_TRUE(driver.Done());
    ASSERT_EQ(2u, choosers.Count());
    EXPECT_EQ("Bild aus AVI zur Musterfestlegung laden ...", choosers.Chooser(0).title);
    EXPECT_EQ((std::vector<std::string>{"AVI-Videos", "*.AVI"}), choosers.Chooser(0).filter);
    EXPECT_EQ("*.*", choosers.Chooser(0).proposal);
    // Box 73 x 73 at (50 - 32 - 4, 40 - 32 - 4), at factor 1 (2x, 2y, 2w - 1, 2h - 1).
    const ImageRect& r = gProgramState.PatternRect;
    EXPECT_EQ(28, r.x);
    EXPECT_EQ(8, r.y);
    EXPECT_EQ(145, r.w);
    EXPECT_EQ(145, r.h);
    EXPECT_NE(nullptr, gProgramState.PatternSamples);
    EXPECT_EQ(0, gProgramState.Turbo);
    EXPECT_EQ(3, gProgramState.FitColor);
  }
}

TEST_F(PatternDialogTest, ThePatternDialogOffersAviFramesWithAllFiles) {
  gProgramState.Addpicsource = 0;
  ChooserScript choosers;
  choosers.Cancel();
  DialogDriver driver;
  driver.Then(kPatternTitle, [](HWND dlg) {
    DialogDriver::Click(dlg, IDC_PAT_CHOOSE);
    DialogDriver::Click(dlg, IDC_PAT_CANCEL);
  });
  EXPECT_EQ(0, Open(3));
  ASSERT_EQ(1u, choosers.Count());
  EXPECT_EQ((std::vector<std::string>{"AVI-Videos", "*.AVI", "Alle Dateien", "*.*"}), choosers.Chooser(0).filter);
  EXPECT_EQ("*.avi", choosers.Chooser(0).proposal);
  EXPECT_EQ(0, Open(1)) << "no dialog for the other methods";
}

TEST_F(PatternDialogTest, WithoutRoomForTheHistogramTheDialogEndsAtOnce) {
  const long blocks = LiveMemBlocks();
  MessageBoxScript boxes;
  gProgramState.SourceBuffer = 3;
  SetAllocationLimit(100000);   // the histogram's 128 kB do not fit
  const INT_PTR result = Open(4);
  SetAllocationLimit(0);
  EXPECT_EQ(0, result);
  ASSERT_EQ(1u, boxes.Count());
  EXPECT_EQ("Nicht genug Speicher !", boxes.Box(0).text);
  EXPECT_EQ("Fehlermeldung", boxes.Box(0).title);
  EXPECT_EQ(3, gProgramState.SourceBuffer) << "restored";
  EXPECT_EQ(blocks, LiveMemBlocks());
}

TEST_F(PatternDialogTest, PrepareReplacesALeftoverTemplateAndReportsAMissingFile) {
  Picture(1, "a.fts", 50, 40, kColourRgb, [](int x, int y, int c) { return int16_t(x * 100 + y * 10 + c); });
  ProgramState* ps = &gProgramState;
  ps->PatternRect = ImageRect{5, 6, 7, 8};
  ASSERT_EQ(1, PreparePatternTemplate(1, nullptr, nullptr, ps));
  const long blocks = LiveMemBlocks();
  ASSERT_EQ(1, PreparePatternTemplate(1, nullptr, nullptr, ps));
  EXPECT_EQ(blocks, LiveMemBlocks()) << "the leftover template was freed";
  EXPECT_EQ(int16_t(5 * 100 + 6 * 10 + 2), ps->PatternSamples[2]);
  EXPECT_EQ(int16_t(11 * 100 + 13 * 10), ps->PatternSamples[(7 * 8 - 1) * 3]);

  ps->PatternRect = ImageRect{45, 0, 10, 10};   // beyond the picture
  EXPECT_EQ(0, PreparePatternTemplate(1, nullptr, nullptr, ps));
  EXPECT_EQ(nullptr, ps->PatternSamples);

  MessageBoxScript boxes;
  const std::string missing = File("fehlt.bmp");
  ps->PatternRect = ImageRect{0, 0, 4, 4};
  EXPECT_EQ(0, PreparePatternTemplate(0, missing.c_str(), "bmp", ps));
  ASSERT_EQ(1u, boxes.Count());
  EXPECT_EQ("Bild " + missing + " nicht ladbar !", boxes.Box(0).text);
  EXPECT_EQ(nullptr, ps->PatternSamples);
  EXPECT_EQ(blocks - 1, LiveMemBlocks());
}

}  // namespace
