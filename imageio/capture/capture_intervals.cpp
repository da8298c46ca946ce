#include "capture_intervals.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

const IntervalChoice CaptureIntervalTable[kCaptureIntervalCount] = {
    {"0.2 Sec.", 200},       {"0.5 Sec.", 500},         {"1 Sec.", 1000},         {"2 Sec.", 2000},
    {"3 Sec.", 3000},        {"5 Sec.", 5000},          {"10 Sec.", 10000},       {"15 Sec.", 15000},
    {"20 Sec.", 20000},      {"30 Sec.", 30000},        {"1 Min.", 60000},        {"2 Min.", 120000},
    {"3 Min.", 180000},      {"5 Min.", 300000},        {"10 Min.", 600000},      {"15 Min.", 900000},
    {"20 Min.", 1200000},    {"30 Min.", 1800000},      {"1 Stunde", 3600000},    {"1.5 Stunden", 5400000},
    {"2 Stunden", 7200000},  {"3 Stunde", 10800000},    {"4 Stunden", 14400000},  {"6 Stunden", 21600000},
    {"8 Stunden", 28800000}, {"12 Stunden", 43200000},  {"1 Tag", 86400000},
};

const IntervalChoice FrameStepTable[kFrameStepCount] = {
    {"8 Bilder", 160},  {"12 Bilder", 240}, {"16 Bilder", 320},  {"24 Bilder", 480},  {"32 Bilder", 640},
    {"48 Bilder", 960}, {"64 Bilder", 1280}, {"96 Bilder", 1920}, {"128 Bilder", 2560},
};

int FindIntervalLabel(const IntervalChoice* table, int count, const char* text) {
  if (!text) return -1;
  for (int i = 0; i < count; ++i)
    if (std::strcmp(table[i].label, text) == 0) return i;
  return -1;
}

int FindIntervalMs(const IntervalChoice* table, int count, int32_t ms) {
  for (int i = 0; i < count; ++i)
    if (table[i].ms == ms) return i;
  return -1;
}

void FormatIntervalText(char* out, size_t capacity, int32_t ms, bool integrated) {
  if (!out || capacity == 0) return;
  // Thousandths of a second or of a frame are exact in the text, so a value
  // taken unchanged comes back as it was.
  const double value = integrated ? double(ms) / kIntegratedFrameMs : double(ms) / 1000.0;
  std::snprintf(out, capacity, "%.3f", value);
  char* dot = std::strchr(out, '.');
  if (!dot) return;
  char* end = out + std::strlen(out);
  while (end > dot + 1 && end[-1] == '0') *--end = '\0';
  if (end == dot + 1) *dot = '\0';
}

bool ParseIntervalText(const char* text, bool integrated, int32_t* ms) {
  if (!text) return false;
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%s", text);
  for (char* p = buffer; *p; ++p)
    if (*p == ',') *p = '.';
  const char* start = buffer;
  while (*start == ' ' || *start == '\t') ++start;
  // Only plain decimals: no sign, exponent, hexadecimal or "inf".
  bool digits = false;
  const char* p = start;
  for (; (*p >= '0' && *p <= '9') || *p == '.'; ++p) digits |= *p != '.';
  const char* rest = p;
  while (*rest == ' ' || *rest == '\t') ++rest;
  if (!digits || *rest) return false;
  char* parsed = nullptr;
  const double value = std::strtod(start, &parsed);
  if (parsed != p || !std::isfinite(value)) return false;
  const double scaled = value * (integrated ? kIntegratedFrameMs : 1000.0) + 0.5;
  if (scaled < kMinIntervalMs || scaled >= double(kMaxIntervalMs) + 1.0) return false;
  *ms = int32_t(scaled);
  return true;
}

bool ReadIntervalChoice(const IntervalChoice* table, int count, const char* text, int32_t* ms) {
  const int row = FindIntervalLabel(table, count, text);
  if (row >= 0) {
    *ms = table[row].ms;
    return true;
  }
  return ParseIntervalText(text, false, ms);
}
