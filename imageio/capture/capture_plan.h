// The arithmetic of a capture run: how many frames fit on the disk, how much
// free space a running recording keeps for itself, the names of picture and
// video series, and the row layout of the pictures written from frames.
// Platform-free.
#pragma once

#include <cstddef>
#include <cstdint>

// Free disk space is counted in units of this many bytes.
constexpr uint64_t kDiskUnitBytes = 4096;
// The frame-count bar and the timer set-up never offer more frames.
constexpr int32_t kMaxCaptureFrames = 32768;
// An endless recording with the limit on moves to its next part once the
// file passes this size (below 2^31, which old players cannot read past).
constexpr uint64_t kEndlessPartBytes = 2000000000;
// Parts of one endless recording: _000 to _998.
constexpr int32_t kEndlessLastPart = 998;

// Bytes of one frame as the grabber hands it over: width x |height| x 3,
// whatever the camera's own format (bits, row direction) is; 0 for an
// unknown size.
uint64_t CaptureFrameBytes(int32_t width, int32_t height);

// The largest frame count that fits into freeUnits units of free space,
// 1 to kMaxCaptureFrames. A frame takes its bytes rounded up to whole units;
// an unknown frame size (0) gives kMaxCaptureFrames.
int32_t CaptureFrameLimit(uint64_t freeUnits, uint64_t frameBytes);

// Free space a running AVI recording keeps: room for the index the
// multiplexer writes when the file is closed (both of its indexes, for every
// frame so far), for the frames that may arrive before the next look at
// the disk, and a margin. Below it the recording is stopped.
uint64_t AviReserveBytes(int64_t framesSoFar, uint64_t frameBytes);
// Free space needed before one more picture of a BMP series is written.
uint64_t BmpReserveBytes(int32_t width, int32_t height, int bitsPerPixel);

// The recording's name without its extension: the text from the last dot of
// the file name on is dropped; a dot in a folder name is no extension, and
// a name without one stays whole. false when base cannot hold the result.
bool CaptureBaseName(const char* file, char* base, size_t capacity);

enum class SeriesName {
  kBmp,    // "<base>007.bmp": pictures of a BMP series
  kAvi,    // "<base>007.avi": timed AVI sequences
  kPart,   // "<base>_007.avi": parts of an endless recording
};
// A name of a series; false (and out empty) when it does not fit into capacity.
bool FormatSeriesName(char* out, size_t capacity, const char* base, SeriesName kind, int32_t number);

// Whether fileName (without folder) belongs to the series of baseName (the
// base's file name, without folder): the name FormatSeriesName gives for
// some number, letters in either case. The number is stored then.
bool SeriesNumberOf(const char* fileName, const char* baseName, SeriesName kind, int32_t* number);

// Row length of a bitmap file: width x bits / 8 rounded up to 4 bytes.
size_t BmpRowStride(int32_t width, int bitsPerPixel);
// Spreads `count` rows lying rowBytes apart to stride apart in place (the
// buffer holds count x stride bytes); padding bytes become 0.
void PadRowsInPlace(uint8_t* rows, int32_t count, size_t rowBytes, size_t stride);
