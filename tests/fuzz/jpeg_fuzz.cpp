// JPEG reader; what it reads is written as JPEG again and must read back.
#include "codec_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  return codecfuzz::Run(
      data, size, rastcodec::DecodeJpeg,
      [](const rastcodec::Bytes& dib, uint8_t f, rastcodec::Bytes* file) {
        const JpegOptions o{0, 1 + f % 100, f >> 7};
        return rastcodec::EncodeJpeg(dib.data(), dib.size(), o, file);
      },
      rastcodec::DecodeJpeg);
}
