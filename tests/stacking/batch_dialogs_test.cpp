// The batch and batch-resume dialogs opened through the program's menu under
// Wine, with real stacking runs: jobs defined for several series at once
// through the one-page dialog, a batch of three run to the end (and the
// shutdown asked for through the seam), "&Pause" after the first job and a
// resume that finishes the others with the same results, "&Abbruch" in the
// middle, broken "batch.tmp" files and results that would replace raw frames.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>

#include "shell/menu_ids.h"
#include "stack_test_host.h"
#include "stacking/batch/batch_dialogs.h"
#include "stacking/batch/batch_ids.h"
#include "stacking/setup/setup_ids.h"
#include "synthetic_series.h"
#include "tests/app/app_fixture.h"
#include "tests/imageio/picture_fixtures.h"
#include "tests/shell/testkit/chooser_script.h"
#include "tests/shell/testkit/dialog_driver.h"
#include "tests/shell/testkit/dialog_resource.h"
#include "tests/shell/testkit/message_script.h"

namespace {

namespace fs = std::filesystem;
using stacktest::FileBytes;

constexpr char kBatchTitle[] = "Stapelverarbeitung zum Überlagern von Bildserien";
constexpr char kResumeTitle[] = "Stapelverarbeitung zum Überlagern von Bildserien fortsetzen";
constexpr char kClassicTitle[] = "Überlagern von Bildserien";
constexpr char kFinished[] = "Batch fertig abgearbeitet !";

// Holds a step so that the dialog can be looked at (TYVORN_SHOT_PAUSE ms).
void PauseForAShot() {
  if (const char* ms = std::getenv("TYVORN_SHOT_PAUSE")) Sleep(DWORD(std::atoi(ms)));
}

int gShutdowns = 0;
void CountShutdown(ProgramState*) { ++gShutdowns; }

int ListCount(HWND dlg) { return int(SendDlgItemMessageA(dlg, IDC_BATCH_LIST, LB_GETCOUNT, 0, 0)); }
std::string ListLine(HWND dlg, int i) {
  char line[2200] = "";
  SendDlgItemMessageA(dlg, IDC_BATCH_LIST, LB_GETTEXT, WPARAM(i), LPARAM(line));
  return line;
}

class BatchDialogTest : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    synth::SeriesSpec spec;
    spec.width = 96;
    spec.height = 72;
    spec.radius = 20;
    spec.frames = 5;
    spec.maxShift = 8;
    spec.lowContrastFrame = -1;
    for (const char* prefix : {"a_", "b_", "c_"}) {
      spec.seed += 3;
      const synth::Series s = synth::MakeSeries(spec);
      synth::WriteNumbered(s, dir_ / prefix, ".fts", 1);
    }
    saved_ = std::make_unique<ProgramState>();
    std::memcpy(saved_.get(), &gProgramState, sizeof gProgramState);
    ProgramState& ps = gProgramState;
    ps.WorkerLimit = 1;
    ps.Addpicsource = 2;
    ps.FitMethod = 1;
    ps.CheckMethod = 2;
    ps.Qualitycheck = 1;
    ps.CheckSelection = 0.6;
    ps.Checkmix = 0.5;
    ps.Checkarea = 0.5;
    ps.Interlace = ps.Superres = ps.Subpixelfactor = ps.SubpixPart = ps.SubpixOrigsize = 0;
    ps.IsDarkcurrent = ps.IsFlatfield = ps.IsNoisefilter = ps.RGBCorrection = ps.FitImageEqualizing = 0;
    ps.HotPixelList.RemoveHotPixel = 0;
    ps.Safetycopy = 0;
    ps.Protokoll = 0;
    ps.Classicbatch = 1;
    ps.RecenterFormat = 5;   // PNG in the shared list
    ps.Scalefactor = 1.0;
    std::snprintf(ps.CurrentPath, sizeof ps.CurrentPath, "%s", dir_.path().string().c_str());
    gShutdowns = 0;
    SetShutdownRequest(CountShutdown);
  }
  void TearDown() override {
    SetShutdownRequest(nullptr);
    gProgramState.WorkerLimit = saved_->WorkerLimit;
    AppTest::TearDown();
  }
  std::string Series(const char* prefix) const { return dir_ / (std::string(prefix) + "001.fts"); }
  std::string Result(const char* prefix) const { return dir_ / (std::string(prefix) + "001.png"); }
  std::string BatchFile() const { return std::string(gProgramState.ProgramDirectory) + "\\batch.tmp"; }

  // "&Job definieren ..." for the three series, the one-page dialog confirmed.
  void DefineThree(DialogDriver* driver, ChooserScript* choosers) {
    choosers->ChooseFiles(dir_.path().string(), {"a_001.fts", "b_001.fts", "c_001.fts"});
    driver->Then(kBatchTitle, [](HWND dlg) {
      EXPECT_EQ("PNG-Format (*.PNG)", DialogDriver::ItemText(dlg, IDC_BATCH_FORMAT));
      DialogDriver::Click(dlg, IDC_BATCH_MULTI);
    });
    driver->Then(kClassicTitle, [](HWND dlg) {
      EXPECT_EQ("Einstellung der Batchaufgabe", DialogDriver::ItemText(dlg, IDC_CL_STATUS));
      DialogDriver::Click(dlg, IDC_CL_PAUSE);
    });
  }

  pictures::ScratchDir dir_;
  std::unique_ptr<ProgramState> saved_;
};

