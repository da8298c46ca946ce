// The masking and filter dialog opened from the menu and driven through its
// pages as a user drives it: the templates, every filter kind against its
// operator, the target buffer and its undo copy, the preview, the strength
// slider and the size rules, cancel after a change of tabs.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "editing/filter_dialog.h"
#include "editing/filter_ids.h"
#include "editing/mask_filter_core.h"
#include "imagelib/convolution.h"
#include "imagelib/gradients.h"
#include "imagelib/noise_filters.h"
#include "imagelib/colour_channels.h"
#include "shell/buffer_slots.h"
#include "shell/dialogkit/preview_pane.h"
#include "shell/dialogkit/tab_host.h"
#include "shell/menu_ids.h"
#include "shell/settings.h"
#include "stacking/noise_filter_ids.h"
#include "tests/app/app_fixture.h"
#include "tests/shell/testkit/dialog_driver.h"
#include "tests/shell/testkit/dialog_resource.h"
#include "tests/shell/testkit/live_counts.h"
#include "tests/shell/testkit/message_script.h"

namespace {

constexpr char kTitleA[] = "Manuelles Maskieren und Filtern von Puffer A";

class FilterDialogTest : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    // Every test starts from the file's defaults of [Masking] and [Noisefilter].
    char ini[kPathSize + 32];
    std::snprintf(ini, sizeof ini, "%s\\tyvorn.ini", gProgramState.ProgramDirectory);
    DeleteFileA(ini);
    LoadSettings(&gProgramState, kSectionMasking, kSettingsFileName);
    LoadSettings(&gProgramState, kSectionNoisefilter, kSettingsFileName);
    gProgramState.IsPreview = 1;
    gProgramState.WorkerLimit = 1;
    PreviewZoom = 1;
  }

  static std::vector<int16_t> Samples(int slot) {
    ImageHeader h;
    GetSlotHeader(&h, slot, &gProgramState);
    const int16_t* s = GetSlotPixels(slot, &gProgramState);
    return s ? std::vector<int16_t>(s, s + SampleBytes(&h) / 2) : std::vector<int16_t>();
  }

  // A picture with noise in it, which every filter changes.
  static void LoadNoisyPicture(int buffer, const char* path, int w, int h) {
    LoadPicture(buffer, path, w, h);
    ImageHeader header;
    GetSlotHeader(&header, buffer, &gProgramState);
    int16_t* s = GetSlotPixels(buffer, &gProgramState);
    uint32_t seed = 99u + uint32_t(buffer);
    for (uint32_t i = 0; i < SampleBytes(&header) / 2; ++i) {
      seed = seed * 1664525u + 1013904223u;
      s[i] = int16_t(8000 + (seed >> 20));
    }
  }

  static HWND Page(HWND dlg) { return TabHostOf(dlg)->page; }

  static void SelectTab(HWND dlg, int index) {
    HWND tab = GetDlgItem(dlg, IDC_FILTER_TABS);
    SendMessageA(tab, TCM_SETCURSEL, index, 0);
    NMHDR n = {tab, UINT_PTR(IDC_FILTER_TABS), UINT(TCN_SELCHANGE)};
    SendMessageA(dlg, WM_NOTIFY, IDC_FILTER_TABS, LPARAM(&n));
  }

  static void MoveBar(HWND page, int id, int position) {
    SendMessageA(page, WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, position), LPARAM(GetDlgItem(page, id)));
  }

  static void WriteIni(const char* section, const char* key, const char* value) {
    char ini[kPathSize + 32];
    std::snprintf(ini, sizeof ini, "%s\\tyvorn.ini", gProgramState.ProgramDirectory);
    WritePrivateProfileStringA(section, key, value, ini);
  }
};

