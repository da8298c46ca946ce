// The dialog frame on a real modal dialog: what opening sets up, the one way
// out (commit keeps the target's undo copy and the settings, cancel puts the
// backup back, both free what the dialog owns), the refusal of an unsuitable
// source, and a run that disables the controls and holds a cancel back.
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>

#include "shell/dialogkit/dialog_kit.h"
#include "shell/settings.h"
#include "tests/shell/dialogkit/kit_fixture.h"
#include "tests/shell/testkit/dialog_driver.h"
#include "tests/shell/testkit/dialog_template.h"
#include "tests/shell/testkit/live_counts.h"
#include "tests/shell/testkit/message_script.h"

namespace {

constexpr int kOk = 201, kCancel = 202, kTargetA = 211, kOther = 220;

DialogFrameSpec gSpec;
DialogFrame gFrame;
std::function<ApplyOutcome(DialogFrame*)> gApply;
// What the dialog owns while it is open.
int16_t* gWork = nullptr;
HBITMAP gBitmap = nullptr;

ApplyOutcome CallApply(DialogFrame* frame, void*) { return gApply(frame); }

INT_PTR CALLBACK TestDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      if (OpenDialogFrame(&gFrame, &gSpec, dialog) == FrameSource::kOk) {
        gWork = static_cast<int16_t*>(AllocMem(4096));
        gBitmap = CreateBitmap(8, 8, 1, 32, nullptr);
        DialogFrameOwnBlock(&gFrame, &gWork);
        DialogFrameOwnGdi(&gFrame, &gBitmap);
      }
      return TRUE;
    case WM_COMMAND: {
      const int id = LOWORD(wParam);
      if (HandleTargetRadio(&gFrame, id)) return TRUE;
      if (id == kOk) CommitDialogFrame(&gFrame, gApply ? CallApply : nullptr, nullptr);
      if (id == kCancel || id == IDCANCEL) CancelDialogFrame(&gFrame);
      return TRUE;
    }
    case WM_DESTROY:
      DialogFrameDestroyed(&gFrame);
      return FALSE;
  }
  return FALSE;
}

DialogTemplate MakeTemplate() {
  DialogTemplate t("Vorlage", 200, 120);
  t.Button(kOk, "&Gut", 8, 96).Button(kCancel, "&Abbruch", 70, 96).Button(kOther, "Sonst", 132, 96);
  for (int b = 0; b < 4; ++b)
    t.Add(DialogTemplate::kButton, kTargetA + b, "Puffer", 8, short(8 + 14 * b), 60, 12,
          WS_CHILD | WS_VISIBLE | BS_RADIOBUTTON);
  return t;
}

INT_PTR RunDialog(const DialogTemplate& t) {
  return DialogBoxIndirectParamA(GetModuleHandleA(nullptr), t.Get(), nullptr, TestDlgProc, 0);
}

class DialogFrameTest : public KitTest {
 protected:
  void SetUp() override {
    KitTest::SetUp();
    gSpec = DialogFrameSpec{kHotKeyFlat, "Flatfield von %s", kSectionNoisefilter, kTargetA, kOk, kFrameUndoTarget,
                            nullptr, nullptr};
    gApply = nullptr;
  }
};

TEST_F(DialogFrameTest, OpeningNamesTheSourceAndRegistersTheTitle) {
  Load(2, "b.fts");
  gProgramState.ActiveBuffer = 2;
  gSpec.flags |= kFrameNeedsPicture;
  DialogDriver driver;
  driver.Then("Flatfield von Puffer B", [](HWND dlg) {
    EXPECT_STREQ("Flatfield von Puffer B", HotKeyDialogTitle[kHotKeyFlat]);
    EXPECT_EQ(2, gProgramState.SourceBuffer);
    EXPECT_EQ(2, gProgramState.TargetBuffer);
    EXPECT_EQ(BST_CHECKED, IsDlgButtonChecked(dlg, kTargetA + 1));
    EXPECT_EQ(BST_UNCHECKED, IsDlgButtonChecked(dlg, kTargetA));
    EXPECT_EQ(&gFrame, DialogFrameOf(dlg));
    EXPECT_EQ(&gFrame, DialogFrameOf(GetDlgItem(dlg, kOk)));
    DialogDriver::Click(dlg, kTargetA + 3);
    EXPECT_EQ(4, gProgramState.TargetBuffer);
    EXPECT_EQ(BST_CHECKED, IsDlgButtonChecked(dlg, kTargetA + 3));
    DialogDriver::Click(dlg, kCancel);
  });
  EXPECT_EQ(0, RunDialog(MakeTemplate()));
  EXPECT_TRUE(driver.Done());
  EXPECT_EQ(1, gProgramState.TargetBuffer) << "cancel puts the target from before back";
}

