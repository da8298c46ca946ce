// The stacking run inside the program: a numbered series stacked into the
// target buffer with the progress shown in the dialog's controls, the
// safety copy, the record file and the re-stack command, the note for an
// unreadable frame, an abort and an unwritable program directory.
#include "stacking/win32/run_stacking_single.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "imageio/picture_files.h"
#include "shell/buffer_slots.h"
#include "shell/menu_ids.h"
#include "stacking/win32/win_stack_host.h"
#include "synthetic_series.h"
#include "tests/app/app_fixture.h"
#include "tests/imageio/picture_fixtures.h"
#include "tests/shell/testkit/message_script.h"

namespace {

namespace fs = std::filesystem;

// A window with the two progress controls of the stacking dialogs; it
// presses "Abbruch" when the step text reaches a given step.
class ProgressWindow {
 public:
  ProgressWindow() {
    window_ = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 400, 100, nullptr, nullptr, nullptr, nullptr);
    elapsed_ = CreateWindowExA(0, "STATIC", "", WS_CHILD, 0, 0, 200, 20, window_,
                               reinterpret_cast<HMENU>(kProgressElapsedId), nullptr, nullptr);
    step_ = CreateWindowExA(0, "STATIC", "", WS_CHILD, 0, 30, 400, 20, window_,
                            reinterpret_cast<HMENU>(kProgressStepId), nullptr, nullptr);
  }
  ~ProgressWindow() { DestroyWindow(window_); }
  HWND window() const { return window_; }
  std::string Text(HWND control) const {
    char text[256] = "";
    GetWindowTextA(control, text, sizeof text);
    return text;
  }
  std::string Elapsed() const { return Text(elapsed_); }
  std::string Step() const { return Text(step_); }

 private:
  HWND window_, elapsed_, step_;
};

class RunStackingSingleTest : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    synth::SeriesSpec spec;
    spec.width = 96;
    spec.height = 72;
    spec.radius = 22;
    spec.frames = 8;
    spec.maxShift = 8;
    spec.lowContrastFrame = -1;
    series_ = synth::MakeSeries(spec);
    names_ = synth::WriteNumbered(series_, dir_ / "mars_", ".fts", 1, 2);
    ASSERT_EQ(8u, names_.size());
    GetCurrentDirectoryA(sizeof oldDirectory_, oldDirectory_);
    SetCurrentDirectoryA(dir_.path().string().c_str());
    saved_ = std::make_unique<ProgramState>();
    std::memcpy(saved_.get(), &gProgramState, sizeof gProgramState);
    ProgramState& ps = gProgramState;
    ps.Addpicsource = 2;
    ps.FitMethod = 2;
    ps.CheckMethod = 2;
    ps.Qualitycheck = 1;
    ps.Checkmix = 0.5;
    ps.CheckSelection = 0.5;
    ps.Checkarea = 0.5;
    ps.Preprocess = 1;
    ps.Safetycopy = 1;
    ps.FitNthPic = 1;
    ps.Superres = ps.Subpixelfactor = ps.SubpixPart = ps.SubpixOrigsize = 0;
    ps.IsDarkcurrent = ps.IsFlatfield = ps.IsNoisefilter = ps.RGBCorrection = ps.FitImageEqualizing = 0;
    ps.Protokoll = 0;
    ps.AbortRequested = ps.PauseRequested = 0;
    ps.TargetBuffer = 1;
    ps.Scalefactor = 1.0;
    ps.RunStartTick = GetTickCount();
    EnableMenuItem(GetMenu(Frame()), IDM_RESTACK, MF_BYCOMMAND | MF_ENABLED);
  }
  void TearDown() override {
    SetCurrentDirectoryA(oldDirectory_);
    // Settings the run changed go back; the buffers and locks stay live.
    ProgramState& ps = gProgramState;
    ps.CheckSharpness = saved_->CheckSharpness;
    ps.CheckDistortion = saved_->CheckDistortion;
    std::memcpy(ps.ProgramDirectory, saved_->ProgramDirectory, sizeof ps.ProgramDirectory);
    AppTest::TearDown();
  }
  int Run() {
    std::snprintf(seriesName_, sizeof seriesName_, "%s", names_[0].c_str());
    return RunStackingSingle(progress_.window(), seriesName_, nullptr, &gProgramState, 1);
  }
  std::string ProgramFile(const char* name) const {
    return (fs::path(gProgramState.ProgramDirectory) / name).string();
  }

  pictures::ScratchDir dir_;
  synth::Series series_;
  std::vector<std::string> names_;
  ProgressWindow progress_;
  char seriesName_[kPathSize] = "";
  char oldDirectory_[MAX_PATH] = "";
  std::unique_ptr<ProgramState> saved_;
};

