// What the capture dialog asks of the disk: free space, the size of the file
// being written, and whether files of a series are there already.
#pragma once

#include <cstdint>

#include "capture_plan.h"

// Free space of the disk that holds rootPath (a folder, or a file written
// there; null: the current folder's disk) in units of kDiskUnitBytes, all 64
// bits of it; 0 when it cannot be read.
uint64_t GetFreeDiskSpace(const char* rootPath);

// Free bytes of the disk a file is (or will be) written to: its folder, else
// the folder's drive. false when neither can be read.
bool FreeBytesForFile(const char* file, uint64_t* bytes);

// The size of a file that may be open for writing; false when it cannot be read.
bool ReadFileSize(const char* path, uint64_t* size);

// Whether a file of the series base + number (first .. first + count - 1)
// exists; one look into the folder, however long the series.
bool SeriesFileExists(const char* base, SeriesName kind, int32_t first, int32_t count);
