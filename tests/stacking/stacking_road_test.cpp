// A new user's road: the engine's synthetic series stacked through
// "Überl&agere Bilder automatisch ..." and through the one-page dialog into
// buffer B with worker threads gives what the engine's own run gives; the
// one-page dialog asks for the series with videos among the pictures and
// takes nothing but pause and cancel while the run goes.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>

#include "shell/buffer_slots.h"
#include "shell/menu_ids.h"
#include "stack_dialog_fixture.h"
#include "stacking/setup/setup_ids.h"
#include "stacking/win32/run_stacking.h"
#include "tests/shell/testkit/chooser_script.h"
#include "tests/shell/testkit/dialog_driver.h"
#include "tests/shell/testkit/message_script.h"

namespace {

constexpr char kWizard[] = "Überlagern von Bildserien, Schritt für Schritt";
constexpr char kOnePage[] = "Überlagern von Bildserien";

class StackingRoadTest : public StackDialogTest {
 protected:
  void SetUp() override {
    StackDialogTest::SetUp();
    // The engine's series and settings of the run tests.
    synth::SeriesSpec spec;
    spec.width = 96;
    spec.height = 72;
    spec.radius = 22;
    spec.frames = 8;
    spec.maxShift = 8;
    spec.lowContrastFrame = -1;
    series_ = synth::MakeSeries(spec);
    names_ = synth::WriteNumbered(series_, dir_ / "mars_", ".fts", 1);
    ASSERT_EQ(8u, names_.size());
    ProgramState& ps = gProgramState;
    ps.Addpicsource = 2, ps.FitMethod = 2, ps.CheckMethod = 2, ps.Qualitycheck = 1;
    ps.Checkmix = 0.5, ps.CheckSelection = 0.5, ps.Checkarea = 0.5;
    ps.Preprocess = 0;
  }
  // The engine's own single run into buffer A.
  std::vector<int16_t> EngineResult() {
    char name[kPathSize];
    std::snprintf(name, sizeof name, "%s", names_[0].c_str());
    gProgramState.TargetBuffer = 1;
    gProgramState.RunStartTick = GetTickCount();
    if (RunStackingSingle(nullptr, name, nullptr, &gProgramState, 1) != 1) return {};
    std::vector<int16_t> r = BufferSamples(1);
    ClearSlot(1, &gProgramState);
    return r;
  }

