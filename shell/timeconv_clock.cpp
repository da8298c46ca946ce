// The system clock and time-zone half of the time conversions.
#include <windows.h>

#include <cstring>

#include "timeconv.h"

int32_t MachineZoneOffset() {
  TIME_ZONE_INFORMATION tz;
  GetTimeZoneInformation(&tz);
  return -tz.Bias;   // standard time only: summer keeps the winter offset
}

DateTimeRecord DateFromJulianDayLocal(JulianDay jd) {
  return DateFromJulianDayInZone(jd, MachineZoneOffset());
}

JulianDay JulianDateFromSystemZoneFields(DateTimeRecord t) {
  t.minute = int16_t(t.minute - MachineZoneOffset());
  return JulianDateFromFields(t);
}

namespace {

DateTimeRecord ReadClock(int32_t zone) {
  SYSTEMTIME st;
  GetSystemTime(&st);
  DateTimeRecord t;
  std::memset(&t, 0, sizeof t);
  t.day = int16_t(st.wDay);
  t.month = int16_t(st.wMonth);
  t.year = int16_t(st.wYear);
  t.hour = int16_t(st.wHour);
  t.minute = int16_t(st.wMinute);
  t.second = int16_t(st.wSecond);
  t.millisecond = int16_t(st.wMilliseconds);
  std::strcpy(t.weekday, kWeekdayNames[st.wDayOfWeek % 7]);
  t.zone = int16_t(zone);
  t.julianDay = JulianDateFromFields(t);
  return t;
}

}  // namespace

DateTimeRecord CurrentUtcDateTime() { return ReadClock(0); }

DateTimeRecord CurrentDateTimeWithZone() {
  const int32_t zone = MachineZoneOffset();   // zone first, then the clock
  return ReadClock(zone);
}

JulianDay CurrentJulianDay() { return CurrentUtcDateTime().julianDay; }
