// For the GPS tests: sentences (a body gets "$", "*", its checksum worked
// out here, apart from the code under test, and when asked CR LF) and UTC
// calendar records.
#pragma once

#include <cstdio>
#include <cstring>
#include <string>

#include "shell/timeconv.h"

inline std::string Checksummed(const std::string& body) {
  unsigned sum = 0;
  for (unsigned char c : body) sum ^= c;
  char hex[4];
  std::snprintf(hex, sizeof hex, "%02X", sum);
  return "$" + body + "*" + hex;
}

inline std::string Line(const std::string& body) { return Checksummed(body) + "\r\n"; }

// A UTC record of the date and time with its Julian Day.
inline DateTimeRecord UtcRecord(int year, int month, int day, int hour, int minute, int second,
                                int millisecond = 0) {
  DateTimeRecord t;
  std::memset(&t, 0, sizeof t);
  t.year = int16_t(year);
  t.month = int16_t(month);
  t.day = int16_t(day);
  t.hour = int16_t(hour);
  t.minute = int16_t(minute);
  t.second = int16_t(second);
  t.millisecond = int16_t(millisecond);
  t.julianDay = JulianDateFromFields(t);
  return t;
}
