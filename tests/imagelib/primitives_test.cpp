#include "imagelib/primitives.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "random_image.h"

namespace {

using testimg::At;
using testimg::Header;
using testimg::Random;
using testimg::Samples;

// Every operator's checks, in their order: a call with several faults
// reports the first.
TEST(Primitives, ArgumentChecksComeInOrder) {
  ImageHeader h = Header(8, 6, true);
  ImageHeader other = h;
  Samples a = Random(h, 1), b(a.size());
  ImageRect good = {0, 0, 8, 6}, bad = {8, 0, 0, 0};
  const int32_t shift[2] = {1, 1};
  struct Case {
    const char* what;
    std::function<ImageResult()> call;
    ImageResult expected;
  } cases[] = {
      {"copy: rect before pointers", [&] { return CopyImageRect(nullptr, nullptr, &h, &bad); }, IMG_BAD_RECT},
      {"copy: null rect", [&] { return CopyImageRect(b.data(), a.data(), &h, nullptr); }, IMG_BAD_RECT},
      {"copy: null header", [&] { return CopyImageRect(b.data(), a.data(), nullptr, &good); }, IMG_NULL_ARRAY},
      {"copy: null source", [&] { return CopyImageRect(b.data(), nullptr, &h, &good); }, IMG_NULL_ARRAY},
      {"luminance: rect", [&] { return CopyRectAsLuminance(nullptr, a.data(), &h, &bad); }, IMG_BAD_RECT},
      {"luminance: null dst", [&] { return CopyRectAsLuminance(nullptr, a.data(), &h, &good); }, IMG_NULL_ARRAY},
      {"subsample: pointers before step",
       [&] { return CopyImageRectSubsampled(nullptr, a.data(), &h, &good, 0); }, IMG_NULL_ARRAY},
      {"subsample: step 0", [&] { return CopyImageRectSubsampled(b.data(), a.data(), &h, &good, 0); },
       IMG_BAD_PARAMETER},
      {"subsample: step -2", [&] { return CopyImageRectSubsampled(b.data(), a.data(), &h, &good, -2); },
       IMG_BAD_PARAMETER},
      {"bin: null before factor", [&] { return BinImage(nullptr, a.data(), &h, 0); }, IMG_NULL_ARRAY},
      {"bin: factor 0", [&] { return BinImage(b.data(), a.data(), &h, 0); }, IMG_BAD_PARAMETER},
      {"bin: factor -1", [&] { return BinImage(b.data(), a.data(), &h, -1); }, IMG_BAD_PARAMETER},
      {"shift: null shift", [&] { return ShiftImage(b.data(), a.data(), &h, nullptr); }, IMG_NULL_ARRAY},
      {"shift: same buffer", [&] { return ShiftImage(a.data(), a.data(), &h, shift); }, IMG_BAD_PARAMETER},
      {"flip: pixels before headers", [&] { return FlipRotateImage(0, nullptr, nullptr, a.data(), nullptr); },
       IMG_NULL_IMAGE},
      {"flip: null header", [&] { return FlipRotateImage(0, &h, nullptr, a.data(), b.data()); }, IMG_NULL_ARRAY},
      {"flip: same pixels", [&] { return FlipRotateImage(0, &h, &other, a.data(), a.data()); },
       IMG_BAD_PARAMETER},
      {"flip: same header", [&] { return FlipRotateImage(0, &h, &h, a.data(), b.data()); }, IMG_BAD_PARAMETER},
      {"flip: mode 5", [&] { return FlipRotateImage(5, &h, &other, a.data(), b.data()); }, IMG_BAD_PARAMETER},
      {"flip: mode -1", [&] { return FlipRotateImage(-1, &h, &other, a.data(), b.data()); }, IMG_BAD_PARAMETER},
      {"enlarge: null pixels", [&] { return EnlargeImage(&h, a.data(), nullptr, 3); }, IMG_NULL_IMAGE},
      {"enlarge: null header", [&] { return EnlargeImage(nullptr, a.data(), b.data(), 2); }, IMG_NULL_ARRAY},
      {"enlarge: same buffer", [&] { return EnlargeImage(&h, a.data(), a.data(), 2); }, IMG_BAD_PARAMETER},
      {"enlarge: factor 3", [&] { return EnlargeImage(&h, a.data(), b.data(), 3); }, IMG_BAD_PARAMETER},
      {"enlarge: factor 32", [&] { return EnlargeImage(&h, a.data(), b.data(), 32); }, IMG_BAD_PARAMETER},
      {"enlarge: factor 1", [&] { return EnlargeImage(&h, a.data(), b.data(), 1); }, IMG_BAD_PARAMETER},
      {"split: null field", [&] { return SplitInterlacedFields(b.data(), nullptr, a.data(), &h); },
       IMG_NULL_ARRAY},
      {"split: both fields one buffer", [&] { return SplitInterlacedFields(b.data(), b.data(), a.data(), &h); },
       IMG_BAD_PARAMETER},
      {"deinterlace: null", [&] { return DeinterlaceImage(nullptr, a.data(), &h, 1); }, IMG_NULL_ARRAY},
  };
  for (const auto& c : cases) EXPECT_EQ(c.expected, c.call()) << c.what;
  EXPECT_EQ(Samples(a.size()), b) << "a rejected call wrote samples";
}

TEST(Primitives, CopyImageRectCutsRowsOut) {
  ImageHeader h = Header(7, 5, true);
  Samples src = Random(h, 2), dst(src.size(), -1);
  ImageRect all = {0, 0, 7, 5};
  ASSERT_EQ(IMG_OK, CopyImageRect(dst.data(), src.data(), &h, &all));
  EXPECT_EQ(src, dst);

  ImageRect part = {2, 1, 3, 2};
  Samples cut(3 * 2 * 3, -1);
  ASSERT_EQ(IMG_OK, CopyImageRect(cut.data(), src.data(), &h, &part));
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x)
      for (int k = 0; k < 3; ++k) EXPECT_EQ(At(src, h, 2 + x, 1 + y, k), cut[(y * 3 + x) * 3 + k]);
}

