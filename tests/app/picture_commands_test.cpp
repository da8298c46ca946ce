// "A&VI zerlegen ...", "Grafikformate ...", "&Digitalfotos mit DCRaw
// konvertieren ..." and "Alte Rohbilder &löschen" through the frame window,
// with the choosers answered by a script and the dialogs driven like a user:
// the pictures written, what a stop during the split leaves, the format
// options and their way out, and the converter started on chosen photos.
#include <windows.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>
#include <string>
#include <vector>

#include "avi_fixture.h"
#include "imagelib/image.h"
#include "imageio/avi_frames.h"
#include "imageio/avi_split.h"
#include "imageio/format_options.h"
#include "imageio/format_options_dialog.h"
#include "imageio/picture_dialog_ids.h"
#include "imageio/picture_files.h"
#include "imageio/recenter_formats.h"
#include "shell/frame_window.h"
#include "shell/hotkey_titles.h"
#include "shell/menu_commands.h"
#include "shell/menu_ids.h"
#include "shell/workers.h"
#include "tests/app/app_fixture.h"
#include "tests/shell/testkit/chooser_script.h"
#include "tests/shell/testkit/dialog_driver.h"
#include "tests/shell/testkit/message_script.h"

namespace {

namespace fs = std::filesystem;
using avifixture::Narrow;

constexpr const char* kSplitTitle = "AVI-File in Einzelbilder zerlegen";

bool Enabled(HWND dlg, int id) { return IsWindowEnabled(GetDlgItem(dlg, id)) != 0; }
bool Exists(const std::string& name) { return GetFileAttributesA(name.c_str()) != INVALID_FILE_ATTRIBUTES; }

// Pixel (x, y from the bottom) of frame i.
void Pattern(int frame, int x, int y, BYTE* bgr) {
  bgr[0] = BYTE(40 * frame + x);
  bgr[1] = BYTE(16 * y + frame);
  bgr[2] = BYTE(250 - 3 * x - y);
}

// Opens the real dialogs itself, to see what they end with.
struct Results {
  std::vector<INT_PTR> values;
  static INT_PTR Open(void* context, HWND owner, const char* name, DLGPROC procedure) {
    const INT_PTR r = DialogBoxParamA(gInstance, name, owner, procedure, 0);
    static_cast<Results*>(context)->values.push_back(r);
    return r;
  }
};

class PictureCommandTest : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    dir_ = Narrow(folder_.path());   // with its backslash
    std::snprintf(gProgramState.CurrentPath, kPathSize, "%s", dir_.c_str());
    gProgramState.Scalefactor = 1.0;
    gProgramState.PngBitsPerPixel = 16;
    gProgramState.FITSFrameOrg = 0;
    gProgramState.FITSColorOrg = 0;
    gProgramState.RecenterFormat = 0;
    SetDialogOpener(&Results::Open, &results_);
  }
  std::string Video(const wchar_t* name, int frames) {
    EXPECT_TRUE(avifixture::WriteAvi(folder_ / name, 6, 4, frames, Pattern));
    return Narrow(folder_ / name);
  }
  std::string Picture(int i, const char* extension) const {
    char name[32];
    std::snprintf(name, sizeof name, "_pic%04d%s", i, extension);
    return dir_ + name;
  }

  const avifixture::ScratchFolder folder_;
  std::string dir_;
  Results results_;
};

