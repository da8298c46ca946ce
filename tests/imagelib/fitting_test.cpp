#include "imagelib/fitting.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "imagelib/matrix.h"

namespace {

// An n x n matrix from AllocMatrix filled row by row, freed on scope exit.
struct Matrix {
  double** m = nullptr;
  Matrix(int n, std::initializer_list<double> values) {
    AllocMatrix(&m, n);
    auto it = values.begin();
    for (int i = 0; i < n && it != values.end(); ++i)
      for (int j = 0; j < n && it != values.end(); ++j) m[i][j] = *it++;
  }
  ~Matrix() { FreeMatrix(&m); }
};

TEST(Fitting, PowerIntMultipliesKTimes) {
  EXPECT_EQ(1.0, PowerInt(7.5, 0));
  EXPECT_EQ(-8.0, PowerInt(-2.0, 3));
  EXPECT_EQ(1024.0, PowerInt(2.0, 10));
}

TEST(Fitting, LineThroughThreePointsIsExact) {
  const double x[] = {0, 1, 2}, y[] = {1, 3, 5};
  double c[2] = {};
  ASSERT_EQ(1, FitPolynomial(1, 3, x, y, c));
  EXPECT_NEAR(1.0, c[0], 1e-12);
  EXPECT_NEAR(2.0, c[1], 1e-12);
}

TEST(Fitting, CubicRecoveredAndDegreeCappedAtTen) {
  std::vector<double> x, y;
  for (int i = 0; i < 30; ++i) {
    const double t = -1.5 + 0.1 * i;
    x.push_back(t);
    y.push_back(0.5 - 2.0 * t + 0.25 * t * t + 1.5 * t * t * t);
  }
  double c[4];
  ASSERT_EQ(1, FitPolynomial(3, 30, x.data(), y.data(), c));
  const double expected[] = {0.5, -2.0, 0.25, 1.5};
  for (int i = 0; i < 4; ++i) EXPECT_NEAR(expected[i], c[i], 1e-9) << i;

  // Degree 12 is fitted as 10: eleven coefficients, the rest untouched.
  double d[13];
  for (double& v : d) v = 99.0;
  ASSERT_EQ(1, FitPolynomial(12, 30, x.data(), y.data(), d));
  EXPECT_NEAR(1.5, d[3], 1e-5);
  EXPECT_NEAR(0.0, d[10], 1e-5);
  EXPECT_EQ(99.0, d[11]);
  EXPECT_EQ(99.0, d[12]);
}

TEST(Fitting, FailedPolynomialFitLeavesCoefficients) {
  const double x[] = {2, 2, 2, 2}, y[] = {1, 2, 3, 4};
  double c[3] = {7, 7, 7};
  EXPECT_EQ(0, FitPolynomial(2, 4, x, y, c));   // all x alike: singular
  EXPECT_EQ(0, FitPolynomial(0, 4, x, y, c));   // one unknown is not a system
  EXPECT_EQ(0, FitPolynomial(1, 0, x, y, c));
  EXPECT_EQ(0, FitPolynomial(1, 4, nullptr, y, c));
  for (double v : c) EXPECT_EQ(7.0, v);
}

TEST(Fitting, SurfaceFitRecoversPlaneAndQuadric) {
  std::vector<double> x, y, z, q;
  for (int j = 0; j < 6; ++j) {
    for (int i = 0; i < 7; ++i) {
      const double u = 0.1 * i, v = 0.15 * j;
      x.push_back(u);
      y.push_back(v);
      z.push_back(3.0 + 2.0 * u - v);
      q.push_back(1.0 - u + 0.5 * v + 2.0 * u * u - 0.75 * u * v + 0.25 * v * v);
    }
  }
  const int n = static_cast<int>(x.size());
  // Degree 0 fits degree 1: the terms 1, x, y, xy.
  double c[4];
  ASSERT_EQ(1, FitSurface(0, n, x.data(), y.data(), z.data(), c));
  const double plane[] = {3.0, 2.0, -1.0, 0.0};
  for (int i = 0; i < 4; ++i) EXPECT_NEAR(plane[i], c[i], 1e-9) << i;
  EXPECT_NEAR(3.0 + 2.0 * 0.37 - 0.81, EvaluateSurface(1, 0.37, 0.81, c), 1e-9);

  double d[9];
  ASSERT_EQ(1, FitSurface(2, n, x.data(), y.data(), q.data(), d));
  for (int k = 0; k < n; ++k) EXPECT_NEAR(q[k], EvaluateSurface(2, x[k], y[k], d), 1e-9) << k;
  EXPECT_NEAR(-0.75, d[1 * 3 + 1], 1e-8);   // the xy term
}

TEST(Fitting, SingularSurfaceFitGivesZeroSurface) {
  const double x[] = {1, 1, 1, 1, 1}, y[] = {2, 2, 2, 2, 2}, z[] = {5, 6, 7, 8, 9};
  double c[4] = {9, 9, 9, 9};
  EXPECT_EQ(0, FitSurface(1, 5, x, y, z, c));
  for (double v : c) EXPECT_EQ(0.0, v);
}

TEST(Fitting, KnownFourByFourSolve) {
  // The first column's largest scaled entry sits in row 2, so the
  // decomposition must exchange rows.
  Matrix a(4, {1, 2, 3, 4,   //
               2, 3, 1, 1,   //
               8, 1, 0, 2,   //
               1, 0, 5, 1});
  const double expected[] = {1, -2, 0.5, 3};
  double b[4] = {};
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j) b[i] += a.m[i][j] * expected[j];
  Matrix lu(4, {});
  int32_t pivot[4], sign = 0;
  double x[4];
  ASSERT_EQ(LU_OK, SolveLinear(0, 4, a.m, lu.m, pivot, b, x, &sign));
  for (int i = 0; i < 4; ++i) EXPECT_NEAR(expected[i], x[i], 1e-12) << i;
  EXPECT_EQ(2, pivot[0]);
  EXPECT_TRUE(sign == 1 || sign == -1);
  EXPECT_EQ(2.0, a.m[1][0]);   // a kept apart from lu

