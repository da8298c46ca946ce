#include "imagelib/work_planes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <utility>
#include <vector>

#include "imagelib/colour_channels.h"
#include "imagelib/primitives.h"
#include "random_image.h"

namespace {

using testimg::Header;
using testimg::Random;
using testimg::Samples;

TEST(WorkPlanes, PlaneAreaMatchesTheWholeImageConversions) {
  const ImageHeader h = Header(200, 150, true);
  for (auto range : {std::pair<int, int>{0, 32767}, {-32768, 32767}, {0, 255}}) {
    Samples rgb = Random(h, 3, range.first, range.second);
    if (range.second == 255)
      for (auto& v : rgb) v = static_cast<int16_t>(v * 128);
    Samples lum(200 * 150), planes[3] = {Samples(200 * 150), Samples(200 * 150), Samples(200 * 150)};
    ASSERT_EQ(IMG_OK, RgbToLuminance(rgb.data(), &h, lum.data()));
    ASSERT_EQ(IMG_OK, ExtractColourPlanes(rgb.data(), &h, 0, planes[0].data(), planes[1].data(), planes[2].data()));
    const ImageRect area = {7, 3, 180, 140};
    for (int channel = 0; channel <= 3; ++channel) {
      Samples out(200 * 150, -1);
      ExtractPlaneArea(rgb.data(), &h, channel, area, out.data());
      const Samples& expected = channel == 0 ? lum : planes[channel - 1];
      for (int y = 0; y < 150; ++y)
        for (int x = 0; x < 200; ++x) {
          const bool inside = x >= 7 && x < 187 && y >= 3 && y < 143;
          ASSERT_EQ(inside ? expected[y * 200 + x] : -1, out[y * 200 + x])
              << "channel " << channel << " at " << x << "," << y << " range " << range.first;
        }
    }
  }
}

TEST(WorkPlanes, LuminanceOfWideRowsMatchesTheWholeImage) {
  // Rows longer than the pieces the luminance is worked in, odd widths and
  // areas, negative samples in some places only, and the extreme values.
  std::mt19937 gen(21);
  for (int width : {601, 257, 5}) {
    const ImageHeader h = Header(width, 13, true);
    Samples rgb = Random(h, static_cast<uint32_t>(width), 0, 32767);
    const int16_t edge[] = {0, 32767, -32768, -1, 1};
    std::uniform_int_distribution<size_t> pick(0, rgb.size() - 1);
    for (int k = 0; k < 40; ++k) rgb[pick(gen)] = edge[k % 5];
    for (int k = 0; k < 3 * width; ++k) rgb[size_t(5 * width * 3) + k] = edge[k % 5];   // row 5 all extremes
    Samples lum(size_t(width) * 13);
    ASSERT_EQ(IMG_OK, RgbToLuminance(rgb.data(), &h, lum.data()));
    for (int trial = 0; trial < 12; ++trial) {
      std::uniform_int_distribution<int> px(0, width - 1), py(0, 12);
      int x0 = px(gen), x1 = px(gen), y0 = py(gen), y1 = py(gen);
      if (x0 > x1) std::swap(x0, x1);
      if (y0 > y1) std::swap(y0, y1);
      if (trial == 0) x0 = y0 = 0, x1 = width - 1, y1 = 12;
      const ImageRect area = {x0, y0, x1 - x0 + 1, y1 - y0 + 1};
      Samples out(lum.size(), -7);
      ExtractPlaneArea(rgb.data(), &h, 0, area, out.data());
      for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x)
          ASSERT_EQ(lum[size_t(y) * width + x], out[size_t(y) * width + x]) << width << " at " << x << "," << y;
    }
  }
}

TEST(WorkPlanes, SmoothedPartEqualsTheWholeSmoothing) {
  std::mt19937 gen(9);
  for (bool colour : {false, true}) {
    const ImageHeader h = Header(90, 70, colour);
    const Samples src = Random(h, 4);
    const int spp = SamplesPerPixel(&h);
    for (int trial = 0; trial < 40; ++trial) {
      std::uniform_int_distribution<int> px(0, 89), py(0, 69);
      int x0 = px(gen), x1 = px(gen), y0 = py(gen), y1 = py(gen);
      if (x0 > x1) std::swap(x0, x1);
      if (y0 > y1) std::swap(y0, y1);
      const ImageRect r = {x0, y0, x1 - x0 + 1, y1 - y0 + 1};
      const int radius = trial % 3 == 0 ? 3 : 11, margin = trial % 2;
      Samples whole(src.size());
      SmoothRect(whole.data(), src.data(), &h, &r, radius);
      SmoothedPart part;
      ASSERT_EQ(IMG_OK, SmoothPart(src.data(), &h, r, radius, margin, &part));
      for (int y = std::max(r.y - margin, 0); y < std::min(r.y + r.h + margin, 70); ++y)
        for (int x = std::max(r.x - margin, 0); x < std::min(r.x + r.w + margin, 90); ++x)
          for (int c = 0; c < spp; ++c)
            ASSERT_EQ(whole[(y * 90 + x) * spp + c], part.At(x, y)[c])
                << "rect " << r.x << "," << r.y << " " << r.w << "x" << r.h << " radius " << radius << " at " << x
                << "," << y;
      FreeSmoothedPart(&part);
      EXPECT_EQ(nullptr, part.samples);
    }
  }
}

}  // namespace