TEST_F(PictureCommandTest, SplitWritesEveryFrameInTheChosenFormat) {
  const std::string video = Video(L"mond.avi", 5);
  struct Case {
    int32_t stored;       // RecenterFormat when the dialog opens
    int listIndex;        // what it shows selected
    int choose;           // the user's choice, -1 to keep it
    const char* extension;
  };
  const Case cases[] = {{0, 0, 5, ".png"}, {1, 1, -1, ".fts"}, {9, 0, -1, ".bmp"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.extension);
    gProgramState.RecenterFormat = c.stored;
    results_.values.clear();
    ChooserScript choosers;
    choosers.Choose(video).ChooseDirectory(dir_.substr(0, dir_.size() - 1));
    DialogDriver driver;
    driver.Then(kSplitTitle, [&](HWND d) {
      EXPECT_EQ("~", DialogDriver::ItemText(d, IDC_AVI_STATUS));
      EXPECT_EQ("noch nichts gewählt ...", DialogDriver::ItemText(d, IDC_AVI_NAME));
      EXPECT_EQ("noch nichts bestimmt ...", DialogDriver::ItemText(d, IDC_AVI_TARGET_NAME));
      ASSERT_EQ(kRecenterFormatCount, SendDlgItemMessageA(d, IDC_AVI_FORMAT, CB_GETCOUNT, 0, 0));
      for (int i = 0; i < kRecenterFormatCount; ++i) {
        char text[64] = "";
        SendDlgItemMessageA(d, IDC_AVI_FORMAT, CB_GETLBTEXT, WPARAM(i), LPARAM(text));
        EXPECT_STREQ(kRecenterFormats[i].listText, text) << "sorted as the extensions are";
      }
      EXPECT_EQ(c.listIndex, SendDlgItemMessageA(d, IDC_AVI_FORMAT, CB_GETCURSEL, 0, 0));
      EXPECT_FALSE(Enabled(d, IDC_AVI_OK));
      DialogDriver::Click(d, IDC_AVI_CHOOSE);
      EXPECT_EQ(video, DialogDriver::ItemText(d, IDC_AVI_NAME));
      EXPECT_FALSE(Enabled(d, IDC_AVI_OK)) << "no target yet";
      DialogDriver::Click(d, IDC_AVI_TARGET);
      EXPECT_EQ(dir_, DialogDriver::ItemText(d, IDC_AVI_TARGET_NAME));
      EXPECT_TRUE(Enabled(d, IDC_AVI_OK));
      if (c.choose >= 0) SendDlgItemMessageA(d, IDC_AVI_FORMAT, CB_SETCURSEL, WPARAM(c.choose), 0);
      DialogDriver::Click(d, IDC_AVI_OK);
    });
    MessageBoxScript boxes;
    SendCommand(IDM_AVI_SPLIT);
    EXPECT_TRUE(driver.Done());
    EXPECT_EQ(0u, boxes.Count());
    EXPECT_EQ(std::vector<INT_PTR>{1}, results_.values);
    EXPECT_EQ(c.choose >= 0 ? c.choose : c.listIndex, gProgramState.RecenterFormat);
    for (int i = 0; i < 5; ++i) EXPECT_TRUE(Exists(Picture(i, c.extension))) << i;
    EXPECT_FALSE(Exists(Picture(5, c.extension)));

    ASSERT_EQ(2u, choosers.Count());
    EXPECT_EQ(ChooserKind::Open, choosers.Chooser(0).kind);
    EXPECT_EQ("AVI-Datei bestimmen ...", choosers.Chooser(0).title);
    EXPECT_EQ((std::vector<std::string>{"AVI Videos", "*.AVI", "Alle Dateien", "*.*"}), choosers.Chooser(0).filter);
    EXPECT_EQ(dir_, choosers.Chooser(0).initialDirectory);
    EXPECT_EQ(ChooserKind::Directory, choosers.Chooser(1).kind);
    EXPECT_EQ("Ziel bestimmen ...", choosers.Chooser(1).title);
    EXPECT_EQ((std::vector<std::string>{"Windows BMP", "*.BMP", "Alle Dateien", "*.*"}), choosers.Chooser(1).filter);
    EXPECT_EQ(0, choosers.Chooser(1).okMode);
  }
  // The PNG pictures hold the video's bytes x 128.
  for (int i = 0; i < 5; ++i) {
    int16_t* samples = nullptr;
    ImageHeader h;
    ImageMetadata md;
    ASSERT_EQ(1, LoadImageFile(Picture(i, ".png").c_str(), "png", 0, &samples, &h, &md));
    ASSERT_EQ(6, h.width);
    ASSERT_EQ(4, h.height);
    for (int r = 0; r < 4; ++r) {
      for (int x = 0; x < 6; ++x) {
        BYTE bgr[3];
        Pattern(i, x, 3 - r, bgr);
        for (int k = 0; k < 3; ++k) ASSERT_EQ(bgr[k] * 128, samples[(r * 6 + x) * 3 + k]) << i << ":" << x << "," << r;
      }
    }
    FreeMem(&samples);
  }
}

