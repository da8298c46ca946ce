// The choosers over the platform's real dialogs, driven like a user would:
// a name typed or a file selected, a filter picked, OK pressed. Checks what
// the choosers make of the answer, their questions, their hooks' buttons and
// labels, and the picture-open chooser's preview on screen.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "avi_fixture.h"
#include "imageio/picture_files.h"
#include "shell/choosers/chooser_ids.h"
#include "shell/choosers/file_choosers.h"
#include "shell/program_state.h"
#include "tests/imageio/picture_state.h"
#include "tests/shell/testkit/chooser_hands.h"
#include "tests/shell/testkit/dialog_driver.h"
#include "tests/shell/testkit/message_script.h"

namespace {

using avifixture::Narrow;

constexpr int kNameEdit = 1152;
constexpr int kNameLabel = 1090;

constexpr char kFilter[] =
    "Bildformate\0*.BMP;*.FTS;*.PNG;*.AVI\0FITS-Bilder\0*.FTS;*.FIT\0Windows-Bitmaps\0*.BMP\0Alle Dateien\0*.*\0";

using chooserhands::ButtonText;
using chooserhands::Explorer;
using chooserhands::HookDialog;
using chooserhands::NameText;
using chooserhands::PickFilter;
using chooserhands::SelectFile;
using chooserhands::Press;
using chooserhands::TypeName;

void Scroll(HWND hook, WORD request) {
  SendMessageA(hook, WM_HSCROLL, MAKEWPARAM(request, 0), LPARAM(GetDlgItem(hook, IDC_PICTURE_FRAME_BAR)));
}

// Pixel of the preview area in its client coordinates.
COLORREF PreviewPixel(HWND hook, int x, int y) {
  const HWND area = GetDlgItem(hook, IDC_PICTURE_PREVIEW);
  const HDC dc = GetDC(area);
  const COLORREF c = GetPixel(dc, x, y);
  ReleaseDC(area, dc);
  return c;
}

bool IsBlack(COLORREF c) { return GetRValue(c) < 16 && GetGValue(c) < 16 && GetBValue(c) < 16; }
bool IsRed(COLORREF c) { return GetRValue(c) > 120 && GetGValue(c) < 40 && GetBValue(c) < 40; }

// Sets the preview area's client size.
void SizePreview(HWND hook, int w, int h) {
  const HWND area = GetDlgItem(hook, IDC_PICTURE_PREVIEW);
  RECT window, client;
  GetWindowRect(area, &window);
  GetClientRect(area, &client);
  SetWindowPos(area, nullptr, 0, 0, w + (window.right - window.left) - client.right,
               h + (window.bottom - window.top) - client.bottom, SWP_NOMOVE | SWP_NOZORDER);
}

class ChooserDialogs : public PictureStateTest {
 protected:
  void SetUp() override {
    PictureStateTest::SetUp();
    ProgramState& ps = gProgramState;
    ps.ScreenWidth = 1280;
    ps.DialogBaseUnitX = 6;
    ps.DialogBaseUnitY = 13;
    ps.IsThumbnail = 0;
    ps.IsOriginal = 0;
    ps.ChooserOkMode = 0;
    std::strcpy(ps.CurrentPath, "C:\\vorher\\");
    dir_ = Narrow(folder_.path());
    f_ = FileChoice{};
  }

  std::string At(const char* name) const { return dir_ + name; }
  void Touch(const char* name) const {
    const std::string path = At(name);
    const size_t slash = path.find_last_of('\\');
    CreateDirectoryA(path.substr(0, slash).c_str(), nullptr);
    const HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, h) << path;
    CloseHandle(h);
  }
  // A red colour picture.
  void WritePicture(const char* name, int w, int h) const {
    ImageHeader header;
    InitImageHeader(&header);
    header.width = w;
    header.height = h;
    header.colourType = kColourRgb;
    std::vector<int16_t> samples(size_t(w) * h * 3);
    for (size_t i = 0; i < samples.size(); i += 3) samples[i + 2] = 24000;
    ASSERT_EQ(1, SaveImageFile(At(name).c_str(), "PNG", 1, samples.data(), &header)) << name;
  }

