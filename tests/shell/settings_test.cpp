// "tyvorn.ini": what the program writes, what it reads back, and what it
// leaves alone. The expected files are written by hand beside this test.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "rastcodec/rastcodec.h"
#include "shell/program_state.h"
#include "shell/settings.h"

namespace {

std::string ReadFile(const std::string& path) {
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return "<missing>";
  std::string text;
  char buf[4096];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) text.append(buf, n);
  std::fclose(f);
  return text;
}

void WriteFile(const std::string& path, const std::string& text) {
  FILE* f = std::fopen(path.c_str(), "wb");
  ASSERT_NE(nullptr, f) << path;
  std::fwrite(text.data(), 1, text.size(), f);
  std::fclose(f);
}

std::string Replace(std::string text, const std::string& from, const std::string& to) {
  for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
    text.replace(at, from.size(), to);
  return text;
}

// The platform writes CRLF; the expected texts here are plain lines.
std::string Lines(const std::string& text) { return Replace(text, "\r\n", "\n"); }

// Test data lies beside the test program.
std::string DataFile(const char* name) {
  char exe[MAX_PATH];
  const DWORD n = GetModuleFileNameA(nullptr, exe, sizeof exe);
  std::string dir(exe, n);
  return dir.substr(0, dir.find_last_of('\\') + 1) + name;
}

std::unique_ptr<ProgramState> ZeroState(const std::string& dir) {
  auto ps = std::make_unique<ProgramState>();
  std::memset(ps.get(), 0, sizeof *ps);
  std::snprintf(ps->ProgramDirectory, kPathSize, "%s", dir.c_str());
  return ps;
}

// The fields no read touches, set as the hand-written value file has them.
void SetWriteOnlyFields(ProgramState* ps) {
  ps->VideosetNotShow13 = 1;
  ps->XCenter = 239;
  ps->YCenter = 240;
  ps->Interlace = 1;
  ps->Rotangle = -276.625;
  ps->RotateXCenter = 277;
  ps->RotateYCenter = 278;
}

class SettingsFile : public testing::Test {
 protected:
  void SetUp() override {
    static int serial = 0;
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    base_ = std::string(temp) + "tyvini" + std::to_string(GetCurrentProcessId()) + "_" + std::to_string(++serial);
    CreateDirectoryA(base_.c_str(), nullptr);
  }
  void TearDown() override {
    for (const std::string& d : dirs_) {
      DeleteFileA((d + "\\tyvorn.ini").c_str());
      DeleteFileA((d + "\\other.ini").c_str());
      RemoveDirectoryA(d.c_str());
    }
    RemoveDirectoryA(base_.c_str());
  }
  // A fresh program directory.
  std::string NewDir() {
    dirs_.push_back(base_ + "\\p" + std::to_string(dirs_.size()));
    CreateDirectoryA(dirs_.back().c_str(), nullptr);
    return dirs_.back();
  }
  // A program directory whose "tyvorn.ini" holds the given lines.
  std::string DirWithIni(const std::string& lines) {
    const std::string dir = NewDir();
    WriteFile(dir + "\\tyvorn.ini", Replace(lines, "\n", "\r\n"));
    return dir;
  }

  std::string base_;
  std::vector<std::string> dirs_;
};

TEST_F(SettingsFile, AFreshStartWritesEveryDefault) {
  const std::string dir = NewDir();
  auto ps = ZeroState(dir);
  ASSERT_EQ(1, LoadSettings(ps.get(), kAllSettings, "tyvorn.ini"));
  ASSERT_EQ(1, SaveSettings(ps.get(), kAllSettings, nullptr));

  std::string expected = ReadFile(DataFile("settings_defaults.ini"));
  ASSERT_NE("<missing>", expected);
  expected = Replace(expected, "@DIR@", dir);
  expected = Replace(expected, "@GIFVERSION@", std::to_string(WORD(ConvertGIFGetVersion())));
  expected = Replace(expected, "@JPEGVERSION@", std::to_string(WORD(ConvertJPGGetVersion())));
  expected = Replace(expected, "@PCXVERSION@", std::to_string(WORD(ConvertPCXGetVersion())));
  expected = Replace(expected, "@TIFFVERSION@", std::to_string(WORD(ConvertTIFGetVersion())));
  EXPECT_EQ(expected, Lines(ReadFile(dir + "\\tyvorn.ini")));
}