TEST_F(PictureCommandTest, StoppingTheSplitKeepsThePicturesSoFar) {
  const std::string video = Video(L"lang.avi", 12);
  for (bool closeBox : {false, true}) {
    SCOPED_TRACE(closeBox ? "close box" : "Abbruch");
    for (int i = 0; i < 12; ++i) DeleteFileA(Picture(i, ".bmp").c_str());
    results_.values.clear();
    const long blocks = LiveMemBlocks();
    ChooserScript choosers;
    choosers.Choose(video).ChooseDirectory(dir_);
    DialogDriver driver;
    bool sawRun = false;
    driver.Then(kSplitTitle, [](HWND d) {
      DialogDriver::Click(d, IDC_AVI_CHOOSE);
      DialogDriver::Click(d, IDC_AVI_TARGET);
      DialogDriver::Click(d, IDC_AVI_OK);   // returns once the split has ended
    });
    driver.Until(kSplitTitle, [&](HWND d) {
      // While it runs only the stop is at hand.
      for (int id : {IDC_AVI_OK, IDC_AVI_CHOOSE, IDC_AVI_TARGET, IDC_AVI_FORMAT}) EXPECT_FALSE(Enabled(d, id)) << id;
      EXPECT_TRUE(Enabled(d, IDC_AVI_CANCEL));
      sawRun = true;
      if (!Exists(Picture(1, ".bmp"))) return false;
      if (closeBox) {
        SendMessageA(d, WM_CLOSE, 0, 0);
      } else {
        DialogDriver::Click(d, IDC_AVI_CANCEL);
      }
      EXPECT_TRUE(IsWindow(d)) << "the dialog waits for the split to stop";
      return true;
    });
    MessageBoxScript boxes;
    SendCommand(IDM_AVI_SPLIT);
    EXPECT_TRUE(driver.Done());
    EXPECT_TRUE(sawRun);
    EXPECT_EQ(0u, boxes.Count());
    EXPECT_EQ(std::vector<INT_PTR>{1}, results_.values);
    int written = 0;
    while (written < 12 && Exists(Picture(written, ".bmp"))) ++written;
    EXPECT_GE(written, 2);
    EXPECT_LT(written, 12) << "stopped before the end";
    for (int i = written; i < 12; ++i) EXPECT_FALSE(Exists(Picture(i, ".bmp"))) << i;
    EXPECT_EQ(blocks, LiveMemBlocks()) << "the picture buffer went with the dialog";
    // The decoder was closed and serves the next video.
    int32_t count = 0;
    ImageHeader h;
    ASSERT_EQ(1, OpenAviFile(video.c_str(), &count, &h, 0));
    EXPECT_EQ(12, count);
    std::vector<int16_t> frame(size_t(h.width) * h.height * 3);
    EXPECT_EQ(1, ReadAviFrame(frame.data(), &h, 11));
    CloseAviFile();
  }
}

TEST_F(PictureCommandTest, AFailedReadOrSaveStopsTheSplitWithOneMessage) {
  // Frame 2 of this video has an empty chunk, as a dropped frame leaves it.
  ASSERT_TRUE(avifixture::WriteAvi(folder_ / L"luecke.avi", 6, 4, 5, Pattern, {{2, 0}}));
  const std::string gap = Narrow(folder_ / L"luecke.avi"), video = Video(L"mond.avi", 5);
  const std::string missing = dir_ + "fehlt";
  const struct {
    const char* scenario;
    std::string video, target, box;
    int written;
  } cases[] = {
      {"read", gap, dir_, "Einzelbild 2 aus " + gap + "\nnicht ladbar !", 2},
      {"save", video, missing, "Bild " + missing + "\\_pic0000.bmp\n als Windows-Bitmap nicht zu speichern !", 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.scenario);
    for (int i = 0; i < 5; ++i) DeleteFileA(Picture(i, ".bmp").c_str());
    results_.values.clear();
    const long blocks = LiveMemBlocks();
    ChooserScript choosers;
    choosers.Choose(c.video).ChooseDirectory(c.target);
    DialogDriver driver;
    driver.Then(kSplitTitle, [](HWND d) {
      DialogDriver::Click(d, IDC_AVI_CHOOSE);
      DialogDriver::Click(d, IDC_AVI_TARGET);
      DialogDriver::Click(d, IDC_AVI_OK);
    });
    MessageBoxScript boxes;
    SendCommand(IDM_AVI_SPLIT);
    EXPECT_TRUE(driver.Done());
    ASSERT_EQ(1u, boxes.Count());
    EXPECT_EQ(c.box, boxes.Box(0).text);
    EXPECT_EQ("Fehlermeldung", boxes.Box(0).title);
    EXPECT_EQ(std::vector<INT_PTR>{1}, results_.values);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(i < c.written, Exists(Picture(i, ".bmp"))) << i;
    EXPECT_EQ(blocks, LiveMemBlocks()) << "the picture buffer went with the dialog";
    // The decoder was closed.
    int32_t count = 0;
    ImageHeader h;
    EXPECT_EQ(1, OpenAviFile(video.c_str(), &count, &h, 0));
    CloseAviFile();
  }
}

