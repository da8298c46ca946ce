// The values behind the graphics-format options.
#include "imageio/format_options.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <limits>

namespace {

std::string Shown(double factor) {
  char text[32];
  std::snprintf(text, sizeof text, "%4.2f", factor);
  return text;
}

TEST(FormatOptions, EveryBarPositionComesBackFromItsFactor) {
  for (int32_t p = 0; p <= kScaleBarMax; ++p) {
    ASSERT_EQ(p, ScalePositionOf(ScaleFactorOf(p))) << p;
    ASSERT_EQ(1, ScaleFactorOnBar(ScaleFactorOf(p))) << p;
  }
  const struct {
    int32_t position;
    const char* shown;
  } marks[] = {{0, "0.10"}, {89, "0.99"}, {90, "1.00"}, {91, "1.10"}, {180, "10.00"}};
  for (const auto& m : marks) EXPECT_EQ(m.shown, Shown(ScaleFactorOf(m.position))) << m.position;
  EXPECT_EQ(90, ScalePositionOf(1.0));
  EXPECT_EQ(40, ScalePositionOf(0.5));
  EXPECT_EQ(40, ScalePositionOf(0.504));   // between steps: the nearest
}

TEST(FormatOptions, FactorsOffTheBarOpenAtItsNearestEnd) {
  const double nan = std::numeric_limits<double>::quiet_NaN(), inf = std::numeric_limits<double>::infinity();
  const struct {
    double factor;
    int32_t position;
  } cases[] = {{0.0, 0}, {-3.0, 0}, {0.05, 0}, {50.0, kScaleBarMax}, {10.04, kScaleBarMax}, {inf, kScaleBarMax},
               {-inf, 0}, {nan, 90}};
  for (const auto& c : cases) {
    EXPECT_EQ(c.position, ScalePositionOf(c.factor)) << c.factor;
    EXPECT_EQ(0, ScaleFactorOnBar(c.factor)) << c.factor;
  }
}

TEST(FormatOptions, JpegQualityStaysWithinItsBar) {
  const int32_t cases[][2] = {{0, 1}, {-5, 1}, {1, 1}, {50, 50}, {100, 100}, {101, 100}, {500, 100}};
  for (const auto& c : cases) EXPECT_EQ(c[1], ClampJpegQuality(c[0])) << c[0];
}

TEST(FormatOptions, RadioSetsSelectByTheirSettings) {
  // FITS: frame organisation, colour organisation -> button.
  const int32_t fits[][3] = {{0, 0, 0}, {0, 1, 1}, {0, 2, 4}, {0, 7, 4},  {0, -1, 4},
                             {1, 0, 2}, {1, 1, 3}, {1, 2, 4}, {5, 0, 2}, {-1, 1, 3}};
  for (const auto& f : fits) EXPECT_EQ(f[2], FitsOrganisationIndex(f[0], f[1])) << f[0] << "," << f[1];
  for (int i = 0; i < kFitsOrganisationCount; ++i)
    EXPECT_EQ(i, FitsOrganisationIndex(kFitsOrganisations[i].frameOrg, kFitsOrganisations[i].colorOrg));
  EXPECT_EQ(1, kFitsOrganisations[4].frameOrg);
  EXPECT_EQ(2, kFitsOrganisations[4].colorOrg);

  const int32_t tiff[][2] = {{1, 0}, {5, 1}, {32773, 2}, {2, 2}, {0, 2}};
  for (const auto& t : tiff) EXPECT_EQ(t[1], TiffCompressionIndex(t[0])) << t[0];
  for (int i = 0; i < kTiffCompressionCount; ++i) EXPECT_EQ(i, TiffCompressionIndex(kTiffCompressions[i]));
  EXPECT_EQ(0, DepthIndex(8));
  EXPECT_EQ(1, DepthIndex(16));
  EXPECT_EQ(1, DepthIndex(24));
}

}  // namespace
