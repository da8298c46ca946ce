#include "imagelib/colour_channels.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

#include "random_image.h"

namespace {

using testimg::At;
using testimg::Header;
using testimg::Random;
using testimg::Samples;

struct Move {
  int dx, dy, size;
};

// One result sample of a moved channel, per pixel from the definition.
int16_t MovedSample(const Samples& s, const ImageHeader& h, int channel, const Move& m, int r, int c) {
  const int W = h.width, H = h.height;
  if (m.size == 0) {
    const int sr = r - m.dy, sc = c - m.dx;
    return sr >= 0 && sr < H && sc >= 0 && sc < W ? At(s, h, sc, sr, channel) : 0;
  }
  if (r > H - 2 || c > W - 2) return 0;
  const int hw = W / 2, hh = H / 2;
  const double f = double(hw) / double(hw + m.size);
  const double ys = (hh - m.dy) + (r - hh) * f, xs = (hw - m.dx) + (c - hw) * f;
  const double y0 = std::floor(ys), x0 = std::floor(xs);
  if (y0 < 0 || y0 + 1 > H - 2 || x0 < 0 || x0 + 1 > W - 2) return 0;
  const uint32_t fy = uint32_t((ys - y0) * 256.0), fx = uint32_t((xs - x0) * 256.0);
  const int x = int(x0), y = int(y0);
  const int32_t p00 = At(s, h, x, y, channel), p01 = At(s, h, x + 1, y, channel);
  const int32_t p10 = At(s, h, x, y + 1, channel), p11 = At(s, h, x + 1, y + 1, channel);
  const uint32_t v = uint32_t(p01 - p00) * fx * 256u + uint32_t(p00) * 65536u +
                     (uint32_t(p10 - p00) * 256u + uint32_t(p11 - p10 - p01 + p00) * fx) * fy;
  return static_cast<int16_t>(static_cast<uint16_t>(v >> 16));
}

TEST(ColourChannels, AlignMatchesPerPixelDefinition) {
  struct Case {
    int W, H;
    Move blue, red;
  } cases[] = {
      {9, 7, {0, 0, 0}, {0, 0, 0}},       {9, 7, {1, 0, 0}, {0, -2, 0}},   {9, 7, {-3, 2, 0}, {4, 4, 0}},
      {9, 7, {9, 0, 0}, {0, -7, 0}},       // moved out entirely
      {16, 12, {0, 0, 4}, {0, 0, -3}},    {16, 12, {2, -1, 1}, {-1, 3, 7}}, {15, 11, {0, 0, -6}, {20, 0, 2}},
      {40, 30, {1, 1, 300}, {0, 0, -19}},
  };
  for (const auto& c : cases) {
    const ImageHeader h = Header(c.W, c.H, true);
    const Samples src = Random(h, 20 + c.W, 0, 32767);
    Samples dst(src.size(), -1);
    ASSERT_EQ(IMG_OK, AlignColourChannels(src.data(), dst.data(), &h, c.blue.dx, c.blue.dy, c.blue.size, c.red.dx,
                                          c.red.dy, c.red.size));
    for (int r = 0; r < c.H; ++r)
      for (int x = 0; x < c.W; ++x) {
        ASSERT_EQ(MovedSample(src, h, 0, c.blue, r, x), At(dst, h, x, r, 0)) << "blue at " << x << "," << r;
        ASSERT_EQ(At(src, h, x, r, 1), At(dst, h, x, r, 1)) << "green at " << x << "," << r;
        ASSERT_EQ(MovedSample(src, h, 2, c.red, r, x), At(dst, h, x, r, 2)) << "red at " << x << "," << r;
      }
    Samples same = src;
    ASSERT_EQ(IMG_OK, AlignColourChannels(same.data(), same.data(), &h, c.blue.dx, c.blue.dy, c.blue.size,
                                          c.red.dx, c.red.dy, c.red.size));
    EXPECT_EQ(dst, same) << "in place, " << c.W << "x" << c.H;
  }
}

TEST(ColourChannels, AlignZeroIsIdentityAndEnlargementInterpolates) {
  const ImageHeader h = Header(8, 8, true);
  Samples src(8 * 8 * 3);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x)
      for (int k = 0; k < 3; ++k) src[(y * 8 + x) * 3 + k] = static_cast<int16_t>(100 * x + 1000 * y + k);
  Samples dst(src.size(), -1);
  ASSERT_EQ(IMG_OK, AlignColourChannels(src.data(), dst.data(), &h, 0, 0, 0, 0, 0, 0));
  EXPECT_EQ(src, dst);

