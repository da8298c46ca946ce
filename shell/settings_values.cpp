// One value of "tyvorn.ini" at a time: formatting, the platform call, parsing.
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "shell/settings.h"

namespace {

// Read buffers: numbers get at most 19 characters, strings 251; colours and
// rectangles enough for four full 32-bit numbers.
constexpr DWORD kNumberText = 20;
constexpr DWORD kStringText = 252;
constexpr DWORD kListText = 64;

// Room for "%lf" of the largest double.
constexpr size_t kDoubleText = 400;

DWORD ReadText(const char* path, const char* section, const char* key, const char* def, char* buf, DWORD size) {
  buf[0] = '\0';
  return GetPrivateProfileStringA(section, key, def, buf, size, path);
}

// atol: leading blanks, a sign, digits; anything else ends the number.
int32_t ParseLong(const char* text) {
  const long v = std::strtol(text, nullptr, 10);
  if (v > INT32_MAX) return INT32_MAX;
  if (v < INT32_MIN) return INT32_MIN;
  return int32_t(v);
}

// atof, except that what is no finite number (an overflow, "inf", "nan")
// reads as 0 like any other text that is no number.
double ParseDouble(const char* text) {
  const double v = std::strtod(text, nullptr);
  return std::isfinite(v) ? v : 0.0;
}

// Up to n numbers separated by commas; missing ones are 0.
void ParseList(const char* text, int32_t* out, int n) {
  for (int i = 0; i < n; ++i) out[i] = 0;
  const char* p = text;
  for (int i = 0; i < n && p; ++i) {
    out[i] = ParseLong(p);
    p = std::strchr(p, ',');
    if (p) ++p;
  }
}

void FormatList(char* buf, size_t size, const int32_t* v, int n) {
  size_t used = 0;
  buf[0] = '\0';
  for (int i = 0; i < n && used < size; ++i) {
    const int w = std::snprintf(buf + used, size - used, i ? ",%ld" : "%ld", long(v[i]));
    if (w < 0) break;
    used += size_t(w);
  }
}

void WriteList(const char* path, const char* section, const char* key, const int32_t* v, int n) {
  char buf[kListText];
  FormatList(buf, sizeof buf, v, n);
  WritePrivateProfileStringA(section, key, buf, path);
}

int ReadList(const char* path, const char* section, const char* key, int32_t* value, const int32_t* def, int n) {
  char deftext[kListText];
  char buf[kListText];
  FormatList(deftext, sizeof deftext, def, n);
  if (ReadText(path, section, key, deftext, buf, sizeof buf) == 0) {
    for (int i = 0; i < n; ++i) value[i] = def[i];
    return 0;
  }
  ParseList(buf, value, n);
  return 1;
}

void ColourToList(RGBQUAD c, int32_t out[3]) {
  out[0] = c.rgbRed;
  out[1] = c.rgbGreen;
  out[2] = c.rgbBlue;
}

}  // namespace

void WriteIniLong(const char* path, const char* section, const char* key, long value) {
  char buf[kNumberText + 4];
  std::snprintf(buf, sizeof buf, "%ld", value);
  WritePrivateProfileStringA(section, key, buf, path);
}

void WriteIniDouble(const char* path, const char* section, const char* key, double value) {
  char buf[kDoubleText];
  std::snprintf(buf, sizeof buf, "%lf", value);
  WritePrivateProfileStringA(section, key, buf, path);
}

void WriteIniBool(const char* path, const char* section, const char* key, BOOL value) {
  WritePrivateProfileStringA(section, key, value ? "TRUE" : "FALSE", path);
}

void WriteIniString(const char* path, const char* section, const char* key, const char* value) {
  WritePrivateProfileStringA(section, key, value, path);
}

void WriteIniColour(const char* path, const char* section, const char* key, RGBQUAD value) {
  int32_t rgb[3];
  ColourToList(value, rgb);
  WriteList(path, section, key, rgb, 3);
}

void WriteIniQuad(const char* path, const char* section, const char* key, const int32_t value[4]) {
  WriteList(path, section, key, value, 4);
}

void WriteIniPair(const char* path, const char* section, const char* key, const int32_t value[2]) {
  WriteList(path, section, key, value, 2);
}

int ReadIniLong(const char* path, const char* section, const char* key, int32_t* value, int32_t def) {
  char deftext[kNumberText + 4];
  char buf[kNumberText];
  std::snprintf(deftext, sizeof deftext, "%ld", long(def));
  if (ReadText(path, section, key, deftext, buf, sizeof buf) == 0) {
    *value = def;
    return 0;
  }
  *value = ParseLong(buf);
  return 1;
}

int ReadIniDouble(const char* path, const char* section, const char* key, double* value, double def) {
  char deftext[kDoubleText];
  char buf[kNumberText];
  std::snprintf(deftext, sizeof deftext, "%lf", def);
  if (ReadText(path, section, key, deftext, buf, sizeof buf) == 0) {
    *value = def;
    return 0;
  }
  *value = ParseDouble(buf);
  return 1;
}

int ReadIniBool(const char* path, const char* section, const char* key, BOOL* value, BOOL def) {
  char buf[kNumberText];
  if (ReadText(path, section, key, def ? "TRUE" : "FALSE", buf, sizeof buf) == 0) {
    *value = def ? TRUE : FALSE;
    return 0;
  }
  *value = std::strcmp(buf, "TRUE") == 0 ? TRUE : FALSE;
  return 1;
}

int ReadIniString(const char* path, const char* section, const char* key, char* value, size_t capacity,
                  const char* def) {
  if (capacity == 0) return 0;
  char buf[kStringText];
  const DWORD n = ReadText(path, section, key, def, buf, sizeof buf);
  std::snprintf(value, capacity, "%s", n ? buf : def);
  return n ? 1 : 0;
}

int ReadIniColour(const char* path, const char* section, const char* key, RGBQUAD* value, RGBQUAD def) {
  int32_t defrgb[3];
  int32_t rgb[3];
  ColourToList(def, defrgb);
  const int got = ReadList(path, section, key, rgb, defrgb, 3);
  value->rgbRed = BYTE(rgb[0] & 0xFF);
  value->rgbGreen = BYTE(rgb[1] & 0xFF);
  value->rgbBlue = BYTE(rgb[2] & 0xFF);
  value->rgbReserved = 0;
  return got;
}

int ReadIniQuad(const char* path, const char* section, const char* key, int32_t value[4], const int32_t def[4]) {
  return ReadList(path, section, key, value, def, 4);
}

int ReadIniPair(const char* path, const char* section, const char* key, int32_t value[2], const int32_t def[2]) {
  return ReadList(path, section, key, value, def, 2);
}
