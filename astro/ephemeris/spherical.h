// Spherical astronomy: obliquity, Kepler's equation, positions from orbital
// elements, precession, hour angle, coordinate conversions and the cells of
// the sky chart. Radians and AU throughout; site longitudes count positive to
// the west.
#pragma once

#include "astro/astro_types.h"

// Mean obliquity of the ecliptic, T counted from 1900 January 0.5.
double MeanObliquity(JulianDay jd);

// Eccentric anomaly E with E - e sin E = M, for 0 <= e < 1 and any M (E keeps
// M's whole turns). Newton's method from +-pi, at most 100 steps.
double SolveKeplerElliptic(double e, double M);
// Hyperbolic anomaly H with e sinh H - H = M, for e > 1.
double SolveKeplerHyperbolic(double e, double M);

// Heliocentric (l, b, r, z) and geocentric (lambda, beta, Delta) place of a
// body on an elliptic, parabolic or hyperbolic orbit; sun is the Sun's
// geocentric rectangular vector. For e >= 1 elements.meanLongitude holds the
// JulianDay of perihelion and elements.perihelionDistance q.
void MinorBodyPosition(EphemerisRecord* out, JulianDay jd, Vector3 sun, OrbitalElements elements);

// Rigorous precession of (alpha0, delta0) from jdEpoch to jdTarget; alpha is
// not reduced to 0..2pi.
void PrecessEquatorial(double* alpha, double* delta, double alpha0, double delta0, JulianDay jdTarget,
                       JulianDay jdEpoch);

// Hour angle at a site (longitude positive west), not reduced.
double HourAngle(double alpha, double siteLongitude, JulianDay jd);

// Altitude and azimuth (from north through east) of declination delta at hour
// angle H for latitude phi.
void EquatorialToHorizontal(double* altitude, double* azimuth, double delta, double H, double phi);

// alpha in 0..2pi and delta from ecliptic lambda, beta with obliquity eps.
void EclipticToEquatorial(double* alpha, double* delta, double lambda, double beta, double eps);

// Turns an orbital-plane vector by inclination i, node Omega and argument omega.
Vector3 RotateVector3(double x, double y, double z, double i, double Omega, double omega);

// Cell number (1..428) of the sky chart and the point's chart coordinates x, y
// relative to the cell centre.
int SkyZoneIndex(int* x, int* y, double alpha, double delta);

Vector3 SphericalToCartesian(double lambda, double beta, double r);
// (lambda, beta, r): lambda in -pi/2..3pi/2 as atan gives it; the origin gives (pi/2, 0, 0).
Vector3 CartesianToSpherical(double x, double y, double z);
