// Every writer's file read back by the same format's reader: palette and
// colour pictures of widths 1, 3 and 5, so that every row padding occurs.

#include "fixtures.h"

namespace {

using namespace fixtures;
using rastcodec::Bytes;

struct Codec {
  const char* name;
  bool (*encode)(const Bytes& dib, Bytes* file);
  bool (*decode)(const uint8_t*, size_t, Bytes*);
  int colourTolerance;   // largest channel error allowed
  bool keepsIndices;     // palette pictures come back as the same indices
};

const Codec kCodecs[] = {
    {"GIF",
     [](const Bytes& d, Bytes* f) { return rastcodec::EncodeGif(d.data(), d.size(), GifOptions{0, 89, 1, 0, 0}, f); },
     rastcodec::DecodeGif, 0, true},
    {"JPEG",
     [](const Bytes& d, Bytes* f) { return rastcodec::EncodeJpeg(d.data(), d.size(), JpegOptions{0, 100, 0}, f); },
     rastcodec::DecodeJpeg, 3, false},
    {"PCX",
     [](const Bytes& d, Bytes* f) {
       return rastcodec::EncodePcx(d.data(), d.size(), PcxOptions{32, 5, rastcodec::kConverterVersion, 1}, f);
     },
     rastcodec::DecodePcx, 0, true},
    {"TIFF",
     [](const Bytes& d, Bytes* f) {
       return rastcodec::EncodeTiff(d.data(), d.size(), TiffOptions{0, 8, 5, 1024, 8}, f);
     },
     rastcodec::DecodeTiff, 0, true},
};

// Gentle gradients: lossy codecs keep them closely, and every pixel differs.
Bgr Gradient(int x, int y) { return Bgr{uint8_t(40 + 20 * x), uint8_t(60 + 15 * y), uint8_t(100 + 10 * x + 9 * y)}; }
int SmoothIndex(int x, int y) { return 30 + 7 * x + 5 * y; }

class RoundTrip : public ::testing::TestWithParam<std::tuple<int, bool, int>> {};

TEST_P(RoundTrip, PixelsComeBack) {
  const Codec& codec = kCodecs[std::get<0>(GetParam())];
  const bool palette = std::get<1>(GetParam());
  const int width = std::get<2>(GetParam()), height = 4;
  const Bytes dib = palette ? Dib8(width, height, SmoothIndex) : Dib24(width, height, Gradient);

  Bytes file, back;
  ASSERT_TRUE(codec.encode(dib, &file));
  ASSERT_TRUE(codec.decode(file.data(), file.size(), &back));
  const rastcodec::DibView v = View(back);
  EXPECT_EQ(width, v.width);
  EXPECT_EQ(height, v.height);
  EXPECT_LE(MaxChannelError(Colours(dib), Colours(back)), codec.colourTolerance);
  if (palette && codec.keepsIndices) {
    EXPECT_EQ(8, v.bits);
    EXPECT_EQ(Indices(dib), Indices(back));
  }
}

INSTANTIATE_TEST_SUITE_P(Formats, RoundTrip,
                         ::testing::Combine(::testing::Range(0, int(std::size(kCodecs))), ::testing::Bool(),
                                            ::testing::Values(1, 3, 5)),
                         [](const auto& info) {
                           return std::string(kCodecs[std::get<0>(info.param)].name) +
                                  (std::get<1>(info.param) ? "_palette8" : "_colour24") + "_width" +
                                  std::to_string(std::get<2>(info.param));
                         });

}  // namespace
