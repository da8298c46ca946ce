// What every picture reader and writer shares, platform-free: the header a
// reader starts from, sample buffers bounded before they are allocated, the
// message a failed reader leaves for the Windows edge to show, and small
// file and text helpers.
#pragma once

#include <cstdint>
#include <cstdio>

#include "imagelib/image.h"

#ifdef __MINGW32__
#define TYV_PRINTF_FORMAT __MINGW_PRINTF_FORMAT
#else
#define TYV_PRINTF_FORMAT printf
#endif

// Text of the message box a failed reader or writer asks for; empty when it
// fails silently. The Windows edge shows it under "Fehlermeldung".
struct PictureMessage {
  char text[256];
};
void ClearPictureMessage(PictureMessage* m);
void SetPictureMessage(PictureMessage* m, const char* format, ...) __attribute__((format(TYV_PRINTF_FORMAT, 2, 3)));

// The reader header: the default header with width, height, levels 32768,
// the source bit depth, pixel aspect 1.0, pixel scales 8.4 and 8.2, source
// colour and colour type 0 (grey) or 1 (colour), fill samples 0 and the
// units "Counts" and "Pixel".
void SetReaderHeader(ImageHeader* h, int32_t width, int32_t height, bool colour, int sourceBits);

// Most samples a reader allocates for one picture. Above it a picture is
// refused before anything is allocated; by default what a 32-bit sample
// index and the allocator can hold (fuzzing sets it lower).
uint64_t PictureSampleLimit();
void SetPictureSampleLimit(uint64_t samples);

// 1 when a picture of width x height (x 3 for colour) plus spareRows rows is
// positive in both sides and within the sample limit.
int PictureFits(int64_t width, int64_t height, bool colour, int64_t spareRows = 0);
// Zero-filled samples for such a picture (AllocMem), null when it does not
// fit or memory is short.
int16_t* AllocPictureSamples(int64_t width, int64_t height, bool colour, int64_t spareRows = 0);

// A sample from any computed value: NaN and everything below 0 give 0,
// everything above 32767 gives 32767.
int16_t ClampSample(double v);
inline int16_t ClampSample(int64_t v) { return int16_t(v < 0 ? 0 : v > 32767 ? 32767 : v); }

// Copies src into dst of `capacity` characters, cut so that the terminator
// fits; a null src gives an empty text.
void CopyText(char* dst, size_t capacity, const char* src);

// Length of an open file in bytes (the position is set back to the start);
// -1 when it cannot be told.
int64_t OpenFileSize(FILE* f);
// Moves an open file to byte `position` from its start; false on failure.
bool SeekFile(FILE* f, int64_t position);
