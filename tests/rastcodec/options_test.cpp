// The GIF, JPEG and PCX writers' options, checked in the files they write:
// GIF through giflib's own reader, JPEG by size and error, PCX in its header.

#include "fixtures.h"

#include <gif_lib.h>

#include <cmath>
#include <cstring>
#include <memory>

namespace {

using namespace fixtures;
using rastcodec::Bytes;

// giflib's complete reader (it puts interlaced rows in place itself), as an
// independent look at the files we write.
struct Slurped {
  GifFileType* gif = nullptr;
  ~Slurped() {
    int error;
    if (gif != nullptr) DGifCloseFile(gif, &error);
  }
};

struct Input {
  const Bytes* bytes;
  size_t pos;
};

int ReadBytes(GifFileType* gif, GifByteType* buf, int n) {
  auto* in = static_cast<Input*>(gif->UserData);
  const size_t count = std::min(size_t(n), in->bytes->size() - in->pos);
  std::memcpy(buf, in->bytes->data() + in->pos, count);
  in->pos += count;
  return int(count);
}

void Slurp(const Bytes& file, Slurped* out) {
  Input in{&file, 0};
  int error = 0;
  out->gif = DGifOpen(&in, ReadBytes, &error);
  ASSERT_NE(nullptr, out->gif);
  ASSERT_EQ(GIF_OK, DGifSlurp(out->gif));
  ASSERT_GE(out->gif->ImageCount, 1);
}

Bytes WriteGif(const Bytes& dib, GifOptions options) {
  Bytes file;
  EXPECT_TRUE(rastcodec::EncodeGif(dib.data(), dib.size(), options, &file));
  return file;
}

TEST(GifOptions, FormatChoosesTheSignature) {
  const struct {
    int32_t format;
    const char* signature;
  } cases[] = {{89, "GIF89a"}, {87, "GIF87a"}, {0, "GIF87a"}, {90, "GIF87a"}};
  const Bytes dib = Dib8(3, 2, IndexPattern);
  for (const auto& c : cases) {
    const Bytes file = WriteGif(dib, GifOptions{0, c.format, 1, 0, 0});
    EXPECT_EQ(c.signature, std::string(file.begin(), file.begin() + 6)) << "GifFormat " << c.format;
  }
}

// Rows 0..12 cover all four interlace passes (every 8th from 0 and 4, every
// 4th from 2, every 2nd from 1).
TEST(GifOptions, InterlacedAndColourMapPlacement) {
  const int w = 5, h = 13;
  const Bytes dib = Dib8(w, h, IndexPattern);
  const std::vector<uint8_t> expected = Indices(dib);
  for (int interlaced = 0; interlaced <= 1; ++interlaced) {
    for (int global = 0; global <= 1; ++global) {
      SCOPED_TRACE("interlaced " + std::to_string(interlaced) + ", global map " + std::to_string(global));
      const Bytes file = WriteGif(dib, GifOptions{0, 89, global, interlaced, 0});
      Slurped s;
      Slurp(file, &s);
      const SavedImage& image = s.gif->SavedImages[0];
      EXPECT_EQ(interlaced != 0, image.ImageDesc.Interlace);
      EXPECT_EQ(global != 0, s.gif->SColorMap != nullptr);
      EXPECT_EQ(global == 0, image.ImageDesc.ColorMap != nullptr);
      EXPECT_EQ(expected, std::vector<uint8_t>(image.RasterBits, image.RasterBits + w * h));
      const ColorMapObject* map = global ? s.gif->SColorMap : image.ImageDesc.ColorMap;
      ASSERT_NE(nullptr, map);
      ASSERT_EQ(256, map->ColorCount);
      const Bgr c = PaletteColour(200);
      EXPECT_EQ(c.r, map->Colors[200].Red);
      EXPECT_EQ(c.b, map->Colors[200].Blue);

      Bytes back;
      ASSERT_TRUE(rastcodec::DecodeGif(file.data(), file.size(), &back));
      EXPECT_EQ(expected, Indices(back));
    }
  }
}

TEST(GifOptions, Grayscale24TurnsColourIntoGreyLevels) {
  const Bytes dib = Dib24(4, 3);   // 12 different colours
  Slurped grey, colour;
  Slurp(WriteGif(dib, GifOptions{0, 89, 1, 0, 1}), &grey);
  Slurp(WriteGif(dib, GifOptions{0, 89, 1, 0, 0}), &colour);
  const std::vector<Bgr> source = Colours(dib);
  for (size_t i = 0; i < source.size(); ++i) {
    const GifColorType g = grey.gif->SColorMap->Colors[grey.gif->SavedImages[0].RasterBits[i]];
    EXPECT_EQ(rastcodec::Luminance(source[i]), g.Red) << "pixel " << i;
    EXPECT_TRUE(g.Red == g.Green && g.Green == g.Blue);
    const GifColorType c = colour.gif->SColorMap->Colors[colour.gif->SavedImages[0].RasterBits[i]];
    EXPECT_EQ(source[i], (Bgr{c.Blue, c.Green, c.Red})) << "pixel " << i;
  }
}

TEST(GifOptions, ManyColoursAreQuantisedClosely) {
  // 64 x 64 smooth colours: far more than 256 different ones.
  const Bytes dib = Dib24(64, 64, [](int x, int y) { return Bgr{uint8_t(4 * x), uint8_t(4 * y), uint8_t(2 * (x + y))}; });
  Bytes file, back;
  ASSERT_TRUE(rastcodec::EncodeGif(dib.data(), dib.size(), GifOptions{0, 89, 1, 0, 0}, &file));
  ASSERT_TRUE(rastcodec::DecodeGif(file.data(), file.size(), &back));
  const std::vector<Bgr> a = Colours(dib), b = Colours(back);
  double sum = 0;
  for (size_t i = 0; i < a.size(); ++i) sum += std::abs(a[i].b - b[i].b) + std::abs(a[i].g - b[i].g) + std::abs(a[i].r - b[i].r);
  // Median cut leaves about 8 levels on average here; a mixed-up channel
  // order would leave about 80.
  EXPECT_LT(sum / (3.0 * a.size()), 10.0);
  EXPECT_LE(MaxChannelError(a, b), 64);
}

// A picture with texture, so that quality shows in size and error.
Bytes Textured() {
  return Dib24(48, 32, [](int x, int y) {
    return Bgr{uint8_t(128 + 100 * std::sin(x * 0.7) * std::cos(y * 0.3)), uint8_t(4 * x + 3 * y),
               uint8_t((x * y) % 256)};
  });
}

int MeanError(const Bytes& a, const Bytes& b) {
  const std::vector<Bgr> x = Colours(a), y = Colours(b);
  long sum = 0;
  for (size_t i = 0; i < x.size(); ++i) sum += std::abs(x[i].b - y[i].b) + std::abs(x[i].g - y[i].g) + std::abs(x[i].r - y[i].r);
  return int(sum / long(x.size()));
}

TEST(JpegOptions, QualityTradesSizeForError) {
  const Bytes dib = Textured();
  size_t lastSize = 0;
  int lastError = 1 << 30;
  for (int32_t quality : {1, 25, 75, 100}) {
    SCOPED_TRACE("quality " + std::to_string(quality));
    Bytes file, back;
    ASSERT_TRUE(rastcodec::EncodeJpeg(dib.data(), dib.size(), JpegOptions{0, quality, 0}, &file));
    ASSERT_TRUE(rastcodec::DecodeJpeg(file.data(), file.size(), &back));
    const int error = MeanError(dib, back);
    EXPECT_GT(file.size(), lastSize);
    EXPECT_LT(error, lastError);
    lastSize = file.size();
    lastError = error;
  }
}

TEST(JpegOptions, QualityOutsideTheScaleIsClamped) {
  const Bytes dib = Textured();
  auto write = [&](int32_t q) {
    Bytes file;
    EXPECT_TRUE(rastcodec::EncodeJpeg(dib.data(), dib.size(), JpegOptions{0, q, 0}, &file));
    return file;
  };
  EXPECT_EQ(write(1), write(0));
  EXPECT_EQ(write(1), write(-7));
  EXPECT_EQ(write(100), write(101));
}

TEST(JpegOptions, GrayscaleWritesOneComponent) {
  const Bytes dib = Textured();
  for (int32_t grey : {0, 1}) {
    Bytes file, back;
    ASSERT_TRUE(rastcodec::EncodeJpeg(dib.data(), dib.size(), JpegOptions{0, 100, grey}, &file));
    ASSERT_TRUE(rastcodec::DecodeJpeg(file.data(), file.size(), &back));
    const rastcodec::DibView v = View(back);
    EXPECT_EQ(grey ? 8 : 24, v.bits);
    if (grey) {
      EXPECT_TRUE(v.IsGreyRamp());
      const std::vector<Bgr> source = Colours(dib), read = Colours(back);
      for (size_t i = 0; i < source.size(); ++i) {
        EXPECT_NEAR(rastcodec::Luminance(source[i]), read[i].g, 3) << "pixel " << i;
      }
    }
  }
}

Bytes WritePcx(const Bytes& dib, PcxOptions options) {
  Bytes file;
  EXPECT_TRUE(rastcodec::EncodePcx(dib.data(), dib.size(), options, &file));
  return file;
}

TEST(PcxOptions, VersionByte) {
  const struct {
    int32_t option;
    uint8_t written;
  } cases[] = {{5, 5}, {0, 0}, {2, 2}, {3, 3}, {4, 4}, {1, 5}, {6, 5}, {-56, 5}};
  const Bytes dib = Dib8(3, 2, IndexPattern);
  for (const auto& c : cases) {
    EXPECT_EQ(c.written, WritePcx(dib, PcxOptions{32, c.option, 8, 1})[1]) << "PcxPCXVersion " << c.option;
  }
}

TEST(PcxOptions, CompressionOffWritesPlainLines) {
  // Uniform rows: run-length coding shrinks them, plain lines do not.
  const Bytes dib = Dib8(40, 6, [](int, int y) { return y * 50; });
  const Bytes plain = WritePcx(dib, PcxOptions{32, 5, 8, 0});
  const Bytes packed = WritePcx(dib, PcxOptions{32, 5, 8, 1});
  EXPECT_EQ(0, plain[2]);
  EXPECT_EQ(1, packed[2]);
  EXPECT_EQ(128u + 6 * 40 + 769, plain.size());
  EXPECT_LT(packed.size(), 128u + 6 * 12 + 769);
  for (const Bytes* file : {&plain, &packed}) {
    Bytes back;
    ASSERT_TRUE(rastcodec::DecodePcx(file->data(), file->size(), &back));
    EXPECT_EQ(Indices(dib), Indices(back));
  }
}

TEST(PcxOptions, LinesTooLongForTheHeaderAreRefused) {
  // 65535 pixels of 8 bits make an even line of 65536 bytes, which the
  // header's 16-bit field cannot state; 65534 still fit.
  Bytes file;
  const Bytes widest = Dib8(65535, 1, IndexPattern);
  EXPECT_FALSE(rastcodec::EncodePcx(widest.data(), widest.size(), PcxOptions{32, 5, 8, 1}, &file));
  EXPECT_TRUE(file.empty());
  const Bytes wide = Dib8(65534, 1, IndexPattern);
  ASSERT_TRUE(rastcodec::EncodePcx(wide.data(), wide.size(), PcxOptions{32, 5, 8, 1}, &file));
  Bytes back;
  ASSERT_TRUE(rastcodec::DecodePcx(file.data(), file.size(), &back));
  EXPECT_EQ(65534, View(back).width);
}

// Level i of 0..255 kept in `levels` steps, as a palette index and back.
int Reduced(int i, int levels) { return (i * (levels - 1) + 127) / 255; }
int Widened(int j, int levels) { return (j * 255 + (levels - 1) / 2) / (levels - 1); }

TEST(PcxOptions, BitsPerPixel) {
  const int w = 5, h = 3;
  const Bytes palette = Dib8(w, h, IndexPattern);
  const Bytes colour = Dib24(w, h);
  const struct {
    const Bytes* dib;
    int32_t option;
    int bits, planes;   // in the header
    int levels;         // palette levels kept, 0 for the picture's own colours
  } cases[] = {
      {&palette, 1, 1, 1, 2},     {&palette, 4, 1, 4, 16},   {&palette, 8, 8, 1, 0},
      {&palette, 24, 8, 3, 0},    {&colour, 8, 8, 1, 0},     {&colour, 24, 8, 3, 0},
      {&colour, rastcodec::kConverterVersion, 8, 3, 0},      {&palette, rastcodec::kConverterVersion, 8, 1, 0},
      {&palette, 0, 8, 1, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE("PcxBitsPerPixel " + std::to_string(c.option) + (c.dib == &colour ? " colour" : " palette"));
    const Bytes file = WritePcx(*c.dib, PcxOptions{32, 5, c.option, 1});
    EXPECT_EQ(c.bits, file[3]);
    EXPECT_EQ(c.planes, file[65]);
    Bytes back;
    ASSERT_TRUE(rastcodec::DecodePcx(file.data(), file.size(), &back));
    std::vector<Bgr> expected = Colours(*c.dib);
    if (c.levels != 0) {
      const std::vector<uint8_t> idx = Indices(*c.dib);
      for (size_t i = 0; i < idx.size(); ++i) expected[i] = PaletteColour(Widened(Reduced(idx[i], c.levels), c.levels));
    }
    EXPECT_EQ(expected, Colours(back));
  }
}

}  // namespace
