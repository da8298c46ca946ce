#include "stacking/recenter/recenter_naming.h"

#include <cctype>
#include <cstdio>
#include <cstring>
#include <string>

#include "stacking/series/series_naming.h"

namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/' || c == ':'; }

// A name as the file system compares it here: one separator, any case.
std::string Folded(const char* name, size_t length) {
  std::string s(name, length);
  for (char& c : s) c = c == '/' ? '\\' : char(std::tolower(static_cast<unsigned char>(c)));
  return s;
}
std::string Folded(const char* name) { return Folded(name, std::strlen(name)); }

size_t FileStart(const char* name) {
  size_t start = 0;
  for (size_t i = 0; name[i]; ++i)
    if (IsSeparator(name[i])) start = i + 1;
  return start;
}

}  // namespace

const char* RecenterSuffixFormat(int32_t outputs) {
  if (outputs < 10) return "_%ld";
  if (outputs < 100) return "_%02ld";
  if (outputs < 1000) return "_%03ld";
  if (outputs < 10000) return "_%04ld";
  return "_%05ld";
}

bool IsVideoName(const char* name) {
  const size_t n = name ? std::strlen(name) : 0;
  if (n >= 4 && Folded(name + n - 4) == ".avi") return true;
  return n >= 3 && (std::strcmp(name + n - 3, "avi") == 0 || std::strcmp(name + n - 3, "AVI") == 0);
}

int32_t RecenterGroupSize(int32_t addNPics) {
  return addNPics < 1 ? 1 : addNPics > kMaxRecenterGroup ? kMaxRecenterGroup : addNPics;
}

int32_t RecenterGroupCount(int32_t count, int32_t n) {
  n = RecenterGroupSize(n);
  return count <= 0 ? 0 : count / n + (count % n ? 1 : 0);
}

int MakeRecenterName(char* out, size_t capacity, const char* directory, const char* source, bool video,
                     int32_t number, int32_t outputs, int32_t field, const char* extension) {
  if (!out || capacity == 0) return 0;
  out[0] = '\0';
  char prefix[kSeriesPathSize], sourceExtension[kSeriesPathSize];
  int32_t width = 0, ignored = 0;
  SplitNumberedName(prefix, sourceExtension, &width, &ignored, source ? source : "", kSeriesDirectory);
  const char* base = prefix + FileStart(prefix);
  char suffix[32] = "";
  if (video)
    std::snprintf(suffix, sizeof suffix, RecenterSuffixFormat(outputs), long(number));
  else if (field >= 0)
    std::snprintf(suffix, sizeof suffix, "%s", field == 0 ? "_odd" : "_even");
  const size_t d = directory ? std::strlen(directory) : 0;
  const bool ends = d > 0 && (directory[d - 1] == '\\' || directory[d - 1] == '/');
  // The separator the directory itself uses.
  const char* separator = ends || d == 0 ? "" : std::strchr(directory, '\\') || !std::strchr(directory, '/') ? "\\" : "/";
  const int n = std::snprintf(out, capacity, "%s%s%s%s%s", directory ? directory : "", separator, base, suffix,
                              extension ? extension : "");
  if (n < 0 || size_t(n) >= capacity) {
    out[0] = '\0';
    return 0;
  }
  return 1;
}

bool OverwritesSeriesInput(const char* output, const char* source, int32_t sourceKind) {
  if (!output || !source || !output[0] || !source[0]) return false;
  const std::string out = Folded(output), in = Folded(source);
  if (out == in) return true;
  if (sourceKind == kSeriesAvi) return false;
  const size_t outStart = FileStart(output), inStart = FileStart(source);
  if (Folded(output, outStart) != Folded(source, inStart)) return false;
  char outPrefix[kSeriesPathSize], outExtension[kSeriesPathSize], inPrefix[kSeriesPathSize],
      inExtension[kSeriesPathSize];
  int32_t outWidth = 0, outNumber = 0, inWidth = 0, inNumber = 0;
  SplitNumberedName(outPrefix, outExtension, &outWidth, &outNumber, output, kSeriesNumbered);
  SplitNumberedName(inPrefix, inExtension, &inWidth, &inNumber, source, kSeriesNumbered);
  if (Folded(outExtension) != Folded(inExtension)) return false;
  if (sourceKind == kSeriesDirectory) return inExtension[0] != '\0';
  // A numbered series: the members from the first one on that exist.
  if (inWidth == 0 || outWidth != inWidth || Folded(outPrefix) != Folded(inPrefix) || outNumber < inNumber)
    return false;
  return outNumber - inNumber < CountNumberedFiles(source);
}
