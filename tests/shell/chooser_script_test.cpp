// The choosers over the test seam: what each asks the platform for, what it
// makes of the answers, its error boxes; and the script itself.
#include <windows.h>

#include <cderr.h>
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "shell/choosers/file_choosers.h"
#include "shell/program_state.h"
#include "tests/shell/testkit/chooser_script.h"
#include "tests/shell/testkit/message_script.h"

namespace {

constexpr char kFilter[] = "Bildformate\0*.BMP;*.PNG\0Windows-Bitmaps\0*.BMP\0Alle Dateien\0*.*\0";

class ChooserSeam : public testing::Test {
 protected:
  void SetUp() override {
    saved_ = std::make_unique<ProgramState>();
    std::memcpy(saved_.get(), &gProgramState, sizeof gProgramState);
    std::strcpy(gProgramState.CurrentPath, "C:\\vorher\\");
    gProgramState.ScreenWidth = 1280;
    f_ = FileChoice{};
  }
  void TearDown() override { std::memcpy(&gProgramState, saved_.get(), sizeof gProgramState); }

  // Each chooser of the family with the shared buffers.
  int Run(ChooserKind kind, const char* title = "Titel") {
    const char* start = "C:\\start";
    switch (kind) {
      case ChooserKind::Open:
        return ShowOpenFileDialog(f_.Path, f_.Name, f_.Directory, f_.Extension, &f_.Drive, start, kFilter, title,
                                  nullptr);
      case ChooserKind::Save:
        return ShowSaveFileDialog(f_.Path, f_.Name, f_.Directory, f_.Extension, &f_.Drive, start, kFilter, title,
                                  nullptr);
      case ChooserKind::PictureOpen:
        return ShowPictureOpenDialog(f_.Path, f_.Name, f_.Directory, f_.Extension, &f_.Drive, start, kFilter, title,
                                     nullptr);
      case ChooserKind::Directory:
        return ShowDirectoryDialog(f_.Directory, &f_.Drive, start, kFilter, title, 1, nullptr);
      case ChooserKind::MultiOpen:
        return ShowMultiOpenDialog(list_, f_.Directory, &f_.Drive, start, kFilter, title, 2, nullptr);
      case ChooserKind::SavePath:
        return SavePathDialog(f_.Path, f_.Directory, &f_.Drive, start, title, nullptr);
    }
    return -1;
  }

  FileChoice f_;
  char list_[kChoiceListSize];

