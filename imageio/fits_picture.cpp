#include "fits_picture.h"

#include <fitsio.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

// Sample kinds after the unsigned-offset rule. The staging types are the
// 32-bit int and unsigned int of cfitsio (TINT, TUINT): its long types are 64
// bits wide on some platforms.
enum class Kind { Byte, Short, UShort, Int, UInt, Float, Double };

struct KindInfo {
  int type;    // cfitsio data type of the read
  int bytes;   // staging bytes per value
};

KindInfo InfoOf(Kind k) {
  switch (k) {
    case Kind::Byte: return {TBYTE, 1};
    case Kind::Short: return {TSHORT, 2};
    case Kind::UShort: return {TUSHORT, 2};
    case Kind::Int: return {TINT, 4};
    case Kind::UInt: return {TUINT, 4};
    case Kind::Float: return {TFLOAT, 4};
    case Kind::Double: return {TDOUBLE, 8};
  }
  return {TBYTE, 1};
}

// Optional keywords: a missing one leaves no trace on the error stack.
template <typename T>
bool ReadKey(fitsfile* f, int type, const char* key, T* value) {
  int status = 0;
  if (ffgky(f, type, key, value, nullptr, &status) == 0) return true;
  ffcmsg();
  return false;
}

void CloseQuietly(fitsfile* f) {
  int status = 0;
  ffclos(f, &status);
  ffcmsg();
}

double ValueAt(const void* staging, Kind k, size_t i) {
  switch (k) {
    case Kind::Byte: return static_cast<const uint8_t*>(staging)[i];
    case Kind::Short: return static_cast<const int16_t*>(staging)[i];
    case Kind::UShort: return static_cast<const uint16_t*>(staging)[i];
    case Kind::Int: return static_cast<const int32_t*>(staging)[i];
    case Kind::UInt: return static_cast<const uint32_t*>(staging)[i];
    case Kind::Float: return static_cast<const float*>(staging)[i];
    case Kind::Double: return static_cast<const double*>(staging)[i];
  }
  return 0;
}

// trunc(x) as a 64-bit integer, kept inside the range a double can name
// there; NaN gives 0.
int64_t Trunc64(double x) {
  if (!(x == x)) return 0;
  if (x >= 9.0e18) return int64_t(9.0e18);
  if (x <= -9.0e18) return -int64_t(9.0e18);
  return int64_t(x);
}

struct Scaling {
  Kind kind;
  long satlevel;
  bool grey;
  double floatFactor;   // 32767 over the power of two above the largest value
};

// x is the physical value: cfitsio has applied BSCALE and BZERO already.
int16_t ToSample(const Scaling& s, double x) {
  switch (s.kind) {
    case Kind::Byte: return ClampSample(Trunc64(x * 128 + 0.5));
    case Kind::Short: {
      const int16_t sample = ClampSample(Trunc64(x + 0.5));
      return s.grey && sample < 1 ? int16_t(1) : sample;
    }
    case Kind::UShort:
      return s.satlevel >= 1 && s.satlevel <= 32768 ? ClampSample(Trunc64(x + 0.5))
                                                    : ClampSample(Trunc64((x + 0.5) * 0.5));
    case Kind::Int: {
      const int64_t t = Trunc64(x + 0.5);
      return ClampSample(t > 0 ? t >> 16 : 0);
    }
    case Kind::UInt: {
      // An unsigned shift: the upper half of the range is bright, not negative.
      const uint32_t low = uint32_t(uint64_t(Trunc64(x + 0.5)));
      return ClampSample(int64_t(low >> (s.satlevel >= 1 && s.satlevel <= 65536 ? 1 : 17)));
    }
    case Kind::Float:
    case Kind::Double: {
      const double scaled = x * s.floatFactor;
      return ClampSample((scaled > 0 ? scaled : 0) + 0.5);
    }
  }
  return 0;
}

// Largest finite value; infinities and NaN would keep the power of two from
// ever reaching it.
double FloatFactor(const void* staging, Kind k, size_t count) {
  double m = -HUGE_VAL;
  for (size_t i = 0; i < count; ++i) {
    const double v = ValueAt(staging, k, i);
    if (std::isfinite(v) && v > m) m = v;
  }
  double s = 1.0;
  while (s < m) s *= 2.0;
  return 32767.0 / s;
}

