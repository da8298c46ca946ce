// TIFF reader (libtiff in memory); what it reads is written as TIFF again with
// compression, strips and depth from the first byte and must read back.
#include "codec_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  return codecfuzz::Run(
      data, size, rastcodec::DecodeTiff,
      [](const rastcodec::Bytes& dib, uint8_t f, rastcodec::Bytes* file) {
        static const int32_t kCompression[4] = {1, 5, 32773, 2};
        const TiffOptions o{0, f & 4 ? 16 : 8, kCompression[f & 3], f >> 3, 16};
        return rastcodec::EncodeTiff(dib.data(), dib.size(), o, file);
      },
      rastcodec::DecodeTiff);
}
