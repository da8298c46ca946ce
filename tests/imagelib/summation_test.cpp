#include "imagelib/summation.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <functional>
#include <vector>

#include "imagelib/primitives.h"
#include "imagelib/statistics.h"
#include "stacking_fixtures.h"

namespace {

using testimg::At;
using testimg::Disc;
using testimg::Header;
using testimg::Random;
using testimg::Samples;

struct Sum {
  ImageHeader h;
  std::vector<int32_t> sum;
  std::vector<uint32_t> count;
  explicit Sum(const ImageHeader& hd)
      : h(hd), sum(testimg::SampleCount(hd)), count(size_t(hd.width) * hd.height) {}
  ImageResult Add(const Samples& frame, const ImageRect& window, int dx, int dy, int mode) {
    const int32_t shift[2] = {dx, dy};
    return AddShiftedFrame(&window, shift, &h, frame.data(), &h, sum.data(), count.data(), 0, 1, mode);
  }
  Samples Divide(int mode = 0) {
    Samples out(testimg::SampleCount(h), -1);
    EXPECT_EQ(IMG_OK, DivideSumByCount(&h, &h, out.data(), sum.data(), count.data(), mode, nullptr));
    return out;
  }
};

ImageHeader WithFill(ImageHeader h) {
  h.fillRed = 11;
  h.fillGreen = 22;
  h.fillBlue = 33;
  return h;
}

TEST(Summation, AddTwiceThenDivideGivesTheFrameInsideTheWindow) {
  for (bool colour : {false, true}) {
    const ImageHeader h = WithFill(Header(30, 24, colour));
    Samples frame = Random(h, 1, 0, 32767);
    for (int k = 0; k < 3; ++k) frame[k] = 0;           // pixel 0 all zero
    if (colour) frame[3 * 31] = 0;                      // pixel 31 keeps two samples
    const ImageRect window = {4, 3, 20, 15};
    Sum s(h);
    ASSERT_EQ(IMG_OK, s.Add(frame, window, 0, 0, 0));
    ASSERT_EQ(IMG_OK, s.Add(frame, window, 0, 0, 0));
    const Samples out = s.Divide();
    const int spp = colour ? 3 : 1;
    const int16_t fill[3] = {static_cast<int16_t>(colour ? 33 : 11), 22, 11};
    for (int y = 0; y < 24; ++y)
      for (int x = 0; x < 30; ++x)
        for (int c = 0; c < spp; ++c) {
          const bool inside = x >= 4 && x < 24 && y >= 3 && y < 18;
          EXPECT_EQ(inside ? At(frame, h, x, y, c) : fill[c], At(out, h, x, y, c))
              << x << "," << y << " channel " << c << " colour " << colour;
        }
  }
}

TEST(Summation, ShiftMovesTheFrameWithinTheWindow) {
  const ImageHeader h = Header(16, 12, true);
  const Samples frame = Random(h, 2, 1, 32767);
  const ImageRect window = {1, 1, 14, 10};
  struct Case {
    int dx, dy;
  } cases[] = {{3, -2}, {-5, 4}, {0, 9}, {16, 0}, {-14, 0}};
  for (const auto& c : cases) {
    Sum s(h);
    ASSERT_EQ(IMG_OK, s.Add(frame, window, c.dx, c.dy, 0));
    for (int Y = 0; Y < 12; ++Y)
      for (int X = 0; X < 16; ++X) {
        const int x = X - c.dx, y = Y - c.dy;
        const bool takes = X >= 1 && X < 15 && Y >= 1 && Y < 11 && x >= 1 && x < 15 && y >= 1 && y < 11;
        EXPECT_EQ(takes ? 1u : 0u, s.count[Y * 16 + X]) << c.dx << "," << c.dy << " at " << X << "," << Y;
        for (int k = 0; k < 3; ++k)
          EXPECT_EQ(takes ? At(frame, h, x, y, k) : 0, s.sum[(Y * 16 + X) * 3 + k]);
      }
  }
}

TEST(Summation, ModesCapKeepTheMaximumAndSkipEmptySamples) {
  const ImageHeader h = Header(3, 1, false);
  const ImageRect all = {0, 0, 3, 1};
  struct Case {
    int mode;
    Samples a, b;
    std::vector<int32_t> sum;
    std::vector<uint32_t> count;
  } cases[] = {
      {0, {20000, 0, -5}, {20000, 7, 3}, {40000, 7, 3}, {2, 1, 1}},
      {1, {20000, 0, 9}, {100, 7, 3}, {20000, 7, 9}, {1, 1, 1}},
      {2, {20000, 0, 9}, {20000, 7, -3}, {32767, 7, 9}, {1, 1, 1}},
      {7, {20000, 1, 1}, {20000, 1, 1}, {0, 0, 0}, {0, 0, 0}},
  };
  for (const auto& c : cases) {
    Sum s(h);
    ASSERT_EQ(IMG_OK, s.Add(c.a, all, 0, 0, c.mode));
    ASSERT_EQ(IMG_OK, s.Add(c.b, all, 0, 0, c.mode));
    EXPECT_EQ(c.sum, s.sum) << "mode " << c.mode;
    EXPECT_EQ(c.count, s.count) << "mode " << c.mode;
    const std::vector<int32_t> before = s.sum;
    ASSERT_EQ(IMG_OK, s.Add(Samples(3, 0), all, 0, 0, c.mode));
    EXPECT_EQ(before, s.sum) << "an empty frame changes nothing, mode " << c.mode;
  }
}

TEST(Summation, SumSaturatesInsteadOfWrapping) {
  const ImageHeader h = Header(1, 1, false);
  const ImageRect all = {0, 0, 1, 1};
  Sum s(h);
  s.sum[0] = INT32_MAX - 10;
  ASSERT_EQ(IMG_OK, s.Add({32767}, all, 0, 0, 0));
  EXPECT_EQ(INT32_MAX, s.sum[0]);
  EXPECT_EQ(1u, s.count[0]);
}

TEST(Summation, BadArgumentsAreRefused) {
  const ImageHeader h = Header(8, 6, false), other = Header(8, 7, false), colour = Header(8, 6, true);
  Samples frame = Random(h, 3);
  std::vector<int32_t> sum(48);
  std::vector<uint32_t> count(48);
  const int32_t shift[2] = {0, 0};
  const ImageRect all = {0, 0, 8, 6}, outside = {2, 2, 7, 1};
  auto add = [&](const ImageRect* w, const ImageHeader* f, const ImageHeader* s, int32_t* sp, uint32_t* cp, int n) {
    return AddShiftedFrame(w, shift, f, frame.data(), s, sp, cp, n, 1, 0);
  };
  Samples out(48);
  struct Case {
    const char* what;
    std::function<ImageResult()> call;
    ImageResult expected;
  } cases[] = {
      {"negative frame number", [&] { return add(&all, &h, &h, sum.data(), count.data(), -1); }, IMG_BAD_PARAMETER},
      {"null sum", [&] { return add(&all, &h, &h, nullptr, count.data(), 0); }, IMG_NULL_ARRAY},
      {"null counts", [&] { return add(&all, &h, &h, sum.data(), nullptr, 0); }, IMG_NULL_ARRAY},
      {"null frame", [&] { return AddShiftedFrame(&all, shift, &h, nullptr, &h, sum.data(), count.data(), 0, 1, 0); },
       IMG_NULL_ARRAY},
      {"window outside", [&] { return add(&outside, &h, &h, sum.data(), count.data(), 0); }, IMG_BAD_RECT},
      {"null window", [&] { return add(nullptr, &h, &h, sum.data(), count.data(), 0); }, IMG_BAD_RECT},
      {"sizes differ", [&] { return add(&all, &h, &other, sum.data(), count.data(), 0); }, IMG_BAD_PARAMETER},
      {"kinds differ", [&] { return add(&all, &h, &colour, sum.data(), count.data(), 0); }, IMG_BAD_PARAMETER},
      {"divide: null counts",
       [&] { return DivideSumByCount(&h, &h, out.data(), sum.data(), nullptr, 0, nullptr); }, IMG_NULL_ARRAY},
      {"divide: mode 1 without rect",
       [&] { return DivideSumByCount(&h, &h, out.data(), sum.data(), count.data(), 1, nullptr); }, IMG_BAD_RECT},
      {"divide: rect outside",
       [&] { return DivideSumByCount(&h, &h, out.data(), sum.data(), count.data(), 1, &outside); }, IMG_BAD_RECT},
      {"divide: destination too small",
       [&] { return DivideSumByCount(&h, &other, out.data(), sum.data(), count.data(), 0, nullptr); },
       IMG_BAD_PARAMETER},
  };
  for (const auto& c : cases) EXPECT_EQ(c.expected, c.call()) << c.what;
  EXPECT_EQ(std::vector<int32_t>(48), sum);
  EXPECT_EQ(Samples(48), out);
}

TEST(Summation, DivideCutsAndReduces) {
  // Grey 8 x 4: pixel (x, y) counted (x + y) % 3 times with sum 30 per count.
  const ImageHeader h = WithFill(Header(8, 4, false));
  std::vector<int32_t> sum(32);
  std::vector<uint32_t> count(32);
  for (int i = 0; i < 32; ++i) {
    count[i] = (i % 8 + i / 8) % 3;
    sum[i] = 30 * static_cast<int32_t>(count[i]) + i % 8;   // sum / count = 30 + x / count
  }
  auto value = [&](int x, int y) { return count[y * 8 + x] ? sum[y * 8 + x] / int32_t(count[y * 8 + x]) : -1; };

  ImageHeader cut = h;
  cut.width = 3;
  cut.height = 2;
  const ImageRect r = {4, 1, 3, 2};
  Samples out(6, -9);
  ASSERT_EQ(IMG_OK, DivideSumByCount(&h, &cut, out.data(), sum.data(), count.data(), 1, &r));
  for (int j = 0; j < 2; ++j)
    for (int i = 0; i < 3; ++i) {
      const int v = value(4 + i, 1 + j);
      EXPECT_EQ(v < 0 ? 11 : v, out[j * 3 + i]) << "cut " << i << "," << j;
    }

  for (int f : {2, 4}) {
    ImageHeader small = h;
    small.width = 8 / f;
    small.height = 4 / f;
    Samples reduced(size_t(small.width) * small.height, -9);
    ASSERT_EQ(IMG_OK, DivideSumByCount(&h, &small, reduced.data(), sum.data(), count.data(), f == 2 ? 2 : 3, nullptr));
    for (int j = 0; j < small.height; ++j)
      for (int i = 0; i < small.width; ++i) {
        int total = 0, used = 0;
        for (int by = 0; by < f; ++by)
          for (int bx = 0; bx < f; ++bx)
            if (value(i * f + bx, j * f + by) >= 0) {
              total += value(i * f + bx, j * f + by);
              ++used;
            }
        EXPECT_EQ(used ? total / used : 11, reduced[j * small.width + i]) << "by " << f << " at " << i << "," << j;
      }
  }
}

TEST(Summation, ObjectMaskOpensAndBoxesTheObject) {
  // A bright square [45, 75] x [35, 65] and a lone hot pixel on a grey sky.
  const ImageHeader h = Header(120, 100, false);
  Samples img(120 * 100, 1000);
  for (int y = 35; y <= 65; ++y)
    for (int x = 45; x <= 75; ++x) img[y * 120 + x] = 20000;
  img[30 * 120 + 30] = 30000;
  double rangeBits = -1, spread = -1;
  uint8_t* mask = nullptr;
  ImageRect box;
  ASSERT_EQ(IMG_OK, BuildObjectMask(&rangeBits, &spread, &mask, &box, img.data(), &h, 0.2));
  ASSERT_NE(nullptr, mask);
  // One erosion and four dilations by 3 x 3 squares widen it by 3 a side.
  EXPECT_EQ(42, box.x);
  EXPECT_EQ(32, box.y);
  EXPECT_EQ(36, box.w);
  EXPECT_EQ(36, box.h);
  EXPECT_EQ(0, mask[30 * 120 + 30]) << "the hot pixel is opened away";
  EXPECT_EQ(127, mask[32 * 120 + 42]);
  EXPECT_EQ(0, mask[31 * 120 + 42]);
  EXPECT_GT(spread, 0.0);
  EXPECT_GT(rangeBits, 1.0);
  FreeMem(&mask);

  const Samples dark(testimg::SampleCount(h), 500);
  ASSERT_EQ(IMG_OK, BuildObjectMask(&rangeBits, &spread, &mask, &box, dark.data(), &h, 0.2));
  EXPECT_LT(box.w, 0);
  EXPECT_LT(box.h, 0);
  for (int i = 0; i < 120 * 100; ++i) ASSERT_EQ(0, mask[i]);
  FreeMem(&mask);

  const ImageHeader tiny = Header(39, 60, false);
  const Samples t(39 * 60, 100);
  EXPECT_EQ(IMG_NULL_ARRAY, BuildObjectMask(&rangeBits, &spread, &mask, &box, t.data(), &tiny, 0.2));
  EXPECT_EQ(nullptr, mask);
}

// The object mask as described: threshold, then one erosion and four
// dilations pass by pass over a copy, then the bounding box.
std::vector<uint8_t> ReferenceMask(const Samples& img, const ImageHeader& h, double fraction, ImageRect* box) {
  const int W = h.width, H = h.height, spp = SamplesPerPixel(&h);
  std::vector<uint32_t> hist(h.levels);
  const ImageRect inner = {20, 20, W - 40, H - 40};
  ComputeRegionHistogram(&inner, &h, img.data(), hist.data());
  LevelsRecord lv;
  AnalyseLevels(hist.data(), h.levels, 1, 0, 0, &lv);
  const double t = std::floor(lv.peakLevel + (lv.whitePoint - lv.peakLevel) * fraction + 0.5);
  std::vector<uint8_t> m(size_t(W) * H, 0);
  for (int y = 20; y < H - 20; ++y)
    for (int x = 20; x < W - 20; ++x) {
      const int16_t* p = &img[(size_t(y) * W + x) * spp];
      const int v = spp == 3 ? static_cast<int>(0.114 * p[0] + 0.587 * p[1] + 0.299 * p[2] + 0.5) : p[0];
      if (v > t) m[y * W + x] = 127;
    }
  for (int pass = 0; pass < 5; ++pass) {
    std::vector<uint8_t> copy = m;
    for (int y = 21; y < H - 21; ++y)
      for (int x = 21; x < W - 21; ++x) {
        const bool hit = pass == 0 ? m[y * W + x] == 0 : m[y * W + x] == 127;
        if (!hit) continue;
        for (int dy = -1; dy <= 1; ++dy)
          for (int dx = -1; dx <= 1; ++dx) copy[(y + dy) * W + x + dx] = pass == 0 ? 0 : 127;
      }
    m = copy;
  }
  int x0 = W, x1 = 0, y0 = H, y1 = 0;
  for (int y = 20; y < H - 20; ++y)
    for (int x = 20; x < W - 20; ++x)
      if (m[y * W + x] == 127) {
        x0 = std::min(x0, x);
        x1 = std::max(x1, x);
        y0 = std::min(y0, y);
        y1 = std::max(y1, y);
      }
  *box = {x0, y0, x1 - x0, y1 - y0};
  return m;
}

TEST(Summation, ObjectMaskMatchesTheDescribedOpening) {
  for (bool colour : {false, true})
    for (uint32_t seed : {1u, 2u, 3u, 4u, 5u}) {
      const ImageHeader h = Header(97, 83, colour);
      Samples img = testimg::Texture(h, seed, 4);
      if (seed > 3) {
        // A disc on a noisy sky, whose brightest samples lie around the
        // threshold: stretches of sky must be looked at as closely as the disc.
        const Samples sky = Random(h, seed, 0, seed == 4 ? 9000 : 14000);
        for (size_t i = 0; i < img.size(); ++i) img[i] = static_cast<int16_t>(img[i] / 3 + 18000);
        const Samples disc = Disc(h, 45, 40, 24, 1);
        for (size_t i = 0; i < img.size(); ++i)
          if (disc[i] == 0) img[i] = sky[i];
      }
      // Salt: lone bright pixels the erosion must take away again.
      for (size_t i = 0; i < img.size(); i += 97) img[i] = 32767;
      ImageRect expectedBox;
      const std::vector<uint8_t> expected = ReferenceMask(img, h, 0.3, &expectedBox);
      double rangeBits, spread;
      uint8_t* mask = nullptr;
      ImageRect box;
      ASSERT_EQ(IMG_OK, BuildObjectMask(&rangeBits, &spread, &mask, &box, img.data(), &h, 0.3));
      EXPECT_EQ(expected, std::vector<uint8_t>(mask, mask + 97 * 83)) << "seed " << seed << " colour " << colour;
      EXPECT_EQ(expectedBox.x, box.x);
      EXPECT_EQ(expectedBox.y, box.y);
      EXPECT_EQ(expectedBox.w, box.w);
      EXPECT_EQ(expectedBox.h, box.h);
      FreeMem(&mask);
    }
}

TEST(Summation, CompareWithReferenceFindsTheMatchingShift) {
  for (bool colour : {false, true}) {
    const ImageHeader h = Header(100, 80, colour);
    const Samples ref = testimg::Texture(h, 4);
    Samples frame(ref.size());
    const int32_t moved[2] = {3, -2};
    ShiftImage(frame.data(), ref.data(), &h, moved);   // frame(x, y) = ref(x + 3, y - 2)
    const ImageRect window = {30, 25, 40, 30};
    struct Case {
      const Samples* frame;
      int dx, dy;
      const ImageRect* window;
      double expected;
    } cases[] = {
        {&ref, 0, 0, &window, 1.0},  {&frame, 3, -2, &window, 1.0}, {&frame, 3, -2, nullptr, 1.0},
        {&frame, 51, 0, &window, 0.0}, {&frame, 0, -41, nullptr, 0.0},
    };
    for (const auto& c : cases) {
      double corr = -5;
      const int32_t shift[2] = {c.dx, c.dy};
      ASSERT_EQ(IMG_OK, CompareWithReference(&corr, c.frame->data(), ref.data(), &h, 0, shift, c.window));
      EXPECT_NEAR(c.expected, corr, 1e-12) << c.dx << "," << c.dy << " colour " << colour;
    }
    double corr = -5;
    const int32_t none[2] = {0, 0};
    ASSERT_EQ(IMG_OK, CompareWithReference(&corr, frame.data(), ref.data(), &h, 1, none, &window));
    EXPECT_LT(corr, 0.9) << "the wrong shift correlates poorly";
    const Samples flat(ref.size(), 4000);
    ASSERT_EQ(IMG_OK, CompareWithReference(&corr, flat.data(), flat.data(), &h, 1, none, &window));
    EXPECT_EQ(0.0, corr);
    corr = -5;
    EXPECT_EQ(IMG_NULL_ARRAY, CompareWithReference(&corr, nullptr, ref.data(), &h, 0, none, nullptr));
    EXPECT_EQ(-5, corr) << "a missing picture leaves the correlation alone";
    const ImageRect outside = {90, 0, 20, 5};
    EXPECT_EQ(IMG_BAD_RECT, CompareWithReference(&corr, ref.data(), ref.data(), &h, 0, none, &outside));
    EXPECT_EQ(0.0, corr);
    // Too small for the object mask's inner part: the mask fails.
    const ImageHeader small = Header(30, 30, colour);
    const Samples tiny = testimg::Texture(small, 5);
    corr = -5;
    EXPECT_EQ(IMG_NO_MEMORY, CompareWithReference(&corr, tiny.data(), tiny.data(), &small, 0, none, nullptr));
    EXPECT_EQ(0.0, corr);
  }
}

}  // namespace
