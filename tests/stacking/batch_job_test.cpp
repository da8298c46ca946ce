// Batch jobs on disk: one job at its fixed offsets against hand-written
// bytes, "batch.tmp" written whole and read back, and broken files refused
// before anything is taken from them.
#include "stacking/batch/batch_job.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>

#include "stack_test_host.h"
#include "tests/imageio/picture_fixtures.h"

namespace {

using stacktest::FileBytes;

int32_t I32(const uint8_t* p) { return int32_t(uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24); }
double F64(const uint8_t* p) {
  uint64_t v = 0;
  for (int i = 0; i < 8; ++i) v |= uint64_t(p[i]) << (8 * i);
  double d;
  std::memcpy(&d, &v, 8);
  return d;
}

BatchJobRecord SampleJob(int n) {
  BatchJobRecord j;
  std::snprintf(j.source, sizeof j.source, "C:\\serie\\mars%04d.bmp", n);
  std::snprintf(j.target, sizeof j.target, "C:\\serie\\mars%04d.png", n);
  j.FitMethod = 3;
  j.Imagetype = 2;
  j.PatternRect = {11, 12, 13, 14};
  j.Searchradius = 50 + n;
  j.MinCorrelation = 0.85;
  std::strcpy(j.PatternPath, "C:\\muster\\jup.avi");
  j.PatternFrameIndex = 17;
  j.Interlace = 1;
  j.ExcludeBorder = 1;
  j.Equalizing = 1;
  j.RGBCorrection = 1;
  j.BlueXshift = -1, j.BlueYshift = -2, j.BlueSize = -3, j.RedXshift = 4, j.RedYshift = 5, j.RedSize = 6;
  j.SeparateMethod = 2;
  std::strcpy(j.Flatfield, "C:\\kal\\Flatfield.FTS");
  j.IsFlatfield = 1;
  std::strcpy(j.Darkcurrent, "C:\\kal\\Dunkel.FTS");
  j.IsDarkcurrent = 1;
  j.IsNoisefilter = 1;
  j.Filtertype = 7;
  j.Pseudomedian = 1;
  j.Effect = 42.5;
  j.Sigmaradius = -12.25;
  j.DynamikCorrection = 1;
  j.CheckMethod = 2;
  j.CheckSharpness = 1;
  j.CheckDistortion = 1;
  j.CheckSelection = 0.125;
  j.Safetycopy = 1;
  j.Checkarea = 0.75;
  j.Checkmix = 0.3;
  j.Subpixelfactor = 2;
  j.SubpixPart = 1;
  j.SubpixOrigsize = 0;
  j.Addpicsource = 2;
  j.FitNthPic = 3;
  j.PatternFrameTried = 21;
  j.Gaintype = 3;
  j.Gaingamma = 1.75;
  j.Gainauto = 1;
  j.Superres = 1;
  j.Preprocess = 1;
  j.Qualitycheck = 1;
  return j;
}

bool SameJob(const BatchJobRecord& a, const BatchJobRecord& b) {
  uint8_t x[kBatchJobBytes], y[kBatchJobBytes];
  EncodeBatchJob(a, x);
  EncodeBatchJob(b, y);
  return std::memcmp(x, y, kBatchJobBytes) == 0;
}

TEST(BatchJob, EveryFieldSitsAtItsOffset) {
  uint8_t b[kBatchJobBytes];
  std::memset(b, 0xAB, sizeof b);
  EncodeBatchJob(SampleJob(1), b);
  EXPECT_STREQ("C:\\serie\\mars0001.bmp", reinterpret_cast<const char*>(b + 0));
  EXPECT_STREQ("C:\\serie\\mars0001.png", reinterpret_cast<const char*>(b + 1024));
  EXPECT_STREQ("C:\\muster\\jup.avi", reinterpret_cast<const char*>(b + 2084));
  EXPECT_STREQ("C:\\kal\\Flatfield.FTS", reinterpret_cast<const char*>(b + 3160));
  EXPECT_STREQ("C:\\kal\\Dunkel.FTS", reinterpret_cast<const char*>(b + 4188));
  const struct {
    size_t at;
    int32_t value;
  } ints[] = {{2048, 3},    {2052, 2},    {2056, 11},   {2060, 12},   {2064, 13},   {2068, 14},   {2072, 51},
              {3108, 17},   {3112, 1},    {3116, 1},    {3120, 1},    {3124, 0},    {3128, 1},    {3132, -1},
              {3136, -2},   {3140, -3},   {3144, 4},    {3148, 5},    {3152, 6},    {3156, 2},    {4184, 1},
              {5212, 1},    {5216, 1},    {5220, 7},    {5224, 1},    {5244, 1},    {5248, 2},    {5252, 1},
              {5256, 1},    {5268, 1},    {5288, 2},    {5292, 1},    {5296, 0},    {5300, 2},    {5304, 3},
              {5308, 21},   {5312, 3},    {5324, 1},    {5328, 1},    {5332, 1},    {5336, 1}};
  for (const auto& c : ints) EXPECT_EQ(c.value, I32(b + c.at)) << c.at;
  const struct {
    size_t at;
    double value;
  } doubles[] = {{2076, 0.85}, {5228, 42.5}, {5236, -12.25}, {5260, 0.125},
                 {5272, 0.75}, {5280, 0.3},  {5316, 1.75}};
  for (const auto& c : doubles) EXPECT_EQ(c.value, F64(b + c.at)) << c.at;
  // Nothing of the 0xAB fill survives: texts are padded with zeros.
  for (size_t i = 0; i < kBatchJobBytes; ++i) ASSERT_NE(0xAB, b[i]) << i;

  BatchJobRecord back;
  DecodeBatchJob(b, &back);
  EXPECT_TRUE(SameJob(SampleJob(1), back));
  EXPECT_EQ(0.125, back.CheckSelection);
  EXPECT_EQ(14, back.PatternRect.h);
}

TEST(BatchJob, TextsWithoutTerminatorAreCutWhenRead) {
  uint8_t b[kBatchJobBytes];
  std::memset(b, 'x', sizeof b);
  BatchJobRecord job;
  DecodeBatchJob(b, &job);
  EXPECT_EQ(size_t(kBatchTextSize - 1), std::strlen(job.source));
  EXPECT_EQ(size_t(kBatchTextSize - 1), std::strlen(job.Darkcurrent));
}

TEST(BatchFile, WritesTheCountTheIndexAndEveryJob) {
  pictures::ScratchDir dir;
  const std::string path = dir / "batch.tmp";
  const BatchJobRecord jobs[] = {SampleJob(1), SampleJob(2), SampleJob(3)};
  ASSERT_EQ(1, WriteBatchFile(path.c_str(), 3, 1, jobs));
  const auto bytes = FileBytes(path);
  ASSERT_EQ(8 + 3 * kBatchJobBytes, bytes.size());
  EXPECT_EQ(3, I32(&bytes[0]));
  EXPECT_EQ(1, I32(&bytes[4]));
  EXPECT_STREQ("C:\\serie\\mars0003.bmp", reinterpret_cast<const char*>(&bytes[8 + 2 * kBatchJobBytes]));
  EXPECT_FALSE(std::filesystem::exists(path + ".part"));

  std::vector<BatchJobRecord> read;
  int32_t index = -1;
  ASSERT_EQ(BatchFileStatus::kOk, ReadBatchFile(path.c_str(), &read, &index));
  ASSERT_EQ(3u, read.size());
  EXPECT_EQ(1, index);
  for (int i = 0; i < 3; ++i) EXPECT_TRUE(SameJob(jobs[i], read[size_t(i)])) << i;
}

TEST(BatchFile, RefusesToWriteWhatItCouldNotReadBack) {
  pictures::ScratchDir dir;
  const std::string path = dir / "batch.tmp";
  std::vector<BatchJobRecord> jobs(kMaxBatchJobs + 1);
  EXPECT_EQ(0, WriteBatchFile(path.c_str(), kMaxBatchJobs + 1, 0, jobs.data()));
  EXPECT_EQ(0, WriteBatchFile(path.c_str(), 2, 3, jobs.data()));
  EXPECT_EQ(0, WriteBatchFile(path.c_str(), -1, 0, jobs.data()));
  EXPECT_FALSE(std::filesystem::exists(path));
  // An unwritable place leaves the file that is there as it was.
  ASSERT_EQ(1, WriteBatchFile(path.c_str(), 1, 0, jobs.data()));
  const auto before = FileBytes(path);
  const std::string nowhere = dir / "fehlt/batch.tmp";
  EXPECT_EQ(0, WriteBatchFile(nowhere.c_str(), 2, 0, jobs.data()));
  EXPECT_EQ(before, FileBytes(path));
}

TEST(BatchFile, BrokenFilesAreRefused) {
  pictures::ScratchDir dir;
  auto head = [](int32_t count, int32_t index, size_t jobs, size_t extra) {
    std::vector<uint8_t> b(8 + jobs * kBatchJobBytes + extra, 0);
    std::memcpy(&b[0], &count, 4);
    std::memcpy(&b[4], &index, 4);
    return b;
  };
  const struct {
    const char* what;
    std::vector<uint8_t> bytes;
  } cases[] = {
      {"empty", {}},
      {"short head", {2, 0, 0, 0}},
      {"one job short", head(2, 0, 1, 0)},
      {"a job cut", head(1, 0, 0, kBatchJobBytes - 1)},
      {"bytes behind the jobs", head(1, 0, 1, 3)},
      {"count above 50", head(51, 0, 51, 0)},
      {"negative count", head(-1, 0, 0, 0)},
      {"index past the end", head(2, 3, 2, 0)},
      {"negative index", head(2, -1, 2, 0)},
  };
  for (const auto& c : cases) {
    const std::string path = dir / "batch.tmp";
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(c.bytes.data()),
                                                std::streamsize(c.bytes.size()));
    std::vector<BatchJobRecord> jobs(2);
    int32_t index = 9;
    EXPECT_EQ(BatchFileStatus::kBroken, ReadBatchFile(path.c_str(), &jobs, &index)) << c.what;
    EXPECT_TRUE(jobs.empty()) << c.what;
    EXPECT_EQ(0, index) << c.what;
  }
  std::vector<BatchJobRecord> jobs;
  int32_t index = 0;
  EXPECT_EQ(BatchFileStatus::kMissing, ReadBatchFile((dir / "fehlt.tmp").c_str(), &jobs, &index));
  // The index may stand at the end: a batch paused before its last job ended.
  const std::string path = dir / "batch.tmp";
  ASSERT_EQ(1, WriteBatchFile(path.c_str(), 0, 0, nullptr));
  EXPECT_EQ(BatchFileStatus::kOk, ReadBatchFile(path.c_str(), &jobs, &index));
}

TEST(BatchFile, PathInTheProgramDirectory) {
  char path[64];
  BatchFilePath(path, sizeof path, "C:\\tyvorn\\");
  EXPECT_STREQ("C:\\tyvorn\\batch.tmp", path);
  BatchFilePath(path, sizeof path, "");
  EXPECT_STREQ("batch.tmp", path);
}

}  // namespace
