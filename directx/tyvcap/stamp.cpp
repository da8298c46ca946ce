#include "stamp.h"

#include <cmath>
#include <cstring>

namespace tyvcap {
namespace {

// The stamp font: 12 rows of 8 pixels per glyph, top row first, '#' lit.
// Carried here rather than drawn from a system font, whose cell width
// differs from system to system.
constexpr int kGlyphRows = kStampLastRow - kStampFirstRow + 1;
const char* const kGlyphs[kGlyphCount][kGlyphRows] = {
    {"........", "..####..", ".##..##.", ".##..##.", ".##.###.", ".###.##.",   // 0
     ".##..##.", ".##..##.", ".##..##.", "..####..", "........", "........"},
    {"........", "...##...", "..###...", ".####...", "...##...", "...##...",   // 1
     "...##...", "...##...", "...##...", ".######.", "........", "........"},
    {"........", "..####..", ".##..##.", ".....##.", "....##..", "...##...",   // 2
     "..##....", ".##.....", ".##.....", ".######.", "........", "........"},
    {"........", "..####..", ".##..##.", ".....##.", "...###..", ".....##.",   // 3
     ".....##.", ".....##.", ".##..##.", "..####..", "........", "........"},
    {"........", "....##..", "...###..", "..####..", ".##.##..", ".##.##..",   // 4
     ".######.", "....##..", "....##..", "....##..", "........", "........"},
    {"........", ".######.", ".##.....", ".##.....", ".#####..", ".....##.",   // 5
     ".....##.", ".....##.", ".##..##.", "..####..", "........", "........"},
    {"........", "...###..", "..##....", ".##.....", ".#####..", ".##..##.",   // 6
     ".##..##.", ".##..##.", ".##..##.", "..####..", "........", "........"},
    {"........", ".######.", ".....##.", ".....##.", "....##..", "...##...",   // 7
     "...##...", "..##....", "..##....", "..##....", "........", "........"},
    {"........", "..####..", ".##..##.", ".##..##.", "..####..", ".##..##.",   // 8
     ".##..##.", ".##..##.", ".##..##.", "..####..", "........", "........"},
    {"........", "..####..", ".##..##.", ".##..##.", ".##..##.", "..#####.",   // 9
     ".....##.", ".....##.", "....##..", "..###...", "........", "........"},
    {"..###...", ".##.##..", ".##.##..", "..###...", "........", "........",   // degree sign
     "........", "........", "........", "........", "........", "........"},
    {"...##...", "...##...", "...##...", "..##....", "........", "........",   // '
     "........", "........", "........", "........", "........", "........"},
    {".##..##.", ".##..##.", ".##..##.", ".#...#..", "........", "........",   // "
     "........", "........", "........", "........", "........", "........"},
    {"........", "........", "........", "........", "........", "........",   // .
     "........", "........", "...##...", "...##...", "........", "........"},
    {"........", "........", "........", "...##...", "...##...", "........",   // :
     "........", "...##...", "...##...", "........", "........", "........"},
    {"........", ".##..##.", ".###.##.", ".###.##.", ".######.", ".##.###.",   // N
     ".##.###.", ".##..##.", ".##..##.", ".##..##.", "........", "........"},
    {"........", "..####..", ".##..##.", ".##.....", "..##....", "...##...",   // S
     "....##..", ".....##.", ".##..##.", "..####..", "........", "........"},
    {"........", "##....##", "##....##", "##....##", "##....##", "##.##.##",   // W
     "##.##.##", "########", ".##..##.", ".##..##.", "........", "........"},
    {"........", ".######.", ".##.....", ".##.....", ".#####..", ".##.....",   // E
     ".##.....", ".##.....", ".##.....", ".######.", "........", "........"},
    {"........", "........", "........", "........", "........", ".######.",   // -
     "........", "........", "........", "........", "........", "........"},
    {"........", "........", "........", "........", "###.##..", "##.##.#.",   // m
     "##.##.#.", "##.##.#.", "##.##.#.", "##.##.#.", "........", "........"},
};

constexpr char kSymbolCodes[] = "G'\".:NSWE-m";   // glyphs 10 .. 20

// Truncation toward zero; a value no int holds (or not a number) counts as 0
// rather than be converted undefined.
int Trunc(double v) { return v > -2147483648.0 && v < 2147483648.0 ? static_cast<int>(v) : 0; }

struct CellWriter {
  StampCell* cells;
  int count;
  void Put(int x, int code) { cells[count++] = StampCell{x, code}; }
};

// Degrees, minutes and tenths of seconds of one coordinate, drawn from
// the column of its degrees' units (`unitsX`) on.
void PutAngle(CellWriter& w, double value, int unitsX, bool hundreds) {
  const double d = std::fabs(value);
  const unsigned degrees = static_cast<uint16_t>(Trunc(d));
  const double minutesTotal = d * 60.0;
  const double wholeMinutes = std::trunc(minutesTotal);
  int minutes = Trunc(wholeMinutes - 60.0 * degrees);
  if (minutes < 0) minutes = 0;
  if (minutes > 59) minutes = 59;
  const int tenths = Trunc((minutesTotal - wholeMinutes) * 600.0);
  if (hundreds && degrees > 99) w.Put(unitsX - 16, degrees / 100);
  if (degrees > 9) w.Put(unitsX - 8, hundreds ? degrees / 10 % 10 : degrees / 10);
  w.Put(unitsX, degrees % 10);
  w.Put(unitsX + 8, 'G');
  w.Put(unitsX + 16, minutes / 10);
  w.Put(unitsX + 24, minutes % 10);
  w.Put(unitsX + 32, '\'');
  w.Put(unitsX + 40, tenths / 100);
  w.Put(unitsX + 48, tenths / 10 % 10);
  w.Put(unitsX + 56, '.');
  w.Put(unitsX + 64, tenths % 10);
  w.Put(unitsX + 72, '"');
}

}  // namespace

int GlyphIndex(int code) {
  if (code >= 0 && code <= 9) return code;
  for (int i = 0; kSymbolCodes[i] != 0; ++i)
    if (kSymbolCodes[i] == code) return 10 + i;
  return 0;
}

void FillGlyphStrip(uint8_t* strip) {
  std::memset(strip, 0, kGlyphStripBytes);
  for (int g = 0; g < kGlyphCount; ++g) {
    for (int r = 0; r < kGlyphRows; ++r) {
      // Pattern row r is cell row r + 2 from the top, 13 - r from the bottom.
      uint8_t* row = strip + (kStampLastRow - r) * kGlyphStripStride + g * kGlyphCellWidth * 3;
      for (int c = 0; c < kGlyphCellWidth; ++c)
        if (kGlyphs[g][r][c] == '#') std::memset(row + 3 * c, 0xFF, 3);
    }
  }
}

void DrawGlyph(const FrameView& frame, const uint8_t* strip, int code, int x) {
  if (x < 0 || x >= frame.width) return;
  const int columns = frame.width - x < kGlyphCellWidth ? frame.width - x : kGlyphCellWidth;
  const int glyphOffset = GlyphIndex(code) * kGlyphCellWidth * 3;
  for (int r = kStampFirstRow; r <= kStampLastRow && r < frame.height; ++r) {
    const uint8_t* src = strip + r * kGlyphStripStride + glyphOffset;
    uint8_t* dst = frame.bits + static_cast<ptrdiff_t>(r) * frame.stride + 3 * x;
    for (int b = 0; b < 3 * columns; ++b) dst[b] |= src[b];
  }
}

int LayoutStamp(const StampTime& t, const StampPosition* position, StampCell* cells) {
  CellWriter w{cells, 0};
  const unsigned day = static_cast<uint16_t>(t.day);
  const unsigned hour = static_cast<uint16_t>(t.hour);
  if (day > 9) w.Put(8, day / 10 % 10);
  w.Put(16, day % 10);
  w.Put(24, '.');
  w.Put(36, t.month / 10 % 10);
  w.Put(44, t.month % 10);
  w.Put(52, '.');
  w.Put(64, t.year / 1000 % 10);
  w.Put(72, t.year / 100 % 10);
  w.Put(80, t.year / 10 % 10);
  w.Put(88, t.year % 10);
  if (hour > 9) w.Put(104, hour / 10 % 10);
  w.Put(112, hour % 10);
  w.Put(120, ':');
  w.Put(128, t.minute / 10 % 10);
  w.Put(136, t.minute % 10);
  w.Put(144, ':');
  w.Put(152, t.second / 10 % 10);
  w.Put(160, t.second % 10);
  w.Put(168, '.');
  w.Put(176, t.millisecond / 100 % 10);
  w.Put(184, t.millisecond / 10 % 10);
  if (!position) return w.count;

  PutAngle(w, position->longitude, 224, true);
  w.Put(304, position->longitude > 0 ? 'W' : 'E');
  PutAngle(w, position->latitude, 328, false);
  w.Put(408, position->latitude < 0 ? 'S' : 'N');

  const unsigned h = static_cast<unsigned>(Trunc(std::fabs(position->altitude)));
  if (position->altitude < 0) w.Put(416, '-');
  if (h > 999) w.Put(424, h / 1000 % 10);
  if (h > 99) w.Put(432, h / 100 % 10);
  if (h > 9) w.Put(440, h / 10 % 10);
  w.Put(448, h % 10);
  w.Put(456, 'm');
  return w.count;
}

void DrawStamp(const FrameView& frame, const uint8_t* strip, const StampTime& time,
               const StampPosition* position) {
  StampCell cells[kMaxStampCells];
  const int n = LayoutStamp(time, position, cells);
  for (int i = 0; i < n; ++i) DrawGlyph(frame, strip, cells[i].code, cells[i].x);
}

bool ExtractChannel(const uint8_t* bgr, size_t pixels, unsigned channel, uint8_t* dst) {
  if (channel > 4) return false;
  for (size_t i = 0; i < pixels; ++i) {
    const uint8_t* p = bgr + 3 * i;
    switch (channel) {
      case 0: dst[i] = static_cast<uint8_t>(0.299 * p[2] + 0.587 * p[1] + 0.114 * p[0]); break;
      case 4: dst[i] = static_cast<uint8_t>((p[0] + 2 * p[1] + p[2]) / 4); break;
      default: dst[i] = p[3 - channel]; break;   // 1 red, 2 green, 3 blue
    }
  }
  return true;
}

void WidenFrame(const uint8_t* bytes, size_t count, int16_t* dst) {
  for (size_t i = 0; i < count; ++i) dst[i] = static_cast<int16_t>(bytes[i] << 7);
}

size_t PackRows(const uint8_t* src, int srcStride, int rows, int rowBytes, uint8_t* dst,
                size_t capacity) {
  size_t written = 0;
  for (int r = 0; r < rows && written < capacity; ++r) {
    size_t n = static_cast<size_t>(rowBytes);
    if (n > capacity - written) n = capacity - written;
    std::memcpy(dst + written, src + static_cast<ptrdiff_t>(r) * srcStride, n);
    written += n;
  }
  return written;
}

void FrameCounter::OnSample(bool discontinuity) {
  if (firstSample) {
    firstSample = false;
    counter = 1;
  } else if (discontinuity) {
    counter = 1;
  }
  ++counter;
  ++callbacks;
}

bool FrameCounter::TakeNew() {
  if (counter == consumed) return false;
  consumed = counter;
  return true;
}

}  // namespace tyvcap
