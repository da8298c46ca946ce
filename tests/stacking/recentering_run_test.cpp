// The re-centring run on a synthetic series written as numbered FITS files:
// every frame written back with its disc on the reference point (read back
// and measured), groups summed as the frames are, an output that would
// replace the raw frames refused, an abort and an unreadable first frame.
#include "stacking/recenter/recentering_run.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "stack_test_host.h"
#include "stacking/series/native_pictures.h"
#include "synthetic_series.h"
#include "tests/imageio/picture_fixtures.h"

namespace {

namespace fs = std::filesystem;
using stacktest::FileBytes;
using stacktest::NativeHost;

class RecenteringRunTest : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    synth::SeriesSpec spec;
    spec.frames = 6;
    spec.maxShift = 10;
    spec.lowContrastFrame = -1;
    spec.blurScale = 0.0;
    series_ = new synth::Series(synth::MakeSeries(spec));
  }
  static void TearDownTestSuite() { delete series_; }

  void SetUp() override {
    names_ = synth::WriteNumbered(*series_, dir_ / "jup_", ".fts", 0);
    fs::create_directories(out_);
    s_.Addpicsource = kSeriesNumbered;
    s_.FitMethod = kFitDisc;
    s_.DynamikCorrection = 0;
    s_.Preprocess = 1;
  }

  int Run(int32_t addNPics, const std::string& directory, const char* extension = ".fts") {
    RecenterRunInputs in;
    in.settings = &s_;
    in.seriesName = names_[0].c_str();
    in.outputDirectory = directory.c_str();
    in.extension = extension;
    in.addNPics = addNPics;
    in.services.pictures = &loader_;
    in.services.host = &host_;
    return RunRecenteringSeries(in);
  }

  std::vector<int16_t> Load(const std::string& name) {
    FrameBuffer frame;
    ImageHeader h;
    InitImageHeader(&h);
    if (!loader_.Load(name.c_str(), &frame, &h)) return {};
    return std::vector<int16_t>(frame.samples(), frame.samples() + PictureSamples(&h));
  }

  static inline synth::Series* series_ = nullptr;
  pictures::ScratchDir dir_;
  std::string out_ = dir_ / "out";
  std::vector<std::string> names_;
  StackSettings s_;
  NativeHost host_;
  NativePictureLoader loader_;
};

TEST_F(RecenteringRunTest, EveryFrameIsWrittenWithItsDiscOnTheReferencePoint) {
  ASSERT_EQ(1, Run(1, out_));
  EXPECT_TRUE(host_.boxes.empty());
  ASSERT_EQ(6u, host_.saved.size());
  // Each picture is its frame moved back by as much as the disc had moved
  // against frame 0 (the reference), give or take the centring's pixel.
  const ImageHeader& h = series_->header;
  for (int k = 0; k < 6; ++k) {
    const std::string name = (fs::path(out_) / ("jup_00" + std::to_string(k) + ".fts")).string();
    EXPECT_EQ(name, host_.saved[size_t(k)]);
    const auto written = Load(name);
    const auto raw = Load(names_[size_t(k)]);
    ASSERT_FALSE(written.empty()) << name;
    int32_t s[2] = {0, 0};
    ASSERT_TRUE(synth::FindShift(written.data(), raw.data(), h, 15, s)) << k;
    const synth::Frame& f = series_->frames[size_t(k)];
    EXPECT_LE(std::abs(s[0] - f.dx), 1) << k << ": moved by " << f.dx << ", shifted by " << s[0];
    EXPECT_LE(std::abs(s[1] - f.dy), 1) << k << ": moved by " << f.dy << ", shifted by " << s[1];
  }
  EXPECT_EQ("Fertig ...", host_.steps.back());
  EXPECT_EQ("Rezentrierung von Bild 6 ( 83 % ) ...", host_.steps[host_.steps.size() - 2]);
}

