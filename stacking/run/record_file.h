// "recenter.tmp": the records of the last full stacking run, so that a
// re-stack can skip the centring. Little-endian, no signature:
//
//   0     char[1024]  series name of the run
//   1024  i32         record count R
//   1028  224 bytes   sum header (ImageHeader as stored)
//   1252  224 bytes   result header
//   1476  i32 x 2     reference point x, y
//   1484  i32         FitNthPic of the run (0 in older files: use the settings)
//   1488  i32         Addpicsource + 1 of the run (0 likewise)
//   1492  i32 x 6     Interlace, Superres, Subpixelfactor, SubpixPart,
//                     SubpixOrigsize, ExcludeBorder
//   1516  R records of 1152 bytes (FrameRecord at the offsets of
//         EncodeFrameRecord), in frame order
//
// Platform-free; written under a temporary name, read only when the file's
// size is exactly 1516 + 1152 R.
#pragma once

#include <cstddef>
#include <cstdint>

#include "imagelib/image.h"
#include "stacking/frame/frame_record.h"

constexpr size_t kFrameRecordBytes = 1152;
constexpr size_t kRecordFileHeadBytes = 1516;
constexpr char kRecordFileName[] = "recenter.tmp";
// Spare records behind the R records of a run's block.
constexpr int32_t kSpareRecords = 32;

struct RecordFileHead {
  char seriesName[kRecordNameSize] = "";
  int32_t recordCount = 0;
  ImageHeader sumHeader{};
  ImageHeader resultHeader{};
  int32_t referenceX = 0;
  int32_t referenceY = 0;
  int32_t fitNthPic = 0;          // 0: not stored
  int32_t addpicsource = -1;      // -1: not stored
  int32_t interlace = 0;
  int32_t superres = 0;
  int32_t subpixelfactor = 0;
  int32_t subpixPart = 0;
  int32_t subpixOrigsize = 0;
  int32_t excludeBorder = 0;
};

// One record at its fixed offsets, and back (the name's terminator forced).
void EncodeFrameRecord(const FrameRecord& r, uint8_t out[kFrameRecordBytes]);
void DecodeFrameRecord(const uint8_t in[kFrameRecordBytes], FrameRecord* r);

// Writes head and head.recordCount records; 1 when the whole file is in
// place, 0 (and no file of that name changed) otherwise.
int WriteRecordFile(const char* path, const RecordFileHead& head, const FrameRecord* records);

// Reads the head and a new zero-filled block of R + kSpareRecords records
// (AllocMem; the caller frees it). 0 when the file cannot be read, its size
// is not that of its count, or memory is short; *records is then null.
int ReadRecordFile(const char* path, RecordFileHead* head, FrameRecord** records);

// "<directory><separator>recenter.tmp" into out (capacity characters).
void RecordFilePath(char* out, size_t capacity, const char* directory);
