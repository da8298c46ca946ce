#include "gps_texts.h"

#include <cmath>
#include <cstdio>

namespace {

constexpr int32_t kLongAverage = 3600;   // readings after which the texts show more places

}  // namespace

void FormatDegrees(char* out, size_t capacity, double value, int decimals, char positive, char negative) {
  const long long unit = decimals >= 2 ? 100 : 10;
  double a = std::fabs(value);
  if (!(a <= 1e6)) a = 1e6;   // keeps the count in range; readings never come near
  const long long count = std::llround(a * 3600.0 * double(unit));
  const long long degrees = count / (3600 * unit);
  const long long minutes = count / (60 * unit) % 60;
  const long long seconds = count % (60 * unit);
  std::snprintf(out, capacity, "%lld° %02lld' %02lld.%0*lld\" %c", degrees, minutes, seconds / unit,
                decimals >= 2 ? 2 : 1, seconds % unit, value >= 0 ? positive : negative);
}

void FormatGpsReadout(const GpsReadout& r, GpsReadoutTexts* out) {
  const bool longAverage = r.samplesUsed >= kLongAverage;
  const int decimals = longAverage ? 2 : 1;
  std::snprintf(out->time, sizeof out->time, "%d : %02d : %02d", int(r.hour), int(r.minute), int(r.second));
  const int32_t n = r.samplesUsed;
  std::snprintf(out->integration, sizeof out->integration, "%dd %d : %02d : %02d ", int(n / 86400),
                int(n / 3600 % 24), int(n / 60 % 60), int(n % 60));
  FormatDegrees(out->longitude, sizeof out->longitude, r.position.longitude, decimals, 'W', 'E');
  FormatDegrees(out->latitude, sizeof out->latitude, r.position.latitude, decimals, 'N', 'S');
  std::snprintf(out->altitude, sizeof out->altitude, longAverage ? "%3.1lf m" : "%1.0lf m", r.position.altitude);
  std::snprintf(out->satellites, sizeof out->satellites, "%d", int(r.satellites));
  std::snprintf(out->logLine, sizeof out->logLine, "%s  %s  %s  %s  %s", out->time, out->longitude, out->latitude,
                out->altitude, out->satellites);
}