TEST_F(SettingsFile, EveryValueSurvivesARoundTrip) {
  const std::string values = ReadFile(DataFile("settings_values.ini"));
  ASSERT_NE("<missing>", values);
  const std::string from = DirWithIni(values);
  auto ps = ZeroState(from);
  SetWriteOnlyFields(ps.get());
  ASSERT_EQ(1, LoadSettings(ps.get(), kAllSettings, "tyvorn.ini"));

  // Keys of one name in several sections, the channel blocks and the
  // option records handed to the graphics library reach their own fields.
  const struct {
    const char* name;
    int32_t actual;
    int32_t expected;
  } fields[] = {
      {"Livepic BlueXshift", ps->BlueXshift, 119},
      {"RGBCorr BlueXshift", ps->RGBCorrBlueXshift, 224},
      {"Livepic Backgroundlevel", ps->Backgroundlevel, 124},
      {"Contrast Backgroundlevel", ps->ContrastChannels[0].Backgroundlevel, 141},
      {"Contrast BackgroundLevel", ps->ContrastBackgroundLevel, 141},
      {"Contrast RBackgroundlevel", ps->ContrastChannels[1].Backgroundlevel, 154},
      {"Contrast Curve3", ps->ContrastChannels[0].Curve[3], 145},
      {"Contrast BCurve3", ps->ContrastChannels[3].Curve[3], 184},
      {"Darkcurrent Method", ps->Method, 132},
      {"PSF Method", ps->PSFMethod, 221},
      {"Enlarge Method", ps->EnlargeMethod, 281},
      {"Shiftdifferenz Method", ps->ShiftdifferenzMethod, 285},
      {"Limbdark Object", ps->Object, 238},
      {"Astronomy Object", ps->AstronomyObject, 293},
      {"Masking BlueRadius", ps->MaskingBlueRadius, 216},
      {"RemoveStars Blueradius", ps->Blueradius, 249},
      {"Contrast Equalizing", ps->Equalizing, 0},
      {"FitImage Equalizing", ps->FitImageEqualizing, 1},
      {"FitImage Searchradius", ps->Searchradius, 261},
      {"FitImage FitColor", ps->FitColor, 262},
      {"Colortemp Noisefilter", ps->Noisefilter, 1},
      {"GifVersion", ps->Gif.GifVersion, 301},
      {"GifInterlaced", ps->Gif.GifInterlaced, 0},
      {"PcxPCXVersion", ps->Pcx.PcxPCXVersion, -77},
      {"PcxBitsPerPixel", ps->Pcx.PcxBitsPerPixel, 306},
      {"TiffSaveBits", ps->Tiff.TiffSaveBits, 312},
      {"SaveRect", ps->SaveRect[1], -297},
  };
  for (const auto& f : fields) EXPECT_EQ(f.expected, f.actual) << f.name;
  EXPECT_EQ(123.125, ps->Gamma);
  EXPECT_EQ(-164.625, ps->ContrastChannels[2].Gamma);
  EXPECT_EQ(-286.625, ps->ShiftdifferenzEffect);
  EXPECT_EQ(-246.625, ps->Effect);
  EXPECT_EQ(-12.0, ps->Centerlong);
  EXPECT_STREQ("C:\\Werte\\Basicdata\\CurrentPath", ps->CurrentPath);
  EXPECT_STREQ("C:\\Werte\\PSF\\PSFFctPath", ps->PSFFctPath);
  EXPECT_EQ(126, ps->FirstColor.rgbRed);
  EXPECT_EQ(176, ps->FirstColor.rgbGreen);
  EXPECT_EQ(226, ps->FirstColor.rgbBlue);

  // Written into an empty directory, the file comes out as it went in.
  const std::string to = NewDir();
  std::snprintf(ps->ProgramDirectory, kPathSize, "%s", to.c_str());
  ASSERT_EQ(1, SaveSettings(ps.get(), kAllSettings, "tyvorn.ini"));
  EXPECT_EQ(values, Lines(ReadFile(to + "\\tyvorn.ini")));

  // And read again, it gives the same record.
  auto again = ZeroState(to);
  SetWriteOnlyFields(again.get());
  ASSERT_EQ(1, LoadSettings(again.get(), kAllSettings, "tyvorn.ini"));
  EXPECT_EQ(0, std::memcmp(ps.get(), again.get(), sizeof *ps));
}

