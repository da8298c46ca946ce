// TIFF through libtiff, from and to memory. Grey, palette and RGB pictures of
// unsigned samples are read directly, 16-bit ones into wide-sample DIBs;
// whatever else libtiff can turn into RGBA (YCbCr, CMYK, ...) comes as 24 bits.

#include "codecs.h"

#include <tiffio.h>

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace rastcodec {

namespace {

// A TIFF "file" in memory: a read-only buffer or a growing output.
struct MemoryStream {
  const uint8_t* data = nullptr;
  Bytes* out = nullptr;
  uint64_t size = 0;
  uint64_t pos = 0;
};

MemoryStream* Stream(thandle_t h) { return static_cast<MemoryStream*>(h); }

tmsize_t ReadProc(thandle_t h, void* buf, tmsize_t n) {
  MemoryStream* s = Stream(h);
  if (s->data == nullptr || n < 0 || s->pos >= s->size) return 0;
  const uint64_t count = std::min<uint64_t>(uint64_t(n), s->size - s->pos);
  std::memcpy(buf, s->data + s->pos, size_t(count));
  s->pos += count;
  return tmsize_t(count);
}

tmsize_t WriteProc(thandle_t h, void* buf, tmsize_t n) {
  MemoryStream* s = Stream(h);
  if (s->out == nullptr || n < 0) return -1;
  try {
    if (s->pos + uint64_t(n) > s->out->size()) s->out->resize(size_t(s->pos + uint64_t(n)));
  } catch (const std::exception&) {
    return -1;
  }
  std::memcpy(s->out->data() + s->pos, buf, size_t(n));
  s->pos += uint64_t(n);
  s->size = s->out->size();
  return n;
}

toff_t SeekProc(thandle_t h, toff_t offset, int whence) {
  MemoryStream* s = Stream(h);
  const uint64_t base = whence == SEEK_CUR ? s->pos : whence == SEEK_END ? s->size : 0;
  s->pos = base + offset;
  return s->pos;
}

int CloseProc(thandle_t) { return 0; }
toff_t SizeProc(thandle_t h) { return Stream(h)->size; }

int MapProc(thandle_t h, void** base, toff_t* size) {
  MemoryStream* s = Stream(h);
  if (s->data == nullptr) return 0;
  *base = const_cast<uint8_t*>(s->data);
  *size = s->size;
  return 1;
}

void UnmapProc(thandle_t, void*, toff_t) {}

int Quiet(TIFF*, void*, const char*, const char*, va_list) { return 1; }

// libtiff reads on past some damage (a colour map cut short, say) after
// reporting it; for us any reported error makes the file broken.
int NoteError(TIFF*, void* seen, const char*, const char*, va_list) {
  *static_cast<bool*>(seen) = true;
  return 1;
}

TIFF* OpenMemory(MemoryStream* stream, const char* mode, bool* errorSeen) {
  TIFFOpenOptions* opts = TIFFOpenOptionsAlloc();
  if (opts == nullptr) return nullptr;
  TIFFOpenOptionsSetErrorHandlerExtR(opts, NoteError, errorSeen);
  TIFFOpenOptionsSetWarningHandlerExtR(opts, Quiet, nullptr);
  TIFFOpenOptionsSetMaxSingleMemAlloc(opts, tmsize_t(std::min<uint64_t>(DibByteLimit(), INT32_MAX)));
  TIFF* tif = TIFFClientOpenExt("memory", mode, stream, ReadProc, WriteProc, SeekProc, CloseProc, SizeProc,
                                MapProc, UnmapProc, opts);
  TIFFOpenOptionsFree(opts);
  return tif;
}

// Sample i of a row packed at 1, 2, 4, 8 or 16 bits (16 in machine order).
uint32_t Sample(const uint8_t* row, uint64_t i, int bits) {
  if (bits == 16) {
    uint16_t v;
    std::memcpy(&v, row + 2 * i, 2);
    return v;
  }
  if (bits == 8) return row[i];
  const uint64_t bit = i * uint64_t(bits);
  return (row[bit / 8] >> (8 - bits - bit % 8)) & ((1u << bits) - 1);
}

void PutWide(uint8_t* p, uint32_t v) {
  const uint16_t w = static_cast<uint16_t>(v);
  std::memcpy(p, &w, 2);
}

// Hands out the scan lines of one sample plane, from strips or from tiles.
class RowSource {
 public:
  explicit RowSource(TIFF* tif) : tif_(tif), tiled_(TIFFIsTiled(tif) != 0) {}

  bool Init(uint32_t width, uint32_t height) {
    const tmsize_t n = TIFFScanlineSize(tif_);
    if (n <= 0 || uint64_t(n) > DibByteLimit()) return false;
    scanline_ = size_t(n);
    width_ = width;
    if (!tiled_) {
      line_.resize(scanline_);
      return true;
    }
    TIFFGetField(tif_, TIFFTAG_TILEWIDTH, &tileWidth_);
    TIFFGetField(tif_, TIFFTAG_TILELENGTH, &tileLength_);
    const tmsize_t tileBytes = TIFFTileSize(tif_), tileRow = TIFFTileRowSize(tif_);
    if (tileWidth_ == 0 || tileLength_ == 0 || tileBytes <= 0 || tileRow <= 0) return false;
    bandRows_ = std::min(tileLength_, height);
    if (uint64_t(tileBytes) > DibByteLimit() || uint64_t(scanline_) * bandRows_ > DibByteLimit()) return false;
    tileRowBytes_ = size_t(tileRow);
    tile_.resize(size_t(tileBytes));
    band_.resize(scanline_ * bandRows_);
    return true;
  }

  const uint8_t* Row(uint32_t y, uint16_t plane) {
    if (!tiled_) return TIFFReadScanline(tif_, line_.data(), y, plane) < 0 ? nullptr : line_.data();
    const uint32_t bandTop = y / tileLength_ * tileLength_;
    if (bandTop != bandTop_ || plane != bandPlane_) {
      if (!LoadBand(bandTop, plane)) return nullptr;
    }
    return band_.data() + size_t(y - bandTop) * scanline_;
  }

 private:
  // Tiles of one row of tiles, side by side into whole scan lines.
  bool LoadBand(uint32_t top, uint16_t plane) {
    bandTop_ = UINT32_MAX;
    size_t offset = 0;
    for (uint32_t x = 0; x < width_ && offset < scanline_; x += tileWidth_, offset += tileRowBytes_) {
      if (TIFFReadTile(tif_, tile_.data(), x, top, 0, plane) < 0) return false;
      const size_t n = std::min(tileRowBytes_, scanline_ - offset);
      for (uint32_t r = 0; r < bandRows_; ++r) {
        std::memcpy(band_.data() + r * scanline_ + offset, tile_.data() + r * tileRowBytes_, n);
      }
    }
    bandTop_ = top;
    bandPlane_ = plane;
    return true;
  }

  TIFF* tif_;
  bool tiled_;
  size_t scanline_ = 0;
  Bytes line_, tile_, band_;
  uint32_t width_ = 0, tileWidth_ = 0, tileLength_ = 0, bandRows_ = 0;
  size_t tileRowBytes_ = 0;
  uint32_t bandTop_ = UINT32_MAX;
  uint16_t bandPlane_ = 0;
};

// libtiff reads on past a tag whose values the file has lost (a colour map
// cut short turns a palette picture grey, with a mere warning). A file is
// whole only when every value its directory points to lies inside it.
bool DirectoryInsideFile(const uint8_t* file, uint64_t size, uint64_t dir, bool big) {
  const bool motorola = file[0] == 'M';
  auto get = [&](uint64_t at, int bytes) {
    uint64_t v = 0;
    for (int i = 0; i < bytes; ++i) v |= uint64_t(file[at + uint64_t(motorola ? bytes - 1 - i : i)]) << (8 * i);
    return v;
  };
  const int countBytes = big ? 8 : 2, entryBytes = big ? 20 : 12, fieldBytes = big ? 8 : 4;
  if (dir > size || size - dir < uint64_t(countBytes)) return false;
  const uint64_t entries = get(dir, countBytes);
  if (entries > (size - dir - countBytes) / entryBytes) return false;
  for (uint64_t i = 0; i < entries; ++i) {
    const uint64_t e = dir + countBytes + i * entryBytes;
    static const uint8_t kTypeSize[19] = {0, 1, 1, 2, 4, 8, 1, 1, 2, 4, 8, 4, 8, 4, 0, 0, 8, 8, 8};
    const uint64_t type = get(e + 2, 2);
    const uint64_t count = get(e + 4, fieldBytes);
    const uint64_t unit = type < 19 ? kTypeSize[type] : 0;
    if (unit == 0 || count > UINT64_MAX / 8 || count * unit <= uint64_t(fieldBytes)) continue;
    const uint64_t offset = get(e + 4 + fieldBytes, fieldBytes);
    if (offset > size || count * unit > size - offset) return false;
  }
  return true;
}

enum class Kind { Grey, Palette, Rgb, Other };

bool ReadDirect(TIFF* tif, Kind kind, uint32_t width, uint32_t height, int bits, int samples, bool separate,
                bool whiteIsZero, DibImage* img) {
  const bool wide = bits == 16;
  const int dibBits = kind == Kind::Rgb ? (wide ? 48 : 24) : (wide ? 16 : 8);
  if (!img->Create(int32_t(width), int32_t(height), dibBits, DibLayout::WideSamples)) return false;
  if (kind == Kind::Palette) {
    uint16_t *red, *green, *blue;
    if (!TIFFGetField(tif, TIFFTAG_COLORMAP, &red, &green, &blue)) return false;
    const uint32_t n = 1u << bits;
    // Old writers stored 8-bit colour maps; libtiff hands them over unscaled.
    bool eightBit = true;
    for (uint32_t i = 0; i < n; ++i) eightBit = eightBit && red[i] < 256 && green[i] < 256 && blue[i] < 256;
    const int shift = eightBit ? 0 : 8;
    for (uint32_t i = 0; i < n; ++i) {
      img->SetColour(i, Bgr{uint8_t(blue[i] >> shift), uint8_t(green[i] >> shift), uint8_t(red[i] >> shift)});
    }
  } else if (kind == Kind::Grey && !wide) {
    img->SetGreyRamp();
  }

  RowSource rows(tif);
  if (!rows.Init(width, height)) return false;
  const int channels = kind == Kind::Rgb ? 3 : 1;
  const int planes = separate ? channels : 1;
  const uint32_t maxValue = (1u << bits) - 1;
  for (int plane = 0; plane < planes; ++plane) {
    for (uint32_t y = 0; y < height; ++y) {
      const uint8_t* src = rows.Row(y, uint16_t(plane));
      if (src == nullptr) return false;
      uint8_t* dst = img->Row(int32_t(y));
      for (uint32_t x = 0; x < width; ++x) {
        for (int c = separate ? plane : 0; c < (separate ? plane + 1 : channels); ++c) {
          const uint64_t index = separate ? x : uint64_t(x) * uint64_t(samples) + uint64_t(c);
          uint32_t value = Sample(src, index, bits);
          if (whiteIsZero) value = maxValue - value;
          const uint64_t target = uint64_t(x) * uint64_t(channels) + uint64_t(channels - 1 - c);   // B, G, R
          if (wide) {
            PutWide(dst + 2 * target, value);
          } else {
            dst[target] = uint8_t(kind == Kind::Palette ? value : value * 255 / maxValue);
          }
        }
      }
    }
  }
  return true;
}

// The rows as stored, whatever the Orientation tag says: asked for the file's
// own orientation, libtiff flips nothing.
bool ReadViaRgba(TIFF* tif, uint32_t width, uint32_t height, uint16_t orientation, DibImage* img) {
  char message[1024];
  if (!TIFFRGBAImageOK(tif, message)) return false;
  if (!img->Create(int32_t(width), int32_t(height), 24)) return false;
  std::vector<uint32_t> raster(size_t(width) * height);
  if (!TIFFReadRGBAImageOriented(tif, width, height, raster.data(), orientation, 0)) return false;
  for (uint32_t y = 0; y < height; ++y) {
    uint8_t* dst = img->Row(int32_t(y));
    const uint32_t* src = raster.data() + size_t(y) * width;
    for (uint32_t x = 0; x < width; ++x) {
      dst[3 * x] = uint8_t(TIFFGetB(src[x]));
      dst[3 * x + 1] = uint8_t(TIFFGetG(src[x]));
      dst[3 * x + 2] = uint8_t(TIFFGetR(src[x]));
    }
  }
  return true;
}

// Where stored pixel (x, y) of a w x h picture is seen, for the eight values
// of the Orientation tag: which side row 0 and column 0 of the file show.
void SeenAt(uint16_t orientation, int32_t x, int32_t y, int32_t w, int32_t h, int32_t* seenX, int32_t* seenY) {
  switch (orientation) {
    case ORIENTATION_TOPRIGHT: *seenX = w - 1 - x; *seenY = y; break;
    case ORIENTATION_BOTRIGHT: *seenX = w - 1 - x; *seenY = h - 1 - y; break;
    case ORIENTATION_BOTLEFT: *seenX = x; *seenY = h - 1 - y; break;
    case ORIENTATION_LEFTTOP: *seenX = y; *seenY = x; break;
    case ORIENTATION_RIGHTTOP: *seenX = h - 1 - y; *seenY = x; break;
    case ORIENTATION_RIGHTBOT: *seenX = h - 1 - y; *seenY = w - 1 - x; break;
    case ORIENTATION_LEFTBOT: *seenX = y; *seenY = w - 1 - x; break;
    default: *seenX = x; *seenY = y; break;
  }
}

// The stored picture turned and mirrored into the way it is meant to be
// seen; the last four orientations swap width and height.
bool ApplyOrientation(uint16_t orientation, DibImage* img) {
  if (orientation <= ORIENTATION_TOPLEFT || orientation > ORIENTATION_LEFTBOT) return true;
  const bool turned = orientation >= ORIENTATION_LEFTTOP;
  const int32_t w = img->width, h = img->height;
  DibImage seen;
  if (!seen.Create(turned ? h : w, turned ? w : h, img->bits, img->wide ? DibLayout::WideSamples : DibLayout::Standard))
    return false;
  // The colour table goes along unchanged.
  std::copy(img->data.begin() + kInfoHeaderSize, img->data.begin() + long(img->pixelOffset),
            seen.data.begin() + kInfoHeaderSize);
  const size_t bytes = size_t(img->bits / 8);
  for (int32_t y = 0; y < h; ++y) {
    const uint8_t* row = img->Row(y);
    for (int32_t x = 0; x < w; ++x) {
      int32_t sx, sy;
      SeenAt(orientation, x, y, w, h, &sx, &sy);
      std::memcpy(seen.Row(sy) + size_t(sx) * bytes, row + size_t(x) * bytes, bytes);
    }
  }
  *img = std::move(seen);
  return true;
}

bool ReadTiff(TIFF* tif, DibImage* img) {
  uint32_t width = 0, height = 0;
  uint16_t bits = 1, samples = 1, planar = PLANARCONFIG_CONTIG, format = SAMPLEFORMAT_UINT, photometric;
  if (!TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &width) || !TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &height)) return false;
  if (width == 0 || height == 0 || width > uint32_t(kMaxSide) || height > uint32_t(kMaxSide)) return false;
  TIFFGetFieldDefaulted(tif, TIFFTAG_BITSPERSAMPLE, &bits);
  TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLESPERPIXEL, &samples);
  TIFFGetFieldDefaulted(tif, TIFFTAG_PLANARCONFIG, &planar);
  TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLEFORMAT, &format);
  if (!TIFFGetField(tif, TIFFTAG_PHOTOMETRIC, &photometric)) {
    photometric = samples >= 3 ? PHOTOMETRIC_RGB : PHOTOMETRIC_MINISBLACK;
  }
  uint16_t orientation = ORIENTATION_TOPLEFT;
  TIFFGetFieldDefaulted(tif, TIFFTAG_ORIENTATION, &orientation);

  Kind kind = Kind::Other;
  const bool lowBits = bits == 1 || bits == 2 || bits == 4 || bits == 8;
  if (format == SAMPLEFORMAT_UINT && samples >= 1) {
    if ((photometric == PHOTOMETRIC_MINISBLACK || photometric == PHOTOMETRIC_MINISWHITE) &&
        (lowBits || bits == 16)) {
      kind = Kind::Grey;
    } else if (photometric == PHOTOMETRIC_PALETTE && lowBits) {
      kind = Kind::Palette;
    } else if (photometric == PHOTOMETRIC_RGB && samples >= 3 && (bits == 8 || bits == 16)) {
      kind = Kind::Rgb;
    }
  }
  const bool read = kind == Kind::Other ? ReadViaRgba(tif, width, height, orientation, img)
                                        : ReadDirect(tif, kind, width, height, bits, samples,
                                                     planar == PLANARCONFIG_SEPARATE,
                                                     photometric == PHOTOMETRIC_MINISWHITE, img);
  return read && ApplyOrientation(orientation, img);
}

