// The capture dialog opened from the menu on the test camera and driven like
// a user: what it shows by the settings, what cancelling leaves, and the
// recordings of every mode read back.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "imageio/capture/capture_dialog.h"
#include "imageio/capture/capture_ids.h"
#include "imageio/picture_files.h"
#include "shell/menu_commands.h"
#include "shell/menu_ids.h"
#include "tests/imageio/capture/capture_fixture.h"
#include "tests/shell/testkit/chooser_script.h"
#include "tests/shell/testkit/message_script.h"
#include "testcam.h"

namespace {

bool Enabled(HWND dlg, int id) { return IsWindowEnabled(GetDlgItem(dlg, id)) != 0; }
bool Checked(HWND dlg, int id) { return IsDlgButtonChecked(dlg, id) == BST_CHECKED; }
std::string Text(HWND dlg, int id) { return DialogDriver::ItemText(dlg, id); }

using CaptureDialogTest = CaptureTest;

TEST_F(CaptureDialogTest, OpensOnTheCameraWithTheControlsOfTheSettings) {
  const struct {
    BOOL avis;
    int32_t timer;
    int radio;
    bool timerOn;
    const char* fileButton;
  } cases[] = {
      {0, 0, IDC_CAPTURE_AS_BMP, false, "BMP-Reihe ..."}, {0, 1, IDC_CAPTURE_AS_BMP, true, "BMP-Reihe ..."},
      {1, 0, IDC_CAPTURE_AS_AVI, false, "AVI-Datei ..."}, {1, 1, IDC_CAPTURE_AS_BMP, true, "BMP-Reihe ..."},
      {1, 2, IDC_CAPTURE_AS_AVI, true, "AVI-Reihe ..."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "GrabbAVIs " << c.avis << ", Grabbtimer " << c.timer);
    gProgramState.GrabbAVIs = c.avis;
    gProgramState.Grabbtimer = c.timer;
    gProgramState.IsGrabbTimer = !c.timerOn;
    std::snprintf(gProgramState.Drivername, sizeof gProgramState.Drivername, "Kamera von gestern");
    gProgramState.Framecount = 50000;
    DialogDriver driver;
    const INT_PTR result = RunCaptureDialog(driver, [&](DialogDriver& d) {
      d.Then(kCaptureTitle, [&](HWND dlg) {
        EXPECT_EQ(c.radio == IDC_CAPTURE_AS_AVI, Checked(dlg, IDC_CAPTURE_AS_AVI));
        EXPECT_EQ(c.radio == IDC_CAPTURE_AS_BMP, Checked(dlg, IDC_CAPTURE_AS_BMP));
        EXPECT_EQ(c.timerOn, Checked(dlg, IDC_CAPTURE_TIMER));
        EXPECT_EQ(c.timerOn, Enabled(dlg, IDC_CAPTURE_TIMER_SETUP));
        EXPECT_EQ(c.timerOn, gProgramState.IsGrabbTimer != 0);
        EXPECT_EQ(c.fileButton, Text(dlg, IDC_CAPTURE_FILE));
        // A stored device that is gone: the first one is taken.
        EXPECT_EQ(0, SendDlgItemMessageA(dlg, IDC_CAPTURE_DEVICE, CB_GETCURSEL, 0, 0));
        EXPECT_EQ("tyvorn Prüfkamera", std::string(gProgramState.Drivername));
        EXPECT_EQ("Bildeinstellung", Text(dlg, IDC_CAPTURE_PICTURE));
        EXPECT_FALSE(Enabled(dlg, IDC_CAPTURE_CROSSBAR)) << "the camera has no crossbar";
        EXPECT_FALSE(Enabled(dlg, IDC_CAPTURE_LIMIT)) << "only for endless recordings";
        EXPECT_FALSE(Enabled(dlg, IDC_CAPTURE_PLACE_STAMP)) << "only with the time";
        EXPECT_EQ("Im Fenster", Text(dlg, IDC_CAPTURE_ORIGINAL_SIZE));
        // The frame count within what fits on the disk.
        EXPECT_GE(gProgramState.MaxCaptureFrames, 1);
        EXPECT_LE(gProgramState.MaxCaptureFrames, 32768);
        EXPECT_EQ(gProgramState.MaxCaptureFrames, gProgramState.Framecount);
        EXPECT_EQ(std::to_string(gProgramState.Framecount), Text(dlg, IDC_CAPTURE_FRAMES_EDIT));
        DialogDriver::Click(dlg, IDC_CAPTURE_CANCEL);
      });
    });
    EXPECT_EQ(0, result);
    EXPECT_STREQ("Kamera von gestern", gProgramState.Drivername) << "cancel restores";
    EXPECT_EQ(50000, gProgramState.Framecount);
  }
}

TEST_F(CaptureDialogTest, ACameraGoneAfterTheMenuCountedItIsReportedOnce) {
  struct Opener {
    static INT_PTR Open(void* context, HWND owner, const char* name, DLGPROC procedure) {
      testcam::Unregister();
      *static_cast<INT_PTR*>(context) = DialogBoxParamA(GetModuleHandleA(nullptr), name, owner, procedure, 0);
      testcam::Register();
      return *static_cast<INT_PTR*>(context);
    }
  };
  INT_PTR result = -2;
  SetDialogOpener(&Opener::Open, &result);
  gProgramState.Framecount = 50000;
  MessageBoxScript boxes;
  SendCommand(IDM_CAPTURE);
  SetDialogOpener(nullptr, nullptr);
  EXPECT_EQ(0, result);
  // The set-up runs once, whatever the box's own loop paints meanwhile.
  ASSERT_EQ(1u, boxes.Count());
  EXPECT_EQ("Kamera läßt sich nicht ansprechen.", boxes.Box(0).text);
  EXPECT_EQ("Fehlermeldung", boxes.Box(0).title);
  EXPECT_EQ(UINT(MB_ICONSTOP), boxes.Box(0).Icon());
  EXPECT_EQ(50000, gProgramState.Framecount) << "the settings as they were";
  EXPECT_EQ(0, gProgramState.CaptureFullScreen);
}

TEST_F(CaptureDialogTest, CancelRestoresEverySettingAndTakingKeepsThem) {
  for (const int button : {IDC_CAPTURE_CANCEL, IDC_CAPTURE_OK}) {
    SCOPED_TRACE(button == IDC_CAPTURE_OK ? "Übernehmen" : "Abbruch");
    SetUp();
    const std::string chosen = File("jupiter.avi");
    ChooserScript choosers;
    choosers.Choose(chosen);
    DialogDriver driver;
    const INT_PTR result = RunCaptureDialog(driver, [&](DialogDriver& d) {
      d.Then(kCaptureTitle, [&](HWND dlg) {
        DialogDriver::Click(dlg, IDC_CAPTURE_ENDLESS);
        EXPECT_TRUE(Checked(dlg, IDC_CAPTURE_ENDLESS));
        EXPECT_FALSE(Enabled(dlg, IDC_CAPTURE_FRAMES_BAR));
        EXPECT_TRUE(Enabled(dlg, IDC_CAPTURE_LIMIT));
        DialogDriver::Click(dlg, IDC_CAPTURE_LIMIT);
        DialogDriver::Click(dlg, IDC_CAPTURE_TIME_STAMP);
        EXPECT_TRUE(Enabled(dlg, IDC_CAPTURE_PLACE_STAMP));
        DialogDriver::Click(dlg, IDC_CAPTURE_PLACE_STAMP);
        DialogDriver::Click(dlg, IDC_CAPTURE_AS_BMP);
        EXPECT_EQ("BMP-Reihe ...", Text(dlg, IDC_CAPTURE_FILE));
        DialogDriver::Click(dlg, IDC_CAPTURE_ORIGINAL_SIZE);
        EXPECT_EQ("Originalgröße", Text(dlg, IDC_CAPTURE_ORIGINAL_SIZE));
        DialogDriver::Click(dlg, IDC_CAPTURE_FILE);
        DialogDriver::SetItemText(dlg, IDC_CAPTURE_FRAMES_EDIT, "0");
        DialogDriver::Click(dlg, button);
      });
    });
    ASSERT_EQ(1u, choosers.Count());
    EXPECT_EQ("AVI für Aufnahme bestimmen", choosers.Chooser(0).title);
    EXPECT_EQ((std::vector<std::string>{"AVI-Videos", "*.AVI", "Alle Dateien", "*.*"}), choosers.Chooser(0).filter);
    const ProgramState& ps = gProgramState;
    const bool kept = button == IDC_CAPTURE_OK;
    EXPECT_EQ(kept ? 1 : 0, result);
    EXPECT_EQ(kept, ps.Grabbendless != 0);
    EXPECT_EQ(!kept, ps.Grabb2GBLimit != 0);
    EXPECT_EQ(kept, ps.GrabbTimeMarker != 0);
    EXPECT_EQ(kept, ps.GrabbPlaceMarker != 0);
    EXPECT_EQ(!kept, ps.GrabbAVIs != 0);
    EXPECT_EQ(!kept, ps.OriginalSize != 0);
    EXPECT_EQ(kept ? chosen : File("video.avi"), std::string(ps.GrabbFile));
    EXPECT_EQ(kept ? "tyvorn Prüfkamera" : "", std::string(ps.Drivername));
    EXPECT_EQ(kept ? 1 : 10, ps.Framecount) << "a typed 0 is read as 1";
  }
}

TEST_F(CaptureDialogTest, TimerSetupSetsTheModeControls) {
  const struct {
    int mode;   // radio of the timer dialog
    int radio;
    bool aviEnabled, bmpEnabled;
    const char* fileButton;
  } cases[] = {
      {IDC_TIMER_LAPSE, IDC_CAPTURE_AS_BMP, false, true, "BMP-Reihe ..."},
      {IDC_TIMER_SEQUENCES, IDC_CAPTURE_AS_AVI, true, false, "AVI-Reihe ..."},
      {IDC_TIMER_SINGLE, IDC_CAPTURE_AS_BMP, true, true, "BMP-Reihe ..."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.mode);
    gProgramState.GrabbAVIs = 0;
    gProgramState.Grabbtimer = 0;
    DialogDriver driver;
    RunCaptureDialog(driver, [&](DialogDriver& d) {
      d.Then(kCaptureTitle, [](HWND dlg) {
        DialogDriver::Click(dlg, IDC_CAPTURE_TIMER);
        EXPECT_TRUE(Enabled(dlg, IDC_CAPTURE_TIMER_SETUP));
        DialogDriver::SetItemText(dlg, IDC_CAPTURE_FRAMES_EDIT, "7");
        PostMessageA(dlg, WM_COMMAND, IDC_CAPTURE_TIMER_SETUP, 0);
      });
      d.Then(kTimerTitle, [&](HWND dlg) {
        EXPECT_EQ("7", Text(dlg, IDC_TIMER_FRAMES_EDIT)) << "the typed frame count goes along";
        DialogDriver::Click(dlg, c.mode);
        DialogDriver::Click(dlg, IDC_TIMER_OK);
      });
      d.Then(kCaptureTitle, [&](HWND dlg) {
        EXPECT_EQ(c.mode != IDC_TIMER_SINGLE, Checked(dlg, IDC_CAPTURE_TIMER));
        EXPECT_TRUE(Checked(dlg, c.radio));
        EXPECT_EQ(c.aviEnabled, Enabled(dlg, IDC_CAPTURE_AS_AVI));
        EXPECT_EQ(c.bmpEnabled, Enabled(dlg, IDC_CAPTURE_AS_BMP));
        EXPECT_EQ(c.fileButton, Text(dlg, IDC_CAPTURE_FILE));
        EXPECT_EQ("7", Text(dlg, IDC_CAPTURE_FRAMES_EDIT));
        DialogDriver::Click(dlg, IDC_CAPTURE_OK);
      });
    });
    EXPECT_EQ(c.mode - IDC_TIMER_SINGLE, gProgramState.Grabbtimer);
    EXPECT_EQ(7, gProgramState.Framecount);
  }
}

TEST_F(CaptureDialogTest, CancellingAfterTheTimerSetupRestoresAsItWasWhenTheSetupOpened) {
  DialogDriver driver;
  RunCaptureDialog(driver, [&](DialogDriver& d) {
    d.Then(kCaptureTitle, [](HWND dlg) {
      DialogDriver::Click(dlg, IDC_CAPTURE_ENDLESS);   // before the set-up: stays after cancel
      DialogDriver::Click(dlg, IDC_CAPTURE_TIMER);
      PostMessageA(dlg, WM_COMMAND, IDC_CAPTURE_TIMER_SETUP, 0);
    });
    d.Then(kTimerTitle, [](HWND dlg) {
      DialogDriver::Click(dlg, IDC_TIMER_SEQUENCES);
      DialogDriver::Click(dlg, IDC_TIMER_OK);
    });
    d.Then(kCaptureTitle, [](HWND dlg) { DialogDriver::Click(dlg, IDC_CAPTURE_CANCEL); });
  });
  EXPECT_EQ(1, gProgramState.Grabbendless);
  EXPECT_EQ(1, gProgramState.IsGrabbTimer);
  EXPECT_EQ(0, gProgramState.Grabbtimer);
}

TEST_F(CaptureDialogTest, OneAviHoldsTheCamerasFramesInOrder) {
  gProgramState.Framecount = 20;
  gProgramState.GrabbTimeMarker = 1;
  gProgramState.GrabbPlaceMarker = 1;
  EXPECT_EQ(1, Record("Fertig !"));
  const RecordedVideo v = ReadRecordedVideo(File("video.avi"));
  EXPECT_EQ(testcam::kNativeWidth, v.width);
  EXPECT_EQ(testcam::kNativeHeight, v.height);
  EXPECT_GE(v.numbers.size(), 20u);
  EXPECT_TRUE(Consecutive(v.numbers));
}

TEST_F(CaptureDialogTest, BmpSeriesOfOddWidthReadsBackUpright) {
  AskCameraSize(testcam::kOddWidth, testcam::kOddHeight);
  for (const int32_t timer : {0, 1}) {
    SCOPED_TRACE(timer ? "time-lapse" : "at once");
    gProgramState.GrabbAVIs = 0;
    gProgramState.Grabbtimer = timer;
    gProgramState.Intervall = 100;
    gProgramState.Framecount = 3;
    std::snprintf(gProgramState.GrabbFile, kPathSize, "%s%s.avi", Dir().c_str(), timer ? "lapse" : "serie");
    EXPECT_EQ(1, Record("Fertig !"));
    std::vector<int> numbers;
    for (int i = 0; i < 4; ++i) {
      char name[32];
      std::snprintf(name, sizeof name, "%s%03d.bmp", timer ? "lapse" : "serie", i);
      if (i == 3) {
        EXPECT_FALSE(FileThere(File(name)));
        break;
      }
      uint8_t* rows = nullptr;
      int32_t w = 0, h = 0, bits = 0;
      ASSERT_EQ(1, ReadBmpPlain(File(name).c_str(), &rows, &w, &h, &bits)) << name;
      ASSERT_EQ(testcam::kOddWidth, w);
      ASSERT_EQ(testcam::kOddHeight, h);
      ASSERT_EQ(24, bits);
      const size_t stride = (size_t(w) * 3 + 3) & ~size_t(3);
      // Rows from the bottom, each padded: green is x, red is y everywhere.
      bool upright = true;
      for (int y = 0; y < h && upright; ++y)
        for (int x = 0; x < w && upright; ++x)
          upright = rows[y * stride + 3 * x + 1] == (x & 255) && rows[y * stride + 3 * x + 2] == (y & 255);
      EXPECT_TRUE(upright) << name;
      numbers.push_back(rows[0]);
      FreeMem(&rows);
    }
    // Pictures in the order they were taken.
    for (size_t i = 1; i < numbers.size(); ++i) EXPECT_NE(numbers[i - 1], numbers[i]);
  }
}

TEST_F(CaptureDialogTest, OverwriteIsAskedOnceForTheWholeRun) {
  gProgramState.GrabbAVIs = 0;
  gProgramState.Framecount = 4;
  for (const char* existing : {"video001.bmp", "video003.bmp"}) {
    HANDLE f = CreateFileA(File(existing).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    CloseHandle(f);
  }
  MessageBoxScript boxes;
  boxes.Answer(IDNO).Answer(IDYES);
  DialogDriver driver;
  RunCaptureDialog(driver, [&](DialogDriver& d) {
    d.Then(kCaptureTitle, [](HWND dlg) {
      DialogDriver::Click(dlg, IDC_CAPTURE_START);   // "No": nothing starts
      EXPECT_EQ("Aufnahme !", Text(dlg, IDC_CAPTURE_START));
      EXPECT_EQ("", Status(dlg)) << "nothing started";
      DialogDriver::Click(dlg, IDC_CAPTURE_START);
    });
    d.Until(kCaptureTitle, [](HWND dlg) {
      if (Status(dlg) != "Fertig !") return false;
      DialogDriver::Click(dlg, IDC_CAPTURE_OK);
      return true;
    });
  });
  ASSERT_EQ(2u, boxes.Count());
  for (size_t i = 0; i < 2; ++i) {
    EXPECT_EQ("BMP-Dateien existiert schon. Soll sie überschrieben werden ?", boxes.Box(i).text);
    EXPECT_EQ("Programmfrage", boxes.Box(i).title);
    EXPECT_EQ(UINT(MB_YESNO), boxes.Box(i).Buttons());
  }
  for (int i = 0; i < 4; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "video%03d.bmp", i);
    WIN32_FILE_ATTRIBUTE_DATA data;
    ASSERT_TRUE(GetFileAttributesExA(File(name).c_str(), GetFileExInfoStandard, &data)) << name;
    EXPECT_GT(data.nFileSizeLow, 160u * 120 * 3) << name;
  }
}

TEST_F(CaptureDialogTest, AStartThatFailsSaysSoAndKeepsTheLivePicture) {
  std::snprintf(gProgramState.GrabbFile, kPathSize, "%sfehlt\\video.avi", Dir().c_str());
  MessageBoxScript boxes;
  ChooserScript choosers;
  choosers.Choose(File("mond.avi"));
  DialogDriver driver;
  RunCaptureDialog(driver, [&](DialogDriver& d) {
    d.Then(kCaptureTitle, [](HWND dlg) {
      DialogDriver::Click(dlg, IDC_CAPTURE_START);
      EXPECT_EQ("", Status(dlg)) << "nothing started";
      EXPECT_EQ("Aufnahme !", Text(dlg, IDC_CAPTURE_START));
      EXPECT_TRUE(Enabled(dlg, IDC_CAPTURE_FILE));
      DialogDriver::Click(dlg, IDC_CAPTURE_FILE);
      DialogDriver::Click(dlg, IDC_CAPTURE_START);
    });
    d.Until(kCaptureTitle, [](HWND dlg) {
      if (Status(dlg) != "Fertig !") return false;
      DialogDriver::Click(dlg, IDC_CAPTURE_OK);
      return true;
    });
  });
  ASSERT_EQ(1u, boxes.Count());
  EXPECT_EQ("Die Aufnahme läßt sich nicht starten.", boxes.Box(0).text);
  EXPECT_EQ("Fehlermeldung", boxes.Box(0).title);
  const RecordedVideo v = ReadRecordedVideo(File("mond.avi"));
  EXPECT_GE(v.numbers.size(), 10u);
  EXPECT_TRUE(Consecutive(v.numbers));
}

TEST_F(CaptureDialogTest, AStopBetweenTheSequencesStartsNoFurtherOne) {
  gProgramState.Grabbtimer = 2;
  gProgramState.Intervall = 3000;
  gProgramState.Framecount = 5;
  gProgramState.Groupcount = 3;
  DWORD stopped = 0;
  DialogDriver driver(30000);
  RunCaptureDialog(driver, [&](DialogDriver& d) {
    d.Then(kCaptureTitle, [](HWND dlg) { DialogDriver::Click(dlg, IDC_CAPTURE_START); });
    // The first sequence is full once its status has counted its frames.
    d.Until(kCaptureTitle, [&](HWND dlg) {
      long frame = 0, sequence = 0;
      if (std::sscanf(Status(dlg).c_str(), "Frame %ld von Sequenz %ld", &frame, &sequence) != 2 || frame < 5)
        return false;
      EXPECT_EQ(1, sequence);
      EXPECT_EQ("Stop Aufnahme !", Text(dlg, IDC_CAPTURE_START));
      DialogDriver::Click(dlg, IDC_CAPTURE_START);
      EXPECT_EQ("Aufnahme abgebrochen !", Status(dlg));
      EXPECT_EQ("Aufnahme !", Text(dlg, IDC_CAPTURE_START));
      stopped = GetTickCount();
      return true;
    });
    // Past the interval: nothing more comes.
    d.Until(kCaptureTitle, [&](HWND dlg) {
      if (GetTickCount() - stopped < 3500) return false;
      EXPECT_EQ("Aufnahme abgebrochen !", Status(dlg));
      DialogDriver::Click(dlg, IDC_CAPTURE_OK);
      return true;
    });
  });
  EXPECT_TRUE(FileThere(File("video000.avi")));
  EXPECT_FALSE(FileThere(File("video001.avi")));
  const RecordedVideo v = ReadRecordedVideo(File("video000.avi"));
  EXPECT_GE(v.numbers.size(), 5u);
  EXPECT_TRUE(Consecutive(v.numbers));
}

TEST_F(CaptureDialogTest, EndlessRecordingMovesOnToNewPartsAtTheLimit) {
  // About twenty frames of the camera a part.
  SetEndlessPartLimit(20 * 160 * 120 * 3);
  gProgramState.Grabbendless = 1;
  DialogDriver driver(30000);
  RunCaptureDialog(driver, [&](DialogDriver& d) {
    d.Then(kCaptureTitle, [](HWND dlg) { DialogDriver::Click(dlg, IDC_CAPTURE_START); });
    d.Until(kCaptureTitle, [&](HWND dlg) {
      // Parts 0 to 2 are complete once the fourth has begun.
      if (!FileThere(File("video_003.avi"))) return false;
      EXPECT_EQ(0, std::string(Status(dlg)).rfind("Frame ", 0)) << Status(dlg);
      DialogDriver::Click(dlg, IDC_CAPTURE_START);
      EXPECT_EQ("Beendet !", Status(dlg));
      DialogDriver::Click(dlg, IDC_CAPTURE_OK);
      return true;
    });
  });
  EXPECT_FALSE(FileThere(File("video.avi")));
  for (const char* part : {"video_000.avi", "video_001.avi", "video_002.avi"}) {
    const RecordedVideo v = ReadRecordedVideo(File(part));
    EXPECT_FALSE(v.numbers.empty()) << part;
    EXPECT_TRUE(Consecutive(v.numbers)) << part;
  }
}

TEST_F(CaptureDialogTest, APartThatCannotBeMadeEndsTheRecordingInThePartBefore) {
  SetEndlessPartLimit(20 * 160 * 120 * 3);
  gProgramState.Grabbendless = 1;
  // The second part's name is taken by a folder: the switch must fail.
  ASSERT_TRUE(CreateDirectoryA(File("video_001.avi").c_str(), nullptr));
  MessageBoxScript boxes;
  DialogDriver driver(30000);
  RunCaptureDialog(driver, [&](DialogDriver& d) {
    d.Then(kCaptureTitle, [](HWND dlg) { DialogDriver::Click(dlg, IDC_CAPTURE_START); });
    d.Until(kCaptureTitle, [&](HWND dlg) {
      if (Text(dlg, IDC_CAPTURE_START) != "Aufnahme !") return false;
      EXPECT_EQ("Aufnahme abgebrochen !", Status(dlg));
      DialogDriver::Click(dlg, IDC_CAPTURE_OK);
      return true;
    });
  });
  EXPECT_EQ(0u, boxes.Count()) << "a folder is no recording to overwrite";
  // No run of further parts behind the failed one.
  EXPECT_FALSE(FileThere(File("video_002.avi")));
  const RecordedVideo v = ReadRecordedVideo(File("video_000.avi"));
  EXPECT_GE(v.numbers.size(), 10u) << "the part before is complete";
  EXPECT_TRUE(Consecutive(v.numbers));
  RemoveDirectoryA(File("video_001.avi").c_str());
}

TEST_F(CaptureDialogTest, ARecordingLocksWhatWouldChangeItAndClosingStopsItFirst) {
  gProgramState.Framecount = 30000;
  DialogDriver driver(30000);
  const INT_PTR result = RunCaptureDialog(driver, [&](DialogDriver& d) {
    d.Then(kCaptureTitle, [](HWND dlg) { DialogDriver::Click(dlg, IDC_CAPTURE_START); });
    d.Until(kCaptureTitle, [](HWND dlg) {
      long frame = 0, seconds = 0, tenths = 0;
      if (std::sscanf(Status(dlg).c_str(), "Frame %ld ( %ld.%ld sec )", &frame, &seconds, &tenths) != 3 || frame < 10)
        return false;
      for (int id : {IDC_CAPTURE_DEVICE, IDC_CAPTURE_PICTURE, IDC_CAPTURE_FORMAT, IDC_CAPTURE_FILE,
                     IDC_CAPTURE_AS_AVI, IDC_CAPTURE_AS_BMP, IDC_CAPTURE_ENDLESS, IDC_CAPTURE_TIMER,
                     IDC_CAPTURE_FRAMES_BAR, IDC_CAPTURE_FRAMES_EDIT})
        EXPECT_FALSE(Enabled(dlg, id)) << id;
      for (int id : {IDC_CAPTURE_START, IDC_CAPTURE_OK, IDC_CAPTURE_CANCEL, IDC_CAPTURE_FULL_SCREEN,
                     IDC_CAPTURE_ORIGINAL_SIZE, IDC_CAPTURE_TIME_STAMP})
        EXPECT_TRUE(Enabled(dlg, id)) << id;
      DialogDriver::Click(dlg, IDC_CAPTURE_OK);
      return true;
    });
  });
  EXPECT_EQ(1, result);
  const RecordedVideo v = ReadRecordedVideo(File("video.avi"));
  EXPECT_GE(v.numbers.size(), 10u) << "the file is complete";
  EXPECT_TRUE(Consecutive(v.numbers));
}

TEST_F(CaptureDialogTest, FullScreenAndBack) {
  RECT before = {}, during = {}, after = {};
  DialogDriver driver;
  RunCaptureDialog(driver, [&](DialogDriver& d) {
    d.Then(kCaptureTitle, [&](HWND dlg) {
      GetWindowRect(dlg, &before);
      DialogDriver::Click(dlg, IDC_CAPTURE_FULL_SCREEN);
      EXPECT_EQ(1, gProgramState.CaptureFullScreen);
      GetWindowRect(GetDlgItem(dlg, IDC_CAPTURE_PREVIEW), &during);
      // What the keyboard hook sends on Escape.
      SendMessageA(dlg, WM_COMMAND, IDC_CAPTURE_BACK, 0);
      EXPECT_EQ(0, gProgramState.CaptureFullScreen);
      GetWindowRect(dlg, &after);
      DialogDriver::Click(dlg, IDC_CAPTURE_OK);
    });
  });
  EXPECT_LE(during.left, 0);
  EXPECT_LE(during.top, 0);
  EXPECT_GE(during.right, gProgramState.ScreenWidth);
  EXPECT_GE(during.bottom, gProgramState.ScreenHeight);
  EXPECT_TRUE(EqualRect(&before, &after));
  EXPECT_EQ(0, gProgramState.CaptureFullScreen);
}

}  // namespace
