// The stacking runs inside the program: a numbered series stacked into the
// target buffer with the progress shown in the dialog's controls, the
// safety copy, the record file and the re-stack command, the note for an
// unreadable frame, an abort and an unwritable program directory; the
// threaded run gives the same result from numbered files and from a video,
// and leaves no thread and no handle behind, also when it is aborted.
#include "stacking/win32/run_stacking.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <tlhelp32.h>

#include <cstring>
#include <filesystem>

#include "avi_fixture.h"
#include "imageio/picture_files.h"
#include "shell/buffer_slots.h"
#include "shell/menu_ids.h"
#include "stack_test_host.h"
#include "stacking/win32/win_stack_host.h"
#include "synthetic_series.h"
#include "tests/app/app_fixture.h"
#include "tests/imageio/picture_fixtures.h"
#include "tests/shell/testkit/message_script.h"

namespace {

namespace fs = std::filesystem;

// A window with the two progress controls of the stacking dialogs; it
// presses "Abbruch" (sets AbortRequested) when the step text reaches the
// step given in abortAt.
class ProgressWindow {
 public:
  ProgressWindow() {
    window_ = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 400, 100, nullptr, nullptr, nullptr, nullptr);
    elapsed_ = CreateWindowExA(0, "STATIC", "", WS_CHILD, 0, 0, 200, 20, window_,
                               reinterpret_cast<HMENU>(kProgressElapsedId), nullptr, nullptr);
    step_ = CreateWindowExA(0, "STATIC", "", WS_CHILD, 0, 30, 400, 20, window_,
                            reinterpret_cast<HMENU>(kProgressStepId), nullptr, nullptr);
    staticProc_ = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(step_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ProgressWindow::StepProc)));
    abortAt_.clear();
  }
  void AbortAt(const char* step) { abortAt_ = step; }
  static LRESULT CALLBACK StepProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_SETTEXT && !abortAt_.empty() && std::strstr(reinterpret_cast<const char*>(lp), abortAt_.c_str()))
      gProgramState.AbortRequested = 1;
    return CallWindowProcA(staticProc_, w, msg, wp, lp);
  }
  static inline WNDPROC staticProc_ = nullptr;
  static inline std::string abortAt_;

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

