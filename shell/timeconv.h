// Julian days, calendar records, time zones, sidereal time and the
// degrees-minutes-seconds split. Pure computations except the functions at
// the end, which read the system clock or the machine's time zone.
#pragma once

#include <cstdint>

#include "imagelib/image.h"   // DateTimeRecord

// Day count on the UT scale; 2000-01-01 12:00 UT is 2451545.0.
using JulianDay = double;

struct SexagesimalValue {
  char sign;               // ' ' for zero and positive values, '-' for negative ones
  int32_t whole;           // degrees or hours
  int32_t minutes;
  int32_t seconds;
  int32_t thousandths;     // thousandths of a second
};

extern const char* const kWeekdayNames[7];   // 0 = "Sonntag"

// Day to millisecond of the record, taken as UT. Fields outside their ranges
// simply enter the sum (the zone variants rely on a minute of -60 or 75).
JulianDay JulianDateFromFields(DateTimeRecord t);
// Calendar fields of jd with zone 0 and julianDay = jd.
DateTimeRecord FieldsFromJulianDate(JulianDay jd);
// Local date and time of a zone zoneMinutes ahead of UT; julianDay stays jd.
DateTimeRecord DateFromJulianDayInZone(JulianDay jd, int32_t zoneMinutes);
// The record's fields are local time of its own zone field.
JulianDay JulianDateFromLocalFields(DateTimeRecord t);
// Greenwich mean sidereal time as a fraction of a sidereal day, 0 <= r < 1.
double GreenwichSiderealTime(JulianDay jd);
SexagesimalValue SplitSexagesimal(double value);
double JoinSexagesimal(SexagesimalValue s);

// --- system clock and time zone (Windows only) ---
// Minutes the machine's standard time is ahead of UT (daylight saving ignored).
int32_t MachineZoneOffset();
DateTimeRecord DateFromJulianDayLocal(JulianDay jd);
// The record's fields are local time of the machine's zone.
JulianDay JulianDateFromSystemZoneFields(DateTimeRecord t);
DateTimeRecord CurrentUtcDateTime();
// UT fields with zone = the machine's zone offset.
DateTimeRecord CurrentDateTimeWithZone();
JulianDay CurrentJulianDay();
