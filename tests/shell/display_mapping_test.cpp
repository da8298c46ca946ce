// Samples to bitmap rows: levels, strides, bottom-up order, colour steps,
// error diffusion, the bilinear scaling of the picture writers, isophotes
// and the small row helpers.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <set>
#include <vector>

#include "shell/display_mapping.h"

namespace {

DisplaySettings Settings(int steps = 256, int screenBits = 32, int paletteType = 0) {
  DisplaySettings s = {};
  s.paletteType = paletteType;
  s.colourSteps = steps;
  s.screenBits = screenBits;
  s.isophoteDistance = 32;
  s.isophoteColour = {0, 255, 0};
  return s;
}

ImageHeader Header(int w, int h, bool colour) {
  ImageHeader hd;
  InitImageHeader(&hd);
  hd.width = w;
  hd.height = h;
  hd.colourType = colour ? kColourRgb : 0;
  return hd;
}

// Rows of a picture, pre-filled with 0xAA so that unwritten bytes show.
std::vector<uint8_t> Rows(int w, int h, bool colour) {
  return std::vector<uint8_t>(DibRowsSize(w, h, colour), 0xAA);
}

std::vector<uint8_t> Map(const std::vector<int16_t>& samples, int w, int h, bool colour, const DisplaySettings& s) {
  const ImageHeader hd = Header(w, h, colour);
  std::vector<uint8_t> rows = Rows(w, h, colour);
  EXPECT_EQ(1, MapImageRows(rows.data(), samples.data(), &hd, s));
  return rows;
}

TEST(MapImageRows, SampleToLevel) {
  const struct {
    int16_t sample;
    int level;
  } cases[] = {{32767, 255}, {128, 1}, {127, 0}, {0, 0}, {16384, 128}, {-1, 0}, {-32768, 0}};
  for (const auto& c : cases) {
    const std::vector<uint8_t> rows = Map({c.sample}, 1, 1, false, Settings());
    EXPECT_EQ(c.level, rows[0]) << "sample " << c.sample;
  }
}

TEST(MapImageRows, RowsArePaddedToFourBytes) {
  const struct {
    int width;
    bool colour;
    size_t stride;
  } cases[] = {{3, false, 4}, {3, true, 12}, {5, true, 16}, {5, false, 8}, {4, false, 4}, {1, true, 4}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.width << (c.colour ? " colour" : " grey"));
    EXPECT_EQ(c.stride, DibStride(c.width, c.colour ? 3 : 1));
    const int spp = c.colour ? 3 : 1;
    std::vector<int16_t> samples(size_t(c.width) * 2 * spp, int16_t(255 << 7));
    const std::vector<uint8_t> rows = Map(samples, c.width, 2, c.colour, Settings());
    ASSERT_EQ(2 * c.stride, rows.size());
    for (size_t i = 0; i < rows.size(); ++i)
      EXPECT_EQ(i % c.stride < size_t(c.width * spp) ? 255 : 0, rows[i]) << "byte " << i;
  }
}

TEST(MapImageRows, FirstPictureRowIsTheLastBufferRow) {
  // 3 x 3 grey, row r holding levels 10r + x.
  std::vector<int16_t> samples;
  for (int r = 0; r < 3; ++r)
    for (int x = 0; x < 3; ++x) samples.push_back(int16_t((10 * r + x) << 7));
  const std::vector<uint8_t> rows = Map(samples, 3, 3, false, Settings());
  const uint8_t expected[] = {20, 21, 22, 0, 10, 11, 12, 0, 0, 1, 2, 0};
  EXPECT_EQ(std::vector<uint8_t>(std::begin(expected), std::end(expected)), rows);
}

TEST(MapImageRows, ColourIsCutToTheColourSteps) {
  // Level 100 (sample 12800 + 77) in one channel for each step count.
  const struct {
    int steps;
    int level, inverse;
  } cases[] = {
      {8, 64, 191},      // below half: 0 + 64
      {16, 96, 159},     // 64 + 32
      {32, 112, 143},    // 96 + 16
      {64, 104, 151},    // 96 + 8
      {128, 102, 153},   // 100 + 2
      {256, 100, 155},
      {77, 100, 155},    // unknown counts as 256
  };
  for (const auto& c : cases) {
    const std::vector<int16_t> pixel = {12877, 12877, 12877};
    EXPECT_EQ(c.level, Map(pixel, 1, 1, true, Settings(c.steps))[0]) << c.steps;
    EXPECT_EQ(c.inverse, Map(pixel, 1, 1, true, Settings(c.steps, 32, 1))[0]) << c.steps << " inverse";
  }
  // The inverse keeps dark dark and bright bright apart at every step count.
  for (int steps : {8, 16, 256}) {
    const DisplaySettings inverse = Settings(steps, 32, 1);
    EXPECT_GT(Map({0, 0, 0}, 1, 1, true, inverse)[0], Map({32767, 32767, 32767}, 1, 1, true, inverse)[0]);
  }
  // Grey pictures take the palette type only through the colour table.
  EXPECT_EQ(100, Map({12877}, 1, 1, false, Settings(8, 32, 1))[0]);
}

