// FITS files: what the reader accepts is a sound picture, and written again
// in the organisation the input's first byte picks it reads back the same.
#include "imageio/fits_picture.h"
#include "picture_fuzz.h"

using picturefuzz::Check;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string name = picturefuzz::InputFile(data, size, "fts");
  const uint8_t pick = size > 0 ? data[size - 1] : 0;
  const bool bgr = pick & 1;
  int16_t* samples = nullptr;
  ImageHeader header;
  PictureMessage m;
  if (!ReadFitsPicture(name.c_str(), &samples, &header, bgr, &m)) {
    Check(samples == nullptr && m.text[0] != '\0');
    return 0;
  }
  picturefuzz::CheckPicture(samples, header);
  const bool colour = header.colourType == kColourRgb;
  const int32_t order = bgr ? kFitsBgr : kFitsRgb;
  const std::string copy = name + ".fts";
  Check(WriteFitsPicture(copy.c_str(), samples, &header, header.width, header.height, order, pick >> 1 & 1) == 1);
  int16_t* back = nullptr;
  ImageHeader backHeader;
  Check(ReadFitsPicture(copy.c_str(), &back, &backHeader, bgr, &m) == 1);
  Check(backHeader.width == header.width && backHeader.height == header.height &&
        backHeader.colourType == header.colourType);
  const size_t n = size_t(header.width) * size_t(header.height) * (colour ? 3 : 1);
  // Grey 16-bit files read back no lower than 1.
  for (size_t i = 0; i < n; ++i) Check(back[i] == (!colour && samples[i] < 1 ? 1 : samples[i]));
  FreeMem(&back);
  FreeMem(&samples);
  return 0;
}
