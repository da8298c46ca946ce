// PNG files: what the reader accepts is a sound picture, and written as a
// 16-bit PNG it reads back unchanged.
#include <cstring>

#include "imageio/png_picture.h"
#include "picture_fuzz.h"

using picturefuzz::Check;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string name = picturefuzz::InputFile(data, size, "png");
  int16_t* samples = nullptr;
  ImageHeader header;
  PictureMessage m;
  if (!ReadPngPicture(name.c_str(), &samples, &header, &m)) {
    Check(samples == nullptr && m.text[0] != '\0');
    return 0;
  }
  picturefuzz::CheckPicture(samples, header);
  const std::string copy = name + ".png";
  Check(WritePngPicture(copy.c_str(), samples, &header, header.width, header.height, 16, &m) == 1);
  int16_t* back = nullptr;
  ImageHeader backHeader;
  Check(ReadPngPicture(copy.c_str(), &back, &backHeader, &m) == 1);
  Check(backHeader.width == header.width && backHeader.height == header.height &&
        backHeader.colourType == header.colourType);
  const size_t n = size_t(header.width) * size_t(header.height) * (header.colourType == kColourRgb ? 3 : 1);
  Check(std::memcmp(samples, back, n * sizeof(int16_t)) == 0);
  FreeMem(&back);
  FreeMem(&samples);
  return 0;
}