TEST(MapImageRows, ErrorDiffusionOnEightBitScreens) {
  // 2 x 2 of level 50 in all channels: 50 -> 85 (error -35: -14 right and
  // down, -9 down-right); 36 -> 0 (error 36: +13 down); below: 36 -> 0
  // (+13 right) and 41 + 13 + 13 = 67 -> 85.
  const std::vector<int16_t> samples(12, int16_t(50 << 7));
  const std::vector<uint8_t> rows = Map(samples, 2, 2, true, Settings(256, 8));
  const uint8_t top[] = {85, 85, 85, 0, 0, 0};
  const uint8_t bottom[] = {0, 0, 0, 85, 85, 85};
  EXPECT_EQ(0, std::memcmp(rows.data() + 8, top, 6));
  EXPECT_EQ(0, std::memcmp(rows.data(), bottom, 6));
  EXPECT_EQ(0, rows[6]);   // padding
  EXPECT_EQ(0, rows[7]);

  // A flat field keeps its brightness on average, in four values per channel.
  const int w = 32, h = 32;
  std::vector<int16_t> flat(size_t(w) * h * 3);
  for (size_t i = 0; i < flat.size(); ++i) flat[i] = int16_t((i % 3 == 0 ? 100 : i % 3 == 1 ? 200 : 30) << 7);
  const std::vector<uint8_t> out = Map(flat, w, h, true, Settings(256, 8));
  double sum[3] = {};
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < 3 * w; ++x) {
      const uint8_t v = out[size_t(y) * DibStride(w, 3) + x];
      EXPECT_TRUE(v == 0 || v == 85 || v == 170 || v == 255) << int(v);
      sum[x % 3] += v;
    }
  EXPECT_NEAR(100, sum[0] / (w * h), 4);
  EXPECT_NEAR(200, sum[1] / (w * h), 4);
  EXPECT_NEAR(30, sum[2] / (w * h), 4);
}

std::vector<uint8_t> Scale(const std::vector<int16_t>& samples, int w, int h, bool colour, int outW, int outH,
                           int sourceHeight = 0, int bits = 24, const DisplaySettings& s = Settings()) {
  const ImageHeader hd = Header(w, h, colour);
  std::vector<uint8_t> rows = Rows(outW, outH, colour);
  EXPECT_EQ(1, ScaleImageRows(rows.data(), samples.data(), outW, outH, sourceHeight, bits, &hd, s));
  return rows;
}

TEST(ScaleImageRows, AtTheSameSizeItIsTheDisplayMapping) {
  std::vector<int16_t> samples;
  for (int i = 0; i < 5 * 3; ++i) samples.push_back(int16_t(i * 2000 + 77));
  EXPECT_EQ(Map(samples, 5, 3, false, Settings()), Scale(samples, 5, 3, false, 5, 3));
}

TEST(ScaleImageRows, InterpolatesBilinearlyAndFillsEveryRow) {
  // 2 x 2 grey, dark top row, bright bottom row, scaled to 4 x 4: positions
  // in sixteenths 0, 8, 16, 16 (clamped) on both axes.
  const std::vector<int16_t> samples = {0, 32767, 0, 32767 - 16384};
  const std::vector<uint8_t> rows = Scale(samples, 2, 2, false, 4, 4);
  const uint8_t expected[4][4] = {
      {0, 127, 255, 255},   // picture row 0 (buffer row 3)
      {0, 95, 191, 191},    // halfway down
      {0, 63, 127, 127},    // the second source row
      {0, 63, 127, 127},
  };
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c) EXPECT_EQ(expected[r][c], rows[size_t(3 - r) * 4 + c]) << r << "," << c;
}

TEST(ScaleImageRows, ReadsOnlyInsideThePictureAndTheSourceRows) {
  // A single pixel scaled up: the neighbours beyond it carry no weight and
  // must not be read (the sanitizers check).
  const uint8_t white[12] = {255, 255, 255, 0, 255, 255, 255, 0, 255, 255, 255, 0};
  EXPECT_EQ(std::vector<uint8_t>(white, white + 12), Scale({32767}, 1, 1, false, 3, 3));
  // Only the first two rows of four are read.
  const std::vector<uint8_t> rows = Scale({0, 0, 32767, 32767}, 1, 4, false, 1, 4, 2);
  EXPECT_EQ(std::vector<uint8_t>(16, 0), rows);
}

