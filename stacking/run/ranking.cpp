#include "stacking/run/ranking.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "stacking/file_commit.h"

namespace {

constexpr double kNoPixels = 1000000.0;

// Keys that are not numbers sort last.
double Key(double v) { return std::isnan(v) ? -HUGE_VAL : v; }

template <typename Get>
void SortDescending(FrameRecord* records, int32_t count, Get key) {
  if (!records || count < 2) return;
  std::stable_sort(records, records + count,
                   [&](const FrameRecord& a, const FrameRecord& b) { return Key(key(a)) > Key(key(b)); });
}

void MeanAndSpread(const FrameRecord* r, int32_t n, int index, double* mean, double* sigma) {
  double sum = 0;
  for (int32_t i = 0; i < n; ++i) sum += r[i].qualityMeasures[index];
  *mean = sum / n;
  double squares = 0;
  for (int32_t i = 0; i < n; ++i) {
    const double d = r[i].qualityMeasures[index] - *mean;
    squares += d * d;
  }
  *sigma = n > 1 ? std::sqrt(squares / (n - 1)) : 0.0;
}

}  // namespace

void ComputeSortValues(FrameRecord* records, int32_t count) {
  if (!records || count < 1) return;
  double fewest = records[0].pixelCount > 0 ? records[0].pixelCount : kNoPixels;
  double sharpest = records[0].qualityMeasures[1];
  for (int32_t i = 1; i < count; ++i) {
    if (records[i].pixelCount > 0 && records[i].pixelCount < fewest) fewest = records[i].pixelCount;
    sharpest = std::max(sharpest, records[i].qualityMeasures[1]);
  }
  double mean6, sigma6, mean7, sigma7;
  MeanAndSpread(records, count, 5, &mean6, &sigma6);
  MeanAndSpread(records, count, 6, &mean7, &sigma7);
  const double t6 = std::max(mean6 - 2 * sigma6, mean6 / 2);
  const double t7 = std::max(mean7 - 2 * sigma7, mean7 / 2);
  for (int32_t i = 0; i < count; ++i) {
    FrameRecord& r = records[i];
    const bool rejected = count > 1 && (r.qualityMeasures[5] <= t6 || r.qualityMeasures[6] <= t7);
    if (rejected || !(sharpest > 0) || r.pixelCount <= 0) {
      r.sortValue = 0.0;
      continue;
    }
    r.sortValue = (r.qualityMeasures[1] / sharpest) * (fewest / r.pixelCount) * r.matchValue;
  }
}

void SortBySharpness(FrameRecord* records, int32_t count) {
  SortDescending(records, count, [](const FrameRecord& r) { return r.sortValue; });
}

void SortByDistortion(FrameRecord* records, int32_t count) {
  SortDescending(records, count, [](const FrameRecord& r) { return r.distortion; });
}

int32_t CutAtRejected(const FrameRecord* records, int32_t n1) {
  for (int32_t k = 0; k < n1; ++k)
    if (!(records[k].sortValue > 0.0)) return k + 1 < n1 ? k + 1 : n1;
  return n1;
}

int WriteProtocol(const char* fileName, const FrameRecord* records, int32_t count) {
  CommittedFile file;
  if (!file.Open(fileName && fileName[0] ? fileName : "Protokoll.log", true)) return 0;
  char line[128];
  for (int32_t i = 0; i < count; ++i) {
    const int n = std::snprintf(line, sizeof line, "Bild %04ld: Sortvalue: %6.4lf X: %4ld Y: %4ld\n", long(i),
                                records[i].sortValue, long(records[i].centreX), long(records[i].centreY));
    if (n < 0 || !file.Write(line, size_t(n))) return 0;
  }
  return file.Commit() ? 1 : 0;
}

void RankedPictureName(char* out, size_t capacity, const char* prefix, int32_t rank, int32_t recordFrame) {
  std::snprintf(out, capacity, "%sSortpic_%04ld_%04ld.png", prefix ? prefix : "", long(rank), long(recordFrame));
}