TEST_F(RunStackingSingleTest, StacksIntoTheTargetBuffer) {
  MessageBoxScript boxes;
  ASSERT_EQ(1, Run());
  ASSERT_EQ(1, IsSlotLoaded(1, &gProgramState));
  ImageHeader h;
  ASSERT_EQ(1, GetSlotHeader(&h, 1, &gProgramState));
  EXPECT_EQ(96, h.width);
  EXPECT_EQ(72, h.height);
  ImageMetadata md;
  GetSlotMetadata(&md, 1, &gProgramState);
  EXPECT_STREQ("Resultatbild", md.path);
  EXPECT_STREQ("Summenbild", md.fileName);
  // One note, at the end, for the frame that could not be read.
  ASSERT_EQ(1u, boxes.Count());
  EXPECT_EQ("Bild " + names_[2] + "\nnicht ladbar !", boxes.Box(0).text);
  EXPECT_EQ("Programmhinweis", boxes.Box(0).title);
  EXPECT_EQ(progress_.window(), boxes.Box(0).owner);
  // The dialog's controls followed the run.
  EXPECT_EQ("Erzeuge Summenbild ...", progress_.Step());
  EXPECT_EQ(0u, progress_.Elapsed().find("0 : 00 : 0"));
  // The safety copy is the installed result.
  int16_t* copy = nullptr;
  ImageHeader copyHeader;
  ImageMetadata copyMetadata;
  ASSERT_EQ(1, LoadImageFile("resultcopy.fts", "fts", 0, &copy, &copyHeader, &copyMetadata));
  EXPECT_TRUE(std::equal(copy, copy + 96 * 72, GetSlotPixels(1, &gProgramState)));
  FreeMem(&copy);
  // The records are there and the re-stack command is offered.
  EXPECT_EQ(1516u + 1152u * 8, fs::file_size(ProgramFile("recenter.tmp")));
  EXPECT_EQ(UINT(MF_ENABLED), MenuState(IDM_RESTACK) & MF_GRAYED);
  EXPECT_EQ(1, gProgramState.CheckSharpness);
  EXPECT_EQ(1, gProgramState.CheckDistortion);
}

TEST_F(RunStackingSingleTest, AbortLeavesTheTargetAsItWas) {
  LoadPicture(1, "alt.fts", 64, 48, 0);
  const int16_t* before = GetSlotPixels(1, &gProgramState);
  gProgramState.AbortRequested = 1;
  MessageBoxScript boxes;
  EXPECT_EQ(1, Run());
  EXPECT_EQ(before, GetSlotPixels(1, &gProgramState));
  EXPECT_FALSE(fs::exists(ProgramFile("recenter.tmp")));
  EXPECT_FALSE(fs::exists(dir_ / "resultcopy.fts"));
  for (const auto& entry : fs::directory_iterator(gProgramState.ProgramDirectory))
    EXPECT_EQ(std::string::npos, entry.path().string().find(".part")) << entry.path();
  EXPECT_EQ(UINT(MF_GRAYED), MenuState(IDM_RESTACK) & MF_GRAYED);
  gProgramState.AbortRequested = 0;
}

TEST_F(RunStackingSingleTest, UnwritableProgramDirectoryKeepsRestackGrey) {
  std::snprintf(gProgramState.ProgramDirectory, sizeof gProgramState.ProgramDirectory, "%s",
                (dir_.path() / "fehlt" / "auch").string().c_str());
  MessageBoxScript boxes;
  ASSERT_EQ(1, Run());
  EXPECT_EQ(1, IsSlotLoaded(1, &gProgramState));
  EXPECT_EQ(UINT(MF_GRAYED), MenuState(IDM_RESTACK) & MF_GRAYED);
  EXPECT_FALSE(fs::exists(dir_.path() / "fehlt"));
}

TEST_F(RunStackingSingleTest, CalibrationFramesThatDoNotFit) {
  // A dark frame of another size and a flat field that is missing.
  synth::SeriesSpec other;
  other.width = 97;
  other.height = 72;
  other.frames = 1;
  const synth::Series dark = synth::MakeSeries(other);
  synth::WriteNumbered(dark, dir_ / "dunkel", ".fts");
  ProgramState& ps = gProgramState;
  std::snprintf(ps.Darkcurrent, sizeof ps.Darkcurrent, "%s", (dir_ / "dunkel000.fts").c_str());
  std::snprintf(ps.Flatfield, sizeof ps.Flatfield, "%s", (dir_ / "flat.fts").c_str());
  ps.IsDarkcurrent = ps.IsFlatfield = 1;
  MessageBoxScript boxes;
  ASSERT_EQ(1, Run());
  ASSERT_GE(boxes.Count(), 2u);
  EXPECT_EQ("Dunkelstrom paßt nicht zu Bildern !", boxes.Box(0).text);
  EXPECT_EQ("Fehlermeldung", boxes.Box(0).title);
  EXPECT_EQ("Es wurde kein Flatfieldfile angegeben.", boxes.Box(1).text);
  EXPECT_EQ("Programmhinweis", boxes.Box(1).title);
  EXPECT_EQ(0, ps.IsDarkcurrent);
  EXPECT_EQ(0, ps.IsFlatfield);
  EXPECT_EQ(nullptr, ps.DarkFrameSamples);
  EXPECT_EQ(nullptr, ps.FlatFieldSamples);
}

}  // namespace
