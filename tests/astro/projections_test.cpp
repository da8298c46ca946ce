#include "astro/maps/map_projections.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "astro/maps/projection_tables.h"
#include "oracle_table.h"
#include "tests/scratch_name.h"

namespace fs = std::filesystem;

namespace {

int Round(double x) { return int(std::floor(x + 0.5)); }

class ProjectionTables : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    dir_ = ScratchName(std::string("tyv_imat_") + info->test_suite_name() + "_" + info->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    path_ = (dir_ / "imat.tab").string();
  }
  void TearDown() override {
    FreeProjectionTables();
    fs::remove_all(dir_);
  }
  std::vector<int32_t> Snapshot() const {
    std::vector<int32_t> v(ProjectionSine, ProjectionSine + kProjectionAngles);
    v.insert(v.end(), ProjectionCosine, ProjectionCosine + kProjectionAngles);
    v.insert(v.end(), ProjectionAsin, ProjectionAsin + kProjectionArcEntries);
    v.insert(v.end(), ProjectionAcos, ProjectionAcos + kProjectionArcEntries);
    v.insert(v.end(), ProjectionLog, ProjectionLog + kProjectionLogEntries);
    return v;
  }
  static int32_t ReadLittleEndian(const std::string& bytes, size_t offset) {
    const auto* b = reinterpret_cast<const unsigned char*>(bytes.data() + offset);
    return int32_t(uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24);
  }
  static std::string ReadFile(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(f), {});
  }
  fs::path dir_;
  std::string path_;
};

TEST_F(ProjectionTables, EveryEntryIsTheRoundedFunction) {
  ASSERT_EQ(1, LoadProjectionTables(path_.c_str()));
  for (int a = 0; a < kProjectionAngles; ++a) {
    ASSERT_EQ(Round(10000 * std::sin(a * kPi / 18000)), ProjectionSine[a]) << a;
    ASSERT_EQ(Round(10000 * std::cos(a * kPi / 18000)), ProjectionCosine[a]) << a;
  }
  for (int v = -10000; v <= 10000; ++v) {
    ASSERT_EQ(Round(100 * std::asin(v / 10000.0) / kDeg), ProjectionAsin[v + 10000]) << v;
    ASSERT_EQ(Round(100 * std::acos(v / 10000.0) / kDeg), ProjectionAcos[v + 10000]) << v;
  }
  for (int j = 0; j <= 9000; ++j) ASSERT_EQ(Round(10000 * std::log((j + 1000) / 1000.0)), ProjectionLog[j]) << j;
  EXPECT_EQ(23026, ProjectionLog[9000]);
}

TEST_F(ProjectionTables, MissingFileIsWrittenAndReadBack) {
  ASSERT_EQ(1, LoadProjectionTables(path_.c_str()));
  ASSERT_EQ(484012u, fs::file_size(path_));
  const auto first = Snapshot();
  // Little-endian words at fixed offsets: sine, cosine, arc sine, arc cosine, logarithm.
  const std::string bytes = ReadFile(path_);
  EXPECT_EQ(0, ReadLittleEndian(bytes, 0));
  EXPECT_EQ(10000, ReadLittleEndian(bytes, 9000 * 4));
  EXPECT_EQ(10000, ReadLittleEndian(bytes, 144000));
  EXPECT_EQ(-10000, ReadLittleEndian(bytes, 144000 + 18000 * 4));
  EXPECT_EQ(-9000, ReadLittleEndian(bytes, 288000));
  EXPECT_EQ(9000, ReadLittleEndian(bytes, 288000 + 20000 * 4));
  EXPECT_EQ(18000, ReadLittleEndian(bytes, 368004));
  EXPECT_EQ(0, ReadLittleEndian(bytes, 448008));
  EXPECT_EQ(23026, ReadLittleEndian(bytes, 484008));
  EXPECT_EQ('\x10', bytes[144000]);   // 10000 = 0x2710, low byte first
  EXPECT_EQ('\x27', bytes[144001]);
  FreeProjectionTables();
  EXPECT_EQ(nullptr, ProjectionSine);

  // A file of the right size is read as it stands.
  std::string poisoned = bytes;
  poisoned[0] = 42;
  std::ofstream(path_, std::ios::binary) << poisoned;
  ASSERT_EQ(1, LoadProjectionTables(path_.c_str()));
  EXPECT_EQ(42, ProjectionSine[0]);
  auto second = Snapshot();
  second[0] = first[0];
  EXPECT_EQ(first, second);
}