  int Open(ChooserKind kind, const char* proposal = "") {
    std::strcpy(f_.Path, proposal);
    const char* start = dir_.c_str();
    switch (kind) {
      case ChooserKind::Open:
        return ShowOpenFileDialog(f_.Path, f_.Name, f_.Directory, f_.Extension, &f_.Drive, start, kFilter, "Laden",
                                  nullptr);
      case ChooserKind::Save:
        return ShowSaveFileDialog(f_.Path, f_.Name, f_.Directory, f_.Extension, &f_.Drive, start, kFilter,
                                  "Speichern", nullptr);
      case ChooserKind::PictureOpen:
        return ShowPictureOpenDialog(f_.Path, f_.Name, f_.Directory, f_.Extension, &f_.Drive, start, kFilter, "Bild",
                                     nullptr);
      default:
        ADD_FAILURE() << "not here";
        return -1;
    }
  }

  const avifixture::ScratchFolder folder_;
  std::string dir_;   // with its backslash
  FileChoice f_;
  char list_[kChoiceListSize];
};

TEST_F(ChooserDialogs, NameSplitting) {
  const struct {
    ChooserKind kind;
    const char* proposal;
    const char* file;       // made beforehand
    const char* typed;      // null: the proposal is confirmed
    int filter;
    const char* path;       // all below the scratch folder
    const char* name;
    const char* directory;
    const char* extension;
  } kRows[] = {
      {ChooserKind::Save, "", nullptr, "mond", 3, "mond.BMP", "mond.bmp", "", ".BMP"},
      {ChooserKind::PictureOpen, "", "Bilder\\Jupiter.PNG", "Bilder\\Jupiter.PNG", 1, "Bilder\\Jupiter.PNG",
       "jupiter.png", "Bilder\\", "PNG"},
      {ChooserKind::Save, "a.b", nullptr, nullptr, 1, "a.b", "a.b", "", "b"},
      {ChooserKind::Save, "", nullptr, "mond", 4, "mond", "mond", "", ""},
      {ChooserKind::Open, "", "bild.abcdefghijk", "bild.abcdefghijk", 1, "bild.abcdefghijk", "bild.abcdefghijk", "",
       "abcdefg"},
      {ChooserKind::PictureOpen, "", "saturn", "saturn", 3, "saturn.BMP", "saturn.bmp", "", "BMP"},
  };
  for (const auto& r : kRows) {
    SCOPED_TRACE(r.path);
    if (r.file) Touch(r.file);
    DialogDriver driver;
    driver.Then(nullptr, [&](HWND dlg) {
      if (r.typed) TypeName(dlg, At(r.typed));
      PickFilter(dlg, r.filter);
      Press(dlg, IDOK);
    });
    ASSERT_EQ(1, Open(r.kind, r.proposal));
    EXPECT_EQ(At(r.path), f_.Path);
    EXPECT_STREQ(r.name, f_.Name);
    EXPECT_EQ(At(r.directory), f_.Directory);
    EXPECT_STREQ(r.extension, f_.Extension);
    EXPECT_EQ(dir_[0], f_.Drive);
    EXPECT_EQ(At(r.directory), gProgramState.CurrentPath);
  }
}

TEST_F(ChooserDialogs, SaveProposalOpensWithoutAThreeLetterExtension) {
  const struct {
    const char* proposal;
    const char* shown;
  } kRows[] = {{"bild.fts", "bild"}, {"bild.jpeg", "bild.jpeg"}};
  for (const auto& r : kRows) {
    std::string shown;
    DialogDriver driver;
    driver.Then(nullptr, [&](HWND dlg) {
      shown = NameText(dlg);
      Press(dlg, IDCANCEL);
    });
    MessageBoxScript boxes;
    EXPECT_EQ(0, Open(ChooserKind::Save, r.proposal));
    EXPECT_EQ(r.shown, shown);
    EXPECT_EQ(0u, boxes.Count());   // a cancel says nothing
    EXPECT_STREQ("C:\\vorher\\", gProgramState.CurrentPath);
  }
}