TEST_F(DialogFrameTest, CommitKeepsChangesAndSettingsCancelPutsTheBackupBack) {
  for (const bool commit : {false, true}) {
    SetUp();
    Load(1, "a.fts");
    gProgramState.Sigmaradius = 5.0;
    const long blocks = LiveMemBlocks();
    GdiWatch objects;
    DialogDriver driver;
    driver.Then("Flatfield von Puffer A", [&](HWND dlg) {
      objects.Note(gBitmap);
      gProgramState.Sigmaradius = -20.0;
      Load(3, "c.fts");
      DialogDriver::Click(dlg, commit ? kOk : kCancel);
    });
    EXPECT_EQ(commit ? 1 : 0, RunDialog(MakeTemplate()));
    EXPECT_EQ(commit ? -20.0 : 5.0, gProgramState.Sigmaradius);
    EXPECT_EQ(commit ? "c.fts" : "", PathOf(3));
    EXPECT_EQ(commit ? "-20.000000" : "", IniValue("Noisefilter", "Sigmaradius")) << "saved only on commit";
    EXPECT_EQ(nullptr, gWork);
    EXPECT_EQ(nullptr, gBitmap);
    EXPECT_EQ(0, objects.Alive()) << "the frame deletes what the dialog handed it";
    // A committed picture in C and its undo copy of A stay; nothing else.
    EXPECT_EQ(blocks + (commit ? 2 : 0), LiveMemBlocks());
    char ini[kPathSize + 32];
    std::snprintf(ini, sizeof ini, "%s\\tyvorn.ini", gProgramState.ProgramDirectory);
    DeleteFileA(ini);
  }
}

TEST_F(DialogFrameTest, CommitSavesTheUndoCopyOfTheTargetBeforeTheApplyStep) {
  Load(1, "a.fts");
  Load(2, "b.fts");
  gApply = [](DialogFrame* frame) {
    EXPECT_EQ("b.fts", PathOf(6)) << "the target's undo copy is there before the step";
    int16_t* result = nullptr;
    ImageHeader h;
    GetSlotHeader(&h, 1, frame->ps);
    AllocPixels(&result, &h);
    ImageMetadata m;
    GetSlotMetadata(&m, 1, frame->ps);
    std::snprintf(m.path, sizeof m.path, "gefiltert");
    InstallImage(frame->ps->TargetBuffer, frame->ps, result, &h, &m);
    return ApplyOutcome::kDone;
  };
  DialogDriver driver;
  driver.Then(nullptr, [](HWND dlg) {
    DialogDriver::Click(dlg, kTargetA + 1);
    DialogDriver::Click(dlg, kOk);
  });
  EXPECT_EQ(1, RunDialog(MakeTemplate()));
  EXPECT_EQ("gefiltert", PathOf(2));
  EXPECT_EQ("a.fts", PathOf(1));
  EXPECT_EQ("", PathOf(5)) << "the active buffer did not change, its undo copy neither";
  gProgramState.ActiveBuffer = 2;
  ASSERT_TRUE(RestoreUndo(&gProgramState));
  EXPECT_EQ("b.fts", PathOf(2));
}