TEST_F(PictureCommandTest, AbbruchBeforeAStartEndsWithZero) {
  DialogDriver driver;
  driver.Then(kSplitTitle, [](HWND d) { DialogDriver::Click(d, IDC_AVI_CANCEL); });
  ChooserScript choosers;
  SendCommand(IDM_AVI_SPLIT);
  EXPECT_TRUE(driver.Done());
  EXPECT_EQ(std::vector<INT_PTR>{0}, results_.values);
  EXPECT_EQ(0u, choosers.Count());
}

TEST_F(PictureCommandTest, AVideoThatCannotBeReadKeepsTheDialogOpen) {
  const std::string broken = dir_ + "kaputt.avi";
  std::ofstream(broken, std::ios::binary) << std::string(3000, 'x');
  ChooserScript choosers;
  choosers.Choose(broken).ChooseDirectory(dir_);
  DialogDriver driver;
  driver.Then(kSplitTitle, [](HWND d) {
    DialogDriver::Click(d, IDC_AVI_CHOOSE);
    DialogDriver::Click(d, IDC_AVI_TARGET);
    DialogDriver::Click(d, IDC_AVI_OK);
    EXPECT_TRUE(IsWindow(d));
    EXPECT_FALSE(Enabled(d, IDC_AVI_OK)) << "until another video is chosen";
    EXPECT_TRUE(Enabled(d, IDC_AVI_CHOOSE));
    DialogDriver::Click(d, IDC_AVI_CANCEL);
  });
  MessageBoxScript boxes;
  SendCommand(IDM_AVI_SPLIT);
  EXPECT_TRUE(driver.Done());
  ASSERT_EQ(1u, boxes.Count());
  EXPECT_EQ("AVI-Format unbekannt !", boxes.Box(0).text);
  EXPECT_EQ(std::vector<INT_PTR>{0}, results_.values);
  EXPECT_FALSE(Exists(Picture(0, ".bmp")));
}

// --- graphics-format options

constexpr const char* kFormatsTitle = "Einstellung von Grafikformaten";

// The [PicSave] settings the dialog edits.
struct PicSave {
  GifOptions gif;
  JpegOptions jpeg;
  int32_t fitsFrame, fitsColour, fitsBzero, tiffCompression, tiffBits, pngBits, pngGrey;
  double scale;
  static PicSave Of(const ProgramState& ps) {
    return {ps.Gif,          ps.Jpeg,     ps.FITSFrameOrg,    ps.FITSColorOrg,   ps.FITSBzero,
            ps.Tiff.TiffCompression,      ps.Tiff.TiffSaveBits, ps.PngBitsPerPixel, ps.PngGrayscale, ps.Scalefactor};
  }
  bool operator==(const PicSave& o) const {
    return std::memcmp(&gif, &o.gif, sizeof gif) == 0 && std::memcmp(&jpeg, &o.jpeg, sizeof jpeg) == 0 &&
           fitsFrame == o.fitsFrame && fitsColour == o.fitsColour && fitsBzero == o.fitsBzero &&
           tiffCompression == o.tiffCompression && tiffBits == o.tiffBits && pngBits == o.pngBits &&
           pngGrey == o.pngGrey && scale == o.scale;
  }
};