TEST_F(FilterDialogTest, TheTemplatesHoldEveryControl) {
  {
    DialogResourceProbe probe("filtersetup3");
    ASSERT_TRUE(probe.Ok());
    EXPECT_EQ("Filtern und Maskieren", probe.Title());
    EXPECT_EQ("SysTabControl32", probe.ClassOf(IDC_FILTER_TABS));
    const struct {
      int id;
      const char* text;
    } controls[] = {{IDC_FILTER_MINUS, "-"},         {IDC_FILTER_PLUS, "+"},
                    {IDC_FILTER_NO_PREVIEW, "Vorschau abschalten"},
                    {IDC_FILTER_TARGET_A, "Puffer &A"}, {IDC_FILTER_TARGET_A + 1, "Puffer &B"},
                    {IDC_FILTER_TARGET_A + 2, "Puffer &C"}, {IDC_FILTER_TARGET_D, "Puffer &D"},
                    {IDC_FILTER_EDIT, "&Bearbeiten"}, {IDC_FILTER_CANCEL, "&Abbruch"}};
    for (const auto& c : controls) EXPECT_EQ(c.text, probe.Text(c.id)) << c.id;
    for (int id : {IDC_FILTER_PREVIEW, IDC_FILTER_STATUS}) EXPECT_TRUE(probe.Has(id));
    for (int id : {IDC_FILTER_HSCROLL, IDC_FILTER_VSCROLL}) EXPECT_EQ("ScrollBar", probe.ClassOf(id));
    EXPECT_LE(probe.Size().cx, 800);
    EXPECT_LE(probe.Size().cy, 600);
  }
  const struct {
    const char* page;
    std::vector<std::pair<int, const char*>> controls;
  } pages[] = {
      {"filtersheet1",
       {{IDC_BLUR_MEDIAN, "Median"}, {IDC_BLUR_MEDIAN + 1, "Mittel"}, {IDC_BLUR_MEDIAN + 2, "Zeilenmedian"},
        {IDC_BLUR_MEDIAN + 3, "Zeilenmittel"}, {IDC_BLUR_SIZE, ""}, {IDC_BLUR_SIZE_TEXT, ""},
        {IDC_SHEET_STRENGTH, ""}, {IDC_SHEET_STRENGTH_TEXT, ""}}},
      {"filtersheet2",
       {{IDC_SHARPEN_FORM_FIRST, "Gauss"}, {IDC_SHARPEN_FORM_FIRST + 1, "Rechteck"},
        {IDC_SHARPEN_FORM_FIRST + 2, "Dreieck"}, {IDC_SHARPEN_FORM_FIRST + 3, "Gauss && Rect"},
        {IDC_SHARPEN_CHAR_FIRST, "Kritische Dämpfung"}, {IDC_SHARPEN_CHAR_FIRST + 1, "Besselfilter"},
        {IDC_SHARPEN_CHAR_FIRST + 2, "Butterworthfilter"}, {IDC_SHARPEN_CHAR_FIRST + 3, "Quadrat"},
        {IDC_SHEET_ADAPTIVE, "Adaptiver Filter"}, {IDC_SHEET_ASTIG, "Astigmatismus"},
        {IDC_SHEET_SPECTRUM, "Sekund. Spektrum"}, {IDC_SHEET_COMA, "Koma"}, {IDC_SHARPEN_SIZE, ""},
        {IDC_SHARPEN_RECT, ""}, {IDC_SHEET_ASTIG_SIZE, ""}, {IDC_SHEET_ASTIG_ANGLE, ""}, {IDC_SHEET_BLUE, ""},
        {IDC_SHEET_RED, ""}, {IDC_SHEET_COMA_SIZE, ""}, {IDC_SHEET_COMA_ANGLE, ""}}},
      {"filtersheet3",
       {{IDC_HAT_FORM_FIRST + 3, "Gauss && Rect"}, {IDC_HAT_CHAR_FIRST + 3, "Quadrat"},
        {IDC_HAT_CENTRE_GAUSS, "Gauss"}, {IDC_HAT_CENTRE_GAUSS + 1, "Rechteck"}, {IDC_HAT_SIZE, ""},
        {IDC_HAT_RECT, ""}, {IDC_HAT_CENTRE, ""}, {IDC_HAT_CENTRE_TEXT, ""}, {IDC_SHEET_ADAPTIVE, "Adaptiver Filter"}}},
      {"filtersheet4",
       {{IDC_EFFECT_FIRST, "Gradient Nord"}, {IDC_EFFECT_FIRST + 3, "Gradient Südost"},
        {IDC_EFFECT_FIRST + 7, "Gradient Nordwest"}, {IDC_EFFECT_FIRST + 8, "Sobeloperator"},
        {IDC_EFFECT_FIRST + 9, "Phasenbild"}, {IDC_EFFECT_AUTO, "Kontrastautomatik"},
        {IDC_EFFECT_LOG, "Logarithmisch"}}},
      {"filtersheet5",
       {{IDC_NOISE_TYPE_FIRST, "&Median 3x3"}, {IDC_NOISE_TYPE_LAST, "&Zeilenmittel"},
        {IDC_NOISE_PSEUDOMEDIAN, "&Pseudomedian"}, {IDC_NOISE_WHOLE, "Gesamter Bildinhalt"},
        {IDC_NOISE_ONLY_LUMA, "Nur Luminanz"}, {IDC_NOISE_ONLY_CHROMA, "Nur Chrominanz"},
        {IDC_NOISE_EFFECT, ""}, {IDC_NOISE_SIGMA, ""}}},
  };
  for (const auto& p : pages) {
    DialogResourceProbe probe(p.page);
    ASSERT_TRUE(probe.Ok()) << p.page;
    EXPECT_TRUE(GetWindowLongA(probe.Dialog(), GWL_STYLE) & WS_CHILD) << p.page;
    for (const auto& c : p.controls) {
      EXPECT_TRUE(probe.Has(c.first)) << p.page << " " << c.first;
      if (*c.second) {
        EXPECT_EQ(c.second, probe.Text(c.first)) << p.page << " " << c.first;
      }
    }
  }
}

