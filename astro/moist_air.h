// Moist air at the telescope: saturation vapour pressure, humidity, dew
// point and psychrometer, and the dew-point table "feuchtetab.dat" of the
// 8-bit temperature sensor. Temperatures in degrees Celsius, pressures in
// Pa, relative humidity as a fraction 0..1; kMoistAirOutOfRange marks input
// outside the formulas' range.
#pragma once

constexpr double kMoistAirOutOfRange = -1004.0;

// E(t) over ice below 0 and over water from 0; -20..100 degrees.
double SaturationVapourPressure(double t);
// E(t) rh; an rh above 1 is a percentage.
double VapourPressureFromHumidity(double t, double rh);
// rh = e / E(t), capped at 1. Status 0; 1 when exactly saturated; when
// capped 4 over ice (t < 0) or 2 over water; -1004 for t outside -20..100
// (rh not written).
int RelativeFromAbsoluteHumidity(double* rh, double t, double e);
// Dew point (frost point below 611 Pa) of vapour pressure e, 103..101300 Pa.
double DewPoint(double e);
double DewPointFromRelativeHumidity(double t, double rh);
// Relative humidity from a dry and a wet bulb at pressure p, at most 1.
double PsychrometerHumidity(double p, double tDry, double tWet);
// 0.6222 e / (1013 rho) with e in hPa and rho = (0.348 1013 - 0.132 e) / (t + 273.15).
double SaturationHumidityPerDensity(double t);
// c[0] + c[1] x + ... + c[n] x^n.
double PsychroHelper(double x, int n, const double* c);

// Writes "feuchtetab.dat" into the current directory: for sensor values
// 28..255 one line of eight "&H%04lx " words, each the dew points (half
// degrees + 50) at two humidities. 1 when written, 0 when it cannot be
// created (an existing table then stays as it was).
int WriteHumidityTable();