// The picture resampled to w x h on a grid of sixteenths of a pixel, one
// step for both axes taken from the widths; neighbours beyond the last row
// or column only ever have weight 0 and are not read.
void ResampleSixteenths(int16_t* out, int32_t w, int32_t h, const int16_t* in, int32_t width, int32_t height,
                        int spp) {
  const double step = double(width) / w * 16.0;
  auto grid = [step](int32_t i, int32_t last) {
    const double p = std::floor(i * step + 0.5);
    return p > last * 16.0 ? last * 16 : int32_t(p);
  };
  const size_t rowSamples = size_t(width) * spp;
  for (int32_t j = 0; j < h; ++j) {
    const int32_t py = grid(j, height - 1);
    const int32_t fy = py & 15;
    const int16_t* top = in + size_t(py >> 4) * rowSamples;
    const int16_t* below = fy ? top + rowSamples : top;
    int16_t* dst = out + size_t(j) * w * spp;
    for (int32_t i = 0; i < w; ++i) {
      const int32_t px = grid(i, width - 1);
      const int32_t fx = px & 15;
      const size_t a = size_t(px >> 4) * spp;
      const size_t b = fx ? a + spp : a;
      for (int c = 0; c < spp; ++c) {
        const int32_t s00 = top[a + c], s01 = top[b + c], s10 = below[a + c], s11 = below[b + c];
        const int32_t v =
            s00 * 256 + (s01 - s00) * fx * 16 + ((s10 - s00) * 16 + (s00 - s01 - s10 + s11) * fx) * fy;
        dst[size_t(i) * spp + c] = int16_t(v >> 8);
      }
    }
  }
}

// Creates the file, replacing one that exists.
fitsfile* CreateFits(const char* fileName) {
  fitsfile* f = nullptr;
  int status = 0;
  if (ffdkinit(&f, fileName, &status) == 0) return f;
  std::remove(fileName);
  ffcmsg();
  status = 0;
  f = nullptr;
  return ffdkinit(&f, fileName, &status) == 0 ? f : nullptr;
}

// One BITPIX 16 image of `naxis` axes, with an optional CTYPE keyword.
bool WriteImage(const char* fileName, const int16_t* values, int naxis, const long* axes, const char* ctypeKey,
                const char* ctype, const char* comment) {
  fitsfile* f = CreateFits(fileName);
  if (!f) return false;
  int status = 0;
  LONGLONG count = 1;
  for (int i = 0; i < naxis; ++i) count *= axes[i];
  ffcrim(f, SHORT_IMG, naxis, const_cast<long*>(axes), &status);
  ffppr(f, TSHORT, 1, count, const_cast<int16_t*>(values), &status);
  if (ctypeKey) ffuky(f, TSTRING, ctypeKey, const_cast<char*>(ctype), comment, &status);
  // Half a file helps nobody: it goes.
  if (status != 0) {
    int deleteStatus = 0;
    if (ffdelt(f, &deleteStatus) != 0) std::remove(fileName);
  } else if (ffclos(f, &status) == 0) {
    return true;
  } else {
    std::remove(fileName);
  }
  ffcmsg();
  return false;
}

}  // namespace

bool SplitFitsName(char* out, size_t capacity, const char* fileName, const char* suffix) {
  if (!out || !fileName || !suffix) return false;
  const size_t length = std::strlen(fileName);
  size_t stem = length;
  for (size_t i = length; i > 0; --i) {
    const char c = fileName[i - 1];
    if (c == '\\' || c == '/' || c == ':') break;
    if (c == '.') {
      stem = i - 1;
      break;
    }
  }
  const int n = std::snprintf(out, capacity, "%.*s%s%s", int(stem), fileName, suffix, fileName + stem);
  return n >= 0 && size_t(n) < capacity;
}