// One filter set through its page, and the same filter by its operator on a copy.
struct KindCase {
  const char* name;
  int tab;
  std::function<void(HWND page)> drive;
  std::function<ImageResult(const ImageHeader*, const int16_t*, int16_t*)> direct;
};

TEST_F(FilterDialogTest, EveryKindSetThroughItsPageEqualsItsOperator) {
  const KindCase cases[] = {
      {"blur median", 0,
       [](HWND page) {
         DialogDriver::Click(page, IDC_BLUR_MEDIAN);
         MoveBar(page, IDC_BLUR_SIZE, 2);
         MoveBar(page, IDC_SHEET_STRENGTH, 80);
       },
       [](const ImageHeader* h, const int16_t* s, int16_t* d) {
         ImageRect r;
         MakeRect(&r, 0, 0, h->width, h->height);
         return ApplyFilterKernel(&r, h, s, d, 5, 5, 1, 0.8, 0, 0, 0.0, KERNEL_MEDIAN, 5, 1, nullptr);
       }},
      {"sharpen square", 1,
       [](HWND page) {
         DialogDriver::Click(page, IDC_SHARPEN_FORM_FIRST + 2);
         DialogDriver::Click(page, IDC_SHARPEN_CHAR_FIRST + 3);
         MoveBar(page, IDC_SHARPEN_SIZE, 3);
         MoveBar(page, IDC_SHEET_STRENGTH, 120);
       },
       [](const ImageHeader* h, const int16_t* s, int16_t* d) {
         ImageRect r;
         MakeRect(&r, 0, 0, h->width, h->height);
         ImageResult x = ApplyFilterKernel(&r, h, s, d, 7, 5, 1, 3.0, 0, 0, 0.0, KERNEL_DISTANCE, 5, 1, nullptr);
         return x ? x : ApplyFilterKernel(&r, h, d, d, 7, 5, 1, 3.0, 0, 0, 0.0, KERNEL_DISTANCE, 5, 1, nullptr);
       }},
      {"Mexican hat", 2,
       [](HWND page) {
         DialogDriver::Click(page, IDC_HAT_CENTRE_GAUSS);
         MoveBar(page, IDC_HAT_SIZE, 6);
       },
       [](const ImageHeader* h, const int16_t* s, int16_t* d) {
         ImageRect r;
         MakeRect(&r, 0, 0, h->width, h->height);
         // Size 13; the flat part 15 from the file comes down to 11 at the page.
         return ApplyFilterKernel(&r, h, s, d, 13, 11, 5, 1.0, 0, 0, 0.0, KERNEL_GAUSS, 5, 1, nullptr);
       }},
      {"relief south-west", 3,
       [](HWND page) {
         DialogDriver::Click(page, IDC_EFFECT_FIRST + 5);
         MoveBar(page, IDC_SHEET_STRENGTH, 40);
       },
       [](const ImageHeader* h, const int16_t* s, int16_t* d) {
         ImageRect r;
         MakeRect(&r, 0, 0, h->width, h->height);
         return ApplyFilterKernel(&r, h, s, d, 3, 1, 1, 0.4, 0, 0, 0.0, KERNEL_RELIEF + 5, 5, 1, nullptr);
       }},
      {"noise mean", 4,
       [](HWND page) {
         DialogDriver::Click(page, IDC_NOISE_TYPE_FIRST + 5);
         MoveBar(page, IDC_NOISE_SIGMA, 0);
       },
       [](const ImageHeader* h, const int16_t* s, int16_t* d) {
         ImageRect r;
         MakeRect(&r, 0, 0, h->width, h->height);
         return ApplyNoiseFilter(&r, h, s, d, 1.0, 5, 0, nullptr);
       }},
  };
  for (const KindCase& c : cases) {
    SetUp();
    LoadNoisyPicture(1, "a.fts", 48, 36);
    const std::vector<int16_t> before = Samples(1);
    ImageHeader h;
    GetSlotHeader(&h, 1, &gProgramState);
    std::vector<int16_t> expected = before;
    ASSERT_EQ(IMG_OK, c.direct(&h, before.data(), expected.data())) << c.name;
    DialogDriver driver;
    driver.Then(kTitleA, [&c](HWND dlg) {
      SelectTab(dlg, c.tab);
      c.drive(Page(dlg));
    }).Then(kTitleA, [](HWND dlg) { DialogDriver::Click(dlg, IDC_FILTER_EDIT); });
    MessageBoxScript boxes;
    SendCommand(IDM_FILTER);
    EXPECT_TRUE(driver.Done()) << c.name;
    EXPECT_EQ(0u, boxes.Count()) << c.name;
    EXPECT_EQ(expected, Samples(1)) << c.name;
    EXPECT_EQ(before, Samples(5)) << c.name << ": the undo copy";
  }
}

