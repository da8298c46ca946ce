// GIF, JPEG, PCX and TIFF through the conversion library: one reader and one
// writer pattern, the formats differing in their library calls, messages,
// grey-or-colour rule and option record.

#include <cstring>

#include "dib_picture.h"
#include "imagelib/resample.h"
#include "rastcodec/rastcodec.h"
#include "picture_files.h"
#include "picture_rendering.h"
#include "shell/display_mapping.h"
#include "shell/message_box.h"

namespace {

struct RasterFormat {
  BOOL (WINAPI* isFormat)(LPCSTR);
  HGLOBAL (WINAPI* toDib)(LPCSTR);
  const char* notFormat;
  const char* conversionFailed;
};

constexpr RasterFormat kGif{ConvertIsGIFFile, ConvertGIFtoDIB, "Die Datei ist kein GIF-Format !",
                            "GIF-Konvertierung fehlgeschlagen !"};
constexpr RasterFormat kJpeg{ConvertIsJPGFile, ConvertJPGtoDIB, "Die Datei ist kein JPEG-Format !",
                             "JPG-Konvertierung fehlgeschlagen !"};
constexpr RasterFormat kPcx{ConvertIsPCXFile, ConvertPCXtoDIB, "Die Datei ist kein PCX-Format !",
                            "PCX-Konvertierung fehlgeschlagen !"};
constexpr RasterFormat kTiff{ConvertIsTIFFile, ConvertTIFtoDIB, "Die Datei ist kein TIFF-Format !",
                             "TIF-Konvertierung fehlgeschlagen !"};

void Error(const char* text) { ShowMessageBox(nullptr, text, kTitleError, MB_OK | MB_ICONSTOP); }

// What a format makes of the library's DIB: how to take the pixels and the
// source bits of the header; the DIB may be replaced by an expanded one.
// False when the DIB is of no depth the format reads.
using Decide = bool (*)(HGLOBAL* dib, DibSamples* kind, int* sourceBits);

// Replaces *dib by its 24-bit expansion.
bool ExpandTo24(HGLOBAL* dib) {
  HGLOBAL expanded = DIB8To24(*dib);
  if (!expanded) return false;
  GlobalFree(*dib);
  *dib = expanded;
  return true;
}

bool DecideGif(HGLOBAL* dib, DibSamples* kind, int* sourceBits) {
  *sourceBits = 8;
  *kind = gProgramState.Gif.GifGrayscale24 ? DibSamples::Grey : DibSamples::Colour;
  return *kind == DibSamples::Grey || ExpandTo24(dib);
}

bool DecideJpeg(HGLOBAL* dib, DibSamples* kind, int* sourceBits) {
  // Always colour: a grey JPEG gives three equal channels.
  if (GetDIBBitPerPixel(*dib) < 9 && !ExpandTo24(dib)) return false;
  *kind = DibSamples::Colour;
  *sourceBits = GetDIBBitPerPixel(*dib);
  return true;
}

bool DecidePcx(HGLOBAL* dib, DibSamples* kind, int* sourceBits) {
  *sourceBits = GetDIBBitPerPixel(*dib);
  *kind = *sourceBits <= 8 ? DibSamples::Grey : DibSamples::Colour;
  return true;
}

bool DecideTiff(HGLOBAL* dib, DibSamples* kind, int* sourceBits) {
  *sourceBits = GetDIBBitPerPixel(*dib);
  *kind = *sourceBits == 16 || *sourceBits == 48 ? DibSamples::Wide
          : *sourceBits <= 16                    ? DibSamples::Grey
                                                 : DibSamples::Colour;
  return true;
}

int ReadRasterImage(const RasterFormat& format, Decide decide, const char* fileName, int16_t** samples,
                    ImageHeader* header) {
  if (!samples || !header) return 0;
  if (*samples) {
    Error("BufferPtr != NULL !");
    return 0;
  }
  if (!format.isFormat(fileName)) {
    Error(format.notFormat);
    return 0;
  }
  HGLOBAL dib = format.toDib(fileName);
  if (!dib) {
    Error(format.conversionFailed);
    return 0;
  }
  DibSamples kind;
  int sourceBits = 0;
  bool tooLarge = false;
  int result = 0;
  if (decide(&dib, &kind, &sourceBits)) {
    if (auto* base = static_cast<uint8_t*>(GlobalLock(dib))) {
      const auto* rows = reinterpret_cast<const uint8_t*>(GetDIBBits(reinterpret_cast<LPSTR>(base)));
      const size_t size = GlobalSize(dib);
      if (rows && rows >= base && size_t(rows - base) <= size) {
        const DibBlock block{base, rows, size - size_t(rows - base)};
        result = DibToSamples(block, kind, sourceBits, samples, header, &tooLarge);
      }
      GlobalUnlock(dib);
    }
  }
  GlobalFree(dib);
  if (!result) Error(tooLarge ? "Kein Speicherplatz !" : format.conversionFailed);
  return result;
}

// A zero-filled movable block of the info header, `entries` colours and the
// pixel bytes, its header filled as the library expects it; null when it
// cannot be had.
HGLOBAL NewDib(int32_t w, int32_t h, int bits, int entries, size_t pixelBytes, uint8_t** locked) {
  if (pixelBytes == 0 || pixelBytes > 0x7FFFFFFF) return nullptr;
  const size_t size = sizeof(BITMAPINFOHEADER) + 4 * size_t(entries) + pixelBytes;
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size);
  if (!block) return nullptr;
  *locked = static_cast<uint8_t*>(GlobalLock(block));
  if (!*locked) {
    GlobalFree(block);
    return nullptr;
  }
  BITMAPINFOHEADER info = {};
  info.biSize = sizeof info;
  info.biWidth = w;
  info.biHeight = h;
  info.biPlanes = 1;
  info.biBitCount = WORD(bits);
  info.biCompression = BI_RGB;
  info.biSizeImage = DWORD(pixelBytes);
  info.biXPelsPerMeter = 2953;
  info.biYPelsPerMeter = 2953;
  std::memcpy(*locked, &info, sizeof info);
  return block;
}

