// Time-lapse series: the fade and blend arithmetic, the names, and the
// writer over real picture files with a host that keeps what it is asked to
// save: how many pictures and in which order, their size, the chain every
// source goes through, and the refusals that free everything.
#include "imageio/timelapse/time_lapse_series.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "imagelib/colour_channels.h"
#include "imagelib/contrast.h"
#include "imagelib/flat_dark.h"
#include "stacking/series/native_pictures.h"
#include "tests/imagelib/random_image.h"
#include "tests/scratch_name.h"

namespace fs = std::filesystem;

namespace {

using testimg::Header;
using testimg::Random;
using testimg::Samples;

TEST(TimeLapseArithmetic, FadeAndBlendSamples) {
  struct Fade {
    int32_t a, k, s, expected;
  };
  const Fade fades[] = {
      {32767, 0, 4, 0},         // the first fade-in picture is black
      {32767, 3, 4, 24573},     // 8191 x 3
      {7, 3, 4, 3},             // divided first: 1 x 3, not 21 / 4
      {32767, 19, 20, 31122},   // the brightest step of Intpict 9
      {-9, 1, 4, -2},           // toward zero
  };
  for (const Fade& f : fades) EXPECT_EQ(f.expected, FadeSample(f.a, f.k, f.s)) << f.a << " " << f.k << "/" << f.s;

  struct Blend {
    int32_t a, b, k, m, expected;
  };
  const Blend blends[] = {
      {100, 200, 1, 2, 175},          // t = 50 + 100
      {100, 200, 2, 2, 200},          // k = m: b / 2 + max / 2
      {200, 100, 2, 2, 150},          // the brighter of the two keeps half its weight
      {3, 4, 1, 3, 3},                // t = 6 / 3 + 4 / 3 = 3
      {5, 5, 1, 2, 4},                // each half truncated: 2 + 2
      {32767, 32767, 9, 10, 32766},   // no overflow at the top
      {-5, -3, 1, 2, -2},             // t = -2 + -1, then -1 + -1
  };
  for (const Blend& b : blends)
    EXPECT_EQ(b.expected, BlendSample(b.a, b.b, b.k, b.m)) << b.a << " " << b.b << " " << b.k << "/" << b.m;

  struct Count {
    int32_t sources, intpict;
    bool in, out;
    int64_t expected;
  };
  const Count counts[] = {
      {3, 1, true, true, 13}, {5, 0, false, false, 5}, {1, 0, true, true, 5}, {2, 9, true, false, 31}, {0, 3, true, true, 0},
  };
  for (const Count& c : counts)
    EXPECT_EQ(c.expected, TimeLapsePictureCount(c.sources, c.intpict, c.in, c.out)) << c.sources << " " << c.intpict;
}

TEST(TimeLapseNames, SourceAndOutputNames) {
  struct Case {
    const char* source;
    SourceNameError error;
    int32_t width, first;
    int32_t number;
    const char* output;   // of picture `number`
    const char* second;   // the source after the first
  };
  const Case cases[] = {
      {"C:\\raw\\jup0099.bmp", SourceNameError::kNone, 4, 99, 0, "D:\\out\\pic_0000.jpg", "C:\\raw\\jup0100.bmp"},
      {"C:\\raw\\jup0099.bmp", SourceNameError::kNone, 4, 99, 12345, "D:\\out\\pic_12345.jpg", "C:\\raw\\jup0100.bmp"},
      {"C:\\raw\\a7.png", SourceNameError::kNone, 1, 7, 10, "D:\\out\\pic_10.jpg", "C:\\raw\\a8.png"},
      {"C:\\raw\\m12345678.fts", SourceNameError::kNone, 8, 12345678, 3, "D:\\out\\pic_00000003.jpg",
       "C:\\raw\\m12345679.fts"},
      {"C:\\raw\\jupiter.bmp", SourceNameError::kNoDigits, 0, 0, 0, "", ""},
      {"C:\\raw\\m123456789.fts", SourceNameError::kTooManyDigits, 0, 0, 0, "", ""},
  };
  for (const Case& c : cases) {
    TimeLapseNames names;
    ASSERT_EQ(c.error, SplitTimeLapseNames(c.source, "D:\\out\\", &names)) << c.source;
    if (c.error != SourceNameError::kNone) continue;
    EXPECT_EQ(c.width, names.width) << c.source;
    EXPECT_EQ(c.first, names.first) << c.source;
    char name[kSeriesPathSize];
    TimeLapseOutputName(name, names, c.number);
    EXPECT_STREQ(c.output, name);
    TimeLapseSourceName(name, names, 1);
    EXPECT_STREQ(c.second, name);
  }
}

// --- the writer over files

struct Saved {
  std::string name;
  std::string extension;
  ImageHeader header;
  Samples samples;
};

class KeepingHost : public StackHost {
 public:
  void Message(HostMessage kind, const char* text) override { messages.push_back({kind, text}); }
  void ShowStep(const char* text) override { status = text; }
  bool Poll() override {
    ++polls;
    return true;   // an abort the series has not: it must go on
  }
  int SavePicture(const char* name, const char* extension, int, const int16_t* samples,
                  const ImageHeader* h) override {
    if (int(saved.size()) == failAt) return 0;
    saved.push_back({name, extension, *h, Samples(samples, samples + PictureSamplesOf(*h))});
    return 1;
  }
  static size_t PictureSamplesOf(const ImageHeader& h) { return size_t(h.width) * h.height * SamplesPerPixel(&h); }