TEST_F(FilterDialogTest, AnotherTargetReceivesTheFilteredPictureAndItsUndoCopyIsKept) {
  LoadNoisyPicture(1, "a.fts", 40, 30);
  LoadPicture(2, "b.fts", 16, 16);
  const std::vector<int16_t> a = Samples(1), b = Samples(2);
  gProgramState.Masktype = kMaskBlur;   // in the file too: the dialog reads [Masking] anew
  WriteIni("Masking", "Masktype", "1");
  const long blocks = LiveMemBlocks();
  DialogDriver driver;
  driver.Then(kTitleA, [](HWND dlg) {
    EXPECT_EQ(0, SelectedTab(TabHostOf(dlg)));
    DialogDriver::Click(dlg, IDC_FILTER_TARGET_A + 1);
    EXPECT_EQ(2, gProgramState.TargetBuffer);
    DialogDriver::Click(dlg, IDC_FILTER_EDIT);
  });
  SendCommand(IDM_FILTER);
  EXPECT_TRUE(driver.Done());
  EXPECT_EQ(a, Samples(1)) << "the active buffer is the source only";
  ImageHeader h;
  GetSlotHeader(&h, 2, &gProgramState);
  EXPECT_EQ(40, h.width);
  EXPECT_NE(a, Samples(2));
  EXPECT_EQ(b, Samples(6));
  EXPECT_FALSE(IsSlotLoaded(5, &gProgramState));
  EXPECT_EQ("Puffer B mit a.fts", Title(BufferWindow(2)));
  // B's filtered picture and B's undo copy: B's old block moved there.
  EXPECT_EQ(blocks + 1, LiveMemBlocks());
  SendCommand(IDM_BUFFER_B);
  SendCommand(IDM_UNDO);
  EXPECT_EQ(b, Samples(2));
  EXPECT_EQ(a, Samples(1));
}

