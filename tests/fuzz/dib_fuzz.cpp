// The writers and depth conversions fed arbitrary DIB blocks, as the program
// hands them over: a lying header must be refused, and whatever is written
// must read back.
#include "codec_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  codecfuzz::Limit();
  using codecfuzz::Check;
  rastcodec::Bytes out, back;
  rastcodec::ConvertDibDepth(data, size, 8, &out);
  rastcodec::ConvertDibDepth(data, size, 24, &out);
  rastcodec::DibBitsOffset(data, size);
  const uint8_t f = size > 40 ? data[size - 1] : 0;
  if (rastcodec::EncodeGif(data, size, GifOptions{0, 89, f & 1, f >> 1 & 1, f >> 2 & 1}, &out)) {
    Check(rastcodec::DecodeGif(out.data(), out.size(), &back));
  }
  if (rastcodec::EncodeJpeg(data, size, JpegOptions{0, 1 + f % 100, f >> 7}, &out)) {
    Check(rastcodec::DecodeJpeg(out.data(), out.size(), &back));
  }
  static const int32_t kPcxBits[4] = {1, 4, 8, 24};
  if (rastcodec::EncodePcx(data, size, PcxOptions{32, 5, kPcxBits[f & 3], f >> 2 & 1}, &out)) {
    Check(rastcodec::DecodePcx(out.data(), out.size(), &back));
  }
  if (rastcodec::EncodeTiff(data, size, TiffOptions{0, f & 8 ? 16 : 8, f & 16 ? 5 : 32773, f >> 5, 16}, &out)) {
    Check(rastcodec::DecodeTiff(out.data(), out.size(), &back));
  }
  return 0;
}
