// The GPS receiver and the climate sensor on real serial ports: the
// feeder (gps_feeder.py) puts pseudo terminals behind COM1..COM3 and plays
// receivers and sensors on them.
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "imageio/gps/gps_receiver.h"
#include "imageio/gps/serial_port.h"
#include "shell/program_state.h"
#include "tests/imageio/fixed_clock.h"
#include "tests/imageio/gps_fixtures.h"
#include "tests/imageio/serial_feeder.h"
#include "tests/shell/testkit/message_script.h"

namespace {

GpsState gState;

// Takes readings the way the GPS dialog does: keep it, start the next.
struct Collector {
  std::vector<GgaReading> readings;
  std::vector<GpsPosition> shown;
};

LRESULT CALLBACK CollectorProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message != kGpsReadingMessage) return DefWindowProcA(window, message, wParam, lParam);
  auto* c = reinterpret_cast<Collector*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  c->readings.push_back(gState.last);
  c->shown.push_back(GpsPosition{gState.longitude, gState.latitude, gState.altitude});
  StartGpsReader(&gState);
  return 0;
}

HWND MakeCollector(Collector* c) {
  static const ATOM kClass = [] {
    WNDCLASSA wc{};
    wc.lpfnWndProc = CollectorProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "GpsReadingCollector";
    return RegisterClassA(&wc);
  }();
  EXPECT_NE(0, kClass);
  const HWND w = CreateWindowExA(0, "GpsReadingCollector", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                 GetModuleHandleA(nullptr), nullptr);
  SetWindowLongPtrA(w, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(c));
  return w;
}

void PumpFor(DWORD ms, const std::function<bool()>& done = [] { return false; }) {
  const DWORD start = GetTickCount();
  while (!done() && GetTickCount() - start < ms) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    Sleep(5);
  }
}

class GpsPortTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(feeder::Directory().empty()) << "runs under gps_feeder.py only";
    ZeroMemory(&gState, sizeof gState);
    fixedclock::Install();
    fixedclock::At(2024, 1, 1, 6, 0, 0);   // Monday 06:00 UT
    gProgramState.Latitude = 50.8;
    gProgramState.Longitude = -7.1;
    gProgramState.GeoHeight = 120;
    gProgramState.GpsTransferFlag = 0;
    for (int port = 1; port <= 3; ++port) feeder::Forget(port);
  }
  void TearDown() override {
    if (gState.port) CloseGpsPort(gState.port, &gState);
    if (collector_) DestroyWindow(collector_);
    fixedclock::Remove();
  }
  void Listen(Collector* c) {
    collector_ = MakeCollector(c);
    gState.dialog = collector_;
  }
  HWND collector_ = nullptr;
};

TEST_F(GpsPortTest, ReaderDeliversExactlyTheValidReadingsInOrder) {
  ASSERT_TRUE(OpenGpsPort("COM2", 4800, 8, 'N', 1.0, &gState));
  gState.pauseMs = 0;
  Collector c;
  Listen(&c);
  ASSERT_TRUE(feeder::Play(2, "mixed"));
  const std::vector<feeder::Expected> expected = feeder::ExpectedReadings(2);
  ASSERT_GE(expected.size(), 6u);
  ASSERT_TRUE(StartGpsReader(&gState));
  PumpFor(20000, [&] { return c.readings.size() >= expected.size(); });
  PumpFor(300);   // and nothing after them
  ASSERT_EQ(expected.size(), c.readings.size());

  double w = 0, lat = 0, lon = 0, alt = 0;
  for (size_t i = 0; i < expected.size(); ++i) {
    const feeder::Expected& e = expected[i];
    const GgaReading& r = c.readings[i];
    SCOPED_TRACE(e.time);
    EXPECT_DOUBLE_EQ(e.time_value, r.utcTime);
    EXPECT_NEAR(e.latitude, r.latitude, 1e-6);
    EXPECT_NEAR(-e.longitude, r.longitude, 1e-6);   // the program counts east negative
    EXPECT_DOUBLE_EQ(e.altitude, r.altitude);
    EXPECT_EQ(e.satellites, r.satellites);
    // Shown: the reading itself below 4 satellites, else the weighted mean so far.
    GpsPosition mean{r.longitude, r.latitude, r.altitude};
    if (r.satellites >= 4) {
      const double wi = r.satellites - 3;
      w += wi;
      lat += wi * r.latitude;
      lon += wi * r.longitude;
      alt += wi * r.altitude;
      mean = GpsPosition{lon / w, lat / w, alt / w};
    }
    EXPECT_NEAR(mean.latitude, c.shown[i].latitude, 1e-9);
    EXPECT_NEAR(mean.longitude, c.shown[i].longitude, 1e-9);
    EXPECT_NEAR(mean.altitude, c.shown[i].altitude, 1e-9);
  }
  EXPECT_EQ(1, CloseGpsPort(gState.port, &gState));
}

