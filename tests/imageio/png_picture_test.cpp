// PNG pictures: every colour type and depth read, what the writer stores,
// resampling about the centre, and the messages of broken files.
#include "imageio/png_picture.h"

#include <png.h>
#include <zlib.h>

#include <gtest/gtest.h>

#include <atomic>
#include <csetjmp>
#include <cstring>

#if defined(__SANITIZE_ADDRESS__)
// The sanitizer runtime's allocation hooks (GCC ships no header for them).
extern "C" int __sanitizer_install_malloc_and_free_hooks(void (*onMalloc)(const volatile void*, size_t),
                                                        void (*onFree)(const volatile void*));
#endif

#include "picture_fixtures.h"

namespace {

using pictures::Bytes;
using pictures::Loaded;
using pictures::ScratchDir;

// A fixture PNG written with libpng's plain calls: rows as the file holds
// them (big-endian 16-bit values, packed low depths).
struct PngSpec {
  int width, height, depth, colourType;
  Bytes rows;                          // height rows, back to back
  std::vector<png_color> palette;
  Bytes transparency;                  // tRNS of a palette
  bool interlaced = false;
};

bool WritePngFixture(const std::string& name, const PngSpec& s) {
  FILE* f = std::fopen(name.c_str(), "wb");
  if (!f) return false;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    std::fclose(f);
    return false;
  }
  png_init_io(png, f);
  png_set_IHDR(png, info, png_uint_32(s.width), png_uint_32(s.height), s.depth, s.colourType,
               s.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  if (!s.palette.empty()) png_set_PLTE(png, info, s.palette.data(), int(s.palette.size()));
  if (!s.transparency.empty()) {
    png_set_tRNS(png, info, s.transparency.data(), int(s.transparency.size()), nullptr);
  }
  std::vector<png_bytep> rows(size_t(s.height));
  const size_t rowBytes = s.rows.size() / size_t(s.height);
  for (int y = 0; y < s.height; ++y) rows[size_t(y)] = const_cast<png_bytep>(s.rows.data() + y * rowBytes);
  png_set_rows(png, info, rows.data());
  png_write_png(png, info, PNG_TRANSFORM_IDENTITY, nullptr);
  png_destroy_write_struct(&png, &info);
  return std::fclose(f) == 0;
}

struct ReadCase {
  const char* what;
  PngSpec spec;
  bool colour;
  int sourceBits;
  std::vector<int16_t> expected;
};

class PngRead : public testing::TestWithParam<ReadCase> {};

TEST_P(PngRead, SamplesAndHeader) {
  const ReadCase& c = GetParam();
  ScratchDir dir;
  const std::string name = dir / "bild.png";
  ASSERT_TRUE(WritePngFixture(name, c.spec));
  Loaded l;
  PictureMessage m;
  ASSERT_EQ(1, ReadPngPicture(name.c_str(), &l.samples, &l.header, &m)) << m.text;
  EXPECT_EQ(c.spec.width, l.header.width);
  EXPECT_EQ(c.spec.height, l.header.height);
  EXPECT_EQ(c.colour ? kColourRgb : 0, l.header.colourType);
  EXPECT_EQ(c.colour ? 1 : 0, l.header.sourceColour);
  EXPECT_EQ(c.sourceBits, l.header.sourceBits);
  EXPECT_EQ(1.0, l.header.xScale);
  EXPECT_EQ(1.0, l.header.yScale);
  EXPECT_EQ(c.expected, l.Samples());
}

const std::vector<png_color> kTwoColours = {{200, 10, 20}, {0, 255, 64}};

INSTANTIATE_TEST_SUITE_P(
    ColourTypes, PngRead,
    testing::Values(
        ReadCase{"Grey16", {2, 1, 16, PNG_COLOR_TYPE_GRAY, {0xFF, 0xFF, 0x00, 0x03}, {}, {}}, false, 16, {32767, 1}},
        ReadCase{"Grey8", {3, 1, 8, PNG_COLOR_TYPE_GRAY, {255, 0, 1}, {}, {}}, false, 8, {32640, 0, 128}},
        // Red, green, blue in the file become blue, green, red; alpha goes.
        ReadCase{"RgbaDropsAlpha", {1, 1, 8, PNG_COLOR_TYPE_RGB_ALPHA, {10, 20, 30, 77}, {}, {}}, true, 8,
                 {3840, 2560, 1280}},
        ReadCase{"GreyAlphaStaysGrey", {2, 1, 8, PNG_COLOR_TYPE_GRAY_ALPHA, {9, 0, 200, 255}, {}, {}}, false, 8,
                 {1152, 25600}},
        ReadCase{"Rgb16", {1, 1, 16, PNG_COLOR_TYPE_RGB, {0xFF, 0xFE, 0x00, 0x02, 0x80, 0x00}, {}, {}}, true, 16,
                 {16384, 1, 32767}},
        // Palette pictures come as their colours (one byte of indices
        // would otherwise be read as three samples).
        ReadCase{"PaletteExpanded", {3, 1, 8, PNG_COLOR_TYPE_PALETTE, {1, 0, 1}, kTwoColours, {}}, true, 8,
                 {8192, 32640, 0, 2560, 1280, 25600, 8192, 32640, 0}},
        ReadCase{"PaletteOfOneBitWithTransparency",
                 {2, 1, 1, PNG_COLOR_TYPE_PALETTE, {0x40}, kTwoColours, {0}}, true, 8,
                 {2560, 1280, 25600, 8192, 32640, 0}},
        // Low grey depths are stretched to 8 bits: 1 -> 255, 15 of 4 bits -> 255.
        ReadCase{"Grey1Bit", {3, 1, 1, PNG_COLOR_TYPE_GRAY, {0xA0}, {}, {}}, false, 8, {32640, 0, 32640}},
        ReadCase{"Grey4Bit", {2, 1, 4, PNG_COLOR_TYPE_GRAY, {0xF1}, {}, {}}, false, 8, {32640, 17 * 128}},
        ReadCase{"Interlaced",
                 {3, 3, 8, PNG_COLOR_TYPE_GRAY, {1, 2, 3, 4, 5, 6, 7, 8, 9}, {}, {}, true},
                 false,
                 8,
                 {128, 256, 384, 512, 640, 768, 896, 1024, 1152}}),
    [](const testing::TestParamInfo<ReadCase>& info) { return std::string(info.param.what); });

// The file as libpng reads it without transforms.
struct RawPng {
  bool ok = false;
  int depth = 0, colourType = -1, interlace = -1;
  Bytes firstRow;
};

RawPng ReadRawPng(const std::string& name) {
  RawPng r;
  FILE* f = std::fopen(name.c_str(), "rb");
  if (!f) return r;
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (setjmp(png_jmpbuf(png)) == 0) {
    png_init_io(png, f);
    png_read_png(png, info, PNG_TRANSFORM_IDENTITY, nullptr);
    r.depth = png_get_bit_depth(png, info);
    r.colourType = png_get_color_type(png, info);
    r.interlace = png_get_interlace_type(png, info);
    const png_bytep row = png_get_rows(png, info)[0];
    r.firstRow.assign(row, row + png_get_rowbytes(png, info));
    r.ok = true;
  }
  png_destroy_read_struct(&png, &info, nullptr);
  std::fclose(f);
  return r;
}

TEST(PngWrite, EightAndSixteenBitsInFileOrder) {
  struct Case {
    int bits;
    bool colour;
    Bytes row;   // as the file holds it
  };
  // Samples blue 32767, green 1000, red 128.
  const pictures::Picture colour =
      pictures::MakePicture(1, 1, true, [](size_t i) { return i == 0 ? 32767 : i == 1 ? 1000 : 128; });
  const pictures::Picture grey = pictures::MakePicture(2, 1, false, [](size_t i) { return i == 0 ? 32767 : 255; });
  for (const Case& c : {Case{8, false, {255, 1}}, Case{16, false, {0xFF, 0xFE, 0x01, 0xFE}},
                        Case{8, true, {1, 7, 255}}, Case{16, true, {0x01, 0x00, 0x07, 0xD0, 0xFF, 0xFE}},
                        Case{12, false, {0xFF, 0xFE, 0x01, 0xFE}}}) {
    const pictures::Picture& p = c.colour ? colour : grey;
    ScratchDir dir;
    const std::string name = dir / "aus.png";
    PictureMessage m;
    ASSERT_EQ(1, WritePngPicture(name.c_str(), p.samples.data(), &p.header, p.header.width, 1, c.bits, &m))
        << m.text;

    const RawPng raw = ReadRawPng(name);
    ASSERT_TRUE(raw.ok);
    EXPECT_EQ(c.bits == 8 ? 8 : 16, raw.depth) << c.bits;
    EXPECT_EQ(c.colour ? PNG_COLOR_TYPE_RGB : PNG_COLOR_TYPE_GRAY, raw.colourType);
    EXPECT_EQ(PNG_INTERLACE_NONE, raw.interlace);
    EXPECT_EQ(c.row, Bytes(raw.firstRow.begin(), raw.firstRow.begin() + long(c.row.size())))
        << c.bits << (c.colour ? " colour" : " grey");
  }
}

TEST(PngWrite, RoundTripsSixteenBitsExactly) {
  const pictures::Picture p = pictures::MakePicture(5, 3, true, [](size_t i) { return int((i * 2311) % 32768); });
  ScratchDir dir;
  const std::string name = dir / "rund.png";
  PictureMessage m;
  ASSERT_EQ(1, WritePngPicture(name.c_str(), p.samples.data(), &p.header, 5, 3, 16, &m));
  Loaded l;
  ASSERT_EQ(1, ReadPngPicture(name.c_str(), &l.samples, &l.header, &m));
  EXPECT_EQ(p.samples, l.Samples());
}

// Resampled pictures stay centred: a bright stripe in the middle of the
// source lies in the middle of the enlarged and of the reduced file.
TEST(PngWrite, ResamplingKeepsThePictureCentred) {
  const int w = 40, h = 20;
  const pictures::Picture p =
      pictures::MakePicture(w, h, false, [](size_t i) { return int(i % w) >= 18 && int(i % w) < 22 ? 30000 : 0; });
  for (int outW : {80, 20}) {
    const int outH = outW / 2;
    ScratchDir dir;
    const std::string name = dir / "skaliert.png";
    PictureMessage m;
    ASSERT_EQ(1, WritePngPicture(name.c_str(), p.samples.data(), &p.header, outW, outH, 16, &m)) << m.text;
    Loaded l;
    ASSERT_EQ(1, ReadPngPicture(name.c_str(), &l.samples, &l.header, &m));
    ASSERT_EQ(outW, l.header.width);
    ASSERT_EQ(outH, l.header.height);
    // Centre of brightness of the middle row.
    double sum = 0, weighted = 0;
    const int16_t* row = l.samples + size_t(outH / 2) * outW;
    for (int x = 0; x < outW; ++x) {
      sum += row[x];
      weighted += row[x] * (x + 0.5);
    }
    ASSERT_GT(sum, 0) << outW;
    EXPECT_NEAR(outW / 2.0, weighted / sum, 1.0) << outW;
  }
}

TEST(PngMessages, BrokenFilesAndPlaces) {
  ScratchDir dir;
  const pictures::Picture p = pictures::MakePicture(4, 4, false, [](size_t i) { return int(i * 100); });
  PictureMessage m;
  ASSERT_EQ(1, WritePngPicture((dir / "gut.png").c_str(), p.samples.data(), &p.header, 4, 4, 8, &m));
  const Bytes good = pictures::ReadBytes(dir / "gut.png");
  Bytes cut(good.begin(), good.begin() + long(good.size() / 2));
  Bytes badCrc = good;
  badCrc[badCrc.size() - 16] ^= 0x55;   // the image data's checksum
  Bytes huge = good;    // IHDR claiming 100000 x 100000 with a matching CRC
  {
    const uint8_t ihdr[] = {'I', 'H', 'D', 'R', 0, 1, 0x86, 0xA0, 0, 1, 0x86, 0xA0, 8, 0, 0, 0, 0};
    std::copy(std::begin(ihdr), std::end(ihdr), huge.begin() + 12);
    const uLong crc = crc32(0, ihdr, sizeof ihdr);
    for (int i = 0; i < 4; ++i) huge[29 + i] = uint8_t(crc >> (24 - 8 * i));
  }
  struct Case {
    const char* what;
    Bytes file;
    const char* message;
  };
  for (const Case& c : {Case{"not PNG", Bytes(100, 'x'), "Datei ist kein PNG-Bild !"},
                        Case{"too short for a signature", Bytes{0x89, 'P'}, "Datei ist kein PNG-Bild !"},
                        Case{"cut in half", cut, "PNG-Bild nicht dekodierbar !"},
                        Case{"bad checksum", badCrc, "PNG-Bild nicht dekodierbar !"},
                        Case{"more than can be held", huge, "Kein Speicherplatz !"}}) {
    const std::string name = dir / "kaputt.png";
    pictures::WriteBytes(name, c.file);
    Loaded l;
    EXPECT_EQ(0, ReadPngPicture(name.c_str(), &l.samples, &l.header, &m)) << c.what;
    EXPECT_EQ(nullptr, l.samples) << c.what;
    EXPECT_STREQ(c.message, m.text) << c.what;
  }
  Loaded l;
  EXPECT_EQ(0, ReadPngPicture((dir / "fehlt.png").c_str(), &l.samples, &l.header, &m));
  EXPECT_STREQ("Datei kann nicht geöffnet werden !", m.text);
  int16_t sample = 0;
  int16_t* full = &sample;
  EXPECT_EQ(0, ReadPngPicture((dir / "gut.png").c_str(), &full, &l.header, &m));
  EXPECT_STREQ("BufferPtr != NULL !", m.text);

  EXPECT_EQ(0, WritePngPicture((dir / "fehlt/aus.png").c_str(), p.samples.data(), &p.header, 4, 4, 8, &m));
  EXPECT_STREQ("PNG-Datei kann nicht erzeugt werden !", m.text);
  // libpng refuses pictures wider than a million pixels while writing.
  const pictures::Picture wide = pictures::MakePicture(1, 1, false, [](size_t) { return 5; });
  const std::string refused = dir / "breit.png";
  EXPECT_EQ(0, WritePngPicture(refused.c_str(), wide.samples.data(), &wide.header, 1100000, 1, 8, &m));
  EXPECT_STREQ("PNG-Datei kann nicht geschrieben werden !", m.text);
  EXPECT_FALSE(pictures::FileExists(refused));
}

// The largest single allocation while it lives; 0 where no allocator tells.
class LargestAllocation {
 public:
  LargestAllocation() {
#if defined(__SANITIZE_ADDRESS__)
    // Hooks stay for the process's life (the runtime takes both or none).
    static const bool installed = __sanitizer_install_malloc_and_free_hooks(Note, Forget) != 0;
    EXPECT_TRUE(installed);
#endif
    largest_ = 0;
    watching_ = true;
  }
  ~LargestAllocation() { watching_ = false; }
  size_t bytes() const { return largest_; }

