#include "nmea.h"

#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

enum Mode { kBeforeDollar = 0, kInSentence = 1, kDropping = 2 };

constexpr int kGgaFields = 15;   // "GPGGA" and its fourteen fields

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

struct Field {
  const char* begin;
  const char* end;
  bool Is(const char* text) const {
    const size_t n = std::strlen(text);
    return size_t(end - begin) == n && std::memcmp(begin, text, n) == 0;
  }
};

// "ddd", "ddd.ddd" or ".ddd" with an optional leading "-" where allowed; at
// most 15 digits, so that the value is the exact quotient of two integers
// and does not depend on the C library's locale.
bool ParseDecimal(Field f, bool allowSign, double* out) {
  const char* p = f.begin;
  bool negative = false;
  if (allowSign && p < f.end && (*p == '-' || *p == '+')) negative = *p++ == '-';
  int64_t mantissa = 0, scale = 1;
  int digits = 0;
  bool point = false;
  for (; p < f.end; ++p) {
    if (*p == '.' && !point) {
      point = true;
      continue;
    }
    if (*p < '0' || *p > '9' || ++digits > 15) return false;
    mantissa = mantissa * 10 + (*p - '0');
    if (point) scale *= 10;
  }
  if (digits == 0) return false;
  const double v = double(mantissa) / double(scale);
  *out = negative ? -v : v;
  return true;
}

bool ParseCount(Field f, int maxDigits, int32_t* out) {
  const ptrdiff_t n = f.end - f.begin;
  if (n < 1 || n > maxDigits) return false;
  int32_t v = 0;
  for (const char* p = f.begin; p < f.end; ++p) {
    if (*p < '0' || *p > '9') return false;
    v = v * 10 + (*p - '0');
  }
  *out = v;
  return true;
}

// hhmmss.sss of a time of day (a leap second allowed).
bool ValidTimeOfDay(double t) {
  const double hours = std::floor(t * 0.0001);
  const double minutes = std::floor(std::fmod(t, 10000.0) * 0.01);
  return hours < 24 && minutes < 60 && std::fmod(t, 100.0) < 61;
}

// dddmm.mmmm with whole minutes below 60 and at most `limit` degrees.
bool ParseAngle(Field f, double limit, double* degrees) {
  double raw;
  if (!ParseDecimal(f, false, &raw) || std::fmod(raw, 100.0) >= 60) return false;
  *degrees = NmeaDegrees(raw);
  return *degrees <= limit;
}

}  // namespace

size_t NmeaReaderSpace(const NmeaLineReader* r) {
  return sizeof r->pending - size_t(r->pendingEnd - r->pendingStart);
}

size_t PushNmeaBytes(NmeaLineReader* r, const void* data, size_t n) {
  const size_t held = size_t(r->pendingEnd - r->pendingStart);
  if (r->pendingStart > 0) {
    std::memmove(r->pending, r->pending + r->pendingStart, held);
    r->pendingStart = 0;
    r->pendingEnd = int32_t(held);
  }
  const size_t take = n < sizeof r->pending - held ? n : sizeof r->pending - held;
  if (take) std::memcpy(r->pending + held, data, take);
  r->pendingEnd += int32_t(take);
  return take;
}

int NextNmeaLine(NmeaLineReader* r, char* out) {
  while (r->pendingStart < r->pendingEnd) {
    const uint8_t c = r->pending[r->pendingStart++];
    if (c == '$') {
      r->line[0] = '$';
      r->lineLength = 1;
      r->mode = kInSentence;
    } else if (c == '\r' || c == '\n') {
      const bool whole = r->mode == kInSentence;
      r->mode = kBeforeDollar;
      if (whole) {
        std::memcpy(out, r->line, size_t(r->lineLength));
        out[r->lineLength] = '\0';
        return 1;
      }
    } else if (r->mode == kInSentence) {
      if (c < 0x20 || c > 0x7E || r->lineLength >= kNmeaMaxLine)
        r->mode = kDropping;
      else
        r->line[r->lineLength++] = char(c);
    }
  }
  return 0;
}

void ResetNmeaReader(NmeaLineReader* r) { std::memset(r, 0, sizeof *r); }

uint8_t NmeaChecksum(const char* begin, const char* end) {
  uint8_t sum = 0;
  for (const char* p = begin; p < end; ++p) sum ^= uint8_t(*p);
  return sum;
}

int HasValidNmeaChecksum(const char* line, size_t length) {
  if (length < 4 || line[0] != '$' || line[length - 3] != '*') return 0;
  const int hi = HexValue(line[length - 2]), lo = HexValue(line[length - 1]);
  if (hi < 0 || lo < 0) return 0;
  const char* star = static_cast<const char*>(std::memchr(line, '*', length));
  return star == line + length - 3 && NmeaChecksum(line + 1, star) == hi * 16 + lo;
}

double NmeaDegrees(double raw) { return std::floor(raw * 0.01) + std::fmod(raw, 100.0) / 60.0; }

int ParseGgaSentence(const char* line, size_t length, GgaReading* out) {
  if (!HasValidNmeaChecksum(line, length)) return 0;
  Field fields[kGgaFields];
  int count = 0;
  const char* end = line + length - 3;   // the "*"
  for (const char* p = line + 1;;) {
    const char* comma = p;
    while (comma < end && *comma != ',') ++comma;
    if (count == kGgaFields) return 0;   // more fields than a GGA has
    fields[count++] = Field{p, comma};
    if (comma == end) break;
    p = comma + 1;
  }
  if (count != kGgaFields || !fields[0].Is("GPGGA")) return 0;

  GgaReading r;
  const bool north = fields[3].Is("N"), south = fields[3].Is("S");
  const bool east = fields[5].Is("E"), west = fields[5].Is("W");
  if (!ParseDecimal(fields[1], false, &r.utcTime) || !ValidTimeOfDay(r.utcTime) ||
      !ParseAngle(fields[2], 90, &r.latitude) || !(north || south) || !ParseAngle(fields[4], 180, &r.longitude) ||
      !(east || west) || !ParseCount(fields[6], 1, &r.quality) || r.quality == 0 ||
      !ParseCount(fields[7], 2, &r.satellites) || !ParseDecimal(fields[9], true, &r.altitude))
    return 0;
  if (south) r.latitude = -r.latitude;
  if (east) r.longitude = -r.longitude;   // the program counts east negative
  *out = r;
  return 1;
}

size_t BuildSirfInitSentence(char* out, size_t capacity, double latitude, double longitude, double height,
                             double julianDay) {
  const double dayFraction = (julianDay + 0.5) - std::floor(julianDay + 0.5);
  const long dayOfWeek = long(std::fmod(std::floor(julianDay + 1.5), 7.0));   // 0 = Sunday
  const long timeOfWeek = long(dayFraction * 86400.0) + dayOfWeek * 86400;
  const long week = long((julianDay - 2444244.5) / 7.0);
  const int n = std::snprintf(out, capacity, "$PSRF104,%lf,%lf,%1.0lf,96000,%ld,%ld,12,2", latitude, 0.0 - longitude,
                              height, timeOfWeek, week);
  if (n < 1 || size_t(n) + 6 > capacity) return 0;
  const int m = std::snprintf(out + n, capacity - size_t(n), "*%02X\r\n", NmeaChecksum(out + 1, out + n));
  return size_t(n + m);
}
