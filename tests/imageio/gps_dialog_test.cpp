// The GPS dialog from the menu of the real frame, with a receiver played by
// gps_feeder.py on COM3 (COM1 and COM2 stay silent); the typed location;
// the climate readout on COM1.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "imageio/gps/gps_dialog.h"
#include "imageio/gps/gps_ids.h"
#include "imageio/gps/gps_receiver.h"
#include "imageio/gps/serial_port.h"
#include "shell/menu_ids.h"
#include "tests/app/app_fixture.h"
#include "tests/imageio/fixed_clock.h"
#include "tests/imageio/serial_feeder.h"
#include "tests/shell/testkit/dialog_driver.h"
#include "tests/shell/testkit/message_script.h"

namespace {

constexpr const char* kGpsTitle = "GPS-Koordinaten und GPS-Zeit";
constexpr const char* kLocationTitle = "Manuelle Ortseingabe im Format: Grad.Gradbruchteil";

void PumpFor(DWORD ms, const std::function<bool()>& done = [] { return false; }) {
  const DWORD start = GetTickCount();
  while (!done() && GetTickCount() - start < ms) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    Sleep(5);
  }
}

std::string Text(HWND dialog, int id) { return DialogDriver::ItemText(dialog, id); }

int CountOf(const std::string& text, const std::string& part) {
  int n = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

std::string ProgramFile(const char* name) { return std::string(gProgramState.ProgramDirectory) + "\\" + name; }

class GpsDialogTest : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    ASSERT_FALSE(feeder::Directory().empty()) << "runs under gps_feeder.py only";
    fixedclock::Install();
    fixedclock::At(2024, 1, 1, 6, 0, 0);
    ProgramState* ps = &gProgramState;
    ps->Longitude = 1;
    ps->Latitude = 2;
    ps->GeoHeight = 3;
    ps->GPSLog = 0;
    DeleteFileA(ProgramFile("GPS.log").c_str());
    for (int port = 1; port <= 3; ++port) feeder::Forget(port);
  }
  void TearDown() override {
    if (IsWindow(gGpsDialog)) SendMessageA(gGpsDialog, WM_COMMAND, IDC_GPS_READ_ONLY, 0);
    if (IsWindow(gClimateDialog)) SendMessageA(gClimateDialog, WM_CLOSE, 0, 0);
    fixedclock::Remove();
    AppTest::TearDown();
  }
  // Opens the dialog from the menu; it has found the receiver on COM3.
  HWND OpenWithReceiver() {
    SendCommand(IDM_GPS);
    const HWND dialog = gGpsDialog;
    EXPECT_TRUE(IsWindow(dialog));
    if (dialog) {
      EXPECT_EQ("GPS ist an COM3 angeschlossen.", Text(dialog, IDC_GPS_PORT));
    }
    return dialog;
  }
};