 private:
  static void Note(const volatile void*, size_t size) {
    if (watching_ && size > largest_) largest_ = size;
  }
  static void Forget(const volatile void*) {}
  static inline std::atomic<bool> watching_{false};
  static inline std::atomic<size_t> largest_{0};
};

// libpng's own test files claim chunks of a gigabyte in a file of 57 bytes;
// libpng would allocate and clear that much before it finds the file short.
TEST(PngLimits, AChunkLongerThanTheRestOfTheFileIsRefusedUpFront) {
  ScratchDir dir;
  const pictures::Picture p = pictures::MakePicture(2, 2, false, [](size_t i) { return int(i * 1000); });
  PictureMessage m;
  ASSERT_EQ(1, WritePngPicture((dir / "gut.png").c_str(), p.samples.data(), &p.header, 2, 2, 16, &m));
  const Bytes good = pictures::ReadBytes(dir / "gut.png");
  for (const char* type : {"tEXt", "zTXt", "iTXt", "iCCP", "sPLT", "eXIf", "juNk", "IDAT"}) {
    SCOPED_TRACE(type);
    // Signature and IHDR, then the chunk's header claiming 1 GB, then nothing.
    Bytes file(good.begin(), good.begin() + 33);
    const uint8_t head[8] = {0x3F, 0xFF, 0xFF, 0xFF, uint8_t(type[0]), uint8_t(type[1]), uint8_t(type[2]),
                             uint8_t(type[3])};
    file.insert(file.end(), head, head + 8);
    file.insert(file.end(), 16, 0);
    const std::string name = dir / "riesig.png";
    pictures::WriteBytes(name, file);
    Loaded l;
    const LargestAllocation largest;
    EXPECT_EQ(0, ReadPngPicture(name.c_str(), &l.samples, &l.header, &m));
    EXPECT_LT(largest.bytes(), size_t(1) << 24);
    EXPECT_EQ(nullptr, l.samples);
    EXPECT_STREQ("PNG-Bild nicht dekodierbar !", m.text);
  }
  // Chunks of no length at all are no reason to refuse a picture.
  Bytes empty(good.begin(), good.begin() + 33);
  for (const char* type : {"tEXt", "juNk"}) {
    const uint8_t chunk[12] = {0, 0, 0, 0, uint8_t(type[0]), uint8_t(type[1]), uint8_t(type[2]), uint8_t(type[3])};
    const uLong crc = crc32(0, chunk + 4, 4);
    const uint8_t withCrc[12] = {0, 0, 0, 0, chunk[4], chunk[5], chunk[6], chunk[7], uint8_t(crc >> 24),
                                 uint8_t(crc >> 16), uint8_t(crc >> 8), uint8_t(crc)};
    empty.insert(empty.end(), withCrc, withCrc + 12);
  }
  empty.insert(empty.end(), good.begin() + 33, good.end());
  pictures::WriteBytes(dir / "leer.png", empty);
  Loaded l;
  ASSERT_EQ(1, ReadPngPicture((dir / "leer.png").c_str(), &l.samples, &l.header, &m)) << m.text;
  EXPECT_EQ(p.samples, l.Samples());
}

}  // namespace