TEST_F(RecenteringRunTest, GroupsAreTheMeanOfTheirRecentredFrames) {
  ASSERT_EQ(1, Run(1, out_));
  const std::string groups = dir_ / "groups";
  fs::create_directories(groups);
  host_ = NativeHost();
  ASSERT_EQ(1, Run(4, groups));
  // A series names each group by its last frame: frames 0..3 and 4..5.
  ASSERT_EQ(2u, host_.saved.size());
  EXPECT_EQ((fs::path(groups) / "jup_003.fts").string(), host_.saved[0]);
  EXPECT_EQ((fs::path(groups) / "jup_005.fts").string(), host_.saved[1]);
  const struct {
    const char* group;
    int first, last;
  } cases[] = {{"/jup_003.fts", 0, 3}, {"/jup_005.fts", 4, 5}};
  for (const auto& c : cases) {
    const auto sum = Load(groups + c.group);
    ASSERT_FALSE(sum.empty());
    std::vector<std::vector<int16_t>> frames;
    for (int k = c.first; k <= c.last; ++k) frames.push_back(Load(out_ + "/jup_00" + std::to_string(k) + ".fts"));
    size_t wrong = 0;
    for (size_t i = 0; i < sum.size(); ++i) {
      // Uncovered pixels of a shifted frame (0, which the file keeps as 1)
      // are left out of the mean.
      int64_t total = 0, n = 0;
      for (const auto& f : frames)
        if (f[i] > 1) total += f[i], ++n;
      const int64_t mean = n ? total / n : 0;
      if (n > 0 && std::llabs(mean - sum[i]) > 1) ++wrong;
    }
    EXPECT_EQ(0u, wrong) << c.group;
  }
}

TEST_F(RecenteringRunTest, AGroupSizeOfZeroWorksFrameByFrame) {
  ASSERT_EQ(1, Run(0, out_));
  EXPECT_EQ(6u, host_.saved.size());
}

TEST_F(RecenteringRunTest, PicturesThatWouldReplaceTheRawFramesAreRefused) {
  std::vector<std::vector<uint8_t>> before;
  for (const auto& n : names_) before.push_back(FileBytes(n));
  const struct {
    int32_t addNPics;
    int32_t kind;
    const char* extension;
  } cases[] = {{1, kSeriesNumbered, ".fts"}, {3, kSeriesNumbered, ".FTS"}, {1, kSeriesDirectory, ".fts"}};
  for (const auto& c : cases) {
    host_ = NativeHost();
    s_.Addpicsource = c.kind;
    EXPECT_EQ(0, Run(c.addNPics, dir_.path().string(), c.extension));
    EXPECT_TRUE(host_.saved.empty());
    ASSERT_EQ(1u, host_.boxes.size());
    EXPECT_NE(std::string::npos, host_.boxes[0].text.find("Rohbilder"));
  }
  for (size_t i = 0; i < names_.size(); ++i) EXPECT_EQ(before[i], FileBytes(names_[i])) << names_[i];
  EXPECT_EQ(names_.size(), size_t(std::distance(fs::directory_iterator(dir_.path()), {})) - 1);
  // Another format beside them is no harm.
  host_ = NativeHost();
  s_.Addpicsource = kSeriesNumbered;
  EXPECT_EQ(1, Run(1, dir_.path().string(), ".png"));
  EXPECT_EQ(6u, host_.saved.size());
}

TEST_F(RecenteringRunTest, AbortKeepsWhatWasWritten) {
  host_.abortAfter = 2;
  EXPECT_EQ(1, Run(1, out_));
  EXPECT_EQ(2u, host_.saved.size());
  EXPECT_TRUE(host_.boxes.empty());
}

TEST_F(RecenteringRunTest, AnUnreadableFirstFrameEndsTheRunALaterOneIsLeftOut) {
  names_ = synth::WriteNumbered(*series_, dir_ / "sat_", ".fts", 0, 0);
  EXPECT_EQ(0, Run(1, out_));
  EXPECT_TRUE(host_.saved.empty());
  EXPECT_FALSE(host_.boxes.empty());

  host_ = NativeHost();
  names_ = synth::WriteNumbered(*series_, dir_ / "mars_", ".fts", 0, 2);
  EXPECT_EQ(1, Run(1, out_));
  EXPECT_EQ(5u, host_.saved.size());
  ASSERT_EQ(1u, host_.boxes.size());
  EXPECT_NE(std::string::npos, host_.boxes[0].text.find("mars_002.fts"));
}

}  // namespace