TEST_F(ChooserDialogs, SaveOntoAnExistingFileAsks) {
  Touch("Mond.BMP");
  for (int answer : {IDNO, IDYES}) {
    std::strcpy(f_.Directory, "unverändert");
    MessageBoxScript boxes;
    boxes.Answer(answer);
    DialogDriver driver;
    driver.Then(nullptr, [&](HWND dlg) {
      TypeName(dlg, At("Mond.BMP"));
      Press(dlg, IDOK);
    });
    EXPECT_EQ(answer == IDYES ? 1 : 0, Open(ChooserKind::Save));
    ASSERT_EQ(1u, boxes.Count());
    EXPECT_EQ("Soll Mond.BMP überschrieben werden ?", boxes.Box(0).text);
    EXPECT_EQ("Programmfrage", boxes.Box(0).title);
    EXPECT_EQ(UINT(MB_YESNO | MB_ICONQUESTION), boxes.Box(0).type);
    EXPECT_EQ(At("Mond.BMP"), f_.Path);
    if (answer == IDNO) {
      EXPECT_STREQ("C:\\vorher\\", gProgramState.CurrentPath);
      EXPECT_STREQ("unverändert", f_.Directory);
    } else {
      EXPECT_EQ(dir_, gProgramState.CurrentPath);
      EXPECT_STREQ("mond.bmp", f_.Name);
    }
  }
}

TEST_F(ChooserDialogs, DirectoryChooserHidesTheNameAndKeepsTheBackslash) {
  CreateDirectoryA(At("Serie").c_str(), nullptr);
  const struct {
    int mode;
    const char* ok;
  } kRows[] = {{0, "Übernehmen"}, {1, "Drucken"}};
  for (const auto& r : kRows) {
    std::string ok;
    bool labelShown = true, nameShown = true;
    DialogDriver driver;
    driver.Then(nullptr, [&](HWND dlg) {
      const HWND explorer = Explorer(dlg);
      ok = ButtonText(dlg, IDOK);
      labelShown = IsWindowVisible(GetDlgItem(explorer, kNameLabel));
      nameShown = IsWindowVisible(GetDlgItem(explorer, kNameEdit));
      // Going into the folder and confirming: the hidden field keeps its name.
      TypeName(dlg, At("Serie\\") + NameText(dlg));
      Press(dlg, IDOK);
    });
    ASSERT_EQ(1, ShowDirectoryDialog(f_.Directory, &f_.Drive, dir_.c_str(), kFilter, "Ziel", r.mode, nullptr));
    EXPECT_EQ(r.ok, ok);
    EXPECT_FALSE(labelShown);
    EXPECT_FALSE(nameShown);
    EXPECT_EQ(At("Serie\\"), f_.Directory);
    EXPECT_EQ(dir_[0], f_.Drive);
    EXPECT_EQ(At("Serie\\"), gProgramState.CurrentPath);
  }
}

TEST_F(ChooserDialogs, MultiSelectReturnsTheListAndLeavesCurrentPath) {
  for (const char* name : {"a.bmp", "b.bmp", "c.bmp"}) Touch(name);
  const std::string bare = dir_.substr(0, dir_.size() - 1);
  const struct {
    const char* typed;
    std::string list;   // with its NULs
    std::string directory;
  } kRows[] = {
      {"\"a.bmp\" \"b.bmp\" \"c.bmp\"", bare + std::string("\0a.bmp\0b.bmp\0c.bmp\0\0", 20), bare},
      {"a.bmp", dir_ + std::string("a.bmp\0\0", 7), dir_},
  };
  for (const auto& r : kRows) {
    std::string ok, label;
    DialogDriver driver;
    driver.Then(nullptr, [&](HWND dlg) {
      ok = ButtonText(dlg, IDOK);
      label = DialogDriver::ItemText(Explorer(dlg), kNameLabel);
      TypeName(dlg, r.typed);
      Press(dlg, IDOK);
    });
    ASSERT_EQ(1, ShowMultiOpenDialog(list_, f_.Directory, &f_.Drive, dir_.c_str(), kFilter, "Dateien", 2, nullptr));
    EXPECT_EQ("Löschen", ok);
    EXPECT_EQ("Dateien :", label);
    EXPECT_EQ(r.list, std::string(list_, r.list.size()));
    EXPECT_EQ(r.directory, f_.Directory);
    EXPECT_STREQ("C:\\vorher\\", gProgramState.CurrentPath);
  }
}