// Rows of the file in the depth and kind chosen for the DIB.
struct TiffLayout {
  uint16_t photometric;
  uint16_t samples;
  uint16_t bits;
};

void FillRow(const DibView& v, const TiffLayout& t, int32_t y, uint8_t* bgr, uint8_t* out) {
  const int32_t w = v.width;
  if (v.wide) {
    const uint8_t* src = v.Row(y);
    const int channels = v.bits == 48 ? 3 : 1;
    for (int32_t x = 0; x < w; ++x) {
      for (int c = 0; c < channels; ++c) {
        uint16_t s;
        std::memcpy(&s, src + 2 * (x * channels + (channels - 1 - c)), 2);   // file order R, G, B
        const uint64_t i = uint64_t(x) * channels + c;
        if (t.bits == 16) {
          PutWide(out + 2 * i, s);
        } else {
          out[i] = uint8_t((uint32_t{s} * 255 + 32767) / 65535);
        }
      }
    }
  } else if (t.photometric == PHOTOMETRIC_RGB) {
    RowBgr(v, y, bgr);
    for (int32_t x = 0; x < w; ++x) {
      for (int c = 0; c < 3; ++c) {
        const uint8_t s = bgr[3 * x + 2 - c];
        if (t.bits == 16) {
          PutWide(out + 2 * (3 * uint64_t(x) + c), s * 257u);
        } else {
          out[3 * x + c] = s;
        }
      }
    }
  } else {   // palette indices, as indices or as grey levels
    RowIndices(v, y, bgr);
    for (int32_t x = 0; x < w; ++x) {
      if (t.bits == 16) {
        PutWide(out + 2 * uint64_t(x), bgr[x] * 257u);
      } else {
        out[x] = bgr[x];
      }
    }
  }
}

