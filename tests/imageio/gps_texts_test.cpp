// What the GPS dialog shows and logs of a reading.
#include "imageio/gps/gps_texts.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string Degrees(double value, int decimals, char positive = 'W', char negative = 'E') {
  char out[48];
  FormatDegrees(out, sizeof out, value, decimals, positive, negative);
  return out;
}

TEST(GpsTexts, DegreesMinutesSecondsFromOneRoundedCount) {
  const struct {
    double value;
    int decimals;
    const char* text;
  } cases[] = {
      {-7.1, 1, "7° 06' 00.0\" E"},
      {50.8, 1, "50° 48' 00.0\" W"},
      {7.0999999, 1, "7° 06' 00.0\" W"},        // never 05' 60.0"
      {10.99999, 1, "11° 00' 00.0\" W"},        // seconds round up into the next degree
      {10.99999, 2, "10° 59' 59.96\" W"},
      {0.0, 1, "0° 00' 00.0\" W"},
      {-0.5125, 2, "0° 30' 45.00\" E"},
      {179.9999999, 2, "180° 00' 00.00\" W"},
      {1e300, 1, "1000000° 00' 00.0\" W"},      // out of all range: held, not undefined
  };
  for (const auto& c : cases) EXPECT_EQ(c.text, Degrees(c.value, c.decimals)) << c.value;
  EXPECT_EQ("33° 30' 00.0\" S", Degrees(-33.5, 1, 'N', 'S'));
}

GpsReadout Reading(int32_t samplesUsed) {
  return GpsReadout{{-7.1, 50.8, 123.44}, 7, 1, 2, 3, samplesUsed};
}

TEST(GpsTexts, ShortAverageShowsTenthsAndWholeMetres) {
  GpsReadoutTexts t;
  FormatGpsReadout(Reading(3599), &t);
  EXPECT_STREQ("1 : 02 : 03", t.time);
  EXPECT_STREQ("7° 06' 00.0\" E", t.longitude);
  EXPECT_STREQ("50° 48' 00.0\" N", t.latitude);
  EXPECT_STREQ("123 m", t.altitude);
  EXPECT_STREQ("7", t.satellites);
  EXPECT_STREQ("0d 0 : 59 : 59 ", t.integration);
  EXPECT_STREQ("1 : 02 : 03  7° 06' 00.0\" E  50° 48' 00.0\" N  123 m  7", t.logLine);
}

TEST(GpsTexts, AfterAnHourHundredthsAndTenthsOfMetres) {
  GpsReadoutTexts t;
  FormatGpsReadout(Reading(90061), &t);
  EXPECT_STREQ("7° 06' 00.00\" E", t.longitude);
  EXPECT_STREQ("50° 48' 00.00\" N", t.latitude);
  EXPECT_STREQ("123.4 m", t.altitude);
  EXPECT_STREQ("1d 1 : 01 : 01 ", t.integration);
}

}  // namespace
