#include "astro/ephemeris/vsop87.h"

#include <cmath>

#include "astro/ephemeris/series/series_terms.h"

namespace {

// Sum over the powers of tau in Horner form.
double Coordinate(int planet, int coordinate, double tau) {
  double s = 0;
  for (int k = 5; k >= 0; --k) {
    const VsopSeries* series = VsopSeriesOf(planet, coordinate, k);
    if (series) s = s * tau + VsopSeriesSum(tau, series);
  }
  return s;
}

void Heliocentric(int planet, JulianDay jd, double* L, double* B, double* R) {
  const double tau = (jd - 2451545.0) / 365250;
  *L = Coordinate(planet, 0, tau);
  *B = Coordinate(planet, 1, tau);
  *R = Coordinate(planet, 2, tau);
}

}  // namespace

const VsopSeries* VsopSeriesOf(int planet, int coordinate, int power) {
  if (planet < 0 || planet > 7 || coordinate < 0 || coordinate > 2 || power < 0 || power > 5) return nullptr;
  const int start = kVsopSeriesStart[planet][coordinate][power];
  return start < 0 ? nullptr : kVsopTerms + start;
}

double VsopSeriesSum(double tau, const VsopSeries* series) {
  const int n = int(series[0]);
  double s = 0;
  for (int i = 0; i < n; ++i) {
    const double* t = series + 1 + 3 * i;
    s += t[0] * std::cos(t[1] + t[2] * tau);
  }
  return s * 1e-8;
}

void MercuryHeliocentric(JulianDay jd, double* L, double* B, double* R) { Heliocentric(0, jd, L, B, R); }
void VenusHeliocentric(JulianDay jd, double* L, double* B, double* R) { Heliocentric(1, jd, L, B, R); }
void EarthHeliocentric(JulianDay jd, double* L, double* B, double* R) { Heliocentric(2, jd, L, B, R); }
void MarsHeliocentric(JulianDay jd, double* L, double* B, double* R) { Heliocentric(3, jd, L, B, R); }
void JupiterHeliocentric(JulianDay jd, double* L, double* B, double* R) { Heliocentric(4, jd, L, B, R); }
void SaturnHeliocentric(JulianDay jd, double* L, double* B, double* R) { Heliocentric(5, jd, L, B, R); }
void UranusHeliocentric(JulianDay jd, double* L, double* B, double* R) { Heliocentric(6, jd, L, B, R); }
void NeptuneHeliocentric(JulianDay jd, double* L, double* B, double* R) { Heliocentric(7, jd, L, B, R); }

void EarthHeliocentricNegated(JulianDay jd, double* L, double* B, double* R) {
  Heliocentric(2, jd, L, B, R);
  *L = -*L;
  *B = -*B;
}
