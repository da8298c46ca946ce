// ZSoft PCX: a 128-byte header, then scan lines of one or more planes,
// run-length coded or plain, and for 256 colours a palette behind the pixels.

#include "codecs.h"

#include <algorithm>
#include <stdexcept>

namespace rastcodec {

namespace {

constexpr size_t kHeaderSize = 128;
constexpr uint8_t kManufacturer = 0x0A;
constexpr uint8_t kPaletteMarker = 0x0C;
constexpr size_t kTailPaletteSize = 1 + 768;

bool KnownVersion(int v) { return v == 0 || v == 2 || v == 3 || v == 4 || v == 5; }

// Decodes the pixel stream into whole scan lines; runs may cross lines.
struct LineReader {
  const uint8_t* data;
  size_t size;
  size_t pos;
  bool rle;
  uint8_t runValue = 0;
  uint32_t runLeft = 0;

  bool Read(uint8_t* line, size_t n) {
    size_t i = 0;
    while (i < n) {
      if (runLeft == 0) {
        if (pos >= size) return false;
        const uint8_t c = data[pos++];
        if (rle && (c & 0xC0) == 0xC0) {
          if (pos >= size) return false;
          runLeft = c & 0x3F;   // may be 0: an empty run codes nothing
          runValue = data[pos++];
          continue;
        }
        runLeft = 1;
        runValue = c;
      }
      line[i++] = runValue;
      --runLeft;
    }
    return true;
  }
};

void PlanarIndices(const uint8_t* line, int planes, size_t bytesPerLine, int32_t width, uint8_t* out) {
  for (int32_t x = 0; x < width; ++x) {
    uint8_t v = 0;
    for (int p = 0; p < planes; ++p) {
      v |= static_cast<uint8_t>(((line[p * bytesPerLine + x / 8] >> (7 - x % 8)) & 1) << p);
    }
    out[x] = v;
  }
}

void AppendRun(Bytes* out, uint8_t value, size_t count) {
  if (count > 1 || (value & 0xC0) == 0xC0) out->push_back(static_cast<uint8_t>(0xC0 | count));
  out->push_back(value);
}

void AppendPlaneLine(Bytes* out, const uint8_t* p, size_t n, bool rle) {
  if (!rle) {
    out->insert(out->end(), p, p + n);
    return;
  }
  for (size_t i = 0; i < n;) {
    size_t run = 1;
    while (i + run < n && run < 63 && p[i + run] == p[i]) ++run;
    AppendRun(out, p[i], run);
    i += run;
  }
}

}  // namespace

bool IsPcx(const uint8_t* head, size_t size) {
  if (head == nullptr || size < kHeaderSize) return false;
  const int bits = head[3];
  return head[0] == kManufacturer && KnownVersion(head[1]) && head[2] <= 1 &&
         (bits == 1 || bits == 2 || bits == 4 || bits == 8);
}

bool DecodePcx(const uint8_t* file, size_t size, Bytes* dib) {
  if (!IsPcx(file, size)) return false;
  const int version = file[1];
  const bool rle = file[2] == 1;
  const int bits = file[3];
  const int xMin = Get16(file + 4), yMin = Get16(file + 6), xMax = Get16(file + 8), yMax = Get16(file + 10);
  const int planes = file[65];
  const size_t bytesPerLine = Get16(file + 66);
  if (xMax < xMin || yMax < yMin) return false;
  const int32_t width = xMax - xMin + 1, height = yMax - yMin + 1;

  const bool colour = bits == 8 && (planes == 3 || planes == 4);
  const bool planar = bits == 1 && planes >= 2 && planes <= 4;
  if (!colour && !planar && planes != 1) return false;
  if (bytesPerLine == 0 || bytesPerLine * 8 < uint64_t(width) * uint64_t(bits)) return false;

  const size_t lineBytes = size_t(planes) * bytesPerLine;
  const uint64_t total = uint64_t(lineBytes) * uint64_t(height);
  const uint64_t data = size - kHeaderSize;
  if (rle ? total > data * 63 : total > data) return false;   // the file cannot hold that many lines

  DibImage img;
  if (!img.Create(width, height, colour ? 24 : 8)) return false;
  try {
    Bytes line(lineBytes);
    LineReader reader{file, size, kHeaderSize, rle};
    for (int32_t y = 0; y < height; ++y) {
      if (!reader.Read(line.data(), lineBytes)) return false;
      uint8_t* row = img.Row(y);
      if (colour) {
        for (int32_t x = 0; x < width; ++x) {
          row[3 * x] = line[2 * bytesPerLine + x];
          row[3 * x + 1] = line[bytesPerLine + x];
          row[3 * x + 2] = line[x];
        }
      } else if (planar) {
        PlanarIndices(line.data(), planes, bytesPerLine, width, row);
      } else {
        for (int32_t x = 0; x < width; ++x) row[x] = PackedIndex(line.data(), bits, x);
      }
    }

    if (!colour) {
      const int colours = 1 << (bits * planes);
      if (bits == 8) {
        const bool tail = size - reader.pos >= kTailPaletteSize && file[size - kTailPaletteSize] == kPaletteMarker;
        if (tail) {
          const uint8_t* p = file + size - 768;
          for (int i = 0; i < 256; ++i) img.SetColour(i, Bgr{p[3 * i + 2], p[3 * i + 1], p[3 * i]});
        } else if (version == 5) {
          return false;   // version 5 promises the palette: the file is cut short
        } else {
          img.SetGreyRamp();
        }
      } else {
        const uint8_t* map = file + 16;
        const bool mapGiven = version != 3 && std::any_of(map, map + 3 * colours, [](uint8_t b) { return b != 0; });
        for (int i = 0; i < colours; ++i) {
          if (mapGiven) {
            img.SetColour(i, Bgr{map[3 * i + 2], map[3 * i + 1], map[3 * i]});
          } else {
            const uint8_t g = static_cast<uint8_t>(i * 255 / (colours - 1));
            img.SetColour(i, Bgr{g, g, g});
          }
        }
      }
    }
  } catch (const std::exception&) {
    return false;
  }
  *dib = std::move(img.data);
  return true;
}

bool EncodePcx(const uint8_t* dib, size_t size, const PcxOptions& options, Bytes* file) {
  DibView v;
  if (!ParseDib(dib, size, DibLayout::Standard, &v)) return false;
  int target = options.PcxBitsPerPixel;
  if (target != 1 && target != 4 && target != 8 && target != 24) target = v.bits <= 8 ? v.bits : 24;
  const int planes = target == 24 ? 3 : target == 4 ? 4 : 1;
  const int bits = target == 8 || target == 24 ? 8 : 1;
  const size_t bytesPerLine = (size_t(v.width) * bits + 15) / 16 * 2;   // even, as readers expect
  if (bytesPerLine > 0xFFFF) return false;   // the header holds it in 16 bits
  const bool rle = options.PcxCompression != 0;
  const int version = KnownVersion(options.PcxPCXVersion) ? options.PcxPCXVersion : 5;

  try {
    IndexedPicture indexed;
    if (target != 24 && !ToIndexed(v, 1 << target, false, &indexed)) return false;

    Bytes out(kHeaderSize, 0);
    out[0] = kManufacturer;
    out[1] = static_cast<uint8_t>(version);
    out[2] = rle ? 1 : 0;
    out[3] = static_cast<uint8_t>(bits);
    Put16(&out[8], uint32_t(v.width - 1));
    Put16(&out[10], uint32_t(v.height - 1));
    Put16(&out[12], std::min<uint32_t>(DibDpi(dib, false), 65535));
    Put16(&out[14], std::min<uint32_t>(DibDpi(dib, true), 65535));
    for (size_t i = 0; i < std::min<size_t>(16, indexed.palette.size()); ++i) {
      out[16 + 3 * i] = indexed.palette[i].r;
      out[17 + 3 * i] = indexed.palette[i].g;
      out[18 + 3 * i] = indexed.palette[i].b;
    }
    out[65] = static_cast<uint8_t>(planes);
    Put16(&out[66], uint32_t(bytesPerLine));
    Put16(&out[68], 1);

    Bytes line(size_t(planes) * bytesPerLine);
    Bytes bgr(target == 24 ? size_t(v.width) * 3 : 0);
    for (int32_t y = 0; y < v.height; ++y) {
      std::fill(line.begin(), line.end(), 0);
      if (target == 24) {
        RowBgr(v, y, bgr.data());
        for (int32_t x = 0; x < v.width; ++x) {
          for (int p = 0; p < 3; ++p) line[p * bytesPerLine + x] = bgr[3 * x + 2 - p];
        }
      } else {
        const uint8_t* idx = indexed.indices.data() + size_t(y) * size_t(v.width);
        if (target == 8) {
          std::copy_n(idx, v.width, line.begin());
        } else {
          for (int32_t x = 0; x < v.width; ++x) {
            for (int p = 0; p < planes; ++p) {
              if ((idx[x] >> p) & 1) line[p * bytesPerLine + x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
            }
          }
        }
      }
      for (int p = 0; p < planes; ++p) AppendPlaneLine(&out, &line[p * bytesPerLine], bytesPerLine, rle);
    }
    if (target == 8) {
      out.push_back(kPaletteMarker);
      for (int i = 0; i < 256; ++i) {
        const Bgr c = size_t(i) < indexed.palette.size() ? indexed.palette[i] : Bgr{0, 0, 0};
        out.insert(out.end(), {c.r, c.g, c.b});
      }
    }
    *file = std::move(out);
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

}  // namespace rastcodec
