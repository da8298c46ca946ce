// The in-memory image: header, metadata block, rectangles, result codes and
// the memory helpers every sample buffer of the program goes through.
#pragma once

#include <cstddef>
#include <cstdint>

// Result of every image operator.
enum ImageResult : int32_t {
  IMG_OK = 0,
  IMG_BAD_PARAMETER = 1,   // unknown mode or factor, wrong colour type, src == dst
  IMG_BAD_RECT = 2,        // rectangle not valid for the image
  IMG_NULL_ARRAY = 3,      // destination, sum, count or result array is null
  IMG_NULL_IMAGE = 4,      // image sample pointer is null
  IMG_BAD_PIXEL_TYPE = 5,  // kept for the message table; nothing returns it
  IMG_NO_MEMORY = 6,       // a work buffer could not be had
};

constexpr int32_t kFullScale = 32768;   // 8-bit sources are multiplied by 128
constexpr int32_t kColourRgb = 1;       // colour type: three samples B,G,R per pixel

// Calendar date and time of one instant; passed by value. Stored inside
// ImageMetadata, hence the fixed 36-byte layout (the double sits at offset 28).
#pragma pack(push, 4)
struct DateTimeRecord {
  int16_t day;          // 1..31
  int16_t month;        // 1..12
  int16_t year;         // astronomical numbering: 0 is 1 BC
  int16_t hour;
  int16_t minute;
  int16_t second;
  int16_t millisecond;
  int16_t zone;         // minutes the zone is ahead of UT
  char weekday[12];     // German name, NUL-terminated
  double julianDay;     // the instant on the UT scale
};
#pragma pack(pop)
static_assert(sizeof(DateTimeRecord) == 36, "DateTimeRecord is stored in files");
static_assert(offsetof(DateTimeRecord, weekday) == 16, "DateTimeRecord layout");
static_assert(offsetof(DateTimeRecord, julianDay) == 28, "DateTimeRecord layout");

// 56 32-bit words describing one image. The stacking run stores it byte for
// byte, so every offset is fixed. Fields marked carried are kept and copied
// but no operator interprets them.
struct ImageHeader {
  int32_t width;
  int32_t height;
  int32_t levels;            // number of sample values; histograms have this many bins
  int16_t sourceBits;        // 8 grey, 24 colour, 15 FITS
  int16_t reserved14;
  double pixelAspect;        // width of a pixel over its height
  double xScale;
  double yScale;
  int32_t carried40;
  int32_t sourceColour;      // 1 when the source file held colour
  int32_t colourType;        // 1 colour (B,G,R), anything else grey; 11 forces palette 23
  int32_t carried52;
  int16_t fillRed;           // fill for grey or red where an operator has no data
  int16_t fillPad58[3];
  int16_t fillGreen;
  int16_t fillPad66[3];
  int16_t fillBlue;
  int16_t fillPad74[3];
  int32_t carried80;
  int32_t carried84;
  int16_t carried88;
  int16_t carried90;
  int32_t carried92;
  char valueUnit[24];
  double carried120;
  double carried128;
  double carried136;
  double carried144;
  double carried152;
  double carried160;
  char xUnit[24];
  char yUnit[24];
  int32_t carried216;
  int32_t carried220;
};
static_assert(sizeof(ImageHeader) == 224, "ImageHeader is stored in files");
static_assert(offsetof(ImageHeader, sourceBits) == 12, "ImageHeader layout");
static_assert(offsetof(ImageHeader, pixelAspect) == 16, "ImageHeader layout");
static_assert(offsetof(ImageHeader, yScale) == 32, "ImageHeader layout");
static_assert(offsetof(ImageHeader, colourType) == 48, "ImageHeader layout");
static_assert(offsetof(ImageHeader, fillRed) == 56, "ImageHeader layout");
static_assert(offsetof(ImageHeader, fillGreen) == 64, "ImageHeader layout");
static_assert(offsetof(ImageHeader, fillBlue) == 72, "ImageHeader layout");
static_assert(offsetof(ImageHeader, carried88) == 88, "ImageHeader layout");
static_assert(offsetof(ImageHeader, valueUnit) == 96, "ImageHeader layout");
static_assert(offsetof(ImageHeader, carried120) == 120, "ImageHeader layout");
static_assert(offsetof(ImageHeader, xUnit) == 168, "ImageHeader layout");
static_assert(offsetof(ImageHeader, yUnit) == 192, "ImageHeader layout");
static_assert(offsetof(ImageHeader, carried216) == 216, "ImageHeader layout");

// 663 32-bit words that travel with an image in its buffer slot. Only the
// time stamp and the two names are interpreted; the rest is carried.
struct ImageMetadata {
  DateTimeRecord fileTime;   // words 0..8: the file's last-write time (UTC)
  int32_t words[142];        // words 9..150, carried
  char fileName[1024];
  char path[1024];           // shown in the buffer window's title
};
static_assert(sizeof(ImageMetadata) == 2652, "ImageMetadata is copied whole");
static_assert(offsetof(ImageMetadata, words) == 36, "ImageMetadata layout");
static_assert(offsetof(ImageMetadata, fileName) == 604, "ImageMetadata layout");
static_assert(offsetof(ImageMetadata, path) == 1628, "ImageMetadata layout");

// Word i (0..662) of the metadata block, counted as the block's own numbering.
int32_t MetadataWord(const ImageMetadata* md, int index);

struct ImageRect {
  int32_t x;
  int32_t y;
  int32_t w;
  int32_t h;
};
static_assert(sizeof(ImageRect) == 16, "ImageRect layout");

void InitImageHeader(ImageHeader* out);
void InitImageMetadata(ImageMetadata* out);
ImageRect* MakeRect(ImageRect* r, int32_t x, int32_t y, int32_t w, int32_t h);
// 1 when r lies inside the image (w and h may be 0, x and y must be pixels).
int RectInImage(const ImageRect* r, const ImageHeader* h);

// Samples per pixel: 3 for colour type 1, else 1.
inline int SamplesPerPixel(const ImageHeader* h) { return h->colourType == kColourRgb ? 3 : 1; }

// Width and height as loop bounds: a broken header with a negative size
// describes an empty image rather than a huge one.
inline ptrdiff_t ImageCols(const ImageHeader* h) { return h->width > 0 ? h->width : 0; }
inline ptrdiff_t ImageRows(const ImageHeader* h) { return h->height > 0 ? h->height : 0; }

// Zero-filled block that stays put until freed; null when it cannot be had.
void* AllocMem(uint32_t size);
// Grows or shrinks a block; new bytes are not zeroed. Null on failure, and the
// old block then stays valid.
void* ReallocMem(void* p, uint32_t newSize);
// AllocMem for count elements of size bytes; null when the block cannot be
// had or its size does not fit the allocator's 32-bit size.
void* AllocArray(size_t count, size_t size);
// Frees *p when set and clears the caller's pointer; returns 0.
int FreeMem(void** p);

// Blocks of AllocMem (and ReallocMem from null) not yet given back through
// FreeMem: tests compare it before and after a dialog to find leaks.
long LiveMemBlocks();

// Typed convenience for FreeMem on any pointer variable.
template <typename T>
inline int FreeMem(T** p) {
  void* v = *p;
  int r = FreeMem(&v);
  *p = static_cast<T*>(v);
  return r;
}

// Called by long operators once per row or step of a pass with the pass's
// step count and 0; a caller resets its own counter by calling it with
// first = 1. Operators take it as an optional last argument.
typedef void (*ProgressCallback)(int32_t total, int32_t first);
