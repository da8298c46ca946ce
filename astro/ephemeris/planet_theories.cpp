#include "astro/ephemeris/planet_theories.h"

#include <cmath>
#include <cstring>

#include "astro/ephemeris/series/series_terms.h"

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kRad = 0.017453292519943295;   // pi / 180

double Poly(const double* c, int n, double t) {
  double s = 0;
  for (int k = n - 1; k >= 0; --k) s = s * t + c[k];
  return s;
}

// Coefficients of 1, T, T^2, T^3 (degrees, or plain for e).
struct ElementRow {
  BodyCode body;
  double omega[4], node[4], incl[4], ecc[4];
  double a;
  double meanLong[4];   // T^1 coefficient unused: the rate is kept apart
  double rate;          // rad per Julian century
  const char* name;
};

const ElementRow kElements[] = {
    {kBodyMercury, {28.753753, 0.3702806, 0.0001208, 0}, {47.145944, 1.1852083, 0.0001739, 0},
     {7.002881, 0.0018608, -0.0000183, 0}, {0.20561421, 0.00002046, -0.00000003, 0}, 0.3870986,
     {178.179078, 0, 0.0003011, 0}, 2608.814681470049, "Merkur"},
    {kBodyVenus, {54.384186, 0.5081861, -0.0013864, 0}, {75.779647, 0.89985, 0.00041, 0},
     {3.393631, 0.0010058, -0.000001, 0}, {0.00682069, -0.00004774, 0.000000091, 0}, 0.7233316,
     {342.767053, 0, 0.0003097, 0}, 1021.3529235017796, "Venus"},
    {kBodyMars, {285.431761, 1.0697667, 0.0001313, 0.00000414}, {48.786442, 0.7709917, -0.0000014, -0.00000533},
     {1.850333, -0.000675, 0.0000126, 0}, {0.0933129, 0.000092064, -0.000000077, 0}, 1.5236883,
     {293.737334, 0, 0.0003107, 0}, 334.0856110637152, "Mars"},
    {kBodyJupiter, {273.277558, 0.5994317, 0.00070405, 0.00000508}, {99.443414, 1.01053, 0.00035222, -0.00000851},
     {1.308736, -0.0056961, 0.0000039, 0}, {0.04833475, 0.00016418, -0.0000004676, -0.0000000017}, 5.202561,
     {238.049257, 0, 0.0003347, -0.00000165}, 52.99346674054277, "Jupiter"},
    {kBodySaturn, {338.3078, 1.0852207, 0.00097854, 0.00000992}, {112.790414, 0.8731951, -0.00015218, -0.00000531},
     {2.492519, -0.0039189, -0.00001549, 0.00000004}, {0.05589232, -0.0003455, -0.000000728, 0.00000000071},
     9.554747, {266.564377, 0, 0.000345, -0.0000058}, 21.35427590649389, "Saturn"},
    {kBodyUranus, {98.071581, 0.985765, -0.0010745, -0.00000061}, {73.477111, 0.4986678, 0.0013117, 0},
     {0.772464, 0.0006253, -0.0000395, 0}, {0.0463444, -0.00002658, 0.00000077, 0}, 19.21814,
     {244.19747, 0, 0.000316, -0.0000006}, 7.502534211998101, "Uranus"},
    {kBodyNeptune, {276.045975, 0.3256394, 0.00014095, 0.000004113}, {130.681389, 1.098935, 0.00024987, -0.000004718},
     {1.779242, -0.0095436, -0.0000091, 0}, {0.00899704, 0.00000633, -0.000000002, 0}, 30.10957,
     {84.457994, 0, 0.0003205, -0.0000006}, 3.837733178057095, "Neptun"},
    {kBodyPluto, {113.4873, 0, 0, 0}, {110.2292, 0, 0, 0}, {17.1505, 0, 0, 0}, {0.24913, 0, 0, 0}, 39.49525,
     {95.61722225, 0, 0, 0}, 2.5355827468379006, "Pluto && Charon"},
};