// One key in a file of its own, read into a zeroed record.
#define FIELD(f) [](const ProgramState& s) { return double(s.f); }
struct ReadCase {
  const char* ini;
  int section;
  double (*field)(const ProgramState&);
  double expected;
};

TEST_F(SettingsFile, ValuesReadAsTheFileFormatSays) {
  const double gifVersion = WORD(ConvertGIFGetVersion());
  const ReadCase cases[] = {
      // Only exactly "TRUE" is true; key names are case-blind.
      {"[Basicdata]\nIsPreview=true\n", kSectionBasicdata, FIELD(IsPreview), 0},
      {"[Basicdata]\nIsPreview=True\n", kSectionBasicdata, FIELD(IsPreview), 0},
      {"[Basicdata]\nIsPreview=1\n", kSectionBasicdata, FIELD(IsPreview), 0},
      {"[Basicdata]\nIsPreview=TRUE\n", kSectionBasicdata, FIELD(IsPreview), 1},
      {"[BASICDATA]\nispreview=TRUE\n", kSectionBasicdata, FIELD(IsPreview), 1},
      {"[Basicdata]\nIsPreview=\n", kSectionBasicdata, FIELD(IsPreview), 1},
      {"[Basicdata]\nIsPreview=TRUEST\n", kSectionBasicdata, FIELD(IsPreview), 0},
      // Numbers: empty takes the default, no number gives 0, atol's prefix rule.
      {"[Basicdata]\nFramecount=\n", kSectionBasicdata, FIELD(Framecount), 1},
      {"[Basicdata]\nFramecount=abc\n", kSectionBasicdata, FIELD(Framecount), 0},
      {"[Basicdata]\nFramecount=12abc\n", kSectionBasicdata, FIELD(Framecount), 12},
      {"[Basicdata]\nFramecount=-5\n", kSectionBasicdata, FIELD(Framecount), -5},
      {"[Basicdata]\nFramecount=99999999999\n", kSectionBasicdata, FIELD(Framecount), 2147483647},
      {"[Basicdata]\nWavelength=\n", kSectionBasicdata, FIELD(Wavelength), 550},
      {"[Basicdata]\nWavelength=abc\n", kSectionBasicdata, FIELD(Wavelength), 0},
      {"[Basicdata]\nWavelength=12.5nm\n", kSectionBasicdata, FIELD(Wavelength), 12.5},
      {"[Basicdata]\nWavelength=1e999\n", kSectionBasicdata, FIELD(Wavelength), 0},
      {"[Basicdata]\nWavelength=nan\n", kSectionBasicdata, FIELD(Wavelength), 0},
      // Only 19 characters of a number are read.
      {"[Basicdata]\nFocalLength=0000000000000000001234\n", kSectionBasicdata, FIELD(FocalLength), 1},
      // [PicSave] values narrowed on the way in; the version defaults come
      // from the graphics library.
      {"[PicSave]\nPcxPCXVersion=200\n", kSectionPicSave, FIELD(Pcx.PcxPCXVersion), -56},
      {"[PicSave]\nTiffSaveBits=65552\n", kSectionPicSave, FIELD(Tiff.TiffSaveBits), 16},
      {"[PicSave]\nGifVersion=70000\n", kSectionPicSave, FIELD(Gif.GifVersion), 4464},
      {"[PicSave]\nPcxVersion=-1\n", kSectionPicSave, FIELD(Pcx.PcxVersion), 65535},
      {"[PicSave]\nPcxBitsPerPixel=70000\n", kSectionPicSave, FIELD(Pcx.PcxBitsPerPixel), 70000},
      {"[PicSave]\n", kSectionPicSave, FIELD(Gif.GifVersion), gifVersion},
      {"[PicSave]\nJpegQuality=90\n", kSectionPicSave, FIELD(Jpeg.JpegQuality), 90},
      // [Contrast] Backgroundlevel and BackgroundLevel are one entry.
      {"[Contrast]\nBackgroundLevel=77\n", kSectionContrast, FIELD(ContrastChannels[0].Backgroundlevel), 77},
      {"[Contrast]\nBackgroundlevel=77\n", kSectionContrast, FIELD(ContrastBackgroundLevel), 77},
      {"[Contrast]\nBackgroundLevel=77\n", kSectionContrast, FIELD(ContrastChannels[1].Backgroundlevel), 0},
      // Written-only keys have no effect; read-only keys are read.
      {"[Limbdark]\nX-Center=77\n", kSectionLimbdark, FIELD(XCenter), 0},
      {"[Rotate]\nRotangle=7.5\n", kSectionRotate, FIELD(Rotangle), 0},
      {"[FitImage]\nInterlace=TRUE\n", kSectionFitImage, FIELD(Interlace), 0},
      {"[Basicdata]\nVideosetNotShow13=TRUE\n", kSectionBasicdata, FIELD(VideosetNotShow13), 0},
      {"[Limbdark]\nContrast=FALSE\n", kSectionLimbdark, FIELD(Contrast), 0},
      {"[Limbdark]\n", kSectionLimbdark, FIELD(Contrast), 1},
      {"[Mapping]\nContrast=FALSE\n", kSectionMapping, FIELD(MappingContrast), 0},
      {"[Mapping]\nCenterlong=12.75\n", kSectionMapping, FIELD(Centerlong), 12.75},
      // Section 0 reads every section, a number without a section none.
      {"[Geopos]\nLatitude=-33.5\n", kAllSettings, FIELD(Latitude), -33.5},
      {"[Geopos]\nLatitude=-33.5\n", kSectionAstronomy, FIELD(Latitude), 0},
      {"[Geopos]\nLatitude=-33.5\n", 24, FIELD(Latitude), 0},
      {"[Geopos]\nLatitude=-33.5\n", -1, FIELD(Latitude), 0},
  };
  for (const ReadCase& c : cases) {
    SCOPED_TRACE(c.ini);
    auto ps = ZeroState(DirWithIni(c.ini));
    ASSERT_EQ(1, LoadSettings(ps.get(), c.section, "tyvorn.ini"));
    EXPECT_EQ(c.expected, c.field(*ps));
  }
}
#undef FIELD

