// GIF reader; what it reads is written as GIF again with options from the
// first byte and must read back.
#include "codec_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  return codecfuzz::Run(
      data, size, rastcodec::DecodeGif,
      [](const rastcodec::Bytes& dib, uint8_t f, rastcodec::Bytes* file) {
        const GifOptions o{0, f & 1 ? 89 : 87, f >> 1 & 1, f >> 2 & 1, f >> 3 & 1};
        return rastcodec::EncodeGif(dib.data(), dib.size(), o, file);
      },
      rastcodec::DecodeGif);
}
