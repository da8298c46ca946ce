#include "astro/ephemeris/spherical.h"

#include <algorithm>
#include <cmath>

#include "shell/timeconv.h"

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kTwoPi = 2 * kPi;
constexpr double kRad = 0.017453292519943295;
constexpr double kArcsec = kRad / 3600;
constexpr double kGauss2 = 0.0002959122083;   // k^2, AU^3 per day^2
constexpr int kNewtonLimit = 100;

double Clamp1(double x) { return std::min(1.0, std::max(-1.0, x)); }

double PositiveAngle(double a) { return a < 0 ? a + kTwoPi : a; }

}  // namespace

double MeanObliquity(JulianDay jd) {
  const double T = (jd - 2415020.0) / 36525;
  return (23.452294 - 0.0130125 * T - 0.00000164 * T * T + 0.000000503 * T * T * T) * kRad;
}

double SolveKeplerElliptic(double e, double M) {
  if (std::fabs(M) <= 1e-9) return 0;
  // Solve for M within -pi..pi and add the whole turns back. Started at
  // +-pi, Newton's method converges for every e below 1; started at 0 it
  // cycles for e above about 0.49 near |M| = pi.
  const double turns = std::round(M / kTwoPi);
  const double m = M - turns * kTwoPi;
  if (std::fabs(m) <= 1e-9) return turns * kTwoPi;
  double E = m < 0 ? -kPi : kPi;
  for (int i = 0; i < kNewtonLimit; ++i) {
    const double step = (e * std::sin(E) + m - E) / (1 - e * std::cos(E));
    E += step;
    if (!(std::fabs(step) > 1e-9)) break;
  }
  return E + turns * kTwoPi;
}

double SolveKeplerHyperbolic(double e, double M) {
  if (std::fabs(std::cbrt(6 * M)) <= 1e-9) return 0;
  // A start close to the root (from e sinh H ~ M for large M); from H = 0
  // the first step overshoots far for e near 1.
  double H = std::copysign(std::log(2 * std::fabs(M) / e + 1.8), M);
  for (int i = 0; i < kNewtonLimit; ++i) {
    const double step = (e * std::sinh(H) - H - M) / (e * std::cosh(H) - 1);
    if (!std::isfinite(step)) break;
    H -= step;
    if (!(std::fabs(step) > 1e-9)) break;
  }
  return H;
}

void MinorBodyPosition(EphemerisRecord* out, JulianDay jd, Vector3 sun, OrbitalElements el) {
  const double T = (jd - 2415020.0) / 36525;
  const double e = el.eccentricity;
  double nu, r;
  if (e < 1) {
    const double M = std::fmod(el.meanMotion * T + el.meanLongitude - el.ascendingNode - el.perihelionArgument, kTwoPi);
    const double E = SolveKeplerElliptic(e, M);
    nu = 2 * std::atan(std::sqrt((1 + e) / (1 - e)) * std::tan(E / 2));
    r = el.semiMajorAxis * (1 - e * std::cos(E));
  } else if (e > 1) {
    // The orbit's own semi-major axis, so that r at perihelion is q.
    const double q = el.perihelionDistance;
    const double a = q / (e - 1);
    const double M = std::sqrt(kGauss2 / (a * a * a)) * (jd - el.meanLongitude);
    const double H = SolveKeplerHyperbolic(e, M);
    nu = 2 * std::atan(std::sqrt((e + 1) / (e - 1)) * std::tanh(H / 2));
    r = a * (e * std::cosh(H) - 1);
  } else {
    const double q = el.perihelionDistance;
    const double W = 1.5 * std::sqrt(kGauss2 / (2 * q * q * q)) * (jd - el.meanLongitude);
    if (W == 0) {
      nu = 0;
    } else {
      // atan(1 / W) already carries W's sign through to nu.
      const double beta = std::atan(1 / W);
      const double gamma = std::atan(std::cbrt(std::tan(beta / 2)));
      nu = 2 * std::atan(2 / std::tan(2 * gamma));
    }
    r = 2 * q / (1 + std::cos(nu));
  }
  const Vector3 plane = SphericalToCartesian(nu, 0, r);
  const Vector3 helio =
      RotateVector3(plane.x, plane.y, plane.z, el.inclination, el.ascendingNode, el.perihelionArgument);
  const Vector3 hs = CartesianToSpherical(helio.x, helio.y, helio.z);
  out->helioLongitude = PositiveAngle(hs.x);
  out->helioLatitude = hs.y;
  out->helioRadius = hs.z;
  out->helioZ = helio.z;
  const Vector3 gs = CartesianToSpherical(helio.x + sun.x, helio.y + sun.y, helio.z + sun.z);
  out->distance = gs.z;
  out->eclLongitude = PositiveAngle(gs.x);
  out->eclLatitude = gs.y;
}

