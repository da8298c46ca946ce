#include "picture_formats.h"

#include <cstring>

#include "picture_io.h"
#include "shell/timeconv.h"

namespace {

struct ExtensionRow {
  const char* extension;
  PictureFormat format;
};

// Searched in this order; the first match decides.
constexpr ExtensionRow kExtensions[] = {
    {"BMP", PictureFormat::Bmp},   {"GIF", PictureFormat::Gif},  {"JPG", PictureFormat::Jpeg},
    {"JPEG", PictureFormat::Jpeg}, {"PCX", PictureFormat::Pcx},  {"TIF", PictureFormat::Tiff},
    {"TIFF", PictureFormat::Tiff}, {"FIT", PictureFormat::Fits}, {"FTS", PictureFormat::Fits},
    {"FITS", PictureFormat::Fits}, {"IM", PictureFormat::RawBitmap}, {"PPM", PictureFormat::Ppm},
    {"PNG", PictureFormat::Png},   {"AVI", PictureFormat::Avi},
};

// Upper-cases ASCII letters only: the extensions are ASCII, and an umlaut in
// code page 1252 must not turn into something that matches.
char Upper(char c) { return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c; }

bool SameExtension(const char* candidate, const char* entry) {
  for (; *entry; ++candidate, ++entry) {
    if (Upper(*candidate) != *entry) return false;
  }
  return *candidate == '\0';
}

bool IsSeparator(char c) { return c == '\\' || c == '/' || c == ':'; }

}  // namespace

PictureFormat FormatOfExtension(const char* extension) {
  if (!extension) return PictureFormat::Unknown;
  if (*extension == '.') ++extension;
  for (const ExtensionRow& row : kExtensions) {
    if (SameExtension(extension, row.extension)) return row.format;
  }
  return PictureFormat::Unknown;
}

int IsImageFileName(const char* name) {
  if (!name) return 0;
  const char* dot = std::strrchr(name, '.');
  return FormatOfExtension(dot ? dot + 1 : name) != PictureFormat::Unknown ? 1 : 0;
}

void MetadataFileName(char* out, size_t capacity, const char* fileName) {
  if (!fileName) fileName = "";
  const char* start = fileName;
  for (const char* p = fileName; *p; ++p) {
    if (IsSeparator(*p)) start = p + 1;
  }
  CopyText(out, capacity, start);
}

void MetadataPath(char* out, size_t capacity, const char* currentDirectory, const char* fileName) {
  if (!out || capacity == 0) return;
  if (!currentDirectory) currentDirectory = "";
  char drive = currentDirectory[0] && currentDirectory[1] == ':' ? currentDirectory[0] : 'C';
  if (drive >= 'a' && drive <= 'z') drive = char(drive - 'a' + 'A');
  // The directory without drive and leading backslash; the root adds nothing.
  const char* directory = currentDirectory[0] && currentDirectory[1] == ':' ? currentDirectory + 2 : currentDirectory;
  while (*directory == '\\') ++directory;
  char name[1024];
  MetadataFileName(name, sizeof name, fileName);
  size_t dirLength = std::strlen(directory);
  while (dirLength > 0 && directory[dirLength - 1] == '\\') --dirLength;
  const int written = std::snprintf(out, capacity, "%c:\\%.*s%s%s", drive, int(dirLength), directory,
                                    dirLength ? "\\" : "", name);
  (void)written;   // snprintf cuts to the capacity by itself
}

DateTimeRecord LocalFileStamp(DateTimeRecord utc, int32_t biasMinutes) {
  const JulianDay local = JulianDateFromFields(utc) - biasMinutes / 1440.0;
  // Half a millisecond on top: the fields are floored one by one, and a day
  // fraction a hair below a whole second must not read as 13:59:59.999.
  DateTimeRecord stamp = FieldsFromJulianDate(local + 0.5 / 86400000.0);
  stamp.julianDay = local;
  return stamp;
}
