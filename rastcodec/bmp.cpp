// Windows and OS/2 bitmap files: core, info, V4 and V5 headers, bit fields.
// Run-length and embedded JPEG/PNG pixels are refused. The DIB keeps the
// file's depth; it always gets a 40-byte header, bottom-up rows and a full
// table, and bit fields only where the masks are not the default ones.

#include "codecs.h"

#include <algorithm>

namespace rastcodec {

namespace {

constexpr uint32_t kFileHeaderSize = 14;
constexpr uint32_t kBiAlphaBitfields = 6;

bool KnownHeaderSize(uint32_t size) {
  switch (size) {
    case 12: case 40: case 52: case 56: case 64: case 108: case 124: return true;
    default: return false;
  }
}

}  // namespace

bool DecodeBmp(const uint8_t* file, size_t size, Bytes* dib) {
  if (file == nullptr || size < kFileHeaderSize + kCoreHeaderSize || file[0] != 'B' || file[1] != 'M') {
    return false;
  }
  const uint8_t* h = file + kFileHeaderSize;
  const uint64_t available = size - kFileHeaderSize;
  const uint32_t headerSize = Get32(h);
  if (!KnownHeaderSize(headerSize) || headerSize > available) return false;

  const bool core = headerSize == kCoreHeaderSize;
  int64_t width, height;
  uint32_t planes, bits, compression = kBiRgb, coloursUsed = 0;
  uint32_t xRes = kPixelsPerMetre, yRes = kPixelsPerMetre;
  if (core) {
    width = Get16(h + 4);
    height = Get16(h + 6);
    planes = Get16(h + 8);
    bits = Get16(h + 10);
  } else {
    width = static_cast<int32_t>(Get32(h + 4));
    height = static_cast<int32_t>(Get32(h + 8));
    planes = Get16(h + 12);
    bits = Get16(h + 14);
    compression = Get32(h + 16);
    xRes = Get32(h + 24);
    yRes = Get32(h + 28);
    coloursUsed = Get32(h + 32);
  }
  const bool topDown = height < 0;
  if (topDown) height = -height;
  if (planes != 1 || width <= 0 || width > kMaxSide || height <= 0 || height > kMaxSide) return false;
  if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) return false;

  // OS/2 2.x headers (64 bytes) use compression 3 for Huffman coding.
  const bool bitfields = (compression == kBiBitfields && headerSize != 64) || compression == kBiAlphaBitfields;
  if (compression != kBiRgb && !bitfields) return false;
  if (bitfields && bits != 16 && bits != 32) return false;

  uint64_t pos = kFileHeaderSize + uint64_t{headerSize};
  uint32_t masks[3] = {};
  if (bitfields) {
    const uint8_t* m;
    if (headerSize >= 52) {
      m = h + 40;
    } else {
      const uint64_t maskBytes = compression == kBiAlphaBitfields ? 16 : 12;
      if (pos + maskBytes > size) return false;
      m = file + pos;
      pos += maskBytes;
    }
    for (int i = 0; i < 3; ++i) {
      masks[i] = Get32(m + 4 * i);
      if (!ValidMask(masks[i], int(bits))) return false;
    }
  }

  const uint32_t entrySize = core ? 3 : 4;
  const uint64_t declaredEntries = coloursUsed != 0 ? coloursUsed : (bits <= 8 ? 1u << bits : 0u);
  const uint64_t usedEntries = bits <= 8 ? std::min<uint64_t>(declaredEntries, 1u << bits) : 0;
  const uint8_t* table = file + pos;
  if (pos + usedEntries * entrySize > size) return false;
  const uint64_t tableEnd = pos + declaredEntries * entrySize;

  const uint64_t stride = (uint64_t(width) * bits + 31) / 32 * 4;
  const uint64_t pixelBytes = stride * uint64_t(height);
  if (pixelBytes > DibByteLimit()) return false;
  // The stated pixel offset wins when the rows fit behind it; writers that
  // leave it 0 or wrong get the rows right after the table.
  const uint64_t stated = Get32(file + 10);
  uint64_t offset;
  if (stated >= pos && stated <= size && pixelBytes <= size - stated) {
    offset = stated;
  } else if (tableEnd <= size && pixelBytes <= size - tableEnd) {
    offset = tableEnd;
  } else {
    return false;
  }

  const bool defaultMasks =
      (bits == 16 && masks[0] == 0x7C00 && masks[1] == 0x03E0 && masks[2] == 0x001F) ||
      (bits == 32 && masks[0] == 0xFF0000 && masks[1] == 0xFF00 && masks[2] == 0xFF);
  DibImage img;
  const bool created = bitfields && !defaultMasks
                           ? img.CreateBitfields(int32_t(width), int32_t(height), int(bits), masks)
                           : img.Create(int32_t(width), int32_t(height), int(bits));
  if (!created) return false;
  for (uint64_t i = 0; i < usedEntries; ++i) {
    const uint8_t* e = table + i * entrySize;
    img.SetColour(uint32_t(i), Bgr{e[0], e[1], e[2]});
  }
  for (int32_t y = 0; y < img.height; ++y) {
    const uint64_t fileRow = topDown ? uint64_t(y) : uint64_t(img.height - 1 - y);
    std::copy_n(file + offset + fileRow * stride, stride, img.Row(y));
  }
  if (!core && xRes != 0 && yRes != 0) {
    Put32(img.data.data() + 24, xRes);
    Put32(img.data.data() + 28, yRes);
  }
  *dib = std::move(img.data);
  return true;
}

}  // namespace rastcodec
