#include "imagelib/hot_pixels.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstring>
#include <random>
#include <vector>

#include "imagelib/random15.h"
#include "random_image.h"

namespace {

using testimg::At;
using testimg::Header;
using testimg::Random;
using testimg::Samples;

using Entry = std::array<uint16_t, 4>;

std::vector<Entry> EntriesOf(const HotPixelList* list) {
  std::vector<Entry> out;
  for (int i = 0; i < list->count; ++i) {
    const HotPixelEntry& e = HotPixelEntries(list)[i];
    out.push_back({e[0], e[1], e[2], e[3]});
  }
  return out;
}

ImageResult Repair(const ImageHeader& h, const Samples& src, Samples& dst, const std::vector<Entry>& entries) {
  return RepairHotPixels(&h, src.data(), dst.data(), reinterpret_cast<const HotPixelEntry*>(entries.data()),
                         static_cast<int32_t>(entries.size()));
}

// The repair as its description reads, entry by entry and run by run, in place.
void LiteralRepair(const ImageHeader& h, Samples& img, const std::vector<Entry>& e) {
  const int W = h.width, H = h.height, spp = SamplesPerPixel(&h);
  for (size_t i = 0; i < e.size(); ++i) {
    const int code = e[i][0], x = e[i][1], y = e[i][2];
    if (code > 3 || (spp == 3 && code == 0) || x < 1 || x >= W - 1 || y < 1 || y >= H - 1) continue;
    int m = 1;
    while (i + m < e.size() && e[i + m][0] == code && e[i + m][2] == y && e[i + m][1] == x + m && x + m <= W - 2) ++m;
    const int c = spp == 3 ? 3 - code : 0;
    auto at = [&](int px) -> int16_t& { return img[(y * W + px) * spp + c]; };
    const int left = at(x - 1), right = at(x + m), d = m + 1;
    for (int k = 1; k <= m; ++k) at(x - 1 + k) = static_cast<int16_t>(left + (right - left) * k / d);
  }
}

TEST(HotPixels, ListEntriesComeInTheirBindingOrder) {
  // Colour rows: blue, then green, then red entries, each left to right.
  const ImageHeader h = Header(5, 3, true);
  Samples img(45, 100);
  auto set = [&](int x, int y, int c, int16_t v) { img[(y * 5 + x) * 3 + c] = v; };
  set(4, 0, 2, 900);   // red (code 1)
  set(1, 0, 0, 900);   // blue (code 3)
  set(3, 0, 1, 900);   // green (code 2)
  set(0, 0, 0, 900);   // blue
  set(2, 2, 2, 900);   // red, last row
  set(2, 1, 1, 500);   // green at exactly its threshold: not hot
  set(1, 1, 2, 801);   // red just above
  HotPixelList* list = nullptr;
  ASSERT_EQ(IMG_OK, FindHotPixels(img.data(), &h, 800, 500, 600, &list));
  ASSERT_NE(nullptr, list);
  EXPECT_EQ(0, std::memcmp(list->magic, "HPX", 4));
  EXPECT_EQ(5, list->width);
  EXPECT_EQ(3, list->height);
  const std::vector<Entry> expected = {{3, 0, 0, 0}, {3, 1, 0, 0}, {2, 3, 0, 0}, {1, 4, 0, 0},
                                       {1, 1, 1, 0}, {1, 2, 2, 0}};
  EXPECT_EQ(expected, EntriesOf(list));
  FreeMem(&list);

  const ImageHeader g = Header(4, 2, false);
  const Samples grey = {0, 5, 9, 5, 9, 0, 0, 6};
  ASSERT_EQ(IMG_OK, FindHotPixels(grey.data(), &g, 5, 0, 0, &list));
  EXPECT_EQ((std::vector<Entry>{{0, 2, 0, 0}, {0, 0, 1, 0}, {0, 3, 1, 0}}), EntriesOf(list));
  FreeMem(&list);
  ASSERT_EQ(IMG_OK, FindHotPixels(grey.data(), &g, 9, 0, 0, &list));
  EXPECT_EQ(0, list->count);
  FreeMem(&list);
}

TEST(HotPixels, FindRefusesBadArguments) {
  HotPixelList* list = reinterpret_cast<HotPixelList*>(1);
  const ImageHeader h = Header(3, 3, false);
  EXPECT_EQ(IMG_NULL_IMAGE, FindHotPixels(nullptr, &h, 0, 0, 0, &list));
  const Samples img(9);
  EXPECT_EQ(IMG_NULL_ARRAY, FindHotPixels(img.data(), &h, 0, 0, 0, nullptr));
  ImageHeader wide = Header(70000, 1, false);
  EXPECT_EQ(IMG_BAD_PARAMETER, FindHotPixels(img.data(), &wide, 0, 0, 0, &list));
  EXPECT_EQ(nullptr, list);
}

TEST(HotPixels, RepairInterpolatesAlongTheRow) {
  const ImageHeader h = Header(8, 4, false);
  struct Case {
    const char* what;
    Samples row;                 // row 1; rows 0, 2 and 3 are 0
    std::vector<Entry> entries;
    Samples expected;
  } cases[] = {
      {"single", {0, 101, 9, 0, 0, 0, 0, 0}, {{0, 2, 1, 0}}, {0, 101, 51, 0, 0, 0, 0, 0}},
      {"single, falling", {0, 0, 0, 9, 101, 0, 0, 0}, {{0, 3, 1, 0}}, {0, 0, 0, 50, 101, 0, 0, 0}},
      {"run of three", {0, 100, 7, 7, 7, 500, 0, 0}, {{0, 2, 1, 0}, {0, 3, 1, 0}, {0, 4, 1, 0}},
       {0, 100, 200, 300, 400, 500, 0, 0}},
      {"border column and row", {5, 0, 0, 0, 0, 0, 0, 5}, {{0, 0, 1, 0}, {0, 7, 1, 0}, {0, 3, 0, 0}, {0, 3, 3, 0}},
       {5, 0, 0, 0, 0, 0, 0, 5}},
      {"run ends before the last column", {0, 0, 0, 0, 90, 9, 9, 30},
       {{0, 5, 1, 0}, {0, 6, 1, 0}, {0, 7, 1, 0}}, {0, 0, 0, 0, 90, 70, 50, 30}},
      {"unknown channel code", {0, 40, 7, 0, 0, 0, 0, 0}, {{4, 2, 1, 0}}, {0, 40, 7, 0, 0, 0, 0, 0}},
  };
  for (const auto& c : cases) {
    Samples img(32, 0);
    std::copy(c.row.begin(), c.row.end(), img.begin() + 8);
    ASSERT_EQ(IMG_OK, Repair(h, img, img, c.entries)) << c.what;
    EXPECT_EQ(c.expected, Samples(img.begin() + 8, img.begin() + 16)) << c.what;
  }
  // Diagonal neighbours are two runs, each between its own row neighbours.
  const ImageHeader big = Header(12, 14, false);
  Samples img(12 * 14, 0);
  img[10 * 12 + 4] = 10;
  img[10 * 12 + 6] = 30;
  img[11 * 12 + 5] = 50;
  img[11 * 12 + 7] = 70;
  img[10 * 12 + 5] = img[11 * 12 + 6] = 999;
  ASSERT_EQ(IMG_OK, Repair(big, img, img, {{0, 5, 10, 0}, {0, 6, 11, 0}}));
  EXPECT_EQ(20, img[10 * 12 + 5]);
  EXPECT_EQ(60, img[11 * 12 + 6]);
}

TEST(HotPixels, RepairMatchesTheEntryByEntryRepair) {
  // Random lists with runs, on grey and colour pictures, against the literal
  // repair; a second buffer gives the in-place result too.
  std::mt19937 gen(5);
  for (bool colour : {false, true}) {
    const ImageHeader h = Header(17, 9, colour);
    for (int trial = 0; trial < 40; ++trial) {
      const Samples src = Random(h, 100 + trial, -300, 32767);
      std::vector<Entry> entries;
      std::uniform_int_distribution<int> pos(0, 16), row(0, 8), len(1, 6), code(0, 4);
      for (int k = 0; k < 12; ++k) {
        const int x = pos(gen), y = row(gen), n = len(gen), c = code(gen);
        for (int j = 0; j < n && x + j < 17; ++j)
          entries.push_back({static_cast<uint16_t>(c), static_cast<uint16_t>(x + j), static_cast<uint16_t>(y), 0});
      }
      // Lists come from files: any entry at all must be harmless.
      std::uniform_int_distribution<int> any(0, 65535);
      for (int k = 0; k < 3; ++k)
        entries.insert(entries.begin() + static_cast<long>(gen() % entries.size()),
                       {static_cast<uint16_t>(any(gen)), static_cast<uint16_t>(any(gen)),
                        static_cast<uint16_t>(any(gen) % 12), static_cast<uint16_t>(any(gen))});
      Samples expected = src;
      LiteralRepair(h, expected, entries);
      Samples inPlace = src, apart(src.size(), 0);
      ASSERT_EQ(IMG_OK, Repair(h, inPlace, inPlace, entries));
      ASSERT_EQ(IMG_OK, Repair(h, src, apart, entries));
      EXPECT_EQ(expected, inPlace) << "trial " << trial << " colour " << colour;
      EXPECT_EQ(expected, apart) << "trial " << trial << " colour " << colour;
    }
  }
}

TEST(HotPixels, ColourCodesPickTheirChannel) {
  const ImageHeader h = Header(3, 3, true);
  Samples img(27, 0);
  for (int c = 0; c < 3; ++c) {
    img[(3 + 0) * 3 + c] = static_cast<int16_t>(10 * (c + 1));   // left neighbour (0, 1)
    img[(3 + 1) * 3 + c] = 999;
    img[(3 + 2) * 3 + c] = static_cast<int16_t>(30 * (c + 1));   // right neighbour (2, 1)
  }
  // Code 1 red (sample 2), 3 blue (sample 0); code 0 repairs nothing in colour.
  ASSERT_EQ(IMG_OK, Repair(h, img, img, {{1, 1, 1, 0}, {3, 1, 1, 0}, {0, 1, 1, 0}}));
  EXPECT_EQ(20, img[12 + 0]);
  EXPECT_EQ(999, img[12 + 1]);
  EXPECT_EQ(60, img[12 + 2]);
  EXPECT_EQ(IMG_NULL_ARRAY, RepairHotPixels(&h, img.data(), img.data(), nullptr, 3));
  EXPECT_EQ(IMG_NULL_IMAGE, RepairHotPixels(&h, nullptr, img.data(), nullptr, 0));
}

TEST(HotPixels, OwnGeneratorRepeatsTheClassicSequence) {
  SeedRandom15(1);
  const int32_t expected[] = {41, 18467, 6334, 26500, 19169, 15724, 11478, 29358};
  for (int32_t v : expected) EXPECT_EQ(v, Random15());
}

TEST(HotPixels, GaussianRandomHasItsMeanAndSpread) {
  SeedRandom15(7);
  const int n = 20000;
  double sum = 0, squares = 0;
  for (int i = 0; i < n; ++i) {
    const double v = GaussianRandom(1000, 200);
    sum += v;
    squares += v * v;
  }
  const double mean = sum / n, sd = std::sqrt(squares / n - mean * mean);
  EXPECT_NEAR(1000.0, mean, 6.0);
  EXPECT_NEAR(200.0, sd, 6.0);
}

// What each noise kind may leave in a pixel of 16000.
bool Allowed(int type, int16_t v) {
  switch (type) {
    case 0: return v >= 0;   // clamped, not wrapped
    case 1: return v == 12288 || v == 20480;   // (L / 4 AND r) + 3 L / 8
    case 2: return v == 0;                     // L AND r, r below L
    case 3: return v == 16000 - 4096 || v == 16000 + 4096;
    case 4: return v == 16000 - 8192 || v == 16000 + 8192;
    default: return v == 16000 || v == 0 || v == 32767;
  }
}

TEST(HotPixels, SyntheticNoiseKinds) {
  const ImageHeader h = Header(40, 30, true);   // noise uses the grey layout
  const ImageRect r = {5, 5, 30, 20};
  for (int type = 0; type <= 10; ++type) {
    Samples img(h.width * h.height * 3, 16000);
    ASSERT_EQ(IMG_OK, AddSyntheticNoise(&r, &h, img.data(), type)) << type;
    int changed = 0;
    for (int y = 0; y < 30; ++y)
      for (int x = 0; x < 40; ++x) {
        const int16_t v = img[y * 40 + x];
        const bool inside = x >= 5 && x < 35 && y >= 5 && y < 25;
        if (!inside) {
          ASSERT_EQ(16000, v) << "type " << type << " wrote outside at " << x << "," << y;
          continue;
        }
        changed += v != 16000;
        ASSERT_TRUE(Allowed(type, v)) << "type " << type << ": " << v;
      }
    if (type <= 4) {
      EXPECT_GT(changed, 500) << type;
    }
    for (size_t i = 40 * 30; i < img.size(); ++i) ASSERT_EQ(16000, img[i]) << "beyond the grey layout";
  }
  Samples img(40 * 30 * 3, 0);
  const ImageRect empty = {3, 3, 0, 0}, outside = {30, 0, 11, 1};
  EXPECT_EQ(IMG_BAD_PARAMETER, AddSyntheticNoise(&r, &h, img.data(), 11));
  EXPECT_EQ(IMG_OK, AddSyntheticNoise(&empty, &h, img.data(), 11));
  EXPECT_EQ(IMG_BAD_RECT, AddSyntheticNoise(&outside, &h, img.data(), 1));
  EXPECT_EQ(IMG_NULL_IMAGE, AddSyntheticNoise(&r, &h, nullptr, 1));
}

}  // namespace