TEST_F(GpsDialogTest, ShowsReadingsAndTakesTheWeightedMeanAndTimeAcrossMidnight) {
  struct Clock {
    int year, month, day, hour, minute, second;
  };
  const struct {
    const char* scenario;
    Clock now;
    BOOL clockTakes;
    const char* lastTime;
    Clock set;
  } cases[] = {
      // The computer is still before midnight, the receiver past it.
      {"midnight-before", {2023, 12, 31, 23, 59, 59}, TRUE, "0 : 00 : 01", {2024, 1, 1, 0, 0, 1}},
      // The computer is past midnight, the receiver not yet.
      {"midnight-after", {2024, 3, 1, 0, 0, 1}, TRUE, "23 : 59 : 59", {2024, 2, 29, 23, 59, 59}},
      // A clock that refuses is reported; the position is taken all the same.
      {"midnight-after", {2024, 3, 1, 0, 0, 1}, FALSE, "23 : 59 : 59", {2024, 2, 29, 23, 59, 59}},
  };
  std::vector<SYSTEMTIME>& clockSet = fixedclock::Settings();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.scenario);
    fixedclock::At(c.now.year, c.now.month, c.now.day, c.now.hour, c.now.minute, c.now.second, 500);
    clockSet.clear();
    fixedclock::Takes() = c.clockTakes;
    gProgramState.GPSLog = 1;
    DeleteFileA(ProgramFile("GPS.log").c_str());
    ASSERT_TRUE(feeder::Play(3, c.scenario));
    const HWND dialog = OpenWithReceiver();
    ASSERT_TRUE(dialog);
    const std::vector<feeder::Expected> expected = feeder::ExpectedReadings(3);
    ASSERT_GE(expected.size(), 3u);
    PumpFor(15000, [&] { return Text(dialog, IDC_GPS_TIME) == c.lastTime; });
    ASSERT_EQ(c.lastTime, Text(dialog, IDC_GPS_TIME));
    EXPECT_EQ(std::to_string(expected.back().satellites), Text(dialog, IDC_GPS_SATELLITES));
    // The average spans the readings of 4 satellites or more before the last.
    int averaged = 0;
    for (const feeder::Expected& e : expected) averaged += e.satellites >= 4;
    EXPECT_EQ("0d 0 : 00 : 0" + std::to_string(averaged - 1) + " ", Text(dialog, IDC_GPS_INTEGRATION));
    EXPECT_TRUE(clockSet.empty());

    MessageBoxScript boxes;
    DialogDriver::Click(dialog, IDC_GPS_TAKE);
    EXPECT_FALSE(IsWindow(dialog));
    EXPECT_EQ(nullptr, gGpsDialog);

    double w = 0, lat = 0, lon = 0, alt = 0;
    for (const feeder::Expected& e : expected) {
      if (e.satellites < 4) continue;
      w += e.satellites - 3;
      lat += (e.satellites - 3) * e.latitude;
      lon += (e.satellites - 3) * -e.longitude;
      alt += (e.satellites - 3) * e.altitude;
    }
    EXPECT_NEAR(lat / w, gProgramState.Latitude, 1e-6);
    EXPECT_NEAR(lon / w, gProgramState.Longitude, 1e-6);
    EXPECT_NEAR(alt / w, gProgramState.GeoHeight, 1e-9);

    ASSERT_EQ(1u, clockSet.size());
    const SYSTEMTIME& s = clockSet[0];
    EXPECT_EQ(c.set.year, s.wYear);
    EXPECT_EQ(c.set.month, s.wMonth);
    EXPECT_EQ(c.set.day, s.wDay);
    EXPECT_EQ(c.set.hour, s.wHour);
    EXPECT_EQ(c.set.minute, s.wMinute);
    EXPECT_EQ(c.set.second, s.wSecond);
    EXPECT_EQ(0, s.wMilliseconds);
    if (c.clockTakes) {
      EXPECT_EQ(0u, boxes.Count());
    } else {
      ASSERT_EQ(1u, boxes.Count());
      EXPECT_EQ("Die Systemzeit ist nicht zu setzen !", boxes.Box(0).text);
      EXPECT_EQ("Fehlermeldung", boxes.Box(0).title);
    }

    // One log line a reading, the last one as the dialog showed it.
    const std::string log = feeder::ReadAll(ProgramFile("GPS.log"));
    size_t lines = 0;
    for (char ch : log) lines += ch == '\n';
    EXPECT_EQ(expected.size(), lines);
    EXPECT_NE(std::string::npos, log.find(std::string(c.lastTime) + "  ")) << log;
  }
}