TEST_F(FilterDialogTest, TheStrengthSliderEnablesTheAdaptiveFilterAboveOneHundredPercent) {
  LoadPicture(1, "a.fts");
  DialogDriver driver;
  driver.Then(kTitleA, [](HWND dlg) {
    SelectTab(dlg, 1);
    const HWND page = Page(dlg);
    EXPECT_EQ(kMaskSharpen, gProgramState.Masktype);
    MoveBar(page, IDC_SHEET_STRENGTH, 100);
    EXPECT_EQ(1.0, gProgramState.Maskeffect1);
    EXPECT_EQ("100 %", DialogDriver::ItemText(page, IDC_SHEET_STRENGTH_TEXT));
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(page, IDC_SHEET_ADAPTIVE)));
    SendMessageA(page, WM_HSCROLL, SB_PAGEDOWN, LPARAM(GetDlgItem(page, IDC_SHEET_STRENGTH)));
    EXPECT_EQ(2.0, gProgramState.Maskeffect1);
    EXPECT_EQ("200 %", DialogDriver::ItemText(page, IDC_SHEET_STRENGTH_TEXT));
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(page, IDC_SHEET_ADAPTIVE)));
    DialogDriver::Click(page, IDC_SHEET_ADAPTIVE);
    EXPECT_EQ(1, gProgramState.IsAdaptiv);
    MoveBar(page, IDC_SHEET_STRENGTH, 50);
    EXPECT_EQ(BST_UNCHECKED, IsDlgButtonChecked(page, IDC_SHEET_ADAPTIVE)) << "shown off while disabled";
    EXPECT_EQ(1, gProgramState.IsAdaptiv) << "the setting itself stays";
    // The flat part stays below the filter size.
    MoveBar(page, IDC_SHARPEN_SIZE, 4);
    EXPECT_EQ(9, gProgramState.HighCutoff);
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(page, IDC_SHARPEN_RECT))) << "only for Gauss && Rect";
    DialogDriver::Click(page, IDC_SHARPEN_FORM_FIRST + 3);
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(page, IDC_SHARPEN_RECT)));
    MoveBar(page, IDC_SHARPEN_RECT, 10);
    EXPECT_EQ(7, gProgramState.HighRectpart);
    EXPECT_EQ("7", DialogDriver::ItemText(page, IDC_SHARPEN_RECT_TEXT));
    EXPECT_EQ(3, GetScrollPos(GetDlgItem(page, IDC_SHARPEN_RECT), SB_CTL));
    MoveBar(page, IDC_SHARPEN_SIZE, 2);
    EXPECT_EQ(3, gProgramState.HighRectpart) << "a smaller filter takes the flat part down";
    // Red and blue sharpening give even sizes only.
    DialogDriver::Click(page, IDC_SHEET_SPECTRUM);
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(page, IDC_SHEET_RED)));
    MoveBar(page, IDC_SHEET_RED, 7);
    EXPECT_EQ(14, gProgramState.RedRadius);
    DialogDriver::Click(dlg, IDC_FILTER_CANCEL);
  });
  SendCommand(IDM_FILTER);
  EXPECT_TRUE(driver.Done());
}

TEST_F(FilterDialogTest, GaussAndRectAtReductionEightPreviewsWithoutABox) {
  LoadPicture(1, "a.fts", 400, 300);
  WriteIni("Masking", "Masktype", "0");
  WriteIni("Masking", "Highpasstype", "3");
  PreviewZoom = 8;
  MessageBoxScript boxes;
  DialogDriver driver;
  HBITMAP first = nullptr;
  driver.Then(kTitleA, [&first](HWND dlg) {
    EXPECT_EQ(1, SelectedTab(TabHostOf(dlg)));
    EXPECT_EQ(3, gProgramState.Highpasstype);
    first = PreviewPaneOf(dlg)->bitmap;
    EXPECT_NE(nullptr, first);
    EXPECT_EQ("100 % gefiltert", DialogDriver::ItemText(dlg, IDC_FILTER_STATUS));
    MoveBar(Page(dlg), IDC_SHEET_STRENGTH, 150);
  }).Then(kTitleA, [&first](HWND dlg) {
    EXPECT_NE(first, PreviewPaneOf(dlg)->bitmap) << "a change brings a new preview";
    EXPECT_EQ("100 % gefiltert", DialogDriver::ItemText(dlg, IDC_FILTER_STATUS));
    DialogDriver::Click(dlg, IDC_FILTER_CANCEL);
  });
  SendCommand(IDM_FILTER);
  EXPECT_TRUE(driver.Done());
  EXPECT_EQ(0u, boxes.Count());
}