TEST_F(SettingsFile, StringsAreCutToWhatTheReadTakes) {
  const std::string longPath = "C:\\" + std::string(297, 'p');   // 300 characters
  auto ps = ZeroState(DirWithIni("[Basicdata]\nCurrentPath=" + longPath + "\nDrivername=" + longPath +
                                 "\nRawImagePath=\n"));
  ASSERT_EQ(1, LoadSettings(ps.get(), kSectionBasicdata, "tyvorn.ini"));
  EXPECT_EQ(longPath.substr(0, 251), ps->CurrentPath);
  EXPECT_EQ(longPath.substr(0, 251), ps->Drivername);
  // An empty value takes the default, here the program directory.
  EXPECT_STREQ(ps->ProgramDirectory, ps->RawImagePath);
  EXPECT_EQ(std::string(ps->ProgramDirectory) + "\\video.avi", ps->GrabbFile);

  // Code page 1252 text goes out and comes back as it was.
  std::strcpy(ps->Logfilename, "C:\\Bilder\\Jupiter Müller.log");
  std::memset(ps->Drivername, 'd', sizeof ps->Drivername);   // no terminating NUL
  ASSERT_EQ(1, SaveSettings(ps.get(), kAllSettings, "tyvorn.ini"));
  auto back = ZeroState(ps->ProgramDirectory);
  ASSERT_EQ(1, LoadSettings(back.get(), kAllSettings, "tyvorn.ini"));
  EXPECT_STREQ(ps->Logfilename, back->Logfilename);
  EXPECT_EQ(std::string(251, 'd'), back->Drivername);
  const std::string file = ReadFile(std::string(ps->ProgramDirectory) + "\\tyvorn.ini");
  EXPECT_NE(std::string::npos, file.find("Logfilename=C:\\Bilder\\Jupiter M\xFCller.log\r\n"));
  EXPECT_NE(std::string::npos, file.find("Drivername=" + std::string(255, 'd') + "\r\n"));
}

