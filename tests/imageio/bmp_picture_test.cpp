// Bitmap files as the program writes them, the plain BMP reader and its
// refusals, and headerless "IM" pictures.
#include "imageio/bmp_picture.h"

#include <gtest/gtest.h>

#include "picture_fixtures.h"

namespace {

using pictures::Bytes;
using pictures::Loaded;
using pictures::ScratchDir;

uint32_t Get32(const Bytes& b, size_t at) {
  return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | uint32_t(b[at + 3]) << 24;
}
uint32_t Get16(const Bytes& b, size_t at) { return b[at] | b[at + 1] << 8; }

Bytes Rows(size_t n) {
  Bytes rows(n);
  for (size_t i = 0; i < n; ++i) rows[i] = uint8_t(i * 7 + 1);
  return rows;
}

TEST(BmpFile, HeaderFieldsAsWritten) {
  struct Case {
    int bits;
    int32_t w, h;
    uint32_t stride, palette;
  };
  // A 24-bit picture 3 pixels wide has rows of 12 bytes (9 of pixels, 3 of padding).
  for (const Case& c : {Case{24, 3, 2, 12, 0}, Case{8, 5, 3, 8, 1024}, Case{8, 4, 1, 4, 1024}}) {
    ScratchDir dir;
    const std::string name = dir / "bild.bmp";
    Bgr palette[256];
    for (int i = 0; i < 256; ++i) palette[i] = Bgr{uint8_t(i), uint8_t(255 - i), uint8_t(i / 2)};
    const Bytes rows = Rows(size_t(c.stride) * c.h);
    ASSERT_EQ(1, WriteBmpFileRows(name.c_str(), rows.data(), c.w, c.h, c.bits, palette));
    const Bytes f = pictures::ReadBytes(name);
    const uint32_t offset = 54 + c.palette;
    ASSERT_EQ(offset + rows.size(), f.size());
    struct Field {
      size_t at, width;
      uint32_t value;
    };
    for (const Field& field : {Field{0, 2, 0x4D42}, Field{2, 4, uint32_t(f.size())}, Field{6, 4, 0},
                               Field{10, 4, offset}, Field{14, 4, 40}, Field{18, 4, uint32_t(c.w)},
                               Field{22, 4, uint32_t(c.h)}, Field{26, 2, 1}, Field{28, 2, uint32_t(c.bits)},
                               Field{30, 4, 0}, Field{34, 4, 0}, Field{38, 4, 0}, Field{42, 4, 0}, Field{46, 4, 0},
                               Field{50, 4, 0}}) {
      EXPECT_EQ(field.value, field.width == 2 ? Get16(f, field.at) : Get32(f, field.at))
          << c.bits << " bits, offset " << field.at;
    }
    if (c.palette) {
      EXPECT_EQ(Bytes({7, 248, 3, 0}), Bytes(f.begin() + 54 + 4 * 7, f.begin() + 54 + 4 * 8));
    }
    EXPECT_EQ(rows, Bytes(f.begin() + offset, f.end()));
  }
}

TEST(BmpFile, RefusesBadArguments) {
  ScratchDir dir;
  const Bytes rows = Rows(64);
  EXPECT_EQ(0, WriteBmpFileRows((dir / "a.bmp").c_str(), rows.data(), 2, 2, 16, nullptr));
  EXPECT_EQ(0, WriteBmpFileRows((dir / "a.bmp").c_str(), rows.data(), 0, 2, 8, nullptr));
  EXPECT_EQ(0, WriteBmpFileRows((dir / "fehlt/a.bmp").c_str(), rows.data(), 2, 2, 8, nullptr));
}

TEST(BmpPlain, ReadsWhatTheWriterWrote) {
  for (int bits : {8, 24}) {
    ScratchDir dir;
    const std::string name = dir / "bild.bmp";
    const Bytes rows = Rows(bits == 8 ? 8 * 3 : 16 * 3);
    ASSERT_EQ(1, WriteBmpFileRows(name.c_str(), rows.data(), 5, 3, bits, nullptr));
    uint8_t* buffer = static_cast<uint8_t*>(AllocMem(10));   // a buffer passed in is replaced
    int32_t w = 0, h = 0, b = 0;
    PictureMessage m;
    ASSERT_EQ(1, ReadBmpPlainFile(name.c_str(), &buffer, &w, &h, &b, &m));
    EXPECT_EQ(5, w);
    EXPECT_EQ(3, h);
    EXPECT_EQ(bits, b);
    EXPECT_EQ(rows, Bytes(buffer, buffer + rows.size()));
    FreeMem(&buffer);
  }
}

// A bitmap header by hand: 8 bits, 4 x 2, the given fields changed.
Bytes PlainBmp(int32_t height, uint16_t bits, uint32_t compression, uint32_t offset, size_t rowBytes) {
  Bytes f(54 + 1024 + rowBytes, 0);
  f[0] = 'B';
  f[1] = 'M';
  auto put32 = [&f](size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) f[at + i] = uint8_t(v >> (8 * i));
  };
  put32(10, offset);
  put32(14, 40);
  put32(18, 4);
  put32(22, uint32_t(height));
  f[26] = 1;
  f[28] = uint8_t(bits);
  f[29] = uint8_t(bits >> 8);
  put32(30, compression);
  for (size_t i = 0; i < rowBytes; ++i) f[54 + 1024 + i] = uint8_t(i + 1);
  return f;
}

