#include "astro/maps/resample_kernels.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

namespace {

constexpr double kPi = 3.14159265358979323846;

using Kernel = double (*)(const double* const*, int, int, double, double);

// (nx + 1) x (ny + 1) values, every row its own exactly sized block, so that
// the address sanitizer sees any read past an edge.
class Grid {
 public:
  Grid(int nx, int ny, double (*f)(int, int)) : nx_(nx), ny_(ny) {
    for (int i = 0; i <= nx; ++i) {
      rows_.emplace_back(new double[ny + 1]);
      for (int j = 0; j <= ny; ++j) rows_.back()[j] = f(i, j);
      pointers_.push_back(rows_.back().get());
    }
  }
  double Sample(Kernel k, double x, double y) const { return k(pointers_.data(), nx_, ny_, x, y); }
  double At(int i, int j) const { return rows_[i][j]; }

 private:
  int nx_, ny_;
  std::vector<std::unique_ptr<double[]>> rows_;
  std::vector<const double*> pointers_;
};

double Bumpy(int i, int j) { return std::sin(i * 1.3) * 100 + j * j * 0.5 + i * 7; }

const Kernel kKernels[] = {ResamplePixelLinear, ResamplePixelSinc2, ResamplePixelSinc3};

TEST(ResampleKernels, WholePositionsGiveTheGridValue) {
  const Grid g(9, 7, Bumpy);
  for (Kernel k : kKernels)
    for (int i = 0; i <= 9; ++i)
      for (int j = 0; j <= 7; ++j) EXPECT_EQ(g.At(i, j), g.Sample(k, i, j)) << i << " " << j;
}

TEST(ResampleKernels, LinearReproducesAPlane) {
  const Grid g(6, 5, [](int i, int j) { return 3.0 + 2.5 * i - 1.25 * j; });
  for (double x = 0; x <= 6; x += 0.37)
    for (double y = 0; y <= 5; y += 0.29) EXPECT_NEAR(3.0 + 2.5 * x - 1.25 * y, g.Sample(ResamplePixelLinear, x, y), 1e-12);
}

TEST(ResampleKernels, OutsideTheGridIsZero) {
  const Grid g(4, 4, [](int, int) { return 5.0; });
  for (Kernel k : kKernels)
    for (auto [x, y] : {std::pair{-0.01, 1.0}, {1.0, -0.5}, {4.01, 2.0}, {2.0, 4.5}}) EXPECT_EQ(0.0, g.Sample(k, x, y));
}

// Right up to the far edges of an exactly sized grid: taps of weight 0 are
// not read (the address sanitizer checks), and the values stay in reach.
TEST(ResampleKernels, UpperEdgesOfAnExactGrid) {
  const int nx = 8, ny = 6;
  const Grid g(nx, ny, Bumpy);
  for (Kernel k : kKernels)
    for (double x : {double(nx), nx - 0.5, nx - 1.0, nx - 1.5, nx - 2.0, nx - 2.25})
      for (double y : {double(ny), ny - 0.25, ny - 1.0, ny - 2.0, ny - 2.5}) {
        const double v = g.Sample(k, x, y);
        EXPECT_TRUE(std::isfinite(v));
        if (x == std::trunc(x) && y == std::trunc(y)) {
          EXPECT_EQ(g.At(int(x), int(y)), v);
        }
      }
}

TEST(ResampleKernels, EachKernelHandsOverNearTheEdges) {
  const Grid g(10, 10, Bumpy);
  // Within a pixel of an edge the sinc kernels are bilinear, within two Sinc3 is Sinc2.
  EXPECT_EQ(g.Sample(ResamplePixelLinear, 0.5, 4.3), g.Sample(ResamplePixelSinc2, 0.5, 4.3));
  EXPECT_EQ(g.Sample(ResamplePixelLinear, 0.5, 4.3), g.Sample(ResamplePixelSinc3, 0.5, 4.3));
  EXPECT_EQ(g.Sample(ResamplePixelSinc2, 1.5, 4.3), g.Sample(ResamplePixelSinc3, 1.5, 4.3));
  EXPECT_EQ(g.Sample(ResamplePixelSinc2, 4.3, 8.5), g.Sample(ResamplePixelSinc3, 4.3, 8.5));
  EXPECT_NE(g.Sample(ResamplePixelSinc2, 4.3, 4.6), g.Sample(ResamplePixelSinc3, 4.3, 4.6));
}

// The sinc weights are used as they are, not divided by their sum: on a
// constant grid the result is the constant times the product of the sums.
TEST(ResampleKernels, SincWeightsAreNotNormalised) {
  const Grid g(10, 10, [](int, int) { return 2.0; });
  for (int lobes : {2, 3}) {
    const double fx = 0.3, fy = 0.8;
    double sx = 0, sy = 0;
    for (int k = 1 - lobes; k <= lobes; ++k) {
      const double a = kPi * (fx - k) / lobes, b = kPi * (fy - k) / lobes;
      sx += std::sin(a) / a;
      sy += std::sin(b) / b;
    }
    const Kernel kernel = lobes == 2 ? ResamplePixelSinc2 : ResamplePixelSinc3;
    EXPECT_NEAR(2.0 * sx * sy, g.Sample(kernel, 5 + fx, 4 + fy), 1e-12);
    EXPECT_GT(std::fabs(2.0 * sx * sy - 2.0), 1e-3);
  }
}

}  // namespace
