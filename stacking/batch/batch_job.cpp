#include "stacking/batch/batch_job.h"

#include <cstdio>
#include <cstring>

#include "stacking/file_commit.h"
#include "stacking/record_fields.h"

namespace {

enum class Kind { kText, kInt, kDouble };

struct Field {
  size_t file;     // offset in the stored job
  Kind kind;
  size_t member;   // offset in BatchJobRecord
};

#define JOB(member) offsetof(BatchJobRecord, member)
constexpr Field kFields[] = {
    {0, Kind::kText, JOB(source)},
    {1024, Kind::kText, JOB(target)},
    {2048, Kind::kInt, JOB(FitMethod)},
    {2052, Kind::kInt, JOB(Imagetype)},
    {2056, Kind::kInt, JOB(PatternRect.x)},
    {2060, Kind::kInt, JOB(PatternRect.y)},
    {2064, Kind::kInt, JOB(PatternRect.w)},
    {2068, Kind::kInt, JOB(PatternRect.h)},
    {2072, Kind::kInt, JOB(Searchradius)},
    {2076, Kind::kDouble, JOB(MinCorrelation)},
    {2084, Kind::kText, JOB(PatternPath)},
    {3108, Kind::kInt, JOB(PatternFrameIndex)},
    {3112, Kind::kInt, JOB(Interlace)},
    {3116, Kind::kInt, JOB(ExcludeBorder)},
    {3120, Kind::kInt, JOB(Equalizing)},
    // 3124: reserved, 0
    {3128, Kind::kInt, JOB(RGBCorrection)},
    {3132, Kind::kInt, JOB(BlueXshift)},
    {3136, Kind::kInt, JOB(BlueYshift)},
    {3140, Kind::kInt, JOB(BlueSize)},
    {3144, Kind::kInt, JOB(RedXshift)},
    {3148, Kind::kInt, JOB(RedYshift)},
    {3152, Kind::kInt, JOB(RedSize)},
    {3156, Kind::kInt, JOB(SeparateMethod)},
    {3160, Kind::kText, JOB(Flatfield)},
    {4184, Kind::kInt, JOB(IsFlatfield)},
    {4188, Kind::kText, JOB(Darkcurrent)},
    {5212, Kind::kInt, JOB(IsDarkcurrent)},
    {5216, Kind::kInt, JOB(IsNoisefilter)},
    {5220, Kind::kInt, JOB(Filtertype)},
    {5224, Kind::kInt, JOB(Pseudomedian)},
    {5228, Kind::kDouble, JOB(Effect)},
    {5236, Kind::kDouble, JOB(Sigmaradius)},
    {5244, Kind::kInt, JOB(DynamikCorrection)},
    {5248, Kind::kInt, JOB(CheckMethod)},
    {5252, Kind::kInt, JOB(CheckSharpness)},
    {5256, Kind::kInt, JOB(CheckDistortion)},
    {5260, Kind::kDouble, JOB(CheckSelection)},
    {5268, Kind::kInt, JOB(Safetycopy)},
    {5272, Kind::kDouble, JOB(Checkarea)},
    {5280, Kind::kDouble, JOB(Checkmix)},
    {5288, Kind::kInt, JOB(Subpixelfactor)},
    {5292, Kind::kInt, JOB(SubpixPart)},
    {5296, Kind::kInt, JOB(SubpixOrigsize)},
    {5300, Kind::kInt, JOB(Addpicsource)},
    {5304, Kind::kInt, JOB(FitNthPic)},
    {5308, Kind::kInt, JOB(PatternFrameTried)},
    {5312, Kind::kInt, JOB(Gaintype)},
    {5316, Kind::kDouble, JOB(Gaingamma)},
    {5324, Kind::kInt, JOB(Gainauto)},
    {5328, Kind::kInt, JOB(Superres)},
    {5332, Kind::kInt, JOB(Preprocess)},
    {5336, Kind::kInt, JOB(Qualitycheck)},
};
#undef JOB

constexpr size_t Width(Kind k) { return k == Kind::kText ? kBatchTextSize : k == Kind::kDouble ? 8 : 4; }

// The table covers the record without gaps but the reserved word.
constexpr bool TableIsWhole() {
  size_t at = 0;
  for (const Field& f : kFields) {
    if (f.file == 3128 && at == 3124) at += 4;
    if (f.file != at) return false;
    at += Width(f.kind);
  }
  return at == kBatchJobBytes;
}
static_assert(TableIsWhole(), "the job's fields follow each other up to 5340 bytes");

}  // namespace

