// Types shared by the astronomical routines: body codes, orbital elements,
// the per-body ephemeris record and three-component vectors. Angles are
// radians, distances astronomical units, times JulianDay (timeconv.h).
#pragma once

#include <cstdint>

#include "shell/timeconv.h"   // JulianDay

using BodyCode = int32_t;
constexpr BodyCode kBodySun = 11;
constexpr BodyCode kBodyMoon = 16;
constexpr BodyCode kBodyMercury = 30;
constexpr BodyCode kBodyVenus = 31;
constexpr BodyCode kBodyEarth = 32;   // has no elements of its own
constexpr BodyCode kBodyMars = 33;
constexpr BodyCode kBodyJupiter = 34;
constexpr BodyCode kBodySaturn = 35;
constexpr BodyCode kBodyUranus = 36;
constexpr BodyCode kBodyNeptune = 37;
constexpr BodyCode kBodyPluto = 38;

// Rectangular x, y, z, or spherical longitude, latitude and radius.
struct Vector3 {
  double x, y, z;
};

struct OrbitalElements {
  int32_t reserved;              // not read or written by the astronomy code
  double perihelionArgument;     // omega
  double ascendingNode;          // Omega
  double inclination;
  double eccentricity;
  double semiMajorAxis;          // AU
  double meanLongitude;          // L0 without its linear term; for e >= 1 the JulianDay of perihelion
  double meanMotion;             // rad per Julian century
  JulianDay elementDate;         // time is counted from here
  double spare;
  double perihelionDistance;     // q (AU), read for e >= 1
  char name[41];
};

struct EphemerisEvent {
  JulianDay time;   // -1.0 never reaches the horizon, +1.0 always above it
  int32_t status;   // ComputeBodyRiseSet
};

struct EphemerisRecord {
  double ra, dec;                  // geocentric, equinox of date
  double distance;                 // geocentric, AU
  double topoRa, topoDec;          // corrected for the observer's place
  double topoDistance;             // AU
  double lightTime;                // seconds
  double azimuth, altitude;        // azimuth from north through east
  double parallacticAngle;
  double eclLongitude, eclLatitude;                     // geocentric lambda, beta
  double helioLongitude, helioLatitude, helioRadius;    // l, b, r
  double helioZ;                                        // r sin b
  double raFromSun, decFromSun;    // alpha - alpha(Sun) in -pi..pi, delta - delta(Sun)
  double elongation;               // 0..2pi
  char brightLimbWord[12];         // compass word of the bright limb
  double moonDistance;             // angular distance from the Moon
  char moonDirectionWord[12];      // compass word of the Moon's direction
  EphemerisEvent rise, set, transit;
  int32_t skyCell, skyX, skyY;     // SkyZoneIndex
  char name[40];
  double magnitude;
  double brightLimbAngle;          // chi
  double phaseAngle;               // i
  double illuminatedFraction;      // k
  double axisAngle;                // P
  double earthDeclination;         // D_E, for Saturn the tilt of the rings
  double centralMeridian1, centralMeridian2;
  double sunDeclination;           // D_S
  double sunLongitude;             // L_s, the season angle
  double subSolarLongitude1, subSolarLongitude2;
  double polarDiameter, equatorialDiameter;   // seconds of arc
  double* rings;                   // Saturn: 8 doubles from AllocMem, owned by the caller; else null
};