TEST_F(SettingsFile, ColoursAreRedGreenBlueInTheFileAndBlueFirstInMemory) {
  auto ps = ZeroState(DirWithIni("[Palette]\nFirstColor=300,40,0\nLastColor=1,2\nIsophotcolor=\n"
                                 "[PicSave]\nSaveRect=5,-6\n"));
  ASSERT_EQ(1, LoadSettings(ps.get(), kAllSettings, "tyvorn.ini"));
  const auto bytes = [](RGBQUAD c) {
    return std::to_string(c.rgbBlue) + " " + std::to_string(c.rgbGreen) + " " + std::to_string(c.rgbRed) + " " +
           std::to_string(c.rgbReserved);
  };
  EXPECT_EQ("0 40 44 0", bytes(ps->FirstColor));     // 300 keeps its low byte
  EXPECT_EQ("0 2 1 0", bytes(ps->LastColor));        // missing numbers read as 0
  EXPECT_EQ("0 255 0 0", bytes(ps->Isophotcolor));   // empty: the default
  EXPECT_EQ(5, ps->SaveRect[0]);
  EXPECT_EQ(-6, ps->SaveRect[1]);
  EXPECT_EQ(0, ps->SaveRect[2] | ps->SaveRect[3]);

  const std::string dir = NewDir();
  std::snprintf(ps->ProgramDirectory, kPathSize, "%s", dir.c_str());
  ps->Gridcolor = RGBQUAD{3, 2, 1, 9};   // blue, green, red, reserved
  ASSERT_EQ(1, SaveSettings(ps.get(), kSectionMapping, "tyvorn.ini"));
  EXPECT_NE(std::string::npos, ReadFile(dir + "\\tyvorn.ini").find("Gridcolor=1,2,3\r\n"));
}

TEST_F(SettingsFile, WholeDegreesOfTheMapCentreSurvive) {
  const struct {
    double value;
    const char* written;
    double readBack;
  } cases[] = {{12.75, "12", 12.0}, {-0.5, "0", 0.0}, {-179.9, "-179", -179.0}, {1e300, "2147483647", 2147483647.0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.value);
    const std::string dir = NewDir();
    auto ps = ZeroState(dir);
    ps->Centerlong = c.value;
    ps->Centerlat = -c.value;
    ASSERT_EQ(1, SaveSettings(ps.get(), kSectionMapping, "tyvorn.ini"));
    char value[32];
    GetPrivateProfileStringA("Mapping", "Centerlong", "", value, sizeof value, (dir + "\\tyvorn.ini").c_str());
    EXPECT_STREQ(c.written, value);
    ps->Centerlong = 99;
    ASSERT_EQ(1, LoadSettings(ps.get(), kSectionMapping, "tyvorn.ini"));
    EXPECT_EQ(c.readBack, ps->Centerlong);
  }
}

TEST_F(SettingsFile, TheTwoContrastBackgroundsShareOneEntry) {
  const std::string dir = NewDir();
  auto ps = ZeroState(dir);
  ps->ContrastChannels[0].Backgroundlevel = 5;
  ps->ContrastChannels[1].Backgroundlevel = 6;
  ps->ContrastBackgroundLevel = 9;
  ASSERT_EQ(1, SaveSettings(ps.get(), kSectionContrast, "tyvorn.ini"));
  const std::string file = Lines(ReadFile(dir + "\\tyvorn.ini"));
  EXPECT_NE(std::string::npos, file.find("\nBackgroundlevel=9\n"));
  EXPECT_NE(std::string::npos, file.find("\nRBackgroundlevel=6\n"));
  EXPECT_EQ(std::string::npos, file.find("BackgroundLevel"));
  ASSERT_EQ(1, LoadSettings(ps.get(), kSectionContrast, "tyvorn.ini"));
  EXPECT_EQ(9, ps->ContrastChannels[0].Backgroundlevel);
  EXPECT_EQ(9, ps->ContrastBackgroundLevel);
}

