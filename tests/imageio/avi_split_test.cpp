// Splitting a video into numbered pictures: the names, the samples and a
// save that fails.
#include "imageio/avi_split.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "avi_fixture.h"
#include "imageio/avi_frames.h"
#include "imageio/picture_files.h"
#include "picture_fixtures.h"
#include "picture_state.h"
#include "tests/shell/testkit/message_script.h"

namespace {

using avifixture::Narrow;
using avifixture::ScratchFolder;

// Pixel (x, y from the bottom) of frame i: every byte tells frame and place.
void Pattern(int frame, int x, int y, BYTE* bgr) {
  bgr[0] = BYTE(40 * frame + x);
  bgr[1] = BYTE(16 * y + frame);
  bgr[2] = BYTE(250 - 3 * x - y);
}

class AviSplit : public PictureStateTest {
 protected:
  void SetUp() override {
    PictureStateTest::SetUp();
    video_ = Narrow(folder_ / L"mond.avi");
    ASSERT_TRUE(avifixture::WriteAvi(folder_ / L"mond.avi", 6, 4, 5, Pattern));
    target_ = Narrow(folder_.path());
  }
  void TearDown() override {
    CloseAviFile();
    PictureStateTest::TearDown();
  }
  // Frame i as saved, compared with the video's bytes x 128.
  void ExpectFrame(int i, const std::string& name) {
    int16_t* samples = nullptr;
    ImageHeader h;
    ImageMetadata md;
    ASSERT_EQ(1, LoadImageFile(name.c_str(), "png", 0, &samples, &h, &md)) << name;
    ASSERT_EQ(6, h.width);
    ASSERT_EQ(4, h.height);
    ASSERT_EQ(kColourRgb, h.colourType);
    for (int r = 0; r < 4; ++r) {
      for (int x = 0; x < 6; ++x) {
        BYTE bgr[3];
        Pattern(i, x, 3 - r, bgr);
        for (int c = 0; c < 3; ++c)
          ASSERT_EQ(bgr[c] * 128, samples[(r * 6 + x) * 3 + c]) << name << " " << x << "," << r;
      }
    }
    FreeMem(&samples);
  }

  const ScratchFolder folder_;
  std::string video_, target_;
};

TEST_F(AviSplit, EveryFrameBecomesANumberedPicture) {
  AviSplitJob job{video_.c_str(), target_.c_str(), ".png", nullptr, 0, {}, nullptr};
  MessageBoxScript boxes;
  EXPECT_EQ(WalkEnd::Done, RunFrameWalk(AviSplitWalk(&job), nullptr));
  EXPECT_EQ(0u, boxes.Count());
  EXPECT_EQ(nullptr, job.samples);
  for (int i = 0; i < 5; ++i) ExpectFrame(i, target_ + "_pic000" + std::to_string(i) + ".png");
  EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA((target_ + "_pic0004.png").c_str()));
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA((target_ + "_pic0005.png").c_str()));
}

TEST_F(AviSplit, AFailedSaveStopsAtTheFirstFrame) {
  const std::string missing = target_ + "fehlt\\";
  AviSplitJob job{video_.c_str(), missing.c_str(), ".png", nullptr, 0, {}, nullptr};
  MessageBoxScript boxes;
  EXPECT_EQ(WalkEnd::Failed, RunFrameWalk(AviSplitWalk(&job), nullptr));
  // The writer's own box and the save dispatcher's, both for the first picture only.
  ASSERT_GE(boxes.Count(), 1u);
  EXPECT_EQ("Bild " + missing + "_pic0000.png\n im PNG-Format nicht zu speichern !", boxes.Boxes().back().text);
  for (const RecordedBox& b : boxes.Boxes()) EXPECT_EQ(std::string::npos, b.text.find("_pic0001")) << b.text;
  EXPECT_EQ(nullptr, job.samples);
  // The decoder was closed: the video opens again.
  int32_t count = 0;
  ImageHeader h;
  EXPECT_EQ(1, OpenAviFile(video_.c_str(), &count, &h, 0));
  EXPECT_EQ(5, count);
}

// The split's steps, with the decoder shut under it before frame 2.
FrameWalk gSplit;
int ShutBeforeFrameTwo(void* job, int32_t i) {
  if (i == 2) CloseAviFile();
  return gSplit.frame(job, i);
}

TEST_F(AviSplit, AFrameThatCannotBeReadIsNamedAndStopsTheSplit) {
  AviSplitJob job{video_.c_str(), target_.c_str(), ".bmp", nullptr, 0, {}, nullptr};
  gSplit = AviSplitWalk(&job);
  FrameWalk walk = gSplit;
  walk.frame = ShutBeforeFrameTwo;
  MessageBoxScript boxes;
  EXPECT_EQ(WalkEnd::Failed, RunFrameWalk(walk, nullptr));
  ASSERT_EQ(1u, boxes.Count());
  EXPECT_EQ("Einzelbild 2 aus " + video_ + "\nnicht ladbar !", boxes.Box(0).text);
  EXPECT_EQ("Fehlermeldung", boxes.Box(0).title);
  EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA((target_ + "_pic0001.bmp").c_str()));
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA((target_ + "_pic0002.bmp").c_str()));
  EXPECT_EQ(nullptr, job.samples);
}

TEST_F(AviSplit, AVideoThatCannotBeOpenedIsNamed) {
  const std::string broken = Narrow(folder_ / L"kaputt.avi");
  pictures::WriteBytes(broken, pictures::Bytes(3000, 'x'));
  AviSplitJob job{broken.c_str(), target_.c_str(), ".png", nullptr, 0, {}, nullptr};
  MessageBoxScript boxes;
  EXPECT_EQ(WalkEnd::NotOpened, RunFrameWalk(AviSplitWalk(&job), nullptr));
  ASSERT_EQ(1u, boxes.Count());
  EXPECT_EQ("AVI-Format unbekannt !", boxes.Box(0).text);
}

}  // namespace