TEST(ScaleImageRows, ColourStepsAndFiveLevelDiffusion) {
  // Level 100 in every channel.
  const std::vector<int16_t> pixel(3, int16_t(100 << 7));
  EXPECT_EQ(64, Scale(pixel, 1, 1, true, 1, 1, 0, 24, Settings(8))[0]);
  EXPECT_EQ(100, Scale(pixel, 1, 1, true, 1, 1, 0, 24, Settings(256, 32, 1))[0]) << "no inversion here";
  std::vector<int16_t> flat(size_t(8) * 8 * 3, int16_t(100 << 7));
  const std::vector<uint8_t> dithered = Scale(flat, 8, 8, true, 16, 16, 0, 8);
  std::set<int> values;
  double sum = 0;
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 48; ++x) {
      values.insert(dithered[size_t(y) * 48 + x]);
      sum += dithered[size_t(y) * 48 + x];
    }
  for (int v : values) EXPECT_EQ(0, v % 63) << v;
  EXPECT_NEAR(100, sum / (16 * 48), 4);
}

TEST(DrawIsophoteRows, MarksBandChangesAndLowersWhiteElsewhere) {
  DisplaySettings s = Settings();
  s.isophotes = true;
  const struct {
    uint8_t row0[3], row1[3];    // buffer rows; row 1 is the last and never marked
    uint8_t expected0[3], expected1[3];
  } cases[] = {
      {{10, 40, 255}, {10, 10, 10}, {255, 255, 254}, {10, 10, 10}},    // to the right
      {{10, 10, 10}, {100, 10, 10}, {255, 10, 10}, {100, 10, 10}},     // in the next row
      {{255, 255, 255}, {255, 255, 255}, {254, 254, 254}, {254, 254, 254}},
      {{31, 32, 40}, {31, 32, 63}, {255, 32, 40}, {31, 32, 63}},       // bands of 32
  };
  for (const auto& c : cases) {
    uint8_t rows[8] = {c.row0[0], c.row0[1], c.row0[2], 0, c.row1[0], c.row1[1], c.row1[2], 0};
    ASSERT_EQ(1, DrawIsophoteRows(rows, 3, 2, false, s));
    EXPECT_EQ(0, std::memcmp(rows, c.expected0, 3)) << int(rows[0]) << " " << int(rows[1]) << " " << int(rows[2]);
    EXPECT_EQ(0, std::memcmp(rows + 4, c.expected1, 3));
  }

  // Colour: band of b/6 + g/2 + r/3; marked pixels take the isophote colour.
  uint8_t colour[16] = {0, 0, 0, 255, 255, 255, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  ASSERT_EQ(1, DrawIsophoteRows(colour, 2, 2, true, s));
  const uint8_t marked[6] = {0, 255, 0, 255, 255, 255};
  EXPECT_EQ(0, std::memcmp(colour, marked, 6));

  // Off: nothing changes. A distance of 0 counts as 1.
  s.isophotes = false;
  uint8_t untouched[8] = {255, 0, 0, 0, 0, 0, 0, 0};
  EXPECT_EQ(0, DrawIsophoteRows(untouched, 3, 2, false, s));
  EXPECT_EQ(255, untouched[0]);
  s.isophotes = true;
  s.isophoteDistance = 0;
  EXPECT_EQ(1, DrawIsophoteRows(untouched, 3, 2, false, s));
}

TEST(BuildColourTable, StepsTypesIsophoteEntryAndHalving) {
  DisplaySettings s = Settings(8, 32, 0);
  Bgr table[256];
  BuildColourTable(table, 0, s, false);
  EXPECT_EQ((Bgr{16, 16, 16}), table[0]);
  EXPECT_EQ((Bgr{16, 16, 16}), table[31]);
  EXPECT_EQ((Bgr{240, 240, 240}), table[255]);
  s.colourSteps = 256;
  BuildColourTable(table, 11, s, false);   // forced "Farbkreis"
  EXPECT_EQ(LevelColour(100, 23, s.colours), table[100]);
  s.paletteType = 1;
  BuildColourTable(table, 6, s, false);    // forced grey
  EXPECT_EQ((Bgr{100, 100, 100}), table[100]);
  s.isophotes = true;
  BuildColourTable(table, 0, s, true);
  EXPECT_EQ((Bgr{0, 127, 0}), table[255]);
  EXPECT_EQ((Bgr{77, 77, 77}), table[100]) << "inverse of 100, halved";
}

TEST(FillColourBarRows, LevelsAlongTheBarThroughTheCurve) {
  uint8_t rows[16];
  FillColourBarRows(rows, 8, 2, false, nullptr);
  const uint8_t along[8] = {0, 32, 64, 96, 128, 159, 191, 223};
  EXPECT_EQ(0, std::memcmp(rows, along, 8));
  EXPECT_EQ(0, std::memcmp(rows + 8, along, 8));

  // Through a curve, clamped to 0..254; an undefined value gives 0.
  double curve[256];
  for (int i = 0; i < 256; ++i) curve[i] = 300.0 - 2 * i;
  FillColourBarRows(rows, 8, 2, false, curve);
  EXPECT_EQ(254, rows[0]);
  EXPECT_EQ(236, rows[1]);
  EXPECT_EQ(0, rows[7]);
  for (double& v : curve) v = std::numeric_limits<double>::quiet_NaN();
  FillColourBarRows(rows, 8, 2, false, curve);
  EXPECT_EQ(std::vector<uint8_t>(16, 0), std::vector<uint8_t>(rows, rows + 16));

  FillColourBarRows(rows, 4, 4, true, nullptr);
  EXPECT_EQ(0, rows[0]);
  EXPECT_EQ(191, rows[12]) << "vertical: along the rows from the bottom";
}

TEST(QuantiseDibColours, CutsBytesToTheirStep) {
  uint8_t rows[8] = {0, 31, 32, 200, 255, 1, 2, 3};
  QuantiseDibColours(rows, 5, 1, 8);
  const uint8_t expected[8] = {0, 0, 32, 192, 224, 1, 2, 3};   // padding untouched
  EXPECT_EQ(0, std::memcmp(rows, expected, 8));
}

TEST(SubsampleForZoom, TakesEveryNthSampleAndLeavesTheOutsideAlone) {
  // 5 x 4 grey, sample = 10 y + x; n = 2 from reduced (1, 0): source
  // columns 2, 4, (6 outside), rows 0, 2.
  const ImageHeader hd = Header(5, 4, false);
  std::vector<int16_t> src;
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 5; ++x) src.push_back(int16_t(10 * y + x));
  std::vector<int16_t> dst(6, -7);
  SubsampleForZoom(dst.data(), 3, 2, src.data(), &hd, 2, 1, 0);
  EXPECT_EQ((std::vector<int16_t>{2, 4, -7, 22, 24, -7}), dst);
}