TEST_F(ProjectionTables, TruncatedOrOverlongFileIsRecomputedAndRewritten) {
  ASSERT_EQ(1, LoadProjectionTables(path_.c_str()));
  const auto good = Snapshot();
  const std::string bytes = ReadFile(path_);
  FreeProjectionTables();
  for (size_t size : {size_t(0), size_t(1000), bytes.size() - 1, bytes.size() + 4}) {
    std::string broken = bytes.substr(0, std::min(size, bytes.size()));
    broken.resize(size, '\x55');
    broken.replace(0, std::min<size_t>(4, size), std::string(std::min<size_t>(4, size), '\x7f'));
    std::ofstream(path_, std::ios::binary | std::ios::trunc) << broken;
    ASSERT_EQ(1, LoadProjectionTables(path_.c_str())) << size;
    EXPECT_EQ(good, Snapshot()) << size;
    EXPECT_EQ(484012u, fs::file_size(path_)) << size;
    FreeProjectionTables();
  }
}

TEST_F(ProjectionTables, UnwritableFileKeepsTheComputedTables) {
  // A folder that is not empty where the file should go.
  fs::create_directories(path_);
  std::ofstream((fs::path(path_) / "inside").string()) << "x";
  EXPECT_EQ(0, LoadProjectionTables(path_.c_str()));
  ASSERT_NE(nullptr, ProjectionLog);
  EXPECT_EQ(10000, CosCentidegree(0));
  EXPECT_EQ(23026, LogFixed(10000));
}

TEST_F(ProjectionTables, LookUpsAndTheirEdges) {
  ASSERT_EQ(1, LoadProjectionTables(path_.c_str()));
  EXPECT_EQ(0, SinCentidegree(36000));
  EXPECT_EQ(0, SinCentidegree(0));
  EXPECT_EQ(-10000, SinCentidegree(-9000));
  EXPECT_EQ(10000, SinCentidegree(9000 + 36000 * 5));
  EXPECT_EQ(-10000, CosCentidegree(18000));
  EXPECT_EQ(-10000, CosCentidegree(-18000 - 72000));
  EXPECT_EQ(9000, AsinCentidegree(20000));
  EXPECT_EQ(-9000, AsinCentidegree(INT_MIN));
  EXPECT_EQ(18000, AcosCentidegree(-10000));
  EXPECT_EQ(0, LogFixed(1000));
  EXPECT_EQ(23026, LogFixed(10000));
  EXPECT_EQ(-23026, LogFixed(100));
  EXPECT_EQ(134217728, LogFixed(0));
  EXPECT_EQ(134217728, LogFixed(-5));
  EXPECT_EQ(6 * 23026 + ProjectionLog[1147], LogFixed(INT_MAX));   // 2147483647: six decades down to 2147
  EXPECT_EQ(INT_MAX, TanCentidegree(9000));
  EXPECT_EQ(0, TanCentidegree(0));
  EXPECT_EQ(INT_MIN, TanCentidegree(-9000));
  EXPECT_EQ(10000, TanCentidegree(4500));
  // A quarter turn outside the callers' range folds instead of dividing by zero.
  EXPECT_EQ(INT_MIN, TanCentidegree(27000));
  EXPECT_EQ(INT_MAX, TanCentidegree(-27000));
  EXPECT_EQ(0, CotCentidegree(9000));
  EXPECT_EQ(0, CotCentidegree(-9000));
  EXPECT_EQ(INT_MAX, CotCentidegree(0));
  EXPECT_EQ(INT_MAX, CotCentidegree(18000));
  EXPECT_EQ(10000, CotCentidegree(4500));
}

class Projections : public ProjectionTables {
 protected:
  void SetUp() override {
    ProjectionTables::SetUp();
    ASSERT_EQ(1, LoadProjectionTables(path_.c_str()));
  }
};

using FixedFn = void (*)(int*, int*, int, int, int, int);
using FloatFn = int (*)(double*, double*, double, double, double, double);

