// The BMP reader: every header kind and depth it accepts, the ones it refuses.

#include "fixtures.h"

#include <array>

namespace {

using namespace fixtures;
using rastcodec::Bytes;
using rastcodec::Put16;
using rastcodec::Put32;

struct BmpFields {
  uint32_t headerSize;   // 12 core, 40 info, 108 V4, 124 V5
  int32_t width, height; // negative height: top row first
  uint16_t bits;
  uint32_t compression;
  std::array<uint32_t, 3> masks;   // red, green, blue with bit fields
  uint32_t coloursUsed;
  std::function<uint32_t(int x, int y)> pixel;   // index, packed pixel, or 0xRRGGBB for 24 bits
  uint32_t gap = 0;             // bytes between table and pixels
  bool zeroOffset = false;      // pixel offset field left 0
};

Bytes BuildBmp(const BmpFields& s) {
  const bool core = s.headerSize == 12;
  const bool masksAfterHeader = s.compression == 3 && s.headerSize == 40;
  const uint32_t entries = s.coloursUsed ? s.coloursUsed : (s.bits <= 8 ? 1u << s.bits : 0u);
  const uint32_t entrySize = core ? 3 : 4;
  const uint32_t h = uint32_t(std::abs(s.height));
  const uint32_t stride = (uint32_t(s.width) * s.bits + 31) / 32 * 4;
  const uint32_t offset = 14 + s.headerSize + (masksAfterHeader ? 12 : 0) + entries * entrySize + s.gap;
  Bytes b(offset + stride * h, 0);
  b[0] = 'B';
  b[1] = 'M';
  Put32(&b[2], uint32_t(b.size()));
  Put32(&b[10], s.zeroOffset ? 0 : offset);
  uint8_t* hd = &b[14];
  Put32(hd, s.headerSize);
  if (core) {
    Put16(hd + 4, uint32_t(s.width));
    Put16(hd + 6, uint32_t(s.height));
    Put16(hd + 8, 1);
    Put16(hd + 10, s.bits);
  } else {
    Put32(hd + 4, uint32_t(s.width));
    Put32(hd + 8, uint32_t(s.height));
    Put16(hd + 12, 1);
    Put16(hd + 14, s.bits);
    Put32(hd + 16, s.compression);
    Put32(hd + 32, s.coloursUsed);
    // Masks sit at offset 40 both behind an info header and inside V4/V5.
    if (s.compression == 3) {
      for (int i = 0; i < 3; ++i) Put32(hd + 40 + 4 * i, s.masks[i]);
    }
  }
  uint8_t* table = &b[14 + s.headerSize + (masksAfterHeader ? 12 : 0)];
  for (uint32_t i = 0; i < entries; ++i) {
    const Bgr c = PaletteColour(int(i));
    table[i * entrySize] = c.b;
    table[i * entrySize + 1] = c.g;
    table[i * entrySize + 2] = c.r;
  }
  for (uint32_t y = 0; y < h; ++y) {
    uint8_t* row = &b[offset + (s.height < 0 ? y : h - 1 - y) * stride];
    for (int x = 0; x < s.width; ++x) {
      const uint32_t p = s.pixel(x, int(y));
      switch (s.bits) {
        case 1: case 4: case 8: row[x * s.bits / 8] |= uint8_t(p << (8 - s.bits - x * s.bits % 8)); break;
        case 16: Put16(row + 2 * x, p); break;
        case 24: row[3 * x] = uint8_t(p); row[3 * x + 1] = uint8_t(p >> 8); row[3 * x + 2] = uint8_t(p >> 16); break;
        case 32: Put32(row + 4 * x, p); break;
      }
    }
  }
  return b;
}

uint32_t Rgb(int x, int y) { return uint32_t(Pattern(x, y).r) << 16 | uint32_t(Pattern(x, y).g) << 8 | Pattern(x, y).b; }
Bgr RgbColour(int x, int y) { return Pattern(x, y); }
uint8_t Five(int v) { return uint8_t((v * 255 + 15) / 31); }
uint8_t Six(int v) { return uint8_t((v * 255 + 31) / 63); }

struct BmpCase {
  const char* name;
  BmpFields fields;
  int bits;                                    // of the DIB read
  std::function<Bgr(int x, int y)> colour;     // expected colour of each pixel
};

TEST(ReadBmp, HeadersAndDepths) {
  auto index = [](int levels) { return [levels](int x, int y) { return uint32_t((x + 2 * y) % levels); }; };
  auto indexColour = [](int levels) { return [levels](int x, int y) { return PaletteColour((x + 2 * y) % levels); }; };
  const BmpCase cases[] = {
      {"core 24", {12, 3, 2, 24, 0, {}, 0, Rgb}, 24, RgbColour},
      {"core 8", {12, 3, 2, 8, 0, {}, 0, index(256)}, 8, indexColour(256)},
      {"info 1", {40, 10, 3, 1, 0, {}, 0, index(2)}, 1, indexColour(2)},
      {"info 4", {40, 5, 3, 4, 0, {}, 0, index(16)}, 4, indexColour(16)},
      {"info 8, 20 colours", {40, 5, 3, 8, 0, {}, 20, index(20)}, 8, indexColour(20)},
      {"info 24 top-down", {40, 3, -4, 24, 0, {}, 0, Rgb}, 24, RgbColour},
      {"info 24 with a gap before the pixels", {40, 3, 2, 24, 0, {}, 0, Rgb, 16}, 24, RgbColour},
      {"info 24 with no pixel offset", {40, 3, 2, 24, 0, {}, 0, Rgb, 0, true}, 24, RgbColour},
      {"info 32", {40, 3, 2, 32, 0, {}, 0, Rgb}, 32, RgbColour},
      {"info 16 (5-5-5)", {40, 3, 2, 16, 0, {}, 0, [](int x, int y) { return uint32_t(x << 10 | y << 5 | 31); }}, 16,
       [](int x, int y) { return Bgr{Five(31), Five(y), Five(x)}; }},
      {"info 16, 5-6-5 bit fields", {40, 3, 2, 16, 3, {0xF800, 0x07E0, 0x001F}, 0, [](int x, int y) { return uint32_t(x << 11 | (40 + y) << 5 | 7); }},
       16, [](int x, int y) { return Bgr{Five(7), Six(40 + y), Five(x)}; }},
      {"V4 32, reversed bit fields", {108, 3, 2, 32, 3, {0xFF, 0xFF00, 0xFF0000}, 0, [](int x, int y) { return uint32_t(Pattern(x, y).b) << 16 | Pattern(x, y).g << 8 | Pattern(x, y).r; }},
       32, RgbColour},
      {"V5 32, default bit fields", {124, 3, 2, 32, 3, {0xFF0000, 0xFF00, 0xFF}, 0, Rgb}, 32, RgbColour},
      {"V5 8", {124, 3, -2, 8, 0, {}, 0, index(256)}, 8, indexColour(256)},
  };
  for (const BmpCase& c : cases) {
    SCOPED_TRACE(c.name);
    const Bytes file = BuildBmp(c.fields);
    Bytes dib;
    ASSERT_TRUE(rastcodec::DecodeBmp(file.data(), file.size(), &dib));
    const rastcodec::DibView v = View(dib);
    EXPECT_EQ(40u, rastcodec::Get32(dib.data()));
    EXPECT_EQ(c.bits, v.bits);
    EXPECT_EQ(c.fields.width, v.width);
    EXPECT_EQ(std::abs(c.fields.height), v.height);
    EXPECT_FALSE(v.topDown);
    std::vector<Bgr> expected;
    for (int y = 0; y < v.height; ++y) {
      for (int x = 0; x < v.width; ++x) expected.push_back(c.colour(x, y));
    }
    EXPECT_EQ(expected, Colours(dib));
  }
}

// Default masks need no bit fields; other masks travel behind the header.
TEST(ReadBmp, BitFieldsOnlyWhereNeeded) {
  const BmpFields defaultMasks{124, 2, 2, 32, 3, {0xFF0000, 0xFF00, 0xFF}, 0, Rgb};
  const BmpFields ownMasks{40, 2, 2, 16, 3, {0xF800, 0x07E0, 0x001F}, 0, Rgb};
  Bytes a, b;
  const Bytes fa = BuildBmp(defaultMasks), fb = BuildBmp(ownMasks);
  ASSERT_TRUE(rastcodec::DecodeBmp(fa.data(), fa.size(), &a));
  ASSERT_TRUE(rastcodec::DecodeBmp(fb.data(), fb.size(), &b));
  EXPECT_EQ(0u, rastcodec::Get32(a.data() + 16));
  EXPECT_EQ(40, rastcodec::DibBitsOffset(a.data(), a.size()));
  EXPECT_EQ(3u, rastcodec::Get32(b.data() + 16));
  EXPECT_EQ(0xF800u, rastcodec::Get32(b.data() + 40));
  EXPECT_EQ(52, rastcodec::DibBitsOffset(b.data(), b.size()));
}

TEST(ReadBmp, RefusesWhatItCannotRead) {
  auto zero = [](int, int) { return 0u; };
  const struct {
    const char* name;
    BmpFields fields;
  } cases[] = {
      {"RLE8", {40, 4, 2, 8, 1, {}, 0, zero}},
      {"RLE4", {40, 4, 2, 4, 2, {}, 0, zero}},
      {"embedded JPEG", {40, 4, 2, 24, 4, {}, 0, zero}},
      {"2 bits per pixel", {40, 4, 2, 2, 0, {}, 0, zero}},
      {"bit fields at 24 bits", {40, 4, 2, 24, 3, {0xFF0000, 0xFF00, 0xFF}, 0, zero}},
      {"scattered mask", {40, 4, 2, 16, 3, {0xF00F, 0x07E0, 0x001F}, 0, zero}},
      {"mask wider than the pixel", {40, 4, 2, 16, 3, {0x1F0000, 0x07E0, 0x001F}, 0, zero}},
      {"zero width", {40, 0, 2, 24, 0, {}, 0, zero}},
  };
  for (const auto& c : cases) {
    const Bytes file = BuildBmp(c.fields);
    Bytes dib;
    EXPECT_FALSE(rastcodec::DecodeBmp(file.data(), file.size(), &dib)) << c.name;
    EXPECT_TRUE(dib.empty()) << c.name;
  }
}

}  // namespace