class FormatOptionsTest : public PictureCommandTest {
 protected:
  void SetUp() override {
    PictureCommandTest::SetUp();
    Baseline();
  }
  static void Baseline() {
    ProgramState& ps = gProgramState;
    ps.Gif.GifFormat = 87;
    ps.Gif.GifInterlaced = 0;
    ps.Gif.GifGlobalColorMap = 1;
    ps.Gif.GifGrayscale24 = 0;
    ps.Jpeg.JpegQuality = 75;
    ps.Jpeg.JpegGrayscale = 0;
    ps.FITSFrameOrg = ps.FITSColorOrg = 0;
    ps.FITSBzero = 1;
    ps.Tiff.TiffCompression = 1;
    ps.Tiff.TiffSaveBits = ps.PngBitsPerPixel = 16;
    ps.PngGrayscale = 0;
    ps.Scalefactor = 1.0;
  }
  // The real dialog, without a modal loop: many openings stay quick.
  static HWND Open() { return CreateDialogParamA(gInstance, "grafiksetup", Frame(), GraphicsFormatsDlgProc, 0); }
  static void Close(HWND d) {
    DialogDriver::Click(d, IDC_FMT_CANCEL);
    DestroyWindow(d);
  }
  static int Position(HWND d, int bar) { return GetScrollPos(GetDlgItem(d, bar), SB_CTL); }
  static void Scroll(HWND d, int bar, int request, int position = 0) {
    SendMessageA(d, WM_HSCROLL, MAKEWPARAM(request, position), LPARAM(GetDlgItem(d, bar)));
  }
  // The one ticked button of first..last, -1 for none or several.
  static int Ticked(HWND d, int first, int last) {
    int ticked = -1;
    for (int id = first; id <= last; ++id) {
      if (IsDlgButtonChecked(d, id) != BST_CHECKED) continue;
      if (ticked >= 0) return -1;
      ticked = id - first;
    }
    return ticked;
  }
};

TEST_F(FormatOptionsTest, EveryBarPositionOpensWhereItWas) {
  for (int p = 0; p <= kScaleBarMax; ++p) {
    gProgramState.Scalefactor = ScaleFactorOf(p);
    gProgramState.Jpeg.JpegQuality = 1 + p % 100;
    const HWND d = Open();
    ASSERT_TRUE(d);
    EXPECT_EQ(p, Position(d, IDC_FMT_SCALE));
    char shown[16];
    std::snprintf(shown, sizeof shown, "%4.2f", ScaleFactorOf(p));
    EXPECT_EQ(shown, DialogDriver::ItemText(d, IDC_FMT_SCALE_TEXT));
    EXPECT_EQ(1 + p % 100, Position(d, IDC_FMT_JPEG_QUALITY));
    EXPECT_EQ(std::to_string(1 + p % 100) + " %", DialogDriver::ItemText(d, IDC_FMT_JPEG_QUALITY_TEXT));
    Close(d);
    EXPECT_EQ(ScaleFactorOf(p), gProgramState.Scalefactor) << p;
  }
}

TEST_F(FormatOptionsTest, SettingsOffTheBarsOpenAtTheNearestPosition) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const struct {
    double factor;
    int32_t quality;
    int position;
    const char* shown;
    double kept;
    int qualityPosition;
  } cases[] = {{0.0, 0, 0, "0.10", 0.1, 1}, {nan, 50, 90, "1.00", 1.0, 50}, {50.0, 101, 180, "10.00", 10.0, 100},
               {-2.0, -7, 0, "0.10", 0.1, 1}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.factor);
    gProgramState.Scalefactor = c.factor;
    gProgramState.Jpeg.JpegQuality = c.quality;
    DialogDriver driver;
    driver.Then(kFormatsTitle, [&](HWND d) {
      EXPECT_EQ(c.position, Position(d, IDC_FMT_SCALE));
      EXPECT_EQ(c.shown, DialogDriver::ItemText(d, IDC_FMT_SCALE_TEXT));
      EXPECT_EQ(c.qualityPosition, Position(d, IDC_FMT_JPEG_QUALITY));
      DialogDriver::Click(d, IDC_FMT_CANCEL);
    });
    SendCommand(IDM_GRAPHICS_FORMATS);
    EXPECT_TRUE(driver.Done());
    // What the writers get is what the bars showed, also after "&Abbruch".
    EXPECT_EQ(c.kept, gProgramState.Scalefactor);
    EXPECT_EQ(c.qualityPosition, gProgramState.Jpeg.JpegQuality);
  }
}

