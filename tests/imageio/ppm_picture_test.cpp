// 16-bit PPM pictures of the raw converter: scaling by the maximum value,
// channel order, the replaced extension and the header layouts refused.
#include "imageio/ppm_picture.h"

#include <gtest/gtest.h>

#include "picture_fixtures.h"

namespace {

using pictures::Bytes;
using pictures::Loaded;
using pictures::ScratchDir;

// "P6\n<w> <h>\n<max>\n" (or the header given) and the values, most
// significant byte first.
Bytes Ppm(const std::string& header, const std::vector<int>& values) {
  Bytes b(header.begin(), header.end());
  for (int v : values) {
    b.push_back(uint8_t(v >> 8));
    b.push_back(uint8_t(v));
  }
  return b;
}

struct ScaleCase {
  int maximum;
  int value;
  int sample;
};

TEST(PpmPicture, ScaledByTheMaximumValue) {
  for (const ScaleCase& c : {ScaleCase{65535, 65535, 32767}, ScaleCase{65535, 1000, 500}, ScaleCase{4095, 4095, 16380},
                             ScaleCase{8191, 8191, 32764}, ScaleCase{8192, 8192, 16384}, ScaleCase{16383, 16383, 32766},
                             ScaleCase{16384, 16384, 16384}, ScaleCase{32767, 32767, 32767},
                             ScaleCase{32768, 32768, 16384}, ScaleCase{4095, 65535, 32767}}) {
    ScratchDir dir;
    const std::string name = dir / "foto.ppm";
    pictures::WriteBytes(name, Ppm("P6\n1 1\n" + std::to_string(c.maximum) + "\n", {c.value, c.value, c.value}));
    Loaded l;
    ASSERT_EQ(1, ReadPpmImage(name.c_str(), &l.samples, &l.header)) << c.maximum;
    EXPECT_EQ(std::vector<int16_t>(3, int16_t(c.sample)), l.Samples())
        << "maximum " << c.maximum << ", value " << c.value;
  }
}

TEST(PpmPicture, RedGreenBlueBecomeBlueGreenRedFromTheTop) {
  ScratchDir dir;
  pictures::WriteBytes(dir / "IMG_0001.ppm", Ppm("P6\n2 2\n32767\n", {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}));
  Loaded l;
  // The photo's own name finds the converted picture beside it.
  ASSERT_EQ(1, ReadPpmImage((dir / "IMG_0001.CR2").c_str(), &l.samples, &l.header));
  EXPECT_EQ(2, l.header.width);
  EXPECT_EQ(2, l.header.height);
  EXPECT_EQ(kColourRgb, l.header.colourType);
  EXPECT_EQ(24, l.header.sourceBits);
  EXPECT_EQ((std::vector<int16_t>{3, 2, 1, 6, 5, 4, 9, 8, 7, 12, 11, 10}), l.Samples());
}

TEST(PpmPicture, ExtensionOfTheFileNotOfTheFolder) {
  ScratchDir dir;
  std::filesystem::create_directories(dir.path() / "raw.2024");
  pictures::WriteBytes(dir / "raw.2024/mond.ppm", Ppm("P6\n1 1\n65535\n", {2, 4, 6}));
  for (const char* name : {"raw.2024/mond", "raw.2024/mond.nef"}) {
    Loaded l;
    EXPECT_EQ(1, ReadPpmImage((dir / name).c_str(), &l.samples, &l.header)) << name;
  }
}

TEST(PpmPicture, RefusesOtherLayouts) {
  struct Case {
    const char* what;
    Bytes file;
  };
  for (const Case& c : {Case{"two spaces", Ppm("P6\n1  1\n65535\n", {1, 2, 3})},
                        Case{"comment line", Ppm("P6\n# dcraw\n1 1\n65535\n", {1, 2, 3})},
                        Case{"grey magic", Ppm("P5\n1 1\n65535\n", {1})},
                        Case{"no width", Ppm("P6\n0 1\n65535\n", {})},
                        Case{"maximum 0", Ppm("P6\n1 1\n0\n", {1, 2, 3})},
                        Case{"maximum above 16 bits", Ppm("P6\n1 1\n65536\n", {1, 2, 3})},
                        Case{"samples cut short", Ppm("P6\n2 1\n65535\n", {1, 2, 3, 4, 5})},
                        Case{"size beyond any picture", Ppm("P6\n99999999 99999999\n65535\n", {1, 2, 3})},
                        Case{"number of 33 digits", Ppm("P6\n" + std::string(33, '1') + " 1\n255\n", {1, 2, 3})},
                        Case{"empty", Bytes()}}) {
    ScratchDir dir;
    const std::string name = dir / "kaputt.ppm";
    pictures::WriteBytes(name, c.file);
    Loaded l;
    EXPECT_EQ(0, ReadPpmImage(name.c_str(), &l.samples, &l.header)) << c.what;
    EXPECT_EQ(nullptr, l.samples) << c.what;
  }
}

TEST(PpmPicture, TokenStopsAtTheFirstNonDigitAndConsumesIt) {
  ScratchDir dir;
  const std::string name = dir / "token.txt";
  pictures::WriteBytes(name, Bytes{'6', '4', '0', ' ', 'x', '1'});
  FILE* f = std::fopen(name.c_str(), "rb");
  ASSERT_NE(nullptr, f);
  char text[33];
  EXPECT_STREQ("640", ReadPpmToken(text, f));
  EXPECT_EQ('x', std::fgetc(f));
  EXPECT_STREQ("1", ReadPpmToken(text, f));   // the end of the file ends it too
  std::fclose(f);
}

}  // namespace
