// The receiver's sentences: cutting the byte stream into lines, the GGA
// decoder with its refusals, and the SiRF initialisation sentence.
#include "imageio/gps/nmea.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <string>
#include <vector>

#include "tests/imageio/gps_fixtures.h"

namespace {

struct GgaCase {
  const char* name;
  std::string line;
  double time, latitude, longitude, altitude;
  int quality, satellites;
};

struct Refusal {
  const char* name;
  std::string line;
};

const std::string kClassic = "GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,";

std::string Flip(std::string s) {
  s[s.size() - 1] = s[s.size() - 1] == '0' ? '1' : '0';
  return s;
}

std::string LowerHex(std::string s) {
  for (size_t i = s.size() - 2; i < s.size(); ++i) s[i] = char(std::tolower(static_cast<unsigned char>(s[i])));
  return s;
}

const std::vector<GgaCase> kValid = {
    {"classic", Checksummed(kClassic), 123519, 48 + 7.038 / 60, -(11 + 31.0 / 60), 545.4, 1, 8},
    {"other widths", Checksummed("GPGGA,123519.00,4807.0381,N,00706.0000,E,1,12,0.9,-12.5,M,46.9,M,,"),
     123519, 48 + 7.0381 / 60, -7.1, -12.5, 1, 12},
    {"south and west, three decimals",
     Checksummed("GPGGA,235959.999,3330.0000,S,17959.9999,W,2,4,1.0,0,M,,M,,"), 235959.999, -33.5,
     179 + 59.9999 / 60, 0, 2, 4},
    {"no decimals at all", Checksummed("GPGGA,000000,0000,N,00000,E,6,3,,100,M,,M,,"), 0, 0, 0, 100, 6, 3},
    {"lower-case checksum", LowerHex(Checksummed("GPGGA,120000,5048.000,N,00706.000,E,1,05,1,50,M,,M,,")),
     120000, 50.8, -7.1, 50, 1, 5},
};

const std::vector<Refusal> kRefused = {
    {"bad checksum", Flip(Checksummed(kClassic))},
    {"missing checksum", "$" + kClassic},
    {"checksum then more", Checksummed(kClassic) + "0"},
    {"truncated", Checksummed(kClassic).substr(0, 30)},
    {"no fix", Checksummed("GPGGA,123519,4807.038,N,01131.000,E,0,08,0.9,545.4,M,46.9,M,,")},
    {"thirteen fields", Checksummed("GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,")},
    {"fifteen fields", Checksummed(kClassic + ",")},
    {"no hemisphere", Checksummed("GPGGA,123519,4807.038,,01131.000,E,1,08,0.9,545.4,M,46.9,M,,")},
    {"hemisphere X", Checksummed("GPGGA,123519,4807.038,X,01131.000,E,1,08,0.9,545.4,M,46.9,M,,")},
    {"latitude 91", Checksummed("GPGGA,123519,9100.000,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,")},
    {"longitude 181", Checksummed("GPGGA,123519,4807.038,N,18100.000,E,1,08,0.9,545.4,M,46.9,M,,")},
    {"sixty minutes", Checksummed("GPGGA,123519,4860.000,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,")},
    {"hour 25", Checksummed("GPGGA,253519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,")},
    {"empty time", Checksummed("GPGGA,,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,")},
    {"letter in latitude", Checksummed("GPGGA,123519,48O7.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,")},
    {"signed latitude", Checksummed("GPGGA,123519,-4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,")},
    {"no satellites", Checksummed("GPGGA,123519,4807.038,N,01131.000,E,1,,0.9,545.4,M,46.9,M,,")},
    {"no altitude", Checksummed("GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,,M,46.9,M,,")},
    {"two points", Checksummed("GPGGA,123519,4807.0.38,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,")},
    {"other sentence", Checksummed("GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W")},
    {"other talker", Checksummed("GNGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,")},
    {"empty", ""},
    {"only a dollar", "$"},
};

TEST(GgaSentence, DecodesFieldsOfAnyWidth) {
  for (const GgaCase& c : kValid) {
    SCOPED_TRACE(c.name);
    GgaReading r;
    ASSERT_EQ(1, ParseGgaSentence(c.line.c_str(), c.line.size(), &r)) << c.line;
    EXPECT_DOUBLE_EQ(c.time, r.utcTime);
    EXPECT_NEAR(c.latitude, r.latitude, 1e-12);
    EXPECT_NEAR(c.longitude, r.longitude, 1e-12);
    EXPECT_DOUBLE_EQ(c.altitude, r.altitude);
    EXPECT_EQ(c.quality, r.quality);
    EXPECT_EQ(c.satellites, r.satellites);
  }
}

TEST(GgaSentence, RefusesAndLeavesTheOutput) {
  for (const Refusal& c : kRefused) {
    GgaReading r;
    std::memset(&r, 0x5A, sizeof r);
    const GgaReading before = r;
    EXPECT_EQ(0, ParseGgaSentence(c.line.c_str(), c.line.size(), &r)) << c.name << ": " << c.line;
    EXPECT_EQ(0, std::memcmp(&before, &r, sizeof r)) << c.name;
  }
}

TEST(GgaSentence, DegreesFromDegreesAndMinutes) {
  // 00706.0000 is 7 degrees 6 minutes: 7.1, east counted negative.
  EXPECT_DOUBLE_EQ(7.1, NmeaDegrees(706.0));
  EXPECT_DOUBLE_EQ(50.8, NmeaDegrees(5048.0));
  EXPECT_DOUBLE_EQ(179.5, NmeaDegrees(17930.0));
}

TEST(NmeaChecksum, HexOfEitherCaseAndNothingAfter) {
  const std::string s = Checksummed("GPGSA,A,3,04,05,,09,12,,,24,,,,,2.5,1.3,2.1");
  EXPECT_EQ(1, HasValidNmeaChecksum(s.c_str(), s.size()));
  EXPECT_EQ(0, HasValidNmeaChecksum((s + " ").c_str(), s.size() + 1));
  const std::string twoStars = Checksummed("GPGGA*1");
  EXPECT_EQ(0, HasValidNmeaChecksum(twoStars.c_str(), twoStars.size()));
}

// --- lines from a stream that arrives cut anywhere

std::vector<std::string> LinesOf(const std::string& stream, size_t chunk) {
  NmeaLineReader r{};
  std::vector<std::string> lines;
  char line[kNmeaMaxLine + 1];
  size_t at = 0;
  while (at < stream.size()) {
    const size_t n = std::min(chunk, std::min(stream.size() - at, NmeaReaderSpace(&r)));
    at += PushNmeaBytes(&r, stream.data() + at, n);
    while (NextNmeaLine(&r, line)) lines.push_back(line);
  }
  return lines;
}

const std::string kGga = Checksummed(kClassic);
const std::string kGsa = Checksummed("GPGSA,A,3,04,05,,09,12,,,24,,,,,2.5,1.3,2.1");
const std::string kRmc = Checksummed("GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W");

TEST(NmeaLines, SameSentencesWhateverTheReadSize) {
  std::string stream = "garbage before the first dollar\r\n";
  stream += kGga + "\r\n" + kGsa + "\r\n";
  stream += "$GPGSV,3,1,11,03,03,111,00,04,15,270,00,06,01,010,00\r\n";   // no checksum: a line all the same
  stream += kRmc.substr(0, 20);                                          // cut off by a new "$"
  stream += kGga + "\n" + kRmc + "\r" + kGsa + "\r\n";
  stream += "$GPGGA,12" + std::string(1, '\0') + "3519,4807.038\r\n";     // a NUL spoils its sentence
  stream += "$" + std::string(200, 'A') + "\r\n";                        // far too long
  stream += kGga + "\r\n";
  const std::vector<std::string> expected = {
      kGga, kGsa, "$GPGSV,3,1,11,03,03,111,00,04,15,270,00,06,01,010,00", kGga, kRmc, kGsa, kGga};
  for (size_t chunk = 1; chunk <= stream.size(); ++chunk) {
    SCOPED_TRACE(chunk);
    ASSERT_EQ(expected, LinesOf(stream, chunk));
  }
}

TEST(NmeaLines, LongestSentenceKeptOneMoreDropped) {
  const std::string longest = "$" + std::string(kNmeaMaxLine - 1, 'B');
  EXPECT_EQ(std::vector<std::string>{longest}, LinesOf(longest + "\r\n", 7));
  EXPECT_TRUE(LinesOf(longest + "B\r\n", 7).empty());
  // High bytes are no NMEA either.
  EXPECT_TRUE(LinesOf("$GPGGA,\xB0\r\n", 3).empty());
}

TEST(NmeaLines, PushTakesOnlyWhatFits) {
  NmeaLineReader r{};
  const std::string big(1000, 'x');
  const size_t room = NmeaReaderSpace(&r);
  EXPECT_EQ(room, PushNmeaBytes(&r, big.data(), big.size()));
  EXPECT_EQ(0u, NmeaReaderSpace(&r));
  EXPECT_EQ(0u, PushNmeaBytes(&r, big.data(), big.size()));
  char line[kNmeaMaxLine + 1];
  EXPECT_EQ(0, NextNmeaLine(&r, line));
  EXPECT_EQ(room, NmeaReaderSpace(&r));
}

// --- the initialisation sentence

TEST(SirfInit, PositionEastPositiveWeekAndTimeOfWeek) {
  // Monday 2024-01-01 06:00 UT: one day and six hours into GPS week 2295.
  const double jd = 2460310.5 + 0.25;
  char out[160];
  const size_t n = BuildSirfInitSentence(out, sizeof out, 48.1173, -11.516667, 545.4, jd);
  const std::string expected = Checksummed("PSRF104,48.117300,11.516667,545,96000,108000,2295,12,2") + "\r\n";
  EXPECT_EQ(expected, std::string(out, n));
  EXPECT_EQ(expected.size(), std::strlen(out));
  // Sunday noon is half a day into its week; a western longitude goes out negative.
  BuildSirfInitSentence(out, sizeof out, -33.5, 7.1, -2.6, 2460310.0);
  EXPECT_EQ(Checksummed("PSRF104,-33.500000,-7.100000,-3,96000,43200,2295,12,2") + "\r\n", out);
  BuildSirfInitSentence(out, sizeof out, 0, 0, 0, 2460310.0);
  EXPECT_EQ(Checksummed("PSRF104,0.000000,0.000000,0,96000,43200,2295,12,2") + "\r\n", out);
}

TEST(SirfInit, RefusesTooSmallABuffer) {
  char out[40];
  EXPECT_EQ(0u, BuildSirfInitSentence(out, sizeof out, 48.1173, -11.516667, 545.4, 2460310.5));
}

}  // namespace