TEST_F(ChooserDialogs, PreviewFitsThePictureBetweenBlackBands) {
  WritePicture("gross.png", 640, 480);
  WritePicture("klein.png", 100, 50);
  bool fitted[5] = {}, unscaled[5] = {};
  DialogDriver driver;
  driver.Then(nullptr, [&](HWND dlg) {
    const HWND hook = HookDialog(dlg);
    SizePreview(hook, 300, 300);
    SelectFile(dlg, "gross.png");
    // n = 2, 300 x 225 from y = 37 between black bands.
    const int probes[5][2] = {{150, 10}, {150, 35}, {150, 38}, {150, 260}, {150, 264}};
    const bool red[5] = {false, false, true, true, false};
    for (int i = 0; i < 5; ++i) fitted[i] = red[i] ? IsRed(PreviewPixel(hook, probes[i][0], probes[i][1]))
                                                   : IsBlack(PreviewPixel(hook, probes[i][0], probes[i][1]));
    // 1:1: the small picture unscaled at ((298 - 100) / 2, (298 - 50) / 2).
    DialogDriver::Click(hook, IDC_PICTURE_ORIGINAL);
    SelectFile(dlg, "klein.png");
    const int small[5][2] = {{98, 150}, {99, 124}, {197, 172}, {150, 123}, {199, 150}};
    const bool smallRed[5] = {false, true, true, false, false};
    for (int i = 0; i < 5; ++i) unscaled[i] = smallRed[i] ? IsRed(PreviewPixel(hook, small[i][0], small[i][1]))
                                                          : IsBlack(PreviewPixel(hook, small[i][0], small[i][1]));
    Press(dlg, IDCANCEL);
  });
  EXPECT_EQ(0, Open(ChooserKind::PictureOpen));
  for (int i = 0; i < 5; ++i) EXPECT_TRUE(fitted[i]) << "fitted probe " << i;
  for (int i = 0; i < 5; ++i) EXPECT_TRUE(unscaled[i]) << "unscaled probe " << i;
  EXPECT_EQ(1, gProgramState.IsOriginal);
}

void Pattern(int frame, int x, int y, BYTE* bgr) {
  bgr[0] = BYTE(10 * frame + x);
  bgr[1] = BYTE(y);
  bgr[2] = 100;
}

TEST_F(ChooserDialogs, ShorterVideoClampsTheChosenFrame) {
  ASSERT_TRUE(avifixture::WriteAvi(folder_ / L"lang.avi", 8, 6, 20, Pattern));
  ASSERT_TRUE(avifixture::WriteAvi(folder_ / L"kurz.avi", 8, 6, 5, Pattern));
  std::string longText, shortText;
  int longMax = 0, shortMax = 0, longIndex = 0;
  bool barShown = false;
  DialogDriver driver;
  driver.Then(nullptr, [&](HWND dlg) {
    const HWND hook = HookDialog(dlg);
    const HWND bar = GetDlgItem(hook, IDC_PICTURE_FRAME_BAR);
    int min = 0;
    SelectFile(dlg, "lang.avi");
    barShown = IsWindowVisible(bar);
    Scroll(hook, SB_PAGERIGHT);
    for (int i = 0; i < 5; ++i) Scroll(hook, SB_LINERIGHT);
    longIndex = gProgramState.AviFrameIndex;
    longText = DialogDriver::ItemText(hook, IDC_PICTURE_FRAME_NUMBER);
    GetScrollRange(bar, SB_CTL, &min, &longMax);
    SelectFile(dlg, "kurz.avi");
    shortText = DialogDriver::ItemText(hook, IDC_PICTURE_FRAME_NUMBER);
    GetScrollRange(bar, SB_CTL, &min, &shortMax);
    Press(dlg, IDOK);
  });
  ASSERT_EQ(1, Open(ChooserKind::PictureOpen));
  EXPECT_TRUE(barShown);
  EXPECT_EQ(15, longIndex);
  EXPECT_EQ("Nr. 15 aus 20", longText);
  EXPECT_EQ(19, longMax);
  EXPECT_EQ("Nr. 4 aus 5", shortText);
  EXPECT_EQ(4, shortMax);
  EXPECT_EQ(4, gProgramState.AviFrameIndex);
  // The loader then reads that frame.
  int16_t* samples = nullptr;
  ImageHeader header;
  ImageMetadata metadata;
  ASSERT_EQ(1, LoadImageFile(f_.Path, f_.Extension, 1, &samples, &header, &metadata));
  BYTE bgr[3];
  Pattern(4, 3, 5, bgr);   // top row
  EXPECT_EQ(bgr[0] * 128, samples[3 * 3]);
  FreeMem(&samples);
}