class RunStackingTest : public AppTest {
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
  int Run(int threads = 0) {
    std::snprintf(seriesName_, sizeof seriesName_, "%s", names_[0].c_str());
    if (threads == 0) return RunStackingSingle(progress_.window(), seriesName_, nullptr, &gProgramState, 1);
    gProgramState.WorkerLimit = threads;
    const int r = RunStackingThreaded(progress_.window(), seriesName_, nullptr, &gProgramState, 1);
    gProgramState.WorkerLimit = saved_->WorkerLimit;
    return r;
  }
  std::vector<int16_t> Installed() const {
    ImageHeader h;
    if (!GetSlotHeader(&h, 1, &gProgramState)) return {};
    const int16_t* p = GetSlotPixels(1, &gProgramState);
    return std::vector<int16_t>(p, p + size_t(h.width) * h.height * (h.colourType == kColourRgb ? 3 : 1));
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

TEST_F(RunStackingTest, StacksIntoTheTargetBuffer) {
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

TEST_F(RunStackingTest, AbortLeavesTheTargetAsItWas) {
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

TEST_F(RunStackingTest, UnwritableProgramDirectoryKeepsRestackGrey) {
  std::snprintf(gProgramState.ProgramDirectory, sizeof gProgramState.ProgramDirectory, "%s",
                (dir_.path() / "fehlt" / "auch").string().c_str());
  MessageBoxScript boxes;
  ASSERT_EQ(1, Run());
  EXPECT_EQ(1, IsSlotLoaded(1, &gProgramState));
  EXPECT_EQ(UINT(MF_GRAYED), MenuState(IDM_RESTACK) & MF_GRAYED);
  EXPECT_FALSE(fs::exists(dir_.path() / "fehlt"));
}

TEST_F(RunStackingTest, CalibrationFramesThatDoNotFit) {
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

// Threads of this process.
int ThreadCount() {
  const HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  THREADENTRY32 t;
  t.dwSize = sizeof t;
  int n = 0;
  for (BOOL more = Thread32First(snap, &t); more; more = Thread32Next(snap, &t))
    if (t.th32OwnerProcessID == GetCurrentProcessId()) ++n;
  CloseHandle(snap);
  return n;
}

// Open kernel handles of this process, found by asking after every handle
// value in turn (Wine answers GetProcessHandleCount with 0).
int OpenHandles() {
  int n = 0;
  DWORD flags = 0;
  for (uintptr_t h = 4; h < 0x10000; h += 4)
    if (GetHandleInformation(reinterpret_cast<HANDLE>(h), &flags)) ++n;
  return n;
}

// No worker listed, none running, no handle left open.
void ExpectNoWorkerLeft(int threads, int handles) {
  EXPECT_EQ(0, gProgramState.RunningWorkers);
  for (HANDLE h : gProgramState.WorkerHandles) EXPECT_EQ(nullptr, h);
  EXPECT_EQ(threads, ThreadCount());
  EXPECT_EQ(handles, OpenHandles());
}

TEST_F(RunStackingTest, ThreadedGivesTheSingleResultAndClosesEveryHandle) {
  MessageBoxScript boxes;
  ASSERT_EQ(1, Run());
  const std::vector<int16_t> single = Installed();
  const auto records = stacktest::FileBytes(ProgramFile("recenter.tmp"));
  ASSERT_FALSE(single.empty());
  const int threads = ThreadCount();
  const int handles = OpenHandles();
  ASSERT_GT(threads, 0);
  ASSERT_GT(handles, 0);
  for (int workers : {2, 8}) {
    ASSERT_EQ(1, Run(workers)) << workers;
    EXPECT_TRUE(single == Installed()) << workers;
    EXPECT_TRUE(records == stacktest::FileBytes(ProgramFile("recenter.tmp"))) << workers;
    EXPECT_EQ("Erzeuge fertiges Summenbild ...", progress_.Step());
    ExpectNoWorkerLeft(threads, handles);
  }
  // The note for the cut frame once per run, owned by the dialog.
  ASSERT_EQ(3u, boxes.Count());
  for (size_t i = 0; i < 3; ++i) {
    EXPECT_EQ("Bild " + names_[2] + "\nnicht ladbar !", boxes.Box(i).text);
    EXPECT_EQ(progress_.window(), boxes.Box(i).owner);
  }
}

TEST_F(RunStackingTest, ThreadedAbortLeavesNoThreadNoHandleAndTheTargetAsItWas) {
  LoadPicture(1, "alt.fts", 64, 48, 0);
  const int16_t* before = GetSlotPixels(1, &gProgramState);
  const int threads = ThreadCount();
  const int handles = OpenHandles();
  MessageBoxScript boxes;
  for (const char* step : {"von Bild 2 (", "Vergleiche Bild 1 (", "Addiere Bild 1 ("}) {
    progress_.AbortAt(step);
    EXPECT_EQ(1, Run(4)) << step;
    EXPECT_EQ(1, gProgramState.AbortRequested) << step;
    gProgramState.AbortRequested = 0;
    EXPECT_EQ(before, GetSlotPixels(1, &gProgramState)) << step;
    EXPECT_FALSE(fs::exists(dir_ / "resultcopy.fts")) << step;
    ExpectNoWorkerLeft(threads, handles);
  }
  for (const auto& entry : fs::directory_iterator(gProgramState.ProgramDirectory))
    EXPECT_EQ(std::string::npos, entry.path().string().find(".part")) << entry.path();
}

// Video frames are decoded on the thread that opened the video, and the
// workers get them in order.
TEST_F(RunStackingTest, ThreadedVideoGivesTheSingleResult) {
  const avifixture::ScratchFolder folder;
  const std::wstring video = folder / L"mars.avi";
  const synth::SeriesSpec& spec = series_.spec;
  ASSERT_TRUE(avifixture::WriteAvi(video, spec.width, spec.height, spec.frames, [&](int f, int x, int y, BYTE* bgr) {
    const int16_t v = series_.frames[size_t(f)].samples[size_t(spec.height - 1 - y) * spec.width + x];
    bgr[0] = bgr[1] = bgr[2] = BYTE(v < 0 ? 0 : v >> 7);
  }));
  gProgramState.Addpicsource = 0;
  names_[0] = avifixture::Narrow(video);
  MessageBoxScript boxes;
  ASSERT_EQ(1, Run());
  const std::vector<int16_t> single = Installed();
  ASSERT_FALSE(single.empty());
  ASSERT_EQ(1, Run(4));
  EXPECT_TRUE(single == Installed());
  EXPECT_EQ(0u, boxes.Count());
}

}  // namespace
