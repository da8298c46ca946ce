#include <algorithm>
#include <cmath>

#include "astro/ephemeris/spherical.h"
#include "astro/maps/map_projections.h"

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kTwoPi = 2 * kPi;

// fmod into 0..2pi, then the far half taken negative as in the fixed family,
// so that both families draw the same map.
double Fold(double a) {
  a = std::fmod(a, kTwoPi);
  if (a < 0) a += kTwoPi;
  return a > kPi ? a - kTwoPi : a;
}

int Hide(double* x, double* y) {
  *x = *y = kHiddenPoint;
  return 1;
}

// Latitude and longitude in the system whose pole lies at poleLatitude on
// the central meridian: altitude and azimuth for an observer there.
void Aspect(double* lat, double* lon, double latitude, double longitudeDifference, double poleLatitude) {
  EquatorialToHorizontal(lat, lon, latitude, longitudeDifference, poleLatitude);
}

void AzimuthalAspect(double* lat, double* lon, double longitude, double poleLatitude, double centreLongitude,
                     double latitude) {
  const double shifted = longitude + centreLongitude - kPi;
  if (poleLatitude == kPi / 2 || poleLatitude == -kPi / 2) {
    *lat = poleLatitude > 0 ? latitude : -latitude;
    *lon = shifted;
  } else {
    Aspect(lat, lon, latitude, shifted, poleLatitude);
  }
}

constexpr double kGnomonicLimit = 0.17453292519943295;   // 10 degrees above the projection's horizon
constexpr double kAzimuthalLimit = -1.3962634015954636;  // -80 degrees

// The azimuthal projections: the point's height above the projection's
// horizon, hidden below limit, at a distance radius(height) from the centre.
int Azimuthal(double* x, double* y, double longitude, double poleLatitude, double centreLongitude, double latitude,
              double limit, double (*radius)(double lat)) {
  double lat, lon;
  AzimuthalAspect(&lat, &lon, longitude, poleLatitude, centreLongitude, latitude);
  if (!(lat > limit)) return Hide(x, y);
  const double r = radius(lat);
  *x = r * std::sin(lon);
  *y = r * std::cos(lon);
  return 1;
}

}  // namespace

int GnomonicFloat(double* x, double* y, double longitude, double poleLatitude, double centreLongitude,
                  double latitude) {
  return Azimuthal(x, y, longitude, poleLatitude, centreLongitude, latitude, kGnomonicLimit,
                   [](double lat) { return 1 / std::tan(lat); });
}

int StereographicFloat(double* x, double* y, double longitude, double poleLatitude, double centreLongitude,
                       double latitude) {
  return Azimuthal(x, y, longitude, poleLatitude, centreLongitude, latitude, kAzimuthalLimit,
                   [](double lat) { return std::cos(lat) / (std::sin(lat) + 1); });
}

int AzimuthalEqualAreaFloat(double* x, double* y, double longitude, double poleLatitude, double centreLongitude,
                            double latitude) {
  return Azimuthal(x, y, longitude, poleLatitude, centreLongitude, latitude, kAzimuthalLimit,
                   [](double lat) { return std::sin((kPi / 2 - lat) / 2); });
}

int AzimuthalEquidistantFloat(double* x, double* y, double longitude, double poleLatitude, double centreLongitude,
                              double latitude) {
  return Azimuthal(x, y, longitude, poleLatitude, centreLongitude, latitude, kAzimuthalLimit,
                   [](double lat) { return kPi / 2 - lat; });
}

int SimpleConicFloat(double* x, double* y, double longitude, double cone, double centreLongitude, double latitude) {
  const double lc = Fold(longitude + centreLongitude + kPi);
  const double r = cone > 0 ? kPi / 2 - latitude : latitude + kPi / 2;
  *x = -std::sin(cone * lc) * r;
  *y = -std::cos(cone * lc) * r;
  return 1;
}

int MercatorFloat(double* x, double* y, double longitude, double, double centreLongitude, double latitude) {
  *x = -Fold(longitude + centreLongitude);
  // The same formula mirrored for the south, which keeps the south pole finite.
  const double l = std::min(kPi / 2, std::fabs(latitude));
  const double m = std::log(std::tan(kPi / 4 + l / 2));
  *y = latitude < 0 ? -m : m;
  return 1;
}

int SinusoidalFloat(double* x, double* y, double longitude, double, double centreLongitude, double latitude) {
  *x = Fold(-longitude - centreLongitude) * std::cos(latitude);
  *y = latitude;
  return 1;
}

