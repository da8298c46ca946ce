#include "astro/moist_air.h"
#include "tests/scratch_name.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <string>

namespace fs = std::filesystem;

namespace {

// Buck's formulas (1981, 1996), independent of the program's polynomials.
double Buck(double t) {
  return t < 0 ? 611.15 * std::exp((23.036 - t / 333.7) * (t / (279.82 + t)))
               : 611.21 * std::exp((18.678 - t / 234.5) * (t / (257.14 + t)));
}

TEST(MoistAir, SaturationPressureFollowsBuck) {
  for (double t = -20; t <= 100; t += 0.25) EXPECT_NEAR(1, SaturationVapourPressure(t) / Buck(t), 0.005) << t;
  EXPECT_EQ(std::exp(6.41459606213278), SaturationVapourPressure(0));
  // Just below 0 the ice polynomial (over water it would be 610.64).
  EXPECT_NEAR(std::exp(6.41464619204253 - 0.0000824673559095), SaturationVapourPressure(-0.001), 1e-6);
  EXPECT_EQ(kMoistAirOutOfRange, SaturationVapourPressure(-20.01));
  EXPECT_EQ(kMoistAirOutOfRange, SaturationVapourPressure(100.5));
}

TEST(MoistAir, DewPointOfSaturatedAirIsItsTemperature) {
  for (double t = -19; t <= 99; t += 0.5) EXPECT_NEAR(t, DewPoint(SaturationVapourPressure(t)), 0.02) << t;
  EXPECT_EQ(0.01496220198488, DewPoint(611));
  EXPECT_EQ(kMoistAirOutOfRange, DewPoint(102.9));
  EXPECT_EQ(kMoistAirOutOfRange, DewPoint(101300.5));
  EXPECT_EQ(kMoistAirOutOfRange, DewPoint(kMoistAirOutOfRange));
  // Half saturated air at 20 degrees: its dew point lies near 9.3 degrees.
  EXPECT_NEAR(9.3, DewPointFromRelativeHumidity(20, 0.5), 0.1);
  EXPECT_EQ(kMoistAirOutOfRange, DewPointFromRelativeHumidity(150, 0.5));
}

TEST(MoistAir, HumidityAsFractionOrPercentage) {
  EXPECT_EQ(VapourPressureFromHumidity(20, 0.5), VapourPressureFromHumidity(20, 50));
  EXPECT_DOUBLE_EQ(SaturationVapourPressure(20) * 0.5, VapourPressureFromHumidity(20, 0.5));
  EXPECT_EQ(kMoistAirOutOfRange, VapourPressureFromHumidity(20, -0.1));
  EXPECT_EQ(kMoistAirOutOfRange, VapourPressureFromHumidity(20, 101));
  EXPECT_EQ(kMoistAirOutOfRange, VapourPressureFromHumidity(-25, 0.5));
}

TEST(MoistAir, RelativeHumidityAndItsStatus) {
  double rh = -5;
  EXPECT_EQ(0, RelativeFromAbsoluteHumidity(&rh, 20, SaturationVapourPressure(20) * 0.4));
  EXPECT_NEAR(0.4, rh, 1e-12);
  EXPECT_EQ(1, RelativeFromAbsoluteHumidity(&rh, 20, SaturationVapourPressure(20)));
  EXPECT_EQ(1.0, rh);
  EXPECT_EQ(2, RelativeFromAbsoluteHumidity(&rh, 20, SaturationVapourPressure(20) * 1.2));
  EXPECT_EQ(1.0, rh);
  EXPECT_EQ(4, RelativeFromAbsoluteHumidity(&rh, -5, SaturationVapourPressure(-5) * 1.2));
  rh = -5;
  EXPECT_EQ(-1004, RelativeFromAbsoluteHumidity(&rh, 120, 1000));
  EXPECT_EQ(-5.0, rh);
}

TEST(MoistAir, Psychrometer) {
  for (double t : {-10.0, 0.0, 15.0, 30.0}) EXPECT_NEAR(1.0, PsychrometerHumidity(101325, t, t), 1e-12) << t;
  // A wet bulb 5 degrees below a dry bulb of 20 at sea level: about 59 %.
  EXPECT_NEAR(0.59, PsychrometerHumidity(101325, 20, 15), 0.02);
  EXPECT_LT(PsychrometerHumidity(101325, 25, 10), PsychrometerHumidity(101325, 25, 20));
  EXPECT_EQ(1.0, PsychrometerHumidity(101325, 15, 16));   // capped
}

TEST(MoistAir, PolynomialAndDensityRatio) {
  const double c[4] = {1, -2, 0.5, 3};
  EXPECT_DOUBLE_EQ(1 - 2 * 1.5 + 0.5 * 2.25 + 3 * 3.375, PsychroHelper(1.5, 3, c));
  EXPECT_EQ(1.0, PsychroHelper(7, 0, c));
  const double e = SaturationVapourPressure(20) * 0.01;
  EXPECT_NEAR(0.6222 * e / (1013 * (0.348 * 1013 - 0.132 * e) / 293.15), SaturationHumidityPerDensity(20), 1e-15);
  EXPECT_NEAR(0.01204, SaturationHumidityPerDensity(20), 1e-4);
}

class HumidityTable : public ::testing::Test {
 protected:
  void SetUp() override {
    here_ = fs::current_path();
    expected_ = Read(here_ / "astro_data" / "feuchtetab.dat");
    dir_ = ScratchName(std::string("tyv_feuchte_") + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    fs::current_path(dir_);
  }
  void TearDown() override {
    fs::current_path(here_);
    fs::remove_all(dir_);
  }
  static std::string Read(const fs::path& p) {
    std::ifstream f(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(f), {});
  }
  // The table written, with Windows' line ends taken as plain ones.
  std::string WrittenTable() const {
    const std::string written = Read(dir_ / "feuchtetab.dat");
    std::string lf;
    for (size_t i = 0; i < written.size(); ++i)
      if (!(written[i] == '\r' && i + 1 < written.size() && written[i + 1] == '\n')) lf += written[i];
    return lf;
  }
  fs::path here_, dir_;
  std::string expected_;
};

// Byte for byte against the independent generator (oracles/humidity_table.py),
// with either line ending.
TEST_F(HumidityTable, MatchesTheIndependentTable) {
  ASSERT_EQ(228, std::count(expected_.begin(), expected_.end(), '\n'));
  ASSERT_EQ(1, WriteHumidityTable());
  EXPECT_EQ(expected_, WrittenTable());
}

TEST_F(HumidityTable, UnwritableNameFailsAndLeavesNothingBehind) {
  // A folder that is not empty stands where the table should go.
  fs::create_directories(dir_ / "feuchtetab.dat");
  std::ofstream((dir_ / "feuchtetab.dat" / "inside").string()) << "x";
  EXPECT_EQ(0, WriteHumidityTable());
  EXPECT_TRUE(fs::is_directory(dir_ / "feuchtetab.dat"));
  EXPECT_FALSE(fs::exists(dir_ / "feuchtetab.dat.tmp"));
}

TEST_F(HumidityTable, ReplacesAnOldTable) {
  std::ofstream(dir_ / "feuchtetab.dat") << "old";
  ASSERT_EQ(1, WriteHumidityTable());
  EXPECT_EQ(expected_, WrittenTable());
  EXPECT_FALSE(fs::exists(dir_ / "feuchtetab.dat.tmp"));
}

}  // namespace