TEST_F(SettingsFile, SavingOneSectionLeavesTheRestOfTheFileAlone) {
  const std::string before =
      "; von Hand\n"
      "[Basicdata]\n"
      "Camtype=3\n"
      "Eigener=Wert\n"
      "[Enlarge]\n"
      "Scale=9.000000\n"
      "Unbekannt=1\n"
      "Method=7\n"
      "[Fremd]\n"
      "Scale=4\n"
      "[PicSave]\n"
      "Format=2\n";
  const std::string dir = DirWithIni(before);
  auto ps = ZeroState(dir);
  ps->Scale = 2.5;
  ps->EnlargeMethod = 1;
  ps->Minification = 4;
  ps->IsSection = 0;
  ps->Pixelwidth = 7.25;
  ps->Pixelheight = 8;
  ps->Camtype = 99;   // [Basicdata] is not saved
  ASSERT_EQ(1, SaveSettings(ps.get(), kSectionEnlarge, "tyvorn.ini"));
  const std::string after =
      "; von Hand\n"
      "[Basicdata]\n"
      "Camtype=3\n"
      "Eigener=Wert\n"
      "[Enlarge]\n"
      "Scale=2.500000\n"
      "Unbekannt=1\n"
      "Method=1\n"
      "Minification=4\n"
      "IsSection=FALSE\n"
      "Pixelwidth=7.250000\n"
      "Pixelheight=8.000000\n"
      "[Fremd]\n"
      "Scale=4\n"
      "[PicSave]\n"
      "Format=2\n";
  EXPECT_EQ(after, Lines(ReadFile(dir + "\\tyvorn.ini")));

  // Loading one section leaves every field of the others as it was, and a
  // key the file lacks takes its default whatever the field held.
  ps->Camtype = 99;
  ps->Format = 5;
  ps->Minification = 3;
  ASSERT_EQ(1, LoadSettings(ps.get(), kSectionBasicdata, "tyvorn.ini"));
  EXPECT_EQ(3, ps->Camtype);
  EXPECT_EQ(1, ps->Framecount);
  EXPECT_EQ(5, ps->Format);
  EXPECT_EQ(3, ps->Minification);

  // A number that is no section writes nothing at all.
  const std::string empty = NewDir();
  std::snprintf(ps->ProgramDirectory, kPathSize, "%s", empty.c_str());
  EXPECT_EQ(1, SaveSettings(ps.get(), 24, "tyvorn.ini"));
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA((empty + "\\tyvorn.ini").c_str()));
}

TEST_F(SettingsFile, OtherFileNamesAndPathsThatDoNotFit) {
  const std::string dir = NewDir();
  auto ps = ZeroState(dir + "\\");   // a trailing separator is not doubled
  ps->Frequency = 1234;
  ASSERT_EQ(1, SaveSettings(ps.get(), kSectionBlinkcomp, "other.ini"));
  EXPECT_EQ("[Blinkcomp]\nFrequency=1234\n", Lines(ReadFile(dir + "\\other.ini")));
  ps->Frequency = 0;
  ASSERT_EQ(1, LoadSettings(ps.get(), kSectionBlinkcomp, "other.ini"));
  EXPECT_EQ(1234, ps->Frequency);

  // A directory that does not exist: nothing is written and nothing said,
  // and reading gives the defaults.
  auto lost = ZeroState(dir + "\\fehlt\\auch");
  lost->Frequency = 1234;
  EXPECT_EQ(1, SaveSettings(lost.get(), kAllSettings, "tyvorn.ini"));
  EXPECT_EQ(1, LoadSettings(lost.get(), kAllSettings, "tyvorn.ini"));
  EXPECT_EQ(2000, lost->Frequency);

  EXPECT_EQ(0, LoadSettings(ps.get(), kAllSettings, nullptr));
  const std::string tooLong(2 * kPathSize, 'n');
  EXPECT_EQ(0, SaveSettings(ps.get(), kAllSettings, tooLong.c_str()));
  EXPECT_EQ(0, LoadSettings(ps.get(), kAllSettings, tooLong.c_str()));
  EXPECT_EQ(1234, ps->Frequency);
}

TEST_F(SettingsFile, ValueHelpersTellReadFromDefault) {
  const std::string dir = DirWithIni("[S]\nZahl=12\nLeer=\nPaar=3,-4\n");
  const std::string path = dir + "\\tyvorn.ini";
  int32_t n = 0;
  EXPECT_EQ(1, ReadIniLong(path.c_str(), "S", "Zahl", &n, 5));
  EXPECT_EQ(12, n);
  EXPECT_EQ(0, ReadIniLong(path.c_str(), "S", "Leer", &n, 5));
  EXPECT_EQ(5, n);
  EXPECT_EQ(1, ReadIniLong(path.c_str(), "S", "Fehlt", &n, 6));   // the default text was read
  EXPECT_EQ(6, n);
  const int32_t def[2] = {1, 2};
  int32_t pair[2] = {};
  EXPECT_EQ(1, ReadIniPair(path.c_str(), "S", "Paar", pair, def));
  EXPECT_EQ(3, pair[0]);
  EXPECT_EQ(-4, pair[1]);
  const int32_t out[2] = {-7, 8};
  WriteIniPair(path.c_str(), "S", "Neu", out);
  EXPECT_NE(std::string::npos, ReadFile(path).find("Neu=-7,8\r\n"));
}

}  // namespace
