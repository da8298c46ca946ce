// The formats of the conversion library: what each reader makes of the
// library's bitmaps (grey switch, grey JPEG, 16-bit TIFF, palette BMPs), the
// options the writers hand over, and the readers' messages.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "imageio/picture_files.h"
#include "rastcodec/codecs.h"
#include "rastcodec/rastcodec.h"
#include "picture_fixtures.h"
#include "picture_state.h"
#include "tests/shell/testkit/message_script.h"

namespace {

using pictures::Bytes;
using pictures::Loaded;
using pictures::ScratchDir;

// A movable block holding a copy of the bytes (the library's DIB currency).
HGLOBAL Block(const Bytes& dib) {
  HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, dib.size());
  void* p = GlobalLock(h);
  std::memcpy(p, dib.data(), dib.size());
  GlobalUnlock(h);
  return h;
}

// 8 bits per pixel, 4 x 2, index (x + 4y) * 3 + 1 in a colourful palette.
Bytes PaletteDib() {
  rastcodec::DibImage img;
  EXPECT_TRUE(img.Create(4, 2, 8));
  for (uint32_t i = 0; i < 256; ++i) img.SetColour(i, rastcodec::Bgr{uint8_t(i), uint8_t(255 - i), uint8_t(i / 2)});
  for (int y = 0; y < 2; ++y) {
    for (int x = 0; x < 4; ++x) img.Row(y)[x] = uint8_t((x + 4 * y) * 3 + 1);
  }
  return img.data;
}

int IndexAt(int pixel) { return pixel * 3 + 1; }

class RasterFormats : public PictureStateTest {};

TEST_F(RasterFormats, GifGreySwitchDecidesIndicesOrColours) {
  ScratchDir dir;
  const std::string name = dir / "bunt.gif";
  HGLOBAL dib = Block(PaletteDib());
  ASSERT_TRUE(ConvertDIBtoGIFEx(name.c_str(), dib, &gProgramState.Gif));
  GlobalFree(dib);
  for (int grey : {1, 0}) {
    gProgramState.Gif.GifGrayscale24 = grey;
    Loaded l;
    ASSERT_EQ(1, ReadGifImage(name.c_str(), &l.samples, &l.header)) << grey;
    EXPECT_EQ(8, l.header.sourceBits);
    ASSERT_EQ(grey ? 0 : kColourRgb, l.header.colourType);
    for (int p = 0; p < 8; ++p) {
      const int i = IndexAt(p);
      if (grey) {
        EXPECT_EQ(i * 128, l.samples[p]) << p;
      } else {
        EXPECT_EQ(i * 128, l.samples[3 * p]) << p;
        EXPECT_EQ((255 - i) * 128, l.samples[3 * p + 1]) << p;
        EXPECT_EQ(i / 2 * 128, l.samples[3 * p + 2]) << p;
      }
    }
  }
}

TEST_F(RasterFormats, BmpPaletteDepthsGiveIndices) {
  ScratchDir dir;
  // An 8-bit BMP with a colour palette, and 1- and 4-bit ones by hand.
  const std::string eight = dir / "acht.bmp";
  ASSERT_EQ(1, WriteBmpFileRows(eight.c_str(), PaletteDib().data() + 40 + 1024, 4, 2, 8, nullptr));
  Loaded l8;
  ASSERT_EQ(1, ReadBmpImage(eight.c_str(), &l8.samples, &l8.header));
  EXPECT_EQ(0, l8.header.colourType);
  for (int p = 0; p < 8; ++p) EXPECT_EQ(IndexAt(p) * 128, l8.samples[p]) << p;

  struct Case {
    int bits;
    Bytes rows;   // bottom row first, each padded to 4 bytes
    std::vector<int16_t> expected;
  };
  for (const Case& c : {Case{1, {0x80, 0, 0, 0, 0x40, 0, 0, 0}, {0, 128, 128, 0}},
                        Case{4, {0x12, 0, 0, 0, 0xF3, 0, 0, 0}, {15 * 128, 3 * 128, 128, 256}}}) {
    Bytes file(54 + 4 * (1u << c.bits), 0);
    file[0] = 'B';
    file[1] = 'M';
    file[10] = uint8_t(file.size());
    file[11] = uint8_t(file.size() >> 8);
    file[14] = 40;
    file[18] = 2;
    file[22] = 2;
    file[26] = 1;
    file[28] = uint8_t(c.bits);
    for (size_t i = 54; i < file.size(); ++i) file[i] = uint8_t(i * 37);   // any colours: they are not applied
    file.insert(file.end(), c.rows.begin(), c.rows.end());
    const std::string name = dir / ("tief" + std::to_string(c.bits) + ".bmp");
    pictures::WriteBytes(name, file);
    Loaded l;
    ASSERT_EQ(1, ReadBmpImage(name.c_str(), &l.samples, &l.header)) << c.bits;
    EXPECT_EQ(0, l.header.colourType);
    EXPECT_EQ(8, l.header.sourceBits);
    EXPECT_EQ(c.expected, l.Samples()) << c.bits << " bits";
  }
}

