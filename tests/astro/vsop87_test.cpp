#include "astro/ephemeris/vsop87.h"

#include <gtest/gtest.h>

#include <cmath>

#include "oracle_table.h"

namespace {

using HelioFn = void (*)(JulianDay, double*, double*, double*);
const HelioFn kPlanets[8] = {MercuryHeliocentric, VenusHeliocentric, EarthHeliocentric,  MarsHeliocentric,
                             JupiterHeliocentric, SaturnHeliocentric, UranusHeliocentric, NeptuneHeliocentric};

TEST(VsopSeries, TermCountsAreThoseOfThePublishedTruncation) {
  // L0.., B0.., R0.. per planet; 0 ends a coordinate.
  const int counts[8][3][6] = {
      {{38, 16, 10, 8, 6, 1}, {14, 11, 9, 7, 2}, {13, 8, 7, 5}},
      {{24, 12, 8, 3, 3, 1}, {9, 4, 4, 4, 1}, {12, 3, 3, 1, 1}},
      {{64, 34, 20, 7, 3, 1}, {5, 2}, {40, 10, 6, 2, 1}},
      {{69, 46, 33, 12, 8, 2}, {16, 9, 7, 4, 3}, {45, 27, 11, 6, 4}},
      {{64, 61, 57, 39, 19, 5}, {26, 22, 14, 9, 6, 1}, {46, 43, 36, 28, 15, 7}},
      {{90, 79, 63, 48, 27, 12}, {34, 32, 29, 21, 12, 2}, {44, 38, 32, 28, 23, 18}},
      {{91, 57, 35, 18, 4}, {28, 20, 11, 4, 1}, {59, 35, 18, 10, 2}},
      {{38, 18, 7, 4, 1}, {17, 13, 6, 4, 1}, {32, 15, 5, 1}},
  };
  int total = 0;
  const VsopSeries* previousEnd = nullptr;
  for (int p = 0; p < 8; ++p)
    for (int c = 0; c < 3; ++c)
      for (int k = 0; k < 6; ++k) {
        const VsopSeries* s = VsopSeriesOf(p, c, k);
        SCOPED_TRACE(testing::Message() << p << " " << c << " " << k);
        if (counts[p][c][k] == 0) {
          EXPECT_EQ(nullptr, s);
          continue;
        }
        ASSERT_NE(nullptr, s);
        EXPECT_EQ(counts[p][c][k], s[0]);
        // One block, the series one after the other.
        if (previousEnd) {
          EXPECT_EQ(previousEnd, s);
        }
        previousEnd = s + 1 + 3 * int(s[0]);
        total += int(s[0]);
      }
  EXPECT_EQ(2430, total);
  // The Earth's L0 opens with the well-known terms.
  const VsopSeries* l0 = VsopSeriesOf(2, 0, 0);
  EXPECT_NEAR(175347046, l0[1], 0.5);
  EXPECT_NEAR(3341656, l0[4], 0.5);
  EXPECT_NEAR(4.6692568, l0[5], 1e-7);
  EXPECT_NEAR(6283.07585, l0[6], 1e-5);
}

TEST(VsopSeries, AllPlanetsFollowTheFullSeries) {
  const auto rows = ReadOracleTable("vsop_full.csv");
  ASSERT_EQ(41u * 8, rows.size());
  const double arcsec = kDeg / 3600;
  for (const auto& row : rows) {
    double L, B, R;
    kPlanets[int(row[0])](row[1], &L, &B, &R);
    SCOPED_TRACE(testing::Message() << "planet " << row[0] << " at " << row[1]);
    EXPECT_NEAR(0, AngleDiff(L, row[2]) / arcsec, 3.0);
    EXPECT_NEAR(row[3] / arcsec, B / arcsec, 3.0);
    EXPECT_NEAR(row[4], R, 2e-4);
  }
}

// The classic worked examples of the truncated series, to every printed digit.
TEST(VsopSeries, ReproducesTheWorkedExamples) {
  double L, B, R;
  VenusHeliocentric(2448976.5, &L, &B, &R);   // 1992 December 20, 0h
  EXPECT_NEAR(26.11428, std::fmod(L / kDeg, 360) + 360, 5e-6);
  EXPECT_NEAR(-2.62070, B / kDeg, 5e-6);
  EXPECT_NEAR(0.724603, R, 5e-7);
  EarthHeliocentric(2448908.5, &L, &B, &R);   // 1992 October 13, 0h
  EXPECT_NEAR(-43.63484796, L, 5e-9);
  EXPECT_NEAR(-0.00000312, B, 5e-9);
  EXPECT_NEAR(0.99760775, R, 5e-9);
}

TEST(VsopSeries, EmptySeriesAddNothing) {
  const VsopSeries none[] = {0, 1e9, 0, 0};
  const VsopSeries negative[] = {-3, 1e9, 0, 0};
  EXPECT_EQ(0.0, VsopSeriesSum(0.3, none));
  EXPECT_EQ(0.0, VsopSeriesSum(0.3, negative));
  const VsopSeries one[] = {1, 2e8, 0.5, 10};
  EXPECT_DOUBLE_EQ(2 * std::cos(0.5 + 10 * 0.25), VsopSeriesSum(0.25, one));
}

TEST(VsopSeries, EarthAtJ2000AndNegated) {
  double L, B, R, nL, nB, nR;
  EarthHeliocentric(2451545.0, &L, &B, &R);
  EXPECT_NEAR(0.9833, R, 1e-4);   // early January: near perihelion
  for (double jd : {2415020.5, 2451545.0, 2460000.25}) {
    EarthHeliocentric(jd, &L, &B, &R);
    EarthHeliocentricNegated(jd, &nL, &nB, &nR);
    EXPECT_EQ(-L, nL);
    EXPECT_EQ(-B, nB);
    EXPECT_EQ(R, nR);
  }
}

}  // namespace
