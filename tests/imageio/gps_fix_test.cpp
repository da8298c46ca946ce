// The satellite-weighted position average and the GPS time on the
// computer's date.
#include "imageio/gps/gps_fix.h"

#include <gtest/gtest.h>

#include <memory>

#include "tests/imageio/gps_fixtures.h"

namespace {

GgaReading At(double latitude, double longitude, double altitude, int satellites) {
  GgaReading r{};
  r.latitude = latitude;
  r.longitude = longitude;
  r.altitude = altitude;
  r.satellites = satellites;
  r.quality = 1;
  return r;
}

class GpsAverageTest : public ::testing::Test {
 protected:
  std::unique_ptr<GpsSampleRing> ring_{new GpsSampleRing()};
  int32_t count_ = 0;
  int32_t used_ = -1;
  GpsPosition Enter(const GgaReading& r) { return EnterGpsReading(ring_.get(), &count_, &used_, r); }
};

TEST_F(GpsAverageTest, WeightIsSatellitesLessThree) {
  GpsPosition p = Enter(At(10, -7, 100, 4));   // weight 1
  EXPECT_DOUBLE_EQ(10, p.latitude);
  EXPECT_EQ(0, used_);
  EXPECT_EQ(1, count_);
  p = Enter(At(20, -8, 200, 12));              // weight 9
  EXPECT_DOUBLE_EQ((10 + 9 * 20) / 10.0, p.latitude);
  EXPECT_DOUBLE_EQ((-7 + 9 * -8) / 10.0, p.longitude);
  EXPECT_DOUBLE_EQ((100 + 9 * 200) / 10.0, p.altitude);
  EXPECT_EQ(1, used_);
  EXPECT_EQ(2, count_);
}

TEST_F(GpsAverageTest, ThreeSatellitesShowTheirOwnPositionAndLeaveTheAverage) {
  Enter(At(10, -7, 100, 4));
  Enter(At(20, -8, 200, 12));
  const GpsPosition own = Enter(At(50, 3, 7, 3));
  EXPECT_DOUBLE_EQ(50, own.latitude);
  EXPECT_DOUBLE_EQ(3, own.longitude);
  EXPECT_DOUBLE_EQ(7, own.altitude);
  EXPECT_EQ(2, count_);
  EXPECT_EQ(2, used_);
  const GpsPosition next = Enter(At(10, -7, 100, 4));
  EXPECT_DOUBLE_EQ((10 + 9 * 20 + 10) / 11.0, next.latitude);
}

TEST_F(GpsAverageTest, ResetStartsFromTheFirstEntry) {
  Enter(At(10, -7, 100, 12));
  Enter(At(20, -7, 100, 12));
  count_ = 0;
  EXPECT_DOUBLE_EQ(40, Enter(At(40, -7, 100, 5)).latitude);
}

TEST_F(GpsAverageTest, FullRingAveragesEveryEntry) {
  for (int32_t i = 0; i < kGpsRingSize; ++i) ring_->weight[i] = 1;   // latitudes all 0
  count_ = kGpsRingSize + 5;
  const GpsPosition p = Enter(At(30, 0, 0, 5));   // replaces entry 5 with weight 2
  EXPECT_DOUBLE_EQ(60.0 / (kGpsRingSize + 1), p.latitude);
  EXPECT_EQ(kGpsRingSize, used_);
  EXPECT_EQ(2, ring_->weight[5]);
}

// --- time

TEST(GpsTime, ReceiverTimeOnTheClockDateMovedAcrossMidnight) {
  const struct {
    DateTimeRecord clock;
    double gps;
    int year, month, day, hour, minute, second, millisecond;
    const char* weekday;
    double julianDay;
  } cases[] = {
      {UtcRecord(2024, 3, 10, 12, 0, 0, 999), 123456.789, 2024, 3, 10, 12, 34, 56, 789, "Sonntag",
       2460379.5 + (12 * 3600 + 34 * 60 + 56.789) / 86400},
      {UtcRecord(2023, 12, 31, 23, 59, 59, 999), 1, 2024, 1, 1, 0, 0, 1, 0, "Montag", 2460310.5 + 1 / 86400.0},
      {UtcRecord(2024, 3, 1, 0, 0, 1, 999), 235959, 2024, 2, 29, 23, 59, 59, 0, "Donnerstag",
       2460370.5 - 1 / 86400.0},
      {UtcRecord(2024, 3, 1, 11, 0, 0, 999), 230000, 2024, 3, 1, 23, 0, 0, 0, "Freitag", 2460370.5 + 23 / 24.0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.gps);
    const DateTimeRecord t = GpsTimeOnClockDate(c.clock, c.gps);
    EXPECT_EQ(c.year, t.year);
    EXPECT_EQ(c.month, t.month);
    EXPECT_EQ(c.day, t.day);
    EXPECT_EQ(c.hour, t.hour);
    EXPECT_EQ(c.minute, t.minute);
    EXPECT_EQ(c.second, t.second);
    EXPECT_NEAR(c.millisecond, t.millisecond, 1);
    EXPECT_EQ(0, t.zone);
    EXPECT_STREQ(c.weekday, t.weekday);
    EXPECT_NEAR(c.julianDay, t.julianDay, 1e-8);
  }
}

}  // namespace
