// rastcodec.dll: converts packed device-independent bitmaps to and from GIF,
// JPEG, PCX and TIFF files, reads BMP files, changes bitmap depths and reports
// its converters' versions. Bitmaps travel in movable global memory blocks
// (GlobalAlloc with GMEM_MOVEABLE); whoever allocates a block frees it with
// GlobalFree. Every call answers 0 (or null) for a missing or broken file, an
// invalid handle or a bitmap it cannot convert; none leaves a block behind.
//
// Bitmaps made here have a 40-byte info header, one plane, no compression,
// rows bottom-up padded to 4 bytes, 8 bits per pixel with a 256-entry colour
// table or 24 bits without. The TIFF calls also use 16 bits per pixel (one
// grey sample) and 48 bits (samples blue, green, red), each sample 16 bits,
// rows top row first and unpadded. ReadDIB keeps the file's depth (1, 4, 8,
// 16, 24 or 32 bits; 16 and 32 with bit-field masks after the header where
// they are not the default ones).
#pragma once

#include <windows.h>

#include "rastcodec_options.h"

extern "C" {

// Non-zero when the file starts like the format.
BOOL WINAPI ConvertIsGIFFile(LPCSTR fileName);
BOOL WINAPI ConvertIsJPGFile(LPCSTR fileName);
BOOL WINAPI ConvertIsPCXFile(LPCSTR fileName);
BOOL WINAPI ConvertIsTIFFile(LPCSTR fileName);

// A new bitmap block read from the file (the caller frees it), or 0. GIF
// gives the first image's palette indices; a grey JPEG 8 bits with a grey
// table; TIFF of 16-bit samples 16 or 48 bits per pixel.
HGLOBAL WINAPI ConvertGIFtoDIB(LPCSTR fileName);
HGLOBAL WINAPI ConvertJPGtoDIB(LPCSTR fileName);
HGLOBAL WINAPI ConvertPCXtoDIB(LPCSTR fileName);
HGLOBAL WINAPI ConvertTIFtoDIB(LPCSTR fileName);
// A BMP file (core, info, V4 or V5 header; run-length coded ones give 0).
HGLOBAL WINAPI ReadDIB(LPCSTR fileName);

// Bits per pixel of a bitmap block, 0 for an invalid one.
WORD WINAPI GetDIBBitPerPixel(HGLOBAL dib);
// First pixel row of a locked bitmap: behind its header, masks and table.
LPSTR WINAPI GetDIBBits(LPSTR lockedDib);

// A new block of 8 bits per pixel (indices and table kept) or of 24 bits
// (palette indices expanded to their colours) from a bitmap of exactly the
// named depth; 0 for any other. The caller frees both blocks.
HGLOBAL WINAPI DIB1To8(HGLOBAL dib);
HGLOBAL WINAPI DIB4To8(HGLOBAL dib);
HGLOBAL WINAPI DIB8To24(HGLOBAL dib);
HGLOBAL WINAPI DIB16To24(HGLOBAL dib);
HGLOBAL WINAPI DIB32To24(HGLOBAL dib);

// Writes the (unlocked) bitmap to the file with the format's options;
// non-zero on success. The caller keeps and frees the block. A file that
// cannot be written whole is removed.
BOOL WINAPI ConvertDIBtoGIFEx(LPCSTR fileName, HGLOBAL dib, const GifOptions* options);
BOOL WINAPI ConvertDIBtoJPGEx(LPCSTR fileName, HGLOBAL dib, const JpegOptions* options);
BOOL WINAPI ConvertDIBtoPCXEx(LPCSTR fileName, HGLOBAL dib, const PcxOptions* options);
BOOL WINAPI ConvertDIBtoTIFEx(LPCSTR fileName, HGLOBAL dib, const TiffOptions* options);

// Fixed version numbers (16 bits) of the converters.
LONG WINAPI ConvertGIFGetVersion(void);
LONG WINAPI ConvertJPGGetVersion(void);
LONG WINAPI ConvertPCXGetVersion(void);
LONG WINAPI ConvertTIFGetVersion(void);

}  // extern "C"
