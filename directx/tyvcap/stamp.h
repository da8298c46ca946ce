// Frame stamps, glyphs and the pixel conversions of the frame getters.
// Platform-free: the capture callback and the tests both use it.
#pragma once

#include <cstddef>
#include <cstdint>

namespace tyvcap {

// The glyph strip: 21 glyphs of 8 x 16 pixels side by side, 24 bits per
// pixel, rows bottom-up (the first row in memory is the lowest), no header.
constexpr int kGlyphCount = 21;
constexpr int kGlyphCellWidth = 8;
constexpr int kGlyphStripWidth = kGlyphCount * kGlyphCellWidth;   // 168
constexpr int kGlyphStripHeight = 16;
constexpr int kGlyphStripStride = kGlyphStripWidth * 3;            // 504
constexpr int kGlyphStripBytes = kGlyphStripStride * kGlyphStripHeight;  // 8064
// A stamp cell uses rows 2 to 13 of the strip and of the frame, counted from the bottom.
constexpr int kStampFirstRow = 2;
constexpr int kStampLastRow = 13;

// Index of the glyph drawn for a stamp code: 0..9 are the digits; 'G' is the
// degree sign; ' " . : N S W E - m are themselves; anything else draws a 0.
int GlyphIndex(int code);

// Fills the strip (kGlyphStripBytes) from the glyph table carried in the
// library, white on black, so stamps look the same on every system.
void FillGlyphStrip(uint8_t* strip);

// An RGB24 picture in memory: rows bottom-up, `stride` bytes apart.
struct FrameView {
  uint8_t* bits;
  int width;
  int height;
  int stride;
};

// ORs glyph `code` into the frame's rows 2..13 from pixel column x;
// pixels outside the frame are left out.
void DrawGlyph(const FrameView& frame, const uint8_t* strip, int code, int x);

struct StampTime {   // UTC
  int year, month, day, hour, minute, second, millisecond;
};

struct StampPosition {
  double longitude;   // degrees, east negative
  double latitude;    // degrees, north positive
  double altitude;    // metres
};

struct StampCell {
  int x;
  int code;
};

// Cells of the stamp: the date and time, and when `position` is given the
// longitude, latitude and altitude after it. Returns the count written to
// `cells`, which must hold kMaxStampCells.
constexpr int kMaxStampCells = 64;
int LayoutStamp(const StampTime& time, const StampPosition* position, StampCell* cells);

// The whole stamp into the frame (clipped to it).
void DrawStamp(const FrameView& frame, const uint8_t* strip, const StampTime& time,
               const StampPosition* position);

// One byte per pixel of a B,G,R frame: 0 luminance, 1 red, 2 green, 3 blue,
// 4 (blue + 2 green + red) / 4. Any other channel writes nothing and answers false.
bool ExtractChannel(const uint8_t* bgr, size_t pixels, unsigned channel, uint8_t* dst);

// The frame's bytes as 16-bit samples of the program's scale (byte << 7).
void WidenFrame(const uint8_t* bytes, size_t count, int16_t* dst);

// Copies a picture of `rows` rows from rows `srcStride` bytes apart into rows
// of `rowBytes` bytes, never writing more than `capacity` bytes in all.
// Returns the bytes written.
size_t PackRows(const uint8_t* src, int srcStride, int rows, int rowBytes, uint8_t* dst,
                size_t capacity);

// Frame counting shared by the grabber callback and the getters. The counter
// becomes 1 on the very first sample and on every discontinuity, then counts
// each sample; a getter hands out a frame only when the counter moved since
// the value it last consumed.
struct FrameCounter {
  bool firstSample = true;   // for the library's whole life
  int32_t counter = 0;
  int32_t consumed = 0;
  int32_t callbacks = 0;     // samples since the recording started

  void Reset() { counter = 0; consumed = 0; }
  void OnSample(bool discontinuity);
  // True (and marks the frame consumed) when a frame arrived since the last take.
  bool TakeNew();
};

}  // namespace tyvcap
