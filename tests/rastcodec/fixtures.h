// Small pictures and readers for the codec tests: DIBs built from a pixel
// function, and their pixels read back as colours or palette indices.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "rastcodec/codecs.h"

namespace fixtures {

using rastcodec::Bgr;
using rastcodec::Bytes;

// A colourful pattern that differs in every pixel of a small picture.
inline Bgr Pattern(int x, int y) {
  return Bgr{uint8_t(37 * x + 11 * y), uint8_t(200 - 29 * y + 3 * x), uint8_t(90 + 53 * x * y)};
}

inline Bytes Dib24(int w, int h, const std::function<Bgr(int, int)>& colour = Pattern) {
  rastcodec::DibImage img;
  EXPECT_TRUE(img.Create(w, h, 24));
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      const Bgr c = colour(x, y);
      img.Row(y)[3 * x] = c.b;
      img.Row(y)[3 * x + 1] = c.g;
      img.Row(y)[3 * x + 2] = c.r;
    }
  }
  return img.data;
}

// A false-colour palette, as the program's display palettes are.
inline Bgr PaletteColour(int i) { return Bgr{uint8_t(255 - i), uint8_t(i / 2 + 64), uint8_t(i)}; }

inline Bytes Dib8(int w, int h, const std::function<int(int, int)>& index, bool greyRamp = false) {
  rastcodec::DibImage img;
  EXPECT_TRUE(img.Create(w, h, 8));
  for (int i = 0; i < 256; ++i) {
    img.SetColour(uint32_t(i), greyRamp ? Bgr{uint8_t(i), uint8_t(i), uint8_t(i)} : PaletteColour(i));
  }
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) img.Row(y)[x] = uint8_t(index(x, y));
  }
  return img.data;
}

inline int IndexPattern(int x, int y) { return (41 * x + 97 * y + 3) & 0xFF; }

inline rastcodec::DibView View(const Bytes& dib, rastcodec::DibLayout layout = rastcodec::DibLayout::Standard) {
  rastcodec::DibView v;
  EXPECT_TRUE(rastcodec::ParseDib(dib.data(), dib.size(), layout, &v));
  return v;
}

// Colours of every pixel, top row first.
inline std::vector<Bgr> Colours(const Bytes& dib) {
  const rastcodec::DibView v = View(dib);
  std::vector<Bgr> out;
  std::vector<uint8_t> row(size_t(v.width) * 3);
  for (int y = 0; y < v.height; ++y) {
    rastcodec::RowBgr(v, y, row.data());
    for (int x = 0; x < v.width; ++x) out.push_back(Bgr{row[3 * x], row[3 * x + 1], row[3 * x + 2]});
  }
  return out;
}

inline std::vector<uint8_t> Indices(const Bytes& dib) {
  const rastcodec::DibView v = View(dib);
  std::vector<uint8_t> out(size_t(v.width) * size_t(v.height));
  for (int y = 0; y < v.height; ++y) rastcodec::RowIndices(v, y, out.data() + size_t(y) * size_t(v.width));
  return out;
}

inline int MaxChannelError(const std::vector<Bgr>& a, const std::vector<Bgr>& b) {
  int worst = a.size() == b.size() ? 0 : 256;
  for (size_t i = 0; i < std::min(a.size(), b.size()); ++i) {
    worst = std::max({worst, std::abs(a[i].b - b[i].b), std::abs(a[i].g - b[i].g), std::abs(a[i].r - b[i].r)});
  }
  return worst;
}

// A file in the test's working directory, removed again at the end; named
// after the running test, since tests run in parallel.
struct TempFile {
  std::string path;
  explicit TempFile(const std::string& name) {
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    path = std::string("rastcodec_") + test->test_suite_name() + "_" + test->name() + "_" + name;
    std::replace(path.begin(), path.end(), '/', '_');
    std::remove(path.c_str());
  }
  ~TempFile() { std::remove(path.c_str()); }
  const char* c_str() const { return path.c_str(); }
};

}  // namespace fixtures

namespace rastcodec {
// Readable failure messages for colours.
inline std::ostream& operator<<(std::ostream& os, Bgr c) {
  return os << "(b" << int(c.b) << " g" << int(c.g) << " r" << int(c.r) << ")";
}
}  // namespace rastcodec