int AitoffFloat(double* x, double* y, double longitude, double, double centreLongitude, double latitude) {
  const double l2 = Fold(kPi - longitude - centreLongitude);
  double lat, lon;
  Aspect(&lat, &lon, latitude, l2 / 2, 0);
  *x = std::sin(lon) * (lat - kPi / 2) / 2 + l2 / 4;
  *y = std::cos(lon) * (kPi / 2 - lat) / 4 + latitude / 4;
  return 1;
}

int HammerFloat(double* x, double* y, double longitude, double, double centreLongitude, double latitude) {
  const double l2 = Fold(longitude + centreLongitude - kPi);
  double lat, lon;
  Aspect(&lat, &lon, latitude, l2 / 2, 0);
  const double half = std::sin((kPi / 2 - lat) / 2);
  *x = std::sin(lon) * half * 1.2732;
  *y = std::cos(lon) * half * 0.6366;
  return 1;
}

int WernerFloat(double* x, double* y, double longitude, double pole, double centreLongitude, double latitude) {
  const double p = pole >= 0 ? kPi / 2 : -kPi / 2;
  if (latitude == p) {
    *x = *y = 0;
    return 1;
  }
  const double l2 = Fold(kPi - longitude - centreLongitude);
  const double chi = p - latitude;
  const double tau = l2 * std::sin(chi) / chi;
  const double r = p > 0 ? kPi / 2 - latitude : latitude + kPi / 2;
  *x = std::sin(tau) * r;
  *y = (latitude - p) * std::cos(tau);
  return 1;
}

double GlobeAltitude(double longitude, double latitude, double centreLongitude, double centreLatitude) {
  const double s = std::cos(longitude - centreLongitude) * std::cos(centreLatitude) * std::cos(latitude) +
                   std::sin(centreLatitude) * std::sin(latitude);
  return std::asin(std::min(1.0, std::max(-1.0, s)));
}

int DiskToPlanet(double* longitude, double* latitude, double* rho, double x, double y, double x0, double y0, double R,
                 double f, double B, double P, double L0) {
  const double u = (y0 - y) * std::cos(P) - (x - x0) * std::sin(P);
  const double v = (x - x0) * std::cos(P) + (y0 - y) * std::sin(P);
  const double k = 1 - f;
  const double e = 1 / (k * k) - 1;
  const double s = e * std::sin(B) * std::sin(B) + 1;
  // The line of sight meets the ellipsoid where D >= 0: the apparent disk,
  // whose polar radius lies between kR and R as the tilt B grows (the
  // ellipse u^2 / k^2 + v^2 < R^2 is the disk seen from the equator only).
  const double D = (R * R - v * v) * s - u * u / (k * k);
  if (D < 0 || std::fabs(v) >= R) return 0;
  const double w1 = (u * std::cos(B) + std::sqrt(D) * std::sin(B)) / s;   // height above the equator
  const double w2 = (std::sqrt(D) * std::cos(B) - u * std::sin(B)) / s;
  const double r = std::sqrt(std::max(0.0, R * R - e * w1 * w1));
  const double ratio = w1 / r;
  const double phi = ratio >= 1 ? kPi / 2 : ratio <= -1 ? -kPi / 2 : std::asin(ratio);
  // At a pole (or the centre) every longitude is the same point: take the offset 0.
  const double across = std::cos(phi) * r;
  double offset = 0;
  if (across > 0) {
    const double q = v / across;
    offset = q >= 1 ? kPi / 2 : q <= -1 ? -kPi / 2 : std::asin(q);
  }
  if (w2 < 0) offset = kPi - offset;
  double l = std::fmod(L0 + offset, kTwoPi);
  if (l < 0) l += kTwoPi;
  *longitude = l;
  *latitude = phi;
  *rho = r;
  return 1;
}

int PlanetToDisk(double* x, double* y, double longitude, double latitude, double x0, double y0, double R, double f,
                 double B, double P, double L0) {
  const double k = 1 - f;
  // Reduced latitude of the planetocentric one: the surface point is
  // (R cos b cos l, R cos b sin l, k R sin b).
  const double b = std::fabs(latitude) >= kPi / 2 ? latitude : std::atan(std::tan(latitude) / k);
  const double l = longitude - L0;
  const double X = R * std::cos(b) * std::cos(l), Y = R * std::cos(b) * std::sin(l), Z = k * R * std::sin(b);
  const double u = Z * std::cos(B) - X * std::sin(B), v = Y;
  *x = x0 + v * std::cos(P) - u * std::sin(P);
  *y = y0 - (u * std::cos(P) + v * std::sin(P));
  // Facing the Earth: the surface normal (X, Y, Z / k^2) towards the line of sight.
  return X * std::cos(B) + Z * std::sin(B) / (k * k) >= 0 ? 1 : 0;
}
