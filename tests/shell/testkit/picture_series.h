// Tiny picture files for tests that load pictures or stack series, written
// here byte by byte so they do not depend on the program's own writers.
// Platform-free.
//
//   WriteTinySeries(dir + "/frame", 5, 32, 24, true);   // frame001.bmp .. frame005.bmp
//   WriteBrokenPicture(dir + "/broken.bmp");
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The sample value (0..255) of pixel (x, y), channel c (0 blue, 1 green,
// 2 red; grey pictures use 0) of frame `index`: a smooth ramp with a bright
// spot that moves one pixel right and down per frame.
uint8_t TinySeriesValue(int index, int x, int y, int c);

// An uncompressed BMP of w x h from TinySeriesValue (8-bit grey with a grey
// palette, or 24-bit colour). false when the file cannot be written.
bool WriteTinyBmp(const std::string& path, int index, int w, int h, bool colour);

// count pictures prefix001.bmp, prefix002.bmp, ...; the paths written.
std::vector<std::string> WriteTinySeries(const std::string& prefix, int count, int w, int h, bool colour);

// A file with a BMP signature and a header cut short.
bool WriteBrokenPicture(const std::string& path);
