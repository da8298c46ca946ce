// Headerless "IM" pictures: any length gives a picture that holds the whole
// file, or none.
#include "imageio/bmp_picture.h"
#include "picture_fuzz.h"

using picturefuzz::Check;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string name = picturefuzz::InputFile(data, size, "im");
  int16_t* samples = nullptr;
  ImageHeader header;
  if (!ReadRawBitmap(name.c_str(), &samples, &header)) {
    Check(samples == nullptr);
    return 0;
  }
  picturefuzz::CheckPicture(samples, header);
  const size_t n = size_t(header.width) * size_t(header.height);
  Check(size <= 1280 ? n == 10240 : n == size);
  for (size_t i = 0; i < n; ++i) Check(samples[i] == (i < size ? data[i] << 7 : 0));
  FreeMem(&samples);
  return 0;
}