TEST_F(FormatOptionsTest, RadioButtonsShowTheirSettingsAndUnknownValuesStay) {
  // FITS frame and colour organisation -> the button ticked.
  const int32_t fits[][3] = {{0, 0, 0}, {0, 1, 1}, {0, 2, 4}, {0, 9, 4}, {1, 0, 2}, {1, 1, 3}, {1, 2, 4}, {7, 1, 3}};
  for (const auto& f : fits) {
    gProgramState.FITSFrameOrg = f[0];
    gProgramState.FITSColorOrg = f[1];
    const HWND d = Open();
    EXPECT_EQ(f[2], Ticked(d, IDC_FMT_FITS_FIRST, IDC_FMT_FITS_LAST)) << f[0] << "," << f[1];
    DialogDriver::Click(d, IDC_FMT_OK);
    DestroyWindow(d);
    EXPECT_EQ(f[0], gProgramState.FITSFrameOrg) << "kept as it was";
    EXPECT_EQ(f[1], gProgramState.FITSColorOrg);
  }
  // Each FITS button sets both settings.
  const HWND d = Open();
  for (int i = kFitsOrganisationCount - 1; i >= 0; --i) {
    DialogDriver::Click(d, IDC_FMT_FITS_FIRST + i);
    EXPECT_EQ(i, Ticked(d, IDC_FMT_FITS_FIRST, IDC_FMT_FITS_LAST));
    EXPECT_EQ(kFitsOrganisations[i].frameOrg, gProgramState.FITSFrameOrg) << i;
    EXPECT_EQ(kFitsOrganisations[i].colorOrg, gProgramState.FITSColorOrg) << i;
  }
  Close(d);

  // The other sets, with values read from a file that no button stands for.
  struct Group {
    int32_t* setting;
    int first, last;
  };
  ProgramState& ps = gProgramState;
  const Group groups[] = {{&ps.Gif.GifFormat, IDC_FMT_GIF87, IDC_FMT_GIF89},
                          {&ps.Tiff.TiffCompression, IDC_FMT_TIFF_FIRST, IDC_FMT_TIFF_LAST},
                          {&ps.Tiff.TiffSaveBits, IDC_FMT_TIFF_8, IDC_FMT_TIFF_16},
                          {&ps.PngBitsPerPixel, IDC_FMT_PNG_8, IDC_FMT_PNG_16}};
  const struct {
    int32_t values[4];
    int ticked[4];
  } cases[] = {{{87, 1, 8, 8}, {0, 0, 0, 0}},
               {{89, 5, 16, 16}, {1, 1, 1, 1}},
               {{88, 32773, 24, 1}, {0, 2, 1, 1}},
               {{0, 2, 0, 0}, {0, 2, 1, 1}}};
  for (const auto& c : cases) {
    for (int g = 0; g < 4; ++g) *groups[g].setting = c.values[g];
    const HWND dlg = Open();
    for (int g = 0; g < 4; ++g)
      EXPECT_EQ(c.ticked[g], Ticked(dlg, groups[g].first, groups[g].last)) << g << ": " << c.values[g];
    DialogDriver::Click(dlg, IDC_FMT_OK);
    DestroyWindow(dlg);
    for (int g = 0; g < 4; ++g) EXPECT_EQ(c.values[g], *groups[g].setting) << "untouched buttons keep " << g;
  }
}

