// The frame series reader over numbered series, directories and videos:
// counting, the first frame's judgement, frame j the same on every read, and
// frames that cannot be used.
#include "stacking/series/series_reader.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>

#include "stack_test_host.h"
#include "stacking/series/native_pictures.h"
#include "synthetic_series.h"
#include "tests/imageio/picture_fixtures.h"

namespace {

using stacktest::RecordingHost;

synth::SeriesSpec SmallSpec() {
  synth::SeriesSpec spec;
  spec.width = 80;
  spec.height = 60;
  spec.radius = 18;
  spec.frames = 6;
  spec.maxShift = 6;
  return spec;
}

std::vector<int16_t> Samples(const FrameBuffer& f, const ImageHeader& h) {
  return std::vector<int16_t>(f.samples(), f.samples() + PictureSamples(&h));
}

class SeriesReader : public testing::Test {
 protected:
  SeriesServices Services() {
    SeriesServices s;
    s.pictures = &loader_;
    s.host = &host_;
    return s;
  }
  NativePictureLoader loader_;
  RecordingHost host_;
  pictures::ScratchDir dir_;
};

TEST_F(SeriesReader, NumberedAndDirectorySeriesGiveTheSameFramesInOrder) {
  const synth::Series series = synth::MakeSeries(SmallSpec());
  const auto names = synth::WriteNumbered(series, dir_ / "mars_", ".fts", 98);
  ASSERT_EQ(6u, names.size());
  for (int32_t kind : {int32_t(kSeriesNumbered), int32_t(kSeriesDirectory)}) {
    FrameSeries s;
    // A directory series starts with the first picture, whichever was chosen.
    ASSERT_EQ(1, OpenSeries(&s, names[2].c_str(), kind, 1, Services())) << kind;
    // A numbered series starts at the chosen number.
    const int32_t skipped = kind == kSeriesNumbered ? 2 : 0;
    EXPECT_EQ(6 - skipped, s.frameCount);
    EXPECT_EQ(80, s.header.width);
    EXPECT_EQ(60, s.header.height);
    const int32_t first = kind == kSeriesNumbered ? 100 : 0;
    EXPECT_EQ(first, s.firstNumber);
    for (int pass = 0; pass < 2; ++pass) {
      // Backwards on the second pass: every frame is found by its number.
      for (int32_t i = 0; i < s.frameCount; ++i) {
        const int32_t p = pass ? s.frameCount - 1 - i : i;
        FrameBuffer frame;
        char name[kSeriesPathSize];
        ASSERT_EQ(1, ReadSeriesFrame(&s, s.firstNumber + p, kind, &frame, name, 1)) << kind << " " << p;
        EXPECT_EQ(names[size_t(p + skipped)], name);
        EXPECT_EQ(series.frames[size_t(p + skipped)].samples, Samples(frame, s.header)) << p;
      }
    }
    CloseSeries(&s);
  }
  EXPECT_TRUE(host_.boxes.empty());
}

TEST_F(SeriesReader, UnusableFramesFailWithoutOverrunning) {
  const synth::Series series = synth::MakeSeries(SmallSpec());
  const auto names = synth::WriteNumbered(series, dir_ / "m", ".fts", 0, 3);
  synth::SeriesSpec other = SmallSpec();
  other.width = 81;
  other.frames = 1;
  const synth::Series stray = synth::MakeSeries(other);
  ASSERT_TRUE(SaveNativePicture(names[4].c_str(), ".fts", stray.frames[0].samples.data(), &stray.header));
  other.width = 80;
  other.colour = true;
  const synth::Series colour = synth::MakeSeries(other);
  ASSERT_TRUE(SaveNativePicture(names[5].c_str(), ".fts", colour.frames[0].samples.data(), &colour.header));

  FrameSeries s;
  ASSERT_EQ(1, OpenSeries(&s, names[0].c_str(), kSeriesNumbered, 1, Services()));
  EXPECT_EQ(6, s.frameCount);   // the cut file still opens
  const FrameReadError expected[] = {FrameReadError::kNone, FrameReadError::kNone,       FrameReadError::kNone,
                                     FrameReadError::kUnreadable, FrameReadError::kMismatch, FrameReadError::kMismatch};
  FrameBuffer frame;
  for (int32_t i = 0; i < 6; ++i) {
    char name[kSeriesPathSize];
    FrameReadError error = FrameReadError::kNone;
    EXPECT_EQ(expected[i] == FrameReadError::kNone, ReadSeriesFrame(&s, i, kSeriesNumbered, &frame, name, 0, &error))
        << i;
    EXPECT_EQ(expected[i], error) << i;
  }
  EXPECT_TRUE(host_.boxes.empty());   // silent without showErrors
  char name[kSeriesPathSize];
  EXPECT_EQ(0, ReadSeriesFrame(&s, 4, kSeriesNumbered, &frame, name, 1));
  ASSERT_EQ(1u, host_.boxes.size());
  EXPECT_EQ("Bild " + names[4] + "\npaßt nicht zu den anderen Bildern !", host_.boxes[0].text);
}

TEST_F(SeriesReader, RereadsARecordedFrameByName) {
  const synth::Series series = synth::MakeSeries(SmallSpec());
  const auto names = synth::WriteNumbered(series, dir_ / "m", ".fts");
  FrameSeries s;
  ASSERT_EQ(1, OpenSeries(&s, names[0].c_str(), kSeriesNumbered, 1, Services()));
  char name[kSeriesPathSize];
  std::snprintf(name, sizeof name, "%s", names[4].c_str());
  FrameBuffer frame;
  ASSERT_EQ(1, ReadSeriesFrame(&s, 4, kSeriesRecorded, &frame, name, 1));
  EXPECT_EQ(series.frames[4].samples, Samples(frame, s.header));
}

TEST_F(SeriesReader, SeriesThatCannotBeOpened) {
  FrameSeries s;
  EXPECT_EQ(0, OpenSeries(&s, (dir_ / "none_001.fts").c_str(), kSeriesNumbered, 1, Services()));
  EXPECT_EQ(0, OpenSeries(&s, (dir_ / "none_001.fts").c_str(), kSeriesDirectory, 1, Services()));
  EXPECT_EQ(0, OpenSeries(&s, (dir_ / "video.avi").c_str(), kSeriesAvi, 1, Services()));   // no decoder here
  EXPECT_EQ(0, OpenSeries(&s, (dir_ / "none_001.fts").c_str(), 7, 1, Services()));
  ASSERT_EQ(2u, host_.boxes.size());
  EXPECT_EQ(HostMessage::kError, host_.boxes[0].kind);
  EXPECT_EQ("Bilder nicht zu öffnen !", host_.boxes[0].text);
  EXPECT_EQ("Kein passendes Bild zu finden !", host_.boxes[1].text);
}

// Judgement of the first frame by its highest level and its used levels.
TEST_F(SeriesReader, JudgesTheFirstFrame) {
  struct Case {
    int16_t fill, spot;   // every sample, and one sample at the centre
    int usable;
    const char* note;
  } cases[] = {
      {0, 0, 0, "Die Bilder enthalten nur Nullen !\nÜberlagerung unmöglich, bitte Bildaufnahme checken."},
      // Negative samples are counted in level 0, so they always use one level.
      {-5, -5, 0,
       "Die Bilder enthalten nur negative Werte und die 0 !\nÜberlagerung unmöglich, bitte Bildaufnahme checken."},
      {-5, 0, 0,
       "Die Bilder enthalten nur negative Werte und die 0 !\nÜberlagerung unmöglich, bitte Bildaufnahme checken."},
      {700, 700, 0, "Die Bilder enthalten keine Information !\nÜberlagerung unmöglich, bitte Bildaufnahme checken."},
      {10, 127, 1,
       "Die Bilder enthalten extrem wenig Information !\nÜberlagerung aussichtslos, bitte Bildformat checken."},
      {10, 1023, 1,
       "Die Bilder enthalten extrem wenig Kontrast !\nÜberlagerung wenig aussichtsreich, bitte Bildformat checken."},
      {10, 1024, 1, nullptr},
  };
  for (const Case& c : cases) {
    ImageHeader h;
    InitImageHeader(&h);
    h.width = 40;
    h.height = 30;
    std::vector<int16_t> px(40 * 30, c.fill);
    px[15 * 40 + 20] = c.spot;
    RecordingHost host;
    EXPECT_EQ(c.usable, JudgeSeriesContent(px.data(), &h, &host)) << c.spot;
    if (c.note) {
      ASSERT_EQ(1u, host.boxes.size()) << c.spot;
      EXPECT_EQ(c.note, host.boxes[0].text);
      EXPECT_EQ(HostMessage::kNote, host.boxes[0].kind);
    } else {
      EXPECT_TRUE(host.boxes.empty()) << c.spot;
    }
  }
}

// A video as the capture library would hand it out: frame n has all samples n.
class CountingVideo : public VideoReader {
 public:
  int Open(const char*, int32_t* frameCount, ImageHeader* header, int) override {
    InitImageHeader(header);
    header->width = 48;
    header->height = 40;
    *frameCount = 1000;
    opened = true;
    return 1;
  }
  int Read(int32_t videoFrame, int16_t* samples, const ImageHeader* h) override {
    reads.push_back(videoFrame);
    for (int32_t i = 0; i < h->width * h->height; ++i) samples[i] = int16_t(2000 + (i % 7) * 300 + videoFrame);
    return videoFrame < 1000;
  }
  void Close() override { opened = false; }
  bool opened = false;
  std::vector<int32_t> reads;
};

TEST_F(SeriesReader, VideoFramesByEveryNthPicture) {
  CountingVideo video;
  SeriesServices services = Services();
  services.video = &video;
  for (int32_t nth : {3, 0}) {
    services.fitNthPic = nth;
    video.reads.clear();
    FrameSeries s;
    ASSERT_EQ(1, OpenSeries(&s, "jupiter.avi", kSeriesAvi, 1, services));
    const int32_t count = nth == 3 ? 333 : 1000;   // a step below 1 counts as 1
    EXPECT_EQ(count, s.frameCount);
    FrameBuffer frame;
    char name[kSeriesPathSize];
    ASSERT_EQ(1, ReadSeriesFrame(&s, count - 1, kSeriesAvi, &frame, name, 1));
    ASSERT_EQ(1, ReadSeriesFrame(&s, 5, kSeriesRecorded, &frame, name, 1));
    EXPECT_STREQ("jupiter.avi", name);
    EXPECT_GE(frame.capacity(), size_t(48) * (40 + kVideoSpareRows));
    const std::vector<int32_t> expected = {0, count == 333 ? 996 : 999, nth == 3 ? 15 : 5};
    EXPECT_EQ(expected, video.reads);
    EXPECT_TRUE(video.opened);
    CloseSeries(&s);
    EXPECT_FALSE(video.opened);
  }
}

}  // namespace