// Terms of the Moon's equatorial horizontal parallax, coefficients in degrees.
const LunarTerm kMoonParallaxTerms[] = {
    {0, 0, 1, 0, 0.051818},   {2, 0, -1, 0, 0.009531},  {2, 0, 0, 0, 0.007843},    {0, 0, 2, 0, 0.002824},
    {2, 0, 1, 0, 0.000857},   {2, -1, 0, 0, 0.000533},  {2, -1, -1, 0, 0.000401},  {0, -1, 1, 0, 0.00032},
    {1, 0, 0, 0, -0.000271},  {0, 1, 1, 0, -0.000264},  {0, 0, -1, 2, -0.000198},  {0, 0, 3, 0, 0.000173},
    {4, 0, -1, 0, 0.000167},  {0, 1, 0, 0, -0.000111},  {4, 0, -2, 0, 0.000103},   {-2, 0, 2, 0, -0.000084},
    {2, 1, 0, 0, -0.000083},  {2, 0, 2, 0, 0.000079},   {4, 0, 0, 0, 0.000072},    {2, -1, 1, 0, 0.000064},
    {2, 1, -1, 0, -0.000063}, {1, 1, 0, 0, 0.000041},   {0, -1, 2, 0, 0.000035},   {-2, 0, 3, 0, -0.000033},
    {1, 0, 1, 0, -0.00003},   {-2, 0, 0, 2, -0.000029}, {0, 1, 2, 0, -0.000029},   {2, -2, 0, 0, 0.000026},
    {-2, 0, 1, 2, -0.000023}, {4, -1, -1, 0, 0.000019},
};

struct MoonArguments {
  double Lp, D, M, Mp, F, A1, A2, A3;   // radians, reduced
  double E;
};

double ReducedDegreesToRad(double deg) { return std::fmod(deg, 360.0) * kRad; }

MoonArguments MoonArgs(JulianDay jd) {
  const double T = (jd - 2451545.0) / 36525, T2 = T * T, T3 = T2 * T, T4 = T3 * T;
  MoonArguments a;
  a.Lp = ReducedDegreesToRad(218.3164591 + 481267.88134236 * T - 0.0013268 * T2 + T3 / 538841 - T4 / 65194000);
  a.D = ReducedDegreesToRad(297.8502042 + 445267.1115168 * T - 0.00163 * T2 + T3 / 545868 - T4 / 113065000);
  a.M = ReducedDegreesToRad(357.5291092 + 35999.0502909 * T - 0.0001536 * T2 + T3 / 24490000);
  a.Mp = ReducedDegreesToRad(134.9634114 + 477198.8676313 * T + 0.008997 * T2 + T3 / 69699 - T4 / 14712000);
  a.F = ReducedDegreesToRad(93.2720993 + 483202.0175273 * T - 0.0034029 * T2 - T3 / 3526000 + T4 / 863310000);
  a.A1 = ReducedDegreesToRad(119.75 + 131.849 * T);
  a.A2 = ReducedDegreesToRad(53.09 + 479264.29 * T);
  a.A3 = ReducedDegreesToRad(313.45 + 481266.484 * T);
  a.E = 1 - 0.002516 * T - 0.0000074 * T2;
  return a;
}

// Sum of c * E^|m| * f(argument) over a table; f is sin or cos.
template <size_t N, typename F>
double SumTerms(const LunarTerm (&terms)[N], const MoonArguments& a, F f) {
  double s = 0;
  for (const LunarTerm& t : terms) {
    double c = t.coefficient;
    if (t.m == 1 || t.m == -1) c *= a.E;
    if (t.m == 2 || t.m == -2) c *= a.E * a.E;
    s += c * f(t.d * a.D + t.m * a.M + t.mp * a.Mp + t.f * a.F);
  }
  return s;
}

double Sin(double x) { return std::sin(x); }
double Cos(double x) { return std::cos(x); }