  struct Box {
    HostMessage kind;
    std::string text;
  };
  std::vector<Box> messages;
  std::vector<Saved> saved;
  std::string status;
  int polls = 0;
  int failAt = -1;   // the save of this picture fails
};

class TimeLapseWriterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = ScratchName("tyv_timelapse");
    fs::create_directories(dir_);
    request_.settings.Preprocess = 0;
    first_ = Path("src0000.png");
    request_.source = first_.c_str();
    request_.targetDir = target_.c_str();
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::string Path(const std::string& file) const { return (dir_ / file).string(); }

  // Source files "src000<i>.png" with their samples as loaded back.
  void WriteSources(const ImageHeader& h, std::initializer_list<int> numbers) {
    for (int i : numbers) {
      const Samples s = Random(h, 10 + uint32_t(i), 200, 30000);
      char name[32];
      std::snprintf(name, sizeof name, "src%04d.png", i);
      ASSERT_EQ(1, SaveNativePicture(Path(name).c_str(), ".png", s.data(), &h));
    }
  }
  Samples Loaded(int number) {
    char name[32];
    std::snprintf(name, sizeof name, "src%04d.png", number);
    FrameBuffer frame;
    ImageHeader h;
    EXPECT_EQ(1, loader_.Load(Path(name).c_str(), &frame, &h));
    return Samples(frame.samples(), frame.samples() + KeepingHost::PictureSamplesOf(h));
  }
  int Run() { return WriteTimeLapse(request_, &loader_, &host_); }

  fs::path dir_;
  std::string first_;
  std::string target_ = "D:\\film\\";
  TimeLapseRequest request_;
  NativePictureLoader loader_;
  KeepingHost host_;
};

