// The arithmetic of capture runs and the capture timer's intervals.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "imageio/capture/capture_intervals.h"
#include "imageio/capture/capture_plan.h"

namespace {

TEST(CapturePlan, FrameLimitByFreeSpaceAndFrameSize) {
  const struct {
    uint64_t freeUnits;
    uint64_t frameBytes;
    int32_t limit;
  } cases[] = {
      {900000, 640 * 480 * 3, 4000},      // 225 units a frame
      {100000000, 640 * 480 * 3, 32768},  // more never
      {1000, 100, 1000},                  // a frame below one unit still takes one
      {1000, 4097, 500},                  // a part of a unit counts whole
      {1000, 0, 32768},                   // unknown format
      {0, 921600, 1},                     // a full disk still leaves the bar a frame
      {uint64_t(1) << 40, 1, 32768},      // free space beyond 32 bits of units
  };
  for (const auto& c : cases)
    EXPECT_EQ(c.limit, CaptureFrameLimit(c.freeUnits, c.frameBytes)) << c.freeUnits << " / " << c.frameBytes;
}

TEST(CapturePlan, FrameBytesAreThreeBytesAPixelWhateverTheFormat) {
  EXPECT_EQ(921600u, CaptureFrameBytes(640, 480));
  EXPECT_EQ(921600u, CaptureFrameBytes(640, -480));   // top-down formats
  EXPECT_EQ(0u, CaptureFrameBytes(0, 480));
  EXPECT_EQ(0u, CaptureFrameBytes(640, 0));
  EXPECT_EQ(uint64_t(65536) * 65536 * 3, CaptureFrameBytes(65536, 65536));
}

TEST(CapturePlan, ReserveKeepsRoomForTheIndexAndTheFramesOnTheirWay) {
  const uint64_t frame = 57600;
  const uint64_t empty = AviReserveBytes(0, frame);
  EXPECT_GT(empty, 64 * frame);
  EXPECT_EQ(empty, AviReserveBytes(-5, frame));
  // Every frame recorded adds its index entries.
  EXPECT_GE(AviReserveBytes(100000, frame) - empty, 100000u * 16);
  // A whole bitmap file fits: headers, palette and padded rows.
  EXPECT_GT(BmpReserveBytes(161, 90, 24), 54u + 484 * 90);
  EXPECT_GT(BmpReserveBytes(161, 90, 8), 54u + 1024 + 164 * 90);
  EXPECT_EQ(BmpReserveBytes(161, 90, 24) - BmpReserveBytes(161, 90, 8), (484u - 164) * 90 - 1024);
}

TEST(CapturePlan, NamesOfTheSeries) {
  const struct {
    const char* file;
    SeriesName kind;
    int32_t number;
    const char* name;
  } cases[] = {
      {"C:\\video.avi", SeriesName::kBmp, 0, "C:\\video000.bmp"},
      {"C:\\video.avi", SeriesName::kBmp, 1, "C:\\video001.bmp"},
      {"C:\\video.avi", SeriesName::kPart, 0, "C:\\video_000.avi"},
      {"C:\\video.avi", SeriesName::kPart, 998, "C:\\video_998.avi"},
      {"C:\\video.avi", SeriesName::kAvi, 2, "C:\\video002.avi"},
      {"C:\\video.avi", SeriesName::kBmp, 12345, "C:\\video12345.bmp"},
      // A real extension, not the last four characters.
      {"C:\\nacht\\mond", SeriesName::kAvi, 0, "C:\\nacht\\mond000.avi"},
      {"C:\\nacht.2009\\mond", SeriesName::kAvi, 0, "C:\\nacht.2009\\mond000.avi"},
      {"C:\\nacht\\mond.mpeg", SeriesName::kAvi, 0, "C:\\nacht\\mond000.avi"},
      {"C:\\nacht\\mars.jupiter.avi", SeriesName::kBmp, 3, "C:\\nacht\\mars.jupiter003.bmp"},
      {"ab", SeriesName::kBmp, 0, "ab000.bmp"},
      {"C:.avi", SeriesName::kBmp, 0, "C:000.bmp"},
  };
  for (const auto& c : cases) {
    char base[1024], name[1024];
    ASSERT_TRUE(CaptureBaseName(c.file, base, sizeof base)) << c.file;
    ASSERT_TRUE(FormatSeriesName(name, sizeof name, base, c.kind, c.number)) << c.file;
    EXPECT_STREQ(c.name, name) << c.file;
  }
}

TEST(CapturePlan, NamesThatDoNotFitAreRefusedNotCut) {
  const std::string longest(1019, 'v');   // + "000.bmp" fills 1026 characters
  char base[1024], name[1024];
  ASSERT_TRUE(CaptureBaseName((longest + ".avi").c_str(), base, sizeof base));
  EXPECT_FALSE(FormatSeriesName(name, sizeof name, base, SeriesName::kBmp, 0));
  EXPECT_STREQ("", name);
  EXPECT_TRUE(FormatSeriesName(name, sizeof name, longest.substr(0, 1016).c_str(), SeriesName::kBmp, 0));
  EXPECT_FALSE(FormatSeriesName(name, sizeof name, longest.substr(0, 1016).c_str(), SeriesName::kPart, 0));
  char small[4];
  EXPECT_FALSE(CaptureBaseName("C:\\video.avi", small, sizeof small));
  EXPECT_STREQ("", small);
}

TEST(CapturePlan, FilesOfASeriesAreKnownByTheirNames) {
  const struct {
    const char* file;
    SeriesName kind;
    int32_t number;   // -1: not of the series
  } cases[] = {
      {"video000.bmp", SeriesName::kBmp, 0},     {"VIDEO012.BMP", SeriesName::kBmp, 12},
      {"video1234.bmp", SeriesName::kBmp, 1234}, {"video_007.avi", SeriesName::kPart, 7},
      {"video007.avi", SeriesName::kAvi, 7},     {"video007.avi", SeriesName::kPart, -1},
      {"video_007.avi", SeriesName::kAvi, -1},   {"video07.bmp", SeriesName::kBmp, -1},
      {"video0007.bmp", SeriesName::kBmp, -1},   {"video.bmp", SeriesName::kBmp, -1},
      {"video00a.bmp", SeriesName::kBmp, -1},    {"video000.avi", SeriesName::kBmp, -1},
      {"videos000.bmp", SeriesName::kBmp, -1},   {"vide000.bmp", SeriesName::kBmp, -1},
  };
  for (const auto& c : cases) {
    int32_t number = -1;
    EXPECT_EQ(c.number >= 0, SeriesNumberOf(c.file, "video", c.kind, &number)) << c.file;
    EXPECT_EQ(c.number, number) << c.file;
  }
}

TEST(CapturePlan, RowsArePaddedToFourBytesInPlace) {
  const int width = 5, rows = 3;
  const size_t rowBytes = width * 3, stride = BmpRowStride(width, 24);
  ASSERT_EQ(16u, stride);
  EXPECT_EQ(164u, BmpRowStride(161, 8));
  EXPECT_EQ(484u, BmpRowStride(161, 24));
  std::vector<uint8_t> buffer(stride * rows, 0xEE);
  for (size_t i = 0; i < rowBytes * rows; ++i) buffer[i] = uint8_t(i + 1);
  PadRowsInPlace(buffer.data(), rows, rowBytes, stride);
  for (int r = 0; r < rows; ++r) {
    for (size_t b = 0; b < rowBytes; ++b) ASSERT_EQ(uint8_t(r * rowBytes + b + 1), buffer[r * stride + b]) << r;
    EXPECT_EQ(0, buffer[r * stride + rowBytes]) << r;
  }
}

TEST(CaptureIntervals, TablesInTheirOrder) {
  EXPECT_STREQ("0.2 Sec.", CaptureIntervalTable[0].label);
  EXPECT_EQ(10000, CaptureIntervalTable[6].ms);
  EXPECT_STREQ("1 Min.", CaptureIntervalTable[10].label);
  EXPECT_STREQ("3 Stunde", CaptureIntervalTable[21].label);
  EXPECT_EQ(86400000, CaptureIntervalTable[26].ms);
  for (int i = 1; i < kCaptureIntervalCount; ++i) EXPECT_LT(CaptureIntervalTable[i - 1].ms, CaptureIntervalTable[i].ms);
  for (int i = 0; i < kFrameStepCount; ++i) {
    int frames = 0;
    ASSERT_EQ(1, std::sscanf(FrameStepTable[i].label, "%d Bilder", &frames));
    EXPECT_EQ(frames * kIntegratedFrameMs, FrameStepTable[i].ms);
  }
  EXPECT_EQ(3, FindIntervalLabel(FrameStepTable, kFrameStepCount, "24 Bilder"));
  EXPECT_EQ(-1, FindIntervalLabel(FrameStepTable, kFrameStepCount, "24 bilder"));
  EXPECT_EQ(6, FindIntervalMs(CaptureIntervalTable, kCaptureIntervalCount, 10000));
  EXPECT_EQ(-1, FindIntervalMs(CaptureIntervalTable, kCaptureIntervalCount, 1500));
}

TEST(CaptureIntervals, ShownAsTypedAndBackUnchanged) {
  const struct {
    int32_t ms;
    bool integrated;
    const char* text;
  } cases[] = {
      {1000, false, "1"},   {1500, false, "1.5"},  {200, false, "0.2"},   {10000, false, "10"},
      {1234, false, "1.234"}, {1, false, "0.001"}, {86400000, false, "86400"},
      {320, true, "16"},    {330, true, "16.5"},   {20, true, "1"},
  };
  for (const auto& c : cases) {
    char text[32];
    FormatIntervalText(text, sizeof text, c.ms, c.integrated);
    EXPECT_STREQ(c.text, text) << c.ms;
    int32_t back = -1;
    ASSERT_TRUE(ParseIntervalText(text, c.integrated, &back)) << text;
    EXPECT_EQ(c.ms, back) << text;
  }
}

TEST(CaptureIntervals, TypedTextIsReadOrRefused) {
  const struct {
    const char* text;
    bool integrated;
    bool ok;
    int32_t ms;
  } cases[] = {
      {"2.5", false, true, 2500}, {" 2,5 ", false, true, 2500}, {"24", true, true, 480}, {".5", false, true, 500},
      {"0.0004", false, false, 0}, {"0", false, false, 0},    {"-5", false, false, 0},   {"abc", false, false, 0},
      {"", false, false, 0},      {"2.5 s", false, false, 0}, {"1e3", false, false, 0},  {"1.2.3", false, false, 0},
      {"86401", false, false, 0}, {"4320001", true, false, 0}, {"inf", false, false, 0}, {".", false, false, 0},
  };
  for (const auto& c : cases) {
    int32_t ms = -7;
    EXPECT_EQ(c.ok, ParseIntervalText(c.text, c.integrated, &ms)) << '"' << c.text << '"';
    EXPECT_EQ(c.ok ? c.ms : -7, ms) << '"' << c.text << '"';
  }
  int32_t ms = 0;
  EXPECT_TRUE(ReadIntervalChoice(FrameStepTable, kFrameStepCount, "24 Bilder", &ms));
  EXPECT_EQ(480, ms);
  EXPECT_TRUE(ReadIntervalChoice(CaptureIntervalTable, kCaptureIntervalCount, "1.5 Stunden", &ms));
  EXPECT_EQ(5400000, ms);
  EXPECT_TRUE(ReadIntervalChoice(CaptureIntervalTable, kCaptureIntervalCount, "7", &ms));   // typed seconds
  EXPECT_EQ(7000, ms);
  EXPECT_FALSE(ReadIntervalChoice(CaptureIntervalTable, kCaptureIntervalCount, "bald", &ms));
  EXPECT_EQ(7000, ms);
}

}  // namespace