// Pluto: multiples of J, S, P and the amplitudes A (sine) and B (cosine) of
// longitude, latitude (1e-6 degree) and radius (1e-6 AU); 0 where the theory
// has no term.
struct PlutoTerm {
  signed char j, s, p;
  int32_t lonA, lonB, latA, latB, radA, radB;
};

// The cosine amplitude of the latitude's P row is +15024245 in the printed
// table; with that sign the latitude is off by up to 30 degrees.
const PlutoTerm kPlutoTerms[] = {
    {0, 0, 1, -19977972, 19667536, -5323113, -15024245, 6623876, 6955990},
    {0, 0, 2, 987114, -4939350, 3497557, 1735457, -1181808, -54836},
    {0, 0, 3, 577978, 1226898, -1059559, 299464, 163277, -139603},
    {0, 0, 4, -334695, -201966, 189102, -285383, -3644, 48144},
    {0, 0, 5, 130519, -29025, 14231, 101218, -6268, -8851},
    {0, 0, 6, -39851, 28968, -29164, -27461, 3111, -408},
    {0, 1, -1, 20387, -9832, 4935, 11282, -621, 2223},
    {0, 1, 0, -3986, -4954, 312, -128, 438, 450},
    {0, 1, 1, -5817, -3365, 2057, -904, -153, 61},
    {0, 1, 2, -3903, 2895, 19, -674, -3, 79},
    {0, 1, 3, -738, 3443, -307, -576, 50, 54},
    {0, 2, -2, 1234, 472, -65, 39, 0, -22},
    {0, 2, -1, 1101, -894, -97, 208, 84, -48},
    {0, 2, 0, 625, -1214, 0, -160, -30, 61},
    {1, -1, 0, 2485, -486, -177, 259, 26, -39},
    {1, -1, 1, 852, -1407, 15, 235, -19, -40},
    {1, 0, -3, -948, 1073, 578, -293, -321, 42},
    {1, 0, -2, -2309, -1024, -294, 694, 797, -792},
    {1, 0, -1, 7047, 770, 156, 201, -4, 4564},
    {1, 0, 0, 1184, -344, 294, 829, 852, 855},
    {1, 0, 1, 394, -55, -123, -31, -88, -82},
    {1, 0, 2, 199, -264, 0, 0, 21, -12},
    {1, 0, 3, -46, -156, 0, 0, -14, 6},
    {1, 0, 4, -77, -33, 0, 0, 0, 0},
    {1, 1, -3, -34, -26, 0, 0, 0, 0},
    {1, 1, -2, -43, 0, 0, 0, 0, 0},
    {1, 1, -1, -15, 21, 0, 0, 0, 0},
    {2, 0, -3, 10, 22, 0, 0, -6, 0},
    {2, 0, -2, -57, -32, 0, 0, 13, -23},
    {2, 0, -1, 158, -43, 0, 0, 25, 107},
    {2, 0, 0, 0, 0, 0, 0, 25, 16},
};

}  // namespace

int PlanetElements(OrbitalElements* out, BodyCode body, JulianDay jd) {
  out->elementDate = jd;
  for (const ElementRow& r : kElements) {
    if (r.body != body) continue;
    const double T = (jd - 2415020.0) / 36525;
    out->perihelionArgument = Poly(r.omega, 4, T) * kRad;
    out->ascendingNode = Poly(r.node, 4, T) * kRad;
    out->inclination = Poly(r.incl, 4, T) * kRad;
    out->eccentricity = Poly(r.ecc, 4, T);
    out->semiMajorAxis = r.a;
    out->meanLongitude = Poly(r.meanLong, 4, T) * kRad;
    out->meanMotion = r.rate;
    std::strncpy(out->name, r.name, sizeof out->name - 1);
    out->name[sizeof out->name - 1] = '\0';
    break;
  }
  return 1;
}