TEST_F(FilterDialogTest, APreviewFailureIsWrittenIntoTheDialog) {
  LoadPicture(1, "a.fts", 200, 160);
  WriteIni("Masking", "Masktype", "0");
  WriteIni("Masking", "Astigmatism", "TRUE");
  WriteIni("Masking", "Astigsize", "15");
  WriteIni("Masking", "HighCutoff", "45");
  WriteIni("Masking", "SekSpectrum", "TRUE");
  WriteIni("Masking", "RedRadius", "14");
  MessageBoxScript boxes;
  DialogDriver driver;
  driver.Then(kTitleA, [&boxes](HWND dlg) {
    EXPECT_EQ("Unsinniger Parameter wurde übergeben !", DialogDriver::ItemText(dlg, IDC_FILTER_STATUS));
    EXPECT_NE(nullptr, PreviewPaneOf(dlg)->bitmap) << "the section shows unfiltered";
    EXPECT_EQ(0u, boxes.Count()) << "no box from the preview";
    DialogDriver::Click(dlg, IDC_FILTER_EDIT);   // the whole picture fails with a box
  }).Then(kTitleA, [](HWND dlg) { DialogDriver::Click(dlg, IDC_FILTER_CANCEL); });
  const std::vector<int16_t> a = Samples(1);
  SendCommand(IDM_FILTER);
  EXPECT_TRUE(driver.Done());
  ASSERT_EQ(1u, boxes.Count());
  EXPECT_EQ("Unsinniger Parameter wurde übergeben !", boxes.Box(0).text);
  EXPECT_EQ("Fehlermeldung", boxes.Box(0).title);
  EXPECT_EQ(a, Samples(1));
}

TEST_F(FilterDialogTest, ReductionAndPreviewSwitchKeepTheirRules) {
  LoadPicture(1, "a.fts", 2000, 1500);
  PreviewZoom = 31;
  DialogDriver driver;
  driver.Then(kTitleA, [](HWND dlg) {
    DialogDriver::Click(dlg, IDC_FILTER_MINUS);
    DialogDriver::Click(dlg, IDC_FILTER_MINUS);
    EXPECT_EQ(32, PreviewZoom);
    DialogDriver::Click(dlg, IDC_FILTER_PLUS);
    EXPECT_EQ(31, PreviewZoom);
    for (int i = 0; i < 40; ++i) DialogDriver::Click(dlg, IDC_FILTER_PLUS);
    EXPECT_EQ(1, PreviewZoom);
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dlg, IDC_FILTER_HSCROLL)));
    DialogDriver::Click(dlg, IDC_FILTER_NO_PREVIEW);
    EXPECT_EQ(0, gProgramState.IsPreview);
    EXPECT_EQ(BST_CHECKED, IsDlgButtonChecked(dlg, IDC_FILTER_NO_PREVIEW));
    for (int id : {IDC_FILTER_HSCROLL, IDC_FILTER_VSCROLL, IDC_FILTER_MINUS, IDC_FILTER_PLUS})
      EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dlg, id))) << id;
    DialogDriver::Click(dlg, IDC_FILTER_NO_PREVIEW);
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dlg, IDC_FILTER_HSCROLL)));
    DialogDriver::Click(dlg, IDC_FILTER_MINUS);
    DialogDriver::Click(dlg, IDC_FILTER_CANCEL);
  });
  SendCommand(IDM_FILTER);
  EXPECT_TRUE(driver.Done());
  EXPECT_EQ(2, PreviewZoom) << "kept for the next opening";
}