// Top-down files come upright out of the library; run-length coded ones are
// refused (the loader then names the file).
TEST_F(RasterFormats, BmpRowOrderAndRunLength) {
  auto bmp = [](int32_t height, uint32_t compression, int bits, const Bytes& rows) {
    const size_t table = bits == 8 ? 1024 : 0;
    Bytes f(54 + table + rows.size(), 0);
    f[0] = 'B';
    f[1] = 'M';
    f[10] = uint8_t(54 + table);
    f[11] = uint8_t((54 + table) >> 8);
    f[14] = 40;
    f[18] = 1;
    for (int i = 0; i < 4; ++i) f[22 + i] = uint8_t(uint32_t(height) >> (8 * i));
    f[26] = 1;
    f[28] = uint8_t(bits);
    f[30] = uint8_t(compression);
    std::copy(rows.begin(), rows.end(), f.begin() + long(54 + table));
    return f;
  };
  ScratchDir dir;
  // One pixel wide, two rows: the first row in the file is the top one.
  pictures::WriteBytes(dir / "oben.bmp", bmp(-2, 0, 24, {1, 2, 3, 0, 4, 5, 6, 0}));
  Loaded l;
  ASSERT_EQ(1, ReadBmpImage((dir / "oben.bmp").c_str(), &l.samples, &l.header));
  EXPECT_EQ((std::vector<int16_t>{128, 256, 384, 512, 640, 768}), l.Samples());
  // RLE8: a run of one pixel of index 5, end of line, end of bitmap.
  pictures::WriteBytes(dir / "rle.bmp", bmp(1, 1, 8, {1, 5, 0, 0, 0, 1}));
  Loaded rle;
  EXPECT_EQ(0, ReadBmpImage((dir / "rle.bmp").c_str(), &rle.samples, &rle.header));
  EXPECT_EQ(nullptr, rle.samples);
}

TEST_F(RasterFormats, GreyJpegLoadsAsColour) {
  ScratchDir dir;
  const std::string name = dir / "grau.jpg";
  const pictures::Picture p = pictures::MakePicture(8, 8, false, [](size_t) { return 12800; });
  gProgramState.Jpeg.JpegGrayscale = 1;
  ASSERT_EQ(1, SaveImageFile(name.c_str(), "jpg", 1, p.samples.data(), &p.header) != 0);
  Loaded l;
  ASSERT_EQ(1, ReadJpegImage(name.c_str(), &l.samples, &l.header));
  EXPECT_EQ(kColourRgb, l.header.colourType);
  EXPECT_EQ(24, l.header.sourceBits);
  for (int i = 0; i < 64; ++i) {
    EXPECT_EQ(l.samples[3 * i], l.samples[3 * i + 1]);
    EXPECT_EQ(l.samples[3 * i], l.samples[3 * i + 2]);
    EXPECT_NEAR(12800, l.samples[3 * i], 256);
  }
}

// The first value of the file's first quantisation table: 1 at quality 100,
// the baseline limit 255 at quality 1.
int FirstQuantValue(const Bytes& jpeg) {
  for (size_t i = 0; i + 5 < jpeg.size(); ++i) {
    if (jpeg[i] == 0xFF && jpeg[i + 1] == 0xDB) return jpeg[i + 5];
  }
  return -1;
}

TEST_F(RasterFormats, JpegQualityReachesTheLibrary) {
  const pictures::Picture p = pictures::MakePicture(8, 8, true, [](size_t i) { return int(i * 300); });
  ScratchDir dir;
  for (int quality : {1, 100}) {
    gProgramState.Jpeg.JpegQuality = quality;
    const std::string name = dir / ("q" + std::to_string(quality) + ".jpg");
    ASSERT_NE(0, WriteJpegImage(name.c_str(), p.samples.data(), &p.header, &gProgramState, 0, 0, 8, 8));
    EXPECT_EQ(quality == 1 ? 255 : 1, FirstQuantValue(pictures::ReadBytes(name))) << quality;
    EXPECT_EQ(quality, gProgramState.Jpeg.JpegQuality);
  }
}