TEST_F(BatchDialogTest, TemplatesHoldTheirControls) {
  DialogResourceProbe batch("batchprocess");
  ASSERT_TRUE(batch.Ok());
  EXPECT_EQ(kBatchTitle, batch.Title());
  const std::pair<int, const char*> texts[] = {
      {IDC_BATCH_SINGLE, "&Einzeljob definieren ..."}, {IDC_BATCH_MULTI, "&Job definieren ..."},
      {IDC_BATCH_CLEAR, "&Löschen"},                  {IDC_BATCH_CLASSIC, "Classicmodus"},
      {IDC_BATCH_SHUTDOWN, "Nach Abarbeitung Computer runterfahren"}, {IDC_BATCH_RUN, "&Batch abarbeiten"},
      {IDC_BATCH_PAUSE, "&Pause"},                    {IDC_BATCH_CANCEL, "&Abbruch"}};
  for (const auto& t : texts) EXPECT_EQ(t.second, batch.Text(t.first)) << t.first;
  EXPECT_LE(batch.Size().cx, 800);
  EXPECT_LE(batch.Size().cy, 600);
  const auto labels = batch.Texts();
  EXPECT_NE(labels.end(), std::find(labels.begin(), labels.end(), "Batchliste (maximal 50 Jobs)"));

  DialogResourceProbe resume("batchweiter");
  ASSERT_TRUE(resume.Ok());
  EXPECT_EQ(kResumeTitle, resume.Title());
  for (int id : {IDC_BATCH_CLEAR, IDC_BATCH_MULTI, IDC_BATCH_CLASSIC, IDC_BATCH_SINGLE, IDC_BATCH_FORMAT})
    EXPECT_FALSE(resume.Has(id)) << id;
  const auto resumeLabels = resume.Texts();
  EXPECT_NE(resumeLabels.end(), std::find(resumeLabels.begin(), resumeLabels.end(), "Verbleibende Batchliste"));
}