bool WriteTiff(TIFF* tif, const DibView& v, const TiffOptions& options, uint32_t dpiX, uint32_t dpiY) {
  int bits = v.wide ? 16 : 8;
  if (options.TiffBitPerPixel == 8 || options.TiffBitPerPixel == 24) bits = 8;
  if (options.TiffBitPerPixel == 16 || options.TiffBitPerPixel == 48) bits = 16;
  const bool indexed = !v.wide && v.bits <= 8;
  const bool grey = (v.wide && v.bits == 16) || (indexed && (bits == 16 || v.IsGreyRamp()));
  TiffLayout t;
  t.photometric = grey ? PHOTOMETRIC_MINISBLACK : indexed ? PHOTOMETRIC_PALETTE : PHOTOMETRIC_RGB;
  t.samples = t.photometric == PHOTOMETRIC_RGB ? 3 : 1;
  t.bits = uint16_t(bits);
  const uint16_t compression = options.TiffCompression == COMPRESSION_NONE  ? COMPRESSION_NONE
                               : options.TiffCompression == COMPRESSION_LZW ? COMPRESSION_LZW
                                                                            : COMPRESSION_PACKBITS;
  TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, uint32_t(v.width));
  TIFFSetField(tif, TIFFTAG_IMAGELENGTH, uint32_t(v.height));
  TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, t.bits);
  TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, t.samples);
  TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, t.photometric);
  TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
  TIFFSetField(tif, TIFFTAG_ORIENTATION, ORIENTATION_TOPLEFT);
  TIFFSetField(tif, TIFFTAG_COMPRESSION, compression);
  TIFFSetField(tif, TIFFTAG_XRESOLUTION, float(dpiX));
  TIFFSetField(tif, TIFFTAG_YRESOLUTION, float(dpiY));
  TIFFSetField(tif, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
  const uint32_t rows = options.TiffStripsize > 0 ? std::min<uint32_t>(uint32_t(options.TiffStripsize), uint32_t(v.height))
                                                   : TIFFDefaultStripSize(tif, 0);
  TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, rows);
  std::vector<uint16_t> map;
  if (t.photometric == PHOTOMETRIC_PALETTE) {
    map.assign(3 * 256, 0);
    for (uint32_t i = 0; i < 256; ++i) {
      const Bgr c = v.Colour(i);
      map[i] = uint16_t(c.r * 257u);
      map[256 + i] = uint16_t(c.g * 257u);
      map[512 + i] = uint16_t(c.b * 257u);
    }
    TIFFSetField(tif, TIFFTAG_COLORMAP, map.data(), map.data() + 256, map.data() + 512);
  }
  Bytes work(size_t(v.width) * 3), line(size_t(v.width) * t.samples * (t.bits / 8));
  for (int32_t y = 0; y < v.height; ++y) {
    FillRow(v, t, y, work.data(), line.data());
    if (TIFFWriteScanline(tif, line.data(), uint32_t(y), 0) < 0) return false;
  }
  return TIFFFlush(tif) == 1;
}

}  // namespace

