// The formats pictures are written in by the commands that write a series or
// a cut-out: AVI splitting, the cut-out, the re-centring run and the batch
// jobs. The setting RecenterFormat stores the index into this one table,
// which is the order of the sorted format lists ("Bitmaps (*.BMP)" first),
// so every list and every run reads a stored index alike. Platform-free.
#pragma once

#include <cstdint>

struct RecenterFormatEntry {
  const char* listText;    // "Bitmaps (*.BMP)"
  const char* extension;   // ".bmp", handed to the save dispatcher
};

inline constexpr int kRecenterFormatCount = 7;
inline constexpr RecenterFormatEntry kRecenterFormats[kRecenterFormatCount] = {
    {"Bitmaps (*.BMP)", ".bmp"},     {"FITS-Bilder (*.FIT)", ".fts"}, {"GIF-Format (*.GIF)", ".gif"},
    {"JPEG-Bilder (*.JPG)", ".jpg"}, {"PCX-Format (*.PCX)", ".pcx"},  {"PNG-Format (*.PNG)", ".png"},
    {"TIFF-Format (*.TIF)", ".tif"},
};

// The extension of a stored index; null outside the table.
constexpr const char* RecenterFormatExtension(int32_t index) {
  return index >= 0 && index < kRecenterFormatCount ? kRecenterFormats[index].extension : nullptr;
}

// A stored index as a list can show it: outside the table (a hand-edited
// "tyvorn.ini") the first entry.
constexpr int32_t ValidRecenterFormat(int32_t index) { return RecenterFormatExtension(index) ? index : 0; }
