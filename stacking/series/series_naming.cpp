#include "stacking/series/series_naming.h"

#include <cstdio>
#include <cstring>

namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/' || c == ':'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

void CopyCut(char* dst, const char* src, size_t n) {
  if (n >= size_t(kSeriesPathSize)) n = kSeriesPathSize - 1;
  std::memcpy(dst, src, n);
  dst[n] = '\0';
}

}  // namespace

int SplitNumberedName(char* prefix, char* extension, int32_t* numberWidth, int32_t* number, const char* fileName,
                      int32_t sourceKind) {
  prefix[0] = extension[0] = '\0';
  *numberWidth = *number = 0;
  if (!fileName) return 1;
  const size_t length = strnlen(fileName, kSeriesPathSize - 1);
  // The file part starts after the last separator; a dot in a directory
  // name is no extension.
  size_t fileStart = 0;
  for (size_t i = 0; i < length; ++i)
    if (IsSeparator(fileName[i])) fileStart = i + 1;
  size_t dot = length;
  for (size_t i = length; i > fileStart + 1; --i) {
    if (fileName[i - 1] == '.') {
      dot = i - 1;
      break;
    }
  }
  CopyCut(extension, fileName + dot, length - dot);
  size_t digits = dot;
  if (sourceKind == kSeriesNumbered) {
    // The file part's first character never counts as a digit of the number.
    while (digits > fileStart + 1 && IsDigit(fileName[digits - 1]) && dot - digits < size_t(kMaxNumberWidth))
      --digits;
    int32_t value = 0;
    for (size_t i = digits; i < dot; ++i) value = value * 10 + (fileName[i] - '0');
    *numberWidth = int32_t(dot - digits);
    *number = value;
  }
  CopyCut(prefix, fileName, digits);
  return 1;
}

void MakeNumberedName(char* name, const char* prefix, const char* extension, int32_t numberWidth, int32_t number) {
  if (numberWidth < 1 || numberWidth > kMaxNumberWidth) return;
  char built[kSeriesPathSize];
  const int n = std::snprintf(built, sizeof built, "%s%0*ld%s", prefix, int(numberWidth), long(number), extension);
  if (n < 0 || n >= int(sizeof built)) return;
  std::memcpy(name, built, size_t(n) + 1);
}

int FileOpens(const char* fileName) {
  FILE* f = std::fopen(fileName, "rb");
  if (!f) return 0;
  std::fclose(f);
  return 1;
}

int32_t CountNumberedFiles(const char* fileName) {
  char prefix[kSeriesPathSize], extension[kSeriesPathSize], name[kSeriesPathSize] = "";
  int32_t width = 0, number = 0;
  SplitNumberedName(prefix, extension, &width, &number, fileName, kSeriesNumbered);
  if (width == 0) return 0;
  int32_t count = 0;
  while (count < kMaxSeriesFrames) {
    name[0] = '\0';
    MakeNumberedName(name, prefix, extension, width, number + count);
    if (!name[0] || !FileOpens(name)) break;
    ++count;
  }
  return count;
}