TEST_F(DialogFrameTest, AnUnsuitableSourceIsRefusedWithTheDialogsMessage) {
  const struct {
    unsigned flags;
    int colourType;     // -1: empty buffer
    BOOL setupOnly;
    const char* message;
    INT_PTR result;     // -2: stays open
  } cases[] = {
      {kFrameNeedsPicture, -1, 0, "Der Puffer A ist leer !", -2},
      {kFrameNeedsPicture | kFrameEndsOnRefusal, -1, 0, "Der Puffer A ist leer !", 0},
      {kFrameNeedsColour | kFrameEndsOnRefusal, 0, 0, "Das Bild ist kein Farbbild !", 0},
      {kFrameNeedsColour, 1, 0, nullptr, -2},
      {kFrameSetupAware | kFrameNeedsColour | kFrameEndsOnRefusal, -1, 1, nullptr, -2},
  };
  for (const auto& c : cases) {
    SetUp();
    if (c.colourType >= 0) Load(1, "a.fts", 16, 16, c.colourType);
    gProgramState.OpenedFromSetup = c.setupOnly;
    gSpec.flags = c.flags;
    const long blocks = LiveMemBlocks();
    MessageBoxScript boxes;
    DialogDriver driver;
    bool sawDialog = false;
    if (c.result == -2)
      driver.Then(nullptr, [&](HWND dlg) {
        sawDialog = true;
        EXPECT_EQ(c.message == nullptr, IsWindowEnabled(GetDlgItem(dlg, kOk)) != 0);
        if (c.message) DialogDriver::Click(dlg, kOk);   // ignored while refused
        DialogDriver::Click(dlg, kCancel);
      });
    EXPECT_EQ(c.result == -2 ? 0 : c.result, RunDialog(MakeTemplate()));
    EXPECT_EQ(c.result == -2, sawDialog);
    ASSERT_EQ(c.message ? 1u : 0u, boxes.Count()) << c.flags;
    if (c.message) {
      EXPECT_EQ(c.message, boxes.Box(0).text);
      EXPECT_EQ("Fehlermeldung", boxes.Box(0).title);
    }
    EXPECT_EQ(blocks, LiveMemBlocks()) << "nothing set up was left behind";
  }
}

TEST_F(DialogFrameTest, ARunDisablesTheControlsAndHoldsCancelBackUntilItReturns) {
  for (const ApplyOutcome outcome : {ApplyOutcome::kStay, ApplyOutcome::kDone}) {
    SetUp();
    Load(1, "a.fts");
    gProgramState.Sigmaradius = 1.0;
    static bool cancelPressed;
    cancelPressed = false;
    gApply = [outcome](DialogFrame* frame) {
      gProgramState.Sigmaradius = 30.0;
      EXPECT_TRUE(DialogRunActive(frame));
      EXPECT_FALSE(IsWindowEnabled(GetDlgItem(frame->dialog, kOther)));
      EXPECT_FALSE(IsWindowEnabled(GetDlgItem(frame->dialog, kCancel)));
      // The run keeps the dialog alive until the user has pressed cancel.
      const DWORD until = GetTickCount() + 5000;
      while (!cancelPressed && int(GetTickCount() - until) < 0) {
        PumpDialogMessages();
        Sleep(1);
      }
      EXPECT_TRUE(IsWindow(frame->dialog)) << "the dialog outlives the run";
      EXPECT_EQ(1, gProgramState.AbortRequested);
      return outcome;
    };
    DialogDriver driver;
    driver.Then(nullptr, [](HWND dlg) { DialogDriver::Click(dlg, kOk); })
        .Then(nullptr, [](HWND dlg) {
          // Escape and the close box arrive as IDCANCEL.
          SendMessageA(dlg, WM_COMMAND, IDCANCEL, 0);
          DialogDriver::Click(dlg, kOk);   // no second commit inside the run
          cancelPressed = true;
        });
    const INT_PTR result = RunDialog(MakeTemplate());
    EXPECT_TRUE(driver.Done());
    if (outcome == ApplyOutcome::kStay) {
      EXPECT_EQ(0, result) << "a failed run, then the cancel";
      EXPECT_EQ(1.0, gProgramState.Sigmaradius);
    } else {
      EXPECT_EQ(1, result) << "a finished run stands";
      EXPECT_EQ(30.0, gProgramState.Sigmaradius);
    }
  }
}

TEST_F(DialogFrameTest, ADialogEndedFromOutsideIsCancelledAndFreed) {
  Load(1, "a.fts");
  gProgramState.Sigmaradius = 2.0;
  const long blocks = LiveMemBlocks();
  DialogDriver driver;
  driver.Then(nullptr, [](HWND dlg) {
    gProgramState.Sigmaradius = 9.0;
    EndDialog(dlg, 5);   // not through the frame
  });
  EXPECT_EQ(5, RunDialog(MakeTemplate()));
  EXPECT_EQ(2.0, gProgramState.Sigmaradius);
  EXPECT_EQ(blocks, LiveMemBlocks());
  EXPECT_EQ(nullptr, gWork);
}

}  // namespace