TEST(Primitives, CopyRectAsLuminanceWeighsBlueGreenRed) {
  ImageHeader h = Header(3, 1, true);
  const Samples src = {0, 0, 32767, 1000, 1000, 1000, 32767, 0, 0};   // B,G,R per pixel
  Samples grey(3, -1);
  ImageRect r = {0, 0, 3, 1};
  ASSERT_EQ(IMG_OK, CopyRectAsLuminance(grey.data(), src.data(), &h, &r));
  EXPECT_EQ((Samples{9797, 1000, 3735}), grey);

  ImageHeader g = Header(3, 2, false);
  const Samples plain = {1, 2, 3, 4, 5, 6};
  ImageRect right = {1, 0, 2, 2};
  Samples cut(4, -1);
  ASSERT_EQ(IMG_OK, CopyRectAsLuminance(cut.data(), plain.data(), &g, &right));
  EXPECT_EQ((Samples{2, 3, 5, 6}), cut);
}

TEST(Primitives, CopyImageRectSubsampledTakesEveryStepthPixel) {
  ImageHeader h = Header(9, 7, false);
  Samples src(63);
  for (int y = 0; y < 7; ++y)
    for (int x = 0; x < 9; ++x) src[y * 9 + x] = static_cast<int16_t>(x + 100 * y);
  ImageRect r = {1, 1, 7, 5};
  Samples out(16, -1);
  ASSERT_EQ(IMG_OK, CopyImageRectSubsampled(out.data(), src.data(), &h, &r, 2));
  EXPECT_EQ((Samples{101, 103, 105, 301, 303, 305}), Samples(out.begin(), out.begin() + 6));
  EXPECT_EQ(-1, out[6]);
  ASSERT_EQ(IMG_OK, CopyImageRectSubsampled(out.data(), src.data(), &h, &r, 3));
  EXPECT_EQ((Samples{101, 104}), Samples(out.begin(), out.begin() + 2));
}

TEST(Primitives, BinImageAveragesBlocksTowardZero) {
  ImageHeader h = Header(5, 3, false);
  const Samples src = {1, 2, 10, 20, 99,   //
                       3, 5, 30, 41, 99,   //
                       99, 99, 99, 99, 99};
  Samples out(2, -1);
  ASSERT_EQ(IMG_OK, BinImage(out.data(), src.data(), &h, 2));
  EXPECT_EQ((Samples{2, 25}), out);   // 11 / 4 and 101 / 4, the partial blocks dropped

  ImageHeader neg = Header(2, 2, false);
  const Samples negatives = {-1, -2, 0, 0};
  ASSERT_EQ(IMG_OK, BinImage(out.data(), negatives.data(), &neg, 2));
  EXPECT_EQ(0, out[0]);   // -3 / 4 truncates toward zero

  ImageHeader c = Header(6, 4, true);
  Samples colour = Random(c, 3), binned(2 * 1 * 3, -1);
  ASSERT_EQ(IMG_OK, BinImage(binned.data(), colour.data(), &c, 3));
  for (int bx = 0; bx < 2; ++bx)
    for (int k = 0; k < 3; ++k) {
      int sum = 0;
      for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 3; ++x) sum += At(colour, c, bx * 3 + x, y, k);
      EXPECT_EQ(sum / 9, binned[bx * 3 + k]);
    }

  Samples untouched(4, -1);
  ASSERT_EQ(IMG_OK, BinImage(untouched.data(), src.data(), &h, 6));   // larger than the image
  EXPECT_EQ(Samples(4, -1), untouched);
}

