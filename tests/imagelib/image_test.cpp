#include "imagelib/image.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <vector>

namespace {

template <typename T>
void Put(std::vector<unsigned char>& b, size_t offset, T v) {
  std::memcpy(b.data() + offset, &v, sizeof v);
}

// The default header written out byte by byte from its documented offsets,
// independently of the struct's field names.
std::vector<unsigned char> ExpectedDefaultHeader() {
  std::vector<unsigned char> b(224, 0);
  Put<int32_t>(b, 8, 32768);
  Put<int16_t>(b, 12, 16);
  Put<double>(b, 16, 1.0);
  Put<double>(b, 24, 1.0);
  Put<double>(b, 32, 1.0);
  Put<int32_t>(b, 40, 16);
  Put<int32_t>(b, 48, 13);
  Put<int32_t>(b, 52, 12);
  Put<int32_t>(b, 80, 1);
  std::memcpy(b.data() + 96, "Counts", 6);
  Put<double>(b, 136, 1.0);
  Put<double>(b, 144, 1.0);
  std::memcpy(b.data() + 168, "Pixel", 5);
  std::memcpy(b.data() + 192, "Pixel", 5);
  Put<int32_t>(b, 216, 1);
  Put<int32_t>(b, 220, 1);
  return b;
}

TEST(ImageModel, DefaultHeaderMatchesItsByteLayout) {
  ImageHeader h;
  std::memset(&h, 0xAB, sizeof h);   // padding must be written too
  InitImageHeader(&h);
  auto expected = ExpectedDefaultHeader();
  EXPECT_EQ(0, std::memcmp(&h, expected.data(), sizeof h));
}

TEST(ImageModel, DefaultMetadataHasItsFourWordsSet) {
  ImageMetadata md;
  std::memset(&md, 0xAB, sizeof md);
  InitImageMetadata(&md);
  for (int i = 0; i < 663; ++i) {
    const int32_t expected = (i == 19 || i == 20 || i == 150) ? 1 : i == 147 ? 5 : 0;
    EXPECT_EQ(expected, MetadataWord(&md, i)) << "word " << i;
  }
}

TEST(ImageModel, RectInImage) {
  ImageHeader h;
  InitImageHeader(&h);
  h.width = 40;
  h.height = 30;
  struct Case {
    ImageRect r;
    int valid;
  } cases[] = {
      {{0, 0, 40, 30}, 1},
      {{0, 0, 41, 30}, 0},
      {{0, 0, 40, 31}, 0},
      {{39, 0, 1, 1}, 1},
      {{39, 29, 1, 1}, 1},
      {{40, 0, 0, 0}, 0},   // x at the width is outside, even with w = 0
      {{0, 30, 0, 0}, 0},
      {{0, 0, 0, 0}, 1},
      {{-1, 0, 1, 1}, 0},
      {{0, -1, 1, 1}, 0},
      {{0, 0, -1, 1}, 0},
      {{0, 0, 1, -1}, 0},
      {{1, 0, INT32_MAX, 1}, 0},   // x + w must not wrap
      {{0, 1, 1, INT32_MAX}, 0},
      {{10, 10, 30, 20}, 1},
      {{10, 10, 31, 20}, 0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.valid, RectInImage(&c.r, &h)) << c.r.x << "," << c.r.y << "," << c.r.w << "," << c.r.h;
  }
  ImageRect r;
  EXPECT_EQ(&r, MakeRect(&r, 1, 2, 3, 4));
  EXPECT_EQ((std::vector<int32_t>{1, 2, 3, 4}), (std::vector<int32_t>{r.x, r.y, r.w, r.h}));
}

TEST(ImageModel, MemoryHelpers) {
  auto* p = static_cast<unsigned char*>(AllocMem(1000));
  ASSERT_NE(nullptr, p);
  for (int i = 0; i < 1000; ++i) ASSERT_EQ(0, p[i]);
  for (int i = 0; i < 1000; ++i) p[i] = static_cast<unsigned char>(i * 7);

  auto* q = static_cast<unsigned char*>(ReallocMem(p, 100000));
  ASSERT_NE(nullptr, q);
  for (int i = 0; i < 1000; ++i) ASSERT_EQ(static_cast<unsigned char>(i * 7), q[i]);

  EXPECT_EQ(0, FreeMem(&q));
  EXPECT_EQ(nullptr, q);
  EXPECT_EQ(0, FreeMem(&q));   // second call frees nothing
  EXPECT_EQ(nullptr, q);
}

}  // namespace