  // Size 4 on a half width of 4 doubles the channel: result column 1 of row
  // 0 reads source x = 2.5, y = 2, halfway between 200 and 300.
  ASSERT_EQ(IMG_OK, AlignColourChannels(src.data(), dst.data(), &h, 0, 0, 4, 0, 0, 0));
  EXPECT_EQ(2000 + 250, At(dst, h, 1, 0, 0));
  for (int i = 0; i < 8; ++i) {
    EXPECT_EQ(0, At(dst, h, 7, i, 0)) << "last column, row " << i;
    EXPECT_EQ(0, At(dst, h, i, 7, 0)) << "last row, column " << i;
  }
}

TEST(ColourChannels, AlignRejectsUnusableInput) {
  const ImageHeader colour = Header(8, 4, true);
  const ImageHeader grey = Header(8, 4, false);
  const ImageHeader narrow = Header(1, 4, true);
  Samples src = Random(colour, 21), dst(src.size(), -1);
  struct Case {
    const char* what;
    std::function<ImageResult()> call;
    ImageResult expected;
  } cases[] = {
      {"null source", [&] { return AlignColourChannels(nullptr, dst.data(), nullptr, 0, 0, 0, 0, 0, 0); },
       IMG_NULL_IMAGE},
      {"null header", [&] { return AlignColourChannels(src.data(), dst.data(), nullptr, 0, 0, 0, 0, 0, 0); },
       IMG_NULL_ARRAY},
      {"grey image", [&] { return AlignColourChannels(src.data(), dst.data(), &grey, 0, 0, 0, 0, 0, 0); },
       IMG_BAD_PARAMETER},
      {"blue size -4 on half width 4",
       [&] { return AlignColourChannels(src.data(), dst.data(), &colour, 0, 0, -4, 0, 0, 0); }, IMG_BAD_PARAMETER},
      {"red size -9", [&] { return AlignColourChannels(src.data(), dst.data(), &colour, 0, 0, 0, 0, 0, -9); },
       IMG_BAD_PARAMETER},
      {"size on a one-pixel-wide image",
       [&] { return AlignColourChannels(src.data(), dst.data(), &narrow, 0, 0, 1, 0, 0, 0); }, IMG_BAD_PARAMETER},
  };
  for (const auto& c : cases) EXPECT_EQ(c.expected, c.call()) << c.what;
  EXPECT_EQ(Samples(src.size(), -1), dst);
  EXPECT_EQ(IMG_OK, AlignColourChannels(src.data(), dst.data(), &colour, 0, 0, -3, 0, 0, 0));
}

TEST(ColourChannels, LuminanceRoundsToNearest) {
  const ImageHeader h = Header(3, 1, true);
  const Samples rgb = {0, 0, 32767, 32767, 32767, 32767, 1, 1, 0};   // B,G,R
  Samples grey(3, -1);
  ASSERT_EQ(IMG_OK, RgbToLuminance(rgb.data(), &h, grey.data()));
  EXPECT_EQ((Samples{9797, 32767, 1}), grey);   // 9797.33; 0.701 rounds up

  const ImageHeader g = Header(3, 1, false);
  EXPECT_EQ(IMG_BAD_PARAMETER, RgbToLuminance(rgb.data(), &g, grey.data()));
  Samples same = rgb;
  EXPECT_EQ(IMG_BAD_PARAMETER, RgbToLuminance(same.data(), &h, same.data()));
  EXPECT_EQ(IMG_NULL_IMAGE, RgbToLuminance(rgb.data(), &h, nullptr));
}