TEST(Primitives, ShiftImageMovesWholePixels) {
  ImageHeader h = Header(6, 4, true);
  const Samples src = Random(h, 4, 1, 32767);   // no zeros, so every 0 below comes from the shift
  struct Case {
    int32_t dx, dy;
  } cases[] = {{0, 0}, {1, 0}, {6, 0}, {0, 4}, {-2, 1}, {3, -3}, {-6, 0}, {INT32_MIN, 0}, {0, INT32_MAX}};
  for (const auto& c : cases) {
    Samples dst(src.size(), -1);
    const int32_t shift[2] = {c.dx, c.dy};
    ASSERT_EQ(IMG_OK, ShiftImage(dst.data(), src.data(), &h, shift));
    for (int y = 0; y < 4; ++y)
      for (int x = 0; x < 6; ++x) {
        const int64_t sx = int64_t{x} + c.dx, sy = int64_t{y} + c.dy;
        const bool inside = sx >= 0 && sx < 6 && sy >= 0 && sy < 4;
        for (int k = 0; k < 3; ++k)
          ASSERT_EQ(inside ? At(src, h, int(sx), int(sy), k) : 0, At(dst, h, x, y, k))
              << "shift " << c.dx << "," << c.dy << " at " << x << "," << y;
      }
  }
}

// Destination position of source pixel (c, r) for each mode, W x H source.
void FlipTarget(int mode, int W, int H, int c, int r, int* dc, int* dr) {
  switch (mode) {
    case 0: *dc = c, *dr = H - 1 - r; break;
    case 1: *dc = W - 1 - c, *dr = r; break;
    case 2: *dc = W - 1 - c, *dr = H - 1 - r; break;
    case 3: *dc = H - 1 - r, *dr = c; break;
    default: *dc = r, *dr = W - 1 - c; break;
  }
}

TEST(Primitives, FlipRotateImageMovesPixelsByMode) {
  for (bool colour : {false, true}) {
    const ImageHeader h = Header(70, 3, colour);   // wider than one rotation tile
    const Samples src = Random(h, 5);
    for (int mode = 0; mode <= 4; ++mode) {
      ImageHeader out;
      Samples dst(src.size(), -1);
      ASSERT_EQ(IMG_OK, FlipRotateImage(mode, &h, &out, src.data(), dst.data()));
      const bool turned = mode >= 3;
      EXPECT_EQ(turned ? 3 : 70, out.width);
      EXPECT_EQ(turned ? 70 : 3, out.height);
      EXPECT_EQ(h.colourType, out.colourType);
      for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 70; ++c) {
          int dc, dr;
          FlipTarget(mode, 70, 3, c, r, &dc, &dr);
          for (int k = 0; k < SamplesPerPixel(&h); ++k)
            ASSERT_EQ(At(src, h, c, r, k), At(dst, out, dc, dr, k)) << "mode " << mode << " colour " << colour;
        }
    }
  }
}

TEST(Primitives, FlipRotateImageRoundTrips) {
  const ImageHeader h = Header(5, 3, true);
  const Samples src = Random(h, 6);
  struct Case {
    std::vector<int> modes;
  } cases[] = {{{3, 4}}, {{4, 3}}, {{0, 0}}, {{1, 1}}, {{2, 2}}, {{3, 3, 3, 3}}, {{3, 3, 2}}, {{0, 1, 2}}};
  for (const auto& c : cases) {
    ImageHeader cur = h;
    Samples pixels = src;
    for (int mode : c.modes) {
      ImageHeader next;
      Samples out(pixels.size());
      ASSERT_EQ(IMG_OK, FlipRotateImage(mode, &cur, &next, pixels.data(), out.data()));
      cur = next;
      pixels = out;
    }
    EXPECT_EQ(5, cur.width);
    EXPECT_EQ(3, cur.height);
    EXPECT_EQ(src, pixels) << "modes " << ::testing::PrintToString(c.modes);
  }
}

