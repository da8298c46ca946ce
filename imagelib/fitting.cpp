#include "imagelib/fitting.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "imagelib/image.h"
#include "imagelib/matrix.h"

namespace {

constexpr double kTinyPivot = 1e-15;

// Work memory of the normal-equation fits, released on every path.
struct NormalSystem {
  double** a = nullptr;
  double* b = nullptr;
  int32_t* pivot = nullptr;

  explicit NormalSystem(int32_t m) {
    if (!AllocMatrix(&a, m)) return;
    b = static_cast<double*>(AllocArray(size_t(m), sizeof(double)));
    pivot = static_cast<int32_t*>(AllocArray(size_t(m), sizeof(int32_t)));
  }
  ~NormalSystem() {
    FreeMatrix(&a);
    FreeMem(&b);
    FreeMem(&pivot);
  }
  bool ok() const { return a && b && pivot; }
};

bool Increasing(const double* x, int32_t from, int32_t to) {
  for (int32_t i = from; i < to; ++i)
    if (!(x[i + 1] > x[i])) return false;
  return true;
}

}   // namespace

double PowerInt(double x, int32_t k) {
  double r = 1.0;
  for (int32_t i = 0; i < k; ++i) r *= x;
  return r;
}

int FitPolynomial(int32_t degree, int32_t count, const double* x, const double* y, double* coeffs) {
  if (!x || !y || !coeffs || count < 1 || degree < 0) return 0;
  degree = std::min(degree, 10);
  const int32_t m = degree + 1;
  NormalSystem s(m);
  if (!s.ok()) return 0;
  for (int32_t i = 0; i < m; ++i) {
    for (int32_t j = 0; j < m; ++j) {
      double sum = 0.0;
      for (int32_t k = 0; k < count; ++k) sum += PowerInt(x[k], i + j);
      s.a[j][i] = sum;
    }
    double sum = 0.0;
    for (int32_t k = 0; k < count; ++k) sum += PowerInt(x[k], i) * y[k];
    s.b[i] = sum;
  }
  // The solution lands in a scratch vector first: a failed solve leaves the
  // caller's coefficients alone.
  double solution[11];
  int32_t sign = 0;
  if (SolveLinear(0, m, s.a, s.a, s.pivot, s.b, solution, &sign) != LU_OK) return 0;
  std::copy(solution, solution + m, coeffs);
  return 1;
}

int FitSurface(int32_t degree, int32_t count, const double* x, const double* y, const double* z, double* coeffs) {
  if (!coeffs) return 0;
  degree = std::clamp(degree, 1, 4);
  const int32_t m = degree + 1, terms = m * m;
  std::fill(coeffs, coeffs + terms, 0.0);
  if (!x || !y || !z || count < 1) return 0;
  NormalSystem s(terms);
  if (!s.ok()) return 0;
  for (int32_t u = 0; u < terms; ++u) {
    const int32_t iu = u % m, ju = u / m;
    for (int32_t v = 0; v < terms; ++v) {
      const int32_t iv = v % m, jv = v / m;
      double sum = 0.0;
      for (int32_t k = 0; k < count; ++k) sum += PowerInt(x[k], iu + iv) * PowerInt(y[k], ju + jv);
      s.a[u][v] = sum;
    }
    double sum = 0.0;
    for (int32_t k = 0; k < count; ++k) sum += PowerInt(x[k], iu) * z[k] * PowerInt(y[k], ju);
    s.b[u] = sum;
  }
  int32_t sign = 0;
  if (SolveLinear(0, terms, s.a, s.a, s.pivot, s.b, coeffs, &sign) == LU_OK) return 1;
  // A singular system (all points on one line, say) gives the zero surface
  // rather than whatever the solver left half-done.
  std::fill(coeffs, coeffs + terms, 0.0);
  return 0;
}

double EvaluateSurface(int32_t degree, double x, double y, const double* coeffs) {
  if (!coeffs || degree < 0) return 0.0;
  const int32_t m = degree + 1;
  double sum = 0.0, yj = 1.0;
  for (int32_t j = 0; j < m; ++j, yj *= y) {
    double xi = 1.0;
    for (int32_t i = 0; i < m; ++i, xi *= x) sum += coeffs[j * m + i] * xi * yj;
  }
  return sum;
}

int32_t SolveLinear(int32_t mode, int32_t n, double** a, double** lu, int32_t* pivot, const double* b, double* x,
                    int32_t* sign) {
  if (n < 2 || mode < 0 || mode > 2) return LU_BAD_ARGUMENT;
  if (mode != 2) {
    const int32_t r = DecomposeLu(n, a, lu, pivot, sign);
    if (r != LU_OK || mode == 1) return r;
  }
  return SolveLu(n, lu, pivot, b, x);
}

