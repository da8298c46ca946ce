// The load and save dispatchers: every writable format round trip, the save
// magnification, the messages and when they appear, and the metadata of a
// loaded file.
#include "imageio/picture_files.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "picture_fixtures.h"
#include "picture_state.h"
#include "tests/shell/testkit/message_script.h"

namespace {

using pictures::Loaded;
using pictures::Picture;
using pictures::ScratchDir;

// A picture's samples and those read back differ as the format stores them.
enum class Stored {
  Samples,   // the samples themselves
  Levels,    // the display level s >> 7, read back times 128
  Lossy,     // JPEG: within a few levels
};

struct RoundTrip {
  const char* name;
  const char* extension;
  bool colour;
  Stored stored;
  std::function<void(ProgramState&)> settings;
};

// Grey levels and colours that every format keeps: a GIF holds at most 256
// colours, so the colour picture has 12.
Picture TestPicture(bool colour) {
  if (!colour) return pictures::MakePicture(7, 5, false, [](size_t i) { return int(1 + (i * 997) % 32767); });
  return pictures::MakePicture(7, 5, true, [](size_t i) { return int(((i / 3) % 4 * 9000 + i % 3 * 1500) + 5); });
}

// A smooth picture for JPEG, whose blocks blur edges.
Picture SmoothPicture(bool colour) {
  return pictures::MakePicture(16, 16, colour, [colour](size_t i) {
    const size_t p = colour ? i / 3 : i;
    return int(8000 + (p % 16) * 600 + (p / 16) * 300 + (colour ? (i % 3) * 2000 : 0));
  });
}

class Dispatch : public PictureStateTest, public testing::WithParamInterface<RoundTrip> {};

TEST_P(Dispatch, SavedAndLoadedAgain) {
  const RoundTrip& c = GetParam();
  if (c.settings) c.settings(gProgramState);
  const Picture p = c.stored == Stored::Lossy ? SmoothPicture(c.colour) : TestPicture(c.colour);
  ScratchDir dir;
  const std::string name = dir / (std::string("bild.") + c.extension);
  MessageBoxScript boxes;
  ASSERT_EQ(1, SaveImageFile(name.c_str(), c.extension, 1, p.samples.data(), &p.header) != 0);
  Loaded l;
  ImageMetadata md;
  ASSERT_EQ(1, LoadImageFile(name.c_str(), c.extension, 1, &l.samples, &l.header, &md));
  EXPECT_EQ(0u, boxes.Count()) << (boxes.Count() ? boxes.Box(0).text : "");
  ASSERT_EQ(p.header.width, l.header.width);
  ASSERT_EQ(p.header.height, l.header.height);
  const bool readAsColour = l.header.colourType == kColourRgb;
  // Grey JPEGs come back in colour; everything else as it went.
  EXPECT_EQ(c.colour || c.stored == Stored::Lossy, readAsColour);
  const size_t pixels = size_t(p.header.width) * p.header.height;
  int worst = 0;
  for (size_t px = 0; px < pixels; ++px) {
    for (int ch = 0; ch < (readAsColour ? 3 : 1); ++ch) {
      const int s = p.samples[c.colour ? 3 * px + ch : px];
      const int got = l.samples[readAsColour ? 3 * px + ch : px];
      switch (c.stored) {
        case Stored::Samples: ASSERT_EQ(s, got) << "pixel " << px << " channel " << ch; break;
        case Stored::Levels: ASSERT_EQ((s >> 7) << 7, got) << "pixel " << px << " channel " << ch; break;
        case Stored::Lossy: worst = std::max(worst, std::abs((s >> 7) - (got >> 7))); break;
      }
    }
  }
  EXPECT_LE(worst, 6) << "levels off in the JPEG";
}

INSTANTIATE_TEST_SUITE_P(
    Formats, Dispatch,
    testing::Values(
        RoundTrip{"BmpGrey", "BMP", false, Stored::Levels, nullptr},
        RoundTrip{"BmpColour", ".bmp", true, Stored::Levels, nullptr},
        RoundTrip{"GifGrey", "gif", false, Stored::Levels, nullptr},
        RoundTrip{"GifColour", "GIF", true, Stored::Levels, [](ProgramState& ps) { ps.Gif.GifGrayscale24 = 0; }},
        RoundTrip{"JpegGrey", "jpg", false, Stored::Lossy, nullptr},
        RoundTrip{"JpegColour", ".jpeg", true, Stored::Lossy, nullptr},
        RoundTrip{"PcxGrey", "PCX", false, Stored::Levels, nullptr},
        RoundTrip{"PcxColour", "pcx", true, Stored::Levels, nullptr},
        RoundTrip{"Tiff8Grey", "tif", false, Stored::Levels, nullptr},
        RoundTrip{"Tiff8Colour", "Tiff", true, Stored::Levels, nullptr},
        RoundTrip{"Tiff16Grey", "TIF", false, Stored::Samples, [](ProgramState& ps) { ps.Tiff.TiffSaveBits = 16; }},
        RoundTrip{"Tiff16Colour", "tiff", true, Stored::Samples,
                  [](ProgramState& ps) { ps.Tiff.TiffSaveBits = 16; }},
        RoundTrip{"Png8Grey", "png", false, Stored::Levels, [](ProgramState& ps) { ps.PngBitsPerPixel = 8; }},
        RoundTrip{"Png16Colour", "PNG", true, Stored::Samples, [](ProgramState& ps) { ps.PngGrayscale = 1; }},
        RoundTrip{"Png16Grey", ".png", false, Stored::Samples, nullptr},
        RoundTrip{"FitsGrey", "fts", false, Stored::Samples, nullptr},
        RoundTrip{"FitsColourTriples", "FIT", true, Stored::Samples, nullptr},
        RoundTrip{"FitsColourBgrFrames", ".fits", true, Stored::Samples,
                  [](ProgramState& ps) {
                    ps.FITSColorOrg = 1;
                    ps.FITSFrameOrg = 1;
                  }}),
    [](const testing::TestParamInfo<RoundTrip>& info) { return std::string(info.param.name); });

class Dispatcher : public PictureStateTest {};

// 641 x 0.5 + 0.5 = 321.0 and 480 x 0.5 + 0.5 = 240.5: 321 x 240.
TEST_F(Dispatcher, SaveMagnificationSetsTheWrittenSize) {
  gProgramState.Scalefactor = 0.5;
  const Picture p = pictures::MakePicture(641, 480, false, [](size_t i) { return int(i % 30000 + 1); });
  for (const char* extension : {"bmp", "fts", "png", "tif"}) {
    if (std::string(extension) == "tif") gProgramState.Tiff.TiffSaveBits = 16;
    ScratchDir dir;
    const std::string name = dir / (std::string("halb.") + extension);
    MessageBoxScript boxes;
    ASSERT_NE(0, SaveImageFile(name.c_str(), extension, 1, p.samples.data(), &p.header)) << extension;
    EXPECT_EQ(0, gProgramState.SaveRect[0]);
    EXPECT_EQ(0, gProgramState.SaveRect[1]);
    EXPECT_EQ(321, gProgramState.SaveRect[2]);
    EXPECT_EQ(240, gProgramState.SaveRect[3]);
    Loaded l;
    ImageMetadata md;
    ASSERT_EQ(1, LoadImageFile(name.c_str(), extension, 1, &l.samples, &l.header, &md)) << extension;
    EXPECT_EQ(321, l.header.width) << extension;
    EXPECT_EQ(240, l.header.height) << extension;
    EXPECT_EQ(0u, boxes.Count()) << extension;
  }
}

// Twice the width goes through the resampling of the display mapping.
TEST_F(Dispatcher, BmpWriterResamplesToTheRectangle) {
  const Picture p = TestPicture(false);
  ScratchDir dir;
  const std::string name = dir / "doppelt.bmp";
  ASSERT_EQ(1, WriteBmpImage(name.c_str(), p.samples.data(), &p.header, &gProgramState, 0, 0, 14, 10));
  Loaded l;
  ASSERT_EQ(1, ReadBmpImage(name.c_str(), &l.samples, &l.header));
  EXPECT_EQ(14, l.header.width);
  EXPECT_EQ(10, l.header.height);
  EXPECT_EQ((p.samples[0] >> 7) << 7, l.samples[0]);
}

// The diagnostic picture lands in the program directory at its full size.
TEST_F(Dispatcher, LogImageGoesToTheProgramDirectory) {
  const Picture p = TestPicture(true);
  ScratchDir dir;
  std::snprintf(gProgramState.ProgramDirectory, sizeof gProgramState.ProgramDirectory, "%s", dir.path().string().c_str());
  ASSERT_EQ(1, WriteLogImage("stand.bmp", p.samples.data(), &p.header));
  Loaded l;
  ASSERT_EQ(1, ReadBmpImage((dir / "stand.bmp").c_str(), &l.samples, &l.header));
  EXPECT_EQ(p.header.width, l.header.width);
  EXPECT_EQ(p.header.height, l.header.height);
  EXPECT_EQ(kColourRgb, l.header.colourType);
  EXPECT_EQ((p.samples[4] >> 7) << 7, l.samples[4]);
  EXPECT_EQ(0, WriteLogImage("stand.bmp", p.samples.data(), nullptr));
}

TEST_F(Dispatcher, MissingFileFailsWithoutAWord) {
  MessageBoxScript boxes;
  int16_t sample = 0;
  int16_t* samples = &sample;   // overwritten, never freed
  ImageHeader h;
  ImageMetadata md;
  EXPECT_EQ(0, LoadImageFile("C:\\gibt\\es\\nicht.bmp", "bmp", 1, &samples, &h, &md));
  EXPECT_EQ(nullptr, samples);
  EXPECT_EQ(0u, boxes.Count());
}

TEST_F(Dispatcher, UnknownFormatsAreNamedWhatever) {
  ScratchDir dir;
  const std::string name = dir / "notiz.xyz";
  pictures::WriteBytes(name, pictures::Bytes(10, 'x'));
  const Picture p = TestPicture(false);
  auto Save = [&p](const std::string& file, const char* extension, int showErrors) {
    return SaveImageFile(file.c_str(), extension, showErrors, p.samples.data(), &p.header);
  };
  struct Case {
    const char* what;
    std::function<int()> call;
  };
  for (const Case& c : {Case{"load, errors off",
                             [&] {
                               Loaded l;
                               ImageMetadata md;
                               return LoadImageFile(name.c_str(), "xyz", 0, &l.samples, &l.header, &md);
                             }},
                        Case{"save PPM", [&] { return Save(name, "PPM", 0); }},
                        Case{"save IM", [&] { return Save(name, ".im", 1); }},
                        Case{"save AVI", [&] { return Save(name, "avi", 1); }}}) {
    MessageBoxScript boxes;
    EXPECT_EQ(0, c.call()) << c.what;
    ASSERT_EQ(1u, boxes.Count()) << c.what;
    EXPECT_EQ(name + "\nhat ein unbekanntes Format !", boxes.Box(0).text) << c.what;
    EXPECT_EQ("Programmhinweis", boxes.Box(0).title) << c.what;
    EXPECT_EQ(UINT(MB_ICONEXCLAMATION), boxes.Box(0).Icon()) << c.what;
  }
}

// The reader's own message comes first; the caller's header and metadata
// stay when the failure is reported and take the defaults when it is not.
TEST_F(Dispatcher, FailedLoadsReportTwiceOrKeepQuiet) {
  ScratchDir dir;
  const std::string name = dir / "kaputt.fts";
  pictures::WriteBytes(name, pictures::Bytes(3000, 'x'));
  ImageHeader h;
  std::memset(&h, 0x5A, sizeof h);
  ImageMetadata md;
  std::memset(&md, 0x5A, sizeof md);
  {
    MessageBoxScript boxes;
    Loaded l;
    EXPECT_EQ(0, LoadImageFile(name.c_str(), "FTS", 1, &l.samples, &h, &md));
    EXPECT_EQ(nullptr, l.samples);
    ASSERT_EQ(2u, boxes.Count());
    EXPECT_EQ("FITS-File nicht zu öffnen !", boxes.Box(0).text);
    EXPECT_EQ(nullptr, boxes.Box(0).owner);
    EXPECT_EQ("FITS-Bild " + name + "\nnicht ladbar !", boxes.Box(1).text);
    for (const RecordedBox& b : boxes.Boxes()) {
      EXPECT_EQ("Fehlermeldung", b.title);
      EXPECT_EQ(UINT(MB_ICONSTOP), b.Icon());
    }
    EXPECT_EQ(0x5A5A5A5A, h.width);
    EXPECT_EQ(0x5A, uint8_t(md.path[0]));
  }
  {
    MessageBoxScript boxes;
    Loaded l;
    EXPECT_EQ(0, LoadImageFile(name.c_str(), "FTS", 0, &l.samples, &h, &md));
    ASSERT_EQ(1u, boxes.Count());
    EXPECT_EQ("FITS-File nicht zu öffnen !", boxes.Box(0).text);
    ImageHeader defaults;
    InitImageHeader(&defaults);
    EXPECT_EQ(0, std::memcmp(&defaults, &h, sizeof h));
    EXPECT_STREQ("kaputt.fts", md.fileName);
  }
}

// Every format's load failure: the reader's own message first (the BMP, IM
// and PPM readers have none), then the dispatcher's.
TEST_F(Dispatcher, LoadFailureMessagesPerFormat) {
  struct Case {
    const char* extension;
    pictures::Bytes file;
    const char* reader;   // null: silent reader
    const char* loader;   // with %s for the name
  };
  const pictures::Bytes junk(3000, 'x');
  ScratchDir dir;
  for (const Case& c : {Case{"fts", junk, "FITS-File nicht zu öffnen !", "FITS-Bild %s\nnicht ladbar !"},
                        Case{"png", junk, "Datei ist kein PNG-Bild !", "Portable Network Graphic %s\nnicht ladbar !"},
                        Case{"gif", junk, "Die Datei ist kein GIF-Format !", "GIF-Bild %s\nnicht ladbar !"},
                        Case{"jpg", junk, "Die Datei ist kein JPEG-Format !", "JPEG-Bild %s\nnicht ladbar !"},
                        Case{"pcx", junk, "Die Datei ist kein PCX-Format !", "Paintbrush-Bild %s\nnicht ladbar !"},
                        Case{"tif", junk, "Die Datei ist kein TIFF-Format !", "TIFF-Bild %s\nnicht ladbar !"},
                        Case{"bmp", junk, nullptr, "Windows-Bitmap %s\nnicht ladbar !"},
                        Case{"im", pictures::Bytes(), nullptr, "Reine Bitmap %s\nnicht ladbar !"},
                        Case{"ppm", junk, nullptr, "Portable Pixelmap %s\nnicht ladbar !"}}) {
    const std::string name = dir / (std::string("kaputt.") + c.extension);
    pictures::WriteBytes(name, c.file);
    MessageBoxScript boxes;
    Loaded l;
    ImageMetadata md;
    EXPECT_EQ(0, LoadImageFile(name.c_str(), c.extension, 1, &l.samples, &l.header, &md)) << c.extension;
    EXPECT_EQ(nullptr, l.samples);
    char loader[1200];
    std::snprintf(loader, sizeof loader, c.loader, name.c_str());
    std::vector<std::string> expected;
    if (c.reader) expected.push_back(c.reader);
    expected.push_back(loader);
    std::vector<std::string> shown;
    for (const RecordedBox& b : boxes.Boxes()) shown.push_back(b.text);
    EXPECT_EQ(expected, shown) << c.extension;
  }
}

TEST_F(Dispatcher, ReadOnlyFormatsLoad) {
  ScratchDir dir;
  pictures::WriteBytes(dir / "roh.im", pictures::Bytes(4096, 3));
  pictures::Bytes ppm = {'P', '6', '\n', '1', ' ', '1', '\n', '6', '5', '5', '3', '5', '\n', 0, 2, 0, 4, 0, 6};
  pictures::WriteBytes(dir / "foto.ppm", ppm);
  struct Case {
    const char* name;
    const char* extension;
    int width, height, colourType, first;
  };
  for (const Case& c : {Case{"roh.im", "IM", 64, 64, 0, 384}, Case{"foto.ppm", ".ppm", 1, 1, kColourRgb, 3}}) {
    MessageBoxScript boxes;
    Loaded l;
    ImageMetadata md;
    ASSERT_EQ(1, LoadImageFile((dir / c.name).c_str(), c.extension, 1, &l.samples, &l.header, &md)) << c.name;
    EXPECT_EQ(c.width, l.header.width);
    EXPECT_EQ(c.height, l.header.height);
    EXPECT_EQ(c.colourType, l.header.colourType);
    EXPECT_EQ(c.first, l.samples[0]) << c.name;
    EXPECT_EQ(0u, boxes.Count());
  }
}

TEST_F(Dispatcher, SaveFailureNamesTheFormat) {
  const Picture p = TestPicture(false);
  ScratchDir dir;
  struct Case {
    const char* extension;
    const char* text;
  };
  for (const Case& c : {Case{"bmp", "\n als Windows-Bitmap nicht zu speichern !"},
                        Case{"fts", "\n im FITS-Format nicht zu speichern !"},
                        Case{"gif", "\n im GIF-Format nicht zu speichern !"}}) {
    const std::string name = dir / (std::string("fehlt\\bild.") + c.extension);
    MessageBoxScript boxes;
    EXPECT_EQ(0, SaveImageFile(name.c_str(), c.extension, 1, p.samples.data(), &p.header));
    ASSERT_EQ(1u, boxes.Count()) << c.extension;
    EXPECT_EQ("Bild " + name + c.text, boxes.Box(0).text);
    MessageBoxScript quiet;
    EXPECT_EQ(0, SaveImageFile(name.c_str(), c.extension, 0, p.samples.data(), &p.header));
    EXPECT_EQ(0u, quiet.Count()) << c.extension;
  }
}

// The FITS library is given names of at most 128 characters, unless the
// caller wants no messages.
TEST_F(Dispatcher, FitsNameLength) {
  ScratchDir dir;
  const std::string folder = dir / "";
  const Picture p = TestPicture(false);
  auto nameOfLength = [&](size_t length) {
    return folder + std::string(length - folder.size() - 4, 'n') + ".fts";
  };
  ASSERT_LT(folder.size() + 10, 128u);
  struct Case {
    size_t length;
    int showErrors;
    int loaded;
    bool lengthMessage;
  };
  for (const Case& c : {Case{128, 1, 1, false}, Case{129, 1, 0, true}, Case{129, 0, 1, false}}) {
    const std::string name = nameOfLength(c.length);
    ASSERT_EQ(c.length, name.size());
    gProgramState.Scalefactor = 1.0;
    ASSERT_EQ(1, SaveImageFile(name.c_str(), "fts", 1, p.samples.data(), &p.header));
    MessageBoxScript boxes;
    Loaded l;
    ImageMetadata md;
    EXPECT_EQ(c.loaded, LoadImageFile(name.c_str(), "fts", c.showErrors, &l.samples, &l.header, &md)) << c.length;
    ASSERT_EQ(c.lengthMessage ? 1u : 0u, boxes.Count()) << c.length;
    if (c.lengthMessage) {
      EXPECT_EQ("Filename " + name + "\nist für die FITS-Bibliothek zu lang !Maximal 128 Zeichen sind möglich.",
                boxes.Box(0).text);
      EXPECT_EQ("Fehlermeldung", boxes.Box(0).title);
    }
  }
}

// The time stamp is the last write in local time of the zone as it stands
// now (the tests run in Europe/Berlin); the path is that of the current
// directory.
TEST_F(Dispatcher, MetadataOfTheLoadedFile) {
  TIME_ZONE_INFORMATION zone;
  const DWORD state = GetTimeZoneInformation(&zone);
  ASSERT_EQ(-60, zone.Bias) << "the tests expect the zone Europe/Berlin";
  ASSERT_TRUE(state == TIME_ZONE_ID_STANDARD || state == TIME_ZONE_ID_DAYLIGHT);
  const int localHour = state == TIME_ZONE_ID_DAYLIGHT ? 14 : 13;

  ScratchDir dir;
  ScratchDir elsewhere;
  const std::string name = dir / "mond.fts";
  const Picture p = TestPicture(false);
  ASSERT_EQ(1, SaveImageFile(name.c_str(), "fts", 1, p.samples.data(), &p.header));
  // 2023-01-15 12:00:00.000 UTC.
  SYSTEMTIME utc = {2023, 1, 0, 15, 12, 0, 0, 0};
  FILETIME written;
  ASSERT_TRUE(SystemTimeToFileTime(&utc, &written));
  HANDLE file = CreateFileA(name.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, file);
  ASSERT_TRUE(SetFileTime(file, nullptr, nullptr, &written));
  CloseHandle(file);

  char previous[MAX_PATH];
  GetCurrentDirectoryA(sizeof previous, previous);
  ASSERT_TRUE(SetCurrentDirectoryA(elsewhere.path().string().c_str()));
  Loaded l;
  ImageMetadata md;
  const int loaded = LoadImageFile(name.c_str(), "fts", 1, &l.samples, &l.header, &md);
  char current[MAX_PATH];
  GetCurrentDirectoryA(sizeof current, current);
  SetCurrentDirectoryA(previous);
  ASSERT_EQ(1, loaded);

  EXPECT_STREQ("mond.fts", md.fileName);
  EXPECT_EQ(std::string(current) + "\\mond.fts", md.path);
  const DateTimeRecord t = md.fileTime;
  EXPECT_EQ(15, t.day);
  EXPECT_EQ(1, t.month);
  EXPECT_EQ(2023, t.year);
  EXPECT_EQ(localHour, t.hour);
  EXPECT_EQ(0, t.minute);
  EXPECT_EQ(0, t.second);
  EXPECT_EQ(0, t.millisecond);
  EXPECT_STREQ("Sonntag", t.weekday);
  // The rest of the block keeps its defaults.
  ImageMetadata defaults;
  InitImageMetadata(&defaults);
  EXPECT_EQ(0, std::memcmp(defaults.words, md.words, sizeof md.words));
}

TEST_F(Dispatcher, IsImageFileNameForThePreview) {
  EXPECT_EQ(1, IsImageFileName("C:\\bilder\\jupiter.AVI"));
  EXPECT_EQ(1, IsImageFileName("mond.Fts"));
  EXPECT_EQ(0, IsImageFileName("protokoll.log"));
}

}  // namespace
