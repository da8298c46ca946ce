// The outline of a planet as seen from the Earth, drawn into a device
// context: rings, night side, disk, lit part, parallels, meridians, limb.
#pragma once

#include <windows.h>

// radius: the disk's equatorial radius in pixels; tilt: the planetocentric
// latitude of the Earth; centralMeridian, rotation (position angle of the
// axis), subSolarLatitude and subSolarLongitude in radians; polarRadius and
// equatorialRadius in any one unit, rings (pairs of edge radii in that unit,
// ended by 0.0) or null. Lettering (longitudes at every 45 degrees) only
// from a radius of 100 pixels. The device context's objects are selected
// back; the result is that of the last object deletion.
BOOL DrawMapGrid(HDC dc, int centreX, int centreY, int radius, int lettering, double tilt, double centralMeridian,
                 double rotation, double subSolarLatitude, double subSolarLongitude, double polarRadius,
                 double equatorialRadius, const double* rings);
