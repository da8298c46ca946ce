// TIFF: files written by libtiff itself in the layouts other programs use,
// read by our decoder; and our files read back by libtiff, to see every
// option and the 16-bit sample layout in them.

#include "fixtures.h"

#include <tiffio.h>

#include <algorithm>
#include <cstring>

namespace {

using namespace fixtures;
using rastcodec::Bytes;

// Stored samples of pixel (x, y) of a DIB, y from the top: the index (up to
// 8 bits), blue, green, red (24), or the 16-bit samples of the wide layouts.
std::vector<uint32_t> DibSamples(const Bytes& dib, int x, int y) {
  const rastcodec::DibView v = View(dib, rastcodec::DibLayout::WideSamples);
  const uint8_t* row = v.Row(y);
  if (v.bits <= 8) return {rastcodec::PackedIndex(row, v.bits, x)};
  if (v.bits == 24) return {row[3 * x], row[3 * x + 1], row[3 * x + 2]};
  std::vector<uint32_t> out;
  const int n = v.bits / 16;
  for (int c = 0; c < n; ++c) {
    uint16_t s;
    std::memcpy(&s, row + 2 * (n * x + c), 2);
    out.push_back(s);
  }
  return out;
}

// Packs samples of 1 to 16 bits, leftmost in the high bits (16 in machine order).
void PutSample(uint8_t* row, uint64_t i, int bits, uint32_t v) {
  if (bits == 16) {
    const uint16_t s = uint16_t(v);
    std::memcpy(row + 2 * i, &s, 2);
  } else {
    const uint64_t bit = i * uint64_t(bits);
    row[bit / 8] |= uint8_t(v << (8 - bits - bit % 8));
  }
}

uint32_t GetSample(const uint8_t* row, uint64_t i, int bits) {
  if (bits == 16) {
    uint16_t s;
    std::memcpy(&s, row + 2 * i, 2);
    return s;
  }
  const uint64_t bit = i * uint64_t(bits);
  return (row[bit / 8] >> (8 - bits - bit % 8)) & ((1u << bits) - 1);
}

struct TiffFields {
  uint32_t w, h;
  uint16_t bits, samples, photometric;
  uint16_t planar = PLANARCONFIG_CONTIG;
  uint32_t tile = 0;                 // tile side, 0 for strips
  std::vector<uint16_t> colourMap;   // red, green, blue runs of 2^bits
  std::function<uint32_t(uint32_t x, uint32_t y, uint16_t s)> sample;
  uint16_t orientation = 0;          // no tag
};

Bytes WriteWithLibtiff(const TiffFields& fields) {
  TempFile file("foreign.tif");
  TIFF* tif = TIFFOpen(file.c_str(), "w");
  EXPECT_NE(nullptr, tif);
  if (tif == nullptr) return {};
  TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, fields.w);
  TIFFSetField(tif, TIFFTAG_IMAGELENGTH, fields.h);
  TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, fields.bits);
  TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, fields.samples);
  TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, fields.photometric);
  TIFFSetField(tif, TIFFTAG_PLANARCONFIG, fields.planar);
  if (fields.photometric == PHOTOMETRIC_SEPARATED) TIFFSetField(tif, TIFFTAG_INKSET, INKSET_CMYK);
  if (fields.orientation != 0) TIFFSetField(tif, TIFFTAG_ORIENTATION, fields.orientation);
  const uint16_t colours = fields.photometric == PHOTOMETRIC_RGB || fields.photometric == PHOTOMETRIC_SEPARATED
                               ? (fields.photometric == PHOTOMETRIC_RGB ? 3 : 4) : 1;
  if (fields.samples > colours) {
    std::vector<uint16_t> extra(fields.samples - colours, EXTRASAMPLE_UNASSALPHA);
    TIFFSetField(tif, TIFFTAG_EXTRASAMPLES, uint16_t(extra.size()), extra.data());
  }
  if (!fields.colourMap.empty()) {
    const size_t n = fields.colourMap.size() / 3;
    TIFFSetField(tif, TIFFTAG_COLORMAP, fields.colourMap.data(), fields.colourMap.data() + n,
                 fields.colourMap.data() + 2 * n);
  }
  const bool separate = fields.planar == PLANARCONFIG_SEPARATE;
  const uint16_t planes = separate ? fields.samples : 1, perPixel = separate ? 1 : fields.samples;
  const uint32_t rowWidth = fields.tile != 0 ? fields.tile : fields.w;
  const size_t rowBytes = (size_t(rowWidth) * perPixel * fields.bits + 7) / 8;
  auto fillRow = [&](uint8_t* row, uint32_t x0, uint32_t y, uint16_t plane) {
    for (uint32_t x = 0; x < rowWidth && x0 + x < fields.w && y < fields.h; ++x) {
      for (uint16_t s = 0; s < perPixel; ++s) {
        PutSample(row, uint64_t(x) * perPixel + s, fields.bits, fields.sample(x0 + x, y, separate ? plane : s));
      }
    }
  };
  if (fields.tile != 0) {
    TIFFSetField(tif, TIFFTAG_TILEWIDTH, fields.tile);
    TIFFSetField(tif, TIFFTAG_TILELENGTH, fields.tile);
    Bytes tile(rowBytes * fields.tile);
    for (uint16_t p = 0; p < planes; ++p) {
      for (uint32_t ty = 0; ty < fields.h; ty += fields.tile) {
        for (uint32_t tx = 0; tx < fields.w; tx += fields.tile) {
          std::fill(tile.begin(), tile.end(), 0);
          for (uint32_t r = 0; r < fields.tile; ++r) fillRow(tile.data() + r * rowBytes, tx, ty + r, p);
          EXPECT_GE(TIFFWriteTile(tif, tile.data(), tx, ty, 0, p), 0);
        }
      }
    }
  } else {
    TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, 2u);
    Bytes row(rowBytes);
    for (uint16_t p = 0; p < planes; ++p) {
      for (uint32_t y = 0; y < fields.h; ++y) {
        std::fill(row.begin(), row.end(), 0);
        fillRow(row.data(), 0, y, p);
        EXPECT_EQ(1, TIFFWriteScanline(tif, row.data(), y, p));
      }
    }
  }
  TIFFClose(tif);
  Bytes bytes;
  EXPECT_TRUE(rastcodec::ReadFileBytes(file.c_str(), &bytes));
  return bytes;
}