  std::vector<std::string> names_;
};

TEST_F(StackingRoadTest, BothDialogsStackLikeTheEngineWithWorkers) {
  MessageBoxScript boxes;
  const std::vector<int16_t> engine = EngineResult();
  ASSERT_FALSE(engine.empty());
  for (UINT command : {UINT(IDM_STACK_WIZARD), UINT(IDM_STACK_CLASSIC)}) {
    SCOPED_TRACE(command);
    ClearSlot(2, &gProgramState);
    gProgramState.ActiveBuffer = 2;
    gProgramState.WorkerLimit = 4;
    ChooserScript choosers;
    choosers.Choose(names_[0]);
    DialogDriver driver;
    if (command == IDM_STACK_WIZARD)
      driver.Then(kWizard, [](HWND dlg) {
        DialogDriver::Click(dlg, IDC_WZ_PREVIOUS);
        DialogDriver::Click(dlg, IDC_WZ_NEXT);
      });
    else
      driver.Then(kOnePage, [](HWND dlg) { DialogDriver::Click(dlg, IDC_CL_NEXT); });
    SendCommand(command);
    EXPECT_TRUE(driver.Done());
    ASSERT_EQ(1u, choosers.Count());
    EXPECT_TRUE(engine == BufferSamples(2));
    EXPECT_EQ(0, gProgramState.RunningWorkers);
    ImageMetadata md;
    GetSlotMetadata(&md, 2, &gProgramState);
    EXPECT_STREQ("Resultatbild", md.path);
  }
}

// The one-page dialog always asks, from the current name, with videos
// among the pictures; during the run its radio buttons and switches write
// nothing.
TEST_F(StackingRoadTest, TheOnePageDialogAsksForTheSeriesAndHoldsStillDuringTheRun) {
  std::snprintf(gProgramState.SeriesPath, sizeof gProgramState.SeriesPath, "%s", names_[0].c_str());
  ChooserScript choosers;
  choosers.Choose(names_[0]);
  MessageBoxScript boxes;
  DialogDriver driver;
  driver.Then(kOnePage, [](HWND dlg) {
    DialogDriver::Click(dlg, IDC_CL_PAUSE);
    DialogDriver::Click(dlg, IDC_CL_NEXT);
  });
  driver.Then(kOnePage, [](HWND dlg) {
    for (int id : {IDC_CL_NEXT, IDC_CL_MEAN + 2, IDC_CL_INTERLACE, IDC_CL_QC_NONE, IDC_CL_NOT_CLOSE, IDC_CL_RATE})
      EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dlg, id))) << id;
    DialogDriver::Click(dlg, IDC_CL_MEAN + 2);
    DialogDriver::Click(dlg, IDC_CL_INTERLACE);
    DialogDriver::Click(dlg, IDC_CL_QC_NONE);
    EXPECT_EQ(0, gProgramState.Imagetype);
    EXPECT_EQ(0, gProgramState.Interlace);
    EXPECT_EQ(2, gProgramState.CheckMethod);
    DialogDriver::Click(dlg, IDC_CL_PAUSE);
  });
  SendCommand(IDM_STACK_CLASSIC);
  EXPECT_TRUE(driver.Done());
  ASSERT_EQ(1u, choosers.Count());
  const RecordedChooser c = choosers.Chooser(0);
  EXPECT_EQ("Erstes Bild der durchnummerierten Serie suchen ...", c.title);
  EXPECT_EQ(names_[0], c.proposal);
  ASSERT_GE(c.filter.size(), 7u);
  EXPECT_EQ("AVI-Videos", c.filter[6]);
  EXPECT_EQ(1, IsSlotLoaded(1, &gProgramState));
  EXPECT_EQ(0, gProgramState.Imagetype);
}

// The pattern methods open the pattern dialog before anything else; giving
// it up leaves the stacking dialog open with nothing asked and nothing saved.
TEST_F(StackingRoadTest, GivingUpThePatternDialogLeavesTheStackingDialogOpen) {
  for (UINT command : {UINT(IDM_STACK_WIZARD), UINT(IDM_STACK_CLASSIC)}) {
    SCOPED_TRACE(command);
    gProgramState.FitMethod = 3;
    ChooserScript choosers;
    MessageBoxScript boxes;
    DialogDriver driver;
    const char* title = command == IDM_STACK_WIZARD ? kWizard : kOnePage;
    const int next = command == IDM_STACK_WIZARD ? IDC_WZ_NEXT : IDC_CL_NEXT;
    const int cancel = command == IDM_STACK_WIZARD ? IDC_WZ_CANCEL : IDC_CL_CANCEL;
    driver.Then(title, [command, next](HWND dlg) {
      if (command == IDM_STACK_WIZARD) DialogDriver::Click(dlg, IDC_WZ_PREVIOUS);
      DialogDriver::Click(dlg, next);
    });
    driver.Then(nullptr, [](HWND dlg) {
      EXPECT_EQ(0u, DialogDriver::Title(dlg).find("Auswahl eines Paßmusters zum Überlagern"));
      SendMessageA(dlg, WM_COMMAND, IDCANCEL, 0);
    });
    driver.Then(title, [next, cancel](HWND dlg) {
      EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dlg, next)));
      DialogDriver::Click(dlg, cancel);
    });
    SendCommand(command);
    EXPECT_TRUE(driver.Done());
    EXPECT_EQ(0u, choosers.Count());
    EXPECT_FALSE(IsSlotLoaded(1, &gProgramState));
    EXPECT_EQ("", IniValue("FitMethod"));
  }
}

}  // namespace
