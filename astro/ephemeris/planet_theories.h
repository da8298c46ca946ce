// Analytic theories: mean orbital elements of the planets, the Moon's
// position and age, and Pluto's heliocentric place. No state; the JulianDay
// is used as it comes, without a correction between time scales.
#pragma once

#include "astro/astro_types.h"

// Elements of body 30..38 (not 32) for jd, T counted from 1900 January 0.5;
// the element date becomes jd. Any other code changes only the element date.
// Always 1.
int PlanetElements(OrbitalElements* out, BodyCode body, JulianDay jd);

// Geocentric ecliptic longitude (0..2pi), latitude and distance (AU, at
// 149,500,000 km) of the Moon, and the name "Mond".
void MoonPosition(EphemerisRecord* out, JulianDay jd);

// The Moon's mean argument of latitude F (radians, 0..2pi) of the lunar theory.
double MoonArgumentOfLatitude(JulianDay jd);

// Days since the new moon of the lunation that jd falls in (never negative).
double MoonAge(JulianDay jd);

// Pluto's heliocentric ecliptic longitude, latitude and radius vector. The
// series keeps its own fixed equinox (about 0.7 degrees behind J2000).
void PlutoSeries(EphemerisRecord* out, JulianDay jd);
