// What a GPS reading becomes, platform-free: the long-term position average
// weighted by the satellites in use, and the reading's UTC time on the
// computer's date.
#pragma once

#include <cstdint>

#include "imagelib/image.h"   // DateTimeRecord
#include "nmea.h"

// About a week of readings at one a second.
constexpr int32_t kGpsRingSize = 604200;

// The positions that enter the average, entry k of reading c at c mod
// kGpsRingSize. Large (17 MB): keep it static or on the heap.
struct GpsSampleRing {
  int32_t weight[kGpsRingSize];
  double latitude[kGpsRingSize];
  double longitude[kGpsRingSize];
  double altitude[kGpsRingSize];
};

struct GpsPosition {
  double longitude;   // degrees, east negative
  double latitude;    // degrees, north positive
  double altitude;    // metres
};

// Enters one reading and returns the position to show. Below 4 satellites
// that is the reading's own position and the ring stays as it was;
// otherwise the reading enters the ring with weight satellites - 3 and the
// result is the weighted mean of the entries since the last reset
// (*sampleCount = 0), at most the whole ring. *samplesUsed becomes the
// number of readings the average spans.
GpsPosition EnterGpsReading(GpsSampleRing* ring, int32_t* sampleCount, int32_t* samplesUsed, const GgaReading& r);

// The receiver's time of day (hhmmss.sss) on the date of the computer's UTC
// clock, with weekday and Julian Day. When clock and receiver lie on either
// side of midnight (more than twelve hours apart) the date moves by a day
// toward the receiver.
DateTimeRecord GpsTimeOnClockDate(const DateTimeRecord& clockUtc, double gpsTime);