TEST(ComposeShiftOverlay, SumsTheOverlapOnly) {
  const ImageHeader hd = Header(2, 1, false);
  const std::vector<int16_t> a = {256 * 10, 256 * 20}, b = {256 * 1, 256 * 2};
  uint8_t rows[4] = {9, 9, 9, 9};
  ComposeShiftOverlay(rows, a.data(), b.data(), &hd, 1, 0, false);
  EXPECT_EQ(0, rows[0]);            // B shifted right: nothing over A's first pixel
  EXPECT_EQ(20 + 1, rows[1]);
  const ImageHeader colour = Header(1, 1, true);
  const std::vector<int16_t> ca = {256 * 10, 0, 0}, cb = {256 * 3, 0, 0};
  ComposeShiftOverlay(rows, ca.data(), cb.data(), &colour, 0, 0, true);
  EXPECT_EQ(uint8_t(~10 - 3), rows[0]);
}

TEST(DisplayMapping, BadArgumentsAreRefused) {
  const ImageHeader empty = Header(0, 5, false), negative = Header(-3, 2, true), huge = Header(70000, 70000, true);
  const int16_t sample = 0;
  uint8_t rows[16];
  EXPECT_EQ(0, MapImageRows(rows, &sample, &empty, Settings()));
  EXPECT_EQ(0, MapImageRows(rows, &sample, &negative, Settings()));
  EXPECT_EQ(0, MapImageRows(rows, &sample, &huge, Settings()));
  EXPECT_EQ(0, MapImageRows(rows, nullptr, &empty, Settings()));
  const ImageHeader one = Header(1, 1, false);
  EXPECT_EQ(0, MapImageRows(nullptr, &sample, &one, Settings()));
  EXPECT_EQ(0, ScaleImageRows(rows, &sample, 0, 1, 1, 24, &one, Settings()));
  EXPECT_EQ(0u, DibRowsSize(70000, 70000, true));
}

}  // namespace
