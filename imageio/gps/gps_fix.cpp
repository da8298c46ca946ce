#include "gps_fix.h"

#include <cmath>
#include <cstring>

#include "shell/timeconv.h"

GpsPosition EnterGpsReading(GpsSampleRing* ring, int32_t* sampleCount, int32_t* samplesUsed, const GgaReading& r) {
  if (r.satellites < 4) {
    *samplesUsed = *sampleCount;
    return GpsPosition{r.longitude, r.latitude, r.altitude};
  }
  const int32_t k = *sampleCount % kGpsRingSize;
  ring->weight[k] = r.satellites - 3;
  ring->latitude[k] = r.latitude;
  ring->longitude[k] = r.longitude;
  ring->altitude[k] = r.altitude;
  const int32_t n = *sampleCount >= kGpsRingSize - 1 ? kGpsRingSize : *sampleCount + 1;
  double w = 0, lat = 0, lon = 0, alt = 0;
  for (int32_t i = 0; i < n; ++i) {
    const double wi = ring->weight[i];
    w += wi;
    lat += wi * ring->latitude[i];
    lon += wi * ring->longitude[i];
    alt += wi * ring->altitude[i];
  }
  *samplesUsed = *sampleCount >= kGpsRingSize ? kGpsRingSize : *sampleCount;
  ++*sampleCount;
  return GpsPosition{lon / w, lat / w, alt / w};
}

DateTimeRecord GpsTimeOnClockDate(const DateTimeRecord& clockUtc, double gpsTime) {
  DateTimeRecord t = clockUtc;
  t.hour = int16_t(std::floor(gpsTime * 0.0001));
  t.minute = int16_t(std::floor(std::fmod(gpsTime, 10000.0) * 0.01));
  t.second = int16_t(std::floor(std::fmod(gpsTime, 100.0)));
  t.millisecond = int16_t(std::trunc(std::fmod(gpsTime, 1.0) * 1000));
  t.zone = 0;
  const double clockSeconds = clockUtc.hour * 3600.0 + clockUtc.minute * 60.0 + clockUtc.second;
  const double gpsSeconds = t.hour * 3600.0 + t.minute * 60.0 + t.second;
  int shift = 0;
  if (gpsSeconds - clockSeconds < -43200) shift = 1;    // the receiver is past midnight already
  if (gpsSeconds - clockSeconds > 43200) shift = -1;    // the receiver is still before midnight
  DateTimeRecord midnight = clockUtc;
  midnight.hour = midnight.minute = midnight.second = midnight.millisecond = 0;
  const DateTimeRecord date = FieldsFromJulianDate(JulianDateFromFields(midnight) + shift);
  t.day = date.day;
  t.month = date.month;
  t.year = date.year;
  std::memcpy(t.weekday, date.weekday, sizeof t.weekday);
  t.julianDay = JulianDateFromFields(t);
  return t;
}
