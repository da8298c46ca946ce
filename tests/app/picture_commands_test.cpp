// "A&VI zerlegen ...", "&Digitalfotos mit DCRaw konvertieren ..." and "Alte
// Rohbilder &löschen" through the frame window, with the choosers answered by
// a script and the dialog driven like a user: the pictures written, what a
// stop during the split leaves, and the converter started on chosen photos.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "avi_fixture.h"
#include "imageio/avi_frames.h"
#include "imageio/avi_split.h"
#include "imageio/picture_dialog_ids.h"
#include "imageio/picture_files.h"
#include "imageio/recenter_formats.h"
#include "shell/frame_window.h"
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