TEST_F(FilterDialogTest, CancelAfterAChangeOfTabsKeepsTheEarlierPagesChanges) {
  LoadPicture(1, "a.fts");
  WriteIni("Masking", "Masktype", "0");
  DialogDriver driver;
  driver.Then(kTitleA, [](HWND dlg) {
    MoveBar(Page(dlg), IDC_SHARPEN_SIZE, 6);
    EXPECT_EQ(13, gProgramState.HighCutoff);
    SelectTab(dlg, 0);
    MoveBar(Page(dlg), IDC_BLUR_SIZE, 7);
    EXPECT_EQ(15, gProgramState.LowCutoff);
    DialogDriver::Click(dlg, IDC_FILTER_CANCEL);
  });
  SendCommand(IDM_FILTER);
  EXPECT_TRUE(driver.Done());
  EXPECT_EQ(13, gProgramState.HighCutoff) << "shown before the blur page came";
  EXPECT_EQ(9, gProgramState.LowCutoff);
}

TEST_F(FilterDialogTest, SettingsFromTheFileAreBroughtIntoRangeAndAnUnknownKindShowsTheFirstTab) {
  LoadPicture(1, "a.fts");
  WriteIni("Masking", "Masktype", "3");
  WriteIni("Masking", "LowCutoff", "200");
  WriteIni("Masking", "EffectFilter", "-4");
  WriteIni("Masking", "Maskeffect1", "99");
  gProgramState.Sigmaradius = 75;
  gProgramState.Filtertype = 10;
  DialogDriver driver;
  driver.Then(kTitleA, [](HWND dlg) {
    EXPECT_EQ(0, SelectedTab(TabHostOf(dlg)));
    EXPECT_EQ(kMaskBlur, gProgramState.Masktype);
    EXPECT_EQ(45, gProgramState.LowCutoff);
    EXPECT_EQ("45", DialogDriver::ItemText(Page(dlg), IDC_BLUR_SIZE_TEXT));
    EXPECT_EQ(0, gProgramState.EffectFilter);
    EXPECT_EQ(20.0, gProgramState.Maskeffect1);
    EXPECT_EQ(50.0, gProgramState.Sigmaradius);
    EXPECT_EQ(0, gProgramState.Filtertype);
    SelectTab(dlg, 4);
    EXPECT_EQ("10.000", DialogDriver::ItemText(Page(dlg), IDC_NOISE_SIGMA_TEXT));
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(Page(dlg), IDC_NOISE_TYPE_LAST)));
    DialogDriver::Click(dlg, IDC_FILTER_CANCEL);
  });
  SendCommand(IDM_FILTER);
  EXPECT_TRUE(driver.Done());
}

TEST_F(FilterDialogTest, AnEmptySourceLeavesTheDialogOpenWithoutBearbeiten) {
  MessageBoxScript boxes;
  DialogDriver driver;
  driver.Then(kTitleA, [](HWND dlg) {
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dlg, IDC_FILTER_EDIT)));
    EXPECT_EQ(nullptr, PreviewPaneOf(dlg)->bitmap);
    SelectTab(dlg, 2);   // the pages still work
    DialogDriver::Click(dlg, IDC_FILTER_EDIT);
    DialogDriver::Click(dlg, IDC_FILTER_CANCEL);
  });
  const long blocks = LiveMemBlocks();
  EXPECT_EQ(0, DialogBoxParamA(GetModuleHandleA(nullptr), "filtersetup3", Frame(), FilterSetupDlgProc, 0));
  EXPECT_TRUE(driver.Done());
  ASSERT_EQ(1u, boxes.Count());
  EXPECT_EQ("Der Puffer A ist leer !", boxes.Box(0).text);
  EXPECT_EQ(blocks, LiveMemBlocks());
}

TEST_F(FilterDialogTest, TheDialogLeavesNoBlockAndNoBitmapBehind) {
  LoadPicture(1, "a.fts", 300, 200);
  GdiWatch bitmaps;
  const long blocks = LiveMemBlocks();
  DialogDriver driver;
  driver.Then(kTitleA, [&bitmaps](HWND dlg) {
    for (int tab = 0; tab < 5; ++tab) {
      SelectTab(dlg, tab);
      bitmaps.Note(PreviewPaneOf(dlg)->bitmap);
    }
    DialogDriver::Click(dlg, IDC_FILTER_CANCEL);
  });
  SendCommand(IDM_FILTER);
  EXPECT_TRUE(driver.Done());
  EXPECT_EQ(blocks, LiveMemBlocks());
  EXPECT_GE(bitmaps.Noted(), 5);
  EXPECT_EQ(0, bitmaps.Alive());
}

}  // namespace