struct ForeignCase {
  const char* name;
  TiffFields fields;
  int dibBits;
  std::function<std::vector<uint32_t>(uint32_t x, uint32_t y)> expected;
};

uint32_t Wave(uint32_t x, uint32_t y, uint32_t max) { return (x * 7 + y * 13 + x * y) % (max + 1); }

std::vector<uint16_t> ColourMap(int n) {
  std::vector<uint16_t> map(3 * size_t(n));
  for (int i = 0; i < n; ++i) {
    map[i] = uint16_t(i * 4000);
    map[n + i] = uint16_t(65535 - i * 3000);
    map[2 * n + i] = uint16_t(i * 257 * 9);
  }
  return map;
}

TEST(TiffForeign, LayoutsOfOtherWriters) {
  const ForeignCase cases[] = {
      {"1-bit min-is-white",
       {10, 3, 1, 1, PHOTOMETRIC_MINISWHITE, PLANARCONFIG_CONTIG, 0, {}, [](uint32_t x, uint32_t y, uint16_t) { return Wave(x, y, 1); }},
       8, [](uint32_t x, uint32_t y) { return std::vector<uint32_t>{Wave(x, y, 1) ? 0u : 255u}; }},
      {"2-bit grey",
       {7, 3, 2, 1, PHOTOMETRIC_MINISBLACK, PLANARCONFIG_CONTIG, 0, {}, [](uint32_t x, uint32_t y, uint16_t) { return Wave(x, y, 3); }},
       8, [](uint32_t x, uint32_t y) { return std::vector<uint32_t>{Wave(x, y, 3) * 85}; }},
      {"4-bit palette",
       {5, 3, 4, 1, PHOTOMETRIC_PALETTE, PLANARCONFIG_CONTIG, 0, ColourMap(16), [](uint32_t x, uint32_t y, uint16_t) { return Wave(x, y, 15); }},
       8, [](uint32_t x, uint32_t y) { return std::vector<uint32_t>{Wave(x, y, 15)}; }},
      {"grey with alpha",
       {3, 2, 8, 2, PHOTOMETRIC_MINISBLACK, PLANARCONFIG_CONTIG, 0, {}, [](uint32_t x, uint32_t y, uint16_t s) { return s ? 77u : Wave(x, y, 255); }},
       8, [](uint32_t x, uint32_t y) { return std::vector<uint32_t>{Wave(x, y, 255)}; }},
      {"RGBA",
       {3, 2, 8, 4, PHOTOMETRIC_RGB, PLANARCONFIG_CONTIG, 0, {}, [](uint32_t x, uint32_t y, uint16_t s) { return s == 3 ? 9u : Wave(x + s, y, 255); }},
       24, [](uint32_t x, uint32_t y) { return std::vector<uint32_t>{Wave(x + 2, y, 255), Wave(x + 1, y, 255), Wave(x, y, 255)}; }},
      {"RGB in separate planes",
       {5, 5, 8, 3, PHOTOMETRIC_RGB, PLANARCONFIG_SEPARATE, 0, {}, [](uint32_t x, uint32_t y, uint16_t s) { return Wave(x, y + 3 * s, 255); }},
       24, [](uint32_t x, uint32_t y) { return std::vector<uint32_t>{Wave(x, y + 6, 255), Wave(x, y + 3, 255), Wave(x, y, 255)}; }},
      {"16-bit grey",
       {3, 2, 16, 1, PHOTOMETRIC_MINISBLACK, PLANARCONFIG_CONTIG, 0, {}, [](uint32_t x, uint32_t y, uint16_t) { return x + y ? 517 * x : 65535u; }},
       16, [](uint32_t x, uint32_t y) { return std::vector<uint32_t>{x + y ? 517 * x : 65535u}; }},
      {"16-bit min-is-white",
       {3, 3, 16, 1, PHOTOMETRIC_MINISWHITE, PLANARCONFIG_CONTIG, 0, {}, [](uint32_t x, uint32_t y, uint16_t) { return Wave(x, y, 65535) * 900; }},
       16, [](uint32_t x, uint32_t y) { return std::vector<uint32_t>{65535 - Wave(x, y, 65535) * 900}; }},
      {"16-bit RGB in tiles",
       {21, 18, 16, 3, PHOTOMETRIC_RGB, PLANARCONFIG_CONTIG, 16, {}, [](uint32_t x, uint32_t y, uint16_t s) { return Wave(x, y, 60) * 1000 + s; }},
       48, [](uint32_t x, uint32_t y) { return std::vector<uint32_t>{Wave(x, y, 60) * 1000 + 2, Wave(x, y, 60) * 1000 + 1, Wave(x, y, 60) * 1000}; }},
      {"8-bit grey in separate tiles",
       {20, 17, 8, 1, PHOTOMETRIC_MINISBLACK, PLANARCONFIG_SEPARATE, 16, {}, [](uint32_t x, uint32_t y, uint16_t) { return Wave(x, y, 255); }},
       8, [](uint32_t x, uint32_t y) { return std::vector<uint32_t>{Wave(x, y, 255)}; }},
      // CMYK goes through libtiff's RGBA conversion: red = (255 - C)(255 - K) / 255.
      {"CMYK",
       {2, 1, 8, 4, PHOTOMETRIC_SEPARATED, PLANARCONFIG_CONTIG, 0, {}, [](uint32_t x, uint32_t, uint16_t s) { return s == 3 ? 0u : x ? 255u * (s == 0) : 0u; }},
       24, [](uint32_t x, uint32_t) { return x ? std::vector<uint32_t>{255, 255, 0} : std::vector<uint32_t>{255, 255, 255}; }},
  };
  for (const ForeignCase& c : cases) {
    SCOPED_TRACE(c.name);
    const Bytes file = WriteWithLibtiff(c.fields);
    Bytes dib;
    ASSERT_TRUE(rastcodec::DecodeTiff(file.data(), file.size(), &dib));
    const rastcodec::DibView v = View(dib, rastcodec::DibLayout::WideSamples);
    ASSERT_EQ(c.dibBits, v.bits);
    ASSERT_EQ(int(c.fields.w), v.width);
    ASSERT_EQ(int(c.fields.h), v.height);
    for (uint32_t y = 0; y < c.fields.h; ++y) {
      for (uint32_t x = 0; x < c.fields.w; ++x) {
        ASSERT_EQ(c.expected(x, y), DibSamples(dib, int(x), int(y))) << "pixel " << x << "," << y;
      }
    }
    if (!c.fields.colourMap.empty()) {
      const Bgr e = v.Colour(3);
      EXPECT_EQ((Bgr{uint8_t(3 * 257 * 9 >> 8), uint8_t((65535 - 9000) >> 8), uint8_t(12000 >> 8)}), e);
    }
  }
}

