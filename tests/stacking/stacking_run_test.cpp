// The stacking run end to end on a synthetic series written as numbered FITS
// files: the record file at its raw offsets, the ranking, the protocol and
// the ranked pictures, the result against the true picture, the safety
// copy, aborts and an unwritable program directory.
#include "stacking/run/stacking_run.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "imagelib/centroid.h"
#include "imagelib/pattern_quality.h"
#include "imagelib/primitives.h"
#include "stack_test_host.h"
#include "stacking/run/frame_pool.h"
#include "stacking/run/record_file.h"
#include "stacking/series/native_pictures.h"
#include "synthetic_series.h"
#include "tests/imageio/picture_fixtures.h"

namespace {

namespace fs = std::filesystem;

constexpr int32_t kTruncated = 3;
constexpr int32_t kLowContrast = 5;
constexpr int32_t kPatternSide = 41;

using stacktest::FileBytes;
using stacktest::InDirectory;
using stacktest::NativeHost;
int32_t I32(const std::vector<uint8_t>& b, size_t at) {
  return int32_t(uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 | uint32_t(b[at + 3]) << 24);
}
double F64(const std::vector<uint8_t>& b, size_t at) {
  double d;
  std::memcpy(&d, &b[at], 8);
  return d;
}

class StackingRunTest : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    synth::SeriesSpec spec;
    spec.frames = 12;
    spec.noise = 400;
    spec.lowContrastFrame = kLowContrast;
    series_ = new synth::Series(synth::MakeSeries(spec));
  }
  static void TearDownTestSuite() { delete series_; }

  void SetUp() override {
    names_ = synth::WriteNumbered(*series_, dir_ / "jup_", ".fts", 0, kTruncated);
    ASSERT_EQ(12u, names_.size());
    fs::create_directories(dir_.path() / "program");
    s_.Addpicsource = kSeriesNumbered;
    s_.CheckSelection = 0.25;
    const ImageHeader& h = series_->header;
    s_.PatternRect = {h.width / 2 - kPatternSide / 2, h.height / 2 - kPatternSide / 2, kPatternSide, kPatternSide};
  }
  void TearDown() override { FreeMem(&result_.samples); }

  // The pattern cut from frame 0 around the disc, at the sum's scale.
  void CutPattern(int32_t factor) {
    const ImageHeader& h = series_->header;
    ImageHeader big = h;
    big.width *= factor;
    big.height *= factor;
    std::vector<int16_t> frame(PictureSamples(&big));
    if (factor > 1)
      EnlargeImage(&h, series_->frames[0].samples.data(), frame.data(), factor);
    else
      frame = series_->frames[0].samples;
    const int32_t side = factor > 1 ? 2 * 40 + 1 : kPatternSide;   // half side a multiple of the grid
    s_.PatternRect = {big.width / 2 - side / 2, big.height / 2 - side / 2, side, side};
    pattern_.resize(size_t(side) * side);
    CopyImageRect(pattern_.data(), frame.data(), &big, &s_.PatternRect);
  }

  int Run(int fullRun = 1, const char* programDir = nullptr) {
    std::snprintf(seriesName_, sizeof seriesName_, "%s", names_[0].c_str());
    StackRunInputs in;
    in.settings = &s_;
    in.seriesName = seriesName_;
    in.fullRun = fullRun;
    const std::string program = programDir ? programDir : (dir_.path() / "program").string();
    in.programDirectory = program.c_str();
    in.services.pictures = &loader_;
    in.services.host = &host_;
    in.pattern = pattern_.empty() ? nullptr : pattern_.data();
    in.executor = executor_;
    FreeMem(&result_.samples);
    InDirectory here(dir_.path());
    return RunStacking(in, &result_);
  }
  fs::path RecordFile() const { return dir_.path() / "program" / "recenter.tmp"; }
  std::vector<std::string> Boxes() const {
    std::vector<std::string> texts;
    for (const auto& b : host_.boxes) texts.push_back(b.text);
    return texts;
  }

  static synth::Series* series_;
  pictures::ScratchDir dir_;
  std::vector<std::string> names_;
  StackSettings s_;
  std::vector<int16_t> pattern_;
  NativePictureLoader loader_;
  NativeHost host_;
  char seriesName_[kSeriesPathSize] = "";
  StackRunResult result_;
  FrameExecutor* executor_ = nullptr;
};
synth::Series* StackingRunTest::series_ = nullptr;

