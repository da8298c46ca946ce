// 16-bit PPM pictures of the raw converter: any header either gives a sound
// picture or none.
#include "imageio/ppm_picture.h"
#include "picture_fuzz.h"

using picturefuzz::Check;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string name = picturefuzz::InputFile(data, size, "ppm");
  int16_t* samples = nullptr;
  ImageHeader header;
  if (!ReadPpmImage(name.c_str(), &samples, &header)) {
    Check(samples == nullptr);
    return 0;
  }
  picturefuzz::CheckPicture(samples, header);
  Check(header.colourType == kColourRgb);
  FreeMem(&samples);
  return 0;
}