int ReadFitsPicture(const char* fileName, int16_t** samples, ImageHeader* header, bool bgr,
                    PictureMessage* message) {
  ClearPictureMessage(message);
  if (!samples || !header) return 0;
  if (*samples) {
    SetPictureMessage(message, "BufferPtr != NULL !");
    return 0;
  }
  fitsfile* f = nullptr;
  int status = 0;
  // The disk-file open takes the name as it is: brackets and other filter
  // syntax in a Windows file name must not select extensions or rows.
  if (!fileName || ffdkopn(&f, fileName, READONLY, &status) != 0) {
    ffcmsg();
    SetPictureMessage(message, "FITS-File nicht zu öffnen !");
    return 0;
  }
  auto fail = [&](const char* text) {
    CloseQuietly(f);
    SetPictureMessage(message, "%s", text);
    return 0;
  };

  int bitpix = 0;
  if (!ReadKey(f, TINT, "BITPIX", &bitpix)) return fail("BITPIX nicht analysierbar !");
  Scaling s{};
  double bzero = 0.0, bscale = 1.0;
  s.satlevel = 0;
  ReadKey(f, TDOUBLE, "BZERO", &bzero);
  switch (bitpix) {
    case 8: s.kind = Kind::Byte; break;
    case 16: s.kind = std::trunc(bzero + 0.5) == 32768.0 ? Kind::UShort : Kind::Short; break;
    case 32: s.kind = std::trunc(bzero * 0.5 + 0.5) == 1073741824.0 ? Kind::UInt : Kind::Int; break;
    case -32: s.kind = Kind::Float; break;
    case -64: s.kind = Kind::Double; break;
    default: return fail("FITS-Format wird nicht unterstützt !");
  }
  if (s.kind == Kind::UShort || s.kind == Kind::UInt) bzero = 0.0;
  ReadKey(f, TDOUBLE, "BSCALE", &bscale);
  ReadKey(f, TLONG, "SATLEVEL", &s.satlevel);
  // cfitsio hands out physical values. Those of a scaled integer file may
  // lie outside the stored type (signed bytes, BSCALE 2), which it refuses
  // to put into that type: they are read as doubles.
  const bool integer = s.kind != Kind::Float && s.kind != Kind::Double;
  const Kind staged = integer && (bscale != 1.0 || bzero != 0.0) ? Kind::Double : s.kind;

  long naxis = 0, axes[3] = {0, 0, 0};
  if (!ReadKey(f, TLONG, "NAXIS", &naxis)) return fail("NAXIS nicht analysierbar !");
  if (naxis < 2 || naxis > 3) return fail("FITS-File ist kein Bild !");
  if (!ReadKey(f, TLONG, "NAXIS1", &axes[0])) return fail("NAXIS1 nicht analysierbar !");
  if (!ReadKey(f, TLONG, "NAXIS2", &axes[1])) return fail("NAXIS2 nicht analysierbar !");
  if (naxis == 3 && !ReadKey(f, TLONG, "NAXIS3", &axes[2])) return fail("NAXIS3 nicht analysierbar !");
  for (int i = 0; i < naxis; ++i) {
    if (axes[i] < 1) return fail("FITS-File ist kein Bild !");
  }

  bool triples = false;
  int64_t width = axes[0], height = axes[1];
  const bool colour = naxis == 3;
  if (colour) {
    if (axes[0] != 3 && axes[1] != 3 && axes[2] != 3) return fail("FITS-File ist kein gewöhnliches Bild !");
    char ctype[FLEN_VALUE];
    if (ReadKey(f, TSTRING, "CTYPE1", ctype)) bgr = std::strncmp(ctype, "BGR", 3) == 0;
    if (ReadKey(f, TSTRING, "CTYPE3", ctype)) bgr = std::strncmp(ctype, "BGR", 3) == 0;
    if (axes[0] == 3) {
      triples = true;
      width = axes[1];
      height = axes[2];
    } else if (axes[2] != 3) {
      return fail("FITS-Format wird nicht unterstützt !");
    }
  }
  s.grey = !colour;

  // Whole FITS blocks, one more than fits exactly, as the staging buffer.
  const KindInfo info = InfoOf(staged);
  const size_t count = PictureFits(width, height, colour) ? size_t(width * height) * (colour ? 3 : 1) : 0;
  void* staging = count ? AllocArray(count * size_t(info.bytes) / 2880 + 1, 2880) : nullptr;
  int16_t* out = staging ? AllocPictureSamples(width, height, colour) : nullptr;
  if (!out) {
    FreeMem(&staging);
    return fail("Out of Memory !");
  }
  int anyNull = 0;
  if (ffgpv(f, info.type, 1, LONGLONG(count), nullptr, staging, &anyNull, &status) != 0) {
    FreeMem(&staging);
    FreeMem(&out);
    CloseQuietly(f);
    SetPictureMessage(message, "Einlesen der Daten nicht möglich %ld !", long(status));
    return 0;
  }
  if (ffclos(f, &status) != 0) {
    ffcmsg();
    FreeMem(&staging);
    FreeMem(&out);
    SetPictureMessage(message, "FITS-File nicht zu schließen !");
    return 0;
  }

  if (!integer) s.floatFactor = FloatFactor(staging, staged, count);
  const size_t pixels = size_t(width) * size_t(height);
  // Component c of file pixel p; the image's blue takes component 2 of RGB or 0 of BGR.
  auto component = [&](size_t p, int c) {
    return ToSample(s, ValueAt(staging, staged, triples ? 3 * p + c : size_t(c) * pixels + p));
  };
  // The file's first row is the bottom row of the picture.
  for (int64_t y = 0; y < height; ++y) {
    const size_t fileRow = size_t(height - 1 - y) * size_t(width);
    int16_t* row = out + size_t(y) * size_t(width) * (colour ? 3 : 1);
    for (size_t x = 0; x < size_t(width); ++x) {
      const size_t p = fileRow + x;
      if (!colour) {
        row[x] = ToSample(s, ValueAt(staging, staged, p));
      } else {
        row[3 * x] = component(p, bgr ? 0 : 2);
        row[3 * x + 1] = component(p, 1);
        row[3 * x + 2] = component(p, bgr ? 2 : 0);
      }
    }
  }
  FreeMem(&staging);
  SetReaderHeader(header, int32_t(width), int32_t(height), colour, 15);
  *samples = out;
  return 1;
}

