// The capture timer "aufnahmetimer" driven like a user: the interval as
// typed and as chosen from the lists, the counts within what fits on the
// disk, the controls of each mode, and what "&Abbruch" takes back. Also the
// sizes of the capture templates.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>

#include "imageio/capture/capture_ids.h"
#include "imageio/capture/capture_timer_dialog.h"
#include "tests/app/app_fixture.h"
#include "tests/shell/testkit/dialog_driver.h"
#include "tests/shell/testkit/dialog_resource.h"
#include "tests/shell/testkit/message_script.h"

namespace {

constexpr const char* kTitle = "Einstellung des Aufnahmetimers";

bool Enabled(HWND dlg, int id) { return IsWindowEnabled(GetDlgItem(dlg, id)) != 0; }
bool Checked(HWND dlg, int id) { return IsDlgButtonChecked(dlg, id) == BST_CHECKED; }
std::string Text(HWND dlg, int id) { return DialogDriver::ItemText(dlg, id); }

void ChooseListRow(HWND dlg, int row) {
  SendDlgItemMessageA(dlg, IDC_TIMER_ADVICE, CB_SETCURSEL, WPARAM(row), 0);
  SendMessageA(dlg, WM_COMMAND, MAKEWPARAM(IDC_TIMER_ADVICE, CBN_SELCHANGE),
               LPARAM(GetDlgItem(dlg, IDC_TIMER_ADVICE)));
}

void Scroll(HWND dlg, int bar, WORD request, WORD position = 0) {
  SendMessageA(dlg, WM_HSCROLL, MAKEWPARAM(request, position), LPARAM(GetDlgItem(dlg, bar)));
}

class CaptureTimerTest : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    ProgramState& ps = gProgramState;
    ps.MaxCaptureFrames = 4000;
    ps.Framecount = 100;
    ps.Groupcount = 3;
    ps.Intervall = 1500;
    ps.Grabbtimer = 1;
    ps.GrabbAVIs = 0;
    ps.GrabbIntegrated = 0;
  }
  // Opens the timer over the frame, runs step on it and returns its result.
  static INT_PTR Run(const std::function<void(HWND)>& step) {
    DialogDriver driver;
    driver.Then(kTitle, step);
    const INT_PTR r = DialogBoxParamA(GetModuleHandleA(nullptr), "aufnahmetimer", Frame(), CaptureTimerDlgProc, 0);
    EXPECT_TRUE(driver.Done());
    return r;
  }
};

TEST_F(CaptureTimerTest, IntervalsAsTypedAndChosen) {
  const struct {
    const char* name;
    BOOL integrated;
    std::function<void(HWND)> act;
    const char* shown;   // the edit before taking
    int32_t ms;
  } cases[] = {
      {"kept unchanged", 0, [](HWND) {}, "1.5", 1500},
      {"typed seconds", 0, [](HWND d) { DialogDriver::SetItemText(d, IDC_TIMER_INTERVAL, "2.5"); }, "2.5", 2500},
      {"typed with a comma", 0, [](HWND d) { DialogDriver::SetItemText(d, IDC_TIMER_INTERVAL, "0,5"); }, "0,5", 500},
      {"from the list", 0, [](HWND d) { ChooseListRow(d, 19); }, "5400", 5400000},
      {"frames from the list", 1, [](HWND d) { ChooseListRow(d, 3); }, "24", 480},
      {"typed frames", 1, [](HWND d) { DialogDriver::SetItemText(d, IDC_TIMER_INTERVAL, "10"); }, "10", 200},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    gProgramState.Intervall = c.integrated ? 320 : 1500;
    gProgramState.GrabbIntegrated = c.integrated;
    MessageBoxScript boxes;
    const INT_PTR r = Run([&](HWND d) {
      c.act(d);
      EXPECT_EQ(c.shown, Text(d, IDC_TIMER_INTERVAL));
      DialogDriver::Click(d, IDC_TIMER_OK);
    });
    EXPECT_EQ(1, r);
    EXPECT_EQ(0u, boxes.Count());
    EXPECT_EQ(c.ms, gProgramState.Intervall);
  }
}

TEST_F(CaptureTimerTest, TextThatIsNoIntervalChangesNothing) {
  for (const char* typed : {"0", "-5", "abc", "", "1e3", "86401"}) {
    SCOPED_TRACE(typed);
    MessageBoxScript boxes;
    const INT_PTR r = Run([&](HWND d) {
      DialogDriver::SetItemText(d, IDC_TIMER_INTERVAL, typed);
      DialogDriver::Click(d, IDC_TIMER_OK);
      EXPECT_TRUE(IsWindow(d)) << "the dialog stays";
      EXPECT_EQ("1.5", Text(d, IDC_TIMER_INTERVAL));
      DialogDriver::Click(d, IDC_TIMER_CANCEL);
    });
    EXPECT_EQ(0, r);
    ASSERT_EQ(1u, boxes.Count());
    EXPECT_EQ("Bitte eine Zahl zwischen 0.001 und 86400 eingeben !", boxes.Box(0).text);
    EXPECT_EQ("Fehlermeldung", boxes.Box(0).title);
    EXPECT_EQ(1500, gProgramState.Intervall);
  }
}