// Three jobs to the end, then the same batch paused after its first job and
// resumed: the resumed jobs give the same pictures.
TEST_F(BatchDialogTest, ABatchRunsToTheEndAndAPausedOneResumesToTheSameResults) {
  MessageBoxScript boxes;
  {
    ChooserScript choosers;
    DialogDriver driver(120000);
    DefineThree(&driver, &choosers);
    driver.Then(kBatchTitle, [&](HWND dlg) {
      ASSERT_EQ(3, ListCount(dlg));
      EXPECT_EQ(Series("a_") + " -> " + Result("a_"), ListLine(dlg, 0));
      PauseForAShot();
      DialogDriver::Click(dlg, IDC_BATCH_SHUTDOWN);
      DialogDriver::Click(dlg, IDC_BATCH_RUN);
    });
    driver.Until(kBatchTitle, [](HWND dlg) {
      if (DialogDriver::ItemText(dlg, IDC_BATCH_STATUS) != kFinished) return false;
      EXPECT_EQ("&Beenden", DialogDriver::ItemText(dlg, IDC_BATCH_CANCEL));
      EXPECT_EQ(0, ListCount(dlg));
      EXPECT_EQ(1, gShutdowns) << "a finished batch asks for the shutdown once";
      DialogDriver::Click(dlg, IDC_BATCH_CANCEL);
      return true;
    });
    SendCommand(IDM_BATCH);
    EXPECT_TRUE(driver.Done());
  }
  EXPECT_EQ(0u, boxes.Count()) << (boxes.Count() ? boxes.Box(0).text : "");
  EXPECT_FALSE(fs::exists(BatchFile()));
  std::vector<std::vector<uint8_t>> results;
  for (const char* p : {"a_", "b_", "c_"}) {
    results.push_back(FileBytes(Result(p)));
    EXPECT_FALSE(results.back().empty()) << p;
    fs::remove(Result(p));
  }
  EXPECT_NE(results[0], results[1]);

  gShutdowns = 0;
  {
    ChooserScript choosers;
    DialogDriver driver(120000);
    DefineThree(&driver, &choosers);
    driver.Then(kBatchTitle, [&](HWND dlg) {
      DialogDriver::Click(dlg, IDC_BATCH_SHUTDOWN);
      DialogDriver::Click(dlg, IDC_BATCH_RUN);
    });
    // The first result is there: job 2 is running.
    driver.Until(kBatchTitle, [&](HWND dlg) {
      if (!fs::exists(Result("a_"))) return false;
      DialogDriver::Click(dlg, IDC_BATCH_PAUSE);
      return true;
    });
    SendCommand(IDM_BATCH);
    EXPECT_TRUE(driver.Done());
    EXPECT_EQ(0, DialogDriver::CountWindows(kBatchTitle));
  }
  EXPECT_EQ(0, gShutdowns) << "a pause never shuts down";
  EXPECT_FALSE(fs::exists(Result("b_")));
  const auto file = FileBytes(BatchFile());
  ASSERT_EQ(8 + 3 * kBatchJobBytes, file.size());
  EXPECT_EQ(3, file[0]);
  EXPECT_EQ(1, file[4]);
  EXPECT_EQ(0u, MenuState(IDM_BATCH_RESUME) & MF_GRAYED);

  {
    DialogDriver driver(120000);
    driver.Then(kResumeTitle, [&](HWND dlg) {
      ASSERT_EQ(2, ListCount(dlg));
      EXPECT_EQ(Series("b_") + " -> " + Result("b_"), ListLine(dlg, 0));
      PauseForAShot();
      DialogDriver::Click(dlg, IDC_BATCH_RUN);
    });
    driver.Until(kResumeTitle, [](HWND dlg) {
      if (DialogDriver::ItemText(dlg, IDC_BATCH_STATUS) != kFinished) return false;
      DialogDriver::Click(dlg, IDC_BATCH_CANCEL);
      return true;
    });
    SendCommand(IDM_BATCH_RESUME);
    EXPECT_TRUE(driver.Done());
  }
  EXPECT_EQ(0u, boxes.Count()) << (boxes.Count() ? boxes.Box(0).text : "");
  EXPECT_EQ(results[0], FileBytes(Result("a_")));
  EXPECT_EQ(results[1], FileBytes(Result("b_")));
  EXPECT_EQ(results[2], FileBytes(Result("c_")));
  EXPECT_FALSE(fs::exists(BatchFile()));
  EXPECT_TRUE(MenuState(IDM_BATCH_RESUME) & MF_GRAYED);
}

TEST_F(BatchDialogTest, AbbruchStartsNoFurtherJobAndNeverShutsDown) {
  MessageBoxScript boxes;
  ChooserScript choosers;
  DialogDriver driver(120000);
  DefineThree(&driver, &choosers);
  driver.Then(kBatchTitle, [](HWND dlg) {
    DialogDriver::Click(dlg, IDC_BATCH_SHUTDOWN);
    DialogDriver::Click(dlg, IDC_BATCH_RUN);
  });
  driver.Until(kBatchTitle, [&](HWND dlg) {
    if (!fs::exists(Result("a_"))) return false;
    DialogDriver::Click(dlg, IDC_BATCH_CANCEL);
    EXPECT_TRUE(IsWindow(dlg)) << "open until the running job has stopped";
    return true;
  });
  SendCommand(IDM_BATCH);
  EXPECT_TRUE(driver.Done());
  EXPECT_EQ(0, DialogDriver::CountWindows(kBatchTitle));
  EXPECT_FALSE(fs::exists(Result("b_")));
  EXPECT_FALSE(fs::exists(Result("c_")));
  EXPECT_EQ(0, gShutdowns);
  EXPECT_FALSE(fs::exists(BatchFile()));
  EXPECT_DOUBLE_EQ(0.6, gProgramState.CheckSelection);
}