// Each fixed projection against its double-precision twin on a grid of
// points, poles and centres; the twin's radians become map units by scale.
TEST_F(Projections, FixedPointFollowsDoublePrecision) {
  constexpr double kCd = 18000 / kPi;   // hundredths of a degree per radian
  struct Case {
    const char* name;
    FixedFn fixed;
    FloatFn exact;
    double scaleX, scaleY;
    std::vector<int> second;   // pole latitudes or cone values (fixed units)
    double secondScale;        // fixed units per unit of the double routine
    int tolerance;             // map units
    // Share of the distance from the map's origin allowed besides: the four-digit tables lose that
    // much where the integer arithmetic divides by small numbers (the far
    // side of the azimuthal maps, the gnomonic map near its horizon,
    // Mercator's truncated tangent near the poles).
    double relative;
    bool farSideOnly;          // relative only beyond 90 degrees from the centre
    double limitDeg;           // height above the projection's horizon below which points are hidden
  };
  const Case cases[] = {
      {"gnomonic", GnomonicFixed, GnomonicFloat, 5000, 5000, {9000, 4500, 2000, -3000}, kCd, 12, 0.003, false, 10},
      {"stereographic", StereographicFixed, StereographicFloat, 1e4, 1e4, {9000, 4500, 0, -9000}, kCd, 12, 0.008, true,
       -80},
      {"equal-area", AzimuthalEqualAreaFixed, AzimuthalEqualAreaFloat, 1e4, 1e4, {9000, 4500, 0, -6000}, kCd, 12, 0.008,
       true, -80},
      {"equidistant", AzimuthalEquidistantFixed, AzimuthalEquidistantFloat, kCd, kCd, {9000, 4500, 0}, kCd, 12, 0.008,
       true, -80},
      {"conic", SimpleConicFixed, SimpleConicFloat, kCd, kCd, {5000, 8000, -5000}, 1e4, 4, 0, false, 0},
      {"Mercator", MercatorFixed, MercatorFloat, kCd, 5730, {0}, 1, 4, 0.003, false, 0},
      {"sinusoidal", SinusoidalFixed, SinusoidalFloat, kCd, kCd, {0}, 1, 4, 0, false, 0},
      {"Aitoff", AitoffFixed, AitoffFloat, kCd, kCd, {0}, 1, 4, 0, false, 0},
      {"Hammer", HammerFixed, HammerFloat, 1e4, 1e4, {0}, 1, 8, 0, false, 0},
      {"Werner", WernerFixed, WernerFloat, kCd, kCd, {1, -1}, 1, 8, 0, false, 0},
  };
  for (const Case& c : cases) {
    int compared = 0;
    for (int second : c.second)
      for (int centre : {0, 3000, -12000})
        for (int lat = -8000; lat <= 8000; lat += 1000)
          for (int lon = -17500; lon <= 18000; lon += 1500) {
            int x, y;
            double fx, fy;
            c.fixed(&x, &y, lon, second, centre, lat);
            c.exact(&fx, &fy, lon / kCd, second / c.secondScale, centre / kCd, lat / kCd);
            SCOPED_TRACE(testing::Message() << c.name << " " << second << " centre " << centre << " at " << lon
                                            << ", " << lat);
            const bool hidden = x == kHiddenPoint, hiddenExact = fx == kHiddenPoint;
            EXPECT_EQ(hidden, y == kHiddenPoint);
            const double height = GlobeAltitude((lon + centre - 18000) / kCd, lat / kCd, 0, second / kCd);
            if (hidden != hiddenExact) {
              // The families may disagree only right at the limit of what they show.
              EXPECT_NEAR(c.limitDeg, height / kDeg, 0.2);
            }
            if (hidden || hiddenExact) continue;
            ++compared;
            const double relative = !c.farSideOnly || height < 0 ? c.relative : 0;
            const double ex = fx * c.scaleX, ey = fy * c.scaleY;
            EXPECT_LE(std::hypot(ex - x, ey - y), c.tolerance + relative * std::hypot(ex, ey))
                << x << ", " << y << " for " << ex << ", " << ey;
          }
    EXPECT_GT(compared, 100) << c.name;
  }
}

