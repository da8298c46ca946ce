#include "astro/ephemeris/ephemeris.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "astro/ephemeris/planet_theories.h"
#include "astro/ephemeris/spherical.h"
#include "astro/ephemeris/vsop87.h"
#include "imagelib/image.h"
#include "shell/timeconv.h"

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kTwoPi = 2 * kPi;
constexpr double kRad = 0.017453292519943295;
constexpr double kEarthRadiusAu = 4.263452e-05;
constexpr double kLightDaysPerAu = 0.0057755;
constexpr int kEventSearchLimit = 50;

double Clamp1(double x) { return std::min(1.0, std::max(-1.0, x)); }

// Arc cosine that turns values >= 1 into 0 and <= -1 into pi.
double AcosEdge(double x) { return x >= 1 ? 0 : x <= -1 ? kPi : std::acos(x); }

double Reduce(double a) {
  a = std::fmod(a, kTwoPi);
  return a < 0 ? a + kTwoPi : a;
}

double Dot(const Vector3& a, const Vector3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

struct SunPlace {
  double lambda, beta, R;
  Vector3 vec;   // geocentric rectangular
};

SunPlace SunAt(JulianDay jd) {
  double nL, nB, R;
  EarthHeliocentricNegated(jd, &nL, &nB, &R);
  SunPlace s;
  s.lambda = Reduce(-nL + kPi);
  s.beta = nB;
  s.R = R;
  s.vec = SphericalToCartesian(s.lambda, s.beta, R);
  return s;
}

using HeliocentricFn = void (*)(JulianDay, double*, double*, double*);

HeliocentricFn PlanetSeries(BodyCode body) {
  switch (body) {
    case kBodyMercury: return MercuryHeliocentric;
    case kBodyVenus: return VenusHeliocentric;
    case kBodyMars: return MarsHeliocentric;
    case kBodyJupiter: return JupiterHeliocentric;
    case kBodySaturn: return SaturnHeliocentric;
    case kBodyUranus: return UranusHeliocentric;
    case kBodyNeptune: return NeptuneHeliocentric;
    default: return nullptr;
  }
}

void StoreHeliocentric(EphemerisRecord* r, const Vector3& helio) {
  const Vector3 s = CartesianToSpherical(helio.x, helio.y, helio.z);
  r->helioLongitude = Reduce(s.x);
  r->helioLatitude = s.y;
  r->helioRadius = s.z;
  r->helioZ = s.z * std::sin(s.y);
}

// Geocentric and heliocentric place of a body with a theory; false for any
// other code, whose place the record keeps.
bool BodyPlace(EphemerisRecord* r, BodyCode body, JulianDay jd, const SunPlace& sun) {
  if (body == kBodySun) {
    r->eclLongitude = sun.lambda;
    r->eclLatitude = sun.beta;
    r->distance = sun.R;
    std::strcpy(r->name, "Sonne");
    r->helioLongitude = r->helioLatitude = r->helioRadius = r->helioZ = 0;
    return true;
  }
  if (body == kBodyMoon) {
    MoonPosition(r, jd);
    const Vector3 g = SphericalToCartesian(r->eclLongitude, r->eclLatitude, r->distance);
    StoreHeliocentric(r, {g.x - sun.vec.x, g.y - sun.vec.y, g.z - sun.vec.z});
    return true;
  }
  const HeliocentricFn series = PlanetSeries(body);
  if (!series) return false;
  double l, b, rad;
  series(jd, &l, &b, &rad);
  r->helioLongitude = Reduce(l);
  r->helioLatitude = b;
  r->helioRadius = rad;
  r->helioZ = rad * std::sin(b);
  const Vector3 h = SphericalToCartesian(l, b, rad);
  const Vector3 g = CartesianToSpherical(h.x + sun.vec.x, h.y + sun.vec.y, h.z + sun.vec.z);
  r->eclLongitude = Reduce(g.x);
  r->eclLatitude = g.y;
  r->distance = g.z;
  return true;
}

// Equatorial place at t; a body without a theory keeps the ecliptic place
// of fixed (false when there is none).
bool EquatorialAt(double* alpha, double* delta, BodyCode body, JulianDay t, const EphemerisRecord* fixed) {
  EphemerisRecord r{};
  if (!BodyPlace(&r, body, t, SunAt(t))) {
    if (!fixed) return false;
    r.eclLongitude = fixed->eclLongitude;
    r.eclLatitude = fixed->eclLatitude;
  }
  EclipticToEquatorial(alpha, delta, r.eclLongitude, r.eclLatitude, MeanObliquity(t));
  return true;
}

int RiseSetSearch(JulianDay* result, BodyCode body, int event, double phi, double siteLongitude, JulianDay jd,
                  double zone, const EphemerisRecord* fixed) {
  event = ((event % 3) + 3) % 3;   // negative codes too
  double t = std::trunc(jd) + (event == 0 ? -0.25 : event == 1 ? 0.25 : 0.0);
  const double sign = event == 0 ? -1 : 1;
  double rate = 1.0027379, h0 = -0.5666666666666667 * kRad;
  if (body == kBodySun) rate = 1.0, h0 = -0.8333333333333334 * kRad;
  if (body == kBodyMoon) rate = 1.0027, h0 = 0.13333333333333333 * kRad;
  const int32_t zoneMinutes = int32_t(zone);
  *result = -1.0;
  // The steps shrink fast where an event exists; a cap ends the rare search
  // that wanders (a body that grazes the horizon that day).
  for (int i = 0; i < kEventSearchLimit; ++i) {
    double alpha, delta;
    if (!EquatorialAt(&alpha, &delta, body, t, fixed)) return 1;
    double H0 = 0;
    if (event != 2) {
      const double c = (std::sin(h0) - std::sin(phi) * std::sin(delta)) / (std::cos(phi) * std::cos(delta));
      if (c >= 1) return 1;
      if (c <= -1) {
        *result = 1.0;
        return 0;
      }
      H0 = sign * std::acos(c);
    } else {
      if (std::fabs(phi) >= kPi / 2) return 1;
      if (std::fabs(delta) >= kPi / 2) {
        *result = 1.0;
        return 0;
      }
    }
    double H = std::fmod(kTwoPi * GreenwichSiderealTime(t) - alpha - siteLongitude, kTwoPi);
    if (H > kPi) H -= kTwoPi;
    if (H < -kPi) H += kTwoPi;
    const double step = (H0 - H) / (kTwoPi * rate);
    t += step;
    if (std::fabs(step) <= 1e-05) {
      *result = t;
      const DateTimeRecord a = DateFromJulianDayInZone(t, zoneMinutes), b = DateFromJulianDayInZone(jd, zoneMinutes);
      return a.day == b.day && a.month == b.month && a.year == b.year ? 2 : 3;
    }
  }
  *result = -1.0;
  return 1;
}

// Rotation model: pole (J2000, degrees and degrees per century), prime
// meridian W0 + rate * d (degrees, days), senses and radii (seconds of arc at 1 AU).
struct RotationModel {
  BodyCode body;
  double ra0, raRate, dec0, decRate;
  double w0, wRate;
  int sense;
  double w2_0, w2Rate;
  int sense2;
  double equatorialRadius, polarRadius;
  double magnitudeBase;
};

const RotationModel kRotation[] = {
    {kBodySun, 285.96, 0, 63.96, 0, 84.11, 14.1844, 1, 0, 0, 0, 959.63, 959.63, -26.0},
    {kBodyMoon, 0, 0, 0, 0, 0, 0, -1, 0, 0, 0, 2.3945, 2.3945, 0.21},
    {kBodyMercury, 281.02, -0.033, 61.45, -0.005, 329.71, 6.1385025, 1, 0, 0, 0, 3.34, 3.34, -0.003},
    {kBodyVenus, 272.78, 0, 67.21, 0, 159.91, 1.4814205, -1, 159.91, 90, -1, 8.41, 8.41, -4.0},
    {kBodyMars, 317.681, -0.108, 52.886, -0.061, 176.655, 350.891983, 1, 0, 0, 0, 4.68, 4.68, -1.3},
    {kBodyJupiter, 268.05, -0.009, 64.49, 0.003, 67.1, 877.9, 1, 43.3, 870.27, 1, 98.47, 91.91, -8.93},
    {kBodySaturn, 40.66, -0.036, 83.52, -0.004, 227.2037, 844.3, 1, 38.9, 810.7939024, 1, 83.33, 74.57, -8.68},
    {kBodyUranus, 257.43, 0, -15.1, 0, 261.62, 554.913, -1, 0, 0, 0, 34.28, 32.14, -6.85},
    {kBodyNeptune, 295.33, 0, 40.65, 0, 107.21, 468.75, 1, 0, 0, 0, 36.56, 35.82, -7.05},
    {kBodyPluto, 311.63, 0, 4.18, 0, 252.66, 56.364, -1, 0, 0, 0, 2.07, 2.07, -1.0},
};

const RotationModel* RotationOf(BodyCode body) {
  for (const RotationModel& m : kRotation)
    if (m.body == body) return &m;
  return nullptr;
}

// Magnitude term besides 5 log10(r Delta); I is the phase angle in degrees / 100.
double MagnitudeTerm(const RotationModel& m, double I, double earthDeclination) {
  switch (m.body) {
    case kBodyMoon: return m.magnitudeBase + 1.8 * I;
    case kBodyMercury: return m.magnitudeBase + 1.815 * I + 1.023 * I * I;
    case kBodyVenus: return m.magnitudeBase + 1.322 * I + 0.4247 * I * I * I;
    case kBodyMars: return m.magnitudeBase + 1.486 * I;
    case kBodySaturn: {
      // The rings brighten Saturn alike north and south of their plane.
      const double s = std::sin(std::fabs(earthDeclination));
      return m.magnitudeBase - 2.6 * s + 1.25 * s * s - 0.044 * I;
    }
    default: return m.magnitudeBase;
  }
}

// Sub-point angle in the body's equator, from the ascending node of that
// equator on the Earth's equator, for direction alpha, delta of the body and
// planetocentric declination D of the sub-point.
double SubPointAngle(double poleRa, double poleDec, double alpha, double delta, double D) {
  const double cD = std::cos(D);
  double K = AcosEdge(std::cos(delta) * std::sin(poleRa - alpha) / cD);
  if ((std::sin(poleDec) * std::cos(delta) * std::cos(poleRa - alpha) - std::cos(poleDec) * std::sin(delta)) / cD < 0)
    K = kTwoPi - K;
  return K;
}

// The Moon's prime meridian as an angle from the node of its equator on the
// Earth's equator: it faces the mean Earth, at F + pi in the lunar equator
// from the direction of the orbit's ascending node (Cassini's laws).
double MoonPrimeMeridian(double poleRa, double poleDec, double node, double eps, JulianDay jd) {
  const Vector3 q{-std::sin(poleRa), std::cos(poleRa), 0};
  const Vector3 r{-std::sin(poleDec) * std::cos(poleRa), -std::sin(poleDec) * std::sin(poleRa), std::cos(poleDec)};
  double a, d;
  EclipticToEquatorial(&a, &d, node, 0, eps);
  const Vector3 n = SphericalToCartesian(a, d, 1);
  return std::atan2(Dot(n, r), Dot(n, q)) + MoonArgumentOfLatitude(jd) + kPi;
}

// The Sun's planetocentric longitude (season angle), from the body's orbit.
double SeasonAngle(BodyCode body, JulianDay jd, double eps, double poleRa, double poleDec, double Ds, double Kp) {
  double iota = 0, node = 0;   // the Moon goes round the Sun in the ecliptic
  if (body != kBodyMoon) {
    OrbitalElements el{};
    PlanetElements(&el, body, jd);
    iota = el.inclination;
    node = el.ascendingNode;
  }
  const double J = AcosEdge(std::cos(iota) * std::cos(eps) - std::sin(iota) * std::sin(eps) * std::cos(node));
  const double sJ = std::sin(J);
  double N = 0;
  if (sJ != 0) {
    N = AcosEdge((std::sin(iota) * std::cos(eps) * std::cos(node) + std::cos(iota) * std::sin(eps)) / sJ);
    if (std::sin(iota) * std::sin(node) / sJ < 0) N = kTwoPi - N;
  }
  const double theta =
      AcosEdge(std::sin(poleDec) * std::cos(J) + std::cos(poleDec) * sJ * std::sin(N - poleRa));
  const double sTheta = std::sin(theta);
  double Phi = 0;
  if (sTheta != 0) {
    Phi = AcosEdge((std::cos(poleDec) * std::cos(J) - std::sin(poleDec) * sJ * std::sin(N - poleRa)) / sTheta);
    if (sJ * std::cos(N - poleRa) / sTheta < 0) Phi = kTwoPi - Phi;
  }
  const double x = sTheta != 0 ? std::sin(Ds) / sTheta : 0;
  double Ls = std::fabs(x) < 1 ? std::asin(x) : x >= 1 ? kPi / 2 : -kPi / 2;
  if (std::cos(Kp - Phi) * std::cos(Ds) > 0) Ls = kPi - Ls;
  return Ls < 0 ? Ls + kTwoPi : Ls;
}

void Topocentric(EphemerisRecord* r, double phi, double H) {
  const double phiC = phi == 0 || std::fabs(phi) == kPi / 2 ? phi : std::atan(0.99330546 * std::tan(phi));
  // Distance of the site from the Earth's centre, in equatorial radii.
  const double rho = 1 / std::sqrt(std::cos(phiC) * std::cos(phiC) + std::sin(phiC) * std::sin(phiC) / 0.99330546);
  const double rc = rho * std::cos(phiC), rs = rho * std::sin(phiC);
  const double delta = r->dec, Delta = r->distance;
  const double up = std::cos(phiC) * std::cos(delta) * std::cos(H) + std::sin(phiC) * std::sin(delta);
  const double d2 = Delta * Delta - 2 * Delta * rho * kEarthRadiusAu * up + rho * rho * kEarthRadiusAu * kEarthRadiusAu;
  r->topoDistance = std::sqrt(std::max(0.0, d2));
  r->lightTime = 499.032 * r->topoDistance;
  r->topoRa = r->ra;
  r->topoDec = r->dec;
  if (!(Delta > kEarthRadiusAu)) return;   // no place, or inside the Earth
  const double sp = kEarthRadiusAu / Delta;   // sine of the horizontal parallax
  const double den = std::cos(delta) - rc * sp * std::cos(H);
  const double dAlpha = std::atan2(-rc * sp * std::sin(H), den);
  r->topoRa = Reduce(r->ra + dAlpha);
  r->topoDec = std::atan2((std::sin(delta) - rs * sp) * std::cos(dAlpha), den);
}

void SunAndPhase(EphemerisRecord* r, BodyCode body, const SunPlace& sun, double eps) {
  if (body == kBodySun) {
    r->raFromSun = r->decFromSun = r->elongation = 0;
    r->brightLimbAngle = r->phaseAngle = r->illuminatedFraction = 0;
    return;
  }
  double aS, dS;
  EclipticToEquatorial(&aS, &dS, sun.lambda, sun.beta, eps);
  const double a = r->ra, d = r->dec;
  double E = std::acos(Clamp1(std::sin(d) * std::sin(dS) + std::cos(d) * std::cos(dS) * std::cos(a - aS)));
  double da = a - aS;
  while (da < -kPi) da += kTwoPi;
  if (da > kPi) da -= kTwoPi;
  r->raFromSun = da;
  r->decFromSun = d - dS;
  double chi = 0;
  if (E != 0 && E != kPi) {
    const double sE = std::sin(E);
    chi = std::acos(Clamp1((std::sin(dS) * std::cos(d) - std::cos(dS) * std::sin(d) * std::cos(aS - a)) / sE));
    if (std::cos(dS) * std::sin(aS - a) / sE < 0) chi = kTwoPi - chi;
  }
  if (std::sin(r->eclLongitude - sun.lambda) < 0) E = kTwoPi - E;
  r->elongation = E;
  r->brightLimbAngle = chi;
  const double Dl = r->distance, rh = r->helioRadius;
  r->phaseAngle = Dl > 0 && rh > 0 ? std::acos(Clamp1((Dl * Dl + rh * rh - sun.R * sun.R) / (2 * Dl * rh))) : 0;
  r->illuminatedFraction = (1 + std::cos(r->phaseAngle)) / 2;
  std::strcpy(r->brightLimbWord, CompassWord(chi));
}

void MoonDistance(EphemerisRecord* r, BodyCode body, JulianDay jd, double eps) {
  if (body == kBodyMoon) {
    r->moonDistance = 0;
    std::strcpy(r->moonDirectionWord, " ");
    return;
  }
  EphemerisRecord m{};
  MoonPosition(&m, jd);
  // The Moon's latitude does not enter the distance.
  const double dist = std::acos(Clamp1(std::cos(r->eclLatitude) * std::cos(r->eclLongitude - m.eclLongitude)));
  double psi = 0;
  if (dist != 0 && dist != kPi) {
    double am, dm;
    EclipticToEquatorial(&am, &dm, m.eclLongitude, m.eclLatitude, eps);
    const double sd = std::sin(dist), a = r->ra, d = r->dec;
    psi = std::acos(Clamp1((std::sin(dm) * std::cos(d) - std::cos(dm) * std::sin(d) * std::cos(am - a)) / sd));
    if (std::cos(dm) * std::sin(am - a) / sd < 0) psi = kTwoPi - psi;
  }
  r->moonDistance = dist;
  std::strcpy(r->moonDirectionWord, CompassWord(psi));
}

struct DiskFrame {
  double poleRa, poleDec;   // of date
  double W1, W2;            // prime meridians from the node of the equator on the Earth's equator
};

// Steps up to the magnitude: pole and prime meridians, apparent diameters,
// Saturn's rings, D_E and the axis' position angle.
DiskFrame DiskAxis(EphemerisRecord* r, const RotationModel& m, BodyCode body, JulianDay jd, double eps) {
  const double d = jd - 2451545.0, T = d / 36525;
  const double dl = d - kLightDaysPerAu * r->distance;   // rotation seen with the light's delay
  DiskFrame f{0, 0, 0, 0};
  if (body == kBodyMoon) {
    // The pole of date from the node: 88.465 degrees of ecliptic latitude at
    // Omega + 90 degrees. Being of date already, it is not precessed.
    const double Tp = (jd - 2415020.0) / 36525;
    const double node = (259.183275 - 1934.142 * Tp + 0.002078 * Tp * Tp + 0.0000022 * Tp * Tp * Tp) * kRad;
    EclipticToEquatorial(&f.poleRa, &f.poleDec, node + kPi / 2, 88.465 * kRad, eps);
    f.W1 = MoonPrimeMeridian(f.poleRa, f.poleDec, node, eps, jd - kLightDaysPerAu * r->distance);
  } else {
    PrecessEquatorial(&f.poleRa, &f.poleDec, (m.ra0 + m.raRate * T) * kRad, (m.dec0 + m.decRate * T) * kRad, jd,
                      2451545.0);
    f.W1 = (m.w0 + m.wRate * dl) * kRad;
    if (m.sense2 != 0) f.W2 = (m.w2_0 + m.w2Rate * dl) * kRad;
  }
  r->polarDiameter = 2 * m.polarRadius / r->distance;
  r->equatorialDiameter = 2 * m.equatorialRadius / r->distance;
  r->rings = nullptr;
  if (body == kBodySaturn) {
    static const double kRingEdges[8] = {188.12, 185.39, 183.39, 167.13, 162.3, 126.66, 0.0, 0.0};
    r->rings = static_cast<double*>(AllocMem(64));
    if (r->rings)
      for (int i = 0; i < 8 && kRingEdges[i] != 0.0; ++i) r->rings[i] = kRingEdges[i] * 2 / r->distance;
  }

  const double a = r->ra, dec = r->dec;
  const double x = -std::sin(f.poleDec) * std::sin(dec) - std::cos(f.poleDec) * std::cos(dec) * std::cos(f.poleRa - a);
  const double De = x <= -1 ? -kPi / 2 : x >= 1 ? kPi / 2 : std::asin(x);
  double P = 0;
  if (std::fabs(De) != kPi / 2) {
    const double cD = std::cos(De);
    P = AcosEdge((std::sin(f.poleDec) * std::cos(dec) - std::cos(f.poleDec) * std::sin(dec) * std::cos(f.poleRa - a)) /
                 cD);
    if (std::cos(f.poleDec) * std::sin(f.poleRa - a) / cD < 0) P = kTwoPi - P;
  }
  r->earthDeclination = De;
  r->axisAngle = P;
  return f;
}

// 5 log10(r Delta) and the body's term; the Sun's own r is 0, so its
// distance alone counts.
double Magnitude(const EphemerisRecord* r, const RotationModel* m, BodyCode body) {
  const double rd = body == kBodySun ? r->distance : r->helioRadius * r->distance;
  const double base = rd > 0 ? 5 * std::log10(rd) : 0;
  return m ? base + MagnitudeTerm(*m, r->phaseAngle / kRad / 100, r->earthDeclination) : base;
}

// Sub-Earth and sub-solar points, the season angle, central meridians and
// sub-solar longitudes.
void DiskLongitudes(EphemerisRecord* r, const RotationModel& m, const DiskFrame& f, BodyCode body, JulianDay jd,
                    double eps) {
  const double De = r->earthDeclination;
  const double K = SubPointAngle(f.poleRa, f.poleDec, r->ra, r->dec, De);
  double Ds = De, Kp = K;
  if (body != kBodySun) {
    double ah, dh;
    EclipticToEquatorial(&ah, &dh, r->helioLongitude, r->helioLatitude, eps);
    Ds = std::asin(-std::sin(f.poleDec) * std::sin(dh) - std::cos(f.poleDec) * std::cos(dh) * std::cos(f.poleRa - ah));
    Kp = SubPointAngle(f.poleRa, f.poleDec, ah, dh, Ds);
  }
  r->sunDeclination = Ds;
  r->sunLongitude = body == kBodySun ? 0 : SeasonAngle(body, jd, eps, f.poleRa, f.poleDec, Ds, Kp);

  // Longitudes grow against the rotation: W - K for a prograde sense.
  auto Longitude = [](double angle, double W, int sense) { return Reduce(sense < 0 ? angle - W : W - angle); };
  r->centralMeridian1 = Longitude(K, f.W1, m.sense);
  r->subSolarLongitude1 = Longitude(Kp, f.W1, m.sense);
  r->centralMeridian2 = m.sense2 == 0 ? 0 : Longitude(K, f.W2, m.sense2);
  r->subSolarLongitude2 = m.sense2 == 0 ? 0 : Longitude(Kp, f.W2, m.sense2);
}

}  // namespace

