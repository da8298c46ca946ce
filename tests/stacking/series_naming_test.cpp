// Numbered names: splitting a chosen file into prefix, number and
// extension, building other members of the series, and counting them.
#include "stacking/series/series_naming.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "tests/imageio/picture_fixtures.h"

namespace {

struct SplitCase {
  const char* name;
  int32_t kind;
  const char* prefix;
  const char* extension;
  int32_t width;
  int32_t number;
};

TEST(SeriesNaming, SplitsNamesByKind) {
  const SplitCase cases[] = {
      {"img0099.bmp", kSeriesNumbered, "img", ".bmp", 4, 99},
      {"C:\\bilder\\mars_007.FTS", kSeriesNumbered, "C:\\bilder\\mars_", ".FTS", 3, 7},
      {"C:\\bilder\\mars_007.FTS", kSeriesDirectory, "C:\\bilder\\mars_007", ".FTS", 0, 0},
      {"video.avi", kSeriesAvi, "video", ".avi", 0, 0},
      // A dot in a directory is no extension.
      {"C:\\v1.2\\frame12", kSeriesNumbered, "C:\\v1.2\\frame", "", 2, 12},
      {"/data/run.3/jup_0042.png", kSeriesNumbered, "/data/run.3/jup_", ".png", 4, 42},
      // Camera time stamps: only the last eight digits number the series.
      {"cap20240131235959.bmp", kSeriesNumbered, "cap202401", ".bmp", 8, 31235959},
      {"noNumber.bmp", kSeriesNumbered, "noNumber", ".bmp", 0, 0},
      // The first character of the file part never counts as a digit.
      {"7.bmp", kSeriesNumbered, "7", ".bmp", 0, 0},
      {"a.b.c12.tif", kSeriesNumbered, "a.b.c", ".tif", 2, 12},
      {"", kSeriesNumbered, "", "", 0, 0},
  };
  for (const SplitCase& c : cases) {
    char prefix[kSeriesPathSize], extension[kSeriesPathSize];
    int32_t width = -1, number = -1;
    EXPECT_EQ(1, SplitNumberedName(prefix, extension, &width, &number, c.name, c.kind)) << c.name;
    EXPECT_STREQ(c.prefix, prefix) << c.name;
    EXPECT_STREQ(c.extension, extension) << c.name;
    EXPECT_EQ(c.width, width) << c.name;
    EXPECT_EQ(c.number, number) << c.name;
  }
}

TEST(SeriesNaming, BuildsNamesOfEveryWidth) {
  struct Case {
    int32_t width, number;
    const char* expected;
  } cases[] = {
      {1, 7, "p7.x"},         {3, 7, "p007.x"},        {4, 100, "p0100.x"},   {3, 1000, "p1000.x"},
      {8, 12, "p00000012.x"}, {8, 123456789, "p123456789.x"},
      {0, 5, "unchanged"},    {9, 5, "unchanged"},     {-1, 5, "unchanged"},
  };
  for (const Case& c : cases) {
    char name[kSeriesPathSize] = "unchanged";
    MakeNumberedName(name, "p", ".x", c.width, c.number);
    EXPECT_STREQ(c.expected, name) << c.width << " " << c.number;
  }
}

TEST(SeriesNaming, CountsConsecutiveFiles) {
  pictures::ScratchDir dir;
  for (const char* n : {"img0099.bmp", "img0100.bmp", "img0101.bmp", "img0103.bmp", "s999.bmp", "s1000.bmp"})
    pictures::WriteBytes(dir / n, {1});
  EXPECT_EQ(3, CountNumberedFiles((dir / "img0099.bmp").c_str()));
  EXPECT_EQ(2, CountNumberedFiles((dir / "img0100.bmp").c_str()));
  EXPECT_EQ(2, CountNumberedFiles((dir / "s999.bmp").c_str()));   // the second printed with four digits
  EXPECT_EQ(0, CountNumberedFiles((dir / "img0102.bmp").c_str()));
  EXPECT_EQ(0, CountNumberedFiles((dir / "imgx.bmp").c_str()));
}

}  // namespace
