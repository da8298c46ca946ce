#include "astro/maps/projection_tables.h"

#include <climits>
#include <cmath>
#include <cstdio>
#include <string>

#include "astro/file_replace.h"
#include "imagelib/image.h"

int32_t* ProjectionSine = nullptr;
int32_t* ProjectionCosine = nullptr;
int32_t* ProjectionAsin = nullptr;
int32_t* ProjectionAcos = nullptr;
int32_t* ProjectionLog = nullptr;

namespace {

constexpr double kPi = 3.14159265358979323846;

struct TableSlot {
  int32_t** table;
  int entries;
};
const TableSlot kTables[5] = {{&ProjectionSine, kProjectionAngles},
                              {&ProjectionCosine, kProjectionAngles},
                              {&ProjectionAsin, kProjectionArcEntries},
                              {&ProjectionAcos, kProjectionArcEntries},
                              {&ProjectionLog, kProjectionLogEntries}};

int32_t Round(double x) { return int32_t(std::floor(x + 0.5)); }

void ComputeTables() {
  for (int a = 0; a < kProjectionAngles; ++a) {
    ProjectionSine[a] = Round(10000 * std::sin(a * kPi / 18000));
    ProjectionCosine[a] = Round(10000 * std::cos(a * kPi / 18000));
  }
  for (int v = -10000; v <= 10000; ++v) {
    ProjectionAsin[v + 10000] = Round(100 * std::asin(v / 10000.0) * 57.29577951308232);
    ProjectionAcos[v + 10000] = Round(100 * std::acos(v / 10000.0) * 57.29577951308232);
  }
  for (int j = 0; j < kProjectionLogEntries; ++j) ProjectionLog[j] = Round(10000 * std::log((j + 1000) / 1000.0));
}

// The whole file, only when it has exactly the tables' size.
bool ReadTables(const char* path) {
  std::FILE* f = std::fopen(path, "rb");
  if (!f) return false;
  bool ok = std::fseek(f, 0, SEEK_END) == 0 && std::ftell(f) == kProjectionFileSize && std::fseek(f, 0, SEEK_SET) == 0;
  unsigned char b[4];
  for (const TableSlot& t : kTables)
    for (int i = 0; ok && i < t.entries; ++i) {
      ok = std::fread(b, 1, 4, f) == 4;
      (*t.table)[i] = int32_t(uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24);
    }
  std::fclose(f);
  return ok;
}

bool WriteTables(const char* path) {
  const std::string temp = std::string(path) + ".tmp";
  std::FILE* f = std::fopen(temp.c_str(), "wb");
  if (!f) return false;
  bool ok = true;
  unsigned char b[4];
  for (const TableSlot& t : kTables)
    for (int i = 0; ok && i < t.entries; ++i) {
      const uint32_t v = uint32_t((*t.table)[i]);
      b[0] = uint8_t(v), b[1] = uint8_t(v >> 8), b[2] = uint8_t(v >> 16), b[3] = uint8_t(v >> 24);
      ok = std::fwrite(b, 1, 4, f) == 4;
    }
  ok = std::fclose(f) == 0 && ok;
  if (!ok) {
    std::remove(temp.c_str());
    return false;
  }
  return ReplaceWithTemporary(temp.c_str(), path) == 1;
}

int FoldTurn(int a) {
  a %= kProjectionAngles;
  return a < 0 ? a + kProjectionAngles : a;
}

// Folded into -17999..18000.
int FoldHalfTurn(int a) {
  a = FoldTurn(a);
  return a > 18000 ? a - kProjectionAngles : a;
}

int ClampUnit(int v) { return v < -10000 ? -10000 : v > 10000 ? 10000 : v; }

}  // namespace

int LoadProjectionTables(const char* path) {
  for (const TableSlot& t : kTables) {
    if (!*t.table) *t.table = static_cast<int32_t*>(AllocArray(size_t(t.entries), sizeof(int32_t)));
    if (!*t.table) return 0;
  }
  if (path && ReadTables(path)) return 1;
  ComputeTables();
  return WriteTables(path ? path : "imat.tab") ? 1 : 0;
}

void FreeProjectionTables() {
  for (const TableSlot& t : kTables) FreeMem(t.table);
}

int SinCentidegree(int a) { return ProjectionSine[FoldTurn(a)]; }
int CosCentidegree(int a) { return ProjectionCosine[FoldTurn(a)]; }

int TanCentidegree(int a) {
  // 27000 folds to -9000: a quarter turn short of the period, not a zero cosine.
  a = FoldHalfTurn(a);
  if (a == 9000) return INT_MAX;
  if (a == 0) return 0;
  if (a == -9000) return INT_MIN;
  return SinCentidegree(a) * 10000 / CosCentidegree(a);
}

int CotCentidegree(int a) {
  a = FoldHalfTurn(a);
  if (a == 9000 || a == -9000) return 0;
  if (a == 0 || a == 18000) return INT_MAX;
  return CosCentidegree(a) * 10000 / SinCentidegree(a);
}

int AsinCentidegree(int v) { return ProjectionAsin[ClampUnit(v) + 10000]; }
int AcosCentidegree(int v) { return ProjectionAcos[ClampUnit(v) + 10000]; }

int LogFixed(int v) {
  if (v <= 0) return 0x8000000;
  int decades = 0;
  while (v >= 10000) v /= 10, ++decades;
  while (v < 1000) v *= 10, --decades;
  return decades * 23026 + ProjectionLog[v - 1000];
}
