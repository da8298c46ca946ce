#include "control_values.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "imagelib/noise_filters.h"

double ReadField(const void* record, FieldRef field) {
  const auto* at = static_cast<const unsigned char*>(record) + field.offset;
  if (field.kind == FieldKind::kByte) return *at;
  if (field.kind == FieldKind::kDouble) {
    double v;
    std::memcpy(&v, at, sizeof v);
    return v;
  }
  int32_t v;
  std::memcpy(&v, at, sizeof v);
  return v;
}

void WriteField(void* record, FieldRef field, double value) {
  auto* at = static_cast<unsigned char*>(record) + field.offset;
  if (field.kind == FieldKind::kDouble) {
    std::memcpy(at, &value, sizeof value);
    return;
  }
  double r = std::nearbyint(value);
  if (field.kind == FieldKind::kByte) {
    *at = r > 255 ? 255 : r >= 0 ? static_cast<unsigned char>(r) : 0;   // NaN too
    return;
  }
  if (!(r >= INT32_MIN)) r = INT32_MIN;   // also NaN
  if (r > INT32_MAX) r = INT32_MAX;
  const int32_t v = int32_t(r);
  std::memcpy(at, &v, sizeof v);
}

double BarValue(const BarSpec& spec, int32_t p) {
  switch (spec.map) {
    case BarMap::kLinear:
      return p * spec.scale;
    case BarMap::kStrength:
      return p <= 100 ? p * 0.01 : (p - 100) * 0.1 + 1.0;
    case BarMap::kOdd:
    case BarMap::kOddHalf:
      return 2.0 * p + 1;
    case BarMap::kEven:
      return 2.0 * p;
    case BarMap::kMagnification:
      return p >= 90 ? (p - 90) * 0.1 + 1.0 : p * 0.01 + 0.1;
    case BarMap::kInverted:
      return (spec.max - p) * spec.scale;
    case BarMap::kUsageRate:
      return p < 11 ? 0.001 * (p - 1) : 0.01 * (p - 10);
    case BarMap::kReversed:
      return 1.0 - p * spec.scale;
  }
  return p;
}

namespace {

// trunc(x) as a position; values far outside any bar become its ends.
int32_t Truncate(double x) {
  if (!(x > -1e9)) return INT32_MIN / 2;
  if (x > 1e9) return INT32_MAX / 2;
  return int32_t(x);
}

int32_t WholeDiv2(double v) {
  // "(size - 1) div 2" on whole settings: truncation toward zero.
  return Truncate(v) / 2;
}

}  // namespace

int32_t BarPosition(const BarSpec& spec, double v) {
  int32_t p = 0;
  switch (spec.map) {
    case BarMap::kLinear:
      // Percentages round (0.57 x 100 is 56.99...), whole settings are cut.
      p = spec.scale == 1.0 ? Truncate(v) : Truncate(v * (1.0 / spec.scale) + (v < 0 ? -0.5 : 0.5));
      break;
    case BarMap::kStrength:
      p = v > 1.0 ? Truncate((v - 1.0) * 10 + 0.5) + 100 : Truncate(v * 100 + 0.5);
      break;
    case BarMap::kOdd:
      p = WholeDiv2(Truncate(v) - 1.0);
      break;
    case BarMap::kEven:
    case BarMap::kOddHalf:
      p = WholeDiv2(v);
      break;
    case BarMap::kMagnification:
      p = v >= 1.0 ? Truncate((v - 1.0) * 10 + 0.5) + 90 : Truncate((v - 0.1) * 100 + 0.5);
      break;
    case BarMap::kInverted:
      p = spec.max - Truncate(v / spec.scale);
      break;
    case BarMap::kUsageRate: {
      const int32_t r = Truncate(std::floor(1000 * v + 0.5));
      p = r < 11 ? r + 1 : Truncate(std::floor(100 * v + 0.5)) + 10;
      break;
    }
    case BarMap::kReversed:
      p = Truncate(std::floor((1.0 - v) / spec.scale + 0.5));
      break;
  }
  if (p < spec.min) p = spec.min;
  if (p > spec.max) p = spec.max;
  return p;
}

void BarValueRange(const BarSpec& spec, double* lowest, double* highest) {
  const double a = BarValue(spec, spec.min), b = BarValue(spec, spec.max);
  *lowest = a < b ? a : b;
  *highest = a < b ? b : a;
}

