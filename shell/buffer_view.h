// Geometry of a buffer window's picture view: where the reduced picture sits
// in the client area, the black margins around it, and the horizontal strips
// in which it is drawn (a strip bitmap holds about 512000 pixels).
#pragma once

#include <cstdint>

constexpr int32_t kMinReduction = 1;
constexpr int32_t kMaxReduction = 32;
constexpr int32_t kStripPixels = 512000;

struct ViewAxis {
  int32_t origin;        // first client pixel of the picture
  int32_t drawn;         // client pixels the picture covers
  int32_t marginBefore;  // end (exclusive) of the leading margin; 0 without margins
  int32_t marginAfter;   // start of the trailing margin; client size without margins
};

// One axis: a picture of `reduced` pixels in a client of `client` pixels is
// centred between margins when it is smaller, else fills the client from 0.
ViewAxis LayoutViewAxis(int32_t client, int32_t reduced);

// The reduced size of a picture side: side / reduction, with the reduction
// kept within 1..32.
int32_t ReducedSize(int32_t side, int32_t reduction);

struct Strip {
  int32_t top;   // first row, counted from the picture's first drawn row
  int32_t rows;
};

// Rows per strip for a drawn width; 0 when nothing can be drawn.
int32_t StripRows(int32_t drawnWidth);
// Splits drawnHeight rows into strips of StripRows rows and one last strip of
// what remains; writes at most maxStrips and returns how many there are. No
// strips without width or height.
int32_t PlanStrips(int32_t drawnWidth, int32_t drawnHeight, Strip* strips, int32_t maxStrips);