TEST_F(Projections, GnomonicHidesPointsNearItsHorizon) {
  int x, y;
  GnomonicFixed(&x, &y, 0, 9000, 0, 900);   // 9 degrees above the projection's horizon
  EXPECT_EQ(kHiddenPoint, x);
  EXPECT_EQ(kHiddenPoint, y);
  GnomonicFixed(&x, &y, 0, 9000, 0, 1100);
  EXPECT_NE(kHiddenPoint, x);
  double fx, fy;
  GnomonicFloat(&fx, &fy, 0, kPi / 2, 0, 9 * kDeg);
  EXPECT_EQ(kHiddenPoint, fx);
}

// Near the north pole the tangent's tenth reaches 0, whose logarithm is a
// huge sentinel: y must still grow up to the pole, without overflow.
TEST_F(Projections, MercatorIsMonotonicUpToThePole) {
  int previous = INT_MIN;
  for (int lat = 8900; lat <= 9000; ++lat) {
    int x, y;
    MercatorFixed(&x, &y, 1000, 0, 0, lat);
    EXPECT_GE(y, previous) << lat;
    EXPECT_GT(y, 0) << lat;
    previous = y;
  }
  int x, y;
  MercatorFixed(&x, &y, 0, 0, 0, -9000);
  EXPECT_LT(y, 0);
  double fx, fy;
  MercatorFloat(&fx, &fy, 0, 0, 0, -kPi / 2);
  EXPECT_TRUE(std::isfinite(fy));
  EXPECT_LT(fy, -30);
  MercatorFloat(&fx, &fy, 0, 0, 0, kPi / 2);
  EXPECT_GT(fy, 30);
}

TEST_F(Projections, OrthographicDiskOfAnySize) {
  for (int radius : {10, 1000, 100000, 20000000}) {
    for (int lon = -9000; lon <= 9000; lon += 2250)
      for (int lat = -8000; lat <= 8000; lat += 2000) {
        int x, y;
        const int visible = OrthographicDiskPoint(&x, &y, lon, lat, radius, radius / 2, 3000, 2000);
        // Exact: (u, v) of the point seen from latitude -20 degrees, turned by 30.
        const double l = lon / 100.0 * kDeg, p = lat / 100.0 * kDeg, c = 20 * kDeg, r = 30 * kDeg;
        const double u = radius * std::sin(l) * std::cos(p);
        const double v = (radius / 2) * (std::cos(p) * std::sin(c) * std::cos(l) + std::cos(c) * std::sin(p));
        SCOPED_TRACE(testing::Message() << radius << " " << lon << " " << lat);
        EXPECT_NEAR(u * std::cos(r) - v * std::sin(r), x, 2 + radius * 4e-4);
        EXPECT_NEAR(u * std::sin(r) + v * std::cos(r), y, 2 + radius * 4e-4);
        EXPECT_EQ(std::cos(l) * std::cos(p) * std::cos(c) - std::sin(c) * std::sin(p) >= -1e-3, visible == 1);
      }
  }
}

// Turned to the pole and back, a point lands within a tenth of a degree of
// itself, within a degree near the new pole, where the arc sine of the
// four-digit argument steps coarsely (0.81 degrees from 9999 to 10000).
TEST_F(Projections, RotateToPoleIsItsOwnInverse) {
  auto separation = [](int lat1, int lon1, int lat2, int lon2) {
    const double a = lat1 / 100.0 * kDeg, b = lat2 / 100.0 * kDeg, d = (lon2 - lon1) / 100.0 * kDeg;
    const double c = std::sin(a) * std::sin(b) + std::cos(a) * std::cos(b) * std::cos(d);
    return std::acos(std::min(1.0, c)) / kDeg;
  };
  for (int pole : {-6000, 0, 2500, 8000})
    for (int lat = -8000; lat <= 8000; lat += 2000)
      for (int lon = -15000; lon <= 15000; lon += 2500) {
        int a, b, c, d;
        RotateToPole(&a, &b, lat, lon, pole);
        RotateToPole(&c, &d, a, b, pole);
        const bool nearPole = std::abs(a) > 8000;
        EXPECT_LT(separation(lat, lon, c, d), nearPole ? 1.0 : 0.1) << pole << " " << lat << " " << lon;
        // The new latitude is the height above the horizon of the pole's centre.
        EXPECT_NEAR(GlobeAltitude(lon / 100.0 * kDeg, lat / 100.0 * kDeg, 0, pole / 100.0 * kDeg) / kDeg, a / 100.0,
                    nearPole ? 0.85 : 0.03);
      }
  int a, b;
  RotateToPole(&a, &b, 3000, 0, 3000);   // the pole itself, within the arc sine's last step
  EXPECT_GE(a, 8900);
}