// The DIB block itself: wide rows lie top row first without padding, 8-bit
// ones bottom row first with padding.
TEST(TiffForeign, RowOrderInTheBlock) {
  const uint32_t w = 3, h = 2;
  for (uint16_t bits : {uint16_t(8), uint16_t(16)}) {
    SCOPED_TRACE("bits per sample " + std::to_string(bits));
    const uint32_t top = bits == 16 ? 65535 : 255, bottom = bits == 16 ? 1000 : 10;
    const Bytes file = WriteWithLibtiff(
        {w, h, bits, 3, PHOTOMETRIC_RGB, PLANARCONFIG_CONTIG, 0, {}, [&](uint32_t, uint32_t y, uint16_t) { return y ? bottom : top; }});
    Bytes dib;
    ASSERT_TRUE(rastcodec::DecodeTiff(file.data(), file.size(), &dib));
    const uint64_t pixels = rastcodec::DibBitsOffset(dib.data(), dib.size());
    ASSERT_EQ(40u, pixels);
    const uint32_t sizeImage = rastcodec::Get32(dib.data() + 20);
    if (bits == 16) {
      EXPECT_EQ(48, rastcodec::Get16(dib.data() + 14));
      EXPECT_EQ(w * h * 6, sizeImage);
      uint16_t first, second;
      std::memcpy(&first, dib.data() + pixels, 2);
      std::memcpy(&second, dib.data() + pixels + w * 6, 2);
      EXPECT_EQ(top, first);
      EXPECT_EQ(bottom, second);
    } else {
      EXPECT_EQ(24, rastcodec::Get16(dib.data() + 14));
      EXPECT_EQ(12u * h, sizeImage);
      EXPECT_EQ(bottom, dib[pixels]);
      EXPECT_EQ(top, dib[pixels + 12]);
    }
  }
}

