// Broken input: files cut short, of another format, with absurd sizes, and
// DIBs whose headers lie. Everything gives false, and (under the sanitizers
// of the native build) nothing is read or written out of bounds or leaked.

#include "fixtures.h"

namespace {

using namespace fixtures;
using rastcodec::Bytes;
using rastcodec::Put16;
using rastcodec::Put32;

using Decoder = bool (*)(const uint8_t*, size_t, Bytes*);

Bytes Bmp(const Bytes& dib) {
  Bytes b(14 + dib.size(), 0);
  b[0] = 'B';
  b[1] = 'M';
  Put32(&b[2], uint32_t(b.size()));
  Put32(&b[10], uint32_t(14 + rastcodec::DibBitsOffset(dib.data(), dib.size())));
  std::copy(dib.begin(), dib.end(), b.begin() + 14);
  return b;
}

struct Sample {
  const char* name;
  Decoder decode;
  Bytes file;
  size_t optionalTail;   // bytes at the end a reader may do without
};

std::vector<Sample> Samples() {
  const Bytes colour = Dib24(7, 5), palette = Dib8(7, 5, IndexPattern);
  Bytes gif, jpeg, pcx, pcx24, tiff, tiffLzw;
  EXPECT_TRUE(rastcodec::EncodeGif(palette.data(), palette.size(), GifOptions{0, 89, 0, 1, 0}, &gif));
  EXPECT_TRUE(rastcodec::EncodeJpeg(colour.data(), colour.size(), JpegOptions{0, 75, 0}, &jpeg));
  EXPECT_TRUE(rastcodec::EncodePcx(palette.data(), palette.size(), PcxOptions{32, 5, 8, 1}, &pcx));
  EXPECT_TRUE(rastcodec::EncodePcx(colour.data(), colour.size(), PcxOptions{32, 5, 24, 1}, &pcx24));
  EXPECT_TRUE(rastcodec::EncodeTiff(colour.data(), colour.size(), TiffOptions{0, 8, 1, 2, 8}, &tiff));
  EXPECT_TRUE(rastcodec::EncodeTiff(palette.data(), palette.size(), TiffOptions{0, 8, 5, 2, 8}, &tiffLzw));
  return {
      {"GIF", rastcodec::DecodeGif, gif, 1},   // the trailer byte
      {"JPEG", rastcodec::DecodeJpeg, jpeg, 0},
      {"PCX 8", rastcodec::DecodePcx, pcx, 0},
      {"PCX 24", rastcodec::DecodePcx, pcx24, 0},
      {"TIFF", rastcodec::DecodeTiff, tiff, 0},
      {"TIFF LZW", rastcodec::DecodeTiff, tiffLzw, 0},
      {"BMP 24", rastcodec::DecodeBmp, Bmp(colour), 0},
      {"BMP 8", rastcodec::DecodeBmp, Bmp(palette), 0},
  };
}

TEST(BrokenFiles, EveryShorterFileFails) {
  for (const Sample& s : Samples()) {
    SCOPED_TRACE(s.name);
    Bytes dib;
    ASSERT_TRUE(s.decode(s.file.data(), s.file.size(), &dib));
    for (size_t n = 0; n + s.optionalTail < s.file.size(); ++n) {
      // A copy of exactly n bytes, so that reading beyond it is caught.
      const Bytes cut(s.file.begin(), s.file.begin() + long(n));
      Bytes out;
      EXPECT_FALSE(s.decode(cut.data(), cut.size(), &out)) << n << " of " << s.file.size() << " bytes";
      EXPECT_TRUE(out.empty());
    }
  }
}

TEST(BrokenFiles, OtherFormatsAreRefused) {
  const std::vector<Sample> samples = Samples();
  for (const Sample& reader : samples) {
    for (const Sample& file : samples) {
      if (reader.decode == file.decode) continue;
      Bytes out;
      EXPECT_FALSE(reader.decode(file.file.data(), file.file.size(), &out)) << reader.name << " reading " << file.name;
    }
  }
}

// Headers promising pictures far beyond what the files hold.
TEST(BrokenFiles, AbsurdDimensions) {
  Bytes gif = {'G', 'I', 'F', '8', '9', 'a', 0xFF, 0xFF, 0xFF, 0xFF, 0x80, 0, 0};
  gif.resize(gif.size() + 6, 0);   // two colours
  const uint8_t image[] = {',', 0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0, 2, 2, 0x4C, 0x01, 0, ';'};
  gif.insert(gif.end(), std::begin(image), std::end(image));

  Bytes pcx(128 + 64, 0x11);
  pcx[0] = 0x0A; pcx[1] = 5; pcx[2] = 1; pcx[3] = 8;
  Put16(&pcx[4], 0); Put16(&pcx[6], 0); Put16(&pcx[8], 65535); Put16(&pcx[10], 65535);
  pcx[65] = 3;
  Put16(&pcx[66], 65535);

  // Baseline JPEG frame of 65500 x 65500 and the start of its scan, no data.
  const Bytes jpeg = {0xFF, 0xD8, 0xFF, 0xC0, 0, 17, 8, 0xFF, 0xDC, 0xFF, 0xDC, 3, 1, 0x22, 0, 2, 0x11, 0, 3, 0x11, 0,
                      0xFF, 0xDA, 0, 12, 3, 1, 0x00, 2, 0x11, 3, 0x11, 0, 63, 0, 0xFF, 0xD9};

  auto tiff = [](uint32_t w, uint32_t h, uint16_t bits, uint16_t samples) {
    Bytes t(8 + 2 + 8 * 12 + 4 + 64, 0);
    t[0] = 'I'; t[1] = 'I'; t[2] = 42;
    Put32(&t[4], 8);
    Put16(&t[8], 8);
    const uint32_t tags[8][3] = {{256, 4, w}, {257, 4, h}, {258, 3, bits}, {259, 3, 1},
                                 {262, 3, samples == 3 ? 2u : 1u}, {273, 4, 120}, {277, 3, samples}, {279, 4, 64}};
    for (int i = 0; i < 8; ++i) {
      uint8_t* e = &t[10 + 12 * i];
      Put16(e, tags[i][0]);
      Put16(e + 2, tags[i][1]);
      Put32(e + 4, 1);
      Put32(e + 8, tags[i][2]);
    }
    return t;
  };

  auto bmp = [](int32_t w, int32_t h) {
    Bytes b(54 + 16, 0);
    b[0] = 'B'; b[1] = 'M';
    Put32(&b[10], 54);
    Put32(&b[14], 40);
    Put32(&b[18], uint32_t(w));
    Put32(&b[22], uint32_t(h));
    Put16(&b[26], 1);
    Put16(&b[28], 24);
    return b;
  };

  const struct {
    const char* name;
    Decoder decode;
    Bytes file;
  } cases[] = {
      {"GIF 65535 x 65535", rastcodec::DecodeGif, gif},
      {"PCX 65536 x 65536", rastcodec::DecodePcx, pcx},
      {"JPEG 65500 x 65500", rastcodec::DecodeJpeg, jpeg},
      {"TIFF 70000 wide", rastcodec::DecodeTiff, tiff(70000, 2, 8, 1)},
      {"TIFF 65535 x 65535 x 48 bits", rastcodec::DecodeTiff, tiff(65535, 65535, 16, 3)},
      {"TIFF 0 wide", rastcodec::DecodeTiff, tiff(0, 2, 8, 1)},
      {"BMP 2^31 - 1 wide", rastcodec::DecodeBmp, bmp(0x7FFFFFFF, 1)},
      {"BMP 60000 x 60000", rastcodec::DecodeBmp, bmp(60000, 60000)},
      {"BMP height -2^31", rastcodec::DecodeBmp, bmp(2, INT32_MIN)},
  };
  for (const auto& c : cases) {
    Bytes out;
    EXPECT_FALSE(c.decode(c.file.data(), c.file.size(), &out)) << c.name;
  }
}

TEST(BrokenFiles, PcxPaletteMissing) {
  const Bytes palette = Dib8(4, 2, IndexPattern);
  Bytes file;
  ASSERT_TRUE(rastcodec::EncodePcx(palette.data(), palette.size(), PcxOptions{32, 5, 8, 1}, &file));
  file.resize(file.size() - 769);
  Bytes out;
  EXPECT_FALSE(rastcodec::DecodePcx(file.data(), file.size(), &out)) << "version 5 promises a palette";
  // Before version 5 there was none: the indices come with a grey ramp.
  file[1] = 3;
  ASSERT_TRUE(rastcodec::DecodePcx(file.data(), file.size(), &out));
  EXPECT_TRUE(View(out).IsGreyRamp());
  EXPECT_EQ(Indices(palette), Indices(out));
}

// DIBs handed to the writers and converters whose headers do not fit their
// blocks or are no DIB the library can read.
TEST(BrokenDibs, LyingHeadersAreRefusedEverywhere) {
  const Bytes good = Dib24(3, 2);
  const struct {
    const char* name;
    size_t offset;
    uint32_t value;
    int width;   // of the field: 2 or 4 bytes, 0 to cut the block to `value` bytes
  } cases[] = {
      {"more rows than the block holds", 8, 2000, 4},
      {"wider than the block", 4, 0x40000000, 4},
      {"height -2^31", 8, 0x80000000u, 4},
      {"header larger than the block", 0, 1000, 4},
      {"header size 39", 0, 39, 4},
      {"no planes", 12, 0, 2},
      {"2 bits per pixel", 14, 2, 2},
      {"48 bits outside TIFF", 14, 48, 2},
      {"run-length compression", 16, 1, 4},
      {"4 billion colours used", 32, 0xFFFFFFFFu, 4},
      {"block one byte short", 0, uint32_t(good.size() - 1), 0},
      {"block shorter than a header", 0, 20, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Bytes dib = good;
    if (c.width == 4) Put32(&dib[c.offset], c.value);
    if (c.width == 2) Put16(&dib[c.offset], c.value);
    if (c.width == 0) dib.resize(c.value);
    rastcodec::DibView v;
    Bytes out;
    EXPECT_FALSE(rastcodec::ParseDib(dib.data(), dib.size(), rastcodec::DibLayout::Standard, &v));
    EXPECT_FALSE(rastcodec::ConvertDibDepth(dib.data(), dib.size(), 24, &out));
    EXPECT_FALSE(rastcodec::EncodeGif(dib.data(), dib.size(), GifOptions{0, 89, 1, 0, 0}, &out));
    EXPECT_FALSE(rastcodec::EncodeJpeg(dib.data(), dib.size(), JpegOptions{0, 75, 0}, &out));
    EXPECT_FALSE(rastcodec::EncodePcx(dib.data(), dib.size(), PcxOptions{32, 5, 8, 1}, &out));
    EXPECT_FALSE(rastcodec::EncodeTiff(dib.data(), dib.size(), TiffOptions{0, 8, 1, 8, 8}, &out));
    EXPECT_TRUE(out.empty());
  }
}

}  // namespace
