// BMP files as the program reads them: the plain reader on the file itself,
// and the library's bitmap of it (palette depths to 8 bits, the others to
// 24) turned into samples.
#include <vector>

#include "imageio/bmp_picture.h"
#include "imageio/dib_picture.h"
#include "rastcodec/codecs.h"
#include "picture_fuzz.h"

using picturefuzz::Check;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string name = picturefuzz::InputFile(data, size, "bmp");
  uint8_t* rows = nullptr;
  int32_t w = 0, h = 0, bits = 0;
  PictureMessage m;
  if (ReadBmpPlainFile(name.c_str(), &rows, &w, &h, &bits, &m)) {
    Check(rows != nullptr && w > 0 && h > 0 && (bits == 8 || bits == 24));
    // Every row byte is there to be read.
    const size_t stride = (size_t(w) * (bits / 8) + 3) / 4 * 4;
    volatile uint8_t last = rows[stride * size_t(h) - 1];
    (void)last;
    FreeMem(&rows);
  } else {
    Check(rows == nullptr && m.text[0] != '\0');
  }

  rastcodec::Bytes dib;
  if (!rastcodec::DecodeBmp(data, size, &dib)) return 0;
  const int depth = rastcodec::DibBitCount(dib.data(), dib.size());
  rastcodec::Bytes converted;
  if (depth != 8 && depth != 24) {
    Check(rastcodec::ConvertDibDepth(dib.data(), dib.size(), depth < 8 ? 8 : 24, &converted));
    dib.swap(converted);
  }
  const int64_t offset = rastcodec::DibBitsOffset(dib.data(), dib.size());
  Check(offset > 0 && uint64_t(offset) <= dib.size());
  int16_t* samples = nullptr;
  ImageHeader header;
  const DibBlock block{dib.data(), dib.data() + offset, dib.size() - size_t(offset)};
  bool tooLarge = false;
  const bool grey = rastcodec::DibBitCount(dib.data(), dib.size()) == 8;
  if (DibToSamples(block, grey ? DibSamples::Grey : DibSamples::Colour, grey ? 8 : 24, &samples, &header,
                   &tooLarge)) {
    picturefuzz::CheckPicture(samples, header);
    FreeMem(&samples);
  } else {
    // The library's own bitmaps always convert unless they are too large.
    Check(tooLarge && samples == nullptr);
  }
  return 0;
}
