// Reference tables for the precession and horizon tests, from Debian's
// liberfa (IAU SOFA's routines): eraPrec76 and eraHd2ae.
//
//   erfa_tables write DIR    writes precession.csv and horizontal.csv into DIR
//   erfa_tables check DIR    recomputes the outputs from the stored inputs
//
// The tables are committed under tests/astro/data for both builds; the
// native build runs `check` to keep them true to the oracle.
#include <erfa.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kRad = kPi / 180;

// alpha0, delta0 precessed from jdEpoch to jdTarget with the IAU 1976 angles.
void Precess(double jdEpoch, double jdTarget, double a0, double d0, double* a, double* d) {
  double zeta, z, theta, r[3][3], p[3], q[3];
  eraPrec76(jdEpoch, 0, jdTarget, 0, &zeta, &z, &theta);
  eraIr(r);
  eraRz(-zeta, r);
  eraRy(theta, r);
  eraRz(-z, r);
  eraS2c(a0, d0, p);
  eraRxp(r, p, q);
  eraC2s(q, a, d);
  *a = eraAnp(*a);
}

using Row = std::vector<double>;

std::vector<Row> PrecessionRows() {
  const double epochs[] = {2415020.5, 2433282.4235, 2451545.0, 2469807.5};
  const double targets[] = {2415020.5, 2433282.4235, 2451545.0, 2460676.5, 2488069.5, 2524593.5};
  const double places[][2] = {{0, 0},     {180, 0},  {0, 45},   {90, -30},   {201.3, 60.5}, {350, -75},
                              {45, 89.5}, {270, -89.5}, {123.4, 23.4}, {300, 5}};
  std::vector<Row> rows;
  for (double e : epochs)
    for (double t : targets)
      for (const auto& p : places) {
        double a, d;
        Precess(e, t, p[0] * kRad, p[1] * kRad, &a, &d);
        rows.push_back({e, t, p[0] * kRad, p[1] * kRad, a, d});
      }
  return rows;
}

std::vector<Row> HorizontalRows() {
  std::vector<Row> rows;
  for (int h = -180; h < 180; h += 30)
    for (int d = -80; d <= 80; d += 20)
      for (double phi : {-60.0, -20.0, 0.0, 35.0, 50.8, 78.0}) {
        double az, el;
        // Off the round numbers, so no point lies exactly in the zenith.
        const double H = (h + 0.37) * kRad, D = (d + 0.21) * kRad, P = phi * kRad;
        eraHd2ae(H, D, P, &az, &el);
        rows.push_back({H, D, P, az, el});
      }
  return rows;
}

struct Table {
  const char* name;
  const char* header;
  int inputs;   // leading columns that are inputs
  std::vector<Row> (*make)();
  void (*recompute)(Row&);
};

void RecomputePrecession(Row& r) { Precess(r[0], r[1], r[2], r[3], &r[4], &r[5]); }
void RecomputeHorizontal(Row& r) { eraHd2ae(r[0], r[1], r[2], &r[3], &r[4]); }

const Table kTables[] = {
    {"precession.csv", "jd_epoch,jd_target,alpha0,delta0,alpha,delta", 4, PrecessionRows, RecomputePrecession},
    {"horizontal.csv", "hour_angle,delta,phi,azimuth,altitude", 3, HorizontalRows, RecomputeHorizontal},
};

std::vector<Row> ReadRows(const std::string& path, std::string* header) {
  std::ifstream f(path);
  std::vector<Row> rows;
  std::string line;
  if (!std::getline(f, *header)) return rows;
  while (std::getline(f, line)) {
    Row r;
    std::stringstream s(line);
    std::string cell;
    while (std::getline(s, cell, ',')) r.push_back(std::stod(cell));
    rows.push_back(r);
  }
  return rows;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3 || (std::strcmp(argv[1], "write") != 0 && std::strcmp(argv[1], "check") != 0)) {
    std::fprintf(stderr, "usage: erfa_tables write|check DIR\n");
    return 2;
  }
  const bool write = std::strcmp(argv[1], "write") == 0;
  int failed = 0;
  for (const Table& t : kTables) {
    const std::string path = std::string(argv[2]) + "/" + t.name;
    if (write) {
      std::FILE* f = std::fopen(path.c_str(), "w");
      if (!f) return 1;
      std::fprintf(f, "%s\n", t.header);
      for (const Row& r : t.make()) {
        for (size_t i = 0; i < r.size(); ++i) std::fprintf(f, i ? ",%.17g" : "%.17g", r[i]);
        std::fprintf(f, "\n");
      }
      std::fclose(f);
      continue;
    }
    std::string header;
    std::vector<Row> rows = ReadRows(path, &header);
    bool ok = header == t.header && !rows.empty();
    for (Row& stored : rows) {
      Row fresh = stored;
      t.recompute(fresh);
      for (size_t i = t.inputs; ok && i < fresh.size(); ++i)
        if (std::fabs(fresh[i] - stored[i]) > 1e-12) {
          std::printf("%s: row of %.17g, %.17g: %.17g, oracle %.17g\n", t.name, stored[0], stored[1], stored[i],
                      fresh[i]);
          ok = false;
        }
    }
    if (!ok) ++failed;
  }
  if (!write) std::printf("%d passed, %d failed\n", int(sizeof kTables / sizeof kTables[0]) - failed, failed);
  return failed ? 1 : 0;
}
