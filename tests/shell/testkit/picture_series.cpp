#include "picture_series.h"

#include <cstdio>

namespace {

void Put16(std::vector<uint8_t>& b, uint32_t v) {
  b.push_back(uint8_t(v));
  b.push_back(uint8_t(v >> 8));
}

void Put32(std::vector<uint8_t>& b, uint32_t v) {
  Put16(b, v & 0xFFFF);
  Put16(b, v >> 16);
}

bool WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return std::fclose(f) == 0 && ok;
}

}  // namespace

uint8_t TinySeriesValue(int index, int x, int y, int c) {
  const int dx = x - (4 + index), dy = y - (4 + index);
  const int spot = dx * dx + dy * dy <= 4 ? 120 : 0;
  const int v = 20 + 3 * x + 2 * y + 25 * c + spot;
  return uint8_t(v > 255 ? 255 : v);
}

bool WriteTinyBmp(const std::string& path, int index, int w, int h, bool colour) {
  const int bytesPerPixel = colour ? 3 : 1;
  const uint32_t rowBytes = uint32_t((w * bytesPerPixel + 3) & ~3);
  const uint32_t paletteBytes = colour ? 0 : 256 * 4;
  const uint32_t offset = 14 + 40 + paletteBytes;
  std::vector<uint8_t> b;
  b.push_back('B');
  b.push_back('M');
  Put32(b, offset + rowBytes * uint32_t(h));
  Put32(b, 0);
  Put32(b, offset);
  Put32(b, 40);
  Put32(b, uint32_t(w));
  Put32(b, uint32_t(h));
  Put16(b, 1);
  Put16(b, uint16_t(bytesPerPixel * 8));
  Put32(b, 0);
  Put32(b, rowBytes * uint32_t(h));
  Put32(b, 2835);
  Put32(b, 2835);
  Put32(b, colour ? 0 : 256);
  Put32(b, 0);
  for (uint32_t i = 0; i < paletteBytes / 4; ++i) {
    for (int k = 0; k < 3; ++k) b.push_back(uint8_t(i));
    b.push_back(0);
  }
  for (int y = h - 1; y >= 0; --y) {   // bottom row first
    size_t written = 0;
    for (int x = 0; x < w; ++x)
      for (int c = 0; c < bytesPerPixel; ++c, ++written) b.push_back(TinySeriesValue(index, x, y, c));
    for (; written < rowBytes; ++written) b.push_back(0);
  }
  return WriteFile(path, b);
}

std::vector<std::string> WriteTinySeries(const std::string& prefix, int count, int w, int h, bool colour) {
  std::vector<std::string> paths;
  for (int i = 1; i <= count; ++i) {
    char suffix[16];
    std::snprintf(suffix, sizeof suffix, "%03d.bmp", i);
    if (WriteTinyBmp(prefix + suffix, i, w, h, colour)) paths.push_back(prefix + suffix);
  }
  return paths;
}

bool WriteBrokenPicture(const std::string& path) {
  const std::vector<uint8_t> b = {'B', 'M', 0x40, 0, 0, 0, 0, 0, 0, 0, 0x36, 0, 0, 0, 40, 0, 0};
  return WriteFile(path, b);
}
