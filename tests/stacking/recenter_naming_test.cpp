// Names of re-centred pictures and groups, and the guard that keeps an
// output off the raw frames it comes from.
#include "stacking/recenter/recenter_naming.h"

#include <gtest/gtest.h>

#include <cctype>
#include <fstream>
#include <string>

#include "stacking/series/series_naming.h"
#include "tests/imageio/picture_fixtures.h"

namespace {

TEST(RecenterNaming, SuffixWidthFollowsTheNumberOfPictures) {
  const struct {
    int32_t outputs;
    const char* format;
  } cases[] = {{1, "_%ld"},      {9, "_%ld"},      {10, "_%02ld"},   {99, "_%02ld"},  {100, "_%03ld"},
               {999, "_%03ld"},  {1000, "_%04ld"}, {9999, "_%04ld"}, {10000, "_%05ld"}, {250000, "_%05ld"}};
  for (const auto& c : cases) EXPECT_STREQ(c.format, RecenterSuffixFormat(c.outputs)) << c.outputs;
}

TEST(RecenterNaming, NamesOfFramesFieldsAndGroups) {
  const struct {
    const char* directory;
    const char* source;
    bool video;
    int32_t number, outputs, field;
    const char* extension;
    const char* expected;
  } cases[] = {
      {"D:\\out", "C:\\v\\jup.avi", true, 0, 250, -1, ".png", "D:\\out\\jup_000.png"},
      {"D:\\out", "C:\\v\\jup.avi", true, 249, 250, -1, ".png", "D:\\out\\jup_249.png"},
      // Two fields a frame: 2i + j among twice the frames.
      {"D:\\out", "C:\\v\\jup.avi", true, 499, 500, -1, ".png", "D:\\out\\jup_499.png"},
      {"D:\\out", "C:\\a\\mars0001.bmp", false, 0, 80, 0, ".tif", "D:\\out\\mars0001_odd.tif"},
      {"D:\\out", "C:\\a\\mars0001.bmp", false, 1, 80, 1, ".tif", "D:\\out\\mars0001_even.tif"},
      {"D:\\out\\", "C:\\a\\mars0001.bmp", false, 0, 40, -1, ".fts", "D:\\out\\mars0001.fts"},
      // 95 frames in groups of 10: count / 10 = 9 gives one digit.
      {"D:\\out", "C:\\v\\jup.AVI", true, 9, 95 / 10, -1, ".bmp", "D:\\out\\jup_9.bmp"},
      {"D:\\o.d", "C:\\v.x\\saturn", false, 0, 1, -1, ".jpg", "D:\\o.d\\saturn.jpg"},
  };
  for (const auto& c : cases) {
    char name[kSeriesPathSize];
    ASSERT_EQ(1, MakeRecenterName(name, sizeof name, c.directory, c.source, c.video, c.number, c.outputs, c.field,
                                  c.extension))
        << c.expected;
    EXPECT_STREQ(c.expected, name);
  }
  char tiny[12] = "x";
  EXPECT_EQ(0, MakeRecenterName(tiny, sizeof tiny, "D:\\out", "C:\\mars0001.bmp", false, 0, 1, -1, ".bmp"));
  EXPECT_STREQ("", tiny);
}

TEST(RecenterNaming, VideosAndGroups) {
  for (const char* v : {"a.avi", "C:\\b.AVI", "c.Avi", "clipavi", "clipAVI"}) EXPECT_TRUE(IsVideoName(v)) << v;
  for (const char* p : {"a.bmp", "avi.png", "", "vi"}) EXPECT_FALSE(IsVideoName(p)) << p;
  EXPECT_FALSE(IsVideoName(nullptr));
  const struct {
    int32_t addNPics, size, count, groups;
  } cases[] = {{10, 10, 95, 10}, {10, 10, 100, 10}, {1, 1, 7, 7}, {0, 1, 7, 7}, {-3, 1, 7, 7},
               {64, 64, 65, 2},  {65, 64, 65, 2},  {3, 3, 0, 0}};
  for (const auto& c : cases) {
    EXPECT_EQ(c.size, RecenterGroupSize(c.addNPics)) << c.addNPics;
    EXPECT_EQ(c.groups, RecenterGroupCount(c.count, c.addNPics)) << c.addNPics << " " << c.count;
  }
}

TEST(RecenterNaming, OutputsThatWouldReplaceRawFrames) {
  pictures::ScratchDir dir;
  for (const char* n : {"mars0001.bmp", "mars0002.bmp", "mars0003.bmp", "jup.avi"})
    std::ofstream(dir / n) << "raw";
  const std::string first = dir / "mars0001.bmp";
  std::string upper = first;
  for (size_t i = first.size() - 12; i < first.size(); ++i) upper[i] = char(std::toupper(upper[i]));
  const struct {
    std::string output;
    std::string source;
    int32_t kind;
    bool overwrites;
  } cases[] = {
      {first, first, kSeriesNumbered, true},
      {upper, first, kSeriesNumbered, true},
      {dir / "mars0003.bmp", first, kSeriesNumbered, true},
      {dir / "mars0004.bmp", first, kSeriesNumbered, false},
      {dir / "mars0002.png", first, kSeriesNumbered, false},
      {dir / "mars0001_odd.bmp", first, kSeriesNumbered, false},
      {dir / "mars0000.bmp", dir / "mars0002.bmp", kSeriesNumbered, false},
      {dir / "sub/mars0001.bmp", first, kSeriesNumbered, false},
      // Every picture of the type in the directory belongs to a directory series.
      {dir / "ergebnis.BMP", first, kSeriesDirectory, true},
      {dir / "ergebnis.png", first, kSeriesDirectory, false},
      {dir / "jup.avi", dir / "jup.avi", kSeriesAvi, true},
      {dir / "jup_000.bmp", dir / "jup.avi", kSeriesAvi, false},
      {"", first, kSeriesNumbered, false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(c.overwrites, OverwritesSeriesInput(c.output.c_str(), c.source.c_str(), c.kind)) << c.output;
  // The other separator names the same file.
  std::string slashed = first;
  for (char& ch : slashed) ch = ch == '/' ? '\\' : ch == '\\' ? '/' : ch;
  EXPECT_TRUE(OverwritesSeriesInput(slashed.c_str(), first.c_str(), kSeriesNumbered));
}

}  // namespace