 private:
  std::unique_ptr<ProgramState> saved_;
};

constexpr ChooserKind kAllKinds[] = {ChooserKind::Open,      ChooserKind::Save,      ChooserKind::PictureOpen,
                                     ChooserKind::Directory, ChooserKind::MultiOpen, ChooserKind::SavePath};

TEST_F(ChooserSeam, ScriptRecordsWhatEachChooserAsked) {
  const struct {
    ChooserKind kind;
    DWORD flags;
    bool savePathFilter;
  } kRows[] = {
      {ChooserKind::Open, OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST, false},
      {ChooserKind::Save, OFN_HIDEREADONLY | OFN_NOCHANGEDIR, false},
      {ChooserKind::PictureOpen,
       OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_ENABLETEMPLATE | OFN_ENABLEHOOK | OFN_HIDEREADONLY,
       false},
      {ChooserKind::Directory, OFN_EXPLORER | OFN_PATHMUSTEXIST | OFN_ENABLEHOOK | OFN_NOCHANGEDIR | OFN_HIDEREADONLY,
       false},
      {ChooserKind::MultiOpen,
       OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_ALLOWMULTISELECT | OFN_ENABLEHOOK | OFN_HIDEREADONLY,
       false},
      {ChooserKind::SavePath, OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_CREATEPROMPT, true},
  };
  for (const auto& r : kRows) {
    ChooserScript choosers;   // nothing scripted: cancelled
    std::strcpy(f_.Path, "vorschlag.png");
    EXPECT_EQ(0, Run(r.kind, "Ein Titel ...")) << int(r.kind);
    ASSERT_EQ(1u, choosers.Count());
    const RecordedChooser c = choosers.Chooser(0);
    EXPECT_EQ(r.kind, c.kind);
    EXPECT_EQ("Ein Titel ...", c.title);
    EXPECT_EQ("C:\\start", c.initialDirectory);
    EXPECT_EQ(r.flags, c.flags) << int(r.kind);
    EXPECT_FALSE(c.confirmed);
    if (r.savePathFilter)
      EXPECT_EQ((std::vector<std::string>{"*.*", "*.*"}), c.filter);
    else
      EXPECT_EQ((std::vector<std::string>{"Bildformate", "*.BMP;*.PNG", "Windows-Bitmaps", "*.BMP", "Alle Dateien",
                                          "*.*"}),
                c.filter);
  }
  EXPECT_STREQ("C:\\vorher\\", gProgramState.CurrentPath);
}

TEST_F(ChooserSeam, ProposalsAsTheDialogSeesThem) {
  ChooserScript choosers;
  std::strcpy(f_.Path, "bild.fts");
  Run(ChooserKind::Save);
  Run(ChooserKind::Directory);
  Run(ChooserKind::MultiOpen);
  ASSERT_EQ(3u, choosers.Count());
  EXPECT_EQ("bild", choosers.Chooser(0).proposal);
  EXPECT_EQ("Directory", choosers.Chooser(1).proposal);
  EXPECT_EQ("", choosers.Chooser(2).proposal);
  EXPECT_EQ(1, choosers.Chooser(1).okMode);
  EXPECT_EQ(2, choosers.Chooser(2).okMode);
}

TEST_F(ChooserSeam, ErrorBoxesByChooser) {
  constexpr DWORD kErrors[] = {FNERR_BUFFERTOOSMALL, FNERR_INVALIDFILENAME, CDERR_INITIALIZATION, FNERR_SUBCLASSFAILURE,
                               0};
  const struct {
    ChooserKind kind;
    const char* texts[3];   // for the first three errors; null: no box
  } kRows[] = {
      {ChooserKind::Open, {"Dateiname zu lang !", "Ungültiger Dateiname !", nullptr}},
      {ChooserKind::Save, {"Dateiname zu lang !", "Ungültiger Dateiname !", nullptr}},
      {ChooserKind::Directory, {"Dateiname zu lang !", "Ungültiger Dateiname !", nullptr}},
      {ChooserKind::PictureOpen, {"Dateiname zu lang !", "Ungültiger Dateiname !", "Initialisierung funktioniert nicht !"}},
      {ChooserKind::MultiOpen, {"Puffer für Dateinamen zu kurz !", "Ungültiger Dateiname !", nullptr}},
      {ChooserKind::SavePath, {"Pfadname zu lang !", "Ungültiger Pfadname !", nullptr}},
  };
  for (const auto& r : kRows) {
    for (size_t e = 0; e < std::size(kErrors); ++e) {
      MessageBoxScript boxes;
      ChooserScript choosers;
      choosers.Fail(kErrors[e]);
      EXPECT_EQ(0, Run(r.kind));
      const char* expected = e < 3 ? r.texts[e] : nullptr;
      if (!expected) {
        EXPECT_EQ(0u, boxes.Count()) << int(r.kind) << " error " << kErrors[e];
        continue;
      }
      ASSERT_EQ(1u, boxes.Count()) << int(r.kind) << " error " << kErrors[e];
      EXPECT_EQ(expected, boxes.Box(0).text);
      EXPECT_EQ("Fehlermeldung", boxes.Box(0).title);
      EXPECT_EQ(UINT(MB_ICONSTOP), boxes.Box(0).Icon());
    }
  }
}

TEST_F(ChooserSeam, AnswerTooLongForTheBufferFailsAsThePlatformDoes) {
  MessageBoxScript boxes;
  ChooserScript choosers;
  choosers.Choose("C:\\" + std::string(260, 'x') + ".png");
  EXPECT_EQ(0, Run(ChooserKind::Open));
  ASSERT_EQ(1u, boxes.Count());
  EXPECT_EQ("Dateiname zu lang !", boxes.Box(0).text);
}

TEST_F(ChooserSeam, SaveAppendsTheChosenFilterExtension) {
  const struct {
    const char* typed;
    unsigned filter;
    const char* path;
    const char* name;
    const char* extension;
  } kRows[] = {
      {"C:\\x\\mond", 2, "C:\\x\\mond.BMP", "mond.bmp", ".BMP"},
      {"C:\\x\\mond", 1, "C:\\x\\mond.PNG", "mond.png", ".PNG"},
      {"C:\\x\\mond", 3, "C:\\x\\mond", "mond", ""},   // "*.*": nothing to append
      {"C:\\x\\Mond.Fts", 2, "C:\\x\\Mond.Fts", "mond.fts", "Fts"},
  };
  for (const auto& r : kRows) {
    MessageBoxScript boxes;
    ChooserScript choosers;
    choosers.Choose(r.typed, r.filter);
    ASSERT_EQ(1, Run(ChooserKind::Save)) << r.typed;
    EXPECT_STREQ(r.path, f_.Path);
    EXPECT_STREQ(r.name, f_.Name);
    EXPECT_STREQ(r.extension, f_.Extension);
    EXPECT_STREQ("C:\\x\\", f_.Directory);
    EXPECT_STREQ("C:\\x\\", gProgramState.CurrentPath);
    EXPECT_EQ('C', f_.Drive);
    EXPECT_EQ(0u, boxes.Count());   // no such file: no question
  }
}

// A dialog that knows the format (the cut-out's list) hands its extension
// for a name typed without one; a typed extension stays.
TEST_F(ChooserSeam, SaveAppendsTheCallersExtensionBeforeTheFilters) {
  const struct {
    const char* typed;
    const char* path;
    const char* extension;
  } kRows[] = {
      {"C:\\x\\mond", "C:\\x\\mond.fts", ".fts"},
      {"C:\\x\\mond.png", "C:\\x\\mond.png", "png"},
  };
  for (const auto& r : kRows) {
    ChooserScript choosers;
    choosers.Choose(r.typed, 2);
    ASSERT_EQ(1, ShowSaveFileDialog(f_.Path, f_.Name, f_.Directory, f_.Extension, &f_.Drive, "C:\\start", kFilter,
                                    "Titel", nullptr, ".fts"))
        << r.typed;
    EXPECT_STREQ(r.path, f_.Path);
    EXPECT_STREQ(r.extension, f_.Extension);
  }
}

TEST_F(ChooserSeam, PictureOpenTakesTheFrameChosenInThePreview) {
  ChooserScript choosers;
  choosers.Choose("D:\\serie\\clip.avi").Frame(7).Choose("D:\\serie\\saturn", 2);
  gProgramState.AviFrameIndex = 3;
  ASSERT_EQ(1, Run(ChooserKind::PictureOpen));
  EXPECT_EQ(7, gProgramState.AviFrameIndex);
  EXPECT_EQ(7, choosers.Chooser(0).frame);
  EXPECT_STREQ("avi", f_.Extension);
  EXPECT_STREQ("D:\\serie\\", f_.Directory);
  EXPECT_EQ('D', f_.Drive);
  ASSERT_EQ(1, Run(ChooserKind::PictureOpen));
  EXPECT_STREQ("D:\\serie\\saturn.BMP", f_.Path);   // without its dot
  EXPECT_STREQ("BMP", f_.Extension);
  EXPECT_STREQ("saturn.bmp", f_.Name);
  EXPECT_EQ(0, gProgramState.AviFrameIndex);        // the preview starts at frame 0
}

TEST_F(ChooserSeam, DirectoryAndMultiSelectTrailingBackslash) {
  ChooserScript choosers;
  choosers.ChooseDirectory("D:\\Serie")
      .ChooseDirectory("C:\\")
      .ChooseFiles("C:\\serie", {"a.bmp", "b.bmp", "c.bmp"})
      .ChooseFiles("C:\\serie", {"a.bmp"});
  ASSERT_EQ(1, Run(ChooserKind::Directory));
  EXPECT_STREQ("D:\\Serie\\", f_.Directory);
  EXPECT_EQ('D', f_.Drive);
  EXPECT_STREQ("D:\\Serie\\", gProgramState.CurrentPath);
  ASSERT_EQ(1, Run(ChooserKind::Directory));
  EXPECT_STREQ("C:\\", f_.Directory);

  ASSERT_EQ(1, Run(ChooserKind::MultiOpen));
  EXPECT_STREQ("C:\\serie", f_.Directory);
  EXPECT_EQ(0, std::memcmp("C:\\serie\0a.bmp\0b.bmp\0c.bmp\0\0", list_, 28));
  ASSERT_EQ(1, Run(ChooserKind::MultiOpen));
  EXPECT_STREQ("C:\\serie\\", f_.Directory);
  EXPECT_STREQ("C:\\serie\\a.bmp", list_);
  EXPECT_STREQ("C:\\", gProgramState.CurrentPath);   // the multi-select chooser leaves it
}

TEST_F(ChooserSeam, OkModeOfTheDirectoryChooser) {
  ChooserScript choosers;
  gProgramState.ChooserOkMode = 1;
  ShowDirectoryDialog(f_.Directory, &f_.Drive, "C:\\", kFilter, "T", 0, nullptr);
  EXPECT_EQ(0, gProgramState.ChooserOkMode);
  ShowDirectoryDialog(f_.Directory, &f_.Drive, "C:\\", kFilter, "T", 2, nullptr);   // not one of its modes
  EXPECT_EQ(0, gProgramState.ChooserOkMode);
  ShowMultiOpenDialog(list_, f_.Directory, &f_.Drive, "C:\\", kFilter, "T", 2, nullptr);
  EXPECT_EQ(2, gProgramState.ChooserOkMode);
}

TEST(FileExists, OpensAndClosesAtOnce) {
  char dir[MAX_PATH], path[MAX_PATH];
  GetTempPathA(sizeof dir, dir);
  std::snprintf(path, sizeof path, "%styv_exists_%lu.txt", dir, GetCurrentProcessId());
  DeleteFileA(path);
  EXPECT_EQ(0, FileExists(path));
  EXPECT_EQ(0, FileExists(nullptr));
  const HANDLE f = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, f);
  CloseHandle(f);
  EXPECT_EQ(1, FileExists(path));
  EXPECT_EQ(0, FileExists(dir));   // a directory is no file
  // No handle left behind: the file can be had exclusively and deleted.
  const HANDLE again = CreateFileA(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  EXPECT_NE(INVALID_HANDLE_VALUE, again);
  CloseHandle(again);
  EXPECT_TRUE(DeleteFileA(path));
}

}  // namespace
