#include "astro/maps/resample_kernels.h"

#include <cmath>

namespace {

constexpr double kPi = 3.14159265358979323846;

bool Outside(int nx, int ny, double x, double y, double margin) {
  return x < margin || y < margin || x > nx - margin || y > ny - margin;
}

// Weight of the tap k away for the fraction f: sin(pi d / lobes) / (pi d / lobes)
// with d = f - k; at f = 0 only the tap itself counts.
double SincWeight(double f, int k, int lobes) {
  if (f == 0) return k == 0 ? 1.0 : 0.0;
  const double a = kPi * (f - k) / lobes;
  return std::sin(a) / a;
}

double SincSum(const double* const* grid, double x, double y, int lobes) {
  const int i = int(x), j = int(y);
  const double fx = x - std::trunc(x), fy = y - std::trunc(y);
  double wx[6], wy[6];
  for (int k = 1 - lobes; k <= lobes; ++k) {
    wx[k + lobes - 1] = SincWeight(fx, k, lobes);
    wy[k + lobes - 1] = SincWeight(fy, k, lobes);
  }
  double s = 0;
  for (int k = 1 - lobes; k <= lobes; ++k) {
    const double a = wx[k + lobes - 1];
    if (a == 0) continue;   // taps of weight 0 may lie beyond the grid
    for (int l = 1 - lobes; l <= lobes; ++l) {
      const double b = wy[l + lobes - 1];
      if (b != 0) s += grid[i + k][j + l] * a * b;
    }
  }
  return s;
}

}  // namespace

double ResamplePixelLinear(const double* const* grid, int nx, int ny, double x, double y) {
  if (Outside(nx, ny, x, y, 0)) return 0.0;
  const int i = int(x), j = int(y);
  const double fx = x - std::trunc(x), fy = y - std::trunc(y);
  // The neighbours beyond a whole position carry weight 0 and may lie beyond the grid.
  const double p = grid[i][j];
  const double q = fx != 0 ? grid[i + 1][j] : p;
  const double r = fy != 0 ? grid[i][j + 1] : p;
  const double s = fx != 0 && fy != 0 ? grid[i + 1][j + 1] : fx != 0 ? q : r;
  return p + (q - p) * fx + ((r - p) + (s - r - q + p) * fx) * fy;
}

double ResamplePixelSinc2(const double* const* grid, int nx, int ny, double x, double y) {
  if (Outside(nx, ny, x, y, 0)) return 0.0;
  if (Outside(nx, ny, x, y, 1)) return ResamplePixelLinear(grid, nx, ny, x, y);
  return SincSum(grid, x, y, 2);
}

double ResamplePixelSinc3(const double* const* grid, int nx, int ny, double x, double y) {
  if (Outside(nx, ny, x, y, 0)) return 0.0;
  if (Outside(nx, ny, x, y, 1)) return ResamplePixelLinear(grid, nx, ny, x, y);
  if (Outside(nx, ny, x, y, 2)) return ResamplePixelSinc2(grid, nx, ny, x, y);
  return SincSum(grid, x, y, 3);
}