int WriteFitsPicture(const char* fileName, const int16_t* samples, const ImageHeader* header, int32_t width,
                     int32_t height, int32_t colourOrder, int32_t frameOrder) {
  if (!fileName || !samples || !header || header->width < 1 || header->height < 1) return 0;
  const bool colour = header->colourType == kColourRgb;
  const int spp = colour ? 3 : 1;
  int16_t* work = AllocPictureSamples(width, height, colour);
  if (!work) return 0;
  const size_t n = size_t(width) * size_t(height);
  if (width == header->width && height == header->height) {
    std::memcpy(work, samples, n * spp * sizeof(int16_t));
  } else {
    ResampleSixteenths(work, width, height, samples, header->width, header->height, spp);
  }
  // The file takes the bottom row first.
  const size_t rowSamples = size_t(width) * spp;
  for (int32_t y = 0; y < height / 2; ++y) {
    std::swap_ranges(work + size_t(y) * rowSamples, work + size_t(y + 1) * rowSamples,
                     work + size_t(height - 1 - y) * rowSamples);
  }

  bool ok = false;
  if (!colour) {
    const long axes[2] = {width, height};
    ok = WriteImage(fileName, work, 2, axes, nullptr, nullptr, nullptr);
  } else if (colourOrder == kFitsSplit) {
    int16_t* plane = AllocPictureSamples(width, height, false);
    static const char* const kSuffixes[3] = {"_blue", "_green", "_red"};
    ok = plane != nullptr;
    for (int c = 0; c < 3 && ok; ++c) {
      char name[1100];
      for (size_t p = 0; p < n; ++p) plane[p] = work[3 * p + c];
      const long axes[2] = {width, height};
      ok = SplitFitsName(name, sizeof name, fileName, kSuffixes[c]) &&
           WriteImage(name, plane, 2, axes, nullptr, nullptr, nullptr);
    }
    FreeMem(&plane);
  } else {
    // Samples are blue, green, red; the file takes red first unless BGR.
    const bool rgb = colourOrder == kFitsRgb;
    const bool frames = frameOrder == kFitsFrames;
    int16_t* cube = AllocPictureSamples(width, height, true);
    if (cube) {
      for (size_t p = 0; p < n; ++p) {
        for (int c = 0; c < 3; ++c) {
          const int16_t v = work[3 * p + (rgb ? 2 - c : c)];
          cube[frames ? size_t(c) * n + p : 3 * p + c] = v;
        }
      }
      const char* order = rgb ? "RGB" : "BGR";
      char comment[64];
      std::snprintf(comment, sizeof comment, "colorimage organized in %s %s", order, frames ? "frames" : "triples");
      const long triples[3] = {3, width, height};
      const long planes[3] = {width, height, 3};
      ok = WriteImage(fileName, cube, 3, frames ? planes : triples, frames ? "CTYPE3" : "CTYPE1", order, comment);
      FreeMem(&cube);
    }
  }
  FreeMem(&work);
  return ok ? 1 : 0;
}