// 65535 in a 16-bit TIFF loads as 32767 and 32767 is written back as 65534.
TEST_F(RasterFormats, SixteenBitTiffBothWays) {
  rastcodec::DibImage img;
  ASSERT_TRUE(img.Create(2, 1, 16, rastcodec::DibLayout::WideSamples));
  const uint16_t values[2] = {65535, 2};
  std::memcpy(img.Row(0), values, sizeof values);
  ScratchDir dir;
  const std::string name = dir / "tief.tif";
  HGLOBAL dib = Block(img.data);
  TiffOptions wide = gProgramState.Tiff;
  wide.TiffBitPerPixel = 16;
  ASSERT_TRUE(ConvertDIBtoTIFEx(name.c_str(), dib, &wide));
  GlobalFree(dib);

  Loaded l;
  ASSERT_EQ(1, ReadTiffImage(name.c_str(), &l.samples, &l.header));
  EXPECT_EQ(0, l.header.colourType);
  EXPECT_EQ(16, l.header.sourceBits);
  EXPECT_EQ((std::vector<int16_t>{32767, 1}), l.Samples());

  gProgramState.Tiff.TiffSaveBits = 16;
  gProgramState.Tiff.TiffStripsize = 7;
  const std::string back = dir / "zurueck.tif";
  ASSERT_NE(0, WriteTiffImage(back.c_str(), l.samples, &l.header, &gProgramState, 0, 0, 2, 1));
  EXPECT_EQ(16, gProgramState.Tiff.TiffBitPerPixel);
  EXPECT_EQ(1024, gProgramState.Tiff.TiffStripsize);
  const Bytes file = pictures::ReadBytes(back);
  Bytes decoded;
  ASSERT_TRUE(rastcodec::DecodeTiff(file.data(), file.size(), &decoded));
  rastcodec::DibView v;
  ASSERT_TRUE(rastcodec::ParseDib(decoded.data(), decoded.size(), rastcodec::DibLayout::WideSamples, &v));
  ASSERT_EQ(16, v.bits);
  uint16_t written[2];
  std::memcpy(written, v.Row(0), sizeof written);
  EXPECT_EQ(65534, written[0]);
  EXPECT_EQ(2, written[1]);

  gProgramState.Tiff.TiffSaveBits = 8;
  ASSERT_NE(0, WriteTiffImage(back.c_str(), l.samples, &l.header, &gProgramState, 0, 0, 2, 1));
  EXPECT_EQ(8, gProgramState.Tiff.TiffBitPerPixel);
}

// A 48-bit TIFF's rows lie top row first in the library's bitmap.
TEST_F(RasterFormats, FortyEightBitTiffRowsStayUpright) {
  rastcodec::DibImage img;
  ASSERT_TRUE(img.Create(1, 2, 48, rastcodec::DibLayout::WideSamples));
  const uint16_t top[3] = {1000, 2000, 3000}, bottom[3] = {4000, 5000, 6000};
  std::memcpy(img.Row(0), top, sizeof top);
  std::memcpy(img.Row(1), bottom, sizeof bottom);
  ScratchDir dir;
  const std::string name = dir / "farbe.tif";
  HGLOBAL dib = Block(img.data);
  TiffOptions wide = gProgramState.Tiff;
  wide.TiffBitPerPixel = 48;
  ASSERT_TRUE(ConvertDIBtoTIFEx(name.c_str(), dib, &wide));
  GlobalFree(dib);
  Loaded l;
  ASSERT_EQ(1, ReadTiffImage(name.c_str(), &l.samples, &l.header));
  EXPECT_EQ(kColourRgb, l.header.colourType);
  EXPECT_EQ(48, l.header.sourceBits);
  EXPECT_EQ((std::vector<int16_t>{500, 1000, 1500, 2000, 2500, 3000}), l.Samples());
}

TEST_F(RasterFormats, ReadersNameWhatWentWrong) {
  ScratchDir dir;
  const std::string junk = dir / "junk.bin";
  pictures::WriteBytes(junk, Bytes(200, 'j'));
  // A GIF signature with nothing behind it.
  const std::string broken = dir / "kaputt.gif";
  pictures::WriteBytes(broken, Bytes{'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0});
  struct Case {
    int (*read)(const char*, int16_t**, ImageHeader*);
    std::string file;
    const char* message;
  };
  for (const Case& c : {Case{ReadGifImage, junk, "Die Datei ist kein GIF-Format !"},
                        Case{ReadJpegImage, junk, "Die Datei ist kein JPEG-Format !"},
                        Case{ReadPcxImage, junk, "Die Datei ist kein PCX-Format !"},
                        Case{ReadTiffImage, junk, "Die Datei ist kein TIFF-Format !"},
                        Case{ReadGifImage, broken, "GIF-Konvertierung fehlgeschlagen !"}}) {
    MessageBoxScript boxes;
    Loaded l;
    EXPECT_EQ(0, c.read(c.file.c_str(), &l.samples, &l.header)) << c.message;
    EXPECT_EQ(nullptr, l.samples);
    ASSERT_EQ(1u, boxes.Count()) << c.message;
    EXPECT_EQ(c.message, boxes.Box(0).text);
    EXPECT_EQ(nullptr, boxes.Box(0).owner);
    EXPECT_EQ("Fehlermeldung", boxes.Box(0).title);
  }
  MessageBoxScript boxes;
  int16_t sample = 0;
  int16_t* full = &sample;
  ImageHeader h;
  EXPECT_EQ(0, ReadTiffImage(junk.c_str(), &full, &h));
  ASSERT_EQ(1u, boxes.Count());
  EXPECT_EQ("BufferPtr != NULL !", boxes.Box(0).text);
  EXPECT_EQ(0, ReadBmpImage(junk.c_str(), &full, &h));   // silent
  EXPECT_EQ(1u, boxes.Count());
}

}  // namespace
