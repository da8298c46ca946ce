// Hot-pixel list files as the program reads them: a file is taken only when
// its length is the head and its count of entries, the count fits the frame
// size, and the list then repairs a frame of that size without reaching
// outside it.
#include <cstring>
#include <vector>

#include "imagelib/hot_pixels.h"
#include "picture_fuzz.h"
#include "stacking/frame/hot_pixel_file.h"

using picturefuzz::Check;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string name = picturefuzz::InputFile(data, size, "hpx");
  HotPixelFileList fromFile, fromBytes;
  HpxError fileError = HpxError::kNone, bytesError = HpxError::kNone;
  const int readFile = ReadHotPixelFile(name.c_str(), &fromFile, &fileError);
  const int readBytes = ParseHotPixelFile(data, size, &fromBytes, &bytesError);
  Check(readFile == readBytes);
  if (!readBytes) {
    Check(fromBytes.entries == nullptr && fromFile.entries == nullptr);
    Check(bytesError == HpxError::kNotHpx || bytesError == HpxError::kMemory);
    return 0;
  }
  Check(size == kHpxHeadBytes + kHpxEntryBytes * size_t(fromBytes.count));
  Check(fromBytes.width >= 1 && fromBytes.height >= 1);
  Check(uint64_t(fromBytes.count) <= uint64_t(fromBytes.width) * uint64_t(fromBytes.height) * 3);
  Check(fromFile.count == fromBytes.count);
  Check(fromBytes.count == 0 ||
        std::memcmp(fromFile.entries, fromBytes.entries, size_t(fromBytes.count) * kHpxEntryBytes) == 0);
  // The list on frames of its size, grey and colour, when they stay small.
  if (uint64_t(fromBytes.width) * uint64_t(fromBytes.height) <= (uint64_t{1} << 16)) {
    for (int colour = 0; colour < 2; ++colour) {
      ImageHeader h;
      InitImageHeader(&h);
      h.width = fromBytes.width;
      h.height = fromBytes.height;
      h.colourType = colour ? kColourRgb : 0;
      std::vector<int16_t> frame(size_t(h.width) * size_t(h.height) * (colour ? 3 : 1), 100);
      RepairHotPixels(&h, frame.data(), frame.data(), reinterpret_cast<const HotPixelEntry*>(fromBytes.entries),
                      fromBytes.count);
    }
  }
  FreeMem(&fromFile.entries);
  FreeMem(&fromBytes.entries);
  return 0;
}
