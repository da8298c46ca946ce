#include "imagelib/flat_dark.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <random>
#include <vector>

#include "random_image.h"

namespace {

using testimg::Header;
using testimg::Random;
using testimg::Samples;

TEST(FlatDark, SubtractDarkClipsAtZero) {
  const ImageHeader h = Header(5, 1, false);
  const Samples light = {100, 30, 32767, 0, -20};
  const Samples dark = {30, 100, -1, 0, -30};
  const Samples expected = {70, 0, 0, 0, 10};   // 32767 - (-1) wraps to a negative 16-bit value
  Samples out(5, 9);
  ASSERT_EQ(IMG_OK, SubtractDark(out.data(), light.data(), dark.data(), &h));
  EXPECT_EQ(expected, out);
  Samples inDark = dark;
  ASSERT_EQ(IMG_OK, SubtractDark(inDark.data(), light.data(), inDark.data(), &h));
  EXPECT_EQ(expected, inDark) << "the destination may be the dark frame";
  EXPECT_EQ(IMG_NULL_IMAGE, SubtractDark(out.data(), nullptr, dark.data(), &h));
}

TEST(FlatDark, UniformFlatLeavesThePicture) {
  for (bool colour : {false, true}) {
    const ImageHeader h = Header(9, 7, colour);
    const Samples light = Random(h, 1, 0, 32767);
    const Samples flat(light.size(), 12345);
    Samples out(light.size());
    ASSERT_EQ(IMG_OK, DivideFlatField(out.data(), light.data(), flat.data(), &h));
    EXPECT_EQ(light, out);
  }
}

TEST(FlatDark, FlatDefectsAndEdges) {
  // Light 1000 over a 12 x 10 flat of `sky` with one special pixel, so the
  // mean is (119 sky + flat) / 120; the ring of a defect is all sky except in
  // the corner, where the moved block's ring holds the defect itself.
  const int W = 12, H = 10;
  const ImageHeader h = Header(W, H, false);
  struct Case {
    const char* what;
    int x, y;
    int16_t sky, flat, light, expected, ordinary;
  } cases[] = {
      {"flat 0 passes light", 6, 5, 1000, 0, 777, 777, 992},
      {"flat half the mean", 6, 5, 1000, 500, 1000, 1992, 996},
      {"exactly twice the mean is used", 6, 5, 118, 238, 1000, 500, 1008},   // m = 119
      {"just above twice the mean: ring", 6, 5, 118, 239, 1000, 1009, 1009},
      {"defect far above: ring", 6, 5, 1000, 30000, 1000, 1242, 1242},
      {"negative flat: ring", 6, 5, 1000, -50, 1000, 991, 991},
      {"defect in the corner: nearest ring", 0, 0, 1000, 30000, 1000, 441, 1242},
      {"result above full scale", 6, 5, 1000, 100, 20000, 32767, 993},
  };
  for (const auto& c : cases) {
    Samples flat(W * H, c.sky), light(W * H, 1000), out(W * H);
    flat[c.y * W + c.x] = c.flat;
    light[c.y * W + c.x] = c.light;
    ASSERT_EQ(IMG_OK, DivideFlatField(out.data(), light.data(), flat.data(), &h));
    EXPECT_EQ(c.expected, out[c.y * W + c.x]) << c.what;
    EXPECT_EQ(c.ordinary, out[2 * W + 3]) << c.what << ": an ordinary pixel";
  }
}

// The division written out plainly: each channel's mean, k = m / f, the
// mean of the 16-pixel ring for a defect, light kept where nothing usable
// divides.
Samples ReferenceFlat(const ImageHeader& h, const Samples& light, const Samples& flat) {
  const int W = h.width, H = h.height, spp = SamplesPerPixel(&h);
  double mean[3] = {};
  for (size_t i = 0; i < flat.size(); ++i) mean[i % spp] += flat[i];
  for (double& m : mean) m /= double(W) * H;
  Samples out = light;
  for (int y = 0; y < H; ++y)
    for (int x = 0; x < W; ++x)
      for (int c = 0; c < spp; ++c) {
        const size_t i = (size_t(y) * W + x) * spp + c;
        if (flat[i] == 0) continue;
        double k = mean[c] / flat[i];
        if (k < 0.5) {
          const int cx = std::clamp(x, 2, W - 3), cy = std::clamp(y, 2, H - 3);
          double ring = 0;
          for (int dy = -2; dy <= 2; ++dy)
            for (int dx = -2; dx <= 2; ++dx)
              if (std::abs(dx) == 2 || std::abs(dy) == 2) ring += flat[((cy + dy) * W + cx + dx) * spp + c];
          ring *= 0.0625;
          if (ring <= 0) continue;
          k = mean[c] / ring;
        }
        const double v = light[i] * k + 0.5;
        out[i] = static_cast<int16_t>(v > 32767 ? 32767 : v < 0 ? 0 : static_cast<int>(v));
      }
  return out;
}

TEST(FlatDark, DivisionMatchesThePlainFormula) {
  // Flats of one level per channel with a run of values through twice the
  // mean (where a flat value turns into a defect), zeros, values of the
  // other sign and defects; channel means above, below and at 0.
  struct Case {
    const char* what;
    bool colour;
    int base[3];
  } cases[] = {
      {"grey", false, {9000, 0, 0}},          {"grey, small flat", false, {37, 0, 0}},
      {"grey, negative", false, {-7000, 0, 0}}, {"colour", true, {16000, 700, -3000}},
      {"mean 0", false, {0, 0, 0}},
  };
  for (const auto& c : cases) {
    const ImageHeader h = Header(201, 157, c.colour);
    const int spp = SamplesPerPixel(&h);
    Samples light = Random(h, 5, -200, 32767);
    Samples flat = Random(h, 6, -40, 40);
    for (size_t i = 0; i < flat.size(); ++i) {
      const int base = c.base[i % spp];
      const int v = base == 0 ? (i % 2 ? 3000 : -3000) : base + flat[i];
      flat[i] = static_cast<int16_t>(std::clamp(v, -32768, 32767));
    }
    // Every value within 400 of twice the level, then zeros, values of the
    // other sign and defects at random places.
    for (int ch = 0; ch < spp; ++ch)
      for (int d = -400; d <= 400; ++d)
        flat[(size_t(d + 400) * 37 % (201 * 157)) * spp + ch] = static_cast<int16_t>(2 * c.base[ch] + d);
    std::mt19937 gen(7);
    std::uniform_int_distribution<int> pick(0, static_cast<int>(flat.size()) - 1);
    for (int k = 0; k < 3000; ++k) {
      const int i = pick(gen), base = c.base[i % spp];
      const int v = k % 3 == 0 ? 0 : k % 3 == 1 ? -base : 4 * base;
      flat[i] = static_cast<int16_t>(std::clamp(v, -32768, 32767));
    }
    Samples out(light.size());
    ASSERT_EQ(IMG_OK, DivideFlatField(out.data(), light.data(), flat.data(), &h));
    const Samples expected = ReferenceFlat(h, light, flat);
    for (size_t i = 0; i < out.size(); ++i)
      ASSERT_EQ(expected[i], out[i]) << c.what << " sample " << i << " flat " << flat[i] << " light " << light[i];
    ASSERT_EQ(IMG_OK, DivideFlatField(light.data(), light.data(), flat.data(), &h));
    EXPECT_EQ(expected, light) << c.what << " in place";
  }
}

TEST(FlatDark, RandomFlatsMatchThePlainFormula) {
  // Odd sizes, grey and colour, flats from narrow to the whole 16-bit range,
  // with and without the extreme values 0, 32767 and -32768 in flat and light.
  const int sizes[][2] = {{5, 5}, {7, 9}, {33, 17}, {64, 48}};
  const int spans[][2] = {{19000, 21000}, {1, 60}, {-32768, 32767}, {-500, 40}, {0, 32767}};
  uint32_t seed = 40;
  for (const auto& size : sizes)
    for (bool colour : {false, true})
      for (const auto& span : spans)
        for (bool extremes : {false, true}) {
          const ImageHeader h = Header(size[0], size[1], colour);
          Samples light = Random(h, ++seed, -300, 32767);
          Samples flat = Random(h, ++seed, span[0], span[1]);
          std::mt19937 gen(seed);
          std::uniform_int_distribution<size_t> pick(0, flat.size() - 1);
          const int16_t edge[] = {0, 32767, -32768};
          for (int k = 0; extremes && k < 12; ++k) {
            flat[pick(gen)] = edge[k % 3];
            light[pick(gen)] = edge[k % 2];
          }
          const Samples expected = ReferenceFlat(h, light, flat);
          Samples out(light.size());
          ASSERT_EQ(IMG_OK, DivideFlatField(out.data(), light.data(), flat.data(), &h));
          ASSERT_EQ(expected, out) << size[0] << " x " << size[1] << " colour " << colour << " flat " << span[0]
                                   << ".." << span[1] << " extremes " << extremes;
        }
}

TEST(FlatDark, RingMeanSkipsTheCentre) {
  // 5 x 5 ring of 16 pixels; the centre 3 x 3 must not count.
  const ImageHeader h = Header(7, 6, true);
  Samples flat(7 * 6 * 3, 0);
  for (int y = 0; y < 6; ++y)
    for (int x = 0; x < 7; ++x) {
      const bool ring = std::abs(x - 2) == 2 || std::abs(y - 2) == 2;
      flat[(y * 7 + x) * 3 + 1] = static_cast<int16_t>(ring ? 160 : 9999);
    }
  // Pixel (0, 0) moves to the block around (2, 2); the index counts samples.
  EXPECT_DOUBLE_EQ(160.0, FlatRingMean(flat.data(), &h, 0, 1));
  EXPECT_DOUBLE_EQ(160.0, FlatRingMean(flat.data(), &h, (1 * 7 + 1) * 3, 1));
  EXPECT_DOUBLE_EQ(0.0, FlatRingMean(flat.data(), &h, 0, 0));
  const ImageHeader small = Header(4, 9, false);
  const Samples s(36, 100);
  EXPECT_EQ(0.0, FlatRingMean(s.data(), &small, 5, 0)) << "no 5 x 5 block fits";
  EXPECT_EQ(0.0, FlatRingMean(s.data(), &small, 36, 0)) << "index beyond the picture";
}

TEST(FlatDark, DivisorsWithoutUseLeaveLightAlone) {
  // A bright defect in a ring of zeros, and a defect in a picture too small
  // for any ring: light passes through.
  Samples flat(49, 1000), light(49, 1234);
  for (int y = 1; y <= 5; ++y)
    for (int x = 1; x <= 5; ++x) flat[y * 7 + x] = 0;
  flat[3 * 7 + 3] = 32000;
  const ImageHeader h = Header(7, 7, false);
  Samples out(49);
  ASSERT_EQ(IMG_OK, DivideFlatField(out.data(), light.data(), flat.data(), &h));
  EXPECT_EQ(1234, out[3 * 7 + 3]);

  const ImageHeader tiny = Header(4, 3, false);
  Samples tf(12, 10), tl(12, 500), to(12);
  tf[5] = 1000;
  ASSERT_EQ(IMG_OK, DivideFlatField(to.data(), tl.data(), tf.data(), &tiny));
  EXPECT_EQ(500, to[5]);
}

TEST(FlatDark, DestinationMayBeTheFlatOrTheLight) {
  for (bool colour : {false, true}) {
    const ImageHeader h = Header(11, 9, colour);
    const Samples light = Random(h, 2, 0, 32767);
    Samples flat = Random(h, 3, 900, 1100);
    flat[40] = 25000;   // a defect whose ring is read after earlier pixels are written
    flat[41] = 0;
    Samples apart(light.size());
    ASSERT_EQ(IMG_OK, DivideFlatField(apart.data(), light.data(), flat.data(), &h));
    Samples intoFlat = flat;
    ASSERT_EQ(IMG_OK, DivideFlatField(intoFlat.data(), light.data(), intoFlat.data(), &h));
    EXPECT_EQ(apart, intoFlat) << "colour " << colour;
    Samples intoLight = light;
    ASSERT_EQ(IMG_OK, DivideFlatField(intoLight.data(), intoLight.data(), flat.data(), &h));
    EXPECT_EQ(apart, intoLight) << "colour " << colour;
  }
  const ImageHeader h = Header(3, 3, false);
  Samples a(9);
  EXPECT_EQ(IMG_NULL_IMAGE, DivideFlatField(a.data(), a.data(), nullptr, &h));
}

}  // namespace