// The Orientation tag says which sides the file's first row and column
// show. A 3 x 2 picture stored with a bright pixel A at (0, 0) and a dimmer
// B at (1, 0): where both are seen, for every kind of picture.
TEST(TiffForeign, OrientationIsHonouredForEveryKind) {
  struct Seen {
    uint16_t orientation;
    int w, h, ax, ay, bx, by;
  };
  const Seen seen[] = {{ORIENTATION_TOPLEFT, 3, 2, 0, 0, 1, 0},  {ORIENTATION_TOPRIGHT, 3, 2, 2, 0, 1, 0},
                       {ORIENTATION_BOTRIGHT, 3, 2, 2, 1, 1, 1}, {ORIENTATION_BOTLEFT, 3, 2, 0, 1, 1, 1},
                       {ORIENTATION_LEFTTOP, 2, 3, 0, 0, 0, 1},  {ORIENTATION_RIGHTTOP, 2, 3, 1, 0, 1, 1},
                       {ORIENTATION_RIGHTBOT, 2, 3, 1, 2, 1, 1}, {ORIENTATION_LEFTBOT, 2, 3, 0, 2, 0, 1}};
  // Stored sample of kind k: A, B or dark; CMYK through libtiff's RGBA path
  // (A white, B grey, the rest black).
  struct Kind {
    const char* name;
    uint16_t bits, samples, photometric;
    uint32_t a, b, dark;
  };
  const Kind kinds[] = {{"8-bit grey", 8, 1, PHOTOMETRIC_MINISBLACK, 200, 100, 0},
                        {"16-bit grey", 16, 1, PHOTOMETRIC_MINISBLACK, 60000, 30000, 0},
                        {"palette", 8, 1, PHOTOMETRIC_PALETTE, 2, 1, 0},
                        {"8-bit RGB", 8, 3, PHOTOMETRIC_RGB, 200, 100, 0},
                        {"16-bit RGB", 16, 3, PHOTOMETRIC_RGB, 60000, 30000, 0},
                        {"CMYK", 8, 4, PHOTOMETRIC_SEPARATED, 0, 128, 255}};
  for (const Kind& k : kinds) {
    for (const Seen& o : seen) {
      SCOPED_TRACE(testing::Message() << k.name << ", orientation " << o.orientation);
      TiffFields f{3, 2, k.bits, k.samples, k.photometric, PLANARCONFIG_CONTIG, 0, {}, nullptr, o.orientation};
      if (k.photometric == PHOTOMETRIC_PALETTE) f.colourMap = ColourMap(256);
      f.sample = [&k](uint32_t x, uint32_t y, uint16_t s) {
        if (k.photometric == PHOTOMETRIC_SEPARATED && s < 3) return 0u;   // no ink but black
        return y == 0 && x == 0 ? k.a : y == 0 && x == 1 ? k.b : k.dark;
      };
      const Bytes file = WriteWithLibtiff(f);
      Bytes dib;
      ASSERT_TRUE(rastcodec::DecodeTiff(file.data(), file.size(), &dib));
      const rastcodec::DibView v = View(dib, rastcodec::DibLayout::WideSamples);
      ASSERT_EQ(o.w, v.width);
      ASSERT_EQ(o.h, v.height);
      // The first stored sample of a pixel tells A, B and the dark ones apart.
      const uint32_t a = DibSamples(dib, o.ax, o.ay)[0], b = DibSamples(dib, o.bx, o.by)[0];
      uint32_t dark = 0;
      for (int y = 0; y < o.h; ++y) {
        for (int x = 0; x < o.w; ++x) {
          if ((x != o.ax || y != o.ay) && (x != o.bx || y != o.by)) dark = std::max(dark, DibSamples(dib, x, y)[0]);
        }
      }
      EXPECT_GT(a, b) << "A is seen at " << o.ax << "," << o.ay;
      EXPECT_GT(b, dark) << "B is seen at " << o.bx << "," << o.by;
    }
  }
}

