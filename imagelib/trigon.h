// Sine and arctangent tables in units of 1/32768 of a full turn, kept in
// "trigon.tab" so inner loops of colour conversions and the FFT need no
// library calls.
#pragma once

constexpr int kTrigAngles = 32768;        // one full turn
constexpr int kAtanEntries = 4097;        // atan(i / 4096), i = 0..4096
constexpr long kTrigFileSize = (kTrigAngles + kAtanEntries) * 8L;  // 294920 bytes

// Program-wide tables; null until LoadTrigTables succeeded.
extern double* SineTable;   // sin(i * 2pi / 32768)
extern double* AtanTable;   // atan(i / 4096) in 1/32768 turns

// Reads the tables from path, or computes them and writes the file when it is
// missing or has the wrong size. 1 on success, also when writing the file
// fails half-way; 0 when memory fails or the file can be neither read nor created.
int LoadTrigTables(const char* path);
// Releases both tables; returns 1.
int FreeTrigTables();

// Any angle is taken modulo one turn.
double TableSin(int angle);
double TableCos(int angle);
// Angle of the point (x = a, y = b) from the positive x axis, 0 <= result < 32768.
double TableAtan2(double a, double b);
