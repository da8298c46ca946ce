// FITS pictures: files written by hand read right, every sample type and cube
// layout, the refusals, and what the writer makes (read back, laid out as
// stated, accepted by fitsverify).
#include "imageio/fits_picture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <sstream>

#include "picture_fixtures.h"

namespace {

using pictures::Bytes;
using pictures::Card;
using pictures::FitsFile;
using pictures::Loaded;
using pictures::ScratchDir;
using pictures::StringCard;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

struct GreyCase {
  const char* what;
  int bitpix;
  std::vector<std::string> cards;
  std::vector<double> stored;     // as the file holds them
  std::vector<int> expected;
};

class FitsGrey : public testing::TestWithParam<GreyCase> {};

TEST_P(FitsGrey, OneRowReadsAsExpected) {
  const GreyCase& c = GetParam();
  ScratchDir dir;
  const std::string name = dir / "zeile.fts";
  pictures::WriteBytes(name, FitsFile(c.bitpix, {long(c.stored.size()), 1}, c.cards, c.stored));
  Loaded l;
  PictureMessage m;
  ASSERT_EQ(1, ReadFitsPicture(name.c_str(), &l.samples, &l.header, false, &m)) << m.text;
  EXPECT_EQ(int(c.stored.size()), l.header.width);
  EXPECT_EQ(1, l.header.height);
  EXPECT_EQ(0, l.header.colourType);
  EXPECT_EQ(15, l.header.sourceBits);
  EXPECT_EQ(std::vector<int16_t>(c.expected.begin(), c.expected.end()), l.Samples());
}

const std::string kUnsigned16 = Card("BZERO", 32768.0);
const std::string kUnsigned32 = Card("BZERO", 2147483648.0);

INSTANTIATE_TEST_SUITE_P(
    SampleTypes, FitsGrey,
    testing::Values(
        GreyCase{"bytes times 128", 8, {}, {0, 1, 255}, {0, 128, 32640}},
        GreyCase{"signed 16 grey never below 1", 16, {}, {-5, 0, 1, 1000, 32767}, {1, 1, 1, 1000, 32767}},
        // Stored value = physical - 32768.
        GreyCase{"unsigned 16 at half scale", 16, {kUnsigned16}, {-32768, -31768, 32767}, {0, 500, 32767}},
        GreyCase{"unsigned 16 under a saturation level as they are",
                 16,
                 {kUnsigned16, Card("SATLEVEL", 16383.0)},
                 {-32768, 1000 - 32768, 16383 - 32768},
                 {0, 1000, 16383}},
        GreyCase{"signed 32 by 65536", 32, {}, {-70000, 65536, 2147483647}, {0, 1, 32767}},
        GreyCase{"unsigned 32 upper half stays bright",
                 32,
                 {kUnsigned32},
                 {-2147483648.0, 131072 - 2147483648.0, 0, 2147483647},
                 {0, 1, 16384, 32767}},
        GreyCase{"unsigned 32 under a saturation level halved",
                 32,
                 {kUnsigned32, Card("SATLEVEL", 65535.0)},
                 {-2147483648.0, 2 - 2147483648.0, 65535 - 2147483648.0},
                 {0, 1, 32767}},
        GreyCase{"float largest 1.0 to full scale", -32, {}, {0.0, 0.5, 1.0}, {0, 16384, 32767}},
        GreyCase{"float largest 1000 by 32767/1024", -32, {}, {1000, 500, -3}, {31999, 16000, 0}},
        GreyCase{"double NaN and infinities do not hang the scan",
                 -64,
                 {},
                 {kNaN, kInf, -kInf, 2.0, 1.0},
                 {0, 32767, 0, 32767, 16384}},
        GreyCase{"float only NaN", -32, {}, {kNaN, kNaN}, {0, 0}},
        // cfitsio hands out physical values; they are scaled no further.
        GreyCase{"BZERO 1000 added once",
                 16,
                 {Card("BZERO", 1000.0)},
                 {-1000, 0, 500, 31767, 32000},
                 {1, 1000, 1500, 32767, 32767}},
        GreyCase{"BSCALE 2 applied once", 16, {Card("BSCALE", 2.0)}, {0, 100, 16383}, {1, 200, 32766}},
        GreyCase{"signed bytes", 8, {Card("BZERO", -128.0)}, {0, 128, 255}, {0, 0, 127 * 128}},
        GreyCase{"signed 32 scaled beyond its type", 32, {Card("BSCALE", 65536.0)}, {-1, 1, 2}, {0, 1, 2}}),
    [](const testing::TestParamInfo<GreyCase>& info) {
      std::string n = info.param.what;
      for (char& ch : n) {
        if (!isalnum(static_cast<unsigned char>(ch))) ch = '_';
      }
      return n;
    });

struct CubeCase {
  const char* what;
  std::vector<long> axes;
  std::vector<std::string> cards;
  bool bgrSetting;
  bool bgrInFile;   // how the stored components are ordered
};

class FitsCube : public testing::TestWithParam<CubeCase> {};

// Component c of pixel p stored as 100 * p + 10 * c + 5.
TEST_P(FitsCube, ComponentsLandInTheirChannels) {
  const CubeCase& c = GetParam();
  const bool triples = c.axes[0] == 3;
  const long width = triples ? c.axes[1] : c.axes[0];
  const long height = triples ? c.axes[2] : c.axes[1];
  const long pixels = width * height;
  std::vector<double> stored(size_t(pixels) * 3);
  for (long p = 0; p < pixels; ++p) {
    for (int k = 0; k < 3; ++k) stored[size_t(triples ? 3 * p + k : k * pixels + p)] = 100 * p + 10 * k + 5;
  }
  ScratchDir dir;
  const std::string name = dir / "farbe.fit";
  pictures::WriteBytes(name, FitsFile(16, c.axes, c.cards, stored));
  Loaded l;
  PictureMessage m;
  ASSERT_EQ(1, ReadFitsPicture(name.c_str(), &l.samples, &l.header, c.bgrSetting, &m)) << m.text;
  ASSERT_EQ(kColourRgb, l.header.colourType);
  ASSERT_EQ(width, l.header.width);
  ASSERT_EQ(height, l.header.height);
  for (long p = 0; p < pixels; ++p) {
    const int blue = c.bgrInFile ? 0 : 2, red = c.bgrInFile ? 2 : 0;
    // The file's first row is the picture's bottom row.
    const long q = (height - 1 - p / width) * width + p % width;
    EXPECT_EQ(100 * p + 10 * blue + 5, l.samples[3 * q]) << "pixel " << p;
    EXPECT_EQ(100 * p + 10 + 5, l.samples[3 * q + 1]) << "pixel " << p;
    EXPECT_EQ(100 * p + 10 * red + 5, l.samples[3 * q + 2]) << "pixel " << p;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, FitsCube,
    testing::Values(CubeCase{"TriplesRgb", {3, 2, 2}, {StringCard("CTYPE1", "RGB")}, true, false},
                    CubeCase{"FramesBgr", {2, 2, 3}, {StringCard("CTYPE3", "BGR")}, false, true},
                    CubeCase{"Ctype3DecidesOverCtype1", {3, 2, 1},
                             {StringCard("CTYPE1", "BGR"), StringCard("CTYPE3", "RGB")}, true, false},
                    CubeCase{"NoCtypeTakesTheSettingBgr", {3, 2, 1}, {}, true, true},
                    CubeCase{"NoCtypeTakesTheSettingRgb", {2, 1, 3}, {}, false, false},
                    CubeCase{"ThreeCubedIsTriples", {3, 3, 3}, {}, false, false}),
    [](const testing::TestParamInfo<CubeCase>& info) { return std::string(info.param.what); });

TEST(FitsColour, SignedValuesBelowOneGiveZeroInColour) {
  ScratchDir dir;
  const std::string name = dir / "farbe.fts";
  pictures::WriteBytes(name, FitsFile(16, {3, 1, 1}, {}, {-7, 0, 9}));
  Loaded l;
  PictureMessage m;
  ASSERT_EQ(1, ReadFitsPicture(name.c_str(), &l.samples, &l.header, false, &m));
  EXPECT_EQ((std::vector<int16_t>{9, 0, 0}), l.Samples());
}

struct RefusedCase {
  const char* what;
  Bytes file;
  const char* message;
};

class FitsRefused : public testing::TestWithParam<RefusedCase> {};

TEST_P(FitsRefused, WithItsMessageAndNoBuffer) {
  const RefusedCase& c = GetParam();
  ScratchDir dir;
  const std::string name = dir / "kaputt.fts";
  pictures::WriteBytes(name, c.file);
  Loaded l;
  PictureMessage m;
  EXPECT_EQ(0, ReadFitsPicture(name.c_str(), &l.samples, &l.header, false, &m));
  EXPECT_EQ(nullptr, l.samples);
  EXPECT_STREQ(c.message, m.text);
}

Bytes Truncated() {
  Bytes b = FitsFile(16, {64, 64}, {}, std::vector<double>(64 * 64, 7.0));
  b.resize(2880 + 1000);
  return b;
}

INSTANTIATE_TEST_SUITE_P(
    Broken, FitsRefused,
    testing::Values(
        RefusedCase{"NotFits", Bytes(3000, 'x'), "FITS-File nicht zu öffnen !"},
        RefusedCase{"OneAxis", FitsFile(16, {5}, {}, {1, 2, 3, 4, 5}), "FITS-File ist kein Bild !"},
        RefusedCase{"NoAxes", FitsFile(16, {}, {}, {}), "FITS-File ist kein Bild !"},
        RefusedCase{"FourAxes", FitsFile(16, {1, 1, 1, 1}, {}, {1}), "FITS-File ist kein Bild !"},
        RefusedCase{"SixtyFourBitIntegers", FitsFile(64, {2, 1}, {}, {1, 2}), "FITS-Format wird nicht unterstützt !"},
        RefusedCase{"NoAxisOfThree", FitsFile(16, {2, 2, 2}, {}, std::vector<double>(8, 1.0)),
                    "FITS-File ist kein gewöhnliches Bild !"},
        RefusedCase{"OnlyNaxis2IsThree", FitsFile(16, {2, 3, 2}, {}, std::vector<double>(12, 1.0)),
                    "FITS-Format wird nicht unterstützt !"},
        RefusedCase{"MoreThanCanBeHeld", pictures::FitsHeader(16, {200000, 200000}, {}), "Out of Memory !"}),
    [](const testing::TestParamInfo<RefusedCase>& info) { return std::string(info.param.what); });

TEST(FitsRefusedData, ShortDataNamesTheLibraryStatus) {
  ScratchDir dir;
  const std::string name = dir / "kurz.fts";
  pictures::WriteBytes(name, Truncated());
  Loaded l;
  PictureMessage m;
  EXPECT_EQ(0, ReadFitsPicture(name.c_str(), &l.samples, &l.header, false, &m));
  EXPECT_EQ(nullptr, l.samples);
  EXPECT_EQ(0, std::strncmp(m.text, "Einlesen der Daten nicht möglich ", 33)) << m.text;
}

TEST(FitsReader, MissingFileAndFullBuffer) {
  Loaded l;
  PictureMessage m;
  EXPECT_EQ(0, ReadFitsPicture("gibt/es/nicht.fts", &l.samples, &l.header, false, &m));
  EXPECT_STREQ("FITS-File nicht zu öffnen !", m.text);
  int16_t sample = 0;
  int16_t* full = &sample;
  EXPECT_EQ(0, ReadFitsPicture("egal.fts", &full, &l.header, false, &m));
  EXPECT_STREQ("BufferPtr != NULL !", m.text);
}

TEST(FitsReader, BracketsInTheNameAreNoFilter) {
  ScratchDir dir;
  const std::string name = dir / "bild[1].fts";
  pictures::WriteBytes(name, FitsFile(8, {2, 1}, {}, {1, 2}));
  Loaded l;
  PictureMessage m;
  ASSERT_EQ(1, ReadFitsPicture(name.c_str(), &l.samples, &l.header, false, &m)) << m.text;
  EXPECT_EQ((std::vector<int16_t>{128, 256}), l.Samples());
}

// --- writer

// Samples 1..n so that the grey reader's lower limit of 1 changes nothing.
pictures::Picture Pattern(int w, int h, bool colour) {
  return pictures::MakePicture(w, h, colour, [](size_t i) { return int(1 + (i * 397) % 32767); });
}

struct LayoutCase {
  int32_t colourOrder;
  int32_t frameOrder;
  std::vector<std::string> naxes;
  const char* ctypeKey;
  const char* ctype;
};

class FitsWriterLayout : public testing::TestWithParam<LayoutCase> {};

TEST_P(FitsWriterLayout, CubeAsStatedAndReadBack) {
  const LayoutCase& c = GetParam();
  const pictures::Picture p = Pattern(5, 3, true);
  ScratchDir dir;
  const std::string name = dir / "wuerfel.fts";
  ASSERT_EQ(1, WriteFitsPicture(name.c_str(), p.samples.data(), &p.header, 5, 3, c.colourOrder, c.frameOrder));
  const pictures::ParsedFits f = pictures::ParseFits16(pictures::ReadBytes(name));
  EXPECT_EQ("16", f.Value("BITPIX"));
  EXPECT_EQ("3", f.Value("NAXIS"));
  EXPECT_EQ(c.naxes[0], f.Value("NAXIS1"));
  EXPECT_EQ(c.naxes[1], f.Value("NAXIS2"));
  EXPECT_EQ(c.naxes[2], f.Value("NAXIS3"));
  EXPECT_EQ(c.ctype, f.Value(c.ctypeKey));
  // The first value is the red (RGB) or blue (BGR) sample of the bottom-left pixel.
  ASSERT_FALSE(f.values.empty());
  EXPECT_EQ(p.samples[3 * 2 * 5 + (c.colourOrder == kFitsRgb ? 2 : 0)], f.values[0]);

  Loaded l;
  PictureMessage m;
  ASSERT_EQ(1, ReadFitsPicture(name.c_str(), &l.samples, &l.header, c.colourOrder != kFitsRgb, &m)) << m.text;
  EXPECT_EQ(p.samples, l.Samples());
}

INSTANTIATE_TEST_SUITE_P(Organisations, FitsWriterLayout,
                         testing::Values(LayoutCase{kFitsRgb, kFitsTriples, {"3", "5", "3"}, "CTYPE1", "RGB"},
                                         LayoutCase{kFitsBgr, kFitsTriples, {"3", "5", "3"}, "CTYPE1", "BGR"},
                                         LayoutCase{kFitsRgb, kFitsFrames, {"5", "3", "3"}, "CTYPE3", "RGB"},
                                         LayoutCase{kFitsBgr, kFitsFrames, {"5", "3", "3"}, "CTYPE3", "BGR"}));

TEST(FitsRows, TheFirstStoredRowIsTheBottomRow) {
  ScratchDir dir;
  const std::string name = dir / "zeilen.fts";
  pictures::WriteBytes(name, FitsFile(16, {2, 3}, {}, {10, 20, 30, 40, 50, 60}));
  Loaded l;
  PictureMessage m;
  ASSERT_EQ(1, ReadFitsPicture(name.c_str(), &l.samples, &l.header, false, &m)) << m.text;
  EXPECT_EQ((std::vector<int16_t>{50, 60, 30, 40, 10, 20}), l.Samples());

  const pictures::Picture p = pictures::MakePicture(2, 3, false, [](size_t i) { return int(10 * (i + 1)); });
  ASSERT_EQ(1, WriteFitsPicture(name.c_str(), p.samples.data(), &p.header, 2, 3, kFitsRgb, kFitsTriples));
  std::vector<int16_t> stored = pictures::ParseFits16(pictures::ReadBytes(name)).values;
  stored.resize(6);   // without the block's padding
  EXPECT_EQ((std::vector<int16_t>{50, 60, 30, 40, 10, 20}), stored);
}

TEST(FitsWriter, GreyReadsBackAndReplacesAnOldFile) {
  const pictures::Picture p = Pattern(7, 4, false);
  ScratchDir dir;
  const std::string name = dir / "grau.fts";
  pictures::WriteBytes(name, Bytes(5000, 'a'));
  ASSERT_EQ(1, WriteFitsPicture(name.c_str(), p.samples.data(), &p.header, 7, 4, kFitsRgb, kFitsTriples));
  Loaded l;
  PictureMessage m;
  ASSERT_EQ(1, ReadFitsPicture(name.c_str(), &l.samples, &l.header, false, &m)) << m.text;
  EXPECT_EQ(p.samples, l.Samples());
  EXPECT_EQ("2", pictures::ParseFits16(pictures::ReadBytes(name)).Value("NAXIS"));
}

TEST(FitsWriter, SplitColourGivesThreeGreyFilesAndNoCube) {
  const pictures::Picture p = Pattern(4, 2, true);
  ScratchDir dir;
  const std::string name = dir / "mond.fits";
  ASSERT_EQ(1, WriteFitsPicture(name.c_str(), p.samples.data(), &p.header, 4, 2, kFitsSplit, kFitsFrames));
  EXPECT_FALSE(pictures::FileExists(name));
  const char* const suffixes[3] = {"mond_blue.fits", "mond_green.fits", "mond_red.fits"};
  for (int c = 0; c < 3; ++c) {
    Loaded l;
    PictureMessage m;
    ASSERT_EQ(1, ReadFitsPicture((dir / suffixes[c]).c_str(), &l.samples, &l.header, false, &m)) << suffixes[c];
    ASSERT_EQ(0, l.header.colourType);
    for (int i = 0; i < 8; ++i) EXPECT_EQ(p.samples[3 * i + c], l.samples[i]) << suffixes[c] << " " << i;
  }
}

TEST(FitsWriter, SplitNamesKeepAnyExtension) {
  struct Case {
    const char* name;
    const char* expected;
  };
  for (const Case& c : {Case{"C:\\bilder\\mond.fts", "C:\\bilder\\mond_blue.fts"},
                        Case{"mond.fits", "mond_blue.fits"}, Case{"mond.f", "mond_blue.f"},
                        Case{"ohne", "ohne_blue"}, Case{"C:\\alt.dir\\ohne", "C:\\alt.dir\\ohne_blue"},
                        Case{"a", "a_blue"}}) {
    char out[64];
    ASSERT_TRUE(SplitFitsName(out, sizeof out, c.name, "_blue")) << c.name;
    EXPECT_STREQ(c.expected, out);
  }
  char tiny[8];
  EXPECT_FALSE(SplitFitsName(tiny, sizeof tiny, "mond.fts", "_green"));
}

// One row 0, 160, 320, 480 on the grid of sixteenths: halving takes every
// second pixel, doubling interpolates and repeats the last pixel.
TEST(FitsWriter, ResamplesOnSixteenthsOfAPixel) {
  const pictures::Picture p = pictures::MakePicture(4, 1, false, [](size_t i) { return int(1 + 160 * i); });
  struct Case {
    int32_t w;
    std::vector<int16_t> expected;
  };
  for (const Case& c : {Case{2, {1, 321}}, Case{8, {1, 81, 161, 241, 321, 401, 481, 481}}, Case{3, {1, 211, 431}}}) {
    ScratchDir dir;
    const std::string name = dir / "skaliert.fts";
    ASSERT_EQ(1, WriteFitsPicture(name.c_str(), p.samples.data(), &p.header, c.w, 1, kFitsRgb, kFitsTriples));
    Loaded l;
    PictureMessage m;
    ASSERT_EQ(1, ReadFitsPicture(name.c_str(), &l.samples, &l.header, false, &m));
    EXPECT_EQ(c.expected, l.Samples()) << "width " << c.w;
  }
}

TEST(FitsWriter, RefusesWhatItCannotWrite) {
  const pictures::Picture p = Pattern(2, 2, false);
  ScratchDir dir;
  EXPECT_EQ(0, WriteFitsPicture((dir / "fehlt/x.fts").c_str(), p.samples.data(), &p.header, 2, 2, 0, 0));
  EXPECT_EQ(0, WriteFitsPicture((dir / "x.fts").c_str(), p.samples.data(), &p.header, 0, 2, 0, 0));
  EXPECT_EQ(0, WriteFitsPicture((dir / "x.fts").c_str(), nullptr, &p.header, 2, 2, 0, 0));
}

#ifndef _WIN32
// Debian's fitsverify checks the files against the standard (the Windows
// build writes through the same code).
TEST(FitsWriter, FilesPassFitsverify) {
  const pictures::Picture grey = Pattern(6, 5, false);
  const pictures::Picture colour = Pattern(6, 5, true);
  ScratchDir dir;
  struct Case {
    const char* name;
    const pictures::Picture* picture;
    int32_t colourOrder, frameOrder, w, h;
  };
  for (const Case& c : {Case{"grau.fts", &grey, 0, 0, 6, 5}, Case{"tripel.fts", &colour, 0, 0, 6, 5},
                        Case{"ebenen.fts", &colour, 1, 1, 6, 5}, Case{"klein.fts", &grey, 0, 0, 3, 2}}) {
    const std::string name = dir / c.name;
    ASSERT_EQ(1, WriteFitsPicture(name.c_str(), c.picture->samples.data(), &c.picture->header, c.w, c.h,
                                  c.colourOrder, c.frameOrder));
    const std::string report = dir / "report.txt";
    const std::string command = "fitsverify -q '" + name + "' > '" + report + "' 2>&1";
    const int status = std::system(command.c_str());
    const Bytes text = pictures::ReadBytes(report);
    const std::string summary(text.begin(), text.end());
    EXPECT_EQ(0, status) << c.name << ": " << summary;
    // Without warnings, too.
    EXPECT_EQ(0u, summary.find("verification OK")) << c.name << ": " << summary;
  }
}

// ImageMagick, like astronomy programs, shows a file's first row at the bottom.
// The pixel values of a plain PGM, after its magic, size and maximum.
std::vector<int> PgmValues(const std::string& text) {
  std::istringstream lines(text);
  std::string line, numbers;
  while (std::getline(lines, line)) numbers += line.substr(0, line.find('#')) + " ";
  std::istringstream in(numbers);
  std::string magic;
  int w = 0, h = 0, max = 0, v = 0;
  in >> magic >> w >> h >> max;
  std::vector<int> values;
  while (in >> v) values.push_back(v);
  return values;
}

TEST(FitsRows, ImageMagickAndWeAgreeWhereTheTopRowIs) {
  ScratchDir dir;
  // Brightest at the top left of a 3 x 2 picture.
  const pictures::Picture p = pictures::MakePicture(3, 2, false, [](size_t i) { return i == 0 ? 32767 : 1; });
  const std::string ours = dir / "unser.fts", pgm = dir / "unser.pgm";
  ASSERT_EQ(1, WriteFitsPicture(ours.c_str(), p.samples.data(), &p.header, 3, 2, kFitsRgb, kFitsTriples));
  ASSERT_EQ(0, std::system(("convert '" + ours + "' -compress none '" + pgm + "'").c_str()));
  const Bytes text = pictures::ReadBytes(pgm);
  const std::vector<int> seen = PgmValues(std::string(text.begin(), text.end()));
  ASSERT_EQ(6u, seen.size()) << std::string(text.begin(), text.end());
  EXPECT_EQ(0, std::max_element(seen.begin(), seen.end()) - seen.begin()) << "ImageMagick sees the marker elsewhere";

  const std::string theirs = dir / "fremd.fits", source = dir / "fremd.pgm";
  const std::string marked = "P2 3 2 9 9 0 0 0 0 0\n";
  pictures::WriteBytes(source, Bytes(marked.begin(), marked.end()));
  ASSERT_EQ(0, std::system(("convert '" + source + "' -depth 16 '" + theirs + "'").c_str()));
  Loaded l;
  PictureMessage m;
  ASSERT_EQ(1, ReadFitsPicture(theirs.c_str(), &l.samples, &l.header, false, &m)) << m.text;
  const std::vector<int16_t> got = l.Samples();
  ASSERT_EQ(6u, got.size());
  EXPECT_EQ(0, std::max_element(got.begin(), got.end()) - got.begin()) << "we see ImageMagick's marker elsewhere";
}
#endif

}  // namespace