TEST_F(BatchDialogTest, BrokenBatchFilesAreRefused) {
  const auto head = [](int32_t count, int32_t index, size_t jobs, size_t extra) {
    std::vector<uint8_t> b(8 + jobs * kBatchJobBytes + extra, 0);
    std::memcpy(&b[0], &count, 4);
    std::memcpy(&b[4], &index, 4);
    return b;
  };
  const struct {
    const char* what;
    std::vector<uint8_t> bytes;
  } cases[] = {
      {"short", {1, 0}},
      {"wrong count", head(3, 0, 2, 0)},
      {"index past the end", head(2, 3, 2, 0)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    {
      FILE* f = std::fopen(BatchFile().c_str(), "wb");
      ASSERT_NE(nullptr, f);
      std::fwrite(c.bytes.data(), 1, c.bytes.size(), f);
      std::fclose(f);
    }
    EnableMenuItem(GetMenu(Frame()), IDM_BATCH_RESUME, MF_BYCOMMAND | MF_ENABLED);
    MessageBoxScript boxes;
    SendCommand(IDM_BATCH_RESUME);
    ASSERT_EQ(1u, boxes.Count());
    EXPECT_NE(std::string::npos, boxes.Box(0).text.find("beschädigt"));
    EXPECT_EQ("Fehlermeldung", boxes.Box(0).title);
    EXPECT_EQ(0, DialogDriver::CountWindows(kResumeTitle));
    EXPECT_EQ(c.bytes, FileBytes(BatchFile())) << "the file is left for a look";
  }
}

// A result named like a raw frame is no job: "mars0001.bmp" stacked into
// BMP would replace the series' first picture.
TEST_F(BatchDialogTest, AResultThatWouldReplaceARawFrameIsRefused) {
  gProgramState.RecenterFormat = 1;   // FITS, as the series
  const auto before = FileBytes(Series("a_"));
  MessageBoxScript boxes;
  ChooserScript choosers;
  choosers.ChooseFiles(dir_.path().string(), {"a_001.fts"});
  choosers.Choose(Series("b_"));
  choosers.Choose(dir_ / "b_003.fts");
  DialogDriver driver(60000);
  driver.Then(kBatchTitle, [](HWND dlg) { DialogDriver::Click(dlg, IDC_BATCH_MULTI); });
  driver.Then(kBatchTitle, [](HWND dlg) {
    EXPECT_EQ(0, ListCount(dlg));
    DialogDriver::Click(dlg, IDC_BATCH_SINGLE);
  });
  driver.Then(kClassicTitle, [](HWND dlg) { DialogDriver::Click(dlg, IDC_CL_PAUSE); });
  driver.Then(kBatchTitle, [](HWND dlg) {
    EXPECT_EQ(0, ListCount(dlg));
    // An empty list runs nothing.
    DialogDriver::Click(dlg, IDC_BATCH_RUN);
    EXPECT_NE(kFinished, DialogDriver::ItemText(dlg, IDC_BATCH_STATUS));
    DialogDriver::Click(dlg, IDC_BATCH_CANCEL);
  });
  SendCommand(IDM_BATCH);
  EXPECT_TRUE(driver.Done());
  // The save chooser asks before it names an existing file.
  ASSERT_EQ(3u, boxes.Count());
  for (size_t i : {0u, 2u}) EXPECT_NE(std::string::npos, boxes.Box(i).text.find("Rohbild")) << i;
  EXPECT_EQ(before, FileBytes(Series("a_")));
}

TEST_F(BatchDialogTest, AtFiftyJobsNoMoreAreAdded) {
  MessageBoxScript boxes;
  ChooserScript choosers;
  std::vector<std::string> names;
  for (int i = 0; i < 49; ++i) names.push_back("x" + std::to_string(i) + "_001.fts");
  choosers.ChooseFiles(dir_.path().string(), names);
  choosers.ChooseFiles(dir_.path().string(), {"a_001.fts", "b_001.fts", "c_001.fts"});
  DialogDriver driver(60000);
  driver.Then(kBatchTitle, [](HWND dlg) { DialogDriver::Click(dlg, IDC_BATCH_MULTI); });
  driver.Then(kClassicTitle, [](HWND dlg) { DialogDriver::Click(dlg, IDC_CL_PAUSE); });
  driver.Then(kBatchTitle, [](HWND dlg) {
    EXPECT_EQ(49, ListCount(dlg));
    DialogDriver::Click(dlg, IDC_BATCH_MULTI);
  });
  driver.Then(kClassicTitle, [](HWND dlg) { DialogDriver::Click(dlg, IDC_CL_PAUSE); });
  driver.Then(kBatchTitle, [](HWND dlg) {
    EXPECT_EQ(50, ListCount(dlg));
    DialogDriver::Click(dlg, IDC_BATCH_SINGLE);
    DialogDriver::Click(dlg, IDC_BATCH_CANCEL);
  });
  SendCommand(IDM_BATCH);
  EXPECT_TRUE(driver.Done());
  ASSERT_EQ(2u, boxes.Count());
  EXPECT_EQ("Mehr als 50 Einzeljobs geht nicht.", boxes.Box(0).text);
  EXPECT_EQ("Programmhinweis", boxes.Box(0).title);
  EXPECT_EQ("Mehr als 50 Einzeljobs geht nicht.", boxes.Box(1).text);
}

}  // namespace