TEST_F(GpsPortTest, ClosingEndsAWaitingReaderWithinASecondAndNothingIsPosted) {
  ASSERT_TRUE(OpenGpsPort("COM2", 4800, 8, 'N', 1.0, &gState));
  Collector c;
  Listen(&c);
  ASSERT_TRUE(StartGpsReader(&gState));
  Sleep(300);   // the reader waits on a silent port
  DWORD start = GetTickCount();
  EXPECT_EQ(1, CloseGpsPort(gState.port, &gState));
  EXPECT_LT(GetTickCount() - start, 1000u);
  EXPECT_EQ(nullptr, gState.reader);
  EXPECT_EQ(nullptr, gState.port);

  // A reader that has its reading and rests before posting it.
  ASSERT_TRUE(OpenGpsPort("COM2", 4800, 8, 'N', 1.0, &gState));
  gState.pauseMs = 10000;
  ASSERT_TRUE(feeder::Play(2, "steady"));
  ASSERT_TRUE(StartGpsReader(&gState));
  PumpFor(5000, [] { return gState.sampleCount > 0; });
  ASSERT_EQ(1, gState.sampleCount);
  start = GetTickCount();
  EXPECT_EQ(1, CloseGpsPort(gState.port, &gState));
  EXPECT_LT(GetTickCount() - start, 1000u);
  PumpFor(300);
  EXPECT_TRUE(c.readings.empty());
  EXPECT_EQ(0, CloseGpsPort(nullptr, &gState));
}

TEST_F(GpsPortTest, OnlyThePortThatAnsweredIsInitialised) {
  ASSERT_TRUE(feeder::Play(1, "noise"));   // talks, but no sentence
  ASSERT_TRUE(feeder::Play(3, "steady"));
  char name[16] = "";
  EXPECT_EQ(3, FindGpsReceiver(&gState, name, sizeof name));
  EXPECT_STREQ("COM3", name);
  EXPECT_TRUE(gState.port);
  const std::string init = Checksummed("PSRF104,50.800000,7.100000,120,96000,108000,2295,12,2") + "\r\n";
  PumpFor(2000, [&] { return feeder::Received(3).size() >= init.size(); });
  EXPECT_EQ(init, feeder::Received(3));
  EXPECT_EQ("", feeder::Received(1));
  EXPECT_EQ("", feeder::Received(2));
}

TEST_F(GpsPortTest, PortsThatDoNotOpen) {
  MessageBoxScript boxes;
  EXPECT_EQ(nullptr, OpenGpsPort("COM9", 4800, 8, 'N', 1.0, &gState));
  EXPECT_EQ(0u, boxes.Count());   // the search keeps quiet
  EXPECT_EQ(nullptr, OpenSerialPort("COM9", 4800, 8, 'N', 1.0));
  ASSERT_EQ(1u, boxes.Count());
  EXPECT_EQ("Serieller Port COM9 ist nicht zu öffnen !", boxes.Box(0).text);
  EXPECT_EQ("Fehlermeldung", boxes.Box(0).title);
  EXPECT_EQ(UINT(MB_ICONSTOP), boxes.Box(0).Icon());
  EXPECT_EQ(0, CloseSerialPort(nullptr));
}

class ClimateSensorTest : public GpsPortTest {
 protected:
  void TearDown() override {
    CloseSerialPort(port_);
    GpsPortTest::TearDown();
  }
  HANDLE port_ = nullptr;
};

TEST_F(ClimateSensorTest, ReadsTemperatureAndHumidity) {
  ASSERT_TRUE(feeder::Play(1, "climate"));
  port_ = OpenSerialPort("COM1", 4800, 8, 'N', 1.0);
  ASSERT_TRUE(port_);
  double t = 99, h = 99;
  int ok = 0;
  for (DWORD start = GetTickCount(); !ok && GetTickCount() - start < 8000; Sleep(100))
    ok = ReadClimateSensor(port_, &t, &h);
  ASSERT_EQ(1, ok);
  EXPECT_NEAR(-1.0, t, 1e-9);
  EXPECT_NEAR(50.0, h, 1e-9);
}

TEST_F(ClimateSensorTest, GivesUpOnASensorThatStopsAndOnOtherTalk) {
  const struct {
    const char* scenario;
    DWORD atLeastMs, atMostMs;
  } cases[] = {{"climate-cut", 1500, 3000}, {"noise", 0, 500}};
  port_ = OpenSerialPort("COM1", 4800, 8, 'N', 1.0);
  ASSERT_TRUE(port_);
  double t = 7, h = 8;
  EXPECT_EQ(0, ReadClimateSensor(port_, &t, &h));   // nothing waiting
  for (const auto& c : cases) {
    SCOPED_TRACE(c.scenario);
    ASSERT_TRUE(feeder::Play(1, c.scenario));
    Sleep(250);   // the start of it has come
    const DWORD start = GetTickCount();
    EXPECT_EQ(0, ReadClimateSensor(port_, &t, &h));
    const DWORD took = GetTickCount() - start;
    EXPECT_GE(took, c.atLeastMs);
    EXPECT_LE(took, c.atMostMs);
    EXPECT_EQ(7, t);
    EXPECT_EQ(8, h);
  }
}

}  // namespace