TEST_F(CaptureTimerTest, IntegratingCamerasCountInFramesOfTwentyMilliseconds) {
  gProgramState.Grabbtimer = 2;
  gProgramState.GrabbAVIs = 1;
  const INT_PTR r = Run([](HWND d) {
    EXPECT_EQ("Aufnahmeintervall (sec)", Text(d, IDC_TIMER_INTERVAL_LABEL));
    EXPECT_EQ(6, SendDlgItemMessageA(d, IDC_TIMER_ADVICE, CB_GETCURSEL, 0, 0)) << "\"10 Sec.\"";
    EXPECT_EQ(27, SendDlgItemMessageA(d, IDC_TIMER_ADVICE, CB_GETCOUNT, 0, 0));
    DialogDriver::Click(d, IDC_TIMER_INTEGRATED);
    EXPECT_TRUE(Checked(d, IDC_TIMER_INTEGRATED));
    EXPECT_EQ(320, gProgramState.Intervall);
    EXPECT_EQ("16", Text(d, IDC_TIMER_INTERVAL));
    EXPECT_EQ("Intervall (Bilder)", Text(d, IDC_TIMER_INTERVAL_LABEL));
    EXPECT_EQ(1, gProgramState.Grabbtimer);
    EXPECT_TRUE(Checked(d, IDC_TIMER_LAPSE));
    EXPECT_FALSE(Enabled(d, IDC_TIMER_SINGLE));
    EXPECT_FALSE(Enabled(d, IDC_TIMER_SEQUENCES));
    EXPECT_EQ(9, SendDlgItemMessageA(d, IDC_TIMER_ADVICE, CB_GETCOUNT, 0, 0));
    EXPECT_EQ(2, SendDlgItemMessageA(d, IDC_TIMER_ADVICE, CB_GETCURSEL, 0, 0)) << "\"16 Bilder\"";
    DialogDriver::Click(d, IDC_TIMER_INTEGRATED);
    EXPECT_EQ("0.32", Text(d, IDC_TIMER_INTERVAL));
    EXPECT_TRUE(Enabled(d, IDC_TIMER_SEQUENCES));
    EXPECT_EQ("Aufnahmeintervall (sec)", Text(d, IDC_TIMER_INTERVAL_LABEL));
    DialogDriver::Click(d, IDC_TIMER_OK);
  });
  EXPECT_EQ(1, r);
  EXPECT_EQ(320, gProgramState.Intervall);
  EXPECT_EQ(0, gProgramState.GrabbIntegrated);
}

TEST_F(CaptureTimerTest, EachModeEnablesItsControls) {
  const struct {
    int radio;
    bool interval, groups;
    BOOL avis;
  } cases[] = {{IDC_TIMER_SINGLE, false, false, 0}, {IDC_TIMER_LAPSE, true, false, 0},
               {IDC_TIMER_SEQUENCES, true, true, 1}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.radio);
    gProgramState.GrabbAVIs = !c.avis;
    Run([&](HWND d) {
      DialogDriver::Click(d, c.radio);
      EXPECT_TRUE(Checked(d, c.radio));
      for (int id : {IDC_TIMER_INTERVAL_LABEL, IDC_TIMER_INTERVAL, IDC_TIMER_INTERVAL_SPIN, IDC_TIMER_ADVICE_LABEL,
                     IDC_TIMER_ADVICE})
        EXPECT_EQ(c.interval, Enabled(d, id)) << id;
      for (int id : {IDC_TIMER_GROUPS_LABEL, IDC_TIMER_GROUPS_BAR, IDC_TIMER_GROUPS_TEXT})
        EXPECT_EQ(c.groups, Enabled(d, id)) << id;
      EXPECT_TRUE(Enabled(d, IDC_TIMER_FRAMES_BAR));
      DialogDriver::Click(d, IDC_TIMER_OK);
    });
    EXPECT_EQ(c.radio - IDC_TIMER_SINGLE, gProgramState.Grabbtimer);
    if (c.radio != IDC_TIMER_SINGLE) {
      EXPECT_EQ(c.avis, gProgramState.GrabbAVIs);
    }
  }
}

