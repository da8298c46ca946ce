// Single AVI frames through the loader: the chosen frame, its header, the
// frame count, and the failures.
#include "imageio/avi_frames.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "avi_fixture.h"
#include "imageio/picture_files.h"
#include "imageio/picture_io.h"
#include "picture_fixtures.h"
#include "picture_state.h"
#include "tests/shell/testkit/message_script.h"

namespace {

using avifixture::Narrow;
using avifixture::ScratchFolder;
using pictures::Loaded;

// Pixel (x, y from the bottom) of frame i.
void Pattern(int frame, int x, int y, BYTE* bgr) {
  bgr[0] = BYTE(30 * frame + x);
  bgr[1] = BYTE(10 * y + 1);
  bgr[2] = BYTE(200 - x - y);
}

class AviFrames : public PictureStateTest {
 protected:
  void TearDown() override {
    CloseAviFile();
    PictureStateTest::TearDown();
  }
  const ScratchFolder folder_;
};

TEST_F(AviFrames, LoaderReadsTheChosenFrame) {
  const std::string name = Narrow(folder_ / L"jupiter.avi");
  ASSERT_TRUE(avifixture::WriteAvi(folder_ / L"jupiter.avi", 8, 6, 5, Pattern));
  gProgramState.AviFrameIndex = 3;
  MessageBoxScript boxes;
  Loaded l;
  ImageMetadata md;
  ASSERT_EQ(1, LoadImageFile(name.c_str(), ".AVI", 1, &l.samples, &l.header, &md));
  EXPECT_EQ(0u, boxes.Count());
  EXPECT_EQ(5, gProgramState.AviFrameCount);
  EXPECT_EQ(8, l.header.width);
  EXPECT_EQ(6, l.header.height);
  EXPECT_EQ(kColourRgb, l.header.colourType);
  EXPECT_EQ(24, l.header.sourceBits);
  EXPECT_DOUBLE_EQ(32.0 / 18.0, l.header.pixelAspect);
  EXPECT_DOUBLE_EQ(8.0 * 32.0 / 18.0, l.header.xScale);
  EXPECT_DOUBLE_EQ(8.0, l.header.yScale);
  EXPECT_STREQ("jupiter.avi", md.fileName);
  for (int r = 0; r < 6; ++r) {
    for (int x = 0; x < 8; ++x) {
      BYTE bgr[3];
      Pattern(3, x, 5 - r, bgr);
      for (int c = 0; c < 3; ++c) ASSERT_EQ(bgr[c] * 128, l.samples[(r * 8 + x) * 3 + c]) << x << "," << r;
    }
  }
}

TEST_F(AviFrames, GreyHeadersTakeTheBlueByte) {
  const std::wstring file = folder_ / L"grau.avi";
  ASSERT_TRUE(avifixture::WriteAvi(file, 4, 2, 2, Pattern));
  int32_t count = 0;
  ImageHeader h;
  ASSERT_EQ(1, OpenAviFile(Narrow(file).c_str(), &count, &h, 1));
  EXPECT_EQ(2, count);
  h.colourType = 0;
  int16_t samples[8];
  ASSERT_EQ(1, ReadAviFrame(samples, &h, 1));
  for (int r = 0; r < 2; ++r) {
    for (int x = 0; x < 4; ++x) {
      BYTE bgr[3];
      Pattern(1, x, 1 - r, bgr);
      EXPECT_EQ(bgr[0] * 128, samples[r * 4 + x]);
    }
  }
  EXPECT_EQ(1, CloseAviFile());
}

TEST_F(AviFrames, NegativeOrMissingFramesFailWithoutTheirOwnMessage) {
  const std::string name = Narrow(folder_ / L"kurz.avi");
  ASSERT_TRUE(avifixture::WriteAvi(folder_ / L"kurz.avi", 4, 4, 2, Pattern));
  for (int index : {-1, 2}) {
    gProgramState.AviFrameIndex = index;
    MessageBoxScript boxes;
    Loaded l;
    ImageMetadata md;
    EXPECT_EQ(0, LoadImageFile(name.c_str(), "avi", 1, &l.samples, &l.header, &md)) << index;
    EXPECT_EQ(nullptr, l.samples);
    ASSERT_EQ(1u, boxes.Count()) << index;
    EXPECT_EQ("Einzelbild aus " + name + "\nnicht ladbar !", boxes.Box(0).text);
  }
}

TEST_F(AviFrames, OpeningNamesAnUnknownFormat) {
  const std::string name = Narrow(folder_ / L"kein.avi");
  pictures::WriteBytes(name, pictures::Bytes(4000, 'q'));
  MessageBoxScript boxes;
  int32_t count = -1;
  ImageHeader h;
  EXPECT_EQ(0, OpenAviFile(name.c_str(), &count, &h, 1));
  ASSERT_EQ(1u, boxes.Count());
  EXPECT_EQ("AVI-Format unbekannt !", boxes.Box(0).text);
  MessageBoxScript quiet;
  EXPECT_EQ(0, OpenAviFile(name.c_str(), &count, &h, 0));
  EXPECT_EQ(0u, quiet.Count());
}

TEST_F(AviFrames, ProbeCountsFramesQuietlyAndClosesAgain) {
  ASSERT_TRUE(avifixture::WriteAvi(folder_ / L"sieben.avi", 4, 4, 7, Pattern));
  pictures::WriteBytes(Narrow(folder_ / L"kein.avi"), pictures::Bytes(4000, 'q'));
  const struct {
    const wchar_t* name;
    int result;
    int32_t count;   // -1: left as it was
  } kRows[] = {{L"sieben.avi", 1, 7}, {L"kein.avi", 0, -1}, {L"fehlt.avi", 0, -1}};
  for (const auto& r : kRows) {
    MessageBoxScript boxes;
    int32_t count = -1;
    EXPECT_EQ(r.result, ProbeAviFile(Narrow(folder_ / r.name).c_str(), &count));
    EXPECT_EQ(r.count, count);
    EXPECT_EQ(0u, boxes.Count());
    // Nothing stays open to read frames from.
    ImageHeader h;
    SetReaderHeader(&h, 4, 4, true, 24);
    int16_t samples[4 * 4 * 3];
    EXPECT_EQ(0, ReadAviFrame(samples, &h, 0));
  }
}

}  // namespace