TEST_F(FormatOptionsTest, ChangesTakeEffectAtOnceAndOnlyGutKeepsThem) {
  const struct {
    const char* way;
    int id;          // a button, or 0 for the close box
    INT_PTR result;
    bool kept;
  } ways[] = {{"&Gut", IDC_FMT_OK, 1, true}, {"&Abbruch", IDC_FMT_CANCEL, 0, false}, {"Esc", IDCANCEL, 0, false},
              {"close box", 0, 0, false}};
  for (const auto& w : ways) {
    SCOPED_TRACE(w.way);
    Baseline();
    const PicSave before = PicSave::Of(gProgramState);
    results_.values.clear();
    PicSave edited{};
    DialogDriver driver;
    driver.Then(kFormatsTitle, [&](HWND d) {
      EXPECT_STREQ(kFormatsTitle, HotKeyDialogTitle[kHotKeyFormats]);
      EXPECT_EQ(0, Ticked(d, IDC_FMT_GIF87, IDC_FMT_GIF89));
      EXPECT_EQ(BST_CHECKED, IsDlgButtonChecked(d, IDC_FMT_GIF_GLOBAL));
      EXPECT_EQ(0, Ticked(d, IDC_FMT_FITS_FIRST, IDC_FMT_FITS_LAST));
      EXPECT_EQ(90, Position(d, IDC_FMT_SCALE));
      EXPECT_EQ(75, Position(d, IDC_FMT_JPEG_QUALITY));
      for (int id : {IDC_FMT_GIF89, IDC_FMT_GIF_INTERLACED, IDC_FMT_GIF_GLOBAL, IDC_FMT_GIF_GREY, IDC_FMT_JPEG_GREY,
                     IDC_FMT_FITS_FIRST + 3, IDC_FMT_FITS_BZERO, IDC_FMT_TIFF_FIRST + 1, IDC_FMT_TIFF_8, IDC_FMT_PNG_8,
                     IDC_FMT_PNG_GREY})
        DialogDriver::Click(d, id);
      Scroll(d, IDC_FMT_SCALE, SB_LINELEFT);
      EXPECT_EQ("0.99", DialogDriver::ItemText(d, IDC_FMT_SCALE_TEXT));
      Scroll(d, IDC_FMT_SCALE, SB_PAGERIGHT);
      EXPECT_EQ(99, Position(d, IDC_FMT_SCALE));
      EXPECT_EQ("1.90", DialogDriver::ItemText(d, IDC_FMT_SCALE_TEXT));
      Scroll(d, IDC_FMT_JPEG_QUALITY, SB_PAGERIGHT);
      Scroll(d, IDC_FMT_JPEG_QUALITY, SB_PAGERIGHT);
      Scroll(d, IDC_FMT_JPEG_QUALITY, SB_PAGERIGHT);
      EXPECT_EQ(100, Position(d, IDC_FMT_JPEG_QUALITY)) << "the bar ends at 100";
      EXPECT_EQ("100 %", DialogDriver::ItemText(d, IDC_FMT_JPEG_QUALITY_TEXT));
      edited = PicSave::Of(gProgramState);
      if (w.id)
        DialogDriver::Click(d, w.id);
      else
        SendMessageA(d, WM_CLOSE, 0, 0);
    });
    SendCommand(IDM_GRAPHICS_FORMATS);
    EXPECT_TRUE(driver.Done());
    EXPECT_EQ(std::vector<INT_PTR>{w.result}, results_.values);
    // Every change was in ProgramState while the dialog was open.
    const ProgramState& ps = gProgramState;
    EXPECT_EQ(89, edited.gif.GifFormat);
    EXPECT_EQ(1, edited.gif.GifInterlaced);
    EXPECT_EQ(0, edited.gif.GifGlobalColorMap);
    EXPECT_EQ(1, edited.gif.GifGrayscale24);
    EXPECT_EQ(1, edited.jpeg.JpegGrayscale);
    EXPECT_EQ(100, edited.jpeg.JpegQuality);
    EXPECT_EQ(1, edited.fitsFrame);
    EXPECT_EQ(1, edited.fitsColour);
    EXPECT_EQ(0, edited.fitsBzero);
    EXPECT_EQ(5, edited.tiffCompression);
    EXPECT_EQ(8, edited.tiffBits);
    EXPECT_EQ(8, edited.pngBits);
    EXPECT_EQ(1, edited.pngGrey);
    EXPECT_DOUBLE_EQ(1.9, edited.scale);
    EXPECT_TRUE((w.kept ? edited : before) == PicSave::Of(ps));
  }
}

TEST_F(FormatOptionsTest, HalfTheMagnificationSavesHalfTheSize) {
  DialogDriver driver;
  driver.Then(kFormatsTitle, [](HWND d) {
    Scroll(d, IDC_FMT_SCALE, SB_THUMBPOSITION, 40);
    EXPECT_EQ("0.50", DialogDriver::ItemText(d, IDC_FMT_SCALE_TEXT));
    DialogDriver::Click(d, IDC_FMT_OK);
  });
  SendCommand(IDM_GRAPHICS_FORMATS);
  EXPECT_TRUE(driver.Done());
  EXPECT_DOUBLE_EQ(0.5, gProgramState.Scalefactor);

  ImageHeader h;
  InitImageHeader(&h);
  h.width = 64;
  h.height = 48;
  h.colourType = kColourRgb;
  std::vector<int16_t> samples(size_t(64) * 48 * 3, 12800);
  const std::string name = dir_ + "halb.bmp";
  ASSERT_EQ(1, SaveImageFile(name.c_str(), ".bmp", 0, samples.data(), &h));
  int16_t* back = nullptr;
  ImageHeader loaded;
  ImageMetadata md;
  ASSERT_EQ(1, LoadImageFile(name.c_str(), "bmp", 0, &back, &loaded, &md));
  EXPECT_EQ(32, loaded.width);
  EXPECT_EQ(24, loaded.height);
  FreeMem(&back);
}

