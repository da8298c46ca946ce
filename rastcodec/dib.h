// Packed device-independent bitmaps held in byte buffers: the one picture
// layout every codec of the library reads and writes. A packed DIB is an info
// header, a colour table and the pixel rows; standard rows lie bottom-up and
// are padded to 4 bytes.
//
// Besides the standard layouts the library knows one of its own for 16-bit
// samples (TIFF only): 16 bits per pixel is one grey sample, 48 bits three
// samples blue, green, red; rows lie top row first without padding, each
// sample a 16-bit value in the machine's byte order. Everywhere else a 16-bit
// DIB is the platform's 5-5-5 (or bit-field) pixel.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace rastcodec {

using Bytes = std::vector<uint8_t>;

constexpr uint32_t kInfoHeaderSize = 40;
constexpr uint32_t kCoreHeaderSize = 12;
constexpr uint32_t kBiRgb = 0;
constexpr uint32_t kBiBitfields = 3;
constexpr int32_t kMaxSide = 65535;         // widest and highest picture accepted
constexpr int32_t kPixelsPerMetre = 2953;   // 75 dpi

// Upper bound of the pixel bytes of any DIB the library makes or accepts, so
// that a header with absurd dimensions is refused before anything is
// allocated. 1 GiB unless set otherwise (tests and fuzzing set it lower).
uint64_t DibByteLimit();
void SetDibByteLimit(uint64_t bytes);

enum class DibLayout {
  Standard,      // 16 bits per pixel is a 5-5-5 or bit-field pixel
  WideSamples,   // 16 and 48 bits per pixel are 16-bit samples (see above)
};

struct Bgr {
  uint8_t b, g, r;
};
inline bool operator==(Bgr x, Bgr y) { return x.b == y.b && x.g == y.g && x.r == y.r; }

// 0.299 R + 0.587 G + 0.114 B, rounded.
inline uint8_t Luminance(Bgr c) {
  return static_cast<uint8_t>((299u * c.r + 587u * c.g + 114u * c.b + 500u) / 1000u);
}

// A DIB whose header has been checked against the block that holds it.
struct DibView {
  int32_t width = 0;
  int32_t height = 0;            // number of rows, positive
  int bits = 0;                  // bits per pixel
  bool wide = false;             // rows of 16-bit samples (16 or 48 bits per pixel)
  bool topDown = false;          // first row in the block is the top row
  uint64_t stride = 0;           // bytes from one row to the next
  const uint8_t* pixels = nullptr;
  const uint8_t* table = nullptr;
  uint32_t tableEntries = 0;
  uint32_t tableEntrySize = 4;   // 3 in a core (12-byte) header
  uint32_t masks[3] = {};        // red, green, blue of 16 and 32 bits per pixel

  const uint8_t* Row(int32_t y) const;   // y counted from the top
  Bgr Colour(uint32_t index) const;      // black beyond the table
  bool IsGreyRamp() const;               // 8 bits and entry i is grey level i
};

// Reads a DIB's header; false when it is no DIB of a kind the library knows,
// or when its table and rows would not fit into size bytes.
bool ParseDib(const uint8_t* dib, uint64_t size, DibLayout layout, DibView* out);

// A bit-field mask the library can read: one run of set bits (or none)
// inside a pixel of the given depth.
bool ValidMask(uint32_t mask, int bits);

// Horizontal or vertical resolution of the header in dots per inch; 75 when
// the header gives none.
uint32_t DibDpi(const uint8_t* dib, bool vertical);

// Bits per pixel of the header, 0 when there is none.
int DibBitCount(const uint8_t* dib, uint64_t size);

// Byte offset of the first pixel row, -1 when the header is not a DIB's.
int64_t DibBitsOffset(const uint8_t* dib, uint64_t size);

// One row (y from the top) as width triples blue, green, red; wide samples
// keep their high byte.
void RowBgr(const DibView& v, int32_t y, uint8_t* out);
// One row of a DIB of up to 8 bits per pixel as width palette indices.
void RowIndices(const DibView& v, int32_t y, uint8_t* out);

// A new DIB being filled: 40-byte header as the callers expect it (one plane,
// no compression, image size set, 75 dpi), a full colour table (256 entries
// at 8 bits per pixel) up to 8 bits, zeroed pixels.
struct DibImage {
  Bytes data;
  int32_t width = 0;
  int32_t height = 0;
  int bits = 0;
  bool wide = false;
  uint64_t stride = 0;
  uint64_t pixelOffset = 0;

  // False when the size is out of range or the memory cannot be had.
  bool Create(int32_t width, int32_t height, int bits, DibLayout layout = DibLayout::Standard);
  // 16 or 32 bits per pixel with red, green and blue masks after the header.
  bool CreateBitfields(int32_t width, int32_t height, int bits, const uint32_t masks[3]);
  uint8_t* Row(int32_t y);   // y counted from the top
  void SetColour(uint32_t index, Bgr c);   // ignored beyond the table
  void SetGreyRamp();                      // 8 bits per pixel

 private:
  bool Allocate(int32_t width, int32_t height, int bits, bool wideSamples, const uint32_t* masks);
};

// New DIB of 8 bits per pixel (from 1 or 4, indices and table kept) or of 24
// bits (from 1, 4, 8, 16 or 32; palette indices become their colours). False
// for any other source depth or a broken DIB.
bool ConvertDibDepth(const uint8_t* dib, uint64_t size, int targetBits, Bytes* out);

// A picture as palette indices, top row first, for the palette formats.
struct IndexedPicture {
  int32_t width = 0;
  int32_t height = 0;
  Bytes indices;               // width * height
  std::vector<Bgr> palette;    // at most maxColours entries
};

// Reduces any DIB to at most maxColours (2, 16 or 256) colours. Palette DIBs
// keep their indices, scaled down when the depth must shrink; colour DIBs
// become grey levels when grey is set, else keep their colours exactly when
// there are few enough, else pass through a median-cut quantiser.
bool ToIndexed(const DibView& v, int maxColours, bool grey, IndexedPicture* out);

// Whole files; fopen names, so the ANSI code page on Windows.
bool ReadFileBytes(const char* path, Bytes* out);
// Reads at most n bytes from the start.
bool ReadFileHead(const char* path, size_t n, Bytes* out);
// Writes the file; a file that could not be written whole is removed.
bool WriteFileBytes(const char* path, const Bytes& bytes);

// Pixel x of a row packed at 1, 2, 4 or 8 bits per pixel, leftmost pixel in
// the high bits.
inline uint8_t PackedIndex(const uint8_t* row, int bits, int32_t x) {
  const int perByte = 8 / bits;
  const int shift = 8 - bits * (x % perByte + 1);
  return static_cast<uint8_t>((row[x / perByte] >> shift) & ((1 << bits) - 1));
}

// Little-endian field access.
inline uint16_t Get16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
inline uint32_t Get32(const uint8_t* p) {
  return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24;
}
inline void Put16(uint8_t* p, uint32_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
}
inline void Put32(uint8_t* p, uint32_t v) {
  Put16(p, v);
  Put16(p + 2, v >> 16);
}

}  // namespace rastcodec
