// The texts of the GPS dialog and of "GPS.log", platform-free.
#pragma once

#include <cstddef>
#include <cstdint>

#include "gps_fix.h"

// One reading as the dialog shows it.
struct GpsReadout {
  GpsPosition position;
  int32_t satellites;
  int32_t hour;          // the receiver's UTC time of day
  int32_t minute;
  int32_t second;
  int32_t samplesUsed;   // readings (seconds) the average spans
};

struct GpsReadoutTexts {
  char time[32];          // "12 : 05 : 09"
  char latitude[48];      // "50° 48' 00.0\" N"
  char longitude[48];     // "7° 06' 00.0\" E"
  char altitude[48];      // "123 m"
  char satellites[16];
  char integration[48];   // "0d 1 : 00 : 00 "
  char logLine[256];      // time, longitude, latitude, altitude, satellites
};

// An angle's absolute value as degrees, minutes and seconds with `decimals`
// (1 or 2) places, all three from one rounded count so that the seconds
// never show 60, then the letter: positive for values from 0 up, else
// negative.
void FormatDegrees(char* out, size_t capacity, double value, int decimals, char positive, char negative);

// Every text of one reading. Seconds get a second decimal and the altitude
// one once the average spans an hour.
void FormatGpsReadout(const GpsReadout& r, GpsReadoutTexts* out);
