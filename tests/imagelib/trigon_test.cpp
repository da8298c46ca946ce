#include "imagelib/trigon.h"
#include "tests/scratch_name.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr double kPi = 3.14159265358979323846;

class TrigTables : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = ScratchName(std::string("tyv_trigon_") + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    path_ = (dir_ / "trigon.tab").string();
  }
  void TearDown() override {
    FreeTrigTables();
    fs::remove_all(dir_);
  }
  std::vector<double> Snapshot() const {
    std::vector<double> v(SineTable, SineTable + kTrigAngles);
    v.insert(v.end(), AtanTable, AtanTable + kAtanEntries);
    return v;
  }
  fs::path dir_;
  std::string path_;
};

TEST_F(TrigTables, FirstLoadWritesTheFileAndSecondReadsItBack) {
  ASSERT_EQ(1, LoadTrigTables(path_.c_str()));
  EXPECT_EQ(294920u, fs::file_size(path_));
  const auto first = Snapshot();
  // The file holds exactly the tables, in index order.
  std::ifstream f(path_, std::ios::binary);
  std::vector<double> file(first.size());
  f.read(reinterpret_cast<char*>(file.data()), file.size() * sizeof(double));
  EXPECT_EQ(first, file);

  // Poison the file's content: a file of the right size is trusted as it is.
  {
    std::fstream g(path_, std::ios::in | std::ios::out | std::ios::binary);
    double v = 42.0;
    g.write(reinterpret_cast<const char*>(&v), sizeof v);
  }
  ASSERT_EQ(1, LoadTrigTables(path_.c_str()));
  EXPECT_EQ(42.0, SineTable[0]);
}

TEST_F(TrigTables, FileOfWrongSizeIsRecomputedAndRewritten) {
  {
    std::ofstream f(path_, std::ios::binary);
    f << "short";
  }
  ASSERT_EQ(1, LoadTrigTables(path_.c_str()));
  EXPECT_EQ(294920u, fs::file_size(path_));
  EXPECT_DOUBLE_EQ(1.0, SineTable[8192]);
  EXPECT_NEAR(4096.0, AtanTable[4096], 1e-9);
}

TEST_F(TrigTables, UnwritableDirectoryFails) {
  const std::string bad = (dir_ / "missing" / "trigon.tab").string();
  EXPECT_EQ(0, LoadTrigTables(bad.c_str()));
}

#ifdef __linux__
// A device that takes the file but fails every write, like a full disk.
TEST_F(TrigTables, AWriteThatFailsHalfWayStillGivesTheComputedTables) {
  if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  ASSERT_EQ(1, LoadTrigTables("/dev/full"));
  EXPECT_EQ(1.0, SineTable[8192]);
  EXPECT_NEAR(4096.0, AtanTable[4096], 1e-9);
}
#endif

TEST_F(TrigTables, Lookups) {
  ASSERT_EQ(1, LoadTrigTables(path_.c_str()));
  EXPECT_EQ(1.0, TableCos(0));
  EXPECT_EQ(SineTable[16384], TableCos(8192));
  EXPECT_NEAR(0.0, TableCos(8192), 1e-15);
  EXPECT_EQ(0.0, TableCos(24576));
  EXPECT_EQ(SineTable[8191], TableCos(32767));
  EXPECT_EQ(1.0, SineTable[8192]);
  // Any angle is taken modulo a full turn.
  EXPECT_EQ(TableSin(100), TableSin(100 + 32768));
  EXPECT_EQ(TableSin(32767), TableSin(-1));
  EXPECT_EQ(TableCos(5), TableCos(5 - 3 * 32768));
  // The quarter turn added for the cosine must not overflow at the ends of int.
  EXPECT_EQ(TableCos(32767), TableCos(INT_MAX));
  EXPECT_EQ(TableCos(0), TableCos(INT_MIN));
  for (int a = 0; a < kTrigAngles; a += 97) EXPECT_NEAR(std::sin(a * 2 * kPi / 32768), TableSin(a), 1e-15);
}

TEST_F(TrigTables, Atan2Octants) {
  ASSERT_EQ(1, LoadTrigTables(path_.c_str()));
  struct Case {
    double a, b, angle;
  } cases[] = {
      {0, 0, 0},      {1, 0, 0},          {-1, 0, 16384},  {0, 1, 8192},   {0, -1, 24576},
      {1, 1, 4096},   {-1, 1, 12288},     {-1, -1, 20480}, {1, -1, 28672}, {5, 5, 4096},
      {1e-9, -1, 24576},  // A < B: T(A/B) + 24576 with a ratio rounding to index 0
      {1, -1e-9, 0},       // 32768 - T(0) is exactly 32768 and wraps to 0
  };
  for (const auto& c : cases) EXPECT_NEAR(c.angle, TableAtan2(c.a, c.b), 1e-9) << c.a << "," << c.b;

  // What is no point at all still gives an angle inside one turn.
  const double nan = std::nan(""), inf = HUGE_VAL;
  for (const auto& p : {std::make_pair(nan, 1.0), std::make_pair(1.0, nan), std::make_pair(-1.0, nan),
                        std::make_pair(nan, nan), std::make_pair(inf, inf), std::make_pair(-inf, inf)}) {
    const double got = TableAtan2(p.first, p.second);
    EXPECT_GE(got, 0) << p.first << "," << p.second;
    EXPECT_LT(got, 32768) << p.first << "," << p.second;
  }

  // Against the library arctangent: within the table's resolution everywhere.
  std::mt19937 rng(7);
  std::uniform_real_distribution<double> d(-100, 100);
  for (int i = 0; i < 2000; ++i) {
    const double a = d(rng), b = d(rng);
    double want = std::atan2(b, a) * 32768 / (2 * kPi);
    if (want < 0) want += 32768;
    double got = TableAtan2(a, b);
    EXPECT_GE(got, 0);
    EXPECT_LT(got, 32768);
    double diff = std::fabs(got - want);
    diff = std::min(diff, 32768 - diff);
    EXPECT_LT(diff, 1.0) << a << "," << b;
  }
}

}  // namespace
