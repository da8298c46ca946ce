// Shared by the picture reader fuzz targets: the readers take file names,
// so each input goes to a file of this process first; pictures stay small,
// and whatever a reader accepts must be a sound picture.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "imageio/picture_io.h"
#include "rastcodec/dib.h"

namespace picturefuzz {

inline void Check(bool condition) {
  if (!condition) std::abort();
}

// The fuzzer's memory limit is not the readers' business.
constexpr uint64_t kSampleLimit = uint64_t{1} << 21;

// A file name of this process with the extension; the input written to it.
inline std::string InputFile(const uint8_t* data, size_t size, const char* extension) {
  static const bool limited = (SetPictureSampleLimit(kSampleLimit), rastcodec::SetDibByteLimit(kSampleLimit * 2), true);
  (void)limited;
  const char* dir = std::getenv("TMPDIR");
  const std::string name =
      std::string(dir ? dir : "/tmp") + "/tyvorn_fuzz_" + std::to_string(getpid()) + "." + extension;
  FILE* f = std::fopen(name.c_str(), "wb");
  Check(f != nullptr);
  if (size) Check(std::fwrite(data, 1, size, f) == size);
  Check(std::fclose(f) == 0);
  return name;
}

// What every reader promises for the pictures it accepts.
inline void CheckPicture(const int16_t* samples, const ImageHeader& h) {
  Check(samples != nullptr);
  Check(h.width >= 1 && h.height >= 1);
  Check(uint64_t(h.width) * uint64_t(h.height) * (h.colourType == kColourRgb ? 3 : 1) <= kSampleLimit);
  const size_t n = size_t(h.width) * size_t(h.height) * (h.colourType == kColourRgb ? 3 : 1);
  for (size_t i = 0; i < n; ++i) Check(samples[i] >= 0);
}

}  // namespace picturefuzz