// Our file on disk, opened by libtiff.
struct Written {
  TempFile file{"written.tif"};
  TIFF* tif = nullptr;
  explicit Written(const Bytes& bytes) {
    EXPECT_TRUE(rastcodec::WriteFileBytes(file.c_str(), bytes));
    tif = TIFFOpen(file.c_str(), "r");
    EXPECT_NE(nullptr, tif);
  }
  ~Written() {
    if (tif != nullptr) TIFFClose(tif);
  }
  uint32_t Tag32(ttag_t tag) {
    uint32_t v = 0;
    TIFFGetFieldDefaulted(tif, tag, &v);
    return v;
  }
  uint16_t Tag16(ttag_t tag) {
    uint16_t v = 0;
    TIFFGetFieldDefaulted(tif, tag, &v);
    return v;
  }
};

Bytes WriteTiff(const Bytes& dib, TiffOptions options) {
  Bytes file;
  EXPECT_TRUE(rastcodec::EncodeTiff(dib.data(), dib.size(), options, &file));
  return file;
}

TEST(TiffOptions, CompressionTag) {
  const struct {
    int32_t option;
    uint16_t tag;
  } cases[] = {{1, COMPRESSION_NONE}, {5, COMPRESSION_LZW}, {32773, COMPRESSION_PACKBITS},
               {2, COMPRESSION_PACKBITS}, {0, COMPRESSION_PACKBITS}};
  const Bytes dib = Dib24(5, 4);
  for (const auto& c : cases) {
    SCOPED_TRACE("TiffCompression " + std::to_string(c.option));
    const Bytes file = WriteTiff(dib, TiffOptions{0, 8, c.option, 10, 8});
    Written w(file);
    ASSERT_NE(nullptr, w.tif);
    EXPECT_EQ(c.tag, w.Tag16(TIFFTAG_COMPRESSION));
    Bytes back;
    ASSERT_TRUE(rastcodec::DecodeTiff(file.data(), file.size(), &back));
    EXPECT_EQ(Colours(dib), Colours(back));
  }
}