bool IsTiff(const uint8_t* head, size_t size) {
  if (head == nullptr || size < 4) return false;
  const bool intel = head[0] == 'I' && head[1] == 'I' && (head[2] == 42 || head[2] == 43) && head[3] == 0;
  const bool motorola = head[0] == 'M' && head[1] == 'M' && head[2] == 0 && (head[3] == 42 || head[3] == 43);
  return intel || motorola;
}

bool DecodeTiff(const uint8_t* file, size_t size, Bytes* dib) {
  if (!IsTiff(file, size)) return false;
  MemoryStream stream;
  stream.data = file;
  stream.size = size;
  bool errorSeen = false;
  TIFF* tif = OpenMemory(&stream, "r", &errorSeen);
  if (tif == nullptr) return false;
  DibImage img;
  bool ok;
  try {
    ok = !errorSeen && DirectoryInsideFile(file, size, TIFFCurrentDirOffset(tif), TIFFIsBigTIFF(tif)) &&
         ReadTiff(tif, &img) && !errorSeen;
  } catch (const std::exception&) {
    ok = false;
  }
  TIFFClose(tif);
  if (ok) *dib = std::move(img.data);
  return ok;
}

bool EncodeTiff(const uint8_t* dib, size_t size, const TiffOptions& options, Bytes* file) {
  DibView v;
  if (!ParseDib(dib, size, DibLayout::WideSamples, &v)) return false;
  Bytes out;
  MemoryStream stream;
  stream.out = &out;
  bool errorSeen = false;
  TIFF* tif = OpenMemory(&stream, "w", &errorSeen);
  if (tif == nullptr) return false;
  bool ok;
  try {
    ok = WriteTiff(tif, v, options, DibDpi(dib, false), DibDpi(dib, true)) && !errorSeen;
  } catch (const std::exception&) {
    ok = false;
  }
  TIFFClose(tif);
  if (ok) *file = std::move(out);
  return ok;
}

}  // namespace rastcodec
