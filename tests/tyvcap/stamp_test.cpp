// Stamp layout and drawing, glyph strip, frame conversions, frame counting
// and the Direct3D check rule: everything of the capture library that needs
// no Windows.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "gpurule.h"
#include "stamp.h"

namespace tyvcap {
namespace {

std::vector<uint8_t> Strip() {
  std::vector<uint8_t> strip(kGlyphStripBytes);
  FillGlyphStrip(strip.data());
  return strip;
}

// Lit rows (memory rows, 0 = lowest) of one glyph of the strip.
std::vector<int> LitRows(const std::vector<uint8_t>& strip, int glyph) {
  std::vector<int> rows;
  for (int r = 0; r < kGlyphStripHeight; ++r)
    for (int b = 0; b < kGlyphCellWidth * 3; ++b)
      if (strip[r * kGlyphStripStride + glyph * kGlyphCellWidth * 3 + b]) {
        rows.push_back(r);
        break;
      }
  return rows;
}

TEST(GlyphStrip, EveryGlyphIsWhiteOnBlackInsideTheStampRowsAndDistinct) {
  const auto strip = Strip();
  for (int g = 0; g < kGlyphCount; ++g) {
    const auto rows = LitRows(strip, g);
    ASSERT_FALSE(rows.empty()) << "glyph " << g;
    EXPECT_GE(rows.front(), kStampFirstRow) << "glyph " << g;
    EXPECT_LE(rows.back(), kStampLastRow) << "glyph " << g;
    for (int h = 0; h < g; ++h) {
      bool same = true;
      for (int r = 0; r < kGlyphStripHeight && same; ++r)
        same = memcmp(&strip[r * kGlyphStripStride + g * 24], &strip[r * kGlyphStripStride + h * 24], 24) == 0;
      EXPECT_FALSE(same) << "glyphs " << g << " and " << h << " look alike";
    }
  }
  for (uint8_t byte : strip) ASSERT_TRUE(byte == 0 || byte == 0xFF);
}

TEST(GlyphStrip, FirstRowInMemoryIsTheLowestRowOfTheCell) {
  const auto strip = Strip();
  const auto stop = LitRows(strip, GlyphIndex('.'));
  const auto degree = LitRows(strip, GlyphIndex('G'));
  // The full stop sits on the base line, the degree sign at the top.
  EXPECT_LE(stop.back(), 6);
  EXPECT_GE(degree.front(), 9);
}

TEST(GlyphIndex, CodesMapToTheirGlyphsAndUnknownCodesToZero) {
  const struct {
    int code;
    int glyph;
  } cases[] = {{0, 0}, {7, 7}, {9, 9}, {'G', 10}, {'\'', 11}, {'"', 12}, {'.', 13}, {':', 14}, {'N', 15},
               {'S', 16}, {'W', 17}, {'E', 18}, {'-', 19}, {'m', 20}, {'X', 0}, {10, 0}, {-1, 0}};
  for (const auto& c : cases) EXPECT_EQ(c.glyph, GlyphIndex(c.code)) << "code " << c.code;
}

using Cells = std::vector<StampCell>;

Cells Layout(const StampTime& t, const StampPosition* p) {
  StampCell cells[kMaxStampCells];
  const int n = LayoutStamp(t, p, cells);
  return Cells(cells, cells + n);
}

// The cells of `all` whose column lies in [from, to).
Cells Between(const Cells& all, int from, int to) {
  Cells out;
  for (const auto& c : all)
    if (c.x >= from && c.x < to) out.push_back(c);
  return out;
}

void ExpectCells(const Cells& expected, const Cells& actual) {
  ASSERT_EQ(expected.size(), actual.size());
  for (size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(expected[i].x, actual[i].x) << "cell " << i;
    EXPECT_EQ(expected[i].code, actual[i].code) << "cell at " << expected[i].x;
  }
}

const StampTime kMarch5 = {2009, 3, 5, 7, 4, 9, 250};

TEST(StampLayout, DateAndTimeLeaveOutLeadingZerosOfDayAndHourOnly) {
  ExpectCells({{16, 5}, {24, '.'}, {36, 0}, {44, 3}, {52, '.'}, {64, 2}, {72, 0}, {80, 0}, {88, 9}, {112, 7},
               {120, ':'}, {128, 0}, {136, 4}, {144, ':'}, {152, 0}, {160, 9}, {168, '.'}, {176, 2}, {184, 5}},
              Layout(kMarch5, nullptr));
  const StampTime late = {2010, 12, 31, 23, 59, 58, 999};
  ExpectCells({{8, 3}, {16, 1}, {24, '.'}, {36, 1}, {44, 2}},  Between(Layout(late, nullptr), 0, 50));
  ExpectCells({{104, 2}, {112, 3}}, Between(Layout(late, nullptr), 100, 116));
  ExpectCells({{176, 9}, {184, 9}}, Between(Layout(late, nullptr), 176, 200));
}

TEST(StampLayout, PositionDegreesMinutesTenthsOfSecondsAndHemispheres) {
  const struct {
    StampPosition p;
    Cells longitude, latitude, altitude;
  } cases[] = {
      {{-7.1, 50.8, 67},
       {{224, 7}, {232, 'G'}, {240, 0}, {248, 6}, {256, '\''}, {264, 0}, {272, 0}, {280, '.'}, {288, 0},
        {296, '"'}, {304, 'E'}},
       {{320, 5}, {328, 0}, {336, 'G'}, {344, 4}, {352, 8}, {360, '\''}, {368, 0}, {376, 0}, {384, '.'},
        {392, 0}, {400, '"'}, {408, 'N'}},
       {{440, 6}, {448, 7}, {456, 'm'}}},
      {{0, 0, -12.7},
       {{224, 0}, {232, 'G'}, {240, 0}, {248, 0}, {256, '\''}, {264, 0}, {272, 0}, {280, '.'}, {288, 0},
        {296, '"'}, {304, 'E'}},
       {{328, 0}, {336, 'G'}, {344, 0}, {352, 0}, {360, '\''}, {368, 0}, {376, 0}, {384, '.'}, {392, 0},
        {400, '"'}, {408, 'N'}},
       {{416, '-'}, {440, 1}, {448, 2}, {456, 'm'}}},
      // 123 deg 30' 15.0" west, 33 deg 52' 0.0" south, 2345 m
      {{123.5 + 15.0 / 3600, -(33 + 52.0 / 60), 2345.9},
       {{208, 1}, {216, 2}, {224, 3}, {232, 'G'}, {240, 3}, {248, 0}, {256, '\''}, {264, 1}, {272, 5}, {280, '.'},
        {288, 0}, {296, '"'}, {304, 'W'}},
       {{320, 3}, {328, 3}, {336, 'G'}, {344, 5}, {352, 2}, {360, '\''}, {368, 0}, {376, 0}, {384, '.'},
        {392, 0}, {400, '"'}, {408, 'S'}},
       {{424, 2}, {432, 3}, {440, 4}, {448, 5}, {456, 'm'}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.p.longitude << " " << c.p.latitude << " " << c.p.altitude);
    const Cells all = Layout(kMarch5, &c.p);
    ExpectCells(Layout(kMarch5, nullptr), Between(all, 0, 200));
    ExpectCells(c.longitude, Between(all, 200, 312));
    ExpectCells(c.latitude, Between(all, 312, 416));
    ExpectCells(c.altitude, Between(all, 416, 464));
  }
}

TEST(StampLayout, PositionsNoNumberHoldsDrawAsZero) {
  const StampPosition zero{0, 0, -0.5};
  const StampPosition cases[] = {{std::nan(""), 1e300, -1e12}, {-1e300, std::nan(""), -1e300}};
  for (const auto& p : cases) {
    SCOPED_TRACE(testing::Message() << p.longitude << " " << p.latitude << " " << p.altitude);
    const Cells expected = Between(Layout(kMarch5, &zero), 200, 464);
    ExpectCells(expected, Between(Layout(kMarch5, &p), 200, 464));
  }
}

struct Picture {
  int width, height, stride;
  std::vector<uint8_t> bytes;
  Picture(int w, int h, int s, uint8_t fill) : width(w), height(h), stride(s), bytes(size_t(s) * h + 16, fill) {}
  FrameView View() { return FrameView{bytes.data(), width, height, stride}; }
  const uint8_t* Pixel(int x, int row) const { return &bytes[size_t(row) * stride + 3 * x]; }
};

// The frame's 8 x 12 cell at column x against the strip's glyph, pixel by pixel.
void ExpectCell(const Picture& frame, const std::vector<uint8_t>& strip, int x, int code) {
  for (int r = kStampFirstRow; r <= kStampLastRow; ++r)
    for (int c = 0; c < 8; ++c)
      for (int b = 0; b < 3; ++b)
        ASSERT_EQ(strip[r * kGlyphStripStride + (GlyphIndex(code) * 8 + c) * 3 + b], frame.Pixel(x + c, r)[b])
            << "cell at " << x << ", row " << r << ", column " << c;
}

TEST(Stamp, FrameCellsMatchTheGlyphStripAndNothingElseIsTouched) {
  const auto strip = Strip();
  Picture frame(480, 20, 480 * 3, 0);
  const StampPosition where{-7.1, 50.8, -12.7};
  DrawStamp(frame.View(), strip.data(), kMarch5, &where);
  const Cells cells = Layout(kMarch5, &where);
  std::vector<bool> covered(480, false);
  for (const auto& cell : cells) {
    ExpectCell(frame, strip, cell.x, cell.code);
    for (int c = 0; c < 8; ++c) covered[cell.x + c] = true;
  }
  for (int row = 0; row < 20; ++row)
    for (int x = 0; x < 480; ++x) {
      if (row >= kStampFirstRow && row <= kStampLastRow && covered[x]) continue;
      ASSERT_EQ(0, frame.Pixel(x, row)[0] | frame.Pixel(x, row)[1] | frame.Pixel(x, row)[2])
          << "pixel " << x << ", row " << row;
    }
}

TEST(Stamp, GlyphsBrightenThePictureAndLeaveItElsewhere) {
  const auto strip = Strip();
  Picture frame(200, 14, 600, 0x40);
  DrawStamp(frame.View(), strip.data(), kMarch5, nullptr);
  int lit = 0;
  for (uint8_t b : frame.bytes) {
    ASSERT_TRUE(b == 0x40 || b == 0xFF);
    lit += b == 0xFF;
  }
  EXPECT_GT(lit, 0);
}

TEST(Stamp, IsClippedToFramesSmallerThanIt) {
  const auto strip = Strip();
  const StampPosition where{-123.4, 50.8, 2000};
  const struct {
    int width, height;
  } sizes[] = {{100, 8}, {5, 20}, {461, 14}, {1, 1}};
  for (const auto& s : sizes) {
    SCOPED_TRACE(testing::Message() << s.width << " x " << s.height);
    // Padding and a tail after the last row must stay as they are.
    const int stride = s.width * 3 + 5;
    Picture frame(s.width, s.height, stride, 0);
    for (int row = 0; row < s.height; ++row) memset(&frame.bytes[size_t(row) * stride + s.width * 3], 0x55, 5);
    memset(&frame.bytes[size_t(s.height) * stride], 0x55, 16);
    DrawStamp(frame.View(), strip.data(), kMarch5, &where);
    for (int row = 0; row < s.height; ++row)
      for (int p = 0; p < 5; ++p) ASSERT_EQ(0x55, frame.bytes[size_t(row) * stride + s.width * 3 + p]);
    for (int p = 0; p < 16; ++p) ASSERT_EQ(0x55, frame.bytes[size_t(s.height) * stride + p]);
  }
}

TEST(FrameConversion, ChannelsOfABlueGreenRedPixel) {
  const uint8_t frame[] = {10, 20, 30, 0, 0, 100, 200, 100, 50};
  const struct {
    unsigned channel;
    uint8_t expected[3];
  } cases[] = {{0, {21, 29, 96}}, {1, {30, 100, 50}}, {2, {20, 0, 100}}, {3, {10, 0, 200}}, {4, {20, 25, 112}}};
  for (const auto& c : cases) {
    uint8_t out[3] = {};
    ASSERT_TRUE(ExtractChannel(frame, 3, c.channel, out));
    EXPECT_EQ(0, memcmp(c.expected, out, 3)) << "channel " << c.channel << ": " << int(out[0]) << " "
                                             << int(out[1]) << " " << int(out[2]);
  }
  uint8_t untouched[3] = {7, 7, 7};
  EXPECT_FALSE(ExtractChannel(frame, 3, 5, untouched));
  EXPECT_EQ(7, untouched[0]);
}

TEST(FrameConversion, StandardSamplesAreBytesTimes128) {
  const uint8_t bytes[] = {0, 1, 128, 255};
  int16_t out[4];
  WidenFrame(bytes, 4, out);
  EXPECT_EQ(0, out[0]);
  EXPECT_EQ(128, out[1]);
  EXPECT_EQ(16384, out[2]);
  EXPECT_EQ(32640, out[3]);
}

TEST(FrameConversion, PackRowsDropsPaddingAndNeverOverrunsTheTarget) {
  // Two rows of 5 pixels, padded to 16 bytes.
  std::vector<uint8_t> src(32);
  for (size_t i = 0; i < src.size(); ++i) src[i] = static_cast<uint8_t>(i);
  std::vector<uint8_t> dst(40, 0xEE);
  EXPECT_EQ(30u, PackRows(src.data(), 16, 2, 15, dst.data(), 40));
  EXPECT_EQ(14, dst[14]);
  EXPECT_EQ(16, dst[15]);
  EXPECT_EQ(30, dst[29]);
  EXPECT_EQ(0xEE, dst[30]);
  std::fill(dst.begin(), dst.end(), 0xEE);
  EXPECT_EQ(20u, PackRows(src.data(), 16, 2, 15, dst.data(), 20));
  EXPECT_EQ(0xEE, dst[20]);
}

TEST(FrameCounter, FirstSampleAndDiscontinuitiesRestartAtTwo) {
  FrameCounter f;
  EXPECT_FALSE(f.TakeNew());   // nothing yet: a getter would wait
  f.OnSample(false);
  EXPECT_EQ(2, f.counter);
  EXPECT_TRUE(f.TakeNew());
  EXPECT_FALSE(f.TakeNew());   // two polls between two frames: 1, then 0
  f.OnSample(false);
  f.OnSample(false);
  EXPECT_EQ(4, f.counter);
  EXPECT_TRUE(f.TakeNew());
  f.OnSample(true);
  EXPECT_EQ(2, f.counter);
  EXPECT_TRUE(f.TakeNew());
  // Consumed 2, and the next discontinuity brings 2 again: one more sample is needed.
  f.OnSample(true);
  EXPECT_FALSE(f.TakeNew());
  f.OnSample(false);
  EXPECT_TRUE(f.TakeNew());
  EXPECT_EQ(6, f.callbacks);
  // A new session starts counting anew but the very first sample stays the library's first.
  f.Reset();
  f.OnSample(false);
  EXPECT_EQ(1, f.counter);
}

TEST(StreamingCaps, NeedMoreThanThreeStreamsAndShaderModelThree) {
  const struct {
    int streams, ps, vs;
    bool ok;
  } cases[] = {{16, 0x300, 0x300, true},  {4, 0x300, 0x300, true},   {3, 0x300, 0x300, false},
               {16, 0x200, 0x300, false}, {16, 0x300, 0x2FF, false}, {16, 0x301, 0x400, true},
               {0, 0, 0, false}};
  for (const auto& c : cases)
    EXPECT_EQ(c.ok, StreamingCapsSuffice(c.streams, c.ps, c.vs)) << c.streams << " " << c.ps << " " << c.vs;
}

}  // namespace
}  // namespace tyvcap
