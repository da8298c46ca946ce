// Least-squares fits through the normal equations, the LU solver behind
// them, and two splines: a rational cubic with tension (the spline contrast
// curve) and Reinsch's smoothing spline. Matrices come from AllocMatrix
// (matrix.h); the decomposition swaps their row pointers, so keep the matrix
// pointer itself for FreeMatrix.
#pragma once

#include <cstdint>

// x^k by k multiplications; k <= 0 gives 1.0.
double PowerInt(double x, int32_t k);

// Least-squares polynomial y(x), degree capped at 10; coeffs gets degree + 1
// values, constant term first. 1 on success; 0 for degree < 1, too few or
// degenerate points, or no memory, leaving coeffs as it was.
int FitPolynomial(int32_t degree, int32_t count, const double* x, const double* y, double* coeffs);

// Least-squares surface z(x, y) with the terms x^i y^j, i, j = 0..degree
// (degree clamped to 1..4); coeffs[j * (degree + 1) + i], (degree + 1)^2 of
// them. 1 done; 0 for no memory or a singular system, then coeffs are all 0.
int FitSurface(int32_t degree, int32_t count, const double* x, const double* y, const double* z, double* coeffs);

// The surface of FitSurface at (x, y); degree as passed to the fit.
double EvaluateSurface(int32_t degree, double x, double y, const double* coeffs);

// Result codes of the solver.
enum LuResult : int32_t {
  LU_OK = 0,
  LU_BAD_ARGUMENT = 1,   // n below 2 (SolveLinear), a null pointer, an unknown mode
  LU_NO_MEMORY = 2,
  LU_ZERO_ROW = 3,   // a row of zeros
  LU_SINGULAR = 4,   // pivot below 1e-15; sign is 0
};

// mode 0 decomposes a into lu (lu may be a) and solves lu x = b; 1 only
// decomposes; 2 only solves with lu and pivot of an earlier call. sign gets
// the permutation's sign (+1, -1, or 0 when singular).
int32_t SolveLinear(int32_t mode, int32_t n, double** a, double** lu, int32_t* pivot, const double* b, double* x,
                    int32_t* sign);

// Scaled partial pivoting: lu holds the unit lower multipliers below the
// diagonal and the upper triangle on and above it; rows of lu are swapped
// by pointer, pivot[i] names the original row now at i.
int32_t DecomposeLu(int32_t n, double** a, double** lu, int32_t* pivot, int32_t* sign);

// Forward and back substitution with a decomposition; x may not be b.
int32_t SolveLu(int32_t n, double* const* lu, const int32_t* pivot, const double* b, double* x);

// Rational cubic spline with tension p (0: the ordinary cubic spline)
// through (x[i], y[i]), i = 1..n (element 0 unused). m[1] and m[n] are the
// end second-derivative values in; m[2..n-1] come out. A..D receive the
// segment coefficients. 1 done; 0 for n < 2, null arrays or knots that do
// not increase, with nothing written.
int SetupSpline10(int32_t n, const double* x, const double* y, double* m, double* A, double* B, double* C, double* D,
                  double p);

// The spline of SetupSpline10 at x, held at its end values outside
// x[1]..x[n].
double EvaluateSpline10(double x, const double* knots, const double* A, const double* B, const double* C,
                        const double* D, double p, int32_t n);

// Reinsch's smoothing spline through the n points at indices 2..n+1 of x, y
// and their standard deviations dy (x increasing), smoothed until the
// weighted squared residuals reach S (0 interpolates). a..d receive the
// cubic of each segment at the same indices. 1 done; 0 for n < 2, null
// arrays, knots that do not increase or no memory.
int SetupNaturalSpline(int32_t n, double S, const double* x, const double* y, const double* dy, double* a, double* b,
                       double* c, double* d);

// The spline of SetupNaturalSpline at x, using the segment of the last knot
// at or below x; extends the first and last segments beyond the knots.
double EvaluateSpline(double x, const double* knots, const double* a, const double* b, const double* c, const double* d,
                      int32_t n);