TEST_F(ChooserDialogs, TemplateFollowsTheScreenWidth) {
  // "1:1 Größe" sits this many dialog units right of "Thumbnail".
  const struct {
    int32_t width;
    int units;
    bool thumbnailBox;
  } kRows[] = {{799, 76, false}, {1024, 329, true}, {1279, 329, true}, {1280, 429, true}};
  for (const auto& r : kRows) {
    gProgramState.ScreenWidth = r.width;
    int distance = 0, expected = 0;
    bool box = false;
    DialogDriver driver;
    driver.Then(nullptr, [&](HWND dlg) {
      const HWND hook = HookDialog(dlg);
      RECT thumb, original, units{0, 0, r.units, 0};
      GetWindowRect(GetDlgItem(hook, IDC_PICTURE_THUMBNAIL), &thumb);
      GetWindowRect(GetDlgItem(hook, IDC_PICTURE_ORIGINAL), &original);
      MapDialogRect(hook, &units);
      distance = original.left - thumb.left;
      expected = units.right;
      box = IsWindowVisible(GetDlgItem(hook, IDC_PICTURE_THUMBNAIL));
      Press(dlg, IDCANCEL);
    });
    Open(ChooserKind::PictureOpen);
    EXPECT_NEAR(expected, distance, 1) << r.width;
    EXPECT_EQ(r.thumbnailBox, box) << r.width;
  }
}

TEST_F(ChooserDialogs, ThumbnailSwitchesTheLayout) {
  const struct {
    int32_t width;
    int previewUnits;   // preview width after the click, in dialog units
    BOOL thumbnail;
  } kRows[] = {{1280, 125, 1}, {1024, 125, 1}, {799, 0, 0}};
  for (const auto& r : kRows) {
    gProgramState.ScreenWidth = r.width;
    gProgramState.IsThumbnail = 0;
    int before = 0, after = 0, expected = 0, back = 0;
    UINT checked = 0;
    DialogDriver driver;
    driver.Then(nullptr, [&](HWND dlg) {
      const HWND hook = HookDialog(dlg), preview = GetDlgItem(hook, IDC_PICTURE_PREVIEW);
      RECT rect;
      GetWindowRect(preview, &rect);
      before = rect.right - rect.left;
      DialogDriver::Click(hook, IDC_PICTURE_THUMBNAIL);
      GetWindowRect(preview, &rect);
      after = rect.right - rect.left;
      checked = IsDlgButtonChecked(hook, IDC_PICTURE_THUMBNAIL);
      RECT units{0, 0, r.previewUnits, 0};
      MapDialogRect(hook, &units);
      expected = units.right;
      DialogDriver::Click(hook, IDC_PICTURE_THUMBNAIL);
      GetWindowRect(preview, &rect);
      back = rect.right - rect.left;
      Press(dlg, IDCANCEL);
    });
    Open(ChooserKind::PictureOpen);
    if (r.thumbnail) {
      EXPECT_NEAR(expected, after, 2) << r.width;   // the layout's units convert by the base units
      EXPECT_EQ(UINT(BST_CHECKED), checked);
      EXPECT_LT(after, before);
      EXPECT_GE(back, before - 2);
    } else {
      EXPECT_EQ(before, after) << "ignored below 800";
    }
    EXPECT_EQ(0, gProgramState.IsThumbnail);   // switched on and off again, or never
  }
}

}  // namespace