void PrecessEquatorial(double* alpha, double* delta, double alpha0, double delta0, JulianDay jdTarget,
                       JulianDay jdEpoch) {
  const double T = (jdEpoch - 2451545.0) / 36525, t = (jdTarget - jdEpoch) / 36525;
  const double t2 = t * t, t3 = t2 * t;
  const double zeta = (2306.218 + 1.397 * T) * t + 0.302 * t2 + 0.018 * t3;
  const double z = (zeta + 0.793 * t2) * kArcsec;
  const double theta = ((2004.311 - 0.853 * T) * t - 0.427 * t2 - 0.042 * t3) * kArcsec;
  const double a = alpha0 + zeta * kArcsec;
  const double d = std::asin(Clamp1(std::sin(theta) * std::cos(delta0) * std::cos(a) + std::cos(theta) * std::sin(delta0)));
  *delta = d;
  if (std::fabs(d) >= kPi / 2) {
    *alpha = 0;
    return;
  }
  const double cd = std::cos(d);
  double ap = std::acos(Clamp1((std::cos(theta) * std::cos(delta0) * std::cos(a) - std::sin(theta) * std::sin(delta0)) / cd));
  if (std::cos(delta0) * std::sin(a) / cd < 0) ap = kTwoPi - ap;
  *alpha = ap + z;
}

double HourAngle(double alpha, double siteLongitude, JulianDay jd) {
  return kTwoPi * GreenwichSiderealTime(jd) - siteLongitude - alpha;
}

void EquatorialToHorizontal(double* altitude, double* azimuth, double delta, double H, double phi) {
  const double x = std::sin(delta) * std::sin(phi) + std::cos(delta) * std::cos(phi) * std::cos(H);
  if (x <= -1 || x >= 1) {
    *altitude = x <= -1 ? -kPi / 2 : kPi / 2;
    *azimuth = 0;
    return;
  }
  const double h = std::asin(x);
  const double ch = std::cos(h);
  const double y = Clamp1((std::sin(delta) * std::cos(phi) - std::cos(delta) * std::sin(phi) * std::cos(H)) / ch);
  double A = std::acos(y);
  if (-std::cos(delta) * std::sin(H) / ch < 0) A = kTwoPi - A;
  *altitude = h;
  *azimuth = A;
}

void EclipticToEquatorial(double* alpha, double* delta, double lambda, double beta, double eps) {
  const double d = std::asin(Clamp1(std::sin(beta) * std::cos(eps) + std::cos(beta) * std::sin(eps) * std::sin(lambda)));
  *delta = d;
  if (d == kPi / 2 || d == -kPi / 2) {
    *alpha = 0;
    return;
  }
  const double cd = std::cos(d);
  double a = std::acos(Clamp1(std::cos(beta) * std::cos(lambda) / cd));
  if ((std::cos(beta) * std::sin(lambda) * std::cos(eps) - std::sin(beta) * std::sin(eps)) / cd < 0) a = kTwoPi - a;
  *alpha = a;
}

Vector3 RotateVector3(double x, double y, double z, double i, double Omega, double omega) {
  const double s1 = std::sin(i), c1 = std::cos(i);
  const double s2 = std::sin(Omega), c2 = std::cos(Omega);
  const double s3 = std::sin(omega), c3 = std::cos(omega);
  return {(c2 * c3 - c1 * s2 * s3) * x + (-c2 * s3 - c1 * s2 * c3) * y + s1 * s2 * z,
          (s2 * c3 + c1 * c2 * s3) * x + (-s2 * s3 + c1 * c2 * c3) * y - s1 * c2 * z,
          s1 * s3 * x + s1 * c3 * y + c1 * z};
}

int SkyZoneIndex(int* x, int* y, double alpha, double delta) {
  // Cells per declination band (b = 0 at -90 degrees) and the number of the
  // band's first cell; the cells are numbered from the north pole down.
  static const int kCells[19] = {1, 8, 14, 18, 24, 28, 32, 36, 36, 36, 36, 36, 32, 28, 24, 18, 12, 8, 1};
  static const int kFirst[19] = {428, 420, 406, 388, 364, 336, 304, 268, 232, 196,
                                 160, 124, 92, 64, 40, 22, 10, 2, 1};
  int b = int((delta * 57.29577951308232 + 95) / 10);
  b = std::min(18, std::max(0, b));
  // alpha of 2pi or beyond belongs to the first cell of the band, not the next band.
  double a = std::fmod(alpha, kTwoPi);
  if (a < 0) a += kTwoPi;
  const int n = kCells[b];
  const int k = std::min(n - 1, int(a * n / kTwoPi));
  const double a0 = n == 1 ? 0 : (2 * k + 1) * kPi / n;
  const double d0 = (10 * b - 90) * kRad;
  const double da = a0 - a;
  *x = int(8600 * std::cos(delta) * std::sin(da) + 0.5);
  *y = int(8600 * (std::sin(delta - d0) + std::sin(delta) * std::cos(delta) * (1 - std::cos(da)) / std::cos(delta - d0)) + 0.5);
  return kFirst[b] + k;
}

Vector3 SphericalToCartesian(double lambda, double beta, double r) {
  return {r * std::cos(beta) * std::cos(lambda), r * std::cos(beta) * std::sin(lambda), r * std::sin(beta)};
}

Vector3 CartesianToSpherical(double x, double y, double z) {
  const double r = std::sqrt(x * x + y * y + z * z);
  double lambda;
  if (x == 0)
    lambda = y >= 0 ? kPi / 2 : 4.71238898038469;
  else if (x > 0)
    lambda = std::atan(y / x);
  else
    lambda = std::atan(y / x) + kPi;
  return {lambda, r > 0 ? std::asin(Clamp1(z / r)) : 0.0, r};
}