TEST_F(GpsDialogTest, MenuBringsBackTheOpenDialogAndItsButtonsWork) {
  ASSERT_TRUE(feeder::Play(3, "steady"));
  const HWND dialog = OpenWithReceiver();
  ASSERT_TRUE(dialog);
  SendCommand(IDM_GPS);
  EXPECT_EQ(dialog, gGpsDialog);
  EXPECT_EQ(1, DialogDriver::CountWindows(kGpsTitle));

  // "GPS.log" switches the setting.
  DialogDriver::Click(dialog, IDC_GPS_LOG);
  EXPECT_EQ(1, gProgramState.GPSLog);
  EXPECT_EQ(UINT(BST_CHECKED), IsDlgButtonChecked(dialog, IDC_GPS_LOG));
  DialogDriver::Click(dialog, IDC_GPS_LOG);
  EXPECT_EQ(0, gProgramState.GPSLog);

  // "Sychronisieren" has the next reading set the clock.
  PumpFor(5000, [&] { return !Text(dialog, IDC_GPS_TIME).empty(); });
  DialogDriver::Click(dialog, IDC_GPS_SYNC);
  EXPECT_EQ(1, gProgramState.GpsTransferFlag);
  PumpFor(5000, [] { return !fixedclock::Settings().empty(); });
  ASSERT_EQ(1u, fixedclock::Settings().size());
  EXPECT_EQ(0, gProgramState.GpsTransferFlag);
  EXPECT_EQ(12, fixedclock::Settings()[0].wHour);
  EXPECT_EQ(1, fixedclock::Settings()[0].wDay);

  // "Reset" sends the initialisation sentence once more and starts the average anew.
  PumpFor(3000, [&] { return Text(dialog, IDC_GPS_INTEGRATION) != "0d 0 : 00 : 00 "; });
  DialogDriver::Click(dialog, IDC_GPS_RESET);
  PumpFor(3000, [&] { return Text(dialog, IDC_GPS_INTEGRATION) == "0d 0 : 00 : 00 "; });
  EXPECT_EQ("0d 0 : 00 : 00 ", Text(dialog, IDC_GPS_INTEGRATION));
  const std::string sent = feeder::Received(3);
  EXPECT_EQ(2, CountOf(sent, "$PSRF104")) << sent;

  // "Nur lesen" takes nothing and frees the port.
  DialogDriver::Click(dialog, IDC_GPS_READ_ONLY);
  EXPECT_FALSE(IsWindow(dialog));
  EXPECT_EQ(nullptr, gGpsDialog);
  EXPECT_EQ(1, gProgramState.Longitude);
  EXPECT_EQ(1u, fixedclock::Settings().size());
  const HANDLE port = OpenSerialPort("COM3", 4800, 8, 'N', 1.0);
  EXPECT_TRUE(port);
  CloseSerialPort(port);
}

TEST_F(GpsDialogTest, WithoutReceiverTheLocationIsTyped) {
  DialogDriver driver;
  driver.Then(kLocationTitle, [](HWND d) {
    EXPECT_EQ("1.000000", Text(d, IDC_LOCATION_LONGITUDE));
    EXPECT_EQ("2.000000", Text(d, IDC_LOCATION_LATITUDE));
    EXPECT_EQ("3.000000", Text(d, IDC_LOCATION_HEIGHT));
    DialogDriver::SetItemText(d, IDC_LOCATION_LONGITUDE, "-7.1");
    DialogDriver::SetItemText(d, IDC_LOCATION_LATITUDE, "50.8");
    DialogDriver::SetItemText(d, IDC_LOCATION_HEIGHT, "120");
    DialogDriver::Click(d, IDC_LOCATION_TAKE);
  });
  SendCommand(IDM_GPS);
  EXPECT_TRUE(driver.Done());
  PumpFor(2000, [] { return !IsWindow(gGpsDialog); });
  EXPECT_FALSE(IsWindow(gGpsDialog));
  EXPECT_EQ(nullptr, gGpsDialog);
  EXPECT_DOUBLE_EQ(-7.1, gProgramState.Longitude);
  EXPECT_DOUBLE_EQ(50.8, gProgramState.Latitude);
  EXPECT_DOUBLE_EQ(120, gProgramState.GeoHeight);
  // Nothing was sent to the silent ports.
  for (int port = 1; port <= 3; ++port) EXPECT_EQ("", feeder::Received(port)) << port;
}