void EncodeBatchJob(const BatchJobRecord& job, uint8_t out[kBatchJobBytes]) {
  std::memset(out, 0, kBatchJobBytes);
  const auto* base = reinterpret_cast<const uint8_t*>(&job);
  for (const Field& f : kFields) {
    const uint8_t* m = base + f.member;
    switch (f.kind) {
      case Kind::kText: {
        const size_t n = strnlen(reinterpret_cast<const char*>(m), kBatchTextSize - 1);
        std::memcpy(out + f.file, m, n);
        break;
      }
      case Kind::kInt: {
        int32_t v;
        std::memcpy(&v, m, sizeof v);
        Put32(out + f.file, v);
        break;
      }
      case Kind::kDouble: {
        double v;
        std::memcpy(&v, m, sizeof v);
        PutDouble(out + f.file, v);
        break;
      }
    }
  }
}

void DecodeBatchJob(const uint8_t in[kBatchJobBytes], BatchJobRecord* job) {
  *job = BatchJobRecord{};
  auto* base = reinterpret_cast<uint8_t*>(job);
  for (const Field& f : kFields) {
    uint8_t* m = base + f.member;
    switch (f.kind) {
      case Kind::kText:
        std::memcpy(m, in + f.file, kBatchTextSize);
        m[kBatchTextSize - 1] = 0;
        break;
      case Kind::kInt: {
        const int32_t v = Get32(in + f.file);
        std::memcpy(m, &v, sizeof v);
        break;
      }
      case Kind::kDouble: {
        const double v = GetDouble(in + f.file);
        std::memcpy(m, &v, sizeof v);
        break;
      }
    }
  }
}

int WriteBatchFile(const char* path, int32_t count, int32_t index, const BatchJobRecord* jobs) {
  if (!path || count < 0 || count > kMaxBatchJobs || index < 0 || index > count || (count > 0 && !jobs)) return 0;
  CommittedFile file;
  if (!file.Open(path)) return 0;
  uint8_t head[kBatchFileHeadBytes];
  Put32(head, count);
  Put32(head + 4, index);
  bool ok = file.Write(head, sizeof head);
  std::vector<uint8_t> job(kBatchJobBytes);
  for (int32_t i = 0; ok && i < count; ++i) {
    EncodeBatchJob(jobs[i], job.data());
    ok = file.Write(job.data(), job.size());
  }
  return ok && file.Commit() ? 1 : 0;
}

BatchFileStatus ReadBatchFile(const char* path, std::vector<BatchJobRecord>* jobs, int32_t* index) {
  jobs->clear();
  *index = 0;
  FILE* f = path ? std::fopen(path, "rb") : nullptr;
  if (!f) return BatchFileStatus::kMissing;
  uint8_t head[kBatchFileHeadBytes];
  long length = -1;
  bool ok = std::fread(head, 1, sizeof head, f) == sizeof head && std::fseek(f, 0, SEEK_END) == 0;
  if (ok) length = std::ftell(f);
  const int32_t count = ok ? Get32(head) : -1;
  const int32_t resume = ok ? Get32(head + 4) : -1;
  // Count, index and size must agree before anything is allocated.
  ok = ok && count >= 0 && count <= kMaxBatchJobs && resume >= 0 && resume <= count && length >= 0 &&
       uint64_t(length) == kBatchFileHeadBytes + kBatchJobBytes * uint64_t(count) &&
       std::fseek(f, long(kBatchFileHeadBytes), SEEK_SET) == 0;
  if (!ok) {
    std::fclose(f);
    return BatchFileStatus::kBroken;
  }
  std::vector<BatchJobRecord> read;
  std::vector<uint8_t> job(kBatchJobBytes);
  try {
    read.resize(size_t(count));
  } catch (...) {
    std::fclose(f);
    return BatchFileStatus::kMemory;
  }
  for (int32_t i = 0; i < count; ++i) {
    if (std::fread(job.data(), 1, job.size(), f) != job.size()) {
      std::fclose(f);
      return BatchFileStatus::kBroken;
    }
    DecodeBatchJob(job.data(), &read[size_t(i)]);
  }
  std::fclose(f);
  jobs->swap(read);
  *index = resume;
  return BatchFileStatus::kOk;
}

void BatchFilePath(char* out, size_t capacity, const char* directory) {
#ifdef _WIN32
  const char separator = '\\';
#else
  const char separator = '/';
#endif
  const size_t n = directory ? std::strlen(directory) : 0;
  const bool ends = n > 0 && (directory[n - 1] == '\\' || directory[n - 1] == '/');
  if (n == 0)
    std::snprintf(out, capacity, "%s", kBatchFileName);
  else if (ends)
    std::snprintf(out, capacity, "%s%s", directory, kBatchFileName);
  else
    std::snprintf(out, capacity, "%s%c%s", directory, separator, kBatchFileName);
}