// --- raw photos

class RawCommandTest : public PictureCommandTest {
 protected:
  void SetUp() override {
    PictureCommandTest::SetUp();
    char module[MAX_PATH];
    GetModuleFileNameA(nullptr, module, MAX_PATH);
    const std::string program = gProgramState.ProgramDirectory;
    CopyFileA((fs::path(module).parent_path() / "standin" / "dcraw.exe").string().c_str(),
              (program + "\\dcraw.exe").c_str(), FALSE);
    gProgramState.WorkerLimit = 2;
  }
  void TearDown() override {
    while (gProgramState.RunningWorkers > 0) WaitForOneWorker(&gProgramState);
    PictureCommandTest::TearDown();
  }
  std::string File(const std::string& name) {
    std::ofstream(dir_ + name, std::ios::binary) << "raw";
    return dir_ + name;
  }
};

TEST_F(RawCommandTest, ConvertStartsTheConverterOnEveryChosenPhoto) {
  const std::string a = File("a.CR2"), b = File("b mit leer.NEF");
  ChooserScript choosers;
  choosers.ChooseFiles(dir_.substr(0, dir_.size() - 1), {"a.CR2", "b mit leer.NEF"});
  std::snprintf(gProgramState.CurrentPath, kPathSize, "%s", "C:\\anderswo");
  SendCommand(IDM_DCRAW);
  WaitForAllWorkers(&gProgramState);
  for (const std::string& photo : {a, b}) {
    for (int i = 0; i < 200 && !Exists(photo + ".standin"); ++i) Sleep(50);
    EXPECT_TRUE(Exists(photo + ".standin")) << photo;
  }
  EXPECT_TRUE(Exists(dir_ + "a.ppm"));
  EXPECT_TRUE(Exists(dir_ + "b mit leer.ppm"));
  EXPECT_EQ(dir_.substr(0, dir_.size() - 1), std::string(gProgramState.CurrentPath));
  ASSERT_EQ(1u, choosers.Count());
  const RecordedChooser& c = choosers.Chooser(0);
  EXPECT_EQ(ChooserKind::MultiOpen, c.kind);
  EXPECT_EQ("Zu konvertierende Digitalfotos auswählen", c.title);
  EXPECT_EQ((std::vector<std::string>{"Digitale RAW-Formate", "*.CRW;*.CR2;*.NEF;*.ARW", "Canon-RAW", "*.CRW;*.CR2",
                                      "Nikon-RAW", "*.NEF", "Sony-RAW", "*.ARW", "Alle Dateien", "*.*"}),
            c.filter);
  EXPECT_EQ(0, c.okMode);
  EXPECT_EQ("C:\\anderswo", c.initialDirectory);
}

TEST_F(RawCommandTest, DeleteRemovesTheChosenFilesAndNothingElse) {
  const std::string one = File("alt1.bmp"), two = File("alt2.fts"), keep = File("neu.bmp");
  ChooserScript choosers;
  choosers.ChooseFiles(dir_.substr(0, dir_.size() - 1), {"alt1.bmp", "alt2.fts"});
  MessageBoxScript boxes;
  SendCommand(IDM_DELETE_RAW);
  EXPECT_FALSE(Exists(one));
  EXPECT_FALSE(Exists(two));
  EXPECT_TRUE(Exists(keep));
  EXPECT_EQ(0u, boxes.Count()) << "no second question";
  ASSERT_EQ(1u, choosers.Count());
  EXPECT_EQ("Zu löschende Rohbilder auswählen", choosers.Chooser(0).title);
  EXPECT_EQ(2, choosers.Chooser(0).okMode);
  EXPECT_EQ("Bildformate", choosers.Chooser(0).filter.at(0));
  EXPECT_EQ("AVI-Videos", choosers.Chooser(0).filter.at(6));

  // A cancelled chooser deletes nothing.
  ChooserScript cancelled;
  cancelled.Cancel();
  SendCommand(IDM_DELETE_RAW);
  EXPECT_TRUE(Exists(keep));
}

}  // namespace