struct RunCase {
  int32_t method;
  double checkmix;
  int32_t factor;
};
void PrintTo(const RunCase& c, std::ostream* os) {
  *os << "method " << c.method << " mix " << c.checkmix << " x" << c.factor;
}

class RunTable : public StackingRunTest, public testing::WithParamInterface<RunCase> {};

TEST_P(RunTable, CentresRanksAndResult) {
  const RunCase c = GetParam();
  const synth::Series& series = *series_;
  const ImageHeader& h = series.header;
  s_.FitMethod = c.method;
  s_.Checkmix = c.checkmix;
  s_.Superres = c.factor > 1;
  s_.Subpixelfactor = c.factor > 1 ? 1 : 0;
  s_.SubpixOrigsize = c.factor > 1;
  s_.Protokoll = s_.Logfile = s_.SafeSort = 1;
  std::snprintf(s_.SortPicPath, sizeof s_.SortPicPath, "%s", (dir_.path() / "").string().c_str());
  if (c.method == kFitPatternFull) CutPattern(c.factor);
  ASSERT_EQ(1, Run());
  ASSERT_NE(nullptr, result_.samples) << testing::PrintToString(Boxes());
  EXPECT_EQ(h.width, result_.header.width);
  EXPECT_EQ(h.height, result_.header.height);
  EXPECT_STREQ("Resultatbild", result_.metadata.path);
  EXPECT_STREQ("Summenbild", result_.metadata.fileName);
  // One note for the cut file, nothing else.
  ASSERT_EQ(1u, host_.boxes.size()) << testing::PrintToString(Boxes());
  EXPECT_EQ("Bild " + names_[kTruncated] + "\nnicht ladbar !", host_.boxes[0].text);
  EXPECT_EQ((std::vector<bool>{false, true}), host_.restack);

  // The record file at its raw offsets, records in frame order.
  const std::vector<uint8_t> file = FileBytes(RecordFile());
  ASSERT_EQ(1516u + 1152u * 12, file.size());
  EXPECT_EQ(names_[0], std::string(reinterpret_cast<const char*>(file.data())));
  EXPECT_EQ(12, I32(file, 1024));
  EXPECT_EQ(h.width * c.factor, I32(file, 1028));   // the sum header's width
  const int32_t refX = I32(file, 1476), refY = I32(file, 1480);
  EXPECT_EQ(1, I32(file, 1484));                     // FitNthPic of the run
  EXPECT_EQ(kSeriesNumbered + 1, I32(file, 1488));   // its source kind
  EXPECT_EQ(c.factor > 1 ? 1 : 0, I32(file, 1496));
  // Noisy frames are placed within a pixel (of the sum), the most blurred
  // ones within three.
  for (int32_t i = 0; i < 12; ++i) {
    const size_t at = 1516 + 1152 * size_t(i);
    EXPECT_EQ(names_[size_t(i)], std::string(reinterpret_cast<const char*>(&file[at + 16]))) << i;
    EXPECT_EQ(i, I32(file, at + 1044)) << i;
    const double match = F64(file, at + 1140);
    if (i == kTruncated) {
      EXPECT_EQ(0.0, match);
      continue;
    }
    if (c.method == kFitPatternFull) {
      EXPECT_GT(match, series.frames[size_t(i)].blur < 3 && i != kLowContrast ? 0.7 : 0.1) << i;
    } else if (i != kLowContrast) {
      EXPECT_EQ(1.0, match) << i;
    }
    const bool rigid = c.method == kFitRigid;
    const int32_t dx = rigid ? 0 : series.frames[size_t(i)].dx * c.factor;
    const int32_t dy = rigid ? 0 : series.frames[size_t(i)].dy * c.factor;
    if (i == kLowContrast && c.method != kFitRigid) continue;   // too faint to be sure of
    const int32_t tolerance = c.method == kFitRigid ? 0 : (series.frames[size_t(i)].blur < 3 ? 1 : 3) * c.factor;
    EXPECT_NEAR(dx, I32(file, at + 1052) - refX, tolerance) << "frame " << i;
    EXPECT_NEAR(dy, I32(file, at + 1056) - refY, tolerance) << "frame " << i;
  }

  // Ranking: the sharpest frames first, the faint one rejected.
  const bool sharpness = c.checkmix >= 0.01;
  std::vector<int32_t> sharpest = series.BySharpness();
  sharpest.erase(std::find(sharpest.begin(), sharpest.end(), kTruncated));
  if (sharpness) {
    std::ifstream protocol(dir_.path() / "Protokoll.log");
    std::string line;
    int32_t n = 0;
    while (std::getline(protocol, line)) {
      char expected[64];
      std::snprintf(expected, sizeof expected, "Bild %04d: Sortvalue: ", int(n));
      EXPECT_EQ(0u, line.find(expected)) << line;
      if (n == kLowContrast || n == kTruncated) {
        EXPECT_NE(std::string::npos, line.find("Sortvalue: 0.0000 ")) << line;
      }
      ++n;
    }
    EXPECT_EQ(12, n);
  }
  if (c.checkmix == 1.0 && c.method != kFitRigid) {
    // The final pass adds (and saves) exactly the N1 = 3 sharpest, by rank.
    ASSERT_EQ(4u, host_.saved.size());
    std::vector<std::string> expected, saved;
    for (int32_t rank = 0; rank < 3; ++rank) {
      char name[64];
      std::snprintf(name, sizeof name, "Sortpic_%04d_", int(rank));
      const std::string& file = host_.saved[size_t(rank)];
      EXPECT_EQ(dir_.path(), fs::path(file).parent_path()) << file;
      ASSERT_EQ(0u, fs::path(file).filename().string().find(name)) << file;
      saved.push_back(fs::path(file).filename().string().substr(13));
      std::snprintf(name, sizeof name, "%04d.png", int(sharpest[size_t(rank)]));
      expected.push_back(name);
    }
    std::sort(saved.begin(), saved.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(expected, saved);
  }
  if (c.checkmix < 1.0 && c.method != kFitRigid) {
    // Compared where they lie: the chosen frames correlate nearly perfectly.
    for (int32_t k = 0; k < 3; ++k) EXPECT_GT(result_.records[size_t(k)].distortion, 0.9) << k;
  }

  // The safety copy is the result.
  ImageHeader copyHeader;
  FrameBuffer copy;
  ASSERT_EQ(1, loader_.Load((dir_ / "resultcopy.fts").c_str(), &copy, &copyHeader));
  EXPECT_TRUE(std::equal(result_.samples, result_.samples + PictureSamples(&h), copy.samples()));
  EXPECT_EQ("resultcopy.fts", host_.saved.back());

  if (c.method == kFitRigid) return;
  // The result beats the plain mean and the best frame put in place.
  const ImageRect inner = {20, 20, h.width - 40, h.height - 40};
  std::vector<int32_t> total(PictureSamples(&h), 0);
  for (size_t i = 0; i < series.frames.size(); ++i)
    for (size_t j = 0; j < total.size(); ++j) total[j] += series.frames[i].samples[j];
  std::vector<int16_t> mean(total.size());
  for (size_t j = 0; j < total.size(); ++j) mean[j] = int16_t(total[j] / int32_t(series.frames.size()));
  const synth::Frame& best = series.frames[size_t(sharpest[0])];
  std::vector<int16_t> placed(mean.size());
  const int32_t back[2] = {best.dx, best.dy};
  ShiftImage(placed.data(), best.samples.data(), &h, back);
  if (c.factor > 1) {
    // Through the same enlargement and reduction as the result.
    ImageHeader big = h;
    big.width *= c.factor;
    big.height *= c.factor;
    std::vector<int16_t> enlarged(PictureSamples(&big));
    EnlargeImage(&h, placed.data(), enlarged.data(), c.factor);
    BinImage(placed.data(), enlarged.data(), &big, c.factor);
  }
  const double rms = synth::FittedRms(series.truth, result_.samples, h, inner);
  EXPECT_LT(rms, synth::FittedRms(series.truth, mean.data(), h, inner));
  // Chosen by comparison alone, the frames are the ones most like the mean.
  if (sharpness) {
    EXPECT_LT(rms, synth::FittedRms(series.truth, placed.data(), h, inner));
  }
  // The disc sits where it sat in the first frame.
  int32_t centre[4];
  double found;
  ASSERT_EQ(IMG_OK, FindObjectCentre(&inner, &h, result_.samples, centre, &found));
  EXPECT_NEAR(h.width / 2, centre[0], 1);
  EXPECT_NEAR(h.height / 2, centre[1], 1);
}

// Everything a run leaves behind, for comparing runs.
struct Outcome {
  std::vector<int16_t> result;
  std::vector<uint8_t> recordFile;
  std::vector<uint8_t> records;        // the final order, as stored
  std::vector<uint8_t> protocol;
  std::vector<std::string> boxes;
  std::vector<std::pair<std::string, std::vector<uint8_t>>> saved;   // by name
  bool operator==(const Outcome& o) const {
    return result == o.result && recordFile == o.recordFile && records == o.records && protocol == o.protocol &&
           boxes == o.boxes && saved == o.saved;
  }
};

TEST_P(RunTable, ThreadedGivesTheSameResultBitForBit) {
  const RunCase c = GetParam();
  s_.FitMethod = c.method;
  s_.Checkmix = c.checkmix;
  s_.Superres = c.factor > 1;
  s_.Subpixelfactor = c.factor > 1 ? 1 : 0;
  s_.SubpixOrigsize = c.factor > 1;
  s_.Protokoll = s_.Logfile = s_.SafeSort = 1;
  std::snprintf(s_.SortPicPath, sizeof s_.SortPicPath, "%s", (dir_.path() / "").string().c_str());
  if (c.method == kFitPatternFull) CutPattern(c.factor);
  const StackSettings settings = s_;
  auto outcome = [&] {
    Outcome o;
    o.result.assign(result_.samples, result_.samples + PictureSamples(&result_.header));
    o.recordFile = FileBytes(RecordFile());
    for (const FrameRecord& r : result_.records) {
      uint8_t bytes[kFrameRecordBytes];
      EncodeFrameRecord(r, bytes);
      o.records.insert(o.records.end(), bytes, bytes + sizeof bytes);
    }
    o.protocol = FileBytes(dir_.path() / "Protokoll.log");
    fs::remove(dir_.path() / "Protokoll.log");
    o.boxes = Boxes();
    std::vector<std::string> saved = host_.saved;
    std::sort(saved.begin(), saved.end());
    for (const std::string& name : saved) o.saved.emplace_back(name, FileBytes(name));
    return o;
  };
  ASSERT_EQ(1, Run());
  ASSERT_NE(nullptr, result_.samples);
  const Outcome single = outcome();
  // The frames are FITS files, read on the calling thread and fed to the
  // workers.
  for (int32_t workers : {1, 2, 8}) {
    StdWorkerThreads threads;
    PoolExecutor pool(workers, &threads);
    executor_ = &pool;
    host_ = NativeHost();
    s_ = settings;
    ASSERT_EQ(1, Run()) << workers << " workers";
    ASSERT_NE(nullptr, result_.samples);
    EXPECT_TRUE(single == outcome()) << workers << " workers";
    executor_ = nullptr;
  }
}

INSTANTIATE_TEST_SUITE_P(Settings, RunTable,
                         testing::Values(RunCase{0, 1.0, 1}, RunCase{2, 1.0, 1}, RunCase{3, 1.0, 1},
                                         RunCase{0, 0.5, 1}, RunCase{2, 0.5, 1}, RunCase{3, 0.5, 1},
                                         RunCase{2, 0.0, 1}, RunCase{3, 0.0, 1}, RunCase{2, 1.0, 2},
                                         RunCase{3, 1.0, 2}, RunCase{2, 0.5, 2}, RunCase{3, 0.0, 2}),
                         [](const testing::TestParamInfo<RunCase>& info) {
                           const RunCase& c = info.param;
                           return "method" + std::to_string(c.method) + "_mix" +
                                  std::to_string(int(c.checkmix * 10)) + "_x" + std::to_string(c.factor);
                         });

TEST_F(StackingRunTest, AbortLeavesNoResultAndNoFiles) {
  s_.FitMethod = kFitDisc;
  for (int after : {2, 16}) {   // in the centring pass, and in the passes after it
    host_ = NativeHost();
    host_.abortAfter = after;
    EXPECT_EQ(1, Run());
    EXPECT_EQ(nullptr, result_.samples);
    for (const auto& entry : fs::recursive_directory_iterator(dir_.path())) {
      const std::string name = entry.path().filename().string();
      EXPECT_EQ(std::string::npos, name.find(".part")) << name;
      EXPECT_NE("resultcopy.fts", name);
    }
    EXPECT_EQ(after > 12, fs::exists(RecordFile())) << after;
  }
}

TEST_F(StackingRunTest, UnwritableProgramDirectoryKeepsTheRestackCommandGrey) {
  s_.FitMethod = kFitDisc;
  ASSERT_EQ(1, Run(1, (dir_.path() / "gone" / "deeper").string().c_str()));
  EXPECT_NE(nullptr, result_.samples);
  EXPECT_EQ(std::vector<bool>{false}, host_.restack);
  EXPECT_FALSE(fs::exists(dir_.path() / "gone"));
}

TEST_F(StackingRunTest, RestackReadsTheSameFramesAgain) {
  s_.FitMethod = kFitDisc;
  s_.Checkmix = 1.0;
  ASSERT_EQ(1, Run());
  const std::vector<int16_t> first(result_.samples, result_.samples + PictureSamples(&series_->header));
  // Settings changed in between: the record file's own win.
  s_.Addpicsource = kSeriesDirectory;
  s_.Subpixelfactor = 2;
  s_.CheckMethod = 0;
  s_.Qualitycheck = 0;
  s_.CheckMethod = kCheckAutomatic;
  host_ = NativeHost();
  ASSERT_EQ(1, Run(0));
  EXPECT_STREQ(names_[0].c_str(), seriesName_);
  EXPECT_EQ(0, s_.Subpixelfactor);
  EXPECT_EQ(1, s_.Qualitycheck);
  ASSERT_NE(nullptr, result_.samples);
  EXPECT_TRUE(std::equal(first.begin(), first.end(), result_.samples));
  // Without the quality sort there is nothing to re-stack.
  s_.CheckMethod = 0;
  EXPECT_EQ(0, Run(0));
}

TEST_F(StackingRunTest, WithoutRankingEveryCentredFrameIsAdded) {
  s_.FitMethod = kFitDisc;
  s_.CheckMethod = 0;
  ASSERT_EQ(1, Run());
  ASSERT_NE(nullptr, result_.samples);
  EXPECT_TRUE(result_.records.empty());
  EXPECT_FALSE(fs::exists(RecordFile()));
}

TEST_F(StackingRunTest, NothingAddedGivesNoPicture) {
  s_.FitMethod = kFitDisc;
  s_.CheckSelection = 0.0;
  s_.Checkmix = 1.0;
  EXPECT_EQ(0, Run());
  EXPECT_EQ(nullptr, result_.samples);
  const std::vector<std::string> boxes = Boxes();
  EXPECT_NE(boxes.end(), std::find(boxes.begin(), boxes.end(), "Kein Bild konnte überlagert werden !"));
}

// The dark frame stays loaded for the whole run and reaches every frame.
TEST_F(StackingRunTest, TheDarkFrameIsSubtractedFromEveryFrame) {
  s_.FitMethod = kFitRigid;
  s_.CheckMethod = 0;
  ASSERT_EQ(1, Run());
  const std::vector<int16_t> plain(result_.samples, result_.samples + PictureSamples(&result_.header));
  const ImageHeader& h = series_->header;
  const std::vector<int16_t> dark(PictureSamples(&h), 300);
  const std::string darkName = (dir_.path() / "dark.fts").string();
  ASSERT_EQ(1, SaveNativePicture(darkName.c_str(), ".fts", dark.data(), &h));
  s_.Preprocess = 1;
  s_.IsDarkcurrent = 1;
  std::snprintf(s_.Darkcurrent, sizeof s_.Darkcurrent, "%s", darkName.c_str());
  ASSERT_EQ(1, Run());
  EXPECT_EQ(1, s_.IsDarkcurrent) << "the dark frame was used";
  for (const std::string& box : Boxes()) EXPECT_EQ(std::string::npos, box.find("Dunkelstrom")) << box;
  // The result is spread over the scale again, so the frames' darker sky
  // shows as another picture, not as one 300 lower.
  ASSERT_EQ(plain.size(), PictureSamples(&result_.header));
  EXPECT_NE(plain, std::vector<int16_t>(result_.samples, result_.samples + plain.size()));
}

}  // namespace