TEST_F(TimeLapseWriterTest, ThreeSourcesWithOneInBetweenAndBothFadesGiveThirteenPictures) {
  const ImageHeader h = Header(8, 6, false);
  WriteSources(h, {0, 1, 2});
  request_.intpict = 1;
  request_.resizefak = 1;
  request_.fadeIn = request_.fadeOut = true;
  const long blocks = LiveMemBlocks();
  ASSERT_EQ(1, Run());
  EXPECT_EQ(blocks, LiveMemBlocks());
  EXPECT_TRUE(host_.messages.empty());
  ASSERT_EQ(13u, host_.saved.size());
  for (size_t i = 0; i < 13; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "D:\\film\\pic_%04zu.jpg", i);
    EXPECT_EQ(name, host_.saved[i].name);
    EXPECT_EQ(".jpg", host_.saved[i].extension);
  }
  EXPECT_EQ("Fertig", host_.status);
  EXPECT_GE(host_.polls, 13);

  // fade-in k = 0..3 of A, A, two blends towards each further source, fade-out k = 3..0.
  const Samples src[] = {Loaded(0), Loaded(1), Loaded(2)};
  const size_t n = src[0].size();
  Samples expected(n);
  auto check = [&](size_t picture, auto value) {
    for (size_t i = 0; i < n; ++i) expected[i] = int16_t(value(i));
    EXPECT_EQ(expected, host_.saved[picture].samples) << "picture " << picture;
  };
  for (int k = 0; k < 4; ++k) check(size_t(k), [&](size_t i) { return FadeSample(src[0][i], k, 4); });
  check(4, [&](size_t i) { return src[0][i]; });
  for (int j = 1; j <= 2; ++j)
    for (int k = 1; k <= 2; ++k)
      check(size_t(3 + 2 * j + k - 1), [&](size_t i) { return BlendSample(src[j - 1][i], src[j][i], k, 2); });
  for (int k = 3; k >= 0; --k) check(size_t(12 - k), [&](size_t i) { return FadeSample(src[2][i], k, 4); });
  for (int16_t v : host_.saved[0].samples) ASSERT_EQ(0, v);
  for (int16_t v : host_.saved[12].samples) ASSERT_EQ(0, v);
}

TEST_F(TimeLapseWriterTest, WithoutInBetweenOrFadesEachSourceOnceAndReducedByTheFactor) {
  const ImageHeader h = Header(640, 480, false);
  WriteSources(h, {0, 1});
  request_.intpict = 0;
  request_.resizefak = 3;
  ASSERT_EQ(1, Run());
  ASSERT_EQ(2u, host_.saved.size());
  for (const Saved& s : host_.saved) {
    EXPECT_EQ(213, s.header.width);
    EXPECT_EQ(160, s.header.height);
  }
  // Each output pixel is the mean of its 3 x 3 block.
  const Samples src = Loaded(1);
  int32_t sum = 0;
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 3; ++x) sum += src[size_t(y) * 640 + 3 + x];
  EXPECT_EQ(sum / 9, host_.saved[1].samples[1]);
}

TEST_F(TimeLapseWriterTest, AGapInTheNumberingEndsTheSeries) {
  const ImageHeader h = Header(8, 6, false);
  WriteSources(h, {0, 1, 2, 4, 5});
  request_.intpict = 0;
  request_.resizefak = 1;
  ASSERT_EQ(1, Run());
  ASSERT_EQ(3u, host_.saved.size());
  EXPECT_EQ(Loaded(2), host_.saved[2].samples);
}

// Dark frame and red enlargement alike for the first source and the later
// ones; no contrast table is the identity, a given one serves every source.
TEST_F(TimeLapseWriterTest, EverySourceGoesThroughTheSameChain) {
  const ImageHeader h = Header(12, 10, true);
  WriteSources(h, {0, 1, 2});
  const Samples dark = Random(h, 99, 0, 150);
  ASSERT_EQ(1, SaveNativePicture(Path("dark.png").c_str(), ".png", dark.data(), &h));
  FrameBuffer darkFrame;
  ImageHeader dh;
  ASSERT_EQ(1, loader_.Load(Path("dark.png").c_str(), &darkFrame, &dh));
  std::vector<uint16_t> inverting(32768);
  for (size_t i = 0; i < inverting.size(); ++i) inverting[i] = uint16_t(32767 - i);

  for (const bool withTable : {false, true}) {
    SCOPED_TRACE(withTable ? "with a contrast table" : "without a contrast table");
    host_ = KeepingHost();
    request_.intpict = 0;
    request_.resizefak = 1;
    request_.settings.Preprocess = 1;
    request_.settings.IsDarkcurrent = 1;
    std::snprintf(request_.settings.Darkcurrent, sizeof request_.settings.Darkcurrent, "%s", Path("dark.png").c_str());
    request_.contrastLut = withTable ? inverting.data() : nullptr;
    ASSERT_EQ(1, Run());
    ASSERT_EQ(3u, host_.saved.size());
    for (int j = 0; j < 3; ++j) {
      Samples e = Loaded(j);
      SubtractDark(e.data(), e.data(), darkFrame.samples(), &h);
      ASSERT_EQ(IMG_OK, AlignColourChannels(e.data(), e.data(), &h, 0, 0, 0, 0, 0, 1));
      if (withTable) {
        const ImageRect all = {0, 0, h.width, h.height};
        ApplyLut(&all, &h, e.data(), e.data(), inverting.data());
      }
      EXPECT_EQ(e, host_.saved[size_t(j)].samples) << "source " << j;
    }
  }
}