void FormatBarText(char* out, size_t capacity, const BarSpec& spec, double v) {
  if (!capacity) return;
  out[0] = 0;
  const char* f = spec.format;
  switch (spec.show) {
    case BarText::kNone:
      break;
    case BarText::kLong:
      std::snprintf(out, capacity, f ? f : "%ld", long(Truncate(v)));
      break;
    case BarText::kPercent:
      std::snprintf(out, capacity, f ? f : "%ld %%", long(Truncate(v * 100 + 0.5)));
      break;
    case BarText::kDouble:
      std::snprintf(out, capacity, f ? f : "%lf", v);
      break;
    case BarText::kSigmaFactor:
      std::snprintf(out, capacity, f ? f : "%5.3lf", NoiseSigmaFactor(v));
      break;
    case BarText::kHundredfold:
      std::snprintf(out, capacity, f ? f : "%3.1lf %%", 100 * v);
      break;
    case BarText::kMixRatio: {
      const long p = Truncate(std::floor(100 - 100 * v + 0.5));
      std::snprintf(out, capacity, f ? f : "%ld / %ld", 100 - p, p);
      break;
    }
    case BarText::kEveryNth:
      if (Truncate(v) == 1)
        std::snprintf(out, capacity, "jedes Bild");
      else
        std::snprintf(out, capacity, f ? f : "jedes %ld. Bild", long(Truncate(v)));
      break;
    case BarText::kCheckArea:
      if (Truncate(std::floor(100 * v + 0.5)) == 0)
        std::snprintf(out, capacity, "Planet");
      else
        std::snprintf(out, capacity, f ? f : "%4.2lf", v);
      break;
    case BarText::kPosition:
      std::snprintf(out, capacity, f ? f : "%ld", long(BarPosition(spec, v)));
      break;
  }
}

NumberParse ParseNumber(const char* text, double min, double max, bool whole, double* value) {
  if (!text) return NumberParse::kRefused;
  char buffer[80];
  size_t n = 0;
  while (*text == ' ' || *text == '\t') ++text;
  for (; *text && n + 1 < sizeof buffer; ++text) buffer[n++] = *text == ',' ? '.' : *text;
  if (*text) return NumberParse::kRefused;   // longer than any number
  while (n && (buffer[n - 1] == ' ' || buffer[n - 1] == '\t')) --n;
  buffer[n] = 0;
  if (!n) return NumberParse::kRefused;
  // Only digits, one sign and one point (no hexadecimal, no "inf").
  for (size_t i = 0; i < n; ++i) {
    const char c = buffer[i];
    const bool ok = (c >= '0' && c <= '9') || c == '.' || ((c == '-' || c == '+') && i == 0) ||
                    (!whole && (c == 'e' || c == 'E' || ((c == '-' || c == '+') && (buffer[i - 1] | 32) == 'e')));
    if (!ok) return NumberParse::kRefused;
  }
  errno = 0;
  char* end = nullptr;
  const double v = std::strtod(buffer, &end);
  if (end != buffer + n || errno == ERANGE || !std::isfinite(v)) return NumberParse::kRefused;
  if (whole && v != std::floor(v)) return NumberParse::kRefused;
  if (v < min) {
    *value = min;
    return NumberParse::kClamped;
  }
  if (v > max) {
    *value = max;
    return NumberParse::kClamped;
  }
  *value = v;
  return NumberParse::kOk;
}

void FormatNumber(char* out, size_t capacity, const NumberSpec& spec, double v) {
  if (!capacity) return;
  if (spec.field.kind != FieldKind::kDouble)
    std::snprintf(out, capacity, spec.format ? spec.format : "%ld", long(std::nearbyint(v)));
  else
    std::snprintf(out, capacity, spec.format ? spec.format : "%lf", v);
}

NumberParse ParseNumberField(const NumberSpec& spec, const char* text, double* value) {
  double v = 0;
  const NumberParse parse = ParseNumber(text, spec.min, spec.max, spec.field.kind != FieldKind::kDouble, &v);
  if (parse == NumberParse::kRefused || (parse == NumberParse::kClamped && spec.refuseOutside))
    return NumberParse::kRefused;
  *value = v;
  return parse;
}

int32_t RadioValue(const RadioSpec& spec, int i) { return spec.values ? spec.values[i] : spec.firstValue + i; }

int RadioIndex(const RadioSpec& spec, double value) {
  for (int i = 0; i < spec.count; ++i)
    if (value == RadioValue(spec, i)) return i;
  return -1;
}

int ShownRadioIndex(const RadioSpec& spec, double value) {
  const int i = RadioIndex(spec, value);
  return i >= 0 ? i : spec.otherwise;
}

namespace {

bool ClampField(void* record, FieldRef field, double lowest, double highest) {
  const double v = ReadField(record, field);
  double c = v;
  if (!(c >= lowest)) c = lowest;   // NaN too
  if (c > highest) c = highest;
  if (c == v) return false;
  WriteField(record, field, c);
  return true;
}

}  // namespace

int ClampTableFields(const ControlTable& table, void* record) {
  int changed = 0;
  for (const BarSpec& b : table.bars) {
    double lo, hi;
    BarValueRange(b, &lo, &hi);
    changed += ClampField(record, b.field, lo, hi);
  }
  for (const RadioSpec& r : table.radios) {
    if (ShownRadioIndex(r, ReadField(record, r.field)) < 0) {
      WriteField(record, r.field, RadioValue(r, 0));
      ++changed;
    }
  }
  for (const NumberSpec& n : table.numbers) changed += ClampField(record, n.field, n.min, n.max);
  return changed;
}
