// Heliocentric ecliptic positions of Mercury to Neptune from the truncated
// VSOP87D series (mean ecliptic and equinox of the date). L and B in
// radians (L not reduced), R in AU; jd is taken as it comes.
#pragma once

#include "astro/astro_types.h"

// A series as stored: its term count N, then N triples (A, B, C).
using VsopSeries = double;

// 1e-8 * sum of A cos(B + C tau); 0 when N <= 0.
double VsopSeriesSum(double tau, const VsopSeries* series);

void MercuryHeliocentric(JulianDay jd, double* L, double* B, double* R);
void VenusHeliocentric(JulianDay jd, double* L, double* B, double* R);
void EarthHeliocentric(JulianDay jd, double* L, double* B, double* R);
void MarsHeliocentric(JulianDay jd, double* L, double* B, double* R);
void JupiterHeliocentric(JulianDay jd, double* L, double* B, double* R);
void SaturnHeliocentric(JulianDay jd, double* L, double* B, double* R);
void UranusHeliocentric(JulianDay jd, double* L, double* B, double* R);
void NeptuneHeliocentric(JulianDay jd, double* L, double* B, double* R);
// As EarthHeliocentric with L and B negated (R unchanged).
void EarthHeliocentricNegated(JulianDay jd, double* L, double* B, double* R);

// Series k (power of tau) of a coordinate (0 L, 1 B, 2 R) of a planet
// (0 Mercury .. 7 Neptune); null past the last power.
const VsopSeries* VsopSeriesOf(int planet, int coordinate, int power);