TEST(Primitives, FlipRotateImageCopiesHeaderBeforeRejectingMode) {
  ImageHeader h = Header(5, 3, false);
  h.xScale = 8.4;
  ImageHeader out = Header(1, 1, true);
  Samples src = Random(h, 7), dst(src.size(), -1);
  EXPECT_EQ(IMG_BAD_PARAMETER, FlipRotateImage(5, &h, &out, src.data(), dst.data()));
  EXPECT_EQ(0, std::memcmp(&h, &out, sizeof h));
  EXPECT_EQ(Samples(src.size(), -1), dst);
}

// The enlargement formula term by term.
int16_t EnlargedSample(const Samples& s, const ImageHeader& h, int f, int X, int Y, int k) {
  const int x = X / f, y = Y / f, fx = X % f, fy = Y % f;
  const int x1 = std::min(x + 1, h.width - 1), y1 = std::min(y + 1, h.height - 1);
  const int a = At(s, h, x, y, k), b = At(s, h, x1, y, k), c = At(s, h, x, y1, k), d = At(s, h, x1, y1, k);
  const int v = f * fx * (b - a) + f * f * a + ((d - c - b + a) * fx + (c - a) * f) * fy;
  return static_cast<int16_t>(std::floor(v / double(f * f)));
}

TEST(Primitives, EnlargeImageInterpolatesAndRoundsDown) {
  const ImageHeader h = Header(2, 2, false);
  const Samples src = {1, 2, 4, 7};
  Samples out(16, -1);
  ASSERT_EQ(IMG_OK, EnlargeImage(&h, src.data(), out.data(), 2));
  EXPECT_EQ((Samples{1, 1, 2, 2,   // right neighbour's mean 1.5 rounds down
                     2, 3, 4, 4,   // means 2.5, 3.5 and 4.5 round down
                     4, 5, 7, 7,   //
                     4, 5, 7, 7}),
            out);

  const ImageHeader line = Header(2, 1, false);
  const Samples negative = {-3, 0};
  ASSERT_EQ(IMG_OK, EnlargeImage(&line, negative.data(), out.data(), 2));
  EXPECT_EQ((Samples{-3, -2, 0, 0}), Samples(out.begin(), out.begin() + 4));   // -1.5 rounds to -2
}

TEST(Primitives, EnlargeImageMatchesFormulaForEveryFactor) {
  for (bool colour : {false, true}) {
    const ImageHeader h = Header(5, 4, colour);
    const Samples src = Random(h, 8);
    for (int f : {2, 4, 8, 16}) {
      Samples out(src.size() * f * f, -1);
      ASSERT_EQ(IMG_OK, EnlargeImage(&h, src.data(), out.data(), f));
      ImageHeader big = Header(5 * f, 4 * f, colour);
      for (int Y = 0; Y < 4 * f; ++Y)
        for (int X = 0; X < 5 * f; ++X)
          for (int k = 0; k < SamplesPerPixel(&h); ++k)
            ASSERT_EQ(EnlargedSample(src, h, f, X, Y, k), At(out, big, X, Y, k)) << f << " at " << X << "," << Y;
    }
  }
}

TEST(Primitives, EnlargeImageKeepsConstantsAndSinglePixels) {
  const ImageHeader one = Header(1, 1, true);
  const Samples pixel = {10, 20, 30};
  Samples out(12, -1);
  ASSERT_EQ(IMG_OK, EnlargeImage(&one, pixel.data(), out.data(), 2));
  EXPECT_EQ((Samples{10, 20, 30, 10, 20, 30, 10, 20, 30, 10, 20, 30}), out);

  const ImageHeader h = Header(3, 2, false);
  const Samples flat(6, 12345);
  Samples big(6 * 256, -1);
  ASSERT_EQ(IMG_OK, EnlargeImage(&h, flat.data(), big.data(), 16));
  EXPECT_EQ(Samples(6 * 256, 12345), big);
}

