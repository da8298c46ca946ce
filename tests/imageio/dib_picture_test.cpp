// Bitmaps of the conversion library to samples: row order, padding, 8-bit
// scaling and 16-bit halving, and blocks that do not hold what they claim.
#include "imageio/dib_picture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "picture_fixtures.h"

namespace {

using pictures::Bytes;
using pictures::Loaded;

// Info header of w x h at `bits`, then the rows (bytes given as they lie).
Bytes Dib(int32_t w, int32_t h, int bits, const Bytes& rows) {
  Bytes b(40 + rows.size(), 0);
  auto put32 = [&b](size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = uint8_t(v >> (8 * i));
  };
  put32(0, 40);
  put32(4, uint32_t(w));
  put32(8, uint32_t(h));
  b[12] = 1;
  b[14] = uint8_t(bits);
  std::copy(rows.begin(), rows.end(), b.begin() + 40);
  return b;
}

struct Case {
  const char* what;
  DibSamples kind;
  int32_t w, h;
  int bits;
  Bytes rows;
  bool colour;
  std::vector<int16_t> expected;   // top row first
};

class DibConversion : public testing::TestWithParam<Case> {};

TEST_P(DibConversion, SamplesFromTheRows) {
  const Case& c = GetParam();
  const Bytes dib = Dib(c.w, c.h, c.bits, c.rows);
  Loaded l;
  bool tooLarge = true;
  ASSERT_EQ(1, DibToSamples(DibBlock{dib.data(), dib.data() + 40, dib.size() - 40}, c.kind, 99, &l.samples,
                            &l.header, &tooLarge));
  EXPECT_FALSE(tooLarge);
  EXPECT_EQ(c.w, l.header.width);
  EXPECT_EQ(c.h, l.header.height);
  EXPECT_EQ(c.colour ? kColourRgb : 0, l.header.colourType);
  EXPECT_EQ(99, l.header.sourceBits);
  EXPECT_EQ(c.expected, l.Samples());
}

INSTANTIATE_TEST_SUITE_P(
    Depths, DibConversion,
    testing::Values(
        // Rows of 3 bytes padded to 4, the last row in the block is the top one.
        Case{"GreyBottomUpPadded", DibSamples::Grey, 3, 2, 8, {1, 2, 3, 0xEE, 255, 0, 7, 0xEE}, false,
             {255 * 128, 0, 7 * 128, 128, 256, 384}},
        // 2 pixels of blue, green, red: 6 bytes padded to 8.
        Case{"ColourKeepsBlueGreenRed", DibSamples::Colour, 2, 1, 24, {10, 20, 30, 40, 50, 60, 0xEE, 0xEE}, true,
             {1280, 2560, 3840, 5120, 6400, 7680}},
        // 16-bit samples, top row first, unpadded, little-endian.
        Case{"WideGreyTopDownHalved", DibSamples::Wide, 1, 2, 16, {0xFF, 0xFF, 0x02, 0x00}, false, {32767, 1}},
        Case{"WideColour", DibSamples::Wide, 1, 1, 48, {0x00, 0x80, 0x01, 0x00, 0xFE, 0xFF}, true,
             {16384, 0, 32767}}),
    [](const testing::TestParamInfo<Case>& info) { return std::string(info.param.what); });

TEST(DibConversion, RefusesBlocksThatDoNotHoldTheirRows) {
  struct Refused {
    const char* what;
    Bytes dib;
    DibSamples kind;
  };
  for (const Refused& r : {Refused{"depth not of the kind", Dib(2, 1, 24, Bytes(8, 1)), DibSamples::Grey},
                           Refused{"rows cut short", Dib(3, 2, 8, Bytes(7, 1)), DibSamples::Grey},
                           Refused{"top-down", Dib(2, -1, 8, Bytes(4, 1)), DibSamples::Grey},
                           Refused{"no width", Dib(0, 1, 8, Bytes(4, 1)), DibSamples::Grey},
                           Refused{"wide rows cut short", Dib(2, 2, 16, Bytes(7, 1)), DibSamples::Wide},
                           Refused{"wide of 24 bits", Dib(1, 1, 24, Bytes(4, 1)), DibSamples::Wide}}) {
    Loaded l;
    bool tooLarge = true;
    EXPECT_EQ(0, DibToSamples(DibBlock{r.dib.data(), r.dib.data() + 40, r.dib.size() - 40}, r.kind, 8, &l.samples,
                              &l.header, &tooLarge))
        << r.what;
    EXPECT_EQ(nullptr, l.samples) << r.what;
    EXPECT_FALSE(tooLarge) << r.what;
  }
}

TEST(DibConversion, HugePicturesAreReportedAsTooLarge) {
  const Bytes dib = Dib(65535, 65535, 24, Bytes(64, 0));
  Loaded l;
  bool tooLarge = false;
  EXPECT_EQ(0, DibToSamples(DibBlock{dib.data(), dib.data() + 40, dib.size() - 40}, DibSamples::Colour, 24,
                            &l.samples, &l.header, &tooLarge));
  EXPECT_TRUE(tooLarge);
}

}  // namespace
