#include "timeconv.h"

#include <cmath>
#include <cstring>

const char* const kWeekdayNames[7] = {"Sonntag", "Montag",  "Dienstag", "Mittwoch",
                                      "Donnerstag", "Freitag", "Samstag"};

namespace {

double Frac(double x) { return x - std::floor(x); }

bool IsGregorian(const DateTimeRecord& t) {
  if (t.year != 1582) return t.year > 1582;
  if (t.month != 10) return t.month > 10;
  return t.day >= 15;
}

}  // namespace

JulianDay JulianDateFromFields(DateTimeRecord t) {
  int y = t.year, m = t.month;
  if (m < 3) {   // January and February count as months 13 and 14 of the year before
    y -= 1;
    m += 12;
  }
  const double Y = std::floor(365.25 * y) - 1;
  const double M = std::floor(30.6001 * (m + 1));
  const double f = (t.hour + (t.minute + (t.second + t.millisecond * 0.001) / 60) / 60) / 24;
  double G = 0;
  if (IsGregorian(t)) {
    const int a = y / 100;   // toward zero
    G = 2 - a + a / 4;
  }
  return G + (f + M + Y + t.day + 1720995.5);
}

DateTimeRecord FieldsFromJulianDate(JulianDay jd) {
  DateTimeRecord t;
  std::memset(&t, 0, sizeof t);
  const double Z = std::trunc(jd + 0.5);
  const double F = (jd + 0.5) - Z;
  double A = Z;
  if (Z >= 2299161) {
    const double alpha = std::floor((Z - 1867216.25) / 36524.25);
    A = Z + 1 + alpha - std::floor(alpha / 4);
  }
  const double B = A + 1524;
  const double C = std::floor((B - 122.1) / 365.25);
  const double D = std::floor(365.25 * C);
  const double E = std::floor((B - D) / 30.6001);
  t.day = int16_t(B - D - std::floor(30.6001 * E));
  t.month = int16_t(E < 13.5 ? E - 1 : E - 13);
  t.year = int16_t(t.month > 2.5 ? C - 4716 : C - 4715);
  t.hour = int16_t(std::floor(24 * F));
  t.minute = int16_t(std::floor(60 * Frac(24 * F)));
  t.second = int16_t(std::floor(60 * Frac(1440 * F)));
  t.millisecond = int16_t(std::floor(1000 * Frac(86400 * F)));
  long long wd = static_cast<long long>(std::floor(jd + 1.5)) % 7;
  if (wd < 0) wd += 7;
  std::strcpy(t.weekday, kWeekdayNames[wd]);
  t.zone = 0;
  t.julianDay = jd;
  return t;
}

DateTimeRecord DateFromJulianDayInZone(JulianDay jd, int32_t zoneMinutes) {
  DateTimeRecord t = FieldsFromJulianDate(jd + zoneMinutes / 1440.0);
  t.zone = int16_t(zoneMinutes);
  t.julianDay = jd;
  return t;
}

JulianDay JulianDateFromLocalFields(DateTimeRecord t) {
  t.minute = int16_t(t.minute - t.zone);
  return JulianDateFromFields(t);
}

double GreenwichSiderealTime(JulianDay jd) {
  const double f = (jd - 0.5) - std::trunc(jd - 0.5);   // fraction of the UT day since 0 h
  const double T = (jd - f - 2451545.0) / 36525;          // centuries to 0 h UT of the day
  const double S = 24110.54841 + 8640184.812866 * T + 0.093104 * T * T - 0.0000062 * T * T * T +
                   86636.55536351999 * f;
  double r = std::fmod(S / 86400, 1.0);
  while (r < 0) r += 1;
  return r;
}

SexagesimalValue SplitSexagesimal(double value) {
  SexagesimalValue s{' ', 0, 0, 0, 0};
  if (value == 0) return s;
  if (value < 0) s.sign = '-';
  const double v = std::fabs(value);
  // Each number is floored from its own product, not carried from the last.
  s.whole = int32_t(std::floor(v));
  s.minutes = int32_t(std::floor(60 * Frac(v)));
  s.seconds = int32_t(std::floor(60 * Frac(60 * v)));
  s.thousandths = int32_t(std::floor(1000 * Frac(3600 * v)));
  return s;
}

double JoinSexagesimal(SexagesimalValue s) {
  const double v = s.whole + s.minutes / 60.0 + s.seconds / 3600.0 + s.thousandths / 3600000.0;
  return s.sign == '-' ? -v : v;
}