  // Solve only, with the same decomposition and another right-hand side.
  const double b2[] = {1, 2, 3, 4};
  double x2[4];
  ASSERT_EQ(LU_OK, SolveLinear(2, 4, nullptr, lu.m, pivot, b2, x2, &sign));
  for (int i = 0; i < 4; ++i) {
    double row = 0.0;
    for (int j = 0; j < 4; ++j) row += a.m[i][j] * x2[j];
    EXPECT_NEAR(b2[i], row, 1e-12) << i;
  }
}

TEST(Fitting, SolverResultCodes) {
  Matrix zeroRow(3, {1, 2, 3, 0, 0, 0, 4, 5, 6});
  Matrix equalRows(3, {1, 2, 3, 1, 2, 3, 4, 5, 7});
  Matrix fine(3, {2, 0, 0, 0, 3, 0, 0, 0, 4});
  const double b[3] = {2, 3, 4};
  struct Case {
    const char* what;
    int32_t mode, n;
    double** a;
    int32_t code, sign;
  } cases[] = {
      {"zero row", 0, 3, zeroRow.m, LU_ZERO_ROW, 7},     {"equal rows", 0, 3, equalRows.m, LU_SINGULAR, 0},
      {"one unknown", 0, 1, fine.m, LU_BAD_ARGUMENT, 7}, {"unknown mode", 3, 3, fine.m, LU_BAD_ARGUMENT, 7},
      {"decompose only", 1, 3, fine.m, LU_OK, 1},
  };
  for (const auto& c : cases) {
    int32_t pivot[3], sign = 7;
    double x[3] = {-1, -1, -1};
    EXPECT_EQ(c.code, SolveLinear(c.mode, c.n, c.a, c.a, pivot, b, x, &sign)) << c.what;
    EXPECT_EQ(c.sign, sign) << c.what;
    EXPECT_EQ(-1.0, x[0]) << c.what;   // nothing solved
  }
  int32_t pivot[3], sign;
  EXPECT_EQ(LU_BAD_ARGUMENT, DecomposeLu(3, fine.m, fine.m, nullptr, &sign));
  EXPECT_EQ(LU_OK, DecomposeLu(3, fine.m, fine.m, pivot, &sign));
}

