// PNG pictures through libpng. Unlike the display-mapped formats the samples
// themselves are stored: 8 bits (sample >> 7) or 16 bits (sample * 2) per
// sample. Platform-free; failures leave their message text in `message`.
#pragma once

#include <cstdint>

#include "imagelib/image.h"
#include "picture_io.h"

// Reads any PNG: grey (also with alpha) as grey, everything else as colour
// (palette pictures expanded to their colours, alpha dropped); grey of 1, 2
// or 4 bits is stretched to 8. 8-bit values v give v * 128, 16-bit ones
// v >> 1. Header: the reader header with both pixel scales 1.0 and the bit
// depth as source bits. Messages: "Datei kann nicht geöffnet werden !",
// "Datei ist kein PNG-Bild !", "PNG-Bild nicht dekodierbar !",
// "Kein Speicherplatz !".
int ReadPngPicture(const char* fileName, int16_t** samples, ImageHeader* header, PictureMessage* message);

// Writes the picture at width x height, resampled (bilinear, about the
// centres) when that is not the picture's size; grey or truecolour, 8 bits
// per sample when bitsPerSample is 8, else 16. Messages: "PNG-Datei kann
// nicht erzeugt werden !", "PNG-Datei kann nicht geschrieben werden !"; a
// file that could not be written whole is removed.
int WritePngPicture(const char* fileName, const int16_t* samples, const ImageHeader* header, int32_t width,
                    int32_t height, int bitsPerSample, PictureMessage* message);
