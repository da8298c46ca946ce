// The clock half runs under Wine with the time zone pinned to Europe/Berlin.
#include <gtest/gtest.h>

#include <cmath>
#include <ctime>

#include "shell/timeconv.h"

namespace {

TEST(Clock, MachineZoneIsCentralEuropeanStandardTime) { EXPECT_EQ(60, MachineZoneOffset()); }

TEST(Clock, CurrentTimeIsUtcWithTheZoneBeside) {
  const double before = std::time(nullptr) / 86400.0 + 2440587.5;
  DateTimeRecord utc = CurrentUtcDateTime();
  DateTimeRecord zoned = CurrentDateTimeWithZone();
  EXPECT_EQ(0, utc.zone);
  EXPECT_EQ(60, zoned.zone);
  EXPECT_NEAR(before, double{utc.julianDay}, 5.0 / 86400);
  EXPECT_NEAR(double{utc.julianDay}, double{zoned.julianDay}, 5.0 / 86400);   // fields stay UT
  EXPECT_NEAR(double{utc.julianDay}, CurrentJulianDay(), 5.0 / 86400);
  EXPECT_STREQ(FieldsFromJulianDate(utc.julianDay).weekday, utc.weekday);
}

TEST(Clock, LocalVariantsUseTheMachineZone) {
  DateTimeRecord t = DateFromJulianDayLocal(2451545.26);   // 18:14:24 UT
  EXPECT_EQ(60, t.zone);
  EXPECT_EQ(19, t.hour);
  EXPECT_EQ(14, t.minute);
  DateTimeRecord local{};
  local.year = 2000;
  local.month = 1;
  local.day = 1;
  local.hour = 13;
  EXPECT_DOUBLE_EQ(2451545.0, JulianDateFromSystemZoneFields(local));
}

}  // namespace