TEST_F(CaptureTimerTest, CountsStayWithinWhatFitsAndTheSequencesAtLeastOne) {
  gProgramState.Groupcount = 0;
  const INT_PTR r = Run([](HWND d) {
    int low = 0, high = 0;
    GetScrollRange(GetDlgItem(d, IDC_TIMER_GROUPS_BAR), SB_CTL, &low, &high);
    EXPECT_EQ(1, low);
    EXPECT_EQ(40, high);
    EXPECT_EQ("1", Text(d, IDC_TIMER_GROUPS_TEXT));
    Scroll(d, IDC_TIMER_GROUPS_BAR, SB_LINELEFT);
    EXPECT_EQ(1, gProgramState.Groupcount);
    Scroll(d, IDC_TIMER_GROUPS_BAR, SB_THUMBPOSITION, 40);
    EXPECT_EQ("40", Text(d, IDC_TIMER_GROUPS_TEXT));
    // More frames a sequence: fewer sequences fit.
    DialogDriver::SetItemText(d, IDC_TIMER_FRAMES_EDIT, "1000");
    Scroll(d, IDC_TIMER_FRAMES_BAR, SB_ENDSCROLL);
    GetScrollRange(GetDlgItem(d, IDC_TIMER_GROUPS_BAR), SB_CTL, &low, &high);
    EXPECT_EQ(4, high);
    EXPECT_EQ("4", Text(d, IDC_TIMER_GROUPS_TEXT));
    DialogDriver::SetItemText(d, IDC_TIMER_FRAMES_EDIT, "99999");
    DialogDriver::Click(d, IDC_TIMER_OK);
  });
  EXPECT_EQ(1, r);
  EXPECT_EQ(4000, gProgramState.Framecount);
  EXPECT_EQ(1, gProgramState.Groupcount);
}

TEST_F(CaptureTimerTest, CancelTakesEveryChangeBack) {
  const INT_PTR r = Run([](HWND d) {
    DialogDriver::Click(d, IDC_TIMER_SEQUENCES);
    DialogDriver::Click(d, IDC_TIMER_INTEGRATED);
    ChooseListRow(d, 5);
    Scroll(d, IDC_TIMER_FRAMES_BAR, SB_PAGERIGHT);
    Scroll(d, IDC_TIMER_GROUPS_BAR, SB_PAGERIGHT);
    DialogDriver::Click(d, IDC_TIMER_CANCEL);
  });
  EXPECT_EQ(0, r);
  const ProgramState& ps = gProgramState;
  EXPECT_EQ(1, ps.Grabbtimer);
  EXPECT_EQ(0, ps.GrabbAVIs);
  EXPECT_EQ(0, ps.GrabbIntegrated);
  EXPECT_EQ(1500, ps.Intervall);
  EXPECT_EQ(100, ps.Framecount);
  EXPECT_EQ(3, ps.Groupcount);
}

TEST(CaptureTemplates, EverySizeFitsItsScreenWithTheSameControls) {
  const struct {
    const char* name;
    LONG width, height;
  } templates[] = {{"dxaufnahme800", 800, 600}, {"dxaufnahme1024", 1024, 768}, {"dxaufnahme1280", 1280, 1024},
                   {"aufnahmetimer", 800, 600}};
  for (const auto& t : templates) {
    SCOPED_TRACE(t.name);
    DialogResourceProbe probe(t.name);
    ASSERT_TRUE(probe.Ok());
    EXPECT_LE(probe.Size().cx, t.width);
    EXPECT_LE(probe.Size().cy, t.height);
    if (t.name[0] == 'a') {
      EXPECT_EQ(kTitle, probe.Title());
      EXPECT_EQ("&Übenehmen", probe.Text(IDC_TIMER_OK));
      EXPECT_EQ("msctls_updown32", probe.ClassOf(IDC_TIMER_INTERVAL_SPIN));
      continue;
    }
    EXPECT_EQ("Bildaufnahme aus einem Videostream", probe.Title());
    for (int id = IDC_CAPTURE_FULL_SCREEN; id <= IDC_CAPTURE_LIMIT; ++id) EXPECT_TRUE(probe.Has(id)) << id;
    EXPECT_EQ("AVI-Datei festlegen ...", probe.Text(IDC_CAPTURE_FILE));
    EXPECT_EQ("&Übernehmen", probe.Text(IDC_CAPTURE_OK));
    EXPECT_EQ(std::string(t.name) == "dxaufnahme800" ? "2 GB Limit" : "2 GB", probe.Text(IDC_CAPTURE_LIMIT));
    EXPECT_EQ(std::string(t.name) != "dxaufnahme800", probe.Has(IDC_CAPTURE_ESC_HINT));
    EXPECT_FALSE(GetWindowLongA(probe.Dialog(), GWL_STYLE) & WS_SYSMENU) << "no system menu";
  }
}

}  // namespace
