// Extensions, the names of the metadata and the local file time stamp.
#include "imageio/picture_formats.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

TEST(PictureFormats, ExtensionsInAnyCaseWithOrWithoutDot) {
  struct Case {
    const char* extension;
    PictureFormat format;
  };
  for (const Case& c : {Case{"BMP", PictureFormat::Bmp},        Case{".bmp", PictureFormat::Bmp},
                        Case{"gif", PictureFormat::Gif},        Case{"JPG", PictureFormat::Jpeg},
                        Case{".Jpeg", PictureFormat::Jpeg},     Case{"pcx", PictureFormat::Pcx},
                        Case{"Tiff", PictureFormat::Tiff},      Case{".tif", PictureFormat::Tiff},
                        Case{".fts", PictureFormat::Fits},      Case{"FTS", PictureFormat::Fits},
                        Case{"fit", PictureFormat::Fits},       Case{"FITS", PictureFormat::Fits},
                        Case{"im", PictureFormat::RawBitmap},   Case{"PPM", PictureFormat::Ppm},
                        Case{".png", PictureFormat::Png},       Case{"avi", PictureFormat::Avi},
                        Case{"xyz", PictureFormat::Unknown},    Case{"", PictureFormat::Unknown},
                        Case{".", PictureFormat::Unknown},      Case{"..bmp", PictureFormat::Unknown},
                        Case{"bmpx", PictureFormat::Unknown},   Case{"fit ", PictureFormat::Unknown},
                        Case{"J\xC4PG", PictureFormat::Unknown}}) {
    EXPECT_EQ(c.format, FormatOfExtension(c.extension)) << "'" << c.extension << "'";
  }
  EXPECT_EQ(PictureFormat::Unknown, FormatOfExtension(nullptr));
}

TEST(PictureFormats, ImageFileNamesByTheirLastExtension) {
  struct Case {
    const char* name;
    int known;
  };
  for (const Case& c : {Case{"C:\\bilder\\mond.BMP", 1}, Case{"saturn.fits", 1}, Case{"serie.001.png", 1},
                        Case{"jupiter.avi", 1}, Case{"roh.im", 1}, Case{"notiz.txt", 0}, Case{"archiv.fts.gz", 0},
                        Case{"tiff", 1}, Case{"ohne", 0}, Case{"", 0}}) {
    EXPECT_EQ(c.known, IsImageFileName(c.name)) << c.name;
  }
  EXPECT_EQ(0, IsImageFileName(nullptr));
}

TEST(PictureMetadata, FileNameAfterTheLastSeparator) {
  struct Case {
    const char* given;
    const char* name;
  };
  for (const Case& c : {Case{"C:\\bilder\\mond.bmp", "mond.bmp"}, Case{"D:mond.fts", "mond.fts"},
                        Case{"mond.png", "mond.png"}, Case{"C:/bilder/mond.png", "mond.png"},
                        Case{"C:\\bilder\\", ""}}) {
    char out[1024];
    MetadataFileName(out, sizeof out, c.given);
    EXPECT_STREQ(c.name, out) << c.given;
  }
}

// The path comes from the current directory, whatever folder the name gives.
TEST(PictureMetadata, PathFromTheCurrentDirectory) {
  struct Case {
    const char* directory;
    const char* given;
    const char* path;
  };
  for (const Case& c : {Case{"C:\\bilder", "mond.bmp", "C:\\bilder\\mond.bmp"},
                        Case{"d:\\a\\b", "E:\\x\\mond.bmp", "D:\\a\\b\\mond.bmp"},
                        Case{"C:\\", "mond.bmp", "C:\\mond.bmp"}}) {
    char out[1024];
    MetadataPath(out, sizeof out, c.directory, c.given);
    EXPECT_STREQ(c.path, out) << c.directory << " + " << c.given;
  }
}

// Copies into the 1024-character fields stop at their end.
TEST(PictureMetadata, LongNamesAreCutToTheField) {
  const std::string longName = "C:\\" + std::string(3000, 'n') + ".fts";
  const std::string longDirectory = "C:\\" + std::string(2000, 'd');
  ImageMetadata md;
  InitImageMetadata(&md);
  std::memset(md.path, 'x', sizeof md.path);
  MetadataFileName(md.fileName, sizeof md.fileName, longName.c_str());
  MetadataPath(md.path, sizeof md.path, longDirectory.c_str(), longName.c_str());
  EXPECT_EQ(1023u, std::strlen(md.fileName));
  EXPECT_EQ(1023u, strnlen(md.path, sizeof md.path));
  EXPECT_EQ(0, std::strncmp(md.path, "C:\\ddd", 6));
}

DateTimeRecord Utc(int year, int month, int day, int hour, int minute, int second, int ms) {
  DateTimeRecord t{};
  t.year = int16_t(year);
  t.month = int16_t(month);
  t.day = int16_t(day);
  t.hour = int16_t(hour);
  t.minute = int16_t(minute);
  t.second = int16_t(second);
  t.millisecond = int16_t(ms);
  return t;
}

// Bias in minutes as the platform gives it: UTC = local + bias.
TEST(PictureMetadata, LocalStampOfTheLastWrite) {
  struct Case {
    const char* what;
    DateTimeRecord utc;
    int32_t bias;
    int day, month, year, hour, minute, second, ms;
    const char* weekday;
  };
  for (const Case& c : {
           Case{"summer time in Berlin", Utc(2024, 7, 3, 12, 0, 0, 0), -120, 3, 7, 2024, 14, 0, 0, 0, "Mittwoch"},
           Case{"standard time in Berlin", Utc(2024, 1, 3, 12, 0, 0, 0), -60, 3, 1, 2024, 13, 0, 0, 0, "Mittwoch"},
           Case{"over midnight and the year", Utc(2023, 12, 31, 23, 30, 15, 250), -120, 1, 1, 2024, 1, 30, 15, 250,
                "Montag"},
           Case{"west of Greenwich", Utc(2024, 3, 1, 2, 0, 0, 999), 300, 29, 2, 2024, 21, 0, 0, 999, "Donnerstag"},
           Case{"no zone", Utc(2000, 1, 1, 12, 0, 0, 0), 0, 1, 1, 2000, 12, 0, 0, 0, "Samstag"},
       }) {
    const DateTimeRecord s = LocalFileStamp(c.utc, c.bias);
    EXPECT_EQ(c.day, s.day) << c.what;
    EXPECT_EQ(c.month, s.month) << c.what;
    EXPECT_EQ(c.year, s.year) << c.what;
    EXPECT_EQ(c.hour, s.hour) << c.what;
    EXPECT_EQ(c.minute, s.minute) << c.what;
    EXPECT_EQ(c.second, s.second) << c.what;
    EXPECT_EQ(c.ms, s.millisecond) << c.what;
    EXPECT_EQ(0, s.zone) << c.what;
    EXPECT_STREQ(c.weekday, s.weekday) << c.what;
  }
  // The day count is that of the local time.
  const double jd = LocalFileStamp(Utc(2000, 1, 1, 12, 0, 0, 0), -60).julianDay;
  EXPECT_NEAR(2451545.0 + 1.0 / 24, jd, 1e-9);
}

}  // namespace
