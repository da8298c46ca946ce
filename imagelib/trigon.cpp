#include "trigon.h"

#include <cmath>
#include <cstdio>

#include "image.h"

double* SineTable = nullptr;
double* AtanTable = nullptr;

namespace {

constexpr double kAngleStep = 0.00019174759848570515;   // 2pi / 32768
constexpr double kTurnsPerRadian = 5215.189175235227;   // 32768 / (2pi)

void ComputeTables() {
  for (int i = 0; i < kTrigAngles; ++i) SineTable[i] = std::sin(i * kAngleStep);
  for (int i = 0; i < kAtanEntries; ++i) AtanTable[i] = std::atan(i * (1.0 / 4096)) * kTurnsPerRadian;
}

long FileSize(std::FILE* f) {
  if (std::fseek(f, 0, SEEK_END) != 0) return -1;
  long size = std::ftell(f);
  std::rewind(f);
  return size;
}

// True when the whole file was read; a file of any other size is not trusted.
bool ReadTables(const char* path) {
  std::FILE* f = std::fopen(path, "rb");
  if (!f) return false;
  bool ok = FileSize(f) == kTrigFileSize &&
            std::fread(SineTable, sizeof(double), kTrigAngles, f) == size_t(kTrigAngles) &&
            std::fread(AtanTable, sizeof(double), kAtanEntries, f) == size_t(kAtanEntries);
  std::fclose(f);
  return ok;
}

// False only when the file cannot be created. A write that fails on the way
// (a full disk) costs nothing now: the tables are computed, and the short file
// it leaves is recomputed at the next start.
bool WriteTables(const char* path) {
  std::FILE* f = std::fopen(path, "wb");
  if (!f) return false;
  if (std::fwrite(SineTable, sizeof(double), kTrigAngles, f) == size_t(kTrigAngles))
    std::fwrite(AtanTable, sizeof(double), kAtanEntries, f);
  std::fclose(f);
  return true;
}

}  // namespace

int LoadTrigTables(const char* path) {
  FreeTrigTables();
  SineTable = static_cast<double*>(AllocMem(kTrigAngles * sizeof(double)));
  AtanTable = static_cast<double*>(AllocMem(kAtanEntries * sizeof(double)));
  if (!SineTable || !AtanTable) {
    FreeTrigTables();
    return 0;
  }
  if (ReadTables(path)) return 1;
  ComputeTables();
  return WriteTables(path) ? 1 : 0;
}

int FreeTrigTables() {
  FreeMem(&SineTable);
  FreeMem(&AtanTable);
  return 1;
}

double TableSin(int angle) { return SineTable[angle & (kTrigAngles - 1)]; }

// Unsigned so that an angle near INT_MAX wraps instead of overflowing.
double TableCos(int angle) { return SineTable[(unsigned(angle) + 8192u) & (kTrigAngles - 1)]; }

double TableAtan2(double a, double b) {
  if (a == 0) return b > 0 ? 8192 : b < 0 ? 24576 : 0;
  if (b == 0) return a > 0 ? 0 : 16384;
  const double A = std::fabs(a), B = std::fabs(b);
  const bool wide = A > B;   // ratio B/A, else A/B; A == B falls to the second branch
  // The ratio lies in 0..1; only a NaN or two infinities make it anything
  // else, and those must not index outside the table.
  const double ratio = wide ? B / A : A / B;
  const double t = AtanTable[ratio >= 0 && ratio <= 1 ? int(4096 * ratio + 0.5) : 0];
  if (a > 0 && b > 0) return wide ? t : 8192 - t;
  if (a > 0) {
    if (!wide) return t + 24576;
    double r = 32768 - t;
    return r == 32768 ? 0 : r;
  }
  if (b > 0) return wide ? 16384 - t : t + 8192;
  return wide ? t + 16384 : 24576 - t;
}