int32_t DecomposeLu(int32_t n, double** a, double** lu, int32_t* pivot, int32_t* sign) {
  if (n < 1 || !a || !lu || !pivot || !sign) return LU_BAD_ARGUMENT;
  double* scale = static_cast<double*>(AllocArray(size_t(n), sizeof(double)));
  if (!scale) return LU_NO_MEMORY;
  auto finish = [&scale](int32_t r) {
    FreeMem(&scale);
    return r;
  };
  if (lu != a) CopyMatrix(lu, a, n);
  for (int32_t i = 0; i < n; ++i) {
    pivot[i] = i;
    double largest = 0.0;
    for (int32_t j = 0; j < n; ++j) largest = std::max(largest, std::fabs(lu[i][j]));
    if (largest == 0.0) return finish(LU_ZERO_ROW);
    scale[i] = largest;
  }
  *sign = 1;
  for (int32_t i = 0; i + 1 < n; ++i) {
    int32_t best = i;
    double ratio = std::fabs(lu[i][i]) / scale[i];
    for (int32_t k = i + 1; k < n; ++k) {
      const double q = std::fabs(lu[k][i]) / scale[k];
      if (q > ratio) {
        ratio = q;
        best = k;
      }
    }
    // Also catches NaN from a matrix that was not finite.
    if (!(ratio >= kTinyPivot)) {
      *sign = 0;
      return finish(LU_SINGULAR);
    }
    if (best != i) {
      std::swap(pivot[i], pivot[best]);
      std::swap(scale[i], scale[best]);
      std::swap(lu[i], lu[best]);
      *sign = -*sign;
    }
    for (int32_t k = i + 1; k < n; ++k) {
      if (lu[k][i] == 0.0) continue;
      const double f = lu[k][i] /= lu[i][i];
      for (int32_t j = i + 1; j < n; ++j) lu[k][j] -= f * lu[i][j];
    }
  }
  if (!(std::fabs(lu[n - 1][n - 1]) >= kTinyPivot)) {
    *sign = 0;
    return finish(LU_SINGULAR);
  }
  return finish(LU_OK);
}

int32_t SolveLu(int32_t n, double* const* lu, const int32_t* pivot, const double* b, double* x) {
  if (n < 1 || !lu || !pivot || !b || !x) return LU_BAD_ARGUMENT;
  for (int32_t i = 0; i < n; ++i) {
    double sum = b[pivot[i]];
    for (int32_t j = 0; j < i; ++j) sum -= lu[i][j] * x[j];
    x[i] = sum;
  }
  for (int32_t i = n - 1; i >= 0; --i) {
    double sum = x[i];
    for (int32_t j = i + 1; j < n; ++j) sum -= lu[i][j] * x[j];
    x[i] = sum / lu[i][i];
  }
  return LU_OK;
}

int SetupSpline10(int32_t n, const double* x, const double* y, double* m, double* A, double* B, double* C, double* D,
                  double p) {
  if (n < 2 || !x || !y || !m || !A || !B || !C || !D || !Increasing(x, 1, n)) return 0;
  const double q = p + 2.0, rFactor = 3.0 / ((p + 3.0) * p + 3.0);
  // A and B first hold the per-segment factor r h / 6; r of the previous
  // segment and its slope run along.
  C[1] = D[1] = 0.0;
  double rPrev = 0.0, sPrev = 0.0;
  for (int32_t i = 1; i < n; ++i) {
    const double h = x[i + 1] - x[i];
    const double s = (y[i + 1] - y[i]) / h;
    const double r = rFactor * h;
    A[i] = B[i] = r * h / 6.0;
    if (i >= 2) {
      const double w = 1.0 / (r * q + rPrev * q - rPrev * C[i - 1]);
      C[i] = w * r;
      double e = 6.0 * (s - sPrev);
      if (i == 2) e -= rPrev * m[1];
      if (i == n - 1) e -= r * m[n];
      D[i] = (e - rPrev * D[i - 1]) * w;
    }
    rPrev = r;
    sPrev = s;
  }
  if (n >= 3) {
    m[n - 1] = D[n - 1];
    for (int32_t i = n - 2; i >= 2; --i) m[i] = D[i] - C[i] * m[i + 1];
  }
  for (int32_t i = 1; i < n; ++i) {
    C[i] = A[i] * m[i];
    D[i] = B[i] * m[i + 1];
    A[i] = y[i] - C[i];
    B[i] = y[i + 1] - D[i];
  }
  return 1;
}

double EvaluateSpline10(double x, const double* knots, const double* A, const double* B, const double* C,
                        const double* D, double p, int32_t n) {
  if (n < 2 || !knots || !A || !B || !C || !D) return 0.0;
  int32_t i = 1;
  while (i < n - 1 && knots[i + 1] <= x) ++i;
  const double h = knots[i + 1] - knots[i];
  double t = h > 0.0 ? (x - knots[i]) / h : 0.0;
  // Beyond the ends the curve holds its end values instead of running off.
  if (!(t >= 0.0)) t = 0.0;
  if (t > 1.0) t = 1.0;
  const float u = 1.0f - static_cast<float>(t);
  return D[i] * t * t * t / (p * u + 1.0) + C[i] * u * u * u / (p * t + 1.0) + B[i] * t + A[i] * u;
}