TEST_F(TimeLapseWriterTest, RefusalsAreShownAndLeaveNothingBehind) {
  struct File {
    const char* name;
    int32_t width;
    bool colour;
  };
  struct Case {
    const char* what;
    std::vector<File> files;
    const char* source;
    const char* target;
    int failAt;
    size_t saved;       // pictures handed over before the refusal
    const char* text;   // part of the message; null: the save dispatcher names it itself
  };
  const Case cases[] = {
      {"a later source of another size", {{"s0000.png", 8, true}, {"s0001.png", 8, true}, {"s0002.png", 10, true}},
       "s0000.png", "D:\\film\\", -1, 2, "s0002.png\npaßt nicht zu den anderen Bildern !"},
      {"a later source of another colour type", {{"s0000.png", 8, true}, {"s0001.png", 8, false}}, "s0000.png",
       "D:\\film\\", -1, 1, "s0001.png\npaßt nicht zu den anderen Bildern !"},
      {"a name without digits", {{"mars.png", 8, true}}, "mars.png", "D:\\film\\", -1, 0,
       "mars.png\nträgt keine Nummer vor der Endung !"},
      {"a number of nine digits", {{"m123456789.png", 8, true}}, "m123456789.png", "D:\\film\\", -1, 0,
       "m123456789.png\nhat mehr als 8 Stellen !"},
      {"a first source that does not open", {{"s0001.png", 8, true}}, "s0000.png", "D:\\film\\", -1, 0,
       "s0000.png\nnicht ladbar !"},
      {"no target", {{"s0000.png", 8, true}}, "s0000.png", "", -1, 0, "Es wurde kein Zielverzeichnis gewählt !"},
      {"a picture that cannot be saved", {{"s0000.png", 8, true}, {"s0001.png", 8, true}}, "s0000.png",
       "D:\\film\\", 1, 1, nullptr},
  };
  int round = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const fs::path dir = dir_ / std::to_string(round++);
    fs::create_directories(dir);
    for (const File& f : c.files) {
      const ImageHeader h = Header(f.width, 6, f.colour);
      ASSERT_EQ(1, SaveNativePicture((dir / f.name).string().c_str(), ".png", Random(h, 7).data(), &h));
    }
    host_ = KeepingHost();
    host_.failAt = c.failAt;
    const std::string source = (dir / c.source).string();
    TimeLapseRequest r = request_;
    r.source = source.c_str();
    r.targetDir = c.target;
    r.intpict = 0;
    r.resizefak = 1;
    const long blocks = LiveMemBlocks();
    EXPECT_EQ(0, WriteTimeLapse(r, &loader_, &host_));
    EXPECT_EQ(blocks, LiveMemBlocks()) << "every buffer freed";
    EXPECT_EQ(c.saved, host_.saved.size());
    EXPECT_NE("Fertig", host_.status);
    if (!c.text) {
      EXPECT_TRUE(host_.messages.empty());
      continue;
    }
    ASSERT_EQ(1u, host_.messages.size());
    EXPECT_EQ(HostMessage::kError, host_.messages[0].kind);
    EXPECT_NE(std::string::npos, host_.messages[0].text.find(c.text)) << host_.messages[0].text;
  }
}

}  // namespace
