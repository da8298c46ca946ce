// The GPS receiver's byte stream: cut into reads of any size, every line
// either decodes to a sound reading or is refused, and whatever decodes goes
// through the average and the dialog's texts. The same bytes also feed the
// climate sensor's frame collector.
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "imageio/gps/climate_frame.h"
#include "imageio/gps/gps_fix.h"
#include "imageio/gps/gps_texts.h"
#include "imageio/gps/nmea.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

GpsSampleRing* Ring() {
  static std::unique_ptr<GpsSampleRing> ring(new GpsSampleRing());
  return ring.get();
}

void CheckReading(const GgaReading& r) {
  Check(std::fabs(r.latitude) <= 90 && std::fabs(r.longitude) <= 180 && std::isfinite(r.altitude));
  Check(r.utcTime >= 0 && r.utcTime < 240000 && r.quality >= 1 && r.satellites >= 0 && r.satellites <= 99);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const size_t chunk = data[0] % 97 + 1;
  ++data;
  --size;

  NmeaLineReader lines{};
  int32_t count = 0, used = 0;
  char line[kNmeaMaxLine + 1];
  for (size_t at = 0; at < size;) {
    const size_t n = chunk < size - at ? chunk : size - at;
    at += PushNmeaBytes(&lines, data + at, n);
    while (NextNmeaLine(&lines, line)) {
      const size_t length = std::strlen(line);
      Check(length >= 1 && length <= size_t(kNmeaMaxLine) && line[0] == '$');
      GgaReading r;
      if (!ParseGgaSentence(line, length, &r)) continue;
      CheckReading(r);
      const GpsPosition p = EnterGpsReading(Ring(), &count, &used, r);
      DateTimeRecord clock{};
      clock.year = 2024;
      clock.month = 2;
      clock.day = 29;
      const DateTimeRecord t = GpsTimeOnClockDate(clock, r.utcTime);
      Check(t.hour >= 0 && t.hour < 24 && t.minute >= 0 && t.minute < 60);
      GpsReadoutTexts texts;
      FormatGpsReadout(GpsReadout{p, r.satellites, t.hour, t.minute, t.second, used}, &texts);
    }
  }

  ClimateFrameBuffer frame{};
  if (AddClimateBytes(&frame, data, size)) {
    double temperature, humidity;
    Check(DecodeClimateFrame(frame.text, size_t(frame.length), &temperature, &humidity) == 1);
    Check(temperature >= -327.68 && temperature <= 327.67 && humidity >= -163.84 && humidity <= 163.84);
  }
  return 0;
}