TEST(TiffOptions, StripRows) {
  const struct {
    int32_t option;
    uint32_t rows;
  } cases[] = {{1, 1}, {3, 3}, {10, 10}, {1024, 10}};
  const Bytes dib = Dib8(4, 10, IndexPattern);
  for (const auto& c : cases) {
    Written w(WriteTiff(dib, TiffOptions{0, 8, 5, c.option, 8}));
    ASSERT_NE(nullptr, w.tif);
    EXPECT_EQ(c.rows, w.Tag32(TIFFTAG_ROWSPERSTRIP)) << "TiffStripsize " << c.option;
    EXPECT_EQ((10 + c.rows - 1) / c.rows, TIFFNumberOfStrips(w.tif));
  }
  Written chosen(WriteTiff(dib, TiffOptions{0, 8, 5, 0, 8}));
  ASSERT_NE(nullptr, chosen.tif);
  EXPECT_GE(chosen.Tag32(TIFFTAG_ROWSPERSTRIP), 1u);
}

// Sample s of pixel (x, y) in the written file.
uint32_t FileSample(Written& w, uint32_t x, uint32_t y, uint16_t s) {
  Bytes row(size_t(TIFFScanlineSize(w.tif)));
  EXPECT_EQ(1, TIFFReadScanline(w.tif, row.data(), y, 0));
  return GetSample(row.data(), uint64_t(x) * w.Tag16(TIFFTAG_SAMPLESPERPIXEL) + s, w.Tag16(TIFFTAG_BITSPERSAMPLE));
}

Bytes WideDib(int w, int h, int bits, const std::function<uint16_t(int x, int y, int c)>& sample) {
  rastcodec::DibImage img;
  EXPECT_TRUE(img.Create(w, h, bits, rastcodec::DibLayout::WideSamples));
  const int n = bits / 16;
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      for (int c = 0; c < n; ++c) {
        const uint16_t s = sample(x, y, c);
        std::memcpy(img.Row(y) + 2 * (n * x + c), &s, 2);
      }
    }
  }
  return img.data;
}

