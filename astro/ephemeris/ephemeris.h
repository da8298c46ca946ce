// The ephemeris driver: for one body and one moment, positions, horizon
// data, rise, transit and set, phase, magnitude and the physical ephemeris
// of the disk. Site longitude positive to the west; zone in minutes ahead
// of UT.
#pragma once

#include "astro/astro_types.h"

// level 1: positions; 3: up to the event search; 2: up to the Moon's
// distance; 4: up to the magnitude; 5: everything but the event search;
// anything else: everything. Body codes without a theory use the place the
// caller put into the record. For Saturn out->rings is a new AllocMem block
// the caller frees; null for every other body.
void ComputeEphemeris(EphemerisRecord* out, BodyCode body, double siteLongitude, double siteLatitude, JulianDay jd,
                      double zone, int level);

// Time of event 0 rise, 1 set, 2 transit (modulo 3) on the day of jd.
// Status 2: found on the same local day, 3: on another day, 1: the body does
// not reach the horizon (or no time was found; result -1.0), 0: it stays
// above the horizon (result +1.0).
int ComputeBodyRiseSet(JulianDay* result, BodyCode body, int event, double siteLatitude, double siteLongitude,
                       JulianDay jd, double zone);

// "S", "SW", "W", "NW", "N", "NO", "O" or "SO" for a position angle in
// radians, sectors of 45 degrees centred on south, each with its lower bound.
const char* CompassWord(double angle);
