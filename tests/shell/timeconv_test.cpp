#include "shell/timeconv.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace {

DateTimeRecord Fields(int y, int mo, int d, int h = 0, int mi = 0, int s = 0, int ms = 0, int zone = 0) {
  DateTimeRecord t{};
  t.year = int16_t(y);
  t.month = int16_t(mo);
  t.day = int16_t(d);
  t.hour = int16_t(h);
  t.minute = int16_t(mi);
  t.second = int16_t(s);
  t.millisecond = int16_t(ms);
  t.zone = int16_t(zone);
  return t;
}

struct DateCase {
  int y, mo, d, h, mi, s, ms;
  double jd;
  const char* weekday;
};

// Calendar dates and their Julian days, both ways.
TEST(TimeConversions, CalendarToJulianDayAndBack) {
  const DateCase cases[] = {
      {2000, 1, 1, 12, 0, 0, 0, 2451545.0, "Samstag"},
      {2000, 1, 1, 0, 0, 0, 0, 2451544.5, "Samstag"},    // 0 h belongs to the day that begins there
      {1582, 10, 15, 0, 0, 0, 0, 2299160.5, "Freitag"},  // first Gregorian day
      {1582, 10, 4, 0, 0, 0, 0, 2299159.5, "Donnerstag"},  // last Julian day, no gap
      {-1, 3, 1, 0, 0, 0, 0, 1720751.5, nullptr},
      {0, 1, 1, 0, 0, 0, 0, 1721057.5, nullptr},
      {2000, 2, 29, 0, 0, 0, 0, 2451603.5, "Dienstag"},  // February uses the previous year's term
      {2026, 12, 10, 18, 0, 0, 0, 2461385.25, "Donnerstag"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.y) + "-" + std::to_string(c.mo) + "-" + std::to_string(c.d));
    EXPECT_DOUBLE_EQ(c.jd, JulianDateFromFields(Fields(c.y, c.mo, c.d, c.h, c.mi, c.s, c.ms)));
    DateTimeRecord t = FieldsFromJulianDate(c.jd);
    EXPECT_EQ(c.y, t.year);
    EXPECT_EQ(c.mo, t.month);
    EXPECT_EQ(c.d, t.day);
    EXPECT_EQ(c.h, t.hour);
    EXPECT_EQ(c.mi, t.minute);
    EXPECT_EQ(c.s, t.second);
    EXPECT_EQ(c.ms, t.millisecond);
    EXPECT_EQ(0, t.zone);
    EXPECT_EQ(c.jd, double{t.julianDay});   // packed field: copy before binding
    if (c.weekday) {
      EXPECT_STREQ(c.weekday, t.weekday);
    }
  }
}

TEST(TimeConversions, ZoneVariants) {
  // 13:00 in a zone one hour ahead is 12:00 UT: the minute becomes -60.
  EXPECT_DOUBLE_EQ(2451545.0, JulianDateFromLocalFields(Fields(2000, 1, 1, 13, 0, 0, 0, 60)));

  DateTimeRecord t = DateFromJulianDayInZone(2451545.0, 60);
  EXPECT_EQ(60, t.zone);
  EXPECT_EQ(2451545.0, double{t.julianDay});
  EXPECT_EQ(2000, t.year);
  EXPECT_EQ(1, t.day);
  // Double precision puts this whole second one millisecond early.
  EXPECT_EQ(12, t.hour);
  EXPECT_EQ(59, t.minute);
  EXPECT_EQ(59, t.second);
  EXPECT_EQ(999, t.millisecond);

  DateTimeRecord back = Fields(t.year, t.month, t.day, t.hour, t.minute, t.second, t.millisecond, t.zone);
  EXPECT_NEAR(2451545.0, JulianDateFromLocalFields(back), 2e-8);   // within a millisecond
}

TEST(TimeConversions, SiderealTime) {
  EXPECT_NEAR(0.7790573, GreenwichSiderealTime(2451545.0), 5e-8);
  EXPECT_NEAR(0.2776883, GreenwichSiderealTime(2451544.5), 5e-8);
  const double r = GreenwichSiderealTime(2451545.0) * 24;   // 18 h 41 min 50.548 s
  EXPECT_NEAR(18 + 41 / 60.0 + 50.548 / 3600, r, 1e-6);
  // Always in [0, 1), also long before the epoch.
  for (double jd : {2415020.5, 2299160.5, 2488069.5, 2451545.3}) {
    const double g = GreenwichSiderealTime(jd);
    EXPECT_GE(g, 0.0);
    EXPECT_LT(g, 1.0);
  }
}

TEST(TimeConversions, Sexagesimal) {
  struct Case {
    double v;
    char sign;
    int whole, minutes, seconds, thousandths;
  } cases[] = {
      {12.5, ' ', 12, 30, 0, 0},
      {-0.25, '-', 0, 15, 0, 0},
      {-7.1, '-', 7, 5, 0, 0},   // 7.1 lies a hair below, each number floors its own product
      {0.0, ' ', 0, 0, 0, 0},
      {1 + 2 / 60.0 + 3.5 / 3600, ' ', 1, 2, 3, 500},
  };
  for (const auto& c : cases) {
    SexagesimalValue s = SplitSexagesimal(c.v);
    EXPECT_EQ(c.sign, s.sign) << c.v;
    EXPECT_EQ(c.whole, s.whole) << c.v;
    EXPECT_EQ(c.minutes, s.minutes) << c.v;
    EXPECT_EQ(c.seconds, s.seconds) << c.v;
    EXPECT_EQ(c.thousandths, s.thousandths) << c.v;
  }
  EXPECT_DOUBLE_EQ(-12.5, JoinSexagesimal({'-', 12, 30, 0, 0}));
  EXPECT_NEAR(1 + 2 / 60.0 + 3.5 / 3600, JoinSexagesimal({' ', 1, 2, 3, 500}), 1e-12);
}

}  // namespace
