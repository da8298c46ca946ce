// Small uncompressed AVI files for the decoder tests, and reading frames
// back through the library's decoder.
#pragma once

#include <windows.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace avifixture {

// B,G,R of pixel (x, y) of frame i, y counted from the bottom row.
using PixelFn = std::function<void(int frame, int x, int y, BYTE* bgr)>;

// Writes a 24-bit uncompressed AVI at 25 frames per second. `cut` gives the
// frames whose chunk holds only so many bytes of the picture (0: an empty
// chunk, as a multiplexer writes for a dropped frame).
bool WriteAvi(const std::wstring& path, int width, int height, int frames, const PixelFn& pixel,
              const std::map<int, DWORD>& cut = {});

// A fresh, empty folder for one test's files, removed with them at the end.
class ScratchFolder {
 public:
  ScratchFolder();
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;
  const std::wstring& path() const { return path_; }   // with a trailing backslash
  std::wstring operator/(const wchar_t* name) const { return path_ + name; }

 private:
  std::wstring path_;
};
std::string Narrow(const std::wstring& s);

// Every frame of a video through the decoder, rows of width x 3 bytes; empty on failure.
struct Video {
  int width = 0, height = 0;
  std::vector<std::vector<BYTE>> frames;
};
Video DecodeAll(const std::wstring& path);

}  // namespace avifixture
