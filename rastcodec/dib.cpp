#include "dib.h"

#include <gif_lib.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <stdexcept>

// giflib's median-cut quantiser; upstream's header leaves it out although
// the library carries it.
extern "C" int GifQuantizeBuffer(unsigned int width, unsigned int height, int* colorMapSize, GifByteType* red,
                                 GifByteType* green, GifByteType* blue, GifByteType* output,
                                 GifColorType* outputColorMap);

namespace rastcodec {

namespace {

uint64_t byteLimit = uint64_t{1} << 30;

// Channel value of a bit-field pixel scaled to 0..255.
uint8_t MaskedChannel(uint32_t pixel, uint32_t mask) {
  if (mask == 0) return 0;
  int shift = 0;
  while (((mask >> shift) & 1) == 0) ++shift;
  const uint64_t max = mask >> shift;
  const uint64_t value = (pixel & mask) >> shift;
  return static_cast<uint8_t>((value * 255 + max / 2) / max);
}

uint16_t GetWide(const uint8_t* p) {
  uint16_t v;
  std::memcpy(&v, p, 2);
  return v;
}

}  // namespace

bool ValidMask(uint32_t mask, int bits) {
  if (bits == 16 && mask > 0xFFFF) return false;
  if (mask == 0) return true;
  while ((mask & 1) == 0) mask >>= 1;
  return (mask & (mask + 1)) == 0;
}

uint64_t DibByteLimit() { return byteLimit; }
void SetDibByteLimit(uint64_t bytes) { byteLimit = bytes; }

const uint8_t* DibView::Row(int32_t y) const {
  const uint64_t r = topDown ? static_cast<uint64_t>(y) : static_cast<uint64_t>(height - 1 - y);
  return pixels + r * stride;
}

Bgr DibView::Colour(uint32_t index) const {
  if (index >= tableEntries) return Bgr{0, 0, 0};
  const uint8_t* e = table + uint64_t{index} * tableEntrySize;
  return Bgr{e[0], e[1], e[2]};
}

bool DibView::IsGreyRamp() const {
  if (bits != 8 || tableEntries < 256) return false;
  for (uint32_t i = 0; i < 256; ++i) {
    const uint8_t g = static_cast<uint8_t>(i);
    if (!(Colour(i) == Bgr{g, g, g})) return false;
  }
  return true;
}

bool ParseDib(const uint8_t* dib, uint64_t size, DibLayout layout, DibView* out) {
  if (dib == nullptr || size < 4) return false;
  const uint32_t headerSize = Get32(dib);
  DibView v;
  uint32_t compression = kBiRgb;
  uint32_t coloursUsed = 0;
  int64_t height = 0;
  uint64_t masksAfterHeader = 0;
  if (headerSize == kCoreHeaderSize) {
    if (size < kCoreHeaderSize) return false;
    v.width = Get16(dib + 4);
    height = Get16(dib + 6);
    if (Get16(dib + 8) != 1) return false;
    v.bits = Get16(dib + 10);
    v.tableEntrySize = 3;
  } else if (headerSize >= kInfoHeaderSize && headerSize <= 124) {
    if (size < headerSize) return false;
    v.width = static_cast<int32_t>(Get32(dib + 4));
    height = static_cast<int32_t>(Get32(dib + 8));
    if (Get16(dib + 12) != 1) return false;
    v.bits = Get16(dib + 14);
    compression = Get32(dib + 16);
    coloursUsed = Get32(dib + 32);
    if (compression == kBiBitfields) {
      const uint8_t* m;
      if (headerSize >= 52) {
        m = dib + 40;
      } else {
        if (size < uint64_t{headerSize} + 12) return false;
        m = dib + headerSize;
        masksAfterHeader = 12;
      }
      for (int i = 0; i < 3; ++i) v.masks[i] = Get32(m + 4 * i);
    }
  } else {
    return false;
  }

  v.topDown = height < 0;
  if (height < 0) height = -height;
  if (v.width <= 0 || v.width > kMaxSide || height <= 0 || height > kMaxSide) return false;
  v.height = static_cast<int32_t>(height);

  // Bit fields mark a 16-bit DIB as the platform's pixel even here.
  const bool wideDepth =
      layout == DibLayout::WideSamples && (v.bits == 16 || v.bits == 48) && compression == kBiRgb;
  switch (v.bits) {
    case 1: case 4: case 8: case 24: case 16: case 32: case 48: break;
    default: return false;
  }
  if (v.bits == 48 && !wideDepth) return false;
  if (compression == kBiBitfields) {
    if (v.bits != 16 && v.bits != 32) return false;
    for (uint32_t m : v.masks) {
      if (!ValidMask(m, v.bits)) return false;
    }
  } else if (compression != kBiRgb) {
    return false;   // run-length and embedded formats are not pixels we can address
  } else if (v.bits == 16) {
    v.masks[0] = 0x7C00; v.masks[1] = 0x03E0; v.masks[2] = 0x001F;
  } else if (v.bits == 32) {
    v.masks[0] = 0xFF0000; v.masks[1] = 0xFF00; v.masks[2] = 0xFF;
  }
  if (wideDepth) {
    v.wide = true;
    v.topDown = true;
  }

  v.tableEntries = coloursUsed != 0 ? coloursUsed : (v.bits <= 8 ? 1u << v.bits : 0u);
  const uint64_t tableBytes = uint64_t{v.tableEntries} * v.tableEntrySize;
  const uint64_t rowBits = uint64_t(v.width) * uint64_t(v.bits);
  v.stride = v.wide ? rowBits / 8 : (rowBits + 31) / 32 * 4;
  const uint64_t pixelBytes = v.stride * uint64_t(v.height);
  const uint64_t offset = uint64_t{headerSize} + masksAfterHeader + tableBytes;
  if (pixelBytes > byteLimit || offset > size || pixelBytes > size - offset) return false;
  v.table = dib + headerSize + masksAfterHeader;
  v.pixels = dib + offset;
  *out = v;
  return true;
}

uint32_t DibDpi(const uint8_t* dib, bool vertical) {
  const uint32_t perMetre = Get32(dib) >= kInfoHeaderSize ? Get32(dib + (vertical ? 28 : 24)) : 0;
  const uint32_t dpi = uint32_t((uint64_t{perMetre} * 254 + 5000) / 10000);
  return dpi != 0 ? dpi : 75;
}

int DibBitCount(const uint8_t* dib, uint64_t size) {
  if (dib == nullptr || size < 4) return 0;
  const uint32_t headerSize = Get32(dib);
  if (headerSize == kCoreHeaderSize && size >= kCoreHeaderSize) return Get16(dib + 10);
  if (headerSize >= kInfoHeaderSize && headerSize <= 124 && size >= headerSize) return Get16(dib + 14);
  return 0;
}

int64_t DibBitsOffset(const uint8_t* dib, uint64_t size) {
  DibView v;
  if (!ParseDib(dib, size, DibLayout::WideSamples, &v)) return -1;
  return v.pixels - dib;
}

void RowBgr(const DibView& v, int32_t y, uint8_t* out) {
  const uint8_t* row = v.Row(y);
  const int32_t w = v.width;
  if (v.wide) {
    for (int32_t x = 0; x < w; ++x, out += 3) {
      if (v.bits == 16) {
        out[0] = out[1] = out[2] = static_cast<uint8_t>(GetWide(row + 2 * x) >> 8);
      } else {
        for (int c = 0; c < 3; ++c) out[c] = static_cast<uint8_t>(GetWide(row + 6 * x + 2 * c) >> 8);
      }
    }
    return;
  }
  switch (v.bits) {
    case 1: case 4: case 8: {
      for (int32_t x = 0; x < w; ++x, out += 3) {
        const Bgr c = v.Colour(PackedIndex(row, v.bits, x));
        out[0] = c.b; out[1] = c.g; out[2] = c.r;
      }
      break;
    }
    case 24:
      std::memcpy(out, row, size_t(w) * 3);
      break;
    default: {   // 16 and 32: bit fields
      const int bytes = v.bits / 8;
      for (int32_t x = 0; x < w; ++x, out += 3) {
        const uint32_t p = bytes == 2 ? Get16(row + 2 * x) : Get32(row + 4 * x);
        out[0] = MaskedChannel(p, v.masks[2]);
        out[1] = MaskedChannel(p, v.masks[1]);
        out[2] = MaskedChannel(p, v.masks[0]);
      }
    }
  }
}

void RowIndices(const DibView& v, int32_t y, uint8_t* out) {
  const uint8_t* row = v.Row(y);
  for (int32_t x = 0; x < v.width; ++x) out[x] = PackedIndex(row, v.bits, x);
}

bool DibImage::Create(int32_t w, int32_t h, int b, DibLayout layout) {
  return Allocate(w, h, b, layout == DibLayout::WideSamples && (b == 16 || b == 48), nullptr);
}

bool DibImage::CreateBitfields(int32_t w, int32_t h, int b, const uint32_t masks[3]) {
  return (b == 16 || b == 32) && Allocate(w, h, b, false, masks);
}

bool DibImage::Allocate(int32_t w, int32_t h, int b, bool wideSamples, const uint32_t* masks) {
  if (w <= 0 || h <= 0 || w > kMaxSide || h > kMaxSide) return false;
  width = w;
  height = h;
  bits = b;
  wide = wideSamples;
  const uint64_t rowBits = uint64_t(w) * uint64_t(b);
  stride = wide ? rowBits / 8 : (rowBits + 31) / 32 * 4;
  const uint64_t pixelBytes = stride * uint64_t(h);
  if (pixelBytes > byteLimit) return false;
  pixelOffset = kInfoHeaderSize + (b <= 8 ? 4u << b : 0) + (masks != nullptr ? 12 : 0);
  try {
    data.assign(pixelOffset + pixelBytes, 0);
  } catch (const std::exception&) {
    return false;
  }
  uint8_t* p = data.data();
  Put32(p, kInfoHeaderSize);
  Put32(p + 4, static_cast<uint32_t>(w));
  Put32(p + 8, static_cast<uint32_t>(h));
  Put16(p + 12, 1);
  Put16(p + 14, static_cast<uint32_t>(b));
  Put32(p + 16, masks != nullptr ? kBiBitfields : kBiRgb);
  Put32(p + 20, static_cast<uint32_t>(pixelBytes));
  Put32(p + 24, kPixelsPerMetre);
  Put32(p + 28, kPixelsPerMetre);
  if (masks != nullptr) {
    for (int i = 0; i < 3; ++i) Put32(p + kInfoHeaderSize + 4 * i, masks[i]);
  }
  return true;
}

uint8_t* DibImage::Row(int32_t y) {
  const uint64_t r = wide ? uint64_t(y) : uint64_t(height - 1 - y);
  return data.data() + pixelOffset + r * stride;
}

void DibImage::SetColour(uint32_t index, Bgr c) {
  if (bits > 8 || index >= 1u << bits) return;
  uint8_t* e = data.data() + kInfoHeaderSize + 4 * index;
  e[0] = c.b;
  e[1] = c.g;
  e[2] = c.r;
  e[3] = 0;
}

void DibImage::SetGreyRamp() {
  for (uint32_t i = 0; i < 256; ++i) {
    const uint8_t g = static_cast<uint8_t>(i);
    SetColour(i, Bgr{g, g, g});
  }
}

bool ConvertDibDepth(const uint8_t* dib, uint64_t size, int targetBits, Bytes* out) {
  DibView v;
  if (!ParseDib(dib, size, DibLayout::Standard, &v)) return false;
  DibImage img;
  if (targetBits == 8) {
    if (v.bits != 1 && v.bits != 4) return false;
    if (!img.Create(v.width, v.height, 8)) return false;
    for (uint32_t i = 0; i < std::min<uint32_t>(v.tableEntries, 256); ++i) img.SetColour(i, v.Colour(i));
    for (int32_t y = 0; y < v.height; ++y) RowIndices(v, y, img.Row(y));
  } else if (targetBits == 24) {
    if (v.bits == 24 || v.bits == 48) return false;
    if (!img.Create(v.width, v.height, 24)) return false;
    for (int32_t y = 0; y < v.height; ++y) RowBgr(v, y, img.Row(y));
  } else {
    return false;
  }
  *out = std::move(img.data);
  return true;
}

namespace {

// Palette index scaled from 0..fromMax to 0..toMax, rounded.
uint32_t ScaleLevel(uint32_t i, uint32_t fromMax, uint32_t toMax) {
  return (i * toMax + fromMax / 2) / fromMax;
}

// The picture's own colours when there are at most maxColours of them;
// gives up at the first colour too many, so photographs cost little.
bool ExactPalette(const Bytes& bgr, size_t pixels, int maxColours, IndexedPicture* out) {
  auto key = [&](size_t i) {
    return uint32_t{bgr[3 * i]} | uint32_t{bgr[3 * i + 1]} << 8 | uint32_t{bgr[3 * i + 2]} << 16;
  };
  std::vector<uint32_t> colours;   // sorted
  for (size_t i = 0; i < pixels; ++i) {
    const uint32_t k = key(i);
    const auto at = std::lower_bound(colours.begin(), colours.end(), k);
    if (at != colours.end() && *at == k) continue;
    if (colours.size() == size_t(maxColours)) return false;
    colours.insert(at, k);
  }
  out->palette.clear();
  for (uint32_t c : colours) out->palette.push_back(Bgr{uint8_t(c), uint8_t(c >> 8), uint8_t(c >> 16)});
  for (size_t i = 0; i < pixels; ++i) {
    out->indices[i] = static_cast<uint8_t>(std::lower_bound(colours.begin(), colours.end(), key(i)) - colours.begin());
  }
  return true;
}

}  // namespace

bool ToIndexed(const DibView& v, int maxColours, bool grey, IndexedPicture* out) {
  if (maxColours < 2 || maxColours > 256) return false;
  try {
    const size_t pixels = size_t(v.width) * size_t(v.height);
    out->width = v.width;
    out->height = v.height;
    out->indices.assign(pixels, 0);
    out->palette.clear();
    const uint32_t toMax = uint32_t(maxColours) - 1;
    if (v.bits <= 8) {
      const uint32_t fromMax = (1u << v.bits) - 1;
      const bool shrink = fromMax > toMax;
      for (int32_t y = 0; y < v.height; ++y) {
        uint8_t* row = out->indices.data() + size_t(y) * size_t(v.width);
        RowIndices(v, y, row);
        if (shrink) {
          for (int32_t x = 0; x < v.width; ++x) row[x] = uint8_t(ScaleLevel(row[x], fromMax, toMax));
        }
      }
      const uint32_t entries = shrink ? toMax + 1 : fromMax + 1;
      for (uint32_t j = 0; j < entries; ++j) {
        out->palette.push_back(v.Colour(shrink ? ScaleLevel(j, toMax, fromMax) : j));
      }
      return true;
    }
    Bytes bgr(pixels * 3);
    for (int32_t y = 0; y < v.height; ++y) RowBgr(v, y, bgr.data() + size_t(y) * size_t(v.width) * 3);
    if (grey) {
      for (uint32_t j = 0; j <= toMax; ++j) {
        const uint8_t g = uint8_t(ScaleLevel(j, toMax, 255));
        out->palette.push_back(Bgr{g, g, g});
      }
      for (size_t i = 0; i < pixels; ++i) {
        const Bgr c{bgr[3 * i], bgr[3 * i + 1], bgr[3 * i + 2]};
        out->indices[i] = uint8_t(ScaleLevel(Luminance(c), 255, toMax));
      }
      return true;
    }
    if (ExactPalette(bgr, pixels, maxColours, out)) return true;
    Bytes planes(pixels * 3);
    for (size_t i = 0; i < pixels; ++i) {
      planes[i] = bgr[3 * i + 2];
      planes[pixels + i] = bgr[3 * i + 1];
      planes[2 * pixels + i] = bgr[3 * i];
    }
    GifColorType map[256] = {};
    int size = maxColours;
    if (GifQuantizeBuffer(unsigned(v.width), unsigned(v.height), &size, planes.data(), planes.data() + pixels,
                          planes.data() + 2 * pixels, out->indices.data(), map) != GIF_OK) {
      return false;
    }
    for (int j = 0; j < maxColours; ++j) out->palette.push_back(Bgr{map[j].Blue, map[j].Green, map[j].Red});
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

bool ReadFileHead(const char* path, size_t n, Bytes* out) {
  if (path == nullptr) return false;
  FILE* f = std::fopen(path, "rb");
  if (f == nullptr) return false;
  bool ok = true;
  try {
    out->clear();
    uint8_t chunk[1 << 16];
    while (out->size() < n) {
      const size_t want = std::min(sizeof chunk, n - out->size());
      const size_t got = std::fread(chunk, 1, want, f);
      out->insert(out->end(), chunk, chunk + got);
      if (got < want) {
        ok = !std::ferror(f);
        break;
      }
    }
  } catch (const std::exception&) {
    ok = false;
  }
  std::fclose(f);
  return ok;
}

bool ReadFileBytes(const char* path, Bytes* out) { return ReadFileHead(path, SIZE_MAX, out); }

bool WriteFileBytes(const char* path, const Bytes& bytes) {
  if (path == nullptr) return false;
  FILE* f = std::fopen(path, "wb");
  if (f == nullptr) return false;
  bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  ok = std::fclose(f) == 0 && ok;
  if (!ok) std::remove(path);
  return ok;
}

}  // namespace rastcodec