TEST(BmpPlain, RefusesWhatItWouldReadWrong) {
  struct Case {
    const char* what;
    Bytes file;
  };
  Bytes notBm = PlainBmp(2, 8, 0, 1078, 8);
  notBm[0] = 'X';
  for (const Case& c : {Case{"top-down", PlainBmp(-2, 8, 0, 1078, 8)}, Case{"run-length", PlainBmp(2, 8, 1, 1078, 8)},
                        Case{"4 bits", PlainBmp(2, 4, 0, 1078, 8)}, Case{"32 bits", PlainBmp(2, 32, 0, 1078, 32)},
                        Case{"16 bits", PlainBmp(2, 16, 0, 1078, 16)}, Case{"bit fields", PlainBmp(2, 24, 3, 54, 24)},
                        Case{"rows beyond the end", PlainBmp(2, 8, 0, 1078, 7)},
                        Case{"offset beyond the end", PlainBmp(2, 8, 0, 0xFFFFFFF0u, 8)},
                        Case{"no height", PlainBmp(0, 8, 0, 1078, 8)}, Case{"not BM", notBm},
                        Case{"short header", Bytes{'B', 'M', 0, 0}}}) {
    ScratchDir dir;
    const std::string name = dir / "kaputt.bmp";
    pictures::WriteBytes(name, c.file);
    uint8_t* buffer = nullptr;
    int32_t w = 0, h = 0, b = 0;
    PictureMessage m;
    EXPECT_EQ(0, ReadBmpPlainFile(name.c_str(), &buffer, &w, &h, &b, &m)) << c.what;
    EXPECT_STREQ("Datei ist kein BMP-Bild !", m.text) << c.what;
    EXPECT_EQ(nullptr, buffer) << c.what;
  }
}

// Writers that counted the pixel offset from the info header.
TEST(BmpPlain, OffsetsCountedFromTheInfoHeader) {
  ScratchDir dir;
  const std::string name = dir / "alt.bmp";
  pictures::WriteBytes(name, PlainBmp(2, 8, 0, 1064, 8));
  uint8_t* buffer = nullptr;
  int32_t w = 0, h = 0, b = 0;
  PictureMessage m;
  ASSERT_EQ(1, ReadBmpPlainFile(name.c_str(), &buffer, &w, &h, &b, &m));
  EXPECT_EQ(Bytes({1, 2, 3, 4, 5, 6, 7, 8}), Bytes(buffer, buffer + 8));
  FreeMem(&buffer);
}

TEST(RawBitmap, SizeGuessedFromTheLength) {
  struct Case {
    size_t bytes;
    int32_t w, h;   // 0: not loadable
  };
  for (const Case& c : {Case{307200, 600, 512}, Case{4096, 64, 64}, Case{1281, 61, 21}, Case{1283, 0, 0},
                        Case{1280, 640, 16}, Case{1, 640, 16}, Case{0, 0, 0}, Case{1282, 641, 2},
                        Case{2 * 1021 * 1031, 2042, 1031}}) {
    ScratchDir dir;
    const std::string name = dir / "roh.im";
    pictures::WriteBytes(name, Bytes(c.bytes, 9));
    uint8_t* buffer = nullptr;
    int32_t w = 0, h = 0;
    EXPECT_EQ(c.w != 0, GuessRawDimensions(name.c_str(), &buffer, &w, &h) == 1) << c.bytes;
    EXPECT_EQ(c.w, w) << c.bytes;
    EXPECT_EQ(c.h, h) << c.bytes;
    FreeMem(&buffer);
  }
}

TEST(RawBitmap, BytesTimes128AndNothingBeyondAShortFile) {
  ScratchDir dir;
  const std::string name = dir / "kurz.im";
  Bytes bytes(300);
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = uint8_t(255 - i);
  pictures::WriteBytes(name, bytes);
  Loaded l;
  ASSERT_EQ(1, ReadRawBitmap(name.c_str(), &l.samples, &l.header));
  EXPECT_EQ(640, l.header.width);
  EXPECT_EQ(16, l.header.height);
  EXPECT_EQ(0, l.header.colourType);
  EXPECT_EQ(8, l.header.sourceBits);
  const std::vector<int16_t> s = l.Samples();
  for (size_t i = 0; i < s.size(); ++i) {
    ASSERT_EQ(i < bytes.size() ? bytes[i] * 128 : 0, s[i]) << i;
  }
}

TEST(RawBitmap, RefusesAFullBufferAndAMissingFile) {
  Loaded l;
  EXPECT_EQ(0, ReadRawBitmap("gibt/es/nicht.im", &l.samples, &l.header));
  int16_t sample = 0;
  int16_t* full = &sample;
  ScratchDir dir;
  pictures::WriteBytes(dir / "a.im", Bytes(4096, 1));
  EXPECT_EQ(0, ReadRawBitmap((dir / "a.im").c_str(), &full, &l.header));
  EXPECT_EQ(&sample, full);
}

}  // namespace