// Bits per sample, photometric interpretation and the values written for
// each kind of DIB; pixel (1, 1) of each picture is checked.
TEST(TiffOptions, SampleDepthAndValues) {
  const Bytes colour = Dib24(3, 3);
  const Bytes palette = Dib8(3, 3, IndexPattern);
  const Bytes grey = Dib8(3, 3, IndexPattern, true);
  // Grey 65534 is what the program writes for its sample 32767.
  const Bytes wideGrey = WideDib(3, 3, 16, [](int x, int y, int) { return uint16_t(x == 1 && y == 1 ? 65534 : 7 * x); });
  const Bytes wideColour = WideDib(3, 3, 48, [](int x, int y, int c) { return uint16_t(1000 * (c + 1) + 100 * x + y); });
  const Bgr px = Pattern(1, 1);
  const uint32_t idx = uint32_t(IndexPattern(1, 1));
  const struct {
    const char* name;
    const Bytes* dib;
    int32_t option;
    uint16_t bits, photometric;
    std::vector<uint32_t> pixel;   // samples of pixel (1, 1) in file order
  } cases[] = {
      {"colour 8", &colour, 8, 8, PHOTOMETRIC_RGB, {px.r, px.g, px.b}},
      {"colour 24", &colour, 24, 8, PHOTOMETRIC_RGB, {px.r, px.g, px.b}},
      {"colour own depth", &colour, 0, 8, PHOTOMETRIC_RGB, {px.r, px.g, px.b}},
      {"colour 16", &colour, 16, 16, PHOTOMETRIC_RGB, {px.r * 257u, px.g * 257u, px.b * 257u}},
      {"palette 8", &palette, 8, 8, PHOTOMETRIC_PALETTE, {idx}},
      {"palette 16", &palette, 16, 16, PHOTOMETRIC_MINISBLACK, {idx * 257}},
      {"grey ramp 8", &grey, 8, 8, PHOTOMETRIC_MINISBLACK, {idx}},
      {"wide grey 16", &wideGrey, 16, 16, PHOTOMETRIC_MINISBLACK, {65534}},
      {"wide grey own depth", &wideGrey, 0, 16, PHOTOMETRIC_MINISBLACK, {65534}},
      {"wide grey 8", &wideGrey, 8, 8, PHOTOMETRIC_MINISBLACK, {255}},
      {"wide colour 48", &wideColour, 48, 16, PHOTOMETRIC_RGB, {3101, 2101, 1101}},
      {"wide colour 8", &wideColour, 8, 8, PHOTOMETRIC_RGB, {12, 8, 4}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Written w(WriteTiff(*c.dib, TiffOptions{0, c.option, 1, 1024, 16}));
    ASSERT_NE(nullptr, w.tif);
    EXPECT_EQ(c.bits, w.Tag16(TIFFTAG_BITSPERSAMPLE));
    EXPECT_EQ(c.photometric, w.Tag16(TIFFTAG_PHOTOMETRIC));
    ASSERT_EQ(c.pixel.size(), w.Tag16(TIFFTAG_SAMPLESPERPIXEL));
    for (uint16_t s = 0; s < c.pixel.size(); ++s) EXPECT_EQ(c.pixel[s], FileSample(w, 1, 1, s)) << "sample " << s;
    if (c.photometric == PHOTOMETRIC_PALETTE) {
      uint16_t *red, *green, *blue;
      ASSERT_TRUE(TIFFGetField(w.tif, TIFFTAG_COLORMAP, &red, &green, &blue));
      EXPECT_EQ(PaletteColour(int(idx)).r * 257, red[idx]);
      EXPECT_EQ(PaletteColour(int(idx)).b * 257, blue[idx]);
    }
  }
}

// 16-bit pictures survive the trip through a file unchanged.
TEST(TiffOptions, WideSamplesRoundTrip) {
  for (int bits : {16, 48}) {
    const Bytes dib = WideDib(5, 3, bits, [](int x, int y, int c) { return uint16_t(65535 - 4099 * x - 257 * y - c); });
    Bytes file, back;
    ASSERT_TRUE(rastcodec::EncodeTiff(dib.data(), dib.size(), TiffOptions{0, 16, 5, 1024, 16}, &file));
    ASSERT_TRUE(rastcodec::DecodeTiff(file.data(), file.size(), &back));
    EXPECT_EQ(dib, back) << bits << " bits per pixel";
  }
}

}  // namespace
