// GIF, JPEG and PCX files in layouts our writers never produce: built by
// hand or by the libraries' own writers, read by our decoders.

#include "fixtures.h"

#include <cstdio>   // jpeglib.h needs FILE
#include <gif_lib.h>
#include <jpeglib.h>

#include <cstdlib>

namespace {

using namespace fixtures;
using rastcodec::Bytes;
using rastcodec::Put16;

struct PcxFields {
  uint8_t version, encoding, bits, planes;
  uint16_t xMin, xMax, yMax, bytesPerLine;
  std::vector<Bgr> headerPalette;   // up to 16 entries
  Bytes data;                       // pixel stream as stored
};

Bytes BuildPcx(const PcxFields& s) {
  Bytes b(128, 0);
  b[0] = 0x0A;
  b[1] = s.version;
  b[2] = s.encoding;
  b[3] = s.bits;
  Put16(&b[4], s.xMin);
  Put16(&b[8], s.xMax);
  Put16(&b[10], s.yMax);
  for (size_t i = 0; i < s.headerPalette.size(); ++i) {
    b[16 + 3 * i] = s.headerPalette[i].r;
    b[17 + 3 * i] = s.headerPalette[i].g;
    b[18 + 3 * i] = s.headerPalette[i].b;
  }
  b[65] = s.planes;
  Put16(&b[66], s.bytesPerLine);
  b.insert(b.end(), s.data.begin(), s.data.end());
  return b;
}

std::vector<Bgr> Palette(int n) {
  std::vector<Bgr> p;
  for (int i = 0; i < n; ++i) p.push_back(PaletteColour(16 * i + 5));
  return p;
}

TEST(ForeignPcx, LayoutsAndRuns) {
  const Bgr black{0, 0, 0}, white{255, 255, 255};
  const struct {
    const char* name;
    PcxFields fields;
    std::vector<uint8_t> indices;   // expected, top row first (palette pictures)
    std::vector<Bgr> colours;       // expected colours of every pixel
  } cases[] = {
      {"2 bits, one plane", {5, 0, 2, 1, 0, 4, 0, 2, Palette(4), {0x1B, 0x40}}, {0, 1, 2, 3, 1},
       {Palette(4)[0], Palette(4)[1], Palette(4)[2], Palette(4)[3], Palette(4)[1]}},
      {"4 bits, one plane", {5, 0, 4, 1, 0, 2, 0, 2, Palette(16), {0x3F, 0xA0}}, {3, 15, 10},
       {Palette(16)[3], Palette(16)[15], Palette(16)[10]}},
      {"1 bit, three planes", {5, 0, 1, 3, 0, 2, 0, 2, Palette(8), {0xA0, 0, 0x60, 0, 0xC0, 0}}, {5, 6, 3},
       {Palette(8)[5], Palette(8)[6], Palette(8)[3]}},
      {"8 bits, four planes", {5, 0, 8, 4, 0, 1, 0, 2, {}, {10, 20, 30, 40, 50, 60, 1, 2}}, {},
       {Bgr{50, 30, 10}, Bgr{60, 40, 20}}},
      {"runs over the lines' ends", {5, 1, 8, 3, 0, 1, 1, 2, {}, {0xC4, 7, 0xC4, 9, 0xC4, 5}}, {},
       {Bgr{9, 7, 7}, Bgr{9, 7, 7}, Bgr{5, 5, 9}, Bgr{5, 5, 9}}},
      {"empty run", {5, 1, 8, 3, 0, 0, 0, 2, {}, {0xC0, 0x55, 1, 0, 2, 0, 3, 0}}, {}, {Bgr{3, 2, 1}}},
      {"lines longer than the picture", {5, 0, 8, 3, 0, 0, 1, 4, {}, {1, 8, 8, 8, 2, 8, 8, 8, 3, 8, 8, 8, 4, 8, 8, 8, 5, 8, 8, 8, 6, 8, 8, 8}},
       {}, {Bgr{3, 2, 1}, Bgr{6, 5, 4}}},
      {"origin away from 0", {5, 0, 8, 3, 10, 11, 0, 2, {}, {1, 2, 3, 4, 5, 6}}, {}, {Bgr{5, 3, 1}, Bgr{6, 4, 2}}},
      {"version 3 ignores the header palette", {3, 0, 1, 1, 0, 2, 0, 2, Palette(2), {0xA0, 0}}, {1, 0, 1},
       {white, black, white}},
      {"mono without a palette", {5, 0, 1, 1, 0, 2, 0, 2, {}, {0x40, 0}}, {0, 1, 0}, {black, white, black}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const Bytes file = BuildPcx(c.fields);
    ASSERT_TRUE(rastcodec::IsPcx(file.data(), file.size()));
    Bytes dib;
    ASSERT_TRUE(rastcodec::DecodePcx(file.data(), file.size(), &dib));
    EXPECT_EQ(c.indices.empty() ? 24 : 8, View(dib).bits);
    if (!c.indices.empty()) {
      EXPECT_EQ(c.indices, Indices(dib));
    }
    EXPECT_EQ(c.colours, Colours(dib));
  }
}

// A GIF whose first image covers part of its screen, written by giflib.
Bytes GifOnScreen(int screenW, int screenH, int left, int top, int w, int h, bool withLocalMap) {
  Bytes out;
  int error = 0;
  GifFileType* gif = EGifOpen(&out, [](GifFileType* g, const GifByteType* buf, int n) {
    auto* o = static_cast<Bytes*>(g->UserData);
    o->insert(o->end(), buf, buf + n);
    return n;
  }, &error);
  EXPECT_NE(nullptr, gif);
  GifColorType global[4] = {{10, 10, 10}, {20, 20, 20}, {200, 0, 0}, {0, 0, 200}};
  GifColorType local[4] = {{1, 2, 3}, {4, 5, 6}, {7, 8, 9}, {0, 250, 0}};
  ColorMapObject* globalMap = GifMakeMapObject(4, global);
  ColorMapObject* localMap = GifMakeMapObject(4, local);
  EXPECT_EQ(GIF_OK, EGifPutScreenDesc(gif, screenW, screenH, 2, 2, globalMap));
  EXPECT_EQ(GIF_OK, EGifPutImageDesc(gif, left, top, w, h, false, withLocalMap ? localMap : nullptr));
  std::vector<GifPixelType> line(size_t(w), 3);
  for (int y = 0; y < h; ++y) EXPECT_EQ(GIF_OK, EGifPutLine(gif, line.data(), w));
  EXPECT_EQ(GIF_OK, EGifCloseFile(gif, &error));
  GifFreeMapObject(globalMap);
  GifFreeMapObject(localMap);
  return out;
}

TEST(ForeignGif, FirstImageOnItsScreen) {
  // Inside the screen: the rest shows the background (index 2).
  Bytes dib;
  const Bytes inside = GifOnScreen(6, 5, 2, 1, 3, 2, false);
  ASSERT_TRUE(rastcodec::DecodeGif(inside.data(), inside.size(), &dib));
  std::vector<uint8_t> expected(30, 2);
  for (int y = 1; y < 3; ++y) {
    for (int x = 2; x < 5; ++x) expected[size_t(6 * y + x)] = 3;
  }
  EXPECT_EQ(expected, Indices(dib));
  EXPECT_EQ((Bgr{200, 0, 0}), View(dib).Colour(3));   // the screen's colour map

  // A local colour map wins; an image sticking out of its screen stands alone.
  const Bytes outside = GifOnScreen(4, 4, 3, 3, 2, 2, true);
  ASSERT_TRUE(rastcodec::DecodeGif(outside.data(), outside.size(), &dib));
  EXPECT_EQ(std::vector<uint8_t>(4, 3), Indices(dib));
  EXPECT_EQ((Bgr{0, 250, 0}), View(dib).Colour(3));
}

// CMYK JPEGs as Adobe writes them: inks stored inverted.
TEST(ForeignJpeg, AdobeCmyk) {
  jpeg_compress_struct cinfo;
  jpeg_error_mgr err;
  cinfo.err = jpeg_std_error(&err);
  jpeg_create_compress(&cinfo);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&cinfo, &buffer, &size);
  cinfo.image_width = 8;
  cinfo.image_height = 8;
  cinfo.input_components = 4;
  cinfo.in_color_space = JCS_CMYK;
  jpeg_set_defaults(&cinfo);   // writes the Adobe marker for CMYK
  jpeg_set_quality(&cinfo, 100, TRUE);
  jpeg_start_compress(&cinfo, TRUE);
  // Magenta and yellow in full, no cyan, no black: red. Inverted: 255, 0, 0, 255.
  uint8_t row[8 * 4];
  for (int x = 0; x < 8; ++x) {
    row[4 * x] = 255;
    row[4 * x + 1] = 0;
    row[4 * x + 2] = 0;
    row[4 * x + 3] = 255;
  }
  for (int y = 0; y < 8; ++y) {
    JSAMPROW r = row;
    jpeg_write_scanlines(&cinfo, &r, 1);
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  const Bytes file(buffer, buffer + size);
  std::free(buffer);

  Bytes dib;
  ASSERT_TRUE(rastcodec::DecodeJpeg(file.data(), file.size(), &dib));
  EXPECT_EQ(24, View(dib).bits);
  EXPECT_LE(MaxChannelError(std::vector<Bgr>(64, Bgr{0, 0, 255}), Colours(dib)), 3);
}

}  // namespace
