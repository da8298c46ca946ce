// PCX reader; what it reads is written as PCX again in a depth and coding
// from the first byte and must read back.
#include "codec_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  return codecfuzz::Run(
      data, size, rastcodec::DecodePcx,
      [](const rastcodec::Bytes& dib, uint8_t f, rastcodec::Bytes* file) {
        static const int32_t kBits[4] = {1, 4, 8, 24};
        const PcxOptions o{32, 5, kBits[f & 3], f >> 2 & 1};
        return rastcodec::EncodePcx(dib.data(), dib.size(), o, file);
      },
      rastcodec::DecodePcx);
}
