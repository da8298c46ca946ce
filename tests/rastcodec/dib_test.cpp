// DIB depth conversions and the position of the pixel rows behind each kind
// of header.

#include "fixtures.h"

namespace {

using namespace fixtures;
using rastcodec::Bytes;
using rastcodec::Put16;
using rastcodec::Put32;

// One row of `width` pixels given as raw bytes, in a DIB of the given depth.
Bytes OneRow(int bits, int width, const std::vector<uint8_t>& row, const uint32_t* masks = nullptr) {
  rastcodec::DibImage img;
  EXPECT_TRUE(masks ? img.CreateBitfields(width, 1, bits, masks) : img.Create(width, 1, bits));
  for (int i = 0; i < (bits <= 8 ? 1 << bits : 0); ++i) img.SetColour(uint32_t(i), PaletteColour(i));
  std::copy(row.begin(), row.end(), img.Row(0));
  return img.data;
}

TEST(DibDepth, ToEightBitsKeepsIndicesAndTable) {
  const struct {
    int bits, width;
    std::vector<uint8_t> row;
    std::vector<uint8_t> indices;
  } cases[] = {
      {1, 9, {0xB0, 0x80}, {1, 0, 1, 1, 0, 0, 0, 0, 1}},
      {4, 3, {0x3F, 0xA0}, {3, 15, 10}},
  };
  for (const auto& c : cases) {
    const Bytes dib = OneRow(c.bits, c.width, c.row);
    Bytes out;
    ASSERT_TRUE(rastcodec::ConvertDibDepth(dib.data(), dib.size(), 8, &out));
    const rastcodec::DibView v = View(out);
    EXPECT_EQ(8, v.bits);
    EXPECT_EQ(c.indices, Indices(out)) << c.bits << " bits";
    for (int i = 0; i < (1 << c.bits); ++i) EXPECT_EQ(PaletteColour(i), v.Colour(uint32_t(i)));
  }
}

TEST(DibDepth, ToTwentyFourBitsGivesColours) {
  const uint32_t masks565[3] = {0xF800, 0x07E0, 0x001F};
  const uint32_t masksRgbx[3] = {0x000000FF, 0x0000FF00, 0x00FF0000};
  const struct {
    const char* name;
    Bytes dib;
    std::vector<Bgr> colours;
  } cases[] = {
      {"1 bit", OneRow(1, 3, {0x40}), {PaletteColour(0), PaletteColour(1), PaletteColour(0)}},
      {"4 bits", OneRow(4, 2, {0x2E}), {PaletteColour(2), PaletteColour(14)}},
      {"8 bits", OneRow(8, 2, {200, 7}), {PaletteColour(200), PaletteColour(7)}},
      {"16 bits 5-5-5", OneRow(16, 4, {0x00, 0x7C, 0xE0, 0x03, 0x1F, 0x00, 0x10, 0x42}),
       {{0, 0, 255}, {0, 255, 0}, {255, 0, 0}, {132, 132, 132}}},
      {"16 bits 5-6-5", OneRow(16, 2, {0x00, 0xF8, 0x20, 0x00}, masks565), {{0, 0, 255}, {0, 4, 0}}},
      {"32 bits", OneRow(32, 2, {1, 2, 3, 99, 250, 0, 128, 0}), {{1, 2, 3}, {250, 0, 128}}},
      {"32 bits R-G-B-X fields", OneRow(32, 1, {1, 2, 3, 99}, masksRgbx), {{3, 2, 1}}},
  };
  for (const auto& c : cases) {
    Bytes out;
    ASSERT_TRUE(rastcodec::ConvertDibDepth(c.dib.data(), c.dib.size(), 24, &out)) << c.name;
    EXPECT_EQ(24, View(out).bits);
    EXPECT_EQ(c.colours, Colours(out)) << c.name;
  }
}

TEST(DibDepth, RefusesWhatIsNotItsToConvert) {
  const Bytes dib24 = Dib24(3, 2), dib8 = Dib8(3, 2, IndexPattern);
  Bytes out;
  EXPECT_FALSE(rastcodec::ConvertDibDepth(dib24.data(), dib24.size(), 24, &out));
  EXPECT_FALSE(rastcodec::ConvertDibDepth(dib8.data(), dib8.size(), 8, &out));
  EXPECT_FALSE(rastcodec::ConvertDibDepth(dib8.data(), dib8.size(), 16, &out));
  EXPECT_TRUE(out.empty());
}

// A bare header of the given size and fields, with room for table and rows.
Bytes Header(uint32_t size, int bits, uint32_t compression = 0, uint32_t coloursUsed = 0) {
  Bytes b(4096, 0);
  Put32(&b[0], size);
  if (size == 12) {
    Put16(&b[4], 2);
    Put16(&b[6], 2);
    Put16(&b[8], 1);
    Put16(&b[10], uint32_t(bits));
  } else {
    Put32(&b[4], 2);
    Put32(&b[8], 2);
    Put16(&b[12], 1);
    Put16(&b[14], uint32_t(bits));
    Put32(&b[16], compression);
    Put32(&b[32], coloursUsed);
    if (compression == 3) Put32(&b[40], 0xF800);
  }
  return b;
}

TEST(DibBits, OffsetBehindHeaderMasksAndTable) {
  const struct {
    const char* name;
    Bytes header;
    int64_t offset;
  } cases[] = {
      {"info 8", Header(40, 8), 40 + 1024},
      {"info 8, 16 colours used", Header(40, 8, 0, 16), 40 + 64},
      {"info 1", Header(40, 1), 48},
      {"info 24", Header(40, 24), 40},
      {"info 24 with a colour table", Header(40, 24, 0, 3), 52},
      {"info 16 with bit fields", Header(40, 16, 3), 52},
      {"V5 16 with bit fields", Header(124, 16, 3), 124},
      {"core 8", Header(12, 8), 12 + 768},
      {"core 24", Header(12, 24), 12},
      {"wide 48", Header(40, 48), 40},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.offset, rastcodec::DibBitsOffset(c.header.data(), c.header.size())) << c.name;
  }
}

// Encoders read DIBs stored top row first just as bottom-up ones.
TEST(DibRows, TopDownDibsAreReadInTheirOrder) {
  const Bytes bottomUp = Dib24(3, 4);
  Bytes topDown = bottomUp;
  const rastcodec::DibView v = View(bottomUp);
  Put32(&topDown[8], uint32_t(-4));
  for (int y = 0; y < 4; ++y) std::copy_n(v.Row(y), v.stride, topDown.begin() + 40 + y * int(v.stride));
  EXPECT_EQ(Colours(bottomUp), Colours(topDown));
  Bytes a, b;
  ASSERT_TRUE(rastcodec::EncodeTiff(bottomUp.data(), bottomUp.size(), TiffOptions{0, 8, 1, 4, 8}, &a));
  ASSERT_TRUE(rastcodec::EncodeTiff(topDown.data(), topDown.size(), TiffOptions{0, 8, 1, 4, 8}, &b));
  EXPECT_EQ(a, b);
}

}  // namespace