int SetupNaturalSpline(int32_t n, double S, const double* x, const double* y, const double* dy, double* a, double* b,
                       double* c, double* d) {
  if (n < 2 || !x || !y || !dy || !a || !b || !c || !d) return 0;
  const int32_t n1 = 2, n2 = n + 1;   // first and last data index
  if (!Increasing(x, n1, n2)) return 0;
  double* work = static_cast<double*>(AllocArray(7 * size_t(n + 5), sizeof(double)));
  if (!work) return 0;
  double* r = work;
  double* r1 = r + (n + 5);
  double* r2 = r1 + (n + 5);
  double* t = r2 + (n + 5);
  double* t1 = t + (n + 5);
  double* u = t1 + (n + 5);
  double* v = u + (n + 5);

  const int32_t m1 = n1 + 1, m2 = n2 - 1;
  double p = 0.0;
  double h = x[m1] - x[n1];
  double f = (y[m1] - y[n1]) / h;
  double g = 0.0, e = 0.0;
  for (int32_t i = m1; i <= m2; ++i) {
    g = h;
    h = x[i + 1] - x[i];
    e = f;
    f = (y[i + 1] - y[i]) / h;
    a[i] = f - e;
    t[i] = 2.0 * (g + h) / 3.0;
    t1[i] = h / 3.0;
    r2[i] = dy[i - 1] / g;
    r[i] = dy[i + 1] / h;
    r1[i] = -dy[i] / g - dy[i] / h;
  }
  for (int32_t i = m1; i <= m2; ++i) {
    b[i] = r[i] * r[i] + r1[i] * r1[i] + r2[i] * r2[i];
    c[i] = r[i] * r1[i + 1] + r1[i] * r2[i + 1];
    d[i] = r[i] * r2[i + 2];
  }
  double f2 = -S;
  for (;;) {
    // Solve the banded system for the current smoothing factor p.
    for (int32_t i = m1; i <= m2; ++i) {
      r1[i - 1] = f * r[i - 1];
      r2[i - 2] = g * r[i - 2];
      r[i] = 1.0 / (p * b[i] + t[i] - f * r1[i - 1] - g * r2[i - 2]);
      u[i] = a[i] - r1[i - 1] * u[i - 1] - r2[i - 2] * u[i - 2];
      f = p * c[i] + t1[i] - h * r1[i - 1];
      g = h;
      h = d[i] * p;
    }
    for (int32_t i = m2; i >= m1; --i) u[i] = r[i] * u[i] - r1[i] * u[i + 1] - r2[i] * u[i + 2];
    e = h = 0.0;
    for (int32_t i = n1; i <= m2; ++i) {
      g = h;
      h = (u[i + 1] - u[i]) / (x[i + 1] - x[i]);
      v[i] = (h - g) * dy[i] * dy[i];
      e += v[i] * (h - g);
    }
    g = v[n2] = -h * dy[n2] * dy[n2];
    e -= g * h;
    g = f2;
    f2 = e * p * p;
    if (f2 >= S || f2 <= g) break;
    // Newton step on the smoothing factor.
    f = 0.0;
    h = (v[m1] - v[n1]) / (x[m1] - x[n1]);
    for (int32_t i = m1; i <= m2; ++i) {
      g = h;
      h = (v[i + 1] - v[i]) / (x[i + 1] - x[i]);
      g = h - g - r1[i - 1] * r[i - 1] - r2[i - 2] * r[i - 2];
      f += g * r[i] * g;
      r[i] = g;
    }
    h = e - p * f;
    if (h <= 0.0) break;
    p += (S - f2) / ((std::sqrt(S / e) + p) * h);
  }
  for (int32_t i = n1; i <= n2; ++i) {
    a[i] = y[i] - p * v[i];
    c[i] = u[i];
  }
  for (int32_t i = n1; i <= m2; ++i) {
    h = x[i + 1] - x[i];
    d[i] = (c[i + 1] - c[i]) / (3.0 * h);
    b[i] = (a[i + 1] - a[i]) / h - (h * d[i] + c[i]) * h;
  }
  FreeMem(&work);
  return 1;
}

double EvaluateSpline(double x, const double* knots, const double* a, const double* b, const double* c, const double* d,
                      int32_t n) {
  if (n < 2 || !knots || !a || !b || !c || !d) return 0.0;
  int32_t i = 2;
  while (i < n && knots[i + 1] <= x) ++i;
  const double h = x - knots[i];
  return ((d[i] * h + c[i]) * h + b[i]) * h + a[i];
}