// The DIB of the display rendering: 8 bits with the palette's colours for
// grey pictures, 24 for colour.
HGLOBAL RenderedDib(const int16_t* samples, const ImageHeader* header, const ProgramState* ps, int32_t w,
                    int32_t h) {
  const bool colour = header->colourType == kColourRgb;
  const int entries = colour ? 0 : 256;
  uint8_t* p = nullptr;
  HGLOBAL dib = NewDib(w, h, colour ? 24 : 8, entries, DibRowsSize(w, h, colour), &p);
  if (!dib) return nullptr;
  Bgr table[256];
  PictureFileColours(table, ps);
  for (int i = 0; i < entries; ++i) {
    RGBQUAD* q = reinterpret_cast<RGBQUAD*>(p + sizeof(BITMAPINFOHEADER)) + i;
    *q = {table[i].b, table[i].g, table[i].r, 0};
  }
  const bool ok =
      RenderPictureRows(p + sizeof(BITMAPINFOHEADER) + 4 * size_t(entries), samples, header, ps, w, h) != 0;
  GlobalUnlock(dib);
  if (!ok) {
    GlobalFree(dib);
    return nullptr;
  }
  return dib;
}

// The DIB of 16-bit samples: 16 bits per pixel for grey, 48 for colour, rows
// top row first and unpadded, each value 2 x sample; other sizes resampled.
HGLOBAL WideDib(const int16_t* samples, const ImageHeader* header, int32_t w, int32_t h, bool* failed) {
  const bool colour = header->colourType == kColourRgb;
  *failed = false;
  if (!PictureFits(w, h, colour)) return nullptr;
  const size_t count = size_t(w) * size_t(h) * (colour ? 3 : 1);
  uint8_t* p = nullptr;
  HGLOBAL dib = NewDib(w, h, colour ? 48 : 16, 0, count * 2, &p);
  if (!dib) return nullptr;
  const int16_t* source = samples;
  int16_t* work = nullptr;
  if (w != header->width || h != header->height) {
    ImageHeader target = *header;
    target.width = w;
    target.height = h;
    const double scale = double(w) / header->width;
    work = AllocPictureSamples(w, h, colour);
    if (!work || ResampleImage(header, &target, samples, work, w / 2, h / 2, 0.0, scale, scale < 1.0 ? 1 : 3) !=
                     IMG_OK) {
      FreeMem(&work);
      GlobalUnlock(dib);
      GlobalFree(dib);
      *failed = true;
      return nullptr;
    }
    source = work;
  }
  auto* values = reinterpret_cast<uint16_t*>(p + sizeof(BITMAPINFOHEADER));
  for (size_t i = 0; i < count; ++i) values[i] = uint16_t(2 * ClampSample(int64_t{source[i]}));
  FreeMem(&work);
  GlobalUnlock(dib);
  return dib;
}

