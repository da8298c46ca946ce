// 16-bit binary PPM pictures as the raw converter leaves them beside a
// photo: "P6", one separator, width, height and maximum value each ended by
// exactly one non-digit byte, then red, green, blue values of 2 bytes, most
// significant first, rows from the top. Platform-free and silent.
#pragma once

#include <cstdio>

#include "imagelib/image.h"

// Reader of the picture contract. The extension of the given name is
// replaced by ".ppm" first (a photo's name finds its converted picture).
// Colour, source bits 24; values scaled by the maximum value M: below 8192
// times 4, below 16384 times 2, below 32768 as they are, else halved; values
// above M are cut to 32767. A header of another layout, a maximum value
// outside 1..65535 or a file too short for its samples gives 0.
int ReadPpmImage(const char* fileName, int16_t** samples, ImageHeader* header);

// The name of the picture the converter leaves for a photo: the extension
// of the file part replaced by ".ppm" (appended when there is none). 0 when
// it does not fit capacity.
int PpmNameOf(char* out, size_t capacity, const char* fileName);

// Reads one number of the header: up to 32 decimal digits into text (33
// characters); the first non-digit byte after them is consumed. Returns text.
char* ReadPpmToken(char* text, FILE* file);
