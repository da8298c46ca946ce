// Names of numbered picture series: a file name split into the part before
// the number, the number with its width and the extension, and the name of
// any other member built from them. Platform-free.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr int kSeriesPathSize = 1024;   // every path of the program
constexpr int kMaxNumberWidth = 8;      // longer digit runs keep their head in the prefix
constexpr int32_t kMaxSeriesFrames = 65535;

// Source kinds of a series (the setting Addpicsource), and the re-read of one
// recorded frame.
enum SeriesKind : int32_t {
  kSeriesAvi = 0,
  kSeriesDirectory = 1,
  kSeriesNumbered = 2,
  kSeriesRecorded = 3,
};

// Splits fileName (kSeriesPathSize characters at most) at the last "." after
// the last path separator: extension is the text from the dot on (empty when
// the file part has no dot). For kSeriesNumbered the digits just before the
// extension, at most kMaxNumberWidth of them, give number and width, and the
// prefix is the name before them; for other kinds the prefix is the name
// before the extension and number and width are 0. prefix and extension
// must hold kSeriesPathSize characters. Returns 1.
int SplitNumberedName(char* prefix, char* extension, int32_t* numberWidth, int32_t* number, const char* fileName,
                      int32_t sourceKind);

// prefix, the number zero-padded to width (printed in full when it has more
// digits) and extension into name (kSeriesPathSize characters). Widths
// outside 1..kMaxNumberWidth leave name as it was; so does a result that
// does not fit.
void MakeNumberedName(char* name, const char* prefix, const char* extension, int32_t numberWidth, int32_t number);

// Consecutive numbers from fileName's own on whose files open for reading,
// at most kMaxSeriesFrames; 0 for a name without digits before its extension.
int32_t CountNumberedFiles(const char* fileName);

// 1 when the file opens for reading.
int FileOpens(const char* fileName);
