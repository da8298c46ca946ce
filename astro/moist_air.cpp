#include "astro/moist_air.h"

#include <cmath>
#include <cstdio>

#include "astro/file_replace.h"
#include "imagelib/fitting.h"

namespace {

const double kIce[5] = {6.41464619204253, 0.0824673559095, -0.00035941599231, -0.00000579026741, -0.0000002116361};
const double kWater[5] = {6.41459606213278, 0.07263955056852, -0.00029663226822, 0.00000102707196,
                          -0.00000000213681};
const double kFrostPoint[5] = {0.00518646910945, 12.1187071298876, 0.60193255308817, 0.1207524690328,
                               0.03509237559141};
const double kDewPoint[5] = {0.01496220198488, 13.71764762846622, 0.8393427772506, 0.02058549522188,
                             0.00762078230791};

bool TemperatureInRange(double t) { return t >= -20 && t <= 100; }

// Sensor values at -20..+50 degrees in steps of one degree.
const double kSensorCalibration[71] = {
    316.359901, 308.675192, 301.0197,   293.406155, 285.844717, 278.247533, 270.807945, 263.448412, 256.174288,
    248.998455, 241.724033, 234.630431, 227.653628, 220.80118,  214.081678, 207.383872, 200.950793, 194.660407,
    188.511866, 182.509621, 176.379519, 170.584355, 164.93782,  159.446259, 154.110396, 149.15263,  144.143529,
    139.283221, 134.565936, 129.994426, 125.534398, 121.190167, 116.981825, 112.913827, 108.984625, 105.231446,
    101.595524, 98.083723,  94.691011,  91.417601,  88.075042,  84.999981,  82.029153,  79.167061,  76.405387,
    73.818846,  71.231381,  68.735328,  66.327174,  64.016472,  61.812939,  59.699214,  57.664038,  55.628679,
    53.816676,  51.882004,  50.123556,  48.424304,  46.792661,  45.222796,  43.62912,   42.16406,   40.756719,
    39.400727,  38.089539,  36.749663,  35.537307,  34.36441,   33.239041,  32.146728,  31.03485,
};

}  // namespace

double PsychroHelper(double x, int n, const double* c) {
  double s = 0;
  for (int k = n; k >= 0; --k) s = s * x + c[k];
  return s;
}

double SaturationVapourPressure(double t) {
  if (!TemperatureInRange(t)) return kMoistAirOutOfRange;
  return std::exp(PsychroHelper(t, 4, t < 0 ? kIce : kWater));
}

double VapourPressureFromHumidity(double t, double rh) {
  if (rh > 1) rh *= 0.01;
  if (!TemperatureInRange(t) || rh < 0 || rh > 1) return kMoistAirOutOfRange;
  return SaturationVapourPressure(t) * rh;
}

int RelativeFromAbsoluteHumidity(double* rh, double t, double e) {
  if (!TemperatureInRange(t)) return int(kMoistAirOutOfRange);
  const double r = e / SaturationVapourPressure(t);
  if (r > 1) {
    *rh = 1;
    return t < 0 ? 4 : 2;
  }
  *rh = r;
  return r == 1 ? 1 : 0;
}

double DewPoint(double e) {
  if (e < 103 || e > 101300) return kMoistAirOutOfRange;
  const double x = std::log(e / 611);
  return PsychroHelper(x, 4, e < 611 ? kFrostPoint : kDewPoint);
}

double DewPointFromRelativeHumidity(double t, double rh) { return DewPoint(VapourPressureFromHumidity(t, rh)); }

double PsychrometerHumidity(double p, double tDry, double tWet) {
  const double e1 = SaturationVapourPressure(tDry), e2 = SaturationVapourPressure(tWet);
  // The enthalpy 1.004 t + x (2501.6 + 1.86 t) kJ/kg is the same at both bulbs.
  const double x2 = 0.622 * e2 / (p - e2);
  const double x1 = (1.004 * (tWet - tDry) + x2 * (2501.6 + 1.86 * tWet)) / (2501.6 + 1.86 * tDry);
  const double rh = x1 / (0.622 * e1 / (p - e1));
  return rh > 1 ? 1 : rh;
}

double SaturationHumidityPerDensity(double t) {
  const double e = SaturationVapourPressure(t) * 0.01;
  const double rho = (0.348 * 1013 - 0.132 * e) / (t + 273.15);
  return 0.6222 * e / (1013 * rho);
}

int WriteHumidityTable() {
  double temps[71], c[5];
  for (int i = 0; i < 71; ++i) temps[i] = i - 20;
  if (!FitPolynomial(4, 71, kSensorCalibration, temps, c)) return 0;
  // Under a temporary name first: a table cut short never stands as the real one.
  const char* const name = "feuchtetab.dat";
  const char* const temp = "feuchtetab.dat.tmp";
  std::FILE* f = std::fopen(temp, "w");
  if (!f) return 0;
  bool ok = true;
  for (int n = 28; n <= 255; ++n) {
    const double t = c[0] + c[1] * n + c[2] * n * n + c[3] * n * n * n + c[4] * n * n * n * n;
    for (int rh = 25; rh <= 95; rh += 10) {
      double d1 = DewPointFromRelativeHumidity(t, rh / 100.0), d2 = DewPointFromRelativeHumidity(t, (rh + 5) / 100.0);
      if (d1 < -20) d1 = -20;
      if (d2 < -20) d2 = -20;
      const long word = ((long(2 * d1 + 0.5) + 50) << 8) + (long(2 * d2 + 0.5) + 50);
      ok = std::fprintf(f, "&H%04lx ", word) > 0 && ok;
    }
    ok = std::fprintf(f, "\n") > 0 && ok;
  }
  ok = std::fclose(f) == 0 && ok;
  if (!ok) {
    std::remove(temp);
    return 0;
  }
  return ReplaceWithTemporary(temp, name);
}
