// FITS pictures through cfitsio: the integer and floating-point sample types
// of the standard scaled into 0..32767, grey pictures (NAXIS 2) and colour
// cubes (NAXIS 3 with an axis of 3) in triples or frames; written as 16-bit
// grey images, colour cubes or three grey files. Platform-free; the reader
// leaves its message text in `message`, the writer fails silently.
#pragma once

#include <cstddef>
#include <cstdint>

#include "imagelib/image.h"
#include "picture_io.h"

// Colour organisation of written files, the [PicSave] settings FITSColorOrg
// and FITSFrameOrg.
enum FitsColourOrder : int32_t { kFitsRgb = 0, kFitsBgr = 1, kFitsSplit = 2 };
enum FitsFrameOrder : int32_t { kFitsTriples = 0, kFitsFrames = 1 };

// Files hold the picture bottom row first, as every astronomy program shows
// them; samples here are top row first.

// Reads the primary image, BSCALE and BZERO applied once (physical values).
// bgr is the component order of a cube whose CTYPE1 and CTYPE3 say nothing
// ("BGR..." in either decides, CTYPE3 last).
// Header: the reader header with source bits 15. Messages as the loader
// shows them ("FITS-File nicht zu öffnen !", "BITPIX nicht analysierbar !",
// ...); sample types other than BITPIX 8, 16, 32, -32 and -64 and cubes
// whose only axis of 3 is NAXIS2 give "FITS-Format wird nicht unterstützt !".
int ReadFitsPicture(const char* fileName, int16_t** samples, ImageHeader* header, bool bgr,
                    PictureMessage* message);

// Writes the picture at width x height (resampled on a 1/16-pixel grid when
// that is not its size) as BITPIX 16: grey as one image; colour as a cube of
// triples (3, w, h) with CTYPE1 or of frames (w, h, 3) with CTYPE3, "RGB" for
// colourOrder 0 and "BGR" otherwise, or with colourOrder 2 as three grey
// files named by SplitFitsName, blue first. An existing file is replaced.
// 1 written, 0 on any failure (a file that could not be written is removed).
int WriteFitsPicture(const char* fileName, const int16_t* samples, const ImageHeader* header, int32_t width,
                     int32_t height, int32_t colourOrder, int32_t frameOrder);

// Name of one file of a split colour picture: the suffix ("_blue", "_green",
// "_red") goes before the extension of the file part ("mond.fts" gives
// "mond_blue.fts"), or at the end when there is none. False when it does
// not fit.
bool SplitFitsName(char* out, size_t capacity, const char* fileName, const char* suffix);
