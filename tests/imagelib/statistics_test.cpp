#include "imagelib/statistics.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <vector>

#include "random_image.h"

namespace {

using testimg::At;
using testimg::Header;
using testimg::Random;
using testimg::Samples;
using Histogram = std::vector<uint32_t>;

TEST(Statistics, ArgumentChecksComeInOrder) {
  const ImageHeader grey = Header(8, 6, false);
  const ImageHeader colour = Header(8, 6, true);
  const Samples s = Random(colour, 1);
  Histogram a(32768), b(32768), c(32768);
  const ImageRect good = {0, 0, 8, 6}, bad = {0, 0, 9, 6};
  int32_t n[7];
  double d[2];
  LevelsRecord levels;
  struct Case {
    const char* what;
    std::function<ImageResult()> call;
    ImageResult expected;
  } cases[] = {
      {"statistics: rect first", [&] { return ComputeRegionStatistics(&bad, &grey, nullptr, n, n, n, n, n, n, n); },
       IMG_BAD_RECT},
      {"statistics: samples",
       [&] { return ComputeRegionStatistics(&good, &grey, nullptr, n, n, n, n, n, n, nullptr); }, IMG_NULL_IMAGE},
      {"statistics: output", [&] { return ComputeRegionStatistics(&good, &grey, s.data(), n, n, n, n, n, n, nullptr); },
       IMG_NULL_ARRAY},
      {"histogram: rect", [&] { return ComputeRegionHistogram(&bad, &grey, nullptr, nullptr); }, IMG_BAD_RECT},
      {"histogram: samples", [&] { return ComputeRegionHistogram(&good, &grey, nullptr, nullptr); },
       IMG_NULL_IMAGE},
      {"histogram: histogram", [&] { return ComputeRegionHistogram(&good, &grey, s.data(), nullptr); },
       IMG_NULL_ARRAY},
      {"rgb: grey image first",
       [&] { return ComputeRegionHistogramsRgb(&bad, &grey, nullptr, nullptr, nullptr, nullptr); },
       IMG_BAD_PARAMETER},
      {"rgb: rect", [&] { return ComputeRegionHistogramsRgb(&bad, &colour, nullptr, nullptr, nullptr, nullptr); },
       IMG_BAD_RECT},
      {"rgb: samples",
       [&] { return ComputeRegionHistogramsRgb(&good, &colour, nullptr, a.data(), b.data(), c.data()); },
       IMG_NULL_IMAGE},
      {"rgb: a histogram",
       [&] { return ComputeRegionHistogramsRgb(&good, &colour, s.data(), a.data(), nullptr, c.data()); },
       IMG_NULL_ARRAY},
      {"summary: histogram", [&] { return SummariseHistogram(nullptr, 10, n, n, n, n, d, d); }, IMG_NULL_ARRAY},
      {"summary: one bin", [&] { return SummariseHistogram(a.data(), 1, n, n, n, n, d, d); }, IMG_BAD_PARAMETER},
      {"peak: histogram", [&] { return FindHistogramPeak(nullptr, 10, n); }, IMG_NULL_ARRAY},
      {"peak: one bin", [&] { return FindHistogramPeak(a.data(), 1, n); }, IMG_BAD_PARAMETER},
      {"levels: histogram", [&] { return AnalyseLevels(nullptr, 10, 9, 0, 0, &levels); }, IMG_NULL_ARRAY},
      {"levels: no bins", [&] { return AnalyseLevels(a.data(), 0, 0, 0, 0, &levels); }, IMG_BAD_PARAMETER},
      {"mean: rect", [&] { return ComputeRegionMean(&bad, &grey, nullptr, d, d + 1); }, IMG_BAD_RECT},
      {"mean: samples", [&] { return ComputeRegionMean(&good, &grey, nullptr, d, d + 1); }, IMG_NULL_IMAGE},
      {"mean: header", [&] { return ComputeRegionMean(&good, nullptr, s.data(), d, d + 1); }, IMG_NULL_ARRAY},
  };
  for (const auto& c : cases) EXPECT_EQ(c.expected, c.call()) << c.what;
}

// 100 bins of 10 counts from level 100 to 199: the totals leave out the bin
// maxLevel (990 counts), so clipping 1 % puts the low count at 10 and the high
// count at 980.
TEST(Statistics, AnalyseLevelsWorkedExample) {
  Histogram h(32768, 0);
  for (int i = 100; i < 200; ++i) h[i] = 10;
  LevelsRecord r;
  ASSERT_EQ(IMG_OK, AnalyseLevels(h.data(), 32768, 4, 0, 0, &r));
  EXPECT_EQ(100, r.minLevel);
  EXPECT_EQ(199, r.maxLevel);
  EXPECT_EQ(199, r.whitePoint);   // 10 counts at 199 are not below 10
  EXPECT_EQ(103, r.blackPoint);   // 970 counts from 103 up are below 980; 980 from 102 up are not
  EXPECT_EQ(100, r.peakLevel);    // the lowest of the equal bins
  EXPECT_EQ(10, r.peakCount);
  EXPECT_EQ(198, r.firstPeakLevel);   // equal counts keep the climb going
  EXPECT_DOUBLE_EQ(10.0 / 990.0, r.peakFraction);
  EXPECT_DOUBLE_EQ(std::log(100.0) / std::log(2.0), r.rangeBits);

  ASSERT_EQ(IMG_OK, AnalyseLevels(h.data(), 32768, 0, 0, 0, &r));
  EXPECT_EQ(100, r.blackPoint);
  EXPECT_EQ(199, r.whitePoint);

  // Ignore counts: 10 at 100 does not pass 15, 20 at 101 does; from the top
  // 30 counts are needed to pass 25.
  ASSERT_EQ(IMG_OK, AnalyseLevels(h.data(), 32768, 0, 25, 15, &r));
  EXPECT_EQ(101, r.minLevel);
  EXPECT_EQ(197, r.maxLevel);
}

TEST(Statistics, AnalyseLevelsClipModes) {
  // 1000 counts spread evenly over 1000..1999, plus the bin maxLevel.
  Histogram h(32768, 0);
  for (int i = 1000; i < 2000; ++i) h[i] = 1;
  h[2000] = 1;
  struct Case {
    int clip;
    int black, white;
  } cases[] = {{0, 1000, 2000}, {1, 1003, 2000}, {2, 1004, 2000}, {3, 1007, 1997},
               {4, 1012, 1992}, {5, 1022, 1982}, {6, 1052, 1952}, {7, 1102, 1902}};
  for (const auto& c : cases) {
    LevelsRecord r;
    ASSERT_EQ(IMG_OK, AnalyseLevels(h.data(), 32768, c.clip, 0, 0, &r));
    EXPECT_EQ(c.black, r.blackPoint) << "clip " << c.clip;
    EXPECT_EQ(c.white, r.whitePoint) << "clip " << c.clip;
  }
}

TEST(Statistics, AnalyseLevelsFirstPeakAndUnknownClipMode) {
  Histogram h(64, 0);
  const uint32_t counts[] = {5, 8, 8, 3, 20, 1};
  for (int i = 0; i < 6; ++i) h[10 + i] = counts[i];
  LevelsRecord r;
  r.blackPoint = r.whitePoint = -7;
  EXPECT_EQ(IMG_BAD_PARAMETER, AnalyseLevels(h.data(), 64, 8, 0, 0, &r));
  EXPECT_EQ(10, r.minLevel);
  EXPECT_EQ(15, r.maxLevel);
  EXPECT_EQ(12, r.firstPeakLevel);   // 5, 8, 8 climb; 3 ends the climb for good
  EXPECT_EQ(14, r.peakLevel);
  EXPECT_EQ(20, r.peakCount);
  EXPECT_DOUBLE_EQ(20.0 / 44.0, r.peakFraction);
  EXPECT_DOUBLE_EQ(std::log(6.0) / std::log(2.0), r.rangeBits);
  EXPECT_EQ(-7, r.blackPoint);
  EXPECT_EQ(-7, r.whitePoint);
}

TEST(Statistics, AnalyseLevelsShortPathForOneOrTwoLevels) {
  struct Case {
    int first, second;   // occupied bins
  } cases[] = {{500, 500}, {500, 501}};
  for (const auto& c : cases) {
    Histogram h(32768, 0);
    h[c.first] += 7;
    h[c.second] += 3;
    for (int clip : {0, 4, 7, 9}) {
      LevelsRecord r;
      r.firstPeakLevel = -7;
      ASSERT_EQ(IMG_OK, AnalyseLevels(h.data(), 32768, clip, 0, 0, &r)) << "clip " << clip;
      EXPECT_EQ(c.first, r.minLevel);
      EXPECT_EQ(c.second, r.maxLevel);
      EXPECT_EQ(c.first, r.blackPoint);
      EXPECT_EQ(c.second, r.whitePoint);
      EXPECT_EQ(c.first, r.peakLevel);
      EXPECT_EQ(32768, r.peakCount);
      EXPECT_EQ(1.0, r.peakFraction);
      EXPECT_EQ(0.0, r.rangeBits);
      EXPECT_EQ(-7, r.firstPeakLevel);
    }
  }
}

TEST(Statistics, AnalyseLevelsWithNothingBelowMaxLevelHasPeakFractionZero) {
  Histogram h(256, 0);
  h[100] = 5;
  LevelsRecord r;
  ASSERT_EQ(IMG_OK, AnalyseLevels(h.data(), 256, 4, 0, -1, &r));   // a negative ignore count starts at bin 0
  EXPECT_EQ(0, r.minLevel);
  EXPECT_EQ(100, r.maxLevel);
  EXPECT_EQ(0, r.peakCount);
  EXPECT_EQ(0.0, r.peakFraction);
  EXPECT_EQ(0, r.blackPoint);
  EXPECT_EQ(100, r.whitePoint);
}

TEST(Statistics, SummariseHistogramIgnoresBinZero) {
  Histogram h(32768, 0);
  h[0] = 1000;
  h[5] = 3;
  h[9] = 7;
  h[12] = 7;
  int32_t first, last, peak, count;
  double fraction, bits;
  ASSERT_EQ(IMG_OK, SummariseHistogram(h.data(), 32768, &first, &last, &peak, &count, &fraction, &bits));
  EXPECT_EQ(5, first);
  EXPECT_EQ(12, last);
  EXPECT_EQ(9, peak);
  EXPECT_EQ(7, count);
  EXPECT_DOUBLE_EQ(7.0 / 17.0, fraction);
  EXPECT_DOUBLE_EQ(3.0, bits);

  int32_t level;
  ASSERT_EQ(IMG_OK, FindHistogramPeak(h.data(), 32768, &level));
  EXPECT_EQ(9, level);

  Histogram empty(300, 0);
  empty[0] = 50;
  ASSERT_EQ(IMG_OK, SummariseHistogram(empty.data(), 300, &first, &last, &peak, &count, &fraction, &bits));
  EXPECT_EQ(0, first);
  EXPECT_EQ(299, last);
  EXPECT_EQ(1, peak);
  EXPECT_EQ(0, count);
  EXPECT_EQ(0.0, fraction);
  ASSERT_EQ(IMG_OK, FindHistogramPeak(empty.data(), 300, &level));
  EXPECT_EQ(1, level);
}

TEST(Statistics, RegionStatisticsOfGreyImage) {
  ImageHeader h = Header(4, 2, false);
  const Samples s = {0, -5, 3, 3, 100, 0, 32767, 7};
  int32_t used = -1, red = -1, green = -1, blue = -1, zeros = -1, negatives = -1, highest = -1;
  const ImageRect all = {0, 0, 4, 2};
  ASSERT_EQ(IMG_OK, ComputeRegionStatistics(&all, &h, s.data(), &used, &red, &green, &blue, &zeros, &negatives,
                                            &highest));
  EXPECT_EQ(5, used);   // 0 (zeros and the negative), 3, 7, 100, 32767
  EXPECT_EQ(2, zeros);
  EXPECT_EQ(1, negatives);
  EXPECT_EQ(32767, highest);
  EXPECT_EQ(0, red + green + blue);

  h.levels = 256;   // a sample above the level count lands in the top bin
  ASSERT_EQ(IMG_OK, ComputeRegionStatistics(&all, &h, s.data(), &used, &red, &green, &blue, &zeros, &negatives,
                                            &highest));
  EXPECT_EQ(5, used);
  EXPECT_EQ(255, highest);

  const ImageRect bad = {0, 0, 5, 2};
  used = zeros = highest = -1;
  EXPECT_EQ(IMG_BAD_RECT, ComputeRegionStatistics(&bad, &h, s.data(), &used, &red, &green, &blue, &zeros,
                                                  &negatives, &highest));
  EXPECT_EQ(0, used);   // cleared before the checks
  EXPECT_EQ(0, zeros);
  EXPECT_EQ(0, highest);
}

TEST(Statistics, RegionStatisticsOfColourImage) {
  const ImageHeader h = Header(3, 1, true);
  const Samples s = {0, 0, 0, -4, 1000, 1000, 10, 10, 10};   // B,G,R
  int32_t used, red, green, blue, zeros, negatives, highest;
  const ImageRect all = {0, 0, 3, 1};
  ASSERT_EQ(IMG_OK, ComputeRegionStatistics(&all, &h, s.data(), &used, &red, &green, &blue, &zeros, &negatives,
                                            &highest));
  EXPECT_EQ(3, used);        // luminance 0, 886 (0.299 * 1000 + 0.587 * 1000 - 0.456 + 0.5), 10
  EXPECT_EQ(886, highest);   // of the luminance
  EXPECT_EQ(3, zeros);       // counted per sample
  EXPECT_EQ(1, negatives);
  EXPECT_EQ(2, blue);   // 0 and the negative share bin 0, then 10
  EXPECT_EQ(3, green);
  EXPECT_EQ(3, red);

  const ImageRect none = {1, 0, 0, 1};
  ASSERT_EQ(IMG_OK, ComputeRegionStatistics(&none, &h, s.data(), &used, &red, &green, &blue, &zeros, &negatives,
                                            &highest));
  EXPECT_EQ(0, used + red + green + blue + zeros + negatives + highest);
}

// Histogram of every step-th pixel and row, straight from the definition.
Histogram SparseReference(const Samples& s, const ImageHeader& h, const ImageRect& r, int step, int channel) {
  Histogram out(h.levels, 0);
  for (int y = r.y; y < r.y + r.h; y += step)
    for (int x = r.x; x < r.x + r.w; x += step) {
      double v;
      if (channel >= 0)
        v = At(s, h, x, y, channel);
      else if (h.colourType == kColourRgb)
        v = 0.114 * At(s, h, x, y, 0) + 0.587 * At(s, h, x, y, 1) + 0.299 * At(s, h, x, y, 2) + 0.5;
      else
        v = At(s, h, x, y);
      ++out[v < 0 ? 0 : v >= h.levels ? h.levels - 1 : int(v)];
    }
  return out;
}

TEST(Statistics, RegionHistogramSamplesEveryStepthPixel) {
  struct Case {
    bool colour;
    int W, H;
    ImageRect r;
    int levels;
    int step;
  } cases[] = {
      {false, 600, 7, {1, 1, 500, 6}, 32768, 3},   // 600 / 256 + 1
      {true, 1024, 9, {3, 0, 1000, 9}, 32768, 5},
      {false, 200, 5, {0, 0, 200, 5}, 32768, 1},
      {true, 255, 4, {10, 1, 200, 3}, 1000, 1},   // clamped to the top bin
  };
  for (const auto& c : cases) {
    ImageHeader h = Header(c.W, c.H, c.colour);
    h.levels = c.levels;
    const Samples s = Random(h, c.W, -3000, 32767);
    Histogram hist(c.levels, 99);
    ASSERT_EQ(IMG_OK, ComputeRegionHistogram(&c.r, &h, s.data(), hist.data()));
    EXPECT_EQ(SparseReference(s, h, c.r, c.step, -1), hist) << c.W << " wide";
  }
}

TEST(Statistics, RegionHistogramsRgbPerChannel) {
  ImageHeader h = Header(2100, 4, true);
  const Samples s = Random(h, 12, -100, 32767);
  const ImageRect r = {5, 0, 40, 4};
  Histogram red(32768, 9), green(32768, 9), blue(32768, 9);
  ASSERT_EQ(IMG_OK, ComputeRegionHistogramsRgb(&r, &h, s.data(), red.data(), green.data(), blue.data()));
  EXPECT_EQ(SparseReference(s, h, r, 3, 2), red);
  EXPECT_EQ(SparseReference(s, h, r, 3, 1), green);
  EXPECT_EQ(SparseReference(s, h, r, 3, 0), blue);

  const ImageRect empty = {0, 0, 0, 4};
  ASSERT_EQ(IMG_OK, ComputeRegionHistogramsRgb(&empty, &h, s.data(), red.data(), green.data(), blue.data()));
  EXPECT_EQ(Histogram(32768, 0), red);
}

TEST(Statistics, RegionMean) {
  const ImageHeader h = Header(4, 2, false);
  const Samples s = {1, 2, 4, 9, 0, 6, 9, 9};
  const ImageRect r = {1, 0, 2, 2};
  double mean = -1, spread = -1;
  ASSERT_EQ(IMG_OK, ComputeRegionMean(&r, &h, s.data(), &mean, &spread));
  EXPECT_DOUBLE_EQ(5.25, mean);
  EXPECT_DOUBLE_EQ(3.0, spread);   // squares about 5: 9 + 1 + 1 + 16 over 3

  const Samples zeros(8, 0);
  ASSERT_EQ(IMG_OK, ComputeRegionMean(&r, &h, zeros.data(), &mean, &spread));
  EXPECT_EQ(0.0, mean);
  EXPECT_EQ(0.0, spread);

  mean = spread = -1;
  EXPECT_EQ(IMG_NULL_IMAGE, ComputeRegionMean(&r, &h, nullptr, &mean, &spread));
  EXPECT_EQ(0.0, mean);
  EXPECT_EQ(0.0, spread);
}

}  // namespace