TEST(PlanetDisk, RoundTripOnTheVisibleSide) {
  const double R = 180, f = 0.1, B = 26 * kDeg, P = 10 * kDeg, L0 = 1.0, x0 = 250, y0 = 240;
  int points = 0;
  for (double lat = -85; lat <= 85; lat += 5)
    for (double dl = -85; dl <= 85; dl += 5) {
      double x, y, lon, phi, rho;
      if (!PlanetToDisk(&x, &y, L0 + dl * kDeg, lat * kDeg, x0, y0, R, f, B, P, L0)) continue;
      ++points;
      ASSERT_EQ(1, DiskToPlanet(&lon, &phi, &rho, x, y, x0, y0, R, f, B, P, L0)) << lat << " " << dl;
      EXPECT_NEAR(lat * kDeg, phi, 1e-9) << lat << " " << dl;
      EXPECT_NEAR(0, AngleDiff(lon, L0 + dl * kDeg), 1e-9) << lat << " " << dl;
      EXPECT_GE(lon, 0);
      EXPECT_LT(lon, 2 * kPi);
      // rho is the distance from the planet's centre.
      const double b = std::atan(std::tan(lat * kDeg) / (1 - f));
      EXPECT_NEAR(R * std::hypot(std::cos(b), (1 - f) * std::sin(b)), rho, 1e-9);
    }
  EXPECT_GT(points, 500);
  // Behind the limb and outside the disk.
  double x, y, lon, phi, rho;
  EXPECT_EQ(0, PlanetToDisk(&x, &y, L0 + kPi, 0, x0, y0, R, f, B, P, L0));
  EXPECT_EQ(0, DiskToPlanet(&lon, &phi, &rho, x0 + R + 1, y0, x0, y0, R, f, B, P, L0));
  EXPECT_EQ(0, DiskToPlanet(&lon, &phi, &rho, x0, y0 - R, x0, y0, R, f, 0, 0, L0));
}

TEST(PlanetDisk, PolesAndTheCentreHaveAFiniteLongitude) {
  const double R = 100, f = 0.1, B = 26 * kDeg, P = 10 * kDeg, L0 = 2.0;
  double x, y, lon = -1, phi, rho;
  ASSERT_EQ(1, PlanetToDisk(&x, &y, 0.3, kPi / 2, 0, 0, R, f, B, P, L0));
  ASSERT_EQ(1, DiskToPlanet(&lon, &phi, &rho, x, y, 0, 0, R, f, B, P, L0));
  EXPECT_TRUE(std::isfinite(lon));
  EXPECT_GE(lon, 0);
  EXPECT_NEAR(kPi / 2, phi, 1e-6);
  EXPECT_NEAR(R * (1 - f), rho, 1e-6);
  // Looking straight down on the pole: the disk's centre is the pole, where
  // the longitude offset would be 0 / 0.
  for (double b : {kPi / 2, -kPi / 2}) {
    ASSERT_EQ(1, DiskToPlanet(&lon, &phi, &rho, 10, 20, 10, 20, R, f, b, 0, L0));
    EXPECT_EQ(L0, lon);
    EXPECT_NEAR(b, phi, 1e-9);
  }
}

TEST(GlobeAltitude, FromTheCentreToTheAntipode) {
  EXPECT_NEAR(kPi / 2, GlobeAltitude(0.3, 0.4, 0.3, 0.4), 1e-7);
  EXPECT_NEAR(-kPi / 2, GlobeAltitude(0.3 + kPi, -0.4, 0.3, 0.4), 1e-7);
  EXPECT_NEAR(0, GlobeAltitude(0.3 + kPi / 2, 0, 0.3, 0), 1e-12);
  EXPECT_NEAR(60 * kDeg, GlobeAltitude(0, 30 * kDeg, 0, 0), 1e-12);
}

}  // namespace
