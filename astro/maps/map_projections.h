// Map projections of planetary surfaces and of the sky.
//
// Fixed-point family: angles in hundredths of a degree, integer map
// coordinates, table trigonometry of projection_tables.h (load the tables
// first). Every projection takes (x out, y out, longitude, pole latitude or
// cone value, centre longitude, latitude); a point it does not show gets
// kHiddenPoint in both outputs.
//
// Double-precision family: the same projections in radians with the
// library's functions and without the fixed-point scales, so a fixed map
// unit is 1/5729.58 of the double one (hundredths of a degree), 1/10000 for
// the stereographic, equal-area and Hammer maps and 1/5000 for the gnomonic
// one (Mercator's y: 1/5730).
#pragma once

constexpr int kHiddenPoint = -32767;

// --- fixed point ---

// Point (longitude, latitude) of a globe of radii radiusX, radiusY turned by
// rotation, seen from centre latitude -centreLatitude. 1 on the visible
// hemisphere, else 0; the outputs are written in both cases.
int OrthographicDiskPoint(int* x, int* y, int longitude, int latitude, int radiusX, int radiusY, int rotation,
                          int centreLatitude);
// The point in a system whose pole lies at poleLatitude on the central meridian.
void RotateToPole(int* latitudeOut, int* longitudeOut, int latitude, int longitudeDifference, int poleLatitude);

void GnomonicFixed(int* x, int* y, int longitude, int poleLatitude, int centreLongitude, int latitude);
void StereographicFixed(int* x, int* y, int longitude, int poleLatitude, int centreLongitude, int latitude);
void AzimuthalEqualAreaFixed(int* x, int* y, int longitude, int poleLatitude, int centreLongitude, int latitude);
void AzimuthalEquidistantFixed(int* x, int* y, int longitude, int poleLatitude, int centreLongitude, int latitude);
// cone: the cone constant in 1/10000; 0 or less maps around the south pole.
void SimpleConicFixed(int* x, int* y, int longitude, int cone, int centreLongitude, int latitude);
void MercatorFixed(int* x, int* y, int longitude, int unused, int centreLongitude, int latitude);
void SinusoidalFixed(int* x, int* y, int longitude, int unused, int centreLongitude, int latitude);
void AitoffFixed(int* x, int* y, int longitude, int unused, int centreLongitude, int latitude);
void HammerFixed(int* x, int* y, int longitude, int unused, int centreLongitude, int latitude);
// pole >= 0: the heart's tip at the north pole, else at the south pole.
void WernerFixed(int* x, int* y, int longitude, int pole, int centreLongitude, int latitude);

// --- double precision ---

// Each returns 1; hidden points get kHiddenPoint.
int GnomonicFloat(double* x, double* y, double longitude, double poleLatitude, double centreLongitude, double latitude);
int StereographicFloat(double* x, double* y, double longitude, double poleLatitude, double centreLongitude,
                       double latitude);
int AzimuthalEqualAreaFloat(double* x, double* y, double longitude, double poleLatitude, double centreLongitude,
                            double latitude);
int AzimuthalEquidistantFloat(double* x, double* y, double longitude, double poleLatitude, double centreLongitude,
                              double latitude);
// cone: the cone constant (not scaled).
int SimpleConicFloat(double* x, double* y, double longitude, double cone, double centreLongitude, double latitude);
int MercatorFloat(double* x, double* y, double longitude, double unused, double centreLongitude, double latitude);
int SinusoidalFloat(double* x, double* y, double longitude, double unused, double centreLongitude, double latitude);
int AitoffFloat(double* x, double* y, double longitude, double unused, double centreLongitude, double latitude);
int HammerFloat(double* x, double* y, double longitude, double unused, double centreLongitude, double latitude);
int WernerFloat(double* x, double* y, double longitude, double pole, double centreLongitude, double latitude);

// Altitude of (longitude, latitude) above the horizon of a globe seen from
// straight above (centreLongitude, centreLatitude), -pi/2..pi/2.
double GlobeAltitude(double longitude, double latitude, double centreLongitude, double centreLatitude);

// A point (x, y) of a planet's disk centred at (x0, y0), y growing down:
// equatorial radius R, flattening f, the Earth at planetocentric latitude B,
// the axis at position angle P, central meridian L0. Writes the
// planetocentric longitude (0..2pi) and latitude and the distance rho from
// the centre; 0 outside the disk.
int DiskToPlanet(double* longitude, double* latitude, double* rho, double x, double y, double x0, double y0, double R,
                 double f, double B, double P, double L0);
// The inverse for planetocentric longitude and latitude: 1 when the point
// lies on the visible side (the outputs are written in both cases).
int PlanetToDisk(double* x, double* y, double longitude, double latitude, double x0, double y0, double R, double f,
                 double B, double P, double L0);
