// The library's format codecs on byte buffers: files in, DIBs out and back.
// Decoders give DIBs of 8 bits per pixel (palette indices with a 256-entry
// table) or 24 bits; TIFF also gives 16-bit grey and 48-bit colour in the
// wide-sample layout of dib.h; the BMP reader keeps the file's own depth.
// Every call returns false for a broken input and leaves *out untouched.
#pragma once

#include "dib.h"
#include "rastcodec_options.h"

namespace rastcodec {

// Fixed version numbers of the converters. They also serve the program as
// defaults of its settings, one of them as the PCX writer's bits per pixel,
// where it means "as the picture is" (see EncodePcx).
constexpr int32_t kConverterVersion = 0x0100;

// Signature tests on the first bytes of a file.
bool IsGif(const uint8_t* head, size_t size);
bool IsJpeg(const uint8_t* head, size_t size);
bool IsPcx(const uint8_t* head, size_t size);
bool IsTiff(const uint8_t* head, size_t size);
constexpr size_t kSignatureBytes = 128;   // enough head for every test above

bool DecodeBmp(const uint8_t* file, size_t size, Bytes* dib);
bool DecodeGif(const uint8_t* file, size_t size, Bytes* dib);
bool DecodeJpeg(const uint8_t* file, size_t size, Bytes* dib);
bool DecodePcx(const uint8_t* file, size_t size, Bytes* dib);
bool DecodeTiff(const uint8_t* file, size_t size, Bytes* dib);

// The writers take the option records as the program keeps them. The
// version fields (GifVersion, JpegVersion, PcxVersion, TiffVersion) only
// record which converter the settings were made with, and TiffSaveBits is
// the program's choice of DIB, whose depth speaks for itself here.

// GIF: GifFormat 89 writes "GIF89a", anything else "GIF87a"; rows in
// interlaced order when GifInterlaced is set; the colour map in the screen
// descriptor (GifGlobalColorMap set) or with the image; a colour DIB becomes
// grey levels when GifGrayscale24 is set, else at most 256 colours.
bool EncodeGif(const uint8_t* dib, size_t size, const GifOptions& options, Bytes* file);

// JPEG: JpegQuality 1..100 (values outside are clamped); one grey component
// when JpegGrayscale is set.
bool EncodeJpeg(const uint8_t* dib, size_t size, const JpegOptions& options, Bytes* file);

// PCX: PcxPCXVersion is the header's version byte (0, 2, 3, 4 or 5; any other
// value writes 5); PcxBitsPerPixel 1, 4 (four bit planes), 8 (256-colour
// palette at the end) or 24 (three planes red, green, blue); any other value
// keeps the picture's depth (8 for palette pictures, 24 for colour).
// PcxCompression 0 writes the rows plainly, anything else run-length coded.
bool EncodePcx(const uint8_t* dib, size_t size, const PcxOptions& options, Bytes* file);

// TIFF: TiffCompression 1 none, 5 LZW, anything else PackBits (what the
// options dialog shows for it); TiffStripsize rows per strip (at most the
// height; 0 or less lets libtiff choose); TiffBitPerPixel 8 or 24 writes 8
// bits per sample, 16 or 48 writes 16, any other value keeps the DIB's. 16
// and 48 bits per pixel are read as wide samples. Palette DIBs are written
// as grey when their table is the grey ramp, else with their colour map (16
// bits per sample: indices as grey levels).
bool EncodeTiff(const uint8_t* dib, size_t size, const TiffOptions& options, Bytes* file);

}  // namespace rastcodec