const char* CompassWord(double angle) {
  static const char* const kWords[8] = {"S", "SW", "W", "NW", "N", "NO", "O", "SO"};
  for (int k = 7; k >= 1; --k)
    if (angle >= (2 * k - 1) * kPi / 8 && angle < (2 * k + 1) * kPi / 8) return kWords[k];
  return kWords[0];
}

int ComputeBodyRiseSet(JulianDay* result, BodyCode body, int event, double siteLatitude, double siteLongitude,
                       JulianDay jd, double zone) {
  return RiseSetSearch(result, body, event, siteLatitude, siteLongitude, jd, zone, nullptr);
}

void ComputeEphemeris(EphemerisRecord* out, BodyCode body, double siteLongitude, double siteLatitude, JulianDay jd,
                      double zone, int level) {
  const int lastStep = level == 1 ? 3 : level == 3 ? 6 : level == 2 ? 9 : level == 4 ? 13 : 17;

  const SunPlace sun = SunAt(jd);
  const double eps = MeanObliquity(jd);
  BodyPlace(out, body, jd, sun);
  EclipticToEquatorial(&out->ra, &out->dec, out->eclLongitude, out->eclLatitude, eps);
  if (lastStep == 3) return;

  const double H = HourAngle(out->ra, siteLongitude, jd);
  EquatorialToHorizontal(&out->altitude, &out->azimuth, out->dec, H, siteLatitude);
  Topocentric(out, siteLatitude, H);
  out->parallacticAngle =
      std::fabs(out->altitude) == kPi / 2 || std::fabs(siteLatitude) == kPi / 2 || H == 0
          ? 0
          : std::atan2(std::sin(H), std::tan(siteLatitude) * std::cos(out->dec) - std::sin(out->dec) * std::cos(H));

  if (level != 5) {
    EphemerisEvent* events[3] = {&out->rise, &out->set, &out->transit};
    for (int e = 0; e < 3; ++e)
      events[e]->status =
          RiseSetSearch(&events[e]->time, body, e, siteLatitude, siteLongitude, jd, zone, out);
  }
  if (lastStep == 6) return;

  out->skyCell = SkyZoneIndex(&out->skyX, &out->skyY, out->ra, out->dec);
  SunAndPhase(out, body, sun, eps);
  MoonDistance(out, body, jd, eps);
  if (lastStep == 9) return;

  // Bodies without a rotation model (9 and 10 among them) end with the
  // magnitude, which has no body term for them.
  const RotationModel* model = RotationOf(body);
  DiskFrame frame{};
  if (model) frame = DiskAxis(out, *model, body, jd, eps);
  out->magnitude = Magnitude(out, model, body);
  if (lastStep == 13 || !model) return;
  DiskLongitudes(out, *model, frame, body, jd, eps);
}