TEST(ColourChannels, ExtractPlanesByMode) {
  const ImageHeader h = Header(2, 1, true);
  const Samples rgb = {1, 2, 3, 0, 0, 32767};   // B,G,R
  struct Case {
    int mode;
    Samples out1, out2, out3;
  } cases[] = {
      {0, {3, 32767}, {2, 0}, {1, 0}}, {1, {3, 32767}, {-1, -1}, {-1, -1}}, {2, {2, 0}, {-1, -1}, {-1, -1}},
      {3, {1, 0}, {-1, -1}, {-1, -1}}, {4, {2, 9797}, {-1, -1}, {-1, -1}},  {9, {-1, -1}, {-1, -1}, {-1, -1}},
  };
  for (const auto& c : cases) {
    Samples a(2, -1), b(2, -1), d(2, -1);
    ASSERT_EQ(IMG_OK, ExtractColourPlanes(rgb.data(), &h, c.mode, a.data(), b.data(), d.data()));
    EXPECT_EQ(c.out1, a) << "mode " << c.mode;
    EXPECT_EQ(c.out2, b) << "mode " << c.mode;
    EXPECT_EQ(c.out3, d) << "mode " << c.mode;
  }
  Samples a(6, -1), same = rgb;
  EXPECT_EQ(IMG_NULL_IMAGE, ExtractColourPlanes(rgb.data(), &h, 0, a.data(), nullptr, a.data()));
  EXPECT_EQ(IMG_OK, ExtractColourPlanes(rgb.data(), &h, 1, a.data(), nullptr, nullptr));
  EXPECT_EQ(IMG_BAD_PARAMETER, ExtractColourPlanes(same.data(), &h, 2, same.data(), nullptr, nullptr));
  EXPECT_EQ(IMG_BAD_PARAMETER, ExtractColourPlanes(same.data(), &h, 0, a.data(), a.data(), same.data()));
  const ImageHeader grey = Header(2, 1, false);
  EXPECT_EQ(IMG_BAD_PARAMETER, ExtractColourPlanes(rgb.data(), &grey, 1, a.data(), nullptr, nullptr));
}

TEST(ColourChannels, MergePlanesByMode) {
  const ImageHeader h = Header(2, 1, true);
  const Samples r = {10, 11}, g = {20, 21}, b = {30, 31};
  Samples rgb(6, -1);
  ASSERT_EQ(IMG_OK, MergeColourPlanes(rgb.data(), &h, 1, r.data(), g.data(), b.data()));
  EXPECT_EQ((Samples{30, 20, 10, 31, 21, 11}), rgb);
  ASSERT_EQ(IMG_OK, MergeColourPlanes(rgb.data(), &h, 2, r.data(), nullptr, b.data()));
  EXPECT_EQ((Samples{30, 0, 10, 31, 0, 11}), rgb);

  // Mode 3 takes two colour images: blue of one, red of the other, the mean
  // of their greens truncated toward zero.
  const Samples redImage = {1, 4, 100, 1, 0, 200}, blueImage = {50, 3, 2, 60, -3, 2};
  ASSERT_EQ(IMG_OK, MergeColourPlanes(rgb.data(), &h, 3, redImage.data(), nullptr, blueImage.data()));
  EXPECT_EQ((Samples{50, 3, 100, 60, -1, 200}), rgb);
  Samples inPlace = redImage;
  ASSERT_EQ(IMG_OK, MergeColourPlanes(inPlace.data(), &h, 3, inPlace.data(), nullptr, blueImage.data()));
  EXPECT_EQ(rgb, inPlace);

  Samples untouched(6, -1);
  ASSERT_EQ(IMG_OK, MergeColourPlanes(untouched.data(), &h, 7, r.data(), g.data(), b.data()));
  EXPECT_EQ(Samples(6, -1), untouched);
  EXPECT_EQ(IMG_NULL_IMAGE, MergeColourPlanes(untouched.data(), &h, 1, r.data(), nullptr, b.data()));
  Samples planes(6, 5);
  EXPECT_EQ(IMG_BAD_PARAMETER, MergeColourPlanes(planes.data(), &h, 1, planes.data(), g.data(), b.data()));
}

}  // namespace
