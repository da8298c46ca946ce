// Integer trigonometric tables for the fixed-point map projections: angles
// in hundredths of a degree, values scaled by 10000, kept in "imat.tab".
#pragma once

#include <cstdint>

constexpr int kProjectionAngles = 36000;     // sine and cosine entries
constexpr int kProjectionArcEntries = 20001; // arc sine and arc cosine, v = -10000..10000
constexpr int kProjectionLogEntries = 9001;  // ln((j + 1000) / 1000), j = 0..9000
// sine, cosine, arc sine, arc cosine, logarithm as little-endian int32, no header.
constexpr long kProjectionFileSize = (2L * kProjectionAngles + 2L * kProjectionArcEntries + kProjectionLogEntries) * 4;

// Program-wide tables; null until LoadProjectionTables allocated them.
extern int32_t* ProjectionSine;     // round(10000 sin(a pi / 18000))
extern int32_t* ProjectionCosine;   // round(10000 cos(a pi / 18000))
extern int32_t* ProjectionAsin;     // [v + 10000]: round(100 asin(v / 10000) in degrees)
extern int32_t* ProjectionAcos;     // [v + 10000]: round(100 acos(v / 10000) in degrees)
extern int32_t* ProjectionLog;      // [j]: round(10000 ln((j + 1000) / 1000))

// Allocates the tables and reads them from path when that file has exactly
// the table size; otherwise computes them and writes them to path (or
// "imat.tab" in the current directory for a null path). 1 on success; 0 when
// memory fails, or when the file cannot be written (the tables are kept).
int LoadProjectionTables(const char* path);
// Frees the five tables and clears their pointers.
void FreeProjectionTables();

// Table look-ups; any angle is folded into one turn.
int SinCentidegree(int a);
int CosCentidegree(int a);
// sin * 10000 / cos; 0x7FFFFFFF at 9000, 0x80000000 at -9000 (angles folded
// into -18000..18000 first).
int TanCentidegree(int a);
// cos * 10000 / sin; 0 at +-9000, 0x7FFFFFFF at 0 and 18000.
int CotCentidegree(int a);
// v (scaled by 10000) is clamped into -10000..10000; hundredths of a degree.
int AsinCentidegree(int v);
int AcosCentidegree(int v);
// 10000 ln(v / 1000); v <= 0 gives 0x8000000.
int LogFixed(int v);