TEST(Primitives, SplitInterlacedFieldsRebuildsTheOtherRows) {
  struct Case {
    Samples src;   // one column of rows, second column the same negated
    Samples first, second;
  } cases[] = {
      {{10, 20}, {10, 10}, {20, 20}},
      {{10, 20, 31, 40, 50}, {10, 20, 31, 40, 50}, {20, 20, 30, 40, 40}},
      {{10, 21, 30, 41}, {10, 20, 30, 30}, {21, 21, 31, 41}},
      {{-3, 5, 0, 8}, {-3, -1, 0, 0}, {5, 5, 6, 8}},   // means truncate toward zero
  };
  for (const auto& c : cases) {
    const int rows = static_cast<int>(c.src.size());
    const ImageHeader h = Header(2, rows, false);
    Samples src, first(2 * rows, -1), second(2 * rows, -1);
    for (int16_t v : c.src) src.insert(src.end(), {v, static_cast<int16_t>(-v)});
    ASSERT_EQ(IMG_OK, SplitInterlacedFields(first.data(), second.data(), src.data(), &h));
    for (int r = 0; r < rows; ++r) {
      EXPECT_EQ(c.first[r], first[2 * r]) << rows << " rows, row " << r;
      EXPECT_EQ(-c.first[r], first[2 * r + 1]);
      EXPECT_EQ(c.second[r], second[2 * r]) << rows << " rows, row " << r;
      EXPECT_EQ(-c.second[r], second[2 * r + 1]);
    }
  }
}

TEST(Primitives, FieldsOfImagesBelowTwoRowsAreRejected) {
  for (int rows : {0, 1}) {
    const ImageHeader h = Header(4, rows, true);
    Samples src(12, 7), a(12, -1), b(12, -1);
    EXPECT_EQ(IMG_BAD_PARAMETER, SplitInterlacedFields(a.data(), b.data(), src.data(), &h));
    for (int field : {0, 1, 2}) EXPECT_EQ(IMG_BAD_PARAMETER, DeinterlaceImage(a.data(), src.data(), &h, field));
    EXPECT_EQ(Samples(12, -1), a);
  }
}

TEST(Primitives, FieldsInPlaceEqualSeparateBuffers) {
  for (int rows : {6, 7}) {
    const ImageHeader h = Header(5, rows, true);
    const Samples src = Random(h, 9);
    Samples first(src.size()), second(src.size());
    ASSERT_EQ(IMG_OK, SplitInterlacedFields(first.data(), second.data(), src.data(), &h));

    Samples inPlace = src, other(src.size());
    ASSERT_EQ(IMG_OK, SplitInterlacedFields(inPlace.data(), other.data(), inPlace.data(), &h));
    EXPECT_EQ(first, inPlace);
    EXPECT_EQ(second, other);
    inPlace = src;
    ASSERT_EQ(IMG_OK, SplitInterlacedFields(other.data(), inPlace.data(), inPlace.data(), &h));
    EXPECT_EQ(first, other);
    EXPECT_EQ(second, inPlace);

    struct Case {
      int field;
      const Samples& expected;
    } cases[] = {{0, src}, {1, first}, {2, second}, {7, second}};
    for (const auto& c : cases) {
      Samples apart(src.size(), -1), same = src;
      ASSERT_EQ(IMG_OK, DeinterlaceImage(apart.data(), src.data(), &h, c.field));
      ASSERT_EQ(IMG_OK, DeinterlaceImage(same.data(), same.data(), &h, c.field));
      EXPECT_EQ(c.expected, apart) << "field " << c.field;
      EXPECT_EQ(c.expected, same) << "field " << c.field << " in place";
    }
  }
}

// Triangular smoothing straight from its definition: weights R + 1 - |k|,
// a horizontal pass over every row, then a vertical pass over every column.
Samples SmoothReference(const Samples& src, const ImageHeader& h, const ImageRect& r, int radius) {
  const int R = std::max(1, std::min(radius, 32));
  const int W = h.width, H = h.height, n = SamplesPerPixel(&h);
  const int x0 = std::max(r.x, R), x1 = std::min(r.x + r.w, W - R - 1);
  const int y0 = std::max(r.y, R), y1 = std::min(r.y + r.h, H - R - 1);
  const int wsum = (R + 1) * (R + 1);
  Samples across = src;
  for (int y = 0; y < H; ++y)
    for (int x = x0; x < x1; ++x)
      for (int k = 0; k < n; ++k) {
        int sum = 0;
        for (int d = -R; d <= R; ++d) sum += (R + 1 - std::abs(d)) * At(src, h, x + d, y, k);
        across[(y * W + x) * n + k] = static_cast<int16_t>(sum / wsum);
      }
  Samples out = across;
  for (int x = 0; x < W; ++x)
    for (int y = y0; y < y1; ++y)
      for (int k = 0; k < n; ++k) {
        int sum = 0;
        for (int d = -R; d <= R; ++d) sum += (R + 1 - std::abs(d)) * At(across, h, x, y + d, k);
        out[(y * W + x) * n + k] = static_cast<int16_t>(sum / wsum);
      }
  return out;
}