TEST_F(GpsDialogTest, LocationRefusesWhatIsNoPosition) {
  const struct {
    const char *longitude, *latitude, *height;
    const char* box;
  } cases[] = {
      {" -7.1 ", "50.8", "120", nullptr},
      {"-180", "-90", "1e3", nullptr},
      {"abc", "50.8", "120", "Die geografische Länge ist keine Zahl !"},
      {"7,1", "50.8", "120", "Die geografische Länge ist keine Zahl !"},
      {"180.5", "50.8", "120", "Die geografische Länge muss zwischen -180 und 180 Grad liegen !"},
      {"7.1", "-91", "120", "Die geografische Breite muss zwischen -90 und 90 Grad liegen !"},
      {"7.1", "", "120", "Die geografische Breite ist keine Zahl !"},
      {"7.1", "50.8", "inf", "Die Höhe über NN ist keine Zahl !"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.longitude + std::string(" ") + c.latitude + " " + c.height);
    gProgramState.Longitude = 1;
    gProgramState.Latitude = 2;
    gProgramState.GeoHeight = 3;
    gProgramState.Scale = 4.5;
    MessageBoxScript boxes;
    DialogDriver driver;
    driver.Then(kLocationTitle, [&](HWND d) {
      DialogDriver::SetItemText(d, IDC_LOCATION_LONGITUDE, c.longitude);
      DialogDriver::SetItemText(d, IDC_LOCATION_LATITUDE, c.latitude);
      DialogDriver::SetItemText(d, IDC_LOCATION_HEIGHT, c.height);
      gProgramState.Scale = 9;   // anything the dialog's cancel must undo
      DialogDriver::Click(d, IDC_LOCATION_TAKE);
    });
    if (c.box) driver.Then(kLocationTitle, [](HWND d) { DialogDriver::Click(d, IDC_LOCATION_CANCEL); });
    const INT_PTR result = DialogBoxParamA(GetModuleHandleA(nullptr), "ortseingabe", Frame(), LocationDlgProc, 0);
    EXPECT_TRUE(driver.Done());
    if (!c.box) {
      EXPECT_EQ(1, result);
      EXPECT_EQ(0u, boxes.Count());
      EXPECT_DOUBLE_EQ(std::strtod(c.longitude, nullptr), gProgramState.Longitude);
      EXPECT_DOUBLE_EQ(std::strtod(c.latitude, nullptr), gProgramState.Latitude);
      EXPECT_DOUBLE_EQ(std::strtod(c.height, nullptr), gProgramState.GeoHeight);
      continue;
    }
    EXPECT_EQ(0, result);
    ASSERT_EQ(1u, boxes.Count());
    EXPECT_EQ(c.box, boxes.Box(0).text);
    EXPECT_EQ("Fehlermeldung", boxes.Box(0).title);
    // Cancelled: every setting as before the dialog opened.
    EXPECT_EQ(1, gProgramState.Longitude);
    EXPECT_EQ(2, gProgramState.Latitude);
    EXPECT_EQ(3, gProgramState.GeoHeight);
    EXPECT_EQ(4.5, gProgramState.Scale);
  }
}

TEST_F(GpsDialogTest, ClimateReadoutShowsTheSensorAndFreesThePort) {
  ASSERT_TRUE(feeder::Play(1, "climate"));
  const HWND dialog =
      CreateDialogParamA(GetModuleHandleA(nullptr), "KLIMAWERTE", Frame(), ClimateSensorDlgProc, 0);
  ASSERT_TRUE(dialog);
  EXPECT_EQ(dialog, gClimateDialog);
  EXPECT_EQ("Klimawerte am Beobachtungsort", DialogDriver::Title(dialog));
  PumpFor(10000, [&] { return !Text(dialog, IDC_CLIMATE_HUMIDITY).empty(); });
  EXPECT_EQ("-1.0 °C", Text(dialog, IDC_CLIMATE_TEMPERATURE));
  EXPECT_EQ("50.0 %", Text(dialog, IDC_CLIMATE_HUMIDITY));
  SendMessageA(dialog, WM_CLOSE, 0, 0);
  EXPECT_FALSE(IsWindow(dialog));
  EXPECT_EQ(nullptr, gClimateDialog);
  const HANDLE port = OpenSerialPort("COM1", 4800, 8, 'N', 1.0);
  EXPECT_TRUE(port);
  CloseSerialPort(port);
}

TEST_F(GpsDialogTest, ClimateReadoutWithoutItsPort) {
  ASSERT_TRUE(feeder::Play(1, "unplug"));
  MessageBoxScript boxes;
  const HWND dialog =
      CreateDialogParamA(GetModuleHandleA(nullptr), "KLIMAWERTE", Frame(), ClimateSensorDlgProc, 0);
  ASSERT_TRUE(dialog);
  ASSERT_EQ(1u, boxes.Count());
  EXPECT_EQ("Serieller Port COM1 ist nicht zu öffnen !", boxes.Box(0).text);
  PumpFor(1500);   // its timer reads nothing
  EXPECT_EQ("", Text(dialog, IDC_CLIMATE_TEMPERATURE));
  SendMessageA(dialog, WM_CLOSE, 0, 0);
  EXPECT_EQ(nullptr, gClimateDialog);
  EXPECT_TRUE(feeder::Play(1, "plug"));
}

}  // namespace