void MoonPosition(EphemerisRecord* out, JulianDay jd) {
  const MoonArguments a = MoonArgs(jd);
  double lambda = a.Lp / kRad + SumTerms(kMoonLongitudeTerms, a, Sin) * 1e-6 + 0.003958 * std::sin(a.A1) +
                  0.001962 * std::sin(a.Lp - a.F) + 0.000318 * std::sin(a.A2);
  lambda = std::fmod(lambda * kRad, 2 * kPi);
  if (lambda < 0) lambda += 2 * kPi;
  const double beta = SumTerms(kMoonLatitudeTerms, a, Sin) * 1e-6 - 0.002235 * std::sin(a.Lp) +
                      0.000382 * std::sin(a.A3) + 0.000175 * std::sin(a.A1 - a.F) + 0.000175 * std::sin(a.A1 + a.F) +
                      0.000127 * std::sin(a.Lp - a.Mp) - 0.000115 * std::sin(a.Lp + a.Mp);
  const double parallax = 0.950724 + SumTerms(kMoonParallaxTerms, a, Cos);
  out->eclLongitude = lambda;
  out->eclLatitude = beta * kRad;
  out->distance = 6378.14 / std::sin(parallax * kRad) / 149500000.0;
  std::strcpy(out->name, "Mond");
}

double MoonArgumentOfLatitude(JulianDay jd) {
  const double f = MoonArgs(jd).F;
  return f < 0 ? f + 2 * kPi : f;
}

double MoonAge(JulianDay jd) {
  const double T = (jd - 2451545.0) / 36525, T2 = T * T, T3 = T2 * T, T4 = T3 * T;
  const double k = std::floor(1236.85 * T);
  const double M = (2.5534 + 29.10535669 * k - 0.0000218 * T2 - 0.00000011 * T3) * kRad;
  const double Mp = (201.5643 + 385.81693528 * k + 0.0107438 * T2 + 0.00001239 * T3 - 0.000000058 * T4) * kRad;
  const double F = (160.7108 + 390.67050274 * k - 0.0016341 * T2 - 0.00000227 * T3 + 0.000000011 * T4) * kRad;
  const double E = 1 - 0.002516 * T - 0.0000074 * T2;
  const double mean = 2451550.09765 + 29.530588853 * k + 0.0001337 * T2 - 0.00000015 * T3 + 0.00000000073 * T4;
  const double newMoon = mean - 0.4072 * std::sin(Mp) + 0.17241 * E * std::sin(M) + 0.01608 * std::sin(2 * Mp) +
                         0.01039 * std::sin(2 * F) + 0.00739 * E * std::sin(Mp - M) - 0.00514 * E * std::sin(Mp + M) +
                         0.00208 * E * E * std::sin(2 * M) - 0.00111 * std::sin(Mp - 2 * F);
  double age = jd - newMoon;
  if (age < 0) age += 29.530588853;
  return age;
}

void PlutoSeries(EphemerisRecord* out, JulianDay jd) {
  const double T = (jd - 2415020.0) / 36525;
  const double J = (238.74 + 3034.9057 * T) * kRad;
  const double S = (267.26 + 1222.1138 * T) * kRad;
  const double P = (93.48 + 144.96 * T) * kRad;
  double sl = 0, sb = 0, sr = 0;
  for (const PlutoTerm& t : kPlutoTerms) {
    const double arg = t.j * J + t.s * S + t.p * P;
    const double s = std::sin(arg), c = std::cos(arg);
    sl += t.lonA * s + t.lonB * c;
    sb += t.latA * s + t.latB * c;
    sr += t.radA * s + t.radB * c;
  }
  double l = std::fmod((93.297471 + 144.96 * T + sl * 1e-6) * kRad, 2 * kPi);
  out->helioLongitude = l < 0 ? l + 2 * kPi : l;
  out->helioLatitude = (-3.909434 + sb * 1e-6) * kRad;
  out->helioRadius = (40724725 + sr) * 1e-6;
}
