// The temperature and humidity sensor's frame, and serial line settings.
#include "imageio/gps/climate_frame.h"

#include <gtest/gtest.h>

#include <string>

#include "imageio/gps/serial_settings.h"

namespace {

// "@", then the temperature digits at 27..30 and the humidity digits at
// 59..62, filled up to 65 characters.
std::string Frame(const std::string& temperature, const std::string& humidity) {
  std::string f = "@" + std::string(26, '-') + temperature + std::string(28, '-') + humidity + "--";
  return f;
}

TEST(ClimateFrame, SignedHexFields) {
  const struct {
    const char* temperature;
    const char* humidity;
    double celsius, percent;
  } cases[] = {
      {"FF9C", "2710", -1.00, 50.0},
      {"0000", "0000", 0, 0},
      {"7FFF", "8000", 327.67, -163.84},
      {"09C4", "4E20", 25.0, 100.0},
      {"ff9c", "27G0", 0.09 * 16, 0x2700 * 0.005},   // other characters count as 0
  };
  for (const auto& c : cases) {
    const std::string f = Frame(c.temperature, c.humidity);
    ASSERT_EQ(65u, f.size());
    double t = 99, h = 99;
    ASSERT_EQ(1, DecodeClimateFrame(f.data(), f.size(), &t, &h)) << f;
    EXPECT_NEAR(c.celsius, t, 1e-9) << c.temperature;
    EXPECT_NEAR(c.percent, h, 1e-9) << c.humidity;
  }
}

TEST(ClimateFrame, RefusedFramesLeaveTheOutputs) {
  const std::string good = Frame("FF9C", "2710");
  for (const std::string& bad : {std::string("#") + good.substr(1), good.substr(0, 64)}) {
    double t = 7, h = 8;
    EXPECT_EQ(0, DecodeClimateFrame(bad.data(), bad.size(), &t, &h));
    EXPECT_EQ(7, t);
    EXPECT_EQ(8, h);
  }
}

TEST(ClimateFrame, CollectsFromTheAtSignInAnyPieces) {
  const std::string stream = "noise" + Frame("FF9C", "2710") + "tail";
  for (size_t chunk = 1; chunk <= stream.size(); ++chunk) {
    ClimateFrameBuffer b{};
    int whole = 0;
    for (size_t at = 0; at < stream.size() && !whole; at += chunk)
      whole = AddClimateBytes(&b, stream.data() + at, std::min(chunk, stream.size() - at));
    ASSERT_EQ(1, whole) << chunk;
    double t = 0, h = 0;
    ASSERT_EQ(1, DecodeClimateFrame(b.text, size_t(b.length), &t, &h));
    EXPECT_DOUBLE_EQ(-1.0, t);
    EXPECT_DOUBLE_EQ(50.0, h);
  }
}

TEST(ClimateFrame, KeepsAtMostItsBuffer) {
  ClimateFrameBuffer b{};
  EXPECT_EQ(0, AddClimateBytes(&b, "no frame here", 13));
  EXPECT_EQ(0, b.length);
  const std::string flood = "@" + std::string(1000, 'x');
  EXPECT_EQ(1, AddClimateBytes(&b, flood.data(), flood.size()));
  EXPECT_EQ(int32_t(sizeof b.text), b.length);
  EXPECT_EQ(1, AddClimateBytes(&b, flood.data(), flood.size()));
  EXPECT_EQ(int32_t(sizeof b.text), b.length);
}

TEST(SerialSettings, StopBitsAndParity) {
  EXPECT_EQ(0, StopBitsCode(1.0));
  EXPECT_EQ(1, StopBitsCode(1.5));
  EXPECT_EQ(2, StopBitsCode(2.0));
  const struct {
    char letter;
    int code;
  } parity[] = {{'N', 0}, {'O', 1}, {'E', 2}, {'M', 3}, {'S', 4}, {'X', 9}, {'n', 9}, {'\0', 9}};
  for (const auto& p : parity) EXPECT_EQ(p.code, ParityCode(p.letter, 9)) << int(p.letter);
}

}  // namespace