template <typename Options>
int WriteRasterImage(BOOL (WINAPI* convert)(LPCSTR, HGLOBAL, const Options*), const Options* options,
                     const char* fileName, const int16_t* samples, const ImageHeader* header, const ProgramState* ps,
                     int32_t x0, int32_t y0, int32_t x1, int32_t y1, bool wide = false) {
  if (!samples || !header || !ps) return 0;
  const int64_t w = int64_t{x1} - x0, h = int64_t{y1} - y0;
  if (w < 1 || h < 1 || w > INT32_MAX || h > INT32_MAX || header->width < 1 || header->height < 1) return 0;
  bool resampleFailed = false;
  HGLOBAL dib = wide ? WideDib(samples, header, int32_t(w), int32_t(h), &resampleFailed)
                     : RenderedDib(samples, header, ps, int32_t(w), int32_t(h));
  if (!dib) {
    if (!resampleFailed) Error("Kein Speicherplatz !");
    return 0;
  }
  const int result = convert(fileName, dib, options);
  GlobalFree(dib);
  return result;
}

}  // namespace

int ReadGifImage(const char* fileName, int16_t** samples, ImageHeader* header) {
  return ReadRasterImage(kGif, DecideGif, fileName, samples, header);
}
int ReadJpegImage(const char* fileName, int16_t** samples, ImageHeader* header) {
  return ReadRasterImage(kJpeg, DecideJpeg, fileName, samples, header);
}
int ReadPcxImage(const char* fileName, int16_t** samples, ImageHeader* header) {
  return ReadRasterImage(kPcx, DecidePcx, fileName, samples, header);
}
int ReadTiffImage(const char* fileName, int16_t** samples, ImageHeader* header) {
  return ReadRasterImage(kTiff, DecideTiff, fileName, samples, header);
}

int WriteGifImage(const char* fileName, const int16_t* samples, const ImageHeader* header, ProgramState* ps,
                  int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
  return ps ? WriteRasterImage(ConvertDIBtoGIFEx, &ps->Gif, fileName, samples, header, ps, x0, y0, x1, y1) : 0;
}
int WriteJpegImage(const char* fileName, const int16_t* samples, const ImageHeader* header, ProgramState* ps,
                   int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
  return ps ? WriteRasterImage(ConvertDIBtoJPGEx, &ps->Jpeg, fileName, samples, header, ps, x0, y0, x1, y1) : 0;
}
int WritePcxImage(const char* fileName, const int16_t* samples, const ImageHeader* header, ProgramState* ps,
                  int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
  return ps ? WriteRasterImage(ConvertDIBtoPCXEx, &ps->Pcx, fileName, samples, header, ps, x0, y0, x1, y1) : 0;
}
int WriteTiffImage(const char* fileName, const int16_t* samples, const ImageHeader* header, ProgramState* ps,
                   int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
  if (!ps) return 0;
  const bool wide = ps->Tiff.TiffSaveBits == 16;
  // The settings file stores these afterwards.
  ps->Tiff.TiffBitPerPixel = wide ? 16 : 8;
  ps->Tiff.TiffStripsize = 1024;
  return WriteRasterImage(ConvertDIBtoTIFEx, &ps->Tiff, fileName, samples, header, ps, x0, y0, x1, y1, wide);
}
