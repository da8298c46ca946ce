// Batch jobs: one job pairs a source (a video or the first picture of a
// series) and a result file with a copy of the stacking settings, and
// "batch.tmp" keeps a paused batch for the resume dialog. The file holds
//
//   0   i32      job count n (at most kMaxBatchJobs)
//   4   i32      index of the job to resume (0..n)
//   8   n jobs of kBatchJobBytes each, little-endian, at the offsets of
//       EncodeBatchJob (texts zero-terminated in fields of 1024 bytes)
//
// It is written under a temporary name and read only when its size is that
// of its count. Platform-free.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "imagelib/image.h"

constexpr size_t kBatchJobBytes = 5340;
constexpr size_t kBatchFileHeadBytes = 8;
constexpr int32_t kMaxBatchJobs = 50;
constexpr char kBatchFileName[] = "batch.tmp";
constexpr int kBatchTextSize = 1024;

// Every field but source and target copies the ProgramState field of the
// same setting.
struct BatchJobRecord {
  char source[kBatchTextSize] = "";
  char target[kBatchTextSize] = "";
  int32_t FitMethod = 0;
  int32_t Imagetype = 0;
  ImageRect PatternRect = {0, 0, 0, 0};
  int32_t Searchradius = 0;
  double MinCorrelation = 0.0;
  char PatternPath[kBatchTextSize] = "";
  int32_t PatternFrameIndex = 0;
  int32_t Interlace = 0;
  int32_t ExcludeBorder = 0;
  int32_t Equalizing = 0;
  int32_t RGBCorrection = 0;
  int32_t BlueXshift = 0;
  int32_t BlueYshift = 0;
  int32_t BlueSize = 0;
  int32_t RedXshift = 0;
  int32_t RedYshift = 0;
  int32_t RedSize = 0;
  int32_t SeparateMethod = 0;
  char Flatfield[kBatchTextSize] = "";
  int32_t IsFlatfield = 0;
  char Darkcurrent[kBatchTextSize] = "";
  int32_t IsDarkcurrent = 0;
  int32_t IsNoisefilter = 0;
  int32_t Filtertype = 0;
  int32_t Pseudomedian = 0;
  double Effect = 0.0;
  double Sigmaradius = 0.0;
  int32_t DynamikCorrection = 0;
  int32_t CheckMethod = 0;
  int32_t CheckSharpness = 0;
  int32_t CheckDistortion = 0;
  double CheckSelection = 0.0;
  int32_t Safetycopy = 0;
  double Checkarea = 0.0;
  double Checkmix = 0.0;
  int32_t Subpixelfactor = 0;
  int32_t SubpixPart = 0;
  int32_t SubpixOrigsize = 0;
  int32_t Addpicsource = 0;
  int32_t FitNthPic = 0;
  int32_t PatternFrameTried = 0;
  int32_t Gaintype = 0;
  double Gaingamma = 0.0;
  int32_t Gainauto = 0;
  int32_t Superres = 0;
  int32_t Preprocess = 0;
  int32_t Qualitycheck = 0;
};

// One job at its fixed offsets (bytes after a text's terminator are 0, the
// reserved word at 3124 is 0), and back (every text's terminator forced).
void EncodeBatchJob(const BatchJobRecord& job, uint8_t out[kBatchJobBytes]);
void DecodeBatchJob(const uint8_t in[kBatchJobBytes], BatchJobRecord* job);

// Writes count jobs and the index to resume; 1 when the whole file is in
// place, 0 (and no file of that name changed) otherwise. A count outside
// 0..kMaxBatchJobs or an index outside 0..count writes nothing.
int WriteBatchFile(const char* path, int32_t count, int32_t index, const BatchJobRecord* jobs);

enum class BatchFileStatus {
  kOk,
  kMissing,   // does not open
  kBroken,    // size, count or index do not fit
  kMemory,
};

// Reads "batch.tmp": the jobs into *jobs and the index to resume. Anything
// but kOk leaves *jobs empty and the index 0.
BatchFileStatus ReadBatchFile(const char* path, std::vector<BatchJobRecord>* jobs, int32_t* index);

// "<directory><separator>batch.tmp" into out (capacity characters).
void BatchFilePath(char* out, size_t capacity, const char* directory);
