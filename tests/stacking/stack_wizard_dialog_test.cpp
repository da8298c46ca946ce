// The step-by-step stacking dialog "ueberlagermethode3" opened through
// "Überl&agere Bilder automatisch ...": its readiness, the pages and the
// shared backup, the run from "&Weiter ..." with pause, "Nicht schließen"
// and "&Abbruch" during the run, and the batch definition.
#include "stacking/setup/stack_wizard_dialog.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "shell/buffer_slots.h"
#include "shell/menu_ids.h"
#include "stack_dialog_fixture.h"
#include "stacking/setup/setup_ids.h"
#include "tests/shell/testkit/chooser_script.h"
#include "tests/shell/testkit/dialog_driver.h"
#include "tests/shell/testkit/dialog_resource.h"
#include "tests/shell/testkit/message_script.h"

namespace {

constexpr char kTitle[] = "Überlagern von Bildserien, Schritt für Schritt";

bool Enabled(HWND dlg, int id) { return IsWindowEnabled(GetDlgItem(dlg, id)) != 0; }
bool Visible(HWND dlg, int id) { return (GetWindowLongA(GetDlgItem(dlg, id), GWL_STYLE) & WS_VISIBLE) != 0; }
std::string Text(HWND dlg, int id) { return DialogDriver::ItemText(dlg, id); }

using WizardTest = StackDialogTest;

TEST_F(WizardTest, TheTemplateHoldsTheStepsAndFitsTheSmallScreen) {
  DialogResourceProbe probe("ueberlagermethode3");
  ASSERT_TRUE(probe.Ok());
  EXPECT_EQ(kTitle, probe.Title());
  const struct {
    int id;
    const char* text;
  } controls[] = {
      {IDC_WZ_SOURCE_SETUP, "Rohbildquelle ..."},   {IDC_WZ_PRETREAT_SETUP, "Vorbehandlung ..."},
      {IDC_WZ_CENTRING_SETUP, "Zentriermethode ..."}, {IDC_WZ_SUBPIXEL_SETUP, "Superresolution ..."},
      {IDC_WZ_QUALITY_SETUP, "Sortiereinstellung ..."}, {IDC_WZ_RESULT_SETUP, "Ergebnissetup ..."},
      {IDC_WZ_PROTOCOL_SETUP, "Protokollsetup ..."}, {IDC_WZ_PRESETS, "Unverbindiche Empfehlungen ..."},
      {IDC_WZ_PREVIOUS, "Vorige Einstellung übernehmen"}, {IDC_WZ_STATUS, "Noch nicht alle Schritte eingestellt ..."},
      {IDC_WZ_TIME, "0 : 00 : 00"}, {IDC_WZ_NEXT, "&Weiter ..."}, {IDC_WZ_NOT_CLOSE, "Nicht schließen"},
      {IDC_WZ_PAUSE, "&Beenden"}, {IDC_WZ_CANCEL, "&Abbruch"},
  };
  for (const auto& c : controls) EXPECT_EQ(c.text, probe.Text(c.id)) << c.id;
  const std::vector<std::string> texts = probe.Texts();
  for (const char* question :
       {"1.         Woher kommen die Rohbilder ?", "Rohbilder vor Überlagerung vorbehandeln ?",
        "3.         Welche Methode zum Zentrieren ?", "Subpixelgenauigkeit ?", "Qualitätscheck der Rohbilder ?",
        "6.         Wie soll das Ergebnis ermittelt werden ?", "Soll mitprotokolliert werden ?",
        "(dazu noch Bildquelle auswählen ...)"})
    EXPECT_NE(texts.end(), std::find(texts.begin(), texts.end(), question)) << question;
  EXPECT_LE(probe.Size().cx, 800);
  EXPECT_LE(probe.Size().cy, 600);
}

// What the switches at opening and one action leave: whether the run and
// the pause button are offered, the status and the lines of steps 1 to 5.
TEST_F(WizardTest, Readiness) {
  enum Action { kNone, kPreset, kPrevious, kPresetAndSource, kStep4Off };
  const struct {
    int on;   // Preprocess, Superres and Qualitycheck at opening
    Action action;
    bool ready;
    const char* line2;
    const char* line4;
    const char* line5;
  } cases[] = {
      {0, kNone, false, "2. Keine Verarbeitung vor der Überlagerung", "4. Überlagerung auf ein Pixel genau",
       "5. Alle Bilder werden überlagert"},
      {1, kNone, false, "2. Bitte Vorverarbeitung einstellen oder abschalten",
       "4. Bitte Subpixelauflösung einstellen oder abschalten", "5. Bitte Qualitätscheck einstellen oder abschalten"},
      {1, kPrevious, true, nullptr, nullptr, nullptr},
      {0, kPreset, false, nullptr, nullptr, nullptr},
      {0, kPresetAndSource, true, nullptr, nullptr, nullptr},
      {1, kStep4Off, false, "2. Bitte Vorverarbeitung einstellen oder abschalten", "4. Überlagerung auf ein Pixel genau",
       "5. Bitte Qualitätscheck einstellen oder abschalten"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "on " << c.on << " action " << c.action);
    gProgramState.Preprocess = gProgramState.Superres = gProgramState.Qualitycheck = c.on;
    gProgramState.Subpixelfactor = c.on;
    gProgramState.CheckMethod = 2;
    DialogDriver driver;
    driver.Then(kTitle, [&](HWND dlg) {
      EXPECT_FALSE(Enabled(dlg, IDC_WZ_NEXT));
      EXPECT_FALSE(Enabled(dlg, IDC_WZ_PAUSE));
      EXPECT_EQ("&Pause", Text(dlg, IDC_WZ_PAUSE));
      EXPECT_EQ("1. Noch keine Rohbildquelle ausgewählt", Text(dlg, IDC_WZ_LINE1));
      EXPECT_EQ("3. Bitte Zentriermethode festlegen", Text(dlg, IDC_WZ_LINE3));
      EXPECT_EQ("6. Bitte Methode zur Ergebnisberechnung festlegen", Text(dlg, IDC_WZ_LINE6));
      EXPECT_EQ(c.on != 0, Enabled(dlg, IDC_WZ_SUBPIXEL_SETUP));
      if (c.action == kPreset || c.action == kPresetAndSource) DialogDriver::Click(dlg, IDC_WZ_PRESETS);
      if (c.action == kPrevious) DialogDriver::Click(dlg, IDC_WZ_PREVIOUS);
      if (c.action == kStep4Off) DialogDriver::Click(dlg, IDC_WZ_SUBPIXEL);
    });
    if (c.action == kPreset || c.action == kPresetAndSource)
      driver.Then("Unverbindliche Empfehlungen aus der Praxis",
                  [](HWND dlg) { DialogDriver::Click(dlg, IDC_PRESET_PLANETS); });
    if (c.action == kPresetAndSource) {
      driver.Then(kTitle, [](HWND dlg) { DialogDriver::Click(dlg, IDC_WZ_SOURCE_SETUP); });
      driver.Then("Auswahl der Rohbildquelle", [](HWND dlg) { DialogDriver::Click(dlg, IDC_SRC_OK); });
    }
    driver.Then(kTitle, [&](HWND dlg) {
      EXPECT_EQ(c.ready, Enabled(dlg, IDC_WZ_NEXT));
      EXPECT_EQ(c.ready, Enabled(dlg, IDC_WZ_PAUSE));
      EXPECT_EQ(c.ready ? "Fertig zum Überlagern ..." : "Noch nicht alle Schritte eingestellt ...",
                Text(dlg, IDC_WZ_STATUS));
      const struct {
        const char* expected;
        int id;
      } lines[] = {{c.line2, IDC_WZ_LINE2}, {c.line4, IDC_WZ_LINE4}, {c.line5, IDC_WZ_LINE5}};
      for (const auto& l : lines) {
        if (l.expected) {
          EXPECT_EQ(l.expected, Text(dlg, l.id));
        }
      }
      const bool sourceSet = c.action == kPrevious || c.action == kPresetAndSource;
      EXPECT_EQ(sourceSet ? std::string(gProgramState.StepTexts[0]) : "1. Noch keine Rohbildquelle ausgewählt",
                Text(dlg, IDC_WZ_LINE1));
      if (c.action != kNone && c.action != kStep4Off) {
        // Steps 3 to 6 show their texts built from the settings.
        for (int step = 3; step <= 6; ++step)
          EXPECT_EQ(gProgramState.StepTexts[step - 1], Text(dlg, IDC_WZ_LINE1 + 8 - step)) << step;
      }
      if (c.action == kStep4Off) {
        EXPECT_EQ(0, gProgramState.Subpixelfactor);
      }
      DialogDriver::Click(dlg, IDC_WZ_CANCEL);
    });
    MessageBoxScript boxes;
    SendCommand(IDM_STACK_WIZARD);
    EXPECT_TRUE(driver.Done());
    // A page takes the backup again when it opens.
    if (c.action != kPresetAndSource) {
      EXPECT_EQ(c.on, gProgramState.Subpixelfactor) << "restored";
    }
  }
}

// One backup for all: "&Abbruch" goes back to the latest page's opening.
TEST_F(WizardTest, AbbruchUndoesTheLastPageAndKeepsTheOneBefore) {
  gProgramState.Addpicsource = 2, gProgramState.Imagetype = 0;
  DialogDriver driver;
  driver.Then(kTitle, [](HWND dlg) { DialogDriver::Click(dlg, IDC_WZ_SOURCE_SETUP); });
  driver.Then("Auswahl der Rohbildquelle", [](HWND dlg) {
    DialogDriver::Click(dlg, IDC_SRC_AVI);
    DialogDriver::Click(dlg, IDC_SRC_OK);
  });
  driver.Then(kTitle, [](HWND dlg) { DialogDriver::Click(dlg, IDC_WZ_RESULT_SETUP); });
  driver.Then(nullptr, [](HWND dlg) {
    DialogDriver::Click(dlg, IDC_RES_ADD);
    DialogDriver::Click(dlg, IDC_RES_OK);
  });
  driver.Then(kTitle, [](HWND dlg) {
    EXPECT_EQ(gProgramState.StepTexts[5], Text(dlg, IDC_WZ_LINE6));
    EXPECT_EQ(2, gProgramState.Imagetype);
    DialogDriver::Click(dlg, IDC_WZ_CANCEL);
  });
  SendCommand(IDM_STACK_WIZARD);
  EXPECT_TRUE(driver.Done());
  EXPECT_EQ(0, gProgramState.Addpicsource) << "the source page's change stays";
  EXPECT_EQ(0, gProgramState.Imagetype) << "the result page's change is undone";
  EXPECT_EQ("", IniValue("Imagetype")) << "nothing saved";
}

// Button 101 keeps the role it had when the dialog opened, whatever a page
// does with the flag for its own dialogs.
TEST_F(WizardTest, ButtonOneHundredOneFollowsTheFlagAtOpening) {
  for (int atOpening : {0, 1}) {
    gProgramState.OpenedFromSetup = atOpening;
    gProgramState.Protokoll = 1;
    DialogDriver driver;
    driver.Then(kTitle, [&](HWND dlg) {
      if (atOpening) {
        EXPECT_EQ("Einstellung der Batchaufgabe", Text(dlg, IDC_WZ_STATUS));
        EXPECT_EQ("Zu bestimmen ...", Text(dlg, IDC_WZ_TARGET));
        EXPECT_EQ("~", Text(dlg, IDC_WZ_TIME));
        EXPECT_EQ("Weiter ...", Text(dlg, IDC_WZ_PAUSE));
        EXPECT_FALSE(Visible(dlg, IDC_WZ_NEXT));
        EXPECT_FALSE(Visible(dlg, IDC_WZ_NOT_CLOSE));
        EXPECT_FALSE(Enabled(dlg, IDC_WZ_PROTOCOL));
        EXPECT_FALSE(Enabled(dlg, IDC_WZ_PROTOCOL_SETUP));
      }
      DialogDriver::Click(dlg, IDC_WZ_PREVIOUS);
      gProgramState.OpenedFromSetup = 1 - atOpening;   // as a page's sub-dialog leaves it
      gProgramState.PauseRequested = gProgramState.AbortRequested = atOpening;
      DialogDriver::Click(dlg, IDC_WZ_PAUSE);
      if (atOpening) return;
      EXPECT_EQ("&Weitermachen", Text(dlg, IDC_WZ_PAUSE));
      EXPECT_EQ(1, gProgramState.PauseRequested);
      DialogDriver::Click(dlg, IDC_WZ_CANCEL);
    });
    const INT_PTR r = DialogBoxParamA(GetModuleHandleA(nullptr), "ueberlagermethode3", Frame(), StackWizardDlgProc, 0);
    EXPECT_TRUE(driver.Done());
    EXPECT_EQ(atOpening, r);
    if (atOpening) {
      EXPECT_EQ(0, gProgramState.PauseRequested);
      EXPECT_EQ(0, gProgramState.AbortRequested);
      EXPECT_EQ("TRUE", IniValue("Protokoll")) << "group [FitImage] saved";
    }
  }
}

// A series of three frames stacked without centring: the target holds their mean.
TEST_F(WizardTest, WeiterStacksTheSeriesIntoTheTarget) {
  for (bool notClose : {false, true}) {
    SCOPED_TRACE(notClose);
    const std::string first = WriteSeries(3, ".fts");
    ClearSlot(2, &gProgramState);   // no question about overwriting
    gProgramState.ActiveBuffer = 2;
    gProgramState.NotClose = notClose;
    ChooserScript choosers;
    choosers.Choose(first);
    MessageBoxScript boxes;
    DialogDriver driver;
    driver.Then(kTitle, [](HWND dlg) {
      DialogDriver::Click(dlg, IDC_WZ_PREVIOUS);
      DialogDriver::Click(dlg, IDC_WZ_NEXT);
    });
    if (notClose)
      driver.Until(kTitle, [](HWND dlg) {
        if (Text(dlg, IDC_WZ_STATUS) != "Fertig !") return false;
        EXPECT_EQ("&Beenden", Text(dlg, IDC_WZ_PAUSE));
        EXPECT_TRUE(Enabled(dlg, IDC_WZ_NEXT));
        EXPECT_TRUE(IsSlotLoaded(2, &gProgramState));
        DialogDriver::Click(dlg, IDC_WZ_PAUSE);
        return true;
      });
    SendCommand(IDM_STACK_WIZARD);
    EXPECT_TRUE(driver.Done());
    ASSERT_EQ(1u, choosers.Count());
    EXPECT_EQ("Erstes Bild der durchnummerierten Serie suchen ...", choosers.Chooser(0).title);
    EXPECT_EQ("Bildformate", choosers.Chooser(0).filter[0]);
    EXPECT_EQ(std::string::npos, choosers.Chooser(0).filter[1].find("AVI"));
    EXPECT_EQ(0u, boxes.Count());
    EXPECT_LE(MaxDifference(MeanOf({0, 1, 2}), BufferSamples(2)), 1);
    EXPECT_EQ("0", IniValue("FitMethod")) << "group [FitImage] saved";
    EXPECT_EQ(notClose ? "TRUE" : "FALSE", IniValue("NotClose"));
  }
}

// While the run goes only pause and "&Abbruch" are taken: a set-up button
// opens nothing and a switch changes nothing, also when sent directly.
TEST_F(WizardTest, DuringARunOnlyPauseAndAbbruchAreTaken) {
  const std::string first = WriteSeries(3, ".fts");
  ChooserScript choosers;
  choosers.Choose(first);
  MessageBoxScript boxes;
  DialogDriver driver;
  driver.Then(kTitle, [](HWND dlg) {
    DialogDriver::Click(dlg, IDC_WZ_PREVIOUS);
    DialogDriver::Click(dlg, IDC_WZ_PAUSE);   // the run starts paused
    DialogDriver::Click(dlg, IDC_WZ_NEXT);
  });
  driver.Then(kTitle, [](HWND dlg) {
    EXPECT_EQ(1, gProgramState.PauseRequested);
    for (int id : {IDC_WZ_NEXT, IDC_WZ_SOURCE_SETUP, IDC_WZ_PRETREAT, IDC_WZ_PROTOCOL, IDC_WZ_PREVIOUS,
                   IDC_WZ_NOT_CLOSE, IDC_WZ_RESULT_SETUP})
      EXPECT_FALSE(Enabled(dlg, id)) << id;
    EXPECT_TRUE(Enabled(dlg, IDC_WZ_PAUSE));
    EXPECT_TRUE(Enabled(dlg, IDC_WZ_CANCEL));
    const size_t before = DialogDriver::CountWindows("Auswahl der Rohbildquelle");
    DialogDriver::Click(dlg, IDC_WZ_SOURCE_SETUP);
    DialogDriver::Click(dlg, IDC_WZ_PRETREAT);
    DialogDriver::Click(dlg, IDC_WZ_NOT_CLOSE);
    EXPECT_EQ(before, size_t(DialogDriver::CountWindows("Auswahl der Rohbildquelle")));
    EXPECT_EQ(0, gProgramState.Preprocess);
    EXPECT_EQ(0, gProgramState.NotClose);
    DialogDriver::Click(dlg, IDC_WZ_PAUSE);   // goes on
  });
  SendCommand(IDM_STACK_WIZARD);
  EXPECT_TRUE(driver.Done());
  EXPECT_EQ(1, IsSlotLoaded(1, &gProgramState));
  EXPECT_EQ(0, gProgramState.PauseRequested);
}

// "&Abbruch" during the run only sets the flags; once the run has returned
// the settings go back, group [FitImage] is saved with them and the dialog
// ends with 0.
TEST_F(WizardTest, AbbruchTwiceDuringARunClosesAfterTheRun) {
  for (int workers : {1, 4}) {
    SCOPED_TRACE(workers);
    gProgramState.WorkerLimit = workers;
    const std::string first = WriteSeries(3, ".fts");
    LoadPicture(1, "alt.fts", 64, 48, 0);
    const int16_t* before = GetSlotPixels(1, &gProgramState);
    ChooserScript choosers;
    choosers.Choose(first);
    MessageBoxScript boxes;
    DialogDriver driver;
    HWND wizard = nullptr;
    driver.Then(kTitle, [&](HWND dlg) {
      wizard = dlg;
      DialogDriver::Click(dlg, IDC_WZ_PREVIOUS);
      DialogDriver::Click(dlg, IDC_WZ_NOT_CLOSE);   // a setting the cancel must undo
      DialogDriver::Click(dlg, IDC_WZ_PAUSE);
      DialogDriver::Click(dlg, IDC_WZ_NEXT);
    });
    driver.Then(kTitle, [](HWND dlg) {
      DialogDriver::Click(dlg, IDC_WZ_CANCEL);
      DialogDriver::Click(dlg, IDC_WZ_CANCEL);
      EXPECT_TRUE(IsWindowVisible(dlg)) << "open until the run returns";
      EXPECT_EQ(1, gProgramState.AbortRequested);
      EXPECT_EQ(1, gProgramState.NotClose) << "not restored under the run";
    });
    const INT_PTR r = DialogBoxParamA(GetModuleHandleA(nullptr), "ueberlagermethode3", Frame(), StackWizardDlgProc, 0);
    EXPECT_TRUE(driver.Done());
    EXPECT_EQ(0, r);
    EXPECT_FALSE(IsWindow(wizard));
    EXPECT_EQ(0, gProgramState.NotClose);
    EXPECT_EQ("FALSE", IniValue("NotClose")) << "saved with the settings restored";
    EXPECT_EQ(before, GetSlotPixels(1, &gProgramState));
    EXPECT_EQ(0, gProgramState.RunningWorkers);
    gProgramState.AbortRequested = 0;
  }
}

// The preview mode hands over to the picture selection only while step 5
// is on; with it off every frame is stacked, as line 5 says.
TEST_F(WizardTest, ThePreviewModeTakesTheSelectionOnlyWithTheQualityCheckOn) {
  for (int check : {1, 0}) {
    SCOPED_TRACE(check);
    const std::string first = WriteSeries(3, ".fts");
    gProgramState.CheckMethod = 1;
    gProgramState.Qualitycheck = check;
    ChooserScript choosers;
    choosers.Choose(first);
    MessageBoxScript boxes;
    DialogDriver driver;
    driver.Then(kTitle, [](HWND dlg) {
      DialogDriver::Click(dlg, IDC_WZ_PREVIOUS);
      DialogDriver::Click(dlg, IDC_WZ_NEXT);
    });
    if (check) {
      driver.Then("Überlagerung von Bildern einer Serie mit starren Koordinaten",
                  [](HWND dlg) { DialogDriver::Click(dlg, IDC_SEL_CANCEL); });
      driver.Then(kTitle, [](HWND dlg) {
        EXPECT_FALSE(IsSlotLoaded(1, &gProgramState));
        DialogDriver::Click(dlg, IDC_WZ_CANCEL);
      });
    }
    SendCommand(IDM_STACK_WIZARD);
    EXPECT_TRUE(driver.Done());
    EXPECT_EQ(check ? 0 : 1, IsSlotLoaded(1, &gProgramState));
    EXPECT_EQ(1u, choosers.Count());
    ClearSlot(1, &gProgramState);
  }
}

}  // namespace