TEST(Primitives, SmoothRectMatchesTheNaiveFilter) {
  struct Case {
    bool colour;
    int W, H;
    ImageRect r;
    int radius;
  } cases[] = {
      {false, 40, 30, {0, 0, 40, 30}, 1},   {false, 40, 30, {0, 0, 40, 30}, 2},
      {true, 40, 30, {0, 0, 40, 30}, 11},   {false, 90, 70, {5, 3, 60, 50}, 32},
      {true, 90, 70, {0, 0, 90, 70}, 40},    // clamped to 32
      {false, 40, 30, {3, 4, 20, 10}, 0},    // clamped to 1
      {true, 40, 30, {30, 2, 10, 28}, 5},    // right edge pulled in
      {false, 40, 30, {10, 10, 0, 0}, 3},    // empty: a plain copy
      {false, 40, 30, {-50, -50, 500, 500}, 4},
      {false, 40, 12, {0, 0, 40, 12}, 5},    // one row band only
      {true, 12, 40, {0, 0, 12, 40}, 5},     // one column band only
      {false, 9, 9, {0, 0, 9, 9}, 4},        // too small for either band
  };
  for (const auto& c : cases) {
    const ImageHeader h = Header(c.W, c.H, c.colour);
    const Samples src = Random(h, 10 + c.radius, -32768, 32767);
    const Samples expected = SmoothReference(src, h, c.r, c.radius);
    Samples dst(src.size(), -1);
    SmoothRect(dst.data(), src.data(), &h, &c.r, c.radius);
    EXPECT_EQ(expected, dst) << c.W << "x" << c.H << " radius " << c.radius;
    Samples same = src;
    SmoothRect(same.data(), same.data(), &h, &c.r, c.radius);
    EXPECT_EQ(expected, same) << c.W << "x" << c.H << " radius " << c.radius << " in place";
  }
  // Long rows of the extreme values, where the row's running sums wrap.
  for (int16_t v : {int16_t{32767}, int16_t{-32768}}) {
    const ImageHeader h = Header(701, 70, true);
    Samples src = Random(h, 3, 32000, 32767);
    for (size_t i = 0; i < src.size(); i += 2) src[i] = v;
    const ImageRect all = {0, 0, 701, 70};
    Samples dst(src.size());
    SmoothRect(dst.data(), src.data(), &h, &all, 32);
    EXPECT_EQ(SmoothReference(src, h, all, 32), dst) << v;
  }
}

TEST(Primitives, SmoothRectIgnoresMissingArguments) {
  const ImageHeader h = Header(20, 20, false);
  const Samples src = Random(h, 11);
  Samples dst(src.size(), -1);
  ImageRect r = {0, 0, 20, 20};
  SmoothRect(dst.data(), src.data(), nullptr, &r, 3);
  SmoothRect(dst.data(), src.data(), &h, nullptr, 3);
  SmoothRect(dst.data(), nullptr, &h, &r, 3);
  SmoothRect(nullptr, src.data(), &h, &r, 3);
  EXPECT_EQ(Samples(src.size(), -1), dst);
}

TEST(Primitives, ComputeArrayStatistics) {
  struct Case {
    Samples s;
    int32_t mean;
    double sigma;
    int32_t min, max;
  } cases[] = {
      {{1, 2, 3, 4}, 3, std::sqrt(2.0), 1, 4},   // 2.5 rounds up; spread about 3
      {{-5, -6}, -5, std::sqrt(1.0), -6, -5},    // -5.5 rounds up to -5
      {{7}, 7, 0.0, 7, 7},
      {{9, 9, 9}, 9, 0.0, 9, 9},
  };
  for (const auto& c : cases) {
    int32_t mean = -1, lo = -1, hi = -1;
    double sigma = -1;
    ComputeArrayStatistics(&mean, &sigma, &lo, &hi, c.s.data(), static_cast<int32_t>(c.s.size()));
    EXPECT_EQ(c.mean, mean);
    EXPECT_DOUBLE_EQ(c.sigma, sigma);
    EXPECT_EQ(c.min, lo);
    EXPECT_EQ(c.max, hi);
  }
  int32_t mean = -1, lo = -1, hi = -1;
  double sigma = -1;
  ComputeArrayStatistics(&mean, &sigma, &lo, &hi, nullptr, 0);
  EXPECT_EQ(0, mean);
  EXPECT_EQ(0.0, sigma);
}

}  // namespace
