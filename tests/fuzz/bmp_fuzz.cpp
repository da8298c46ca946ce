// BMP reader; what it reads must convert and go out as PCX and back.
#include "codec_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  return codecfuzz::Run(
      data, size, rastcodec::DecodeBmp,
      [](const rastcodec::Bytes& dib, uint8_t f, rastcodec::Bytes* file) {
        const PcxOptions o{32, 5, rastcodec::kConverterVersion, f & 1};
        return rastcodec::EncodePcx(dib.data(), dib.size(), o, file);
      },
      rastcodec::DecodePcx);
}