// The natural cubic spline (tension 0) through (0,0), (1,1), (2,0) has the
// second derivative -3 in the middle: 0.6875 at x = 0.5.
TEST(Fitting, RationalSplineWithoutTensionIsTheCubicSpline) {
  const double x[] = {0, 0, 1, 2}, y[] = {0, 0, 1, 0};
  double m[4] = {}, A[4], B[4], C[4], D[4];
  ASSERT_EQ(1, SetupSpline10(3, x, y, m, A, B, C, D, 0.0));
  EXPECT_NEAR(-3.0, m[2], 1e-12);
  EXPECT_NEAR(0.6875, EvaluateSpline10(0.5, x, A, B, C, D, 0.0, 3), 1e-6);
  EXPECT_NEAR(0.6875, EvaluateSpline10(1.5, x, A, B, C, D, 0.0, 3), 1e-6);
}

TEST(Fitting, RationalSplinePassesItsKnotsAndHoldsItsEnds) {
  const int n = 9;
  double x[n + 1], y[n + 1], m[n + 1] = {}, A[n + 1], B[n + 1], C[n + 1], D[n + 1];
  std::mt19937 gen(3);
  std::uniform_real_distribution<double> step(0.5, 3.0), level(0.0, 30000.0);
  x[1] = 100.0;
  for (int i = 1; i <= n; ++i) {
    if (i > 1) x[i] = x[i - 1] + step(gen);
    y[i] = level(gen);
  }
  for (double p : {0.0, 0.5, 4.0}) {
    ASSERT_EQ(1, SetupSpline10(n, x, y, m, A, B, C, D, p));
    for (int i = 1; i <= n; ++i) EXPECT_NEAR(y[i], EvaluateSpline10(x[i], x, A, B, C, D, p, n), 1e-6) << i;
    EXPECT_NEAR(y[n], EvaluateSpline10(x[n] + 50.0, x, A, B, C, D, p, n), 1e-6);
    EXPECT_NEAR(y[1], EvaluateSpline10(x[1] - 50.0, x, A, B, C, D, p, n), 1e-6);
  }
  // Knots on a line give the line between them.
  for (int i = 1; i <= n; ++i) y[i] = 3.0 * x[i] - 10.0;
  ASSERT_EQ(1, SetupSpline10(n, x, y, m, A, B, C, D, 0.5));
  for (double t = x[1]; t < x[n]; t += 0.37)
    EXPECT_NEAR(3.0 * t - 10.0, EvaluateSpline10(t, x, A, B, C, D, 0.5, n), 1e-4);
}

TEST(Fitting, RationalSplineRefusesCoincidentKnots) {
  const double x[] = {0, 1, 2, 2, 3}, y[] = {0, 5, 6, 7, 8};
  double m[5] = {}, A[5] = {42}, B[5], C[5], D[5];
  EXPECT_EQ(0, SetupSpline10(4, x, y, m, A, B, C, D, 0.5));
  EXPECT_EQ(0, SetupSpline10(1, x, y, m, A, B, C, D, 0.5));
  EXPECT_EQ(42.0, A[0]);
}

// The smoothing spline interpolates at S = 0 and otherwise stops where the
// weighted squared residuals reach S.
TEST(Fitting, SmoothingSplineMeetsItsTarget) {
  const int n = 12;
  double x[n + 2], y[n + 2], dy[n + 2], a[n + 2], b[n + 2], c[n + 2], d[n + 2];
  std::mt19937 gen(5);
  std::normal_distribution<double> noise(0.0, 0.2);
  for (int i = 2; i <= n + 1; ++i) {
    x[i] = 0.5 * i;
    y[i] = std::sin(x[i]) + noise(gen);
    dy[i] = 0.2;
  }
  ASSERT_EQ(1, SetupNaturalSpline(n, 0.0, x, y, dy, a, b, c, d));
  for (int i = 2; i <= n + 1; ++i) EXPECT_NEAR(y[i], EvaluateSpline(x[i], x, a, b, c, d, n), 1e-9) << i;

  const double S = n;   // the expected chi-square for the given deviations
  ASSERT_EQ(1, SetupNaturalSpline(n, S, x, y, dy, a, b, c, d));
  double chi2 = 0.0;
  for (int i = 2; i <= n + 1; ++i) chi2 += std::pow((y[i] - a[i]) / dy[i], 2);
  EXPECT_NEAR(S, chi2, 0.05 * S);
  // Segments join: each cubic ends where the next begins.
  for (int i = 2; i < n + 1; ++i) {
    const double h = x[i + 1] - x[i];
    EXPECT_NEAR(a[i + 1], ((d[i] * h + c[i]) * h + b[i]) * h + a[i], 1e-9) << i;
  }
}

}   // namespace
